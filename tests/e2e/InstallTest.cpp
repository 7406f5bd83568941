// The installed tree: `cmake --install` of this build into a staging
// directory under another prefix, the tools run from there, and a plug-in
// built out of tree against the installed SDK alone.
#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using TestSupport::RunTool;
using TestSupport::ToolRun;

class InstalledTree : public ::testing::Test {
protected:
  void SetUp() override {
    // The built tree as it is; installing builds nothing.
    ToolRun install =
        RunTool({"cmake", "--install", std::string(ORLOCLI_BIN_DIR) + "/..", "--prefix", "/opt/orlocli"},
                TestSupport::ToolOptions().Env({"DESTDIR=" + dir_.File("stage")}));
    ASSERT_EQ(install.status, 0) << install.err;
    ToolRun init = RunTool({Bin("orlocli-host"), "init", host_});
    ASSERT_EQ(init.status, 0) << init.err;
  }

  std::string Installed(const std::string &relative) const { return prefix_ + "/" + relative; }
  std::string Bin(const std::string &tool) const { return Installed("bin/" + tool); }
  ToolRun Orlocli(std::vector<std::string> args) const {
    args.insert(args.begin(), {Bin("orlocli"), "--host", host_});
    return RunTool(args);
  }

  // A file's text; man pages are installed compressed.
  static std::string Content(const std::string &path) {
    if (path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0)
      return RunTool({"gzip", "-dc", path}).out;
    return TestSupport::ReadFile(path);
  }

  TestSupport::TempDir dir_;
  const std::string prefix_ = dir_.File("stage") + "/opt/orlocli";
  const std::string host_ = dir_.File("host.json");
};

} // namespace

TEST_F(InstalledTree, RunsWithoutTheBuildTree) {
  // The installed orlocli finds its libraries and the plug-in from its own
  // place: the same output as the built tool.
  ToolRun installed = Orlocli({"storage", "core", "adapter", "list"});
  ASSERT_EQ(installed.status, 0) << installed.err;
  ToolRun built = RunTool({"orlocli", "--host", host_, "storage", "core", "adapter", "list"});
  EXPECT_EQ(installed.out, built.out);
  EXPECT_EQ(installed.err, "");
  EXPECT_TRUE(std::filesystem::exists(Installed("lib/orlocli/plugins/libcore-storage.so")));
  EXPECT_FALSE(std::filesystem::exists(Installed("bin/libcore-storage.so")));

  ToolRun help = Orlocli({"storage", "core", "--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out, RunTool({"orlocli", "--host", host_, "storage", "core", "--help"}).out);

  // The installed man page and completions describe the installed tool's tree.
  ToolRun catalog = Orlocli({"--catalog"});
  ASSERT_EQ(catalog.status, 0) << catalog.err;
  struct Generated {
    std::string file;
    std::vector<std::string> generator;
  };
  for (const Generated &g : std::vector<Generated>{
           {"share/man/man1/orlocli.1.gz", {"gen-reference", "man"}},
           {"share/zsh/vendor-completions/_orlocli", {"gen-reference", "zsh"}},
           {"share/fish/vendor_completions.d/orlocli.fish", {"gen-reference", "fish"}},
       }) {
    ToolRun made = RunTool(g.generator, TestSupport::ToolOptions().Input(catalog.out));
    EXPECT_TRUE(made.out == Content(Installed(g.file))) << g.file << " is stale";
  }
  EXPECT_TRUE(Orlocli({"--completion", "bash"}).out ==
              TestSupport::ReadFile(Installed("share/bash-completion/completions/orlocli")));
  ToolRun hostPage = RunTool({"gen-reference", "man-host", Bin("orlocli-host")});
  EXPECT_TRUE(hostPage.out == Content(Installed("share/man/man1/orlocli-host.1.gz")));
}

TEST_F(InstalledTree, BuildsAndLoadsAnOutOfTreePlugin) {
  // The example as installed with the docs, built with the installed CMake
  // package and installed into the plug-in directory it names.
  const std::string source = Installed("share/doc/orlocli/examples/plugin-hello");
  const std::string build = dir_.File("hello-build");
  ToolRun configure =
      RunTool({"cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_PREFIX_PATH=" + prefix_});
  ASSERT_EQ(configure.status, 0) << configure.out << configure.err;
  ToolRun compile = RunTool({"cmake", "--build", build});
  ASSERT_EQ(compile.status, 0) << compile.out << compile.err;
  ToolRun install = RunTool({"cmake", "--install", build});
  ASSERT_EQ(install.status, 0) << install.out << install.err;
  ASSERT_TRUE(std::filesystem::exists(Installed("lib/orlocli/plugins/libhello.so")));

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"hello", "greet", "--name", "Ada"}, 0, "Hello, Ada!\n", ""},
      {{"hello", "greet"}, 0, "Hello, world!\n", ""},
      {{"hello", "greet", "-n", ""}, 1, "", "The name must not be empty.\n"},
      {{"hello", "greet", "--bogus"}, 2, "", "Error: unknown option '--bogus' for command 'hello greet'\n"},
  };
  for (const Case &c : cases) {
    ToolRun run = Orlocli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[1];
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
  // The storage plug-in is still there, loaded first.
  ToolRun storage = Orlocli({"storage", "core", "adapter", "list"});
  EXPECT_EQ(storage.status, 0) << storage.err;
  ToolRun top = Orlocli({"--help"});
  EXPECT_LT(top.out.find("storage"), top.out.find("hello")) << top.out;

  // pkg-config gives what a plain compiler line needs.
  const auto pc = TestSupport::ToolOptions().Env({"PKG_CONFIG_PATH=" + Installed("lib/pkgconfig")});
  ToolRun plugindir = RunTool({"pkg-config", "--variable=plugindir", "orlocli"}, pc);
  ASSERT_EQ(plugindir.status, 0) << plugindir.err;
  EXPECT_TRUE(std::filesystem::equivalent(plugindir.out.substr(0, plugindir.out.size() - 1),
                                          Installed("lib/orlocli/plugins")));
  ToolRun flags = RunTool({"pkg-config", "--cflags", "--libs", "orlocli"}, pc);
  ASSERT_EQ(flags.status, 0) << flags.err;
  ToolRun direct = RunTool({"sh", "-c",
                            "c++ -std=c++20 -shared -fPIC -Wl,--no-undefined -o " +
                                dir_.File("libdirect.so") + " " + source + "/Hello.cpp " + flags.out});
  EXPECT_EQ(direct.status, 0) << direct.err;
}
