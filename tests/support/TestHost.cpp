#include "support/TestHost.h"

#include "frame/Registration.h"

#include <olkctl/sim/HostControl.h>
#include <olkctl/sim/HostScripts.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace TestSupport {

using CliKit::MetaObj::MetaBool;
using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaObjectPtr;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;

namespace {

std::vector<ShellCall> &ShellCalls() {
  static std::vector<ShellCall> calls;
  return calls;
}

void ServeShellCommands() {
  ShellCalls().clear();
  CliKit::AutoCli::SetShellRunner(
      [](const std::string &command, std::string &output, const std::string &input) {
        int status = OlkCtl::Sim::RunHostScript(command, output, input).value_or(127);
        ShellCalls().push_back(ShellCall{command, input, status});
        return status;
      });
}

} // namespace

void UseHostJson(const std::string &jsonText) {
  OlkCtl::Sim::UseHostFromJson(jsonText);
  OlkCtl::Sim::FillFeatureList();
  ServeShellCommands();
}

void UseProfile(const std::string &profileName) {
  OlkCtl::Sim::UseHostFromProfile(profileName);
  OlkCtl::Sim::FillFeatureList();
  ServeShellCommands();
}

std::vector<ShellCall> TakeShellCalls() {
  std::vector<ShellCall> calls;
  calls.swap(ShellCalls());
  return calls;
}

std::string PatchedProfile(const std::string &patch, const std::string &profileName) {
  auto doc = nlohmann::ordered_json::parse(OlkCtl::Sim::ProfileJson(profileName));
  doc.merge_patch(nlohmann::ordered_json::parse(patch));
  return doc.dump();
}

void InjectFault(const std::string &operation, const std::string &target, const std::string &message) {
  OlkCtl::Sim::AddFault(OlkCtl::Sim::Fault{operation, target, message, 0});
}

namespace {
CliKit::Cli &PluginCli() {
  static CliKit::Cli cli = [] {
    auto root = CliKit::AutoCli::Namespace::New();
    AutoCli_RegisterNamespaces(root);
    auto internal = CliKit::AutoCli::Namespace::New();
    ClusteredOldk_RegisterInternalNamespace(internal);
    return CliKit::Cli(root, internal);
  }();
  return cli;
}

template <class T> std::shared_ptr<T> Typed(const Row &row, const std::string &name, const char *kind) {
  auto value = row ? std::dynamic_pointer_cast<T>(row->GetField(name)) : nullptr;
  if (!value)
    ADD_FAILURE() << "no " << kind << " field \"" << name << "\"";
  return value;
}
} // namespace

namespace {
CommandRun Run(const std::vector<std::string> &args, bool internalTree) {
  CommandRun run;
  run.execution = PluginCli().Execute(args, internalTree);
  run.status = run.execution.status;
  if (run.execution.output) {
    run.root = run.execution.output->GetRootObject();
    run.errors = run.execution.output->GetErrorMessages();
  }
  return run;
}

} // namespace

CommandRun RunCommand(const std::vector<std::string> &args) {
  return Run(args, false);
}

CommandRun RunCommand(const std::string &line) {
  return RunCommand(SplitWords(line));
}

CommandRun RunInternalCommand(const std::string &line) {
  return Run(SplitWords(line), true);
}

std::vector<std::string> SplitWords(const std::string &line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord)
        words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord)
    words.push_back(word);
  return words;
}

bool Succeeded(const CommandRun &run) {
  auto root = std::dynamic_pointer_cast<MetaBool>(run.root);
  return root && root->HasValue() && root->GetValue();
}

std::string RootText(const MetaObjectPtr &root) {
  auto text = std::dynamic_pointer_cast<CliKit::MetaObj::MetaString>(root);
  return text ? text->GetValue() : "(none)";
}

std::shared_ptr<MetaList> RootList(const MetaObjectPtr &root) {
  return std::dynamic_pointer_cast<MetaList>(root);
}

