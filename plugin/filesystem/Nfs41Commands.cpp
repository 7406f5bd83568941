#include "filesystem/Nfs41Commands.h"

#include "filesystem/NfsShared.h"
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

constexpr int64_t kMaxUnsigned32 = 4294967295LL;

constexpr const char *kHostOlknicText =
    "The hostname or IP address followed by a colon(:) and olknic name. This parameter can be specified more "
    "than once. E.g.: --host-olknic=host1:olknic1 --host-olknic=ip2:olknic2";

std::string JoinComma(const std::vector<std::string> &parts) {
  std::string out;
  for (const std::string &part : parts)
    out += (out.empty() ? "" : ",") + part;
  return out;
}

std::vector<std::string> ListParameter(const Frame::InputPtr &input, const char *name) {
  std::vector<std::string> values;
  input->GetParameterList(name, values);
  return values;
}

// The flavour of a "sec" value; anything else, no value included, is the system flavour.
int SecurityFlavour(const std::string &text) {
  if (text == NetworkFileSystem::NFS_AUTH_KRB5_STR)
    return NetworkFileSystem::AUTH_KRB5;
  if (text == NetworkFileSystem::NFS_AUTH_KRB5I_STR)
    return NetworkFileSystem::AUTH_KRB5I;
  if (text == NetworkFileSystem::NFS_AUTH_KRB5P_STR)
    return NetworkFileSystem::AUTH_KRB5P;
  return NetworkFileSystem::AUTH_SYS;
}

} // namespace

// --- nfs41 add ---

NFS41VolumeAdd::NFS41VolumeAdd() {
  SetDescription("Add a new NFS v4.1 volume to the Orlo Host and mount it with the given volume name.");
}

Frame::InputSpecPtr NFS41VolumeAdd::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "hosts", "H", ParameterType::StringList, Frame::Optional,
      "The hostname(s) or IP address(es) (comma-separated) of the server for the NFS v4.1 volume to "
      "add and mount on the system.");
  Frame::AddParam(
      spec, "connections", "c", ParameterType::Integer, Frame::Optional,
      "The number of RPC connections to be established for the NFS datastore. Minimum and default "
      "values are 1 and maximum is 8. A higher number of connections yields better performance on "
      "datastores with higher IO load.",
      Frame::IntRange(1, 8));
  Frame::AddParam(spec, "host-olknic", "I", ParameterType::StringList, Frame::Optional, kHostOlknicText);
  Frame::AddParam(spec, "ispe", "p", ParameterType::Flag, Frame::Optional,
                  "If set, this flag will set the mount point to be PE.");
  Frame::AddParam(spec, "share", "s", ParameterType::String, Frame::Required,
                  "The share name on the remote system to use for this NFS v4.1 mount point.");
  // verbatim: two blanks after "mount."
  Frame::AddParam(
      spec, "volume-name", "v", ParameterType::String, Frame::Required,
      "The volume name to use for the NFS v4.1 mount.  This must be a unique volume name and cannot "
      "conflict with existing NAS, NFS v4.1, OLFS, or other volume names.");
  Frame::AddParam(spec, "readonly", "r", ParameterType::Flag, Frame::Optional,
                  "If set, this flag will make the mount point be read-only.");
  Frame::AddParam(
      spec, "sec", "a", ParameterType::String, Frame::Optional,
      "Security flavors. Acceptable values are: %ENUM%.",
      Frame::StringEnum(
          {{NetworkFileSystem::NFS_AUTH_SYS_STR, "Authentication based on traditional UNIX ID"},
           {NetworkFileSystem::NFS_AUTH_KRB5_STR,
            "Kerberos authentication with RPC header integrity protection"},
           {NetworkFileSystem::NFS_AUTH_KRB5I_STR, "Kerberos authentication with data integrity protection"},
           {NetworkFileSystem::NFS_AUTH_KRB5P_STR,
            "Kerberos authentication with data integrity and privacy protection"}}));
  return spec;
}

