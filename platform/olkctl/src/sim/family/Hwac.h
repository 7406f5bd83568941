// The HWAC family of the simulated host: per device, which hardware
// acceleration primitives the hardware has, the administrator's switch for
// each, and their SCSI limits (document member "hwac"). A device without an
// entry reports every primitive as unknown.
#pragma once

#include "sim/family/Indexed.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

namespace OlkCtl::Sim {

class Node;
class State;

// `hardware` is the support code of the hardware itself (1 has it, 2 lacks it,
// anything else unknown); `enabled` is the switch that status set writes.
struct HwacAtsRecord {
  int32_t hardware = 0;
  bool enabled = true;
  int32_t maxCompareAndWriteLength = 0;
};

struct HwacCloneRecord {
  int32_t hardware = 0;
  bool enabled = true;
  uint32_t maxSegmentLength = 0;
  int32_t maxSegmentDescriptorCount = 0;
  int32_t optimalTransferLengthGranularity = 0;
};

struct HwacZeroRecord {
  int32_t hardware = 0;
  bool enabled = true;
  uint64_t maxWriteSameLength = 0;
};

struct HwacDeleteRecord {
  int32_t hardware = 0;
  bool enabled = true;
  uint64_t maxLbaCount = 0;
  uint32_t maxBlockDescCount = 0;
  uint32_t optimalGranularity = 0;
  bool granularityAlignmentValid = false;
  uint32_t granularityAlignment = 0;
};

struct HwacRecord {
  std::string name; // the device's canonical name
  HwacAtsRecord ats;
  HwacCloneRecord clone;
  HwacZeroRecord zero;
  HwacDeleteRecord unmap; // "delete" in the document
  int32_t exClone = 0;    // hardware code; follows the Clone switch
};

using HwacFamily = IndexedFamily<HwacRecord>;

// The code a primitive shows: supported only where the hardware has it and it
// is switched on.
template <class P> int32_t EffectiveHwacCode(const P &primitive) {
  if (primitive.hardware == 1)
    return primitive.enabled ? 1 : 2;
  return primitive.hardware;
}

// Whether the device's hardware supports ATS and ATS is switched on: what
// decides a volume's locking on a real host.
bool HwacAtsActive(const State &state, const std::string &deviceName);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, HwacFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const HwacFamily &family);
// StateError naming the first entry whose device the host does not know.
void CheckFamilyReferences(const State &state, const HwacFamily &family);
// Drops the entries of devices that have left the host.
void ForgetFamilyDevices(const State &state, HwacFamily &family);

} // namespace OlkCtl::Sim
