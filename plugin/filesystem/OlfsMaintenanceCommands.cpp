#include "filesystem/OlfsMaintenanceCommands.h"

#include "filesystem/OlfsTexts.h"
#include "filesystem/VolumeSelection.h"
#include "frame/Params.h"

#include <olkctl/storage/VmFileSystemImpl.h>

#include <hostctl/Adv.h>
#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>
#include <hostctl/storage/FileSystem.h>
#include <hostctl/storage/StorageInfo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::VmFileSystem;
using OlkCtl::Storage::VmFileSystemImpl;

namespace {

// The front part of unmap and upgrade: the volume path of the one label or
// uuid given, once the volume is known to exist. Empty after an error message.
std::string ResolveVolumePath(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string label = input->GetParameter("volume-label");
  const std::string uuid = input->GetParameter("volume-uuid");
  if (!label.empty() && !uuid.empty()) {
    output->AddErrorMessage(
        "You cannot specify both uuid and volume label as target. Please specify only one of these");
    return {};
  }
  if (label.empty() && uuid.empty()) {
    output->AddErrorMessage("A target OLFS volume must be specified either by label or uuid.");
    return {};
  }
  if (!uuid.empty()) {
    if (!VmFileSystemImpl::GetOLFSFileSystemByUUID(uuid)) {
      output->AddErrorMessage("Cannot find OLFS volume with uuid " + uuid);
      return {};
    }
  } else if (!VmFileSystemImpl::GetOLFSFileSystemByLabel(label)) {
    output->AddErrorMessage("Cannot find OLFS volume with label " + label);
    return {};
  }
  return "/olfs/volumes/" + (uuid.empty() ? label : uuid);
}

void AddTargetParams(const Frame::InputSpecPtr &spec, const char *labelText, const char *uuidText) {
  Frame::AddParam(spec, "volume-label", "l", ParameterType::String, Frame::Optional, labelText);
  Frame::AddParam(spec, "volume-uuid", "u", ParameterType::String, Frame::Optional, uuidText);
}

// Whether the host allows the locking mode to be upgraded while mounted.
bool OnlineAtsUpgradeAllowed() {
  auto options = HostCtl::HostFactory::GetHost()->GetAdvancedOptions();
  auto option = options->GetOption("OLFS3", "EnableOnlineATSUpgrade");
  auto *integer = dynamic_cast<HostCtl::Adv::AdvancedIntegerOption *>(option.get());
  return integer && integer->GetValue() != 0;
}

} // namespace

// --- unmap ---

OLFSVolumeUnmap::OLFSVolumeUnmap() {
  SetDescription("Reclaim the space by unmapping free blocks from OLFS Volume");
}

Frame::InputSpecPtr OLFSVolumeUnmap::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddTargetParams(spec, "The label of the OLFS volume to unmap the free blocks.",
                  "The uuid of the OLFS volume to unmap the free blocks.");
  Frame::AddParam(spec, "reclaim-unit", "n", ParameterType::Integer, Frame::Optional,
                  "Number of OLFS blocks that should be unmapped per iteration.");
  return spec;
}

void OLFSVolumeUnmap::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    const std::string path = ResolveVolumePath(input, output);
    if (path.empty())
      return;
    const std::string target = path.substr(std::string("/olfs/volumes/").size());
    VmFileSystemImpl volume(path);
    if (!volume.IsMounted()) {
      output->AddErrorMessage("Volume(" + target + ") is unmounted");
      return;
    }
    if (!volume.IsAccessible()) {
      output->AddErrorMessage("Volume(" + target + ") is inaccessible");
      return;
    }
    int64_t reclaimUnit = 200;
    if (input->HasParameter("reclaim-unit")) {
      reclaimUnit = input->GetParameterInt("reclaim-unit");
      if (reclaimUnit <= 0) {
        output->AddErrorMessage("reclaimUnit must be greater than zero");
        return;
      }
    }
    volume.UnmapVolume(static_cast<unsigned>(reclaimUnit), nullptr);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- upgrade ---

OLFSVolumeUpgrade::OLFSVolumeUpgrade() {
  SetDescription("Upgrade a OLFS3 volume to OLFS5.");
}

Frame::InputSpecPtr OLFSVolumeUpgrade::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddTargetParams(spec, "The label of the OLFS volume to upgrade.",
                  "The uuid of the OLFS volume to upgrade.");
  return spec;
}

