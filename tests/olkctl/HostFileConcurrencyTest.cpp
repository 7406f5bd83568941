// Many processes changing one host file: no change is lost, and a writer
// killed at any moment leaves a whole file behind.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Adv.h>
#include <hostctl/Host.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using HostCtl::Adv::AdvancedIntegerOption;

// A small host keeps the test about the file handling rather than parsing.
const char *const kHost = R"({"schemaVersion": 1, "system": {"advancedOptions": {"Disk": {
    "MaxLUN": {"value": 1024, "default": 1024, "min": 1, "max": 16384, "description": "Highest LUN"}}}}})";

int64_t MaxLun() {
  auto option = HostCtl::HostFactory::GetHost()->GetAdvancedOptions()->GetOption("Disk", "MaxLUN");
  return dynamic_cast<AdvancedIntegerOption &>(*option).GetValue();
}

// Read, add one, write: atomic only because the exclusive lock is held.
void IncrementMaxLun() {
  OlkCtl::Sim::HostLockGuard lock(true);
  auto option = HostCtl::HostFactory::GetHost()->GetAdvancedOptions()->GetOption("Disk", "MaxLUN");
  auto &integer = dynamic_cast<AdvancedIntegerOption &>(*option);
  integer.SetValue(integer.GetValue() + 1);
}

TEST(HostFileConcurrency, NoChangeIsLostBetweenProcesses) {
  constexpr int kProcesses = 16;
  constexpr int kChanges = 20;
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  TestSupport::WriteFile(path, kHost);
  OlkCtl::Sim::UseHostFile(path);

  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p)
    children.push_back(TestSupport::Spawn([p] {
      for (int i = 0; i < kChanges; ++i) {
        if (i % 2 == 0)
          IncrementMaxLun();
        else // a single change is atomic by itself, with no lock of the caller
          OlkCtl::Sim::AddFault(
              {"PsaClaimRule::Move", "p" + std::to_string(p) + "-" + std::to_string(i), "x", 1});
      }
      return true;
    }));
  for (pid_t child : children)
    EXPECT_TRUE(TestSupport::WaitOk(child));

  EXPECT_EQ(MaxLun(), 1024 + kProcesses * kChanges / 2);
  std::set<std::string> targets;
  for (const OlkCtl::Sim::Fault &f : OlkCtl::Sim::ListFaults())
    targets.insert(f.target);
  EXPECT_EQ(targets.size(), static_cast<size_t>(kProcesses * kChanges / 2));
  EXPECT_EQ(targets.count("p0-1") + targets.count("p15-19"), 2u);
}

TEST(HostFileConcurrency, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewState) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  TestSupport::WriteFile(path, kHost);
  OlkCtl::Sim::UseHostFile(path);
  // A bigger file makes a kill in the middle of a write more likely.
  for (int i = 0; i < 100; ++i)
    OlkCtl::Sim::AddFault({"PsaClaimRule::Move", "t" + std::to_string(i), std::string(400, 'p'), 0});

  std::mt19937 random(20240611);
  std::uniform_int_distribution<long> delayNs(0, 30'000'000);
  int64_t last = MaxLun();
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    pid_t writer = TestSupport::Spawn([&] {
      // Tell the parent once the first change is in, then keep changing.
      IncrementMaxLun();
      if (::write(started[1], "x", 1) != 1)
        return false;
      for (;;)
        IncrementMaxLun();
      return true;
    });
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    ::close(started[0]);
    ::close(started[1]);
    timespec pause{0, delayNs(random)};
    ::nanosleep(&pause, nullptr);
    ::kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status));

    // The file is whole and valid, and holds some state the writer completed.
    ASSERT_NO_THROW(OlkCtl::Sim::CheckHostFile(path));
    OlkCtl::Sim::UseHostFile(path);
    int64_t now = MaxLun();
    EXPECT_GT(now, last);
    last = now;
    EXPECT_EQ(OlkCtl::Sim::ListFaults().size(), 100u);
  }
}

} // namespace

namespace {

TEST(HostFileLocking, ReadsWorkWithoutALockFileButChangesNeedIt) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  TestSupport::WriteFile(path, kHost);
  // The lock file cannot be created: its name leads into a missing directory.
  ASSERT_EQ(::symlink(dir.File("missing/host.json.lock").c_str(), (path + ".lock").c_str()), 0);

  OlkCtl::Sim::UseHostFile(path);
  EXPECT_EQ(MaxLun(), 1024);
  EXPECT_EQ(ErrorText<OlkCtl::Sim::StateError>([] {
              OlkCtl::Sim::AddFault({"PsaClaimRule::Move", "", "x", 0});
            }),
            path + ": cannot create the lock file " + path + ".lock: No such file or directory");
  EXPECT_EQ(TestSupport::ReadFile(path), kHost);
}

TEST(HostFileLocking, AGuardKeepsItsHostWhenAnotherBecomesCurrent) {
  TestSupport::TempDir dir;
  const std::string first = dir.File("first.json");
  TestSupport::WriteFile(first, kHost);
  OlkCtl::Sim::UseHostFile(first);
  auto guard = std::make_unique<OlkCtl::Sim::HostLockGuard>(true);
  OlkCtl::Sim::UseHostFromJson(kHost);
  // The first host stays locked by the guard: another process cannot change it.
  pid_t child = TestSupport::Spawn([&] {
    OlkCtl::Sim::UseHostFile(first);
    OlkCtl::Sim::AddFault({"PsaClaimRule::Move", "", "x", 0});
    return true;
  });
  timespec pause{0, 200'000'000};
  ::nanosleep(&pause, nullptr);
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0);
  guard.reset();
  EXPECT_TRUE(TestSupport::WaitOk(child));
  OlkCtl::Sim::UseHostFile(first);
  EXPECT_EQ(OlkCtl::Sim::ListFaults().size(), 1u);
}

} // namespace
