// Texts generated from the tree: help, --catalog and the bash completion script.
#include "clikit/FakeCommands.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace ClikitTest {
namespace {

struct HelpTree : FakeTree {
  std::shared_ptr<AutoCli::Namespace> inner = AutoCli::Namespace::New();
  std::shared_ptr<FakeCommand> probe;
  std::shared_ptr<FakeCommand> quiet;
  std::shared_ptr<AutoCli::Namespace> internal = AutoCli::Namespace::New();

  HelpTree() {
    demo->RegisterNamespaceNode(inner, "inner");
    probe = Add("probe", "Probe the things.");
    quiet = FakeCommand::New(); // no description
    demo->RegisterNamespaceNode(quiet, "quiet");
    probe->SetDefaultOutputFormatter("table");
    probe->SetDefaultOutputParameter("fields:Thing", "Name");
    probe->AddExample("-m fast", "Probe quickly.");
    probe->AddExample("--count 3 -k secret", "Probe three times.");
    probe->makeInputSpec = [] {
      auto spec = InputSpec::New();
      spec->AddExample("-t a -t b", "Probe with two tags.");
      spec->AddParameter(Param("mode", "m", ParameterType::String, true, "Speed %ENUM% (default fast).",
                               Enum({{"fast", "Quick look."}, {"slow", ""}})));
      spec->AddParameter(Param("state", "", ParameterType::String, false,
                               "Set the state. Valid values are: %FULLENUM%",
                               Enum({{"on", "Turn it on."}, {"off", "Turn it off."}})));
      spec->AddParameter(
          Param("count", "c", ParameterType::Integer, false, "How many  times.", Range(1, 10)));
      spec->AddParameter(Param("tag", "t", ParameterType::StringList, false, "A tag."));
      spec->AddParameter(Param("all", "", ParameterType::Flag, false, "Everything."));
      auto key = Param("key", "k", ParameterType::String, false, "The access key.");
      key->SetSecret(true);
      spec->AddParameter(key);
      return spec;
    };
    probe->makeShape = [] {
      auto row = MetaStruct::New("Thing");
      row->SetField("Name", MetaString::New());
      row->SetField("Size", MetaInt::New());
      row->SetField("Ok", MetaBool::New());
      row->SetField("Paths", MetaList::New(MetaType::String));
      return MetaList::New(MetaType::Struct, row);
    };
    auto clustered = AutoCli::Namespace::New();
    clustered->SetDescription("Internal things.");
    auto get = FakeCommand::New();
    get->SetDescription("Get the hidden value.");
    get->makeShape = [] { return MetaString::New(); };
    clustered->RegisterNamespaceNode(get, "get");
    internal->RegisterNamespaceNode(clustered, "hidden");
  }
};

const char *const kDemoHelp = "Usage: tooly [global options] demo <namespace|command> [options]\n"
                              "\n"
                              "Demonstration commands.\n"
                              "\n"
                              "Namespaces:\n"
                              "  inner\n"
                              "\n"
                              "Commands:\n"
                              "  probe  Probe the things.\n"
                              "  quiet\n";

const char *const kProbeHelp = "Usage: tooly [global options] demo probe [options]\n"
                               "\n"
                               "Probe the things.\n"
                               "\n"
                               "Parameters:\n"
                               "  --mode, -m <string>    (required) Speed [fast, slow] (default fast).\n"
                               "  --state <string>       Set the state. Valid values are:\n"
                               "                           on: Turn it on.\n"
                               "                           off: Turn it off.\n"
                               "  --count, -c <integer>  (1 to 10) How many  times.\n"
                               "  --tag, -t <string>...  A tag.\n"
                               "  --all                  Everything.\n"
                               "  --key, -k <string>     (not echoed) The access key.\n"
                               "\n"
                               "Fields of Thing (for --fields):\n"
                               "  Name, Size, Ok, Paths\n"
                               "\n"
                               "Examples:\n"
                               "\n"
                               "  Probe quickly.\n"
                               "    tooly demo probe -m fast\n"
                               "\n"
                               "  Probe three times.\n"
                               "    tooly demo probe --count 3 -k secret\n"
                               "\n"
                               "  Probe with two tags.\n"
                               "    tooly demo probe -t a -t b\n";

TEST(Help, ShowsTheNodeReachedBeforeHelp) {
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"demo", "--help"}, kDemoHelp},
      {{"--help", "demo", "probe"}, ""}, // root help, checked below
      {{"demo", "nosuch", "--help"}, kDemoHelp},
      {{"--formatter", "json", "demo", "--help", "probe"}, kDemoHelp},
      {{"demo", "probe", "--help"}, kProbeHelp},
      {{"demo", "probe", "--bogus", "-m", "--help"}, kProbeHelp},
      {{"demo", "quiet", "--help"}, "Usage: tooly [global options] demo quiet [options]\n"},
      {{"--internal", "--help"},
       "Usage: tooly --internal <namespace|command> [options]\n\nNamespaces:\n"
       "  hidden  Internal things.\n"},
      {{"--internal", "hidden", "get", "--help"},
       "Usage: tooly --internal hidden get [options]\n\nGet the hidden value.\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    HelpTree tree;
    Cli cli(tree.root, tree.internal);
    cli.SetToolInfo("tooly", "1.2");
    RunResult run = RunCli(cli, c.args);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    if (!c.expected.empty()) {
      EXPECT_EQ(run.out, c.expected);
    } else {
      EXPECT_EQ(run.out.rfind("Usage: tooly [global options] <namespace|command> [options]\n\nNamespaces:\n"
                              "  demo  Demonstration commands.\n\nGlobal options:\n",
                              0),
                0u)
          << run.out;
    }
    if (c.args[0] != "--internal") {
      EXPECT_EQ(run.out.find("hidden"), std::string::npos);
    }
    EXPECT_EQ(tree.probe->runs, 0);
  }
}

