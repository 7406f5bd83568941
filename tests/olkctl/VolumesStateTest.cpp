// The volumes family as a host file holds it: what validation refuses, and
// what a change keeps.
#include <olkctl/sim/HostControl.h>

#include "sim/Store.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string WriteHost(const std::string &name, const nlohmann::ordered_json &volumes) {
  auto doc = nlohmann::ordered_json::parse(OlkCtl::Sim::ProfileJson("default"));
  doc["volumes"] = volumes;
  const std::string path = testing::TempDir() + name;
  std::ofstream(path) << doc.dump(2);
  return path;
}

std::string ValidationError(const std::string &path) {
  try {
    OlkCtl::Sim::CheckHostFile(path);
  } catch (const OlkCtl::Sim::StateError &e) {
    return e.what();
  }
  return "";
}

} // namespace

TEST(VolumesStateTest, ValidationRefusesExtentsOnUnknownDevices) {
  using nlohmann::ordered_json;
  struct Case {
    std::string name;
    ordered_json volumes;
    std::string error; // a part of the message; empty: valid
  };
  const ordered_json onKnown = {{"device", "naa.5000c500a1b2c3d4"}, {"partition", 3}};
  const ordered_json onUnknown = {{"device", "naa.nosuch"}, {"partition", 1}};
  const ordered_json onPending = {{"device", "naa.6001405e2b7a94c1d3f04b8a9c5e7d21"}, {"partition", 1}};
  const std::vector<Case> cases = {
      {"known", {{"volumes", {{{"uuid", "u-1"}, {"extents", {onKnown}}}}}}, ""},
      {"unknown",
       {{"volumes", {{{"uuid", "u-1"}, {"extents", {onUnknown}}}}}},
       "volumes.volumes: volume u-1 has an extent on unknown device naa.nosuch"},
      {"pending-ok", {{"pending", {{{"uuid", "u-2"}, {"extents", {onPending}}}}}}, ""},
      {"pending-mounted",
       {{"volumes", {{{"uuid", "u-2"}, {"extents", {onPending}}}}}},
       "unknown device naa.6001405e2b7a94c1d3f04b8a9c5e7d21"},
      {"unresolved",
       {{"unresolved", {{{"uuid", "u-3"}, {"extents", {onUnknown, {{"kind", "other"}}}}}}}},
       "volumes.unresolved: volume u-3"},
      {"placeholder-ok", {{"unresolved", {{{"uuid", "u-3"}, {"extents", {{{"kind", "other"}}}}}}}}, ""},
      {"duplicate", {{"volumes", {{{"uuid", "u-1"}}, {{"uuid", "u-1"}}}}}, "duplicate volume uuid u-1"},
      {"placeholder-mounted",
       {{"volumes", {{{"uuid", "u-1"}, {"extents", {{{"kind", "other"}}}}}}}},
       "a volume's extents are all of kind \"olfs\""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string error = ValidationError(WriteHost("volumes-" + c.name + ".json", c.volumes));
    if (c.error.empty())
      EXPECT_EQ(error, "");
    else
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}
