// storage core claiming unclaim / reclaim / autoclaim.
#include "core/ClaimingCommands.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kSasSsd = "naa.5000cca0b1c2d3e4";
const char *kSasHdd = "naa.5000c500d4e5f6a7";

std::string PathPlugin(const std::string &path) {
  auto plugins = Column(RunCommand("storage core path list -p " + path).root, "Plugin");
  return plugins.size() == 1 ? plugins[0] : "<no row for " + path + ">";
}

std::vector<std::string> HppPaths() {
  return Column(RunCommand("storage hpp path list").root, "Runtime Name");
}

TEST(ClaimingUnclaimTest, RefusalsStopBeforeAnythingChanges) {
  struct Case {
    std::string options;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"-t path", "Missing required parameter --path when using --type 'path'"},
      {"-t driver", "Missing required parameter --driver when using --type 'driver'"},
      {"-t device", "Missing required parameter --device when using --type 'device'"},
      {"-t plugin", "Missing required parameter --plugin when using --type 'plugin'"},
      {"-t vendor", "Missing required parameters --vendor or --model when using --type 'vendor'"},
      {"-t vendor -c Filter", "Missing required parameters --vendor or --model when using --type 'vendor'"},
      {"-t path -p olhba9:C0:T0:L0", "Error: Path name olhba9:C0:T0:L0 is not known on this host."},
      {"-t device -d naa.nosuch", "Unable to find device with the name naa.nosuch on this host."},
      {"-t device -d naa.nosuch -c Filter", "Unable to find device with the name naa.nosuch on this host."},
      {"-t plugin -P HWAC_FILTER", "Unable to find multipath plugin with the name HWAC_FILTER on this host."},
      {"-t plugin -P TVX_PSP_RR", "Unable to find multipath plugin with the name TVX_PSP_RR on this host."},
      {"-t location -c Filter", "--claimrule-class=Filter can be only used with device or vendor types."},
      {"-t device -d x -c Filter -P NOSUCH",
       "Unable to find filter plugin with the name NOSUCH on this host."},
  };
  UseProfile();
  const std::vector<std::string> before = HppPaths();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core claiming unclaim " + c.options);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
  EXPECT_EQ(HppPaths(), before);
}

