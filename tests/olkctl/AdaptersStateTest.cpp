// The adapters family: transport words, document checks (with the devices'), and the host
// operations the adapter commands rely on.
#include "olkctl/ErrorText.h"
#include <hostctl/Exception.h>
#include <hostctl/storage/ScsiInterface.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using HostCtl::Storage::ScsiInterface;

TEST(AdaptersState, TransportWordsAndNumbers) {
  // Every type's word reads back as that type.
  for (int number = 0; number <= 13; ++number) {
    const auto type = static_cast<ScsiInterface::ScsiInterfaceType>(number);
    const std::string word = ScsiInterface::GetInterfaceTypeString(type);
    EXPECT_NE(word, number ? "unknown" : "") << number;
    EXPECT_EQ(ScsiInterface::GetValidInterfaceType(word), type) << word;
  }
  EXPECT_EQ(ScsiInterface::GetInterfaceTypeString(static_cast<ScsiInterface::ScsiInterfaceType>(14)),
            "unknown");
  EXPECT_EQ(ScsiInterface::GetInterfaceTypeString(static_cast<ScsiInterface::ScsiInterfaceType>(-1)),
            "unknown");
  for (const char *bad : {"FC", "", "fibre", "sas "})
    EXPECT_THROW(ScsiInterface::GetValidInterfaceType(bad), HostCtl::Lib::HostCtlException) << bad;
}

// The load error of a document holding only `family`.
std::string LoadError(const std::string &family) {
  return ErrorText<OlkCtl::Sim::StateError>(
      [&] { OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, )" + family + "}"); });
}

TEST(AdaptersState, RefusesBadAdaptersAndDevices) {
  struct Case {
    std::string family;
    std::vector<std::string> mentions; // place and problem
  };
  const std::vector<Case> cases = {
      {R"("adapters": [{"name": "a", "transport": "fibre"}])", {"adapters[0].transport", "fibre"}},
      {R"("adapters": [{"name": "a"}, {"name": "a"}])", {"adapters[1]", "duplicate adapter name a"}},
      {R"("adapters": [{"transport": "fc"}])", {"adapters[0]", "needs a name"}},
      {R"("adapters": [{"name": "a", "capabilityMask": -1}])", {"adapters[0].capabilityMask"}},
      {R"("adapters": [{"name": "a", "stats": {"paeCommands": 1, "bogus": 2}}])",
       {"adapters[0].stats.bogus", "unknown member"}},
      {R"("adapters": [{"name": "a", "pendingPaths": [{"uid": "p", "runtimeName": "b:C0:T0:L0", "adapter": "b"}]}])",
       {"adapters[0].pendingPaths", "leaves from adapter b, not a"}},
      {R"("adapters": [{"name": "a", "pendingDevices": [{"name": "d"}, {"name": "d"}]}])",
       {"adapters[0].pendingDevices[1]", "duplicate device name d"}},
      {R"("adapters": {"name": "a"})", {"adapters", "expected an array"}},
      {R"("devices": [{"name": "a"}, {"name": "a"}])", {"devices[1]: duplicate device name a"}},
      {R"("devices": [{"size": 1}])", {"devices[0]: a device needs a name"}},
      {R"("devices": [{"name": "a", "size": -5}])", {"devices[0].size"}},
      {R"("devices": [{"name": "a", "raid": {"kind": 1, "disks": 2}}])", {"devices[0].raid.disks"}},
      {R"("devices": [{"name": "a", "filters": "f"}])", {"devices[0].filters"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.family);
    const std::string error = LoadError(c.family);
    for (const std::string &mention : c.mentions)
      EXPECT_NE(error.find(mention), std::string::npos) << error;
  }
}

TEST(AdaptersState, LookUpsAndDerivedTexts) {
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "hba0", "transport": "fc", "linkState": "link-up", "description": "FC port", "capabilityMask": 31},
      {"name": "hba1", "transport": "usb"}]})");
  OlkCtl::Storage::StorageInfoImpl storage;
  EXPECT_TRUE(storage.IsValidScsiInterface("hba1"));
  EXPECT_FALSE(storage.IsValidScsiInterface("HBA1"));
  EXPECT_FALSE(storage.GetScsiInterface("hba2"));
  auto hba0 = storage.GetScsiInterface("hba0");
  ASSERT_TRUE(hba0);
  EXPECT_EQ(hba0->GetInterfaceType(), ScsiInterface::SCSI_IFACE_TYPE_FC);
  EXPECT_EQ(storage.GetLinkState(*hba0), "link-up");
  EXPECT_EQ(storage.GetDeviceDescription(*hba0), "FC port");
  EXPECT_EQ(storage.GetAdapterCapabilities(*hba0),
            (std::vector<std::string>{"Second Level Lun ID", "Data Integrity", "Own Completion Worlds",
                                      "Sense Data in Good and Error Conditions", "FPIN Events"}));
  auto hba1 = storage.GetScsiInterface("hba1");
  EXPECT_EQ(storage.GetLinkState(*hba1), "link-n/a");
  EXPECT_TRUE(storage.GetAdapterCapabilities(*hba1).empty());

  // An adapter object outlives the host it came from.
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1})");
  EXPECT_EQ(hba0->GetName(), "hba0");
  EXPECT_EQ(hba0->GetUID(), "");
  EXPECT_EQ(OlkCtl::Storage::StorageInfoImpl().GetScsiInterfaces().size(), 0u);
}

TEST(AdaptersState, RescanRefusesAnUnknownType) {
  OlkCtl::Sim::UseHostFromProfile("default");
  OlkCtl::Storage::StorageInfoImpl storage;
  EXPECT_EQ(storage.RescanScsiInterfaces("*", "rebuild", false),
            "Invalid rescan type 'rebuild'. Valid types are add, delete, update and all.");
  EXPECT_EQ(storage.RescanScsiInterfaces("*", "add", false), "");
  // The object that rescanned sees the result at once.
  EXPECT_TRUE(storage.GetLun("naa.6001405e2b7a94c1d3f04b8a9c5e7d21", false));
}

} // namespace
