// storage core device list and the derived device data.
#include "DeviceTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace DeviceTests;
using TestSupport::Errors;

namespace {

// A host with one adapter of each transport the classification cares about;
// `devices` and `paths` are JSON arrays.
std::string TransportHost(const std::string &devices, const std::string &paths,
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

std::shared_ptr<MetaStruct> OnlyRow(const CliKit::Execution &run) {
  auto rows = Rows(run);
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_TRUE(Errors(run).empty()) << testing::PrintToString(Errors(run));
  return rows.empty() ? MetaStruct::New("none") : rows[0];
}

TEST(DeviceListTest, DefaultHostListsEveryDeviceOfflineIncluded) {
  TestSupport::UseProfile();
  const std::vector<std::string> all = {"naa.5000c500a1b2c3d4",
                                        "mpx.olhba1:C0:T0:L0",
                                        "naa.60060160a0b2320089abcdef01234567",
                                        "naa.60000970000197600123533030314241",
                                        "naa.6000097000019760012353303031ffff",
                                        "eui.0025385b71b0d4e1",
                                        "naa.600508b1001c5a2e9f0e1d2c3b4a5968",
                                        "naa.6006016048503200c0e4d3a2b1f0e9d8"};
  auto run = Exec(kDeviceList);
  EXPECT_TRUE(Errors(run).empty());
  EXPECT_EQ(Column(run, "Device"), all);

  std::vector<std::string> online = all;
  online.erase(online.begin() + 4);
  EXPECT_EQ(Column(Exec(With(kDeviceList, {"--exclude-offline"})), "Device"), online);
  EXPECT_EQ(Column(Exec(With(kDeviceList, {"-p"})), "Device"), std::vector<std::string>{all.back()});
}

TEST(DeviceListTest, DefaultHostShowsEachTransportClass) {
  TestSupport::UseProfile();
  struct Expect {
    std::string device;
    bool sas, usb, localSas, boot, bootUsb, offline;
  };
  const std::vector<Expect> cases = {
      {"naa.5000c500a1b2c3d4", true, false, true, false, false, false},
      {"mpx.olhba1:C0:T0:L0", false, true, false, true, true, false},
      {"naa.60060160a0b2320089abcdef01234567", false, false, false, false, false, false},
      {"naa.6000097000019760012353303031ffff", false, false, false, false, false, true},
      {"eui.0025385b71b0d4e1", false, false, false, false, false, false},
      {"naa.600508b1001c5a2e9f0e1d2c3b4a5968", true, false, true, false, false, false},
  };
  for (const Expect &c : cases) {
    SCOPED_TRACE(c.device);
    auto row = OnlyRow(Exec(With(kDeviceList, {"-d", c.device})));
    EXPECT_EQ(Flag(row, "Is SAS"), c.sas);
    EXPECT_EQ(Flag(row, "Is USB"), c.usb);
    EXPECT_EQ(Flag(row, "Is Local SAS Device"), c.localSas);
    EXPECT_EQ(Flag(row, "Is Boot Device"), c.boot);
    EXPECT_EQ(Flag(row, "Is Boot USB Device"), c.bootUsb);
    EXPECT_EQ(Flag(row, "Is Offline"), c.offline);
  }
}

TEST(DeviceListTest, DefaultHostRaidVolumeAndMasks) {
  TestSupport::UseProfile();
  auto raid = OnlyRow(Exec(With(kDeviceList, {"-d", "naa.600508b1001c5a2e9f0e1d2c3b4a5968"})));
  EXPECT_EQ(Text(raid, "RAID Level"), "RAID1");
  EXPECT_EQ(Text(raid, "Number of Physical Drives"), "2");
  EXPECT_EQ(Text(raid, "Drive Type"), "logical");

  auto symmetrix = OnlyRow(Exec(With(kDeviceList, {"-d", "naa.60000970000197600123533030314241"})));
  EXPECT_EQ(Texts(symmetrix, "Supported Guard Types"), (std::vector<std::string>{"IP", "CRC"}));
  EXPECT_EQ(Text(symmetrix, "PI Protection Mask"), " T2 T0+DIX");
  EXPECT_EQ(Text(symmetrix, "RAID Level"), "NA");
  EXPECT_EQ(Text(symmetrix, "Number of Physical Drives"), "1");
  EXPECT_EQ(Texts(symmetrix, "Other UIDs").size(), 1u);
}

TEST(DeviceListTest, LookUpByNameAndRefusals) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> devices;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {{"-d", "naa.5000c500a1b2c3d4"}, {"naa.5000c500a1b2c3d4"}, {}},
      // Any UID of the device finds it; the row shows the canonical name.
      {{"-d", "olr.02000000005000c500a1b2c3d4485831323030"}, {"naa.5000c500a1b2c3d4"}, {}},
      {{"-d", "naa.6000097000019760012353303031ffff"}, {"naa.6000097000019760012353303031ffff"}, {}},
      {{"-d", "naa.6000097000019760012353303031ffff", "-o"},
       {},
       {"Unable to find device with name naa.6000097000019760012353303031ffff"}},
      {{"-d", "NAA.5000C500A1B2C3D4"}, {}, {"Unable to find device with name NAA.5000C500A1B2C3D4"}},
      {{"-d", "naa.5000c500a1b2c3d4", "--pe-only"}, {}, {}},
      {{"-d", "naa.6006016048503200c0e4d3a2b1f0e9d8", "--pe-only"},
       {"naa.6006016048503200c0e4d3a2b1f0e9d8"},
       {}},
  };
  TestSupport::UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    auto run = Exec(With(kDeviceList, c.options));
    ASSERT_TRUE(RootList(run)) << "the list is set even when nothing was found";
    EXPECT_EQ(Column(run, "Device"), c.devices);
    EXPECT_EQ(Errors(run), c.errors);
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
      {"sas then usb", {"sas0:C0:T0:L0", "usb0:C0:T0:L0"}, false, true, false, false, false},
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
    paths += "]";
    const std::string device = std::string(R"([{"name": "naa.d", "offline": )") +
                               (c.offline ? "true" : "false") + R"(, "local": )" +
                               (c.local ? "true" : "false") + "}]";
    TestSupport::UseHostJson(TransportHost(device, paths));
    auto row = OnlyRow(Exec(kDeviceList));
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
    TestSupport::UseHostJson(
        TransportHost(R"([{"name": ")" + c.device + R"("}])", "[" + Path(c.path, c.device) + "]", c.boot));
    auto row = OnlyRow(Exec(kDeviceList));
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
      {2, true, 0x40, {"IP"}, "IP", " T3+DIX"},
      {3, false, 0x7F, {"IP", "CRC"}, "NO GUARD SUPPORT", "T1 T2 T3 T0+DIX T1+DIX T2+DIX T3+DIX"},
      {4, false, 0x84, {"NO GUARD SUPPORT"}, "NO GUARD SUPPORT", " T3"},
      {1, false, 0x30, {"CRC"}, "NO GUARD SUPPORT", " T1+DIX T2+DIX"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("guard " + std::to_string(c.guardMask) + " protection " + std::to_string(c.protectionMask));
    TestSupport::UseHostJson(TransportHost(
        R"([{"name": "naa.d", "guardTypeMask": )" + std::to_string(c.guardMask) + R"(, "dixEnabled": )" +
            (c.dix ? "true" : "false") + R"(, "protectionMask": )" + std::to_string(c.protectionMask) + "}]",
        "[]"));
    auto row = OnlyRow(Exec(kDeviceList));
    EXPECT_EQ(Texts(row, "Supported Guard Types"), c.guards);
    EXPECT_EQ(Text(row, "DIX Guard Type"), c.dixGuard);
    EXPECT_EQ(Text(row, "PI Protection Mask"), c.protection);
    EXPECT_EQ(Flag(row, "DIX Enabled"), c.dix);
  }
}

