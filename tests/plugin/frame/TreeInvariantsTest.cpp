// Checks that hold for every command of the registered tree, whatever it does:
// default output keys name its output structure and fields, rows have exactly
// the template's fields, examples parse, short names are unique, help renders.
// The walk covers whatever is registered, so each new command is checked too.
#include "../../../fuzz/FuzzText.h"
#include "frame/Registration.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using CliKit::AutoCli::Command;
using CliKit::AutoCli::Namespace;
using CliKit::AutoCli::NamespaceNode;
using CliKit::CallSpec::ParameterType;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaObject;
using CliKit::MetaObj::MetaObjectPtr;
using CliKit::MetaObj::MetaStruct;
using CliKit::MetaObj::MetaType;

struct Entry {
  std::vector<std::string> path; // from the root the command hangs under
  bool internal = false;
  std::shared_ptr<Command> command;
  std::string Name() const {
    std::string text = internal ? "--internal" : "";
    for (const std::string &word : path)
      text += (text.empty() ? "" : " ") + word;
    return text;
  }
};

void Collect(const std::shared_ptr<NamespaceNode> &node, std::vector<std::string> &path, bool internal,
             std::vector<Entry> &out) {
  for (const auto &[name, child] : node->GetChildren()) {
    path.push_back(name);
    if (child->IsCommand())
      out.push_back({path, internal, std::dynamic_pointer_cast<Command>(child)});
    else
      Collect(child, path, internal, out);
    path.pop_back();
  }
}

struct Tree {
  std::shared_ptr<Namespace> root = Namespace::New();
  std::shared_ptr<Namespace> internalRoot = Namespace::New();
  std::vector<Entry> commands;

  Tree() {
    AutoCli_RegisterNamespaces(root);
    ClusteredOldk_RegisterInternalNamespace(internalRoot);
    std::vector<std::string> path;
    Collect(root, path, false, commands);
    Collect(internalRoot, path, true, commands);
  }
};

const Tree &Registered() {
  static const Tree tree;
  return tree;
}

