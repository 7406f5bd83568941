#include "xvol/XvolViews.h"

#include "frame/Params.h"

#include <olkctl/storage/XvolFileSystemImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace TarvexCli::XVolNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using Frame::MetaList;
using Frame::MetaType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ContainerStorageArrayInfo;
using HostCtl::Storage::ProtocolEndPoint;

namespace {

// --- field names of the provider list ---

constexpr const char *kFieldVpName = "VP Name";
constexpr const char *kFieldUrl = "URL";
constexpr const char *kFieldStatus = "Status";
constexpr const char *kFieldMaxConcurrentOps = "Max Concurrent Operations";
constexpr const char *kFieldOspaVersion = "OSPA Version";
constexpr const char *kFieldArrays = "Arrays";
constexpr const char *kFieldVirtualHost = "VirtualHost";
constexpr const char *kFieldApiBatchSize = "API Batch Size";
constexpr const char *kFieldArrayId = "ArrayId";
constexpr const char *kFieldIsActive = "Is Active";
constexpr const char *kFieldPriority = "Priority";
constexpr const char *kFieldSni = "SNI";
constexpr const char *kFieldPort = "Port";
constexpr const char *kFieldIp = "IP";
constexpr const char *kFieldBatchDefault = "Default";
constexpr const char *kFieldBatchBind = "BindVirtualVolume";
constexpr const char *kFieldBatchQuery = "QueryVirtualVolumeInfo";
constexpr const char *kFieldBatchSnapshot = "SnapshotVirtualVolume";
constexpr const char *kFieldBatchSpaceStats = "SpaceStatsVirtualVolume";
constexpr const char *kFieldBatchMetadataUpdate = "UpdateVirtualVolumeMetdataEx"; // verbatim: "Metdata"
constexpr const char *kFieldBatchTaskUpdate = "GetTaskUpdateEx";
constexpr const char *kFieldBatchUnbind = "UnbindVirtualVolume";

Frame::MetaStructPtr ProviderArrayStructure() {
  return Frame::NewTemplate("Arrays", {{kFieldArrayId, FieldType::String},
                                       {kFieldIsActive, FieldType::Bool},
                                       {kFieldPriority, FieldType::Int}});
}

Frame::MetaStructPtr VirtualHostStructure() {
  return Frame::NewTemplate(
      "VirtualHost",
      {{kFieldSni, FieldType::String}, {kFieldPort, FieldType::Int}, {kFieldIp, FieldType::String}});
}

Frame::MetaStructPtr BatchSizeStructure() {
  return Frame::NewTemplate("APIBatchSize", {{kFieldBatchDefault, FieldType::Int},
                                             {kFieldBatchBind, FieldType::Int},
                                             {kFieldBatchQuery, FieldType::Int},
                                             {kFieldBatchSnapshot, FieldType::Int},
                                             {kFieldBatchSpaceStats, FieldType::Int},
                                             {kFieldBatchMetadataUpdate, FieldType::Int},
                                             {kFieldBatchTaskUpdate, FieldType::Int},
                                             {kFieldBatchUnbind, FieldType::Int}});
}

std::string StatusText(const HostCtl::Storage::OspaProvider &provider) {
  const char *reason = nullptr;
  switch (provider.status) {
  case 0:
    return "Online";
  case 1:
    return "Offline";
  case 2:
    reason = "SyncError";
    break;
  case 3:
    reason = "TransportError";
    break;
  case 4:
    reason = "AuthenticationError";
    break;
  default:
    reason = "Unknown";
    break;
  }
  return std::string("Offline: ") + reason + " [" + provider.statusDetail + "]";
}

std::string YesNo(bool yes) {
  return yes ? "Yes" : "No";
}

// The host's storage arrays; false, with the error added, when they cannot be read.
bool FetchArrays(const Frame::OutputPtr &output, std::vector<HostCtl::Storage::XvolStorageArray> &arrays) {
  try {
    OlkCtl::Storage::XvolFileSystemImpl::GetXvolStorageArrays(arrays);
    return true;
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get OSPA Storage Arrays: ", e);
    return false;
  }
}

} // namespace

// --- PE map and entries ---

