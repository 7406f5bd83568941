// The san and fpin families: document checks, and transport data refused for
// an adapter that left its transport.
#include "olkctl/ErrorText.h"
#include "sim/Store.h"

#include <hostctl/Exception.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using HostCtl::Lib::HostCtlException;

std::string LoadError(const std::string &family) {
  return ErrorText<OlkCtl::Sim::StateError>(
      [&] { OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, )" + family + "}"); });
}

TEST(SanState, RefusesBadTransportAndFpinRecords) {
  struct Case {
    std::string family;
    std::vector<std::string> mentions; // place and problem
  };
  const std::vector<Case> cases = {
      {R"("san": [{"adapter": "a", "fc": {"events": [{"time": 1, "kind": "lipp"}]}}])",
       {"san[0].fc.events[0].kind", "unknown event kind \"lipp\""}},
      {R"("san": [{"adapter": "a", "fcoe": {"vlanId": 5}}])", {"san[0].fcoe", "needs the FC port"}},
      {R"("san": [{"adapter": "a", "fc": {}, "fcoe": {"vlanId": 65536}}])",
       {"san[0].fcoe.vlanId", "out of range"}},
      {R"("san": [{"adapter": "a", "sas": {"physicalId": 256}}])", {"san[0].sas.physicalId", "out of range"}},
      {R"("san": [{"adapter": "a", "iscsi": {"stats": {"sessions": 4294967296}}}])",
       {"san[0].iscsi.stats.sessions", "out of range"}},
      {R"("san": [{"adapter": "a", "fc": {"speed": 16, "colour": "red"}}])", {"san[0].fc.colour"}},
      {R"("san": [{"adapter": "a"}, {"adapter": "a"}])", {"san[1]", "duplicate san adapter name a"}},
      {R"("san": [{"fc": {}}])", {"san[0]", "a san entry needs an adapter"}},
      {R"("fpin": {"targets": [{"wwpn": "50:00:00:00:00:00:00:01"}]})",
       {"fpin.targets[0]", "needs an adapter"}},
      {R"("fpin": {"targets": [{"adapter": "a", "wwpn": "w"}, {"adapter": "a", "wwpn": "w"}]})",
       {"fpin.targets[1]", "target w of adapter a is listed twice"}},
      {R"("fpin": {"enabled": "yes"})", {"fpin.enabled"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.family);
    const std::string error = LoadError(c.family);
    for (const std::string &mention : c.mentions)
      EXPECT_NE(error.find(mention), std::string::npos) << error;
  }
  // Targets still logging in may share their empty WWPN.
  EXPECT_EQ(LoadError(R"("fpin": {"targets": [{"adapter": "a"}, {"adapter": "a"}]})"), "(no error)");
}

// An adapter object keeps its name; a change made through it is refused once
// the adapter has left the transport or the host.
TEST(SanState, ChangesAreRefusedForAnAdapterOfAnotherTransport) {
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "f", "transport": "fc"}, {"name": "s", "transport": "sas"}]})");
  OlkCtl::Storage::StorageInfoImpl storage;
  auto fc = storage.GetFibreChannelInterfaces();
  auto sas = storage.GetSerialAttachedScsiInterfaces();
  ASSERT_EQ(fc.size(), 1u);
  ASSERT_EQ(sas.size(), 1u);
  OlkCtl::Sim::Current().Modify([](OlkCtl::Sim::State &state) {
    state.adapters().Find("f")->transport = "sas";
    state.adapters().records.pop_back();
    state.Reindex();
  });
  EXPECT_EQ(ErrorText<HostCtlException>([&] { fc[0]->IssueLIP(); }),
            "Adapter f is not a Fibre Channel adapter");
  EXPECT_EQ(ErrorText<HostCtlException>([&] { fc[0]->ClearEvents(200); }),
            "Adapter f is not a Fibre Channel adapter");
  EXPECT_EQ(ErrorText<HostCtlException>([&] { sas[0]->Reset(); }),
            "Adapter s is not known to the storage stack");
  EXPECT_TRUE(OlkCtl::Sim::Current().Read()->san().records.empty());
}

} // namespace
