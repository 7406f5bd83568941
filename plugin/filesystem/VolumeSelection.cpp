#include "filesystem/VolumeSelection.h"

#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>

#include <clikit/AutoCli.h>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using HostCtl::Lib::HostCtlException;

namespace {

std::unique_ptr<HostCtl::Storage::StorageInfo> HostStorage() {
  return HostCtl::HostFactory::GetHost()->GetStorageInfo();
}

// The look-ups of both helpers.
VmFileSystemPtr FindByUuid(HostCtl::Storage::StorageInfo &storage, const std::string &uuid) {
  return storage.GetOlfsFileSystemByUuid(uuid);
}
VmFileSystemPtr FindByLabel(HostCtl::Storage::StorageInfo &storage, const std::string &label) {
  return storage.GetOlfsFileSystemByLabel(label);
}

} // namespace

std::shared_ptr<CliKit::CallSpec::ParameterSpec> IgnoreErrorInputParameter() {
  auto param = CliKit::CallSpec::ParameterSpec::New("ignore-errors", ParameterType::Flag);
  param->SetShortName("i");
  param->SetDescription(
      "Ignore errors encountered (if any) while retrieving information for each file system.");
  param->SetRequired(false);
  return param;
}

Frame::InputSpecPtr GetSingleOLFSVolumeInputSpec() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-label", "l", ParameterType::String, Frame::Optional,
                  "The label of the target OLFS volume.");
  Frame::AddParam(spec, "volume-uuid", "u", ParameterType::String, Frame::Optional,
                  "The uuid of the target OLFS volume.");
  return spec;
}

VmFileSystemPtr GetSingleOLFSVolume(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string label = input->GetParameter("volume-label");
  const std::string uuid = input->GetParameter("volume-uuid");
  if (!label.empty() && !uuid.empty()) {
    output->AddErrorMessage("You cannot specify both --volume-label and --volume-uuid.");
    return nullptr;
  }
  if (label.empty() && uuid.empty()) {
    output->AddErrorMessage(
        "A target OLFS volume must be specified either by --volume-label or --volume-uuid.");
    return nullptr;
  }
  try {
    auto storage = HostStorage();
    VmFileSystemPtr volume = uuid.empty() ? FindByLabel(*storage, label) : FindByUuid(*storage, uuid);
    if (!volume)
      output->AddErrorMessage("OLFS volume with " + std::string(uuid.empty() ? "label " : "uuid ") +
                              (uuid.empty() ? label : uuid) + " could not be found.");
    return volume;
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
    return nullptr;
  }
}

Frame::InputSpecPtr GetMultipleOLFSVolumesInputSpec() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-label", "l", ParameterType::StringList, Frame::Optional,
                  "The label of the target OLFS volume.");
  Frame::AddParam(spec, "volume-uuid", "u", ParameterType::StringList, Frame::Optional,
                  "The uuid of the target OLFS volume.");
  spec->AddParameter(IgnoreErrorInputParameter());
  return spec;
}

bool GetMultipleOLFSVolumes(const Frame::InputPtr &input, const Frame::OutputPtr &output,
                            std::vector<VmFileSystemPtr> &volumes) {
  std::vector<std::string> labels;
  std::vector<std::string> uuids;
  input->GetParameterList("volume-label", labels);
  input->GetParameterList("volume-uuid", uuids);
  const bool ignoreErrors = input->IsFlagSet("ignore-errors");
  try {
    auto storage = HostStorage();
    if (labels.empty() && uuids.empty()) {
      volumes = storage->GetOlfsFileSystems("");
      return true;
    }
    bool missing = false;
    auto take = [&](VmFileSystemPtr volume, const std::string &message) {
      if (volume) {
        volumes.push_back(std::move(volume));
        return;
      }
      missing = true;
      if (!ignoreErrors)
        output->AddErrorMessage(message);
    };
    for (const std::string &label : labels)
      take(FindByLabel(*storage, label), "Error fetching OLFS volume with label '" + label + "'");
    for (const std::string &uuid : uuids)
      take(FindByUuid(*storage, uuid), "Error fetching OLFS volume with uuid '" + uuid + "'");
    return !missing || ignoreErrors;
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
    return false;
  }
}

const char *GetOLFSVersionString(HostCtl::Storage::FileSystem &volume) {
  auto *olfs = dynamic_cast<HostCtl::Storage::VmFileSystem *>(&volume);
  if (!olfs || volume.GetType() != HostCtl::Storage::VmFileSystem::OLFS_TYPE)
    return "Non-OLFS";
  switch (olfs->GetMajorVersion()) {
  case 2:
    return "OLFS-2";
  case 3:
    return "OLFS-3";
  case 5:
    return "OLFS-5";
  case 6:
    return "OLFS-6";
  default:
    return "OLFS-unknown version";
  }
}

void NotifyDatastore(const std::string &type, const std::string &names) {
  const std::string command = "/usr/lib/tarvex/hmgrd/bin/notifyDatastore.py -t " + type + " -i " + "stdin";
  std::string ignored;
  ::AutoCli_ShellCmd(command, ignored, names);
}

std::string SkippedVolumeText(const std::string &mountPoint, const std::exception &error) {
  return "Error getting data for filesystem on '" + mountPoint + "': " + error.what() + ", skipping.";
}

} // namespace TarvexCli::FileSystem
