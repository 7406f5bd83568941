// storage core device hwac ...: the switch mask, the lists against status get,
// switching primitives and the messages of every failure.
#include "core/DeviceHwacCommands.h"
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

using namespace TestSupport;
using TarvexCli::Storage::HwacChoice;
using TarvexCli::Storage::HwacPrimitiveMask;

namespace {

const std::string kEmc = "naa.60000970000197600123533030314241";
const std::string kDgc = "naa.60060160a0b2320089abcdef01234567";
const std::string kDgcNoDelete = "naa.6006016048503200c0e4d3a2b1f0e9d8";
const std::string kLocalSas = "naa.5000c500a1b2c3d4";
const std::string kNvme = "eui.0025385b71b0d4e1";
const std::string kOffline = "naa.6000097000019760012353303031ffff";

std::string Status(const std::string &device, const std::string &field) {
  auto run = RunCommand("storage core device hwac status get -d " + device);
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  return Field(OnlyRow(run.root), field);
}

std::string Listed(const std::string &primitive, const std::string &device, const std::string &field) {
  auto run = RunCommand("storage core device hwac " + primitive + " list -d " + device);
  EXPECT_TRUE(run.errors.empty()) << testing::PrintToString(run.errors);
  return Field(OnlyRow(run.root), field);
}

TEST(DeviceHwacTest, PrimitiveMask) {
  struct Case {
    std::array<HwacChoice, 4> choices; // Clone, ATS, Delete, Zero
    uint8_t mask;
  };
  const HwacChoice no{false, false}, on{true, true}, off{true, false};
  const std::vector<Case> cases = {
      {{no, off, no, no}, 0x08},    {{on, off, no, no}, 0x0B}, {{on, on, on, on}, 0xFF},
      {{off, off, off, off}, 0xAA}, {{no, no, no, no}, 0x00},  {{no, no, on, no}, 0x30},
      {{no, no, no, off}, 0x80},
  };
  for (const Case &c : cases)
    EXPECT_EQ(HwacPrimitiveMask(c.choices), c.mask) << int(c.mask);
}

// Every list shows values exactly where status get says "supported".
TEST(DeviceHwacTest, ListsAgreeWithStatusGet) {
  UseProfile();
  const std::map<std::string, std::pair<std::string, std::string>> lists = {
      {"ats", {"ATS Status", "Maximum Compare and Write Length (in blocks)"}},
      {"clone", {"Clone Status", "Maximum Segment Length (in bytes)"}},
      {"zero", {"Zero Status", "Maximum Write Same Length (in blocks)"}},
      {"delete", {"Delete Status", "Max LBA Count"}},
  };
  auto status = RunCommand("storage core device hwac status get");
  std::size_t supported = 0;
  for (const auto &[primitive, fields] : lists) {
    auto list = RunCommand("storage core device hwac " + primitive + " list");
    ASSERT_EQ(Column(list.root, "Device"), Column(status.root, "Device")) << primitive;
    const auto codes = Column(status.root, fields.first);
    const auto values = Column(list.root, fields.second);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      SCOPED_TRACE(primitive + " " + Column(status.root, "Device")[i]);
      EXPECT_EQ(values[i] != "N/A", codes[i] == "supported");
      supported += codes[i] == "supported";
    }
  }
  EXPECT_GT(supported, 4u) << "the default host shows supported primitives";
}

