// Faults in a command that the framework reports as internal failures: reading
// a parameter it did not declare, or with another type's getter, and (in debug
// builds) a row that adds a field its list's template lacks.
#include "clikit/FakeCommands.h"

#include <gtest/gtest.h>

namespace ClikitTest {
namespace {

TEST(CommandFaults, ReadsOutsideTheDeclarationAreInternalFailures) {
  struct Case {
    std::function<void(const CallSpec::Input &)> read;
    int status;
    std::string err;
  };
  const std::string prefix = "Error: internal failure in command 'demo show': ";
  const Case cases[] = {
      {[](const CallSpec::Input &in) { in.GetParameter("nmae"); }, kExitException,
       prefix + "GetParameter(\"nmae\"): the command declares no such parameter\n"},
      {[](const CallSpec::Input &in) { in.HasParameter("Name"); }, kExitException,
       prefix + "HasParameter(\"Name\"): the command declares no such parameter\n"},
      {[](const CallSpec::Input &in) { in.GetParameterInt("name"); }, kExitException,
       prefix + "GetParameterInt(\"name\"): the parameter is of type string, read with GetParameter\n"},
      {[](const CallSpec::Input &in) { in.GetParameter("count"); }, kExitException,
       prefix + "GetParameter(\"count\"): the parameter is of type integer, read with GetParameterInt\n"},
      {[](const CallSpec::Input &in) { in.IsFlagSet("on"); }, kExitException,
       prefix + "IsFlagSet(\"on\"): the parameter is of type boolean, read with GetParameterBool\n"},
      {[](const CallSpec::Input &in) { in.GetParameterBool("all"); }, kExitException,
       prefix + "GetParameterBool(\"all\"): the parameter is of type flag, read with IsFlagSet\n"},
      {[](const CallSpec::Input &in) { in.GetParameter("tag"); }, kExitException,
       prefix + "GetParameter(\"tag\"): the parameter is of type stringlist, read with GetParameterList\n"},
      // Every declared parameter read the right way, given or not.
      {[](const CallSpec::Input &in) {
         std::vector<std::string> tags;
         in.GetParameterList("tag", tags);
         (void)(in.HasParameter("tag") && in.GetParameter("name").empty() &&
                in.GetParameterInt("count") == 0 && in.GetParameterBool("on") && in.IsFlagSet("all"));
       },
       kExitOk, ""},
  };
  for (const Case &c : cases) {
    FakeTree tree;
    auto show = tree.Add("show");
    show->makeInputSpec = [] {
      auto spec = InputSpec::New();
      spec->AddParameter(Param("name", "n", ParameterType::String, false, "A name."));
      spec->AddParameter(Param("count", "c", ParameterType::Integer, false, "A count."));
      spec->AddParameter(Param("on", "o", ParameterType::Boolean, false, "On."));
      spec->AddParameter(Param("all", "a", ParameterType::Flag, false, "All."));
      spec->AddParameter(Param("tag", "t", ParameterType::StringList, false, "A tag."));
      return spec;
    };
    show->body = [&c](const InputPtr &input, const OutputPtr &output) {
      c.read(*input);
      output->SetRootObject(MetaBool::New(true));
    };
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "show", "-t", "x"});
    EXPECT_EQ(run.status, c.status) << c.err;
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(CommandFaults, RowsMayOnlySetTheirTemplateFields) {
#ifdef NDEBUG
  GTEST_SKIP() << "checked in debug builds only";
#endif
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"Name", "Size"}, ""},
      {{"Size"}, ""}, // a row may lack fields
      {{"Name", "Sise"},
       "Error: internal failure in command 'demo show': SetField(\"Sise\"): Disk has no such field\n"},
  };
  for (const auto &[names, err] : cases) {
    FakeTree tree;
    auto show = tree.Add("show");
    show->body = [&names = names](const InputPtr &, const OutputPtr &output) {
      auto layout = MetaStruct::New("Disk");
      layout->SetField("Name", MetaString::New());
      layout->SetField("Size", MetaInt::New());
      auto list = MetaList::New(MetaType::Struct, layout);
      auto row = MetaStruct::New("Disk");
      for (const std::string &name : names)
        row->SetField(name, 1);
      list->Add(row);
      output->SetRootObject(list);
    };
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "show"});
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.status, err.empty() ? kExitOk : kExitException);
  }
}

} // namespace
} // namespace ClikitTest
