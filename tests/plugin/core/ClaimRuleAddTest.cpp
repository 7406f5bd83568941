// storage core claimrule add: its checks in order, the XCOPY limits, what a
// stored rule looks like, and every example of its help.
#include "ClaimRuleTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ClaimRuleTests;
using TestSupport::Errors;

namespace {

const char *kNotRegistered =
    "Plugin 'HWAC_FILTER' is not a registered MP plugin.  To perform this command and skip "
    "the check for a registered plugin use the --force option to force the use of this "
    "plugin name.";
const char *kBadAdapter =
    "Invalid or unknown SCSI interface name olhba99. If the driver is not loaded or this adapter "
    "does not exist yet you may  override this check with the  --force option to force the use "
    "of this adapter name.";
const char *kMissingVendor =
    "Missing --vendor or --model or --nvme-controller-model or --pci-vendor-id or "
    "--pci-sub-vendor-id parameters for --type=vendor. Note: --nvme-controller-model option "
    "to be specified only in case of NVMe devices.";
const char *kControllerAndPci =
    "Only one of --nvme-controller-model or --pci-vendor-id/--pci-sub-vendor-id should be specified.";
const char *kKiBRange =
    "Invalid data constraint for parameter --xcopy-max-transfer-size-kib. Expected integer in the "
    "range 4 to 30720 without --xcopy-use-multi-segs";
const char *kMBRange =
    "Invalid data constraint for parameter --xcopy-max-transfer-size. Expected integer in the "
    "range 1 to 30 without --xcopy-use-multi-segs";

// Each case fails exactly one check; the case before it passes that check.
// Several cases also break a later check, to show which one comes first.
TEST(ClaimRuleAddTest, EachCheckFailsWithItsMessageAndAddsNothing) {
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"-t", "transport", "-R", "fc", "-P", "NMP"}, "Must specify one of --autoassign or --rule."},
      {{"-r", "500", "-u", "-P", "bogus"}, "Cannot specify both --autoassign and --rule."},
      {{"-r", "100", "-P", "bogus"},
       "The rule id is outside of the public id range (101-65435). Choose a different rule id or use "
       "--force-reserved to force."},
      {{"-r", "65436", "-t", "transport", "-R", "fc", "-P", "NMP"},
       "The rule id is outside of the public id range (101-65435). Choose a different rule id or use "
       "--force-reserved to force."},
      {{"-r", "500", "-t", "transport", "-R", "fc"}, "Invalid Plugin name. Plugin cannot be empty."},
      {{"-r", "500", "-t", "transport", "-R", "fc", "-P", "HWAC_FILTER"}, kNotRegistered},
      {{"-r", "500", "-t", "vendor", "-V", "X", "-P", "TVX_HWACP_T10", "-c", "HWAC", "-g", "a=b"},
       "--config-string is applicable for 'MP' class"},
      {{"-r", "500", "-t", "vendor", "-V", "X", "-P", "MASK_PATH", "-g", "pss=FIXED"},
       "--config-string is not applicable for 'NMP' and 'MASK_PATH' plugin"},
      {{"-r", "500", "-t", "transport", "-R", "fc", "-P", "HWAC_FILTER", "-c", "Filter"},
       "--claimrule-class=Filter|HWAC can be only used with vendor/device."},
      {{"-r", "500", "-P", "TVX_HWACP_T10", "-c", "HWAC"},
       "--claimrule-class=Filter|HWAC can be only used with vendor/device."},
      {{"-r", "500", "-t", "device", "-P", "HWAC_FILTER", "-c", "Filter"},
       "Missing --device parameter for --type=device"},
      {{"-r", "500", "-t", "device", "-d", "naa.nothere", "-P", "HWAC_FILTER", "-c", "Filter"},
       "Unknown device naa.nothere"},
      {{"-r", "500", "-t", "location", "-A", "olhba99", "-L", "2000", "-P", "NMP"}, kBadAdapter},
      {{"-r", "500", "-t", "location", "-A", "olhba2", "-L", "1025", "-P", "NMP"},
       "The value of lun is higher than the value of /Disk/MaxLUN"},
      {{"-r", "500", "-t", "driver", "-P", "NMP"}, "Missing --driver parameter."},
      {{"-r", "500", "-t", "driver", "-D", "fcnativ", "-P", "NMP"},
       "Invalid Module name 'fcnativ' you may override this check with the --force option to force the use "
       "of "
       "this driver name."},
      {{"-r", "500", "-t", "transport", "-P", "NMP"}, "Missing --transport parameter."},
      {{"-r", "500", "-t", "target", "-P", "NMP"}, "Missing --transport parameter."},
      {{"-r", "500", "-t", "target", "-R", "fc", "--wwpn", "50:06:01:60:3a:60:11:53", "-P", "NMP"},
       "Missing --wwnn parameter."},
      {{"-r", "500", "-t", "target", "-R", "fc", "--wwnn", "50:06:01:60:ba:60:11:53", "-P", "NMP"},
       "Missing --wwpn parameter."},
      {{"-r", "500", "-t", "target", "-R", "iscsi", "-P", "NMP"}, "Missing --iqn parameter."},
      {{"-r", "500", "-t", "target", "-R", "fcoe", "-P", "NMP"},
       "Invalid --transport parameter. Only 'fc' and 'iscsi' are supported for --type=target."},
      {{"-r", "500", "-t", "device", "-d", "naa.5000c500a1b2c3d4", "-P", "NMP"},
       "--type=device is not supported for MPP claim rules."},
      {{"-r", "500", "-P", "NMP"}, "Unsupported claimrule --type for MPP claim rules."},
      {{"-r", "500", "-t", "vendor", "-V", "X", "-P", "HWAC_FILTER", "-c", "Filter", "--pci-vendor-id",
        "8086"},
       "--controller-model or --pci-vendor-id or --pci-sub-vendor-id are not applicable for the claim rule "
       "classes "
       "'Filter' and 'HWAC'."},
      {{"-r", "500", "-t", "vendor", "-P", "HWAC_FILTER", "-c", "Filter"}, kMissingVendor},
      {{"-r", "500", "-t", "vendor", "-P", "HPP"}, kMissingVendor},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "--pci-sub-vendor-id", "8086"},
       "Missing --pci-vendor-id input. --pci-sub-vendor-id should be specified in combination with "
       "--pci-vendor-id."},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "--nvme-controller-model", "A*", "--pci-sub-vendor-id",
        "1"},
       kControllerAndPci},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "-V", "X", "--nvme-controller-model", "A*"},
       "Only one of --nvme-controller-model or --vendor/--model should be specified."},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "-M", "X", "--nvme-controller-model", "A*",
        "--pci-vendor-id", "1"},
       kControllerAndPci},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "-V", "X", "--pci-sub-vendor-id", "8086"},
       "Either --vendor/--model Or --pci-vendor-id/--pci-sub-vendor-id should be specified."},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "--pci-vendor-id", "0"},
       "Invalid input for --pci-vendor-id"},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "--pci-vendor-id", "zz86"},
       "Invalid input for --pci-vendor-id"},
      {{"-r", "500", "-t", "vendor", "-P", "HPP", "--pci-vendor-id", "8086", "--pci-sub-vendor-id", "0x"},
       "Invalid input for --pci-sub-vendor-id"},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-e", "-s"},
       "Extended XCOPY cannot be enabled without array support"},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "NMP", "-a"},
       "XCOPY parameters can be added only for HWAC class rules"},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-s"},
       "XCOPY parameters cannot be added without --xcopy-use-array-values"},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "VMAX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC", "-a",
        "-m", "31"},
       "XCOPY parameters specified for an unsupported array"},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-a", "-m", "31", "-k", "40000"},
       "Can not specify both xcopy-max-transfer-size and xcopy-max-transfer-size-kib. "
       "xcopy-max-transfer-size option "
       "is deprecated. Use --xcopy-max-transfer-size-kib and specify maxTransferSize in KiB."},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-a", "-k", "40000", "-m", "2"},
       "Can not specify both xcopy-max-transfer-size and xcopy-max-transfer-size-kib. "
       "xcopy-max-transfer-size option "
       "is deprecated. Use --xcopy-max-transfer-size-kib and specify maxTransferSize in KiB."},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-a", "-k", "40000"},
       kKiBRange},
      {{"-r", "500", "-t", "vendor", "-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-c", "HWAC",
        "-a", "-m", "31"},
       kMBRange},
  };
  for (const Case &c : cases) {
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    const std::vector<RuleRow> before = ListRules();
    auto run = TestSupport::Run(ClaimRule("add", c.options));
    EXPECT_EQ(Errors(run), std::vector<std::string>{c.message});
    EXPECT_FALSE(HasRoot(run));
    EXPECT_EQ(ListRules(), before) << "a refused add must change nothing";
  }
}

