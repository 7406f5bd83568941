// storage core path list / set / stats get, scsi path list, nvme path list.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kDgcLun = "naa.60060160a0b2320089abcdef01234567";
const char *kSymmetrixLun = "naa.60000970000197600123533030314241";
const char *kLun1 = "naa.600a0b80001111110000000000000001";
const char *kBusy = "naa.600a0b80001111110000000000000002";

// Runtime names of the default host's paths, in host order.
const std::vector<std::string> kDefaultPaths = {
    "olhba0:C0:T0:L0",  "olhba1:C0:T0:L0",  "olhba2:C0:T0:L1", "olhba2:C0:T1:L1", "olhba3:C0:T0:L1",
    "olhba3:C0:T1:L1",  "olhba64:C0:T0:L1", "olhba2:C0:T0:L2", "olhba3:C0:T0:L2", "olhba3:C0:T1:L3",
    "olhba5:C0:T0:L1",  "olhba6:C2:T0:L0",  "olhba2:C0:T3:L0", "olhba4:C0:T0:L0", "olhba2:C0:T2:L5",
    "olhba64:C1:T0:L0", "olhba0:C0:T1:L0",  "olhba0:C0:T3:L0", "olhba0:C0:T2:L0", "olhba65:C0:T0:L7",
    "olhba65:C0:T1:L7", "olhba0:C0:T4:L0",  "olhba0:C0:T5:L0", "olhba6:C0:T6:L0", "olhba0:C0:T7:L0",
    "olhba0:C0:T8:L0",  "olhba0:C0:T9:L0",  "olhba0:C0:T10:L0"};

// A small host: FC adapter "olhba2", NVMe adapter "olhba5"; a SCSI device with
// a second UID and a display name, an NVMe device, and a device in use. The
// paths are `pathsJson` (a JSON array); faults are `faultsJson`.
std::string SmallHost(const std::vector<std::string> &paths, const std::string &faultsJson = "[]") {
  std::string pathsJson;
  for (const std::string &path : paths)
    pathsJson += (pathsJson.empty() ? "" : ",") + path;
  return R"({"schemaVersion": 1,
    "adapters": [{"name": "olhba2", "transport": "fc"}, {"name": "olhba5", "transport": "pcie"}],
    "devices": [
      {"name": "naa.600a0b80001111110000000000000001", "displayName": "Array LUN 1",
       "uids": ["naa.600a0b80001111110000000000000001", "olr.0200010000600a0b8000111111"]},
      {"name": "eui.00000000000000a1", "displayName": "NVMe namespace 1", "nvme": true, "protocol": 1,
       "uids": ["eui.00000000000000a1"]},
      {"name": "naa.600a0b80001111110000000000000002", "displayName": "Busy LUN", "inUse": true,
       "uids": ["naa.600a0b80001111110000000000000002"]}],
    "paths": [)" +
         pathsJson + R"(], "faults": )" + faultsJson + "}";
}

// One path record for SmallHost, claimed by `plugin` (empty: unclaimed);
// `extra` adds members (JSON text starting with a comma, or empty).
std::string PathJson(const std::string &runtimeName, const std::string &device, const std::string &adapter,
                     const std::string &plugin = "NMP", const std::string &extra = "") {
  return R"({"uid": "uid-)" + runtimeName + R"(", "runtimeName": ")" + runtimeName + R"(", "device": ")" +
         device + R"(", "adapter": ")" + adapter + R"(", "plugin": ")" + plugin +
         R"(", "adapterTransportDetails": "adapter side", "targetTransportDetails": "target side")" + extra +
         "}";
}

std::string Fault(const std::string &operation, const std::string &target, const std::string &message) {
  return R"([{"operation": ")" + operation + R"(", "target": ")" + target + R"(", "message": ")" + message +
         R"(", "times": 0}])";
}

