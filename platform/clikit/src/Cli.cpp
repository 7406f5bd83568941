#include <clikit/Cli.h>

#include "Describe.h"
#include "Format.h"
#include "Parser.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace CliKit {

Cli::Cli(std::shared_ptr<AutoCli::NamespaceNode> root, std::shared_ptr<AutoCli::NamespaceNode> internalRoot)
    : root_(std::move(root)), internalRoot_(std::move(internalRoot)) {}

void Cli::SetToolInfo(const std::string &name, const std::string &version) {
  toolName_ = name;
  toolVersion_ = version;
}

void Cli::SetUnusableCheck(std::function<bool(const std::exception &)> check) {
  unusable_ = std::move(check);
}

int FinishOutput(std::ostream &out, std::ostream &err, const std::string &toolName, int status) {
  // The stream keeps no reason; the failed write or flush left it in errno.
  if (out) {
    errno = 0;
    out.flush();
    if (out)
      return status;
  }
  const int error = errno;
  err << OneLine(toolName + ": cannot write to standard output" +
                 (error != 0 ? std::string(": ") + std::strerror(error) : std::string()))
      << "\n";
  return status == kExitOk ? kExitCommandError : status;
}

int OutputWidth() {
  if (const char *columns = std::getenv("COLUMNS")) {
    char *end = nullptr;
    long value = std::strtol(columns, &end, 10);
    if (*columns && *end == '\0' && value > 0 && value < 100000)
      return static_cast<int>(value);
  }
  winsize size{};
  if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 0;
}

std::string OneLine(const std::string &message) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(message.size());
  for (size_t i = 0; i < message.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(message[i]);
    if (c == '\n' && i + 1 == message.size())
      line += '\n';
    else if (c == '\n')
      line += "\\n";
    else if (c == '\r')
      line += "\\r";
    else if ((c < 0x20 && c != '\t') || c == 0x7f)
      line += std::string("\\x") + kHex[c >> 4] + kHex[c & 0xf];
    else
      line += static_cast<char>(c);
  }
  return line;
}

namespace {

// Runs the command; an exception that escapes it becomes kExitException, or
// kExitUnusable when `unusable` says so.
void RunCommand(Execution &execution, const std::function<bool(const std::exception &)> &unusable) {
  execution.output = CallSpec::Output::New();
  try {
    execution.command->Execute(execution.input, execution.output);
  } catch (const std::exception &error) {
    execution.status = unusable && unusable(error) ? kExitUnusable : kExitException;
    execution.failure = error.what();
    return;
  } catch (...) {
    execution.status = kExitException;
    execution.failure = "unknown exception";
    return;
  }
  execution.status = execution.output->HasError() ? kExitCommandError : kExitOk;
}

// Turns terminal echo off for the lifetime of the object, when `active`.
class EchoOff {
public:
  explicit EchoOff(bool active) {
    if (!active || ::tcgetattr(STDIN_FILENO, &saved_) != 0)
      return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    restore_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (restore_)
      ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff &) = delete;
  EchoOff &operator=(const EchoOff &) = delete;

private:
  termios saved_{};
  bool restore_ = false;
};

bool PromptSecret(const Terminal &terminal, std::ostream &err, const CallSpec::ParameterSpec &spec,
                  std::string &value) {
  err << "Value for --" << spec.GetName() << " (not shown): " << std::flush;
  bool ok = false;
  {
    EchoOff quiet(terminal.in == &std::cin && ::isatty(STDIN_FILENO) == 1);
    ok = static_cast<bool>(std::getline(*terminal.in, value));
  }
  err << "\n";
  return ok && !value.empty();
}

const MetaObj::MetaStruct *RootLayout(const MetaObj::MetaObjectPtr &root) {
  if (!root)
    return nullptr;
  if (root->GetType() == MetaObj::MetaType::Struct)
    return static_cast<const MetaObj::MetaStruct *>(root.get());
  if (root->GetType() == MetaObj::MetaType::List)
    return static_cast<const MetaObj::MetaList &>(*root).GetRowTemplate().get();
  return nullptr;
}

// --fields with a name that is no field of the command's output, or with no
// name at all, is refused before the command runs.
std::string CheckFields(AutoCli::Command &command, const std::string &fields) {
  if (Detail::NormalizeName(fields) == "all")
    return {};
  auto outputSpec = command.GetOutputSpec();
  const MetaObj::MetaStruct *layout = outputSpec ? RootLayout(outputSpec->GetRootObject()) : nullptr;
  if (!layout || layout->GetFields().empty())
    return {};
  std::string known;
  for (const auto &field : layout->GetFields())
    known += (known.empty() ? "" : ", ") + field.first;
  const std::string unknown = Detail::UnknownField(*layout, fields);
  if (!unknown.empty())
    return "Error: unknown field '" + unknown + "' in --fields; fields of " + layout->GetName() +
           " are: " + known + " (or all)";
  Detail::View view({}, true, fields, false, 0);
  if (!view.Plan(*layout, true).names.empty())
    return {};
  return "Error: --fields names no field of " + layout->GetName() + "; fields are: " + known + " (or all)";
}

} // namespace

