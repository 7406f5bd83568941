// storage nmp device list / set, nmp path list and nmp psp fixed deviceconfig get / set.
#include "plugin/nmp/Results.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const std::string kSasDisk = "naa.5000c500a1b2c3d4";
const std::string kUsbBoot = "mpx.olhba1:C0:T0:L0";
const std::string kDgc = "naa.60060160a0b2320089abcdef01234567";
const std::string kEmc = "naa.60000970000197600123533030314241";
const std::string kHppDisk = "naa.5000c500d4e5f6a7";

Row NmpDevice(const std::string &device) {
  return OnlyRow(RunCommand("storage nmp device list -d " + device).root);
}

std::string Policy(const std::string &device) {
  Row row = NmpDevice(device);
  return Text(row, "Storage Array Type") + " " + Text(row, "Path Selection Policy");
}

Row Fixed(const std::string &device) {
  return OnlyRow(RunCommand("storage nmp psp fixed deviceconfig get -d " + device).root);
}

} // namespace

TEST(NmpDeviceListTest, RowsClassificationAndFilter) {
  UseProfile();
  auto run = RunCommand("storage nmp device list");
  ASSERT_TRUE(Listed(run));
  // Host order; the offline EMC device and the HPP devices are left out silently.
  EXPECT_EQ(Column(run.root, "Device"),
            (std::vector<std::string>{kSasDisk, kUsbBoot, kDgc, kEmc, "naa.600508b1001c5a2e9f0e1d2c3b4a5968",
                                      "naa.6006016048503200c0e4d3a2b1f0e9d8", "mpx.olhba0:C0:T4:L0",
                                      "naa.5000cca0b1c2e001", "naa.5000cca0b1c2e002", "naa.5000cca0b1c2e003",
                                      "naa.5000cca0b1c2e004", "naa.5000cca0b1c2e005", "naa.5000cca0b1c2e006",
                                      "naa.5000cca0b1c2e007"}));
  EXPECT_TRUE(run.errors.empty());

  Row sas = NmpDevice(kSasDisk);
  EXPECT_EQ(Field(sas, "Is Local SAS Device") + Field(sas, "Is USB") + Field(sas, "Is Boot USB Device"),
            "truefalsefalse");
  Row usb = NmpDevice(kUsbBoot);
  EXPECT_EQ(Field(usb, "Is Local SAS Device") + Field(usb, "Is USB") + Field(usb, "Is Boot USB Device"),
            "falsetruetrue");
  // The RAID volume is on a SAS adapter too, under the local SATP.
  EXPECT_EQ(Field(NmpDevice("naa.600508b1001c5a2e9f0e1d2c3b4a5968"), "Is Local SAS Device"), "true");

  Row dgc = NmpDevice(kDgc);
  EXPECT_EQ(Text(dgc, "Storage Array Type Device Config"), "followover=on;tpg=1:active,2:standby");
  EXPECT_EQ(Text(dgc, "Path Selection Policy Device Custom Config"), "policy=iops,iops=1");
  // Use-ANO: the active-unoptimized path works too, after the active ones.
  EXPECT_EQ(Texts(dgc, "Working Paths"), (std::vector<std::string>{"olhba2:C0:T0:L1", "olhba3:C0:T0:L1",
                                                                   "olhba64:C0:T0:L1", "olhba3:C0:T1:L1"}));
  EXPECT_EQ(Texts(NmpDevice(kEmc), "Working Paths"), std::vector<std::string>{"olhba3:C0:T0:L2"});

  struct Case {
    std::string options;
    std::vector<std::string> errors;
    size_t rows; // when the list is set
  };
  const std::vector<Case> cases = {
      {"-d " + kSasDisk, {}, 1},
      // Another UID of the device resolves, but only the exact name is kept.
      {"-d olr.02000000005000c500a1b2c3d4485831323030", {}, 0},
      {"-d " + kHppDisk, {}, 0},
      {"-d naa.nosuch", {"Unknown device naa.nosuch"}, 0},
      {"-d \"\"", {"Missing parameter for --device"}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto filtered = RunCommand("storage nmp device list " + c.options);
    EXPECT_EQ(filtered.errors, c.errors);
    if (c.errors.empty()) {
      EXPECT_EQ(Rows(filtered.root).size(), c.rows);
    } else {
      EXPECT_EQ(filtered.root, nullptr);
    }
  }

  UseProfile("empty");
  auto none = RunCommand("storage nmp device list");
  EXPECT_EQ(none.errors, std::vector<std::string>{"Could not find Native Multipathing Plugin"});
  EXPECT_EQ(none.root, nullptr);
}

TEST(NmpPathListTest, FiltersAndGroupStatesFollowPathState) {
  UseProfile();
  auto all = RunCommand("storage nmp path list");
  ASSERT_TRUE(Listed(all));
  // NMP paths of configured devices only: not the offline device's, not HPP's or the masked one
  // (twelve, and one for each of the seven flash-cache SSDs).
  EXPECT_EQ(Rows(all.root).size(), 19u);

  auto dgc = RunCommand("storage nmp path list -d " + kDgc);
  EXPECT_EQ(Column(dgc.root, "Group State"),
            (std::vector<std::string>{"active", "standby", "active", "active unoptimized", "active"}));
  EXPECT_EQ(Column(dgc.root, "Array Priority"), (std::vector<std::string>{"1", "0", "1", "2", "1"}));

  struct Case {
    std::string options;
    std::vector<std::string> errors;
    size_t rows;
  };
  const std::vector<Case> cases = {
      {"-p olhba2:C0:T0:L1", {}, 1},
      {"-p olhba2:C0:T0:L1 -d " + kEmc, {}, 0},
      {"-p olhba5:C0:T0:L1", {}, 0}, // an HPP path
      {"-p nosuch", {"Unknown Path nosuch"}, 0},
      // The device filter is not resolved: another UID matches nothing.
      {"-d olr.020001000060060160a0b2320089abcdef01234567565241494420", {}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp path list " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    if (c.errors.empty()) {
      EXPECT_EQ(Rows(run.root).size(), c.rows);
    }
  }

  ASSERT_TRUE(Succeeded(RunCommand("storage core path set -p olhba2:C0:T0:L1 --state off")));
  Row off = OnlyRow(RunCommand("storage nmp path list -p olhba2:C0:T0:L1").root);
  EXPECT_EQ(Text(off, "Group State"), "off");
  EXPECT_EQ(Texts(NmpDevice(kDgc), "Working Paths"),
            (std::vector<std::string>{"olhba3:C0:T0:L1", "olhba64:C0:T0:L1", "olhba3:C0:T1:L1"}));
}

TEST(NmpDeviceSetTest, MessagesAndResult) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    bool rootTrue;
  };
  const std::vector<Case> cases = {
      {"-d " + kEmc, {"Missing required parameter. Requires one of --psp or --default."}, true},
      {"-d " + kEmc + " -P TVX_PSP_RR -E", {"Only one of --psp or --default can be used"}, true},
      {"-d naa.nosuch -P TVX_PSP_RR", {"Unknown device naa.nosuch"}, true},
      {"-d naa.nosuch",
       {"Missing required parameter. Requires one of --psp or --default.", "Unknown device naa.nosuch"},
       true},
      {"-d " + kHppDisk + " -P TVX_PSP_RR",
       {"Device " + kHppDisk + " Not controlled by the NMP plugin"},
       true},
      {"-d " + kEmc + " -P NOPE",
       {"Error setting Path Selection Policy: The path selection policy NOPE is not loaded."},
       false},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp device set " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(ResultText(run), c.rootTrue ? "true" : "(none)");
  }
  EXPECT_EQ(Policy(kEmc), "TVX_SATP_SYMM TVX_PSP_FIXED");

  ASSERT_TRUE(Succeeded(RunCommand("storage nmp device set -d " + kEmc + " -P TVX_PSP_RR")));
  EXPECT_EQ(Policy(kEmc), "TVX_SATP_SYMM TVX_PSP_RR");
  // --default: the SATP's default PSP, which satp set changes.
  ASSERT_TRUE(RunCommand("storage nmp satp set -s TVX_SATP_SYMM -P TVX_PSP_MRU").errors.empty());
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp device set -d " + kEmc + " -E")));
  EXPECT_EQ(Policy(kEmc), "TVX_SATP_SYMM TVX_PSP_MRU");
  // The stored preferred path applies when the device takes Fixed again.
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp device set -d " + kEmc + " -P TVX_PSP_FIXED")));
  EXPECT_EQ(Text(Fixed(kEmc), "Preferred Path"), "olhba3:C0:T0:L2");
}

