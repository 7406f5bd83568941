// The system family of the simulated host: host identity, hardware facts,
// feature switches and advanced options (document member "system").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// An advanced option. Integer options carry value, default and range; string
// options only value and default.
struct AdvancedOptionRecord {
  std::string name;
  bool isInteger = true;
  int64_t intValue = 0;
  int64_t intDefault = 0;
  int64_t min = 0;
  int64_t max = 0;
  std::string stringValue;
  std::string stringDefault;
  std::string description;
};

struct AdvancedOptionGroup {
  std::string name;
  std::vector<AdvancedOptionRecord> options; // host order
};

struct SystemFamily {
  std::string hostName;
  std::string bootDevice;
  std::string cpuModel;
  int64_t cpuCores = 0;
  // Feature number to switch; numbers not listed are off.
  std::map<int, bool> featureSwitches;
  std::vector<AdvancedOptionGroup> advancedOptions; // host order

  // The option at /group/name; null when there is none. Valid until the groups change.
  const AdvancedOptionRecord *FindOption(const std::string &group, const std::string &name) const;
  AdvancedOptionRecord *FindOption(const std::string &group, const std::string &name);
  const AdvancedOptionGroup *FindGroup(const std::string &group) const;

  // Rebuilds the look-up indexes after loading or changing the records. The
  // family is small enough to be searched directly, so there are none yet.
  void Reindex();
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, SystemFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const SystemFamily &family);

} // namespace OlkCtl::Sim
