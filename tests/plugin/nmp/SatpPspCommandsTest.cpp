// storage nmp satp ... and storage nmp psp list / generic / roundrobin.
#include "plugin/nmp/Results.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const std::string kDgc = "naa.60060160a0b2320089abcdef01234567";
const std::string kEmc = "naa.60000970000197600123533030314241";
const std::string kHppDisk = "naa.5000c500d4e5f6a7";
const std::string kDgcPath = "olhba2:C0:T0:L1";

size_t RuleCount(const std::string &satp) {
  return Rows(RunCommand("storage nmp satp rule list -s " + satp).root).size();
}

Row RoundRobin(const std::string &device) {
  return OnlyRow(RunCommand("storage nmp psp roundrobin deviceconfig get -d " + device).root);
}

std::string RoundRobinText(const std::string &device) {
  Row row = RoundRobin(device);
  return Text(row, "Limit Type") + " " + Field(row, "I/O Operation Limit") + " " + Field(row, "Byte Limit") +
         " " + Field(row, "Use Active Unoptimized Paths") + " " +
         Field(row, "Number Of Sampling IOs Per Path") + " " + Field(row, "Latency Evaluation Interval");
}

} // namespace

TEST(SatpRuleAddTest, ChecksInOrder) {
  const std::string psp =
      "Plugin 'NOPE' is not a registered PSP. Please select a plugin from the list in "
      "'orlocli storage core plugin registration list -N PSP or use the --force option to "
      "force the use of this PSP.";
  const std::string satp =
      "Plugin 'NOPE' is not a registered SATP. Please select a plugin from the list in "
      "'orlocli storage core plugin registration list -N SATP' or use the --force option to "
      "force the use of this SATP.";
  const std::string exclusive =
      "--device, --vendor / --model / --claim-option, --driver and --transport options "
      "are mutually exclusive.";
  struct Case {
    std::string options;
    std::string error; // empty: added
  };
  const std::vector<Case> cases = {
      {"-s TVX_SATP_ALUA -o x",
       "Missing required parameter.  Must specify at least one of device, vendor, model, driver, transport or "
       "claim-option."},
      {"-s TVX_SATP_ALUA -V ACME -D drv", exclusive},
      {"-s TVX_SATP_ALUA -d " + kEmc + " -R fc", exclusive},
      {"-s TVX_SATP_ALUA -V ACME -t device",
       "--type option 'device' does not match --device, --vendor / --model, --driver and --transport options."},
      {"-s TVX_SATP_ALUA -M M1 -t driver",
       "--type option 'driver' does not match --device, --vendor / --model, --driver and --transport options."},
      {"-s TVX_SATP_ALUA -V ACME -O iops=1", "Must specify --psp with --psp-option"},
      {"-s NOPE -V ACME -O iops=1 -P NOPE", psp},
      {"-s TVX_SATP_ALUA -d naa.nosuch", "Unable to find device with the name naa.nosuch"},
      {"-s NOPE -V ACME", satp},
      {"-s TVX_SATP_ALUA -V ACME -M M1 -t vendor -o opt -P TVX_PSP_RR -O iops=5 -e Lab", ""},
      {"-s TVX_SATP_ALUA -V ACME -M M1 -t vendor -o opt -P TVX_PSP_RR -O iops=5 -e Lab",
       "Error adding SATP TVX_SATP_ALUA rule: Duplicate rule: SATP TVX_SATP_ALUA already has this rule."},
      {"-s TVX_SATP_ALUA -c tpgs_on -b", ""},                      // claim options alone: vendor/model group
      {"-s TVX_SATP_ALUA -d naa.nosuch -P NOPE -f -t device", ""}, // force skips every registration test
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    const size_t before = RuleCount("TVX_SATP_ALUA");
    auto run = RunCommand("storage nmp satp rule add " + c.options);
    if (c.error.empty()) {
      EXPECT_TRUE(Succeeded(run)) << (run.errors.empty() ? "" : run.errors.front());
      EXPECT_EQ(RuleCount("TVX_SATP_ALUA"), before + 1);
    } else {
      EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
      EXPECT_EQ(run.root, nullptr);
      EXPECT_EQ(RuleCount("TVX_SATP_ALUA"), before);
    }
  }
  auto rules = Rows(RunCommand("storage nmp satp rule list -s TVX_SATP_ALUA").root);
  ASSERT_EQ(rules.size(), 6u);
  EXPECT_EQ(Fields(rules[3]), (std::vector<std::pair<std::string, std::string>>{{"Name", "TVX_SATP_ALUA"},
                                                                                {"Device", ""},
                                                                                {"Vendor", "ACME"},
                                                                                {"Model", "M1"},
                                                                                {"Driver", ""},
                                                                                {"Transport", ""},
                                                                                {"Options", "opt"},
                                                                                {"Claim Options", ""},
                                                                                {"Default PSP", "TVX_PSP_RR"},
                                                                                {"PSP Options", "iops=5"},
                                                                                {"Description", "Lab"},
                                                                                {"Rule Group", "user"}}));
  EXPECT_EQ(Text(rules[4], "Rule Group"), "system");
  EXPECT_EQ(Text(rules[4], "Claim Options"), "tpgs_on");

  // A registered SATP that is not loaded is loaded by its first rule.
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp satp rule add -s OLSTOR_SATP_NVF -V OLSTOR")));
  EXPECT_EQ(Column(RunCommand("storage nmp satp list").root, "Name").back(), "OLSTOR_SATP_NVF");
}

