// storage core claimrule add: its checks in order, the XCOPY limits and what a
// stored rule looks like.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace TestSupport;

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
const char *kRange =
    "The rule id is outside of the public id range (101-65435). Choose a different rule id or use "
    "--force-reserved to force.";
const char *kKiBRange =
    "Invalid data constraint for parameter --xcopy-max-transfer-size-kib. Expected integer in the "
    "range 4 to 30720 without --xcopy-use-multi-segs";
const char *kMBRange =
    "Invalid data constraint for parameter --xcopy-max-transfer-size. Expected integer in the "
    "range 1 to 30 without --xcopy-use-multi-segs";
const char *kUnsupportedArray = "XCOPY parameters specified for an unsupported array";
const char *kSymm = "-r 600 -t vendor -c HWAC -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM ";

const std::vector<std::string> kRuleFields = {"Rule Class", "Rule",    "Class",        "Type",
                                              "Plugin",     "Matches", "Config String"};
const std::vector<std::string> kXcopyFields = {"Rule",
                                               "XCOPY Use Array Reported Values",
                                               "XCOPY Use Multiple Segments",
                                               "XCOPY Max Transfer Size",
                                               "XCOPY Max Transfer Size KiB",
                                               "Extended XCOPY Support"};

std::vector<std::string> ListRules(const std::vector<std::string> &fields = kRuleFields) {
  auto run = RunCommand("storage core claimrule list -c all");
  EXPECT_TRUE(run.errors.empty());
  return Lines(run.root, fields);
}

// The rows of `after` that `before` does not have.
std::vector<std::string> Added(const std::vector<std::string> &before,
                               const std::vector<std::string> &after) {
  std::vector<std::string> added;
  for (const std::string &row : after)
    if (std::find(before.begin(), before.end(), row) == before.end())
      added.push_back(row);
  return added;
}

// Each case fails exactly one check; the case before it passes that check.
// Several cases also break a later check, to show which one comes first.
TEST(ClaimRuleAddTest, EachCheckFailsWithItsMessageAndAddsNothing) {
  struct Case {
    std::string options;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"-t transport -R fc -P NMP", "Must specify one of --autoassign or --rule."},
      {"-r 500 -u -P bogus", "Cannot specify both --autoassign and --rule."},
      {"-r 100 -P bogus", kRange},
      {"-r 65436 -t transport -R fc -P NMP", kRange},
      {"-r 500 -t transport -R fc", "Invalid Plugin name. Plugin cannot be empty."},
      {"-r 500 -t transport -R fc -P HWAC_FILTER", kNotRegistered},
      {"-r 500 -t vendor -V X -P TVX_HWACP_T10 -c HWAC -g a=b",
       "--config-string is applicable for 'MP' class"},
      {"-r 500 -t vendor -V X -P MASK_PATH -g pss=FIXED",
       "--config-string is not applicable for 'NMP' and 'MASK_PATH' plugin"},
      {"-r 500 -t transport -R fc -P HWAC_FILTER -c Filter",
       "--claimrule-class=Filter|HWAC can be only used with vendor/device."},
      {"-r 500 -P TVX_HWACP_T10 -c HWAC",
       "--claimrule-class=Filter|HWAC can be only used with vendor/device."},
      {"-r 500 -t device -P HWAC_FILTER -c Filter", "Missing --device parameter for --type=device"},
      {"-r 500 -t device -d naa.nothere -P HWAC_FILTER -c Filter", "Unknown device naa.nothere"},
      {"-r 500 -t location -A olhba99 -L 2000 -P NMP", kBadAdapter},
      {"-r 500 -t location -A olhba2 -L 1025 -P NMP",
       "The value of lun is higher than the value of /Disk/MaxLUN"},
      {"-r 500 -t driver -P NMP", "Missing --driver parameter."},
      {"-r 500 -t driver -D fcnativ -P NMP",
       "Invalid Module name 'fcnativ' you may override this check with the --force option to force the use of "
       "this driver name."},
      {"-r 500 -t transport -P NMP", "Missing --transport parameter."},
      {"-r 500 -t target -P NMP", "Missing --transport parameter."},
      {"-r 500 -t target -R fc --wwpn 50:06:01:60:3a:60:11:53 -P NMP", "Missing --wwnn parameter."},
      {"-r 500 -t target -R fc --wwnn 50:06:01:60:ba:60:11:53 -P NMP", "Missing --wwpn parameter."},
      {"-r 500 -t target -R iscsi -P NMP", "Missing --iqn parameter."},
      {"-r 500 -t target -R fcoe -P NMP",
       "Invalid --transport parameter. Only 'fc' and 'iscsi' are supported for --type=target."},
      {"-r 500 -t device -d naa.5000c500a1b2c3d4 -P NMP",
       "--type=device is not supported for MPP claim rules."},
      {"-r 500 -P NMP", "Unsupported claimrule --type for MPP claim rules."},
      {"-r 500 -t vendor -V X -P HWAC_FILTER -c Filter --pci-vendor-id 8086",
       "--controller-model or --pci-vendor-id or --pci-sub-vendor-id are not applicable for the claim rule classes "
       "'Filter' and 'HWAC'."},
      {"-r 500 -t vendor -P HWAC_FILTER -c Filter", kMissingVendor},
      {"-r 500 -t vendor -P HPP", kMissingVendor},
      {"-r 500 -t vendor -P HPP --pci-sub-vendor-id 8086",
       "Missing --pci-vendor-id input. --pci-sub-vendor-id should be specified in combination with "
       "--pci-vendor-id."},
      {"-r 500 -t vendor -P HPP --nvme-controller-model A* --pci-sub-vendor-id 1",
       "Only one of --nvme-controller-model or --pci-vendor-id/--pci-sub-vendor-id should be specified."},
      {"-r 500 -t vendor -P HPP -V X --nvme-controller-model A*",
       "Only one of --nvme-controller-model or --vendor/--model should be specified."},
      {"-r 500 -t vendor -P HPP -V X --pci-sub-vendor-id 8086",
       "Either --vendor/--model Or --pci-vendor-id/--pci-sub-vendor-id should be specified."},
      {"-r 500 -t vendor -P HPP --pci-vendor-id 0", "Invalid input for --pci-vendor-id"},
      {"-r 500 -t vendor -P HPP --pci-vendor-id 8086 --pci-sub-vendor-id 0x",
       "Invalid input for --pci-sub-vendor-id"},
      {"-r 500 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -e -s",
       "Extended XCOPY cannot be enabled without array support"},
      {"-r 500 -t vendor -V EMC -M SYMMETRIX -P NMP -a",
       "XCOPY parameters can be added only for HWAC class rules"},
      {"-r 500 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -s",
       "XCOPY parameters cannot be added without --xcopy-use-array-values"},
      {"-r 500 -t vendor -V EMC -M VMAX -P TVX_HWACP_SYMM -c HWAC -a -m 31", kUnsupportedArray},
      {"-r 500 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -a -m 31 -k 40000",
       "Can not specify both xcopy-max-transfer-size and xcopy-max-transfer-size-kib. xcopy-max-transfer-size "
       "option is deprecated. Use --xcopy-max-transfer-size-kib and specify maxTransferSize in KiB."},
      // The XCOPY limits: KiB needs 4..30720 and MB at most 30 unless multiple
      // segments are used; case is significant in the array's vendor.
      {std::string(kSymm) + "-a -k 40000", kKiBRange},
      {std::string(kSymm) + "-a -k 3", kKiBRange},
      {std::string(kSymm) + "-a -s -k 3", kKiBRange},
      {std::string(kSymm) + "-a -k 30721", kKiBRange},
      {std::string(kSymm) + "-a -m 31", kMBRange},
      {"-r 600 -t vendor -c HWAC -V emc -M SYMMETRIX -P TVX_HWACP_SYMM -a", kUnsupportedArray},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    const std::vector<std::string> before = ListRules();
    auto run = RunCommand("storage core claimrule add " + c.options);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.message});
    EXPECT_FALSE(run.root);
    EXPECT_EQ(ListRules(), before) << "a refused add must change nothing";
  }
}

