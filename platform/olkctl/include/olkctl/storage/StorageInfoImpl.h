// The simulated host's storage stack. Constructed as a local by commands, or
// returned by Host::GetStorageInfo().
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/FibreChannelInterface.h>
#include <hostctl/storage/NetworkFileSystem.h>
#include <hostctl/storage/SerialAttachedScsiInterface.h>
#include <hostctl/storage/StorageInfo.h>
#include <hostctl/storage/iScsiInterface.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
}

namespace OlkCtl::Storage {

class OLKCTL_API StorageInfoImpl : public HostCtl::Storage::StorageInfo {
public:
  // Reads the host's current state once; every query of this object sees that
  // snapshot, and each change it makes refreshes it.
  StorageInfoImpl();
  ~StorageInfoImpl() override;

  // --- adapters ---
  std::vector<std::unique_ptr<HostCtl::Storage::ScsiInterface>> GetScsiInterfaces() override;
  std::unique_ptr<HostCtl::Storage::ScsiInterface> GetScsiInterface(const std::string &name) override;
  bool IsValidScsiInterface(const std::string &name) override;
  std::string RescanScsiInterfaces(const std::string &adapter, const std::string &type,
                                   bool skipClaim) override;
  std::string GetLinkState(const HostCtl::Storage::ScsiInterface &adapter);
  std::string GetDeviceDescription(const HostCtl::Storage::ScsiInterface &adapter);
  std::vector<std::string> GetAdapterCapabilities(const HostCtl::Storage::ScsiInterface &adapter);

  // --- devices ---
  std::vector<std::unique_ptr<HostCtl::Storage::Lun>> GetLuns(bool includeOffline, bool refresh) override;
  std::unique_ptr<HostCtl::Storage::Lun> GetLun(const std::string &name, bool includeOffline) override;
  std::string ResolveRuntimeLunName(const std::string &name) override;
  std::vector<std::string> GetLunPathAdapters(const std::string &deviceName) override;
  std::unordered_map<std::string, std::string> GetDeviceDisplayNames() override;
  // Every direct-access device, in host order.
  std::vector<std::unique_ptr<HostCtl::Storage::DiskLun>> GetDiskLuns();
  bool IsOlfsVolumeMountedOnLun(const std::string &deviceName) override;
  void PurgeLunsNotSeen(int64_t days) override;
  void PurgeInactiveLuns() override;

  // --- paths ---
  std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> GetScsiPaths() override;
  std::unique_ptr<HostCtl::Storage::ScsiPath> GetScsiPath(const std::string &name) override;

