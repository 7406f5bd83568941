// zsh and fish completion scripts from the catalog. Like the bash script that
// `orlocli --completion bash` prints, each holds the tree as tables keyed by
// the command path (": storage core adapter list") and one function that walks
// the typed words, skipping options and their values, and completes from them.
#include "Catalog.h"

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace RefGen {

namespace {

// Single-quoted for fish: only a quote and a backslash are escaped.
std::string FishQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\')
      out += '\\';
    out += c;
  }
  return out + "'";
}

// A description on one line (completion menus show one line per candidate).
std::string OneLine(const std::string &text) {
  std::string out;
  for (char c : text)
    out += (c == '\n' || c == '\t') ? ' ' : c;
  while (!out.empty() && out.back() == ' ')
    out.pop_back();
  return out;
}

std::string KeyOf(const Json &path) {
  std::string key = ":";
  for (const auto &word : path)
    key += " " + word.get<std::string>();
  return key;
}

struct Candidate {
  std::string word;
  std::string description;
};

// The tree as the completion tables need it, in registration order.
struct Tables {
  std::vector<std::pair<std::string, std::vector<Candidate>>> children; // namespace -> its children
  std::vector<std::pair<std::string, std::vector<Candidate>>> options;  // command -> its options
  std::vector<std::pair<std::string, std::vector<std::string>>> valued; // command -> options taking a value
  std::vector<std::pair<std::string, std::vector<Candidate>>> values;   // "command --option" -> values
};

Tables BuildTables(const Json &catalog) {
  Tables tables;
  std::map<std::string, size_t> childIndex;
  auto childrenOf = [&](const std::string &key) -> std::vector<Candidate> & {
    auto [at, added] = childIndex.emplace(key, tables.children.size());
    if (added)
      tables.children.push_back({key, {}});
    return tables.children[at->second].second;
  };
  childrenOf(":");
  auto attach = [&](const Json &path, const std::string &description) {
    Json parent = path;
    parent.erase(parent.size() - 1);
    childrenOf(KeyOf(parent)).push_back({path.back().get<std::string>(), OneLine(description)});
  };
  for (const auto &ns : catalog["namespaces"]) {
    childrenOf(KeyOf(ns["path"]));
    attach(ns["path"], Text(ns["description"]));
  }
  for (const auto &command : catalog["commands"]) {
    const std::string key = KeyOf(command["path"]);
    attach(command["path"], Text(command["description"]));
    std::vector<Candidate> options;
    std::vector<std::string> valued;
    for (const auto &p : command["parameters"]) {
      std::vector<std::string> names = {"--" + p["long"].get<std::string>()};
      if (!p["short"].is_null())
        names.push_back("-" + p["short"].get<std::string>());
      const std::string description = OneLine(ExpandEnums(p));
      std::vector<Candidate> values;
      for (const auto &[value, text] : CompletionValues(p))
        values.push_back({value, OneLine(text)});
      for (const std::string &name : names) {
        options.push_back({name, description});
        if (p["type"] != "flag")
          valued.push_back(name);
        if (!values.empty())
          tables.values.push_back({key + " " + name, values});
      }
    }
    tables.options.push_back({key, options});
    tables.valued.push_back({key, valued});
  }
  return tables;
}

const char *const kFormatters[] = {"table", "simple", "json", "xml", "csv", "keyvalue"};

// --- zsh ---

// _describe takes "word:description"; a colon in the word is escaped.
std::string ZshEntry(const Candidate &candidate) {
  std::string word;
  for (char c : candidate.word)
    word += c == ':' ? std::string("\\:") : std::string(1, c);
  return candidate.description.empty() ? word : word + ":" + candidate.description;
}

void ZshTable(const std::string &name,
              const std::vector<std::pair<std::string, std::vector<Candidate>>> &rows, std::ostream &out) {
  out << name << "=(\n";
  for (const auto &[key, candidates] : rows) {
    std::string lines;
    for (const Candidate &candidate : candidates)
      lines += (lines.empty() ? "" : "\n") + ZshEntry(candidate);
    out << "  " << ShellQuote(key) << " " << ShellQuote(lines) << "\n";
  }
  out << ")\n";
}

