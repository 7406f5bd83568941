// storage core adapter list / listdetailed / capabilities list / stats get / device list.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// Name matching is exact and case-sensitive; whether an unknown name still
// sets the (empty) list differs per command.
TEST(AdapterListTest, AdapterFilter) {
  struct Case {
    std::string command;
    std::string nameField;
    std::vector<std::string> rows;
    std::vector<std::string> errors;
    bool listSet;
  };
  const std::vector<Case> cases = {
      {"list -a olhba64", "HBA Name", {"olhba64"}, {}, true},
      {"list --adapter OLHBA3", "HBA Name", {}, {"Unable to find adapter with name OLHBA3"}, true},
      {"list -a olhba", "HBA Name", {}, {"Unable to find adapter with name olhba"}, true},
      {"listdetailed -a olhba64", "Adapter", {"olhba64"}, {}, true},
      {"listdetailed -a x", "Adapter", {}, {"Unable to find adapter with name x"}, true},
      {"capabilities list -a olhba2", "HBA Name", {"olhba2"}, {}, true},
      {"capabilities list -a x", "HBA Name", {}, {"Unable to get adapter with the name x"}, false},
      {"stats get -a x", "HBA Name", {}, {"Unable to get adapter with the name x"}, true},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    auto run = RunCommand("storage core adapter " + c.command);
    EXPECT_EQ(RootList(run.root) != nullptr, c.listSet);
    EXPECT_EQ(Column(run.root, c.nameField), c.rows);
    EXPECT_EQ(run.errors, c.errors);
  }
}

TEST(AdapterListTest, EmptyHostGivesEmptyListsWithoutErrors) {
  UseHostJson(R"({"schemaVersion": 1})");
  for (const char *command : {"list", "listdetailed", "capabilities list", "stats get", "device list"}) {
    SCOPED_TRACE(command);
    auto run = RunCommand(std::string("storage core adapter ") + command);
    ASSERT_TRUE(RootList(run.root));
    EXPECT_EQ(RootList(run.root)->Size(), 0u);
    EXPECT_TRUE(run.errors.empty());
  }
}

TEST(AdapterCapabilitiesTest, EachBitSetsItsOwnField) {
  UseHostJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "a0", "transport": "sas", "capabilityMask": 0},
      {"name": "a1", "transport": "sas", "capabilityMask": 1},
      {"name": "a2", "transport": "fc", "capabilityMask": 18},
      {"name": "a3", "transport": "fc", "capabilityMask": 8},
      {"name": "a4", "transport": "fc", "capabilityMask": 31},
      {"name": "a5", "transport": "fc", "capabilityMask": 4294967264}]})");
  const std::vector<std::string> fields = {
      "Handles Second-Level-LUNs", "Supports Data Integrity", "Provides Own Completion Worlds",
      "Handles Sense Data in Good and Error Conditions", "Supports FPIN events"};
  const std::vector<std::string> expected = {"a0 00000", "a1 10000", "a2 01001",
                                             "a3 00010", "a4 11111", "a5 00000"};
  std::vector<std::string> got;
  for (const Row &row : Rows(RunCommand("storage core adapter capabilities list").root)) {
    std::string bits;
    for (const std::string &field : fields)
      bits += Flag(row, field) ? "1" : "0";
    got.push_back(Text(row, "HBA Name") + " " + bits);
  }
  EXPECT_EQ(got, expected);
}

// The counters of adapters and paths share one mapping: each counter under its
// own name, each row read afresh.
TEST(AdapterStatsTest, CountersFollowTheRecordOrder) {
  UseHostJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "s1", "transport": "sas", "stats": {
        "successfulCommands": 1, "blocksRead": 2, "blocksWritten": 3, "readOperations": 4, "writeOperations": 5,
        "reserveOperations": 6, "reservationConflicts": 7, "failedCommands": 8, "failedBlocksRead": 9,
        "failedBlocksWritten": 10, "failedReadOperations": 11, "failedWriteOperations": 12,
        "failedReserveOperations": 13, "totalSplits": 14, "paeCommands": 15}},
      {"name": "s2", "transport": "sas"}]})");
  auto rows = Rows(RunCommand("storage core adapter stats get").root);
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
  for (size_t i = 0; i < counters.size(); ++i) {
    EXPECT_EQ(Number(rows[0], counters[i]), static_cast<int64_t>(i + 1)) << counters[i];
    EXPECT_EQ(Number(rows[1], counters[i]), 0) << counters[i];
  }
}

