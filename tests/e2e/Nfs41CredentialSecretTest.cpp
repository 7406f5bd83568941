// A password given to storage nfs41 credential set reaches no output, no host
// file and no listing of the host, whatever the command line did.
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace TestSupport;

TEST(Nfs41CredentialSecretTest, NoPasswordInAnyOutputOrFile) {
  TempDir dir;
  const std::string host = dir.File("host.json");
  ASSERT_EQ(RunTool({"orlocli-host", "init", host}).status, 0);
  const std::string password = "Pw-7f3a-NeverShown";
  const std::string other = "Pw-9c1e-NeverShown";
  std::vector<ToolRun> runs;
  auto orlocli = [&](std::vector<std::string> words) {
    words.insert(words.begin(), {"orlocli", "--host", host, "storage", "nfs41", "credential"});
    runs.push_back(RunTool(words, ToolOptions().Home(dir.Path())));
    return runs.back().status;
  };
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", password, "-c", password}), 0);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", password, "-c", other}), 1);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", password}), 2);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", password, "-c", password, "--bogus", other}), 2);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "--password=" + password, "-c", other}), 1);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", "-c", password}), 2);
  EXPECT_EQ(orlocli({"get", "--formatter", "json"}), 0);
  ASSERT_EQ(RunTool({"orlocli-host", "--host", host, "fault", "add",
                     "StorageInfo::SetV41NetworkFileSystemDefaultCurrentPassword", "--message", "KDC down"})
                .status,
            0);
  EXPECT_EQ(orlocli({"set", "-u", "krb", "-p", other, "-c", other}), 1);
  EXPECT_EQ(runs.back().err, "KDC down\n");
  runs.push_back(RunTool({"orlocli-host", "--host", host, "show"}));

  for (const ToolRun &run : runs)
    for (const std::string &secret : {password, other}) {
      EXPECT_EQ(run.out.find(secret), std::string::npos) << run.out;
      EXPECT_EQ(run.err.find(secret), std::string::npos) << run.err;
    }
  int files = 0;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
    if (!entry.is_regular_file())
      continue;
    ++files;
    const std::string text = ReadFile(entry.path().string());
    for (const std::string &secret : {password, other})
      EXPECT_EQ(text.find(secret), std::string::npos) << entry.path();
  }
  EXPECT_GE(files, 1);
}