TEST(DeviceHwacTest, AttributeValues) {
  UseProfile();
  // Delete without a valid alignment, and a device that lacks Delete.
  EXPECT_EQ(Listed("delete", kDgc, "UGA Valid"), "False");
  EXPECT_EQ(Listed("delete", kDgc, "Granularity Alignment (in blocks)"), "N/A");
  EXPECT_EQ(Listed("delete", kEmc, "UGA Valid"), "True");
  EXPECT_EQ(Listed("delete", kEmc, "Granularity Alignment (in blocks)"), "0");
  for (const char *field :
       {"Max LBA Count", "Max Block Desc Count (in blocks)", "Optimal Granularity (in blocks)", "UGA Valid",
        "Granularity Alignment (in blocks)"})
    EXPECT_EQ(Listed("delete", kDgcNoDelete, field), "N/A") << field;
  EXPECT_EQ(Status(kDgcNoDelete, "Ex Clone Status"), "unknown");
  EXPECT_EQ(Status(kEmc, "HWAC Plugin Name"), "TVX_HWACP_SYMM");
  EXPECT_EQ(Status(kDgc, "HWAC Plugin Name"), "TVX_HWACP_MIDRANGE");
  EXPECT_EQ(Status(kLocalSas, "HWAC Plugin Name"), "");

  // Conversions: signed where the host's field is signed, unsigned 32 and 64 bits.
  UseHostJson(R"({"schemaVersion": 1, "devices": [{"name": "naa.h"}], "hwac": [{"name": "naa.h",
      "ats": {"hardware": 1, "maxCompareAndWriteLength": -1},
      "clone": {"hardware": 1, "maxSegmentLength": 4294967295, "maxSegmentDescriptorCount": -2,
                "optimalTransferLengthGranularity": 2147483647},
      "zero": {"hardware": 1, "maxWriteSameLength": 18446744073709551615},
      "delete": {"hardware": 1, "maxLbaCount": 18446744073709551615, "maxBlockDescCount": 4294967295,
                 "optimalGranularity": 4294967294, "granularityAlignmentValid": true,
                 "granularityAlignment": 4294967293}}]})");
  EXPECT_EQ(Lines(RunCommand("storage core device hwac ats list").root,
                  {"Maximum Compare and Write Length (in blocks)"}),
            std::vector<std::string>{"-1"});
  EXPECT_EQ(Lines(RunCommand("storage core device hwac clone list").root,
                  {"Maximum Segment Length (in bytes)", "Maximum Segment Descriptor Count",
                   "Optimal Transfer Length Granularity (in blocks)"}),
            std::vector<std::string>{"4294967295 | -2 | 2147483647"});
  EXPECT_EQ(Listed("zero", "naa.h", "Maximum Write Same Length (in blocks)"), "18446744073709551615");
  EXPECT_EQ(Lines(RunCommand("storage core device hwac delete list").root,
                  {"Max LBA Count", "Max Block Desc Count (in blocks)", "Optimal Granularity (in blocks)",
                   "UGA Valid", "Granularity Alignment (in blocks)"}),
            std::vector<std::string>{"18446744073709551615 | 4294967295 | 4294967294 | True | 4294967293"});
  // No entry at all: nothing known.
  UseHostJson(R"({"schemaVersion": 1, "devices": [{"name": "naa.u"}]})");
  EXPECT_EQ(Status("naa.u", "ATS Status"), "unknown");
  EXPECT_EQ(Listed("ats", "naa.u", "Maximum Compare and Write Length (in blocks)"), "N/A");
}

TEST(DeviceHwacTest, SwitchingPrimitives) {
  UseProfile();
  auto deviceListStatus = [](const std::string &device) {
    return Field(OnlyRow(RunCommand("storage core device list -d " + device).root), "HWAC Status");
  };
  EXPECT_TRUE(Succeeded(RunCommand("storage core device hwac status set -d " + kEmc + " --ats false")));
  EXPECT_EQ(Status(kEmc, "ATS Status"), "unsupported");
  EXPECT_EQ(Status(kEmc, "Clone Status"), "supported");
  EXPECT_EQ(Listed("ats", kEmc, "Maximum Compare and Write Length (in blocks)"), "N/A");
  EXPECT_EQ(deviceListStatus(kEmc), "supported") << "while any primitive is";

  EXPECT_TRUE(
      Succeeded(RunCommand("storage core device hwac status set -d " + kEmc + " -C 0 -D no -Z false")));
  EXPECT_EQ(Status(kEmc, "Ex Clone Status"), "unsupported") << "extended copy goes with Clone";
  EXPECT_EQ(deviceListStatus(kEmc), "unsupported");

  EXPECT_TRUE(
      Succeeded(RunCommand("storage core device hwac status set -d " + kEmc + " -A 1 -C 1 -D 1 -Z 1")));
  EXPECT_EQ(Listed("ats", kEmc, "Maximum Compare and Write Length (in blocks)"), "1");
  EXPECT_EQ(Listed("delete", kEmc, "Max LBA Count"), "4294967295");
  EXPECT_EQ(Status(kEmc, "Ex Clone Status"), "supported");
  EXPECT_EQ(deviceListStatus(kEmc), "supported");

  // Switching on what the hardware lacks changes nothing.
  EXPECT_TRUE(Succeeded(RunCommand("storage core device hwac status set -d " + kLocalSas + " --ats true")));
  EXPECT_EQ(Status(kLocalSas, "ATS Status"), "unsupported");
  EXPECT_EQ(deviceListStatus(kLocalSas), "unsupported");

  // Only the named primitives change; other devices keep theirs.
  EXPECT_TRUE(Succeeded(RunCommand("storage core device hwac status set -d " + kDgc + " --zero false")));
  EXPECT_EQ(Status(kDgc, "Zero Status"), "unsupported");
  EXPECT_EQ(Status(kDgc, "ATS Status"), "supported");
  EXPECT_EQ(Status(kDgcNoDelete, "Zero Status"), "supported");

  // An empty device ends the command silently.
  auto empty =
      RunCommand(std::vector<std::string>{"storage", "core", "device", "hwac", "status", "set", "-d", ""});
  EXPECT_EQ(empty.status, CliKit::kExitOk);
  EXPECT_TRUE(empty.errors.empty());
  EXPECT_FALSE(empty.root);
}