// Host failures, each reproduced through fault injection, with the exact
// message and whether a list is still set.
TEST(AdapterCommandsTest, HostFailures) {
  struct Case {
    std::string command;
    std::string operation;
    std::string target;
    std::string error;
    bool rootSet;
  };
  const std::vector<Case> cases = {
      {"list", "StorageInfo::GetScsiInterfaces", "", "Unable to list Storage HBAs boom", false},
      // One adapter's link state fails the whole listing.
      {"list", "StorageInfo::GetLinkState", "olhba5", "Unable to list Storage HBAs boom", false},
      {"list -a olhba0", "StorageInfo::GetAdapterCapabilities", "olhba0", "Unable to list Storage HBAs boom",
       false},
      {"listdetailed", "StorageInfo::GetScsiInterfaces", "", "Unable to list storage HBAs:boom", false},
      {"listdetailed", "StorageInfo::GetDeviceDescription", "olhba1", "Unable to list storage HBAs:boom",
       false},
      {"capabilities list", "StorageInfo::GetScsiInterfaces", "", "Unable to list SCSI HBAs. boom", false},
      // A failing look-up of one named adapter counts as not found.
      {"capabilities list -a olhba2", "StorageInfo::GetScsiInterface", "olhba2",
       "Unable to get adapter with the name olhba2", false},
      {"stats get", "StorageInfo::GetScsiInterfaces", "", "Unable to list SCSI HBAs. boom", false},
      {"stats get", "ScsiInterface::GetStats", "olhba3", "Unable to list SCSI HBAs. boom", false},
      {"stats get -a olhba2", "StorageInfo::GetScsiInterface", "olhba2",
       "Unable to get adapter with the name olhba2", true},
      {"device list -A olhba0 -A olhba2", "StorageInfo::GetScsiInterface", "olhba2",
       "Unable to get adapter with the name olhba2", false},
      {"device list", "StorageInfo::GetLuns", "", "boom", false},
      {"device list", "StorageInfo::GetLunPathAdapters", "", "boom", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " on " + c.command);
    UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = RunCommand("storage core adapter " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(RootList(run.root) != nullptr, c.rootSet);
  }
}

// Devices reach their adapters through repeated paths, so pairs must be unique
// and sorted byte-wise (adapter, then device); offline devices are left out.
TEST(AdapterDeviceListTest, PairsAreUniqueAndSorted) {
  UseHostJson(R"({"schemaVersion": 1,
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
    {"uid": "p8", "runtimeName": "hbaB:C0:T0:L9", "device": "", "adapter": "hbaB", "plugin": ""}]})");
  struct Case {
    std::string options;
    std::vector<std::string> pairs;
  };
  const std::vector<Case> cases = {
      {"", {"hbaA eui.z", "hbaA naa.a", "hbaA naa.b", "hbaA2 naa.a", "hbaB naa.b"}},
      {"-A hbaB -A hbaA2", {"hbaA2 naa.a", "hbaB naa.b"}},
      // A name that no adapter has filters everything out, silently.
      {"-A hbaC", {}},
      {"--adapter hbaa", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core adapter device list " + c.options);
    EXPECT_TRUE(run.errors.empty());
    ASSERT_TRUE(RootList(run.root));
    std::vector<std::string> pairs;
    for (const Row &row : Rows(run.root))
      pairs.push_back(Text(row, "HBA") + " " + Text(row, "Device UID"));
    EXPECT_EQ(pairs, c.pairs);
  }
}

} // namespace
