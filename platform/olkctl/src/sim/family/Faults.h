// The faults family of the simulated host: injected failures (document member
// "faults"), in the order they were added.
#pragma once

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json_fwd.hpp>

#include <vector>

namespace OlkCtl::Sim {

class Node;

struct FaultFamily {
  std::vector<Fault> records; // the first match of a call wins

  void Reindex() {}
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, FaultFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const FaultFamily &family);

} // namespace OlkCtl::Sim
