// The host's worlds and the scripts the simulated host serves in place of a shell.
#include <hostctl/Util.h>
#include <olkctl/resource/ResourceInfoImpl.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/sim/HostScripts.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using HostCtl::Util::FindCartels;

std::vector<uint32_t> Ids(const std::vector<HostCtl::Util::Cartel> &cartels) {
  std::vector<uint32_t> ids;
  for (const auto &cartel : cartels)
    ids.push_back(cartel.id);
  return ids;
}

TEST(Worlds, FindCartelsCountsScriptsOnlyWhenAsked) {
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "worlds": [
      {"id": 30, "name": "sh", "script": true}, {"id": 20, "name": "sh"}, {"id": 10, "name": "hmgrd"}]})");
  EXPECT_EQ(Ids(FindCartels("sh", false)), std::vector<uint32_t>{20});
  EXPECT_EQ(Ids(FindCartels("sh", true)), (std::vector<uint32_t>{20, 30}));
  EXPECT_TRUE(FindCartels("Hmgrd", true).empty());
  OlkCtl::Resource::ResourceInfoImpl info;
  EXPECT_EQ(info.GetWorldName(10), "hmgrd");
  EXPECT_EQ(info.GetWorldName(11), ""); // ended, or never ran
}

TEST(Worlds, DocumentChecks) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"([{"id": 0, "name": "a"}])", "a world needs an id above 0"},
      {R"([{"id": 5}])", "a world needs a name"},
      {R"([{"id": 5, "name": "a"}, {"id": 5, "name": "b"}])", "duplicate world id 5"},
  };
  for (const auto &[worlds, problem] : cases) {
    try {
      OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "worlds": )" + worlds + "}");
      FindCartels("a", true);
      ADD_FAILURE() << worlds;
    } catch (const OlkCtl::Sim::StateError &error) {
      EXPECT_NE(std::string(error.what()).find(problem), std::string::npos) << error.what();
    }
  }
}

struct ScriptStep {
  std::string line;
  std::optional<int> status; // none: not one of the host's scripts
  bool runningAfter;
};

TEST(HostScripts, SmartdInitScript) {
  OlkCtl::Sim::UseHostFromProfile("default");
  const std::vector<ScriptStep> steps = {
      {"/etc/init.d/smartd status", 3, false},
      {"/etc/init.d/smartd start", 0, true},
      {"/etc/init.d/smartd start", 0, true},
      {"/etc/init.d/smartd status", 0, true},
      {"/etc/init.d/smartd stop", 0, false},
      {"/etc/init.d/smartd stop", 0, false},
      {"/etc/init.d/smartd restart", 2, false},
      {"/etc/init.d/smartdx start", std::nullopt, false},
      {"/bin/true /etc/init.d/smartd start", std::nullopt, false},
  };
  for (const ScriptStep &step : steps) {
    std::string output;
    EXPECT_EQ(OlkCtl::Sim::RunHostScript(step.line, output, ""), step.status) << step.line;
    EXPECT_EQ(FindCartels("smartd", false).size(), step.runningAfter ? 1u : 0u) << step.line;
  }
}

TEST(HostScripts, ServiceFaultsMakeTheScriptFail) {
  OlkCtl::Sim::UseHostFromProfile("default");
  OlkCtl::Sim::AddFault({"Service::Start", "smartd", "smartd: cannot open /dev/sda", 0});
  std::string output;
  EXPECT_EQ(OlkCtl::Sim::RunHostScript("/etc/init.d/smartd start", output, ""), 1);
  EXPECT_EQ(output, "smartd: cannot open /dev/sda\n");
  EXPECT_TRUE(FindCartels("smartd", false).empty());

  OlkCtl::Sim::ClearFaults();
  ASSERT_EQ(OlkCtl::Sim::RunHostScript("/etc/init.d/smartd start", output, ""), 0);
  OlkCtl::Sim::AddFault({"Service::Stop", "smartd", "stop refused", 1});
  EXPECT_EQ(OlkCtl::Sim::RunHostScript("/etc/init.d/smartd stop", output, ""), 1);
  EXPECT_EQ(FindCartels("smartd", false).size(), 1u);
  EXPECT_EQ(OlkCtl::Sim::RunHostScript("/etc/init.d/smartd stop", output, ""), 0); // the fault was used up
  EXPECT_TRUE(FindCartels("smartd", false).empty());
}

} // namespace
