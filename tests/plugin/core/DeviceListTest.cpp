// storage core device list: selection and the data it derives from the host.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// A host with one adapter of each transport the classification cares about;
// `devices` and `paths` are JSON arrays.
std::string TransportHost(const std::string &devices, const std::string &paths = "[]",
                          const std::string &bootDevice = "mpx.usb0:C0:T0:L0") {
  return R"({"schemaVersion": 1, "system": {"hostName": "t", "bootDevice": ")" + bootDevice + R"("},
    "adapters": [{"name": "sas0", "transport": "sas"}, {"name": "sas1", "transport": "sas"},
                 {"name": "usb0", "transport": "usb"}, {"name": "fc0", "transport": "fc"}],
    "devices": )" +
         devices + R"(, "paths": )" + paths + "}";
}

std::string Path(const std::string &runtimeName, const std::string &device) {
  const std::string adapter = runtimeName.substr(0, runtimeName.find(':'));
  return R"({"uid": "u-)" + runtimeName + R"(", "runtimeName": ")" + runtimeName + R"(", "device": ")" +
         device + R"(", "adapter": ")" + adapter + R"(", "plugin": "NMP"})";
}

// The one row of a device list on a host holding only `device` (JSON members after its name).
Row DeviceRow(const std::string &members) {
  UseHostJson(TransportHost(R"([{"name": "naa.d", )" + members + "}]"));
  auto run = RunCommand("storage core device list");
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  return OnlyRow(run.root);
}

