#include "sim/family/System.h"

#include "sim/Json.h"

#include <hostctl/Features.h>

#include <string>

namespace OlkCtl::Sim {

void SystemFamily::Reindex() {}

const AdvancedOptionGroup *SystemFamily::FindGroup(const std::string &group) const {
  for (const AdvancedOptionGroup &g : advancedOptions)
    if (g.name == group)
      return &g;
  return nullptr;
}

const AdvancedOptionRecord *SystemFamily::FindOption(const std::string &group,
                                                     const std::string &name) const {
  const AdvancedOptionGroup *g = FindGroup(group);
  if (!g)
    return nullptr;
  for (const AdvancedOptionRecord &o : g->options)
    if (o.name == name)
      return &o;
  return nullptr;
}

AdvancedOptionRecord *SystemFamily::FindOption(const std::string &group, const std::string &name) {
  return const_cast<AdvancedOptionRecord *>(std::as_const(*this).FindOption(group, name));
}

namespace {

int FeatureNumber(const Node &at, const std::string &text) {
  // Plain decimal only: "0312" or "+5" would be a second spelling of a number.
  bool digits = !text.empty() && text.size() <= 6 &&
                text.find_first_not_of("0123456789") == std::string::npos && (text == "0" || text[0] != '0');
  int number = digits ? std::stoi(text) : -1;
  if (number < 0 || number >= HostCtl::kFeatureCount)
    at.Fail("\"" + text + "\" is not a feature number (0 to " + std::to_string(HostCtl::kFeatureCount - 1) +
            ")");
  return number;
}

void LoadFeatureSwitches(const Node &node, std::map<int, bool> &switches) {
  if (node.Value().is_array()) {
    // The short form: the numbers of the switches that are on.
    node.Each([&](const Node &element) {
      int64_t n = element.AsInt();
      if (n < 0 || n >= HostCtl::kFeatureCount)
        element.Fail("not a feature number (0 to " + std::to_string(HostCtl::kFeatureCount - 1) + ")");
      if (!switches.emplace(static_cast<int>(n), true).second)
        element.Fail("feature " + std::to_string(n) + " is listed twice");
    });
    return;
  }
  if (!node.Value().is_object())
    node.Fail("expected an object of feature numbers to booleans, or an array of feature numbers");
  for (auto it = node.Value().begin(); it != node.Value().end(); ++it) {
    Node member = node.Field(it.key().c_str());
    switches[FeatureNumber(member, it.key())] = member.AsBool();
  }
  node.Done();
}

void LoadOption(const Node &node, AdvancedOptionRecord &option) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  Node value = node.Field("value");
  if (value.Value().is_string()) {
    option.isInteger = false;
    option.stringValue = value.AsString();
    option.stringDefault = node.Field("default").AsString();
  } else if (value.Value().is_number_integer()) {
    option.isInteger = true;
    option.intValue = value.AsInt();
    option.intDefault = node.Field("default").AsInt();
    option.min = node.Field("min").AsInt();
    option.max = node.Field("max").AsInt();
    if (option.min > option.max)
      node.Field("max").Fail("smaller than min");
    if (option.intValue < option.min || option.intValue > option.max)
      value.Fail("outside min..max");
    if (option.intDefault < option.min || option.intDefault > option.max)
      node.Field("default").Fail("outside min..max");
  } else {
    value.Fail("expected an integer or a string");
  }
  if (node.Has("description"))
    option.description = node.Field("description").AsString();
  node.Done();
}

void LoadAdvancedOptions(const Node &node, std::vector<AdvancedOptionGroup> &groups) {
  if (!node.Value().is_object())
    node.Fail("expected an object of option groups");
  for (auto g = node.Value().begin(); g != node.Value().end(); ++g) {
    Node groupNode = node.Field(g.key().c_str());
    if (!groupNode.Value().is_object())
      groupNode.Fail("expected an object of options");
    if (g.key().empty() || g.key().find('/') != std::string::npos)
      groupNode.Fail("a group name must be non-empty and have no \"/\"");
    AdvancedOptionGroup group;
    group.name = g.key();
    for (auto o = g.value().begin(); o != g.value().end(); ++o) {
      Node optionNode = groupNode.Field(o.key().c_str());
      if (o.key().empty() || o.key().find('/') != std::string::npos)
        optionNode.Fail("an option name must be non-empty and have no \"/\"");
      group.options.emplace_back();
      group.options.back().name = o.key();
      LoadOption(optionNode, group.options.back());
    }
    groupNode.Done();
    groups.push_back(std::move(group));
  }
  node.Done();
}

} // namespace

void LoadFamily(const Node &node, SystemFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  if (node.Has("hostName"))
    family.hostName = node.Field("hostName").AsString();
  if (node.Has("bootDevice"))
    family.bootDevice = node.Field("bootDevice").AsString();
  if (node.Has("hardware")) {
    Node hardware = node.Field("hardware");
    if (!hardware.Value().is_object())
      hardware.Fail("expected an object");
    if (hardware.Has("cpuModel"))
      family.cpuModel = hardware.Field("cpuModel").AsString();
    if (hardware.Has("cpuCores")) {
      family.cpuCores = hardware.Field("cpuCores").AsInt();
      if (family.cpuCores < 0)
        hardware.Field("cpuCores").Fail("must not be negative");
    }
    hardware.Done();
  }
  if (node.Has("featureSwitches"))
    LoadFeatureSwitches(node.Field("featureSwitches"), family.featureSwitches);
  if (node.Has("advancedOptions"))
    LoadAdvancedOptions(node.Field("advancedOptions"), family.advancedOptions);
  node.Done();
}

nlohmann::ordered_json SaveFamily(const SystemFamily &family) {
  Json j = Json::object();
  j["hostName"] = family.hostName;
  j["bootDevice"] = family.bootDevice;
  j["hardware"] = Json{{"cpuModel", family.cpuModel}, {"cpuCores", family.cpuCores}};
  Json switches = Json::object();
  for (const auto &[number, on] : family.featureSwitches)
    switches[std::to_string(number)] = on;
  j["featureSwitches"] = std::move(switches);
  Json groups = Json::object();
  for (const AdvancedOptionGroup &group : family.advancedOptions) {
    Json options = Json::object();
    for (const AdvancedOptionRecord &o : group.options) {
      Json option = Json::object();
      if (o.isInteger) {
        option["value"] = o.intValue;
        option["default"] = o.intDefault;
        option["min"] = o.min;
        option["max"] = o.max;
      } else {
        option["value"] = o.stringValue;
        option["default"] = o.stringDefault;
      }
      option["description"] = o.description;
      options[o.name] = std::move(option);
    }
    groups[group.name] = std::move(options);
  }
  j["advancedOptions"] = std::move(groups);
  return j;
}

} // namespace OlkCtl::Sim
