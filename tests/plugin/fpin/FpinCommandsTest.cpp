// storage fpin ...: switches, adapters, targets, counters and clearing.
#include "support/TestHost.h"

#include "sim/Store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace TestSupport;

namespace {

bool ConfiguredSwitch() {
  return OlkCtl::Sim::Current().Read()->fpin().enabled;
}

bool FlakyMark(const std::string &adapter, const std::string &wwpn) {
  for (const auto &target : OlkCtl::Sim::Current().Read()->fpin().targets)
    if (target.adapter == adapter && target.wwpn == wwpn)
      return target.flaky;
  ADD_FAILURE() << "no target " << wwpn << " on " << adapter;
  return false;
}

std::string FeatureShown() {
  return Field(Rows(RunCommand("storage fpin info get").root).at(0), "FPIN Feature");
}

// The configured switch is set before the live one; a failure of either
// reports the same prefix, also when disabling, and leaves the other as it was.
TEST(FpinInfoSetTest, SwitchesInOrder) {
  struct Case {
    std::string fault;
    bool configured;
    std::string shown;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"", false, "false", {}},
      {"FpinFcAdapter::SetEnable", true, "true", {"Error enabling FPIN : boom"}},
      {"FpinFcAdapter::SetEnableKsish", false, "true", {"Error enabling FPIN : boom"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.fault);
    UseProfile();
    if (!c.fault.empty())
      InjectFault(c.fault, "", "boom");
    auto run = RunCommand("storage fpin info set -e false");
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(ConfiguredSwitch(), c.configured);
    EXPECT_EQ(FeatureShown(), c.shown);
  }
  UseHostJson(PatchedProfile(R"({"fpin": {"enabled": false, "liveEnabled": false}})"));
  ASSERT_TRUE(Succeeded(RunCommand("storage fpin info set --enabled true")));
  EXPECT_TRUE(ConfiguredSwitch());
  EXPECT_EQ(FeatureShown(), "true");
}

TEST(FpinCommandsTest, HostFailures) {
  struct Case {
    std::string command;
    std::string operation;
    std::string target;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"info get", "StorageFpin::RetrieveFpinGeneralStats", "", "Unable to get FPIN info: boom"},
      {"fc adapter list", "FpinFcAdapter::GetAdapters", "",
       "Failed to list FPIN supported FC adapters: boom"},
      {"fc stats get", "StorageFpin::RetrieveFpinFcStats", "", "Unable to get FPIN FC stats: boom"},
      {"fc event list", "FpinFcAdapter::GetAdapters", "",
       "Failed to list the statistics of FC devices: boom"},
      {"fc event list", "FpinFcAdapter::GetTargets", "olhba3",
       "Failed to list the statistics of FC devices: boom"},
      {"fc clear -a olhba2 -H 21:00:00:24:ff:3d:5a:10 -t 50:06:01:60:46:e0:03:04", "FpinFcAdapter::ClearFpin",
       "olhba2", "Error clearing FPIN: boom"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " on " + c.command);
    UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = RunCommand("storage fpin " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_FALSE(run.root);
  }
}

// target get has no handler of its own: the framework reports the failure.
TEST(FpinCommandsTest, TargetGetLeavesHostFailuresToTheFramework) {
  UseProfile();
  for (const char *adapter : {"olhba4", "olhba9"}) {
    auto run = RunCommand(std::string("storage fpin fc target get -a ") + adapter);
    EXPECT_EQ(run.status, CliKit::kExitException);
    EXPECT_EQ(run.execution.failure,
              std::string("Adapter ") + adapter + " is not an FC adapter that supports FPIN");
  }
  InjectFault("FpinFcAdapter::GetTargets", "olhba2", "boom");
  auto run = RunCommand("storage fpin fc target get -a olhba2");
  EXPECT_EQ(run.status, CliKit::kExitException);
  EXPECT_EQ(run.execution.failure, "boom");
}

// A target still logging in has no WWPN: target get lists it, event list does not.
TEST(FpinCommandsTest, TargetsWithoutWwpnAreNoPairs) {
  UseProfile();
  auto targets = Column(RunCommand("storage fpin fc target get -a olhba3").root, "Target WWPN");
  ASSERT_EQ(targets.size(), 5u);
  EXPECT_EQ(targets.back(), "");
  for (const std::string &wwpn : Column(RunCommand("storage fpin fc event list").root, "Target WWPN"))
    EXPECT_FALSE(wwpn.empty());
}

// The summary is what the listings show, summed.
TEST(FpinCommandsTest, SummaryAgreesWithTheListings) {
  UseProfile();
  auto pairs = Rows(RunCommand("storage fpin fc event list").root);
  const Row stats = Rows(RunCommand("storage fpin fc stats get").root).at(0);
  const std::vector<std::pair<std::string, std::string>> sums = {
      {"Total", "Total Events"},
      {"Congestion", "Congestion Events"},
      {"Peer Congestion", "Peer Congestion Events"},
      {"Link Integrity", "Link Integrity Events"},
      {"Delivery", "Delivery Events"}};
  for (const auto &[column, total] : sums) {
    uint64_t sum = 0;
    for (const Row &pair : pairs)
      sum += std::stoull(Text(pair, column));
    EXPECT_EQ(Text(stats, total), std::to_string(sum)) << total;
  }
  size_t reported = 0;
  for (const Row &pair : pairs)
    reported += Text(pair, "Total") != "0";
  EXPECT_EQ(Text(stats, "FPIN Supported Port Pairs"), std::to_string(pairs.size()));
  EXPECT_EQ(Text(stats, "FPIN Reported Port Pairs"), std::to_string(reported));
  EXPECT_EQ(Text(stats, "FPIN Supported FC HBAs"),
            std::to_string(Rows(RunCommand("storage fpin fc adapter list").root).size()));
}

TEST(FpinCommandsTest, CountsKeepTheirFullRange) {
  UseHostJson(PatchedProfile(R"({"fpin": {"targets": [
      {"adapter": "olhba3", "wwpn": "50:06:01:61:46:e0:03:04", "total": 18446744073709551615,
       "congestion": 4294967295, "peerCongestion": 4294967296, "linkIntegrity": 1, "delivery": 0}]}})"));
  EXPECT_EQ(Lines(RunCommand("storage fpin fc event list").root,
                  {"Adapter WWPN", "Total", "Congestion", "Peer Congestion", "Link Integrity"}),
            std::vector<std::string>{
                "21:00:00:24:ff:3d:5a:11 | 18446744073709551615 | 4294967295 | 4294967296 | 1"});
  const Row stats = Rows(RunCommand("storage fpin fc stats get").root).at(0);
  EXPECT_EQ(Text(stats, "Total Events"), "18446744073709551615");
  EXPECT_EQ(Text(stats, "Congestion Events"), "4294967295");
}

