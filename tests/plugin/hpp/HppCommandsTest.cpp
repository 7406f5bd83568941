// storage hpp device list / set / usermarkedssd list and hpp path list.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kLocalNvme = "eui.0025385b71b0d4e1";
const char *kSasSsd = "naa.5000cca0b1c2d3e4";
const char *kSasHdd = "naa.5000c500d4e5f6a7";
const char *kTcpNvme = "eui.3f4a5b6c7d8e9f00";

Row HppDevice(const std::string &device) {
  return OnlyRow(RunCommand("storage hpp device list -d " + device).root);
}

std::string Scheme(const std::string &device) {
  Row row = HppDevice(device);
  return Text(row, "Path Selection Scheme") + " " + Text(row, "Path Selection Scheme Config");
}

// Every check runs before the device is looked up, and each failing one adds
// its message.
TEST(HppDeviceSetTest, ValidationStopsBeforeTheDeviceLookUp) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"-I 5",
       {"One of the input options --pss, --mark-device-ssd, --use-ano, --mark-device-local must be "
        "specified."}},
      {"-P LB-RR -I 20000", {"--iops should be in the range 1 - 10000"}},
      {"-P LB-RR -B 104857601", {"--bytes should be in the range 1 - 104857600"}},
      {"-P LB-IOPS -B 10", {"Invalid option --bytes for pss."}},
      {"-P LB-Latency -T 9999", {"--latency-eval-time should be in the range 10000 - 300000"}},
      {"-P LB-Latency -T 300001", {"--latency-eval-time should be in the range 10000 - 300000"}},
      {"-P LB-Latency -T -5", {"--latency-eval-time should be in the range 10000 - 300000"}},
      {"-P LB-Latency -S 161", {"--sampling-ios-per-path should be in the range 16 - 160"}},
      {"-P LB-Latency -S -1 -T 5",
       {"--latency-eval-time should be in the range 10000 - 300000",
        "--sampling-ios-per-path should be in the range 16 - 160"}},
      {"-P LB-BYTES -p p1 -I 20000",
       {"Invalid option --iops for pss.", "Invalid option --path for pss.",
        "--iops should be in the range 1 - 10000"}},
      {"-P FIXED -I 5 -B 5 -S 20",
       {"Invalid option --iops for pss.", "Invalid option --bytes for pss.",
        "Invalid options --latency-eval-time and/or --sampling-ios-per-path for pss."}},
      {"-P LB-RR", {"Device not found."}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage hpp device set -d naa.nosuch " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.root, nullptr);
  }
  auto nmp = RunCommand("storage hpp device set -d naa.60060160a0b2320089abcdef01234567 -P LB-RR");
  EXPECT_EQ(nmp.errors, std::vector<std::string>{
                            "Device naa.60060160a0b2320089abcdef01234567 is not controlled by the HPP"});
}

TEST(HppDeviceSetTest, MarkingMatrix) {
  struct Case {
    std::string device;
    std::string options;
    std::string error;       // empty: applied
    std::string ssdAndLocal; // what the device reports afterwards
  };
  const std::vector<Case> cases = {
      {kSasSsd, "-M true", std::string("Device ") + kSasSsd + " is by default SSD", "true true"},
      {kSasSsd, "-M false", std::string("Marking SSD device ") + kSasSsd + " as HDD is not supported",
       "true true"},
      {kSasHdd, "-M false", std::string("Device ") + kSasHdd + " is by default HDD", "false true"},
      {kSasHdd, "-M true", "", "true true"},
      {kSasHdd, "-M false", "", "false true"}, // now in the list: unmarking applies
      {kSasHdd, "-L false", std::string("Device ") + kSasHdd + " is local by default", "false true"},
      {kSasHdd, "-L false -U true", std::string("Device ") + kSasHdd + " is local by default", "false true"},
      {kTcpNvme, "-M false", "", "false false"},
      {kTcpNvme, "-L true", "", "false true"},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device + " " + c.options);
    auto run = RunCommand("storage hpp device set -d " + c.device + " " + c.options);
    if (c.error.empty()) {
      EXPECT_TRUE(Succeeded(run));
      EXPECT_TRUE(run.errors.empty());
    } else {
      EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
      EXPECT_EQ(run.root, nullptr);
    }
    Row row = HppDevice(c.device);
    EXPECT_EQ(Field(row, "Is SSD") + " " + Field(row, "Is Local"), c.ssdAndLocal);
  }
  // Use-ANO stays untouched after the local refusal; the core device list
  // shows the marking too.
  EXPECT_EQ(Field(HppDevice(kSasHdd), "Use ANO"), "false");
  EXPECT_EQ(
      Field(OnlyRow(RunCommand(std::string("storage core device list -d ") + kTcpNvme).root), "Is Local"),
      "true");
  EXPECT_EQ(Column(RunCommand("storage hpp device usermarkedssd list").root, "Device UID"),
            (std::vector<std::string>{kTcpNvme, kSasHdd}));
}

