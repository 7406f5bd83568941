// storage core path stats get
#include "plugin/core/PathTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace PathTests;
using Args = std::vector<std::string>;

namespace {

const Args kPathStats = {"storage", "core", "path", "stats", "get"};

// Every counter distinct, so a counter shown under the wrong name shows.
const char *kCounters = R"(, "stats": {"successfulCommands": 101, "blocksRead": 102, "blocksWritten": 103,
    "readOperations": 104, "writeOperations": 105, "reserveOperations": 106, "reservationConflicts": 107,
    "failedCommands": 108, "failedBlocksRead": 109, "failedBlocksWritten": 110, "failedReadOperations": 111,
    "failedWriteOperations": 112, "failedReserveOperations": 113, "totalSplits": 114, "paeCommands": 115})";

std::string StatsHost(const std::string &faults = "[]") {
  return SmallHost("[" + PathJson("olhba2:C0:T0:L1", "naa.600a0b80001111110000000000000001", "olhba2") + "," +
                       PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP", kCounters) + "," +
                       PathJson("olhba2:C0:T4:L0", "", "olhba2", "") + "]",
                   faults);
}

} // namespace

TEST(PathStats, CountersInRecordOrder) {
  TestSupport::UseHostJson(StatsHost());
  auto run = TestSupport::Run(With(kPathStats, {"-p", "olhba5:C0:T0:L1"}));
  EXPECT_TRUE(TestSupport::Errors(run).empty());
  auto rows = Rows(run);
  ASSERT_EQ(rows.size(), 1u);
  const auto &row = rows[0];
  EXPECT_EQ(row->GetName(), "ScsiPathStats");
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
  std::vector<std::pair<std::string, std::string>> expected = {{"UID", "uid-olhba5:C0:T0:L1"},
                                                               {"Runtime Name", "olhba5:C0:T0:L1"}};
  for (size_t i = 0; i < counters.size(); ++i)
    expected.emplace_back(counters[i], std::to_string(101 + i));
  EXPECT_EQ(Flatten(row), expected);
}

TEST(PathStats, Selection) {
  struct Case {
    const char *faults;
    Args options;
    std::vector<std::string> errors;
    bool listSet;
    std::vector<std::string> listed;
  };
  const std::vector<Case> cases = {
      {"[]", {}, {}, true, {"olhba2:C0:T0:L1", "olhba5:C0:T0:L1", "olhba2:C0:T4:L0"}},
      {"[]", {"--path", "uid-olhba2:C0:T4:L0"}, {}, true, {"olhba2:C0:T4:L0"}},
      // An unknown name still leaves an empty list behind its message.
      {"[]", {"-p", "olhba7:C0:T0:L0"}, {"Unable to find path with the name olhba7:C0:T0:L0"}, true, {}},
      {R"([{"operation": "ScsiPath::GetStats", "target": "olhba5:C0:T0:L1", "message": "counters unavailable"}])",
       {},
       {"Unable to list SCSI Paths. counters unavailable"},
       false,
       {}},
      {R"([{"operation": "StorageInfo::GetScsiPaths", "message": "counters unavailable"}])",
       {},
       {"Unable to list SCSI Paths. counters unavailable"},
       false,
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options) + c.faults);
    TestSupport::UseHostJson(StatsHost(c.faults));
    auto run = TestSupport::Run(With(kPathStats, c.options));
    ASSERT_TRUE(run.output);
    EXPECT_EQ(TestSupport::Errors(run), c.errors);
    EXPECT_EQ(static_cast<bool>(RootList(run)), c.listSet);
    EXPECT_EQ(Column(run, "Runtime Name"), c.listed);
  }
}
