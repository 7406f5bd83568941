#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The reference, the man pages and the completion scripts are generated from
// the registered tree and kept in the source tree; none may fall behind the
// commands.
TEST(GeneratedFromTree, AreUpToDate) {
  TestSupport::TempDir dir;
  const std::string host = dir.File("host.json");
  auto init = TestSupport::RunTool({"orlocli-host", "init", "--profile", "default", host});
  ASSERT_EQ(init.status, 0) << init.err;
  auto catalog = TestSupport::RunTool({"orlocli", "--host", host, "--catalog"});
  ASSERT_EQ(catalog.status, 0) << catalog.err;
  const auto fromCatalog = TestSupport::ToolOptions().Input(catalog.out);
  struct Case {
    std::string file;
    std::vector<std::string> generator;
    TestSupport::ToolOptions options;
  };
  const std::vector<Case> cases = {
      {"docs/reference.md", {"gen-reference"}, fromCatalog},
      {"docs/man/orlocli.1", {"gen-reference", "man"}, fromCatalog},
      {"docs/man/orlocli-host.1", {"gen-reference", "man-host", TestSupport::BinPath("orlocli-host")}, {}},
      {"completions/_orlocli", {"gen-reference", "zsh"}, fromCatalog},
      {"completions/orlocli.fish", {"gen-reference", "fish"}, fromCatalog},
      {"completions/orlocli.bash", {"orlocli", "--host", host, "--completion", "bash"}, {}},
  };
  for (const Case &c : cases) {
    auto generated = TestSupport::RunTool(c.generator, c.options);
    ASSERT_EQ(generated.status, 0) << c.file << ": " << generated.err;
    EXPECT_TRUE(generated.out == TestSupport::ReadFile(TestSupport::SourcePath(c.file)))
        << c.file << " is stale: run tools/gen-reference";
  }
}

// What man shows must not depend on groff guessing: no warning of any kind.
TEST(GeneratedFromTree, ManPagesRenderWithoutWarnings) {
  for (const char *page : {"docs/man/orlocli.1", "docs/man/orlocli-host.1"}) {
    auto lint = TestSupport::RunTool({"groff", "-man", "-ww", "-z", TestSupport::SourcePath(page)});
    EXPECT_EQ(lint.status, 0) << page;
    EXPECT_EQ(lint.err, "") << page;
  }
}
