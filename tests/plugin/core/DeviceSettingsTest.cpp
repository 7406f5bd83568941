// storage core device set, setconfig, purge, inquirycache, latencythreshold and
// detached: validation order, what persists, and the host failures.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const std::string kLocalSas = "naa.5000c500a1b2c3d4";
const std::string kSan = "naa.60060160a0b2320089abcdef01234567"; // carries a mounted OLFS volume
const std::string kEmc = "naa.60000970000197600123533030314241";
const std::string kNvme = "eui.0025385b71b0d4e1";
const std::string kHpp = "naa.624a9370c1d2e3f4a5b6c7d8e9f00001";

std::string DeviceField(const std::string &device, const std::string &field) {
  return Field(OnlyRow(RunCommand("storage core device list -d " + device).root), field);
}

std::vector<std::string> DetachedUids() {
  return Column(RunCommand("storage core device detached list").root, "Device UID");
}

// Every check of the first step, in its order, before any host call: with the
// host's device look-up failing, the first violated rule still speaks.
TEST(DeviceSetTest, ValidationOrderBeforeTheHost) {
  struct Case {
    std::string options;
    std::string message;
  };
  const std::string none =
      "One of --name, --state, --queue-full-threshold, --queue-full-sample-size, "
      "--sched-num-req-outstanding, --data-integrity-enabled, --default-name, --led-state, "
      "--write-cache-enabled, --max-queue-depth must be specified.";
  const std::vector<Case> cases = {
      {"--no-persist", none},
      {"-f -L 5", none},
      {"-N -q 1", "--no-persist flag requires that --state be specified."},
      {"-s 4 -n a -D", "Both --queue-full-threshold and --queue-full-sample-size must be specified."},
      {"-n a -D -L 5", "Both --name and --default-name cannot be set together."},
      {"-L 5 -m 8", "--led-duration requires that --led-state be specified."},
      {"-m 8", "Unable to set device's set. Error was: injected failure"},
  };
  UseProfile();
  InjectFault("StorageInfo::GetLun");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core device set -d " + kLocalSas + " " + c.options);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.message});
    EXPECT_FALSE(run.root);
  }
}

// Settings read back through device list; a refused one names its setting.
TEST(DeviceSetTest, SettingsPersistAndRefusalsNameTheSetting) {
  struct Case {
    std::string options;
    std::string field;
    std::string value; // read back after the command
    std::string error; // empty: succeeds
  };
  const std::vector<Case> cases = {
      {"-n quorum", "Display Name", "quorum", ""},
      {"-D", "Display Name", "EMC Fibre Channel Disk (" + kEmc + ")", ""},
      {"-q 8 -s 32", "Queue Full Threshold", "8", ""},
      {"-q 40 -s 32", "Queue Full Threshold", "8",
       "Unable to set device's queue-full-threshold or queue-full-sample-size. Error was: Queue full threshold 40 "
       "exceeds the queue full sample size 32"},
      {"-m 1024", "Device Max Queue Depth", "1024", ""},
      {"-m 1025", "Device Max Queue Depth", "1024",
       "Unable to set device's max-queue-depth or current-queue-depth. Error was: Queue depth 1025 is outside the "
       "adapter's range 1 to 1024"},
      {"-O 1024", "No of outstanding IOs with competing worlds", "1024", ""},
      {"-m 16", "No of outstanding IOs with competing worlds", "16", ""},
      {"-O 17", "No of outstanding IOs with competing worlds", "16",
       "Unable to set device's sched-num-req-outstanding. Error was: Outstanding IOs 17 is outside the range 1 to "
       "16 (the device's max queue depth)"},
      {"-I false", "Protection Enabled", "false", ""},
      {"--state off -N", "Status", "off", ""},
      {"--state on", "Status", "on", ""},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core device set -d " + kEmc + " " + c.options);
    EXPECT_EQ(Succeeded(run), c.error.empty());
    EXPECT_EQ(run.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(DeviceField(kEmc, c.field), c.value);
  }
}

// The queue messages for an off or NVMe device let later settings run but
// keep the write cache untouched and set no result; state messages carry the
// device argument, LED and write-cache messages the identifier.
TEST(DeviceSetTest, QueueMessagesLetLaterSettingsRun) {
  UseProfile();
  const std::string nvmeUid = "olr.0100000000303032353338356237316230643465310000";
  auto run = RunCommand("storage core device set -d " + nvmeUid + " -q 8 -s 32 -m 100 -w true");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Cannot set queue-full-threshold or queue-full-sample-size for "
                                     "NVMe device: " +
                                     nvmeUid});
  EXPECT_FALSE(run.root);
  EXPECT_EQ(DeviceField(kNvme, "Device Max Queue Depth"), "100");

  InjectFault("Lun::EnableWriteCache", kSan); // would fail if the write cache were touched
  ASSERT_TRUE(Succeeded(RunCommand("storage core device set -d " + kSan + " --state off -f -N")));
  run = RunCommand("storage core device set -d " + kSan + " -q 8 -s 32 -O 4 -w true");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Cannot set queue-full-threshold or queue-full-sample-size for " + kSan +
                                     " when the device status is 'off'"});
  EXPECT_EQ(DeviceField(kSan, "No of outstanding IOs with competing worlds"), "4");

  // The LED fails on a SAN device; the command goes on but the write cache stays.
  run =
      RunCommand("storage core device set -d olr.02000000005000c500a1b2c3d4485831323030 -l locator -w true");
  EXPECT_TRUE(Succeeded(run)) << testing::PrintToString(run.errors);
  run = RunCommand("storage core device set -d " + kSan + " --state on -l error -w true");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to set LED state for device " + kSan + ": Device " + kSan +
                                     " has no LED: only local SAS and RAID devices have one"});
  EXPECT_EQ(DeviceField(kSan, "Status"), "on");
}

