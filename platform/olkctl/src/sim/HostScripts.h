// The table of host scripts the simulated host serves: one line per script,
// its handler defined beside the operations of the family it works on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace OlkCtl::Sim {

// The words after the script's path, split on blanks.
using ScriptArgs = std::vector<std::string>;
using ScriptHandler = int (*)(const ScriptArgs &args, std::string &outputText, const std::string &inputText);

struct HostScript {
  std::string_view path;
  ScriptHandler run;
};

// Handlers (api/<Family>.cpp).
int RunSmartdInitScript(const ScriptArgs &args, std::string &outputText, const std::string &inputText);
int RunNotifyDatastoreScript(const ScriptArgs &args, std::string &outputText, const std::string &inputText);

// Adding a script: declare its handler above and add its line here.
inline constexpr HostScript kHostScripts[] = {
    {"/etc/init.d/smartd", RunSmartdInitScript},
    {"/usr/lib/tarvex/hmgrd/bin/notifyDatastore.py", RunNotifyDatastoreScript},
};

} // namespace OlkCtl::Sim
