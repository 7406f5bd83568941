// The SMART family of the simulated host: per device, the drive's SMART record
// and the gathering switch (document member "smart"). Devices without an entry
// have no SMART.
#pragma once

#include "sim/family/Indexed.h"

#include <hostctl/storage/SmartParameters.h>

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace OlkCtl::Sim {

class Node;
class State;

struct SmartRecord {
  std::string name; // the device's canonical name
  bool gathering = true;
  HostCtl::Storage::SmartParameters parameters; // entries never set stay zero
};

using SmartFamily = IndexedFamily<SmartRecord>;

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, SmartFamily &family);
// The document member for the family; entries that are all zero are left out.
nlohmann::ordered_json SaveFamily(const SmartFamily &family);
// StateError naming the first entry whose device the host does not know.
void CheckFamilyReferences(const State &state, const SmartFamily &family);
// Drops the entries of devices that have left the host.
void ForgetFamilyDevices(const State &state, SmartFamily &family);

} // namespace OlkCtl::Sim
