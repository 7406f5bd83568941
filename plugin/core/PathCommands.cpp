#include "core/PathCommands.h"

#include "core/ScsiStatsFields.h"

#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace TarvexCli::Storage {

using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ScsiInterface;
using HostCtl::Storage::ScsiPath;

namespace {

// path list and scsi path list show the same fields.
constexpr const char *kScsiPathFields =
    "UID,Runtime Name,Device,Device Display Name,Adapter,Controller,Channel,"
    "Target,LUN,Plugin,State,Transport,Adapter Identifier,Target Identifier,"
    "Adapter Transport Details,Target Transport Details,Maximum IO Size";

Frame::MetaStructPtr NewScsiPathRow() {
  return Frame::NewTemplate("ScsiPath", {{"UID", FieldType::String},
                                         {"Runtime Name", FieldType::String},
                                         {"Device", FieldType::String},
                                         {"Device Display Name", FieldType::String},
                                         {"Adapter", FieldType::String},
                                         {"Controller", FieldType::String},
                                         {"Channel", FieldType::Int},
                                         {"Target", FieldType::Int},
                                         {"LUN", FieldType::Int},
                                         {"Adapter Identifier", FieldType::String},
                                         {"Target Identifier", FieldType::String},
                                         {"Plugin", FieldType::String},
                                         {"State", FieldType::String},
                                         {"Transport", FieldType::String},
                                         {"Adapter Transport Details", FieldType::String},
                                         {"Target Transport Details", FieldType::String},
                                         {"Maximum IO Size", FieldType::Int}});
}

Frame::MetaStructPtr NewNvmePathRow() {
  return Frame::NewTemplate("ScsiPath", {{"UID", FieldType::String},
                                         {"Runtime Name", FieldType::String},
                                         {"Device", FieldType::String},
                                         {"Device Display Name", FieldType::String},
                                         {"Adapter", FieldType::String},
                                         {"Controller", FieldType::String},
                                         {"ANA group ID", FieldType::Int},
                                         {"Channel", FieldType::Int},
                                         {"Target", FieldType::Int},
                                         {"NSID", FieldType::Int},
                                         {"Adapter Identifier", FieldType::String},
                                         {"Target Identifier", FieldType::String},
                                         {"Plugin", FieldType::String},
                                         {"State", FieldType::String},
                                         {"Transport", FieldType::String},
                                         {"Adapter Transport Details", FieldType::String},
                                         {"Target Transport Details", FieldType::String},
                                         {"Maximum IO Size", FieldType::Int}});
}

// The two protocol lists word their parameters alike (single blanks, unlike
// path list).
Frame::InputSpecPtr ProtocolPathListSpec() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "path", "p", ParameterType::String, Frame::Optional,
      "Limit the output to a specific path. This name can be either the UID or the runtime name of the "
      "path.");
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Optional,
      "Limit the output to paths to a specific device. This name can be any of the UIDs for a specific "
      "device.");
  return spec;
}

// Which paths a list shows, and the shapes of its failure messages.
enum class Protocol { Any, Scsi, Nvme };

struct PathListKind {
  Protocol protocol;
  Frame::MetaStructPtr (*newRow)();
  const char *listFailure; // context of a failure outside the per-path loop
  const char *pathFailure; // between a path's runtime name and the host's text
};

void FillPathRow(const Frame::MetaStructPtr &row, const ScsiPath &path, const HostCtl::Storage::Lun *device,
                 const std::string &displayName, bool nvme) {
  const std::string deviceName = path.GetDeviceName();
  row->SetField("UID", path.GetUID());
  row->SetField("Runtime Name", path.GetRuntimeName());
  row->SetField("Device", deviceName.empty() ? "No associated device" : deviceName);
  row->SetField("Device Display Name", device ? displayName : "No associated device");
  row->SetField("Adapter", path.GetAdapterName());
  row->SetField("Controller", path.GetController());
  if (nvme)
    row->SetField("ANA group ID", path.GetAnaGroupId());
  row->SetField("Channel", path.GetChannel());
  row->SetField("Target", path.GetTarget());
  row->SetField(nvme ? "NSID" : "LUN", path.GetLun());
  row->SetField("Adapter Identifier", path.GetAdapterIdentifier());
  row->SetField("Target Identifier", path.GetTargetIdentifier());
  row->SetField("Plugin", path.GetPluginName());
  row->SetField("State", path.GetStateString());
  auto adapter = path.GetScsiInterface();
  row->SetField("Transport",
                adapter ? ScsiInterface::GetInterfaceTypeString(adapter->GetInterfaceType()) : "unknown");
  auto details = path.GetTransportDetails();
  row->SetField("Adapter Transport Details",
                details ? details->GetAdapterTransportDetails() : "Unavailable or path is unclaimed");
  row->SetField("Target Transport Details",
                details ? details->GetTargetTransportDetails() : "Unavailable or path is unclaimed");
  row->SetField("Maximum IO Size", path.GetMaxIOSize());
}

