#include <olkctl/sim/HostScripts.h>

#include "sim/HostScripts.h"

#include <sstream>

namespace OlkCtl::Sim {

std::optional<int> RunHostScript(const std::string &commandLine, std::string &outputText,
                                 const std::string &inputText) {
  std::istringstream words(commandLine);
  std::string path;
  words >> path;
  for (const HostScript &script : kHostScripts) {
    if (path != script.path)
      continue;
    ScriptArgs args;
    for (std::string word; words >> word;)
      args.push_back(word);
    outputText.clear();
    return script.run(args, outputText, inputText);
  }
  return std::nullopt;
}

std::vector<std::string> HostScriptPaths() {
  std::vector<std::string> paths;
  for (const HostScript &script : kHostScripts)
    paths.emplace_back(script.path);
  return paths;
}

} // namespace OlkCtl::Sim
