// storage core claimrule remove, move, load, run and convert.
#include "ClaimRuleTestHelpers.h"

#include <clikit/Cli.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <string>
#include <vector>

using namespace ClaimRuleTests;
using TestSupport::Errors;

namespace {

// "<rule> <side>" of every listed row of a class, in order.
std::vector<std::string> Sides(const std::string &ruleClass) {
  std::vector<std::string> sides;
  for (const RuleRow &row : ListRules(ruleClass))
    sides.push_back(std::to_string(row.rule) + " " + row.side);
  return sides;
}

std::vector<std::string> Without(std::vector<std::string> sides, const std::vector<std::string> &gone) {
  for (const std::string &g : gone)
    std::erase(sides, g);
  return sides;
}

// The "Plugin" a later path list shows for one path.
std::string PathPlugin(const std::string &path) {
  auto run = TestSupport::Run({"storage", "core", "path", "list", "-p", path});
  auto list = run.output ? std::dynamic_pointer_cast<MetaList>(run.output->GetRootObject()) : nullptr;
  if (!list || list->Size() != 1)
    return "<no row for " + path + ">";
  return StringField(std::dynamic_pointer_cast<MetaStruct>(list->GetElements()[0]), "Plugin");
}

// A field of one device as the device list shows it.
std::shared_ptr<MetaStruct> DeviceRow(const std::string &device) {
  auto run = TestSupport::Run({"storage", "core", "device", "list", "-d", device});
  auto list = run.output ? std::dynamic_pointer_cast<MetaList>(run.output->GetRootObject()) : nullptr;
  if (!list || list->Size() != 1)
    return nullptr;
  return std::dynamic_pointer_cast<MetaStruct>(list->GetElements()[0]);
}

std::vector<std::string> AttachedFilters(const std::string &device) {
  std::vector<std::string> names;
  auto row = DeviceRow(device);
  auto list = row ? std::dynamic_pointer_cast<MetaList>(row->GetField("Attached Filters")) : nullptr;
  if (list)
    for (const auto &element : list->GetElements())
      names.push_back(std::dynamic_pointer_cast<MetaString>(element)->GetValue());
  return names;
}

const char *kSymmetrix = "naa.60000970000197600123533030314241";
const char *kDgcLun = "naa.60060160a0b2320089abcdef01234567";

TEST(ClaimRuleRemoveTest, ByRuleOrPlugin) {
  struct Case {
    std::vector<std::string> options;
    std::string ruleClass;
    std::vector<std::string> errors;
    std::vector<std::string> gone; // rows of that class the removal takes away
  };
  const std::vector<Case> cases = {
      {{"-r", "120"}, "MP", {}, {"120 file"}},
      {{"-r", "210"}, "MP", {}, {"210 file"}},
      {{"-r", "60"}, "MP", {}, {"60 runtime"}},
      {{"-r", "65436", "-c", "Filter"}, "Filter", {}, {"65436 file"}},
      {{"-r", "77"}, "MP", {"Error: Unknown ruleId 77\n"}, {}},
      {{"-r", "65436"}, "MP", {"Error: Unknown ruleId 65436\n"}, {}},
      {{"-r", "120", "-P", "MASK_PATH"}, "MP", {"Only one of --rule or --plugin allowed."}, {}},
      {{}, "MP", {"One of --rule or --plugin must be specified."}, {}},
      {{"-P", "HPP"}, "MP", {}, {"50 file", "51 file"}},
      {{"-P", "MASK_PATH", "-c", "MP"}, "MP", {}, {"120 file"}},
      {{"-P", "NOT_USED"}, "MP", {}, {}},
      {{"-P", "hpp"}, "MP", {}, {}},
      {{"-P", "TVX_HWACP_T10", "-c", "HWAC"}, "HWAC", {}, {"65438 file"}},
      {{"-P", "HWAC_FILTER"}, "Filter", {}, {}},
  };
  for (const Case &c : cases) {
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    const std::vector<std::string> before = Sides(c.ruleClass);
    auto run = TestSupport::Run(ClaimRule("remove", c.options));
    EXPECT_EQ(Errors(run), c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(HasRoot(run), c.errors.empty());
    EXPECT_EQ(Sides(c.ruleClass), Without(before, c.gone));
  }
}

TEST(ClaimRuleRemoveTest, HostFailure) {
  TestSupport::UseProfile();
  InjectFault("StorageInfo::RemovePsaClaimRule", "configuration store is read-only");
  auto run = TestSupport::Run(ClaimRule("remove", {"-r", "120"}));
  EXPECT_EQ(Errors(run),
            std::vector<std::string>{"Unable to perform delete operation. configuration store is read-only"});
  EXPECT_FALSE(HasRoot(run));
}

TEST(ClaimRuleMoveTest, RangeChecksAndUnknownIds) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> errors;
    std::vector<std::string> sides; // MP rows afterwards, the system rules left out
  };
  const std::vector<std::string> unchanged = {"60 runtime", "120 runtime", "120 file", "210 file"};
  const std::string range =
      "The new rule id is outside of the public id range (101-65435). Choose a different "
      "rule id or use --force-reserved to force.";
  const std::vector<Case> cases = {
      {{"-r", "120", "-n", "130"}, {}, {"60 runtime", "120 runtime", "130 file", "210 file"}},
      {{"-r", "120", "-n", "101"}, {}, {"60 runtime", "101 file", "120 runtime", "210 file"}},
      {{"-r", "120", "-n", "65435"}, {}, {"60 runtime", "120 runtime", "210 file", "65435 file"}},
      {{"-r", "120", "-n", "100"}, {range}, unchanged},
      {{"-r", "120", "-n", "65436"}, {range}, unchanged},
      {{"-r", "120", "-n", "99", "--force-reserved"},
       {},
       {"60 runtime", "99 file", "120 runtime", "210 file"}},
      {{"-r", "60", "-n", "61", "--force-reserved"},
       {},
       {"61 runtime", "120 runtime", "120 file", "210 file"}},
      {{"-r", "77", "-n", "130"}, {"Error: Unknown ruleId 77"}, unchanged},
      {{"-r", "77", "-n", "5"}, {"Error: Unknown ruleId 77"}, unchanged},
      {{"-r", "120", "-n", "210"},
       {"Error: A claim rule with id 210 already exists in class MP."},
       unchanged},
      {{"-r", "120", "-n", "65436", "-c", "HWAC"}, {"Error: Unknown ruleId 120"}, unchanged},
  };
  for (const Case &c : cases) {
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    auto run = TestSupport::Run(ClaimRule("move", c.options));
    EXPECT_EQ(Errors(run), c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    const std::set<int> system = {0, 1, 2, 3, 4, 50, 51, 65535};
    std::vector<std::string> sides;
    for (const std::string &side : Sides("MP"))
      if (!system.count(std::stoi(side)))
        sides.push_back(side);
    EXPECT_EQ(sides, c.sides);
  }
}

TEST(ClaimRuleLoadTest, LoadingMakesTheKernelSeeTheFile) {
  TestSupport::UseProfile();
  ASSERT_TRUE(Succeeded(
      TestSupport::Run(ClaimRule("add", {"-r", "300", "-t", "driver", "-D", "sas3hba", "-P", "HPP"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(
      ClaimRule("add", {"-r", "301", "-t", "vendor", "-V", "DGC", "-P", "HWAC_FILTER", "-c", "Filter"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("remove", {"-r", "51"}))));
  const std::vector<std::string> filterBefore = Sides("Filter");

  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load"))));
  // MP only: the kernel now holds exactly the file's rules.
  std::vector<std::string> runtime, file;
  for (const RuleRow &row : ListRules("MP"))
    (row.side == "runtime" ? runtime : file).push_back(std::to_string(row.rule));
  EXPECT_EQ(runtime, file);
  EXPECT_EQ(runtime, (std::vector<std::string>{"0", "1", "2", "3", "4", "50", "120", "210", "300", "65535"}));
  EXPECT_EQ(Sides("Filter"), filterBefore) << "other classes are left alone";

  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load", {"-c", "all"}))));
  EXPECT_EQ(Sides("Filter"), (std::vector<std::string>{"301 runtime", "301 file", "65436 runtime",
                                                       "65436 file", "65437 runtime", "65437 file"}));
}

TEST(ClaimRuleLoadTest, HostFailureKeepsItsDoubleBlank) {
  TestSupport::UseProfile();
  InjectFault("StorageInfo::LoadPsaClaimRules", "kernel refused the rules", "Filter");
  auto run = TestSupport::Run(ClaimRule("load", {"-c", "all"}));
  EXPECT_EQ(Errors(run),
            std::vector<std::string>{"Unable to perform add operation.  kernel refused the rules"});
  EXPECT_FALSE(HasRoot(run));
  // MP was loaded before Filter failed: the kernel lost rule 60 and gained 210.
  const std::vector<std::string> mp = Sides("MP");
  EXPECT_EQ(std::count(mp.begin(), mp.end(), "60 runtime"), 0);
  EXPECT_EQ(std::count(mp.begin(), mp.end(), "210 runtime"), 1);
}

// Running the rules re-claims the selected paths by the loaded rules; a later
// path list and device list show the result.
TEST(ClaimRuleRunTest, LocationPathAndAllRunsReclaimPaths) {
  TestSupport::UseProfile();
  ASSERT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP");
  ASSERT_TRUE(Succeeded(TestSupport::Run(
      ClaimRule("add", {"-r", "150", "-t", "location", "-A", "olhba2", "-C", "0", "-L", "1", "-P", "HPP"}))));
  // Only in the file so far: running changes nothing.
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("run"))));
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP");

  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load"))));
  auto run = TestSupport::Run(ClaimRule("run", {"-t", "location", "-A", "olhba2", "-C", "0", "-T", "1"}));
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(PathPlugin("olhba2:C0:T1:L1"), "HPP");
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "NMP") << "outside the location";
  EXPECT_EQ(PathPlugin("olhba3:C0:T1:L1"), "NMP");

  run = TestSupport::Run(ClaimRule("run", {"-t", "path", "-p", "olhba2:C0:T0:L1"}));
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(PathPlugin("olhba2:C0:T0:L1"), "HPP");
  // The device takes the plug-in of its first claimed path.
  auto device = DeviceRow(kDgcLun);
  ASSERT_TRUE(device);
  EXPECT_EQ(StringField(device, "Multipath Plugin"), "HPP");

  // Without the masking rule the masked path is claimed by nothing.
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("remove", {"-r", "120"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load"))));
  ASSERT_EQ(PathPlugin("olhba2:C0:T2:L5"), "MASK_PATH");
  EXPECT_TRUE(Succeeded(TestSupport::Run(ClaimRule("run"))));
  EXPECT_EQ(PathPlugin("olhba2:C0:T2:L5"), "");
  EXPECT_EQ(PathPlugin("olhba3:C0:T0:L1"), "NMP") << "rule 150 names adapter olhba2";
  EXPECT_EQ(PathPlugin("olhba5:C0:T0:L1"), "HPP");
  EXPECT_EQ(PathPlugin("olhba0:C0:T0:L0"), "NMP");
}

TEST(ClaimRuleRunTest, MessagesOfEachBranch) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> errors;
    bool result;
  };
  const std::vector<Case> cases = {
      {{"-t", "location", "-A", "olhba99"}, {"Invalid or unknown SCSI interface name olhba99"}, true},
      {{"-t", "location", "-L", "255"}, {}, true},
      {{"-t", "path"}, {"Missing parameter: --path is required when using the 'path' --type."}, false},
      {{"-t", "path", "-p", "olhba9:C0:T0:L0"},
       {"Error unknown path. A path with the name olhba9:C0:T0:L0 was not found on this system."},
       false},
      {{"-t", "device", "-d", kSymmetrix}, {"Unknown --type: device"}, false},
      {{"-c", "Filter", "-t", "location"}, {"--claimrule-class=Filter can be only used with device."}, false},
      {{"-c", "Filter", "-t", "path", "-p", "olhba2:C0:T0:L1"},
       {"--claimrule-class=Filter can be only used with device."},
       false},
      {{"-c", "Filter", "-t", "device"}, {"Missing --device parameter for --type=device"}, false},
      {{"-c", "Filter", "-t", "device", "-d", "naa.unknown"}, {"Unknown Device name naa.unknown"}, false},
      {{"-c", "Filter", "-t", "device", "-d", kSymmetrix}, {}, true},
      {{"-c", "Filter"}, {}, true},
      {{"-w"}, {}, true},
  };
  for (const Case &c : cases) {
    std::string line;
    for (const std::string &word : c.options)
      line += word + " ";
    SCOPED_TRACE(line);
    TestSupport::UseProfile();
    auto run = TestSupport::Run(ClaimRule("run", c.options));
    EXPECT_EQ(Errors(run), c.errors);
    EXPECT_EQ(Succeeded(run), c.result);
    EXPECT_EQ(HasRoot(run), c.result);
  }
}

// Filter claiming attaches the Filter-class plug-ins of the matching rules and
// leaves the device's other filters in place.
TEST(ClaimRuleRunTest, FilterRunsFollowTheLoadedFilterRules) {
  TestSupport::UseProfile();
  // On the default host the attached filters already agree with the filter
  // rules, so a run changes nothing and never attaches a plug-in twice.
  const std::vector<std::string> attached = AttachedFilters(kSymmetrix);
  ASSERT_FALSE(attached.empty());
  ASSERT_EQ(attached.back(), "HWAC_FILTER");
  const std::vector<std::string> detached(attached.begin(), attached.end() - 1);
  ASSERT_TRUE(
      Succeeded(TestSupport::Run(ClaimRule("run", {"-c", "Filter", "-t", "device", "-d", kSymmetrix}))));
  EXPECT_EQ(AttachedFilters(kSymmetrix), attached);

  // Once the rule is gone from the kernel, the next run detaches the plug-in.
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("remove", {"-r", "65436", "-c", "Filter"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load", {"-c", "Filter"}))));
  ASSERT_TRUE(
      Succeeded(TestSupport::Run(ClaimRule("run", {"-c", "Filter", "-t", "device", "-d", kSymmetrix}))));
  EXPECT_EQ(AttachedFilters(kSymmetrix), detached);

  // A device rule names the device by any of its UIDs; an MP run registers
  // the claimed devices with their filters too.
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule(
      "add", {"-r", "400", "-t", "device", "-d", kSymmetrix, "-P", "HWAC_FILTER", "-c", "Filter"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("load", {"-c", "Filter"}))));
  ASSERT_TRUE(Succeeded(TestSupport::Run(ClaimRule("run"))));
  EXPECT_EQ(AttachedFilters(kSymmetrix), attached);
}

TEST(ClaimRuleRunTest, HostFailuresLeaveTheCommand) {
  for (const char *operation : {"StorageInfo::RunClaimRules", "StorageInfo::PostClaimRuleRun"}) {
    SCOPED_TRACE(operation);
    TestSupport::UseProfile();
    InjectFault(operation, "claiming is suspended");
    auto run = TestSupport::Run(ClaimRule("run"));
    EXPECT_EQ(run.status, CliKit::kExitException);
  }
}

TEST(ClaimRuleConvertTest, NothingToConvert) {
  for (const std::vector<std::string> &options :
       {std::vector<std::string>{}, std::vector<std::string>{"-C"}}) {
    TestSupport::UseProfile();
    const std::vector<RuleRow> before = ListRules();
    auto run = TestSupport::Run(ClaimRule("convert", options));
    EXPECT_EQ(Errors(run), std::vector<std::string>{"No /adv/Disk/MaskLUNs config entry to convert!"});
    EXPECT_FALSE(HasRoot(run));
    EXPECT_EQ(ListRules(), before);
  }
}

} // namespace
