// Writes the seed inputs and dictionaries that come from the registered tree
// and the built-in profiles:
//   <out>/argv/   every command path, with --help, and with each of its examples
//   <out>/state/  every built-in profile, as written and as saved
//   <out>/argv.dict, <out>/state.dict   words libFuzzer splices into inputs
// tools/fuzz adds the command lines found in the docs and the tests.
#include "FuzzSupport.h"

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>

namespace {

using CliKit::AutoCli::Command;
using CliKit::AutoCli::NamespaceNode;

class SeedWriter {
public:
  explicit SeedWriter(std::string directory) : directory_(std::move(directory)) {}

  void Write(const std::string &content) {
    char name[32];
    std::snprintf(name, sizeof name, "/seed-%05zu", count_++);
    std::ofstream file(directory_ + name, std::ios::binary);
    file << content;
    if (!file)
      throw std::runtime_error("cannot write " + directory_ + name);
  }
  // One argument per line, as the argv target splits its input.
  void WriteArgs(const std::vector<std::string> &args) {
    std::string content;
    for (const std::string &arg : args)
      content += arg + "\n";
    Write(content);
  }
  size_t Count() const { return count_; }

private:
  std::string directory_;
  size_t count_ = 0;
};

void WalkTree(NamespaceNode &node, std::vector<std::string> &path, SeedWriter &seeds,
              std::set<std::string> &words) {
  for (const auto &[name, child] : node.GetChildren()) {
    words.insert(name);
    path.push_back(name);
    std::vector<std::string> help = path;
    help.push_back("--help");
    seeds.WriteArgs(help);
    if (child->IsCommand()) {
      auto &command = static_cast<Command &>(*child);
      seeds.WriteArgs(path);
      std::vector<CliKit::CallSpec::Example> examples = command.GetExamples();
      auto inputs = command.GetInputSpec();
      if (inputs) {
        examples.insert(examples.end(), inputs->GetExamples().begin(), inputs->GetExamples().end());
        for (const auto &parameter : inputs->GetParameters()) {
          words.insert("--" + parameter->GetName());
          if (!parameter->GetShortName().empty())
            words.insert("-" + parameter->GetShortName());
          if (const auto &constraint = parameter->GetConstraint()) {
            for (const auto &value : constraint->GetEnumValues())
              words.insert(value.value);
          }
        }
      }
      for (const auto &example : examples) {
        std::vector<std::string> args = FuzzSupport::SplitCommandLine(example.commandLineTail);
        // A tail may or may not repeat the command path.
        if (args.empty() || args.front() != path.front())
          args.insert(args.begin(), path.begin(), path.end());
        seeds.WriteArgs(args);
      }
    } else {
      WalkTree(*child, path, seeds, words);
    }
    path.pop_back();
  }
}

void CollectKeys(const nlohmann::json &value, std::set<std::string> &keys) {
  if (value.is_object()) {
    for (const auto &item : value.items()) {
      keys.insert(item.key());
      CollectKeys(item.value(), keys);
    }
  } else if (value.is_array()) {
    for (const auto &element : value)
      CollectKeys(element, keys);
  } else if (value.is_string() && value.get_ref<const std::string &>().size() <= 24) {
    keys.insert(value.get<std::string>());
  }
}

// A libFuzzer dictionary: one quoted token per line, escaped.
void WriteDictionary(const std::string &path, const std::set<std::string> &tokens) {
  std::ofstream file(path);
  for (const std::string &token : tokens) {
    if (token.empty())
      continue;
    file << '"';
    for (unsigned char c : token) {
      if (c == '"' || c == '\\')
        file << '\\' << c;
      else if (c >= 0x20 && c < 0x7F)
        file << c;
      else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        file << escaped;
      }
    }
    file << "\"\n";
  }
  if (!file)
    throw std::runtime_error("cannot write " + path);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds OUTPUT-DIRECTORY (with argv/ and state/ in it)\n";
    return 2;
  }
  const std::string out = argv[1];
  try {
    FuzzSupport::InstallDefaultHost();

    SeedWriter argvSeeds(out + "/argv");
    std::set<std::string> words = {"--formatter",
                                   "--fields",
                                   "--help",
                                   "--version",
                                   "--catalog",
                                   "--completion",
                                   "--internal",
                                   "bash",
                                   "all",
                                   "table",
                                   "simple",
                                   "json",
                                   "xml",
                                   "csv",
                                   "keyvalue",
                                   "true",
                                   "false",
                                   "yes",
                                   "no",
                                   "0",
                                   "1",
                                   "-1",
                                   "9223372036854775807",
                                   "-9223372036854775808",
                                   "9223372036854775808"};
    std::vector<std::string> path;
    WalkTree(FuzzSupport::PluginRoot(), path, argvSeeds, words);
    path = {"--internal"};
    WalkTree(FuzzSupport::PluginInternalRoot(), path, argvSeeds, words);
    for (const char *formatter : {"table", "simple", "json", "xml", "csv", "keyvalue"})
      argvSeeds.WriteArgs({"--formatter", formatter, "storage", "core", "adapter", "list"});
    argvSeeds.WriteArgs({"--fields", "all", "storage", "core", "device", "list"});
    argvSeeds.WriteArgs({"--catalog"});
    argvSeeds.WriteArgs({"--completion", "bash"});
    argvSeeds.WriteArgs({"--version"});
    argvSeeds.WriteArgs({"--help"});
    WriteDictionary(out + "/argv.dict", words);

    SeedWriter stateSeeds(out + "/state");
    std::set<std::string> keys;
    for (const std::string &profile : OlkCtl::Sim::ProfileNames()) {
      const std::string document = OlkCtl::Sim::ProfileJson(profile);
      stateSeeds.Write(document);
      OlkCtl::Sim::UseHostFromJson(document);
      const std::string saved = OlkCtl::Sim::CurrentStateJson();
      stateSeeds.Write(saved);
      CollectKeys(nlohmann::json::parse(saved), keys);
    }
    WriteDictionary(out + "/state.dict", keys);

    std::cout << argvSeeds.Count() << " argv seeds, " << words.size() << " argv words, " << stateSeeds.Count()
              << " state seeds, " << keys.size() << " state words\n";
  } catch (const std::exception &error) {
    std::cerr << "fuzz_seeds: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
