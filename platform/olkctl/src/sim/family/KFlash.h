// The flash read-cache family of the simulated host: the cache modules the
// kernel has loaded, what each supports and how many virtual disks use it
// (document member "kflash"). The SSDs and their flash file systems come from
// the devices and volumes families.
#pragma once

#include "sim/family/Indexed.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

namespace OlkCtl::Sim {

class Node;

struct KFlashModuleRecord {
  std::string name;
  std::string revision;
  uint32_t modeMask = 1; // bit 0 write-through, bit 1 write-back
  int64_t cacheSizeMin = 0;
  int64_t cacheSizeMax = 0;
  int64_t cacheBlockSizeMin = 0;
  int64_t cacheBlockSizeMax = 0;
  int64_t diskSizeMax = 0;
  std::string minModuleVersion;
  int64_t activeOldks = 0;
};

using KFlashFamily = IndexedFamily<KFlashModuleRecord>;

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, KFlashFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const KFlashFamily &family);

} // namespace OlkCtl::Sim