TEST(NmpFixedTest, GetShapesAndMessages) {
  struct Case {
    std::string device;
    std::vector<std::string> errors;
    std::string fields; // Device, Preferred Path, Configured Preferred Path
  };
  const std::string emcUid = "olr.020002000060000970000197600123533030314241535";
  const std::vector<Case> cases = {
      {"naa.nosuch", {"Unable to find device with the name naa.nosuch"}, "||"},
      {kHppDisk, {"Device " + kHppDisk + " Not controlled by the NMP plugin"}, "||"},
      {kDgc, {"Device " + kDgc + " Does not use the TVX_PSP_FIXED path selection policy."}, "||"},
      {kSasDisk, {}, kSasDisk + "||"},
      // "Device" is the name as typed.
      {emcUid, {}, emcUid + "|olhba3:C0:T0:L2|olhba3:C0:T0:L2"},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device);
    auto run = RunCommand("storage nmp psp fixed deviceconfig get -d " + c.device);
    EXPECT_EQ(run.errors, c.errors);
    Row row = OnlyRow(run.root); // the structure is set in every case
    EXPECT_EQ(Text(row, "Device") + "|" + Text(row, "Preferred Path") + "|" +
                  Text(row, "Configured Preferred Path"),
              c.fields);
  }
  InjectFault("FixedPathSelectionPolicyDeviceConfig::GetPreferredPath", kEmc, "busy");
  auto failed = RunCommand("storage nmp psp fixed deviceconfig get -d " + kEmc);
  EXPECT_EQ(failed.errors, std::vector<std::string>{"Unable to get SATP configuration: busy"});
  EXPECT_EQ(Text(OnlyRow(failed.root), "Device"), "");
}