TEST(DeviceHwacTest, PluginFollowsTheLoadedHwacRules) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule remove -r 65436 -c HWAC")));
  EXPECT_EQ(Status(kEmc, "HWAC Plugin Name"), "TVX_HWACP_SYMM") << "until the rules are loaded";
  ASSERT_TRUE(Succeeded(RunCommand("storage core claimrule load -c HWAC")));
  EXPECT_EQ(Status(kEmc, "HWAC Plugin Name"), "TVX_HWACP_T10");
}

TEST(DeviceHwacTest, FailuresAndNotFound) {
  struct Case {
    std::string command;
    std::string fault; // operation failing with "boom"; empty: none
    std::vector<std::string> errors;
    bool emptyList; // a list is set (empty) after the message
  };
  const std::vector<Case> cases = {
      {"status get -d naa.x", "", {"Unable to find device with name naa.x"}, true},
      {"status get -d " + kOffline, "", {"Unable to find device with name " + kOffline}, true},
      {"status get",
       "Lun::GetHwacAttributes",
       {"Unable to list HWAC properties of PSA devices: boom"},
       false},
      {"status get -d " + kEmc,
       "PsaDeviceConfigImpl::GetHwacPluginName",
       {"Unable to list HWAC properties of PSA devices: boom"},
       false},
      {"status get", "StorageInfo::GetLuns", {"Unable to list HWAC properties of PSA devices: boom"}, false},
      {"ats list -d naa.x", "", {"Unable to find device naa.x"}, false},
      {"ats list", "Lun::GetHwacAttributes", {"Unable to list ATS attributes: boom"}, false},
      {"clone list", "StorageInfo::GetLuns", {"Unable to list Clone attributes: boom"}, false},
      {"zero list -d " + kEmc, "StorageInfo::GetLun", {"Unable to list Zero attributes: boom"}, false},
      {"delete list", "Host::GetStorageInfo", {"Unable to list Delete attributes: boom"}, false},
      {"status set -d naa.x -A 1", "", {"Unable to find device with name naa.x"}, false},
      {"status set -d " + kNvme + " -A 1",
       "",
       {"Unable to set HWAC properties of PSA devices: HWAC primitives cannot be switched on NVMe device " +
        kNvme},
       false},
      {"status set -d " + kOffline + " -A 0",
       "",
       {"Unable to set HWAC properties of PSA devices: Device " + kOffline +
        " is offline: its HWAC settings cannot be changed"},
       false},
      {"status set -d " + kEmc + " -A 0",
       "Lun::PrepareHwacUpdate",
       {"Unable to set HWAC properties of PSA devices: boom"},
       false},
      {"status set -d " + kEmc + " -A 0",
       "Lun::SetHwacPrimitives",
       {"Unable to set HWAC properties of PSA devices: boom"},
       false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command + " " + c.fault);
    UseProfile();
    if (!c.fault.empty())
      InjectFault(c.fault, "", "boom");
    auto run = RunCommand("storage core device hwac " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(bool(RootList(run.root)), c.emptyList);
    EXPECT_TRUE(Rows(run.root).empty());
    OlkCtl::Sim::ClearFaults();
    EXPECT_EQ(Status(kEmc, "ATS Status"), "supported") << "a failed set changes nothing";
  }
  // The lists find offline devices.
  EXPECT_EQ(Listed("ats", kOffline, "Device"), kOffline);
}

} // namespace
