// orlocli(1) from the catalog, orlocli-host(1) from the host tool's own help.
#include "Catalog.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace RefGen {

namespace {

// One roff text line: backslashes and minus signs escaped (so options print as
// ASCII hyphens and copy into a shell), a leading dot or quote neutralised.
std::string RoffLine(const std::string &line) {
  std::string out;
  for (char c : line) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\''))
    out = "\\&" + out;
  return out;
}

// Text of several lines in fill mode: each line kept as a line (.br), an empty
// line as a blank line.
std::string Roff(const std::string &text) {
  std::string out;
  std::istringstream lines(text);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!first)
      out += line.empty() ? "" : ".br\n";
    first = false;
    out += line.empty() ? ".sp\n" : RoffLine(line) + "\n";
  }
  return out;
}

// Preformatted text (help screens) kept as it is laid out.
std::string RoffVerbatim(const std::string &text) {
  std::string out = ".nf\n";
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line))
    out += line.empty() ? ".sp\n" : RoffLine(line) + "\n";
  return out + ".fi\n";
}

std::string Option(const std::string &name) {
  return "\\fB" + RoffLine(name) + "\\fR";
}

void Parameter(const Json &p, std::ostream &out) {
  std::string names = Option("--" + p["long"].get<std::string>());
  if (!p["short"].is_null())
    names = Option("-" + p["short"].get<std::string>()) + ", " + names;
  const std::string type = p["type"].get<std::string>();
  if (type != "flag")
    names += " \\fI" + type + "\\fR";
  if (p["required"].get<bool>())
    names += " (required)";
  out << ".TP\n" << names << "\n" << Roff(ExpandEnums(p));
  const Json &constraint = p["constraint"];
  if (!constraint.is_null() && constraint["kind"] == "range")
    out << ".br\nFrom " << constraint["low"].get<long long>() << " to " << constraint["high"].get<long long>()
        << ".\n";
  if (p["secret"].get<bool>())
    out << ".br\nSecret: never printed; asked for on a terminal when missing.\n";
  if (type == "stringlist")
    out << ".br\nRepeat the option for several values.\n";
}

void Command(const Json &command, std::ostream &out) {
  const std::string path = Path(command["path"]);
  out << ".SS \"" << RoffLine(path) << "\"\n" << Roff(Text(command["description"]));
  if (!command["parameters"].empty()) {
    out << ".RS\n";
    for (const auto &p : command["parameters"])
      Parameter(p, out);
    out << ".RE\n";
  }
  const Json &fields = command["output"]["fields"];
  if (!fields.empty()) {
    std::string names;
    for (const auto &field : fields)
      names += (names.empty() ? "" : ", ") + field["name"].get<std::string>();
    out << ".PP\nFields: " << RoffLine(names) << ".\n";
  }
  for (const auto &example : command["examples"]) {
    std::string tail = example[0].get<std::string>();
    out << ".PP\n.RS\n\\fBorlocli " << RoffLine(path + (tail.empty() ? "" : " ") + tail) << "\\fR\n.br\n"
        << Roff(example[1].get<std::string>()) << ".RE\n";
  }
}

// The parts of orlocli(1) that belong to the tool rather than to its tree.
const char *const kToolSections = R"(.SH GLOBAL OPTIONS
These come before the command path, except \fB\-\-formatter\fR, \fB\-\-fields\fR
and \fB\-\-help\fR, which may also follow the command's own options.
.TP
\fB\-\-host\fR \fIfile\fR, \fB\-\-host=\fR\fIfile\fR
The host state file to work on (see \fBHOST SELECTION\fR).
.TP
\fB\-\-formatter\fR \fIname\fR
Output format: \fBtable\fR, \fBsimple\fR, \fBjson\fR, \fBxml\fR, \fBcsv\fR or \fBkeyvalue\fR.
Each command has a default view (table or simple).
.TP
\fB\-\-fields\fR \fIlist\fR
The fields to show, comma\-separated; \fBall\fR shows every field.
.TP
\fB\-\-help\fR
Help for the namespace or command named before it.
.TP
\fB\-\-version\fR
Print the version.
.TP
\fB\-\-catalog\fR
Print a JSON description of every namespace and command.
.TP
\fB\-\-completion bash\fR
Print a bash completion script.
.TP
\fB\-\-internal\fR
Run or describe the internal tree.
.SH HOST SELECTION
Every command works on one simulated host, a JSON file: the file given by
\fB\-\-host\fR; else the file named by \fBORLOCLI_HOST\fR; else
\fI$XDG_STATE_HOME/orlocli/host.json\fR (\fI~/.local/state/orlocli/host.json\fR),
created from the built\-in \fBdefault\fR profile on first use.
\fBorlocli\-host\fR(1) creates, shows and changes hosts.
.SH OUTPUT FORMATS
\fBtable\fR prints one row per record; \fBsimple\fR one block per record.
Tables fit \fBCOLUMNS\fR or the terminal; sent to a pipe or a file they are
never cut.
\fBjson\fR, \fBxml\fR, \fBcsv\fR and \fBkeyvalue\fR show every field of the
output structure unless \fB\-\-fields\fR is given, and values as they are
(no units).
.SH EXIT STATUS
.TP
.B 0
The command ran and reported no error.
.TP
.B 1
The command reported errors (on standard error), or standard output could not be written.
.TP
.B 2
The command line was refused before the command ran.
.TP
.B 3
A command failed unexpectedly.
.TP
.B 4
The host state or a plug\-in could not be used (a host file that cannot be
read, parsed or written included).
.SH ENVIRONMENT
.TP
.B ORLOCLI_HOST
The host file, when \fB\-\-host\fR is not given.
.TP
.B XDG_STATE_HOME
Where the default host lives (default \fI~/.local/state\fR).
.TP
.B ORLOCLI_PLUGIN_DIR
Load the plug\-ins from this directory instead of the installed one.
.TP
.B COLUMNS
The width tables fit.
.SH FILES
.TP
.I ~/.local/state/orlocli/host.json
The default host.
.TP
.I host.json.lock
Created beside a host file by the commands that change it.
.TP
.I /usr/lib/orlocli/plugins/
The plug\-in directory (relative to the installed \fBorlocli\fR: \fI../lib/orlocli/plugins\fR):
\fIlibcore\-storage.so\fR first, then every other \fI*.so\fR in name order.
)";