TEST(DeviceSetTest, MountedVolumeNeedsForce) {
  UseProfile();
  auto run = RunCommand("storage core device set -d " + kSan + " --state off");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to set device's status. Error was: Olfs volume mounted on "
                                     "device with name " +
                                     kSan});
  EXPECT_EQ(DeviceField(kSan, "Status"), "on");
  EXPECT_TRUE(Succeeded(RunCommand("storage core device set -d " + kSan + " --state off --force")));
  EXPECT_EQ(DeviceField(kSan, "Status"), "off");
}

// A persistent off, or --detached=true, puts a device on the detached list; on
// or --detached=false takes it off. A running-only change does not.
TEST(DetachedListTest, FollowsStateChanges) {
  UseProfile();
  const std::string old = "naa.60a98000572d54724a34655733506751";
  struct Step {
    std::string command;
    std::vector<std::string> detached;
  };
  const std::vector<Step> steps = {
      {"device set -d " + kEmc + " --state off -N", {old}},
      {"device set -d " + kEmc + " --state off", {old, kEmc}},
      {"device setconfig -d " + kHpp + " --detached=true", {old, kEmc, kHpp}},
      {"device set -d " + kEmc + " --state on", {old, kHpp}},
      {"device setconfig -d " + kHpp + " --detached=false", {old}},
      {"device detached remove -d " + old, {}},
  };
  for (const Step &step : steps) {
    SCOPED_TRACE(step.command);
    ASSERT_TRUE(Succeeded(RunCommand("storage core " + step.command)));
    EXPECT_EQ(DetachedUids(), step.detached);
  }
  EXPECT_EQ(DeviceField(kHpp, "Status"), "on");
}

TEST(DetachedListTest, RemoveAllGoesOnPastAFailingEntry) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core device set -d " + kEmc + " --state off")));
  InjectFault("LunImpl::RemoveDetachedEntry", "naa.60a98000572d54724a34655733506751", "entry locked");
  auto run = RunCommand("storage core device detached remove -a");
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(run.errors,
            std::vector<std::string>{
                "Unable to remove detached device naa.60a98000572d54724a34655733506751: entry locked"});
  EXPECT_EQ(DetachedUids(), std::vector<std::string>{"naa.60a98000572d54724a34655733506751"});
}

