// storage core device smart ...: the rows smart get makes of a SMART record,
// the gathering switch, the daemon through the host's init script and the
// messages of every failure.
#include "support/TestHost.h"

#include <hostctl/Util.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const std::vector<std::string> kColumns = {"Parameter", "Value", "Threshold", "Worst", "Raw"};

// A host with one SMART drive, naa.s, whose record holds `parameters` (a JSON
// array), a USB stick without SMART and an offline drive.
std::string SmartHost(const std::string &parameters, bool gathering = true) {
  return R"({"schemaVersion": 1, "devices": [{"name": "naa.s", "uids": ["naa.s", "olr.s"]},
      {"name": "mpx.usb"}, {"name": "naa.off", "offline": true}],
    "smart": [{"name": "naa.s", "gathering": )" +
         std::string(gathering ? "true" : "false") + R"(, "parameters": )" + parameters +
         R"(}, {"name": "naa.off", "parameters": [{"index": 0, "value": 0, "flags": 1}]}]})";
}

TEST(DeviceSmartGetTest, RowsFromTheRecord) {
  struct Case {
    std::string name;
    std::string parameters;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"one valid value",
       R"([{"index": 4, "value": 1200, "worst": 7, "threshold": 8, "raw": 9, "flags": 1}])",
       {"Power-on Hours | 1200 | N/A | N/A | N/A"}},
      {"each word by its own bit",
       R"([{"index": 6, "value": 1, "worst": 2, "threshold": 3, "raw": 4, "flags": 6},
           {"index": 2, "value": 5, "worst": 6, "threshold": 7, "raw": 8, "flags": 15}])",
       {"Write Error Count | 5 | 7 | 6 | 8", "Reallocated Sector Count | N/A | 3 | 2 | N/A"}},
      {"a raw word alone makes no row",
       R"([{"index": 16, "raw": 37, "flags": 8}, {"index": 17, "worst": 1, "raw": 24, "flags": 10}])",
       {"Pending Sector Reallocation Count | N/A | N/A | 1 | 24"}},
      {"entries 7 and 9 are never shown",
       R"([{"index": 7, "value": 1, "flags": 15}, {"index": 9, "value": 2, "flags": 15},
           {"index": 10, "value": -5, "flags": 1}])",
       {"Write Sectors TOT Count | -5 | N/A | N/A | N/A"}},
      {"health first, in index order",
       R"([{"index": 18, "value": 3, "flags": 1}, {"index": 1, "value": 97, "flags": 1},
           {"index": 0, "value": 1, "worst": 5, "flags": 3}])",
       {"Health Status | WARNING | N/A | N/A | N/A", "Media Wearout Indicator | 97 | N/A | N/A | N/A",
        "Uncorrectable Sector Count | 3 | N/A | N/A | N/A"}},
      {"health needs its value bit", R"([{"index": 0, "value": 1, "flags": 14}])", {}},
      {"health OK", R"([{"index": 0, "value": 0, "flags": 1}])", {"Health Status | OK | N/A | N/A | N/A"}},
      {"health impending",
       R"([{"index": 0, "value": 2, "flags": 1}])",
       {"Health Status | IMPENDING FAILURE | N/A | N/A | N/A"}},
      {"health code 7",
       R"([{"index": 0, "value": 7, "flags": 1}])",
       {"Health Status | UNKNOWN | N/A | N/A | N/A"}},
      {"temperature 0 from entry 9",
       R"([{"index": 8, "value": 0, "threshold": 70, "flags": 5}, {"index": 9, "value": 35, "flags": 0}])",
       {"Drive Temperature | 35 | 70 | N/A | N/A"}},
      {"temperature of its own",
       R"([{"index": 8, "value": 41, "flags": 1}, {"index": 9, "value": 35, "flags": 1}])",
       {"Drive Temperature | 41 | N/A | N/A | N/A"}},
      {"temperature without a valid value",
       R"([{"index": 8, "value": 0, "worst": 50, "flags": 2},
           {"index": 9, "value": 35, "flags": 1}])",
       {"Drive Temperature | N/A | N/A | 50 | N/A"}},
      {"every named row",
       R"([)" +
           [] {
             std::string all;
             for (int i = 1; i <= 18; ++i)
               all += (i > 1 ? ", " : "") + std::string(R"({"index": )") + std::to_string(i) +
                      R"(, "flags": 1})";
             return all;
           }() +
           "]",
       {"Media Wearout Indicator | 0 | N/A | N/A | N/A", "Write Error Count | 0 | N/A | N/A | N/A",
        "Read Error Count | 0 | N/A | N/A | N/A", "Power-on Hours | 0 | N/A | N/A | N/A",
        "Power Cycle Count | 0 | N/A | N/A | N/A", "Reallocated Sector Count | 0 | N/A | N/A | N/A",
        "Drive Temperature | 0 | N/A | N/A | N/A", "Write Sectors TOT Count | 0 | N/A | N/A | N/A",
        "Read Sectors TOT Count | 0 | N/A | N/A | N/A", "Initial Bad Block Count | 0 | N/A | N/A | N/A",
        "Program Fail Count | 0 | N/A | N/A | N/A", "Erase Fail Count | 0 | N/A | N/A | N/A",
        "Uncorrectable Error Count | 0 | N/A | N/A | N/A",
        "Sector Reallocation Event Count | 0 | N/A | N/A | N/A",
        "Pending Sector Reallocation Count | 0 | N/A | N/A | N/A",
        "Uncorrectable Sector Count | 0 | N/A | N/A | N/A"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    UseHostJson(SmartHost(c.parameters));
    auto run = RunCommand("storage core device smart get -d olr.s");
    EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
    ASSERT_TRUE(RootList(run.root));
    EXPECT_EQ(Lines(run.root, kColumns), c.rows);
  }
}

