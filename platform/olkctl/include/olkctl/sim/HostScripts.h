// The host's own scripts (service init scripts, the management daemon's
// notification script), served by the simulated host instead of a shell.
#pragma once

#include <hostctl/Export.h>

#include <optional>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

// When the command line's first word is the path of one of the host's scripts,
// runs that script against the current host and returns its exit status;
// otherwise returns nothing and the caller runs the line as it would.
OLKCTL_API std::optional<int> RunHostScript(const std::string &commandLine, std::string &outputText,
                                            const std::string &inputText);
// The paths served, in table order.
OLKCTL_API std::vector<std::string> HostScriptPaths();

} // namespace OlkCtl::Sim
