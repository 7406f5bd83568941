// The native multipathing plug-in of the simulated host: SATPs and their claim
// rules, PSPs, the configuration of the devices and paths it controls, and how
// a device it claims gets its SATP and PSP.
#include "api/Claiming.h"
#include "api/Objects.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/NmpImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <algorithm>
#include <map>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_NMP_FAULTS(X)                                                                                 \
  X(NmpPsaPlugin_GetDevices, "NmpPsaPlugin::GetDevices", "")                                                 \
  X(NmpPsaPlugin_GetPaths, "NmpPsaPlugin::GetPaths", "")                                                     \
  X(NmpPsaPlugin_GetDeviceConfig, "NmpPsaPlugin::GetDeviceConfig", "device name")                            \
  X(NmpPsaPlugin_GetPathConfig, "NmpPsaPlugin::GetPathConfig", "the path's runtime name")                    \
  X(NmpPsaPlugin_GetStorageArrayTypes, "NmpPsaPlugin::GetStorageArrayTypes", "")                             \
  X(NmpPsaPlugin_GetPathSelectionPolicies, "NmpPsaPlugin::GetPathSelectionPolicies", "")                     \
  X(NmpPsaPlugin_GetStorageArrayTypeByName, "NmpPsaPlugin::GetStorageArrayTypeByName", "SATP name")          \
  X(StorageArrayType_GetClaimRules, "StorageArrayType::GetClaimRules", "SATP name")                          \
  X(StorageArrayType_AddClaimRule, "StorageArrayType::AddClaimRule", "SATP name")                            \
  X(StorageArrayType_RemoveClaimRule, "StorageArrayType::RemoveClaimRule", "SATP name")                      \
  X(StorageArrayType_SetDefaultPathSelectionPolicyName,                                                      \
    "StorageArrayType::SetDefaultPathSelectionPolicyName", "SATP name")                                      \
  X(PathSelectionPolicyImpl_IsValidPsp, "PathSelectionPolicyImpl::IsValidPsp", "PSP name")                   \
  X(NmpDeviceConfig_GetStorageArrayTypeOptionString, "NmpDeviceConfig::GetStorageArrayTypeOptionString",     \
    "device name")                                                                                           \
  X(NmpDeviceConfig_SetStorageArrayTypeOptionString, "NmpDeviceConfig::SetStorageArrayTypeOptionString",     \
    "device name")                                                                                           \
  X(NmpDeviceConfig_SetPathSelectionPolicy, "NmpDeviceConfig::SetPathSelectionPolicy", "device name")        \
  X(NmpDeviceConfig_ResetPathSelectionPolicy, "NmpDeviceConfig::ResetPathSelectionPolicy", "device name")    \
  X(PathSelectionPolicyDeviceConfig_GetConfigString, "PathSelectionPolicyDeviceConfig::GetConfigString",     \
    "device name")                                                                                           \
  X(PathSelectionPolicyDeviceConfig_SetConfigString, "PathSelectionPolicyDeviceConfig::SetConfigString",     \
    "device name")                                                                                           \
  X(FixedPathSelectionPolicyDeviceConfig_GetPreferredPath,                                                   \
    "FixedPathSelectionPolicyDeviceConfig::GetPreferredPath", "device name")                                 \
  X(FixedPathSelectionPolicyDeviceConfig_SetPreferredPath,                                                   \
    "FixedPathSelectionPolicyDeviceConfig::SetPreferredPath", "device name")                                 \
  X(RoundRobinPathSelectionPolicyDeviceConfig_Get, "RoundRobinPathSelectionPolicyDeviceConfig::Get",         \
    "device name")                                                                                           \
  X(RoundRobinPathSelectionPolicyDeviceConfig_Set, "RoundRobinPathSelectionPolicyDeviceConfig::Set",         \
    "device name")                                                                                           \
  X(NmpScsiPathConfig_Refresh, "NmpScsiPathConfig::Refresh", "the path's runtime name")                      \
  X(NmpScsiPathConfig_GetConfigString, "NmpScsiPathConfig::GetConfigString", "the path's runtime name")      \
  X(NmpScsiPathConfig_SetConfigString, "NmpScsiPathConfig::SetConfigString", "the path's runtime name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_NMP_FAULTS)
} // namespace