// The steps the three path lists share; `kind` says where they differ.
void ListPaths(const PathListKind &kind, const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool hasPath = input->HasParameter("path");
  const bool hasDevice = input->HasParameter("device");
  const std::string pathName = input->GetParameter("path");
  const std::string deviceName = input->GetParameter("device");
  try {
    auto list = Frame::NewRowList(kind.newRow());
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();

    std::vector<std::unique_ptr<ScsiPath>> paths;
    if (hasPath) {
      auto path = storage->GetScsiPath(pathName);
      if (!path) {
        output->AddErrorMessage("Unknown Path " + pathName);
        return;
      }
      paths.push_back(std::move(path));
    } else {
      paths = storage->GetScsiPaths();
    }

    std::string filterDevice;
    if (hasDevice) {
      auto device = storage->GetLun(deviceName, true);
      if (!device) {
        output->AddErrorMessage("Unknown Device " + deviceName);
        return;
      }
      filterDevice = device->GetName();
    }
    if (!hasPath && !hasDevice)
      list->Reserve(paths.size());

    std::unordered_map<std::string, std::string> displayNames;
    if (kind.protocol == Protocol::Any)
      displayNames = storage->GetDeviceDisplayNames();

    for (const auto &path : paths) {
      try {
        if (hasDevice && path->GetDeviceName() != filterDevice)
          continue;
        auto device = path->GetDevice();
        if (device && kind.protocol == Protocol::Scsi && device->IsNvme())
          continue;
        if (device && kind.protocol == Protocol::Nvme && !device->IsNvme())
          continue;
        std::string displayName;
        if (device && kind.protocol == Protocol::Any) {
          auto entry = displayNames.find(path->GetDeviceName());
          if (entry != displayNames.end())
            displayName = entry->second;
        } else if (device) {
          displayName = device->GetDisplayName();
        }
        auto row = kind.newRow();
        FillPathRow(row, *path, device.get(), displayName, kind.protocol == Protocol::Nvme);
        list->Add(row);
      } catch (const HostCtlException &e) {
        // verbatim: "informatin"
        output->AddErrorMessage("Error getting path informatin for " + path->GetRuntimeName() +
                                kind.pathFailure + e.what());
      }
    }
    output->SetRootObject(list);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, kind.listFailure, e);
  }
}

} // namespace

// --- path list ---

PathList::PathList() {
  SetDescription("List all the storage paths on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPath", "%UID%");
  SetDefaultOutputParameter("fields:ScsiPath", kScsiPathFields);
}

Frame::InputSpecPtr PathList::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "path", "p", ParameterType::String, Frame::Optional,
      // verbatim: double blank
      "Limit the output to a specific path. This  name can be either the UID or the runtime name of the "
      "path.");
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Optional,
      // verbatim: triple blank
      "Limit the output to paths to a specific device.   This name can be any of the UIDs for a specific "
      "device.");
  return spec;
}

Frame::MetaStructPtr PathList::GetOutputStructure() const {
  return NewScsiPathRow();
}

void PathList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListPaths({Protocol::Any, NewScsiPathRow, "Operation List Paths Failed with error: ", " Error was "}, input,
            output);
}

// --- scsi path list ---

ScsiPathList::ScsiPathList() {
  SetDescription("List all the SCSI paths on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPath", "%UID%");
  SetDefaultOutputParameter("fields:ScsiPath", kScsiPathFields);
}

Frame::InputSpecPtr ScsiPathList::GetInputSpecInternal() {
  return ProtocolPathListSpec();
}

Frame::MetaStructPtr ScsiPathList::GetOutputStructure() const {
  return NewScsiPathRow();
}

void ScsiPathList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListPaths({Protocol::Scsi, NewScsiPathRow, "Failed to list paths: ", ":"}, input, output);
}

// --- nvme path list ---

