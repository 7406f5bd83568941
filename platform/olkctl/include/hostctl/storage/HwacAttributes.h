// A device's hardware-acceleration (HWAC) primitives: whether each is in use,
// and the SCSI limits the device reports for it.
#pragma once

#include <cstdint>

namespace HostCtl::Storage {

// Support codes are those of Lun::GetHwacSupport(): 1 supported, 2
// unsupported, anything else unknown. A primitive counts as supported only
// while the device has it and it is switched on.
struct HwacAttributes {
  int atsSupport = 0;
  int cloneSupport = 0;
  int zeroSupport = 0;
  int deleteSupport = 0;
  int exCloneSupport = 0;

  // ATS (compare and write), in blocks.
  int32_t maxCompareAndWriteLength = 0;
  // Clone (extended copy).
  uint32_t maxSegmentLength = 0; // bytes
  int32_t maxSegmentDescriptorCount = 0;
  int32_t optimalTransferLengthGranularity = 0; // blocks
  // Zero (write same), in blocks.
  uint64_t maxWriteSameLength = 0;
  // Delete (unmap).
  uint64_t maxLbaCount = 0;
  uint32_t maxBlockDescCount = 0;
  uint32_t optimalUnmapGranularity = 0; // blocks
  bool unmapGranularityAlignmentValid = false;
  uint32_t unmapGranularityAlignment = 0; // blocks
};

// The primitives of a switch mask, by index i: bit 2i+1 says the primitive is
// to be changed, bit 2i whether it is switched on.
enum HwacPrimitive : unsigned { HWAC_CLONE = 0, HWAC_ATS = 1, HWAC_DELETE = 2, HWAC_ZERO = 3 };
constexpr unsigned HWAC_PRIMITIVE_COUNT = 4;

} // namespace HostCtl::Storage