std::vector<Row> Rows(const MetaObjectPtr &root) {
  if (auto row = std::dynamic_pointer_cast<MetaStruct>(root))
    return {row};
  std::vector<Row> rows;
  auto list = RootList(root);
  if (!list)
    return rows;
  const Row &shape = list->GetRowTemplate();
  for (const auto &element : list->GetElements()) {
    auto row = std::dynamic_pointer_cast<MetaStruct>(element);
    if (!row)
      continue;
    // A field read as text must still have the type the template declares.
    for (const auto &[name, value] : row->GetFields()) {
      auto declared = shape ? shape->GetField(name) : nullptr;
      if (declared && value && declared->GetType() != value->GetType())
        ADD_FAILURE() << "field \"" << name << "\" is not of the template's type";
    }
    rows.push_back(row);
  }
  return rows;
}

void ExpectHostFailures(const std::vector<HostFailureCase> &cases) {
  for (const HostFailureCase &c : cases) {
    SCOPED_TRACE(c.command + " / " + c.operation);
    UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = RunCommand(c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
}

Row OnlyRow(const MetaObjectPtr &root) {
  auto rows = Rows(root);
  if (rows.size() != 1) {
    ADD_FAILURE() << "expected one row, got " << rows.size();
    return MetaStruct::New("none");
  }
  return rows[0];
}

namespace {
std::string AsText(const MetaObjectPtr &value) {
  if (auto text = std::dynamic_pointer_cast<MetaString>(value))
    return text->GetValue();
  if (auto number = std::dynamic_pointer_cast<MetaInt>(value))
    return number->IsUnsigned() ? std::to_string(number->GetUnsignedValue())
                                : std::to_string(number->GetValue());
  if (auto flag = std::dynamic_pointer_cast<MetaBool>(value))
    return !flag->HasValue() ? "" : flag->GetValue() ? "true" : "false";
  if (auto list = std::dynamic_pointer_cast<MetaList>(value)) {
    std::string joined;
    for (const auto &element : list->GetElements())
      joined += (joined.empty() ? "" : ", ") + AsText(element);
    return joined;
  }
  return "<" + (value ? std::to_string(static_cast<int>(value->GetType())) : std::string("null")) + ">";
}
} // namespace

std::string Field(const Row &row, const std::string &name) {
  auto value = row ? row->GetField(name) : nullptr;
  if (!value) {
    ADD_FAILURE() << "no field \"" << name << "\"";
    return "<missing>";
  }
  return AsText(value);
}

std::string Text(const Row &row, const std::string &name) {
  auto value = Typed<MetaString>(row, name, "string");
  return value ? value->GetValue() : "<missing>";
}

int64_t Number(const Row &row, const std::string &name) {
  auto value = Typed<MetaInt>(row, name, "integer");
  return value ? value->GetValue() : -1;
}

bool Flag(const Row &row, const std::string &name) {
  auto value = Typed<MetaBool>(row, name, "boolean");
  return value && value->GetValue();
}

std::vector<std::string> Texts(const Row &row, const std::string &name) {
  std::vector<std::string> texts;
  if (auto list = Typed<MetaList>(row, name, "list"))
    for (const auto &element : list->GetElements()) {
      auto text = std::dynamic_pointer_cast<MetaString>(element);
      texts.push_back(text ? text->GetValue() : "<not a string>");
    }
  return texts;
}

std::vector<std::string> Column(const MetaObjectPtr &root, const std::string &name) {
  std::vector<std::string> values;
  for (const Row &row : Rows(root))
    values.push_back(Field(row, name));
  return values;
}

std::vector<std::string> Lines(const MetaObjectPtr &root, const std::vector<std::string> &fields) {
  std::vector<std::string> lines;
  for (const Row &row : Rows(root)) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i)
      line += (i ? " | " : "") + Field(row, fields[i]);
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::pair<std::string, std::string>> Fields(const Row &row) {
  std::vector<std::pair<std::string, std::string>> fields;
  for (const auto &[name, value] : row->GetFields())
    fields.emplace_back(name, AsText(value));
  return fields;
}

std::vector<std::string> FieldNames(const Row &row) {
  std::vector<std::string> names;
  for (const auto &[name, value] : row->GetFields())
    names.push_back(name);
  return names;
}

std::string BinPath(const std::string &tool) {
  return std::string(ORLOCLI_BIN_DIR) + "/" + tool;
}
std::string SourcePath(const std::string &relative) {
  return std::string(ORLOCLI_SOURCE_DIR) + "/" + relative;
}

} // namespace TestSupport
