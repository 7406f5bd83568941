#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <string>

// docs/reference.md is generated from the registered tree; it must not fall
// behind the commands.
TEST(ReferenceDoc, IsUpToDate) {
  TestSupport::TempDir dir;
  const std::string host = dir.File("host.json");
  auto init = TestSupport::RunTool({"orlocli-host", "init", "--profile", "default", host});
  ASSERT_EQ(init.status, 0) << init.err;
  auto catalog = TestSupport::RunTool({"orlocli", "--host", host, "--catalog"});
  ASSERT_EQ(catalog.status, 0) << catalog.err;
  auto generated = TestSupport::RunTool({"gen-reference"}, TestSupport::ToolOptions().Input(catalog.out));
  ASSERT_EQ(generated.status, 0) << generated.err;
  EXPECT_TRUE(generated.out == TestSupport::ReadFile(TestSupport::SourcePath("docs/reference.md")))
      << "docs/reference.md is stale: run tools/gen-reference";
}