NvmePathList::NvmePathList() {
  SetDescription("List all the NVMe paths on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPath", "%UID%");
  SetDefaultOutputParameter(
      "fields:ScsiPath",
      "UID,Runtime Name,Device,Device Display Name,Adapter,Controller,ANA group ID, Channel,"
      "Target,NSID,Plugin,State,Transport,Adapter Identifier,Target Identifier,"
      "Adapter Transport Details,Target Transport Details,Maximum IO Size");
}

Frame::InputSpecPtr NvmePathList::GetInputSpecInternal() {
  return ProtocolPathListSpec();
}

Frame::MetaStructPtr NvmePathList::GetOutputStructure() const {
  return NewNvmePathRow();
}

void NvmePathList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListPaths({Protocol::Nvme, NewNvmePathRow, "Failed to list paths: ", ": "}, input, output);
}

// --- path set ---

PathSet::PathSet() {
  SetDescription(
      // verbatim: "efffectively"
      "Provide control to allow a user to modify a single path's state. This efffectively allows a user "
      "to enable or disable storage paths. The user is not able to change the full range of path states, "
      "but can toggle between 'active' and 'off'. Please NOTE changing the Path state on any path that is "
      "the only path to a given device is likely to fail. The Olkernel will not change the path's state "
      "if changing the state would cause an 'All paths down' state or the device is currently in use.");
}

Frame::InputSpecPtr PathSet::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "state", "", ParameterType::String, Frame::Required,
      "Set the storage path state for the specific path given. Valid values are: %FULLENUM%",
      Frame::StringEnum({{"active", "Set the path's state to active. This may be immediately changed by "
                                    "the system to another state if the active state is not "
                                    "appropriate."},
                         {"off", "Administratively disable this path."}}));
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "Select the path to set path state on. This can be a Runtime Name or Path UID");
  return spec;
}

void PathSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string pathName = input->GetParameter("path");
  const std::string state = input->GetParameter("state");
  try {
    auto path = OlkCtl::Storage::ScsiPathImpl::GetPath(pathName);
    if (!path) {
      output->AddErrorMessage("Unable to find a path with the name " + pathName);
      return;
    }
    const bool off = state == "off";
    path->SetState(off);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set path state. Error was: ", e);
  }
}

// --- path stats get ---

PathStats::PathStats() {
  SetDescription("List the SCSI stats for the SCSI Paths in the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPathStats", "%UID%");
  SetDefaultOutputParameter("fields:ScsiPathStats",
                            "UID,Runtime Name,Successful Commands,Blocks Read,Blocks Written,Read Operations,"
                            "Write Operations,Reserve Operations,Reservation Conflicts,Failed Commands,"
                            "Failed Blocks Read,Failed Blocks Written,Failed Read Operations,"
                            "Failed Write Operations,Failed Reserve Operations,Total Splits,PAE Commands");
}

Frame::InputSpecPtr PathStats::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "path", "p", ParameterType::String, Frame::Optional,
      "Limit the stats output to one specific path. This path name can be the runtime name or the path "
      "UID.");
  return spec;
}

Frame::MetaStructPtr PathStats::GetOutputStructure() const {
  auto row =
      Frame::NewTemplate("ScsiPathStats", {{"UID", FieldType::String}, {"Runtime Name", FieldType::String}});
  AddScsiStatsFields(*row);
  return row;
}

void PathStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool hasPath = input->HasParameter("path");
  const std::string pathName = input->GetParameter("path");
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    std::vector<std::unique_ptr<ScsiPath>> paths;
    if (hasPath) {
      auto path = OlkCtl::Storage::ScsiPathImpl::GetPath(pathName);
      if (path)
        paths.push_back(std::move(path));
      else
        output->AddErrorMessage("Unable to find path with the name " + pathName);
    } else {
      paths = storage.GetScsiPaths();
    }

    auto list = Frame::NewRowList(GetOutputStructure());
    list->Reserve(paths.size());
    for (const auto &path : paths) {
      HostCtl::Storage::ScsiStats stats;
      path->GetStats(stats);
      auto row = GetOutputStructure();
      row->SetField("UID", path->GetUID());
      row->SetField("Runtime Name", path->GetRuntimeName());
      SetScsiStatsFields(*row, stats);
      list->Add(row);
    }
    output->SetRootObject(list);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list SCSI Paths. ", e);
  }
}

} // namespace TarvexCli::Storage