void NFS41VolumeAdd::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const int32_t connections =
      input->HasParameter("connections") ? static_cast<int32_t>(input->GetParameterInt("connections")) : 1;
  const std::vector<std::string> hosts = ListParameter(input, "hosts");
  const std::vector<std::string> hostOlknics = ListParameter(input, "host-olknic");
  if (hosts.empty() == hostOlknics.empty()) {
    output->AddErrorMessage("Either hostName or olknic should be provided");
    return;
  }
  // Entries go to the host as given; it splits them.
  const bool olknicBound = !hostOlknics.empty();
  const std::vector<std::string> &servers = olknicBound ? hostOlknics : hosts;
  const std::string share = input->GetParameter("share");
  const std::string volumeName = input->GetParameter("volume-name");
  const bool readOnly = input->IsFlagSet("readonly");
  const int flavour = SecurityFlavour(input->GetParameter("sec"));
  const bool isPe = input->IsFlagSet("ispe");
  try {
    StorageInfoImpl storage;
    auto volume =
        storage.AddV41NetworkFileSystem(servers, share, volumeName, flavour, olknicBound, connections);
    volume->SetReadOnly(readOnly);
    volume->SetPE(isPe);
    if (!MountOrUndo(storage, *volume, NetworkFileSystem::MOUNT_OPTION_NONE, volumeName, output))
      return;
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs41 list ---

NFS41VolumeList::NFS41VolumeList() {
  SetDescription("List the NFS v4.1 volumes currently known to the Orlo host.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:NasMount", std::string("Volume Name,Host(s),Share") + ",Olknics" +
                                                   ",Accessible,Mounted,Connections,Read-Only,Security,isPE,"
                                                   "Hardware Acceleration");
}

Frame::InputSpecPtr NFS41VolumeList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "pe-only", "p", ParameterType::Flag, Frame::Optional,
                  "Filter the output to only show XVol PE Volumes");
  return spec;
}

Frame::MetaStructPtr NFS41VolumeList::GetOutputStructure() const {
  return Frame::NewTemplate("NasMount", {{"Volume Name", FieldType::String},
                                         {"Host(s)", FieldType::String},
                                         {"Share", FieldType::String},
                                         {"Olknics", FieldType::String},
                                         {"Accessible", FieldType::Bool},
                                         {"Mounted", FieldType::Bool},
                                         {"Connections", FieldType::Int},
                                         {"Read-Only", FieldType::Bool},
                                         {"Security", FieldType::String},
                                         {"isPE", FieldType::Bool},
                                         {"Hardware Acceleration", FieldType::String}});
}

void NFS41VolumeList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool peOnly = input->IsFlagSet("pe-only");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    auto volumes =
        storage.GetV41NetworkFileSystems(peOnly ? OlkCtl::Storage::IsPE : OlkCtl::Storage::IsNotHidden);
    result->Reserve(volumes.size());
    for (const auto &volume : volumes) {
      const std::string name = volume->GetVolumeName();
      try {
        auto row = GetOutputStructure();
        row->SetField("Volume Name", name);
        row->SetField("Host(s)", JoinComma(volume->GetRemoteHosts()));
        row->SetField("Share", volume->GetShare());
        row->SetField("Olknics", volume->GetOlknic());
        row->SetField("Accessible", volume->IsAccessible());
        row->SetField("Mounted", volume->IsMounted());
        row->SetField("Connections", Frame::MetaInt::New(volume->GetConnections()));
        row->SetField("Read-Only", volume->IsReadOnly());
        row->SetField("Security", NetworkFileSystem::SecurityTypeText(volume->GetSecurityType()));
        row->SetField("isPE", volume->IsPE());
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

// --- nfs41 remove ---

NFS41VolumeRemove::NFS41VolumeRemove() {
  SetDescription("Remove an existing NFS v4.1 volume from the Orlo host.");
}

Frame::InputSpecPtr NFS41VolumeRemove::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "The volume name of the NFS v4.1 volume to remove from the Orlo host.");
  return spec;
}

void NFS41VolumeRemove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunVolumeRemove(NfsVersion::V41, input, output);
}

// --- nfs41 restore ---

NFS41VolumeRestore::NFS41VolumeRestore() {
  SetDescription("Restore previously mounted NFS41 volumes.");
}

Frame::InputSpecPtr NFS41VolumeRestore::GetInputSpecInternal() {
  return InputSpec::New();
}

void NFS41VolumeRestore::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunVolumeRestore(NfsVersion::V41, output);
}

// --- nfs41 param get ---

NFS41VolumeParamGet::NFS41VolumeParamGet() {
  SetDescription("Get the volume parameters of the NFS v4.1 volumes.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:NasMountParams",
      std::string("Volume Name, MaxQueueDepth, MaxReadTransferSize, MaxWriteTransferSize") + ", Olknics" +
          ", Connections");
}

Frame::InputSpecPtr NFS41VolumeParamGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Required,
                  "NFS v4.1 volume name(\"all\" to list all).");
  return spec;
}

