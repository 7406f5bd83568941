// The devices family: look-ups by every name, offline handling, the RAID
// record and the PSA configuration.
#include <hostctl/Exception.h>
#include <hostctl/storage/Lun.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using HostCtl::Storage::LunRaidInfo;

const char *kHost = R"({"schemaVersion": 1, "devices": [
  {"name": "naa.1", "displayName": "First", "uids": ["naa.1", "olr.1", "t10.shared"]},
  {"name": "naa.2", "displayName": "Second", "uids": ["naa.2", "t10.shared", "naa.1"]},
  {"name": "naa.3", "offline": true, "uids": ["naa.3", "olr.3"], "psaConfig": false}]})";

TEST(DevicesState, LookUpByEveryName) {
  struct Case {
    std::string name;
    bool includeOffline;
    std::string found; // empty: none
  };
  const std::vector<Case> cases = {
      {"naa.1", false, "naa.1"},
      {"olr.1", false, "naa.1"},
      // A UID two devices share belongs to the first; a canonical name always wins.
      {"t10.shared", false, "naa.1"},
      {"naa.2", false, "naa.2"},
      {"olr.3", false, ""},
      {"olr.3", true, "naa.3"},
      {"First", true, ""},
      {"NAA.1", true, ""},
  };
  OlkCtl::Sim::UseHostFromJson(kHost);
  OlkCtl::Storage::StorageInfoImpl storage;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    auto viaStorage = storage.GetLun(c.name, c.includeOffline);
    auto viaStatic = OlkCtl::Storage::LunImpl::GetLun(c.name, c.includeOffline);
    EXPECT_EQ(viaStorage ? viaStorage->GetName() : "", c.found);
    EXPECT_EQ(viaStatic ? viaStatic->GetName() : "", c.found);
  }
  EXPECT_EQ(storage.ResolveRuntimeLunName("olr.3"), "naa.3");
  EXPECT_EQ(storage.ResolveRuntimeLunName("nothing"), "");
}

TEST(DevicesState, ListsAndDisplayNames) {
  OlkCtl::Sim::UseHostFromJson(kHost);
  OlkCtl::Storage::StorageInfoImpl storage;
  std::vector<std::string> names;
  for (const auto &lun : storage.GetLuns(true, false))
    names.push_back(lun->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"naa.1", "naa.2", "naa.3"}));
  EXPECT_EQ(storage.GetLuns(false, false).size(), 2u);
  auto display = storage.GetDeviceDisplayNames();
  EXPECT_EQ(display.size(), 3u);
  EXPECT_EQ(display["naa.2"], "Second");
  EXPECT_FALSE(storage.GetLun("naa.3", true)->GetPsaDeviceConfig());
}

TEST(DevicesState, RefreshSeesAnotherWritersChange) {
  OlkCtl::Sim::UseHostFromJson(kHost);
  OlkCtl::Storage::StorageInfoImpl storage;
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "devices": [{"name": "naa.9"}]})");
  EXPECT_EQ(storage.GetLuns(true, false).size(), 3u) << "one snapshot per object";
  EXPECT_EQ(storage.GetLuns(true, true).size(), 1u);
}

TEST(DevicesState, RaidRecordTextsAreBoundedAndTerminated) {
  const std::string longType(100, 'x');
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "devices": [
    {"name": "naa.r", "raid": {"kind": 1, "drives": 300, "driveType": ")" +
                               longType + R"(", "level": "RAID6"}}]})");
  auto lun = OlkCtl::Storage::StorageInfoImpl().GetLun("naa.r", false);
  LunRaidInfo info;
  // Left-overs from an earlier read must not show through.
  std::memset(info.driveType, 'y', sizeof info.driveType);
  std::memset(info.raidLevel, 'y', sizeof info.raidLevel);
  lun->GetRaidInfo(info);
  EXPECT_EQ(info.kind, LunRaidInfo::KIND_RAID_VOLUME);
  EXPECT_EQ(info.numPhysicalDrives, 255);
  EXPECT_EQ(std::string(info.driveType), std::string(63, 'x'));
  EXPECT_EQ(std::string(info.raidLevel), "RAID6");
}

} // namespace

namespace {

// Host files of the previous release keep working: the per-device HWAC member
// that moved to its own family is accepted and not written again.
TEST(DevicesState, LegacyHwacSupportMemberIsDropped) {
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1,
      "devices": [{"name": "naa.1", "hwacSupport": 2}]})");
  auto luns = OlkCtl::Storage::StorageInfoImpl().GetLuns(true, false);
  ASSERT_EQ(luns.size(), 1u);
  EXPECT_EQ(OlkCtl::Sim::CurrentStateJson().find("hwacSupport"), std::string::npos);
}

} // namespace
