// storage filesystem ...: the list, the unmount sequence with its datastore
// notifications, and what mount, unmount, automount and rescan change.
#include "support/TestHost.h"

#include "sim/Store.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace TestSupport;

namespace {

const char *kScript = "/usr/lib/tarvex/hmgrd/bin/notifyDatastore.py";

// The notifications the commands sent since the last call, as "TYPE <names>";
// fails the test for any other shell command.
std::vector<std::string> TakeNotifications() {
  std::vector<std::string> out;
  const std::string prefix = std::string(kScript) + " -t ";
  for (const ShellCall &call : TakeShellCalls()) {
    EXPECT_EQ(call.command.rfind(prefix, 0), 0u) << call.command;
    EXPECT_EQ(call.status, 0) << call.command;
    const std::string rest = call.command.substr(prefix.size());
    const std::size_t blank = rest.find(' ');
    EXPECT_EQ(rest.substr(blank), " -i stdin") << call.command;
    out.push_back(rest.substr(0, blank) + " <" + call.input + ">");
  }
  return out;
}

// What the simulated daemon recorded, oldest first.
std::vector<std::string> RecordedNotifications() {
  std::vector<std::string> out;
  for (const OlkCtl::Sim::NotificationRecord &n : OlkCtl::Sim::Current().Read()->volumes().notifications)
    out.push_back(n.type + " <" + n.names + ">");
  return out;
}

std::vector<std::string> Mounted() {
  std::vector<std::string> names;
  for (const Row &row : Rows(RunCommand("storage filesystem list").root))
    if (Flag(row, "Mounted"))
      names.push_back(Text(row, "Volume Name"));
  return names;
}

bool IsMounted(const std::string &label) {
  for (const std::string &name : Mounted())
    if (name == label)
      return true;
  return false;
}

} // namespace

TEST(FilesystemCommandsTest, ListReadsFreeAsCapacityMinusUsedAndSkipsUnreadableVolumes) {
  UseHostJson(PatchedProfile(R"({"volumes": {"volumes": [
      {"uuid": "u-1", "label": "a", "majorVersion": 4, "capacity": 1000, "used": 1300,
       "extents": [{"device": "naa.5000c500a1b2c3d4", "partition": 3}]},
      {"uuid": "u-2", "label": "b", "type": "NFS", "capacity": 10, "used": 3},
      {"uuid": "u-3", "label": "c", "type": "vfat", "capacity": 7, "mounted": false}]}})"));
  EXPECT_EQ(
      Lines(RunCommand("storage filesystem list").root, {"Volume Name", "Type", "Size", "Free", "Mounted"}),
      (std::vector<std::string>{"a | OLFS-unknown version | 1000 | -300 | true", "b | NFS | 10 | 7 | true",
                                "c | vfat | 7 | 7 | false"}));

  InjectFault("FileSystem::GetCapacity", "b", "disk gone");
  auto run = RunCommand("storage filesystem list");
  EXPECT_EQ(Column(run.root, "Volume Name"), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(run.errors,
            std::vector<std::string>{
                "Error getting data for filesystem on '/olfs/volumes/u-2': disk gone, skipping."});
  run = RunCommand("storage filesystem list -i");
  EXPECT_EQ(Column(run.root, "Volume Name"), (std::vector<std::string>{"a", "c"}));
  EXPECT_TRUE(run.errors.empty());
  run = RunCommand("storage filesystem list -u u-3");
  EXPECT_EQ(Column(run.root, "Volume Name"), std::vector<std::string>{"c"});

  InjectFault("StorageInfo::GetFileSystems", "", "volume scan failed");
  run = RunCommand("storage filesystem list");
  EXPECT_EQ(run.errors, std::vector<std::string>{"volume scan failed"});
  EXPECT_FALSE(run.root);
}

