#include "sim/Claiming.h"

#include "sim/State.h"

#include <hostctl/Exception.h>

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

using HostCtl::Lib::HostCtlException;

// Devices report vendor and model padded with blanks to their fixed width.
std::string TrimRight(const std::string &text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// "*" matches anything, "ABC*" any text starting with ABC, anything else the
// same text.
bool TextMatches(const std::string &pattern, const std::string &value) {
  if (pattern == "*")
    return true;
  std::string text = TrimRight(value);
  if (!pattern.empty() && pattern.back() == '*')
    return text.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  return text == pattern;
}

bool NumberMatches(uint32_t ruleValue, uint32_t value) {
  return ruleValue == kClaimRuleWildcard || ruleValue == value;
}

bool VendorMatches(const ClaimRuleRecord &rule, const DeviceRecord &device) {
  if (!rule.vendor.empty() && !TextMatches(rule.vendor, device.vendor))
    return false;
  if (!rule.model.empty() && !TextMatches(rule.model, device.model))
    return false;
  return true;
}

// A vendor rule of the MP class: SCSI inquiry data, NVMe controller model and
// PCI IDs. A rule naming no vendor or model whose controller model is "*"
// claims every NVMe device.
bool MpVendorMatches(const ClaimRuleRecord &rule, const DeviceRecord &device) {
  if (!VendorMatches(rule, device))
    return false;
  const std::string &controller = rule.nvmeControllerModel;
  bool onlyController = rule.vendor.empty() && rule.model.empty() && rule.pciVendorId == kClaimRuleWildcard &&
                        rule.pciSubVendorId == kClaimRuleWildcard;
  if (controller == "*") {
    if (onlyController && !device.nvme)
      return false;
  } else if (!controller.empty()) {
    if (!device.nvme || !TextMatches(controller, device.nvmeControllerModel))
      return false;
  }
  return NumberMatches(rule.pciVendorId, device.pciVendorId) &&
         NumberMatches(rule.pciSubVendorId, device.pciSubVendorId);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string HexDigits(const std::string &wwn) {
  std::string digits;
  for (char c : wwn)
    if (c != ':')
      digits.push_back(c);
  return Lower(digits);
}

// Fibre Channel target identifiers read "fc.<wwnn>:<wwpn>"; iSCSI ones hold the
// target's IQN as one of their comma-separated fields.
bool TargetMatches(const ClaimRuleRecord &rule, const PathRecord &path) {
  if (!NumberMatches(rule.lun, path.lun))
    return false;
  if (rule.transport == "fc")
    return Lower(path.targetIdentifier) == "fc." + HexDigits(rule.wwnn) + ":" + HexDigits(rule.wwpn);
  if (rule.transport == "iscsi") {
    size_t start = 0;
    while (start <= path.targetIdentifier.size()) {
      size_t end = path.targetIdentifier.find(',', start);
      if (end == std::string::npos)
        end = path.targetIdentifier.size();
      if (path.targetIdentifier.compare(start, end - start, rule.iqn) == 0)
        return true;
      start = end + 1;
    }
  }
  return false;
}

bool PathMatches(const ClaimRuleRecord &rule, const PathRecord &path, const DeviceRecord *device,
                 const AdapterRecord *adapter) {
  // A path whose adapter the host does not know has an unknown transport.
  const std::string transport = adapter ? adapter->transport : "unknown";
  if (rule.type == "vendor")
    return device && MpVendorMatches(rule, *device);
  if (rule.type == "location")
    return (rule.adapter.empty() || rule.adapter == "*" || rule.adapter == path.adapterName) &&
           NumberMatches(rule.channel, path.channel) && NumberMatches(rule.target, path.target) &&
           NumberMatches(rule.lun, path.lun);
  if (rule.type == "driver")
    return adapter && adapter->driver == rule.driver;
  if (rule.type == "transport")
    return transport == rule.transport;
  if (rule.type == "target")
    return transport == rule.transport && TargetMatches(rule, path);
  return false; // device rules belong to the Filter and HWAC classes
}

bool DeviceMatches(const ClaimRuleRecord &rule, const DeviceRecord &device) {
  if (rule.type == "vendor")
    return VendorMatches(rule, device);
  if (rule.type == "device")
    return rule.device == device.name ||
           std::find(device.uids.begin(), device.uids.end(), rule.device) != device.uids.end();
  return false;
}

constexpr const char *kHpp = "HPP";

bool IsLastUsableClaimedPath(const State &state, const PathRecord &path) {
  for (size_t position : state.paths().OfDevice(path.deviceName)) {
    const PathRecord &other = state.paths().records[position];
    if (other.uid != path.uid && other.IsClaimed() && other.plugin != "MASK_PATH" && other.IsUsable())
      return false;
  }
  return true;
}

// Parses "key=value,..." as the HPP does when it claims a device: unknown keys
// and values outside their limits are ignored.
void ApplyHppConfigString(State &state, DeviceRecord &device, const std::string &text) {
  HppFamily &hpp = state.hpp();
  HppDeviceRecord config;
  config.name = device.name;
  auto number = [](const std::string &value, uint32_t low, uint32_t high, uint32_t &out) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 9)
      return;
    const auto parsed = static_cast<uint32_t>(std::stoul(value));
    if (parsed >= low && parsed <= high)
      out = parsed;
  };
  auto mark = [&device](std::vector<std::string> &list, bool &flag, bool value) {
    flag = value;
    if (std::find(list.begin(), list.end(), device.name) == list.end())
      list.push_back(device.name);
  };
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string pair = text.substr(start, end - start);
    start = end + 1;
    const size_t equals = pair.find('=');
    if (equals == std::string::npos)
      continue;
    const std::string key = pair.substr(0, equals);
    const std::string value = pair.substr(equals + 1);
    if (key == "pss" && IsHppScheme(value))
      config.pss = value;
    else if (key == "iops")
      number(value, 1, 10000, config.iops);
    else if (key == "bytes")
      number(value, 1, 104857600, config.bytes);
    else if (key == "latency-eval-time")
      number(value, 10000, 300000, config.latencyEvalTime);
    else if (key == "sampling-ios-per-path")
      number(value, 16, 160, config.samplingIosPerPath);
    else if (key == "path") {
      // Only a path of the device can be preferred.
      const PathRecord *path = state.paths().ByName(value);
      if (path && path->deviceName == device.name)
        config.preferredPath = path->runtimeName;
    } else if (key == "mark-device-ssd" && value == "true")
      mark(hpp.userMarkedSsd, device.ssd, true);
    else if (key == "mark-device-local" && value == "true")
      mark(hpp.userMarkedLocal, device.local, true);
    else if (key == "mark-device-remote" && value == "true")
      mark(hpp.userMarkedLocal, device.local, false);
  }
  if (config.pss != "FIXED")
    config.preferredPath.clear();
  hpp.devices.byName.emplace(config.name, hpp.devices.records.size());
  hpp.devices.records.push_back(std::move(config));
}

} // namespace