TEST(DeviceListTest, CodesSizesAndFlags) {
  struct Case {
    std::string device; // members added to {"name": "naa.d"}
    std::string field;
    std::string text;    // expected text, when the field is a string
    int64_t number = -1; // expected number, when it is an integer
  };
  const std::vector<Case> cases = {
      {R"("hwacSupport": 1)", "HWAC Status", "supported"},
      {R"("hwacSupport": 2)", "HWAC Status", "unsupported"},
      {R"("hwacSupport": 0)", "HWAC Status", "unknown"},
      {R"("hwacSupport": 7)", "HWAC Status", "unknown"},
      {R"("thinProvisioning": 1)", "Thin Provisioning Status", "yes"},
      {R"("thinProvisioning": 0)", "Thin Provisioning Status", "no"},
      {R"("thinProvisioning": 2)", "Thin Provisioning Status", "unknown"},
      {R"("thinProvisioning": -1)", "Thin Provisioning Status", "unknown"},
      {R"("size": 1048575)", "Size", "", 0},
      {R"("size": 1048576)", "Size", "", 1},
      {R"("size": 3145733)", "Size", "", 3},
      {R"("size": 2199023255552)", "Size", "", 2097152},
      {R"("status": "dead")", "Status", "dead"},
      {R"("vendor": "ACME    ")", "Vendor", "ACME    "},
      {R"("queueFullThreshold": 4)", "Queue Full Threshold", "", 4},
      {R"("outstandingIosCompetingWorlds": 16)", "No of outstanding IOs with competing worlds", "", 16},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device);
    TestSupport::UseHostJson(TransportHost(R"([{"name": "naa.d", )" + c.device + "}]", "[]"));
    auto row = OnlyRow(Exec(kDeviceList));
    if (c.number >= 0)
      EXPECT_EQ(Number(row, c.field), c.number);
    else
      EXPECT_EQ(Text(row, c.field), c.text);
  }
}