namespace OlkCtl::Sim {

namespace {

using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using HostCtl::Storage::Lun;
using HostCtl::Storage::ScsiPath;
using namespace HostCtl::Storage::Nmp;

bool NmpLoaded(const State &state) {
  return state.plugins().IsLoaded(kNmp, "MP");
}

void RequireNmp(const State &state) {
  if (!NmpLoaded(state))
    throw HostCtlException("The NMP plug-in is not loaded.");
}

// The facts a SATP rule matches a device by.
struct DeviceFacts {
  const DeviceRecord *device = nullptr;
  std::string driver;            // of the adapter of the device's first path
  std::string transport;         // likewise
  bool targetPortGroups = false; // its paths reach more than one target port
};

DeviceFacts FactsOf(const State &state, const DeviceRecord &device) {
  DeviceFacts facts;
  facts.device = &device;
  const std::vector<size_t> &positions = state.paths().OfDevice(device.name);
  bool first = true;
  uint32_t target = 0;
  for (size_t position : positions) {
    const PathRecord &path = state.paths().records[position];
    if (first) {
      const AdapterRecord *adapter = state.adapters().Find(path.adapterName);
      facts.driver = adapter ? adapter->driver : std::string();
      facts.transport = adapter ? adapter->transport : "unknown";
      target = path.target;
      first = false;
    } else if (path.target != target) {
      facts.targetPortGroups = true;
    }
  }
  return facts;
}

enum class RuleGroup { Device, VendorModel, Driver, Transport, None };

RuleGroup GroupOf(const SatpRuleRecord &rule) {
  if (!rule.device.empty())
    return RuleGroup::Device;
  if (!rule.vendor.empty() || !rule.model.empty() || !rule.claimOptions.empty())
    return RuleGroup::VendorModel;
  if (!rule.driver.empty())
    return RuleGroup::Driver;
  if (!rule.transport.empty())
    return RuleGroup::Transport;
  return RuleGroup::None;
}

bool RuleMatches(const SatpRuleRecord &rule, const DeviceFacts &facts) {
  const DeviceRecord &device = *facts.device;
  switch (GroupOf(rule)) {
  case RuleGroup::Device:
    return rule.device == device.name ||
           std::find(device.uids.begin(), device.uids.end(), rule.device) != device.uids.end();
  case RuleGroup::VendorModel:
    if (!rule.vendor.empty() && !ClaimTextMatches(rule.vendor, device.vendor))
      return false;
    if (!rule.model.empty() && !ClaimTextMatches(rule.model, device.model))
      return false;
    // The one claim option the host knows: whether the device reports target
    // port groups.
    if (rule.claimOptions == "tpgs_on")
      return facts.targetPortGroups;
    if (rule.claimOptions == "tpgs_off")
      return !facts.targetPortGroups;
    return rule.claimOptions.empty();
  case RuleGroup::Driver:
    return rule.driver == facts.driver;
  case RuleGroup::Transport:
    return rule.transport == facts.transport;
  case RuleGroup::None:
    break;
  }
  return false;
}

bool IsPathOf(const PathRecord *path, const std::string &device) {
  return path && path->deviceName == device;
}

// Applies "key=value,..." to a device's runtime settings under its PSP.
// Throws for a key the PSP does not know or a value it refuses.
void ApplyPspConfigText(const State &state, NmpDeviceRecord &config, const std::string &text) {
  size_t start = 0;
  NmpDeviceRecord changed = config;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string pair = text.substr(start, end - start);
    start = end + 1;
    if (pair.empty())
      continue;
    const size_t equals = pair.find('=');
    const std::string key = pair.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
    auto number = [&](uint32_t &out) {
      if (value.empty() || value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos ||
          std::stoull(value) == 0 || std::stoull(value) > 0xffffffffULL)
        throw HostCtlException(StrCat("Invalid value '", value, "' for ", key, "."));
      out = static_cast<uint32_t>(std::stoull(value));
    };
    RoundRobinRecord &rr = changed.roundRobin;
    if (config.psp == kFixedPsp && key == "preferred") {
      const PathRecord *path = state.paths().ByName(value);
      if (!IsPathOf(path, config.name))
        throw HostCtlException(StrCat("Path ", value, " is not a path of device ", config.name, "."));
      changed.preferredPath = path->runtimeName;
    } else if (config.psp == kRoundRobinPsp && key == "policy") {
      static const char *const kPolicies[] = {"default", "bytes", "iops", "latency"};
      auto it = std::find(std::begin(kPolicies), std::end(kPolicies), value);
      if (it == std::end(kPolicies))
        throw HostCtlException(StrCat("Invalid value '", value, "' for ", key, "."));
      rr.policy = static_cast<int32_t>(it - std::begin(kPolicies));
    } else if (config.psp == kRoundRobinPsp && key == "iops") {
      number(rr.iops);
    } else if (config.psp == kRoundRobinPsp && key == "bytes") {
      number(rr.bytes);
    } else if (config.psp == kRoundRobinPsp && key == "samplingCycles") {
      number(rr.samplingCycles);
    } else if (config.psp == kRoundRobinPsp && key == "latencyEvalTime") {
      number(rr.latencyEvalTime);
    } else if (config.psp == kRoundRobinPsp && key == "useANO" && (value == "0" || value == "1")) {
      rr.useAno = value == "1";
    } else {
      throw HostCtlException(
          StrCat("The path selection policy ", config.psp, " has no setting '", pair, "'."));
    }
  }
  changed.pspConfig = text;
  config = std::move(changed);
}

// What the configuration keeps for the device applies when it takes a PSP.
void ApplyStored(const State &state, NmpDeviceRecord &config) {
  const NmpStoredRecord *stored = state.nmp().stored.Find(config.name);
  if (!stored)
    return;
  if (config.psp == kFixedPsp && IsPathOf(state.paths().ByName(stored->preferredPath), config.name))
    config.preferredPath = state.paths().ByName(stored->preferredPath)->runtimeName;
  if (config.psp == kRoundRobinPsp && stored->hasRoundRobin)
    config.roundRobin = stored->roundRobin;
  if (stored->hasPspConfig) {
    try {
      ApplyPspConfigText(state, config, stored->pspConfig);
    } catch (const HostCtlException &) {
      // A stored text another PSP's keys do not fit is left for that PSP.
    }
  }
}

// The device takes `psp`: its settings under the old PSP go.
void TakePsp(const State &state, NmpDeviceRecord &config, const std::string &psp) {
  config.psp = psp;
  config.preferredPath.clear();
  config.roundRobin = RoundRobinRecord();
  config.pspConfig.clear();
  ApplyStored(state, config);
}

NmpDeviceRecord ConfigureByRules(const State &state, const DeviceRecord &device) {
  const NmpFamily &nmp = state.nmp();
  const DeviceFacts facts = FactsOf(state, device);
  const SatpRecord *satp = nullptr;
  const SatpRuleRecord *rule = nullptr;
  for (RuleGroup group :
       {RuleGroup::Device, RuleGroup::VendorModel, RuleGroup::Driver, RuleGroup::Transport}) {
    for (const SatpRecord &candidate : nmp.satps.records) {
      for (const SatpRuleRecord &r : candidate.rules)
        if (GroupOf(r) == group && RuleMatches(r, facts)) {
          satp = &candidate;
          rule = &r;
          break;
        }
      if (rule)
        break;
    }
    if (rule)
      break;
  }
  if (!satp)
    satp = nmp.satps.Find(kFallbackSatp);
  if (!satp && !nmp.satps.records.empty())
    satp = &nmp.satps.records.front();
  NmpDeviceRecord config;
  config.name = device.name;
  if (!satp)
    return config;
  config.satp = satp->name;
  std::string psp = satp->defaultPsp;
  if (rule) {
    config.satpOptions = rule->options;
    if (!rule->psp.empty() && nmp.psps.Find(rule->psp))
      psp = rule->psp;
  }
  TakePsp(state, config, psp);
  if (rule && !rule->pspOptions.empty()) {
    try {
      ApplyPspConfigText(state, config, rule->pspOptions);
    } catch (const HostCtlException &) {
      // Options the PSP does not take are ignored at claim time.
    }
  }
  return config;
}

std::vector<const PathRecord *> NmpPathsOf(const State &state, const std::string &device) {
  std::vector<const PathRecord *> paths;
  for (size_t position : state.paths().OfDevice(device)) {
    const PathRecord &path = state.paths().records[position];
    if (path.plugin == kNmp)
      paths.push_back(&path);
  }
  return paths;
}

std::vector<std::string> WorkingPaths(const State &state, const NmpDeviceRecord &config) {
  const std::vector<const PathRecord *> paths = NmpPathsOf(state, config.name);
  auto withState = [&](const char *pathState) {
    std::vector<std::string> names;
    for (const PathRecord *path : paths)
      if (path->state == pathState)
        names.push_back(path->runtimeName);
    return names;
  };
  std::vector<std::string> active = withState("active");
  std::vector<std::string> unoptimized = withState("active unoptimized");
  if (config.psp == kRoundRobinPsp) {
    if (config.roundRobin.useAno || active.empty())
      active.insert(active.end(), unoptimized.begin(), unoptimized.end());
    return active;
  }
  if (config.psp == kFixedPsp &&
      std::find(active.begin(), active.end(), config.preferredPath) != active.end())
    return {config.preferredPath};
  if (!active.empty())
    return {active.front()};
  if (!unoptimized.empty())
    return {unoptimized.front()};
  return {};
}

std::string DeviceConfigText(const State &state, const NmpDeviceRecord &config) {
  const std::vector<std::string> working = WorkingPaths(state, config);
  const std::string current = working.empty() ? std::string() : working.front();
  if (config.psp == kRoundRobinPsp)
    return RoundRobinConfigText(config.roundRobin);
  if (config.psp == kFixedPsp)
    return "preferred=" + config.preferredPath + ",current=" + current;
  return "current=" + current;
}

// The SATP's option text; an ALUA device's carries its target port groups
// (numbered by target) with the state of each.
std::string SatpOptionText(const State &state, const NmpDeviceRecord &config, bool excludeTpgInfo) {
  if (config.satp != kAluaSatp || excludeTpgInfo)
    return config.satpOptions;
  std::map<uint32_t, std::string> groups;
  for (const PathRecord *path : NmpPathsOf(state, config.name))
    groups.emplace(path->target + 1, path->state);
  std::string text = config.satpOptions;
  text += text.empty() ? "tpg=" : ";tpg=";
  bool first = true;
  for (const auto &[id, groupState] : groups) {
    text += (first ? "" : ",") + std::to_string(id) + ":" + groupState;
    first = false;
  }
  return text;
}

NmpStoredRecord &StoredFor(State &state, const std::string &device) {
  NmpFamily &nmp = state.nmp();
  if (NmpStoredRecord *stored = nmp.stored.Find(device))
    return *stored;
  NmpStoredRecord record;
  record.name = device;
  nmp.stored.byName.emplace(device, nmp.stored.records.size());
  nmp.stored.records.push_back(std::move(record));
  return nmp.stored.records.back();
}

// --- SATPs and PSPs ---

class SatpObject : public StorageArrayType {
public:
  SatpObject(Snapshot state, const SatpRecord &record) : state_(std::move(state)), record_(&record) {}
  std::string GetName() const override { return record_->name; }
  std::string GetDescription() const override { return record_->description; }
  std::string GetDefaultPathSelectionPolicyName() const override { return record_->defaultPsp; }

