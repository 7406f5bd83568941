// Runs the built orlocli: host selection, plug-in loading, help, catalog,
// completion and exit statuses, as a user sees them.
#include "support/Tools.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TestSupport::ReadFile;
using TestSupport::ToolRun;

class OrlocliTool : public testing::Test {
protected:
  void SetUp() override {
    host_ = dir_.File("host.json");
    TestSupport::WriteFile(host_, OlkCtl::Sim::ProfileJson("default"));
  }

  // Runs orlocli with `args`; its default host would be made in the test's directory.
  ToolRun Run(std::vector<std::string> args, const std::vector<std::string> &env = {}) {
    args.insert(args.begin(), "orlocli");
    return TestSupport::RunTool(args, TestSupport::ToolOptions().Env(env).Home(dir_.Path()));
  }
  ToolRun RunOnHost(std::vector<std::string> args) {
    args.insert(args.begin(), {"--host", host_});
    return Run(args);
  }

  TestSupport::TempDir dir_;
  std::string host_;
};

// The transcripts and docs/reference.md carry the normal help and catalog; the
// internal tree is reached only with --internal and never shows without it.
TEST_F(OrlocliTool, InternalTreeOnlyWithInternal) {
  EXPECT_EQ(RunOnHost({"--help"}).out.find("clusteredoldk"), std::string::npos);
  ToolRun help = RunOnHost({"--internal", "--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: orlocli --internal <namespace|command> [options]\n", 0), 0u);

  ToolRun catalog = RunOnHost({"--internal", "--catalog"});
  ASSERT_EQ(catalog.status, 0) << catalog.err;
  auto hidden = nlohmann::ordered_json::parse(catalog.out);
  ASSERT_TRUE(hidden["namespaces"].is_array());
  for (const auto &ns : hidden["namespaces"])
    EXPECT_NE(ns["path"][0], "storage");
}

TEST_F(OrlocliTool, ExitStatusesAndOneLineErrors) {
  fs::create_directories(dir_.File("empty"));
  TestSupport::WriteFile(dir_.File("broken.json"), "{ not json");
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int status;
    std::string errPrefix; // the whole standard error is one line starting so
  };
  const std::string broken = dir_.File("broken.json");
  const std::string emptyDir = dir_.File("empty");
  const std::vector<Case> cases = {
      // Usage errors are the parser's and BadInput's; these are the tool's own.
      {{"--host", broken, "--help"}, {}, 4, "orlocli: "},
      {{"--host", host_, "--help"},
       {"ORLOCLI_PLUGIN_DIR=" + emptyDir},
       4,
       "orlocli: cannot load plug-in " + emptyDir + "/libcore-storage.so: "},
      {{"--version"}, {"ORLOCLI_PLUGIN_DIR=" + emptyDir}, 0, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " " + testing::PrintToString(c.env));
    ToolRun run = Run(c.args, c.env);
    EXPECT_EQ(run.status, c.status);
    if (c.errPrefix.empty()) {
      EXPECT_EQ(run.err, "");
      continue;
    }
    EXPECT_EQ(run.err.rfind(c.errPrefix, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // The broken host file is named and left as it was.
  EXPECT_NE(Run({"--host", broken, "--help"}).err.find(broken), std::string::npos);
  EXPECT_EQ(ReadFile(broken), "{ not json");
  EXPECT_EQ(Run({"--version"}).out, "orlocli 0.1.0\n");
}

TEST_F(OrlocliTool, HostFromTheEnvironmentAndARealCommand) {
  ToolRun run = Run({"--formatter", "json", "storage", "core", "adapter", "list"}, {"ORLOCLI_HOST=" + host_});
  ASSERT_EQ(run.status, 0) << run.err;
  auto adapters = nlohmann::ordered_json::parse(run.out);
  ASSERT_TRUE(adapters.is_array());
  ASSERT_FALSE(adapters.empty());
  EXPECT_TRUE(adapters[0].contains("HBA Name"));
  EXPECT_FALSE(fs::exists(dir_.File("state"))) << "the default host must not be created when one is named";
}

TEST_F(OrlocliTool, CompletionScriptCompletesInBash) {
  ToolRun script = RunOnHost({"--completion", "bash"});
  ASSERT_EQ(script.status, 0) << script.err;
  TestSupport::WriteFile(dir_.File("complete.sh"),
                         script.out + "\nCOMP_WORDS=(orlocli storage c)\nCOMP_CWORD=2\n_orlocli_complete\n"
                                      "echo \"${COMPREPLY[*]}\"\n");
  const std::string output =
      TestSupport::RunTool({"bash", "--norc", "--noprofile", dir_.File("complete.sh")}).out;
  EXPECT_EQ(output, "core\n");
}

} // namespace
