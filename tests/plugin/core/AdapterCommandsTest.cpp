// storage core adapter list / listdetailed / capabilities list / stats get / device list.
#include "DeviceTestHelpers.h"

#include "core/AdapterCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace DeviceTests;
using TestSupport::Errors;

namespace {

const std::vector<std::string> kDefaultAdapters = {"olhba0", "olhba1", "olhba2", "olhba3",
                                                   "olhba4", "olhba5", "olhba6", "olhba64"};

TEST(AdapterListTest, ListsEveryAdapterInHostOrderWithItsProperties) {
  TestSupport::UseProfile();
  auto run = Exec(kAdapterList);
  ASSERT_TRUE(Errors(run).empty());
  EXPECT_EQ(Column(run, "HBA Name"), kDefaultAdapters);

  auto rows = Rows(run);
  ASSERT_EQ(rows.size(), kDefaultAdapters.size());
  EXPECT_EQ(FieldNames(rows[0]), (std::vector<std::string>{"HBA Name", "Link State", "Driver", "UID",
                                                           "Capabilities", "Description"}));
  // olhba3's capability mask is 0x12: data integrity and FPIN events, in bit order.
  EXPECT_EQ(Texts(rows[3], "Capabilities"), (std::vector<std::string>{"Data Integrity", "FPIN Events"}));
  EXPECT_EQ(Text(rows[4], "Link State"), "link-down");
  EXPECT_EQ(Text(rows[7], "Link State"), "online");
  EXPECT_EQ(Text(rows[2], "Driver"), "fcnative");
  EXPECT_TRUE(Texts(rows[1], "Capabilities").empty());
}

TEST(AdapterListTest, DetailedRowCarriesVersionsAndName) {
  TestSupport::UseProfile();
  auto rows = Rows(Exec(With(kAdapterListDetailed, {"-a", "olhba6"})));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(FieldNames(rows[0]),
            (std::vector<std::string>{"Description", "UID", "Link State", "Adapter", "Driver",
                                      "Driver Version", "Firmware Version", "Capabilities"}));
  EXPECT_EQ(Text(rows[0], "Adapter"), "olhba6");
  EXPECT_EQ(Text(rows[0], "Driver"), "raidsas");
  EXPECT_FALSE(Text(rows[0], "Driver Version").empty());
  EXPECT_FALSE(Text(rows[0], "Firmware Version").empty());
  EXPECT_EQ(Texts(rows[0], "Capabilities"),
            (std::vector<std::string>{"Second Level Lun ID", "Data Integrity"}));
}

// Name matching is exact and case-sensitive; an unknown name still sets the
// (empty) list.
TEST(AdapterListTest, AdapterFilter) {
  struct Case {
    std::vector<std::string> command;
    std::string adapter;
    std::string nameField;
    std::vector<std::string> rows;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {kAdapterList, "olhba3", "HBA Name", {"olhba3"}, {}},
      {kAdapterList, "olhba6", "HBA Name", {"olhba6"}, {}},
      {kAdapterList, "olhba64", "HBA Name", {"olhba64"}, {}},
      {kAdapterList, "OLHBA3", "HBA Name", {}, {"Unable to find adapter with name OLHBA3"}},
      {kAdapterList, "olhba", "HBA Name", {}, {"Unable to find adapter with name olhba"}},
      {kAdapterListDetailed, "olhba64", "Adapter", {"olhba64"}, {}},
      {kAdapterListDetailed, "x", "Adapter", {}, {"Unable to find adapter with name x"}},
  };
  TestSupport::UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command.back() + " -a " + c.adapter);
    auto run = Exec(With(c.command, {"--adapter", c.adapter}));
    ASSERT_TRUE(RootList(run)) << "the list is set even when nothing matched";
    EXPECT_EQ(Column(run, c.nameField), c.rows);
    EXPECT_EQ(Errors(run), c.errors);
  }
}

TEST(AdapterListTest, EmptyHostGivesEmptyListsWithoutErrors) {
  TestSupport::UseHostJson(R"({"schemaVersion": 1})");
  for (const auto &command :
       {kAdapterList, kAdapterListDetailed, kAdapterCapabilities, kAdapterStats, kAdapterDevices}) {
    SCOPED_TRACE(command.back());
    auto run = Exec(command);
    ASSERT_TRUE(RootList(run));
    EXPECT_EQ(RootList(run)->Size(), 0u);
    EXPECT_TRUE(Errors(run).empty());
  }
}

