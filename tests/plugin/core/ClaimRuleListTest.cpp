// storage core claimrule list: match strings, the two sides of a rule and
// their order, class selection, the XCOPY fields, failures and the table view.
#include "ClaimRuleTestHelpers.h"

#include "frame/Registration.h"

#include <clikit/Cli.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace ClaimRuleTests;
using TestSupport::Errors;

namespace {

// The default host with the MP rules replaced by `runtime` and `file`.
std::string HostWithMpRules(const std::string &runtime, const std::string &file = "[]") {
  return TestSupport::PatchedProfile(R"({"claimRules": {"MP": {"runtime": )" + runtime + R"(, "file": )" +
                                     file + "}}}");
}

TEST(ClaimRuleListTest, MatchStringsOfEveryRuleType) {
  struct Case {
    std::string rule; // JSON members after "rule" and "plugin"
    std::string matches;
  };
  const std::vector<Case> cases = {
      {R"("type": "location", "adapter": "olhba1")", "adapter=olhba1 channel=* target=* lun=*"},
      {R"("type": "location", "adapter": "olhba2", "channel": 0, "target": 4096, "lun": 0)",
       "adapter=olhba2 channel=0 target=4096 lun=0"},
      {R"("type": "location", "adapter": "olhba2", "channel": 3, "lun": 255)",
       "adapter=olhba2 channel=3 target=* lun=255"},
      {R"("type": "vendor", "vendor": "A", "model": "B", "nvmeControllerModel": "")",
       "vendor=A model=B pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "vendor": "A", "model": "B")", "vendor=A model=B"},
      {R"("type": "vendor", "vendor": "A")", "vendor=A model="},
      {R"("type": "vendor")", "nvme_controller_model=* pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "nvmeControllerModel": "ABCD*")",
       "nvme_controller_model=ABCD* pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "nvmeControllerModel": "", "pciVendorId": 32902)",
       "nvme_controller_model= pci_vendor_id=0x8086 pci_sub_vendor_id=*"},
      {R"("type": "vendor", "pciVendorId": 2748, "pciSubVendorId": 48879)",
       "nvme_controller_model=* pci_vendor_id=0xabc pci_sub_vendor_id=0xbeef"},
      {R"("type": "vendor", "pciVendorId": 0, "pciSubVendorId": 1)",
       "nvme_controller_model=* pci_vendor_id=0x0 pci_sub_vendor_id=0x1"},
      {R"("type": "vendor", "vendor": "A", "model": "B", "nvmeControllerModel": "XY*")",
       "vendor=A model=B nvme_controller_model=XY* pci_vendor_id=* pci_sub_vendor_id=*"},
      {R"("type": "vendor", "vendor": "A", "pciVendorId": 16)",
       "vendor=A model= nvme_controller_model=* pci_vendor_id=0x10 pci_sub_vendor_id=*"},
      {R"("type": "vendor", "model": "M", "nvmeControllerModel": "", "pciSubVendorId": 4095)",
       "vendor= model=M pci_vendor_id=* pci_sub_vendor_id=0xfff"},
      {R"("type": "driver", "driver": "fcnative")", "driver=fcnative"},
      {R"("type": "device", "device": "naa.60060160a0b2320089abcdef01234567")",
       "device=naa.60060160a0b2320089abcdef01234567"},
      {R"("type": "transport", "transport": "iscsivendor")", "transport=iscsivendor"},
      {R"("type": "target", "transport": "fc", "wwnn": "20:00:00:24:FF:3D:5A:10", "wwpn": "21:00:00:24:ff:3d:5a:10")",
       "transport=fc wwnn=20:00:00:24:ff:3d:5a:10 wwpn=21:00:00:24:ff:3d:5a:10 lun=*"},
      {R"("type": "target", "transport": "fc", "wwnn": "0000000000000001", "wwpn": "0x5006016046e00304", "lun": 7)",
       "transport=fc wwnn=00:00:00:00:00:00:00:01 wwpn=50:06:01:60:46:e0:03:04 lun=7"},
      {R"("type": "target", "transport": "iscsi", "iqn": "iqn.1998-01.org.example:disk1")",
       "transport=iscsi iqn=iqn.1998-01.org.example:disk1 lun=*"},
      {R"("type": "target", "transport": "iscsi", "iqn": "iqn.1998-01.org.example:disk1", "lun": 0)",
       "transport=iscsi iqn=iqn.1998-01.org.example:disk1 lun=0"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.rule);
    TestSupport::UseHostJson(HostWithMpRules(R"([{"rule": 300, "plugin": "NMP", )" + c.rule + "}]"));
    auto rows = ListRules("MP");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].matches, c.matches);
  }
}

