// The plugins family of the simulated host (document member "plugins"): the
// loaded PSA plug-ins, the register of plug-in modules, and which claim-rule
// classes have automatic claiming switched off.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// A plug-in loaded in the kernel. `pluginClass` is "MP", "Filter", "HWAC", or
// the class of a multipathing plug-in's sub-plug-in ("SATP", "PSP").
struct LoadedPluginRecord {
  std::string name;
  std::string pluginClass;
  std::string protocol = "scsi"; // "scsi", "nvme" or "scsi+nvme"
};

struct ModuleRecord {
  std::string name; // the module name
  std::string plugin;
  std::string pluginClass;
  std::string dependencies;
  std::string fullPath;
};

struct PluginFamily {
  std::vector<LoadedPluginRecord> loaded; // load order
  std::vector<ModuleRecord> modules;      // registration order
  std::vector<std::string> autoClaimOff;  // claim-rule classes not claimed automatically

  // Null when none has that name.
  const LoadedPluginRecord *FindLoaded(const std::string &name) const;
  const ModuleRecord *FindModule(const std::string &name) const;
  // A loaded plug-in of that class.
  bool IsLoaded(const std::string &name, const std::string &pluginClass) const;
  // Registered plug-ins are the plug-ins of the module register, loaded or not.
  bool IsRegistered(const std::string &plugin, const std::string &pluginClass) const;
  bool AutoClaims(const std::string &ruleClass) const;
  // The names of the loaded plug-ins of a class, in load order.
  std::vector<std::string> LoadedOfClass(const std::string &pluginClass) const;

  void Reindex() {}
};

// Fills the family from the document member (StateError on bad input: unknown
// members, an unknown protocol word, a plug-in or module named twice).
void LoadFamily(const Node &node, PluginFamily &family);
nlohmann::ordered_json SaveFamily(const PluginFamily &family);

} // namespace OlkCtl::Sim
