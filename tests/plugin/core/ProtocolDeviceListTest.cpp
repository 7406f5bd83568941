// storage core scsi device list, storage core nvme device list.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// Each protocol list shows exactly its own devices of the default host, in
// host order; the core list shows both.
TEST(ProtocolDeviceListTest, SplitsByProtocol) {
  UseProfile();
  struct Case {
    std::string command;
    std::vector<std::string> devices;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"storage core nvme device list",
       {"eui.0025385b71b0d4e1", "eui.3f4a5b6c7d8e9f00", "eui.0025385b71b0d4e2"},
       {}},
      {"storage core scsi device list -o",
       {"naa.5000c500a1b2c3d4", "mpx.olhba1:C0:T0:L0", "naa.60060160a0b2320089abcdef01234567",
        "naa.60000970000197600123533030314241", "naa.600508b1001c5a2e9f0e1d2c3b4a5968",
        "naa.6006016048503200c0e4d3a2b1f0e9d8", "naa.5000cca0b1c2d3e4", "naa.5000c500d4e5f6a7",
        "mpx.olhba0:C0:T4:L0", "naa.624a9370c1d2e3f4a5b6c7d8e9f00001", "naa.5000cca0b1c2e001",
        "naa.5000cca0b1c2e002", "naa.5000cca0b1c2e003", "naa.5000cca0b1c2e004", "naa.5000cca0b1c2e005",
        "naa.5000cca0b1c2e006", "naa.5000cca0b1c2e007"},
       {}},
      // Found, then dropped by the protocol filter: no error.
      {"storage core nvme device list -d naa.5000c500a1b2c3d4", {}, {}},
      {"storage core scsi device list -d eui.0025385b71b0d4e1", {}, {}},
      {"storage core scsi device list -d naa.6006016048503200c0e4d3a2b1f0e9d8 -p",
       {"naa.6006016048503200c0e4d3a2b1f0e9d8"},
       {}},
      {"storage core nvme device list -p", {}, {}},
      {"storage core nvme device list -d naa.unknown", {}, {"Unable to find device with name naa.unknown"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    auto run = RunCommand(c.command);
    ASSERT_TRUE(RootList(run.root));
    EXPECT_EQ(Column(run.root, "Device"), c.devices);
    EXPECT_EQ(run.errors, c.errors);
  }
}

// The NVMe-only facts, and the fields both views take from the core list's rules.
TEST(ProtocolDeviceListTest, NvmeFields) {
  UseProfile();
  const Row row = OnlyRow(RunCommand("storage core nvme device list -d eui.0025385b71b0d4e2").root);
  EXPECT_EQ(Texts(row, "Sub NQNs"),
            (std::vector<std::string>{"nqn.2014-08.com.hexon:nvme:hxp7:s4en1na0123457",
                                      "nqn.2014-08.com.hexon:nvme:hxp7:s4en1na0123458"}));
  EXPECT_EQ(Text(row, "NVMe spec revision"), "2.0");
  EXPECT_TRUE(Flag(row, "Is dispersed namespace"));
  EXPECT_EQ(Texts(row, "Other UIDs"),
            std::vector<std::string>{"olr.0100000000303032353338356237316230643465320000"});
  EXPECT_EQ(Number(row, "IOs with competing worlds"), 32);

  const Row scsi = OnlyRow(RunCommand("storage core scsi device list -d naa.5000c500a1b2c3d4").root);
  EXPECT_TRUE(Flag(scsi, "Is SAS"));
  EXPECT_EQ(Number(scsi, "IOs with competing worlds"), 32);
}

// The protocol test comes before anything else is read: a failing RAID read on
// an NVMe device does not reach the SCSI list, and the other way round.
TEST(ProtocolDeviceListTest, OtherProtocolIsNotRead) {
  UseProfile();
  InjectFault("Lun::GetRaidInfo", "eui.0025385b71b0d4e1", "controller busy");
  EXPECT_TRUE(RunCommand("storage core scsi device list").errors.empty());
  auto run = RunCommand("storage core nvme device list");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Unable to list PSA devices: controller busy"});
  EXPECT_FALSE(run.root);
}

} // namespace