void OLFSVolumeUpgrade::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    const std::string path = ResolveVolumePath(input, output);
    if (path.empty())
      return;
    VmFileSystemImpl volume(path);
    volume.ConvertToVersion5();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- lockmode list ---

OLFSVolumeLockModeList::OLFSVolumeLockModeList() {
  SetDescription("List the on-disk critical section locking mode for OLFS volumes available on this host.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:VolumeLockModeConfiguration",
      "Volume Name,UUID,Type,Locking Mode,ATS Compatible,ATS Upgrade Modes,ATS Incompatibility "
      "Reason");
}

Frame::InputSpecPtr OLFSVolumeLockModeList::GetInputSpecInternal() {
  auto spec = GetMultipleOLFSVolumesInputSpec();
  spec->AddExample("", "Show lockmodes for all OLFS volumes.");
  spec->AddExample("-l datastore1", "Show lockmode for OLFS volume with label 'datastore1'.");
  spec->AddExample(
      "-l datastore1 -l datastore2",
      "Show lockmodes for OLFS volume with label 'datastore1' and OLFS volume with label 'datastore2'.");
  spec->AddExample("-l datastore1 -u 50ac1b12-6b9eebe0-6765-80c16e6d3408",
                   "Show lockmodes for OLFS volume with label 'datastore1' and OLFS volume with uuid "
                   "'50ac1b12-6b9eebe0-6765-80c16e6d3408'.");
  return spec;
}

Frame::MetaStructPtr OLFSVolumeLockModeList::GetOutputStructure() const {
  return Frame::NewTemplate("VolumeLockModeConfiguration",
                            {{"Volume Name", FieldType::String},
                             {"UUID", FieldType::String},
                             {"Type", FieldType::String},
                             {"Locking Mode", FieldType::String},
                             {"ATS Compatible", FieldType::Bool},
                             {"ATS Upgrade Modes", FieldType::String},
                             {"ATS Incompatibility Reason", FieldType::String}});
}