TEST(SatpRuleRemoveTest, MessagesAndRemoval) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    bool rootTrue;
  };
  const std::vector<Case> cases = {
      {"-s TVX_SATP_SYMM",
       {"Missing required --satp-rule parameters. Must specify device, vendor, model, claim-option, driver or "
        "transport."},
       true},
      {"-s TVX_SATP_SYMM -d x -D y",
       {"--device, --vendor / --model / --claim-option, --driver and --transport options are mutually exclusive."},
       true},
      {"-s TVX_SATP_SYMM -R fc -t vendor",
       {"--type option 'vendor' does not match --device, --vendor / --model, --driver and --transport options."},
       true},
      {"-s TVX_SATP_SYMM -V EMC -P NOPE", {"Unknown PSP NOPE"}, true},
      {"-s NOPE -V EMC", {"Unknown SATP : NOPE"}, true},
      {"-s TVX_SATP_SYMM -V EMC -M SYMMETRIX",
       {"Error deleting SATP rule: SATP TVX_SATP_SYMM has no such rule."},
       false}, // the description and group count too
      {"-s TVX_SATP_SYMM -V EMC -M SYMMETRIX -e \"EMC SYMMETRIX\" -b", {}, true},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp satp rule remove " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(ResultText(run), c.rootTrue ? "true" : "(none)");
  }
  EXPECT_EQ(Column(RunCommand("storage nmp satp rule list -s TVX_SATP_SYMM").root, "Device"),
            std::vector<std::string>{kEmc});
  auto unknown = RunCommand("storage nmp satp rule list -s NOPE");
  EXPECT_EQ(unknown.errors, std::vector<std::string>{"Unable to find a SATP with the name NOPE"});
}