// The limits of the XCOPY sizes: KiB needs 4..30720 and MB at most 30 unless
// multiple segments are used; the listing reports KiB, or MB times 1024 when
// no KiB value was given.
TEST(ClaimRuleAddTest, XcopySettingsWithinTheirLimitsAreStored) {
  struct Case {
    std::vector<std::string> options; // after -r 600 -t vendor -c HWAC
    std::string error;                // empty: accepted
    RuleRow row;                      // the file row when accepted
  };
  const std::string emc = "vendor=EMC model=SYMMETRIX";
  const std::vector<Case> cases = {
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-k", "256"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 0, 256)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-k", "4"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 0, 4)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-k", "3"}, kKiBRange, {}},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-s", "-k", "3"}, kKiBRange, {}},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-k", "30720"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 0, 30720)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-k", "30721"}, kKiBRange, {}},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-s", "-k", "204800"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, true, 0, 204800)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-m", "30"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 30, 30720)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-m", "0"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 0, 0)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a", "-s", "-m", "200"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, true, 200, 204800)},
      {{"-V", "EMC", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a"},
       "",
       HwacRow(600, "file", "TVX_HWACP_SYMM", emc, true, false, 0, 0)},
      // Every DGC model is supported; other EMC models only through the T10 plug-in.
      {{"-V", "DGC", "-M", "ANY MODEL", "-P", "TVX_HWACP_MIDRANGE", "-a", "-s"},
       "",
       HwacRow(600, "file", "TVX_HWACP_MIDRANGE", "vendor=DGC model=ANY MODEL", true, true, 0, 0)},
      {{"-V", "EMC", "-M", "VMAX", "-P", "TVX_HWACP_T10", "-a", "-k", "64"},
       "",
       HwacRow(600, "file", "TVX_HWACP_T10", "vendor=EMC model=VMAX", true, false, 0, 64)},
      {{"-V", "EMC", "-M", "VMAX", "-P", "TVX_HWACP_SYMM", "-a"},
       "XCOPY parameters specified for an unsupported array",
       {}},
      {{"-V", "emc", "-M", "SYMMETRIX", "-P", "TVX_HWACP_SYMM", "-a"},
       "XCOPY parameters specified for an unsupported array",
       {}},
      {{"-V", "ACME", "-M", "X", "-P", "TVX_HWACP_T10", "-e"},
       "",
       HwacRow(600, "file", "TVX_HWACP_T10", "vendor=ACME model=X", false, false, 0, 0, true)},
  };
  for (const Case &c : cases) {
    std::vector<std::string> options = {"-r", "600", "-t", "vendor", "-c", "HWAC"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    const std::vector<RuleRow> before = ListRules("HWAC");
    auto run = TestSupport::Run(ClaimRule("add", options));
    if (!c.error.empty()) {
      EXPECT_EQ(Errors(run), std::vector<std::string>{c.error});
      EXPECT_EQ(ListRules("HWAC"), before);
      continue;
    }
    EXPECT_TRUE(Errors(run).empty()) << Errors(run)[0];
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(NewRows(before, ListRules("HWAC")), std::vector<RuleRow>{c.row});
  }
}

