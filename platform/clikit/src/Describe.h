// Texts generated from the registered tree: help, the catalog and the bash
// completion script (internal to the framework).
#pragma once

#include <clikit/AutoCli.h>

#include <string>
#include <vector>

namespace CliKit::Detail {

// `internal` marks the internal tree, reached with --internal.
std::string NamespaceHelp(const std::string &tool, const std::vector<std::string> &path,
                          const AutoCli::NamespaceNode &node, bool internal);
std::string CommandHelp(const std::string &tool, const std::vector<std::string> &path,
                        AutoCli::Command &command, bool internal);

// A parameter description with "%ENUM%" replaced by "[a, b]" and "%FULLENUM%" by
// one "value: description" line per allowed value, each led by `indent`.
std::string ExpandEnums(const std::string &description, const CallSpec::ParameterConstraint *constraint,
                        const std::string &indent);

// Every example of a command: those of its CommandSpec, then those of its InputSpec.
std::vector<CallSpec::Example> AllExamples(const AutoCli::Command &command, const CallSpec::InputSpec *spec);

std::string Catalog(const AutoCli::NamespaceNode &root);
std::string BashCompletion(const std::string &tool, const AutoCli::NamespaceNode &root);

} // namespace CliKit::Detail