// Rules come in ID order; a rule on both sides gives its runtime row first,
// and each row shows its own side's values.
TEST(ClaimRuleListTest, RuntimeAndFileRowsInRuleOrder) {
  TestSupport::UseHostJson(HostWithMpRules(
      R"([{"rule": 40, "type": "transport", "transport": "fc", "plugin": "NMP"},
          {"rule": 20, "type": "driver", "driver": "fcnative", "plugin": "NMP"},
          {"rule": 10, "type": "transport", "transport": "sas", "plugin": "NMP"}])",
      R"([{"rule": 30, "type": "driver", "driver": "sas3hba", "plugin": "HPP"},
          {"rule": 40, "type": "transport", "transport": "fcoe", "plugin": "HPP", "configString": "pss=FIXED"},
          {"rule": 10, "type": "transport", "transport": "sas", "plugin": "NMP"}])"));
  EXPECT_EQ(ListRules("MP"), (std::vector<RuleRow>{
                                 Row("MP", 10, "runtime", "transport", "NMP", "transport=sas"),
                                 Row("MP", 10, "file", "transport", "NMP", "transport=sas"),
                                 Row("MP", 20, "runtime", "driver", "NMP", "driver=fcnative"),
                                 Row("MP", 30, "file", "driver", "HPP", "driver=sas3hba"),
                                 Row("MP", 40, "runtime", "transport", "NMP", "transport=fc"),
                                 Row("MP", 40, "file", "transport", "HPP", "transport=fcoe", "pss=FIXED"),
                             }));
}

// No class lists MP only; "all" lists the classes in the host's order.
TEST(ClaimRuleListTest, ClassSelection) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> classes; // of the rows, in order, without repeats
    size_t rows;
  };
  const std::vector<Case> cases = {
      {{}, {"MP"}, 20},
      {{"-c", "MP"}, {"MP"}, 20},
      {{"-c", "Filter"}, {"Filter"}, 4},
      {{"-c", "HWAC"}, {"HWAC"}, 6},
      {{"-c", "all"}, {"MP", "Filter", "HWAC"}, 30},
  };
  TestSupport::UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options.empty() ? "(no class)" : c.options[1]);
    auto run = TestSupport::Run(ClaimRule("list", c.options));
    ASSERT_TRUE(Errors(run).empty());
    auto rows = RowsOf(run);
    EXPECT_EQ(rows.size(), c.rows);
    std::vector<std::string> classes;
    for (const RuleRow &row : rows)
      if (classes.empty() || classes.back() != row.ruleClass)
        classes.push_back(row.ruleClass);
    EXPECT_EQ(classes, c.classes);
  }
}

// The default host shows a rule only in the file and one only loaded.
TEST(ClaimRuleListTest, DefaultHostHasRowsOfBothKinds) {
  TestSupport::UseProfile();
  std::vector<RuleRow> mp = ListRules("MP");
  std::vector<std::string> sides;
  for (const RuleRow &row : mp)
    if (row.rule == 60 || row.rule == 120 || row.rule == 210)
      sides.push_back(std::to_string(row.rule) + " " + row.side);
  EXPECT_EQ(sides, (std::vector<std::string>{"60 runtime", "120 runtime", "120 file", "210 file"}));
  EXPECT_EQ(mp.back(), Row("MP", 65535, "file", "vendor", "NMP", "vendor=* model=*"));
}

