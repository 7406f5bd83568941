// What every generator reads from the catalog that `orlocli --catalog` prints.
#pragma once

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace RefGen {

using Json = nlohmann::ordered_json;

// "storage core adapter list"
std::string Path(const Json &path);
// Single-quoted for sh, bash and zsh: a quote becomes '\''.
std::string ShellQuote(const std::string &text);
// A description, or "" for null.
std::string Text(const Json &value);
// A parameter's description with %ENUM% as "[a, b]" and %FULLENUM% as one
// "value: description" line per allowed value, as help shows it.
std::string ExpandEnums(const Json &parameter);
// The values a parameter's own value completes from: its enumeration, or
// true/false for a boolean; each with its description ("" when none).
std::vector<std::pair<std::string, std::string>> CompletionValues(const Json &parameter);

// The generators; each writes its whole file.
void WriteMarkdown(const Json &catalog, std::ostream &out);
void WriteManPage(const Json &catalog, std::ostream &out);
// orlocli-host has no registered tree: its page is built from its own help
// texts, read by running the tool.
int WriteHostManPage(const std::string &hostTool, std::ostream &out);
void WriteZsh(const Json &catalog, std::ostream &out);
void WriteFish(const Json &catalog, std::ostream &out);

} // namespace RefGen
