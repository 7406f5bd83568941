// storage core adapter rescan: argument rules, messages, and what a rescan
// changes on the host as later listings see it.
#include "support/TestHost.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kPendingDevice = "naa.6001405e2b7a94c1d3f04b8a9c5e7d21";
const char *kPendingPath = "olhba64:C0:T1:L0";
const char *kOfflineDevice = "naa.6000097000019760012353303031ffff";

bool Rescan(const std::string &options) {
  auto run = RunCommand("storage core adapter rescan " + options);
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  return Succeeded(run);
}

std::vector<std::string> DevicesOf(const std::string &adapter) {
  return Column(RunCommand("storage core adapter device list -A " + adapter).root, "Device UID");
}

TEST(AdapterRescanTest, ArgumentsRefusalsAndFailures) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    std::string fault; // operation failing on every adapter ("*")
  };
  const std::vector<Case> cases = {
      {"", {"Missing --adapter or --all option"}, ""},
      {"-t add --skip-claim", {"Missing --adapter or --all option"}, ""},
      {"-A olhba99", {"Unable to rescan adapter olhba99: no such adapter on this host"}, ""},
      {"-A olhba2 -t update -F", {}, ""},
      // "--all" wins over a named adapter, even one that does not exist.
      {"-A olhba99 --all", {}, ""},
      {"-a -t delete -S", {}, ""},
      {"--all",
       {"Unable to perform rescan operation. rescan in progress"},
       "StorageInfo::RescanScsiInterfaces"},
      // The fault names "*": a rescan of one adapter is not affected.
      {"-A olhba64", {}, "StorageInfo::RescanScsiInterfaces"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    if (!c.fault.empty())
      InjectFault(c.fault, "*", "rescan in progress");
    auto run = RunCommand("storage core adapter rescan " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(run.root != nullptr, c.errors.empty());
  }
  auto unknownType = RunCommand("storage core adapter rescan -A olhba2 -t everything");
  EXPECT_EQ(unknownType.status, CliKit::kExitUsage);
  EXPECT_FALSE(unknownType.execution.output) << "refused before the command runs";
}

TEST(AdapterRescanTest, AddDiscoversThePendingPathOfThatAdapterOnly) {
  UseProfile();
  ASSERT_TRUE(Rescan("-A olhba2 -t add"));
  EXPECT_FALSE(OlkCtl::Storage::StorageInfoImpl().GetScsiPath(kPendingPath)) << "another adapter's path";
  EXPECT_EQ(DevicesOf("olhba64"), std::vector<std::string>{"naa.60060160a0b2320089abcdef01234567"});
  EXPECT_TRUE(Rows(RunCommand(std::string("storage core device list -d ") + kPendingDevice).root).empty());

  ASSERT_TRUE(Rescan("-A olhba64 -t add"));
  EXPECT_EQ(DevicesOf("olhba64"),
            (std::vector<std::string>{kPendingDevice, "naa.60060160a0b2320089abcdef01234567"}));
  EXPECT_EQ(Rows(RunCommand(std::string("storage core device list -d ") + kPendingDevice).root).size(), 1u);
  auto path = OlkCtl::Storage::StorageInfoImpl().GetScsiPath(kPendingPath);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->GetDeviceName(), kPendingDevice);
  EXPECT_FALSE(path->GetPluginName().empty()) << "the new path is claimed by the loaded rules";

  // Discovered once: a second add finds nothing new.
  ASSERT_TRUE(Rescan("-A olhba64 -t add"));
  EXPECT_EQ(DevicesOf("olhba64").size(), 2u);

  UseProfile();
  ASSERT_TRUE(Rescan("-A olhba64 -t add --skip-claim"));
  path = OlkCtl::Storage::StorageInfoImpl().GetScsiPath(kPendingPath);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->GetPluginName(), "");
}