Execution Cli::Execute(const std::vector<std::string> &args, bool internalTree) {
  Execution execution;
  Detail::ParseResult parsed;
  try {
    parsed = Detail::Parse(args, root_, internalRoot_, false, internalTree);
  } catch (const std::exception &error) {
    // A command's parameter declarations failed to build.
    execution.status = kExitException;
    execution.failure = error.what();
    return execution;
  }
  execution.command = parsed.command;
  execution.input = parsed.input;
  if (parsed.usageError.empty() && !parsed.missingSecrets.empty())
    parsed.usageError = Detail::MissingMessage(*parsed.missingSecrets.front());
  if (!parsed.usageError.empty()) {
    execution.status = kExitUsage;
    execution.usageError = parsed.usageError;
    return execution;
  }
  RunCommand(execution, unusable_);
  return execution;
}

int Cli::Run(const std::vector<std::string> &args, const Terminal &terminal) {
  std::ostream &out = terminal.out ? *terminal.out : std::cout;
  std::ostream &err = terminal.err ? *terminal.err : std::cerr;
  return FinishOutput(out, err, toolName_, RunAndPrint(args, terminal, out, err));
}

int Cli::RunAndPrint(const std::vector<std::string> &args, const Terminal &terminal, std::ostream &out,
                     std::ostream &err) {
  auto usage = [&err](const std::string &message) {
    err << OneLine(message) << "\n";
    return kExitUsage;
  };

  // Stage names the work in progress for the one-line report of a failure that
  // comes from the plug-in's code (spec builders, help, catalog, printing).
  std::string stage = "reading the command line";
  try {
    Detail::ParseResult parsed = Detail::Parse(args, root_, internalRoot_, true, false);
    const Detail::GlobalOptions &globals = parsed.globals;
    const auto &tree = globals.internal ? internalRoot_ : root_;
    if (globals.help) {
      stage = "writing help";
      if (parsed.command)
        out << Detail::CommandHelp(toolName_, parsed.path, *parsed.command, globals.internal);
      else
        out << Detail::NamespaceHelp(toolName_, parsed.path, *parsed.node, globals.internal);
      return kExitOk;
    }
    if (!parsed.usageError.empty())
      return usage(parsed.usageError);
    if (globals.version) {
      out << toolName_ << " " << toolVersion_ << "\n";
      return kExitOk;
    }
    if (globals.catalog) {
      stage = "writing the catalog";
      out << Detail::Catalog(*tree);
      return kExitOk;
    }
    if (globals.hasCompletion) {
      if (globals.completion != "bash")
        return usage("Error: unknown shell '" + globals.completion + "' for --completion; allowed: bash");
      stage = "writing the completion script";
      out << Detail::BashCompletion(toolName_, *tree);
      return kExitOk;
    }

    for (const auto &secret : parsed.missingSecrets) {
      std::string value;
      if (!terminal.inIsTerminal || !terminal.in)
        return usage(Detail::MissingMessage(*secret));
      if (!PromptSecret(terminal, err, *secret, value))
        return usage(Detail::MissingMessage(*secret));
      std::string error = Detail::AcceptValue(*secret, value, *parsed.input);
      if (!error.empty())
        return usage(error);
    }
    if (globals.hasFields) {
      std::string error = CheckFields(*parsed.command, globals.fields);
      if (!error.empty())
        return usage(error);
    }

    std::string commandPath = Detail::JoinPath(parsed.path);
    Execution execution;
    execution.command = parsed.command;
    execution.input = parsed.input;
    RunCommand(execution, unusable_);
    if (execution.status == kExitUnusable) {
      err << OneLine(toolName_ + ": " + execution.failure) << "\n";
      return kExitUnusable;
    }
    if (execution.status == kExitException) {
      err << OneLine("Error: internal failure in command '" + commandPath + "': " + execution.failure)
          << "\n";
      return kExitException;
    }

    stage = "printing the output of command '" + commandPath + "'";
    std::string formatter =
        globals.hasFormatter ? globals.formatter : parsed.command->GetDefaultOutputFormatter();
    if (!Detail::IsFormatterName(formatter))
      formatter = "simple";
    Detail::View view(parsed.command->GetDefaultOutputParameters(), globals.hasFields, globals.fields,
                      Detail::IsMachineFormatter(formatter), terminal.width);
    out << Detail::Render(formatter, execution.output->GetRootObject(), view);
    // Before the error messages, which follow the output they belong to.
    out.flush();
    for (const std::string &message : execution.output->GetErrorMessages())
      err << OneLine(message) << "\n";
    return execution.status;
  } catch (const std::exception &error) {
    if (unusable_ && unusable_(error)) {
      err << OneLine(toolName_ + ": " + error.what()) << "\n";
      return kExitUnusable;
    }
    err << OneLine("Error: internal failure while " + stage + ": " + error.what()) << "\n";
  } catch (...) {
    err << "Error: internal failure while " << stage << ": unknown exception\n";
  }
  return kExitException;
}

} // namespace CliKit
