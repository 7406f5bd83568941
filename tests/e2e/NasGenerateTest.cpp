// orlocli-host generate --nas-mounts: NFS v3 and v4.1 mounts in turn, which
// the NAS commands and the file-system list both see.
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace TestSupport;

namespace {

// The rows of a json list.
int Rows(const std::string &json) {
  int n = 0;
  for (std::size_t at = json.find("\"Volume Name\""); at != std::string::npos;
       at = json.find("\"Volume Name\"", at + 1))
    ++n;
  return n;
}

} // namespace

TEST(NasGenerateTest, MountsOfBothVersionsWithTheDefaultHostsVariety) {
  TempDir dir;
  const std::string host = dir.File("host.json");
  auto made = RunTool({"orlocli-host", "generate", "--devices", "0", "--nas-mounts", "64", host});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out,
            "Generated " + host + ": 8 adapters, 0 devices, 0 paths, 64 volumes, 64 of them NAS (seed 1)\n");
  auto list = [&](const std::string &area, bool peOnly) {
    std::vector<std::string> words = {"orlocli", "--host",  host, "--formatter",
                                      "json",    "storage", area, "list"};
    if (peOnly)
      words.push_back("-p");
    ToolRun r = RunTool(words);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  };
  // Even mounts are v3, odd ones v4.1; PE are 5 and 37, hidden is 9 (v4.1 all).
  const std::string v41 = list("nfs41", false);
  EXPECT_EQ(Rows(list("nfs", false)), 32);
  EXPECT_EQ(Rows(v41), 31);
  EXPECT_EQ(Rows(list("nfs", true)), 0);
  EXPECT_EQ(Rows(list("nfs41", true)), 2);
  EXPECT_NE(v41.find("\"Security\": \"SEC_KRB5P\""), std::string::npos);
  ToolRun all = RunTool({"orlocli", "--host", host, "storage", "filesystem", "list"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_NE(all.out.find("nas-63 "), std::string::npos);
}