TEST(AdapterCapabilitiesTest, EachBitSetsItsOwnField) {
  TestSupport::UseHostJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "a0", "transport": "sas", "capabilityMask": 0},
      {"name": "a1", "transport": "sas", "capabilityMask": 1},
      {"name": "a2", "transport": "fc", "capabilityMask": 18},
      {"name": "a3", "transport": "fc", "capabilityMask": 8},
      {"name": "a4", "transport": "fc", "capabilityMask": 31},
      {"name": "a5", "transport": "fc", "capabilityMask": 4294967264}]})");
  const std::vector<std::string> fields = {
      "Handles Second-Level-LUNs", "Supports Data Integrity", "Provides Own Completion Worlds",
      "Handles Sense Data in Good and Error Conditions", "Supports FPIN events"};
  const std::vector<std::vector<bool>> expected = {
      {false, false, false, false, false}, {true, false, false, false, false},
      {false, true, false, false, true},   {false, false, false, true, false},
      {true, true, true, true, true},      {false, false, false, false, false},
  };
  auto run = Exec(kAdapterCapabilities);
  auto rows = Rows(run);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(Text(rows[i], "HBA Name"));
    EXPECT_EQ(Text(rows[i], "HBA Name"), "a" + std::to_string(i));
    std::vector<bool> got;
    for (const std::string &field : fields)
      got.push_back(Flag(rows[i], field));
    EXPECT_EQ(got, expected[i]);
  }
  EXPECT_EQ(FieldNames(rows[0]).front(), "HBA Name");

  auto one = Exec(With(kAdapterCapabilities, {"-a", "a2"}));
  EXPECT_EQ(Column(one, "HBA Name"), std::vector<std::string>{"a2"});
}

TEST(AdapterStatsTest, CountersFollowTheRecordOrder) {
  TestSupport::UseHostJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "s1", "transport": "sas", "stats": {
        "successfulCommands": 1, "blocksRead": 2, "blocksWritten": 3, "readOperations": 4, "writeOperations": 5,
        "reserveOperations": 6, "reservationConflicts": 7, "failedCommands": 8, "failedBlocksRead": 9,
        "failedBlocksWritten": 10, "failedReadOperations": 11, "failedWriteOperations": 12,
        "failedReserveOperations": 13, "totalSplits": 14, "paeCommands": 15}},
      {"name": "s2", "transport": "sas"}]})");
  auto rows = Rows(Exec(kAdapterStats));
  ASSERT_EQ(rows.size(), 2u);
  const std::vector<std::string> counters = {"Successful Commands",
                                             "Blocks Read",
                                             "Blocks Written",
                                             "Read Operations",
                                             "Write Operations",
                                             "Reserve Operations",
                                             "Reservation Conflicts",
                                             "Failed Commands",
                                             "Failed Blocks Read",
                                             "Failed Blocks Written",
                                             "Failed Read Operations",
                                             "Failed Write Operations",
                                             "Failed Reserve Operations",
                                             "Total Splits",
                                             "PAE Commands"};
  std::vector<std::string> expectedNames = {"HBA Name"};
  expectedNames.insert(expectedNames.end(), counters.begin(), counters.end());
  EXPECT_EQ(FieldNames(rows[0]), expectedNames);
  for (size_t i = 0; i < counters.size(); ++i) {
    EXPECT_EQ(Number(rows[0], counters[i]), static_cast<int64_t>(i + 1)) << counters[i];
    // The second adapter's record is read afresh, not left over from the first.
    EXPECT_EQ(Number(rows[1], counters[i]), 0) << counters[i];
  }
}

TEST(AdapterStatsTest, DefaultHostHasTraffic) {
  TestSupport::UseProfile();
  auto rows = Rows(Exec(With(kAdapterStats, {"-a", "olhba2"})));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_GT(Number(rows[0], "Successful Commands"), 0);
  EXPECT_GT(Number(rows[0], "Failed Commands"), 0);
}

