// NAS operations of the simulated host: NFS v3 and v4.1 volumes, their
// parameters, the NFS client firewall rule sets and the v4.1 default credential.
#include "api/Nas.h"

#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

#include <arpa/inet.h>
#include <sodium.h>

#include <cstdio>
#include <functional>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::NasParams;
using HostCtl::Storage::NetworkFileSystem;
using HostCtl::Storage::NfsVersion;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_NAS_FAULTS(X)                                                                                 \
  X(StorageInfo_GetV3NetworkFileSystems, "StorageInfo::GetV3NetworkFileSystems", "")                         \
  X(StorageInfo_GetV41NetworkFileSystems, "StorageInfo::GetV41NetworkFileSystems", "")                       \
  X(StorageInfo_AddNetworkFileSystem, "StorageInfo::AddNetworkFileSystem", "volume name")                    \
  X(StorageInfo_AddV41NetworkFileSystem, "StorageInfo::AddV41NetworkFileSystem", "volume name")              \
  X(StorageInfo_RemoveNetworkFileSystem, "StorageInfo::RemoveNetworkFileSystem", "volume name")              \
  X(StorageInfo_EnterNetworkFileSystemPreUnmount, "StorageInfo::EnterNetworkFileSystemPreUnmount",           \
    "volume name")                                                                                           \
  X(StorageInfo_ExitNetworkFileSystemPreUnmount, "StorageInfo::ExitNetworkFileSystemPreUnmount",             \
    "volume name")                                                                                           \
  X(StorageInfo_ReResolveNFS41NetworkFileSystem, "StorageInfo::ReResolveNFS41NetworkFileSystem",             \
    "host name")                                                                                             \
  X(StorageInfo_GetNasFirewallConfigs, "StorageInfo::GetNasFirewallConfigs", "")                             \
  X(StorageInfo_AddNasFirewallConfig, "StorageInfo::AddNasFirewallConfig", "IP/mask")                        \
  X(StorageInfo_RemoveNasFirewallConfig, "StorageInfo::RemoveNasFirewallConfig", "IP/mask")                  \
  X(StorageInfo_GetV41NetworkFileSystemDefaultCredential,                                                    \
    "StorageInfo::GetV41NetworkFileSystemDefaultCredential", "")                                             \
  X(StorageInfo_SetV41NetworkFileSystemDefaultCredential,                                                    \
    "StorageInfo::SetV41NetworkFileSystemDefaultCredential", "")                                             \
  X(StorageInfo_SetV41NetworkFileSystemDefaultCurrentPassword,                                               \
    "StorageInfo::SetV41NetworkFileSystemDefaultCurrentPassword", "")                                        \
  X(StorageInfo_ClearV41NetworkFileSystemDefaultCredential,                                                  \
    "StorageInfo::ClearV41NetworkFileSystemDefaultCredential", "")                                           \
  X(NetworkFileSystem_GetHWACStatus, "NetworkFileSystem::GetHWACStatus", "volume name")                      \
  X(NetworkFileSystem_GetParams, "NetworkFileSystem::GetParams", "volume name")                              \
  X(NetworkFileSystem_SetReadOnly, "NetworkFileSystem::SetReadOnly", "volume name")                          \
  X(NetworkFileSystem_SetPE, "NetworkFileSystem::SetPE", "volume name")                                      \
  X(NetworkFileSystem_SetMaxQueueDepth, "NetworkFileSystem::SetMaxQueueDepth", "volume name")                \
  X(NetworkFileSystem_SetOlknic, "NetworkFileSystem::SetOlknic", "volume name")                              \
  X(NetworkFileSystem_SetOlknics, "NetworkFileSystem::SetOlknics", "volume name")                            \
  X(NetworkFileSystem_SetConnections, "NetworkFileSystem::SetConnections", "volume name")                    \
  X(NetworkFileSystem_Resolve, "NetworkFileSystem::Resolve", "volume name")                                  \
  X(NetworkFileSystem_ReResolve, "NetworkFileSystem::ReResolve", "volume name")                              \
  X(NetworkFileSystem_Restore, "NetworkFileSystem::Restore", "volume name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_NAS_FAULTS)
// Mounting is a file-system operation; the volumes' table declares it.
constexpr FaultOperation kFileSystemMount{"FileSystem::Mount", "volume label"};
} // namespace

