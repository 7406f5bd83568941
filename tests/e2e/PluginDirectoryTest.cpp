// Which plug-ins orlocli loads from a plug-in directory of its own, and how it
// refuses one it cannot use.
#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

TEST(PluginDirectory, LoadsEveryPluginAndRefusesOneItCannotUse) {
  TestSupport::TempDir dir;
  const std::string host = dir.File("host.json");
  ASSERT_EQ(TestSupport::RunTool({"orlocli-host", "init", host}).status, 0);
  const std::string plugins = dir.File("plugins");
  std::filesystem::create_directory(plugins);
  std::filesystem::create_symlink(TestSupport::BinPath("libcore-storage.so"),
                                  plugins + "/libcore-storage.so");
  const auto inDirectory = TestSupport::ToolOptions().Env({"ORLOCLI_PLUGIN_DIR=" + plugins});
  auto run = [&] {
    return TestSupport::RunTool({"orlocli", "--host", host, "storage", "core", "adapter", "list"},
                                inDirectory);
  };
  ASSERT_EQ(run().status, 0) << run().err;

  struct Case {
    std::string file;   // added to the directory
    std::string target; // what it links to; a text file when empty
    std::string err;    // the start of the refusal
  };
  const std::vector<Case> cases = {
      // A library without the registration function: named, not skipped.
      {"libclikit.so", TestSupport::BinPath("libclikit.so"),
       "orlocli: cannot load plug-in " + plugins +
           "/libclikit.so: missing symbol AutoCli_RegisterNamespaces\n"},
      // Not a shared object at all.
      {"libnotes.so", "", "orlocli: cannot load plug-in " + plugins + "/libnotes.so: "},
  };
  for (const Case &c : cases) {
    const std::string path = plugins + "/" + c.file;
    if (c.target.empty())
      TestSupport::WriteFile(path, "not a library\n");
    else
      std::filesystem::create_symlink(c.target, path);
    auto refused = run();
    EXPECT_EQ(refused.status, 4) << c.file;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err.rfind(c.err, 0), 0u) << refused.err;
    std::filesystem::remove(path);
    // Files that are not "*.so" are left alone.
    TestSupport::WriteFile(plugins + "/README", "plug-ins go here\n");
    EXPECT_EQ(run().status, 0) << c.file;
  }
}