TEST(AdapterStatsTest, UnknownAdapterLeavesAnEmptyList) {
  TestSupport::UseProfile();
  auto run = Exec(With(kAdapterStats, {"-a", "x"}));
  ASSERT_TRUE(RootList(run));
  EXPECT_EQ(RootList(run)->Size(), 0u);
  EXPECT_EQ(Errors(run), std::vector<std::string>{"Unable to get adapter with the name x"});
}

TEST(AdapterCapabilitiesTest, UnknownAdapterSetsNoList) {
  TestSupport::UseProfile();
  auto run = Exec(With(kAdapterCapabilities, {"-a", "x"}));
  EXPECT_FALSE(run.output->GetRootObject());
  EXPECT_EQ(Errors(run), std::vector<std::string>{"Unable to get adapter with the name x"});
}

// Host failures, each reproduced through fault injection, with the exact
// message and whether a list is still set.
TEST(AdapterCommandsTest, HostFailures) {
  struct Case {
    std::vector<std::string> command;
    std::string operation;
    std::string target;
    std::vector<std::string> errors;
    bool rootSet;
  };
  const std::vector<Case> cases = {
      {kAdapterList, "StorageInfo::GetScsiInterfaces", "", {"Unable to list Storage HBAs boom"}, false},
      // One adapter's link state fails the whole listing.
      {kAdapterList, "StorageInfo::GetLinkState", "olhba5", {"Unable to list Storage HBAs boom"}, false},
      {With(kAdapterList, {"-a", "olhba0"}),
       "StorageInfo::GetAdapterCapabilities",
       "olhba0",
       {"Unable to list Storage HBAs boom"},
       false},
      {kAdapterListDetailed,
       "StorageInfo::GetScsiInterfaces",
       "",
       {"Unable to list storage HBAs:boom"},
       false},
      {kAdapterListDetailed,
       "StorageInfo::GetDeviceDescription",
       "olhba1",
       {"Unable to list storage HBAs:boom"},
       false},
      {kAdapterCapabilities, "StorageInfo::GetScsiInterfaces", "", {"Unable to list SCSI HBAs. boom"}, false},
      // A failing look-up of one named adapter counts as not found.
      {With(kAdapterCapabilities, {"-a", "olhba2"}),
       "StorageInfo::GetScsiInterface",
       "olhba2",
       {"Unable to get adapter with the name olhba2"},
       false},
      {kAdapterStats, "StorageInfo::GetScsiInterfaces", "", {"Unable to list SCSI HBAs. boom"}, false},
      {kAdapterStats, "ScsiInterface::GetStats", "olhba3", {"Unable to list SCSI HBAs. boom"}, false},
      {With(kAdapterStats, {"-a", "olhba2"}),
       "StorageInfo::GetScsiInterface",
       "olhba2",
       {"Unable to get adapter with the name olhba2"},
       true},
      {With(kAdapterDevices, {"-A", "olhba0", "-A", "olhba2"}),
       "StorageInfo::GetScsiInterface",
       "olhba2",
       {"Unable to get adapter with the name olhba2"},
       false},
      {kAdapterDevices, "StorageInfo::GetLuns", "", {"boom"}, false},
      {kAdapterDevices, "StorageInfo::GetLunPathAdapters", "", {"boom"}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " on " + c.command.back());
    TestSupport::UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = Exec(c.command);
    ASSERT_TRUE(run.output);
    EXPECT_EQ(Errors(run), c.errors);
    EXPECT_EQ(RootList(run) != nullptr, c.rootSet);
  }
}

