// Arbitrary argument vectors through the real framework and the registered
// plug-in tree, against the in-memory default host: parsing, help, catalog,
// completion, every command and every formatter.
#include "FuzzSupport.h"

#include <olkctl/sim/HostControl.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr size_t kMaxArgs = 48;

std::string Context(const std::vector<std::string> &args) {
  return "arguments:\n" + FuzzSupport::Describe(args);
}

bool HasNewline(const std::vector<std::string> &args) {
  for (const std::string &arg : args) {
    if (arg.find('\n') != std::string::npos)
      return true;
  }
  return false;
}

// What Execute promises its in-process callers.
void CheckExecution(const CliKit::Execution &execution, const std::vector<std::string> &args) {
  switch (execution.status) {
  case CliKit::kExitOk:
  case CliKit::kExitCommandError:
    if (!execution.command || !execution.output)
      FuzzSupport::Fail("a command ran but the execution lacks its command or output", Context(args));
    if (execution.output->HasError() != (execution.status == CliKit::kExitCommandError))
      FuzzSupport::Fail("the status does not match the error messages", Context(args));
    break;
  case CliKit::kExitUsage:
    if (execution.usageError.empty())
      FuzzSupport::Fail("a usage error without a message", Context(args));
    if (!HasNewline(args) && execution.usageError.find('\n') != std::string::npos)
      FuzzSupport::Fail("a usage error of more than one line: " + execution.usageError, Context(args));
    if (execution.output)
      FuzzSupport::Fail("a refused command line still produced output", Context(args));
    break;
  case CliKit::kExitException:
    // Nothing fails on purpose here (the default host has no faults): an
    // exception escaping a command is a defect.
    FuzzSupport::Fail("an exception escaped the command: " + execution.failure, Context(args));
  default:
    FuzzSupport::Fail("unknown status " + std::to_string(execution.status), Context(args));
  }
}

// A change a command made must survive being written: a file host saves
// after every change, so the state must save and load back.
void CheckChangedHost(const std::vector<std::string> &args) {
  if (!FuzzSupport::HostChanged())
    return;
  std::string saved;
  try {
    saved = OlkCtl::Sim::CurrentStateJson();
  } catch (const std::exception &error) {
    FuzzSupport::Fail(std::string("the changed host cannot be saved: ") + error.what(), Context(args));
  }
  try {
    OlkCtl::Sim::UseHostFromJson(saved);
  } catch (const std::exception &error) {
    FuzzSupport::Fail(std::string("the changed host, saved, does not load: ") + error.what(), Context(args));
  }
}

// ORLOCLI_FUZZ_VERBOSE=1 shows each command line's status and errors, for
// looking at a reproducer.
bool Verbose() {
  static const bool verbose = std::getenv("ORLOCLI_FUZZ_VERBOSE") != nullptr;
  return verbose;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzSupport::InstallDefaultHost();
  FuzzSupport::PluginCli();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<std::string> args = FuzzSupport::SplitArguments(data, size, kMaxArgs);
  CliKit::Cli &cli = FuzzSupport::PluginCli();

  // The whole command line, as the tool passes it (global options included).
  FuzzSupport::NullStream out;
  std::ostringstream err;
  std::istringstream in;
  // Tables fit 80 columns for two inputs in three, and are never cut for the third.
  CliKit::Terminal terminal{&in, &out, &err, false, (size % 3 == 0) ? 0 : 80};
  int status = cli.Run(args, terminal);
  if (Verbose())
    std::fprintf(stderr, "%sstatus %d\n%s", FuzzSupport::Describe(args).c_str(), status, err.str().c_str());
  if (status < CliKit::kExitOk || status > CliKit::kExitException)
    FuzzSupport::Fail("Run returned status " + std::to_string(status), Context(args));
  if (status == CliKit::kExitUsage && err.str().empty())
    FuzzSupport::Fail("usage status without a message on standard error", Context(args));
  if (status == CliKit::kExitException)
    FuzzSupport::Fail("an internal failure: " + err.str(), Context(args));
  CheckChangedHost(args);
  FuzzSupport::ResetDefaultHost();

  // The in-process entry, on the public and on the internal tree.
  bool internal = !args.empty() && args.front() == "--internal";
  if (internal)
    args.erase(args.begin());
  CheckExecution(cli.Execute(args, internal), args);
  CheckChangedHost(args);
  FuzzSupport::ResetDefaultHost();
  return 0;
}