// --- fish ---

void FishSwitch(const std::string &function, const std::string &what,
                const std::vector<std::pair<std::string, std::vector<Candidate>>> &rows, std::ostream &out) {
  out << "function " << function << " --description " << FishQuote(what) << "\n    switch $argv[1]\n";
  for (const auto &[key, candidates] : rows) {
    out << "        case " << FishQuote(key) << "\n";
    if (candidates.empty()) {
      out << "            return 0\n";
      continue;
    }
    out << "            printf '%s\\t%s\\n'";
    for (const Candidate &candidate : candidates)
      out << " " << FishQuote(candidate.word) << " " << FishQuote(candidate.description);
    out << "\n";
  }
  out << "        case '*'\n            return 1\n    end\nend\n\n";
}

} // namespace

void WriteZsh(const Json &catalog, std::ostream &out) {
  Tables tables = BuildTables(catalog);
  std::vector<std::pair<std::string, std::vector<Candidate>>> valued;
  for (const auto &[key, names] : tables.valued) {
    std::vector<Candidate> candidates;
    for (const std::string &name : names)
      candidates.push_back({name, ""});
    valued.push_back({key, candidates});
  }
  std::string formatters;
  for (const char *name : kFormatters)
    formatters += std::string(formatters.empty() ? "" : " ") + name;
  out << "#compdef orlocli\n"
         "# zsh completion for orlocli, generated from its command tree by tools/gen-reference.\n"
         "# Installed in a directory of $fpath, or loaded with: source _orlocli\n\n"
         "typeset -gA _orlocli_children _orlocli_options _orlocli_valued _orlocli_values\n";
  ZshTable("_orlocli_children", tables.children, out);
  ZshTable("_orlocli_options", tables.options, out);
  ZshTable("_orlocli_valued", valued, out);
  ZshTable("_orlocli_values", tables.values, out);
  out << "\n# Fills reply with the candidates (\"word:description\") for words[CURRENT];\n"
         "# returns 2 when file names are wanted, 1 when nothing can be offered.\n"
         "_orlocli_candidates() {\n"
         "  local cmdpath=: word prev=${words[CURRENT-1]} i skip=0 atCommand=0\n"
         "  local -a valued\n"
         "  reply=()\n"
         "  local globalValued=' --formatter --fields --completion --host '\n"
         "  for ((i = 2; i < CURRENT; i++)); do\n"
         "    word=${words[i]}\n"
         "    if ((skip)); then skip=0; continue; fi\n"
         "    case $word in\n"
         "    --*=*) ;;\n"
         "    -*)\n"
         "      if ((atCommand)) && ((${valued[(Ie)$word]})); then skip=1\n"
         "      elif [[ $globalValued == *\" $word \"* ]]; then skip=1; fi ;;\n"
         "    *)\n"
         "      ((atCommand)) && continue\n"
         "      cmdpath=\"$cmdpath $word\"\n"
         "      if [[ -n ${_orlocli_options[$cmdpath]+set} ]]; then\n"
         "        atCommand=1\n"
         "        valued=(${(f)_orlocli_valued[$cmdpath]})\n"
         "      fi ;;\n"
         "    esac\n"
         "  done\n"
         "  if ((skip)); then\n"
         "    case $prev in\n"
         "    --formatter) reply=("
      << formatters
      << ") ;;\n"
         "    --completion) reply=(bash) ;;\n"
         "    --host) return 2 ;;\n"
         "    --fields) return 1 ;;\n"
         "    *) reply=(${(f)_orlocli_values[$cmdpath $prev]}) ;;\n"
         "    esac\n"
         "  elif ((atCommand)); then\n"
         "    reply=(${(f)_orlocli_options[$cmdpath]} '--formatter:output format' "
         "'--fields:fields to show' '--help:show help')\n"
         "  elif [[ ${words[CURRENT]} == -* ]]; then\n"
         "    reply=('--formatter:output format' '--fields:fields to show' '--help:show help')\n"
         "    [[ $cmdpath == : ]] && reply+=('--host:host state file' '--catalog:describe the tree as JSON' "
         "'--completion:print a completion script' '--version:print the version')\n"
         "  else\n"
         "    reply=(${(f)_orlocli_children[$cmdpath]})\n"
         "  fi\n"
         "}\n\n"
         "_orlocli() {\n"
         "  local -a reply\n"
         "  _orlocli_candidates\n"
         "  case $? in\n"
         "  0) _describe -t orlocli orlocli reply ;;\n"
         "  2) _files ;;\n"
         "  *) return 1 ;;\n"
         "  esac\n"
         "}\n\n"
         "if [[ ${zsh_eval_context[-1]} == loadautofunc ]]; then\n"
         "  _orlocli \"$@\"\n"
         "else\n"
         "  compdef _orlocli orlocli\n"
         "fi\n";
}