std::vector<std::string> DefaultPathsExcept(const std::vector<std::string> &excluded) {
  std::vector<std::string> names = kDefaultPaths;
  for (const std::string &name : excluded)
    std::erase(names, name);
  return names;
}

TEST(PathList, SelectionOfEachList) {
  struct Case {
    std::string command;
    std::vector<std::string> errors;
    std::optional<std::vector<std::string>> listed; // nullopt: no root object
  };
  const std::vector<Case> cases = {
      {"path list -p olhba2:C0:T0:L1", {}, std::vector<std::string>{"olhba2:C0:T0:L1"}},
      {"path list --path fc.20000024ff3d5a10:21000024ff3d5a10-fc.50060160c6e00304:5006016046e00304-naa."
       "60060160a0b2320089abcdef01234567",
       {},
       std::vector<std::string>{"olhba2:C0:T0:L1"}},
      {std::string("path list -d ") + kDgcLun,
       {},
       std::vector<std::string>{"olhba2:C0:T0:L1", "olhba2:C0:T1:L1", "olhba3:C0:T0:L1", "olhba3:C0:T1:L1",
                                "olhba64:C0:T0:L1"}},
      {"path list --device naa.6000097000019760012353303031ffff",
       {},
       std::vector<std::string>{"olhba3:C0:T1:L3"}},
      {std::string("path list -p olhba2:C0:T0:L1 -d ") + kSymmetrixLun, {}, std::vector<std::string>{}},
      {std::string("path list -p olhba2:C0:T0:L2 -d ") + kSymmetrixLun,
       {},
       std::vector<std::string>{"olhba2:C0:T0:L2"}},
      {"path list -p nosuch -d naa.0000", {"Unknown Path nosuch"}, std::nullopt},
      // Paths without a device are listed by both protocol lists.
      {"scsi path list", {}, DefaultPathsExcept({"olhba5:C0:T0:L1", "olhba65:C0:T0:L7", "olhba65:C0:T1:L7"})},
      {"nvme path list",
       {},
       std::vector<std::string>{"olhba5:C0:T0:L1", "olhba2:C0:T2:L5", "olhba64:C1:T0:L0", "olhba65:C0:T0:L7",
                                "olhba65:C0:T1:L7"}},
      {"scsi path list -d eui.0025385b71b0d4e1", {}, std::vector<std::string>{}},
      {"nvme path list -d eui.0025385b71b0d4e1", {}, std::vector<std::string>{"olhba5:C0:T0:L1"}},
      {std::string("nvme path list -d ") + kDgcLun, {}, std::vector<std::string>{}},
      {"scsi path list -p olhba64:C1:T0:L0", {}, std::vector<std::string>{"olhba64:C1:T0:L0"}},
      {"nvme path list -p olhba2:C0:T0:L1", {}, std::vector<std::string>{}},
      {"scsi path list -p olhba9:C0:T0:L0", {"Unknown Path olhba9:C0:T0:L0"}, std::nullopt},
      {"nvme path list -d eui.ffff", {"Unknown Device eui.ffff"}, std::nullopt},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    auto run = RunCommand("storage core " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    if (!c.listed) {
      EXPECT_FALSE(run.root);
      continue;
    }
    ASSERT_TRUE(RootList(run.root));
    EXPECT_EQ(Column(run.root, "Runtime Name"), *c.listed);
  }
}

// What the lists derive rather than copy from a path record.
TEST(PathList, DerivedFields) {
  struct Case {
    const char *command;
    const char *runtimeName;
    const char *field;
    const char *expected;
  };
  const std::vector<Case> cases = {
      {"path list", "olhba2:C0:T2:L5", "Device", "No associated device"},
      {"path list", "olhba2:C0:T2:L5", "Device Display Name", "No associated device"},
      {"scsi path list", "olhba2:C0:T2:L5", "Device", "No associated device"},
      {"nvme path list", "olhba2:C0:T2:L5", "Device Display Name", "No associated device"},
      // A masked path is claimed (by MASK_PATH), so it has transport details.
      {"path list", "olhba2:C0:T2:L5", "Adapter Transport Details", "adapter side"},
      {"path list", "olhba2:C0:T0:L1", "Transport", "fc"},
      {"nvme path list", "olhba5:C0:T0:L1", "Transport", "pcie"},
      {"path list", "olhba9:C0:T0:L0", "Transport", "unknown"},
      {"scsi path list", "olhba9:C0:T0:L0", "Transport", "unknown"},
      {"path list", "olhba2:C0:T4:L0", "Adapter Transport Details", "Unavailable or path is unclaimed"},
      {"nvme path list", "olhba2:C0:T4:L0", "Target Transport Details", "Unavailable or path is unclaimed"},
      {"path list", "olhba2:C0:T4:L0", "Plugin", ""},
      // The NVMe list names the LUN a namespace ID and shows the ANA group.
      {"nvme path list", "olhba5:C0:T0:L1", "NSID", "3"},
      {"nvme path list", "olhba5:C0:T0:L1", "ANA group ID", "7"},
      {"path list", "olhba2:C0:T0:L1", "LUN", "3"},
      // path list reads display names from the host's map, keyed by canonical
      // name; the protocol lists ask the device itself.
      {"path list", "olhba2:C0:T0:L1", "Device Display Name", "Array LUN 1"},
      {"path list", "olhba2:C0:T5:L0", "Device", "olr.0200010000600a0b8000111111"},
      {"path list", "olhba2:C0:T5:L0", "Device Display Name", ""},
      {"scsi path list", "olhba2:C0:T5:L0", "Device Display Name", "Array LUN 1"},
      {"nvme path list", "olhba5:C0:T0:L1", "Device Display Name", "NVMe namespace 1"},
  };
  UseHostJson(SmallHost(
      {PathJson("olhba2:C0:T0:L1", kLun1, "olhba2", "NMP", R"(, "channel": 1, "target": 2, "lun": 3)"),
       PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP",
                R"(, "anaGroupId": 7, "channel": 0, "target": 0, "lun": 3)"),
       PathJson("olhba2:C0:T2:L5", "", "olhba2", "MASK_PATH", R"(, "state": "dead")"),
       PathJson("olhba9:C0:T0:L0", kLun1, "olhba9"), PathJson("olhba2:C0:T4:L0", "", "olhba2", ""),
       // Recorded under the device's second UID, which the display-name map does not carry.
       PathJson("olhba2:C0:T5:L0", "olr.0200010000600a0b8000111111", "olhba2")}));
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + c.runtimeName + " " + c.field);
    auto run = RunCommand(std::string("storage core ") + c.command);
    EXPECT_TRUE(run.errors.empty());
    std::string value = "<no row>";
    for (const Row &row : Rows(run.root))
      if (Text(row, "Runtime Name") == c.runtimeName)
        value = Field(row, c.field);
    EXPECT_EQ(value, c.expected);
  }
}

