// storage core path list, storage core scsi path list, storage core nvme path list.
#include "plugin/core/PathTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

using namespace PathTests;
using Args = std::vector<std::string>;

namespace {

const Args kPathList = {"storage", "core", "path", "list"};
const Args kScsiPathList = {"storage", "core", "scsi", "path", "list"};
const Args kNvmePathList = {"storage", "core", "nvme", "path", "list"};

std::vector<std::string> DefaultNamesExcept(const std::vector<std::string> &excluded) {
  std::vector<std::string> names;
  for (const std::string &name : DefaultRuntimeNames())
    if (std::find(excluded.begin(), excluded.end(), name) == excluded.end())
      names.push_back(name);
  return names;
}

// The small host most record tests run on.
std::string RecordHost(const std::string &faults = "[]") {
  return SmallHost("[" +
                       PathJson("olhba2:C0:T0:L1", "naa.600a0b80001111110000000000000001", "olhba2", "NMP",
                                R"(, "controller": "ctl-a", "channel": 1, "target": 2, "lun": 3,
                   "adapterIdentifier": "fc.20000024ff000001:21000024ff000001",
                   "targetIdentifier": "fc.50060160c6e00304:5006016046e00304",
                   "state": "standby", "maxIOSize": 33553920)") +
                       "," +
                       PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP",
                                R"(, "anaGroupId": 7, "channel": 0, "target": 0, "lun": 3)") +
                       "," + PathJson("olhba2:C0:T2:L5", "", "olhba2", "MASK_PATH", R"(, "state": "dead")") +
                       "," + PathJson("olhba9:C0:T0:L0", "naa.600a0b80001111110000000000000001", "olhba9") +
                       "," + PathJson("olhba2:C0:T4:L0", "", "olhba2", "") + "," +
                       // Recorded under the device's second UID, which the display-name map does not carry.
                       PathJson("olhba2:C0:T5:L0", "olr.0200010000600a0b8000111111", "olhba2") + "]",
                   faults);
}

std::shared_ptr<MetaStruct> RowOf(const CliKit::Execution &execution, const std::string &runtimeName) {
  for (const auto &row : Rows(execution))
    if (Text(row, "Runtime Name") == runtimeName)
      return row;
  ADD_FAILURE() << "no row for " << runtimeName;
  return MetaStruct::New("none");
}

} // namespace

TEST(PathList, SelectsByPathAndDevice) {
  struct Case {
    Args options;
    std::vector<std::string> errors;
    std::optional<std::vector<std::string>> listed; // nullopt: no root object
  };
  const std::string dgcPaths[] = {"olhba2:C0:T0:L1", "olhba2:C0:T1:L1", "olhba3:C0:T0:L1", "olhba3:C0:T1:L1",
                                  "olhba64:C0:T0:L1"};
  const std::vector<Case> cases = {
      {{}, {}, DefaultRuntimeNames()},
      {{"-p", "olhba2:C0:T0:L1"}, {}, std::vector<std::string>{"olhba2:C0:T0:L1"}},
      {{"--path", "fc.20000024ff3d5a10:21000024ff3d5a10-fc.50060160c6e00304:5006016046e00304-naa."
                  "60060160a0b2320089abcdef01234567"},
       {},
       std::vector<std::string>{"olhba2:C0:T0:L1"}},
      {{"-p", "olhba2:C0:T0:L9"}, {"Unknown Path olhba2:C0:T0:L9"}, std::nullopt},
      {{"-d", kDgcLun}, {}, std::vector<std::string>(std::begin(dgcPaths), std::end(dgcPaths))},
      {{"--device", "naa.6000097000019760012353303031ffff"}, {}, std::vector<std::string>{"olhba3:C0:T1:L3"}},
      {{"-d", "naa.0000"}, {"Unknown Device naa.0000"}, std::nullopt},
      {{"-p", "olhba2:C0:T0:L1", "-d", kSymmetrixLun}, {}, std::vector<std::string>{}},
      {{"-p", "olhba2:C0:T0:L2", "-d", kSymmetrixLun}, {}, std::vector<std::string>{"olhba2:C0:T0:L2"}},
      {{"-p", "nosuch", "-d", "naa.0000"}, {"Unknown Path nosuch"}, std::nullopt},
  };
  TestSupport::UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    auto run = TestSupport::Run(With(kPathList, c.options));
    EXPECT_EQ(TestSupport::Errors(run), c.errors);
    if (!c.listed) {
      EXPECT_FALSE(run.output->GetRootObject());
      continue;
    }
    ASSERT_TRUE(RootList(run));
    EXPECT_EQ(Column(run, "Runtime Name"), *c.listed);
  }
}