// What the checks let through reaches the host as given: reserved IDs with
// --force-reserved, unregistered plug-ins and unknown adapters with --force,
// a target LUN above /Disk/MaxLUN, boot rules on the kernel side only, the
// extended-XCOPY flag ignored outside HWAC rules.
TEST(ClaimRuleAddTest, AcceptedRulesAreStoredOnTheRightSide) {
  struct Case {
    std::vector<std::string> options;
    std::vector<RuleRow> rows;
  };
  const std::vector<Case> cases = {
      {{"-r", "700", "-t", "vendor", "-V", "ACME", "-M", "X", "-P", "NMP", "-e"},
       {Row("MP", 700, "file", "vendor", "NMP", "vendor=ACME model=X pci_vendor_id=* pci_sub_vendor_id=*")}},
      {{"-r", "101", "-t", "driver", "-D", "fcnative", "-P", "NMP"},
       {Row("MP", 101, "file", "driver", "NMP", "driver=fcnative")}},
      {{"-r", "65435", "-t", "transport", "-R", "sas", "-P", "HPP"},
       {Row("MP", 65435, "file", "transport", "HPP", "transport=sas")}},
      {{"-r", "7", "--force-reserved", "-t", "transport", "-R", "tcp", "-P", "NMP"},
       {Row("MP", 7, "file", "transport", "NMP", "transport=tcp")}},
      {{"-r", "800", "-t", "transport", "-R", "rdma", "-P", "VENDOR_MPP", "--force"},
       {Row("MP", 800, "file", "transport", "VENDOR_MPP", "transport=rdma")}},
      {{"-r", "801", "-t", "location", "-A", "olhba99", "-C", "1", "-P", "NMP", "-f"},
       {Row("MP", 801, "file", "location", "NMP", "adapter=olhba99 channel=1 target=* lun=*")}},
      {{"-r", "802", "-t", "location", "-A", "olhba2", "-L", "1024", "-P", "NMP"},
       {Row("MP", 802, "file", "location", "NMP", "adapter=olhba2 channel=* target=* lun=1024")}},
      {{"-r", "803", "-t", "target", "-R", "iscsi", "--iqn", "iqn.2001-04.org.example:t1", "-L", "2000", "-P",
        "NMP"},
       {Row("MP", 803, "file", "target", "NMP", "transport=iscsi iqn=iqn.2001-04.org.example:t1 lun=2000")}},
      {{"-r", "804", "-t", "driver", "-D", "mptscsi", "-P", "MASK_PATH", "-f"},
       {Row("MP", 804, "file", "driver", "MASK_PATH", "driver=mptscsi")}},
      {{"-r", "805", "-t", "transport", "-R", "usb", "-P", "NMP", "--boot"},
       {Row("MP", 805, "runtime", "transport", "NMP", "transport=usb")}},
      {{"-r", "806", "-t", "device", "-d", "naa.60060160a0b2320089abcdef01234567", "-P", "HWAC_FILTER", "-c",
        "Filter"},
       {Row("Filter", 806, "file", "device", "HWAC_FILTER", "device=naa.60060160a0b2320089abcdef01234567")}},
      {{"-r", "807", "-t", "vendor", "-V", "DGC", "-P", "HWAC_FILTER", "-c", "Filter"},
       {Row("Filter", 807, "file", "vendor", "HWAC_FILTER", "vendor=DGC model=")}},
      {{"-r", "808", "-t", "vendor", "-P", "HPP", "--pci-vendor-id", "0x0ABC", "--pci-sub-vendor-id", "12g4"},
       {Row("MP", 808, "file", "vendor", "HPP",
            "nvme_controller_model=* pci_vendor_id=0xabc pci_sub_vendor_id=0x12")}},
      {{"-r", "809", "-t", "vendor", "-M", "HX*", "-P", "HPP", "-g", "pss=FIXED,mark-device-ssd=true"},
       {Row("MP", 809, "file", "vendor", "HPP", "vendor= model=HX* pci_vendor_id=* pci_sub_vendor_id=*",
            "pss=FIXED,mark-device-ssd=true")}},
  };
  for (const Case &c : cases) {
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    const std::vector<RuleRow> before = ListRules();
    auto run = TestSupport::Run(ClaimRule("add", c.options));
    EXPECT_TRUE(Errors(run).empty()) << (Errors(run).empty() ? "" : Errors(run)[0]);
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(NewRows(before, ListRules()), c.rows);
  }
}