// The transcripts show the whole default list and its filters; these are the
// look-ups they do not.
TEST(DeviceListTest, LookUpByName) {
  UseProfile();
  struct Case {
    std::string options;
    std::vector<std::string> devices;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      // Any UID of the device finds it; the row shows the canonical name.
      {"-d olr.02000000005000c500a1b2c3d4485831323030", {"naa.5000c500a1b2c3d4"}, {}},
      {"-d naa.6000097000019760012353303031ffff -o",
       {},
       {"Unable to find device with name naa.6000097000019760012353303031ffff"}},
      {"-d NAA.5000C500A1B2C3D4", {}, {"Unable to find device with name NAA.5000C500A1B2C3D4"}},
      {"-d naa.5000c500a1b2c3d4 --pe-only", {}, {}},
      {"-d naa.6006016048503200c0e4d3a2b1f0e9d8 --pe-only", {"naa.6006016048503200c0e4d3a2b1f0e9d8"}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core device list " + c.options);
    ASSERT_TRUE(RootList(run.root)) << "the list is set even when nothing was found";
    EXPECT_EQ(Column(run.root, "Device"), c.devices);
    EXPECT_EQ(run.errors, c.errors);
  }
}

// Transport classes: every path through SAS adapters, or every path through
// USB adapters; anything else, or an offline device, is neither.
TEST(DeviceListTest, TransportClassification) {
  struct Case {
    std::string name;
    std::vector<std::string> paths;
    bool offline;
    bool local;
    bool sas, usb, localSas;
  };
  const std::vector<Case> cases = {
      {"sas only", {"sas0:C0:T0:L0"}, false, true, true, false, true},
      {"two sas adapters", {"sas0:C0:T0:L0", "sas1:C0:T0:L0"}, false, false, true, false, false},
      {"sas then fc", {"sas0:C0:T0:L0", "fc0:C0:T0:L0"}, false, true, false, false, false},
      {"fc then sas", {"fc0:C0:T0:L0", "sas0:C0:T0:L0"}, false, true, false, false, false},
      {"usb only", {"usb0:C0:T0:L0"}, false, true, false, true, false},
      {"usb then sas", {"usb0:C0:T0:L0", "sas0:C0:T0:L0"}, false, true, false, false, false},
      {"offline sas", {"sas0:C0:T0:L0"}, true, true, false, false, false},
      {"no path", {}, false, true, false, false, false},
      {"unknown adapter", {"gone7:C0:T0:L0"}, false, true, false, false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string paths = "[";
    for (const std::string &runtimeName : c.paths)
      paths += (paths.size() > 1 ? "," : "") + Path(runtimeName, "naa.d");
    UseHostJson(TransportHost(std::string(R"([{"name": "naa.d", "offline": )") +
                                  (c.offline ? "true" : "false") + R"(, "local": )" +
                                  (c.local ? "true" : "false") + "}]",
                              paths + "]"));
    auto row = OnlyRow(RunCommand("storage core device list").root);
    EXPECT_EQ(Flag(row, "Is SAS"), c.sas);
    EXPECT_EQ(Flag(row, "Is USB"), c.usb);
    EXPECT_EQ(Flag(row, "Is Local SAS Device"), c.localSas);
  }
}

TEST(DeviceListTest, BootUsbDeviceNeedsBothBootAndUsb) {
  struct Case {
    std::string device;
    std::string path;
    std::string boot;
    bool isBoot, bootUsb;
  };
  const std::vector<Case> cases = {
      {"mpx.usb0:C0:T0:L0", "usb0:C0:T0:L0", "mpx.usb0:C0:T0:L0", true, true},
      {"mpx.usb0:C0:T0:L0", "usb0:C0:T0:L0", "naa.other", false, false},
      {"naa.sasboot", "sas0:C0:T0:L0", "naa.sasboot", true, false},
      // The boot device name is compared exactly.
      {"mpx.usb0:C0:T0:L0", "usb0:C0:T0:L0", "MPX.usb0:C0:T0:L0", false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device + " boot " + c.boot);
    UseHostJson(
        TransportHost(R"([{"name": ")" + c.device + R"("}])", "[" + Path(c.path, c.device) + "]", c.boot));
    auto row = OnlyRow(RunCommand("storage core device list").root);
    EXPECT_EQ(Flag(row, "Is Boot Device"), c.isBoot);
    EXPECT_EQ(Flag(row, "Is Boot USB Device"), c.bootUsb);
  }
}

TEST(DeviceListTest, DataIntegrityTexts) {
  struct Case {
    uint32_t guardMask;
    bool dix;
    uint32_t protectionMask;
    std::vector<std::string> guards;
    std::string dixGuard;
    std::string protection;
  };
  const std::vector<Case> cases = {
      {3, true, 0x0A, {"IP", "CRC"}, "IP", " T2 T0+DIX"},
      {0, false, 0x80, {"NO GUARD SUPPORT"}, "NO GUARD SUPPORT", "NO PROTECTION"},
      {0, true, 0, {"NO GUARD SUPPORT"}, "CRC", "NO PROTECTION"},
      {1, true, 0x01, {"CRC"}, "CRC", "T1"},
      {3, false, 0x7F, {"IP", "CRC"}, "NO GUARD SUPPORT", "T1 T2 T3 T0+DIX T1+DIX T2+DIX T3+DIX"},
      {4, false, 0x84, {"NO GUARD SUPPORT"}, "NO GUARD SUPPORT", " T3"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("guard " + std::to_string(c.guardMask) + " protection " + std::to_string(c.protectionMask));
    auto row =
        DeviceRow(R"("guardTypeMask": )" + std::to_string(c.guardMask) + R"(, "dixEnabled": )" +
                  (c.dix ? "true" : "false") + R"(, "protectionMask": )" + std::to_string(c.protectionMask));
    EXPECT_EQ(Texts(row, "Supported Guard Types"), c.guards);
    EXPECT_EQ(Text(row, "DIX Guard Type"), c.dixGuard);
    EXPECT_EQ(Text(row, "PI Protection Mask"), c.protection);
    EXPECT_EQ(Flag(row, "DIX Enabled"), c.dix);
  }
}

// Fields the command derives from codes, sizes and combinations of flags.
TEST(DeviceListTest, DerivedFields) {
  struct Case {
    std::string device; // members added to {"name": "naa.d"}
    std::string field;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {R"("thinProvisioning": 1)", "Thin Provisioning Status", "yes"},
      {R"("thinProvisioning": 0)", "Thin Provisioning Status", "no"},
      {R"("thinProvisioning": -1)", "Thin Provisioning Status", "unknown"},
      {R"("size": 1048575)", "Size", "0"},
      {R"("size": 1048576)", "Size", "1"},
      {R"("size": 2199023255552)", "Size", "2097152"},
      {R"("local": false, "notShared": false)", "Is Shared Clusterwide", "true"},
      {R"("local": false, "notShared": true)", "Is Shared Clusterwide", "false"},
      {R"("local": true, "notShared": false)", "Is Shared Clusterwide", "false"},
      {R"("protocol": 0, "emulatedDixDif": true)", "Emulated DIX/DIF Enabled", "true"},
      {R"("protocol": 1, "emulatedDixDif": true)", "Emulated DIX/DIF Enabled", "false"},
      {R"("uids": ["naa.d", "olr.0200"], "filters": ["f1", "f0"])", "Other UIDs", "olr.0200"},
      {R"("uids": ["naa.d", "olr.0200"], "filters": ["f1", "f0"])", "Attached Filters", "f1, f0"},
      // Only the first host identifier counts, and never the device's own name.
      {R"("uids": ["naa.d", "mpx.x", "olr.a", "olr.b"])", "Other UIDs", "olr.a"},
      {R"("uids": ["naa.d", "t10.x"])", "Other UIDs", ""},
      {R"("uids": ["ol", "olr"])", "Other UIDs", "olr"},
      // The configuration is missing altogether: the template's empty list.
      {R"("psaConfig": false, "filters": ["f1"])", "Attached Filters", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device + " " + c.field);
    EXPECT_EQ(Field(DeviceRow(c.device), c.field), c.expected);
  }
  UseHostJson(TransportHost(R"([{"name": "olr.self", "uids": ["olr.self"]}])"));
  EXPECT_TRUE(Texts(OnlyRow(RunCommand("storage core device list").root), "Other UIDs").empty());
}

TEST(DeviceListTest, RaidInformationAndSkippingIt) {
  UseHostJson(TransportHost(
      R"([{"name": "naa.r", "raid": {"kind": 1, "drives": 2, "driveType": "logical", "level": "RAID1"}},
          {"name": "naa.p", "raid": {"kind": 0, "drives": 0, "driveType": "physical", "level": "RAID5"}},
          {"name": "naa.w", "raid": {"kind": 1, "drives": 12, "driveType": "SAS SSD", "level": "RAID10"}}])"));
  auto raid = [](const CommandRun &run) {
    std::vector<std::string> lines;
    for (const Row &row : Rows(run.root))
      lines.push_back(Text(row, "Drive Type") + " " + Text(row, "RAID Level") + " " +
                      Text(row, "Number of Physical Drives"));
    return lines;
  };
  EXPECT_EQ(raid(RunCommand("storage core device list")),
            (std::vector<std::string>{"logical RAID1 2", "physical NA 1", "SAS SSD RAID10 12"}));

  // Skipping means not asking: a failing RAID read does not matter then.
  InjectFault("Lun::GetRaidInfo");
  auto skipped = RunCommand("storage core device list --skip-slow-fields");
  EXPECT_TRUE(skipped.errors.empty());
  EXPECT_EQ(raid(skipped), std::vector<std::string>(3, "<skipped> <skipped> <skipped>"));
}

TEST(DeviceListTest, HostFailuresDropTheWholeList) {
  struct Case {
    std::string options;
    std::string operation;
    std::string target;
    std::vector<std::string> errors;
  };
  const std::vector<std::string> failed = {"Unable to list PSA devices: boom"};
  const std::vector<Case> cases = {
      {"", "StorageInfo::GetLuns", "", failed},
      {"-d naa.5000c500a1b2c3d4", "StorageInfo::GetLun", "", failed},
      {"", "Lun::GetRaidInfo", "eui.0025385b71b0d4e1", failed},
      {"", "Lun::GetPsaDeviceConfig", "naa.600508b1001c5a2e9f0e1d2c3b4a5968", failed},
      {"", "StorageInfo::GetLunPathAdapters", "mpx.olhba1:C0:T0:L0", failed},
      // The offline device's paths are never asked for.
      {"-d naa.6000097000019760012353303031ffff",
       "StorageInfo::GetLunPathAdapters",
       "naa.6000097000019760012353303031ffff",
       {}},
      // The not-found message stays ahead of a later failure.
      {"-d nosuch", "Host::GetSystemInfo", "", {"Unable to find device with name nosuch", failed[0]}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = RunCommand("storage core device list " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(RootList(run.root) != nullptr, c.errors.empty());
  }
}

} // namespace