TEST(Catalog, DescribesTheTreeVerbatimInRegistrationOrder) {
  HelpTree tree;
  Cli cli(tree.root, tree.internal);
  RunResult run = RunCli(cli, {"--catalog"});
  ASSERT_EQ(run.status, kExitOk);
  auto catalog = nlohmann::ordered_json::parse(run.out);
  EXPECT_EQ(catalog["schemaVersion"], 1);
  EXPECT_EQ(
      catalog["namespaces"].dump(),
      R"([{"path":["demo"],"description":"Demonstration commands."},{"path":["demo","inner"],"description":null}])");
  ASSERT_EQ(catalog["commands"].size(), 2u);
  EXPECT_EQ(
      catalog["commands"][1].dump(),
      R"({"path":["demo","quiet"],"description":null,"formatter":null,"outputParameters":[],"examples":[],)"
      R"("parameters":[],"output":{"kind":"bool","structure":null,"fields":[]}})");
  const auto &probe = catalog["commands"][0];
  EXPECT_EQ(probe["path"].dump(), R"(["demo","probe"])");
  EXPECT_EQ(probe["description"], "Probe the things.");
  EXPECT_EQ(probe["formatter"], "table");
  EXPECT_EQ(probe["outputParameters"].dump(), R"([["fields:Thing","Name"]])");
  EXPECT_EQ(probe["examples"].dump(),
            R"([["-m fast","Probe quickly."],["--count 3 -k secret","Probe three times."],)"
            R"(["-t a -t b","Probe with two tags."]])");
  ASSERT_EQ(probe["parameters"].size(), 6u);
  EXPECT_EQ(probe["parameters"][0].dump(),
            R"({"long":"mode","short":"m","type":"string","required":true,"secret":false,)"
            R"("constraint":{"kind":"enum","values":[{"value":"fast","description":"Quick look."},)"
            R"({"value":"slow","description":null}]},"description":"Speed %ENUM% (default fast)."})");
  EXPECT_EQ(probe["parameters"][1]["description"], "Set the state. Valid values are: %FULLENUM%");
  EXPECT_EQ(probe["parameters"][2].dump(),
            R"({"long":"count","short":"c","type":"integer","required":false,"secret":false,)"
            R"("constraint":{"kind":"range","low":1,"high":10},"description":"How many  times."})");
  EXPECT_EQ(probe["parameters"][3]["type"], "stringlist");
  EXPECT_EQ(probe["parameters"][4]["short"], nullptr);
  EXPECT_EQ(probe["parameters"][4]["type"], "flag");
  EXPECT_EQ(probe["parameters"][5]["secret"], true);
  EXPECT_EQ(
      probe["output"].dump(),
      R"({"kind":"list","elements":"struct","structure":"Thing","fields":[{"name":"Name","type":"string"},)"
      R"({"name":"Size","type":"int"},{"name":"Ok","type":"bool"},{"name":"Paths","type":"list"}]})");

  RunResult internal = RunCli(cli, {"--internal", "--catalog"});
  auto hidden = nlohmann::ordered_json::parse(internal.out);
  EXPECT_EQ(hidden["namespaces"].dump(), R"([{"path":["hidden"],"description":"Internal things."}])");
  EXPECT_EQ(hidden["commands"][0]["output"].dump(), R"({"kind":"string","structure":null,"fields":[]})");
  EXPECT_EQ(run.out.find("hidden"), std::string::npos);
}

std::string RunBash(const std::string &script, const std::string &body) {
  TestSupport::TempDir dir;
  TestSupport::WriteFile(dir.File("complete.sh"), script + body);
  return TestSupport::RunTool({"bash", "--norc", "--noprofile", dir.File("complete.sh")}).out;
}

TEST(Completion, CompletesTheTreeInARealBash) {
  HelpTree tree;
  Cli cli(tree.root, tree.internal);
  cli.SetToolInfo("tooly", "1.2");
  RunResult run = RunCli(cli, {"--completion", "bash"});
  ASSERT_EQ(run.status, kExitOk);
  struct Case {
    std::vector<std::string> words; // the last one is being completed
    std::string replies;
  };
  const std::vector<Case> cases = {
      {{""}, "demo"},
      {{"demo", ""}, "inner probe quiet"},
      {{"--formatter", "json", "demo", "q"}, "quiet"},
      {{"--formatter", "j"}, "json"},
      {{"--ver"}, "--version"},
      {{"demo", "probe", "--c"}, "--count"},
      {{"demo", "probe", "--mode", ""}, "fast slow"},
      {{"demo", "probe", "--state", "o"}, "on off"},
      {{"demo", "probe", "--tag", "x", "--st"}, "--state"},
  };
  for (const Case &c : cases) {
    std::string words = "tooly";
    for (const std::string &word : c.words)
      words += " '" + word + "'";
    std::string body = "\nCOMP_WORDS=(" + words + ")\nCOMP_CWORD=" + std::to_string(c.words.size()) +
                       "\n_tooly_complete\necho \"${COMPREPLY[*]}\"\n";
    EXPECT_EQ(RunBash(run.out, body), c.replies + "\n") << words;
  }
  EXPECT_EQ(RunCli(cli, {"--completion", "zsh"}).err,
            "Error: unknown shell 'zsh' for --completion; allowed: bash\n");
}

} // namespace
} // namespace ClikitTest
