// The native multipathing plug-in (NMP): its storage array type plug-ins
// (SATPs) with their claim rules, its path selection policies (PSPs), and the
// configuration it keeps per device and per path.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Lun.h>
#include <hostctl/storage/PsaPlugin.h>
#include <hostctl/storage/ScsiPath.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace HostCtl::Storage::Nmp {

// One SATP claim rule. A rule matches by exactly one group: device; vendor and
// model (with or without claim options); driver; transport.
struct SatpClaimRule {
  std::string device;
  std::string vendor;
  std::string model;
  std::string driver;
  std::string transport;
  std::string options;
  std::string claimOptions;
  std::string psp;
  std::string pspOptions;
  std::string description;
  std::string ruleGroup; // "system" or "user"
  bool force = false;
};

class OLKCTL_API StorageArrayType {
public:
  virtual ~StorageArrayType() = default;
  virtual std::string GetName() const = 0;
  virtual std::string GetDescription() const = 0;
  virtual std::string GetDefaultPathSelectionPolicyName() const = 0;
  // With `all`, system and user rules; otherwise the user rules only.
  virtual std::vector<SatpClaimRule> GetClaimRules(bool all) const = 0;
  // Refuses a rule that is already there.
  virtual void AddClaimRule(const SatpClaimRule &rule) = 0;
  // Refuses a rule that is not there (all fields but the force flag count).
  virtual void RemoveClaimRule(const SatpClaimRule &rule) = 0;
};

class OLKCTL_API PathSelectionPolicy {
public:
  virtual ~PathSelectionPolicy() = default;
  virtual std::string GetName() const = 0;
  virtual std::string GetDescription() const = 0;
};

// A device's settings under its PSP. Readers show the object's snapshot;
// setters change the host at once. With the update-config-file flag, a setter
// also keeps the setting in the configuration, where it applies whenever the
// device takes that PSP.
class OLKCTL_API PathSelectionPolicyDeviceConfig {
public:
  virtual ~PathSelectionPolicyDeviceConfig() = default;
  virtual std::string GetPathSelectionPolicyName() const = 0;
  // The PSP's settings for the device as "key=value,...".
  virtual std::string GetConfigString() const = 0;
  // The text last given with SetConfigString.
  virtual std::string GetCustomConfigString() const = 0;
  // "key=value,..." with keys the PSP knows; refuses other keys.
  virtual void SetConfigString(const std::string &config) = 0;
  virtual void SetUpdateConfigFile(bool update) = 0;
};

class OLKCTL_API FixedPathSelectionPolicyDeviceConfig : public PathSelectionPolicyDeviceConfig {
public:
  // Runtime name of the preferred path; empty when none is set.
  virtual std::string GetPreferredPath() const = 0;
  // The preferred path kept in the configuration; empty when none.
  virtual std::string GetConfiguredPreferredPath() const = 0;
  // Must be a path of the device.
  virtual void SetPreferredPath(const std::string &path) = 0;
  virtual void ClearPreferredPath() = 0;
};

class OLKCTL_API RoundRobinPathSelectionPolicyDeviceConfig : public PathSelectionPolicyDeviceConfig {
public:
  // Codes of GetPathSwitchPolicy().
  static constexpr int SWITCH_DEFAULT = 0;
  static constexpr int SWITCH_BYTES = 1;
  static constexpr int SWITCH_IOPS = 2;
  static constexpr int SWITCH_LATENCY = 3;

  virtual int GetPathSwitchPolicy() const = 0;
  virtual uint32_t GetPathSwitchIOsLimit() const = 0;
  virtual uint32_t GetPathSwitchByteLimit() const = 0;
  virtual bool GetUseANOPaths() const = 0;
  virtual uint32_t GetPathNumSamplingCycles() const = 0;
  virtual uint32_t GetPathLatencyEvalTime() const = 0; // milliseconds

  // The limits refuse 0.
  virtual void SetPathSwitchByteLimit(uint32_t bytes) = 0;
  virtual void SetPathSwitchIOsLimit(uint32_t ios) = 0;
  virtual void SetDefaultValues() = 0;
  virtual void SetPathSwitchLatencyBasedPolicy() = 0;
  virtual void SetPathLatencyEvalTime(uint32_t milliseconds) = 0;
  virtual void SetPathNumSamplingCycles(uint32_t cycles) = 0;
  virtual void SetUseANOPaths(bool use) = 0;
};

// A device's configuration while the NMP controls it.
class OLKCTL_API NmpDeviceConfig : public PsaDeviceConfig {
public:
  // None when the device has no SATP (or no PSP, or no PSP configuration).
  virtual std::unique_ptr<StorageArrayType> GetStorageArrayType() const = 0;
  virtual std::unique_ptr<PathSelectionPolicy> GetPathSelectionPolicy() const = 0;
  virtual std::unique_ptr<PathSelectionPolicyDeviceConfig> GetPathSelectionPolicyDeviceConfig() const = 0;
  // The SATP's option text for the device; an ALUA device's carries its
  // target port groups unless `excludeTpgInfo`.
  virtual std::string GetStorageArrayTypeOptionString(bool excludeTpgInfo) const = 0;
  virtual void SetStorageArrayTypeOptionString(const std::string &options, bool excludeTpgInfo) = 0;
  // Runtime names of the paths I/O goes down.
  virtual std::vector<std::string> GetWorkingPaths() const = 0;
  // Must name a loaded PSP.
  virtual void SetPathSelectionPolicy(const std::string &psp) = 0;
  // Back to the default PSP of the device's SATP.
  virtual void ResetPathSelectionPolicy() = 0;
  virtual void SetUpdateConfigFile(bool update) = 0;
};

class OLKCTL_API NmpScsiPathConfig {
public:
  virtual ~NmpScsiPathConfig() = default;
  // Re-reads the path's state.
  virtual void Refresh() = 0;
  // "active", "active unoptimized", "standby", "dead", "off"
  virtual std::string GetPathStateString() const = 0;
  virtual int GetArrayPriority() const = 0;
  virtual std::string GetStorageArrayTypeConfigString() const = 0;
  virtual void SetStorageArrayTypeConfigString(const std::string &config) = 0;
  virtual std::string GetPathSelectionPolicyConfigString() const = 0;
  virtual void SetPathSelectionPolicyConfigString(const std::string &config) = 0;
  virtual void SetUpdateConfigFile(bool update) = 0;
};

class OLKCTL_API NmpPsaPlugin : public PsaMultipathPlugin {
public:
  // The devices and paths the NMP has claimed, in host order.
  virtual std::vector<std::unique_ptr<Lun>> GetDevices() = 0;
  virtual std::vector<std::unique_ptr<ScsiPath>> GetPaths() = 0;
  // None when the NMP does not control the device (or the path).
  virtual std::unique_ptr<NmpDeviceConfig> GetDeviceConfig(const std::string &deviceName) = 0;
  virtual std::unique_ptr<NmpScsiPathConfig> GetPathConfig(const std::string &pathName) = 0;
  // Loaded SATPs and PSPs, in load order.
  virtual std::vector<std::unique_ptr<StorageArrayType>> GetStorageArrayTypes() = 0;
  virtual std::vector<std::unique_ptr<PathSelectionPolicy>> GetPathSelectionPolicies() = 0;
  // None when no SATP of that name is loaded. With `create`, a SATP that is
  // registered but not loaded is loaded first.
  virtual std::unique_ptr<StorageArrayType> GetStorageArrayTypeByName(const std::string &name,
                                                                      bool create) = 0;
};

} // namespace HostCtl::Storage::Nmp