namespace {

using OlkCtl::Sim::NasFamily;
using OlkCtl::Sim::NasMountRecord;
using OlkCtl::Sim::State;
using OlkCtl::Sim::VolumeRecord;
using Snapshot = std::shared_ptr<const State>;

const char *TypeOf(NfsVersion version) {
  return version == NfsVersion::V3 ? OlkCtl::Sim::kNfsType : OlkCtl::Sim::kNfs41Type;
}

const char *RulesetOf(NfsVersion version) {
  return version == NfsVersion::V3 ? "nfsClient" : "nfs41Client";
}

const VolumeRecord &VolumeIn(const State &state, const std::string &uuid) {
  const VolumeRecord *record = state.volumes().ByUuid(uuid);
  if (!record)
    throw HostCtlException("Volume " + uuid + " is no longer known to the host");
  return *record;
}

// A NAS volume without an entry of its own has the defaults.
const NasMountRecord &MountIn(const State &state, const std::string &uuid) {
  static const NasMountRecord none;
  const NasMountRecord *record = state.nas().Find(uuid);
  return record ? *record : none;
}

NasMountRecord &MutableMount(State &state, const std::string &uuid) {
  NasFamily &nas = state.nas();
  if (NasMountRecord *record = nas.MutableFind(uuid))
    return *record;
  nas.mounts.emplace_back();
  nas.mounts.back().uuid = uuid;
  nas.Reindex();
  return nas.mounts.back();
}

// The first NAS volume of that name, of the version when one is given.
const VolumeRecord *FindNas(const State &state, const std::string &name) {
  for (const VolumeRecord &volume : state.volumes().volumes)
    if (volume.label == name && OlkCtl::Sim::IsNasType(volume.type))
      return &volume;
  return nullptr;
}

const VolumeRecord &RequireNas(const State &state, const std::string &name) {
  const VolumeRecord *volume = FindNas(state, name);
  if (!volume)
    throw HostCtlException("NAS volume '" + name + "' does not exist");
  return *volume;
}

// "host:olknic" entries split at their last colon; a plain host has no olknic.
std::pair<std::string, std::string> SplitServer(const std::string &entry, bool bound) {
  const std::size_t colon = entry.rfind(':');
  if (!bound || colon == std::string::npos)
    return {entry, ""};
  return {entry.substr(0, colon), entry.substr(colon + 1)};
}

std::vector<std::string> SplitComma(const std::string &text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::size_t end = comma == std::string::npos ? text.size() : comma;
    out.push_back(text.substr(start, end - start));
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  return out;
}

std::string Join(const std::vector<std::string> &parts) {
  std::string out;
  for (const std::string &part : parts)
    out += (out.empty() ? "" : ",") + part;
  return out;
}

void RequireOlknic(const NasFamily &nas, const std::string &olknic) {
  if (!nas.HasOlknic(olknic))
    throw HostCtlException("olknic '" + olknic + "' does not exist on this host");
}

// Mounts a configured NAS volume: every server must resolve and every olknic
// exist, and a Kerberos v4.1 mount needs the default credential. With the
// retry option a server that does not resolve leaves the volume mounted but
// not accessible, to be retried by the host.
void MountNas(State &state, const std::string &uuid, int option) {
  VolumeRecord *volume = state.volumes().MutableByUuid(uuid);
  if (!volume)
    throw HostCtlException("Volume " + uuid + " is no longer known to the host");
  if (volume->mounted)
    throw HostCtlException("Volume " + volume->label + " is already mounted");
  NasMountRecord &mount = MutableMount(state, uuid);
  const NasFamily &nas = state.nas();
  const bool v41 = volume->type == OlkCtl::Sim::kNfs41Type;
  std::string firstAddress;
  bool reachable = true;
  for (const std::string &entry : mount.servers) {
    auto [host, olknic] = SplitServer(entry, v41 && mount.boundToOlknic);
    if (!v41 && mount.boundToOlknic)
      olknic = mount.olknic;
    if (!olknic.empty())
      RequireOlknic(nas, olknic);
    const std::string address = nas.Resolve(host);
    if (address.empty()) {
      if (option != NetworkFileSystem::MOUNT_OPTION_RETRY)
        throw HostCtlException("Unable to resolve hostname '" + host + "' of volume " + volume->label);
      reachable = false;
    }
    if (firstAddress.empty())
      firstAddress = address;
  }
  if (v41 && mount.security >= NetworkFileSystem::AUTH_KRB5 && nas.credential.user.empty())
    throw HostCtlException("Kerberos mount of volume " + volume->label +
                           " needs the NFS v4.1 default credential, and none is set");
  volume->mounted = true;
  volume->explicitlyUnmounted = false;
  volume->accessible = reachable;
  mount.address = firstAddress;
}

// --- volume objects ---

class NetworkFileSystemObject final : public NetworkFileSystem {
public:
  NetworkFileSystemObject(Snapshot state, std::string uuid)
      : state_(std::move(state)), uuid_(std::move(uuid)) {}

