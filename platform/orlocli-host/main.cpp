// orlocli-host: creates, shows, validates, generates and fault-injects simulated hosts.
#include "Generate.h"

#include <hostctl/Exception.h>
#include <hostctl/Features.h>
#include <olkctl/sim/HostControl.h>

#include "sim/Store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using OlkCtl::Sim::StateError;

enum Exit { kOk = 0, kFailed = 1, kUsage = 2, kUnusable = 4 };

// A refusal of the command line; reported as one line, exit status 2.
struct UsageError {
  std::string message;
};

constexpr const char *kMainHelp = R"(Usage: orlocli-host [--host FILE] COMMAND [ARGS]

Creates, shows, validates and fault-injects the simulated hosts that orlocli
works on. Without a FILE, a command works on the host orlocli would use: the
--host option, else $ORLOCLI_HOST, else $XDG_STATE_HOME/orlocli/host.json
(~/.local/state/orlocli/host.json), created from the "default" profile.

Commands:
  init [--profile NAME] [--force] [FILE]   Create a host from a built-in profile.
  show [FILE]                              Print a host's state as JSON.
  validate [FILE]                          Check that a host file is usable.
  profiles                                 List the built-in profiles.
  fault add OPERATION --message TEXT [--target NAME] [--times N]
                                           Make a host operation fail.
  fault list                               List the injected faults.
  fault clear                              Remove every injected fault.
  feature set NUMBER on|off                Turn a feature switch on or off.
  generate [--devices N ...] FILE          Write a synthetic host of any size
                                           (see "orlocli-host generate --help").

Options:
  --host FILE   The host file to work on.
  --help        Show this help, or a command's help after the command.

Exit status: 0 done, 1 the operation failed, 2 usage error, 4 the host state
is unusable.
)";

const std::map<std::string, std::string> kCommandHelp = {
    {"init", R"(Usage: orlocli-host init [--profile NAME] [--force] [FILE]

Creates a host file from a built-in profile (mode 0600). An existing file is
left alone unless --force is given.

  --profile NAME   The profile to start from (default: "default"); see
                   "orlocli-host profiles".
  --force          Replace an existing host file.
)"},
    {"show", R"(Usage: orlocli-host show [FILE]

Prints the host's whole state as JSON, as the host reads it.
)"},
    {"validate", R"(Usage: orlocli-host validate [FILE]

Checks that the host file parses and is a valid host. Prints "FILE: valid", or
the problem with its place in the file and exits with status 1. The file is
never changed.
)"},
    {"profiles", R"(Usage: orlocli-host profiles

Lists the built-in profiles, one per line.
)"},
    {"fault", R"(Usage: orlocli-host fault add OPERATION --message TEXT [--target NAME] [--times N]
       orlocli-host fault list
       orlocli-host fault clear

Injected faults make host operations fail. A fault matches a call of its
OPERATION (the API name, such as "StorageInfo::GetScsiInterfaces" or
"Lun::GetRaidInfo") on any object, or only on the object named by --target;
the call then fails with the --message text. With --times N the fault is used
up after N failures; without it, every call fails. An OPERATION no host call
checks is refused, with the close names.

  --message TEXT   The failure text (required).
  --target NAME    The object the fault applies to (default: any object).
  --times N        How many calls fail (default 0: every call).
)"},
    {"feature", R"(Usage: orlocli-host feature set NUMBER on|off

Turns one of the host's feature switches (0 to 1023) on or off. Switches the
host does not list are off. orlocli reads them when it starts: with switch 312
on, "storage xvol" does not exist.
)"},
};

// The words of one command: its options (with their values, or "" for flags)
// and its positional words, checked against what the command accepts.
struct Words {
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;
  bool help = false;
};

