// storage core device capacity, partition, physical, raid, stats, uidmap and
// world: what each derives from the host, and the host failures.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// A host holding only `devices` (a JSON array) and `worlds`.
void UseDevices(const std::string &devices, const std::string &worlds = "[]") {
  UseHostJson(R"({"schemaVersion": 1, "system": {"hostName": "t"}, "devices": )" + devices +
              R"(, "worlds": )" + worlds + "}");
}

TEST(DeviceCapacityTest, FormatCodesAndSize) {
  struct Case {
    int code;
    std::string text;
  };
  const std::vector<Case> cases = {{1, "512n"},    {2, "512e"},    {3, "4K"},
                                   {4, "4Kn SWE"}, {0, "Unknown"}, {9, "Unknown"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.code);
    UseDevices(R"([{"name": "naa.d", "size": 4194303, "logicalBlockSize": 4096, "formatType": )" +
               std::to_string(c.code) + "}]");
    const Row row = OnlyRow(RunCommand("storage core device capacity list").root);
    EXPECT_EQ(Text(row, "Format Type"), c.text);
    EXPECT_EQ(Field(row, "Logical Block Count"), "1023"); // whole blocks only
    EXPECT_EQ(Field(row, "Size"), "3");                   // MiB, rounded down
  }
}

// Entry 0 is the whole device; GUIDs only for GPT; a device that is not a disk
// is not found.
TEST(DevicePartitionTest, Layouts) {
  UseDevices(R"([
    {"name": "naa.gpt", "size": 1048576, "partitionTable": 2,
     "partitions": [{"number": 1, "type": 251, "startSector": 34, "endSector": 1057, "guid": "g-1"}]},
    {"name": "naa.mbr", "size": 1048576, "partitionTable": 1,
     "partitions": [{"number": 3, "type": 12, "startSector": 63, "endSector": 126, "guid": "ignored"}]},
    {"name": "naa.bare", "size": 512},
    {"name": "mpx.cd", "deviceType": "CD-ROM"}])");
  auto list = RunCommand("storage core device partition list");
  EXPECT_EQ(Lines(list.root, {"Partition Name", "Partition", "Start Sector", "End Sector", "Size", "Type"}),
            (std::vector<std::string>{
                "naa.gpt | 0 | 0 | 2048 | 1048576 | 0", "naa.gpt:1 | 1 | 34 | 1057 | 524288 | 251",
                "naa.mbr | 0 | 0 | 2048 | 1048576 | 0", "naa.mbr:3 | 3 | 63 | 126 | 32768 | 12",
                "naa.bare | 0 | 0 | 1 | 512 | 0"}));
  auto guids = RunCommand("storage core device partition showguid");
  EXPECT_EQ(
      Lines(guids.root, {"Device", "Partition", "Layout", "GUID"}),
      (std::vector<std::string>{"naa.gpt | 0 | GPT | ", "naa.gpt | 1 | GPT | g-1", "naa.mbr | 0 | MBR | N/A",
                                "naa.mbr | 3 | MBR | N/A", "naa.bare | 0 | Unknown | N/A"}));
  for (const std::string command : {"list", "showguid"}) {
    auto run = RunCommand("storage core device partition " + command + " -d mpx.cd");
    EXPECT_EQ(run.errors, std::vector<std::string>{"Unable to find device with name mpx.cd"});
    EXPECT_FALSE(run.root);
  }
}

