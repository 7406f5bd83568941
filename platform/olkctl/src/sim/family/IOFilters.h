// The I/O filter family of the simulated host: the installed filters in host
// order (document member "ioFilters"). Names may repeat: a host can carry the
// same filter from two vendors, or in two versions.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct IOFilterRecord {
  std::string id;
  std::string name;
  std::string vendor;
  std::string version;
  std::string description;
  std::string releaseDate;
  int32_t state = 1; // 0: enabled
  std::string localId;
  std::string filterClass;
};

struct IOFilterFamily {
  std::vector<IOFilterRecord> filters; // host order

  void Reindex() {}
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, IOFilterFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const IOFilterFamily &family);

} // namespace OlkCtl::Sim