Words ParseWords(const std::string &command, const std::vector<std::string> &args,
                 const std::vector<std::string> &valueOptions, const std::vector<std::string> &flags,
                 size_t maxPositional) {
  Words words;
  auto known = [](const std::vector<std::string> &list, const std::string &name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg == "--help" || arg == "-h") {
      words.help = true;
      continue;
    }
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      std::string name = arg.substr(2);
      std::optional<std::string> value;
      if (std::string::size_type eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
      }
      if (known(flags, name)) {
        if (value)
          throw UsageError{"option --" + name + " of " + command + " takes no value"};
        if (words.options.count(name))
          throw UsageError{"option --" + name + " of " + command + " given more than once"};
        words.options[name] = "";
      } else if (known(valueOptions, name)) {
        if (!value) {
          if (i + 1 >= args.size())
            throw UsageError{"option --" + name + " of " + command + " needs a value"};
          value = args[++i];
        }
        // A second value never silently replaces the first.
        if (words.options.count(name))
          throw UsageError{"option --" + name + " of " + command + " given more than once"};
        words.options[name] = *value;
      } else {
        throw UsageError{"unknown option --" + name + " for " + command + " (see orlocli-host " + command +
                         " --help)"};
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-')
      throw UsageError{"unknown option " + arg + " for " + command + " (see orlocli-host " + command +
                       " --help)"};
    // An empty FILE would mean the current directory's ".lock", an empty
    // OPERATION a fault that matches nothing.
    if (arg.empty())
      throw UsageError{"unexpected empty argument for " + command};
    words.positional.push_back(arg);
  }
  if (!words.help && words.positional.size() > maxPositional)
    throw UsageError{"unexpected argument \"" + words.positional[maxPositional] + "\" for " + command};
  return words;
}

// One line of standard error, "orlocli-host: " first. Line breaks and other
// control characters in names the user typed or the file holds are escaped, so
// that one error stays one line.
void PrintError(const std::string &text) {
  static const char kHex[] = "0123456789abcdef";
  std::string line = "orlocli-host: ";
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n')
      line += "\\n";
    else if (c == '\r')
      line += "\\r";
    else if ((c < 0x20 && c != '\t') || c == 0x7f)
      line += std::string("\\x") + kHex[c >> 4] + kHex[c & 0xf];
    else
      line += ch;
  }
  std::cerr << line << "\n";
}

std::string Option(const Words &words, const std::string &name, const std::string &fallback = {}) {
  auto it = words.options.find(name);
  return it == words.options.end() ? fallback : it->second;
}

int PrintHelp(const std::string &command) {
  std::cout << kCommandHelp.at(command);
  return kOk;
}

int Init(const std::string &host, const std::vector<std::string> &args) {
  Words words = ParseWords("init", args, {"profile"}, {"force"}, 1);
  if (words.help)
    return PrintHelp("init");
  const std::string path = words.positional.empty() ? OlkCtl::Sim::HostPathFor(host) : words.positional[0];
  const std::string profile = Option(words, "profile", "default");
  std::vector<std::string> names = OlkCtl::Sim::ProfileNames();
  if (std::find(names.begin(), names.end(), profile) == names.end())
    throw UsageError{"unknown profile \"" + profile + "\" (see orlocli-host profiles)"};
  if (!OlkCtl::Sim::CreateHostFile(path, profile, words.options.count("force") != 0)) {
    PrintError(path + " already exists (use --force to replace it)");
    return kFailed;
  }
  std::cout << "Created " << path << " from profile \"" << profile << "\"\n";
  return kOk;
}

int Show(const std::string &host, const std::vector<std::string> &args) {
  Words words = ParseWords("show", args, {}, {}, 1);
  if (words.help)
    return PrintHelp("show");
  OlkCtl::Sim::UseHostFile(words.positional.empty() ? OlkCtl::Sim::ResolveHostPath(host)
                                                    : words.positional[0]);
  std::cout << OlkCtl::Sim::CurrentStateJson();
  return kOk;
}