  std::vector<SatpClaimRule> GetClaimRules(bool all) const override {
    CheckFault(*state_, FaultOp::StorageArrayType_GetClaimRules, record_->name);
    std::vector<SatpClaimRule> rules;
    for (const SatpRuleRecord &r : record_->rules)
      if (all || r.group == "user")
        rules.push_back(SatpClaimRule{r.device, r.vendor, r.model, r.driver, r.transport, r.options,
                                      r.claimOptions, r.psp, r.pspOptions, r.description, r.group, r.force});
    return rules;
  }

  void AddClaimRule(const SatpClaimRule &rule) override {
    CheckFault(FaultOp::StorageArrayType_AddClaimRule, record_->name);
    const SatpRuleRecord added = ToRecord(rule);
    Current().Modify([&](State &state) {
      SatpRecord &satp = Satp(state);
      for (const SatpRuleRecord &r : satp.rules)
        if (r.SameAs(added))
          throw HostCtlException(StrCat("Duplicate rule: SATP ", satp.name, " already has this rule."));
      satp.rules.push_back(added);
    });
  }

  void RemoveClaimRule(const SatpClaimRule &rule) override {
    CheckFault(FaultOp::StorageArrayType_RemoveClaimRule, record_->name);
    const SatpRuleRecord removed = ToRecord(rule);
    Current().Modify([&](State &state) {
      SatpRecord &satp = Satp(state);
      auto it = std::find_if(satp.rules.begin(), satp.rules.end(),
                             [&](const SatpRuleRecord &r) { return r.SameAs(removed); });
      if (it == satp.rules.end())
        throw HostCtlException(StrCat("SATP ", satp.name, " has no such rule."));
      satp.rules.erase(it);
    });
  }

private:
  static SatpRuleRecord ToRecord(const SatpClaimRule &r) {
    return SatpRuleRecord{r.device,       r.vendor, r.model,      r.driver,      r.transport, r.options,
                          r.claimOptions, r.psp,    r.pspOptions, r.description, r.ruleGroup, r.force};
  }
  SatpRecord &Satp(State &state) const {
    SatpRecord *satp = state.nmp().satps.Find(record_->name);
    if (!satp)
      throw HostCtlException(StrCat("SATP ", record_->name, " is no longer loaded."));
    return *satp;
  }

