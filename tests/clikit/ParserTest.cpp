// Command-line parsing: every accepted form and every refusal, with the exact
// one-line message, exit status 2 and the command never run.
#include "clikit/FakeCommands.h"

#include <gtest/gtest.h>

namespace ClikitTest {
namespace {

struct ParserTree : FakeTree {
  std::shared_ptr<FakeCommand> probe = Add("probe");
  std::shared_ptr<FakeCommand> login = Add("login");

  ParserTree() {
    probe->makeInputSpec = [] {
      auto spec = InputSpec::New();
      spec->AddParameter(Param("name", "n", ParameterType::String, false, "A name."));
      spec->AddParameter(Param("count", "c", ParameterType::Integer, false, "A count.", Range(0, 4096)));
      spec->AddParameter(Param("offset", "", ParameterType::Integer, false, "An offset."));
      spec->AddParameter(Param("enable", "e", ParameterType::Boolean, false, "Enable."));
      spec->AddParameter(Param("all", "a", ParameterType::Flag, false, "All."));
      spec->AddParameter(Param("tag", "t", ParameterType::StringList, false, "Tags."));
      spec->AddParameter(Param("mode", "m", ParameterType::String, false, "Mode %ENUM%.",
                               Enum({{"fast", "Quick."}, {"slow", ""}})));
      spec->AddParameter(Param("device", "d", ParameterType::String, true, "The device."));
      return spec;
    };
    login->makeInputSpec = [] {
      auto spec = InputSpec::New();
      spec->AddParameter(Param("user", "u", ParameterType::String, true, "User."));
      auto password = Param("password", "p", ParameterType::String, true, "Password.");
      password->SetSecret(true);
      spec->AddParameter(password);
      auto pin = Param("pin", "", ParameterType::Integer, false, "PIN.", Range(0, 9999));
      pin->SetSecret(true);
      spec->AddParameter(pin);
      return spec;
    };
  }
};

// Every parameter the input holds, in declaration order.
std::string Dump(const InputSpec &spec, const CallSpec::Input &input) {
  std::string text;
  for (const auto &param : spec.GetParameters()) {
    const std::string &name = param->GetName();
    if (!input.HasParameter(name))
      continue;
    if (!text.empty())
      text += ' ';
    text += name;
    switch (param->GetType()) {
    case ParameterType::String:
      text += "=" + input.GetParameter(name);
      break;
    case ParameterType::Integer:
      text += "=" + std::to_string(input.GetParameterInt(name));
      break;
    case ParameterType::Boolean:
      text += input.GetParameterBool(name) ? "=true" : "=false";
      break;
    case ParameterType::Flag:
      text += input.IsFlagSet(name) ? "" : "(unset)";
      break;
    case ParameterType::StringList: {
      std::vector<std::string> values;
      input.GetParameterList(name, values);
      text += "=[";
      for (size_t i = 0; i < values.size(); ++i)
        text += (i ? "|" : "") + values[i];
      text += "]";
      break;
    }
    }
  }
  return text;
}

TEST(Parser, AcceptedForms) {
  struct Case {
    std::vector<std::string> args;
    std::string parsed;
  };
  const std::vector<Case> cases = {
      {{"-d", "d1"}, "device=d1"},
      {{"--device", "d1"}, "device=d1"},
      {{"--device=d1"}, "device=d1"},
      {{"--device=a=b"}, "device=a=b"},
      {{"-d", ""}, "device="},
      {{"--name=--odd", "-d", "x"}, "name=--odd device=x"},
      {{"--all", "-d", "d1", "-n", "nm"}, "name=nm all device=d1"},
      {{"-d", "d1", "-a"}, "all device=d1"},
      {{"-d", "d1", "--count", "4096"}, "count=4096 device=d1"},
      {{"-d", "d1", "-c", "0"}, "count=0 device=d1"},
      {{"-d", "d1", "--offset", "-5"}, "offset=-5 device=d1"},
      {{"-d", "d1", "--offset", "-9223372036854775808"}, "offset=-9223372036854775808 device=d1"},
      {{"-d", "d1", "--offset=9223372036854775807"}, "offset=9223372036854775807 device=d1"},
      {{"-d", "d1", "--enable", "YES"}, "enable=true device=d1"},
      {{"-d", "d1", "--enable=1"}, "enable=true device=d1"},
      {{"-d", "d1", "-e", "no"}, "enable=false device=d1"},
      {{"-d", "d1", "-e", "0"}, "enable=false device=d1"},
      {{"-t", "x", "-d", "d1", "--tag", "y", "--tag=z"}, "tag=[x|y|z] device=d1"},
      {{"-d", "d1", "--mode", "slow"}, "mode=slow device=d1"},
  };
  for (const Case &c : cases) {
    ParserTree tree;
    Cli cli(tree.root);
    std::vector<std::string> args = {"demo", "probe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Execution execution = cli.Execute(args);
    SCOPED_TRACE(testing::PrintToString(c.args));
    ASSERT_EQ(execution.status, kExitOk) << execution.usageError;
    ASSERT_EQ(tree.probe->runs, 1);
    EXPECT_EQ(Dump(*tree.probe->GetInputSpec(), *tree.probe->lastInput), c.parsed);
  }
}

TEST(Parser, RefusalsAreOneLineUsageErrorsBeforeTheCommandRuns) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"demo", "probe"}, "Error: missing required parameter '--device' (a string)"},
      {{"demo", "probe", "-d", "d1", "--bogus"}, "Error: unknown option '--bogus' for command 'demo probe'"},
      {{"demo", "probe", "-d", "d1", "--bogus=hidden"},
       "Error: unknown option '--bogus' for command 'demo probe'"},
      {{"demo", "probe", "-d", "d1", "-x"}, "Error: unknown option '-x' for command 'demo probe'"},
      {{"demo", "probe", "-d", "d1", "extra"}, "Error: unexpected argument 'extra' for command 'demo probe'"},
      {{"demo", "probe", "-d"}, "Error: parameter '--device' needs a value (a string)"},
      {{"demo", "probe", "--device", "--all"}, "Error: parameter '--device' needs a value (a string)"},
      {{"demo", "probe", "-d", "d1", "--count"},
       "Error: parameter '--count' needs a value (an integer from 0 to 4096)"},
      {{"demo", "probe", "-d", "d1", "--count", "12x"},
       "Error: parameter '--count' expects a signed 64-bit integer; got '12x'"},
      {{"demo", "probe", "-d", "d1", "--count="},
       "Error: parameter '--count' expects a signed 64-bit integer; got ''"},
      {{"demo", "probe", "-d", "d1", "--offset", "+3"},
       "Error: parameter '--offset' expects a signed 64-bit integer; got '+3'"},
      {{"demo", "probe", "-d", "d1", "--offset", "9223372036854775808"},
       "Error: parameter '--offset' is outside the signed 64-bit integer range; got '9223372036854775808'"},
      {{"demo", "probe", "-d", "d1", "--offset", "-9223372036854775809"},
       "Error: parameter '--offset' is outside the signed 64-bit integer range; got '-9223372036854775809'"},
      {{"demo", "probe", "-d", "d1", "--count", "4097"},
       "Error: parameter '--count' must be from 0 to 4096; got '4097'"},
      {{"demo", "probe", "-d", "d1", "-c", "-1"},
       "Error: parameter '--count' must be from 0 to 4096; got '-1'"},
      {{"demo", "probe", "-d", "d1", "--enable", "maybe"},
       "Error: parameter '--enable' expects a boolean (true, false, yes, no, 1, 0); got 'maybe'"},
      {{"demo", "probe", "-d", "d1", "--enable"},
       "Error: parameter '--enable' needs a value (true, false, yes, no, 1 or 0)"},
      {{"demo", "probe", "-d", "d1", "--all=true"}, "Error: flag '--all' takes no value"},
      {{"demo", "probe", "-d", "d1", "--mode", "medium"},
       "Error: parameter '--mode' must be one of: fast, slow; got 'medium'"},
      {{"demo", "probe", "-d", "d1", "--mode", "FAST"},
       "Error: parameter '--mode' must be one of: fast, slow; got 'FAST'"},
      {{"demo", "probe", "-d", "d1", "--tag="}, "Error: parameter '--tag' needs a non-empty value"},
      {{"demo", "probe", "-d", "d1", "--tag"},
       "Error: parameter '--tag' needs a value (a string, repeat the option for more)"},
      {{"demo", "probe", "-d", "d1", "-d", "d2"}, "Error: parameter '--device' given more than once"},
      {{"demo", "probe", "-d", "d1", "--all", "-a"}, "Error: parameter '--all' given more than once"},
      {{"demo", "nosuch"},
       "Error: unknown command or namespace 'nosuch' in 'demo'; expected one of: probe, login"},
      {{"nosuch", "probe"}, "Error: unknown command or namespace 'nosuch'; expected one of: demo"},
      {{"demo"}, "Error: 'demo' is a namespace; expected one of: probe, login"},
      {{}, "Error: no command given; expected one of: demo"},
      {{"demo", "--x", "probe"}, "Error: unknown option '--x'"},
      // Secrets: the value is never repeated back.
      {{"demo", "login", "-u", "me"}, "Error: missing required parameter '--password' (a string)"},
      {{"demo", "login", "-u", "me", "-p", "hunter2", "--pin", "12ab"},
       "Error: parameter '--pin' expects a signed 64-bit integer"},
      {{"demo", "login", "-u", "me", "-p", "hunter2", "--pin", "123456"},
       "Error: parameter '--pin' must be from 0 to 9999"},
      {{"demo", "login", "-u", "me", "hunter2"}, "Error: unexpected argument for command 'demo login'"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ParserTree tree;
    Cli cli(tree.root);
    Execution execution = cli.Execute(c.args);
    EXPECT_EQ(execution.status, kExitUsage);
    EXPECT_EQ(execution.usageError, c.message);
    EXPECT_EQ(execution.output, nullptr);

    RunResult run = RunCli(cli, c.args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err, c.message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(tree.probe->runs + tree.login->runs, 0);
  }
}

TEST(Parser, GlobalOptionsAreOnlyForRunAndYieldToCommandParameters) {
  FakeTree tree;
  auto show = tree.Add("show");
  show->makeInputSpec = [] {
    auto spec = InputSpec::New();
    spec->AddParameter(
        Param("fields", "f", ParameterType::String, false, "A parameter named like a global."));
    return spec;
  };
  show->makeShape = [] { return MetaString::New(); };
  show->body = [](const InputPtr &input, const OutputPtr &output) {
    output->SetRootObject(MetaString::New("fields=" + input->GetParameter("fields")));
  };
  Cli cli(tree.root);

  EXPECT_EQ(cli.Execute({"--formatter", "json", "demo", "show"}).usageError,
            "Error: unknown option '--formatter'");
  RunResult run = RunCli(cli, {"demo", "show", "--fields", "mine", "--formatter", "json"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "\"fields=mine\"\n");
  // Given twice, even once before and once after the path: refused, never the last one silently.
  run = RunCli(cli, {"--formatter=json", "demo", "--formatter", "simple", "show"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, "Error: option '--formatter' given more than once\n");
  run = RunCli(cli, {"demo", "show", "--fields", "mine", "--formatter", "json", "--formatter=xml"});
  EXPECT_EQ(run.err, "Error: option '--formatter' given more than once\n");
  run = RunCli(cli, {"demo", "show", "--formatter"});
  EXPECT_EQ(run.err, "Error: option '--formatter' needs a value\n");
  run = RunCli(cli, {"--formatter", "yaml", "demo", "show"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, "Error: unknown formatter 'yaml'; allowed: table, simple, json, xml, csv, keyvalue\n");
  EXPECT_EQ(show->runs, 1);
}

} // namespace
} // namespace ClikitTest