bool ClaimTextMatches(const std::string &pattern, const std::string &value) {
  return TextMatches(pattern, value);
}

std::size_t ClaimPaths(State &state, const std::function<bool(const PathRecord &)> &select) {
  const std::vector<ClaimRuleRecord> &rules = state.claimRules().mp.runtime; // sorted by rule ID
  // Device name -> the configuration string of the rule that gave it its
  // first HPP path, in the order the devices were first reached.
  std::vector<std::string> devices;
  std::unordered_map<std::string, std::string> hppConfig;
  std::size_t selected = 0;
  for (PathRecord &path : state.paths().records) {
    if (!select(path))
      continue;
    ++selected;
    const DeviceRecord *device = path.deviceName.empty() ? nullptr : state.devices().Find(path.deviceName);
    const AdapterRecord *adapter = state.adapters().Find(path.adapterName);
    path.plugin.clear();
    const ClaimRuleRecord *claimedBy = nullptr;
    for (const ClaimRuleRecord &rule : rules) {
      if (PathMatches(rule, path, device, adapter)) {
        path.plugin = rule.plugin;
        claimedBy = &rule;
        break;
      }
    }
    if (path.deviceName.empty())
      continue;
    if (hppConfig.find(path.deviceName) == hppConfig.end())
      devices.push_back(path.deviceName);
    auto [entry, added] = hppConfig.emplace(path.deviceName, std::string());
    if (claimedBy && claimedBy->plugin == kHpp && (added || entry->second.empty()))
      entry->second = claimedBy->configString;
  }
  // Only plug-in names changed, so the path indexes still hold.
  for (const std::string &name : devices)
    SettleDevice(state, name, hppConfig[name]);
  return selected;
}

bool AutoClaims(const State &state, const std::string &ruleClass) {
  return state.plugins().AutoClaims(ruleClass);
}