  Snapshot state_; // keeps *record_ alive
  const SatpRecord *record_;
};

class PspObject : public PathSelectionPolicy {
public:
  PspObject(Snapshot state, const PspRecord &record) : state_(std::move(state)), record_(&record) {}
  std::string GetName() const override { return record_->name; }
  std::string GetDescription() const override { return record_->description; }

private:
  Snapshot state_;
  const PspRecord *record_;
};

// --- device configuration ---

// What every configuration object of a device shares: the snapshot it reads,
// the device, and whether setters keep their setting in the configuration.
class DeviceSide {
public:
  DeviceSide(Snapshot state, std::string device, bool update)
      : state_(std::move(state)), device_(std::move(device)), update_(update) {}

protected:
  // Null when the NMP does not control the device now.
  const NmpDeviceRecord *Runtime() const { return state_->nmp().devices.Find(device_); }
  const NmpDeviceRecord &RequireRuntime() const {
    const NmpDeviceRecord *config = Runtime();
    if (!config)
      throw HostCtlException(StrCat("Device ", device_, " is not controlled by NMP."));
    return *config;
  }

  // Applies `runtime` to the device's runtime record when it is under the NMP
  // (and, with a PSP, under that PSP), and `stored` to the configuration with
  // the update flag. Without the flag the runtime must be there.
  template <class RuntimeFn, class StoredFn>
  void Change(const char *psp, const RuntimeFn &runtime, const StoredFn &stored) {
    Current().Modify([&](State &state) {
      NmpDeviceRecord *config = state.nmp().devices.Find(device_);
      const bool applies = config && (!psp || config->psp == psp);
      if (!update_) {
        if (!config)
          throw HostCtlException(StrCat("Device ", device_, " is not controlled by NMP."));
        if (!applies)
          throw HostCtlException(StrCat("Device ", device_, " does not use ", psp, "."));
      }
      if (update_)
        stored(state, StoredFor(state, device_));
      if (applies) {
        if (update_) {
          try {
            runtime(state, *config);
          } catch (const HostCtlException &) {
            // The configuration has it; the runtime takes it when it can.
          }
        } else {
          runtime(state, *config);
        }
      }
    });
    state_ = Current().Read();
  }

  Snapshot state_;
  std::string device_; // canonical
  bool update_;
};

template <class Base> class PspConfigObject : public Base, protected DeviceSide {
public:
  using DeviceSide::DeviceSide;

  std::string GetPathSelectionPolicyName() const override {
    const NmpDeviceRecord *config = Runtime();
    return config ? config->psp : std::string();
  }
  std::string GetConfigString() const override {
    CheckFault(*state_, FaultOp::PathSelectionPolicyDeviceConfig_GetConfigString, device_);
    const NmpDeviceRecord *config = Runtime();
    return config ? DeviceConfigText(*state_, *config) : std::string();
  }
  std::string GetCustomConfigString() const override {
    const NmpDeviceRecord *config = Runtime();
    if (config)
      return config->pspConfig;
    const NmpStoredRecord *stored = state_->nmp().stored.Find(device_);
    return stored && stored->hasPspConfig ? stored->pspConfig : std::string();
  }
  void SetConfigString(const std::string &text) override {
    CheckFault(FaultOp::PathSelectionPolicyDeviceConfig_SetConfigString, device_);
    Change(
        nullptr, [&](State &state, NmpDeviceRecord &config) { ApplyPspConfigText(state, config, text); },
        [&](State &, NmpStoredRecord &stored) {
          stored.hasPspConfig = !text.empty();
          stored.pspConfig = text;
        });
  }
  void SetUpdateConfigFile(bool update) override { update_ = update; }
};

using GenericPspConfigObject = PspConfigObject<PathSelectionPolicyDeviceConfig>;

class FixedConfigObject : public PspConfigObject<FixedPathSelectionPolicyDeviceConfig> {
public:
  using PspConfigObject::PspConfigObject;