// A small host whose devices reach their adapters through repeated paths, so
// pairs must be unique and sorted byte-wise (adapter, then device).
const char *kPairsHost = R"({"schemaVersion": 1,
  "adapters": [{"name": "hbaB", "transport": "fc"}, {"name": "hbaA", "transport": "fc"},
               {"name": "hbaA2", "transport": "iscsi"}],
  "devices": [{"name": "naa.b"}, {"name": "naa.a"}, {"name": "eui.z"},
              {"name": "naa.off", "offline": true, "status": "dead"}],
  "paths": [
    {"uid": "p1", "runtimeName": "hbaB:C0:T0:L1", "device": "naa.b", "adapter": "hbaB", "plugin": "NMP"},
    {"uid": "p2", "runtimeName": "hbaB:C0:T1:L1", "device": "naa.b", "adapter": "hbaB", "plugin": "NMP"},
    {"uid": "p3", "runtimeName": "hbaA:C0:T0:L1", "device": "naa.b", "adapter": "hbaA", "plugin": "NMP"},
    {"uid": "p4", "runtimeName": "hbaA2:C0:T0:L2", "device": "naa.a", "adapter": "hbaA2", "plugin": "NMP"},
    {"uid": "p5", "runtimeName": "hbaA:C0:T0:L2", "device": "naa.a", "adapter": "hbaA", "plugin": "NMP"},
    {"uid": "p6", "runtimeName": "hbaA:C0:T0:L3", "device": "eui.z", "adapter": "hbaA", "plugin": "HPP"},
    {"uid": "p7", "runtimeName": "hbaB:C0:T0:L4", "device": "naa.off", "adapter": "hbaB", "plugin": "NMP",
     "state": "dead"},
    {"uid": "p8", "runtimeName": "hbaB:C0:T0:L9", "device": "", "adapter": "hbaB", "plugin": ""}]})";

TEST(AdapterDeviceListTest, PairsAreUniqueAndSorted) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    std::vector<std::string> options;
    Pairs pairs;
  };
  const std::vector<Case> cases = {
      {{}, {{"hbaA", "eui.z"}, {"hbaA", "naa.a"}, {"hbaA", "naa.b"}, {"hbaA2", "naa.a"}, {"hbaB", "naa.b"}}},
      {{"-A", "hbaB"}, {{"hbaB", "naa.b"}}},
      {{"-A", "hbaB", "-A", "hbaA2"}, {{"hbaA2", "naa.a"}, {"hbaB", "naa.b"}}},
      // A name that no adapter has filters everything out, silently.
      {{"-A", "hbaC"}, {}},
      {{"--adapter", "hbaa"}, {}},
  };
  TestSupport::UseHostJson(kPairsHost);
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    auto run = Exec(With(kAdapterDevices, c.options));
    EXPECT_TRUE(Errors(run).empty());
    ASSERT_TRUE(RootList(run));
    Pairs got;
    for (const auto &row : Rows(run))
      got.emplace_back(Text(row, "HBA"), Text(row, "Device UID"));
    EXPECT_EQ(got, c.pairs);
  }
}

TEST(AdapterDeviceListTest, DefaultHostPairs) {
  TestSupport::UseProfile();
  auto run = Exec(With(kAdapterDevices, {"-A", "olhba2"}));
  EXPECT_EQ(Column(run, "Device UID"), (std::vector<std::string>{"naa.60000970000197600123533030314241",
                                                                 "naa.6006016048503200c0e4d3a2b1f0e9d8",
                                                                 "naa.60060160a0b2320089abcdef01234567"}));
  // The offline device's only path is on olhba3; it is not listed.
  auto olhba3 = Exec(With(kAdapterDevices, {"-A", "olhba3"}));
  EXPECT_EQ(Column(olhba3, "Device UID"), (std::vector<std::string>{"naa.60000970000197600123533030314241",
                                                                    "naa.60060160a0b2320089abcdef01234567"}));
}

} // namespace

namespace {

// The default fields of stats and capabilities are built from the same tables
// as their rows: they must name every field, in row order.
TEST(AdapterCommandsTest, DefaultFieldsNameEveryRowField) {
  struct Case {
    std::shared_ptr<CliKit::AutoCli::Command> command;
    std::string key;
    std::function<std::shared_ptr<MetaStruct>()> row;
  };
  auto stats = TarvexCli::Storage::AdapterStats::New();
  auto capabilities = TarvexCli::Storage::AdapterCapabilities::New();
  const std::vector<Case> cases = {
      {stats, "fields:ScsiAdapterStats", [stats] { return stats->GetOutputStructure(); }},
      {capabilities, "fields:ScsiAdapterCapabilities",
       [capabilities] { return capabilities->GetOutputStructure(); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.key);
    std::string expected;
    for (const std::string &name : FieldNames(c.row()))
      if (name != "HBA Name")
        expected += (expected.empty() ? "" : ",") + name;
    const auto &parameters = c.command->GetDefaultOutputParameters();
    ASSERT_EQ(parameters.size(), 2u);
    EXPECT_EQ(parameters[0].second, "%HBA Name%");
    EXPECT_EQ(parameters[1], std::make_pair(c.key, expected));
  }
}

} // namespace