  // As any file system.
  std::string GetType() override { return Volume().type; }
  std::string GetMountPoint() override { return Volume().MountPoint(); }
  std::string GetVolumeName() override { return Volume().label; }
  std::string GetUuid() override { return uuid_; }
  int64_t GetCapacity() override { return Plain()->GetCapacity(); }
  int64_t GetUsed() override { return Plain()->GetUsed(); }
  bool IsMounted() override { return Volume().mounted; }
  void Mount(bool nonPersistent) override {
    Plain()->Mount(nonPersistent);
    Refresh();
  }
  int Unmount(bool nonPersistent) override {
    const int status = Plain()->Unmount(nonPersistent);
    Refresh();
    return status;
  }
  void PrepareForUnmount() override { Plain()->PrepareForUnmount(); }

  // As a NAS volume.
  NfsVersion GetNfsVersion() override {
    return Volume().type == OlkCtl::Sim::kNfs41Type ? NfsVersion::V41 : NfsVersion::V3;
  }
  std::string GetRemoteHost() override {
    const NasMountRecord &mount = Mount();
    return mount.servers.empty() ? std::string() : mount.servers.front();
  }
  std::vector<std::string> GetRemoteHosts() override { return Mount().servers; }
  std::string GetShare() override { return Mount().share; }
  std::string GetOlknic() override { return Volume().mounted ? Mount().olknic : std::string(); }
  int32_t GetConnections() override { return Volume().mounted ? Mount().connections : 0; }
  bool IsAccessible() override { return Volume().mounted && Volume().accessible; }
  bool IsReadOnly() override { return Mount().readOnly; }
  bool IsPE() override { return Mount().pe; }
  bool IsHidden() override { return Mount().hidden; }
  bool IsChecksumEnabled() override { return Mount().checksum; }
  int GetSecurityType() override { return static_cast<int>(Mount().security); }
  int GetHWACStatus() override {
    Check(FaultOp::NetworkFileSystem_GetHWACStatus);
    return static_cast<int>(Mount().hwac);
  }
  NasParams GetParams() override {
    Check(FaultOp::NetworkFileSystem_GetParams);
    const NasMountRecord &mount = Mount();
    return NasParams{mount.maxQueueDepth, mount.maxReadTransferSize, mount.maxWriteTransferSize, mount.olknic,
                     mount.connections};
  }