  std::string GetPreferredPath() const override {
    CheckFault(*state_, FaultOp::FixedPathSelectionPolicyDeviceConfig_GetPreferredPath, device_);
    const NmpDeviceRecord *config = Runtime();
    return config && config->psp == kFixedPsp ? config->preferredPath : std::string();
  }
  std::string GetConfiguredPreferredPath() const override {
    const NmpStoredRecord *stored = state_->nmp().stored.Find(device_);
    return stored ? stored->preferredPath : std::string();
  }
  void SetPreferredPath(const std::string &name) override {
    CheckFault(FaultOp::FixedPathSelectionPolicyDeviceConfig_SetPreferredPath, device_);
    const PathRecord *path = state_->paths().ByName(name);
    if (!IsPathOf(path, device_))
      throw HostCtlException(StrCat("Path ", name, " is not a path of device ", device_, "."));
    Set(path->runtimeName);
  }
  void ClearPreferredPath() override {
    CheckFault(FaultOp::FixedPathSelectionPolicyDeviceConfig_SetPreferredPath, device_);
    Set("");
  }

private:
  void Set(const std::string &runtimeName) {
    Change(
        kFixedPsp, [&](State &, NmpDeviceRecord &config) { config.preferredPath = runtimeName; },
        [&](State &, NmpStoredRecord &stored) { stored.preferredPath = runtimeName; });
  }
};

class RoundRobinConfigObject : public PspConfigObject<RoundRobinPathSelectionPolicyDeviceConfig> {
public:
  using PspConfigObject::PspConfigObject;

  int GetPathSwitchPolicy() const override { return Settings().policy; }
  uint32_t GetPathSwitchIOsLimit() const override { return Settings().iops; }
  uint32_t GetPathSwitchByteLimit() const override { return Settings().bytes; }
  bool GetUseANOPaths() const override { return Settings().useAno; }
  uint32_t GetPathNumSamplingCycles() const override { return Settings().samplingCycles; }
  uint32_t GetPathLatencyEvalTime() const override { return Settings().latencyEvalTime; }

  void SetPathSwitchByteLimit(uint32_t bytes) override {
    Limit("byte", bytes);
    Set([&](RoundRobinRecord &rr) {
      rr.policy = SWITCH_BYTES;
      rr.bytes = bytes;
    });
  }
  void SetPathSwitchIOsLimit(uint32_t ios) override {
    Limit("I/O operation", ios);
    Set([&](RoundRobinRecord &rr) {
      rr.policy = SWITCH_IOPS;
      rr.iops = ios;
    });
  }
  void SetDefaultValues() override {
    Set([](RoundRobinRecord &rr) {
      const bool useAno = rr.useAno;
      rr = RoundRobinRecord();
      rr.useAno = useAno;
    });
  }
  void SetPathSwitchLatencyBasedPolicy() override {
    Set([](RoundRobinRecord &rr) { rr.policy = SWITCH_LATENCY; });
  }
  void SetPathLatencyEvalTime(uint32_t milliseconds) override {
    Set([&](RoundRobinRecord &rr) { rr.latencyEvalTime = milliseconds; });
  }
  void SetPathNumSamplingCycles(uint32_t cycles) override {
    Set([&](RoundRobinRecord &rr) { rr.samplingCycles = cycles; });
  }
  void SetUseANOPaths(bool use) override {
    Set([&](RoundRobinRecord &rr) { rr.useAno = use; });
  }

private:
  // The runtime settings, or those of the configuration for a device not
  // under round robin now.
  const RoundRobinRecord &Settings() const {
    CheckFault(*state_, FaultOp::RoundRobinPathSelectionPolicyDeviceConfig_Get, device_);
    const NmpDeviceRecord *config = Runtime();
    if (config && config->psp == kRoundRobinPsp)
      return config->roundRobin;
    const NmpStoredRecord *stored = state_->nmp().stored.Find(device_);
    static const RoundRobinRecord defaults;
    return stored && stored->hasRoundRobin ? stored->roundRobin : defaults;
  }
  void Limit(const char *what, uint32_t value) const {
    CheckFault(FaultOp::RoundRobinPathSelectionPolicyDeviceConfig_Set, device_);
    if (value == 0)
      throw HostCtlException(StrCat("The round robin ", what, " limit must be at least 1."));
  }
  template <class Fn> void Set(const Fn &apply) {
    CheckFault(FaultOp::RoundRobinPathSelectionPolicyDeviceConfig_Set, device_);
    const RoundRobinRecord current = Settings();
    Change(
        kRoundRobinPsp, [&](State &, NmpDeviceRecord &config) { apply(config.roundRobin); },
        [&](State &, NmpStoredRecord &stored) {
          if (!stored.hasRoundRobin)
            stored.roundRobin = current;
          stored.hasRoundRobin = true;
          apply(stored.roundRobin);
        });
  }
};

std::unique_ptr<PathSelectionPolicyDeviceConfig> PspConfigFor(const Snapshot &state,
                                                              const std::string &device, bool update) {
  const NmpDeviceRecord *config = state->nmp().devices.Find(device);
  const std::string psp = config ? config->psp : std::string();
  if (psp == kFixedPsp)
    return std::make_unique<FixedConfigObject>(state, device, update);
  if (psp == kRoundRobinPsp)
    return std::make_unique<RoundRobinConfigObject>(state, device, update);
  return std::make_unique<GenericPspConfigObject>(state, device, update);
}

class NmpDeviceConfigObject : public NmpDeviceConfig, protected DeviceSide {
public:
  using DeviceSide::DeviceSide;