void WriteFish(const Json &catalog, std::ostream &out) {
  Tables tables = BuildTables(catalog);
  out << "# fish completion for orlocli, generated from its command tree by tools/gen-reference.\n\n";
  FishSwitch("__orlocli_children", "orlocli: the namespaces and commands under a path", tables.children, out);
  FishSwitch("__orlocli_options", "orlocli: the options of a command; fails for a namespace", tables.options,
             out);
  out << "function __orlocli_valued --description 'orlocli: the options of a command that take a value'\n"
         "    switch $argv[1]\n";
  for (const auto &[key, names] : tables.valued) {
    out << "        case " << FishQuote(key) << "\n";
    if (names.empty()) {
      out << "            return 0\n";
      continue;
    }
    out << "            printf '%s\\n'";
    for (const std::string &name : names)
      out << " " << FishQuote(name);
    out << "\n";
  }
  out << "        case '*'\n            return 1\n    end\nend\n\n";
  FishSwitch("__orlocli_values", "orlocli: the values of a command's option", tables.values, out);
  std::string formatters;
  for (const char *name : kFormatters)
    formatters += std::string(" ") + name;
  out << "function __orlocli_complete --description 'orlocli: candidates for the word being typed'\n"
         "    set -l words (commandline -opc)\n"
         "    set -l current (commandline -ct)\n"
         "    set -l path ':'\n"
         "    set -l skip 0\n"
         "    set -l atCommand 0\n"
         "    set -l valued\n"
         "    for word in $words[2..-1]\n"
         "        if test $skip = 1\n"
         "            set skip 0\n"
         "            continue\n"
         "        end\n"
         "        switch $word\n"
         "            case '--*=*'\n"
         "            case '-*'\n"
         "                if test $atCommand = 1; and contains -- $word $valued\n"
         "                    set skip 1\n"
         "                else if contains -- $word --formatter --fields --completion --host\n"
         "                    set skip 1\n"
         "                end\n"
         "            case '*'\n"
         "                test $atCommand = 1; and continue\n"
         "                set path \"$path $word\"\n"
         "                if __orlocli_options $path >/dev/null\n"
         "                    set atCommand 1\n"
         "                    set valued (__orlocli_valued $path)\n"
         "                end\n"
         "        end\n"
         "    end\n"
         "    if test $skip = 1\n"
         "        switch $words[-1]\n"
         "            case --formatter\n"
         "                printf '%s\\n'"
      << formatters
      << "\n"
         "            case --completion\n"
         "                echo bash\n"
         "            case --host\n"
         "                __fish_complete_path $current\n"
         "            case --fields\n"
         "            case '*'\n"
         "                __orlocli_values \"$path $words[-1]\"\n"
         "        end\n"
         "    else if test $atCommand = 1\n"
         "        __orlocli_options $path\n"
         "        printf '%s\\t%s\\n' --formatter 'output format' --fields 'fields to show' --help 'show help'\n"
         "    else if string match -q -- '-*' $current\n"
         "        printf '%s\\t%s\\n' --formatter 'output format' --fields 'fields to show' --help 'show help'\n"
         "        if test $path = ':'\n"
         "            printf '%s\\t%s\\n' --host 'host state file' --catalog 'describe the tree as JSON' "
         "--completion 'print a completion script' --version 'print the version'\n"
         "        end\n"
         "    else\n"
         "        __orlocli_children $path\n"
         "    end\n"
         "end\n\n"
         "complete -c orlocli -f -a '(__orlocli_complete)'\n";
}

} // namespace RefGen
