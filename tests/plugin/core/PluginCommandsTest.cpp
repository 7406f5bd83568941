// storage core plugin list and plugin registration list / add / remove.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// A host whose loaded plug-ins are `loaded` (JSON array) and whose register is `modules`.
std::string HostWithPlugins(const std::string &loaded, const std::string &modules = "[]") {
  return R"({"schemaVersion": 1, "plugins": {"loaded": )" + loaded + R"(, "modules": )" + modules + "}}";
}

TEST(PluginListTest, ClassifiesMpThenFilterThenHwacAndLeavesOutSubPlugins) {
  UseHostJson(HostWithPlugins(R"([
      {"name": "SATP_A", "class": "SATP"},
      {"name": "F1", "class": "Filter", "protocol": "nvme"},
      {"name": "M1", "class": "MP", "protocol": "scsi+nvme"},
      {"name": "PSP_A", "class": "PSP"},
      {"name": "H1", "class": "HWAC"},
      {"name": "M2", "class": "MP", "protocol": "nvme"}])"));
  struct Case {
    std::string options;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"", {"F1 | Filter | NVMe", "M1 | MP | SCSI/NVMe", "H1 | HWAC | SCSI", "M2 | MP | NVMe"}},
      {"-N all", {"F1 | Filter | NVMe", "M1 | MP | SCSI/NVMe", "H1 | HWAC | SCSI", "M2 | MP | NVMe"}},
      {"-N MP", {"M1 | MP | SCSI/NVMe", "M2 | MP | NVMe"}},
      {"--plugin-class Filter", {"F1 | Filter | NVMe"}},
      {"-N HWAC", {"H1 | HWAC | SCSI"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core plugin list " + c.options);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(Lines(run.root, {"Plugin name", "Plugin class", "Plugin type"}), c.rows);
  }
}

TEST(PluginListTest, EmptyProfileLoadsNoPlugin) {
  UseProfile("empty");
  auto run = RunCommand("storage core plugin list");
  ASSERT_TRUE(RootList(run.root));
  EXPECT_EQ(RootList(run.root)->Size(), 0u);
  EXPECT_EQ(RootList(RunCommand("storage core plugin registration list").root)->Size(), 0u);
}

TEST(PluginRegistrationTest, ListFiltersByModuleAndExactClass) {
  UseProfile();
  struct Case {
    std::string options;
    std::vector<std::string> modules;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"-m tvx_psp_rr", {"tvx_psp_rr"}, {}},
      {"-m tvx_psp_rr -N SATP", {}, {}},
      {"-N PSP", {"tvx_psp_fixed", "tvx_psp_mru", "tvx_psp_rr"}, {}},
      {"-N psp", {}, {}},
      {"-N Filter", {"hwac_filter"}, {}},
      {"-m nosuch", {}, {"Unable to find module with name nosuch"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage core plugin registration list " + c.options);
    EXPECT_EQ(Column(run.root, "Module Name"), c.modules);
    EXPECT_EQ(run.errors, c.errors);
  }
}

// Registering makes the plug-in acceptable to claim rules without loading it;
// unregistering takes that back.
TEST(PluginRegistrationTest, RoundTripThroughTheRegister) {
  UseProfile();
  const std::string rule = "storage core claimrule add -r 700 -t transport -R fc -P OLSTOR_X";
  EXPECT_FALSE(Succeeded(RunCommand(rule)));

  EXPECT_TRUE(Succeeded(RunCommand(
      "storage core plugin registration add -m olstor_x -P OLSTOR_X -N MP -d nmp,hpp -I /opt/olstor/olstor_x")));
  EXPECT_EQ(Lines(RunCommand("storage core plugin registration list -m olstor_x").root,
                  {"Module Name", "Plugin Name", "Plugin Class", "Dependencies", "Full Path"}),
            std::vector<std::string>{"olstor_x | OLSTOR_X | MP | nmp,hpp | /opt/olstor/olstor_x"});
  EXPECT_EQ(Column(RunCommand("storage core plugin list").root, "Plugin name").size(), 8u); // not loaded

  auto again = RunCommand("storage core plugin registration add -m olstor_x -P OTHER -N HWAC");
  EXPECT_EQ(again.errors, std::vector<std::string>{
                              "Unable to register module olstor_x. Error was: Module already registered"});
  EXPECT_EQ(again.root, nullptr);
  EXPECT_EQ(Column(RunCommand("storage core plugin registration list -m olstor_x").root, "Plugin Name"),
            std::vector<std::string>{"OLSTOR_X"});

  EXPECT_TRUE(Succeeded(RunCommand(rule)));
  EXPECT_TRUE(Succeeded(RunCommand("storage core plugin registration remove -m olstor_x")));
  EXPECT_FALSE(Succeeded(RunCommand("storage core claimrule add -r 701 -t transport -R fc -P OLSTOR_X")));

  auto missing = RunCommand("storage core plugin registration remove -m olstor_x");
  EXPECT_EQ(missing.errors,
            std::vector<std::string>{
                "Unable to unregister module olstor_x. Error was: Module olstor_x is not registered."});
}

TEST(PluginRegistrationTest, HostFailures) {
  struct Case {
    std::string operation;
    std::string command;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"StorageInfo::GetPsaPluginNames", "plugin list", "Unable to list plugins. boom"},
      {"StorageInfo::GetRegistered", "plugin registration list", "Unable to list registered modules: boom"},
      {"StorageInfo::GetRegisteredModule", "plugin registration list",
       "Unable to list registered modules: boom"},
      {"StorageInfo::GetRegisteredModule", "plugin registration list -m nmp",
       "Unable to find module with name nmp"},
      {"StorageInfo::GetRegistered", "plugin registration add -m m -P P -N MP",
       "Unable to register module m. Error was: boom"},
      {"StorageInfo::RegisterModule", "plugin registration add -m m -P P -N MP",
       "Unable to register module m. Error was: boom"},
      {"StorageInfo::UnRegisterModule", "plugin registration remove -m nmp",
       "Unable to unregister module nmp. Error was: boom"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " " + c.command);
    UseProfile();
    InjectFault(c.operation, "", "boom");
    auto run = RunCommand("storage core " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
}

} // namespace