PeMap ProtocolEndpointListCommon::GetPEMap(const Frame::OutputPtr &output) {
  std::vector<std::unique_ptr<HostCtl::Storage::XvolFileSystem>> containers;
  {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    containers = storage->GetXvolFileSystems();
  }
  PeMap map;
  for (const auto &container : containers) {
    if (!container)
      continue;
    std::vector<ContainerStorageArrayInfo> arrays;
    container->GetStorageArrayInfo(arrays);
    const bool stretched = container->GetStretched() == 1;
    const std::string id = container->GetContainerId();
    for (const ContainerStorageArrayInfo &array : arrays) {
      for (const ProtocolEndPoint &pe : array.pes) {
        try {
          auto [entry, inserted] = map.try_emplace(pe.ospaPeId, PeInfo{pe, {}});
          // A stretched container reaches its PEs only through its stretched
          // configuration, and a PE in stretched use belongs to such containers only.
          if (!stretched && pe.GetStretchedUse() != 1)
            entry->second.containers.push_back(id);
        } catch (const HostCtlException &e) {
          // verbatim: "occured"
          output->AddErrorMessage("Error (" + std::string(e.what()) +
                                  ") occured while getting data for ProtocolEndPoint: " + pe.ospaPeId);
        }
      }
    }
    if (stretched) {
      for (const std::string &peId : container->GetStretchedConfig().peIds) {
        auto entry = map.find(peId);
        if (entry != map.end())
          entry->second.containers.push_back(id);
      }
    }
  }
  return map;
}

Frame::MetaStructPtr ProtocolEndpointListCommon::GetPeStructure() {
  return Frame::NewTemplate("ProtocolEndPoint", {{"Ospa Id", FieldType::String},
                                                 {"Host Id", FieldType::String},
                                                 {"Array Id", FieldType::String},
                                                 {"Type", FieldType::String},
                                                 {"Accessible", FieldType::Bool},
                                                 {"Configured", FieldType::Bool},
                                                 {"Lun Id", FieldType::String},
                                                 {"Remote Host", FieldType::String},
                                                 {"Remote Share", FieldType::String},
                                                 {"NFS4x Transport IPs", FieldType::StringList},
                                                 {"Server Scope", FieldType::String},
                                                 {"Server Major", FieldType::String},
                                                 {"Auth", FieldType::String},
                                                 {"User", FieldType::String},
                                                 {"Storage Containers", FieldType::StringList},
                                                 {"IsUsedByStretchedContainer", FieldType::String}});
}

Frame::MetaStructPtr ProtocolEndpointListCommon::GetPeEntry(const PeInfo &info) {
  const ProtocolEndPoint &pe = info.pe;
  auto row = GetPeStructure();
  row->SetField("Ospa Id", pe.ospaPeId);
  row->SetField("Host Id", pe.hostId);
  row->SetField("Array Id", pe.arrayId);
  row->SetField("Accessible", pe.accessible);
  row->SetField("Configured", pe.configured);
  row->SetField("Type", "Unknown");
  switch (pe.peType) {
  case ProtocolEndPoint::XVOL_PETYPE_SCSI:
    row->SetField("Type", ProtocolEndPoint::XVOL_PETYPE_SCSI_STR);
    row->SetField("Lun Id", pe.lunId);
    break;
  case ProtocolEndPoint::XVOL_PETYPE_NFS:
    row->SetField("Type", ProtocolEndPoint::XVOL_PETYPE_NFS_STR);
    row->SetField("Remote Host", pe.remoteHost);
    row->SetField("Remote Share", pe.remoteShare);
    break;
  case ProtocolEndPoint::XVOL_PETYPE_NFS4X:
    row->SetField("Type", ProtocolEndPoint::XVOL_PETYPE_NFS4X_STR);
    row->SetField("Remote Share", pe.remoteShare);
    row->SetField("Server Scope", pe.serverScope);
    row->SetField("Server Major", pe.serverMajor);
    row->SetField("Auth", pe.auth);
    row->SetField("User", pe.user);
    row->SetField("NFS4x Transport IPs", pe.nfs4xTransportIps);
    break;
  default:
    break;
  }
  row->SetField("IsUsedByStretchedContainer", YesNo(pe.stretchedUse == 1));
  if (pe.stretchedUse == 1)
    row->SetField("Array Id", "Stretched");
  row->SetField("Storage Containers", info.containers);
  return row;
}

// --- ospaprovider list ---