TEST(ProtocolPathLists, FilterByTheDeviceProtocol) {
  struct Case {
    Args command;
    Args options;
    std::vector<std::string> errors;
    std::optional<std::vector<std::string>> listed;
  };
  const std::vector<std::string> nvmeAndDeviceless = {"olhba5:C0:T0:L1", "olhba2:C0:T2:L5",
                                                      "olhba64:C1:T0:L0"};
  const std::vector<Case> cases = {
      // Paths without a device are listed by both protocol lists.
      {kScsiPathList, {}, {}, DefaultNamesExcept({"olhba5:C0:T0:L1"})},
      {kNvmePathList, {}, {}, nvmeAndDeviceless},
      {kScsiPathList, {"-d", "eui.0025385b71b0d4e1"}, {}, std::vector<std::string>{}},
      {kNvmePathList, {"-d", "eui.0025385b71b0d4e1"}, {}, std::vector<std::string>{"olhba5:C0:T0:L1"}},
      {kNvmePathList, {"-d", kDgcLun}, {}, std::vector<std::string>{}},
      {kScsiPathList, {"-p", "olhba64:C1:T0:L0"}, {}, std::vector<std::string>{"olhba64:C1:T0:L0"}},
      {kNvmePathList, {"-p", "olhba2:C0:T0:L1"}, {}, std::vector<std::string>{}},
      {kScsiPathList, {"-p", "olhba9:C0:T0:L0"}, {"Unknown Path olhba9:C0:T0:L0"}, std::nullopt},
      {kNvmePathList, {"-d", "eui.ffff"}, {"Unknown Device eui.ffff"}, std::nullopt},
  };
  TestSupport::UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(With(c.command, c.options)));
    auto run = TestSupport::Run(With(c.command, c.options));
    EXPECT_EQ(TestSupport::Errors(run), c.errors);
    if (!c.listed) {
      EXPECT_FALSE(run.output->GetRootObject());
      continue;
    }
    ASSERT_TRUE(RootList(run));
    EXPECT_EQ(Column(run, "Runtime Name"), *c.listed);
  }
}

// Whole rows: every field, in template order, with its value.
TEST(PathLists, FillEveryFieldInTemplateOrder) {
  struct Case {
    Args command;
    const char *runtimeName;
    std::vector<std::pair<std::string, std::string>> row;
  };
  const std::vector<Case> cases = {
      {kPathList,
       "olhba2:C0:T0:L1",
       {{"UID", "uid-olhba2:C0:T0:L1"},
        {"Runtime Name", "olhba2:C0:T0:L1"},
        {"Device", "naa.600a0b80001111110000000000000001"},
        {"Device Display Name", "Array LUN 1"},
        {"Adapter", "olhba2"},
        {"Controller", "ctl-a"},
        {"Channel", "1"},
        {"Target", "2"},
        {"LUN", "3"},
        {"Adapter Identifier", "fc.20000024ff000001:21000024ff000001"},
        {"Target Identifier", "fc.50060160c6e00304:5006016046e00304"},
        {"Plugin", "NMP"},
        {"State", "standby"},
        {"Transport", "fc"},
        {"Adapter Transport Details", "adapter side"},
        {"Target Transport Details", "target side"},
        {"Maximum IO Size", "33553920"}}},
      {kNvmePathList,
       "olhba5:C0:T0:L1",
       {{"UID", "uid-olhba5:C0:T0:L1"},
        {"Runtime Name", "olhba5:C0:T0:L1"},
        {"Device", "eui.00000000000000a1"},
        {"Device Display Name", "NVMe namespace 1"},
        {"Adapter", "olhba5"},
        {"Controller", ""},
        {"ANA group ID", "7"},
        {"Channel", "0"},
        {"Target", "0"},
        {"NSID", "3"},
        {"Adapter Identifier", ""},
        {"Target Identifier", ""},
        {"Plugin", "HPP"},
        {"State", "active"},
        {"Transport", "pcie"},
        {"Adapter Transport Details", "adapter side"},
        {"Target Transport Details", "target side"},
        {"Maximum IO Size", "0"}}},
  };
  TestSupport::UseHostJson(RecordHost());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.runtimeName);
    auto row = RowOf(TestSupport::Run(c.command), c.runtimeName);
    EXPECT_EQ(row->GetName(), "ScsiPath");
    EXPECT_EQ(Flatten(row), c.row);
  }
}

