// storage olfs maintenance and clusteredoldk: check order, what is stored, and
// host failures with their exact messages.
#include "support/TestHost.h"

#include "sim/Store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const OlkCtl::Sim::VolumeRecord &Volume(const std::string &label) {
  static std::shared_ptr<const OlkCtl::Sim::State> state;
  state = OlkCtl::Sim::Current().Read();
  const OlkCtl::Sim::VolumeRecord *record = state->volumes().ByLabel(label);
  EXPECT_TRUE(record) << label;
  static const OlkCtl::Sim::VolumeRecord none;
  return record ? *record : none;
}

} // namespace

TEST(OlfsMaintenanceCommandsTest, ReclaimConfigSetChecksInOrder) {
  struct Case {
    std::string options;
    std::string error; // empty: stored
  };
  const std::vector<Case> cases = {
      {"-l datastore1", "You have to specify at least one of - reclaim-granularity, reclaim-priority, "
                        "reclaim-method, reclaim-maxhosts"},
      {"-l ats-ds-05",
       "You have to specify at least one of - reclaim-granularity, reclaim-priority, reclaim-method"},
      {"-l ats-ds-05 -b 10", "You have to specify at least one of - reclaim-granularity, reclaim-priority, "
                             "reclaim-method"},
      {"-l datastore1 -g -1 -m fixed", "reclaim-granularity must be greater than or equal to zero"},
      {"-l datastore1 -m priority", "reclaim-priority should be specified"},
      {"-l datastore1 -m fixed -p high -n 999", ""}, // refused before: see below
      {"-l datastore1 -m fixed -p high", "reclaim-bandwidth should be specified"},
      {"-l ats-ds-05 -n 8", "reclaim-MaxHosts not supported on this volume"},
      {"-l ats-ds-05 -m priority -p low", ""},
      {"-l datastore1 -m fixed -b 50 -n 16", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage olfs reclaim config set " + c.options);
    if (c.options.find("999") != std::string::npos) {
      EXPECT_EQ(run.status, CliKit::kExitUsage) << "outside 1 to 256";
      continue;
    }
    EXPECT_EQ(run.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(Succeeded(run), c.error.empty());
  }
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs reclaim config set -l ats-ds-05 -m priority -p low")));
  EXPECT_EQ(Volume("ats-ds-05").unmap.bandwidth, 100) << "0 keeps the value";
  EXPECT_EQ(Volume("ats-ds-05").unmap.method, "priority");
  ASSERT_TRUE(
      Succeeded(RunCommand("storage olfs reclaim config set -l datastore1 -g 4096 -m fixed -b 50 -n 16")));
  auto row = Rows(RunCommand("storage olfs reclaim config get -l datastore1").root);
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(Number(row[0], "Reclaim Granularity"), 4096);
  EXPECT_EQ(Text(row[0], "Reclaim Method"), "fixed");
  EXPECT_EQ(Number(row[0], "Reclaim Bandwidth"), 50);
  EXPECT_EQ(Number(row[0], "Reclaim Max Hosts"), 16);

  // The option turns the host limit off for set only.
  UseHostJson(PatchedProfile(
      R"({"system": {"advancedOptions": {"OLFS3": {"DisableReduceUnmapLoad": {"value": 1}}}}})"));
  EXPECT_EQ(RunCommand("storage olfs reclaim config set -l datastore1 -n 4").errors,
            std::vector<std::string>{"reclaim-MaxHosts not supported on this volume"});
  EXPECT_EQ(
      Number(Rows(RunCommand("storage olfs reclaim config get -l datastore1").root)[0], "Reclaim Max Hosts"),
      8);
}

TEST(OlfsMaintenanceCommandsTest, LockModeSetChecksFlagsFirstAndStoresOnlyChanges) {
  UseProfile();
  EXPECT_EQ(RunCommand("storage olfs lockmode set -a -s").errors,
            std::vector<std::string>{"You cannot specify both --ats and --scsi."});
  EXPECT_EQ(RunCommand("storage olfs lockmode set -l nosuch").errors,
            std::vector<std::string>{"The requested lockmode must be specified either by --ats or --scsi."});
  InjectFault("VmFileSystem::SetLockState", "", "lock write failed");
  EXPECT_TRUE(Succeeded(RunCommand("storage olfs lockmode set -a -l datastore1"))) << "already ATS-only";
  EXPECT_TRUE(Succeeded(RunCommand("storage olfs lockmode set -s -l san-ds-01"))) << "already ATS+SCSI";
  auto run = RunCommand("storage olfs lockmode set -s -l datastore1");
  EXPECT_EQ(run.errors, std::vector<std::string>{"lock write failed"});
  EXPECT_FALSE(run.root);

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs lockmode set -a -l ats-ds-05")));
  EXPECT_EQ(Volume("ats-ds-05").lockState, 0x10u);
  EXPECT_EQ(Column(RunCommand("storage olfs host list -l ats-ds-05").root, "Locking Mode"),
            std::vector<std::string>{"ATS-only"})
      << "this host follows the mode";
  EXPECT_EQ(RunCommand("storage olfs lockmode set -a -l legacy-ds").errors,
            std::vector<std::string>{"ATS-only locking is not supported on OLFS-3 volume legacy-ds"});
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem mount -l archive-ds")));
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs lockmode set -s -l archive-ds")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem mount -l raid-ds")));
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs lockmode set -s -l raid-ds")));
  EXPECT_EQ(RunCommand("storage olfs lockmode set -a -l raid-ds").errors,
            std::vector<std::string>{"The device under volume raid-ds does not support ATS"});
}