// Applied in order: a refused shared-clusterwide leaves an earlier setting applied.
TEST(DeviceSetConfigTest, PartialApplication) {
  UseProfile();
  auto run = RunCommand("storage core device setconfig -d " + kLocalSas +
                        " --shared-clusterwide=true --perennially-reserved=true");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Cannot set --shared-clusterwide=true for a local device"});
  EXPECT_FALSE(run.root);
  EXPECT_EQ(DeviceField(kLocalSas, "Is Perennially Reserved"), "true");

  EXPECT_TRUE(
      Succeeded(RunCommand("storage core device setconfig -d " + kSan + " --shared-clusterwide=false")));
  EXPECT_EQ(DeviceField(kSan, "Is Shared Clusterwide"), "false");
  EXPECT_TRUE(
      Succeeded(RunCommand("storage core device setconfig -d " + kSan + " --shared-clusterwide=true")));
  EXPECT_EQ(DeviceField(kSan, "Is Shared Clusterwide"), "true");
}

TEST(DevicePurgeTest, ByIntervalAndInactive) {
  const std::string offline = "naa.6000097000019760012353303031ffff";
  UseProfile();
  auto devices = [] { return Column(RunCommand("storage core device list").root, "Device"); };
  const size_t all = devices().size();
  ASSERT_TRUE(Succeeded(RunCommand("storage core device purge -i 30")));
  EXPECT_EQ(devices().size(), all) << "last seen 30 days ago is not longer than 30 days";
  ASSERT_TRUE(Succeeded(RunCommand("storage core device purge -i 29")));
  EXPECT_EQ(devices().size(), all - 1);
  EXPECT_EQ(RunCommand("storage core path list -p olhba3:C0:T1:L3").errors,
            std::vector<std::string>{"Unknown Path olhba3:C0:T1:L3"});

  // The advanced option gives the default interval.
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core device purge")));
  EXPECT_EQ(devices().size(), all - 1);

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core device set -d " + kEmc + " --state off -N")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core device purge -f")));
  EXPECT_EQ(devices().size(), all - 2);
  EXPECT_TRUE(RunCommand("storage core device list -d " + offline).errors.size() == 1);
  // What other families keep per device goes with it (a host file holding
  // entries of a device it no longer has would not validate).
  const auto state = nlohmann::json::parse(OlkCtl::Sim::CurrentStateJson());
  for (const char *family : {"hwac", "smart"})
    for (const auto &entry : state[family])
      EXPECT_NE(entry["name"], kEmc) << family;
}