// Field names are matched as the framework matches them: ignoring case and
// surrounding blanks.
std::string Normalize(const std::string &name) {
  size_t begin = name.find_first_not_of(" \t");
  size_t end = name.find_last_not_of(" \t");
  std::string text = begin == std::string::npos ? std::string() : name.substr(begin, end - begin + 1);
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Every piece, empty ones at either end included.
std::vector<std::string> Split(const std::string &text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

const MetaStruct *LayoutOf(const MetaObjectPtr &value) {
  if (!value)
    return nullptr;
  if (value->GetType() == MetaType::Struct)
    return static_cast<const MetaStruct *>(value.get());
  if (value->GetType() == MetaType::List)
    return static_cast<const MetaList &>(*value).GetRowTemplate().get();
  return nullptr;
}

// Every structure layout of an output shape by name: the root's and nested ones.
void Layouts(const MetaStruct *layout, std::vector<const MetaStruct *> &out) {
  if (!layout)
    return;
  out.push_back(layout);
  for (const auto &[name, value] : layout->GetFields())
    Layouts(LayoutOf(value), out);
}

const MetaStruct *FindLayout(const std::vector<const MetaStruct *> &layouts, const std::string &name) {
  for (const MetaStruct *layout : layouts)
    if (layout->GetName() == name)
      return layout;
  return nullptr;
}

bool HasField(const MetaStruct &layout, const std::string &name) {
  const std::string key = Normalize(name);
  for (const auto &field : layout.GetFields())
    if (Normalize(field.first) == key)
      return true;
  return false;
}

// What is wrong with one default output parameter of a command, or "".
std::string CheckDefault(const std::string &key, const std::string &value, const MetaStruct *root,
                         const std::vector<const MetaStruct *> &layouts) {
  auto prefixed = [&key](const char *prefix) { return key.rfind(prefix, 0) == 0; };
  auto fieldsOf = [&](const MetaStruct *layout, const std::string &list) {
    if (!layout)
      return std::string("no structure for the key");
    for (const std::string &name : Split(list, ','))
      if (!HasField(*layout, name))
        return "'" + name + "' is no field of " + layout->GetName();
    return std::string();
  };
  if (key == "wrap-last")
    return value == "true" ? "" : "value is not \"true\"";
  if (key == "fields")
    return fieldsOf(root, value);
  if (prefixed("fields:"))
    return fieldsOf(FindLayout(layouts, key.substr(7)), value);
  if (prefixed("header:")) {
    const MetaStruct *layout = FindLayout(layouts, key.substr(7));
    if (!layout)
      return "no structure for the key";
    std::vector<std::string> parts = Split(value, '%');
    for (size_t i = 1; i < parts.size(); i += 2)
      if (!parts[i].empty() && !HasField(*layout, parts[i]))
        return "'" + parts[i] + "' is no field of " + layout->GetName();
    return parts.size() >= 3 ? "" : "names no field between percent signs";
  }
  if (prefixed("units:") || prefixed("printf:")) {
    const std::string rest = key.substr(key.find(':') + 1);
    const size_t point = rest.find('.');
    const MetaStruct *layout =
        point == std::string::npos ? nullptr : FindLayout(layouts, rest.substr(0, point));
    if (!layout)
      return "no structure for the key";
    if (!HasField(*layout, rest.substr(point + 1)))
      return "'" + rest.substr(point + 1) + "' is no field of " + layout->GetName();
    return value.empty() ? "empty value" : "";
  }
  return "unknown key";
}

// Defaults the system keeps although they name nothing: the san listings
// introduce their rows by "header:Adapter", a structure none of them has, and
// the FC and FCoE device lists name "DriverVersion" among their fields.
bool KeptAsTheSystemHasIt(const std::string &key, const std::string &problem) {
  if (key == "header:Adapter")
    return problem == "no structure for the key";
  if (key == "fields:FcDevice" || key == "fields:FcoeDevice")
    return problem == "'DriverVersion' is no field of " + key.substr(7);
  return false;
}

TEST(TreeInvariants, TheWalkFindsTheRegisteredCommands) {
  const auto &commands = Registered().commands;
  ASSERT_FALSE(commands.empty());
  const bool hasAdapterList = std::any_of(commands.begin(), commands.end(), [](const Entry &entry) {
    return entry.Name() == "storage core adapter list";
  });
  EXPECT_TRUE(hasAdapterList);
}

TEST(TreeInvariants, DefaultOutputKeysNameTheOutputStructureAndItsFields) {
  for (const Entry &entry : Registered().commands) {
    auto outputSpec = entry.command->GetOutputSpec();
    ASSERT_TRUE(outputSpec && outputSpec->GetRootObject()) << entry.Name() << ": no output shape";
    const MetaStruct *root = LayoutOf(outputSpec->GetRootObject());
    std::vector<const MetaStruct *> layouts;
    Layouts(root, layouts);
    // physical get declares its template as "PhysicalGet" but returns (and its
    // defaults name) a "PhysicalDevice" of the same fields.
    std::shared_ptr<MetaStruct> renamed;
    if (entry.Name() == "storage core device physical get" && root && root->GetName() == "PhysicalGet") {
      renamed = MetaStruct::New("PhysicalDevice");
      for (const auto &[name, value] : root->GetFields())
        renamed->SetField(name, value);
      layouts.push_back(renamed.get());
    }
    for (const auto &[key, value] : entry.command->GetDefaultOutputParameters()) {
      const std::string problem = CheckDefault(key, value, root, layouts);
      if (!KeptAsTheSystemHasIt(key, problem)) {
        EXPECT_EQ(problem, "") << entry.Name() << ": \"" << key << "\"";
      }
    }
    const std::string formatter = entry.command->GetDefaultOutputFormatter();
    EXPECT_TRUE(formatter.empty() || formatter == "table" || formatter == "simple")
        << entry.Name() << ": formatter " << formatter;
  }
}

// The field names (and kinds) of a row must be the template's, in its order;
// nested lists of structures are held to their own templates.
void ExpectShapedLike(const MetaStruct &row, const MetaStruct &layout, const std::string &where) {
  const auto &fields = row.GetFields();
  const auto &expected = layout.GetFields();
  ASSERT_EQ(row.GetName(), layout.GetName()) << where;
  std::vector<std::string> names, expectedNames;
  for (const auto &field : fields)
    names.push_back(field.first);
  for (const auto &field : expected)
    expectedNames.push_back(field.first);
  ASSERT_EQ(names, expectedNames) << where;
  for (size_t i = 0; i < fields.size(); ++i) {
    const MetaObjectPtr &value = fields[i].second;
    const MetaObjectPtr &empty = expected[i].second;
    ASSERT_TRUE(value && empty) << where << ": field " << fields[i].first << " has no value";
    EXPECT_EQ(value->GetType(), empty->GetType()) << where << ": field " << fields[i].first;
    const MetaStruct *nested = LayoutOf(empty);
    if (!nested || value->GetType() != empty->GetType())
      continue;
    if (value->GetType() == MetaType::Struct) {
      ExpectShapedLike(static_cast<const MetaStruct &>(*value), *nested, where + " / " + fields[i].first);
      continue;
    }
    for (const MetaObjectPtr &element : static_cast<const MetaList &>(*value).GetElements())
      ExpectShapedLike(static_cast<const MetaStruct &>(*element), *nested, where + " / " + fields[i].first);
  }
}

TEST(TreeInvariants, RowsOnTheDefaultHostHaveExactlyTheTemplateFields) {
  TestSupport::UseProfile("default");
  CliKit::Cli cli(Registered().root, Registered().internalRoot);
  int rowsSeen = 0;
  for (const Entry &entry : Registered().commands) {
    const MetaObjectPtr shape = entry.command->GetOutputSpec()->GetRootObject();
    const MetaStruct *layout = LayoutOf(shape);
    if (!layout)
      continue; // actions and plain values change state or have no rows
    auto spec = entry.command->GetInputSpec();
    const bool needsInput = std::any_of(spec->GetParameters().begin(), spec->GetParameters().end(),
                                        [](const auto &param) { return param->IsRequired(); });
    if (needsInput)
      continue;
    // A command may refuse the default host with its own message (there is
    // nothing to convert, say), but it must not fail inside.
    CliKit::Execution run = cli.Execute(entry.path, entry.internal);
    ASSERT_TRUE(run.status == CliKit::kExitOk || run.status == CliKit::kExitCommandError)
        << entry.Name() << ": " << run.failure << run.usageError;
    const MetaObjectPtr &result = run.output->GetRootObject();
    if (!result) {
      EXPECT_EQ(run.status, CliKit::kExitCommandError) << entry.Name() << ": no root object and no message";
      continue;
    }
    ASSERT_EQ(result->GetType(), shape->GetType()) << entry.Name();
    if (result->GetType() == MetaType::Struct) {
      ExpectShapedLike(static_cast<const MetaStruct &>(*result), *layout, entry.Name());
      ++rowsSeen;
      continue;
    }
    const auto &list = static_cast<const MetaList &>(*result);
    ASSERT_TRUE(list.GetRowTemplate()) << entry.Name() << ": result list without template";
    ExpectShapedLike(*list.GetRowTemplate(), *layout, entry.Name() + " (result template)");
    for (const MetaObjectPtr &row : list.GetElements()) {
      ASSERT_TRUE(row && row->GetType() == MetaType::Struct) << entry.Name();
      ExpectShapedLike(static_cast<const MetaStruct &>(*row), *layout, entry.Name());
      ++rowsSeen;
    }
  }
  EXPECT_GT(rowsSeen, 0);
}

// Stands in for a command so that its examples are parsed and never executed.
class ParseOnly : public Command {
public:
  explicit ParseOnly(std::shared_ptr<CliKit::CallSpec::InputSpec> spec) : spec_(std::move(spec)) {}
  std::shared_ptr<CliKit::CallSpec::InputSpec> GetInputSpecInternal() override { return spec_; }
  std::shared_ptr<CliKit::CallSpec::OutputSpec> GetOutputSpecInternal() override {
    return CliKit::CallSpec::OutputSpec::New();
  }
  void ExecuteInternal(const std::shared_ptr<CliKit::CallSpec::Input> &,
                       const std::shared_ptr<CliKit::CallSpec::Output> &) override {}

private:
  std::shared_ptr<CliKit::CallSpec::InputSpec> spec_;
};

TEST(TreeInvariants, ExamplesParseAgainstTheirCommand) {
  for (const Entry &entry : Registered().commands) {
    auto spec = entry.command->GetInputSpec();
    auto probeRoot = Namespace::New();
    probeRoot->RegisterNamespaceNode(std::make_shared<ParseOnly>(spec), "probe");
    CliKit::Cli probe(probeRoot);
    std::vector<CliKit::CallSpec::Example> examples = spec->GetExamples();
    const auto &own = entry.command->GetExamples();
    examples.insert(examples.end(), own.begin(), own.end());
    for (const auto &example : examples) {
      std::vector<std::string> args = FuzzSupport::SplitCommandLine(example.commandLineTail);
      args.insert(args.begin(), "probe");
      CliKit::Execution run = probe.Execute(args);
      EXPECT_EQ(run.usageError, "") << entry.Name() << " " << example.commandLineTail;
      EXPECT_FALSE(example.explanation.empty()) << entry.Name() << " " << example.commandLineTail;
    }
  }
}

TEST(TreeInvariants, ParameterNamesAreUniqueAndShortNamesAreOneLetter) {
  for (const Entry &entry : Registered().commands) {
    std::set<std::string> longNames, shortNames;
    const auto spec = entry.command->GetInputSpec();
    for (const auto &param : spec->GetParameters()) {
      EXPECT_TRUE(longNames.insert(param->GetName()).second) << entry.Name() << ": --" << param->GetName();
      // Only the unsupported options (nfs add) go without a description.
      if (param->GetName().rfind("unsupported-", 0) != 0) {
        EXPECT_FALSE(param->GetDescription().empty()) << entry.Name() << ": --" << param->GetName();
      }
      const std::string &shortName = param->GetShortName();
      if (shortName.empty())
        continue;
      EXPECT_EQ(shortName.size(), 1u) << entry.Name() << ": -" << shortName;
      EXPECT_TRUE(shortNames.insert(shortName).second) << entry.Name() << ": -" << shortName << " twice";
    }
  }
}

TEST(TreeInvariants, HelpRenders) {
  CliKit::Cli cli(Registered().root, Registered().internalRoot);
  for (const Entry &entry : Registered().commands) {
    std::vector<std::string> args = entry.path;
    if (entry.internal)
      args.insert(args.begin(), "--internal");
    args.push_back("--help");
    std::ostringstream out, err;
    CliKit::Terminal terminal;
    terminal.out = &out;
    terminal.err = &err;
    ASSERT_EQ(cli.Run(args, terminal), CliKit::kExitOk) << entry.Name() << ": " << err.str();
    EXPECT_EQ(err.str(), "") << entry.Name();
    EXPECT_FALSE(entry.command->GetDescription().empty()) << entry.Name();
    EXPECT_NE(out.str().find(entry.command->GetDescription()), std::string::npos) << entry.Name();
    const auto spec = entry.command->GetInputSpec();
    for (const auto &param : spec->GetParameters())
      EXPECT_NE(out.str().find("--" + param->GetName()), std::string::npos)
          << entry.Name() << ": --" << param->GetName();
  }
}

} // namespace
