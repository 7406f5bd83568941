// The paths family of the simulated host: records, indexes and JSON mapping
// (document member "paths").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct PathFamily {
  // Rebuilds the look-up indexes after loading or changing the records.
  void Reindex();
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, PathFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const PathFamily &family);

} // namespace OlkCtl::Sim
