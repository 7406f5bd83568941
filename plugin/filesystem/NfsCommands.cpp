#include "filesystem/NfsCommands.h"

#include "filesystem/NfsShared.h"
#include "frame/Features.h"
#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/NetworkFileSystem.h>

#include <string>
#include <vector>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::NetworkFileSystem;
using HostCtl::Storage::NfsVersion;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

// NFS checksum, PE mounts withdrawn, preunmount support.
constexpr int kChecksumSwitch = 127;
constexpr int kPeWithdrawnSwitch = 312;
constexpr int kPreunmountSwitch = 322;

constexpr int64_t kMaxUnsigned32 = 4294967295LL;

} // namespace

// --- nfs add ---

NFSVolumeAdd::NFSVolumeAdd() {
  SetDescription("Add a new NAS volume to the Orlo Host and mount it with the given volume name.");
}

Frame::InputSpecPtr NFSVolumeAdd::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "host", "H", ParameterType::String, Frame::Optional,
                  "The hostname or IP address of the NAS volume to add and mount on the system.");
  // verbatim: ends with a blank
  Frame::AddParam(
      spec, "host-olknic", "I", ParameterType::String, Frame::Optional,
      "The hostname or IP address of the NAS volume to add, followed by a colon(:) and olknic name "
      "i.e. <host/IP>:<olknic> ");
  Frame::AddParam(spec, "share", "s", ParameterType::String, Frame::Required,
                  "The share name on the remote system to use for this NAS mount point.");
  // verbatim: two blanks after "mount."
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "The volume name to use for the NAS mount.  This must be a unique volume name and cannot "
                  "conflict with existing NAS, OLFS or other volume names.");
  Frame::AddParam(
      spec, "connections", "c", ParameterType::Integer, Frame::Optional,
      "The number of RPC connections to be established for the NFS datastore. Minimum and default "
      "values are 1 and maximum is 8. A higher number of connections yields better performance on "
      "datastores with higher IO load.",
      Frame::IntRange(1, 8));
  Frame::AddParam(spec, "readonly", "r", ParameterType::Flag, Frame::Optional,
                  "If set this flag will set the mount point to be read-only.");
  Frame::AddParam(spec, "ispe", "p", ParameterType::Flag, Frame::Optional,
                  Frame::FeatureOn(kPeWithdrawnSwitch)
                      ? "[Deprecated] If set this flag will set the mount point to be PE."
                      : "If set this flag will set the mount point to be PE.");
  if (Frame::FeatureOn(kChecksumSwitch))
    Frame::AddParam(spec, "unsupported-checksum", "e", ParameterType::Flag, Frame::Optional, "");
  Frame::AddParam(spec, "unsupported-mount-retry", "", ParameterType::Flag, Frame::Optional, "");
  Frame::AddParam(spec, "unsupported-queue-depth", "", ParameterType::Integer, Frame::Optional, "",
                  Frame::IntRange(1, kMaxUnsigned32));
  return spec;
}

