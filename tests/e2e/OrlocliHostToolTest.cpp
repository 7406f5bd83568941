// orlocli-host run as a user runs it: printed text, exit status, and what it
// leaves in the host file.
#include "support/Tools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using testing::HasSubstr;
using testing::StartsWith;
using TestSupport::ReadFile;
using TestSupport::ToolRun;

class OrlocliHostTool : public testing::Test {
protected:
  std::string File(const std::string &name) const { return dir_.File(name); }

  // HOME and XDG_STATE_HOME point into the test's directory so the user's own
  // default host is never touched.
  ToolRun Run(std::vector<std::string> args, const std::vector<std::string> &env = {}) {
    args.insert(args.begin(), "orlocli-host");
    return TestSupport::RunTool(args, TestSupport::ToolOptions().Env(env).Home(dir_.Path()));
  }

  TestSupport::TempDir dir_;
};

TEST_F(OrlocliHostTool, InitValidateShow) {
  const std::string host = File("h.json");
  ToolRun init = Run({"init", "--profile", "default", host});
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_EQ(init.out, "Created " + host + " from profile \"default\"\n");
  struct stat st {};
  ASSERT_EQ(::stat(host.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ToolRun validate = Run({"validate", host});
  EXPECT_EQ(validate.status, 0);
  EXPECT_EQ(validate.out, host + ": valid\n");
  EXPECT_EQ(validate.err, "");

  ToolRun show = Run({"show", host});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(show.out, ReadFile(host));
  EXPECT_THAT(show.out, HasSubstr("\"hostName\": \"olhost-01\""));

  // The global --host option and the environment name the same file.
  EXPECT_EQ(Run({"--host", host, "show"}).out, show.out);
  EXPECT_EQ(Run({"show"}, {"ORLOCLI_HOST=" + host}).out, show.out);
}

TEST_F(OrlocliHostTool, InitRefusesToReplaceWithoutForce) {
  const std::string host = File("h.json");
  ASSERT_EQ(Run({"init", "--profile", "empty", host}).status, 0);
  const std::string before = ReadFile(host);

  ToolRun again = Run({"init", host});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "orlocli-host: " + host + " already exists (use --force to replace it)\n");
  EXPECT_EQ(ReadFile(host), before);

  ToolRun forced = Run({"init", "--force", host});
  EXPECT_EQ(forced.status, 0);
  EXPECT_THAT(ReadFile(host), HasSubstr("olhost-01"));
}

TEST_F(OrlocliHostTool, DefaultHostIsCreatedOnFirstUse) {
  ToolRun show = Run({"show"});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(ReadFile(File("state/orlocli/host.json")), show.out);
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
  ToolRun list = Run({"--host", host, "fault", "list"});
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
  std::string text = ReadFile(good);
  // A hand edit gone wrong: a number where the host name belongs.
  const std::string broken = File("broken.json");
  std::string edited = text;
  edited.replace(edited.find("\"olhost-01\""), 11, "42");
  std::ofstream(broken) << edited;

  ToolRun validate = Run({"validate", broken});
  EXPECT_EQ(validate.status, 1);
  EXPECT_EQ(validate.out, "");
  EXPECT_EQ(validate.err,
            "orlocli-host: " + broken + ": system.hostName: expected a string, found an integer\n");

  ToolRun show = Run({"show", broken});
  EXPECT_EQ(show.status, 4);
  EXPECT_EQ(show.err, validate.err);

  ToolRun fault = Run({"--host", broken, "fault", "add", "X::Y", "--message", "m"});
  EXPECT_EQ(fault.status, 4);
  EXPECT_EQ(fault.err, validate.err);
  EXPECT_EQ(ReadFile(broken), edited);

  // Cut short, as by a full disk.
  const std::string truncated = File("truncated.json");
  std::ofstream(truncated) << text.substr(0, 60);
  ToolRun cut = Run({"validate", truncated});
  EXPECT_EQ(cut.status, 1);
  EXPECT_THAT(cut.err, StartsWith("orlocli-host: " + truncated + ": line "));
  EXPECT_EQ(std::count(cut.err.begin(), cut.err.end(), '\n'), 1);
  EXPECT_EQ(ReadFile(truncated), text.substr(0, 60));
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
    ToolRun r = Run(c.args);
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
    ToolRun r = Run({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, StartsWith("Usage: orlocli-host " + command));
  }
  ToolRun main = Run({"--help"});
  EXPECT_EQ(main.status, 0);
  EXPECT_THAT(main.out, HasSubstr("fault add OPERATION --message TEXT"));

  ToolRun profiles = Run({"profiles"});
  EXPECT_EQ(profiles.status, 0);
  EXPECT_THAT(profiles.out, HasSubstr("default\n"));
  EXPECT_THAT(profiles.out, HasSubstr("empty\n"));
}

} // namespace