  std::vector<std::string> GetFilterNames() const override {
    const DeviceRecord *device = state_->devices().Find(device_);
    return device ? device->filters : std::vector<std::string>();
  }
  std::unique_ptr<StorageArrayType> GetStorageArrayType() const override {
    const NmpDeviceRecord *config = Runtime();
    const SatpRecord *satp = config ? state_->nmp().satps.Find(config->satp) : nullptr;
    return satp ? std::make_unique<SatpObject>(state_, *satp) : nullptr;
  }
  std::unique_ptr<PathSelectionPolicy> GetPathSelectionPolicy() const override {
    const NmpDeviceRecord *config = Runtime();
    const PspRecord *psp = config ? state_->nmp().psps.Find(config->psp) : nullptr;
    return psp ? std::make_unique<PspObject>(state_, *psp) : nullptr;
  }
  std::unique_ptr<PathSelectionPolicyDeviceConfig> GetPathSelectionPolicyDeviceConfig() const override {
    if (!Runtime() && !update_)
      return nullptr;
    return PspConfigFor(state_, device_, update_);
  }
  std::string GetStorageArrayTypeOptionString(bool excludeTpgInfo) const override {
    CheckFault(*state_, FaultOp::NmpDeviceConfig_GetStorageArrayTypeOptionString, device_);
    return SatpOptionText(*state_, RequireRuntime(), excludeTpgInfo);
  }
  void SetStorageArrayTypeOptionString(const std::string &options, bool) override {
    CheckFault(FaultOp::NmpDeviceConfig_SetStorageArrayTypeOptionString, device_);
    Change(
        nullptr, [&](State &, NmpDeviceRecord &config) { config.satpOptions = options; },
        [](State &, NmpStoredRecord &) {});
  }
  std::vector<std::string> GetWorkingPaths() const override {
    const NmpDeviceRecord *config = Runtime();
    return config ? WorkingPaths(*state_, *config) : std::vector<std::string>();
  }
  void SetPathSelectionPolicy(const std::string &psp) override {
    CheckFault(FaultOp::NmpDeviceConfig_SetPathSelectionPolicy, device_);
    if (!state_->nmp().psps.Find(psp))
      throw HostCtlException(StrCat("The path selection policy ", psp, " is not loaded."));
    Take([&](const State &) { return psp; });
  }
  void ResetPathSelectionPolicy() override {
    CheckFault(FaultOp::NmpDeviceConfig_ResetPathSelectionPolicy, device_);
    Take([&](const State &state) {
      const SatpRecord *satp = state.nmp().satps.Find(RequireRuntime().satp);
      if (!satp || satp->defaultPsp.empty())
        throw HostCtlException(StrCat("Device ", device_, " has no SATP with a default PSP."));
      return satp->defaultPsp;
    });
  }
  void SetUpdateConfigFile(bool update) override { update_ = update; }

private:
  template <class Fn> void Take(const Fn &pspOf) {
    Current().Modify([&](State &state) {
      NmpDeviceRecord *config = state.nmp().devices.Find(device_);
      if (!config)
        throw HostCtlException(StrCat("Device ", device_, " is not controlled by NMP."));
      const std::string psp = pspOf(state);
      if (!state.nmp().psps.Find(psp))
        throw HostCtlException(StrCat("The path selection policy ", psp, " is not loaded."));
      TakePsp(state, *config, psp);
    });
    state_ = Current().Read();
  }
};

// --- paths ---

class PathConfigObject : public NmpScsiPathConfig {
public:
  PathConfigObject(Snapshot state, std::string uid, std::string runtimeName, bool update)
      : state_(std::move(state)), uid_(std::move(uid)), runtimeName_(std::move(runtimeName)),
        update_(update) {}

  void Refresh() override {
    CheckFault(*state_, FaultOp::NmpScsiPathConfig_Refresh, runtimeName_);
    state_ = Current().Read();
  }
  std::string GetPathStateString() const override {
    const PathRecord *path = state_->paths().ByUid(uid_);
    return path ? path->state : std::string();
  }
  int GetArrayPriority() const override {
    const NmpPathRecord *record = Record();
    return record ? record->arrayPriority : 0;
  }
  std::string GetStorageArrayTypeConfigString() const override {
    CheckFault(*state_, FaultOp::NmpScsiPathConfig_GetConfigString, runtimeName_);
    const NmpPathRecord *record = Record();
    return record ? record->satpConfig : std::string();
  }
  void SetStorageArrayTypeConfigString(const std::string &config) override {
    Set([&](NmpPathRecord &record) { record.satpConfig = config; });
  }
  std::string GetPathSelectionPolicyConfigString() const override {
    CheckFault(*state_, FaultOp::NmpScsiPathConfig_GetConfigString, runtimeName_);
    const NmpPathRecord *record = Record();
    return record ? record->pspConfig : std::string();
  }
  void SetPathSelectionPolicyConfigString(const std::string &config) override {
    Set([&](NmpPathRecord &record) { record.pspConfig = config; });
  }
  void SetUpdateConfigFile(bool update) override { update_ = update; }

private:
  const NmpPathRecord *Record() const { return state_->nmp().paths.Find(uid_); }

