// storage xvol stats ... and vmstats get.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// A counter-less root above "a"; "b" has only a zero error counter; "c" has no
// counters above a counted "d"; "e" is a tracked entity.
const char *kStatsHost = R"({"schemaVersion": 1, "xvol": {"stats": {"enabled": true, "tree": {
  "name": "", "counters": {}, "children": [
    {"name": "a", "counters": {"x": 5, "errorCount": 0, "errorCountY": 3}, "children": [
      {"name": "b", "counters": {"errorCount": 0}},
      {"name": "c", "counters": {}, "children": [{"name": "d", "counters": {"v": -2}}]},
      {"name": "e", "entity": true, "counters": {"errorCount": 0, "ioCount": 9}}]}]}}}})";

std::vector<std::string> Stats(const std::string &options) {
  return Column(RunCommand("storage xvol stats get " + options).root, "Stats");
}

TEST(XvolStatsTest, BothFormatsFilterZeroErrorCounters) {
  struct Case {
    std::string options;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"", {"/a", "\t\terrorCountY=3", "\t\tx=5", "/a/b", "/a/c/d", "\t\tv=-2", "/a/e", "\t\tioCount=9"}},
      {"-r", {"/a/errorCountY=3", "/a/x=5", "/a/c/d/v=-2", "/a/e/ioCount=9"}},
      {"-n /a/c", {"c/d", "\t\tv=-2"}},
      {"-n a -e e --raw", {"e/ioCount=9"}},
      {"-n /a/b -r", {}},
      {"-n /a/b", {"b"}},
      {"-n / -d note",
       {"/a", "\t\terrorCountY=3", "\t\tx=5", "/a/b", "/a/c/d", "\t\tv=-2", "/a/e", "\t\tioCount=9"}},
  };
  UseHostJson(kStatsHost);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    EXPECT_EQ(Stats(c.options), c.texts);
  }
}

TEST(XvolStatsTest, RootNamespaceIsRefusedBeforeTheHost) {
  struct Case {
    std::string command;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"add -n / -e x", "Entities are not supported for root node"},
      {"add -n /// -e x", "Entities are not supported for root node"},
      {"remove -n // -e x", "Entities are not supported for root node"},
      {"add -n /a -e x", "host says no"},
      {"remove -n /a -e e", "host says no"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    UseHostJson(kStatsHost);
    InjectFault("XvolStats::AddStatsEntity", "", "host says no");
    InjectFault("XvolStats::RemoveStatsEntity", "", "host says no");
    auto run = RunCommand("storage xvol stats " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
}

TEST(XvolStatsTest, AddListRemoveRoundTrip) {
  UseHostJson(kStatsHost);
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats add -n /a/c -e vol1")));
  EXPECT_EQ(Column(RunCommand("storage xvol stats list -n /a/c").root, "Stat Nodes"),
            (std::vector<std::string>{"/a/c", "/a/c/d", "/a/c/vol1"}));
  EXPECT_EQ(RunCommand("storage xvol stats add -n /a/c -e vol1").errors,
            std::vector<std::string>{
                "Error adding xvol stats entity: Entity vol1 is already tracked in namespace /a/c"});
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats remove -n /a/c -e vol1")));
  EXPECT_EQ(Column(RunCommand("storage xvol stats list").root, "Stat Nodes"),
            (std::vector<std::string>{"/", "/a", "/a/b", "/a/c", "/a/c/d", "/a/e"}));
  EXPECT_EQ(RunCommand("storage xvol stats remove -n /a/c -e vol1").errors,
            std::vector<std::string>{
                "Error removing xvol stats entity:Entity vol1 is not tracked in namespace /a/c"});
  // A plain node is no tracked entity.
  EXPECT_EQ(
      RunCommand("storage xvol stats remove -n /a -e b").errors,
      std::vector<std::string>{"Error removing xvol stats entity:Entity b is not tracked in namespace /a"});
  EXPECT_EQ(RunCommand("storage xvol stats add -n /zz -e v").errors,
            std::vector<std::string>{"Error adding xvol stats entity: Unknown stats namespace /zz"});
}

TEST(XvolStatsTest, DisableGetEnableRoundTrip) {
  UseHostJson(kStatsHost);
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats disable")));
  auto get = RunCommand("storage xvol stats get");
  EXPECT_EQ(get.errors, std::vector<std::string>{"Error getting xvol stats:XVol statistics are disabled"});
  EXPECT_EQ(get.root, nullptr);
  EXPECT_EQ(RunCommand("storage xvol stats list").errors,
            std::vector<std::string>{"Error listing xvol stats:XVol statistics are disabled"});
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats enable")));
  EXPECT_EQ(Stats("-n /a/c -r"), std::vector<std::string>{"c/d/v=-2"});
}

TEST(XvolStatsTest, ResetZeroesASubtreeOrOneEntity) {
  UseHostJson(kStatsHost);
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats reset -n /a -e e")));
  EXPECT_EQ(Stats("-r"),
            (std::vector<std::string>{"/a/errorCountY=3", "/a/x=5", "/a/c/d/v=-2", "/a/e/ioCount=0"}));
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats reset -n /a/c")));
  EXPECT_EQ(Stats("-r"),
            (std::vector<std::string>{"/a/errorCountY=3", "/a/x=5", "/a/c/d/v=0", "/a/e/ioCount=0"}));
  EXPECT_EQ(RunCommand("storage xvol stats reset -n /a -e b").errors,
            std::vector<std::string>{"Error reseting xvol stats:Entity b is not tracked in namespace /a"});
  // Zeroed error counters drop out of the view.
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol stats reset -n /")));
  EXPECT_EQ(Stats("-r"), (std::vector<std::string>{"/a/x=0", "/a/c/d/v=0", "/a/e/ioCount=0"}));
}

// A host exception gives its message alone, without the command's prefix.
TEST(XvolStatsTest, HostFailuresGiveTheMessageAlone) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"get", "XvolStats::GetStats"},
      {"list", "XvolStats::ListStats"},
      {"enable", "XvolStats::EnableStats"},
      {"disable", "XvolStats::DisableStats"},
      {"reset -n /a", "XvolStats::ResetStats"},
      {"add -n /a -e z", "XvolStats::AddStatsEntity"},
      {"remove -n /a -e e", "XvolStats::RemoveStatsEntity"},
  };
  for (const auto &[command, operation] : cases) {
    SCOPED_TRACE(command);
    UseHostJson(kStatsHost);
    InjectFault(operation, "", "stats module not loaded");
    auto run = RunCommand("storage xvol stats " + command);
    EXPECT_EQ(run.status, CliKit::kExitCommandError);
    EXPECT_EQ(run.errors, std::vector<std::string>{"stats module not loaded"});
    EXPECT_EQ(run.root, nullptr);
  }
}

