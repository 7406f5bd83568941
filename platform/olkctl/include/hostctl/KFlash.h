// The flash read cache's module records: what a cache module supports and how
// many virtual disks use it.
#pragma once

#include <cstdint>
#include <string>

namespace HostCtl::KFlash {

struct KFlashModuleInfo {
  // Bits of supportedModeMask.
  static constexpr uint32_t MODE_WRITE_THRU = 1u << 0;
  static constexpr uint32_t MODE_WRITE_BACK = 1u << 1;

  std::string revision;
  uint32_t supportedModeMask = 0;
  int64_t supportedCacheSizeMin = 0; // MiB
  int64_t supportedCacheSizeMax = 0;
  int64_t supportedCacheBlockSizeMin = 0; // KiB
  int64_t supportedCacheBlockSizeMax = 0;
  int64_t supportedDiskSizeMax = 0; // GiB
  std::string minSupportedModuleVersion;
};

struct KFlashModuleStats {
  int64_t numActiveOldks = 0; // virtual disks that use the module now
};

} // namespace HostCtl::KFlash