std::string RunTool(const std::string &command, int &status) {
  std::string output;
  FILE *pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, got);
  status = ::pclose(pipe);
  return output;
}

} // namespace

void WriteManPage(const Json &catalog, std::ostream &out) {
  out << ".\\\" Generated by tools/gen-reference from `orlocli --catalog`; do not edit by hand.\n"
         ".TH ORLOCLI 1 \"\" \"orlocli\" \"User Commands\"\n"
         ".SH NAME\norlocli \\- run storage commands on a simulated host\n"
         ".SH SYNOPSIS\n.B orlocli\n[\\fIglobal options\\fR] \\fInamespace\\fR... \\fIcommand\\fR [\\fIoptions\\fR]\n"
         ".br\n.B orlocli\n[\\fInamespace\\fR...] \\fB\\-\\-help\\fR\n"
         ".SH DESCRIPTION\n\\fBorlocli\\fR opens a simulated host, loads its command plug\\-ins and runs one\n"
         "command of the tree they register. Namespaces group commands; "
         "\\fBorlocli\\fR \\fInamespace\\fR... \\fB\\-\\-help\\fR lists what a namespace holds.\n"
      << kToolSections << ".SH NAMESPACES\n";
  for (const auto &ns : catalog["namespaces"])
    out << ".TP\n.B \"" << RoffLine(Path(ns["path"])) << "\"\n" << Roff(Text(ns["description"]));
  out << ".SH COMMANDS\n";
  for (const auto &command : catalog["commands"])
    Command(command, out);
  out << ".SH SEE ALSO\n\\fBorlocli\\-host\\fR(1)\n";
}

int WriteHostManPage(const std::string &hostTool, std::ostream &out) {
  int status = 0;
  const std::string main = RunTool(ShellQuote(hostTool) + " --help", status);
  if (status != 0 || main.empty()) {
    std::cerr << "gen-reference: " << hostTool << " --help failed\n";
    return 1;
  }
  // The paragraphs between the usage line and "Commands:" describe the tool;
  // each command line under "Commands:" starts with two blanks and its name.
  std::istringstream lines(main);
  std::string line;
  std::string usage;
  std::string description;
  std::vector<std::string> commands;
  std::string section = "usage";
  std::string options;
  while (std::getline(lines, line)) {
    if (line == "Commands:" || line == "Options:" || line.rfind("Exit status:", 0) == 0) {
      section = line;
      if (section != "Commands:" && section != "Options:")
        continue;
      continue;
    }
    if (section == "usage") {
      if (usage.empty())
        usage = line.substr(line.find(':') + 2);
      else
        description += line + "\n";
    } else if (section == "Commands:" && line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ') {
      std::string name = line.substr(2, line.find(' ', 2) - 2);
      if (commands.empty() || commands.back() != name)
        commands.push_back(name);
    } else if (section == "Options:") {
      options += line + "\n";
    }
  }
  while (!description.empty() && description.front() == '\n')
    description.erase(0, 1);
  out << ".\\\" Generated by tools/gen-reference from `orlocli-host --help`; do not edit by hand.\n"
         ".TH ORLOCLI\\-HOST 1 \"\" \"orlocli\" \"User Commands\"\n"
         ".SH NAME\norlocli\\-host \\- create, show, validate and fault\\-inject simulated hosts\n"
         ".SH SYNOPSIS\n"
      << RoffVerbatim(usage) << ".SH DESCRIPTION\n"
      << Roff(description) << ".SH OPTIONS\n"
      << RoffVerbatim(options) << ".SH COMMANDS\n";
  for (const std::string &command : commands) {
    const std::string help = RunTool(ShellQuote(hostTool) + " " + command + " --help", status);
    if (status != 0 || help.empty()) {
      std::cerr << "gen-reference: " << hostTool << " " << command << " --help failed\n";
      return 1;
    }
    out << ".SS " << RoffLine(command) << "\n" << RoffVerbatim(help);
  }
  out << ".SH EXIT STATUS\n.TP\n.B 0\nDone.\n.TP\n.B 1\nThe operation failed.\n.TP\n.B 2\nUsage error.\n"
         ".TP\n.B 4\nThe host state is unusable.\n"
         ".SH ENVIRONMENT\n.TP\n.B ORLOCLI_HOST\nThe host file, when \\fB\\-\\-host\\fR is not given.\n"
         ".TP\n.B XDG_STATE_HOME\nWhere the default host lives (default \\fI~/.local/state\\fR).\n"
         ".SH FILES\n.TP\n.I ~/.local/state/orlocli/host.json\nThe default host.\n"
         ".SH SEE ALSO\n\\fBorlocli\\fR(1)\n";
  return 0;
}

} // namespace RefGen