TEST(OlfsMaintenanceCommandsTest, UnmapAndUpgradeReachTheHost) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs unmap -l san-ds-01")));
  EXPECT_EQ(Volume("san-ds-01").lastReclaimUnit, 200u);
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs unmap -u 6571c4b0-1a2b3c4d-5e6f-0050569a1b2c -n 7")));
  EXPECT_EQ(Volume("san-ds-01").lastReclaimUnit, 7u);

  ASSERT_TRUE(Succeeded(RunCommand("storage olfs upgrade -l legacy-ds")));
  EXPECT_EQ(Volume("legacy-ds").majorVersion, 5);
  EXPECT_EQ(
      RunCommand("storage olfs upgrade -l legacy-ds").errors,
      std::vector<std::string>{"Volume legacy-ds is OLFS-5; only OLFS-3 volumes can be upgraded to OLFS-5"});
}

TEST(OlfsMaintenanceCommandsTest, HostFailuresAndTheirMessages) {
  struct Case {
    std::string line;
    std::string fault;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"storage olfs pbcache get",
       "HardwareInfo::GetMemHeapStats",
       {"Error getting data for OLFS heap size."}},
      {"storage olfs pbcache get", "PBCache::GetStats", {"injected"}},
      {"storage olfs pbcache reset",
       "PBCache::ResetStats",
       {"Error resetting OLFS Pointer Block cache statistics."}},
      {"storage olfs pbcache reset",
       "StorageInfo::GetPBCache",
       {"Error resetting OLFS Pointer Block cache statistics."}},
      {"storage olfs host list -l datastore1", "VmFileSystem::GetHostUsers", {"injected"}},
      {"storage olfs reclaim config get -l datastore1", "VmFileSystem::GetUnmapProperty", {"injected"}},
      {"storage olfs reclaim config set -l datastore1 -p low",
       "VmFileSystem::SetUnmapProperty",
       {"injected"}},
      {"storage olfs unmap -l datastore1", "VmFileSystem::UnmapVolume", {"injected"}},
      {"storage olfs upgrade -l legacy-ds", "VmFileSystem::ConvertToVersion5", {"injected"}},
      {"storage olfs lockmode list -l datastore1", "StorageInfo::GetOlfsFileSystemByLabel", {"injected"}},
      {"storage olfs lockmode list",
       "VmFileSystem::GetLockState",
       {"Error getting data for filesystem on '/olfs/volumes/6571c3a2-8f0b4e12-3d9a-0050569a1b2c': injected, skipping.",
        "Error getting data for filesystem on '/olfs/volumes/6571c4b0-1a2b3c4d-5e6f-0050569a1b2c': injected, skipping.",
        "Error getting data for filesystem on '/olfs/volumes/6571c5c1-2b3c4d5e-6f70-0050569a1b2c': injected, skipping.",
        "Error getting data for filesystem on '/olfs/volumes/51a2b3c4-d5e6f708-192a-0050569a1b2c': injected, skipping.",
        "Error getting data for filesystem on '/olfs/volumes/6a00f1e2-d3c4b5a6-9788-0050569a1b2c': injected, skipping."}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line + " " + c.fault);
    UseProfile();
    InjectFault(c.fault, "", "injected");
    auto run = RunCommand(c.line);
    EXPECT_EQ(run.errors, c.errors);
  }
  UseProfile();
  InjectFault("VmFileSystem::GetLockState", "", "injected");
  EXPECT_TRUE(Rows(RunCommand("storage olfs lockmode list -i").root).empty());
}

