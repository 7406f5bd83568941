// The smart and hwac families: entries keyed by devices the host has, the
// SMART record as the document writes it, and the ATS query volumes use.
#include "ErrorText.h"

#include "sim/Store.h"
#include "sim/family/Hwac.h"

#include <hostctl/Exception.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/LunImpl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using OlkCtl::Sim::StateError;

std::string Host(const std::string &families) {
  return R"({"schemaVersion": 1,
    "adapters": [{"name": "a0", "pendingDevices": [{"name": "naa.new", "uids": ["naa.new", "olr.new"]}]}],
    "devices": [{"name": "naa.1", "uids": ["naa.1", "olr.1"]}, {"name": "naa.nvme", "nvme": true}])" +
         families + "}";
}

TEST(SmartHwacState, EntriesBelongToDevicesOfTheHost) {
  struct Case {
    std::string families;
    std::string error;
  };
  const std::vector<Case> cases = {
      {R"(, "smart": [{"name": "naa.1"}], "hwac": [{"name": "naa.1"}, {"name": "naa.new"}])", "(no error)"},
      {R"(, "hwac": [{"name": "naa.1"}, {"name": "naa.2"}])",
       "<memory>: hwac[1].name: the host has no device named naa.2"},
      // Another UID of the device is not its key.
      {R"(, "smart": [{"name": "olr.1"}])", "<memory>: smart[0].name: the host has no device named olr.1"},
      {R"(, "smart": [{"name": "naa.1"}, {"name": "naa.1"}])",
       "<memory>: smart[1]: duplicate SMART entry name naa.1"},
      {R"(, "smart": [{"name": "naa.1", "parameters": [{"index": 19, "flags": 1}]}])",
       "<memory>: smart[0].parameters[0].index: not between 0 and 18"},
      {R"(, "smart": [{"name": "naa.1", "parameters": [{"index": 3}, {"index": 3}]}])",
       "<memory>: smart[0].parameters[1].index: 3 appears twice"},
      {R"(, "hwac": [{"name": "naa.1", "ats": {"hardware": 1, "speed": 2}}])",
       "<memory>: hwac[0].ats.speed: unknown member"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.families);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::UseHostFromJson(Host(c.families)); }), c.error);
  }
}

TEST(SmartHwacState, SmartRecordKeepsItsEntriesByIndex) {
  OlkCtl::Sim::UseHostFromJson(Host(R"(, "smart": [{"name": "naa.1", "gathering": true, "parameters": [
      {"index": 18, "value": -3, "raw": 9, "flags": 9}, {"index": 0, "value": 2, "flags": 1}]}])"));
  HostCtl::Storage::SmartParameters parameters;
  OlkCtl::Storage::LunImpl::GetLun("olr.1", false)->GetSmartParameters(parameters);
  EXPECT_EQ(parameters.entries[0].value, 2);
  EXPECT_EQ(parameters.entries[18].value, -3);
  EXPECT_EQ(parameters.entries[18].raw, 9);
  EXPECT_EQ(parameters.entries[18].flags, 9u);
  EXPECT_EQ(parameters.entries[5].flags, 0u);
  // Saved in index order; entries that say nothing are left out.
  const std::string saved = OlkCtl::Sim::CurrentStateJson();
  EXPECT_LT(saved.find("\"index\": 0"), saved.find("\"index\": 18"));
  EXPECT_EQ(saved.find("\"index\": 5"), std::string::npos);
}

TEST(SmartHwacState, AtsActiveOnlyWhereTheHardwareHasItAndItIsOn) {
  OlkCtl::Sim::UseHostFromJson(Host(R"(, "hwac": [{"name": "naa.1", "ats": {"hardware": 1}},
      {"name": "naa.nvme", "ats": {"hardware": 2}}])"));
  auto active = [](const std::string &name) {
    return OlkCtl::Sim::HwacAtsActive(*OlkCtl::Sim::Current().Read(), name);
  };
  EXPECT_TRUE(active("naa.1"));
  EXPECT_TRUE(active("olr.1"));
  EXPECT_FALSE(active("naa.nvme"));
  EXPECT_FALSE(active("naa.none"));

  auto device = OlkCtl::Storage::LunImpl::GetLun("naa.1", false);
  device->SetHwacPrimitives(0x08, {{false, false}, {true, false}, {false, false}, {false, false}});
  EXPECT_FALSE(active("naa.1"));
  device->SetHwacPrimitives(0x0C, {{false, false}, {true, true}, {false, false}, {false, false}});
  EXPECT_TRUE(active("naa.1"));
  // The list must say what the mask says.
  EXPECT_EQ(ErrorText<HostCtl::Lib::HostCtlException>([&] {
              device->SetHwacPrimitives(0x08, {{false, false}, {true, true}, {false, false}, {false, false}});
            }),
            "HWAC primitive list does not match mask 0x08");
  EXPECT_TRUE(active("naa.1"));
}

} // namespace
