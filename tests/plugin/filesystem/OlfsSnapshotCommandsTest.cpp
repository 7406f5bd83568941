// storage olfs extent and snapshot ...: extent numbering over skipped entries,
// and what mounting and resignaturing snapshots does to the host.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kEmc = "naa.60000970000197600123533030314241";

std::vector<std::string> MountedOlfs() {
  return Column(RunCommand("storage olfs extent list").root, "Volume Name");
}

std::vector<std::string> Snapshots() {
  return Column(RunCommand("storage olfs snapshot list").root, "Volume Name");
}

} // namespace

TEST(OlfsSnapshotCommandsTest, ExtentNumbersCountEveryEntry) {
  UseProfile();
  EXPECT_EQ(Lines(RunCommand("storage olfs extent list").root, {"Volume Name", "Extent Number", "Partition"}),
            (std::vector<std::string>{"datastore1 | 0 | 3", "san-ds-01 | 0 | 1", "san-ds-01 | 1 | 2",
                                      "san-ds-01 | 2 | 3", "ats-ds-05 | 0 | 4", "legacy-ds | 0 | 5",
                                      "future-ds | 0 | 6"}));
  // The placeholder in the middle of span-snap takes number 1.
  EXPECT_EQ(
      Lines(RunCommand("storage olfs snapshot extent list -l span-snap").root,
            {"Extent Number", "Device Name", "Partition"}),
      (std::vector<std::string>{std::string("0 | ") + kEmc + " | 3", std::string("2 | ") + kEmc + " | 4"}));
  // Only the low 8 bits of a partition number count.
  UseHostJson(PatchedProfile(R"({"volumes": {"volumes": [{"uuid": "u-1", "label": "a",
      "extents": [{"device": "naa.5000c500a1b2c3d4", "partition": 259}]}]}})"));
  EXPECT_EQ(Column(RunCommand("storage olfs extent list").root, "Partition"), std::vector<std::string>{"3"});
}

TEST(OlfsSnapshotCommandsTest, ExtentListSkipsAVolumeThatFails) {
  UseProfile();
  InjectFault("VmFileSystem::GetExtents", "san-ds-01", "extent table unreadable");
  auto run = RunCommand("storage olfs extent list");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Error getting data for filesystem on "
                                     "'/olfs/volumes/6571c4b0-1a2b3c4d-5e6f-0050569a1b2c': extent table "
                                     "unreadable, skipping."});
  EXPECT_EQ(MountedOlfs().size(), 4u) << "san-ds-01 and its three extents left out";
  EXPECT_TRUE(RunCommand("storage olfs extent list -i").errors.empty());
}

TEST(OlfsSnapshotCommandsTest, ListFiltersBothWays) {
  UseProfile();
  EXPECT_EQ(Column(RunCommand("storage olfs snapshot list -l shared-snap").root, "OLFS UUID"),
            (std::vector<std::string>{"6571e216-708192a3-b4c5-0050569a1b2c",
                                      "6571e327-8192a3b4-c5d6-0050569a1b2c"}));
  EXPECT_TRUE(
      Rows(
          RunCommand("storage olfs snapshot list -l shared-snap -u 6571e105-6f708192-a3b4-0050569a1b2c").root)
          .empty());
  EXPECT_EQ(Snapshots().size(), 6u) << "the entry of another kind is not listed";
  InjectFault("UnresolvedOlfsVolume::IsEligible", "6571e105-6f708192-a3b4-0050569a1b2c", "scan lost");
  auto run = RunCommand("storage olfs snapshot list");
  EXPECT_EQ(run.errors, std::vector<std::string>{"scan lost"});
  EXPECT_FALSE(run.root);
}

TEST(OlfsSnapshotCommandsTest, MountMountsEveryMatchKeepingUuidAndLabel) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage olfs snapshot mount -l shared-snap")));
  std::vector<std::string> mounted = MountedOlfs();
  EXPECT_EQ(std::count(mounted.begin(), mounted.end(), "shared-snap"), 2);
  EXPECT_EQ(Snapshots().size(), 4u);

  // The first mount fails: its message alone, the second is not mounted.
  UseProfile();
  InjectFault("UnresolvedOlfsVolume::Mount", "6571e216-708192a3-b4c5-0050569a1b2c", "array busy");
  auto run = RunCommand("storage olfs snapshot mount -l shared-snap");
  EXPECT_EQ(run.errors, std::vector<std::string>{"array busy"});
  EXPECT_FALSE(run.root);
  EXPECT_EQ(Snapshots().size(), 6u);

  // The host refuses a snapshot whose original is mounted.
  UseProfile();
  run = RunCommand("storage olfs snapshot mount -l datastore1");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Cannot mount snapshot 6571c3a2-8f0b4e12-3d9a-0050569a1b2c: the "
                                     "original volume is still mounted"});
}

TEST(OlfsSnapshotCommandsTest, ResignatureIsTrueEvenWhenRefused) {
  UseProfile();
  auto run = RunCommand("storage olfs snapshot resignature -l span-snap");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Target snapshot cannot be resignatured: some extents missing"});
  EXPECT_TRUE(Succeeded(run));
  run = RunCommand("storage olfs snapshot resignature -u 6571e549-a3b4c5d6-e7f8-0050569a1b2c");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Target snapshot cannot be resignatured: unknown error"});
  EXPECT_TRUE(Succeeded(run));

  // The original is still mounted, yet a resignatured copy may be.
  run = RunCommand("storage olfs snapshot resignature -l datastore1");
  EXPECT_TRUE(run.errors.empty());
  EXPECT_TRUE(Succeeded(run));
  std::vector<std::string> mounted = MountedOlfs();
  ASSERT_EQ(mounted.size(), 8u) << "one row per extent";
  const std::string label = mounted.back();
  EXPECT_EQ(label.rfind("snap-", 0), 0u) << label;
  EXPECT_EQ(label.size(), std::string("snap-12345678-datastore1").size()) << label;
  EXPECT_EQ(label.substr(14), "datastore1");
  auto uuids = Column(RunCommand("storage olfs extent list").root, "OLFS UUID");
  EXPECT_EQ(uuids.back().substr(0, 8), label.substr(5, 8)) << "the label carries the new uuid";
  EXPECT_NE(uuids.back(), "6571c3a2-8f0b4e12-3d9a-0050569a1b2c");
}
