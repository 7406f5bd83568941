#include "filesystem/VolumeCommands.h"

#include "filesystem/VolumeSelection.h"
#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/FileSystem.h>

#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::FileSystem;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

using VolumeVector = std::vector<std::unique_ptr<FileSystem>>;

// One row per volume; a volume whose data cannot be read is left out, with a
// message unless errors are ignored.
void UpdateFileSystemList(const VolumeVector &volumes, const Frame::MetaListPtr &list,
                          const Frame::OutputPtr &output, bool ignoreErrors, const VolumeList &command) {
  list->Reserve(volumes.size());
  for (const auto &volume : volumes) {
    if (!volume)
      continue;
    try {
      auto row = command.GetOutputStructure();
      std::string type = volume->GetType();
      if (type == HostCtl::Storage::VmFileSystem::OLFS_TYPE)
        type = GetOLFSVersionString(*volume);
      const int64_t capacity = volume->GetCapacity();
      row->SetField("Mount Point", volume->GetMountPoint());
      row->SetField("Volume Name", volume->GetVolumeName());
      row->SetField("UUID", volume->GetUuid());
      row->SetField("Type", type);
      row->SetField("Size", Frame::MetaInt::New(capacity));
      row->SetField("Free", Frame::MetaInt::New(capacity - volume->GetUsed()));
      row->SetField("Mounted", volume->IsMounted());
      list->Add(row);
    } catch (const HostCtlException &e) {
      if (!ignoreErrors)
        output->AddErrorMessage(SkippedVolumeText(volume->GetMountPoint(), e));
    }
  }
}

} // namespace

// --- filesystem list ---

VolumeList::VolumeList() {
  SetDescription("List the volumes available to the host. This includes OLFS, NAS, VFAT and UFS partitions.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:FilesystemVolume", "Mount Point,Volume Name,UUID,Mounted,Type,Size,Free");
}

Frame::InputSpecPtr VolumeList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "uuid", "u", ParameterType::String, Frame::Optional,
                  "Only show information for the filesystem with the specified UUID.");
  spec->AddParameter(IgnoreErrorInputParameter());
  return spec;
}

Frame::MetaStructPtr VolumeList::GetOutputStructure() const {
  return Frame::NewTemplate("FilesystemVolume", {{"Mount Point", FieldType::String},
                                                 {"Volume Name", FieldType::String},
                                                 {"UUID", FieldType::String},
                                                 {"Type", FieldType::String},
                                                 {"Mounted", FieldType::Bool},
                                                 {"Size", FieldType::Int},
                                                 {"Free", FieldType::Int}});
}

void VolumeList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool ignoreErrors = input->IsFlagSet("ignore-errors");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    VolumeVector volumes;
    if (input->HasParameter("uuid")) {
      auto volume = storage.GetFileSystemByUuidEx(input->GetParameter("uuid"));
      if (!volume) {
        output->AddErrorMessage("Could not find any filesystem with specified UUID.");
        return;
      }
      volumes.push_back(std::move(volume));
    } else {
      volumes = storage.GetFileSystems();
    }
    UpdateFileSystemList(volumes, result, output, ignoreErrors, *this);
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- filesystem rescan ---

VolumeRescan::VolumeRescan() {
  SetDescription("Scan storage devices for new mountable filesystems.");
}

Frame::InputSpecPtr VolumeRescan::GetInputSpecInternal() {
  return InputSpec::New();
}

void VolumeRescan::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    storage.RescanOlfs();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- filesystem mount ---

VolumeMount::VolumeMount() {
  SetDescription("Connect to and mount an unmounted volume on the Orlo host.");
}

Frame::InputSpecPtr VolumeMount::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "volume-label", "l", ParameterType::String, Frame::Optional,
      "The label of the volume to mount. This volume must be unmounted for this operation to succeed.");
  Frame::AddParam(
      spec, "volume-uuid", "u", ParameterType::String, Frame::Optional,
      "The UUID of the OLFS filesystem to mount. This volume must be unmounted for this operation to "
      "succeed.");
  Frame::AddParam(spec, "no-persist", "n", ParameterType::Flag, Frame::Optional,
                  "Mount the volume non-persistently; the volume will not be mounted after a restart.");
  return spec;
}