VendorProviderList::VendorProviderList() {
  SetDescription("List the OSPA Providers registered on this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:XvolVP", "%VP Name%");
  SetDefaultOutputParameter(
      "fields:XvolVP",
      "VP Name,URL,Status,OSPA Version,Max Concurrent Operations,Arrays,VirtualHost,API Batch Size");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr VendorProviderList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr VendorProviderList::GetOutputStructure() const {
  auto row = Frame::NewTemplate("XvolVP", {{kFieldVpName, FieldType::String},
                                           {kFieldUrl, FieldType::String},
                                           {kFieldStatus, FieldType::String},
                                           {kFieldMaxConcurrentOps, FieldType::Int},
                                           {kFieldOspaVersion, FieldType::Int}});
  row->SetField(kFieldArrays, MetaList::New(MetaType::Struct, ProviderArrayStructure()));
  row->SetField(kFieldVirtualHost, VirtualHostStructure());
  row->SetField(kFieldApiBatchSize, BatchSizeStructure());
  return row;
}

void VendorProviderList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  std::vector<HostCtl::Storage::OspaProvider> providers;
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    storage->GetOspaProviders("", providers);
  } catch (const HostCtlException &e) {
    // verbatim: two blanks at the end
    Frame::AddHostError(output, "Unable to retrieve list of XVol OSPA Providers from system:  ", e);
    return;
  }
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Reserve(providers.size());
  for (const HostCtl::Storage::OspaProvider &provider : providers) {
    auto row = GetOutputStructure();
    row->SetField(kFieldVpName, provider.name);
    row->SetField(kFieldUrl, provider.url);
    row->SetField(kFieldOspaVersion, provider.ospaVersion);
    row->SetField(kFieldMaxConcurrentOps, provider.maxConcurrentOperations);
    row->SetField(kFieldStatus, StatusText(provider));
    auto arrays = MetaList::New(MetaType::Struct, ProviderArrayStructure());
    for (const HostCtl::Storage::OspaProviderArray &array : provider.arrays) {
      auto entry = ProviderArrayStructure();
      entry->SetField(kFieldArrayId, array.arrayId);
      entry->SetField(kFieldIsActive, array.active);
      entry->SetField(kFieldPriority, array.priority);
      arrays->Add(entry);
    }
    row->SetField(kFieldArrays, arrays);
    if (provider.hasVirtualHost) {
      auto host = VirtualHostStructure();
      host->SetField(kFieldSni, provider.virtualHost.sni);
      host->SetField(kFieldPort, provider.virtualHost.port);
      host->SetField(kFieldIp, provider.virtualHost.ip);
      row->SetField(kFieldVirtualHost, host);
    }
    const HostCtl::Storage::OspaBatchSizes &sizes = provider.batchSizes;
    auto batch = BatchSizeStructure();
    batch->SetField(kFieldBatchDefault, sizes.defaultSize);
    batch->SetField(kFieldBatchSnapshot, sizes.snapshot);
    batch->SetField(kFieldBatchBind, sizes.bind);
    batch->SetField(kFieldBatchUnbind, sizes.unbind);
    batch->SetField(kFieldBatchTaskUpdate, sizes.taskUpdate);
    batch->SetField(kFieldBatchSpaceStats, sizes.spaceStats);
    batch->SetField(kFieldBatchQuery, sizes.query);
    batch->SetField(kFieldBatchMetadataUpdate, sizes.metadataUpdate);
    row->SetField(kFieldApiBatchSize, batch);
    result->Add(row);
  }
  output->SetRootObject(result);
}

// --- storagecontainer list ---