Frame::MetaStructPtr NFS41VolumeParamGet::GetOutputStructure() const {
  return NasParamsTemplate("Olknics");
}

void NFS41VolumeParamGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunParamGet(NfsVersion::V41, "Olknics", input, output);
}

// --- nfs41 param set ---

NFS41VolumeParamSet::NFS41VolumeParamSet() {
  SetDescription("Set the volume parameters of the NFS v4.1 volumes.");
}

Frame::InputSpecPtr NFS41VolumeParamSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "volume-name", "v", ParameterType::String, Frame::Optional,
                  "The NFS v4.1 volume name.");
  Frame::AddParam(spec, "maxqueuedepth", "q", ParameterType::Integer, Frame::Optional,
                  "The maximum queue depth for the NFS v4.1 volume.", Frame::IntRange(1, kMaxUnsigned32));
  Frame::AddParam(spec, "host-olknic", "I", ParameterType::StringList, Frame::Optional, kHostOlknicText);
  Frame::AddParam(
      spec, "connections", "c", ParameterType::Integer, Frame::Optional,
      "The number of RPC connections to be established for the NFS v4.1 datastore. A higher number "
      "of connections yields better performance on datastores with higher IO load.",
      Frame::IntRange(1, 8));
  Frame::AddParam(
      spec, "resolve-hostname", "r", ParameterType::String, Frame::Optional,
      "The remotehostname for which to re-resolve IP address for all the volumes which are "
      "applicable.\nUse -f if the volume is accessible.\nNote: Option -v will be ignored with this "
      "option.");
  Frame::AddParam(
      spec, "force", "f", ParameterType::Flag, Frame::Optional,
      "Force update the IP address of the volumes. This option is only valid with --resolve-hostname "
      "option.");
  return spec;
}

void NFS41VolumeParamSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool force = input->IsFlagSet("force");
  const bool resolve = input->HasParameter("resolve-hostname");
  if (force && !resolve) {
    output->AddErrorMessage("Error: Option -f can only be used with -r");
    return;
  }
  const bool byName = input->HasParameter("volume-name");
  const std::string volumeName = input->GetParameter("volume-name");
  const bool setDepth = input->HasParameter("maxqueuedepth");
  const std::vector<std::string> hostOlknics = ListParameter(input, "host-olknic");
  const bool setConnections = input->HasParameter("connections");
  const bool setsParams = setDepth || !hostOlknics.empty() || setConnections;
  if (setsParams && !byName) {
    // verbatim: no blank after "required."
    output->AddErrorMessage("Error: Volume name is required.Please specify using -v option.");
    return;
  }
  try {
    StorageInfoImpl storage;
    auto volumes = storage.GetV41NetworkFileSystems(OlkCtl::Storage::IsNotPE);
    if (resolve) {
      try {
        storage.ReResolveNFS41NetworkFileSystem(input->GetParameter("resolve-hostname"), volumeName, force);
      } catch (const HostCtlException &e) {
        output->AddErrorMessage(e.what());
        return;
      }
    }
    bool matched = false;
    for (const auto &volume : volumes) {
      const std::string name = volume->GetVolumeName();
      if (name != volumeName)
        continue;
      matched = true;
      try {
        if (setDepth)
          volume->SetMaxQueueDepth(static_cast<uint32_t>(input->GetParameterInt("maxqueuedepth")));
        if (!hostOlknics.empty())
          volume->SetOlknics(JoinComma(hostOlknics));
        if (setConnections)
          volume->SetConnections(static_cast<int32_t>(input->GetParameterInt("connections")));
      } catch (const HostCtlException &e) {
        Frame::AddHostError(output, "Error setting params for mount '" + name + "': ", e);
        return;
      }
    }
    Frame::SetTrueResult(output);
    if (matched || resolve)
      return;
    if (setsParams)
      output->AddErrorMessage("Error setting params for mount '" + volumeName + "': volume not found.");
    else if (!byName)
      output->AddErrorMessage("Missing arguments: Please use --help for more info on usage.");
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs41 firewall add ---

NFS41FirewallAdd::NFS41FirewallAdd() {
  SetDescription("Add a new allowed IP/Mask entry in the nfs41Client firewall ruleset");
}

Frame::InputSpecPtr NFS41FirewallAdd::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "ip-mask", "F", ParameterType::String, Frame::Required,
                  "The IP/Mask to be added in the nfs41Client firewall ruleset");
  return spec;
}

void NFS41FirewallAdd::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunFirewallAdd(NfsVersion::V41, input, output);
}

