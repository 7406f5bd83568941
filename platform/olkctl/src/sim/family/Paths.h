// The paths family of the simulated host: records, indexes and JSON mapping
// (document member "paths").
#pragma once

#include <hostctl/storage/ScsiStats.h>

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// One route from an adapter to a device (or to nothing, for a masked or
// unclaimed path).
struct PathRecord {
  std::string uid;
  std::string runtimeName; // "olhba2:C0:T0:L1"
  std::string deviceName;  // canonical device name; empty when the path leads to no device
  std::string adapterName; // may name an adapter the adapters family does not know
  std::string controller;
  int anaGroupId = 0; // NVMe only
  uint32_t channel = 0;
  uint32_t target = 0;
  uint32_t lun = 0; // the namespace ID for NVMe paths
  std::string adapterIdentifier;
  std::string targetIdentifier;
  // The multipathing plug-in that claimed the path; empty while unclaimed. An
  // unclaimed path has no transport details.
  std::string plugin;
  std::string state = "active"; // "active", "standby", "dead", "off", ...
  std::string adapterTransportDetails;
  std::string targetTransportDetails;
  uint64_t maxIOSize = 0; // bytes
  HostCtl::Storage::ScsiStats stats;

  bool IsClaimed() const { return !plugin.empty(); }
  // "off" and "dead" paths carry no I/O.
  bool IsUsable() const { return state != "off" && state != "dead"; }
};

struct PathFamily {
  // In host order: the order every path list shows.
  std::vector<PathRecord> records;

  // Look-ups through the indexes; null when nothing matches.
  const PathRecord *ByUid(const std::string &uid) const;
  const PathRecord *ByRuntimeName(const std::string &runtimeName) const;
  // By UID first, then by runtime name.
  const PathRecord *ByName(const std::string &name) const;
  PathRecord *MutableByUid(const std::string &uid);
  // Positions in `records` of the paths to a device, in host order.
  const std::vector<size_t> &OfDevice(const std::string &deviceName) const;

  // Rebuilds the look-up indexes after loading or changing the records. Indexes
  // hold positions, not pointers, so a copied family stays valid.
  void Reindex();

private:
  std::unordered_map<std::string, size_t> byUid_;
  std::unordered_map<std::string, size_t> byRuntimeName_;
  std::unordered_map<std::string, std::vector<size_t>> byDevice_;
};

// Fills the family from the document member (StateError on bad input: wrong
// types, unknown keys, a UID or runtime name used twice).
void LoadFamily(const Node &node, PathFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const PathFamily &family);

} // namespace OlkCtl::Sim
