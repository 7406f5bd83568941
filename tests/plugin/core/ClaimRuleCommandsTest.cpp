// storage core claimrule list, remove, move, load, run and convert.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kSymmetrix = "naa.60000970000197600123533030314241";

// "<rule> <side>" of every listed row of a class, in order.
std::vector<std::string> Sides(const std::string &ruleClass) {
  auto run = RunCommand("storage core claimrule list -c " + ruleClass);
  EXPECT_TRUE(run.errors.empty());
  std::vector<std::string> sides = Lines(run.root, {"Rule", "Class"});
  for (std::string &side : sides)
    side.replace(side.find(" | "), 3, " ");
  return sides;
}

std::vector<std::string> Rules(const std::string &ruleClass) {
  return Lines(RunCommand("storage core claimrule list -c " + ruleClass).root,
               {"Rule Class", "Rule", "Class", "Type", "Plugin", "Matches", "Config String"});
}

// The default host with the MP rules replaced by `runtime` and `file`.
std::string HostWithMpRules(const std::string &runtime, const std::string &file = "[]") {
  return PatchedProfile(R"({"claimRules": {"MP": {"runtime": )" + runtime + R"(, "file": )" + file + "}}}");
}

std::string PathPlugin(const std::string &path) {
  auto plugins = Column(RunCommand("storage core path list -p " + path).root, "Plugin");
  return plugins.size() == 1 ? plugins[0] : "<no row for " + path + ">";
}

std::vector<std::string> AttachedFilters(const std::string &device) {
  return Texts(OnlyRow(RunCommand("storage core device list -d " + device).root), "Attached Filters");
}

TEST(ClaimRuleListTest, MatchStringsOfEveryRuleType) {
  struct Case {
    std::string rule; // JSON members after "rule" and "plugin"
    std::string matches;
  };
  const std::vector<Case> cases = {
      {R"("type": "location", "adapter": "olhba1")", "adapter=olhba1 channel=* target=* lun=*"},
      {R"("type": "location", "adapter": "olhba2", "channel": 3, "lun": 255)",
       "adapter=olhba2 channel=3 target=* lun=255"},
      {R"("type": "vendor", "vendor": "A", "model": "B", "nvmeControllerModel": "")",
       "vendor=A model=B pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "vendor": "A", "model": "B")", "vendor=A model=B"},
      {R"("type": "vendor", "vendor": "A")", "vendor=A model="},
      {R"("type": "vendor")", "nvme_controller_model=* pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "nvmeControllerModel": "", "pciVendorId": 32902)",
       "nvme_controller_model= pci_vendor_id=0x8086 pci_sub_vendor_id=*"},
      {R"("type": "vendor", "pciVendorId": 0, "pciSubVendorId": 1)",
       "nvme_controller_model=* pci_vendor_id=0x0 pci_sub_vendor_id=0x1"},
      {R"("type": "vendor", "vendor": "A", "model": "B", "nvmeControllerModel": "XY*")",
       "vendor=A model=B nvme_controller_model=XY* pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "model": "M", "nvmeControllerModel": "", "pciSubVendorId": 4095)",
       "vendor= model=M pci_vendor_id=* pci_sub_vendor_id=0xfff"},
      {R"("type": "driver", "driver": "fcnative")", "driver=fcnative"},
      {R"("type": "device", "device": "naa.6006")", "device=naa.6006"},
      {R"("type": "transport", "transport": "iscsivendor")", "transport=iscsivendor"},
      {R"("type": "target", "transport": "fc", "wwnn": "20:00:00:24:FF:3D:5A:10", "wwpn": "21:00:00:24:ff:3d:5a:10")",
       "transport=fc wwnn=20:00:00:24:ff:3d:5a:10 wwpn=21:00:00:24:ff:3d:5a:10 lun=*"},
      {R"("type": "target", "transport": "fc", "wwnn": "0000000000000001", "wwpn": "0x5006016046e00304", "lun": 7)",
       "transport=fc wwnn=00:00:00:00:00:00:00:01 wwpn=50:06:01:60:46:e0:03:04 lun=7"},
      {R"("type": "target", "transport": "iscsi", "iqn": "iqn.1998-01.org.example:disk1", "lun": 0)",
       "transport=iscsi iqn=iqn.1998-01.org.example:disk1 lun=0"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.rule);
    UseHostJson(HostWithMpRules(R"([{"rule": 300, "plugin": "NMP", )" + c.rule + "}]"));
    EXPECT_EQ(Column(RunCommand("storage core claimrule list").root, "Matches"),
              std::vector<std::string>{c.matches});
  }
}