int Validate(const std::string &host, const std::vector<std::string> &args) {
  Words words = ParseWords("validate", args, {}, {}, 1);
  if (words.help)
    return PrintHelp("validate");
  const std::string path = words.positional.empty() ? OlkCtl::Sim::HostPathFor(host) : words.positional[0];
  try {
    OlkCtl::Sim::CheckHostFile(path);
  } catch (const StateError &e) {
    // The finding of this command, not a failure to run it.
    PrintError(e.what());
    return kFailed;
  }
  std::cout << path << ": valid\n";
  return kOk;
}

int Profiles(const std::vector<std::string> &args) {
  Words words = ParseWords("profiles", args, {}, {}, 0);
  if (words.help)
    return PrintHelp("profiles");
  for (const std::string &name : OlkCtl::Sim::ProfileNames())
    std::cout << name << "\n";
  return kOk;
}

int64_t ParseTimes(const std::string &text) {
  bool digits =
      !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits)
    throw UsageError{"--times needs a whole number of 0 or more, not \"" + text + "\""};
  return std::stoll(text);
}

void PrintFaults(const std::vector<OlkCtl::Sim::Fault> &faults) {
  if (faults.empty()) {
    std::cout << "No faults.\n";
    return;
  }
  std::vector<std::vector<std::string>> rows = {{"Operation", "Target", "Times", "Message"}};
  for (const OlkCtl::Sim::Fault &f : faults)
    rows.push_back({f.operation, f.target.empty() ? "*" : f.target,
                    f.times == 0 ? "always" : std::to_string(f.times), f.message});
  std::vector<size_t> widths(3, 0);
  for (const auto &row : rows)
    for (size_t c = 0; c < widths.size(); ++c)
      widths[c] = std::max(widths[c], row[c].size());
  for (const auto &row : rows) {
    std::string line;
    for (size_t c = 0; c < widths.size(); ++c)
      line += row[c] + std::string(widths[c] - row[c].size() + 2, ' ');
    std::cout << line << row[3] << "\n";
  }
}

int Fault(const std::string &host, const std::vector<std::string> &args) {
  if (args.empty())
    throw UsageError{"fault needs add, list or clear (see orlocli-host fault --help)"};
  const std::string action = args[0];
  if (action == "--help" || action == "-h")
    return PrintHelp("fault");
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (action == "add") {
    Words words = ParseWords("fault add", rest, {"message", "target", "times"}, {}, 1);
    if (words.help)
      return PrintHelp("fault");
    if (words.positional.empty())
      throw UsageError{"fault add needs an OPERATION"};
    if (!words.options.count("message"))
      throw UsageError{"fault add needs --message TEXT"};
    OlkCtl::Sim::Fault fault;
    fault.operation = words.positional[0];
    fault.message = Option(words, "message");
    fault.target = Option(words, "target");
    fault.times = words.options.count("times") ? ParseTimes(Option(words, "times")) : 0;
    OlkCtl::Sim::UseHostFile(OlkCtl::Sim::ResolveHostPath(host));
    try {
      OlkCtl::Sim::AddFault(fault);
    } catch (const OlkCtl::Sim::UnknownFaultOperation &e) {
      throw UsageError{e.what()};
    }
    return kOk;
  }
  if (action == "list" || action == "clear") {
    Words words = ParseWords("fault " + action, rest, {}, {}, 0);
    if (words.help)
      return PrintHelp("fault");
    OlkCtl::Sim::UseHostFile(OlkCtl::Sim::ResolveHostPath(host));
    if (action == "list")
      PrintFaults(OlkCtl::Sim::ListFaults());
    else
      OlkCtl::Sim::ClearFaults();
    return kOk;
  }
  throw UsageError{"unknown fault action \"" + action + "\" (add, list or clear)"};
}

