// Running commands: exit statuses, where errors and results go, escaped
// exceptions, secrets, and the shell-command operation.
#include "clikit/FakeCommands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <stdexcept>

namespace ClikitTest {
namespace {

TEST(Run, ExitStatusesAndStreams) {
  using Body = std::function<void(const InputPtr &, const OutputPtr &)>;
  auto row = [](const char *name) {
    auto record = MetaStruct::New("Item");
    record->SetField("Name", name);
    auto list = MetaList::New(MetaType::Struct);
    list->Add(record);
    return list;
  };
  struct Case {
    std::string name;
    Body body;
    std::string formatter;
    int status;
    std::string out;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"result only", [&](const InputPtr &, const OutputPtr &o) { o->SetRootObject(row("a")); }, "simple", 0,
       "Name: a\n", ""},
      {"action succeeded",
       [](const InputPtr &, const OutputPtr &o) { o->SetRootObject(MetaBool::New(true)); }, "table", 0, "",
       ""},
      {"errors in order, no root",
       [](const InputPtr &, const OutputPtr &o) {
         o->AddErrorMessage("Unable to list. first");
         o->AddErrorMessage(std::string("second "));
       },
       "table", 1, "", "Unable to list. first\nsecond \n"},
      {"errors and a root",
       [&](const InputPtr &, const OutputPtr &o) {
         o->AddErrorMessage("one device failed");
         o->SetRootObject(row("b"));
       },
       "json", 1, "[\n  {\n    \"Name\": \"b\"\n  }\n]\n", "one device failed\n"},
      {"errors stay on stderr in csv",
       [](const InputPtr &, const OutputPtr &o) { o->AddErrorMessage("bad"); }, "csv", 1, "", "bad\n"},
      {"std::exception escapes",
       [](const InputPtr &, const OutputPtr &o) {
         o->AddErrorMessage("lost when the command fails");
         throw std::runtime_error("kaput");
       },
       "table", 3, "", "Error: internal failure in command 'demo go': kaput\n"},
      {"anything else escapes", [](const InputPtr &, const OutputPtr &) { throw 42; }, "table", 3, "",
       "Error: internal failure in command 'demo go': unknown exception\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FakeTree tree;
    auto command = tree.Add("go");
    command->body = c.body;
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"--formatter", c.formatter, "demo", "go"});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);

    Execution execution = cli.Execute({"demo", "go"});
    EXPECT_EQ(execution.status, c.status);
    EXPECT_EQ(command->runs, 2);
  }
}

TEST(Run, ExecuteReportsAnEscapedException) {
  FakeTree tree;
  tree.Add("go")->body = [](const InputPtr &, const OutputPtr &) { throw std::logic_error("broken"); };
  Cli cli(tree.root);
  Execution execution = cli.Execute({"demo", "go"});
  EXPECT_EQ(execution.status, kExitException);
  EXPECT_EQ(execution.failure, "broken");
  ASSERT_NE(execution.output, nullptr);
}

// What the tool declares unusable (its host) ends with status 4 and the tool's
// own line; anything else stays an internal failure of the command.
TEST(Run, AnUnusableHostIsNotAFailureOfTheCommand) {
  FakeTree tree;
  tree.Add("go")->body = [](const InputPtr &, const OutputPtr &) {
    throw std::runtime_error("h.json: gone");
  };
  tree.Add("bug")->body = [](const InputPtr &, const OutputPtr &) { throw std::logic_error("broken"); };
  Cli cli(tree.root);
  cli.SetToolInfo("tooly", "1.2");
  cli.SetUnusableCheck([](const std::exception &e) { return dynamic_cast<const std::runtime_error *>(&e); });
  RunResult run = RunCli(cli, {"demo", "go"});
  EXPECT_EQ(run.status, kExitUnusable);
  EXPECT_EQ(run.err, "tooly: h.json: gone\n");
  EXPECT_EQ(cli.Execute({"demo", "go"}).status, kExitUnusable);
  run = RunCli(cli, {"demo", "bug"});
  EXPECT_EQ(run.status, kExitException);
  EXPECT_EQ(run.err, "Error: internal failure in command 'demo bug': broken\n");
}

// Standard output that cannot be written fails an otherwise good run.
TEST(Run, AFailedWriteOfTheOutputIsAnError) {
  struct FullDisk : std::streambuf {
    int overflow(int) override {
      errno = ENOSPC;
      return traits_type::eof();
    }
    std::streamsize xsputn(const char *, std::streamsize) override {
      errno = ENOSPC;
      return 0;
    }
  };
  FakeTree tree;
  tree.Add("go")->body = [](const InputPtr &, const OutputPtr &o) { o->SetRootObject(MetaString::New("x")); };
  Cli cli(tree.root);
  cli.SetToolInfo("tooly", "1.2");
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"demo", "go"}, {"--version"}, {"--catalog"}, {"demo", "--help"}}) {
    FullDisk full;
    std::ostream out(&full);
    std::ostringstream err;
    Terminal terminal;
    terminal.out = &out;
    terminal.err = &err;
    EXPECT_EQ(cli.Run(args, terminal), kExitCommandError) << args.front();
    EXPECT_EQ(err.str(), "tooly: cannot write to standard output: No space left on device\n");
  }
}