StorageContainerList::StorageContainerList() {
  SetDescription("List XVol storage containers known to this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:StorageContainer", "%StorageContainer Name%");
  SetDefaultOutputParameter(
      "fields:StorageContainer",
      "StorageContainer Name,UUID,Array,Size(MB),Free(MB),Accessible,Default Policy,Stretched");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr StorageContainerList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr StorageContainerList::GetOutputStructure() const {
  return Frame::NewTemplate("StorageContainer", {{"StorageContainer Name", FieldType::String},
                                                 {"UUID", FieldType::String},
                                                 {"Array", FieldType::String},
                                                 {"Size(MB)", FieldType::Int},
                                                 {"Free(MB)", FieldType::Int},
                                                 {"Accessible", FieldType::Bool},
                                                 {"Default Policy", FieldType::String},
                                                 {"Stretched", FieldType::String}});
}

// No handler of its own: a host failure leaves the command.
void StorageContainerList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  auto containers = storage->GetXvolFileSystems();
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Reserve(containers.size());
  for (const auto &container : containers) {
    if (!container)
      continue;
    auto row = GetOutputStructure();
    row->SetField("StorageContainer Name", container->GetName());
    row->SetField("UUID", container->GetUuid());
    const uint64_t capacity = container->GetCapacity();
    row->SetField("Size(MB)", static_cast<int64_t>(capacity >> 20));
    // Thin arrays may report more used than capacity: the difference is
    // negative, and the division truncates toward zero.
    row->SetField("Free(MB)", static_cast<int64_t>(capacity - container->GetUsed()) / 1048576);
    row->SetField("Accessible", container->IsAccessible());
    std::vector<ContainerStorageArrayInfo> arrays;
    container->GetStorageArrayInfo(arrays);
    row->SetField("Array", arrays.empty() ? std::string("Unavailable") : arrays.front().arrayId);
    const bool stretched = container->GetStretched() == 1;
    row->SetField("Stretched", YesNo(stretched));
    if (stretched)
      row->SetField("Array", "Stretched");
    row->SetField("Default Policy", "");
    result->Add(row);
  }
  output->SetRootObject(result);
}

// --- protocolendpoint list ---

ProtocolEndPointList::ProtocolEndPointList() {
  SetDescription("List the XVol Protocol EndPoints currently known to this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ProtocolEndPoint", "%Ospa Id%");
  SetDefaultOutputParameter("fields:ProtocolEndPoint",
                            "Host Id,Array Id,Type,Accessible,Configured,Lun Id,Remote Host,Remote Share,"
                            "NFS4x Transport IPs,Server Scope,Server Major,Auth,User,Storage Containers");
}

Frame::InputSpecPtr ProtocolEndPointList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "pe", "p", ParameterType::String, Frame::Optional,
                  "Show Protocol Endpoint (PE) information associated with the given OSPA PE ID.");
  Frame::AddParam(spec, "pe-type", "t", ParameterType::String, Frame::Optional,
                  "PE type to display. Acceptable values are: %ENUM%.",
                  Frame::StringEnum({{ProtocolEndPoint::XVOL_PETYPE_SCSI_STR},
                                     {ProtocolEndPoint::XVOL_PETYPE_NFS_STR},
                                     {ProtocolEndPoint::XVOL_PETYPE_NFS4X_STR}}));
  return spec;
}

Frame::MetaStructPtr ProtocolEndPointList::GetOutputStructure() const {
  return ProtocolEndpointListCommon::GetPeStructure();
}

void ProtocolEndPointList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string wantedId = input->GetParameter("pe");
  int32_t wantedType = -1;
  if (input->HasParameter("pe-type")) {
    const std::string type = input->GetParameter("pe-type");
    if (type == ProtocolEndPoint::XVOL_PETYPE_SCSI_STR)
      wantedType = ProtocolEndPoint::XVOL_PETYPE_SCSI;
    else if (type == ProtocolEndPoint::XVOL_PETYPE_NFS_STR)
      wantedType = ProtocolEndPoint::XVOL_PETYPE_NFS;
    else
      wantedType = ProtocolEndPoint::XVOL_PETYPE_NFS4X;
  }
  const PeMap map = ProtocolEndpointListCommon::GetPEMap(output);
  auto result = Frame::NewRowList(GetOutputStructure());
  for (const auto &[ospaId, info] : map) {
    if (wantedType != -1 && info.pe.peType != wantedType)
      continue;
    if (!wantedId.empty() && wantedId != ospaId)
      continue;
    result->Add(ProtocolEndpointListCommon::GetPeEntry(info));
  }
  output->SetRootObject(result);
}

// --- ospacontext get ---

OspaContextGet::OspaContextGet() {
  SetDescription("Get the XVol OSPA Context (Orlocenter UUID).");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr OspaContextGet::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::OutputSpecPtr OspaContextGet::GetOutputSpecInternal() {
  auto spec = CliKit::CallSpec::OutputSpec::New();
  spec->SetRootObject(Frame::MetaString::New());
  return spec;
}

// No handler of its own: a host failure leaves the command.
void OspaContextGet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  std::string context;
  {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    context = storage->GetOspaContext();
  }
  output->SetRootObject(Frame::MetaString::New(context));
}

