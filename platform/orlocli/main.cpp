// orlocli: opens the simulated host, loads the storage plug-in, runs one command.
#include <clikit/Cli.h>

#include <olkctl/sim/HostControl.h>
#include <olkctl/sim/HostScripts.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>
#include <limits.h>
#include <malloc.h>
#include <unistd.h>

namespace {

const char *const kPluginFile = "libcore-storage.so";

using RegisterFunction = void (*)(std::shared_ptr<CliKit::AutoCli::NamespaceNode>);

struct ToolOptions {
  std::string host;
  bool version = false;
  std::vector<std::string> rest; // what the framework parses
};

bool IsValueOption(const std::string &arg) {
  return arg == "--formatter" || arg == "--fields" || arg == "--completion";
}

// Takes the tool's own options from the leading options; everything else is
// passed on unchanged. Only leading options count, because a command may have a
// parameter of the same name (the NFS mounts have --host).
bool SplitToolOptions(const std::vector<std::string> &args, ToolOptions &options) {
  size_t index = 0;
  bool hostGiven = false;
  while (index < args.size() && args[index].size() > 1 && args[index][0] == '-') {
    const std::string &arg = args[index];
    if (arg == "--host" || arg.rfind("--host=", 0) == 0) {
      if (arg == "--host" && index + 1 >= args.size()) {
        std::cerr << "Error: option '--host' needs a value\n";
        return false;
      }
      // An empty name would silently select the default host; a second one would
      // silently replace the first.
      if (hostGiven) {
        std::cerr << "Error: option '--host' given more than once\n";
        return false;
      }
      hostGiven = true;
      options.host = arg == "--host" ? args[++index] : arg.substr(7);
      ++index;
      if (options.host.empty()) {
        std::cerr << "Error: option '--host' needs a file name, not an empty value\n";
        return false;
      }
      continue;
    }
    if (arg == "--version")
      options.version = true;
    options.rest.push_back(arg);
    if (IsValueOption(arg) && index + 1 < args.size())
      options.rest.push_back(args[++index]);
    ++index;
  }
  options.rest.insert(options.rest.end(), args.begin() + static_cast<long>(index), args.end());
  return true;
}

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0)
    return ".";
  std::string self(buffer, static_cast<size_t>(length));
  size_t slash = self.rfind('/');
  return slash == std::string::npos ? "." : self.substr(0, slash == 0 ? 1 : slash);
}

// $ORLOCLI_PLUGIN_DIR; else the tool's own directory when the storage plug-in
// lies beside it (the build tree); else the installed plug-in directory, found
// from the tool's place, so an installed tree works under any prefix.
// `shared` is true when the directory is the tool's own, which also holds the
// libraries: then only the storage plug-in is taken from it.
std::string PluginDirectory(bool &shared) {
  shared = false;
  const char *fromEnvironment = std::getenv("ORLOCLI_PLUGIN_DIR");
  if (fromEnvironment && *fromEnvironment)
    return fromEnvironment;
  std::string own = ExecutableDirectory();
  if (::access((own + "/" + kPluginFile).c_str(), F_OK) == 0) {
    shared = true;
    return own;
  }
  return own + "/" ORLOCLI_PLUGIN_RELDIR;
}

