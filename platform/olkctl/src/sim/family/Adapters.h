// The adapters family of the simulated host: records, indexes and JSON mapping
// (document member "adapters").
#pragma once

#include "sim/family/Devices.h"
#include "sim/family/Indexed.h"
#include "sim/family/Paths.h"

#include <hostctl/storage/ScsiStats.h>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

namespace OlkCtl::Sim {

class Node;

// One host bus adapter.
struct AdapterRecord {
  std::string name; // "olhba0"
  std::string uid;
  // Transport word: "sas", "fc", "iscsi", ... (ScsiInterface::GetInterfaceTypeString).
  std::string transport = "unknown";
  std::string driver;
  std::string driverVersion;
  std::string firmwareVersion;
  std::string linkState = "link-n/a"; // "link-up", "link-down", "online", "offline", ...
  std::string description;
  uint32_t capabilityMask = 0; // ScsiInterface::CAP_* bits
  HostCtl::Storage::ScsiStats stats;
  // What is physically behind the adapter but not discovered yet: a rescan that
  // adds devices moves these into the host's path and device lists.
  PathFamily pendingPaths;
  DeviceFamily pendingDevices;

  void Reindex() {
    pendingPaths.Reindex();
    pendingDevices.Reindex();
  }
};

using AdapterFamily = IndexedFamily<AdapterRecord>;

// Link states in which an adapter reaches nothing: rescans mark its paths dead.
bool IsLinkDown(const std::string &linkState);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, AdapterFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const AdapterFamily &family);

} // namespace OlkCtl::Sim