void NFSVolumeAdd::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    const std::string share = input->GetParameter("share");
    const std::string volumeName = input->GetParameter("volume-name");
    const bool readOnly = input->IsFlagSet("readonly");
    const int32_t connections =
        input->HasParameter("connections") ? static_cast<int32_t>(input->GetParameterInt("connections")) : 1;
    const bool byHost = input->HasParameter("host");
    const bool byOlknic = input->HasParameter("host-olknic");
    if (byHost == byOlknic) {
      output->AddErrorMessage("Either hostName or olknic shoud be provided"); // verbatim: "shoud"
      return;
    }
    std::string host;
    std::string olknic;
    if (byHost) {
      host = input->GetParameter("host");
    } else {
      const std::string value = input->GetParameter("host-olknic");
      const std::size_t at = value.find(":olk");
      if (at == std::string::npos) {
        output->AddErrorMessage("Invalid host-olknic input");
        return;
      }
      host = value.substr(0, at);
      olknic = value.substr(at + 1);
    }
    const bool isPe = input->IsFlagSet("ispe");
    const bool peWithdrawn = Frame::FeatureOn(kPeWithdrawnSwitch);
    if (isPe && peWithdrawn) {
      output->AddErrorMessage("-p/--ispe flag Not Supported.");
      return;
    }
    const bool checksum = Frame::FeatureOn(kChecksumSwitch) && input->IsFlagSet("unsupported-checksum");
    const bool mountRetry = input->IsFlagSet("unsupported-mount-retry");
    const int option =
        mountRetry ? NetworkFileSystem::MOUNT_OPTION_RETRY : NetworkFileSystem::MOUNT_OPTION_NONE;
    uint32_t queueDepth = 0;
    if (input->HasParameter("unsupported-queue-depth")) {
      if (!mountRetry) {
        output->AddErrorMessage("unsupported-queue-depth requires unsupported-mount-retry flag");
        return;
      }
      queueDepth = static_cast<uint32_t>(input->GetParameterInt("unsupported-queue-depth"));
    }

    auto volume = storage.AddNetworkFileSystem(host, share, volumeName, byOlknic, olknic, queueDepth,
                                               connections, checksum);
    volume->SetReadOnly(readOnly);
    if (!peWithdrawn)
      volume->SetPE(isPe);
    if (Frame::FeatureOn(kPreunmountSwitch)) {
      // The host retries on its own; a volume whose mount failed stays configured.
      volume->MountWithOption(NetworkFileSystem::MOUNT_OPTION_NONE);
    } else {
      if (!MountOrUndo(storage, *volume, option, volumeName, output))
        return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs list ---

NFSVolumeList::NFSVolumeList() {
  SetDescription("List the NAS volumes currently known to the Orlo host.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:NasMount",
      Frame::FeatureOn(kChecksumSwitch)
          ? "Volume Name,Host,Share,Olknic,Accessible,Mounted,Connections,Read-Only,isPE,Checksum Enabled,"
            "Hardware Acceleration"
          : "Volume Name,Host,Share,Olknic,Accessible,Mounted,Connections,Read-Only,isPE,Hardware Acceleration");
}

Frame::InputSpecPtr NFSVolumeList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "pe-only", "p", ParameterType::Flag, Frame::Optional,
                  "Filter the output to only show XVol PE volumes");
  return spec;
}

Frame::MetaStructPtr NFSVolumeList::GetOutputStructure() const {
  std::vector<Frame::FieldDecl> fields = {
      {"Volume Name", FieldType::String}, {"Host", FieldType::String},     {"Share", FieldType::String},
      {"Olknic", FieldType::String},      {"Connections", FieldType::Int}, {"Accessible", FieldType::Bool},
      {"Mounted", FieldType::Bool},       {"Read-Only", FieldType::Bool},  {"isPE", FieldType::Bool}};
  if (Frame::FeatureOn(kChecksumSwitch))
    fields.push_back({"Checksum Enabled", FieldType::Bool});
  fields.push_back({"Hardware Acceleration", FieldType::String});
  return Frame::NewTemplate("NasMount", fields);
}

void NFSVolumeList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool peOnly = input->IsFlagSet("pe-only");
  const bool checksum = Frame::FeatureOn(kChecksumSwitch);
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    auto volumes =
        storage.GetV3NetworkFileSystems(peOnly ? OlkCtl::Storage::IsPE : OlkCtl::Storage::IsNotHidden);
    result->Reserve(volumes.size());
    for (const auto &volume : volumes) {
      const std::string name = volume->GetVolumeName();
      try {
        auto row = GetOutputStructure();
        const std::string olknic = volume->GetOlknic();
        row->SetField("Volume Name", name);
        row->SetField("Host", volume->GetRemoteHost());
        row->SetField("Share", volume->GetShare());
        row->SetField("Olknic", olknic.empty() ? std::string("None") : olknic);
        row->SetField("Connections", Frame::MetaInt::New(volume->GetConnections()));
        row->SetField("Accessible", volume->IsAccessible());
        row->SetField("Mounted", volume->IsMounted());
        row->SetField("Read-Only", volume->IsReadOnly());
        row->SetField("isPE", volume->IsPE());
        if (checksum)
          row->SetField("Checksum Enabled", volume->IsChecksumEnabled());
        row->SetField("Hardware Acceleration", TranslateHWAC(volume->GetHWACStatus()));
        result->Add(row);
      } catch (const HostCtlException &e) {
        output->AddErrorMessage(SkippedMountText(name, e));
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs remove ---

NFSVolumeRemove::NFSVolumeRemove() {
  SetDescription("Remove an existing NAS volume from the Orlo host.");
}

Frame::InputSpecPtr NFSVolumeRemove::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "The volume name of the NAS volume to remove from the Orlo host.");
  return spec;
}