// Rules come in ID order; a rule on both sides gives its runtime row first,
// and each row shows its own side's values.
TEST(ClaimRuleListTest, RuntimeAndFileRowsInRuleOrder) {
  UseHostJson(HostWithMpRules(
      R"([{"rule": 40, "type": "transport", "transport": "fc", "plugin": "NMP"},
          {"rule": 20, "type": "driver", "driver": "fcnative", "plugin": "NMP"},
          {"rule": 10, "type": "transport", "transport": "sas", "plugin": "NMP"}])",
      R"([{"rule": 30, "type": "driver", "driver": "sas3hba", "plugin": "HPP"},
          {"rule": 40, "type": "transport", "transport": "fcoe", "plugin": "HPP", "configString": "pss=FIXED"},
          {"rule": 10, "type": "transport", "transport": "sas", "plugin": "NMP"}])"));
  EXPECT_EQ(Rules("MP"), (std::vector<std::string>{
                             "MP | 10 | runtime | transport | NMP | transport=sas | ",
                             "MP | 10 | file | transport | NMP | transport=sas | ",
                             "MP | 20 | runtime | driver | NMP | driver=fcnative | ",
                             "MP | 30 | file | driver | HPP | driver=sas3hba | ",
                             "MP | 40 | runtime | transport | NMP | transport=fc | ",
                             "MP | 40 | file | transport | HPP | transport=fcoe | pss=FIXED",
                         }));
}

// No class lists MP only; "all" lists the classes in the host's order.
TEST(ClaimRuleListTest, ClassSelection) {
  struct Case {
    std::string options;
    std::vector<std::string> classes; // of the rows, in order, without repeats
    size_t rows;
  };
  const std::vector<Case> cases = {
      {"", {"MP"}, 24},
      {"-c Filter", {"Filter"}, 4},
      {"-c HWAC", {"HWAC"}, 6},
      {"-c all", {"MP", "Filter", "HWAC"}, 34},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core claimrule list " + c.options);
    ASSERT_TRUE(run.errors.empty());
    auto classes = Column(run.root, "Rule Class");
    EXPECT_EQ(classes.size(), c.rows);
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());
    EXPECT_EQ(classes, c.classes);
  }
}

// XCOPY fields belong to HWAC rules, and only to those that use the array's
// values; without a KiB size the MB size is shown in KiB.
TEST(ClaimRuleListTest, XcopyFieldsOnlyForHwacRulesUsingArrayValues) {
  const std::string xcopy =
      R"("xcopyUseArrayValues": true, "xcopyUseMultiSegs": true, "xcopyMaxTransferSize": 3,
                               "xcopyMaxTransferSizeKiB": 0, "extendedXcopySupport": true)";
  UseHostJson(PatchedProfile(
      R"({"claimRules": {
        "MP": {"runtime": [{"rule": 500, "type": "vendor", "vendor": "A", "model": "B", "plugin": "NMP", )" +
      xcopy + R"(}], "file": []},
        "HWAC": {"runtime": [
          {"rule": 501, "type": "vendor", "vendor": "A", "model": "B", "plugin": "TVX_HWACP_T10", )" +
      xcopy + R"(},
          {"rule": 502, "type": "vendor", "vendor": "A", "model": "B", "plugin": "TVX_HWACP_T10",
           "xcopyUseMultiSegs": true, "xcopyMaxTransferSize": 3, "xcopyMaxTransferSizeKiB": 9},
          {"rule": 503, "type": "vendor", "vendor": "A", "model": "B", "plugin": "TVX_HWACP_T10",
           "xcopyUseArrayValues": true, "xcopyMaxTransferSize": 3, "xcopyMaxTransferSizeKiB": 9}],
          "file": []}}})"));
  const std::vector<std::string> fields = {"Rule",
                                           "XCOPY Use Array Reported Values",
                                           "XCOPY Use Multiple Segments",
                                           "XCOPY Max Transfer Size",
                                           "XCOPY Max Transfer Size KiB",
                                           "Extended XCOPY Support"};
  EXPECT_EQ(Lines(RunCommand("storage core claimrule list -c MP").root, fields),
            std::vector<std::string>{"500 | false | false | 0 | 0 | false"});
  EXPECT_EQ(
      Lines(RunCommand("storage core claimrule list -c HWAC").root, fields),
      (std::vector<std::string>{"501 | true | true | 3 | 3072 | true", "502 | false | false | 0 | 0 | false",
                                "503 | true | false | 3 | 9 | false"}));
}