TEST(PathList, HostFailures) {
  struct Case {
    std::string command;
    std::string operation;
    std::string target;
    std::string error;
    std::vector<std::string> listed; // empty: no list at all
  };
  const std::string busy = "Operation List Paths Failed with error: storage stack busy";
  const std::vector<Case> cases = {
      // One path failing drops its record only.
      {"path list",
       "ScsiPath::GetTransportDetails",
       "olhba2:C0:T0:L1",
       "Error getting path informatin for olhba2:C0:T0:L1 Error was storage stack busy",
       {"olhba5:C0:T0:L1", "olhba2:C0:T2:L5"}},
      {"path list",
       "ScsiPath::GetDevice",
       "olhba2:C0:T2:L5",
       "Error getting path informatin for olhba2:C0:T2:L5 Error was storage stack busy",
       {"olhba2:C0:T0:L1", "olhba5:C0:T0:L1"}},
      {"scsi path list",
       "ScsiPath::GetScsiInterface",
       "olhba2:C0:T0:L1",
       "Error getting path informatin for olhba2:C0:T0:L1:storage stack busy",
       {"olhba2:C0:T2:L5"}},
      {"nvme path list",
       "ScsiPath::GetDevice",
       "olhba5:C0:T0:L1",
       "Error getting path informatin for olhba5:C0:T0:L1: storage stack busy",
       {"olhba2:C0:T2:L5"}},
      // Failures outside the loop lose the whole list.
      {"path list", "StorageInfo::GetScsiPaths", "", busy, {}},
      {"path list", "StorageInfo::GetDeviceDisplayNames", "", busy, {}},
      {"path list -p olhba2:C0:T0:L1", "StorageInfo::GetScsiPath", "", busy, {}},
      {"path list -d naa.600a0b80001111110000000000000001", "StorageInfo::GetLun", "", busy, {}},
      {"scsi path list", "StorageInfo::GetScsiPaths", "", "Failed to list paths: storage stack busy", {}},
      {"nvme path list -p olhba5:C0:T0:L1",
       "StorageInfo::GetScsiPath",
       "",
       "Failed to list paths: storage stack busy",
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " on " + c.command);
    UseHostJson(SmallHost({PathJson("olhba2:C0:T0:L1", kLun1, "olhba2"),
                           PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP"),
                           PathJson("olhba2:C0:T2:L5", "", "olhba2", "MASK_PATH")},
                          Fault(c.operation, c.target, "storage stack busy")));
    auto run = RunCommand("storage core " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(RootList(run.root) != nullptr, !c.listed.empty());
    EXPECT_EQ(Column(run.root, "Runtime Name"), c.listed);
  }
}

// Each step runs on the state the previous steps left: a later list must show
// every accepted change, and a refused one must change nothing.
TEST(PathSet, StateChangesPersistAndTheLastUsablePathIsKept) {
  struct Case {
    const char *options;
    const char *error;
    const char *checkedPath;
    const char *shownAfter;
  };
  const std::vector<Case> cases = {
      {"-p olhba2:C0:T0:L7 --state off", "", "olhba2:C0:T0:L7", "off"},
      {"-p olhba2:C0:T1:L7 --state off",
       "Unable to set path state. Error was: Cannot disable path olhba2:C0:T1:L7: it is the last usable path of "
       "device naa.600a0b80001111110000000000000002 and the device is in use.",
       "olhba2:C0:T1:L7", "active"},
      // Turning off a path that is already down takes nothing away.
      {"-p olhba2:C0:T3:L7 --state off", "", "olhba2:C0:T3:L7", "off"},
      {"-p uid-olhba2:C0:T0:L7 --state active", "", "olhba2:C0:T0:L7", "active"},
      {"-p olhba2:C0:T1:L7 --state off", "", "olhba2:C0:T1:L7", "off"},
      // Enabling lifts only an administrative "off"; a dead path stays dead.
      {"-p olhba2:C0:T4:L1 --state active", "", "olhba2:C0:T4:L1", "dead"},
      // A device nobody uses may lose its only path.
      {"-p olhba2:C0:T0:L1 --state off", "", "olhba2:C0:T0:L1", "off"},
      {"-p olhba2:C0:T0:L1 --state active", "", "olhba2:C0:T0:L1", "active"},
      {"-p olhba2:C0:T0:L1 --state active", "", "olhba2:C0:T0:L1", "active"},
      {"-p olhba2:C0:T9:L9 --state off", "Unable to find a path with the name olhba2:C0:T9:L9",
       "olhba2:C0:T0:L1", "active"},
  };
  UseHostJson(
      SmallHost({PathJson("olhba2:C0:T0:L7", kBusy, "olhba2"), PathJson("olhba2:C0:T1:L7", kBusy, "olhba2"),
                 PathJson("olhba2:C0:T0:L1", kLun1, "olhba2"),
                 PathJson("olhba2:C0:T3:L7", kBusy, "olhba2", "NMP", R"(, "state": "dead")"),
                 PathJson("olhba2:C0:T4:L1", kLun1, "olhba2", "NMP", R"(, "state": "dead")")}));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand(std::string("storage core path set ") + c.options);
    EXPECT_EQ(run.errors, *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
    EXPECT_EQ(Succeeded(run), !*c.error);
    EXPECT_EQ(run.root != nullptr, !*c.error);
    EXPECT_EQ(Column(RunCommand(std::string("storage core path list -p ") + c.checkedPath).root, "State"),
              std::vector<std::string>{c.shownAfter});
  }
}

TEST(PathSet, HostFailures) {
  struct Case {
    std::string operation;
    std::string target;
    std::string state;
  };
  for (const Case &c :
       {Case{"ScsiPath::SetState", "olhba2:C0:T0:L1", "off"}, Case{"ScsiPathImpl::GetPath", "", "active"}}) {
    SCOPED_TRACE(c.operation);
    UseHostJson(SmallHost({PathJson("olhba2:C0:T0:L1", kLun1, "olhba2")},
                          Fault(c.operation, c.target, "path is quiescing")));
    auto run = RunCommand("storage core path set -p olhba2:C0:T0:L1 --state " + c.state);
    EXPECT_EQ(run.errors, std::vector<std::string>{"Unable to set path state. Error was: path is quiescing"});
    EXPECT_FALSE(run.root);
    EXPECT_EQ(Column(RunCommand("storage core path list -p olhba2:C0:T0:L1").root, "State"),
              std::vector<std::string>{"active"});
  }
}

TEST(PathStats, SelectionAndFailures) {
  struct Case {
    std::string operation; // failing, with its target
    std::string target;
    std::string options;
    std::vector<std::string> errors;
    bool listSet;
    std::vector<std::string> listed;
  };
  const std::vector<Case> cases = {
      {"", "", "", {}, true, {"olhba2:C0:T0:L1", "olhba5:C0:T0:L1", "olhba2:C0:T4:L0"}},
      {"", "", "--path uid-olhba2:C0:T4:L0", {}, true, {"olhba2:C0:T4:L0"}},
      // An unknown name still leaves an empty list behind its message.
      {"", "", "-p olhba7:C0:T0:L0", {"Unable to find path with the name olhba7:C0:T0:L0"}, true, {}},
      {"ScsiPath::GetStats",
       "olhba5:C0:T0:L1",
       "",
       {"Unable to list SCSI Paths. counters unavailable"},
       false,
       {}},
      {"StorageInfo::GetScsiPaths", "", "", {"Unable to list SCSI Paths. counters unavailable"}, false, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options + c.operation);
    UseHostJson(SmallHost({PathJson("olhba2:C0:T0:L1", kLun1, "olhba2"),
                           PathJson("olhba5:C0:T0:L1", "eui.00000000000000a1", "olhba5", "HPP",
                                    R"(, "stats": {"successfulCommands": 101, "paeCommands": 115})"),
                           PathJson("olhba2:C0:T4:L0", "", "olhba2", "")},
                          c.operation.empty() ? "[]" : Fault(c.operation, c.target, "counters unavailable")));
    auto run = RunCommand("storage core path stats get " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(RootList(run.root) != nullptr, c.listSet);
    EXPECT_EQ(Column(run.root, "Runtime Name"), c.listed);
  }
  // The counters share the adapters' mapping; the path's own are shown.
  auto row = OnlyRow(RunCommand("storage core path stats get -p olhba5:C0:T0:L1").root);
  EXPECT_EQ(Text(row, "UID"), "uid-olhba5:C0:T0:L1");
  EXPECT_EQ(Number(row, "Successful Commands"), 101);
  EXPECT_EQ(Number(row, "PAE Commands"), 115);
  EXPECT_EQ(Number(row, "Blocks Read"), 0);
}

} // namespace