  void SetReadOnly(bool readOnly) override {
    Change(FaultOp::NetworkFileSystem_SetReadOnly,
           [&](State &, NasMountRecord &m) { m.readOnly = readOnly; });
  }
  void SetPE(bool pe) override {
    Change(FaultOp::NetworkFileSystem_SetPE, [&](State &, NasMountRecord &m) { m.pe = pe; });
  }
  void MountWithOption(int option) override {
    OlkCtl::Sim::CheckFault(kFileSystemMount, Volume().label);
    OlkCtl::Sim::Current().Modify([&](State &state) { MountNas(state, uuid_, option); });
    Refresh();
  }
  void SetMaxQueueDepth(uint32_t depth) override {
    Change(FaultOp::NetworkFileSystem_SetMaxQueueDepth, [&](State &, NasMountRecord &m) {
      if (depth == 0)
        throw HostCtlException("A queue depth of 0 is not allowed");
      m.maxQueueDepth = depth;
    });
  }
  void SetOlknic(const std::string &olknic) override {
    Change(FaultOp::NetworkFileSystem_SetOlknic, [&](State &state, NasMountRecord &m) {
      RequireOlknic(state.nas(), olknic);
      m.olknic = olknic;
      m.boundToOlknic = true;
    });
  }
  void SetOlknics(const std::string &olknics) override {
    Change(FaultOp::NetworkFileSystem_SetOlknics, [&](State &state, NasMountRecord &m) {
      for (const std::string &entry : SplitComma(olknics)) {
        const auto [host, olknic] = SplitServer(entry, true);
        if (olknic.empty() || host.empty())
          throw HostCtlException("Invalid host:olknic entry '" + entry + "'");
        RequireOlknic(state.nas(), olknic);
      }
      m.olknic = olknics;
      m.boundToOlknic = true;
    });
  }
  void SetConnections(int32_t connections) override {
    Change(FaultOp::NetworkFileSystem_SetConnections, [&](State &, NasMountRecord &m) {
      if (connections < 1 || connections > 8)
        throw HostCtlException("Connections must be between 1 and 8");
      m.connections = connections;
    });
  }
  std::string Resolve(const std::string &hostName) override {
    OlkCtl::Sim::CheckFault(FaultOp::NetworkFileSystem_Resolve, Volume().label);
    const std::string address = state_->nas().Resolve(hostName);
    if (address.empty())
      throw HostCtlException("Unable to resolve hostname '" + hostName + "'");
    return address;
  }
  void ReResolve(const std::string &hostName, const std::string &address, bool force) override {
    Change(FaultOp::NetworkFileSystem_ReResolve, [&](State &state, NasMountRecord &m) {
      VolumeRecord &volume = *state.volumes().MutableByUuid(uuid_);
      if (volume.mounted && volume.accessible && !force)
        throw HostCtlException("Volume " + volume.label + " is accessible; use force to re-resolve " +
                               hostName);
      m.address = address;
      volume.accessible = true;
    });
  }
  void Restore() override {
    OlkCtl::Sim::CheckFault(FaultOp::NetworkFileSystem_Restore, Volume().label);
    OlkCtl::Sim::Current().Modify([&](State &state) {
      const VolumeRecord &volume = VolumeIn(state, uuid_);
      if (!volume.accessible)
        throw HostCtlException("NFS server of volume " + volume.label + " is not reachable");
      if (!volume.mounted)
        MountNas(state, uuid_, MOUNT_OPTION_NONE);
    });
    Refresh();
  }

private:
  const VolumeRecord &Volume() const { return VolumeIn(*state_, uuid_); }
  const NasMountRecord &Mount() const { return MountIn(*state_, uuid_); }
  std::unique_ptr<HostCtl::Storage::FileSystem> Plain() const {
    return OlkCtl::Sim::NewPlainFileSystem(state_, uuid_);
  }
  void Check(const FaultOperation &operation) const {
    OlkCtl::Sim::CheckFault(*state_, operation, Volume().label);
  }
  void Refresh() { state_ = OlkCtl::Sim::Current().Read(); }
  // Checks the fault, then changes the volume's entry inside a transaction.
  template <class Fn> void Change(const FaultOperation &operation, const Fn &change) {
    OlkCtl::Sim::CheckFault(operation, Volume().label);
    OlkCtl::Sim::Current().Modify([&](State &state) {
      VolumeIn(state, uuid_);
      change(state, MutableMount(state, uuid_));
    });
    Refresh();
  }