TEST(ClaimRuleListTest, HostFailuresReplaceTheList) {
  for (const char *operation :
       {"StorageInfo::GetPsaClaimRuleClasses", "StorageInfo::GetPsaClaimRules", "ConfigFile::Lock"}) {
    SCOPED_TRACE(operation);
    UseProfile();
    InjectFault(operation, "", "configuration store unavailable");
    auto run = RunCommand("storage core claimrule list");
    EXPECT_EQ(run.errors,
              std::vector<std::string>{"Unable to list claimrules. configuration store unavailable"});
    EXPECT_FALSE(run.root);
  }
  // A failure for a class that is not listed does not matter.
  UseProfile();
  InjectFault("StorageInfo::GetPsaClaimRules", "HWAC", "broken");
  EXPECT_EQ(Rows(RunCommand("storage core claimrule list").root).size(), 24u);
  EXPECT_EQ(RunCommand("storage core claimrule list -c all").errors,
            std::vector<std::string>{"Unable to list claimrules. broken"});
}

TEST(ClaimRuleRemoveTest, ByRuleOrPlugin) {
  struct Case {
    std::string options;
    std::string ruleClass;
    std::vector<std::string> errors;
    std::vector<std::string> gone; // rows of that class the removal takes away
  };
  const std::vector<Case> cases = {
      {"-r 120", "MP", {}, {"120 file"}},
      {"-r 60", "MP", {}, {"60 runtime"}},
      {"-r 65436 -c Filter", "Filter", {}, {"65436 file"}},
      {"-r 77", "MP", {"Error: Unknown ruleId 77\n"}, {}},
      {"-r 65436", "MP", {"Error: Unknown ruleId 65436\n"}, {}},
      {"-r 120 -P MASK_PATH", "MP", {"Only one of --rule or --plugin allowed."}, {}},
      {"", "MP", {"One of --rule or --plugin must be specified."}, {}},
      {"-P HPP", "MP", {}, {"50 file", "51 file", "960 file", "961 file"}},
      {"-P MASK_PATH -c MP", "MP", {}, {"120 file"}},
      {"-P hpp", "MP", {}, {}},
      {"-P TVX_HWACP_T10 -c HWAC", "HWAC", {}, {"65438 file"}},
      {"-P HWAC_FILTER", "Filter", {}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    std::vector<std::string> expected = Sides(c.ruleClass);
    for (const std::string &gone : c.gone)
      std::erase(expected, gone);
    auto run = RunCommand("storage core claimrule remove " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(run.root != nullptr, c.errors.empty());
    EXPECT_EQ(Sides(c.ruleClass), expected);
  }
  UseProfile();
  InjectFault("StorageInfo::RemovePsaClaimRule", "", "configuration store is read-only");
  auto run = RunCommand("storage core claimrule remove -r 120");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to perform delete operation. configuration store is read-only"});
  EXPECT_FALSE(run.root);
}

TEST(ClaimRuleMoveTest, RangeChecksAndUnknownIds) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    std::vector<std::string> sides; // MP rows afterwards, the system rules left out
  };
  const std::vector<std::string> unchanged = {"60 runtime", "120 runtime", "120 file", "210 file"};
  const std::string range =
      "The new rule id is outside of the public id range (101-65435). Choose a different "
      "rule id or use --force-reserved to force.";
  const std::vector<Case> cases = {
      {"-r 120 -n 130", {}, {"60 runtime", "120 runtime", "130 file", "210 file"}},
      {"-r 120 -n 101", {}, {"60 runtime", "101 file", "120 runtime", "210 file"}},
      {"-r 120 -n 65435", {}, {"60 runtime", "120 runtime", "210 file", "65435 file"}},
      {"-r 120 -n 100", {range}, unchanged},
      {"-r 120 -n 65436", {range}, unchanged},
      {"-r 120 -n 99 --force-reserved", {}, {"60 runtime", "99 file", "120 runtime", "210 file"}},
      {"-r 60 -n 61 --force-reserved", {}, {"61 runtime", "120 runtime", "120 file", "210 file"}},
      {"-r 77 -n 130", {"Error: Unknown ruleId 77"}, unchanged},
      {"-r 120 -n 210", {"Error: A claim rule with id 210 already exists in class MP."}, unchanged},
      {"-r 120 -n 65436 -c HWAC", {"Error: Unknown ruleId 120"}, unchanged},
  };
  const std::set<std::string> system = {"0", "1", "2", "3", "4", "50", "51", "960", "961", "65535"};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage core claimrule move " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    std::vector<std::string> sides = Sides("MP");
    std::erase_if(sides,
                  [&](const std::string &side) { return system.count(side.substr(0, side.find(' '))); });
    EXPECT_EQ(sides, c.sides);
  }
}