// XCOPY fields belong to HWAC rules, and only to those that use the array's
// values; without a KiB size the MB size is shown in KiB.
TEST(ClaimRuleListTest, XcopyFieldsOnlyForHwacRulesUsingArrayValues) {
  const std::string xcopy =
      R"("xcopyUseArrayValues": true, "xcopyUseMultiSegs": true, "xcopyMaxTransferSize": 3,
                               "xcopyMaxTransferSizeKiB": 0, "extendedXcopySupport": true)";
  TestSupport::UseHostJson(TestSupport::PatchedProfile(
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
  EXPECT_EQ(ListRules("MP"),
            (std::vector<RuleRow>{Row("MP", 500, "runtime", "vendor", "NMP", "vendor=A model=B")}));
  EXPECT_EQ(ListRules("HWAC"),
            (std::vector<RuleRow>{
                HwacRow(501, "runtime", "TVX_HWACP_T10", "vendor=A model=B", true, true, 3, 3072, true),
                HwacRow(502, "runtime", "TVX_HWACP_T10", "vendor=A model=B", false, false, 0, 0),
                HwacRow(503, "runtime", "TVX_HWACP_T10", "vendor=A model=B", true, false, 3, 9),
            }));
}

TEST(ClaimRuleListTest, HostFailuresReplaceTheList) {
  struct Case {
    std::string operation;
    std::string target;
  };
  const std::vector<Case> cases = {
      {"StorageInfo::GetPsaClaimRuleClasses", ""},
      {"StorageInfo::GetPsaClaimRules", "MP"},
      {"ConfigFile::Lock", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    TestSupport::UseProfile();
    InjectFault(c.operation, "configuration store unavailable", c.target);
    auto run = TestSupport::Run(ClaimRule("list"));
    EXPECT_EQ(Errors(run),
              std::vector<std::string>{"Unable to list claimrules. configuration store unavailable"});
    EXPECT_FALSE(HasRoot(run));
  }
  // A failure for a class that is not listed does not matter.
  TestSupport::UseProfile();
  InjectFault("StorageInfo::GetPsaClaimRules", "broken", "HWAC");
  EXPECT_EQ(RowsOf(TestSupport::Run(ClaimRule("list"))).size(), 20u);
  EXPECT_EQ(Errors(TestSupport::Run(ClaimRule("list", {"-c", "all"}))),
            std::vector<std::string>{"Unable to list claimrules. broken"});
}

// The table view shows the default fields, in their order, as columns.
TEST(ClaimRuleListTest, TableColumnsAreTheDefaultFields) {
  TestSupport::UseProfile();
  auto root = CliKit::AutoCli::Namespace::New();
  AutoCli_RegisterNamespaces(root);
  CliKit::Cli cli(root);
  std::ostringstream out, err;
  std::istringstream in;
  CliKit::Terminal terminal;
  terminal.in = &in;
  terminal.out = &out;
  terminal.err = &err;
  ASSERT_EQ(cli.Run({"storage", "core", "claimrule", "list"}, terminal), 0) << err.str();
  std::string header = out.str().substr(0, out.str().find('\n'));
  std::vector<std::string> columns;
  std::regex separator("\\s{2,}");
  for (std::sregex_token_iterator it(header.begin(), header.end(), separator, -1), end; it != end; ++it)
    if (!it->str().empty())
      columns.push_back(*it);
  EXPECT_EQ(columns, (std::vector<std::string>{"Rule Class", "Rule", "Class", "Type", "Plugin", "Matches",
                                               "XCOPY Use Array Reported Values",
                                               "XCOPY Use Multiple Segments", "XCOPY Max Transfer Size KiB",
                                               "Config String", "Extended XCOPY Support"}));
}

} // namespace
