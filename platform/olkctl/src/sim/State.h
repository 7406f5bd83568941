// The simulated host's state: one record set per family. A family's records,
// JSON mapping and indexes live in family/<Family>.{h,cpp}; its operations live
// in ../api/<Family>*.cpp.
#pragma once

#include "family/Adapters.h"
#include "family/ClaimRules.h"
#include "family/Devices.h"
#include "family/Paths.h"
#include "family/System.h"

#include <olkctl/sim/HostControl.h>

#include <string>
#include <vector>

namespace OlkCtl::Sim {

// Raised whenever the document's shape changes incompatibly.
constexpr int kSchemaVersion = 1;

struct State {
  int schemaVersion = kSchemaVersion;
  SystemFamily system;        // host name, boot device, feature switches, advanced options
  std::vector<Fault> faults;  // injected failures
  AdapterFamily adapters;
  DeviceFamily devices;
  PathFamily paths;
  ClaimRuleFamily claimRules;

  // Rebuilds every family's look-up indexes; called after loading and after
  // every change.
  void Reindex();
};

} // namespace OlkCtl::Sim