TEST(OlfsMaintenanceCommandsTest, PBCacheGetNeedsTheFirstOlfs3Heap) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs pbcache reset")));
  auto row = Rows(RunCommand("storage olfs pbcache get").root);
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(Number(row[0], "Cache Capacity Miss Ratio"), 0) << "reset zeroes the miss ratio";
  EXPECT_EQ(Number(row[0], "Cache Usage"), 25);

  UseHostJson(PatchedProfile(R"({"volumes": {"heaps": [{"name": "olfs3", "currentSize": 0, "maxSize": 9},
                                                        {"name": "olfs3", "currentSize": 1048576, "maxSize": 9}]}})"));
  EXPECT_EQ(RunCommand("storage olfs pbcache get").errors,
            std::vector<std::string>{"Did not find OLFS3 heap stats!"});
  UseHostJson(
      PatchedProfile(R"({"volumes": {"heaps": [{"name": "OLFS3", "currentSize": 5, "maxSize": 9}]}})"));
  EXPECT_EQ(RunCommand("storage olfs pbcache get").errors,
            std::vector<std::string>{"Did not find OLFS3 heap stats!"});
}

TEST(OlfsMaintenanceCommandsTest, ClusteredOldkRoundTripAndRefusal) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunInternalCommand("clusteredoldk set -l san-ds-01 -e true")));
  EXPECT_TRUE(Flag(Rows(RunInternalCommand("clusteredoldk get -l san-ds-01").root)[0], "Enabled"));
  ASSERT_TRUE(Succeeded(RunInternalCommand("clusteredoldk set -l datastore1 -e false")));
  EXPECT_FALSE(Flag(Rows(RunInternalCommand("clusteredoldk get -l datastore1").root)[0], "Enabled"));
  auto run = RunInternalCommand("clusteredoldk set -l ats-ds-05 -e false");
  EXPECT_EQ(run.errors, std::vector<std::string>{
                            "Clustered OLDK support requires OLFS-6 or later; volume ats-ds-05 is OLFS-5"});
  EXPECT_FALSE(run.root);
  InjectFault("VmFileSystem::GetClusteredOldkSupport", "datastore1", "volume offline");
  run = RunInternalCommand("clusteredoldk get -l datastore1");
  EXPECT_EQ(run.errors, std::vector<std::string>{"volume offline"});
  EXPECT_FALSE(run.root);
  EXPECT_EQ(RunInternalCommand("clusteredoldk set -l datastore1").status, CliKit::kExitUsage);
}