TEST(NmpFixedTest, SetMessagesAndBothSides) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    bool rootTrue;
  };
  const std::vector<Case> cases = {
      {"-d " + kEmc, {"Missing required parameter. Requires one of --path or --default."}, true},
      {"-d " + kEmc + " -p olhba2:C0:T0:L2 -E", {"Only one of --path or --default can be used"}, true},
      {"-d naa.nosuch -p x", {"Unknown device naa.nosuch"}, false},
      {"-d " + kHppDisk + " -p x", {"Device " + kHppDisk + " Not controlled by the NMP plugin"}, true},
      {"-d " + kDgc + " -p olhba2:C0:T0:L1",
       {"Device " + kDgc + " Does not use the TVX_PSP_FIXED path selection policy."},
       true},
      {"-d " + kEmc + " -p olhba2:C0:T0:L1",
       {"Unable to set Fixed path policy preferred path : Path olhba2:C0:T0:L1 is not a path of device " +
        kEmc + "."},
       false},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp psp fixed deviceconfig set " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(ResultText(run), c.rootTrue ? "true" : "(none)");
  }

  // Runtime only, then the configuration too (by UID).
  ASSERT_TRUE(
      Succeeded(RunCommand("storage nmp psp fixed deviceconfig set -d " + kEmc + " -p olhba2:C0:T0:L2")));
  Row row = Fixed(kEmc);
  EXPECT_EQ(Text(row, "Preferred Path") + " " + Text(row, "Configured Preferred Path"),
            "olhba2:C0:T0:L2 olhba3:C0:T0:L2");
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp psp fixed deviceconfig set -d " + kEmc + " -E -g")));
  row = Fixed(kEmc);
  EXPECT_EQ(Text(row, "Preferred Path") + "|" + Text(row, "Configured Preferred Path"), "|");

  // On a round-robin device -g stores the path without the "Does not use"
  // error; it applies when the device takes Fixed.
  auto stored = RunCommand("storage nmp psp fixed deviceconfig set -d " + kDgc + " -p olhba3:C0:T0:L1 -g");
  EXPECT_TRUE(Succeeded(stored)) << (stored.errors.empty() ? "" : stored.errors.front());
  EXPECT_EQ(Policy(kDgc), "TVX_SATP_ALUA TVX_PSP_RR");
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp device set -d " + kDgc + " -P TVX_PSP_FIXED")));
  row = Fixed(kDgc);
  EXPECT_EQ(Text(row, "Preferred Path") + " " + Text(row, "Configured Preferred Path"),
            "olhba3:C0:T0:L1 olhba3:C0:T0:L1");
  EXPECT_EQ(Texts(NmpDevice(kDgc), "Working Paths"), std::vector<std::string>{"olhba3:C0:T0:L1"});
}