  Snapshot state_;
  std::string uuid_;
};

// NAS volumes have UUIDs of two 8-digit groups.
std::string NewNasUuid(const State &state, const std::string &seed) {
  for (uint64_t attempt = 0;; ++attempt) {
    // The standard library's string hash has no per-process seed: the same
    // volume gets the same UUID on every run.
    const uint64_t h = std::hash<std::string>{}(seed + "#" + std::to_string(attempt));
    char text[20];
    std::snprintf(text, sizeof text, "%08x-%08x", static_cast<unsigned>(h >> 32), static_cast<unsigned>(h));
    if (!state.volumes().ByUuid(text))
      return text;
  }
}

// Adds a configured, unmounted volume and its NAS entry; returns its uuid.
std::string AddNas(const char *type, NasMountRecord mount, const std::string &volumeName) {
  if (volumeName.empty())
    throw HostCtlException("A NAS volume needs a name");
  if (mount.connections < 1 || mount.connections > 8)
    throw HostCtlException("Connections must be between 1 and 8");
  std::string uuid;
  OlkCtl::Sim::Current().Modify([&](State &state) {
    if (state.volumes().ByLabel(volumeName))
      throw HostCtlException("A volume named '" + volumeName + "' already exists");
    uuid = NewNasUuid(state,
                      type + std::string(":") + volumeName + ":" + Join(mount.servers) + ":" + mount.share);
    VolumeRecord volume;
    volume.uuid = uuid;
    volume.label = volumeName;
    volume.type = type;
    volume.majorVersion = 0;
    volume.mounted = false;
    state.volumes().volumes.push_back(std::move(volume));
    mount.uuid = uuid;
    // An entry left from a volume the host no longer has gives way.
    std::erase_if(state.nas().mounts, [&](const NasMountRecord &m) { return m.uuid == uuid; });
    state.nas().mounts.push_back(std::move(mount));
  });
  return uuid;
}

void RemoveNas(const std::string &volumeName, const NfsVersion *version) {
  OlkCtl::Sim::CheckFault(FaultOp::StorageInfo_RemoveNetworkFileSystem, volumeName);
  OlkCtl::Sim::Current().Modify([&](State &state) {
    const VolumeRecord &volume = RequireNas(state, volumeName);
    if (version && volume.type != TypeOf(*version))
      throw HostCtlException("Volume " + volumeName + " is not an " +
                             (*version == NfsVersion::V3 ? "NFS v3" : "NFS v4.1") + " volume");
    const std::string uuid = volume.uuid;
    std::erase_if(state.volumes().volumes, [&](const VolumeRecord &v) { return v.uuid == uuid; });
    std::erase_if(state.nas().mounts, [&](const NasMountRecord &m) { return m.uuid == uuid; });
  });
}

void SetPreunmount(const FaultOperation &operation, const std::string &volumeName, bool enter) {
  OlkCtl::Sim::CheckFault(operation, volumeName);
  OlkCtl::Sim::Current().Modify([&](State &state) {
    const VolumeRecord &volume = RequireNas(state, volumeName);
    NasMountRecord &mount = MutableMount(state, volume.uuid);
    if (mount.preunmount == enter)
      throw HostCtlException("Volume " + volumeName + (enter ? " is already" : " is not") +
                             " in preunmount state");
    mount.preunmount = enter;
  });
}

std::vector<std::string> &Ruleset(State &state, NfsVersion version) {
  return version == NfsVersion::V3 ? state.nas().firewallV3 : state.nas().firewallV41;
}

void EnsureSodium() {
  if (sodium_init() < 0)
    throw HostCtlException("The host's password library could not start");
}

bool IsValidIpv6(const std::string &text) {
  unsigned char buffer[16];
  return inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

} // namespace

namespace OlkCtl::Sim {

std::unique_ptr<NetworkFileSystem> NewNetworkFileSystem(const Snapshot &state, const std::string &uuid) {
  return std::make_unique<NetworkFileSystemObject>(state, uuid);
}

} // namespace OlkCtl::Sim

// --- texts, addresses, passwords ---

namespace HostCtl::Storage {

const char *NetworkFileSystem::SecurityTypeText(int type) {
  switch (type) {
  case AUTH_NONE:
    return NFS_AUTH_NONE_STR;
  case AUTH_SYS:
    return NFS_AUTH_SYS_STR;
  case AUTH_KRB5:
    return NFS_AUTH_KRB5_STR;
  case AUTH_KRB5I:
    return NFS_AUTH_KRB5I_STR;
  case AUTH_KRB5P:
    return NFS_AUTH_KRB5P_STR;
  default:
    return NFS_AUTH_UNKNOWN_STR;
  }
}

void WipePassword(std::string &text) {
  if (!text.empty())
    sodium_memzero(text.data(), text.size());
  text.clear();
}

} // namespace HostCtl::Storage

namespace HostCtl::Network {

bool Ipv4Address::IsValidAddress(const std::string &text) {
  unsigned char buffer[4];
  return inet_pton(AF_INET, text.c_str(), buffer) == 1;
}

bool Ipv6Address::IsValidAddress(const std::string &text) {
  return IsValidIpv6(text);
}

bool Ipv6Network::IsValidAddressAndNetmask(const std::string &text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos || !IsValidIpv6(text.substr(0, slash)))
    return false;
  const std::string prefix = text.substr(slash + 1);
  if (prefix.empty() || prefix.size() > 3 || prefix.find_first_not_of("0123456789") != std::string::npos)
    return false;
  return std::stoi(prefix) <= 128;
}

} // namespace HostCtl::Network

