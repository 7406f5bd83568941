// Small commands for testing the framework on its own, without the plug-in.
#pragma once

#include <clikit/Cli.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ClikitTest {

using namespace CliKit;
using CallSpec::InputSpec;
using CallSpec::ParameterConstraint;
using CallSpec::ParameterConstraintType;
using CallSpec::ParameterSpec;
using CallSpec::ParameterType;
using MetaObj::MetaBool;
using MetaObj::MetaInt;
using MetaObj::MetaList;
using MetaObj::MetaObjectPtr;
using MetaObj::MetaString;
using MetaObj::MetaStruct;
using MetaObj::MetaType;
using InputPtr = std::shared_ptr<CallSpec::Input>;
using OutputPtr = std::shared_ptr<CallSpec::Output>;

// A command whose parameters, output shape and behaviour are given by the test.
class FakeCommand : public AutoCli::Command {
public:
  static std::shared_ptr<FakeCommand> New() { return std::make_shared<FakeCommand>(); }

  std::shared_ptr<InputSpec> GetInputSpecInternal() override {
    return makeInputSpec ? makeInputSpec() : InputSpec::New();
  }
  std::shared_ptr<CallSpec::OutputSpec> GetOutputSpecInternal() override {
    auto spec = CallSpec::OutputSpec::New();
    spec->SetRootObject(makeShape ? makeShape() : MetaBool::New());
    return spec;
  }
  void ExecuteInternal(const InputPtr &input, const OutputPtr &output) override {
    ++runs;
    lastInput = input;
    if (body)
      body(input, output);
  }

  std::function<std::shared_ptr<InputSpec>()> makeInputSpec;
  std::function<MetaObjectPtr()> makeShape;
  std::function<void(const InputPtr &, const OutputPtr &)> body;
  int runs = 0;
  InputPtr lastInput;
};

inline std::shared_ptr<ParameterSpec> Param(const std::string &longName, const std::string &shortName,
                                            ParameterType type, bool required, const std::string &description,
                                            std::shared_ptr<ParameterConstraint> constraint = nullptr) {
  auto spec = ParameterSpec::New(longName, type);
  spec->SetShortName(shortName);
  spec->SetRequired(required);
  spec->SetDescription(description);
  if (constraint)
    spec->SetConstraint(constraint);
  return spec;
}

inline std::shared_ptr<ParameterConstraint> Range(int64_t low, int64_t high) {
  auto constraint = ParameterConstraint::New(ParameterConstraintType::IntRange);
  constraint->SetIntRange(low, high);
  return constraint;
}

inline std::shared_ptr<ParameterConstraint>
Enum(const std::vector<std::pair<std::string, std::string>> &values) {
  auto constraint = ParameterConstraint::New(ParameterConstraintType::StringEnum);
  for (const auto &[value, description] : values) {
    if (description.empty())
      constraint->AddStringEnum(value);
    else
      constraint->AddStringEnum(value, description);
  }
  return constraint;
}

// A tree root -> "demo" -> commands, built by the test.
struct FakeTree {
  std::shared_ptr<AutoCli::Namespace> root = AutoCli::Namespace::New();
  std::shared_ptr<AutoCli::Namespace> demo = AutoCli::Namespace::New();

  FakeTree() {
    demo->SetDescription("Demonstration commands.");
    root->RegisterNamespaceNode(demo, "demo");
  }
  std::shared_ptr<FakeCommand> Add(const std::string &name, const std::string &description = "A command.") {
    auto command = FakeCommand::New();
    command->SetDescription(description);
    demo->RegisterNamespaceNode(command, name);
    return command;
  }
};

struct RunResult {
  int status = 0;
  std::string out;
  std::string err;
};

// Cli::Run with string streams; `input` is what a terminal user would type.
inline RunResult RunCli(Cli &cli, const std::vector<std::string> &args, int width = 0,
                        const std::string &input = "", bool inIsTerminal = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Terminal terminal;
  terminal.in = &in;
  terminal.out = &out;
  terminal.err = &err;
  terminal.inIsTerminal = inIsTerminal;
  terminal.width = width;
  RunResult result;
  result.status = cli.Run(args, terminal);
  result.out = out.str();
  result.err = err.str();
  return result;
}

} // namespace ClikitTest