TEST(ClaimRuleAddTest, HostRefusalsArriveWithTheAddPrefix) {
  TestSupport::UseProfile();
  auto run = TestSupport::Run(ClaimRule("add", {"-r", "120", "-t", "transport", "-R", "fc", "-P", "NMP"}));
  EXPECT_EQ(Errors(run),
            std::vector<std::string>{"Unable to perform add operation. A claim rule with id 120 already "
                                     "exists in class MP."});
  EXPECT_FALSE(HasRoot(run));

  // Rule 60 is loaded but not in the file: a normal add may use its ID, a boot add may not.
  run = TestSupport::Run(
      ClaimRule("add", {"-r", "60", "--force-reserved", "-t", "transport", "-R", "fc", "-P", "NMP", "-b"}));
  EXPECT_EQ(Errors(run),
            std::vector<std::string>{"Unable to perform add operation. A claim rule with id 60 is "
                                     "already loaded in class MP."});
  run = TestSupport::Run(
      ClaimRule("add", {"-r", "60", "--force-reserved", "-t", "transport", "-R", "fc", "-P", "NMP"}));
  EXPECT_TRUE(Succeeded(run));

  InjectFault("StorageInfo::AddPsaClaimRule", "the configuration store is read-only");
  run = TestSupport::Run(ClaimRule("add", {"-r", "900", "-t", "transport", "-R", "fc", "-P", "NMP"}));
  EXPECT_EQ(Errors(run), std::vector<std::string>{
                             "Unable to perform add operation. the configuration store is read-only"});
  EXPECT_FALSE(HasRoot(run));
}