// --- storage info ---

namespace OlkCtl::Storage {

namespace {

void ListNas(const Snapshot &state, const char *type, StorageInfoImpl::NasFilter filter,
             StorageInfoImpl::NasVector &out) {
  for (const VolumeRecord &volume : state->volumes().volumes) {
    if (volume.type != type)
      continue;
    auto object = Sim::NewNetworkFileSystem(state, volume.uuid);
    if (!filter || filter(object.get()))
      out.push_back(std::move(object));
  }
}

} // namespace

bool IsNotHidden(NetworkFileSystem *volume) {
  return !volume->IsHidden();
}

bool IsPE(NetworkFileSystem *volume) {
  return volume->IsPE();
}

bool IsNotPE(NetworkFileSystem *volume) {
  return !volume->IsPE();
}

StorageInfoImpl::NasVector StorageInfoImpl::GetV3NetworkFileSystems(NasFilter filter) {
  NasVector out;
  GetV3NetworkFileSystems(out, filter);
  return out;
}

void StorageInfoImpl::GetV3NetworkFileSystems(NasVector &volumes, NasFilter filter) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetV3NetworkFileSystems);
  ListNas(state_, Sim::kNfsType, filter, volumes);
}

StorageInfoImpl::NasVector StorageInfoImpl::GetV41NetworkFileSystems(NasFilter filter) {
  NasVector out;
  GetV41NetworkFileSystems(out, filter);
  return out;
}

void StorageInfoImpl::GetV41NetworkFileSystems(NasVector &volumes, NasFilter filter) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetV41NetworkFileSystems);
  ListNas(state_, Sim::kNfs41Type, filter, volumes);
}

std::unique_ptr<NetworkFileSystem> StorageInfoImpl::AddNetworkFileSystem(
    const std::string &host, const std::string &share, const std::string &volumeName, bool boundToOlknic,
    const std::string &olknic, uint32_t queueDepth, int32_t connections, bool checksum) {
  Sim::CheckFault(FaultOp::StorageInfo_AddNetworkFileSystem, volumeName);
  if (host.empty() || share.empty())
    throw HostCtlException("A NAS volume needs a host and a share");
  NasMountRecord mount;
  mount.servers = {host};
  mount.share = share;
  mount.boundToOlknic = boundToOlknic;
  mount.olknic = boundToOlknic ? olknic : std::string();
  mount.connections = connections;
  mount.checksum = checksum;
  if (queueDepth != 0)
    mount.maxQueueDepth = queueDepth;
  const std::string uuid = AddNas(Sim::kNfsType, std::move(mount), volumeName);
  Refresh();
  return Sim::NewNetworkFileSystem(state_, uuid);
}