  // The text stays with the path (the configuration keeps it with the update
  // flag, for a path the NMP does not hold now).
  template <class Fn> void Set(const Fn &apply) {
    CheckFault(FaultOp::NmpScsiPathConfig_SetConfigString, runtimeName_);
    Current().Modify([&](State &state) {
      const PathRecord *path = state.paths().ByUid(uid_);
      if (!path)
        throw HostCtlException(StrCat("Path ", runtimeName_, " no longer exists."));
      if (!update_ && path->plugin != kNmp)
        throw HostCtlException(StrCat("Path ", runtimeName_, " is not claimed by NMP."));
      NmpFamily &nmp = state.nmp();
      NmpPathRecord *record = nmp.paths.Find(uid_);
      if (!record) {
        nmp.paths.records.push_back(NmpPathRecord{uid_, 0, "", ""});
        nmp.paths.byName.emplace(uid_, nmp.paths.records.size() - 1);
        record = &nmp.paths.records.back();
      }
      apply(*record);
    });
    state_ = Current().Read();
  }

  Snapshot state_;
  std::string uid_;
  std::string runtimeName_;
  bool update_;
};

const DeviceRecord &RequireDevice(const State &state, const std::string &name) {
  const DeviceRecord *device = state.devices().Find(name);
  if (!device)
    throw HostCtlException(StrCat("Unknown device ", name, "."));
  return *device;
}

} // namespace

