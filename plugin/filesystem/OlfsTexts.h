// The OLFS maintenance tables: locking-mode and host-status texts, ATS
// compatibility and the pointer-block cache figures, apart from the host so
// they can be checked row by row.
#pragma once

#include <hostctl/storage/FileSystem.h>

#include <cstdint>

namespace TarvexCli::FileSystem {

// The volume's locking mode from its lock-state flags.
const char *TranslateLockMode(uint32_t flags);
// The locking mode a host uses, from its mode byte.
const char *TranslateLockModeInUse(uint8_t mode);
// A host's status from the volume's lock-state flags and the host's mode byte.
const char *TranslateStatus(uint32_t flags, uint8_t mode);

// What ATS compatibility is decided on.
struct AtsFacts {
  uint32_t lockState;
  int majorVersion;
  int deviceAtsSupport; // 1: supported
  int extents;
};

struct AtsCompatibility {
  bool compatible;
  const char *upgradeModes;
  const char *reason;
};

AtsCompatibility UpdateATSCompatibility(bool onlineUpgradeAllowed, const AtsFacts &volume);

// The shown values of *pbcache get*, each taken as a 32-bit integer.
struct PBCacheFigures {
  int32_t missRatio;
  int32_t sizeMiB;
  int32_t sizeMaxMiB;
  int32_t usagePercent;
  int32_t workingSetTiB;
  int32_t workingSetMaxTiB;
  int32_t heapOverheadKiB;
  int32_t heapSizeMiB;
  int32_t heapSizeMaxMiB;
};

PBCacheFigures ComputePBCacheFigures(const HostCtl::Storage::PBCacheStats &stats, uint64_t heapSize,
                                     uint64_t heapSizeMax);

} // namespace TarvexCli::FileSystem
