#include "sim/family/Plugins.h"

#include "sim/Json.h"

#include <algorithm>
#include <set>

namespace OlkCtl::Sim {

namespace {

const Mapping<LoadedPluginRecord> &LoadedMapping() {
  static const Mapping<LoadedPluginRecord> mapping = Mapping<LoadedPluginRecord>()
                                                         .Member("name", &LoadedPluginRecord::name)
                                                         .Member("class", &LoadedPluginRecord::pluginClass)
                                                         .Member("protocol", &LoadedPluginRecord::protocol);
  return mapping;
}

const Mapping<ModuleRecord> &ModuleMapping() {
  static const Mapping<ModuleRecord> mapping = Mapping<ModuleRecord>()
                                                   .Member("module", &ModuleRecord::name)
                                                   .Member("plugin", &ModuleRecord::plugin)
                                                   .Member("class", &ModuleRecord::pluginClass)
                                                   .Member("dependencies", &ModuleRecord::dependencies)
                                                   .Member("fullPath", &ModuleRecord::fullPath);
  return mapping;
}

template <class R> void CheckUnique(const Node &node, const std::vector<R> &records, const char *noun) {
  std::set<std::string> seen;
  for (const R &record : records) {
    if (record.name.empty())
      node.Fail(std::string("a ") + noun + " needs a name");
    if (!seen.insert(record.name).second)
      node.Fail(std::string("duplicate ") + noun + " name " + record.name);
  }
}

} // namespace

const LoadedPluginRecord *PluginFamily::FindLoaded(const std::string &name) const {
  auto it =
      std::find_if(loaded.begin(), loaded.end(), [&](const LoadedPluginRecord &p) { return p.name == name; });
  return it == loaded.end() ? nullptr : &*it;
}

const ModuleRecord *PluginFamily::FindModule(const std::string &name) const {
  auto it =
      std::find_if(modules.begin(), modules.end(), [&](const ModuleRecord &m) { return m.name == name; });
  return it == modules.end() ? nullptr : &*it;
}

bool PluginFamily::IsLoaded(const std::string &name, const std::string &pluginClass) const {
  const LoadedPluginRecord *plugin = FindLoaded(name);
  return plugin && plugin->pluginClass == pluginClass;
}

bool PluginFamily::IsRegistered(const std::string &plugin, const std::string &pluginClass) const {
  return std::any_of(modules.begin(), modules.end(), [&](const ModuleRecord &m) {
    return m.plugin == plugin && m.pluginClass == pluginClass;
  });
}

bool PluginFamily::AutoClaims(const std::string &ruleClass) const {
  return std::find(autoClaimOff.begin(), autoClaimOff.end(), ruleClass) == autoClaimOff.end();
}

std::vector<std::string> PluginFamily::LoadedOfClass(const std::string &pluginClass) const {
  std::vector<std::string> names;
  for (const LoadedPluginRecord &plugin : loaded)
    if (plugin.pluginClass == pluginClass)
      names.push_back(plugin.name);
  return names;
}

void LoadFamily(const Node &node, PluginFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object with the members loaded, modules and autoClaimOff");
  if (node.Has("loaded")) {
    const Node loaded = node.Field("loaded");
    family.loaded = LoadedMapping().LoadList(loaded);
    CheckUnique(loaded, family.loaded, "plug-in");
    for (const LoadedPluginRecord &plugin : family.loaded)
      if (plugin.protocol != "scsi" && plugin.protocol != "nvme" && plugin.protocol != "scsi+nvme")
        loaded.Fail("unknown protocol '" + plugin.protocol + "' of plug-in " + plugin.name);
  }
  if (node.Has("modules")) {
    const Node modules = node.Field("modules");
    family.modules = ModuleMapping().LoadList(modules);
    CheckUnique(modules, family.modules, "module");
  }
  if (node.Has("autoClaimOff"))
    family.autoClaimOff = node.Field("autoClaimOff").AsStringList();
  node.Done();
}

nlohmann::ordered_json SaveFamily(const PluginFamily &family) {
  Json j = Json::object();
  j["loaded"] = LoadedMapping().SaveList(family.loaded);
  j["modules"] = ModuleMapping().SaveList(family.modules);
  j["autoClaimOff"] = family.autoClaimOff;
  return j;
}

} // namespace OlkCtl::Sim