std::unique_ptr<NetworkFileSystem>
StorageInfoImpl::AddV41NetworkFileSystem(const std::vector<std::string> &servers, const std::string &share,
                                         const std::string &volumeName, int security, bool olknicBound,
                                         int32_t connections) {
  Sim::CheckFault(FaultOp::StorageInfo_AddV41NetworkFileSystem, volumeName);
  if (servers.empty() || share.empty())
    throw HostCtlException("An NFS v4.1 volume needs a server and a share");
  if (security < NetworkFileSystem::AUTH_NONE || security > NetworkFileSystem::AUTH_KRB5P)
    throw HostCtlException("Unknown security flavor " + std::to_string(security));
  NasMountRecord mount;
  // "nas1,nas2" in one entry names two servers.
  for (const std::string &entry : servers)
    for (const std::string &server : SplitComma(entry))
      mount.servers.push_back(server);
  mount.share = share;
  mount.security = static_cast<uint32_t>(security);
  mount.boundToOlknic = olknicBound;
  mount.olknic = olknicBound ? Join(mount.servers) : std::string();
  mount.connections = connections;
  const std::string uuid = AddNas(Sim::kNfs41Type, std::move(mount), volumeName);
  Refresh();
  return Sim::NewNetworkFileSystem(state_, uuid);
}

void StorageInfoImpl::RemoveNetworkFileSystem(const std::string &volumeName) {
  RemoveNas(volumeName, nullptr);
  Refresh();
}

void StorageInfoImpl::RemoveNetworkFileSystem(const std::string &volumeName, NfsVersion version) {
  RemoveNas(volumeName, &version);
  Refresh();
}

void StorageInfoImpl::EnterNetworkFileSystemPreUnmount(const std::string &volumeName) {
  SetPreunmount(FaultOp::StorageInfo_EnterNetworkFileSystemPreUnmount, volumeName, true);
  Refresh();
}

void StorageInfoImpl::ExitNetworkFileSystemPreUnmount(const std::string &volumeName) {
  SetPreunmount(FaultOp::StorageInfo_ExitNetworkFileSystemPreUnmount, volumeName, false);
  Refresh();
}

void StorageInfoImpl::ReResolveNFS41NetworkFileSystem(const std::string &hostName, const std::string &,
                                                      bool force) {
  Sim::CheckFault(FaultOp::StorageInfo_ReResolveNFS41NetworkFileSystem, hostName);
  std::vector<std::string> refused;
  Sim::Current().Modify([&](Sim::State &state) {
    std::vector<std::string> uuids;
    for (const VolumeRecord &volume : state.volumes().volumes) {
      if (volume.type != Sim::kNfs41Type)
        continue;
      const NasMountRecord &mount = MountIn(state, volume.uuid);
      for (const std::string &entry : mount.servers)
        if (SplitServer(entry, mount.boundToOlknic).first == hostName) {
          uuids.push_back(volume.uuid);
          break;
        }
    }
    if (uuids.empty())
      return;
    const std::string address = state.nas().Resolve(hostName);
    if (address.empty())
      throw HostCtlException("Unable to resolve hostname '" + hostName + "'");
    for (const std::string &uuid : uuids) {
      VolumeRecord &volume = *state.volumes().MutableByUuid(uuid);
      if (volume.mounted && volume.accessible && !force) {
        refused.push_back(volume.label);
        continue;
      }
      volume.accessible = true;
      MutableMount(state, uuid).address = address;
    }
  });
  Refresh();
  // The others keep their new address.
  if (!refused.empty())
    throw HostCtlException("Volume(s) " + Join(refused) + " are accessible; use force to re-resolve " +
                           hostName);
}

std::vector<std::string> StorageInfoImpl::GetNasFirewallConfigs(NfsVersion version) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetNasFirewallConfigs);
  return version == NfsVersion::V3 ? state_->nas().firewallV3 : state_->nas().firewallV41;
}