TEST(DeviceListTest, BooleanDerivations) {
  struct Case {
    std::string device;
    std::string field;
    bool expected;
  };
  const std::vector<Case> cases = {
      {R"("local": false, "notShared": false)", "Is Shared Clusterwide", true},
      {R"("local": false, "notShared": true)", "Is Shared Clusterwide", false},
      {R"("local": true, "notShared": false)", "Is Shared Clusterwide", false},
      {R"("protocol": 0, "emulatedDixDif": true)", "Emulated DIX/DIF Enabled", true},
      {R"("protocol": 1, "emulatedDixDif": true)", "Emulated DIX/DIF Enabled", false},
      {R"("protocol": 0, "emulatedDixDif": false)", "Emulated DIX/DIF Enabled", false},
      {R"("displayNameSettable": false)", "Has Settable Display Name", false},
      {R"("perenniallyReserved": true)", "Is Perennially Reserved", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device);
    TestSupport::UseHostJson(TransportHost(R"([{"name": "naa.d", )" + c.device + "}]", "[]"));
    EXPECT_EQ(Flag(OnlyRow(Exec(kDeviceList)), c.field), c.expected);
  }
}

TEST(DeviceListTest, OtherUidsAndFilters) {
  struct Case {
    std::string device;
    std::vector<std::string> otherUids;
    std::vector<std::string> filters;
  };
  const std::vector<Case> cases = {
      {R"("uids": ["naa.d", "olr.0200"], "filters": ["f1", "f0"])", {"olr.0200"}, {"f1", "f0"}},
      {R"("uids": ["naa.d", "mpx.x", "olr.a", "olr.b"])", {"olr.a"}, {}},
      {R"("uids": ["naa.d", "t10.x"])", {}, {}},
      {R"("uids": ["ol", "olr"])", {"olr"}, {}},
      // The configuration is missing altogether: the template's empty list.
      {R"("psaConfig": false, "filters": ["f1"])", {}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device);
    TestSupport::UseHostJson(TransportHost(R"([{"name": "naa.d", )" + c.device + "}]", "[]"));
    auto row = OnlyRow(Exec(kDeviceList));
    EXPECT_EQ(Texts(row, "Other UIDs"), c.otherUids);
    EXPECT_EQ(Texts(row, "Attached Filters"), c.filters);
  }
  // A device named like a host identifier does not list itself.
  TestSupport::UseHostJson(TransportHost(R"([{"name": "olr.self", "uids": ["olr.self"]}])", "[]"));
  EXPECT_TRUE(Texts(OnlyRow(Exec(kDeviceList)), "Other UIDs").empty());
}