void SettleDevice(State &state, const std::string &deviceName, const std::string &hppConfigString) {
  DeviceRecord *device = state.devices().Find(deviceName);
  if (!device)
    return;
  device->multipathPlugin.clear();
  for (size_t position : state.paths().OfDevice(device->name)) {
    const PathRecord &path = state.paths().records[position];
    if (path.IsClaimed() && path.plugin != "MASK_PATH") {
      device->multipathPlugin = path.plugin;
      break;
    }
  }
  SettleNmpDevice(state, *device);
  HppFamily &hpp = state.hpp();
  const HppDeviceRecord *config = hpp.devices.Find(device->name);
  if (device->multipathPlugin == kHpp) {
    if (!config)
      ApplyHppConfigString(state, *device, hppConfigString);
    return;
  }
  if (config && !config->persistent) {
    auto &records = hpp.devices.records;
    records.erase(records.begin() + (config - records.data()));
    hpp.devices.Reindex();
  }
}

std::vector<std::string> UnclaimPaths(State &state, const std::function<bool(const PathRecord &)> &select) {
  std::vector<std::string> kept;
  std::vector<std::string> devices;
  for (PathRecord &path : state.paths().records) {
    if (!path.IsClaimed() || !select(path))
      continue;
    const DeviceRecord *device = path.deviceName.empty() ? nullptr : state.devices().Find(path.deviceName);
    if (device && device->inUse && path.IsUsable() && IsLastUsableClaimedPath(state, path)) {
      kept.push_back("Path " + path.runtimeName + " is the last usable path of device " + device->name +
                     ", which is in use.");
      continue;
    }
    path.plugin.clear();
    if (device && std::find(devices.begin(), devices.end(), device->name) == devices.end())
      devices.push_back(device->name);
  }
  for (const std::string &name : devices)
    SettleDevice(state, name);
  return kept;
}

std::size_t ClaimDeviceFilters(State &state, const std::function<bool(const DeviceRecord &)> &select) {
  const ClaimRuleClassRecord &filterClass = state.claimRules().filter;
  // Only the plug-ins of the Filter class are claimed here; other filters a
  // device carries (I/O filters) stay where they are.
  const std::vector<std::string> loaded = state.plugins().LoadedOfClass("Filter");
  std::unordered_set<std::string> filterPlugins(loaded.begin(), loaded.end());
  for (const auto *side : {&filterClass.runtime, &filterClass.file})
    for (const ClaimRuleRecord &rule : *side)
      filterPlugins.insert(rule.plugin);
  std::size_t selected = 0;
  for (DeviceRecord &device : state.devices().records) {
    // A device without a PSA configuration has nowhere to attach filters.
    if (!device.psaConfig || !select(device))
      continue;
    ++selected;
    std::vector<std::string> filters;
    for (const std::string &name : device.filters)
      if (!filterPlugins.count(name))
        filters.push_back(name);
    for (const ClaimRuleRecord &rule : filterClass.runtime)
      if (DeviceMatches(rule, device) &&
          std::find(filters.begin(), filters.end(), rule.plugin) == filters.end())
        filters.push_back(rule.plugin);
    device.filters = std::move(filters);
  }
  return selected;
}

std::string HwacPluginOf(const State &state, const DeviceRecord &device) {
  const std::vector<std::string> filterPlugins = state.plugins().LoadedOfClass("Filter");
  const bool filtered =
      device.psaConfig &&
      std::any_of(device.filters.begin(), device.filters.end(), [&](const std::string &name) {
        return std::find(filterPlugins.begin(), filterPlugins.end(), name) != filterPlugins.end();
      });
  if (!filtered)
    return {};
  for (const ClaimRuleRecord &rule : state.claimRules().hwac.runtime)
    if (DeviceMatches(rule, device))
      return rule.plugin;
  return {};
}

void DetachFilters(State &state, const std::string &deviceName, const std::string &plugin) {
  DeviceRecord *device = state.devices().Find(deviceName);
  if (!device || !device->psaConfig)
    throw HostCtlException("Device " + deviceName + " has no filters to detach.");
  const std::vector<std::string> loaded = state.plugins().LoadedOfClass("Filter");
  auto detached = [&](const std::string &name) {
    return plugin == "*" ? std::find(loaded.begin(), loaded.end(), name) != loaded.end() : name == plugin;
  };
  auto &filters = device->filters;
  auto end = std::remove_if(filters.begin(), filters.end(), detached);
  if (end == filters.end() && plugin != "*")
    throw HostCtlException("Filter " + plugin + " is not attached to device " + device->name + ".");
  filters.erase(end, filters.end());
}

} // namespace OlkCtl::Sim