// Given tunables are set; absent ones get the scheme's defaults, except that
// LB-Latency and LB-RR leave the other tunable alone when one is given.
TEST(HppDeviceSetTest, SchemeDefaultsAndRoundTrips) {
  struct Case {
    std::string device;
    std::string options;
    std::string scheme;
  };
  const std::vector<Case> cases = {
      {kLocalNvme, "-P LB-Latency -S 32", "LB-Latency latency-eval-time=30000,sampling-ios-per-path=32"},
      {kLocalNvme, "-P LB-Latency -T 40000", "LB-Latency latency-eval-time=40000,sampling-ios-per-path=32"},
      {kLocalNvme, "-P LB-Latency", "LB-Latency latency-eval-time=30000,sampling-ios-per-path=16"},
      {kLocalNvme, "-P LB-Latency -T 300000", "LB-Latency latency-eval-time=300000,sampling-ios-per-path=16"},
      {kLocalNvme, "-P LB-RR -I 20", "LB-RR iops=20,bytes=10485760"},
      {kLocalNvme, "-P LB-RR -B 4096", "LB-RR iops=20,bytes=4096"},
      {kLocalNvme, "-P LB-RR", "LB-RR iops=1000,bytes=10485760"},
      {kLocalNvme, "-P LB-IOPS", "LB-IOPS iops=1000"},
      {kLocalNvme, "-P LB-BYTES -B 77", "LB-BYTES bytes=77"},
      {kLocalNvme, "-P default", "LB-RR iops=1000,bytes=10485760"},
      {kSasSsd, "-P FIXED -p olhba0:C0:T3:L0", "FIXED path=olhba0:C0:T3:L0"},
      {kSasSsd, "-P FIXED", "FIXED "},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device + " " + c.options);
    EXPECT_TRUE(Succeeded(RunCommand("storage hpp device set -d " + c.device + " " + c.options)));
    EXPECT_EQ(Scheme(c.device), c.scheme);
  }
  auto other =
      RunCommand(std::string("storage hpp device set -d ") + kSasSsd + " -P FIXED -p olhba0:C0:T2:L0");
  EXPECT_EQ(other.errors,
            std::vector<std::string>{"Error setting Device Config: Path olhba0:C0:T2:L0 is not a path "
                                     "of device naa.5000cca0b1c2d3e4."});
}

// The preferred path is the current one while it can carry I/O; use-ANO adds
// active-unoptimized paths to the working set.
TEST(HppDeviceListTest, CurrentPathAndWorkingSet) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand(std::string("storage hpp device set -d ") + kSasSsd +
                                   " -P FIXED -p sas.500605b00d8e2a40-sas.5000cca0b1c2d3e6-" + kSasSsd)));
  EXPECT_EQ(Field(HppDevice(kSasSsd), "Current Path"), "olhba0:C0:T1:L0"); // preferred is standby
  ASSERT_TRUE(Succeeded(RunCommand(std::string("storage hpp device set -d ") + kTcpNvme + " -U false")));
  EXPECT_EQ(Field(HppDevice(kTcpNvme), "Working Path Set"), "olhba65:C0:T0:L7");
  ASSERT_TRUE(Succeeded(RunCommand("storage core path set -p olhba65:C0:T0:L7 --state off")));
  EXPECT_EQ(Field(HppDevice(kTcpNvme), "Current Path"), "");
  ASSERT_TRUE(Succeeded(RunCommand(std::string("storage hpp device set -d ") + kTcpNvme + " -U true")));
  EXPECT_EQ(Field(HppDevice(kTcpNvme), "Current Path"), "olhba65:C0:T1:L7");
}

