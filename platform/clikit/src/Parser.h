// Command-line parsing against the registered tree (internal to the framework).
#pragma once

#include <clikit/AutoCli.h>

#include <memory>
#include <string>
#include <vector>

namespace CliKit::Detail {

// Options the framework itself understands. Only Cli::Run accepts them.
struct GlobalOptions {
  bool help = false;
  bool version = false;
  bool catalog = false;
  bool internal = false;
  bool hasFormatter = false;
  std::string formatter;
  bool hasFields = false;
  std::string fields;
  bool hasCompletion = false;
  std::string completion;
};

struct ParseResult {
  std::vector<std::string> path;                  // the words that named nodes
  std::shared_ptr<AutoCli::NamespaceNode> node;   // the deepest node reached
  std::shared_ptr<AutoCli::Command> command;      // set when node is a command
  std::shared_ptr<CallSpec::InputSpec> inputSpec; // the command's parameters
  std::shared_ptr<CallSpec::Input> input;         // filled on success
  GlobalOptions globals;
  std::string usageError; // one line; empty on success
  // Required secrets that were not given; the caller may prompt for them.
  std::vector<std::shared_ptr<CallSpec::ParameterSpec>> missingSecrets;
};

// Parses `args`. With `acceptGlobals`, leading global options are taken and
// framework options are accepted anywhere a command does not declare the same
// name. `internalRoot` is used when --internal is given (or `useInternal`).
ParseResult Parse(const std::vector<std::string> &args, const std::shared_ptr<AutoCli::NamespaceNode> &root,
                  const std::shared_ptr<AutoCli::NamespaceNode> &internalRoot, bool acceptGlobals,
                  bool useInternal);

// Applies a value typed for a secret parameter, with the same checks as the
// command line; returns a usage error or an empty string.
std::string AcceptValue(const CallSpec::ParameterSpec &spec, const std::string &value,
                        CallSpec::Input &input);

// The missing-parameter message for `spec`.
std::string MissingMessage(const CallSpec::ParameterSpec &spec);

std::string JoinPath(const std::vector<std::string> &path);
std::string TypeName(CallSpec::ParameterType type);

} // namespace CliKit::Detail