// "exactly one" counts the four selectors only, and comes before the model and
// sub-vendor rules; a device whose plug-in has no fastpath still gives true.
TEST(LatencyThresholdTest, SelectorsAndFastpath) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    bool result;
    std::vector<std::string> set; // devices whose threshold is now 7
  };
  const std::string exactlyOne =
      "Exactly one of --device, --vendor, --nvme-controller-model or --pci-vendor-id must be specified.";
  const std::string fastpath = "This operation is applicable only for devices whose claiming MPP supports "
                               "fastpath. Failed to set latency sensitive threshold for some devices";
  const std::vector<Case> cases = {
      {"-m x", {exactlyOne}, false, {}},
      {"-s 1d78", {exactlyOne}, false, {}},
      {"-d " + kHpp + " -p 1d78", {exactlyOne}, false, {}},
      {"-d " + kHpp + " -m x", {"--vendor needs to be specified with --model."}, false, {}},
      {"-p 1d78 -m x", {"--vendor needs to be specified with --model."}, false, {}},
      {"-c x -s 1d79", {"--pci-vendor-id needs to be specified with --pci-sub-vendor-id"}, false, {}},
      {"-v \"*\"", {"Invalid value for --vendor"}, false, {}},
      {"-p 0", {"Invalid input for --pci-vendor-id"}, false, {}},
      {"-d naa.unknown", {"Unable to find device with name naa.unknown"}, false, {}},
      {"-v NOSUCH", {"No matching device(s) found."}, false, {}},
      {"-d " + kHpp, {}, true, {kHpp}},
      {"-c \"HEXON HXP7 1*\"", {}, true, {"eui.0025385b71b0d4e2"}},
      {"-p 1d78 -s 1d79", {}, true, {kNvme, "eui.0025385b71b0d4e2"}},
      {"-v PURA -m FlashArray", {}, true, {kHpp}},
      {"-v EMC*", {fastpath}, true, {}},
      {"-v NVMe", {}, true, {kNvme, "eui.3f4a5b6c7d8e9f00", "eui.0025385b71b0d4e2"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    RunCommand("storage core device latencythreshold set -d " + kNvme + " -t 20"); // profile value
    auto run = RunCommand("storage core device latencythreshold set -t 7 " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.result);
    std::vector<std::string> set;
    for (const Row &row : Rows(RunCommand("storage core device latencythreshold list").root))
      if (Number(row, "Latency Sensitive Threshold") == 7)
        set.push_back(Text(row, "Device"));
    EXPECT_EQ(set, c.set);
  }
}

TEST(InquiryCacheTest, SetSkipsNvmeAndListsBack) {
  UseProfile();
  auto run = RunCommand("storage core device inquirycache set --ignore true -d " + kNvme);
  EXPECT_EQ(run.errors, std::vector<std::string>{"This command is not supported by NVMe devices " + kNvme});
  EXPECT_TRUE(Succeeded(run));
  EXPECT_TRUE(Succeeded(RunCommand("storage core device inquirycache set --ignore true -d " + kSan)));
  EXPECT_EQ(Field(OnlyRow(RunCommand("storage core device inquirycache list -d " + kSan).root), "Ignore"),
            "true");
  EXPECT_EQ(Field(OnlyRow(RunCommand("storage core device inquirycache list -d " + kEmc).root), "Ignore"),
            "false");
  EXPECT_EQ(
      RunCommand("storage core device inquirycache set --ignore true -d " + kSan + " --apply-all").errors,
      std::vector<std::string>{"Exactly one of --device or --apply-all must be specified."});
}

// Host failures: the command's context text, then the host's, and no result.
TEST(DeviceSettingsTest, HostFailures) {
  struct Case {
    std::string operation;
    std::string command;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Lun::SetDisplayName", "device set -d " + kEmc + " -n x", "Unable to set device's name. Error was: "},
      {"Lun::ResetDisplayName", "device set -d " + kEmc + " -D",
       "Unable to set device's default name. Error was: "},
      {"Lun::SetState", "device set -d " + kEmc + " --state on",
       "Unable to set device's status. Error was: "},
      {"StorageInfo::IsOlfsVolumeMountedOnLun", "device set -d " + kEmc + " --state off",
       "Unable to set device's status. Error was: "},
      {"Lun::SetQueueFullThrottling", "device set -d " + kEmc + " -q 1 -s 2",
       "Unable to set device's queue-full-threshold or queue-full-sample-size. Error was: "},
      {"Lun::SetDataIntegrity", "device set -d " + kEmc + " -I true",
       "Unable to set device's data-integrity-enabled. Error was: "},
      {"LunImpl::GetLun", "device set -d " + kEmc + " -l off",
       "Unable to set LED state for device " + kEmc + ": "},
      {"Lun::DisableWriteCache", "device set -d " + kEmc + " -w false",
       "Unable to set write cache for device " + kEmc + ": "},
      {"LunImpl::SetPerenniallyReserved", "device setconfig -d " + kEmc + " --perennially-reserved=false",
       "Device configuration failed: "},
      {"Host::GetAdvancedOptions", "device purge", "Unable to purge stale LUN entries: "},
      {"StorageInfo::PurgeLunsNotSeen", "device purge -i 3", "Unable to purge stale LUN entries: "},
      {"Lun::GetInquiryCacheIgnore", "device inquirycache list",
       "Unable to list device inquiry cacheinformation: "},
      {"Lun::SetInquiryCacheIgnore", "device inquirycache set --ignore false --apply-all",
       "Unable to set device inquiry cache state: "},
      {"Lun::GetLatencySensitiveThreshold", "device latencythreshold list",
       "Unable to list latency sensitive threshold on device: "},
      {"Lun::SetLatencySensitiveThreshold", "device latencythreshold set -d " + kHpp + " -t 3",
       "Unable to set device's latency-sensitive-threshold. "},
      {"LunImpl::GetDetachedList", "device detached list", "Unable to list detached devices.  "},
      {"LunImpl::RemoveDetachedEntry", "device detached remove -d x",
       "Unable to remove detached device entry x Error was: "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    UseProfile();
    InjectFault(c.operation, "", "host failure");
    auto run = RunCommand("storage core " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.message + "host failure"});
    EXPECT_FALSE(run.root);
  }
}

} // namespace
