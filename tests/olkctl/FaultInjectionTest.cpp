// Injected faults: which calls they hit, how they count down, and that a file
// host shares the count between processes.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Adv.h>
#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using HostCtl::Lib::HostCtlException;
using OlkCtl::Sim::Fault;

// The error text of a call, or "ok".
std::string Outcome(const std::function<void()> &call) {
  try {
    call();
  } catch (const HostCtlException &e) {
    return e.what();
  }
  return "ok";
}

void GetStorageInfo() {
  HostCtl::HostFactory::GetHost()->GetStorageInfo();
}
std::function<void()> GetOption(const char *group, const char *name) {
  return [group, name] { HostCtl::HostFactory::GetHost()->GetAdvancedOptions()->GetOption(group, name); };
}

struct Call {
  std::function<void()> call;
  std::string outcome;
};

struct FaultCase {
  const char *name;
  std::vector<Fault> faults;
  std::vector<Call> calls;   // made in order
  std::vector<int64_t> left; // `times` of the faults remaining afterwards
};

TEST(FaultInjection, MatchingAndCountingDown) {
  const std::vector<FaultCase> cases = {
      {"EveryCallFailsWhenTimesIsZero",
       {{"Host::GetStorageInfo", "", "adapter driver gone", 0}},
       {{GetStorageInfo, "adapter driver gone"},
        {GetStorageInfo, "adapter driver gone"},
        {GetStorageInfo, "adapter driver gone"}},
       {0}},
      {"CountsDownThenDisappears",
       {{"Host::GetStorageInfo", "", "busy", 2}},
       {{GetStorageInfo, "busy"}, {GetStorageInfo, "busy"}, {GetStorageInfo, "ok"}},
       {}},
      {"PartlyUsed", {{"Host::GetStorageInfo", "", "busy", 3}}, {{GetStorageInfo, "busy"}}, {2}},
      {"TargetMatchesOnlyItsObject",
       {{"AdvancedOptions::GetOption", "/Disk/MaxLUN", "no such option", 1}},
       {{GetOption("Scsi", "LunCleanupInterval"), "ok"},
        {GetOption("Disk", "MaxLUN"), "no such option"},
        {GetOption("Disk", "MaxLUN"), "ok"}},
       {}},
      {"EmptyTargetMatchesEveryObject",
       {{"AdvancedOptions::GetOption", "", "options locked", 0}},
       {{GetOption("Scsi", "LunCleanupInterval"), "options locked"},
        {GetOption("Disk", "MaxLUN"), "options locked"}},
       {0}},
      {"TargetlessCallIsNotHitByATargetedFault",
       {{"Host::GetStorageInfo", "olhba2", "x", 0}},
       {{GetStorageInfo, "ok"}},
       {0}},
      {"OperationMustBeEqualNotAPrefix",
       {{"AdvancedOptions::GetOptions", "", "x", 0}},
       {{GetOption("Disk", "MaxLUN"), "ok"}},
       {0}},
      {"FirstMatchingFaultIsUsedFirst",
       {{"Host::GetStorageInfo", "", "first", 1}, {"Host::GetStorageInfo", "", "second", 1}},
       {{GetStorageInfo, "first"}, {GetStorageInfo, "second"}, {GetStorageInfo, "ok"}},
       {}},
      {"OtherFaultsKeepTheirCount",
       {{"Host::GetSystemInfo", "", "a", 5},
        {"Host::GetStorageInfo", "", "b", 1},
        {"Host::GetHardwareInfo", "", "c", 2}},
       {{GetStorageInfo, "b"}},
       {5, 2}},
  };
  for (const FaultCase &c : cases) {
    SCOPED_TRACE(c.name);
    OlkCtl::Sim::UseHostFromProfile("default");
    for (const Fault &f : c.faults)
      OlkCtl::Sim::AddFault(f);
    for (size_t i = 0; i < c.calls.size(); ++i)
      EXPECT_EQ(Outcome(c.calls[i].call), c.calls[i].outcome) << "call " << i;
    std::vector<int64_t> left;
    for (const Fault &f : OlkCtl::Sim::ListFaults())
      left.push_back(f.times);
    EXPECT_EQ(left, c.left);
  }
}

TEST(FaultInjection, AnOperationNoHostCallChecksIsRefused) {
  OlkCtl::Sim::UseHostFromProfile("default");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Host::GetStorage", "unknown operation \"Host::GetStorage\" (close names: Host::GetStorageInfo)"},
      {"GetRaidInfo", "unknown operation \"GetRaidInfo\" (close names: Lun::GetRaidInfo)"},
      {"Nothing::Like", "unknown operation \"Nothing::Like\" (docs/fault-injection.md lists them)"},
  };
  for (const auto &[operation, message] : cases) {
    EXPECT_EQ(ErrorText<OlkCtl::Sim::UnknownFaultOperation>([&, op = operation] {
                OlkCtl::Sim::AddFault({op, "", "x", 0});
              }),
              message);
  }
  EXPECT_TRUE(OlkCtl::Sim::ListFaults().empty());
}

TEST(FaultInjection, AFileHostSharesTheCountWithOtherProcesses) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  ASSERT_TRUE(OlkCtl::Sim::CreateHostFile(path, "default", false));
  OlkCtl::Sim::UseHostFile(path);
  OlkCtl::Sim::AddFault({"Host::GetStorageInfo", "", "transient", 3});

  EXPECT_EQ(Outcome(GetStorageInfo), "transient");
  // A child uses up the second failure, through the file.
  EXPECT_TRUE(TestSupport::WaitOk(TestSupport::Spawn([] { return Outcome(GetStorageInfo) == "transient"; })));
  ASSERT_EQ(OlkCtl::Sim::ListFaults().size(), 1u);
  EXPECT_EQ(OlkCtl::Sim::ListFaults()[0].times, 1);
  EXPECT_EQ(Outcome(GetStorageInfo), "transient");
  EXPECT_EQ(Outcome(GetStorageInfo), "ok");

  // A fresh reader of the file sees the fault gone.
  OlkCtl::Sim::UseHostFile(path);
  EXPECT_TRUE(OlkCtl::Sim::ListFaults().empty());
}

TEST(FaultInjection, ReadsThatHitNoCountedFaultNeverWrite) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  ASSERT_TRUE(OlkCtl::Sim::CreateHostFile(path, "default", false));
  OlkCtl::Sim::UseHostFile(path);
  OlkCtl::Sim::AddFault({"Host::GetSystemInfo", "", "always", 0});
  const std::string before = TestSupport::ReadFile(path);
  const ino_t inode = TestSupport::Inode(path);

  for (int i = 0; i < 50; ++i) {
    GetStorageInfo();
    GetOption("Disk", "MaxLUN")();
    EXPECT_EQ(Outcome([] { HostCtl::HostFactory::GetHost()->GetSystemInfo(); }), "always");
  }
  // Every write replaces the file, so an unchanged inode means no write.
  EXPECT_EQ(TestSupport::Inode(path), inode);
  EXPECT_EQ(TestSupport::ReadFile(path), before);
}

} // namespace