void NFSVolumeRemove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunVolumeRemove(NfsVersion::V3, input, output);
}

// --- nfs restore ---

NFSVolumeRestore::NFSVolumeRestore() {
  SetDescription("Restore previously mounted NFSv3 volumes.");
}

Frame::InputSpecPtr NFSVolumeRestore::GetInputSpecInternal() {
  return InputSpec::New();
}

void NFSVolumeRestore::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunVolumeRestore(NfsVersion::V3, output);
}

// --- nfs param get ---

NFSVolumeParamGet::NFSVolumeParamGet() {
  SetDescription("Get the volume parameters of the NAS volumes.");
  SetDefaultOutputFormatter("table");
  // verbatim: a blank after each comma
  SetDefaultOutputParameter("fields:NasMountParams",
                            "Volume Name, MaxQueueDepth, MaxReadTransferSize, MaxWriteTransferSize, Olknic, "
                            "Connections");
}

Frame::InputSpecPtr NFSVolumeParamGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "NAS volume name(\"all\" to list all).");
  return spec;
}

Frame::MetaStructPtr NFSVolumeParamGet::GetOutputStructure() const {
  return NasParamsTemplate("Olknic");
}

void NFSVolumeParamGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunParamGet(NfsVersion::V3, "Olknic", input, output);
}

// --- nfs param set ---

NFSVolumeParamSet::NFSVolumeParamSet() {
  SetDescription("Set the volume parameters of the NAS volumes.");
}

Frame::InputSpecPtr NFSVolumeParamSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Optional, "The NAS volume name.");
  Frame::AddParam(spec, "maxqueuedepth", "q", ParameterType::Integer, Frame::Optional,
                  "The maximum queue depth for the NAS volume.", Frame::IntRange(1, kMaxUnsigned32));
  Frame::AddParam(spec, "olknic", "I", ParameterType::String, Frame::Optional,
                  "The new olknic to be configured for the NAS volume.");
  Frame::AddParam(spec, "connections", "c", ParameterType::Integer, Frame::Optional,
                  "The number of RPC connections to be established for the NFS datastore. A higher number of "
                  "connections yields better performance on datastores with higher IO load.",
                  Frame::IntRange(1, 8));
  Frame::AddParam(
      spec, "resolve-hostname", "r", ParameterType::String, Frame::Optional,
      "The remotehostname for which to re-resolve IP address for all the volumes which are "
      "applicable.\nThis option when used with -v <volume name> re-resolves the IP Address for the "
      "volume.\nUse -f if the volume is accessible.");
  Frame::AddParam(spec, "force", "f", ParameterType::Flag, Frame::Optional,
                  "Force update the IP address of the volume. This option is only valid with -r option.");
  return spec;
}

void NFSVolumeParamSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool force = input->IsFlagSet("force");
  const bool resolve = input->HasParameter("resolve-hostname");
  const std::string hostName = input->GetParameter("resolve-hostname");
  if (force && !resolve) {
    output->AddErrorMessage("Error: Option -f can only be used with -r");
    return;
  }
  const bool byName = input->HasParameter("volume-name");
  const std::string volumeName = input->GetParameter("volume-name");
  const bool setDepth = input->HasParameter("maxqueuedepth");
  const bool setOlknic = input->HasParameter("olknic");
  const bool setConnections = input->HasParameter("connections");
  const bool setsParams = setDepth || setOlknic || setConnections;
  if (setsParams && !byName) {
    // verbatim: no blank after "required."
    output->AddErrorMessage("Error: Volume name is required.Please specify using -v option.");
    return;
  }
  try {
    StorageInfoImpl storage;
    bool handled = false;
    bool failedReResolve = false;
    std::string address; // of the first look-up, when no volume is named
    for (const auto &volume : storage.GetV3NetworkFileSystems(OlkCtl::Storage::IsNotPE)) {
      const std::string name = volume->GetVolumeName();
      if (byName) {
        if (name != volumeName)
          continue;
        handled = true;
        const std::string context = "Error setting params for mount '" + name + "': ";
        try {
          if (setDepth)
            volume->SetMaxQueueDepth(static_cast<uint32_t>(input->GetParameterInt("maxqueuedepth")));
          if (setOlknic)
            volume->SetOlknic(input->GetParameter("olknic"));
        } catch (const HostCtlException &e) {
          Frame::AddHostError(output, context, e);
          return;
        }
        if (resolve) {
          if (hostName != volume->GetRemoteHost()) {
            output->AddErrorMessage(ReResolveErrorText(
                0x203, hostName, "Hostname specified did not match with the hostname of the volume."));
            return;
          }
          try {
            volume->ReResolve(hostName, volume->Resolve(hostName), force);
          } catch (const HostCtlException &e) {
            output->AddErrorMessage(e.what());
            return;
          }
        }
        try {
          if (setConnections)
            volume->SetConnections(static_cast<int32_t>(input->GetParameterInt("connections")));
        } catch (const HostCtlException &e) {
          Frame::AddHostError(output, context, e);
          return;
        }
      } else if (resolve) {
        if (volume->GetRemoteHost() != hostName)
          continue;
        if (!handled) {
          try {
            address = volume->Resolve(hostName);
          } catch (const HostCtlException &e) {
            output->AddErrorMessage(e.what());
            return;
          }
        }
        handled = true;
        // One volume failing does not keep the others on the old address.
        try {
          volume->ReResolve(hostName, address, force);
        } catch (const HostCtlException &) {
          failedReResolve = true;
        }
      }
    }
    if (failedReResolve) {
      output->AddErrorMessage(ReResolveErrorText(0x401, hostName,
                                                 "Re-resolution failed for one or more volumes, please check "
                                                 "hmgrd logs and olkernel logs for more info."));
      return;
    }
    Frame::SetTrueResult(output);
    if (handled)
      return;
    if (setsParams)
      output->AddErrorMessage("Error setting params for mount '" + volumeName + "': volume not found.");
    else if (resolve)
      output->AddErrorMessage(ReResolveErrorText(0x204, hostName, "No volume(s) found."));
    else if (!byName)
      output->AddErrorMessage("Missing arguments: Please use --help for more info on usage.");
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs preunmountstate enter ---

NFSVolumePreunmountEnter::NFSVolumePreunmountEnter() {
  SetDescription("Enter NAS volume to preunmount state.");
}

Frame::InputSpecPtr NFSVolumePreunmountEnter::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "Name of the NAS volume to enter preunmount state.");
  return spec;
}

void NFSVolumePreunmountEnter::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("volume-name");
  try {
    StorageInfoImpl storage;
    storage.EnterNetworkFileSystemPreUnmount(name);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Preunmount Enter failed for " + name + ": ", e);
  }
}

// --- nfs preunmountstate exit ---

NFSVolumePreunmountExit::NFSVolumePreunmountExit() {
  SetDescription("Exit NAS volume from preunmount state.");
}

Frame::InputSpecPtr NFSVolumePreunmountExit::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "Name of the NAS volume to exit from preunmount state.");
  return spec;
}

void NFSVolumePreunmountExit::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("volume-name");
  try {
    StorageInfoImpl storage;
    storage.ExitNetworkFileSystemPreUnmount(name);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Preunmount Exit failed for " + name + ": ", e);
  }
}

// --- nfs firewall add ---

NFSFirewallAdd::NFSFirewallAdd() {
  SetDescription("Add a new allowed IP/Mask entry in the nfsClient firewall ruleset");
}

Frame::InputSpecPtr NFSFirewallAdd::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "ip-mask", "F", ParameterType::String, Frame::Required,
                  "The IP/Mask to be added in the nfsClient firewall ruleset");
  return spec;
}

void NFSFirewallAdd::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunFirewallAdd(NfsVersion::V3, input, output);
}

// --- nfs firewall list ---

NFSFirewallList::NFSFirewallList() {
  SetDescription("List the allowed IP/Mask entries from the nfsClient firewall ruleset.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr NFSFirewallList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr NFSFirewallList::GetOutputStructure() const {
  return FirewallConfigsTemplate();
}

void NFSFirewallList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunFirewallList(NfsVersion::V3, GetOutputStructure(), output);
}

// --- nfs firewall remove ---

NFSFirewallRemove::NFSFirewallRemove() {
  SetDescription("Remove an existing IP/Mask entry from the nfsClient firewall ruleset");
}

Frame::InputSpecPtr NFSFirewallRemove::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "ip-mask", "F", ParameterType::String, Frame::Required,
                  "IP/Mask entry that has to be removed from nfsClient firewall ruleset.");
  return spec;
}

void NFSFirewallRemove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunFirewallRemove(NfsVersion::V3, input, output);
}

} // namespace TarvexCli::FileSystem