TEST(FilesystemCommandsTest, UnmountNotifiesBeforeAndAfterAFailure) {
  struct Case {
    std::string options;
    std::string fault; // operation failing on every volume
    std::vector<std::string> errors;
    std::vector<std::string> notifications;
    bool result;
  };
  const std::vector<Case> cases = {
      {"-l san-ds-01", "", {}, {"PreUnmount <san-ds-01>"}, true},
      {"-p /olfs/volumes/BOOTBANK2", "", {}, {"PreUnmount <BOOTBANK2>"}, true},
      {"-l datastore1",
       "",
       {"Volume 'datastore1' cannot be unmounted. Reason: Busy"},
       {"PreUnmount <datastore1>", "FailedUnmount <datastore1>"},
       false},
      {"-u 6571c3a2-8f0b4e12-3d9a-0050569a1b2c",
       "",
       {"Volume '6571c3a2-8f0b4e12-3d9a-0050569a1b2c' cannot be unmounted. Reason: Busy"},
       {"PreUnmount <datastore1>", "FailedUnmount <datastore1>"},
       false},
      {"-l san-ds-01",
       "FileSystem::Unmount",
       {"injected"},
       {"PreUnmount <san-ds-01>", "FailedUnmount <san-ds-01>"},
       false},
      {"-l san-ds-01", "FileSystem::PrepareForUnmount", {"injected"}, {"FailedUnmount <san-ds-01>"}, false},
      {"-l san-ds-01", "StorageInfo::SignalIORM", {"injected"}, {"FailedUnmount <san-ds-01>"}, false},
      // A failing look-up is not an unmount that failed.
      {"-l san-ds-01", "StorageInfo::GetFileSystemByLabel", {"injected"}, {}, false},
      {"-a",
       "",
       {"Volume 'datastore1' cannot be unmounted. Reason: Busy"},
       {"PreUnmount <datastore1,san-ds-01,ats-ds-05,legacy-ds,future-ds>", "FailedUnmount <datastore1>"},
       true},
      // -a names the volume in its Busy message and goes on after every failure.
      {"-a -l nosuch",
       "FileSystem::Unmount",
       {"injected", "injected", "injected", "injected", "injected"},
       {"PreUnmount <datastore1,san-ds-01,ats-ds-05,legacy-ds,future-ds>", "FailedUnmount <datastore1>",
        "FailedUnmount <san-ds-01>", "FailedUnmount <ats-ds-05>", "FailedUnmount <legacy-ds>",
        "FailedUnmount <future-ds>"},
       true},
      {"-a",
       "FileSystem::PrepareForUnmount",
       {"injected", "injected", "injected", "injected", "injected"},
       {"PreUnmount <>"},
       true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options + " " + c.fault);
    UseProfile();
    if (!c.fault.empty())
      InjectFault(c.fault, "", "injected");
    auto run = RunCommand("storage filesystem unmount " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(TakeNotifications(), c.notifications);
    EXPECT_EQ(RecordedNotifications(), c.notifications);
    EXPECT_EQ(Succeeded(run), c.result);
  }
}

TEST(FilesystemCommandsTest, UnmountAllWithNothingMountedStillNotifiesOnce) {
  UseHostJson(PatchedProfile(R"({"volumes": {"volumes": [
      {"uuid": "u-1", "label": "a", "mounted": false,
       "extents": [{"device": "naa.5000c500a1b2c3d4", "partition": 3}]}]}})"));
  auto run = RunCommand("storage filesystem unmount -a");
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(TakeNotifications(), std::vector<std::string>{"PreUnmount <>"});
}

TEST(FilesystemCommandsTest, PersistentUnmountKeepsAutomountAway) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -l san-ds-01")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -n -l ats-ds-05")));
  EXPECT_FALSE(IsMounted("san-ds-01"));
  EXPECT_FALSE(IsMounted("raid-ds"));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem automount")));
  EXPECT_FALSE(IsMounted("san-ds-01")) << "explicitly unmounted";
  EXPECT_FALSE(IsMounted("archive-ds")) << "explicitly unmounted";
  EXPECT_TRUE(IsMounted("ats-ds-05")) << "unmounted for now only";
  EXPECT_TRUE(IsMounted("raid-ds"));

  // Mounting clears the mark.
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem mount -l archive-ds")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -n -l archive-ds")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem automount")));
  EXPECT_TRUE(IsMounted("archive-ds"));

  InjectFault("StorageInfo::AutoFullMountVolumes", "", "automount refused");
  auto run = RunCommand("storage filesystem automount");
  EXPECT_EQ(run.errors, std::vector<std::string>{"automount refused"});
  EXPECT_FALSE(run.root);
}

TEST(FilesystemCommandsTest, MountFallsBackToTheVolumeOnlyWhenTheHostCouldNotMount) {
  UseProfile();
  InjectFault("FileSystem::Mount", "", "mount refused");
  // TryMount mounts it: the volume's own mount is never reached.
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem mount -n -l raid-ds")));
  EXPECT_TRUE(IsMounted("raid-ds"));

  UseProfile();
  InjectFault("StorageInfo::TryMount", "raid-ds", "host busy");
  auto run = RunCommand("storage filesystem mount -l raid-ds");
  EXPECT_EQ(run.errors, std::vector<std::string>{"host busy"});
  EXPECT_FALSE(IsMounted("raid-ds"));
}

TEST(FilesystemCommandsTest, RescanFindsVolumesOnDevicesThatAppeared) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem rescan")));
  EXPECT_FALSE(IsMounted("iscsi-ds")) << "its device is not discovered yet";
  ASSERT_TRUE(Succeeded(RunCommand("storage core adapter rescan -A olhba64 -t add")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem rescan")));
  EXPECT_TRUE(IsMounted("iscsi-ds"));

  InjectFault("StorageInfo::RescanOlfs", "", "scan failed");
  auto run = RunCommand("storage filesystem rescan");
  EXPECT_EQ(run.errors, std::vector<std::string>{"scan failed"});
  EXPECT_FALSE(run.root);
}

TEST(FilesystemCommandsTest, AMountedVolumeKeepsTheLastPathOfItsDeviceOn) {
  const std::string setOff = "storage core path set -p olhba6:C2:T0:L0 --state off";
  UseProfile();
  EXPECT_TRUE(Succeeded(RunCommand(setOff))) << "no mounted volume on the RAID volume yet";

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem mount -l raid-ds")));
  auto run = RunCommand(setOff);
  EXPECT_FALSE(Succeeded(run));
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_NE(run.errors[0].find("the device is in use"), std::string::npos) << run.errors[0];

  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -l raid-ds")));
  EXPECT_TRUE(Succeeded(RunCommand(setOff)));
}

TEST(FilesystemCommandsTest, TheDaemonKeepsTheNewestNotifications) {
  UseProfile();
  for (int i = 0; i < 16; ++i)
    RunCommand("storage filesystem unmount -l datastore1");
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -l BOOTBANK1")));
  const std::vector<std::string> kept = RecordedNotifications();
  ASSERT_EQ(kept.size(), 32u);
  EXPECT_EQ(kept.front(), "FailedUnmount <datastore1>") << "the oldest PreUnmount went";
  EXPECT_EQ(kept.back(), "PreUnmount <BOOTBANK1>");
}