  // --- claim rules ---
  std::vector<std::string> GetPsaClaimRuleClasses() override;
  HostCtl::Storage::PSAClaimRuleClass GetClaimRuleClass(const std::string &text) override;
  std::string GetClaimRuleClassString(HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  std::vector<std::unique_ptr<HostCtl::Storage::PsaClaimRule>>
  GetPsaClaimRules(bool runtime, bool file, HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  std::unique_ptr<HostCtl::Storage::PsaClaimRule>
  GetPsaClaimRule(uint32_t id, HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  void AddPsaClaimRule(HostCtl::Storage::PsaClaimRule &rule, bool boot) override;
  void RemovePsaClaimRule(uint32_t id, HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  void ClearPsaClaimRules(HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  void LoadPsaClaimRules(HostCtl::Storage::PSAClaimRuleClass ruleClass) override;
  bool IsRegisteredPsaPluginName(const std::string &plugin, const std::string &classText) override;
  void RunClaimRules(HostCtl::Storage::PSAClaimRuleClass ruleClass, bool wait) override;
  void RunClaimRulesOnLocation(const std::string &adapter, uint32_t channel, uint32_t target,
                               uint32_t lun) override;
  void PostClaimRuleRun() override;

  // --- virtual volumes ---
  std::vector<std::unique_ptr<HostCtl::Storage::XvolFileSystem>> GetXvolFileSystems() override;
  std::unique_ptr<HostCtl::Storage::XvolFileSystem> GetXvolFileSystemByPath(const std::string &path) override;
  void GetOspaProviders(const std::string &name,
                        std::vector<HostCtl::Storage::OspaProvider> &providers) override;
  std::string GetOspaContext() override;

  // --- plug-ins and claiming ---
  std::vector<std::string> GetPsaPluginNames() override;
  bool IsValidPsaPluginName(const std::string &name) override;
  std::unique_ptr<HostCtl::Storage::PsaMultipathPlugin> GetMultipathPlugin(const std::string &name) override;
  std::vector<std::string> GetRegistered() override;
  HostCtl::Storage::RegisteredModule GetRegisteredModule(const std::string &module) override;
  void RegisterModule(const std::string &module, const std::string &plugin, const std::string &pluginClass,
                      const std::string &dependencies, const std::string &fullPath) override;
  void UnRegisterModule(const std::string &module) override;
  void SetPsaAutoClaiming(bool enabled, HostCtl::Storage::PSAClaimRuleClass ruleClass, bool wait) override;
  void UnclaimPaths(const std::string &adapter, uint32_t channel, uint32_t target, uint32_t lun) override;

  // --- SAN transports ---
  // The adapters of one transport, in adapter order: "fc" only; "fcoe"; "sas";
  // "iscsi" and "iscsivendor".
  std::vector<std::unique_ptr<HostCtl::Storage::FibreChannelInterface>> GetFibreChannelInterfaces();
  std::vector<std::unique_ptr<HostCtl::Storage::FibreChannelOverEthernetInterface>>
  GetFibreChannelOverEthernetInterfaces();
  std::vector<std::unique_ptr<HostCtl::Storage::SerialAttachedScsiInterface>>
  GetSerialAttachedScsiInterfaces();
  std::vector<std::unique_ptr<HostCtl::Storage::iScsiInterface>> GetiScsiInterfaces();

  // --- volumes ---
  std::vector<std::unique_ptr<HostCtl::Storage::VmFileSystem>>
  GetOlfsFileSystems(const std::string &name) override;
  std::unique_ptr<HostCtl::Storage::VmFileSystem> GetOlfsFileSystemByUuid(const std::string &uuid) override;
  std::unique_ptr<HostCtl::Storage::VmFileSystem> GetOlfsFileSystemByLabel(const std::string &label) override;
  std::unique_ptr<HostCtl::Storage::PBCache> GetPBCache() override;
  // Every file system in host order, mounted or not.
  std::vector<std::unique_ptr<HostCtl::Storage::FileSystem>> GetFileSystems();
  // None when not found.
  std::unique_ptr<HostCtl::Storage::FileSystem> GetFileSystemByUuidEx(const std::string &uuid);
  std::unique_ptr<HostCtl::Storage::FileSystem> GetFileSystemByUUID(const std::string &uuid);
  std::unique_ptr<HostCtl::Storage::FileSystem> GetFileSystemByLabel(const std::string &label);
  // By mount point, "/olfs/volumes/<uuid>" or "/olfs/volumes/<label>".
  std::unique_ptr<HostCtl::Storage::FileSystem> GetFileSystemByPath(const std::string &path);
  // Mounts the known, unmounted volume of that uuid (else label); false when
  // there is none.
  bool TryMount(HostCtl::Storage::FileSystem::MountOperationOption option, const std::string &uuid,
                const std::string &label);
  // Adds the volumes found on devices that appeared since the last scan.
  void RescanOlfs();
  // Mounts every known volume that is not explicitly unmounted.
  void AutoFullMountVolumes();
  // Tells the I/O resource manager that volumes are about to go.
  void SignalIORM(bool unmounting);
  // Mounted OLFS volumes whose label is `name`; every one for an empty name.
  std::vector<std::unique_ptr<HostCtl::Storage::VmFileSystem>>
  GetOlfsFileSystemsList(const std::string &name);
  // Unresolved volumes in host order, OLFS snapshots and others.
  std::vector<std::unique_ptr<HostCtl::Storage::UnresolvedVolume>> GetUnresolvedVolumes();

  // --- NAS volumes ---
  using NasFilter = bool (*)(HostCtl::Storage::NetworkFileSystem *);
  using NasVector = std::vector<std::unique_ptr<HostCtl::Storage::NetworkFileSystem>>;
  // The volumes of one NFS version that pass `filter`, in host order.
  NasVector GetV3NetworkFileSystems(NasFilter filter);
  void GetV3NetworkFileSystems(NasVector &volumes, NasFilter filter);
  NasVector GetV41NetworkFileSystems(NasFilter filter);
  void GetV41NetworkFileSystems(NasVector &volumes, NasFilter filter);
  // Configures a volume, not yet mounted. `olknic` counts only when bound.
  std::unique_ptr<HostCtl::Storage::NetworkFileSystem>
  AddNetworkFileSystem(const std::string &host, const std::string &share, const std::string &volumeName,
                       bool boundToOlknic, const std::string &olknic, uint32_t queueDepth,
                       int32_t connections, bool checksum);
  // `servers`: host names, or "host:olknic" entries when bound to olknics.
  std::unique_ptr<HostCtl::Storage::NetworkFileSystem>
  AddV41NetworkFileSystem(const std::vector<std::string> &servers, const std::string &share,
                          const std::string &volumeName, int security, bool olknicBound, int32_t connections);
  // Unmounts and forgets a NAS volume of either version, or only of `version`.
  void RemoveNetworkFileSystem(const std::string &volumeName);
  void RemoveNetworkFileSystem(const std::string &volumeName, HostCtl::Storage::NfsVersion version);
  void EnterNetworkFileSystemPreUnmount(const std::string &volumeName);
  void ExitNetworkFileSystemPreUnmount(const std::string &volumeName);
  // Re-resolves the v4.1 volumes one of whose servers is `hostName`; the
  // volume name is not used to choose them.
  void ReResolveNFS41NetworkFileSystem(const std::string &hostName, const std::string &volumeName,
                                       bool force);
  // The IP/mask entries of the version's client firewall rule set.
  std::vector<std::string> GetNasFirewallConfigs(HostCtl::Storage::NfsVersion version);
  void AddNasFirewallConfig(const std::string &ipMask, HostCtl::Storage::NfsVersion version);
  void RemoveNasFirewallConfig(const std::string &ipMask, HostCtl::Storage::NfsVersion version);
  // The v4.1 default Kerberos credential: user and number of passwords (only
  // hashes of them are kept).
  void GetV41NetworkFileSystemDefaultCredential(std::string &user, uint32_t &passwordCount);
  void SetV41NetworkFileSystemDefaultCredential(const std::string &user,
                                                const std::vector<std::string> &passwords);
  // Chooses the stored password that `password` matches.
  void SetV41NetworkFileSystemDefaultCurrentPassword(const std::string &user, const std::string &password);
  void ClearV41NetworkFileSystemDefaultCredential();

  // The snapshot this object reads.
  const std::shared_ptr<const Sim::State> &State() const { return state_; }

private:
  // Re-reads the snapshot after a change made through this object.
  void Refresh();

  std::shared_ptr<const Sim::State> state_;
};

// Filters of the NAS volume lists.
OLKCTL_API bool IsNotHidden(HostCtl::Storage::NetworkFileSystem *volume);
OLKCTL_API bool IsPE(HostCtl::Storage::NetworkFileSystem *volume);
OLKCTL_API bool IsNotPE(HostCtl::Storage::NetworkFileSystem *volume);

} // namespace OlkCtl::Storage