namespace StorageArray {

// --- storagearray list ---

StorageArrayList::StorageArrayList() {
  SetDescription("XVol OSPA Storage Array");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:StorageArrayList", "%Name%");
  SetDefaultOutputParameter("fields:StorageArrayList", "Name,Array Id,Vendor Id,Model Id,Online VP List");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr StorageArrayList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr StorageArrayList::GetOutputStructure() const {
  return Frame::NewTemplate("StorageArrayList", {{"Name", FieldType::String},
                                                 {"Array Id", FieldType::String},
                                                 {"Vendor Id", FieldType::String},
                                                 {"Model Id", FieldType::String},
                                                 {"Online VP List", FieldType::String}});
}

void StorageArrayList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  std::vector<HostCtl::Storage::XvolStorageArray> arrays;
  if (!FetchArrays(output, arrays))
    return;
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Reserve(arrays.size());
  for (const HostCtl::Storage::XvolStorageArray &array : arrays) {
    auto row = GetOutputStructure();
    row->SetField("Name", array.name);
    row->SetField("Array Id", array.arrayId);
    row->SetField("Vendor Id", array.vendorId);
    row->SetField("Model Id", array.modelId);
    std::string online;
    for (const std::string &name : array.onlineProviders)
      online += (online.empty() ? "" : ", ") + name;
    row->SetField("Online VP List", online);
    result->Add(row);
  }
  output->SetRootObject(result);
}

// --- storagearray container list ---

namespace {

// The one parameter of both per-array lists; only its help text differs.
Frame::InputSpecPtr ArrayInputSpec(const char *description) {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "array", "a", ParameterType::String, Frame::Optional, description);
  return spec;
}

// A StorageArray row of the per-array lists: name, id and a list of `rows`.
Frame::MetaStructPtr ArrayRowStructure(const char *listField, const Frame::MetaStructPtr &rows) {
  auto row =
      Frame::NewTemplate("StorageArray", {{"Name", FieldType::String}, {"Array ID", FieldType::String}});
  row->SetField(listField, MetaList::New(MetaType::Struct, rows));
  return row;
}

Frame::MetaStructPtr ContainerPeStructure() {
  return Frame::NewTemplate("ProtocolEndPoints",
                            {{"Ospa Id", FieldType::String}, {"Host Id", FieldType::String}});
}

Frame::MetaStructPtr ArrayContainerStructure() {
  auto row =
      Frame::NewTemplate("StorageContainer", {{"Name", FieldType::String}, {"UUID", FieldType::String}});
  row->SetField("ContainerProtocolEndpoints", MetaList::New(MetaType::Struct, ContainerPeStructure()));
  row->SetField("Stretched", Frame::MetaString::New());
  row->SetField("CurrentVP", Frame::MetaString::New());
  row->SetField("SyncState", Frame::MetaString::New());
  return row;
}

} // namespace