TEST(ClaimingUnclaimTest, VendorModelMatchPadsToTheDeviceWidth) {
  struct Case {
    std::string requested;
    std::string device;
    bool match;
  };
  const std::vector<Case> cases = {
      {"TORAN", "TORAN   ", true},     {"TORA", "TORAN   ", false},    {"toran", "TORAN   ", false},
      {"", "TORAN   ", true},          {"*", "TORAN   ", true},        {"TORAN   ", "TORAN   ", true},
      {"TORAN  X", "TORAN   ", false}, {"TORANTORAN", "TORAN", false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TarvexCli::Storage::ClaimingUnclaim::VendorModelMatch(c.requested, c.device), c.match)
        << "'" << c.requested << "' against '" << c.device << "'";
}

// Each type releases its paths: no plug-in, no transport details, gone from
// the HPP lists; a device left without claimed paths leaves them too.
TEST(ClaimingUnclaimTest, EachTypeReleasesItsPaths) {
  struct Case {
    std::string options;
    std::vector<std::string> released;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"-t path -p olhba0:C0:T2:L0", {"olhba0:C0:T2:L0"}, {}},
      {"-t location -A olhba65", {"olhba65:C0:T0:L7", "olhba65:C0:T1:L7"}, {}},
      {"-t location -A olhba0 -T 3", {"olhba0:C0:T3:L0"}, {}},
      {"-t location -A olhba99", {}, {"Invalid or unknown SCSI interface name olhba99."}},
      {"-t driver -D nvmetcp", {"olhba65:C0:T0:L7", "olhba65:C0:T1:L7"}, {}},
      {"-t device -d olr.02000000005000cca0b1c2d3e4485331363030", {"olhba0:C0:T1:L0", "olhba0:C0:T3:L0"}, {}},
      {"-t plugin -P HPP",
       {"olhba5:C0:T0:L1", "olhba0:C0:T1:L0", "olhba0:C0:T3:L0", "olhba0:C0:T2:L0", "olhba65:C0:T0:L7",
        "olhba65:C0:T1:L7"},
       {}},
      {"-t vendor -v TORAN", {"olhba0:C0:T2:L0"}, {}},
      {"-t vendor -v TORA", {}, {}},
      {"-t vendor -m HS1600SAS12SSD", {"olhba0:C0:T1:L0", "olhba0:C0:T3:L0"}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    std::vector<std::string> hppPaths = HppPaths();
    auto run = RunCommand("storage core claiming unclaim " + c.options);
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(run.errors, c.errors);
    for (const std::string &path : c.released) {
      Row row = OnlyRow(RunCommand("storage core path list -p " + path).root);
      EXPECT_EQ(Field(row, "Plugin"), "");
      EXPECT_EQ(Field(row, "Adapter Transport Details"), "Unavailable or path is unclaimed");
      std::erase(hppPaths, path);
    }
    EXPECT_EQ(HppPaths(), hppPaths);
  }
  UseProfile();
  const size_t hppDevices = Column(RunCommand("storage hpp device list").root, "Device").size();
  ASSERT_TRUE(Succeeded(RunCommand(std::string("storage core claiming unclaim -t device -d ") + kSasHdd)));
  EXPECT_EQ(Field(OnlyRow(RunCommand(std::string("storage core device list -d ") + kSasHdd).root),
                  "Multipath Plugin"),
            "");
  EXPECT_EQ(Column(RunCommand("storage hpp device list").root, "Device").size(), hppDevices - 1);
}

// A device in use keeps its last usable claimed path.
TEST(ClaimingUnclaimTest, DevicesInUseKeepTheirLastPath) {
  UseProfile();
  auto run = RunCommand("storage core claiming unclaim -t path -p olhba1:C0:T0:L0");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to unclaim path: Path olhba1:C0:T0:L0 is the last usable "
                                     "path of device mpx.olhba1:C0:T0:L0, which is in use."});
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(PathPlugin("olhba1:C0:T0:L0"), "NMP");

  auto all = RunCommand("storage core claiming unclaim -t plugin -P NMP");
  ASSERT_EQ(all.errors.size(), 1u);
  EXPECT_EQ(
      all.errors[0].rfind("Unable to perform unclaim. Error message was : Path olhba0:C0:T0:L0 is the last "
                          "usable path of device naa.5000c500a1b2c3d4, which is in use.",
                          0),
      0u);
  EXPECT_EQ(PathPlugin("olhba1:C0:T0:L0"), "NMP");
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L2"), "");
}

TEST(ClaimingUnclaimTest, FilterDetachAndReattach) {
  const std::string emc = "naa.60000970000197600123533030314241";
  auto filters = [&] {
    return Field(OnlyRow(RunCommand("storage core device list -d " + emc).root), "Attached Filters");
  };
  UseProfile();
  // Without -P every filter plug-in goes; I/O filters are no PSA plug-ins and stay.
  ASSERT_EQ(filters(), "olcrypt, ioprobe, HWAC_FILTER");
  EXPECT_TRUE(Succeeded(RunCommand("storage core claiming unclaim -t device -c Filter -d " + emc)));
  EXPECT_EQ(filters(), "olcrypt, ioprobe");
  EXPECT_TRUE(Succeeded(RunCommand("storage core claimrule run -c Filter -t device -d " + emc)));
  EXPECT_EQ(filters(), "olcrypt, ioprobe, HWAC_FILTER");
  EXPECT_TRUE(
      Succeeded(RunCommand("storage core claiming unclaim -t vendor -v EMC -c Filter -P HWAC_FILTER")));
  EXPECT_EQ(filters(), "olcrypt, ioprobe");
  auto again = RunCommand("storage core claiming unclaim -t device -c Filter -P HWAC_FILTER -d " + emc);
  EXPECT_EQ(again.errors,
            std::vector<std::string>{"Unable to unclaim Filters from device: Filter HWAC_FILTER is "
                                     "not attached to device " +
                                     emc + "."});
}

