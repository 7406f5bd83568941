#include "Describe.h"
#include "Format.h"
#include "Parser.h"

#include <algorithm>

namespace CliKit::Detail {

using CallSpec::ParameterConstraintType;
using CallSpec::ParameterType;

namespace {

constexpr size_t kMaxNameColumn = 34;

std::string UsagePrefix(const std::string &tool, bool internal) {
  return "Usage: " + tool + (internal ? " --internal" : " [global options]");
}

// Two-column lines: names padded to a common width, then the text. A text with
// line breaks continues under its first line.
void AppendColumns(const std::vector<std::pair<std::string, std::string>> &rows, std::string &out) {
  size_t width = 0;
  for (const auto &row : rows) {
    if (row.first.size() <= kMaxNameColumn)
      width = std::max(width, row.first.size());
  }
  size_t textColumn = 2 + width + 2;
  for (const auto &[name, text] : rows) {
    out += "  ";
    out += name;
    if (text.empty()) {
      out += '\n';
      continue;
    }
    if (name.size() > width) {
      out += '\n';
      out.append(textColumn, ' ');
    } else {
      out.append(width - name.size() + 2, ' ');
    }
    for (char c : text) {
      if (c == '\n') {
        // Help lines never end in blanks, even where a description did.
        while (!out.empty() && out.back() == ' ')
          out.pop_back();
        out += c;
        out.append(textColumn, ' ');
        continue;
      }
      out += c;
    }
    out += '\n';
  }
}

std::string ValueHint(const CallSpec::ParameterSpec &spec) {
  switch (spec.GetType()) {
  case ParameterType::Flag:
    return "";
  case ParameterType::Integer:
    return " <integer>";
  case ParameterType::Boolean:
    return " <boolean>";
  case ParameterType::StringList:
    return " <string>...";
  case ParameterType::String:
    break;
  }
  return " <string>";
}

} // namespace

std::string ExpandEnums(const std::string &description, const CallSpec::ParameterConstraint *constraint,
                        const std::string &indent) {
  if (!constraint || constraint->GetKind() != ParameterConstraintType::StringEnum)
    return description;
  std::string shortList = "[";
  std::string fullList;
  for (const auto &value : constraint->GetEnumValues()) {
    if (shortList.size() > 1)
      shortList += ", ";
    shortList += value.value;
    fullList += '\n';
    fullList += indent;
    fullList += value.value;
    if (value.hasDescription) {
      fullList += ": ";
      fullList += value.description;
    }
  }
  shortList += ']';
  std::string out;
  size_t at = 0;
  while (at < description.size()) {
    size_t full = description.find("%FULLENUM%", at);
    size_t brief = description.find("%ENUM%", at);
    size_t next = std::min(full, brief);
    if (next == std::string::npos) {
      out.append(description, at, std::string::npos);
      break;
    }
    out.append(description, at, next - at);
    if (next == full) {
      out += fullList;
      at = next + 10;
    } else {
      out += shortList;
      at = next + 6;
    }
  }
  return out;
}

std::vector<CallSpec::Example> AllExamples(const AutoCli::Command &command, const CallSpec::InputSpec *spec) {
  std::vector<CallSpec::Example> examples = command.GetExamples();
  if (spec)
    examples.insert(examples.end(), spec->GetExamples().begin(), spec->GetExamples().end());
  return examples;
}

std::string NamespaceHelp(const std::string &tool, const std::vector<std::string> &path,
                          const AutoCli::NamespaceNode &node, bool internal) {
  std::string out = UsagePrefix(tool, internal);
  if (!path.empty())
    out += " " + JoinPath(path);
  out += " <namespace|command> [options]\n";
  if (node.HasDescription())
    out += "\n" + node.GetDescription() + "\n";
  std::vector<std::pair<std::string, std::string>> namespaces;
  std::vector<std::pair<std::string, std::string>> commands;
  for (const auto &[name, child] : node.GetChildren()) {
    auto &rows = child->IsCommand() ? commands : namespaces;
    rows.emplace_back(name, child->HasDescription() ? child->GetDescription() : std::string());
  }
  if (!namespaces.empty()) {
    out += "\nNamespaces:\n";
    AppendColumns(namespaces, out);
  }
  if (!commands.empty()) {
    out += "\nCommands:\n";
    AppendColumns(commands, out);
  }
  if (path.empty() && !internal) {
    out += "\nGlobal options:\n";
    AppendColumns({{"--formatter NAME", std::string("Output format: ") + FormatterNames() + "."},
                   {"--fields LIST", "Fields to show, comma-separated; 'all' shows every field."},
                   {"--host FILE", "The simulated host's state file."},
                   {"--help", "Help for the namespace or command named before it."},
                   {"--catalog", "A JSON description of every namespace and command."},
                   {"--completion bash", "A bash completion script."},
                   {"--version", "The tool's name and version."}},
                  out);
  }
  return out;
}

std::string CommandHelp(const std::string &tool, const std::vector<std::string> &path,
                        AutoCli::Command &command, bool internal) {
  auto spec = command.GetInputSpec();
  std::string out = UsagePrefix(tool, internal) + " " + JoinPath(path) + " [options]\n";
  if (command.HasDescription())
    out += "\n" + command.GetDescription() + "\n";
  if (spec && !spec->GetParameters().empty()) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto &param : spec->GetParameters()) {
      std::string name = "--" + param->GetName();
      if (!param->GetShortName().empty())
        name += ", -" + param->GetShortName();
      name += ValueHint(*param);
      std::string text;
      if (param->IsRequired())
        text += "(required) ";
      if (param->IsSecret())
        text += "(not echoed) ";
      const auto &constraint = param->GetConstraint();
      if (constraint && constraint->GetKind() == ParameterConstraintType::IntRange)
        text += "(" + std::to_string(constraint->GetLow()) + " to " + std::to_string(constraint->GetHigh()) +
                ") ";
      text += ExpandEnums(param->GetDescription(), constraint.get(), "  ");
      rows.emplace_back(name, text);
    }
    out += "\nParameters:\n";
    AppendColumns(rows, out);
  }

  if (auto outputSpec = command.GetOutputSpec(); outputSpec && outputSpec->GetRootObject()) {
    const MetaObj::MetaObject *root = outputSpec->GetRootObject().get();
    const MetaObj::MetaStruct *layout = nullptr;
    if (root->GetType() == MetaObj::MetaType::Struct)
      layout = static_cast<const MetaObj::MetaStruct *>(root);
    else if (root->GetType() == MetaObj::MetaType::List)
      layout = static_cast<const MetaObj::MetaList *>(root)->GetRowTemplate().get();
    if (layout && !layout->GetFields().empty()) {
      out += "\nFields of " + layout->GetName() + " (for --fields):\n  ";
      for (size_t i = 0; i < layout->GetFields().size(); ++i)
        out += (i ? ", " : "") + layout->GetFields()[i].first;
      out += '\n';
    }
  }

  std::vector<CallSpec::Example> examples = AllExamples(command, spec.get());
  if (!examples.empty()) {
    out += "\nExamples:\n";
    for (const auto &example : examples) {
      out += "\n  " + example.explanation + "\n";
      out += "    " + tool + (internal ? " --internal " : " ") + JoinPath(path);
      if (!example.commandLineTail.empty())
        out += " " + example.commandLineTail;
      out += '\n';
    }
  }
  return out;
}

} // namespace CliKit::Detail