int Feature(const std::string &host, const std::vector<std::string> &args) {
  if (args.empty())
    throw UsageError{"feature needs set (see orlocli-host feature --help)"};
  const std::string action = args[0];
  if (action == "--help" || action == "-h")
    return PrintHelp("feature");
  if (action != "set")
    throw UsageError{"unknown feature action \"" + action + "\" (set)"};
  Words words = ParseWords("feature set", std::vector<std::string>(args.begin() + 1, args.end()), {}, {}, 2);
  if (words.help)
    return PrintHelp("feature");
  if (words.positional.size() != 2)
    throw UsageError{"feature set needs NUMBER and on or off"};
  const std::string &number = words.positional[0];
  const std::string &value = words.positional[1];
  const bool digitsOnly =
      !number.empty() && number.size() <= 4 && number.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || std::stoi(number) >= HostCtl::kFeatureCount)
    throw UsageError{"feature number must be 0 to " + std::to_string(HostCtl::kFeatureCount - 1) +
                     ", not \"" + number + "\""};
  if (value != "on" && value != "off")
    throw UsageError{"feature set takes on or off, not \"" + value + "\""};
  OlkCtl::Sim::UseHostFile(OlkCtl::Sim::ResolveHostPath(host));
  OlkCtl::Sim::Current().Modify(
      [&](OlkCtl::Sim::State &state) { state.system().featureSwitches[std::stoi(number)] = value == "on"; });
  return kOk;
}

int Run(const std::vector<std::string> &argv) {
  std::string host;
  bool hostGiven = false;
  size_t i = 0;
  for (; i < argv.size(); ++i) {
    const std::string &arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kMainHelp;
      return kOk;
    }
    if (arg == "--host" || arg.compare(0, 7, "--host=") == 0) {
      if (arg == "--host" && i + 1 >= argv.size())
        throw UsageError{"option --host needs a value"};
      // An empty name would silently select the default host.
      if (hostGiven)
        throw UsageError{"option --host given more than once"};
      hostGiven = true;
      host = arg == "--host" ? argv[++i] : arg.substr(7);
      if (host.empty())
        throw UsageError{"option --host needs a file name, not an empty value"};
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg + " (see orlocli-host --help)"};
    } else {
      break;
    }
  }
  if (i >= argv.size())
    throw UsageError{"a command is needed (see orlocli-host --help)"};
  const std::string command = argv[i];
  std::vector<std::string> args(argv.begin() + static_cast<std::ptrdiff_t>(i) + 1, argv.end());
  if (command == "init")
    return Init(host, args);
  if (command == "show")
    return Show(host, args);
  if (command == "validate")
    return Validate(host, args);
  if (command == "profiles")
    return Profiles(args);
  if (command == "fault")
    return Fault(host, args);
  if (command == "feature")
    return Feature(host, args);
  if (command == "generate")
    return RunGenerate(args);
  throw UsageError{"unknown command \"" + command + "\" (see orlocli-host --help)"};
}

// Standard output that cannot be written (a full disk, a closed descriptor)
// fails the command: what it printed is lost.
int FinishOutput(int status) {
  if (std::cout) {
    errno = 0;
    std::cout.flush();
    if (std::cout)
      return status;
  }
  const int error = errno; // the stream keeps no reason
  PrintError(std::string("cannot write to standard output") +
             (error ? std::string(": ") + std::strerror(error) : ""));
  return status == kOk ? kFailed : status;
}

int RunReporting(const std::vector<std::string> &args) {
  try {
    return Run(args);
  } catch (const UsageError &e) {
    PrintError(e.message);
    return kUsage;
  } catch (const StateError &e) {
    PrintError(e.what());
    return kUnusable;
  } catch (const HostCtl::Lib::HostCtlException &e) {
    PrintError(e.what());
    return kFailed;
  } catch (const std::exception &e) {
    PrintError(e.what());
    return kFailed;
  }
}

} // namespace

int main(int argc, char **argv) {
  return FinishOutput(RunReporting(std::vector<std::string>(argv + 1, argv + argc)));
}