// An HPP rule with a configuration string, loaded, applies at the reclaim.
TEST(ClaimingReclaimTest, ReclaimFollowsTheLoadedRules) {
  UseProfile();
  ASSERT_TRUE(
      Succeeded(RunCommand("storage core claimrule add -r 110 -t vendor -V TORAN -M TR4000NM* -P HPP -g "
                           "pss=LB-Latency,latency-eval-time=40000,mark-device-ssd=true")));
  EXPECT_TRUE(Succeeded(RunCommand(std::string("storage core claiming reclaim -d ") + kSasHdd)));
  EXPECT_EQ(Field(OnlyRow(RunCommand(std::string("storage hpp device list -d ") + kSasHdd).root),
                  "Path Selection Scheme Config"),
            "iops=1000,bytes=10485760"); // not loaded yet
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
  EXPECT_TRUE(Succeeded(RunCommand(std::string("storage core claiming reclaim -d ") + kSasHdd)));
  EXPECT_EQ(Lines(RunCommand(std::string("storage hpp device list -d ") + kSasHdd).root,
                  {"Path Selection Scheme", "Path Selection Scheme Config", "Is SSD"}),
            std::vector<std::string>{"LB-Latency | latency-eval-time=40000,sampling-ios-per-path=16 | true"});
  EXPECT_EQ(Column(RunCommand("storage hpp device usermarkedssd list").root, "Device UID").back(), kSasHdd);
  EXPECT_EQ(RunCommand("storage core claiming reclaim -d naa.nosuch").errors,
            std::vector<std::string>{"Unknown Device name naa.nosuch"});
}

TEST(ClaimingReclaimTest, GoesOnAfterEachFailingPath) {
  const std::string tail =
      " on device naa.5000cca0b1c2d3e4 You will need to %s it manually using the appropriate commands or wait for "
      "periodic probe to reclaim it automatically.";
  auto message = [&](const std::string &start, const std::string &verb) {
    std::string text = tail;
    text.replace(text.find("%s"), 2, verb);
    return start + text;
  };
  UseProfile();
  InjectFault("ScsiPath::Unclaim", "olhba0:C0:T1:L0", "path busy");
  auto run = RunCommand(std::string("storage core claiming reclaim -d ") + kSasSsd);
  EXPECT_EQ(run.errors,
            std::vector<std::string>{message("Unable to unclaim path olhba0:C0:T1:L0", "unclaim")});
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(PathPlugin("olhba0:C0:T3:L0"), "HPP");
  // The device kept a claimed path all along, so its FIXED configuration stays.
  EXPECT_EQ(Field(OnlyRow(RunCommand(std::string("storage hpp device list -d ") + kSasSsd).root),
                  "Path Selection Scheme"),
            "FIXED");

  UseProfile();
  InjectFault("ScsiPath::RunClaim", "", "claiming paused");
  run = RunCommand(std::string("storage core claiming reclaim -d ") + kSasSsd);
  EXPECT_EQ(run.errors, (std::vector<std::string>{message("Unable to claim path olhba0:C0:T1:L0", "claim"),
                                                  message("Unable to claim path olhba0:C0:T3:L0", "claim")}));
  EXPECT_EQ(PathPlugin("olhba0:C0:T1:L0"), "");
}

// While MP autoclaiming is off, paths a rescan finds stay unclaimed until the
// rules are run or autoclaiming is switched on again.
TEST(ClaimingAutoClaimTest, ScopeAndEffect) {
  const std::string pending = "olhba64:C0:T1:L0";
  const std::string rescan = "storage core adapter rescan -A olhba64 -t add";
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled false")));
  ASSERT_TRUE(Succeeded(RunCommand(rescan)));
  EXPECT_EQ(PathPlugin(pending), "");
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(PathPlugin(pending), "NMP");

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled false -c all")));
  ASSERT_TRUE(Succeeded(RunCommand(rescan)));
  EXPECT_EQ(PathPlugin(pending), "");
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled true -c Filter")));
  EXPECT_EQ(PathPlugin(pending), "");
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled true -w")));
  EXPECT_EQ(PathPlugin(pending), "NMP");

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled false -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand(rescan)));
  EXPECT_EQ(PathPlugin(pending), "NMP");

  // "all" reaches every class in the host's order: a failing HWAC comes last.
  UseProfile();
  InjectFault("StorageInfo::SetPsaAutoClaiming", "HWAC", "boom");
  EXPECT_TRUE(Succeeded(RunCommand("storage core claiming autoclaim --enabled false")));
  auto all = RunCommand("storage core claiming autoclaim --enabled false -c all");
  EXPECT_EQ(all.errors,
            std::vector<std::string>{"Unable to change autoclaim state. Error message was : boom"});
  EXPECT_EQ(all.root, nullptr);
}