// What the checks let through reaches the host as given: reserved IDs with
// --force-reserved, unregistered plug-ins and unknown adapters with --force,
// a target LUN above /Disk/MaxLUN, boot rules on the kernel side only, the
// extended-XCOPY flag ignored outside HWAC rules.
TEST(ClaimRuleAddTest, AcceptedRulesAreStoredOnTheRightSide) {
  struct Case {
    std::string options;
    std::string row;
  };
  const std::vector<Case> cases = {
      {"-r 700 -t vendor -V ACME -M X -P NMP -e",
       "MP | 700 | file | vendor | NMP | vendor=ACME model=X pci_vendor_id=* pci_sub_vendor_id=* | "},
      {"-r 101 -t driver -D fcnative -P NMP", "MP | 101 | file | driver | NMP | driver=fcnative | "},
      {"-r 65435 -t transport -R sas -P HPP", "MP | 65435 | file | transport | HPP | transport=sas | "},
      {"-r 7 --force-reserved -t transport -R tcp -P NMP",
       "MP | 7 | file | transport | NMP | transport=tcp | "},
      {"-r 800 -t transport -R rdma -P VENDOR_MPP --force",
       "MP | 800 | file | transport | VENDOR_MPP | transport=rdma | "},
      {"-r 801 -t location -A olhba99 -C 1 -P NMP -f",
       "MP | 801 | file | location | NMP | adapter=olhba99 channel=1 target=* lun=* | "},
      {"-r 802 -t location -A olhba2 -L 1024 -P NMP",
       "MP | 802 | file | location | NMP | adapter=olhba2 channel=* target=* lun=1024 | "},
      {"-r 803 -t target -R iscsi --iqn iqn.2001-04.org.example:t1 -L 2000 -P NMP",
       "MP | 803 | file | target | NMP | transport=iscsi iqn=iqn.2001-04.org.example:t1 lun=2000 | "},
      {"-r 805 -t transport -R usb -P NMP --boot", "MP | 805 | runtime | transport | NMP | transport=usb | "},
      {"-r 806 -t device -d naa.60060160a0b2320089abcdef01234567 -P HWAC_FILTER -c Filter",
       "Filter | 806 | file | device | HWAC_FILTER | device=naa.60060160a0b2320089abcdef01234567 | "},
      {"-r 807 -t vendor -V DGC -P HWAC_FILTER -c Filter",
       "Filter | 807 | file | vendor | HWAC_FILTER | vendor=DGC model= | "},
      {"-r 808 -t vendor -P HPP --pci-vendor-id 0x0ABC --pci-sub-vendor-id 12g4",
       "MP | 808 | file | vendor | HPP | nvme_controller_model=* pci_vendor_id=0xabc pci_sub_vendor_id=0x12 | "},
      {"-r 809 -t vendor -M HX* -P HPP -g pss=FIXED,mark-device-ssd=true",
       "MP | 809 | file | vendor | HPP | vendor= model=HX* pci_vendor_id=* pci_sub_vendor_id=* | "
       "pss=FIXED,mark-device-ssd=true"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    const std::vector<std::string> before = ListRules();
    auto run = RunCommand("storage core claimrule add " + c.options);
    EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(Added(before, ListRules()), std::vector<std::string>{c.row});
  }
}

// Within the limits the XCOPY settings are stored; the listing reports KiB, or
// MB times 1024 when no KiB value was given.
TEST(ClaimRuleAddTest, XcopySettingsWithinTheirLimitsAreStored) {
  struct Case {
    std::string options;
    std::string xcopy; // the new row's kXcopyFields
  };
  const std::vector<Case> cases = {
      {std::string(kSymm) + "-a -k 4", "600 | true | false | 0 | 4 | false"},
      {std::string(kSymm) + "-a -k 30720", "600 | true | false | 0 | 30720 | false"},
      {std::string(kSymm) + "-a -s -k 204800", "600 | true | true | 0 | 204800 | false"},
      {std::string(kSymm) + "-a -m 30", "600 | true | false | 30 | 30720 | false"},
      {std::string(kSymm) + "-a -m 0", "600 | true | false | 0 | 0 | false"},
      {std::string(kSymm) + "-a -s -m 200", "600 | true | true | 200 | 204800 | false"},
      // Every DGC model is supported; other EMC models only through the T10 plug-in.
      {"-r 600 -t vendor -c HWAC -V DGC -M \"ANY MODEL\" -P TVX_HWACP_MIDRANGE -a -s",
       "600 | true | true | 0 | 0 | false"},
      {"-r 600 -t vendor -c HWAC -V EMC -M VMAX -P TVX_HWACP_T10 -a -k 64",
       "600 | true | false | 0 | 64 | false"},
      {"-r 600 -t vendor -c HWAC -V ACME -M X -P TVX_HWACP_T10 -e", "600 | false | false | 0 | 0 | true"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    const std::vector<std::string> before = ListRules(kXcopyFields);
    auto run = RunCommand("storage core claimrule add " + c.options);
    EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
    EXPECT_TRUE(Succeeded(run));
    EXPECT_EQ(Added(before, ListRules(kXcopyFields)), std::vector<std::string>{c.xcopy});
  }
}

TEST(ClaimRuleAddTest, HostRefusalsArriveWithTheAddPrefix) {
  UseProfile();
  auto run = RunCommand("storage core claimrule add -r 120 -t transport -R fc -P NMP");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to perform add operation. A claim rule with id 120 already "
                                     "exists in class MP."});
  EXPECT_FALSE(run.root);

  // Rule 60 is loaded but not in the file: a normal add may use its ID, a boot add may not.
  run = RunCommand("storage core claimrule add -r 60 --force-reserved -t transport -R fc -P NMP -b");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to perform add operation. A claim rule with id 60 is "
                                     "already loaded in class MP."});
  EXPECT_TRUE(
      Succeeded(RunCommand("storage core claimrule add -r 60 --force-reserved -t transport -R fc -P NMP")));

  InjectFault("StorageInfo::AddPsaClaimRule", "", "the configuration store is read-only");
  run = RunCommand("storage core claimrule add -r 900 -t transport -R fc -P NMP");
  EXPECT_EQ(run.errors, std::vector<std::string>{
                            "Unable to perform add operation. the configuration store is read-only"});
  EXPECT_FALSE(run.root);
}

// Auto-assigned IDs come from the public range and never reuse an ID that
// either side of the class holds.
TEST(ClaimRuleAddTest, AutoassignPicksSuccessiveFreeIds) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule add -r 5001 -t transport -R sas -P NMP -b")));
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule add -u -t transport -R fc -P NMP")));
  std::vector<std::string> fileIds;
  for (const std::string &line : ListRules({"Rule", "Class", "Matches"}))
    if (line.ends_with(" | file | transport=fc"))
      fileIds.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(fileIds, (std::vector<std::string>{"5000", "5002", "5003"}));
}

} // namespace
