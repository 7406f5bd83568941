// --completion bash: a completion script generated from the tree. The tree is
// written into associative arrays keyed by command path; one small function
// walks the typed words and completes from them.
#include "Describe.h"
#include "Format.h"
#include "Parser.h"

#include <cctype>

namespace CliKit::Detail {

using CallSpec::ParameterConstraintType;
using CallSpec::ParameterType;

namespace {

std::string Quote(const std::string &text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string Identifier(const std::string &tool) {
  std::string out;
  for (char c : tool)
    out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return out;
}

struct Tables {
  std::string children;
  std::string options;
  std::string valued;
  std::string enums;
};

void Add(std::string &table, const std::string &key, const std::string &value) {
  table += "  [" + Quote(key) + "]=" + Quote(value) + "\n";
}

// Keys are ":" then " word" per path word: bash refuses an empty key.
std::string KeyOf(const std::vector<std::string> &path) {
  std::string key = ":";
  for (const std::string &word : path)
    key += " " + word;
  return key;
}

void Walk(const AutoCli::NamespaceNode &node, std::vector<std::string> &path, Tables &tables) {
  std::string key = KeyOf(path);
  if (node.IsCommand()) {
    auto &command = const_cast<AutoCli::Command &>(dynamic_cast<const AutoCli::Command &>(node));
    auto spec = command.GetInputSpec();
    std::string options;
    std::string valued = " ";
    if (spec) {
      for (const auto &param : spec->GetParameters()) {
        std::vector<std::string> names = {"--" + param->GetName()};
        if (!param->GetShortName().empty())
          names.push_back("-" + param->GetShortName());
        for (const std::string &name : names) {
          options += (options.empty() ? "" : " ") + name;
          if (param->GetType() != ParameterType::Flag)
            valued += name + " ";
        }
        std::string values;
        if (param->GetType() == ParameterType::Boolean)
          values = "true false";
        const auto &constraint = param->GetConstraint();
        if (constraint && constraint->GetKind() == ParameterConstraintType::StringEnum) {
          for (const auto &value : constraint->GetEnumValues())
            values += (values.empty() ? "" : " ") + value.value;
        }
        if (!values.empty()) {
          for (const std::string &name : names)
            Add(tables.enums, key + " " + name, values);
        }
      }
    }
    Add(tables.options, key, options);
    Add(tables.valued, key, valued);
    return;
  }
  std::string children;
  for (const auto &[name, child] : node.GetChildren())
    children += (children.empty() ? "" : " ") + name;
  Add(tables.children, key, children);
  for (const auto &[name, child] : node.GetChildren()) {
    path.push_back(name);
    Walk(*child, path, tables);
    path.pop_back();
  }
}

} // namespace

std::string BashCompletion(const std::string &tool, const AutoCli::NamespaceNode &root) {
  Tables tables;
  std::vector<std::string> path;
  Walk(root, path, tables);
  std::string id = "_" + Identifier(tool);
  std::string formatters = FormatterNames();
  for (size_t at = formatters.find(", "); at != std::string::npos; at = formatters.find(", "))
    formatters.replace(at, 2, " ");

  std::string out;
  out += "# bash completion for " + tool + ", generated from its command tree.\n";
  out += "# Load it with: source <(" + tool + " --completion bash)\n\n";
  out += "declare -gA " + id + "_children=(\n" + tables.children + ")\n";
  out += "declare -gA " + id + "_options=(\n" + tables.options + ")\n";
  out += "declare -gA " + id + "_valued=(\n" + tables.valued + ")\n";
  out += "declare -gA " + id + "_enums=(\n" + tables.enums + ")\n\n";
  out += id +
         "_complete() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  local path=: word i skip=0 atCommand=0\n"
         "  local globalValued=' --formatter --fields --completion --host '\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    word=${COMP_WORDS[i]}\n"
         "    if ((skip)); then skip=0; continue; fi\n"
         "    case $word in\n"
         "    --*=*) ;;\n"
         "    -*)\n"
         "      if ((atCommand)) && [[ ${" +
         id +
         "_valued[$path]} == *\" $word \"* ]]; then skip=1\n"
         "      elif [[ $globalValued == *\" $word \"* ]]; then skip=1; fi ;;\n"
         "    *)\n"
         "      ((atCommand)) && continue\n"
         "      path=\"$path $word\"\n"
         "      [[ -n ${" +
         id +
         "_options[$path]+set} ]] && atCommand=1 ;;\n"
         "    esac\n"
         "  done\n"
         "  if ((skip)); then\n"
         "    case $prev in\n"
         "    --formatter) COMPREPLY=($(compgen -W '" +
         formatters +
         "' -- \"$cur\")) ;;\n"
         "    --completion) COMPREPLY=($(compgen -W 'bash' -- \"$cur\")) ;;\n"
         "    --host) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
         "    --fields) COMPREPLY=() ;;\n"
         "    *) COMPREPLY=($(compgen -W \"${" +
         id +
         "_enums[\"$path $prev\"]}\" -- \"$cur\")) ;;\n"
         "    esac\n"
         "    return 0\n"
         "  fi\n"
         "  if ((atCommand)); then\n"
         "    COMPREPLY=($(compgen -W \"${" +
         id +
         "_options[$path]} --formatter --fields --help\" -- \"$cur\"))\n"
         "  elif [[ $cur == -* ]]; then\n"
         "    if [[ $path == : ]]; then\n"
         "      COMPREPLY=($(compgen -W '--formatter --fields --host --help --catalog --completion "
         "--version' -- \"$cur\"))\n"
         "    else\n"
         "      COMPREPLY=($(compgen -W '--formatter --fields --help' -- \"$cur\"))\n"
         "    fi\n"
         "  else\n"
         "    COMPREPLY=($(compgen -W \"${" +
         id +
         "_children[$path]}\" -- \"$cur\"))\n"
         "  fi\n"
         "  return 0\n"
         "}\n"
         "complete -F " +
         id + "_complete " + tool + "\n";
  return out;
}

} // namespace CliKit::Detail