TEST(DeviceSmartTest, GatheringSwitchRoundTrip) {
  UseHostJson(SmartHost(R"([{"index": 4, "value": 1200, "flags": 1}])"));
  auto text = [](const std::string &device) {
    auto run = RunCommand("storage core device smart status get -d " + device);
    EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
    return RootText(run.root);
  };
  EXPECT_EQ(text("naa.s"), "SMART stats gathering enabled.");
  EXPECT_TRUE(Succeeded(RunCommand("storage core device smart status set -d olr.s -e false")));
  EXPECT_EQ(text("naa.s"), "SMART stats gathering not enabled.");
  // The drive is not read while the host does not gather.
  EXPECT_EQ(RunCommand("storage core device smart get -d naa.s").errors,
            std::vector<std::string>{
                "Error getting Smart Parameters: SMART stats gathering is not enabled on device naa.s"});
  EXPECT_TRUE(Succeeded(RunCommand("storage core device smart status set -d naa.s --enabled yes")));
  EXPECT_EQ(text("olr.s"), "SMART stats gathering enabled.");
  EXPECT_EQ(Column(RunCommand("storage core device smart get -d naa.s").root, "Parameter"),
            std::vector<std::string>{"Power-on Hours"});
}

TEST(DeviceSmartTest, FailuresAndDevicesWithoutSmart) {
  struct Case {
    std::string command;
    std::string fault; // operation failing with "boom"; empty: none
    std::vector<std::string> errors;
  };
  const std::string noSmart = "Device mpx.usb does not support SMART";
  const std::vector<Case> cases = {
      {"smart get -d naa.x", "", {"Error getting Smart Parameters: Unable to find the device"}},
      {"smart get -d naa.off", "", {"Error getting Smart Parameters: Unable to find the device"}},
      {"smart get -d mpx.usb", "", {"Error getting Smart Parameters: " + noSmart}},
      {"smart get -d naa.s", "Lun::GetSmartParameters", {"Error getting Smart Parameters: boom"}},
      {"smart get -d naa.s", "LunImpl::GetLun", {"Error getting Smart Parameters: boom"}},
      {"smart status get -d naa.x", "", {"Unable to find device with name naa.x"}},
      {"smart status get -d naa.off", "", {"Unable to find device with name naa.off"}},
      {"smart status get -d mpx.usb", "", {noSmart}},
      {"smart status get -d naa.s", "Lun::IsSmartStatsEnabled", {"boom"}},
      {"smart status set -d naa.x -e true", "", {"Unable to find device with name naa.x"}},
      {"smart status set -d mpx.usb -e true", "", {"Error setting SMART status : " + noSmart}},
      {"smart status set -d naa.s -e false",
       "Lun::SetSmartStatsEnabled",
       {"Error setting SMART status : boom"}},
      {"smart status set -d naa.s -e false", "LunImpl::GetLun", {"Error setting SMART status : boom"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command + " " + c.fault);
    UseHostJson(SmartHost(R"([{"index": 4, "value": 1200, "flags": 1}])"));
    if (!c.fault.empty())
      InjectFault(c.fault, "", "boom");
    auto run = RunCommand("storage core device " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_FALSE(run.root) << "no result after a failure";
    // A failed switch changes nothing.
    OlkCtl::Sim::ClearFaults();
    EXPECT_EQ(RootText(RunCommand("storage core device smart status get -d naa.s").root),
              "SMART stats gathering enabled.");
  }
}

std::string DaemonStatus() {
  auto run = RunCommand("storage core device smart daemon status get");
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  return RootText(run.root);
}

// A daemon command that succeeded: a boolean without value, no message.
void ExpectBareResult(const CommandRun &run) {
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  auto result = std::dynamic_pointer_cast<CliKit::MetaObj::MetaBool>(run.root);
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->HasValue());
}

TEST(SmartDaemonTest, StartAndStopThroughTheInitScript) {
  UseProfile();
  EXPECT_EQ(DaemonStatus(), "Smartd is not running.");
  // Twice each: an init script succeeds when the daemon already is in that state.
  for (int i = 0; i < 2; ++i) {
    ExpectBareResult(RunCommand("storage core device smart daemon start"));
    EXPECT_EQ(DaemonStatus(), "Smartd is running.");
    EXPECT_EQ(HostCtl::Util::FindCartels("smartd", false).size(), 1u);
  }
  for (int i = 0; i < 2; ++i) {
    ExpectBareResult(RunCommand("storage core device smart daemon stop"));
    EXPECT_EQ(DaemonStatus(), "Smartd is not running.");
  }
  std::vector<std::string> lines;
  for (const ShellCall &call : TakeShellCalls()) {
    EXPECT_EQ(call.input, "");
    lines.push_back(call.command + " -> " + std::to_string(call.status));
  }
  EXPECT_EQ(lines,
            (std::vector<std::string>{"/etc/init.d/smartd start -> 0", "/etc/init.d/smartd start -> 0",
                                      "/etc/init.d/smartd stop -> 0", "/etc/init.d/smartd stop -> 0"}));
}

TEST(SmartDaemonTest, FailingScriptAndStatus) {
  struct Case {
    std::string command;
    std::string fault;
    std::string target;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"start", "Service::Start", "smartd", {"Could not start smartd."}},
      {"stop", "Service::Stop", "smartd", {"Could not stop smartd."}},
      {"start", "Service::Start", "hmgrd", {}},
      {"status get", "Util::FindCartels", "smartd", {"boom"}},
      {"status get", "Util::FindCartels", "hmgrd", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command + " " + c.fault + " " + c.target);
    UseProfile();
    InjectFault(c.fault, c.target, "boom");
    auto run = RunCommand("storage core device smart daemon " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(bool(run.root), c.errors.empty());
  }
  // Only the daemon itself counts, not a shell running a script of that name.
  UseHostJson(PatchedProfile(R"({"worlds": [{"id": 7, "name": "smartd", "script": true}]})"));
  EXPECT_EQ(DaemonStatus(), "Smartd is not running.");
}

} // namespace
