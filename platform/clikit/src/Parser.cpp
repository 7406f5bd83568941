#include "Parser.h"

#include "Format.h"

#include <cctype>
#include <charconv>
#include <set>

namespace CliKit::Detail {

using AutoCli::NamespaceNode;
using CallSpec::ParameterConstraintType;
using CallSpec::ParameterSpec;
using CallSpec::ParameterType;

std::string JoinPath(const std::vector<std::string> &path) {
  std::string text;
  for (const std::string &word : path) {
    if (!text.empty())
      text += ' ';
    text += word;
  }
  return text;
}

std::string TypeName(ParameterType type) {
  switch (type) {
  case ParameterType::String:
    return "string";
  case ParameterType::Integer:
    return "integer";
  case ParameterType::Boolean:
    return "boolean";
  case ParameterType::Flag:
    return "flag";
  case ParameterType::StringList:
    return "stringlist";
  }
  return "string";
}

namespace {

bool StartsWith(const std::string &text, const char *prefix) {
  return text.rfind(prefix, 0) == 0;
}

std::string Lower(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Quoted(const std::string &text) {
  return "'" + text + "'";
}

std::string EnumList(const CallSpec::ParameterConstraint &constraint) {
  std::string text;
  for (const auto &value : constraint.GetEnumValues()) {
    if (!text.empty())
      text += ", ";
    text += value.value;
  }
  return text;
}

// What a parameter accepts, as shown in usage errors.
std::string AllowedText(const ParameterSpec &spec) {
  const auto &constraint = spec.GetConstraint();
  if (constraint && constraint->GetKind() == ParameterConstraintType::StringEnum)
    return "one of: " + EnumList(*constraint);
  switch (spec.GetType()) {
  case ParameterType::Integer:
    if (constraint && constraint->GetKind() == ParameterConstraintType::IntRange)
      return "an integer from " + std::to_string(constraint->GetLow()) + " to " +
             std::to_string(constraint->GetHigh());
    return "a signed 64-bit integer";
  case ParameterType::Boolean:
    return "true, false, yes, no, 1 or 0";
  case ParameterType::Flag:
    return "no value";
  case ParameterType::StringList:
    return "a string, repeat the option for more";
  case ParameterType::String:
    break;
  }
  return "a string";
}

std::string ParamName(const ParameterSpec &spec) {
  return "'--" + spec.GetName() + "'";
}

// "; got 'value'" unless the value is secret.
std::string Got(const ParameterSpec &spec, const std::string &value) {
  return spec.IsSecret() ? std::string() : "; got " + Quoted(value);
}

std::string ChildList(const NamespaceNode &node) {
  std::string text;
  for (const auto &child : node.GetChildren()) {
    if (!text.empty())
      text += ", ";
    text += child.first;
  }
  return text.empty() ? "(nothing registered)" : text;
}

std::string ExpectedChildren(const NamespaceNode &node) {
  return "expected one of: " + ChildList(node);
}

// Framework options that may follow path words (and command parameters, unless
// the command declares the same long name).
bool IsLateGlobal(const std::string &name) {
  return name == "formatter" || name == "fields";
}
bool IsValueGlobal(const std::string &name) {
  return name == "formatter" || name == "fields" || name == "completion";
}
bool IsFlagGlobal(const std::string &name) {
  return name == "help" || name == "version" || name == "catalog" || name == "internal";
}

void SplitLong(const std::string &arg, std::string &name, std::string &value, bool &hasValue) {
  size_t equals = arg.find('=');
  hasValue = equals != std::string::npos;
  name = arg.substr(2, hasValue ? equals - 2 : std::string::npos);
  value = hasValue ? arg.substr(equals + 1) : std::string();
}

// Takes a global option at args[index]; returns false when `arg` is not one.
bool TakeGlobal(const std::vector<std::string> &args, size_t &index, bool leading, ParseResult &result) {
  const std::string &arg = args[index];
  if (!StartsWith(arg, "--"))
    return false;
  std::string name, value;
  bool hasValue = false;
  SplitLong(arg, name, value, hasValue);
  if (!leading && !IsLateGlobal(name))
    return false;
  GlobalOptions &globals = result.globals;
  if (IsFlagGlobal(name)) {
    if (hasValue) {
      result.usageError = "Error: option '--" + name + "' takes no value";
      return true;
    }
    if (name == "help")
      globals.help = true;
    else if (name == "version")
      globals.version = true;
    else if (name == "catalog")
      globals.catalog = true;
    else
      globals.internal = true;
    ++index;
    return true;
  }
  if (!IsValueGlobal(name))
    return false;
  if (!hasValue) {
    if (index + 1 >= args.size() || StartsWith(args[index + 1], "--")) {
      result.usageError = "Error: option '--" + name + "' needs a value";
      return true;
    }
    value = args[++index];
  }
  ++index;
  // A second value never silently replaces the first.
  if (name == "formatter" ? globals.hasFormatter
      : name == "fields"  ? globals.hasFields
                          : globals.hasCompletion) {
    result.usageError = "Error: option '--" + name + "' given more than once";
    return true;
  }
  if (name == "formatter") {
    if (!IsFormatterName(value)) {
      result.usageError = "Error: unknown formatter " + Quoted(value) + "; allowed: " + FormatterNames();
      return true;
    }
    globals.hasFormatter = true;
    globals.formatter = value;
  } else if (name == "fields") {
    globals.hasFields = true;
    globals.fields = value;
  } else {
    globals.hasCompletion = true;
    globals.completion = value;
  }
  return true;
}

// With --help anywhere, only the path words before it count; a word that names
// nothing ends the walk, and the node reached so far is the one described.
void WalkForHelp(const std::vector<std::string> &args, size_t helpAt, ParseResult &result) {
  for (size_t i = 0; i < helpAt; ++i) {
    const std::string &arg = args[i];
    if (StartsWith(arg, "--")) {
      std::string name, value;
      bool hasValue = false;
      SplitLong(arg, name, value, hasValue);
      if (name == "internal" && result.path.empty())
        result.globals.internal = true;
      if (IsValueGlobal(name) && !hasValue && !result.node->IsCommand())
        ++i;
      continue;
    }
    if (StartsWith(arg, "-") || result.node->IsCommand())
      continue;
    auto child = result.node->FindChild(arg);
    if (!child)
      return;
    result.path.push_back(arg);
    result.node = child;
  }
}

bool ParseBool(const std::string &text, bool &value) {
  std::string lower = Lower(text);
  if (lower == "true" || lower == "yes" || lower == "1") {
    value = true;
    return true;
  }
  if (lower == "false" || lower == "no" || lower == "0") {
    value = false;
    return true;
  }
  return false;
}

} // namespace

std::string MissingMessage(const ParameterSpec &spec) {
  return "Error: missing required parameter " + ParamName(spec) + " (" + AllowedText(spec) + ")";
}

std::string AcceptValue(const ParameterSpec &spec, const std::string &value, CallSpec::Input &input) {
  const auto &constraint = spec.GetConstraint();
  const std::string &name = spec.GetName();
  switch (spec.GetType()) {
  case ParameterType::Flag:
    input.SetFlag(name);
    return {};
  case ParameterType::Boolean: {
    bool flag = false;
    if (!ParseBool(value, flag))
      return "Error: parameter " + ParamName(spec) + " expects a boolean (true, false, yes, no, 1, 0)" +
             Got(spec, value);
    input.SetBool(name, flag);
    return {};
  }
  case ParameterType::Integer: {
    int64_t number = 0;
    const char *begin = value.data();
    const char *end = begin + value.size();
    auto [stop, error] = std::from_chars(begin, end, number);
    if (error == std::errc::result_out_of_range && stop == end)
      return "Error: parameter " + ParamName(spec) + " is outside the signed 64-bit integer range" +
             Got(spec, value);
    if (value.empty() || error != std::errc() || stop != end)
      return "Error: parameter " + ParamName(spec) + " expects a signed 64-bit integer" + Got(spec, value);
    if (constraint && constraint->GetKind() == ParameterConstraintType::IntRange &&
        (number < constraint->GetLow() || number > constraint->GetHigh()))
      return "Error: parameter " + ParamName(spec) + " must be from " + std::to_string(constraint->GetLow()) +
             " to " + std::to_string(constraint->GetHigh()) + Got(spec, value);
    if (constraint && constraint->GetKind() == ParameterConstraintType::StringEnum) {
      bool known = false;
      for (const auto &allowed : constraint->GetEnumValues())
        known = known || allowed.value == value;
      if (!known)
        return "Error: parameter " + ParamName(spec) + " must be one of: " + EnumList(*constraint) +
               Got(spec, value);
    }
    input.SetInt(name, number);
    return {};
  }
  case ParameterType::String:
  case ParameterType::StringList:
    break;
  }
  if (spec.GetType() == ParameterType::StringList && value.empty())
    return "Error: parameter " + ParamName(spec) + " needs a non-empty value";
  if (constraint && constraint->GetKind() == ParameterConstraintType::StringEnum) {
    bool known = false;
    for (const auto &allowed : constraint->GetEnumValues())
      known = known || allowed.value == value;
    if (!known)
      return "Error: parameter " + ParamName(spec) + " must be one of: " + EnumList(*constraint) +
             Got(spec, value);
  }
  if (spec.GetType() == ParameterType::StringList)
    input.AppendString(name, value);
  else
    input.SetString(name, value);
  return {};
}

ParseResult Parse(const std::vector<std::string> &args, const std::shared_ptr<NamespaceNode> &root,
                  const std::shared_ptr<NamespaceNode> &internalRoot, bool acceptGlobals, bool useInternal) {
  ParseResult result;
  size_t count = args.size();
  size_t index = 0;

  if (acceptGlobals) {
    for (size_t i = 0; i < count; ++i) {
      if (args[i] == "--help") {
        result.globals.help = true;
        result.node = root;
        WalkForHelp(args, i, result);
        if (result.globals.internal || useInternal) {
          // The walk started from the normal root; walk again from the internal one.
          result.path.clear();
          result.node = internalRoot ? internalRoot : root;
          WalkForHelp(args, i, result);
        }
        if (result.node->IsCommand())
          result.command = std::dynamic_pointer_cast<AutoCli::Command>(result.node);
        return result;
      }
    }
    while (index < count && StartsWith(args[index], "-") && args[index].size() > 1) {
      if (!TakeGlobal(args, index, true, result))
        result.usageError = "Error: unknown option " + Quoted(args[index].substr(0, args[index].find('=')));
      if (!result.usageError.empty())
        return result;
    }
  }

  bool internal = useInternal || result.globals.internal;
  if (internal && !internalRoot) {
    result.usageError = "Error: there is no internal command tree";
    return result;
  }
  result.node = internal ? internalRoot : root;

  while (index < count && !result.node->IsCommand()) {
    const std::string &arg = args[index];
    if (StartsWith(arg, "-") && arg.size() > 1) {
      if (acceptGlobals && TakeGlobal(args, index, false, result)) {
        if (!result.usageError.empty())
          return result;
        continue;
      }
      result.usageError = "Error: unknown option " + Quoted(arg.substr(0, arg.find('=')));
      return result;
    }
    auto child = result.node->FindChild(arg);
    if (!child) {
      result.usageError = "Error: unknown command or namespace " + Quoted(arg) +
                          (result.path.empty() ? std::string() : " in " + Quoted(JoinPath(result.path))) +
                          "; " + ExpectedChildren(*result.node);
      return result;
    }
    result.path.push_back(arg);
    result.node = child;
    ++index;
  }

  if (!result.node->IsCommand()) {
    const GlobalOptions &globals = result.globals;
    if (globals.catalog || globals.version || globals.hasCompletion)
      return result;
    result.usageError = result.path.empty() ? "Error: no command given; " + ExpectedChildren(*result.node)
                                            : "Error: " + Quoted(JoinPath(result.path)) +
                                                  " is a namespace; " + ExpectedChildren(*result.node);
    return result;
  }

  result.command = std::dynamic_pointer_cast<AutoCli::Command>(result.node);
  result.inputSpec = result.command->GetInputSpec();
  if (!result.inputSpec)
    result.inputSpec = CallSpec::InputSpec::New();
  result.input = CallSpec::Input::New(*result.inputSpec);
  const CallSpec::InputSpec &spec = *result.inputSpec;
  CallSpec::Input &input = *result.input;
  const std::string commandName = Quoted(JoinPath(result.path));
  std::set<std::string> seen;

  while (index < count) {
    const std::string &arg = args[index];
    std::shared_ptr<ParameterSpec> param;
    std::string value;
    bool hasValue = false;
    if (StartsWith(arg, "--") && arg.size() > 2) {
      std::string name;
      SplitLong(arg, name, value, hasValue);
      param = spec.FindByLongName(name);
      if (!param && acceptGlobals && TakeGlobal(args, index, false, result)) {
        if (!result.usageError.empty())
          return result;
        continue;
      }
      if (!param) {
        result.usageError = "Error: unknown option " + Quoted("--" + name) + " for command " + commandName;
        return result;
      }
    } else if (arg.size() == 2 && arg[0] == '-' && arg[1] != '-') {
      param = spec.FindByShortName(arg.substr(1));
      if (!param) {
        result.usageError = "Error: unknown option " + Quoted(arg) + " for command " + commandName;
        return result;
      }
    } else {
      // Never echo a word that could be a misplaced secret value.
      bool hasSecret = false;
      for (const auto &candidate : spec.GetParameters())
        hasSecret = hasSecret || candidate->IsSecret();
      result.usageError = "Error: unexpected argument " + (hasSecret ? std::string() : Quoted(arg) + " ") +
                          "for command " + commandName;
      return result;
    }
    ++index;

    if (param->GetType() == ParameterType::Flag) {
      if (hasValue) {
        result.usageError = "Error: flag " + ParamName(*param) + " takes no value";
        return result;
      }
    } else if (!hasValue) {
      // A following word that is itself an option of this command is not taken as the value.
      bool nextIsOption =
          index < count &&
          (StartsWith(args[index], "--") ||
           (args[index].size() == 2 && args[index][0] == '-' && spec.FindByShortName(args[index].substr(1))));
      if (index >= count || nextIsOption) {
        result.usageError =
            "Error: parameter " + ParamName(*param) + " needs a value (" + AllowedText(*param) + ")";
        return result;
      }
      value = args[index++];
    }
    if (param->GetType() != ParameterType::StringList && !seen.insert(param->GetName()).second) {
      result.usageError = "Error: parameter " + ParamName(*param) + " given more than once";
      return result;
    }
    std::string error = AcceptValue(*param, value, input);
    if (!error.empty()) {
      result.usageError = error;
      return result;
    }
  }

  for (const auto &param : spec.GetParameters()) {
    if (!param->IsRequired() || input.HasParameter(param->GetName()))
      continue;
    if (param->IsSecret()) {
      result.missingSecrets.push_back(param);
      continue;
    }
    result.usageError = MissingMessage(*param);
    return result;
  }
  return result;
}

} // namespace CliKit::Detail
