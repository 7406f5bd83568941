// orlocli-host run as a user runs it: printed text, exit status, and what it
// leaves in the host file.
#include "support/TestHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing::HasSubstr;
using testing::StartsWith;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class OrlocliHostTool : public testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "orlocli-host-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string File(const std::string &name) const { return dir_ + "/" + name; }

  // Runs the tool with `args`; HOME and XDG_STATE_HOME point into the test's
  // directory so the user's own default host is never touched.
  Result Run(const std::vector<std::string> &args, const std::vector<std::string> &env = {}) {
    const std::string outPath = File(".out"), errPath = File(".err");
    pid_t pid = ::fork();
    if (pid == 0) {
      int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(err, 2);
      ::setenv("HOME", dir_.c_str(), 1);
      ::setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
      ::unsetenv("ORLOCLI_HOST");
      for (const std::string &e : env)
        ::putenv(const_cast<char *>(e.c_str()));
      std::string tool = TestSupport::BinPath("orlocli-host");
      std::vector<char *> argv{tool.data()};
      std::vector<std::string> copy = args;
      for (std::string &a : copy)
        argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(tool.c_str(), argv.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(outPath);
    r.err = Slurp(errPath);
    return r;
  }

  std::string dir_;
};

TEST_F(OrlocliHostTool, InitValidateShow) {
  const std::string host = File("h.json");
  Result init = Run({"init", "--profile", "default", host});
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_EQ(init.out, "Created " + host + " from profile \"default\"\n");
  struct stat st {};
  ASSERT_EQ(::stat(host.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  Result validate = Run({"validate", host});
  EXPECT_EQ(validate.status, 0);
  EXPECT_EQ(validate.out, host + ": valid\n");
  EXPECT_EQ(validate.err, "");

  Result show = Run({"show", host});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(show.out, Slurp(host));
  EXPECT_THAT(show.out, HasSubstr("\"hostName\": \"olhost-01\""));

  // The global --host option and the environment name the same file.
  EXPECT_EQ(Run({"--host", host, "show"}).out, show.out);
  EXPECT_EQ(Run({"show"}, {"ORLOCLI_HOST=" + host}).out, show.out);
}

TEST_F(OrlocliHostTool, InitRefusesToReplaceWithoutForce) {
  const std::string host = File("h.json");
  ASSERT_EQ(Run({"init", "--profile", "empty", host}).status, 0);
  const std::string before = Slurp(host);

  Result again = Run({"init", host});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "orlocli-host: " + host + " already exists (use --force to replace it)\n");
  EXPECT_EQ(Slurp(host), before);

  Result forced = Run({"init", "--force", host});
  EXPECT_EQ(forced.status, 0);
  EXPECT_THAT(Slurp(host), HasSubstr("olhost-01"));
}

TEST_F(OrlocliHostTool, DefaultHostIsCreatedOnFirstUse) {
  Result show = Run({"show"});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(Slurp(File("state/orlocli/host.json")), show.out);
}

TEST_F(OrlocliHostTool, FaultAddListClear) {
  const std::string host = File("h.json");
  ASSERT_EQ(Run({"init", host}).status, 0);
  EXPECT_EQ(Run({"--host", host, "fault", "add", "StorageInfo::GetScsiInterfaces", "--message",
                 "Unable to reach the adapters"})
                .status,
            0);
  EXPECT_EQ(Run({"--host=" + host, "fault", "add", "Lun::RunFilterClaim", "--message=Busy", "--target",
                 "naa.5000c500a1b2c3d4", "--times", "2"})
                .status,
            0);
  Result list = Run({"--host", host, "fault", "list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out,
            "Operation                       Target                Times   Message\n"
            "StorageInfo::GetScsiInterfaces  *                     always  Unable to reach the adapters\n"
            "Lun::RunFilterClaim             naa.5000c500a1b2c3d4  2       Busy\n");

  EXPECT_EQ(Run({"--host", host, "fault", "clear"}).status, 0);
  EXPECT_EQ(Run({"--host", host, "fault", "list"}).out, "No faults.\n");
}

TEST_F(OrlocliHostTool, BrokenHostGivesOneLineAndStaysAsItIs) {
  const std::string good = File("good.json");
  ASSERT_EQ(Run({"init", good}).status, 0);
  std::string text = Slurp(good);
  // A hand edit gone wrong: a number where the host name belongs.
  const std::string broken = File("broken.json");
  std::string edited = text;
  edited.replace(edited.find("\"olhost-01\""), 11, "42");
  std::ofstream(broken) << edited;

  Result validate = Run({"validate", broken});
  EXPECT_EQ(validate.status, 1);
  EXPECT_EQ(validate.out, "");
  EXPECT_EQ(validate.err,
            "orlocli-host: " + broken + ": system.hostName: expected a string, found an integer\n");

  Result show = Run({"show", broken});
  EXPECT_EQ(show.status, 4);
  EXPECT_EQ(show.err, validate.err);

  Result fault = Run({"--host", broken, "fault", "add", "X::Y", "--message", "m"});
  EXPECT_EQ(fault.status, 4);
  EXPECT_EQ(fault.err, validate.err);
  EXPECT_EQ(Slurp(broken), edited);

  // Cut short, as by a full disk.
  const std::string truncated = File("truncated.json");
  std::ofstream(truncated) << text.substr(0, 60);
  Result cut = Run({"validate", truncated});
  EXPECT_EQ(cut.status, 1);
  EXPECT_THAT(cut.err, StartsWith("orlocli-host: " + truncated + ": line "));
  EXPECT_EQ(std::count(cut.err.begin(), cut.err.end(), '\n'), 1);
  EXPECT_EQ(Slurp(truncated), text.substr(0, 60));
}

TEST_F(OrlocliHostTool, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{}, "orlocli-host: a command is needed (see orlocli-host --help)\n"},
      {{"frobnicate"}, "orlocli-host: unknown command \"frobnicate\" (see orlocli-host --help)\n"},
      {{"--hots", "x", "show"}, "orlocli-host: unknown option --hots (see orlocli-host --help)\n"},
      {{"init", "--profile"}, "orlocli-host: option --profile of init needs a value\n"},
      {{"init", "--profile", "huge", File("x.json")},
       "orlocli-host: unknown profile \"huge\" (see orlocli-host profiles)\n"},
      {{"init", "--force=yes"}, "orlocli-host: option --force of init takes no value\n"},
      {{"show", "a.json", "b.json"}, "orlocli-host: unexpected argument \"b.json\" for show\n"},
      {{"validate", "--strict", "a.json"},
       "orlocli-host: unknown option --strict for validate (see orlocli-host validate --help)\n"},
      {{"fault"}, "orlocli-host: fault needs add, list or clear (see orlocli-host fault --help)\n"},
      {{"fault", "add", "--message", "m"}, "orlocli-host: fault add needs an OPERATION\n"},
      {{"fault", "add", "Lun::SetDisplayName"}, "orlocli-host: fault add needs --message TEXT\n"},
      {{"fault", "add", "Lun::SetDisplayName", "--message", "m", "--times", "-1"},
       "orlocli-host: --times needs a whole number of 0 or more, not \"-1\"\n"},
      {{"fault", "remove"}, "orlocli-host: unknown fault action \"remove\" (add, list or clear)\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    Result r = Run(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  // Nothing was created on the way.
  EXPECT_FALSE(std::filesystem::exists(File("x.json")));
}

TEST_F(OrlocliHostTool, HelpForEachCommand) {
  for (const std::string command : {"init", "show", "validate", "profiles", "fault"}) {
    SCOPED_TRACE(command);
    Result r = Run({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, StartsWith("Usage: orlocli-host " + command));
  }
  Result main = Run({"--help"});
  EXPECT_EQ(main.status, 0);
  EXPECT_THAT(main.out, HasSubstr("fault add OPERATION --message TEXT"));

  Result profiles = Run({"profiles"});
  EXPECT_EQ(profiles.status, 0);
  EXPECT_THAT(profiles.out, HasSubstr("default\n"));
  EXPECT_THAT(profiles.out, HasSubstr("empty\n"));
}

} // namespace
