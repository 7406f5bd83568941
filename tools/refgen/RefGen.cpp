// Turns the catalog that `orlocli --catalog` prints (on standard input) into
// the files generated from the registered tree:
//   gen-reference                 the Markdown reference (docs/reference.md)
//   gen-reference man             orlocli(1)
//   gen-reference man-host TOOL   orlocli-host(1), from the help of TOOL (no catalog)
//   gen-reference zsh|fish        the completion scripts
#include "Catalog.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace RefGen {

std::string Path(const Json &path) {
  std::string out;
  for (const auto &word : path) {
    if (!out.empty())
      out += ' ';
    out += word.get<std::string>();
  }
  return out;
}

std::string ShellQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Text(const Json &value) {
  return value.is_null() ? std::string() : value.get<std::string>();
}

std::string ExpandEnums(const Json &parameter) {
  const std::string description = Text(parameter["description"]);
  std::string brief = "[";
  std::string full;
  const Json &constraint = parameter["constraint"];
  if (!constraint.is_null() && constraint["kind"] == "enum") {
    for (const auto &value : constraint["values"]) {
      brief += (brief.size() > 1 ? ", " : "") + value["value"].get<std::string>();
      full += "\n" + value["value"].get<std::string>();
      if (!value["description"].is_null())
        full += ": " + value["description"].get<std::string>();
    }
  }
  brief += "]";
  std::string out;
  for (size_t at = 0; at < description.size();) {
    size_t next = std::min(description.find("%FULLENUM%", at), description.find("%ENUM%", at));
    if (next == std::string::npos) {
      out.append(description, at, std::string::npos);
      break;
    }
    out.append(description, at, next - at);
    const bool isFull = description.compare(next, 10, "%FULLENUM%") == 0;
    out += isFull ? full : brief;
    at = next + (isFull ? 10 : 6);
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> CompletionValues(const Json &parameter) {
  std::vector<std::pair<std::string, std::string>> values;
  if (parameter["type"] == "boolean")
    values = {{"true", ""}, {"false", ""}};
  const Json &constraint = parameter["constraint"];
  if (!constraint.is_null() && constraint["kind"] == "enum")
    for (const auto &value : constraint["values"])
      values.emplace_back(value["value"].get<std::string>(), Text(value["description"]));
  return values;
}

namespace {

// Table cells cannot hold pipes or line breaks.
std::string Cell(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else if (c == '\n')
      out += "<br>";
    else
      out += c;
  }
  return out;
}

std::string Constraint(const Json &constraint) {
  if (constraint.is_null())
    return "";
  if (constraint["kind"] == "range")
    return std::to_string(constraint["low"].get<long long>()) + " to " +
           std::to_string(constraint["high"].get<long long>());
  std::string out;
  for (const auto &value : constraint["values"]) {
    if (!out.empty())
      out += ", ";
    out += "`" + value["value"].get<std::string>() + "`";
    if (!value["description"].is_null())
      out += " (" + value["description"].get<std::string>() + ")";
  }
  return out;
}

void Command(const Json &command, std::ostream &out) {
  const std::string path = Path(command["path"]);
  out << "### " << path << "\n\n" << Text(command["description"]) << "\n\n";

  const Json &params = command["parameters"];
  if (params.empty()) {
    out << "No options.\n\n";
  } else {
    out << "| Option | Type | Required | Allowed | Description |\n|---|---|---|---|---|\n";
    for (const auto &p : params) {
      std::string names = "`--" + p["long"].get<std::string>() + "`";
      if (!p["short"].is_null())
        names = "`-" + p["short"].get<std::string>() + "`, " + names;
      out << "| " << names << " | " << p["type"].get<std::string>() << " | "
          << (p["required"].get<bool>() ? "yes" : "no") << " | " << Cell(Constraint(p["constraint"])) << " | "
          << Cell(Text(p["description"])) << (p["secret"].get<bool>() ? " (secret)" : "") << " |\n";
    }
    out << "\n";
  }

  const Json &output = command["output"];
  std::string shape = output["kind"].get<std::string>();
  if (shape == "list")
    shape += " of " + (output["structure"].is_null() ? output["elements"].get<std::string>()
                                                     : "`" + output["structure"].get<std::string>() + "`");
  else if (!output["structure"].is_null())
    shape += " `" + output["structure"].get<std::string>() + "`";
  out << "Output: " << shape;
  if (!command["formatter"].is_null())
    out << ", shown as `" << command["formatter"].get<std::string>() << "`";
  out << ".\n";
  if (!output["fields"].empty()) {
    out << "Fields:";
    bool first = true;
    for (const auto &field : output["fields"]) {
      out << (first ? " " : ", ") << "`" << field["name"].get<std::string>() << "` ("
          << field["type"].get<std::string>() << ")";
      first = false;
    }
    out << ".\n";
  }
  for (const auto &parameter : command["outputParameters"])
    out << "Default `" << parameter[0].get<std::string>() << "`: `" << parameter[1].get<std::string>()
        << "`\n";
  out << "\n";

  if (!command["examples"].empty()) {
    out << "Examples:\n\n";
    for (const auto &example : command["examples"]) {
      std::string tail = example[0].get<std::string>();
      out << "- `orlocli " << path << (tail.empty() ? "" : " ") << tail
          << "`: " << example[1].get<std::string>() << "\n";
    }
    out << "\n";
  }
}

} // namespace

void WriteMarkdown(const Json &catalog, std::ostream &out) {
  out << "# Command reference\n\n"
         "Generated by `tools/gen-reference` from `orlocli --catalog`; do not edit by hand.\n\n"
         "## Namespaces\n\n| Namespace | Description |\n|---|---|\n";
  for (const auto &ns : catalog["namespaces"])
    out << "| " << Path(ns["path"]) << " | " << Cell(Text(ns["description"])) << " |\n";
  out << "\n## Commands\n\n";
  for (const auto &command : catalog["commands"])
    Command(command, out);
}

} // namespace RefGen

int main(int argc, char **argv) {
  const std::string mode = argc > 1 ? argv[1] : "markdown";
  if (mode == "man-host") {
    if (argc != 3) {
      std::cerr << "usage: gen-reference man-host ORLOCLI-HOST\n";
      return 2;
    }
    return RefGen::WriteHostManPage(argv[2], std::cout);
  }
  RefGen::Json catalog;
  try {
    catalog = RefGen::Json::parse(std::cin);
  } catch (const std::exception &e) {
    std::cerr << "gen-reference: the catalog is not JSON: " << e.what() << "\n";
    return 1;
  }
  if (mode == "markdown")
    RefGen::WriteMarkdown(catalog, std::cout);
  else if (mode == "man")
    RefGen::WriteManPage(catalog, std::cout);
  else if (mode == "zsh")
    RefGen::WriteZsh(catalog, std::cout);
  else if (mode == "fish")
    RefGen::WriteFish(catalog, std::cout);
  else {
    std::cerr
        << "usage: gen-reference [markdown|man|zsh|fish] < catalog, or gen-reference man-host ORLOCLI-HOST\n";
    return 2;
  }
  return 0;
}