TEST(PathLists, SpecialRecords) {
  struct Case {
    Args command;
    const char *runtimeName;
    const char *field;
    const char *expected;
  };
  const std::vector<Case> cases = {
      {kPathList, "olhba2:C0:T2:L5", "Device", "No associated device"},
      {kPathList, "olhba2:C0:T2:L5", "Device Display Name", "No associated device"},
      {kScsiPathList, "olhba2:C0:T2:L5", "Device", "No associated device"},
      {kScsiPathList, "olhba2:C0:T2:L5", "Device Display Name", "No associated device"},
      {kNvmePathList, "olhba2:C0:T2:L5", "Device", "No associated device"},
      {kNvmePathList, "olhba2:C0:T2:L5", "Device Display Name", "No associated device"},
      // A masked path is claimed (by MASK_PATH), so it has transport details.
      {kPathList, "olhba2:C0:T2:L5", "Adapter Transport Details", "adapter side"},
      {kPathList, "olhba9:C0:T0:L0", "Transport", "unknown"},
      {kScsiPathList, "olhba9:C0:T0:L0", "Transport", "unknown"},
      {kPathList, "olhba2:C0:T4:L0", "Adapter Transport Details", "Unavailable or path is unclaimed"},
      {kPathList, "olhba2:C0:T4:L0", "Target Transport Details", "Unavailable or path is unclaimed"},
      {kNvmePathList, "olhba2:C0:T4:L0", "Target Transport Details", "Unavailable or path is unclaimed"},
      {kPathList, "olhba2:C0:T4:L0", "Plugin", ""},
      // path list reads display names from the host's map, keyed by canonical
      // name; the protocol lists ask the device itself.
      {kPathList, "olhba2:C0:T5:L0", "Device", "olr.0200010000600a0b8000111111"},
      {kPathList, "olhba2:C0:T5:L0", "Device Display Name", ""},
      {kScsiPathList, "olhba2:C0:T5:L0", "Device Display Name", "Array LUN 1"},
      {kNvmePathList, "olhba5:C0:T0:L1", "Device Display Name", "NVMe namespace 1"},
  };
  TestSupport::UseHostJson(RecordHost());
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.command) + " " + c.runtimeName + " " + c.field);
    auto run = TestSupport::Run(c.command);
    EXPECT_TRUE(TestSupport::Errors(run).empty());
    EXPECT_EQ(Text(RowOf(run, c.runtimeName), c.field), c.expected);
  }
}