TEST(ClaimRuleLoadTest, LoadingMakesTheKernelSeeTheFile) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule add -r 300 -t driver -D sas3hba -P HPP")));
  ASSERT_TRUE(
      Succeeded(RunCommand("storage core claimrule add -r 301 -t vendor -V DGC -P HWAC_FILTER -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule remove -r 51")));
  const std::vector<std::string> filterBefore = Sides("Filter");

  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
  // MP only: the kernel now holds exactly the file's rules.
  std::vector<std::string> runtime, file;
  for (const std::string &side : Sides("MP"))
    (side.ends_with(" runtime") ? runtime : file).push_back(side.substr(0, side.find(' ')));
  EXPECT_EQ(runtime, file);
  EXPECT_EQ(runtime, (std::vector<std::string>{"0", "1", "2", "3", "4", "50", "120", "210", "300", "960",
                                               "961", "65535"}));
  EXPECT_EQ(Sides("Filter"), filterBefore) << "other classes are left alone";

  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load -c all")));
  EXPECT_EQ(Sides("Filter"), (std::vector<std::string>{"301 runtime", "301 file", "65436 runtime",
                                                       "65436 file", "65437 runtime", "65437 file"}));
}

TEST(ClaimRuleLoadTest, HostFailureKeepsItsDoubleBlank) {
  UseProfile();
  InjectFault("StorageInfo::LoadPsaClaimRules", "Filter", "kernel refused the rules");
  auto run = RunCommand("storage core claimrule load -c all");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Unable to perform add operation.  kernel refused the rules"});
  EXPECT_FALSE(run.root);
  // MP was loaded before Filter failed: the kernel lost rule 60 and gained 210.
  const std::vector<std::string> mp = Sides("MP");
  EXPECT_EQ(std::count(mp.begin(), mp.end(), "60 runtime"), 0);
  EXPECT_EQ(std::count(mp.begin(), mp.end(), "210 runtime"), 1);
}

// Running the rules re-claims the selected paths by the loaded rules; a later
// path list and device list show the result.
TEST(ClaimRuleRunTest, LocationPathAndAllRunsReclaimPaths) {
  UseProfile();
  ASSERT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP");
  ASSERT_TRUE(
      Succeeded(RunCommand("storage core claimrule add -r 150 -t location -A olhba2 -C 0 -L 1 -P HPP")));
  // Only in the file so far: running changes nothing.
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP");

  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
  EXPECT_TRUE(Succeeded(RunCommand("storage core claimrule run -t location -A olhba2 -C 0 -T 1")));
  EXPECT_EQ(PathPlugin("olhba2:C0:T1:L1"), "HPP");
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP") << "outside the location";
  EXPECT_EQ(PathPlugin("olhba3:C0:T1:L1"), "NMP");

  EXPECT_TRUE(Succeeded(RunCommand("storage core claimrule run -t path -p olhba2:C0:T0:L1")));
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "HPP");
  // The device takes the plug-in of its first claimed path.
  EXPECT_EQ(Text(OnlyRow(RunCommand("storage core device list -d naa.60060160a0b2320089abcdef01234567").root),
                 "Multipath Plugin"),
            "HPP");

  // Without the masking rule the masked path is claimed by nothing.
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule remove -r 120")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load")));
  ASSERT_EQ(PathPlugin("olhba2:C0:T2:L5"), "MASK_PATH");
  EXPECT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(PathPlugin("olhba2:C0:T2:L5"), "");
  EXPECT_EQ(PathPlugin("olhba3:C0:T0:L1"), "NMP") << "rule 150 names adapter olhba2";
  EXPECT_EQ(PathPlugin("olhba5:C0:T0:L1"), "HPP");
}

