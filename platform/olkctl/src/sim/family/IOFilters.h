// The I/O filter family of the simulated host: the installed filters in host
// order (document member "ioFilters"). Names may repeat: a host can carry the
// same filter from two vendors, or in two versions.
#pragma once

#include <hostctl/System.h>

#include <nlohmann/json_fwd.hpp>

#include <vector>

namespace OlkCtl::Sim {

class Node;

// The host's own record, kept as the API hands it out.
using IOFilterRecord = HostCtl::System::IOFilter;

struct IOFilterFamily {
  std::vector<IOFilterRecord> filters; // host order

  void Reindex() {}
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, IOFilterFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const IOFilterFamily &family);

} // namespace OlkCtl::Sim