const char *kVmHost = R"({"schemaVersion": 1, "xvol": {"vms": [
  {"name": "vm1", "worldId": 4000000000, "volumes": [
    {"uuid": "cfg", "name": "vm1", "containerId": "c1", "peId": "pe1", "config": true,
     "stats": {"readsDone": 1}},
    {"uuid": "d1", "name": "vm1.olvd", "containerId": "c1", "peId": "pe1",
     "stats": {"commandsIssued": 1, "readsIssued": 2, "writesIssued": 3, "commandsDone": 4, "readsDone": 5,
               "writesDone": 6, "commandLatencyUsecs": 7, "readLatencyUsecs": 8, "writeLatencyUsecs": 9,
               "commandErrors": 10, "readErrors": 11, "writeErrors": 12}},
    {"uuid": "d2", "name": "vm1_1.olvd", "containerId": "c2", "peId": "pe2"}]},
  {"name": "empty", "worldId": 77, "volumes": []}]}})";

TEST(XvolVmStatsTest, OneEntryWithEveryVolumeCounted) {
  struct Case {
    std::string options;
    int64_t worldId;
    std::vector<std::string> volumes;
  };
  const std::vector<Case> cases = {
      {"-v vm1",
       4000000000,
       {"d1 | 'vm1.olvd'(cID: 'c1' peID: 'pe1') | 5 6 4 2 3 1 8 9 7 10 11 12",
        "d2 | 'vm1_1.olvd'(cID: 'c2' peID: 'pe2') | 0 0 0 0 0 0 0 0 0 0 0 0"}},
      {"-v vm1 -c",
       4000000000,
       {"cfg | 'vm1'(cID: 'c1' peID: 'pe1') | 1 0 0 0 0 0 0 0 0 0 0 0",
        "d1 | 'vm1.olvd'(cID: 'c1' peID: 'pe1') | 5 6 4 2 3 1 8 9 7 10 11 12",
        "d2 | 'vm1_1.olvd'(cID: 'c2' peID: 'pe2') | 0 0 0 0 0 0 0 0 0 0 0 0"}},
      {"-v empty", 77, {}},
      {"-v nobody", 0, {}},
  };
  const std::vector<std::string> counters = {"ReadsDone",
                                             "WritesDone",
                                             "CommandsDone",
                                             "ReadsIssued",
                                             "WritesIssued",
                                             "CommandsIssued",
                                             "Read Latency In Usecs",
                                             "Write Latency In Usecs",
                                             "Command Latency In Usecs",
                                             "CommandErrors",
                                             "ReadErrors",
                                             "WriteErrors"};
  UseHostJson(kVmHost);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage xvol vmstats get " + c.options);
    const Row entry = OnlyRow(run.root);
    EXPECT_EQ(Number(entry, "VmWorldId"), c.worldId);
    std::vector<std::string> volumes;
    for (const Row &volume : Rows(entry->GetField("XvolInfoStats"))) {
      std::string numbers;
      for (const std::string &counter : counters)
        numbers += (numbers.empty() ? "" : " ") + Field(volume, counter);
      volumes.push_back(Text(volume, "XvolUuid") + " | " + Text(volume, "XvolInfo") + " | " + numbers);
    }
    EXPECT_EQ(volumes, c.volumes);
  }
}

TEST(XvolVmStatsTest, HostFailureLeavesTheCommand) {
  UseHostJson(kVmHost);
  InjectFault("XvolStatsImpl::GetPerXvolStats", "d2", "volume gone");
  auto run = RunCommand("storage xvol vmstats get -v vm1");
  EXPECT_EQ(run.status, CliKit::kExitException);
  EXPECT_EQ(run.execution.failure, "volume gone");
}

} // namespace