// Auto-assigned IDs come from the public range and never reuse an ID that
// either side of the class holds.
TEST(ClaimRuleAddTest, AutoassignPicksSuccessiveFreeIds) {
  TestSupport::UseProfile();
  ASSERT_TRUE(Succeeded(
      TestSupport::Run(ClaimRule("add", {"-r", "5001", "-t", "transport", "-R", "sas", "-P", "NMP", "-b"}))));
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(
        Succeeded(TestSupport::Run(ClaimRule("add", {"-u", "-t", "transport", "-R", "fc", "-P", "NMP"}))));
  std::vector<int64_t> fileIds;
  for (const RuleRow &row : ListRules("MP"))
    if (row.side == "file" && row.matches == "transport=fc")
      fileIds.push_back(row.rule);
  EXPECT_EQ(fileIds, (std::vector<int64_t>{5000, 5002, 5003}));
}

// The examples of the command's help, run on the default host: each adds its
// rule, or is refused with the message that host's state calls for.
TEST(ClaimRuleAddTest, HelpExamplesOnTheDefaultHost) {
  struct Expected {
    std::string error; // empty: the example adds `row`
    RuleRow row;
  };
  const std::string symmetrix = "vendor=EMC model=SYMMETRIX";
  const std::string tarvex = "vendor=TARVEX model=Virtual pci_vendor_id=* pci_sub_vendor_id=*";
  const std::vector<Expected> expected = {
      {"Unknown device mpx.olhba0", {}},
      {"Unknown device naa.1234", {}},
      {"", Row("MP", 321, "file", "location", "NMP", "adapter=olhba0 channel=0 target=0 lun=0")},
      {"Invalid Module name 'mptscsi' you may override this check with the --force option to force the use "
       "of this "
       "driver name.",
       {}},
      {"", Row("MP", 914, "file", "vendor", "NMP", tarvex)},
      {"", Row("MP", 1015, "file", "transport", "NMP", "transport=fc")},
      {"", Row("MP", 429, "file", "target", "NMP",
               "transport=fc wwnn=50:06:01:60:ba:60:11:53 wwpn=50:06:01:60:3a:60:11:53 lun=*")},
      {"", Row("MP", 429, "file", "target", "NMP",
               "transport=iscsi iqn=iqn.2009-05.com.tarvex:storage.tgt01 lun=5")},
      {"", Row("MP", 5000, "file", "transport", "NMP", "transport=fc")},
      {"", HwacRow(65430, "file", "TVX_HWACP_SYMM", symmetrix, true, true, 200, 204800)},
      {"", HwacRow(65430, "file", "TVX_HWACP_SYMM", symmetrix, true, false, 0, 256)},
      {"", HwacRow(65430, "file", "TVX_HWACP_SYMM", symmetrix, true, true, 0, 204800)},
      {"", Row("MP", 429, "file", "vendor", "HPP",
               "nvme_controller_model=ABCD* pci_vendor_id=* pci_sub_vendor_id=*")},
      {"", Row("MP", 429, "file", "vendor", "HPP",
               "nvme_controller_model=* pci_vendor_id=0x8086 pci_sub_vendor_id=0x8086")},
      {"", Row("MP", 914, "file", "vendor", "HPP", tarvex, "pss=FIXED,mark-device-ssd=true")},
      {"", Row("MP", 914, "file", "vendor", "HPP", tarvex,
               "pss=LB-Latency,latency-eval-time=40000,mark-device-local=true")},
  };
  TestSupport::UseProfile();
  auto probe = TestSupport::Run(ClaimRule("add"));
  ASSERT_TRUE(probe.command);
  const auto spec = probe.command->GetInputSpec();
  const auto &examples = spec->GetExamples();
  ASSERT_EQ(examples.size(), expected.size());
  for (size_t i = 0; i < examples.size(); ++i) {
    SCOPED_TRACE("example " + std::to_string(i + 1) + ": " + examples[i].commandLineTail);
    TestSupport::UseProfile();
    const std::vector<RuleRow> before = ListRules();
    auto run = TestSupport::Run(ClaimRule("add", SplitCommandLine(examples[i].commandLineTail)));
    if (!expected[i].error.empty()) {
      EXPECT_EQ(Errors(run), std::vector<std::string>{expected[i].error});
      EXPECT_EQ(ListRules(), before);
      continue;
    }
    EXPECT_TRUE(Errors(run).empty()) << (Errors(run).empty() ? "" : Errors(run)[0]);
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(NewRows(before, ListRules()), std::vector<RuleRow>{expected[i].row});
  }
}

} // namespace