TEST(AdapterRescanTest, DeleteForgetsDeadPathsAndTheirOrphanDevices) {
  UseProfile();
  // Deleting on another adapter leaves olhba3's dead path alone.
  ASSERT_TRUE(Rescan("-A olhba2 -t delete"));
  ASSERT_TRUE(OlkCtl::Storage::StorageInfoImpl().GetLun(kOfflineDevice, true));

  ASSERT_TRUE(Rescan("-A olhba3 -t delete"));
  OlkCtl::Storage::StorageInfoImpl storage;
  EXPECT_FALSE(storage.GetScsiPath("olhba3:C0:T1:L3"));
  EXPECT_FALSE(storage.GetLun(kOfflineDevice, true));
  EXPECT_TRUE(storage.GetScsiPath("olhba3:C0:T0:L1")) << "live paths stay";

  // A device in use survives losing its last path.
  UseHostJson(R"({"schemaVersion": 1,
    "adapters": [{"name": "hba1", "transport": "fc", "linkState": "link-up"}],
    "devices": [{"name": "naa.busy", "inUse": true}, {"name": "naa.idle"}],
    "paths": [
      {"uid": "p1", "runtimeName": "hba1:C0:T0:L0", "device": "naa.busy", "adapter": "hba1", "plugin": "NMP",
       "state": "dead"},
      {"uid": "p2", "runtimeName": "hba1:C0:T0:L1", "device": "naa.idle", "adapter": "hba1", "plugin": "NMP",
       "state": "dead"}]})");
  ASSERT_TRUE(Rescan("-A hba1 -t delete"));
  OlkCtl::Storage::StorageInfoImpl after;
  EXPECT_TRUE(after.GetScsiPaths().empty());
  EXPECT_TRUE(after.GetLun("naa.busy", true));
  EXPECT_FALSE(after.GetLun("naa.idle", true));
}

TEST(AdapterRescanTest, UpdateMarksPathsOfALinkDownAdapterDead) {
  UseHostJson(R"({"schemaVersion": 1,
    "adapters": [{"name": "up", "transport": "fc", "linkState": "link-up"},
                 {"name": "down", "transport": "fcoe", "linkState": "link-down"}],
    "devices": [{"name": "naa.d"}],
    "paths": [
      {"uid": "p1", "runtimeName": "up:C0:T0:L0", "device": "naa.d", "adapter": "up", "plugin": "NMP"},
      {"uid": "p2", "runtimeName": "down:C0:T0:L0", "device": "naa.d", "adapter": "down", "plugin": "NMP"},
      {"uid": "p3", "runtimeName": "down:C0:T0:L1", "device": "naa.d", "adapter": "down", "plugin": "NMP",
       "state": "off"}]})");
  auto stateOf = [](const std::string &path) {
    return OlkCtl::Storage::StorageInfoImpl().GetScsiPath(path)->GetStateString();
  };
  // Updating another adapter changes nothing here.
  ASSERT_TRUE(Rescan("-A up -t update"));
  EXPECT_EQ(stateOf("down:C0:T0:L0"), "active");

  ASSERT_TRUE(Rescan("-A down -t update"));
  EXPECT_EQ(stateOf("down:C0:T0:L0"), "dead");
  EXPECT_EQ(stateOf("down:C0:T0:L1"), "off") << "an administratively disabled path stays off";
  EXPECT_EQ(stateOf("up:C0:T0:L0"), "active");

  // "all" updates and then forgets the dead path; the device keeps its live one.
  ASSERT_TRUE(Rescan("--all"));
  EXPECT_FALSE(OlkCtl::Storage::StorageInfoImpl().GetScsiPath("down:C0:T0:L0"));
  EXPECT_EQ(DevicesOf("up"), std::vector<std::string>{"naa.d"});
}

TEST(AdapterRescanTest, AllOnTheDefaultHost) {
  UseProfile();
  ASSERT_TRUE(Rescan("--all"));
  OlkCtl::Storage::StorageInfoImpl storage;
  // The FCoE adapter is down: its path is gone, the endpoint keeps its FC path.
  EXPECT_FALSE(storage.GetScsiPath("olhba4:C0:T0:L0"));
  EXPECT_TRUE(DevicesOf("olhba4").empty());
  EXPECT_TRUE(storage.GetLun("naa.6006016048503200c0e4d3a2b1f0e9d8", false));
  EXPECT_FALSE(storage.GetLun(kOfflineDevice, true));
  EXPECT_EQ(DevicesOf("olhba64").size(), 2u) << "the pending iSCSI device was added too";
}

} // namespace
