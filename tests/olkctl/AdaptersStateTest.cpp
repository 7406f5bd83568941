// The adapters family: transport words, document checks, and the host
// operations the adapter commands rely on.
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
  const std::vector<std::pair<std::string, int>> words = {
      {"unknown", 0}, {"block", 1}, {"fc", 2},    {"iscsi", 3}, {"iscsivendor", 4},
      {"ide", 5},     {"sas", 6},   {"sata", 7},  {"usb", 8},   {"parallel", 9},
      {"fcoe", 10},   {"pcie", 11}, {"rdma", 12}, {"tcp", 13}};
  for (const auto &[word, number] : words) {
    SCOPED_TRACE(word);
    EXPECT_EQ(static_cast<int>(ScsiInterface::GetValidInterfaceType(word)), number);
    EXPECT_EQ(ScsiInterface::GetInterfaceTypeString(static_cast<ScsiInterface::ScsiInterfaceType>(number)),
              word);
  }
  EXPECT_EQ(ScsiInterface::GetInterfaceTypeString(static_cast<ScsiInterface::ScsiInterfaceType>(14)),
            "unknown");
  EXPECT_EQ(ScsiInterface::GetInterfaceTypeString(static_cast<ScsiInterface::ScsiInterfaceType>(-1)),
            "unknown");
  for (const char *bad : {"FC", "", "fibre", "sas "})
    EXPECT_THROW(ScsiInterface::GetValidInterfaceType(bad), HostCtl::Lib::HostCtlException) << bad;
}

std::string LoadError(const std::string &adapters) {
  try {
    OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "adapters": )" + adapters + "}");
  } catch (const OlkCtl::Sim::StateError &e) {
    return e.what();
  }
  return "(loaded)";
}

TEST(AdaptersState, RefusesBadDocuments) {
  struct Case {
    std::string adapters;
    std::vector<std::string> mentions; // place and problem
  };
  const std::vector<Case> cases = {
      {R"([{"name": "a", "transport": "fibre"}])", {"adapters[0].transport", "fibre"}},
      {R"([{"name": "a"}, {"name": "a"}])", {"adapters[1]", "duplicate adapter name a"}},
      {R"([{"transport": "fc"}])", {"adapters[0]", "needs a name"}},
      {R"([{"name": "a", "capabilityMask": -1}])", {"adapters[0].capabilityMask"}},
      {R"([{"name": "a", "stats": {"paeCommands": 1, "bogus": 2}}])",
       {"adapters[0].stats.bogus", "unknown member"}},
      {R"([{"name": "a", "pendingPaths": [{"uid": "p", "runtimeName": "b:C0:T0:L0", "adapter": "b"}]}])",
       {"adapters[0].pendingPaths", "leaves from adapter b, not a"}},
      {R"([{"name": "a", "pendingDevices": [{"name": "d"}, {"name": "d"}]}])",
       {"adapters[0].pendingDevices[1]", "duplicate device name d"}},
      {R"({"name": "a"})", {"adapters", "expected an array"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.adapters);
    const std::string error = LoadError(c.adapters);
    for (const std::string &mention : c.mentions)
      EXPECT_NE(error.find(mention), std::string::npos) << error;
  }
}

TEST(AdaptersState, PendingHardwareSurvivesSaveAndLoad) {
  OlkCtl::Sim::UseHostFromProfile("default");
  const auto saved = nlohmann::ordered_json::parse(OlkCtl::Sim::CurrentStateJson());
  const auto &adapters = saved["adapters"];
  ASSERT_EQ(adapters.size(), 8u);
  EXPECT_FALSE(adapters[0].contains("pendingPaths")) << "written only where there is something pending";
  EXPECT_EQ(adapters[7]["pendingPaths"].size(), 1u);
  EXPECT_EQ(adapters[7]["pendingDevices"].size(), 1u);
  OlkCtl::Sim::UseHostFromJson(saved.dump());
  EXPECT_EQ(nlohmann::ordered_json::parse(OlkCtl::Sim::CurrentStateJson()), saved);
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