// --- nfs41 firewall list ---

NFS41FirewallList::NFS41FirewallList() {
  SetDescription("List the allowed IP/Mask entries from the nfs41Client firewall ruleset.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr NFS41FirewallList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr NFS41FirewallList::GetOutputStructure() const {
  return FirewallConfigsTemplate();
}

void NFS41FirewallList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunFirewallList(NfsVersion::V41, GetOutputStructure(), output);
}

// --- nfs41 firewall remove ---

NFS41FirewallRemove::NFS41FirewallRemove() {
  SetDescription("Remove an existing IP/Mask entry from the nfs41Client firewall ruleset");
}

Frame::InputSpecPtr NFS41FirewallRemove::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "ip-mask", "F", ParameterType::String, Frame::Required,
                  "IP/Mask entry that has to be removed from nfs41Client firewall ruleset.");
  return spec;
}

void NFS41FirewallRemove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunFirewallRemove(NfsVersion::V41, input, output);
}

// --- nfs41 credential get ---

NFS41CredentialGet::NFS41CredentialGet() {
  SetDescription("Get NFSv4.1 kerberos default user credentials.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("fields:Nfs41CredentialInfo", "NFS41 User, Number of Passwords");
}

Frame::InputSpecPtr NFS41CredentialGet::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr NFS41CredentialGet::GetOutputStructure() const {
  return Frame::NewTemplate("Nfs41CredentialInfo",
                            {{"NFS41 User", FieldType::String}, {"Number of Passwords", FieldType::Int}});
}

void NFS41CredentialGet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    std::string user;
    uint32_t count = 0;
    storage.GetV41NetworkFileSystemDefaultCredential(user, count);
    auto result = Frame::NewRowList(GetOutputStructure());
    auto row = GetOutputStructure();
    row->SetField("NFS41 User", user);
    row->SetField("Number of Passwords", Frame::MetaInt::New(count));
    result->Add(row);
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- nfs41 credential set ---

namespace {

// Wipes the command's copies of the passwords however it ends.
struct WipedOnExit {
  std::string &password;
  std::string &confirmation;
  ~WipedOnExit() {
    HostCtl::Storage::WipePassword(password);
    HostCtl::Storage::WipePassword(confirmation);
  }
};

} // namespace

NFS41CredentialSet::NFS41CredentialSet() {
  SetDescription("Set NFSv4.1 kerberos default user credentials.");
}

Frame::InputSpecPtr NFS41CredentialSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "user", "u", ParameterType::String, Frame::Required,
                  "New user for kerberos environment.");
  Frame::AddParam(spec, "password", "p", ParameterType::String, Frame::Required, "Password of kerberos user.",
                  Frame::Secret);
  Frame::AddParam(spec, "password-confirmation", "c", ParameterType::String, Frame::Required,
                  "Password confirmation.", Frame::Secret);
  return spec;
}

void NFS41CredentialSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string user = input->GetParameter("user");
  std::string password = input->GetParameter("password");
  std::string confirmation = input->GetParameter("password-confirmation");
  const WipedOnExit wiped{password, confirmation};
  if (password.size() != confirmation.size() || password != confirmation) {
    output->AddErrorMessage("Passwords dont't match."); // verbatim: "dont't"
    return;
  }
  std::vector<std::string> passwords{password};
  try {
    StorageInfoImpl storage;
    try {
      storage.SetV41NetworkFileSystemDefaultCredential(user, passwords);
      storage.SetV41NetworkFileSystemDefaultCurrentPassword(user, password);
    } catch (const HostCtlException &e) {
      // Half a credential is worse than none.
      const std::string message = e.what();
      std::string clearError;
      try {
        storage.ClearV41NetworkFileSystemDefaultCredential();
      } catch (const HostCtlException &clear) {
        clearError = clear.what();
      }
      output->AddErrorMessage(message);
      if (!clearError.empty())
        output->AddErrorMessage(clearError);
      HostCtl::Storage::WipePassword(passwords.front());
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
  HostCtl::Storage::WipePassword(passwords.front());
}

// --- nfs41 credential unset ---

NFS41CredentialUnset::NFS41CredentialUnset() {
  SetDescription("Unset NFSv4.1 kerberos default user credentials.");
}

Frame::InputSpecPtr NFS41CredentialUnset::GetInputSpecInternal() {
  return InputSpec::New();
}

void NFS41CredentialUnset::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    storage.ClearV41NetworkFileSystemDefaultCredential();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

} // namespace TarvexCli::FileSystem
