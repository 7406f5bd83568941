// Shared test helpers: in-memory hosts and in-process command runs through the
// real framework and the registered plug-in tree.
#pragma once

#include <clikit/Cli.h>

#include <string>
#include <vector>

namespace TestSupport {

// Makes an in-memory host current (no file is touched).
void UseHostJson(const std::string &jsonText);
void UseProfile(const std::string &profileName = "default");

// The default profile's document with `patch` (a JSON merge patch, RFC 7396)
// applied: the usual way to write a small variation of the default host inline.
std::string PatchedProfile(const std::string &patch, const std::string &profileName = "default");

// Runs a command path with its options, e.g. {"storage","core","adapter","list"}.
CliKit::Execution Run(const std::vector<std::string> &args);

// The error messages of an execution, in order (empty when it was refused).
std::vector<std::string> Errors(const CliKit::Execution &execution);

// Path of a built tool (orlocli, orlocli-host) and of the source tree.
std::string BinPath(const std::string &tool);
std::string SourcePath(const std::string &relative);

} // namespace TestSupport