// The other plug-ins of a plug-in directory, in name order: every "*.so" file
// but the storage plug-in, which is loaded first.
std::vector<std::string> OtherPlugins(const std::string &directory) {
  std::vector<std::string> names;
  DIR *dir = ::opendir(directory.c_str());
  if (!dir)
    return names;
  while (const dirent *entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0 && name != kPluginFile)
      names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace

int main(int argc, char **argv) {
  // One command, then exit: what loading the host frees (the file's text, the
  // parsed document) is better kept for building the output than handed back
  // to the kernel and faulted in again page by page. On a large host that is
  // a fifth of the run time.
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
  ::mallopt(M_TRIM_THRESHOLD, INT_MAX);
  std::vector<std::string> args(argv + 1, argv + argc);
  ToolOptions options;
  if (!SplitToolOptions(args, options))
    return CliKit::kExitUsage;
  // --help wins over everything else on the line; the framework prints it.
  if (options.version && std::find(args.begin(), args.end(), "--help") == args.end()) {
    std::cout << "orlocli " << ORLOCLI_VERSION << "\n";
    return CliKit::FinishOutput(std::cout, std::cerr, "orlocli", CliKit::kExitOk);
  }

  // The host comes first: the plug-in reads its feature switches while it registers.
  try {
    // Families are read when a command first uses them; one that does not
    // validate then throws StateError out of the command, which the unusable
    // check below reports as a bad host is reported here.
    OlkCtl::Sim::OpenHostFile(OlkCtl::Sim::ResolveHostPath(options.host));
    OlkCtl::Sim::FillFeatureList();
  } catch (const std::exception &error) {
    std::cerr << CliKit::OneLine(std::string("orlocli: ") + error.what()) << "\n";
    return CliKit::kExitUnusable;
  }

  bool sharedDirectory = false;
  const std::string pluginDirectory = PluginDirectory(sharedDirectory);
  std::vector<std::string> pluginFiles = {kPluginFile};
  if (!sharedDirectory) {
    std::vector<std::string> others = OtherPlugins(pluginDirectory);
    pluginFiles.insert(pluginFiles.end(), others.begin(), others.end());
  }
  auto root = CliKit::AutoCli::Namespace::New();
  auto internalRoot = CliKit::AutoCli::Namespace::New();
  for (const std::string &file : pluginFiles) {
    const std::string pluginPath = pluginDirectory + "/" + file;
    // Never closed: the command objects in the tree live in the plug-in's code.
    // Lazy: a command binds only the functions it calls (2 % of a command's
    // instructions). The plug-in links with --no-undefined, so nothing can be
    // missing later.
    void *plugin = ::dlopen(pluginPath.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!plugin) {
      const char *reason = ::dlerror();
      std::cerr << CliKit::OneLine("orlocli: cannot load plug-in " + pluginPath + ": " +
                                   (reason ? reason : "unknown reason"))
                << "\n";
      return CliKit::kExitUnusable;
    }
    auto registerTree = reinterpret_cast<RegisterFunction>(::dlsym(plugin, "AutoCli_RegisterNamespaces"));
    // Only the storage plug-in has an internal tree; another plug-in may have one.
    auto registerInternal =
        reinterpret_cast<RegisterFunction>(::dlsym(plugin, "ClusteredOldk_RegisterInternalNamespace"));
    const bool storage = file == kPluginFile;
    if (!registerTree || (storage && !registerInternal)) {
      std::cerr << "orlocli: cannot load plug-in " << pluginPath << ": missing symbol "
                << (registerTree ? "ClusteredOldk_RegisterInternalNamespace" : "AutoCli_RegisterNamespaces")
                << "\n";
      return CliKit::kExitUnusable;
    }
    try {
      registerTree(root);
      if (registerInternal)
        registerInternal(internalRoot);
    } catch (const std::exception &error) {
      std::cerr << "orlocli: plug-in " << pluginPath << " failed to register: " << error.what() << "\n";
      return CliKit::kExitUnusable;
    }
  }

  // The host's own scripts (init scripts, the management daemon's
  // notifications) are served by the simulated host; never by a real one.
  CliKit::AutoCli::SetShellRunner(
      [](const std::string &command, std::string &output, const std::string &input) {
        if (std::optional<int> status = OlkCtl::Sim::RunHostScript(command, output, input))
          return *status;
        return CliKit::AutoCli::RunWithShell(command, output, input);
      });

  CliKit::Cli cli(root, internalRoot);
  cli.SetToolInfo("orlocli", ORLOCLI_VERSION);
  // A host file that cannot be written is the host's problem, reported as the
  // host tool reports it, not a failure of the command that tried.
  cli.SetUnusableCheck([](const std::exception &error) {
    return dynamic_cast<const OlkCtl::Sim::StateError *>(&error) != nullptr;
  });
  CliKit::Terminal terminal;
  terminal.in = &std::cin;
  terminal.out = &std::cout;
  terminal.err = &std::cerr;
  terminal.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
  terminal.width = CliKit::OutputWidth();
  const int status = cli.Run(options.rest, terminal);
  // The output is flushed and checked. Ending here leaves the tree, the plug-in
  // and the host state to the kernel: taking a whole command tree apart node by
  // node would cost more than many commands do.
  std::exit(status);
}