TEST(Run, InternalTreeOnlyWithInternal) {
  FakeTree tree;
  auto internal = AutoCli::Namespace::New();
  auto hidden = FakeCommand::New();
  hidden->body = [](const InputPtr &, const OutputPtr &o) { o->SetRootObject(MetaString::New("inside")); };
  internal->RegisterNamespaceNode(hidden, "secretcmd");
  Cli cli(tree.root, internal);
  cli.SetToolInfo("tooly", "1.2");
  EXPECT_EQ(RunCli(cli, {"--internal", "secretcmd"}).out, "inside\n");
  EXPECT_EQ(RunCli(cli, {"secretcmd"}).err,
            "Error: unknown command or namespace 'secretcmd'; expected one of: demo\n");
  EXPECT_EQ(cli.Execute({"secretcmd"}, true).status, kExitOk);
  EXPECT_EQ(RunCli(cli, {"--version"}).out, "tooly 1.2\n");
  Cli noInternal(tree.root);
  EXPECT_EQ(RunCli(noInternal, {"--internal", "secretcmd"}).err,
            "Error: there is no internal command tree\n");
}

struct LoginTree : FakeTree {
  std::shared_ptr<FakeCommand> login = Add("login");
  LoginTree() {
    login->makeInputSpec = [] {
      auto spec = InputSpec::New();
      spec->AddParameter(Param("user", "u", ParameterType::String, true, "User."));
      auto password = Param("password", "p", ParameterType::String, true, "Password.");
      password->SetSecret(true);
      spec->AddParameter(password);
      return spec;
    };
    login->body = [](const InputPtr &input, const OutputPtr &output) {
      output->SetRootObject(MetaBool::New(input->GetParameter("password").size() == 6));
    };
  }
};

TEST(Run, SecretsArePromptedOnATerminalAndNeverEchoed) {
  struct Case {
    std::string name;
    std::vector<std::string> args;
    bool terminal;
    std::string typed;
    int status;
    std::string err;
    int runs;
  };
  const std::vector<Case> cases = {
      {"given on the line", {"demo", "login", "-u", "me", "-p", "s3cr3t"}, false, "", 0, "", 1},
      {"prompted",
       {"demo", "login", "-u", "me"},
       true,
       "s3cr3t\n",
       0,
       "Value for --password (not shown): \n",
       1},
      {"not a terminal",
       {"demo", "login", "-u", "me"},
       false,
       "s3cr3t\n",
       2,
       "Error: missing required parameter '--password' (a string)\n",
       0},
      {"nothing typed",
       {"demo", "login", "-u", "me"},
       true,
       "",
       2,
       "Value for --password (not shown): \nError: missing required parameter '--password' (a string)\n",
       0},
      {"refused elsewhere",
       {"demo", "login", "-p", "s3cr3t", "-u", "me", "s3cr3t"},
       false,
       "",
       2,
       "Error: unexpected argument for command 'demo login'\n",
       0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    LoginTree tree;
    Cli cli(tree.root);
    RunResult run = RunCli(cli, c.args, 0, c.typed, c.terminal);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out.find("s3cr3t"), std::string::npos);
    EXPECT_EQ(tree.login->runs, c.runs);
    if (c.runs) {
      EXPECT_EQ(tree.login->lastInput->GetParameter("password"), "s3cr3t");
    }
  }
  LoginTree tree;
  Cli cli(tree.root);
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"demo", "login", "--help"}, std::vector<std::string>{"--catalog"}}) {
    RunResult run = RunCli(cli, args);
    EXPECT_NE(run.out.find("password"), std::string::npos);
    EXPECT_EQ(run.out.find("s3cr3t"), std::string::npos);
  }
}

TEST(Shell, SeamObservesAndScriptsCommands) {
  std::vector<std::pair<std::string, std::string>> seen;
  auto previous = AutoCli::SetShellRunner(
      [&seen](const std::string &command, std::string &output, const std::string &input) {
        seen.emplace_back(command, input);
        output = "scripted";
        return command == "fail" ? 5 : 0;
      });
  std::string output;
  EXPECT_EQ(AutoCli_ShellCmd("notify ds1", output, "ds1\nds2\n"), 0);
  EXPECT_EQ(output, "scripted");
  EXPECT_EQ(AutoCli_ShellCmd("fail", output, ""), 5);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], (std::pair<std::string, std::string>{"notify ds1", "ds1\nds2\n"}));
  EXPECT_EQ(seen[1].first, "fail");
  AutoCli::SetShellRunner(previous);
}

TEST(Shell, RealShellFeedsInputAndCapturesOutput) {
  AutoCli::SetShellRunner(nullptr);
  const std::string large(1 << 20, 'x');
  struct Case {
    std::string command;
    std::string input;
    int status;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"tr a-z A-Z", "hello\nworld\n", 0, "HELLO\nWORLD\n"},
      {"echo out; echo err >&2", "", 0, "out\n"},
      {"cat >/dev/null; exit 3", "ignored", 3, ""},
      {"wc -c | tr -d ' '", large, 0, "1048576\n"},
      // The child stops reading early: the rest of the input is dropped without a signal.
      {"head -c 3", large, 0, "xxx"},
      {"true", large, 0, ""},
      {"kill -9 $$", "", 128 + 9, ""},
  };
  for (const Case &c : cases) {
    std::string output;
    EXPECT_EQ(AutoCli_ShellCmd(c.command, output, c.input), c.status) << c.command;
    EXPECT_EQ(output, c.output) << c.command;
  }
}

} // namespace
} // namespace ClikitTest