void VolumeMount::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string uuid = input->GetParameter("volume-uuid");
  const std::string label = input->GetParameter("volume-label");
  const bool noPersist = input->IsFlagSet("no-persist");
  try {
    StorageInfoImpl storage;
    if (storage.TryMount(noPersist ? FileSystem::MOUNT_NON_PERSISTENT : FileSystem::MOUNT_PERSISTENT, uuid,
                         label)) {
      Frame::SetTrueResult(output);
      return;
    }
    // Only what the host could not mount is looked at more closely.
    std::unique_ptr<FileSystem> volume;
    if (!uuid.empty() && !label.empty()) {
      output->AddErrorMessage("A target volume specified by uuid cannot also be specified by label");
      return;
    }
    if (!uuid.empty()) {
      volume = storage.GetFileSystemByUUID(uuid);
      if (!volume) {
        output->AddErrorMessage("No volume with uuid '" + uuid + "' was found");
        return;
      }
    } else if (label.empty()) {
      output->AddErrorMessage("A target volume must be specified by volume uuid or volume label");
      return;
    } else {
      volume = storage.GetFileSystemByLabel(label);
      if (!volume) {
        output->AddErrorMessage("No volume with label '" + label + "' was found");
        return;
      }
    }
    if (volume->IsMounted()) {
      output->AddErrorMessage("Volume '" + (uuid.empty() ? label : uuid) + "' is already mounted");
      return;
    }
    volume->Mount(noPersist);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- filesystem unmount ---

namespace {

// Unmounts every mounted OLFS volume; always true, whatever failed.
void UnmountAllOlfs(StorageInfoImpl &storage, bool noPersist, const Frame::OutputPtr &output) {
  std::vector<std::unique_ptr<FileSystem>> kept;
  std::string names;
  for (const auto &olfs : storage.GetOlfsFileSystems("")) {
    try {
      const std::string name = olfs->GetVolumeName();
      auto volume = storage.GetFileSystemByUUID(olfs->GetUuid());
      if (!volume || !volume->IsMounted())
        continue;
      volume->PrepareForUnmount();
      kept.push_back(std::move(volume));
      if (!names.empty())
        names += ",";
      names += name;
    } catch (const HostCtlException &e) {
      output->AddErrorMessage(e.what());
    }
  }
  storage.SignalIORM(true);
  NotifyDatastore("PreUnmount", names);
  for (const auto &volume : kept) {
    const std::string name = volume->GetVolumeName();
    try {
      if (volume->Unmount(noPersist) == 1) {
        output->AddErrorMessage("Volume '" + name + "' cannot be unmounted. Reason: Busy");
        NotifyDatastore("FailedUnmount", name);
      }
    } catch (const HostCtlException &e) {
      output->AddErrorMessage(e.what());
      NotifyDatastore("FailedUnmount", name);
    }
  }
  Frame::SetTrueResult(output);
}

} // namespace

VolumeUnmount::VolumeUnmount() {
  // verbatim: "and existing"
  SetDescription(
      "Disconnect and unmount and existing OLFS or NAS volume. This will not delete the configuration "
      "for the volume, but will remove the volume from the list of mounted volumes.");
}

Frame::InputSpecPtr VolumeUnmount::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-label", "l", ParameterType::String, Frame::Optional,
                  "The label of the volume to unmount.");
  Frame::AddParam(spec, "volume-path", "p", ParameterType::String, Frame::Optional,
                  "The path of the volume to unmount.");
  Frame::AddParam(spec, "volume-uuid", "u", ParameterType::String, Frame::Optional,
                  "The uuid of the volume to unmount.");
  Frame::AddParam(spec, "no-persist", "n", ParameterType::Flag, Frame::Optional,
                  "Unmount the volume non-persistently; the volume will be automounted after a restart.");
  Frame::AddParam(spec, "unmount-all-olfs", "a", ParameterType::Flag, Frame::Optional,
                  "Unmount all olfs volumes.");
  return spec;
}

void VolumeUnmount::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string label = input->GetParameter("volume-label");
  const std::string path = input->GetParameter("volume-path");
  const std::string uuid = input->GetParameter("volume-uuid");
  const bool noPersist = input->IsFlagSet("no-persist");
  const bool all = input->IsFlagSet("unmount-all-olfs");
  std::string name;
  bool started = false; // the unmount sequence has begun
  try {
    StorageInfoImpl storage;
    if (all) {
      UnmountAllOlfs(storage, noPersist, output);
      return;
    }
    if (label.empty() && path.empty() && uuid.empty()) {
      output->AddErrorMessage("A target volume must be specified by either label, by path, or by uuid.");
      return;
    }
    if (!uuid.empty() && (!label.empty() || !path.empty())) {
      output->AddErrorMessage("A target volume specified by uuid cannot also be specified by path or label");
      return;
    }
    if (!label.empty() && !path.empty()) {
      output->AddErrorMessage("A target volume specified by label cannot also be specified by path");
      return;
    }
    std::string identifier;
    std::unique_ptr<FileSystem> volume;
    if (!uuid.empty()) {
      identifier = uuid;
      volume = storage.GetFileSystemByUUID(uuid);
      if (!volume) {
        output->AddErrorMessage("No volume with uuid '" + uuid + "' was found");
        return;
      }
    } else if (!path.empty()) {
      identifier = path;
      volume = storage.GetFileSystemByPath(path);
      if (!volume) {
        output->AddErrorMessage("No NAS volume was found mounted on '" + path + "'");
        return;
      }
    } else {
      identifier = label;
      volume = storage.GetFileSystemByLabel(label);
      if (!volume) {
        output->AddErrorMessage("No volume with label '" + label + "' was found");
        return;
      }
    }
    if (!volume->IsMounted()) {
      output->AddErrorMessage("Volume '" + identifier + "' is not mounted");
      return;
    }
    name = volume->GetVolumeName();
    started = true;
    volume->PrepareForUnmount();
    storage.SignalIORM(true);
    NotifyDatastore("PreUnmount", name);
    if (volume->Unmount(noPersist) == 1) {
      output->AddErrorMessage("Volume '" + identifier + "' cannot be unmounted. Reason: Busy");
      NotifyDatastore("FailedUnmount", name);
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // Once the volume is known, the daemon hears of the failure before the user.
    if (started)
      NotifyDatastore("FailedUnmount", name);
    output->AddErrorMessage(e.what());
  }
}

// --- filesystem automount ---

VolumeAutomount::VolumeAutomount() {
  SetDescription("Request mounting of known datastores not explicitly unmounted.");
}

Frame::InputSpecPtr VolumeAutomount::GetInputSpecInternal() {
  return InputSpec::New();
}

void VolumeAutomount::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    storage.AutoFullMountVolumes();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

} // namespace TarvexCli::FileSystem
