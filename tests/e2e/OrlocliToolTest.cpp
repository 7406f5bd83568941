// Runs the built orlocli: host selection, plug-in loading, help, catalog,
// completion and exit statuses, as a user sees them.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quote(const std::string &word) {
  std::string out = "'";
  for (char c : word)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class OrlocliTool : public testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orlocli-tool-" + std::to_string(getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    host_ = (dir_ / "host.json").string();
    std::ofstream(host_) << OlkCtl::Sim::ProfileJson("default");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs orlocli with `args`; `environment` is prefixed to the command line.
  ToolRun Run(const std::vector<std::string> &args, const std::string &environment = "") {
    std::string command = "XDG_STATE_HOME=" + Quote((dir_ / "state").string()) +
                          " ORLOCLI_HOST= " + environment + " " + Quote(TestSupport::BinPath("orlocli"));
    for (const std::string &arg : args)
      command += " " + Quote(arg);
    std::string errPath = (dir_ / "stderr").string();
    command += " 2>" + Quote(errPath) + " </dev/null";
    ToolRun run;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
      return run;
    char buffer[8192];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
      run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    return run;
  }
  ToolRun RunOnHost(std::vector<std::string> args, const std::string &environment = "") {
    args.insert(args.begin(), {"--host", host_});
    return Run(args, environment);
  }

  fs::path dir_;
  std::string host_;
};

TEST_F(OrlocliTool, HelpListsTheTreeButNotTheInternalOne) {
  ToolRun top = RunOnHost({"--help"});
  EXPECT_EQ(top.status, 0) << top.err;
  EXPECT_EQ(top.err, "");
  EXPECT_EQ(top.out.rfind("Usage: orlocli [global options] <namespace|command> [options]\n\nNamespaces:\n"
                          "  storage  Tarvex storage commands.\n",
                          0),
            0u)
      << top.out;
  EXPECT_EQ(top.out.find("clusteredoldk"), std::string::npos);

  ToolRun storage = RunOnHost({"storage", "--help"});
  EXPECT_EQ(storage.status, 0);
  EXPECT_EQ(storage.out.rfind("Usage: orlocli [global options] storage <namespace|command> [options]\n\n"
                              "Tarvex storage commands.\n\nNamespaces:\n",
                              0),
            0u)
      << storage.out;
  EXPECT_NE(storage.out.find("\n  core "), std::string::npos);

  ToolRun internal = RunOnHost({"--internal", "--help"});
  EXPECT_EQ(internal.status, 0);
  EXPECT_EQ(internal.out.rfind("Usage: orlocli --internal <namespace|command> [options]\n", 0), 0u);
}

TEST_F(OrlocliTool, CatalogIsOneJsonDocument) {
  ToolRun run = RunOnHost({"--catalog"});
  ASSERT_EQ(run.status, 0) << run.err;
  auto catalog = nlohmann::ordered_json::parse(run.out);
  EXPECT_EQ(catalog["schemaVersion"], 1);
  ASSERT_GE(catalog["namespaces"].size(), 2u);
  EXPECT_EQ(catalog["namespaces"][0].dump(),
            R"({"path":["storage"],"description":"Tarvex storage commands."})");
  EXPECT_EQ(catalog["namespaces"][1].dump(),
            R"({"path":["storage","core"],"description":"Tarvex core storage commands."})");
  for (const auto &command : catalog["commands"]) {
    EXPECT_TRUE(command["path"].is_array());
    EXPECT_TRUE(command["parameters"].is_array());
  }
  ToolRun internal = RunOnHost({"--internal", "--catalog"});
  ASSERT_EQ(internal.status, 0);
  auto hidden = nlohmann::ordered_json::parse(internal.out);
  EXPECT_TRUE(hidden["namespaces"].is_array());
  for (const auto &ns : hidden["namespaces"])
    EXPECT_NE(ns["path"][0], "storage");
}

TEST_F(OrlocliTool, ExitStatusesAndOneLineErrors) {
  fs::create_directories(dir_ / "empty");
  std::ofstream(dir_ / "broken.json") << "{ not json";
  struct Case {
    std::vector<std::string> args;
    std::string environment;
    int status;
    std::string errPrefix; // the whole standard error is one line starting so
  };
  const std::string broken = (dir_ / "broken.json").string();
  const std::string emptyDir = (dir_ / "empty").string();
  const std::vector<Case> cases = {
      {{"--host", host_, "storage", "nosuch"},
       "",
       2,
       "Error: unknown command or namespace 'nosuch' in 'storage'; expected one of: core"},
      {{"--host", host_, "storage"}, "", 2, "Error: 'storage' is a namespace; expected one of: core"},
      {{"--host", host_, "--formatter", "yaml", "storage", "core"}, "", 2, "Error: unknown formatter 'yaml'"},
      {{"--host"}, "", 2, "Error: option '--host' needs a value"},
      {{"--host", broken, "--help"}, "", 4, "orlocli: "},
      {{"--host", host_, "--help"},
       "ORLOCLI_PLUGIN_DIR=" + Quote(emptyDir),
       4,
       "orlocli: cannot load plug-in " + emptyDir + "/libcore-storage.so: "},
      {{"--version"}, "ORLOCLI_PLUGIN_DIR=" + Quote(emptyDir), 0, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " " + c.environment);
    ToolRun run = Run(c.args, c.environment);
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
  ToolRun run =
      Run({"--formatter", "json", "storage", "core", "adapter", "list"}, "ORLOCLI_HOST=" + Quote(host_));
  ASSERT_EQ(run.status, 0) << run.err;
  auto adapters = nlohmann::ordered_json::parse(run.out);
  ASSERT_TRUE(adapters.is_array());
  ASSERT_FALSE(adapters.empty());
  EXPECT_TRUE(adapters[0].contains("HBA Name"));
  EXPECT_FALSE(fs::exists(dir_ / "state")) << "the default host must not be created when one is named";
}

TEST_F(OrlocliTool, CompletionScriptCompletesInBash) {
  ToolRun script = RunOnHost({"--completion", "bash"});
  ASSERT_EQ(script.status, 0) << script.err;
  std::ofstream(dir_ / "complete.sh") << script.out
                                      << "\nCOMP_WORDS=(orlocli storage c)\nCOMP_CWORD=2\n_orlocli_complete\n"
                                         "echo \"${COMPREPLY[*]}\"\n";
  std::string output;
  FILE *pipe = popen(("bash --norc --noprofile " + Quote((dir_ / "complete.sh").string())).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[256];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, n);
  pclose(pipe);
  EXPECT_EQ(output, "core\n");
}

} // namespace