TEST(PathLists, OnePathFailingDropsItsRecordOnly) {
  struct Case {
    Args command;
    const char *operation;
    const char *target;
    const char *error;
    std::vector<std::string> listed;
  };
  const std::vector<Case> cases = {
      {kPathList,
       "ScsiPath::GetTransportDetails",
       "olhba2:C0:T0:L1",
       "Error getting path informatin for olhba2:C0:T0:L1 Error was adapter not responding",
       {"olhba5:C0:T0:L1", "olhba2:C0:T2:L5"}},
      {kPathList,
       "ScsiPath::GetDevice",
       "olhba2:C0:T2:L5",
       "Error getting path informatin for olhba2:C0:T2:L5 Error was adapter not responding",
       {"olhba2:C0:T0:L1", "olhba5:C0:T0:L1"}},
      {kScsiPathList,
       "ScsiPath::GetScsiInterface",
       "olhba2:C0:T0:L1",
       "Error getting path informatin for olhba2:C0:T0:L1:adapter not responding",
       {"olhba2:C0:T2:L5"}},
      {kNvmePathList,
       "ScsiPath::GetDevice",
       "olhba5:C0:T0:L1",
       "Error getting path informatin for olhba5:C0:T0:L1: adapter not responding",
       {"olhba2:C0:T2:L5"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.operation) + " " + c.target);
    TestSupport::UseHostJson(
        SmallHost("[" + PathJson("olhba2:C0:T0:L1", "naa.600a0b80001111110000000000000001", "olhba2") + "," +
                      PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP") + "," +
                      PathJson("olhba2:C0:T2:L5", "", "olhba2", "MASK_PATH") + "]",
                  std::string(R"([{"operation": ")") + c.operation + R"(", "target": ")" + c.target +
                      R"(", "message": "adapter not responding", "times": 0}])"));
    auto run = TestSupport::Run(c.command);
    EXPECT_EQ(TestSupport::Errors(run), std::vector<std::string>{c.error});
    ASSERT_TRUE(RootList(run));
    EXPECT_EQ(Column(run, "Runtime Name"), c.listed);
  }
}

TEST(PathLists, HostFailureOutsideTheLoop) {
  struct Case {
    Args command;
    const char *operation;
    const char *error;
  };
  const std::vector<Case> cases = {
      {kPathList, "StorageInfo::GetScsiPaths", "Operation List Paths Failed with error: storage stack busy"},
      {kPathList, "StorageInfo::GetDeviceDisplayNames",
       "Operation List Paths Failed with error: storage stack busy"},
      {With(kPathList, {"-p", "olhba2:C0:T0:L1"}), "StorageInfo::GetScsiPath",
       "Operation List Paths Failed with error: storage stack busy"},
      {With(kPathList, {"-d", kDgcLun}), "StorageInfo::GetLun",
       "Operation List Paths Failed with error: storage stack busy"},
      {kScsiPathList, "StorageInfo::GetScsiPaths", "Failed to list paths: storage stack busy"},
      {With(kNvmePathList, {"-p", "olhba5:C0:T0:L1"}), "StorageInfo::GetScsiPath",
       "Failed to list paths: storage stack busy"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    TestSupport::UseHostJson(
        TestSupport::PatchedProfile(std::string(R"({"faults": [{"operation": ")") + c.operation +
                                    R"(", "message": "storage stack busy", "times": 0}]})"));
    auto run = TestSupport::Run(c.command);
    EXPECT_EQ(TestSupport::Errors(run), std::vector<std::string>{c.error});
    EXPECT_FALSE(run.output->GetRootObject());
  }
}

TEST(PathLists, DefaultFieldsNameTemplateFields) {
  // A misspelt default field would silently vanish from the default view.
  auto normalise = [](std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return text;
  };
  TestSupport::UseProfile();
  for (const Args &command :
       {kPathList, kScsiPathList, kNvmePathList, Args{"storage", "core", "path", "stats", "get"}}) {
    SCOPED_TRACE(::testing::PrintToString(command));
    auto run = TestSupport::Run(command);
    ASSERT_TRUE(run.command);
    auto rowTemplate = RootList(run)->GetRowTemplate();
    std::vector<std::string> known;
    for (const std::string &name : FieldNames(rowTemplate))
      known.push_back(normalise(name));
    size_t checked = 0;
    for (const auto &[key, value] : run.command->GetDefaultOutputParameters()) {
      if (key.rfind("fields:", 0) != 0)
        continue;
      EXPECT_EQ(key, "fields:" + rowTemplate->GetName());
      size_t start = 0;
      while (start <= value.size()) {
        size_t comma = value.find(',', start);
        std::string name = normalise(value.substr(start, comma - start));
        EXPECT_NE(std::find(known.begin(), known.end(), name), known.end()) << name;
        ++checked;
        if (comma == std::string::npos)
          break;
        start = comma + 1;
      }
    }
    EXPECT_EQ(checked, known.size());
  }
}
