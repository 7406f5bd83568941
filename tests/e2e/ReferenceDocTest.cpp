#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Capture(const std::string &command, int &status) {
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  char buffer[8192];
  size_t n;
  while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  status = pipe ? pclose(pipe) : -1;
  return out;
}

} // namespace

// docs/reference.md is generated from the registered tree; it must not fall
// behind the commands.
TEST(ReferenceDoc, IsUpToDate) {
  char dirTemplate[] = "/tmp/orlocli-reference-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string host = std::string(dirTemplate) + "/host.json";
  const std::string bin = ORLOCLI_BIN_DIR;
  int status = 0;
  Capture("'" + bin + "/orlocli-host' init --profile default '" + host + "' >/dev/null", status);
  ASSERT_EQ(status, 0);
  std::string generated = Capture("'" + bin + "/orlocli' --host '" + host + "' --catalog | '" + bin +
                                      "/gen-reference'",
                                  status);
  ASSERT_EQ(status, 0);
  std::ifstream in(TestSupport::SourcePath("docs/reference.md"));
  std::stringstream committed;
  committed << in.rdbuf();
  EXPECT_TRUE(generated == committed.str()) << "docs/reference.md is stale: run tools/gen-reference";
  std::system(("rm -rf '" + std::string(dirTemplate) + "'").c_str());
}
