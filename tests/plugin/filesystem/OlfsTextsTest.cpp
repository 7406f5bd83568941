// The OLFS maintenance tables row by row: host status, ATS compatibility and
// the pointer-block cache figures.
#include "filesystem/OlfsTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TarvexCli::FileSystem;

TEST(OlfsTextsTest, HostStatusFromVolumeFlagsAndHostMode) {
  struct Case {
    uint32_t flags;
    uint8_t mode;
    std::string status;
  };
  const std::vector<Case> cases = {
      {0x20, 0, "ATS Upgrade Pending"},
      {0x70, 0, "ATS Upgrade Pending"},
      {0x60, 4, "ATS Downgrade Pending"},
      {0x20, 4, "Normal"},
      {0x30, 0x0c, "Normal"}, // only bit 0x04 of the mode counts
      {0x40, 4, "ATS Downgrade Pending"},
      {0x40, 0, "Normal"},
      {0x50, 0, "INVALID (needs unmount)"},
      {0x10, 4, "Normal"},
      {0x10, 0, "INVALID (needs unmount)"},
      {0x10, 3, "INVALID (needs unmount)"},
      {0x00, 0, "Normal"},
      {0x00, 4, "INVALID (needs unmount)"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + "/" + std::to_string(c.mode));
    EXPECT_EQ(TranslateStatus(c.flags, c.mode), c.status);
  }
  EXPECT_STREQ(TranslateLockModeInUse(4), "ATS-only");
  EXPECT_STREQ(TranslateLockModeInUse(0x0c), "ATS+SCSI") << "the whole byte, not its bit";
  EXPECT_STREQ(TranslateLockMode(0x70), "ATS");
  EXPECT_STREQ(TranslateLockMode(0x60), "ATS UPGRADE PENDING");
  EXPECT_STREQ(TranslateLockMode(0x40), "ATS DOWNGRADE PENDING");
  EXPECT_STREQ(TranslateLockMode(0x01), "ATS+SCSI");
}

TEST(OlfsTextsTest, AtsCompatibilityFirstMatchingRowWins) {
  struct Case {
    bool online;
    AtsFacts volume; // flags, major version, device ATS, extents
    bool compatible;
    std::string modes;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {false, {0x10, 3, 0, 4}, true, "No upgrade needed", ""},
      {false, {0x20, 3, 0, 1}, true, "No upgrade needed", ""},
      {true, {0x40, 3, 1, 1}, false, "None", "ATS on OLFS-3 not supported"},
      {true, {0, 5, 2, 1}, false, "None", "Device does not support ATS"},
      {true, {0, 6, 1, 2}, true, "Offline", ""},
      {true, {0, 5, 1, 1}, true, "Online/Offline", ""},
      {false, {0, 5, 1, 1}, true, "Offline", ""},
      {true, {0, 6, 1, 0}, true, "Online/Offline", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.modes + c.reason);
    const AtsCompatibility ats = UpdateATSCompatibility(c.online, c.volume);
    EXPECT_EQ(ats.compatible, c.compatible);
    EXPECT_EQ(ats.upgradeModes, c.modes);
    EXPECT_EQ(ats.reason, c.reason);
  }
}

TEST(OlfsTextsTest, PBCacheFiguresUseIntegerArithmetic) {
  HostCtl::Storage::PBCacheStats stats;
  stats.cacheSize = 3ULL << 20;
  stats.cacheSizeMax = 12ULL << 20;
  stats.workingSet = (5ULL << 40) - 1; // truncated, not rounded
  stats.workingSetMax = 32ULL << 40;
  stats.heapOverhead = 4097;
  stats.capacityMissRatio = 13;
  PBCacheFigures f = ComputePBCacheFigures(stats, (256ULL << 20) + 5, 768ULL << 20);
  EXPECT_EQ(f.missRatio, 13);
  EXPECT_EQ(f.sizeMiB, 3);
  EXPECT_EQ(f.sizeMaxMiB, 12);
  EXPECT_EQ(f.usagePercent, 25);
  EXPECT_EQ(f.workingSetTiB, 4);
  EXPECT_EQ(f.workingSetMaxTiB, 32);
  EXPECT_EQ(f.heapOverheadKiB, 4);
  EXPECT_EQ(f.heapSizeMiB, 256);
  EXPECT_EQ(f.heapSizeMaxMiB, 768);

  stats.cacheSize = 7;
  stats.cacheSizeMax = 0;
  EXPECT_EQ(ComputePBCacheFigures(stats, 0, 0).usagePercent, 0) << "no maximum, no division";
  stats.cacheSize = 2;
  stats.cacheSizeMax = 3;
  EXPECT_EQ(ComputePBCacheFigures(stats, 0, 0).usagePercent, 66);
  // Shown values are 32-bit: 2^31 MiB does not fit and wraps.
  stats.cacheSize = 1ULL << 51;
  EXPECT_EQ(ComputePBCacheFigures(stats, 0, 0).sizeMiB, INT32_MIN);
}