TEST(HppDeviceListTest, DeviceFilterAndUncontrolledDevices) {
  UseProfile();
  EXPECT_EQ(Column(RunCommand("storage core device list").root, "Device").size(), 21u);
  auto otherUid = RunCommand("storage hpp device list -d olr.02000000005000cca0b1c2d3e4485331363030");
  ASSERT_TRUE(RootList(otherUid.root));
  EXPECT_EQ(RootList(otherUid.root)->Size(), 0u);
  EXPECT_EQ(RunCommand("storage hpp device list -d naa.x").errors,
            std::vector<std::string>{"Unknown device naa.x"});

  UseHostJson(PatchedProfile(R"({"hpp": {"devices": [{"device": "eui.0025385b71b0d4e1"}]}})"));
  auto run = RunCommand("storage hpp device list");
  EXPECT_EQ(Column(run.root, "Device"), std::vector<std::string>{kLocalNvme});
  EXPECT_EQ(run.errors, (std::vector<std::string>{
                            "Device Local HEXON SSD (naa.5000cca0b1c2d3e4) is not controlled by the HPP",
                            "Device Local TORAN Disk (naa.5000c500d4e5f6a7) is not controlled by the HPP",
                            "Device OLSTOR NVMe TCP Disk (eui.3f4a5b6c7d8e9f00) is not controlled by the HPP",
                            "Device backup-lun-07 is not controlled by the HPP",
                            "Device Local NVMe Disk (eui.0025385b71b0d4e2) is not controlled by the HPP"}));
}

TEST(HppPathListTest, Filters) {
  struct Case {
    std::string options;
    std::vector<std::string> runtimeNames;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"",
       {"olhba5:C0:T0:L1", "olhba0:C0:T1:L0", "olhba0:C0:T3:L0", "olhba0:C0:T2:L0", "olhba65:C0:T0:L7",
        "olhba65:C0:T1:L7"},
       {}},
      {"--type nvme", {"olhba5:C0:T0:L1", "olhba65:C0:T0:L7", "olhba65:C0:T1:L7"}, {}},
      {"-t scsi", {"olhba0:C0:T1:L0", "olhba0:C0:T3:L0", "olhba0:C0:T2:L0"}, {}},
      {"-d naa.5000cca0b1c2d3e4", {"olhba0:C0:T1:L0", "olhba0:C0:T3:L0"}, {}},
      {"-d olr.02000000005000cca0b1c2d3e4485331363030", {}, {}},
      {"-p olhba65:C0:T1:L7", {"olhba65:C0:T1:L7"}, {}},
      {"-p olhba2:C0:T0:L1", {}, {}}, // an NMP path
      {"-p olhba9:C0:T0:L0", {}, {"Unknown path olhba9:C0:T0:L0"}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage hpp path list " + c.options);
    EXPECT_EQ(Column(run.root, "Runtime Name"), c.runtimeNames);
    EXPECT_EQ(run.errors, c.errors);
  }
  EXPECT_EQ(
      Lines(RunCommand("storage hpp path list -p olhba65:C0:T1:L7").root, {"Path State", "Path Config"}),
      std::vector<std::string>{"active unoptimized | queue-depth=128,weight=1,ana-state=non-optimized"});
}

TEST(HppUserMarkedSsdTest, ExactDeviceFilter) {
  UseProfile();
  EXPECT_EQ(Column(RunCommand(std::string("storage hpp device usermarkedssd list -d ") + kTcpNvme).root,
                   "Device UID"),
            std::vector<std::string>{kTcpNvme});
  auto run = RunCommand(std::string("storage hpp device usermarkedssd list -d ") + kSasSsd);
  EXPECT_EQ(run.errors, std::vector<std::string>{
                            std::string("User Marked/Unmarked SSD List does not contain device ") + kSasSsd});
}

TEST(HppCommandsTest, HostFailuresAndNoHpp) {
  struct Case {
    std::string operation;
    std::string command;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"HppDeviceConfig::Set", std::string("device set -d ") + kLocalNvme + " -U true",
       "Error setting Device Config: boom"},
      {"StorageInfo::GetLun", std::string("device set -d ") + kLocalNvme + " -U true",
       "Error setting Device Config: boom"},
      {"HppPsaPlugin::GetUserMarkedSsdDevices", "device usermarkedssd list",
       "Failed to list user marked/unmarked SSD devices: boom"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    UseProfile();
    InjectFault(c.operation, "", "boom");
    auto run = RunCommand("storage hpp " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
  UseProfile("empty");
  for (const char *command :
       {"device list", "device set -d x -U true", "device usermarkedssd list", "path list"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(RunCommand(std::string("storage hpp ") + command).errors,
              std::vector<std::string>{"Could not find High Performance Plugin"});
  }
}

} // namespace
