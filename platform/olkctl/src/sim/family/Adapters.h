// The adapters family of the simulated host: records, indexes and JSON mapping
// (document member "adapters").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct AdapterFamily {
  // Rebuilds the look-up indexes after loading or changing the records.
  void Reindex();
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, AdapterFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const AdapterFamily &family);

} // namespace OlkCtl::Sim