TEST(SatpSetTest, ResultTextAndRegistration) {
  struct Case {
    std::string options;
    std::string error;
    std::string result;
  };
  const std::vector<Case> cases = {
      {"-s TVX_SATP_ALUA -P NOPE",
       "Plugin 'NOPE' is not a registered PSP. Please select a plugin from the list in 'orlocli storage core plugin "
       "registered list -N PSP'.",
       ""},
      {"-s NOPE -P TVX_PSP_RR", "Plugin 'NOPE' is not a registered SATP.", ""},
      // Registered but not loaded: the host refuses.
      {"-s OLSTOR_SATP_NVF -P TVX_PSP_RR",
       "Unable to set default PSP for SATP. Error was : SATP OLSTOR_SATP_NVF is not loaded.", ""},
      {"-s TVX_SATP_ALUA -P TVX_PSP_RR -b", "", "Default PSP for TVX_SATP_ALUA is now TVX_PSP_RR"},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp satp set " + c.options);
    EXPECT_EQ(run.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(RootText(run.root), c.result);
    EXPECT_NE(run.root, nullptr) << "the string is set in every case";
  }
  auto satps = RunCommand("storage nmp satp list");
  EXPECT_EQ(Column(satps.root, "Default PSP")[1], "TVX_PSP_RR");
}

TEST(SatpConfigTest, DeviceAndPathRoundTrips) {
  UseProfile();
  // ALUA: the target port groups unless excluded; the option text round-trips.
  EXPECT_EQ(RootText(RunCommand("storage nmp satp generic deviceconfig get -d " + kDgc).root),
            "followover=on;tpg=1:active,2:standby");
  ASSERT_TRUE(
      Succeeded(RunCommand("storage nmp satp generic deviceconfig set -d " + kDgc + " -c followover=off")));
  EXPECT_EQ(RootText(RunCommand("storage nmp satp generic deviceconfig get -e -d " + kDgc).root),
            "followover=off");
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp satp generic pathconfig set -p " + kDgcPath + " -c tpg=9")));
  EXPECT_EQ(RootText(RunCommand("storage nmp satp generic pathconfig get -p " + kDgcPath).root), "tpg=9");
  EXPECT_EQ(Text(OnlyRow(RunCommand("storage nmp path list -p " + kDgcPath).root),
                 "Storage Array Type Path Config"),
            "tpg=9");

  struct Case {
    std::string line;
    std::string error;
    std::string root; // the string (gets) or "true" (sets)
  };
  const std::vector<Case> cases = {
      {"satp generic deviceconfig get -d \"\"", "", ""},
      {"satp generic deviceconfig get -d naa.nosuch", "Unable to find device with the name naa.nosuch", ""},
      {"satp generic deviceconfig get -d " + kHppDisk,
       "Device " + kHppDisk + " Not controlled by the NMP plugin", ""},
      {"satp generic deviceconfig set -c x", "Must specify --device.", "true"},
      {"satp generic deviceconfig set -c x -d naa.nosuch", "Unable to find device with the name naa.nosuch",
       "true"},
      {"satp generic pathconfig get -p \"\"", "Must specify --path.", ""},
      {"satp generic pathconfig get -p nosuch", "Unable to find path with the name nosuch", ""},
      {"satp generic pathconfig get -p olhba5:C0:T0:L1", "Path olhba5:C0:T0:L1 is not claimed by NMP", ""},
      {"satp generic pathconfig set -p olhba5:C0:T0:L1 -c x", "Path olhba5:C0:T0:L1 is not claimed by NMP",
       "true"},
      {"psp generic deviceconfig get -d naa.nosuch", "Unable to find device with the name naa.nosuch", ""},
      {"psp generic deviceconfig set -d " + kHppDisk + " -c x",
       "Device " + kHppDisk + " Not controlled by the NMP plugin", "true"},
      {"psp generic deviceconfig set -d " + kEmc + " -c iops=3",
       "Unable to set PSP configuration: The path selection policy TVX_PSP_FIXED has no setting 'iops=3'.",
       "(none)"},
      {"psp generic pathconfig get -p nosuch", "Unable to find path with the name nosuch", ""},
      {"psp generic pathconfig set -p olhba5:C0:T0:L1 -c x", "Path olhba5:C0:T0:L1 is not claimed by NMP",
       "true"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    auto run = RunCommand("storage nmp " + c.line);
    EXPECT_EQ(run.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(ResultText(run), c.root);
  }
}

TEST(PspTest, ListAndGenericRoundTrips) {
  UseProfile();
  EXPECT_EQ(Column(RunCommand("storage nmp psp list").root, "Name"),
            (std::vector<std::string>{"TVX_PSP_FIXED", "TVX_PSP_MRU", "TVX_PSP_RR"}));

  ASSERT_TRUE(
      Succeeded(RunCommand("storage nmp psp generic deviceconfig set -d " + kDgc + " -c iops=7,useANO=0")));
  EXPECT_EQ(RootText(RunCommand("storage nmp psp generic deviceconfig get -d " + kDgc).root),
            "policy=iops,iops=7,bytes=10485760,useANO=0");
  EXPECT_EQ(RoundRobinText(kDgc), "Iops 7 10485760 false 0 0");
  ASSERT_TRUE(
      Succeeded(RunCommand("storage nmp psp generic pathconfig set -p " + kDgcPath + " -c weight=3")));
  EXPECT_EQ(RootText(RunCommand("storage nmp psp generic pathconfig get -p " + kDgcPath).root), "weight=3");

  // With -g a device under another plug-in keeps the text without the
  // "Not controlled" error; a path of another plug-in likewise.
  auto stored = RunCommand("storage nmp psp generic deviceconfig set -g -d " + kHppDisk + " -c policy=bytes");
  EXPECT_TRUE(Succeeded(stored)) << (stored.errors.empty() ? "" : stored.errors.front());
  EXPECT_TRUE(Succeeded(RunCommand("storage nmp psp generic pathconfig set -g -p olhba5:C0:T0:L1 -c x")));
}

TEST(RoundRobinTest, SetValidationBeforeTheDevice) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
  };
  const std::string noLatency =
      "Cannot set --latency-eval-time or --num-sampling-cycles without --type=latency";
  const std::vector<Case> cases = {
      {"", {"Either --type and/or --useano must be specified"}},
      {"-t bytes -I 5", {"Invalid option for --type bytes."}},
      {"-t iops -B 5", {"Invalid option for --type iops."}},
      {"-t default -I 5", {"Invalid option for --type default."}},
      {"-t latency -B 5", {"Invalid option for --type latency."}},
      {"-t iops -T 30000", {noLatency}},
      {"-t default -B 1 -S 16", {"Invalid option for --type default.", noLatency}},
      {"-t iops", {"Unknown device naa.nosuch"}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp psp roundrobin deviceconfig set -d naa.nosuch " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.root, nullptr);
  }
  // The parameter ranges refuse before the command runs.
  for (const char *options : {"-t iops -I 0", "-t latency -T 29999", "-t latency -S 15"}) {
    SCOPED_TRACE(options);
    EXPECT_EQ(
        RunCommand("storage nmp psp roundrobin deviceconfig set -d " + kDgc + " " + std::string(options))
            .status,
        CliKit::kExitUsage);
  }
}

TEST(RoundRobinTest, SetThenGet) {
  struct Case {
    std::string options;
    std::string result; // RoundRobinText afterwards
  };
  const std::vector<Case> cases = {
      {"-t bytes -B 4096 -I 9", "Bytes 1 4096 true 0 0"}, // the iops value is ignored
      {"-t iops -I 2147483647", "Iops 2147483647 4096 true 0 0"},
      {"-U false", "Iops 2147483647 4096 false 0 0"},
      {"-t latency -S 16 -T 30000", "Latency 2147483647 4096 false 16 30000"},
      {"-t default", "Default 1000 10485760 false 0 0"},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage nmp psp roundrobin deviceconfig set -d " + kDgc + " " + c.options);
    EXPECT_TRUE(Succeeded(run)) << (run.errors.empty() ? "" : run.errors.front());
    EXPECT_EQ(RoundRobinText(kDgc), c.result);
  }
  // An absent --bytes reaches the host as 0, which it refuses.
  auto zero = RunCommand("storage nmp psp roundrobin deviceconfig set -d " + kDgc + " -t bytes");
  EXPECT_EQ(zero.errors,
            std::vector<std::string>{"Unable to set Round Robin path policy parameters: The round "
                                     "robin byte limit must be at least 1."});

  struct Refusal {
    std::string device;
    std::string options;
    std::vector<std::string> errors;
    std::string root;
  };
  const std::vector<Refusal> refusals = {
      {kEmc, "-U true", {"Device " + kEmc + " does not use the Round Robin Path Selection Policy."}, "true"},
      {kHppDisk, "-U true", {"Device " + kHppDisk + " Not controlled by the NMP plugin"}, "true"},
      {kEmc, "-U true -g", {}, "true"}, // stored for when the device takes round robin
  };
  for (const Refusal &r : refusals) {
    SCOPED_TRACE(r.device + " " + r.options);
    auto run = RunCommand("storage nmp psp roundrobin deviceconfig set -d " + r.device + " " + r.options);
    EXPECT_EQ(run.errors, r.errors);
    EXPECT_EQ(ResultText(run), r.root);
  }
  auto get = RunCommand("storage nmp psp roundrobin deviceconfig get -d " + kEmc);
  EXPECT_EQ(get.errors, std::vector<std::string>{"Device " + kEmc +
                                                 " Does not use the Round Robin path selection policy."});
  EXPECT_EQ(Text(OnlyRow(get.root), "Device"), "");
  ASSERT_TRUE(Succeeded(RunCommand("storage nmp device set -d " + kEmc + " -P TVX_PSP_RR")));
  EXPECT_EQ(RoundRobinText(kEmc), "Default 1000 10485760 true 0 0");
}

// Every host failure reaches its command's context text.
TEST(NmpFaultTest, HostFailuresCarryTheContext) {
  struct Case {
    std::string operation;
    std::string line;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"NmpPsaPlugin::GetDevices", "device list", "Unable to list NMP controlled devices: "},
      {"NmpPsaPlugin::GetPaths", "path list", "Unable to list NMP claimed paths: "},
      {"NmpPsaPlugin::GetStorageArrayTypes", "satp list", "Unable to list SATPs: "},
      {"StorageArrayType::GetClaimRules", "satp rule list", "Unable to list SATPs: "},
      {"NmpPsaPlugin::GetPathSelectionPolicies", "psp list", "Unable to list PSPs: "},
      {"StorageArrayType::SetDefaultPathSelectionPolicyName", "satp set -s TVX_SATP_ALUA -P TVX_PSP_RR",
       "Unable to set default PSP for SATP. Error was : "},
      {"StorageArrayType::AddClaimRule", "satp rule add -s TVX_SATP_ALUA -V X",
       "Error adding SATP TVX_SATP_ALUA rule: "},
      {"StorageArrayType::RemoveClaimRule", "satp rule remove -s TVX_SATP_ALUA -V X",
       "Error deleting SATP rule: "},
      {"NmpDeviceConfig::GetStorageArrayTypeOptionString", "satp generic deviceconfig get -d " + kDgc,
       "Unable to get SATP configuration: "},
      {"NmpDeviceConfig::SetStorageArrayTypeOptionString", "satp generic deviceconfig set -c x -d " + kDgc,
       "Unable to set SATP configuration: "},
      {"NmpScsiPathConfig::GetConfigString", "satp generic pathconfig get -p " + kDgcPath,
       "Unable to get SATP configuration: "},
      {"NmpScsiPathConfig::SetConfigString", "satp generic pathconfig set -c x -p " + kDgcPath,
       "Unable to set SATP configuration: "},
      {"NmpDeviceConfig::SetPathSelectionPolicy", "device set -P TVX_PSP_MRU -d " + kDgc,
       "Error setting Path Selection Policy: "},
      {"NmpDeviceConfig::ResetPathSelectionPolicy", "device set -E -d " + kDgc,
       "Error setting Path Selection Policy: "},
      {"PathSelectionPolicyDeviceConfig::GetConfigString", "psp generic deviceconfig get -d " + kDgc,
       "Unable to get PSP configuration: "},
      {"PathSelectionPolicyDeviceConfig::SetConfigString",
       "psp generic deviceconfig set -c iops=2 -d " + kDgc, "Unable to set PSP configuration: "},
      {"NmpScsiPathConfig::GetConfigString", "psp generic pathconfig get -p " + kDgcPath,
       "Unable to get PSP configuration: "},
      {"NmpScsiPathConfig::SetConfigString", "psp generic pathconfig set -c x -p " + kDgcPath,
       "Unable to set PSP configuration: "},
      {"FixedPathSelectionPolicyDeviceConfig::SetPreferredPath", "psp fixed deviceconfig set -E -d " + kEmc,
       "Unable to set Fixed path policy preferred path : "},
      {"RoundRobinPathSelectionPolicyDeviceConfig::Get", "psp roundrobin deviceconfig get -d " + kDgc,
       "Unable to get Round Robin configuration: "},
      {"RoundRobinPathSelectionPolicyDeviceConfig::Set", "psp roundrobin deviceconfig set -U true -d " + kDgc,
       "Unable to set Round Robin path policy parameters: "},
      {"LunImpl::GetLun", "psp roundrobin deviceconfig get -d " + kDgc,
       "Unable to get Round Robin configuration: "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + ": " + c.line);
    UseProfile();
    InjectFault(c.operation, "", "host busy");
    auto run = RunCommand("storage nmp " + c.line);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error + "host busy"});
  }
}