void SettleNmpDevice(State &state, const DeviceRecord &device) {
  NmpFamily &nmp = state.nmp();
  const NmpDeviceRecord *config = nmp.devices.Find(device.name);
  if (device.multipathPlugin == kNmp && !device.offline && NmpLoaded(state)) {
    if (!config) {
      nmp.devices.records.push_back(ConfigureByRules(state, device));
      nmp.devices.byName.emplace(device.name, nmp.devices.records.size() - 1);
    }
    return;
  }
  if (config) {
    auto &records = nmp.devices.records;
    records.erase(records.begin() + (config - records.data()));
    nmp.devices.Reindex();
  }
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage::Nmp {

using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using namespace HostCtl::Storage::Nmp;
using Sim::CheckFault;
using Sim::Current;

NmpPsaPluginImpl::NmpPsaPluginImpl() : state_(Current().Read()) {}
NmpPsaPluginImpl::NmpPsaPluginImpl(std::shared_ptr<const Sim::State> state) : state_(std::move(state)) {}
NmpPsaPluginImpl::~NmpPsaPluginImpl() = default;

std::string NmpPsaPluginImpl::GetName() const {
  return Sim::kNmp;
}

void NmpPsaPluginImpl::UnclaimAllPaths() {
  Sim::RequireNmp(*state_);
  Sim::UnclaimPluginPaths(Sim::kNmp);
  state_ = Current().Read();
}

std::vector<std::unique_ptr<HostCtl::Storage::Lun>> NmpPsaPluginImpl::GetDevices() {
  CheckFault(FaultOp::NmpPsaPlugin_GetDevices);
  Sim::RequireNmp(*state_);
  std::vector<std::unique_ptr<HostCtl::Storage::Lun>> devices;
  for (const Sim::DeviceRecord &device : state_->devices().records)
    if (device.multipathPlugin == Sim::kNmp && !device.offline)
      devices.push_back(Sim::NewLun(state_, device));
  return devices;
}

std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> NmpPsaPluginImpl::GetPaths() {
  CheckFault(FaultOp::NmpPsaPlugin_GetPaths);
  Sim::RequireNmp(*state_);
  std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> paths;
  for (const Sim::PathRecord &path : state_->paths().records)
    if (path.plugin == Sim::kNmp)
      paths.push_back(Sim::NewScsiPath(state_, path));
  return paths;
}

std::unique_ptr<NmpDeviceConfig> NmpPsaPluginImpl::GetDeviceConfig(const std::string &deviceName) {
  Sim::CheckFault(*state_, FaultOp::NmpPsaPlugin_GetDeviceConfig, deviceName);
  Sim::RequireNmp(*state_);
  const Sim::DeviceRecord *device = state_->devices().Find(deviceName);
  if (!device || device->multipathPlugin != Sim::kNmp || !state_->nmp().devices.Find(device->name))
    return nullptr;
  return std::make_unique<Sim::NmpDeviceConfigObject>(state_, device->name, false);
}

std::unique_ptr<NmpScsiPathConfig> NmpPsaPluginImpl::GetPathConfig(const std::string &pathName) {
  Sim::CheckFault(*state_, FaultOp::NmpPsaPlugin_GetPathConfig, pathName);
  Sim::RequireNmp(*state_);
  const Sim::PathRecord *path = state_->paths().ByName(pathName);
  if (!path || path->plugin != Sim::kNmp || !state_->nmp().devices.Find(path->deviceName))
    return nullptr;
  return std::make_unique<Sim::PathConfigObject>(state_, path->uid, path->runtimeName, false);
}

std::vector<std::unique_ptr<StorageArrayType>> NmpPsaPluginImpl::GetStorageArrayTypes() {
  CheckFault(FaultOp::NmpPsaPlugin_GetStorageArrayTypes);
  Sim::RequireNmp(*state_);
  std::vector<std::unique_ptr<StorageArrayType>> satps;
  for (const Sim::SatpRecord &satp : state_->nmp().satps.records)
    satps.push_back(std::make_unique<Sim::SatpObject>(state_, satp));
  return satps;
}

std::vector<std::unique_ptr<PathSelectionPolicy>> NmpPsaPluginImpl::GetPathSelectionPolicies() {
  CheckFault(FaultOp::NmpPsaPlugin_GetPathSelectionPolicies);
  Sim::RequireNmp(*state_);
  std::vector<std::unique_ptr<PathSelectionPolicy>> psps;
  for (const Sim::PspRecord &psp : state_->nmp().psps.records)
    psps.push_back(std::make_unique<Sim::PspObject>(state_, psp));
  return psps;
}

std::unique_ptr<StorageArrayType> NmpPsaPluginImpl::GetStorageArrayTypeByName(const std::string &name,
                                                                              bool create) {
  CheckFault(FaultOp::NmpPsaPlugin_GetStorageArrayTypeByName, name);
  Sim::RequireNmp(*state_);
  if (!state_->nmp().satps.Find(name)) {
    if (!create)
      return nullptr;
    // A registered SATP is loaded on first use.
    Current().Modify([&](Sim::State &state) {
      if (state.nmp().satps.Find(name))
        return;
      if (!state.plugins().IsRegistered(name, "SATP"))
        throw HostCtlException(StrCat("SATP ", name, " is not loaded and no registered module provides it."));
      Sim::NmpFamily &nmp = state.nmp();
      Sim::SatpRecord satp;
      satp.name = name;
      satp.defaultPsp = nmp.psps.Find("TVX_PSP_MRU") ? "TVX_PSP_MRU" : Sim::kFixedPsp;
      nmp.satps.records.push_back(std::move(satp));
      nmp.satps.Reindex();
      if (!state.plugins().FindLoaded(name))
        state.plugins().loaded.push_back(Sim::LoadedPluginRecord{name, "SATP", "scsi"});
    });
    state_ = Current().Read();
  }
  return std::make_unique<Sim::SatpObject>(state_, *state_->nmp().satps.Find(name));
}

StorageArrayTypeImpl::StorageArrayTypeImpl(std::string name) : name_(std::move(name)) {}

void StorageArrayTypeImpl::SetDefaultPathSelectionPolicyName(const std::string &psp, bool) {
  CheckFault(FaultOp::StorageArrayType_SetDefaultPathSelectionPolicyName, name_);
  Current().Modify([&](Sim::State &state) {
    Sim::RequireNmp(state);
    Sim::SatpRecord *satp = state.nmp().satps.Find(name_);
    if (!satp)
      throw HostCtlException(StrCat("SATP ", name_, " is not loaded."));
    if (!state.nmp().psps.Find(psp))
      throw HostCtlException(StrCat("The path selection policy ", psp, " is not loaded."));
    satp->defaultPsp = psp;
  });
}

bool PathSelectionPolicyImpl::IsValidPsp(const std::string &name) {
  CheckFault(FaultOp::PathSelectionPolicyImpl_IsValidPsp, name);
  const Sim::Snapshot state = Current().Read();
  return Sim::NmpLoaded(*state) && state->nmp().psps.Find(name);
}

std::unique_ptr<NmpDeviceConfig> NmpDeviceConfigImpl::New(const std::string &deviceName) {
  const Sim::Snapshot state = Current().Read();
  return std::make_unique<Sim::NmpDeviceConfigObject>(state, Sim::RequireDevice(*state, deviceName).name,
                                                      false);
}

std::unique_ptr<FixedPathSelectionPolicyDeviceConfig>
FixedPathSelectionPolicyDeviceConfigImpl::New(const std::string &deviceName) {
  const Sim::Snapshot state = Current().Read();
  return std::make_unique<Sim::FixedConfigObject>(state, Sim::RequireDevice(*state, deviceName).name, false);
}

std::unique_ptr<RoundRobinPathSelectionPolicyDeviceConfig>
RoundRobinPathSelectionPolicyDeviceConfigImpl::New(const std::string &deviceName) {
  const Sim::Snapshot state = Current().Read();
  return std::make_unique<Sim::RoundRobinConfigObject>(state, Sim::RequireDevice(*state, deviceName).name,
                                                       false);
}

std::unique_ptr<NmpScsiPathConfig> NmpScsiPathConfigImpl::New(const std::string &pathName) {
  const Sim::Snapshot state = Current().Read();
  const Sim::PathRecord *path = state->paths().ByName(pathName);
  if (!path)
    throw HostCtlException(StrCat("Unknown path ", pathName, "."));
  return std::make_unique<Sim::PathConfigObject>(state, path->uid, path->runtimeName, false);
}

} // namespace OlkCtl::Storage::Nmp