void StorageInfoImpl::AddNasFirewallConfig(const std::string &ipMask, NfsVersion version) {
  Sim::CheckFault(FaultOp::StorageInfo_AddNasFirewallConfig, ipMask);
  Sim::Current().Modify([&](Sim::State &state) {
    std::vector<std::string> &rules = Ruleset(state, version);
    for (const std::string &rule : rules)
      if (rule == ipMask)
        throw HostCtlException("IP/Mask " + ipMask + " is already in ruleset " + RulesetOf(version));
    rules.push_back(ipMask);
  });
  Refresh();
}

void StorageInfoImpl::RemoveNasFirewallConfig(const std::string &ipMask, NfsVersion version) {
  Sim::CheckFault(FaultOp::StorageInfo_RemoveNasFirewallConfig, ipMask);
  Sim::Current().Modify([&](Sim::State &state) {
    std::vector<std::string> &rules = Ruleset(state, version);
    if (std::erase(rules, ipMask) == 0)
      throw HostCtlException("IP/Mask " + ipMask + " is not in ruleset " + RulesetOf(version));
  });
  Refresh();
}

void StorageInfoImpl::GetV41NetworkFileSystemDefaultCredential(std::string &user, uint32_t &passwordCount) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetV41NetworkFileSystemDefaultCredential);
  user = state_->nas().credential.user;
  passwordCount = static_cast<uint32_t>(state_->nas().credential.passwordHashes.size());
}

void StorageInfoImpl::SetV41NetworkFileSystemDefaultCredential(const std::string &user,
                                                               const std::vector<std::string> &passwords) {
  Sim::CheckFault(FaultOp::StorageInfo_SetV41NetworkFileSystemDefaultCredential);
  if (user.empty())
    throw HostCtlException("The default credential needs a user name");
  if (passwords.empty())
    throw HostCtlException("The default credential needs at least one password");
  EnsureSodium();
  std::vector<std::string> hashes;
  for (const std::string &password : passwords) {
    if (password.empty())
      throw HostCtlException("An empty password is not allowed");
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
      throw HostCtlException("The host ran out of memory while storing the credential");
    hashes.emplace_back(hash);
  }
  Sim::Current().Modify([&](Sim::State &state) {
    state.nas().credential.user = user;
    state.nas().credential.passwordHashes = hashes;
    state.nas().credential.current = -1;
  });
  Refresh();
}

void StorageInfoImpl::SetV41NetworkFileSystemDefaultCurrentPassword(const std::string &user,
                                                                    const std::string &password) {
  Sim::CheckFault(FaultOp::StorageInfo_SetV41NetworkFileSystemDefaultCurrentPassword);
  EnsureSodium();
  const Snapshot now = Sim::Current().Read();
  const Sim::NasCredentialRecord &credential = now->nas().credential;
  if (credential.user.empty() || credential.user != user)
    throw HostCtlException("No default credential is set for user " + user);
  for (std::size_t i = 0; i < credential.passwordHashes.size(); ++i) {
    if (crypto_pwhash_str_verify(credential.passwordHashes[i].c_str(), password.data(), password.size()) != 0)
      continue;
    const std::string hash = credential.passwordHashes[i];
    Sim::Current().Modify([&](Sim::State &state) {
      Sim::NasCredentialRecord &kept = state.nas().credential;
      for (std::size_t j = 0; j < kept.passwordHashes.size(); ++j)
        if (kept.user == user && kept.passwordHashes[j] == hash) {
          kept.current = static_cast<int32_t>(j);
          return;
        }
      throw HostCtlException("The default credential changed meanwhile");
    });
    Refresh();
    return;
  }
  throw HostCtlException("The password does not match the default credential of user " + user);
}

void StorageInfoImpl::ClearV41NetworkFileSystemDefaultCredential() {
  Sim::CheckFault(FaultOp::StorageInfo_ClearV41NetworkFileSystemDefaultCredential);
  Sim::Current().Modify([](Sim::State &state) { state.nas().credential = Sim::NasCredentialRecord{}; });
  Refresh();
}

} // namespace OlkCtl::Storage