TEST(ClaimRuleRunTest, MessagesOfEachBranch) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    bool result;
  };
  const std::vector<Case> cases = {
      {"-t location -A olhba99", {"Invalid or unknown SCSI interface name olhba99"}, true},
      {"-t location -L 255", {}, true},
      {"-t path", {"Missing parameter: --path is required when using the 'path' --type."}, false},
      {"-t path -p olhba9:C0:T0:L0",
       {"Error unknown path. A path with the name olhba9:C0:T0:L0 was not found on this system."},
       false},
      {std::string("-t device -d ") + kSymmetrix, {"Unknown --type: device"}, false},
      {"-c Filter -t location", {"--claimrule-class=Filter can be only used with device."}, false},
      {"-c Filter -t path -p olhba2:C0:T0:L1",
       {"--claimrule-class=Filter can be only used with device."},
       false},
      {"-c Filter -t device", {"Missing --device parameter for --type=device"}, false},
      {"-c Filter -t device -d naa.unknown", {"Unknown Device name naa.unknown"}, false},
      {std::string("-c Filter -t device -d ") + kSymmetrix, {}, true},
      {"-c Filter", {}, true},
      {"-w", {}, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage core claimrule run " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.result);
    EXPECT_EQ(run.root != nullptr, c.result);
  }
  for (const char *operation : {"StorageInfo::RunClaimRules", "StorageInfo::PostClaimRuleRun"}) {
    SCOPED_TRACE(operation);
    UseProfile();
    InjectFault(operation, "", "claiming is suspended");
    EXPECT_EQ(RunCommand("storage core claimrule run").status, CliKit::kExitException);
  }
}

// The default host is settled: every family already holds what claiming would
// give its devices (plug-in, filters, NMP's SATP and PSP).
TEST(ClaimRuleRunTest, TheDefaultHostIsSettled) {
  UseProfile();
  const std::string before = OlkCtl::Sim::CurrentStateJson();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(OlkCtl::Sim::CurrentStateJson(), before);
}

// Filter claiming attaches the Filter-class plug-ins of the matching rules and
// leaves the device's other filters in place.
TEST(ClaimRuleRunTest, FilterRunsFollowTheLoadedFilterRules) {
  UseProfile();
  const std::string runOnDevice =
      std::string("storage core claimrule run -c Filter -t device -d ") + kSymmetrix;
  // On the default host the attached filters already agree with the filter
  // rules, so a run changes nothing and never attaches a plug-in twice.
  const std::vector<std::string> attached = AttachedFilters(kSymmetrix);
  ASSERT_FALSE(attached.empty());
  ASSERT_EQ(attached.back(), "HWAC_FILTER");
  ASSERT_TRUE(Succeeded(RunCommand(runOnDevice)));
  EXPECT_EQ(AttachedFilters(kSymmetrix), attached);

  // Once the rule is gone from the kernel, the next run detaches the plug-in.
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule remove -r 65436 -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand(runOnDevice)));
  EXPECT_EQ(AttachedFilters(kSymmetrix), std::vector<std::string>(attached.begin(), attached.end() - 1));

  // A device rule names the device by any of its UIDs; an MP run registers
  // the claimed devices with their filters too.
  ASSERT_TRUE(Succeeded(RunCommand(std::string("storage core claimrule add -r 400 -t device -d ") +
                                   kSymmetrix + " -P HWAC_FILTER -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load -c Filter")));
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule run")));
  EXPECT_EQ(AttachedFilters(kSymmetrix), attached);
}

TEST(ClaimRuleConvertTest, NothingToConvert) {
  for (const char *options : {"", "-C"}) {
    UseProfile();
    const std::vector<std::string> before = Rules("all");
    auto run = RunCommand(std::string("storage core claimrule convert ") + options);
    EXPECT_EQ(run.errors, std::vector<std::string>{"No /adv/Disk/MaskLUNs config entry to convert!"});
    EXPECT_FALSE(run.root);
    EXPECT_EQ(Rules("all"), before);
  }
}

} // namespace
