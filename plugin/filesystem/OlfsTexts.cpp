#include "filesystem/OlfsTexts.h"

namespace TarvexCli::FileSystem {

namespace {
constexpr uint32_t kAtsOnly = HostCtl::Storage::VmFileSystem::LOCK_ATS_ONLY;
constexpr uint32_t kUpgradePending = HostCtl::Storage::VmFileSystem::LOCK_ATS_UPGRADE_PENDING;
constexpr uint32_t kDowngradePending = HostCtl::Storage::VmFileSystem::LOCK_ATS_DOWNGRADE_PENDING;
constexpr uint8_t kHostAtsOnly = 4;
} // namespace

const char *TranslateLockMode(uint32_t flags) {
  if (flags & kAtsOnly)
    return "ATS";
  if (flags & kUpgradePending)
    return "ATS UPGRADE PENDING";
  if (flags & kDowngradePending)
    return "ATS DOWNGRADE PENDING";
  return "ATS+SCSI";
}

const char *TranslateLockModeInUse(uint8_t mode) {
  return mode == kHostAtsOnly ? "ATS-only" : "ATS+SCSI";
}

const char *TranslateStatus(uint32_t flags, uint8_t mode) {
  const bool hostAts = (mode & 0x04) != 0;
  if (flags & kUpgradePending) {
    if (!hostAts)
      return "ATS Upgrade Pending";
    return (flags & kDowngradePending) ? "ATS Downgrade Pending" : "Normal";
  }
  if (flags & kDowngradePending) {
    if (hostAts)
      return "ATS Downgrade Pending";
    return (flags & kAtsOnly) ? "INVALID (needs unmount)" : "Normal";
  }
  // A host must lock the way the volume says.
  return ((flags & kAtsOnly) != 0) == hostAts ? "Normal" : "INVALID (needs unmount)";
}

AtsCompatibility UpdateATSCompatibility(bool onlineUpgradeAllowed, const AtsFacts &volume) {
  if (volume.lockState & (kAtsOnly | kUpgradePending))
    return {true, "No upgrade needed", ""};
  if (volume.majorVersion == 3)
    return {false, "None", "ATS on OLFS-3 not supported"};
  if (volume.deviceAtsSupport != 1)
    return {false, "None", "Device does not support ATS"};
  if (volume.extents > 1)
    return {true, "Offline", ""};
  return {true, onlineUpgradeAllowed ? "Online/Offline" : "Offline", ""};
}

PBCacheFigures ComputePBCacheFigures(const HostCtl::Storage::PBCacheStats &stats, uint64_t heapSize,
                                     uint64_t heapSizeMax) {
  PBCacheFigures f{};
  f.missRatio = static_cast<int32_t>(stats.capacityMissRatio);
  f.sizeMiB = static_cast<int32_t>(stats.cacheSize >> 20);
  f.sizeMaxMiB = static_cast<int32_t>(stats.cacheSizeMax >> 20);
  f.usagePercent =
      stats.cacheSizeMax == 0 ? 0 : static_cast<int32_t>(100 * stats.cacheSize / stats.cacheSizeMax);
  f.workingSetTiB = static_cast<int32_t>(stats.workingSet >> 40);
  f.workingSetMaxTiB = static_cast<int32_t>(stats.workingSetMax >> 40);
  f.heapOverheadKiB = static_cast<int32_t>(stats.heapOverhead >> 10);
  f.heapSizeMiB = static_cast<int32_t>(heapSize >> 20);
  f.heapSizeMaxMiB = static_cast<int32_t>(heapSizeMax >> 20);
  return f;
}

} // namespace TarvexCli::FileSystem
