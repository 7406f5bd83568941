// The worlds family of the simulated host: the host's running worlds (process
// groups), their names and the devices each holds open (document member "worlds").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct WorldRecord {
  uint32_t id = 0;
  std::string name;               // "hmgrd", "smartd"
  bool script = false;            // a shell running one of the host's scripts
  std::vector<std::string> opens; // canonical device names, one entry per open
};

struct WorldFamily {
  std::vector<WorldRecord> records; // ascending id
  std::unordered_map<uint32_t, std::size_t> byId;
  // canonical device name -> the ids of the worlds holding it open, one entry per open
  std::unordered_map<std::string, std::vector<uint32_t>> opensByDevice;

  const WorldRecord *Find(uint32_t id) const {
    auto it = byId.find(id);
    return it == byId.end() ? nullptr : &records[it->second];
  }
  // The ids of the worlds called `name`, ascending; worlds running one of the
  // host's scripts only with `includeScripts`.
  std::vector<uint32_t> Named(const std::string &name, bool includeScripts) const;
  // One entry per open of the device, ascending world id.
  const std::vector<uint32_t> &OpenWorldIds(const std::string &device) const;
  // Starts a world called `name` with the next free id.
  void Start(const std::string &name, bool script);
  // Ends every world called `name`; false when none ran.
  bool Stop(const std::string &name);
  // Keeps the ascending order after a change and rebuilds the index.
  void Reindex();
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, WorldFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const WorldFamily &family);

} // namespace OlkCtl::Sim