// NMP control follows claiming: a SATP device rule applies once the device is
// claimed again, and running the claim rules changes nothing for devices
// already configured.
TEST(NmpClaimingTest, SatpRulesApplyAtTheNextClaim) {
  const std::string raid = "naa.600508b1001c5a2e9f0e1d2c3b4a5968";
  const std::string rule = "-s TVX_SATP_DEFAULT_AP -d " + raid + " -P TVX_PSP_RR -O policy=bytes,bytes=4096";
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp satp rule add " + rule)));
  EXPECT_EQ(Policy(raid), "TVX_SATP_LOCAL TVX_PSP_FIXED");
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(Policy(raid), "TVX_SATP_LOCAL TVX_PSP_FIXED");
  EXPECT_EQ(Policy(kDgc), "TVX_SATP_ALUA TVX_PSP_RR");

  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming reclaim -d " + raid)));
  EXPECT_EQ(Policy(raid), "TVX_SATP_DEFAULT_AP TVX_PSP_RR");
  Row rr = OnlyRow(RunCommand("storage nmp psp roundrobin deviceconfig get -d " + raid).root);
  EXPECT_EQ(Text(rr, "Limit Type") + " " + Field(rr, "Byte Limit"), "Bytes 4096");

  // A released device loses its runtime configuration.
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming unclaim -t device -d " + raid)));
  auto gone = RunCommand("storage nmp device set -d " + raid + " -P TVX_PSP_MRU");
  EXPECT_EQ(gone.errors, std::vector<std::string>{"Device " + raid + " Not controlled by the NMP plugin"});

  // Without its device rule the volume is matched by the driver rule (before
  // the SAS transport rule), with the rule's options.
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp satp rule remove " + rule)));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming reclaim -d " + raid)));
  Row row = NmpDevice(raid);
  EXPECT_EQ(Text(row, "Storage Array Type") + " " + Text(row, "Storage Array Type Device Config") + " " +
                Text(row, "Path Selection Policy"),
            "TVX_SATP_LOCAL cache=on TVX_PSP_FIXED");

  // The PE reports target port groups: the first vendor rule with tpgs_on
  // (round robin, with default settings where the profile had the latency
  // policy).
  const std::string pe = "naa.6006016048503200c0e4d3a2b1f0e9d8";
  EXPECT_EQ(
      Text(OnlyRow(RunCommand("storage nmp psp roundrobin deviceconfig get -d " + pe).root), "Limit Type"),
      "Latency");
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming reclaim -d " + pe)));
  EXPECT_EQ(Policy(pe), "TVX_SATP_ALUA TVX_PSP_RR");
  EXPECT_EQ(
      Text(OnlyRow(RunCommand("storage nmp psp roundrobin deviceconfig get -d " + pe).root), "Limit Type"),
      "Default");
  // The EMC LUN's device rule gives Fixed with its preferred path.
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp psp fixed deviceconfig set -g -E -d " + kEmc)));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claiming reclaim -d " + kEmc)));
  EXPECT_EQ(Policy(kEmc), "TVX_SATP_SYMM TVX_PSP_FIXED");
  EXPECT_EQ(Text(Fixed(kEmc), "Preferred Path"), "olhba3:C0:T0:L2");
}
