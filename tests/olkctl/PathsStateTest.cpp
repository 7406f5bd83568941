// The paths family: document validation, look-ups, state
// changes seen by old and new objects, re-claiming, concurrent writers.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/ScsiPath.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using OlkCtl::Storage::ScsiPathImpl;

std::string Host(const std::string &paths) {
  return R"({"schemaVersion": 1, "adapters": [{"name": "olhba2", "transport": "fc"}],
    "devices": [{"name": "naa.1", "uids": ["naa.1", "olr.1"]}, {"name": "naa.2", "uids": ["naa.2"]}],
    "paths": )" +
         paths + "}";
}

std::string Path(const std::string &uid, const std::string &runtimeName, const std::string &device,
                 const std::string &adapter = "olhba2") {
  return R"({"uid": ")" + uid + R"(", "runtimeName": ")" + runtimeName + R"(", "device": ")" + device +
         R"(", "adapter": ")" + adapter + R"(", "plugin": "NMP"})";
}

TEST(PathsState, DocumentsWithAmbiguousPathsAreRefused) {
  struct Case {
    std::string paths;
    std::string problem; // expected at the end of the message
  };
  const std::vector<Case> cases = {
      {"[" + Path("u1", "olhba2:C0:T0:L1", "naa.1") + "," + Path("u1", "olhba2:C0:T1:L1", "naa.1") + "]",
       "paths[1].uid: UID \"u1\" is used by another path"},
      {"[" + Path("u1", "olhba2:C0:T0:L1", "naa.1") + "," + Path("u2", "olhba2:C0:T0:L1", "naa.1") + "]",
       "paths[1].runtimeName: runtime name \"olhba2:C0:T0:L1\" is used by another path"},
      {"[" + Path("", "olhba2:C0:T0:L1", "naa.1") + "]", "paths[0].uid: a path needs a UID"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.paths);
    const std::string error =
        ErrorText<OlkCtl::Sim::StateError>([&] { OlkCtl::Sim::UseHostFromJson(Host(c.paths)); });
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
  }
}

TEST(PathsState, LunPathAdaptersFollowPathOrder) {
  struct Case {
    std::string device;
    std::vector<std::string> adapters;
  };
  const std::vector<Case> cases = {
      {"naa.1", {"olhba2", "olhba9", "olhba2"}},
      {"olr.1", {"olhba2", "olhba9", "olhba2"}}, // any name of the device
      {"naa.2", {}},                             // a device without paths
      {"naa.404", {}},
  };
  OlkCtl::Sim::UseHostFromJson(Host(
      "[" + Path("u1", "olhba2:C0:T0:L1", "naa.1") + "," + Path("u2", "olhba2:C0:T0:L9", "") + "," +
      Path("u3", "olhba9:C0:T0:L1", "naa.1", "olhba9") + "," + Path("u4", "olhba2:C0:T1:L1", "naa.1") + "]"));
  OlkCtl::Storage::StorageInfoImpl storage;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.device);
    EXPECT_EQ(storage.GetLunPathAdapters(c.device), c.adapters);
  }
}

TEST(PathsState, AnObjectSeesItsOwnChangeAndOlderOnesKeepTheirSnapshot) {
  OlkCtl::Sim::UseHostFromJson(Host("[" + Path("u1", "olhba2:C0:T0:L1", "naa.1") + "]"));
  auto changed = ScsiPathImpl::GetPath("olhba2:C0:T0:L1");
  auto older = ScsiPathImpl::GetPath("u1");
  ASSERT_TRUE(changed && older);
  changed->SetState(true);
  EXPECT_EQ(changed->GetStateString(), "off");
  EXPECT_EQ(older->GetStateString(), "active");
  EXPECT_EQ(ScsiPathImpl::GetPath("u1")->GetStateString(), "off");
  changed->SetState(false);
  EXPECT_EQ(ScsiPathImpl::GetPath("u1")->GetStateString(), "active");
}

// Re-claiming one path asks the loaded rules again, for that path only.
TEST(PathsState, RunClaimAppliesTheRuntimeRulesToOnePath) {
  auto doc = nlohmann::ordered_json::parse(OlkCtl::Sim::ProfileJson("default"));
  for (auto &path : doc["paths"]) {
    if (path["runtimeName"] == "olhba2:C0:T0:L1" || path["runtimeName"] == "olhba3:C0:T0:L1")
      path["plugin"] = "";
    if (path["runtimeName"] == "olhba2:C0:T2:L5")
      path["plugin"] = "NMP";
  }
  OlkCtl::Sim::UseHostFromJson(doc.dump());
  struct Case {
    std::string runtimeName;
    std::string plugin;
  };
  const std::vector<Case> cases = {{"olhba2:C0:T0:L1", "NMP"}, {"olhba2:C0:T2:L5", "MASK_PATH"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.runtimeName);
    auto path = ScsiPathImpl::GetPath(c.runtimeName);
    path->RunClaim();
    EXPECT_EQ(path->GetPluginName(), c.plugin);
    EXPECT_EQ(ScsiPathImpl::GetPath(c.runtimeName)->GetPluginName(), c.plugin);
  }
  EXPECT_EQ(ScsiPathImpl::GetPath("olhba3:C0:T0:L1")->GetPluginName(), "");
}

// The default host's claimed paths sit where its loaded rules put them.
TEST(PathsState, DefaultHostPathsAgreeWithItsRules) {
  OlkCtl::Sim::UseHostFromProfile("default");
  OlkCtl::Storage::StorageInfoImpl storage;
  for (const auto &listed : storage.GetScsiPaths()) {
    if (listed->GetPluginName().empty())
      continue;
    SCOPED_TRACE(listed->GetRuntimeName());
    auto path = ScsiPathImpl::GetPath(listed->GetRuntimeName());
    path->RunClaim();
    EXPECT_EQ(path->GetPluginName(), listed->GetPluginName());
  }
}

// Writers in separate processes each turn off their own path: every change
// must survive, which it would not if a change rewrote paths from an old read.
TEST(PathsState, ConcurrentStateChangesAreAllKept) {
  constexpr int kWriters = 8;
  std::string paths = "[";
  for (int i = 0; i < kWriters; ++i)
    paths +=
        (i ? "," : "") + Path("u" + std::to_string(i), "olhba2:C0:T" + std::to_string(i) + ":L1", "naa.2");
  paths += "]";
  TestSupport::TempDir dir;
  const std::string file = dir.File("host.json");
  TestSupport::WriteFile(file, Host(paths));

  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i)
    children.push_back(TestSupport::Spawn([&file, i] {
      OlkCtl::Sim::UseHostFile(file);
      ScsiPathImpl::GetPath("u" + std::to_string(i))->SetState(true);
      return true;
    }));
  for (pid_t child : children)
    EXPECT_TRUE(TestSupport::WaitOk(child));

  OlkCtl::Sim::UseHostFile(file);
  OlkCtl::Storage::StorageInfoImpl storage;
  for (const auto &path : storage.GetScsiPaths())
    EXPECT_EQ(path->GetStateString(), "off") << path->GetRuntimeName();
}

} // namespace