TEST(DevicePhysicalTest, OneLocationOrTheRaidMembers) {
  UseProfile();
  const std::string raid = "naa.600508b1001c5a2e9f0e1d2c3b4a5968";
  auto run = RunCommand("storage core device physical get -d " + raid);
  EXPECT_EQ(run.errors, std::vector<std::string>{raid + " is not a physical device"});
  EXPECT_EQ(Column(RunCommand("storage core device raid list -d " + raid).root, "Physical Location"),
            (std::vector<std::string>{"enclosure 0, slot 0", "enclosure 0, slot 1"}));
  // Looked up by another UID; the message keeps the argument.
  const Row row =
      Rows(RunCommand("storage core device physical get -d olr.02000000005000c500a1b2c3d4485831323030").root)
          .at(0);
  EXPECT_EQ(Text(row, "Physical Location"), "enclosure 1, slot 3");
  run = RunCommand("storage core device physical get -d naa.6006016048503200c0e4d3a2b1f0e9d8");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"naa.6006016048503200c0e4d3a2b1f0e9d8 is not a physical device"});
}

TEST(DeviceUidMapTest, SplitsPrimaryAndLegacy) {
  UseDevices(R"([{"name": "A", "uids": ["A", "B", "olr.1", "olr.2", "ol", "olr"]},
                 {"name": "naa.none", "uids": []}])");
  auto run = RunCommand("storage core device uidmap list");
  EXPECT_EQ(Lines(run.root, {"Device", "Primary UID", "Alternative Primary UIDs", "Legacy UID",
                             "Alternative Legacy UIDs"}),
            (std::vector<std::string>{"A | A | B, ol | olr.1 | olr.2, olr", "naa.none |  |  |  | "}));
  run = RunCommand("storage core device uidmap list -d nothing");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Unable to find device with the name nothing"});
  EXPECT_FALSE(run.root);
}

// One row per distinct world, ascending id, with its number of opens.
TEST(DeviceWorldTest, CountsOpensPerWorld) {
  UseDevices(R"([{"name": "naa.d"}, {"name": "naa.idle"}])",
             R"([{"id": 30, "name": "late", "opens": ["naa.d"]},
                 {"id": 7, "name": "olvmm", "opens": ["naa.d", "naa.d", "naa.d"]},
                 {"id": 12, "name": "hmgrd", "opens": ["naa.d"]}])");
  auto run = RunCommand("storage core device world list");
  EXPECT_EQ(
      Lines(run.root, {"Device", "World ID", "Open Count", "World Name"}),
      (std::vector<std::string>{"naa.d | 7 | 3 | olvmm", "naa.d | 12 | 1 | hmgrd", "naa.d | 30 | 1 | late"}));
  EXPECT_TRUE(Rows(RunCommand("storage core device world list -d naa.idle").root).empty());
}

// Not found: stats get still sets the (empty) list; the others set none.
TEST(DeviceLayoutTest, NotFoundAndHostFailures) {
  UseProfile();
  auto stats = RunCommand("storage core device stats get -d naa.unknown");
  EXPECT_EQ(stats.errors, std::vector<std::string>{"Unable to find device with the name naa.unknown"});
  ASSERT_TRUE(RootList(stats.root));
  EXPECT_TRUE(Rows(stats.root).empty());

  struct Case {
    std::string operation;
    std::string command;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"StorageInfo::GetLuns", "capacity list", "Unable to list capacity information on device: "},
      {"LunImpl::GetLun", "capacity list -d x", "Unable to list capacity information on device: "},
      {"StorageInfo::GetDiskLuns", "partition list", "Unable to list partitions on device: "},
      {"DiskLun::GetPartitions", "partition showguid -d naa.5000c500a1b2c3d4",
       "Unable to list partitions on device: "},
      {"Lun::GetPhysicalLocations", "physical get -d naa.5000c500a1b2c3d4",
       "Unable to get location for device naa.5000c500a1b2c3d4: "},
      {"Lun::GetStats", "stats get", "Unable to get device stats: "},
      {"StorageInfo::GetLuns", "uidmap list", "Unable to list UIDs. "},
      {"Lun::GetOpenWorldIds", "world list", "Unable to list Device Worlds.  "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " " + c.command);
    UseProfile();
    InjectFault(c.operation, "", "host failure");
    auto run = RunCommand("storage core device " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.message + "host failure"});
    EXPECT_FALSE(run.root);
  }
}

} // namespace
