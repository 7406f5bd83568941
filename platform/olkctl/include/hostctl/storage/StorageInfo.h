// The storage stack of the host: adapters, devices, paths and claim rules.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/FileSystem.h>
#include <hostctl/storage/Lun.h>
#include <hostctl/storage/PsaClaimRule.h>
#include <hostctl/storage/PsaPlugin.h>
#include <hostctl/storage/ScsiInterface.h>
#include <hostctl/storage/ScsiPath.h>
#include <hostctl/storage/Xvol.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace HostCtl::Storage {

class OLKCTL_API StorageInfo {
public:
  virtual ~StorageInfo() = default;

  // --- adapters ---
  virtual std::vector<std::unique_ptr<ScsiInterface>> GetScsiInterfaces() = 0;
  // None when no adapter has that name.
  virtual std::unique_ptr<ScsiInterface> GetScsiInterface(const std::string &name) = 0;
  virtual bool IsValidScsiInterface(const std::string &name) = 0;
  // Rescans one adapter, or every adapter for "*". `type` is "add", "delete",
  // "update" or "all". Returns an error text, empty on success.
  virtual std::string RescanScsiInterfaces(const std::string &adapter, const std::string &type,
                                           bool skipClaim) = 0;

  // --- devices ---
  // All devices in host order; offline ones only with `includeOffline`.
  // `refresh` re-reads the device list from the kernel first.
  virtual std::vector<std::unique_ptr<Lun>> GetLuns(bool includeOffline, bool refresh) = 0;
  // Look-up by any of the device's names and UIDs; none when not found.
  virtual std::unique_ptr<Lun> GetLun(const std::string &name, bool includeOffline) = 0;
  // The canonical name of a device given by any of its names; empty when unknown.
  virtual std::string ResolveRuntimeLunName(const std::string &name) = 0;
  // One entry per path of the device: the name of the adapter the path leaves from.
  virtual std::vector<std::string> GetLunPathAdapters(const std::string &deviceName) = 0;
  // Device name to display name, for every device.
  virtual std::unordered_map<std::string, std::string> GetDeviceDisplayNames() = 0;
  // Whether a mounted OLFS volume has an extent on the device.
  virtual bool IsOlfsVolumeMountedOnLun(const std::string &deviceName) = 0;
  // Removes offline devices not seen for more than `days` days, with their dead paths.
  virtual void PurgeLunsNotSeen(int64_t days) = 0;
  // Removes every device that is not in active state, with its paths.
  virtual void PurgeInactiveLuns() = 0;

  // --- paths ---
  virtual std::vector<std::unique_ptr<ScsiPath>> GetScsiPaths() = 0;
  // Look-up by UID or runtime name; none when not found.
  virtual std::unique_ptr<ScsiPath> GetScsiPath(const std::string &name) = 0;

  // --- claim rules ---
  // (declared by the claim-rule family; see PsaClaimRule.h)
  virtual std::vector<std::string> GetPsaClaimRuleClasses() = 0;
  virtual PSAClaimRuleClass GetClaimRuleClass(const std::string &text) = 0;
  virtual std::string GetClaimRuleClassString(PSAClaimRuleClass ruleClass) = 0;
  virtual std::vector<std::unique_ptr<PsaClaimRule>> GetPsaClaimRules(bool runtime, bool file,
                                                                      PSAClaimRuleClass ruleClass) = 0;
  virtual std::unique_ptr<PsaClaimRule> GetPsaClaimRule(uint32_t id, PSAClaimRuleClass ruleClass) = 0;
  virtual void AddPsaClaimRule(PsaClaimRule &rule, bool boot) = 0;
  virtual void RemovePsaClaimRule(uint32_t id, PSAClaimRuleClass ruleClass) = 0;
  virtual void ClearPsaClaimRules(PSAClaimRuleClass ruleClass) = 0;
  virtual void LoadPsaClaimRules(PSAClaimRuleClass ruleClass) = 0;
  virtual bool IsRegisteredPsaPluginName(const std::string &plugin, const std::string &classText) = 0;
  virtual void RunClaimRules(PSAClaimRuleClass ruleClass, bool wait) = 0;
  virtual void RunClaimRulesOnLocation(const std::string &adapter, uint32_t channel, uint32_t target,
                                       uint32_t lun) = 0;
  virtual void PostClaimRuleRun() = 0;

  // --- virtual volumes ---
  virtual std::vector<std::unique_ptr<XvolFileSystem>> GetXvolFileSystems() = 0;
  // The container a datastore path names ("/olfs/volumes/<uuid>" or the
  // container's name); none when it names none.
  virtual std::unique_ptr<XvolFileSystem> GetXvolFileSystemByPath(const std::string &path) = 0;
  // The providers of that name, or all for the empty text.
  virtual void GetOspaProviders(const std::string &name, std::vector<OspaProvider> &providers) = 0;
  // The central management server the host is registered with; empty when none.
  virtual std::string GetOspaContext() = 0;

  // --- plug-ins and claiming ---
  // The loaded PSA plug-ins, sub-plug-ins included, in load order.
  virtual std::vector<std::string> GetPsaPluginNames() = 0;
  virtual bool IsValidPsaPluginName(const std::string &name) = 0;
  // None when no multipathing plug-in of that name is loaded.
  virtual std::unique_ptr<PsaMultipathPlugin> GetMultipathPlugin(const std::string &name) = 0;
  // Module names of the register, in registration order.
  virtual std::vector<std::string> GetRegistered() = 0;
  // Throws for a module that is not registered.
  virtual RegisteredModule GetRegisteredModule(const std::string &module) = 0;
  // Registering does not load the plug-in.
  virtual void RegisterModule(const std::string &module, const std::string &plugin,
                              const std::string &pluginClass, const std::string &dependencies,
                              const std::string &fullPath) = 0;
  virtual void UnRegisterModule(const std::string &module) = 0;
  // Turning automatic claiming of a class back on claims what waits for it.
  virtual void SetPsaAutoClaiming(bool enabled, PSAClaimRuleClass ruleClass, bool wait) = 0;
  // Unclaims the paths at a location ("*" and the wildcard match any).
  virtual void UnclaimPaths(const std::string &adapter, uint32_t channel, uint32_t target, uint32_t lun) = 0;

  // --- volumes ---
  // Mounted OLFS volumes whose label is `name`; every one for an empty name.
  virtual std::vector<std::unique_ptr<VmFileSystem>> GetOlfsFileSystems(const std::string &name) = 0;
  // Any OLFS volume the host knows, mounted or not; none when not found.
  virtual std::unique_ptr<VmFileSystem> GetOlfsFileSystemByUuid(const std::string &uuid) = 0;
  virtual std::unique_ptr<VmFileSystem> GetOlfsFileSystemByLabel(const std::string &label) = 0;
  virtual std::unique_ptr<PBCache> GetPBCache() = 0;
};

} // namespace HostCtl::Storage