TEST(DeviceListTest, RaidInformationAndSkippingIt) {
  const std::string devices =
      R"([{"name": "naa.r", "raid": {"kind": 1, "drives": 2, "driveType": "logical", "level": "RAID1"}},
          {"name": "naa.p", "raid": {"kind": 0, "drives": 0, "driveType": "physical", "level": "RAID5"}},
          {"name": "naa.w", "raid": {"kind": 1, "drives": 12, "driveType": "SAS SSD", "level": "RAID10"}}])";
  TestSupport::UseHostJson(TransportHost(devices, "[]"));
  auto rows = Rows(Exec(kDeviceList));
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"logical", "RAID1", "2"}, {"physical", "NA", "1"}, {"SAS SSD", "RAID10", "12"}};
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ((std::vector<std::string>{Text(rows[i], "Drive Type"), Text(rows[i], "RAID Level"),
                                        Text(rows[i], "Number of Physical Drives")}),
              expected[i]);

  // Skipping means not asking: a failing RAID read does not matter then.
  InjectFault("Lun::GetRaidInfo");
  auto skipped = Exec(With(kDeviceList, {"--skip-slow-fields"}));
  EXPECT_TRUE(Errors(skipped).empty());
  for (const auto &row : Rows(skipped))
    EXPECT_EQ((std::vector<std::string>{Text(row, "Drive Type"), Text(row, "RAID Level"),
                                        Text(row, "Number of Physical Drives")}),
              (std::vector<std::string>{"<skipped>", "<skipped>", "<skipped>"}));
}

TEST(DeviceListTest, HostFailuresDropTheWholeList) {
  struct Case {
    std::vector<std::string> options;
    std::string operation;
    std::string target;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {{}, "StorageInfo::GetLuns", "", {"Unable to list PSA devices: boom"}},
      {{"-d", "naa.5000c500a1b2c3d4"}, "StorageInfo::GetLun", "", {"Unable to list PSA devices: boom"}},
      {{}, "Lun::GetRaidInfo", "eui.0025385b71b0d4e1", {"Unable to list PSA devices: boom"}},
      {{},
       "Lun::GetPsaDeviceConfig",
       "naa.600508b1001c5a2e9f0e1d2c3b4a5968",
       {"Unable to list PSA devices: boom"}},
      {{}, "StorageInfo::GetLunPathAdapters", "mpx.olhba1:C0:T0:L0", {"Unable to list PSA devices: boom"}},
      // The offline device's paths are never asked for.
      {{"-d", "naa.6000097000019760012353303031ffff"},
       "StorageInfo::GetLunPathAdapters",
       "naa.6000097000019760012353303031ffff",
       {}},
      // The not-found message stays ahead of a later failure.
      {{"-d", "nosuch"},
       "Host::GetSystemInfo",
       "",
       {"Unable to find device with name nosuch", "Unable to list PSA devices: boom"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation);
    TestSupport::UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = Exec(With(kDeviceList, c.options));
    ASSERT_TRUE(run.output);
    EXPECT_EQ(Errors(run), c.errors);
    EXPECT_EQ(RootList(run) != nullptr, c.errors.empty());
  }
}

} // namespace
