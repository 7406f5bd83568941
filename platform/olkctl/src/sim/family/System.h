// The system family of the simulated host: records, indexes and JSON mapping
// (document member "system").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct SystemFamily {
  // Rebuilds the look-up indexes after loading or changing the records.
  void Reindex();
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, SystemFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const SystemFamily &family);

} // namespace OlkCtl::Sim