void OLFSVolumeLockModeList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool ignoreErrors = input->IsFlagSet("ignore-errors");
  try {
    const bool onlineUpgrade = OnlineAtsUpgradeAllowed();
    std::vector<VmFileSystemPtr> volumes;
    if (!GetMultipleOLFSVolumes(input, output, volumes))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &volume : volumes) {
      try {
        auto row = GetOutputStructure();
        const uint32_t flags = volume->GetLockState();
        row->SetField("Volume Name", volume->GetVolumeName());
        row->SetField("UUID", volume->GetUuid());
        row->SetField("Type", GetOLFSVersionString(*volume));
        row->SetField("Locking Mode", TranslateLockMode(flags));
        const AtsCompatibility ats = UpdateATSCompatibility(
            onlineUpgrade, {flags, volume->GetMajorVersion(), volume->GetDeviceAtsSupport(),
                            static_cast<int>(volume->GetExtents().size())});
        row->SetField("ATS Compatible", ats.compatible);
        row->SetField("ATS Upgrade Modes", ats.upgradeModes);
        row->SetField("ATS Incompatibility Reason", ats.reason);
        result->Add(row);
      } catch (const HostCtlException &e) {
        if (!ignoreErrors)
          output->AddErrorMessage(SkippedVolumeText(volume->GetMountPoint(), e));
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- lockmode set ---

OLFSVolumeLockModeSet::OLFSVolumeLockModeSet() {
  SetDescription("Update the on-disk critical section locking mode for a particular OLFS Volume.");
}

Frame::InputSpecPtr OLFSVolumeLockModeSet::GetInputSpecInternal() {
  auto spec = GetSingleOLFSVolumeInputSpec();
  // verbatim: no blank before "for"
  spec->AddExample("-a -l datastore1", "Configure OLFS volume with label 'datastore1'for ATS-only locking.");
  spec->AddExample("-s -u 50ac1b12-6b9eebe0-6765-80c16e6d3408",
                   "Configure OLFS volume with uuid '50ac1b12-6b9eebe0-6765-80c16e6d3408' for SCSI locking.");
  Frame::AddParam(spec, "ats", "a", ParameterType::Flag, Frame::Optional, "Enable ATS-only locking.");
  Frame::AddParam(spec, "scsi", "s", ParameterType::Flag, Frame::Optional, "Enable SCSI locking.");
  return spec;
}

void OLFSVolumeLockModeSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool ats = input->IsFlagSet("ats");
  const bool scsi = input->IsFlagSet("scsi");
  if (ats && scsi) {
    output->AddErrorMessage("You cannot specify both --ats and --scsi.");
    return;
  }
  if (!ats && !scsi) {
    output->AddErrorMessage("The requested lockmode must be specified either by --ats or --scsi.");
    return;
  }
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    const uint32_t flags = volume->GetLockState();
    if (ats && !(flags & VmFileSystem::LOCK_ATS_ONLY))
      volume->SetLockState(flags | VmFileSystem::LOCK_ATS_ONLY);
    else if (scsi && (flags & VmFileSystem::LOCK_ATS_ONLY))
      volume->SetLockState(flags & ~VmFileSystem::LOCK_ATS_ONLY);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- host list ---

OLFSVolumeHostList::OLFSVolumeHostList() {
  SetDescription("List hosts accessing a particular OLFS Volume.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:VolumeLockModeInUse",
                            "Heartbeat UUID,MAC Address,Driver Version,Heartbeat Offset,Locking Mode,Status");
}

Frame::InputSpecPtr OLFSVolumeHostList::GetInputSpecInternal() {
  auto spec = GetSingleOLFSVolumeInputSpec();
  spec->AddExample("-l datastore1",
                   "List hosts using volume 'datastore1' with default liveness check of 'none'.");
  spec->AddExample("-l datastore1 -v quick",
                   "List hosts using volume 'datastore1' with liveness check of 'quick'.");
  Frame::AddParam(
      spec, "liveness", "v", ParameterType::String, Frame::Optional,
      "The type of liveness check to perform on the OLFS volume. Valid values are %ENUM% (default is "
      "none).",
      Frame::StringEnum({{"none", "No liveness check, just scan heartbeats (default)"},
                         {"quick", "Quick liveness check, wait for one heartbeat interval"}}));
  return spec;
}

Frame::MetaStructPtr OLFSVolumeHostList::GetOutputStructure() const {
  return Frame::NewTemplate("VolumeLockModeInUse", {{"Heartbeat UUID", FieldType::String},
                                                    {"MAC Address", FieldType::String},
                                                    {"Driver Version", FieldType::String},
                                                    {"Heartbeat Offset", FieldType::Int},
                                                    {"Locking Mode", FieldType::String},
                                                    {"Status", FieldType::String}});
}

void OLFSVolumeHostList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool quick = input->GetParameter("liveness") == "quick";
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    auto result = Frame::NewRowList(GetOutputStructure());
    const auto users = volume->GetHostUsers(quick);
    const uint32_t flags = volume->GetLockState();
    for (const HostCtl::Storage::OlfsUserInfo &user : users) {
      auto row = GetOutputStructure();
      char version[24];
      std::snprintf(version, sizeof version, "%u.%u", user.driverVersionMajor, user.driverVersionMinor);
      row->SetField("Heartbeat UUID", user.heartbeatUuid);
      row->SetField("MAC Address", user.macAddress.GetStringAddress());
      row->SetField("Driver Version", version);
      row->SetField("Heartbeat Offset", Frame::MetaInt::New(user.heartbeatOffset));
      row->SetField("Locking Mode", TranslateLockModeInUse(user.lockMode));
      row->SetField("Status", TranslateStatus(flags, user.lockMode));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- reclaim config get ---

OLFSReclaimConfigGet::OLFSReclaimConfigGet() {
  SetDescription("Get space reclamation configuration parameters");
  SetDefaultOutputFormatter("simple");
  // verbatim: the blank before the last name
  SetDefaultOutputParameter(
      "fields:OlfsReclaim",
      "Reclaim Granularity,Reclaim Priority,Reclaim Method,Reclaim Bandwidth, Reclaim Max Hosts");
  SetDefaultOutputParameter("units:OlfsReclaim.Reclaim Bandwidth", "MB/s");
  SetDefaultOutputParameter("units:OlfsReclaim.Reclaim Granularity", "Bytes");
}

Frame::InputSpecPtr OLFSReclaimConfigGet::GetInputSpecInternal() {
  return GetSingleOLFSVolumeInputSpec();
}

Frame::MetaStructPtr OLFSReclaimConfigGet::GetOutputStructure() const {
  return Frame::NewTemplate("OlfsReclaim", {{"Reclaim Granularity", FieldType::Int},
                                            {"Reclaim Priority", FieldType::String},
                                            {"Reclaim Method", FieldType::String},
                                            {"Reclaim Bandwidth", FieldType::Int},
                                            {"Reclaim Max Hosts", FieldType::Int}});
}

void OLFSReclaimConfigGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    const HostCtl::Storage::OlfsVolumeUnmapProperty property = volume->GetUnmapProperty();
    const bool hostLimit = (volume->GetCapabilities() & VmFileSystem::CAP_UNMAP_HOST_LIMIT) != 0;
    auto row = GetOutputStructure();
    row->SetField("Reclaim Granularity", Frame::MetaInt::New(property.granularity));
    row->SetField("Reclaim Priority", property.priority);
    row->SetField("Reclaim Method", property.method);
    row->SetField("Reclaim Bandwidth", Frame::MetaInt::New(property.bandwidth));
    row->SetField("Reclaim Max Hosts", Frame::MetaInt::New(hostLimit ? property.maxHosts : 0));
    output->SetRootObject(row);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- reclaim config set ---

OLFSReclaimConfigSet::OLFSReclaimConfigSet() {
  SetDescription("Set space reclamation configuration parameters");
}

Frame::InputSpecPtr OLFSReclaimConfigSet::GetInputSpecInternal() {
  auto spec = GetSingleOLFSVolumeInputSpec();
  Frame::AddParam(spec, "reclaim-granularity", "g", ParameterType::Integer, Frame::Optional,
                  "Minimum granularity of automatic space reclamation in bytes");
  Frame::AddParam(spec, "reclaim-priority", "p", ParameterType::String, Frame::Optional,
                  "Priority of automatic space reclamation. Supported options are %ENUM%.",
                  Frame::StringEnum({{"none"}, {"low"}, {"medium"}, {"high"}}));
  // verbatim: two blanks
  Frame::AddParam(spec, "reclaim-method", "m", ParameterType::String, Frame::Optional,
                  "Method of automatic space reclamation.  Supported options are %ENUM%.",
                  Frame::StringEnum({{"priority"}, {"fixed"}}));
  Frame::AddParam(spec, "reclaim-bandwidth", "b", ParameterType::Integer, Frame::Optional,
                  "Space reclamation fixed bandwidth (MB/s)");
  // verbatim: two blanks
  Frame::AddParam(spec, "reclaim-maxhosts", "n", ParameterType::Integer, Frame::Optional,
                  "Limit on maximum number of hosts for  space reclamation.", Frame::IntRange(1, 256));
  return spec;
}

void OLFSReclaimConfigSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    // The option turns the host limit off whatever the volume can do.
    const uint64_t capabilities = HostCtl::Storage::GetOptionValue("/OLFS3/DisableReduceUnmapLoad") != 0
                                      ? 0
                                      : volume->GetCapabilities();
    const bool hostLimit = (capabilities & VmFileSystem::CAP_UNMAP_HOST_LIMIT) != 0;
    if (!input->HasParameter("reclaim-granularity") && !input->HasParameter("reclaim-priority") &&
        !input->HasParameter("reclaim-method") && !input->HasParameter("reclaim-maxhosts")) {
      output->AddErrorMessage(hostLimit ? "You have to specify at least one of - reclaim-granularity, "
                                          "reclaim-priority, reclaim-method, reclaim-maxhosts"
                                        : "You have to specify at least one of - reclaim-granularity, "
                                          "reclaim-priority, reclaim-method");
      return;
    }
    HostCtl::Storage::OlfsVolumeUnmapProperty property;
    if (input->HasParameter("reclaim-granularity")) {
      property.granularity = input->GetParameterInt("reclaim-granularity");
      if (property.granularity < 0) {
        output->AddErrorMessage("reclaim-granularity must be greater than or equal to zero");
        return;
      }
    }
    property.priority = input->GetParameter("reclaim-priority");
    property.method = input->GetParameter("reclaim-method");
    if (property.method == "priority") {
      if (property.priority.empty()) {
        output->AddErrorMessage("reclaim-priority should be specified");
        return;
      }
    } else if (property.method == "fixed") {
      if (!input->HasParameter("reclaim-bandwidth")) {
        output->AddErrorMessage("reclaim-bandwidth should be specified");
        return;
      }
      property.bandwidth = static_cast<int32_t>(input->GetParameterInt("reclaim-bandwidth"));
    } else if (!property.method.empty()) {
      output->AddErrorMessage("Unsupported unmap method");
      return;
    }
    if (input->HasParameter("reclaim-maxhosts")) {
      if (!hostLimit) {
        output->AddErrorMessage("reclaim-MaxHosts not supported on this volume");
        return;
      }
      property.maxHosts = static_cast<uint16_t>(input->GetParameterInt("reclaim-maxhosts"));
    }
    volume->SetUnmapProperty(property);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- pbcache get ---

OLFSPBCacheGet::OLFSPBCacheGet() {
  SetDescription("Get OLFS Pointer Block cache statistics.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Capacity Miss Ratio", "%");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Size", "MiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Size Max", "MiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Usage", "%");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Working Set", "TiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Cache Working Set Max", "TiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Olfs Heap Overhead", "KiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Olfs Heap Size", "MiB");
  SetDefaultOutputParameter("units:OLFSPBCacheGet.Olfs Heap Size Max", "MiB");
}

Frame::InputSpecPtr OLFSPBCacheGet::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr OLFSPBCacheGet::GetOutputStructure() const {
  return Frame::NewTemplate("OLFSPBCacheGet", {{"Cache Capacity Miss Ratio", FieldType::Int},
                                               {"Cache Size", FieldType::Int},
                                               {"Cache Size Max", FieldType::Int},
                                               {"Cache Usage", FieldType::Int},
                                               {"Cache Working Set", FieldType::Int},
                                               {"Cache Working Set Max", FieldType::Int},
                                               {"Olfs Heap Overhead", FieldType::Int},
                                               {"Olfs Heap Size", FieldType::Int},
                                               {"Olfs Heap Size Max", FieldType::Int}});
}

void OLFSPBCacheGet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  std::vector<HostCtl::Hardware::HardwareInfo::MemHeapStats> heaps;
  try {
    heaps = HostCtl::HostFactory::GetHost()->GetHardwareInfo()->GetMemHeapStats();
  } catch (const HostCtlException &) {
    output->AddErrorMessage("Error getting data for OLFS heap size.");
    return;
  }
  const HostCtl::Hardware::HardwareInfo::MemHeapStats *heap = nullptr;
  for (const auto &candidate : heaps) {
    if (candidate.name == "olfs3") {
      heap = &candidate;
      break;
    }
  }
  if (!heap || heap->currentSize == 0) {
    output->AddErrorMessage("Did not find OLFS3 heap stats!");
    return;
  }
  try {
    const HostCtl::Storage::PBCacheStats stats =
        HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetPBCache()->GetStats();
    const PBCacheFigures figures = ComputePBCacheFigures(stats, heap->currentSize, heap->maxSize);
    auto row = GetOutputStructure();
    row->SetField("Cache Capacity Miss Ratio", Frame::MetaInt::New(figures.missRatio));
    row->SetField("Cache Size", Frame::MetaInt::New(figures.sizeMiB));
    row->SetField("Cache Size Max", Frame::MetaInt::New(figures.sizeMaxMiB));
    row->SetField("Cache Usage", Frame::MetaInt::New(figures.usagePercent));
    row->SetField("Cache Working Set", Frame::MetaInt::New(figures.workingSetTiB));
    row->SetField("Cache Working Set Max", Frame::MetaInt::New(figures.workingSetMaxTiB));
    row->SetField("Olfs Heap Overhead", Frame::MetaInt::New(figures.heapOverheadKiB));
    row->SetField("Olfs Heap Size", Frame::MetaInt::New(figures.heapSizeMiB));
    row->SetField("Olfs Heap Size Max", Frame::MetaInt::New(figures.heapSizeMaxMiB));
    output->SetRootObject(row);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- pbcache reset ---

OLFSPBCacheReset::OLFSPBCacheReset() {
  SetDescription("Reset the OLFS Pointer Block cache statistics.");
}

Frame::InputSpecPtr OLFSPBCacheReset::GetInputSpecInternal() {
  return InputSpec::New();
}

void OLFSPBCacheReset::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetPBCache()->ResetStats();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &) {
    // The host's own text is not shown.
    output->AddErrorMessage("Error resetting OLFS Pointer Block cache statistics.");
  }
}

} // namespace TarvexCli::FileSystem