StorageArrayContainerList::StorageArrayContainerList() {
  SetDescription("List XVol containers for storage arrays known to this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:StorageArray", "%Name%");
  SetDefaultOutputParameter("fields:StorageArray", "Name,Array ID,Containers");
  SetDefaultOutputParameter("fields:ProtocolEndPoints", "Ospa Id,Host Id");
  SetDefaultOutputParameter("fields:StorageContainer",
                            "Name,UUID,Stretched,CurrentVP,SyncState,ContainerProtocolEndpoints");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr StorageArrayContainerList::GetInputSpecInternal() {
  return ArrayInputSpec("Array Id");
}

Frame::MetaStructPtr StorageArrayContainerList::GetOutputStructure() const {
  return ArrayRowStructure("Containers", ArrayContainerStructure());
}

void StorageArrayContainerList::ExecuteInternal(const Frame::InputPtr &input,
                                                const Frame::OutputPtr &output) {
  const std::string wanted = input->GetParameter("array");
  std::vector<HostCtl::Storage::XvolStorageArray> arrays;
  if (!FetchArrays(output, arrays))
    return;
  auto result = Frame::NewRowList(GetOutputStructure());
  std::unordered_map<std::string, std::shared_ptr<MetaList>> containersOf;
  for (const HostCtl::Storage::XvolStorageArray &array : arrays) {
    if (!wanted.empty() && array.arrayId != wanted)
      continue;
    auto row = GetOutputStructure();
    row->SetField("Name", array.name);
    row->SetField("Array ID", array.arrayId);
    auto containers = MetaList::New(MetaType::Struct, ArrayContainerStructure());
    row->SetField("Containers", containers);
    containersOf.emplace(array.arrayId, containers);
    result->Add(row);
  }

  auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  for (const auto &container : storage->GetXvolFileSystems()) {
    if (!container)
      continue;
    std::vector<ContainerStorageArrayInfo> infos;
    container->GetStorageArrayInfo(infos);
    for (const ContainerStorageArrayInfo &info : infos) {
      auto target = containersOf.find(info.arrayId);
      if (target == containersOf.end())
        continue;
      auto entry = ArrayContainerStructure();
      entry->SetField("Name", container->GetName());
      entry->SetField("UUID", container->GetUuid());
      entry->SetField("Stretched", YesNo(container->GetStretched() == 1));
      std::string provider;
      std::string syncState;
      const bool hasState = container->GetProviderState(info.arrayId, provider, syncState);
      std::vector<std::string> stretchedPes;
      if (hasState) {
        entry->SetField("CurrentVP", provider);
        entry->SetField("SyncState", syncState);
        stretchedPes = container->GetStretchedConfig().peIds;
      }
      auto pes = MetaList::New(MetaType::Struct, ContainerPeStructure());
      for (const ProtocolEndPoint &pe : info.pes) {
        const bool listed =
            hasState ? std::find(stretchedPes.begin(), stretchedPes.end(), pe.ospaPeId) != stretchedPes.end()
                     : pe.stretchedUse != 1;
        if (!listed)
          continue;
        auto peEntry = ContainerPeStructure();
        peEntry->SetField("Ospa Id", pe.ospaPeId);
        peEntry->SetField("Host Id", pe.hostId);
        pes->Add(peEntry);
      }
      entry->SetField("ContainerProtocolEndpoints", pes);
      target->second->Add(entry);
    }
  }
  output->SetRootObject(result);
}

// --- storagearray protocolendpoint list ---

StorageArrayProtocolEndpointList::StorageArrayProtocolEndpointList() {
  SetDescription("List Protocol Endpoints for storage arrays known to this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:StorageArray", "%Name%");
  SetDefaultOutputParameter("fields:StorageArray", "Name,Array ID,ProtocolEndpoints");
  SetDefaultOutputParameter(
      "fields:ProtocolEndPoint",
      "Ospa Id,Host Id,Type,Accessible,Configured,Lun Id,Remote Host,Remote Share,"
      "NFS4x Transport IPs,Server Scope,Server Major,Auth,User,IsUsedByStretchedContainer");
  SetDefaultOutputParameter("wrap-last", "true");
}

// verbatim: lower-case "array"
Frame::InputSpecPtr StorageArrayProtocolEndpointList::GetInputSpecInternal() {
  return ArrayInputSpec("array Id");
}

Frame::MetaStructPtr StorageArrayProtocolEndpointList::GetOutputStructure() const {
  return ArrayRowStructure("ProtocolEndpoints", ProtocolEndpointListCommon::GetPeStructure());
}

void StorageArrayProtocolEndpointList::ExecuteInternal(const Frame::InputPtr &input,
                                                       const Frame::OutputPtr &output) {
  const std::string wanted = input->GetParameter("array");
  std::vector<HostCtl::Storage::XvolStorageArray> arrays;
  if (!FetchArrays(output, arrays))
    return;
  const PeMap map = ProtocolEndpointListCommon::GetPEMap(output);
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Reserve(arrays.size());
  for (const HostCtl::Storage::XvolStorageArray &array : arrays) {
    if (!wanted.empty() && array.arrayId != wanted)
      continue;
    auto row = GetOutputStructure();
    row->SetField("Name", array.name);
    row->SetField("Array ID", array.arrayId);
    auto pes = MetaList::New(MetaType::Struct, ProtocolEndpointListCommon::GetPeStructure());
    for (const auto &[ospaId, info] : map)
      if (info.pe.arrayIds.count(array.arrayId))
        pes->Add(ProtocolEndpointListCommon::GetPeEntry(info));
    row->SetField("ProtocolEndpoints", pes);
    result->Add(row);
  }
  output->SetRootObject(result);
}

} // namespace StorageArray

} // namespace TarvexCli::XVolNamespace
