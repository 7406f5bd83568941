// The storage stack of the host: adapters, devices, paths and claim rules.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/FileSystem.h>
#include <hostctl/storage/Lun.h>
#include <hostctl/storage/PsaClaimRule.h>
#include <hostctl/storage/ScsiInterface.h>
#include <hostctl/storage/ScsiPath.h>

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

  // --- volumes ---
  // Mounted OLFS volumes whose label is `name`; every one for an empty name.
  virtual std::vector<std::unique_ptr<VmFileSystem>> GetOlfsFileSystems(const std::string &name) = 0;
  // Any OLFS volume the host knows, mounted or not; none when not found.
  virtual std::unique_ptr<VmFileSystem> GetOlfsFileSystemByUuid(const std::string &uuid) = 0;
  virtual std::unique_ptr<VmFileSystem> GetOlfsFileSystemByLabel(const std::string &label) = 0;
  virtual std::unique_ptr<PBCache> GetPBCache() = 0;
};

} // namespace HostCtl::Storage
