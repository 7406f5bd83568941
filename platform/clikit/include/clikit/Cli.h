// The framework's driver: parses a command line against the registered tree,
// runs the command and prints its output.
#pragma once

#include <clikit/AutoCli.h>
#include <clikit/Export.h>

#include <exception>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace CliKit {

// Exit statuses of Cli::Run.
enum ExitStatus : int {
  kExitOk = 0,           // no error message
  kExitCommandError = 1, // the command added error messages
  kExitUsage = 2,        // the command line was refused before the command ran
  kExitException = 3,    // an exception escaped the command
  kExitUnusable = 4,     // what the tool works on (its host) cannot be used
};

// The result of running one command without printing it.
struct Execution {
  int status = kExitOk;
  std::shared_ptr<AutoCli::Command> command; // null when the path named no command
  std::shared_ptr<CallSpec::Input> input;
  std::shared_ptr<CallSpec::Output> output; // null when refused before execution
  std::string usageError;                   // set with kExitUsage
  std::string failure; // what() of an escaped exception, with kExitException or kExitUnusable
};

struct Terminal {
  std::istream *in = nullptr;
  std::ostream *out = nullptr;
  std::ostream *err = nullptr;
  bool inIsTerminal = false; // secrets are prompted for only on a terminal
  int width = 0;             // columns available to tables; 0 means no limit
};

// The width tables should fit on standard output: $COLUMNS when it is a positive
// number, else the window width when standard output is a terminal, else 0 (no
// limit, so that piped output is never cut).
CLIKIT_API int OutputWidth();

class CLIKIT_API Cli {
public:
  // `internalRoot` may be null; it is reached with `--internal` and never shown in
  // the normal help.
  Cli(std::shared_ptr<AutoCli::NamespaceNode> root,
      std::shared_ptr<AutoCli::NamespaceNode> internalRoot = nullptr);

  // Parses and executes a command path with its options (no global options),
  // returning the output tree for in-process callers such as tests.
  Execution Execute(const std::vector<std::string> &args, bool internalTree = false);

  // Full command line after the program name: global options, help, catalog,
  // completion, execution and printing. Returns the exit status.
  int Run(const std::vector<std::string> &args, const Terminal &terminal);

  // The name and version printed by --version and used in help texts.
  void SetToolInfo(const std::string &name, const std::string &version);

  // Exceptions for which `check` is true say that what the tool works on cannot
  // be used (a host file that cannot be read or written): a command they escape
  // ends with kExitUnusable and the line "<tool>: <what()>", not as a failure of
  // the command.
  void SetUnusableCheck(std::function<bool(const std::exception &)> check);

private:
  int RunAndPrint(const std::vector<std::string> &args, const Terminal &terminal, std::ostream &out,
                  std::ostream &err);

  std::shared_ptr<AutoCli::NamespaceNode> root_;
  std::shared_ptr<AutoCli::NamespaceNode> internalRoot_;
  std::string toolName_ = "cli";
  std::string toolVersion_ = "0";
  std::function<bool(const std::exception &)> unusable_;
};

// Flushes `out`; when standard output could not be written (a full disk, a
// closed descriptor), says so in one line on `err` and returns kExitCommandError
// if `status` was kExitOk, else `status`.
CLIKIT_API int FinishOutput(std::ostream &out, std::ostream &err, const std::string &toolName, int status);

// `message` made safe to print as one line of standard error: line breaks and
// other control characters (not tabs) become escapes such as \n and \x1b, so
// that a name a user typed cannot split a message or drive the terminal. A final
// line break, which a few of the system's own texts end with, is kept.
CLIKIT_API std::string OneLine(const std::string &message);

} // namespace CliKit