TEST(ClaimingCommandsTest, HostFailures) {
  struct Case {
    std::string operation;
    std::string command;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"StorageInfo::UnclaimPaths", "unclaim -t location",
       "Unable to perform unclaim. Error message was : boom"},
      {"LunImpl::GetLun", "unclaim -t device -d naa.5000c500d4e5f6a7",
       "Unable to perform unclaim. Error message was : boom"},
      {"ScsiPath::Unclaim", "unclaim -t device -d naa.5000c500d4e5f6a7", "Unable to unclaim device: boom"},
      {"PsaFilterPlugin::DetachFromDevice", "unclaim -t device -c Filter -d naa.5000c500d4e5f6a7",
       "Unable to unclaim Filters from device: boom"},
      {"StorageInfo::GetLun", "reclaim -d naa.5000c500d4e5f6a7",
       "Unable to perform reclaim. Error message was : boom"},
      {"Lun::Refresh", "reclaim -d naa.5000c500d4e5f6a7",
       "Unable to perform reclaim. Error message was : boom"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " " + c.command);
    UseProfile();
    InjectFault(c.operation, "", "boom");
    EXPECT_EQ(RunCommand("storage core claiming " + c.command).errors, std::vector<std::string>{c.error});
  }
}

} // namespace

namespace {

// The HPP reads the configuration string of the rule that claims a device:
// unknown keys and values outside their limits are left out, and a preferred
// path must be one of the device's.
TEST(ClaimingReclaimTest, ConfigurationStringOfTheClaimingRule) {
  struct Case {
    std::string config;
    std::string scheme; // scheme, its configuration, Is SSD, Is Local
  };
  const std::vector<Case> cases = {
      {"pss=LB-IOPS,iops=20000", "LB-IOPS | iops=1000 | false | true"},
      {"pss=FIXED,path=olhba0:C0:T1:L0", "FIXED |  | false | true"},
      {"pss=FIXED,path=olhba0:C0:T2:L0", "FIXED | path=olhba0:C0:T2:L0 | false | true"},
      {"mark-device-remote=true", "LB-RR | iops=1000,bytes=10485760 | false | false"},
      {"pss=LB-Latency,sampling-ios-per-path=20,colour=red",
       "LB-Latency | latency-eval-time=30000,sampling-ios-per-path=20 | false | true"},
      {"pss=bogus,iops=5,mark-device-ssd=true", "LB-RR | iops=5,bytes=10485760 | true | true"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.config);
    UseProfile();
    ASSERT_TRUE(Succeeded(RunCommand(
        "storage core claimrule add -r 110 -t vendor -V TORAN -P HPP --config-string " + c.config)));
    ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
    ASSERT_TRUE(Succeeded(RunCommand(std::string("storage core claiming reclaim -d ") + kSasHdd)));
    EXPECT_EQ(Lines(RunCommand(std::string("storage hpp device list -d ") + kSasHdd).root,
                    {"Path Selection Scheme", "Path Selection Scheme Config", "Is SSD", "Is Local"}),
              std::vector<std::string>{c.scheme});
  }
}

// A setting made with --cfg-file outlasts a release; others follow the rule
// at the next claim.
TEST(ClaimingReclaimTest, ConfigFileSettingsOutlastARelease) {
  for (bool cfgFile : {false, true}) {
    SCOPED_TRACE(cfgFile);
    UseProfile();
    const size_t hppDevices = Column(RunCommand("storage hpp device list").root, "Device").size();
    ASSERT_TRUE(Succeeded(RunCommand(std::string("storage hpp device set -d ") + kSasHdd +
                                     " -P LB-BYTES -B 512" + (cfgFile ? " --cfg-file" : ""))));
    ASSERT_TRUE(
        Succeeded(RunCommand("storage core claimrule add -r 110 -t vendor -V TORAN -P HPP -g pss=LB-IOPS")));
    ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
    ASSERT_TRUE(Succeeded(RunCommand(std::string("storage core claiming unclaim -t device -d ") + kSasHdd)));
    EXPECT_EQ(Column(RunCommand("storage hpp device list").root, "Device").size(), hppDevices - 1);
    ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
    EXPECT_EQ(Field(OnlyRow(RunCommand(std::string("storage hpp device list -d ") + kSasHdd).root),
                    "Path Selection Scheme Config"),
              cfgFile ? "bytes=512" : "iops=1000");
  }
}

} // namespace