TEST(FpinCommandsTest, EventListOfAdaptersWithoutTargetsIsEmpty) {
  UseHostJson(PatchedProfile(R"({"fpin": {"targets": []}})"));
  auto run = RunCommand("storage fpin fc event list");
  ASSERT_TRUE(RootList(run.root));
  EXPECT_TRUE(Rows(run.root).empty());
  EXPECT_TRUE(run.errors.empty());
}

// Clearing takes the adapter's own port and a target it reaches; an unmarked
// pair is accepted too.
TEST(FpinCommandsTest, ClearTakesTheMarkOffOnePair) {
  const std::string flaky = "50:00:09:73:b8:00:1c:04";
  struct Case {
    std::string options;
    std::string error; // "" when accepted
  };
  const std::vector<Case> cases = {
      {"-a olhba2 -H 21:00:00:24:ff:3d:5a:10 -t 50:06:01:60:46:e0:03:04", ""},
      {"-a olhba2 -H 21000024ff3d5a10 -t 5006016046E00304", ""},
      {"-a olhba2 -H 21:00:00:24:ff:3d:5a:11 -t " + flaky,
       "Error clearing FPIN: Host WWPN 21:00:00:24:ff:3d:5a:11 is not the port of adapter olhba2"},
      {"-a olhba2 -H 21:00:00:24:ff:3d:5a:10 -t 50:00:09:73:b8:00:1c:45",
       "Error clearing FPIN: Target 50:00:09:73:b8:00:1c:45 is not reached by adapter olhba2"},
      {"-a olhba4 -H 20:00:a0:36:9f:3c:2b:01 -t " + flaky,
       "Error clearing FPIN: Adapter olhba4 is not an FC adapter that supports FPIN"},
      {"-H 21:00:00:24:ff:3d:5a:10 -t " + flaky,
       "Error clearing FPIN: Adapter  is not an FC adapter that supports FPIN"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage fpin fc clear " + c.options);
    EXPECT_EQ(run.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(Succeeded(run), c.error.empty());
    EXPECT_TRUE(FlakyMark("olhba2", flaky));
  }
  ASSERT_TRUE(
      Succeeded(RunCommand("storage fpin fc clear -a olhba2 -H 21:00:00:24:ff:3d:5a:10 -t " + flaky)));
  EXPECT_FALSE(FlakyMark("olhba2", flaky));
  EXPECT_TRUE(FlakyMark("olhba2", "50:06:01:6a:46:e0:03:04"));
}

} // namespace
