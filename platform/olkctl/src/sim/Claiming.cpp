#include "sim/Claiming.h"

#include "sim/State.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

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

} // namespace

std::size_t ClaimPaths(State &state, const std::function<bool(const PathRecord &)> &select) {
  const std::vector<ClaimRuleRecord> &rules = state.claimRules().mp.runtime; // sorted by rule ID
  std::unordered_set<std::string> devices;
  std::size_t selected = 0;
  for (PathRecord &path : state.paths().records) {
    if (!select(path))
      continue;
    ++selected;
    const DeviceRecord *device = path.deviceName.empty() ? nullptr : state.devices().Find(path.deviceName);
    const AdapterRecord *adapter = state.adapters().Find(path.adapterName);
    path.plugin.clear();
    for (const ClaimRuleRecord &rule : rules) {
      if (PathMatches(rule, path, device, adapter)) {
        path.plugin = rule.plugin;
        break;
      }
    }
    if (!path.deviceName.empty())
      devices.insert(path.deviceName);
  }
  // Only plug-in names changed, so the path indexes still hold. A masked path
  // gives its device nothing.
  for (const std::string &name : devices) {
    DeviceRecord *device = state.devices().Find(name);
    if (!device)
      continue;
    device->multipathPlugin.clear();
    for (size_t position : state.paths().OfDevice(name)) {
      const PathRecord &path = state.paths().records[position];
      if (path.IsClaimed() && path.plugin != "MASK_PATH") {
        device->multipathPlugin = path.plugin;
        break;
      }
    }
  }
  return selected;
}

std::size_t ClaimDeviceFilters(State &state, const std::function<bool(const DeviceRecord &)> &select) {
  const ClaimRuleClassRecord &filterClass = state.claimRules().filter;
  // Only the plug-ins of the Filter class are claimed here; other filters a
  // device carries (I/O filters) stay where they are.
  std::unordered_set<std::string> filterPlugins(filterClass.plugins.begin(), filterClass.plugins.end());
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
  const ClaimRuleClassRecord &filterClass = state.claimRules().filter;
  const bool filtered =
      device.psaConfig &&
      std::any_of(device.filters.begin(), device.filters.end(), [&](const std::string &name) {
        return std::find(filterClass.plugins.begin(), filterClass.plugins.end(), name) !=
               filterClass.plugins.end();
      });
  if (!filtered)
    return {};
  for (const ClaimRuleRecord &rule : state.claimRules().hwac.runtime)
    if (DeviceMatches(rule, device))
      return rule.plugin;
  return {};
}

} // namespace OlkCtl::Sim
