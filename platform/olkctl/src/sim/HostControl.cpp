#include <olkctl/sim/HostControl.h>

#include "sim/Document.h"
#include "sim/Stores.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace OlkCtl::Sim {

namespace {

std::string ProfileOrigin(const std::string &profileName) {
  return "profile \"" + profileName + "\"";
}

std::string HomeDirectory() {
  if (const char *home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
    return pw->pw_dir;
  throw StateError("cannot find the default host: HOME is not set");
}

// Creates `dir` and its missing parents, private to the user.
void MakeDirectories(const std::string &dir) {
  std::string::size_type at = 0;
  do {
    at = dir.find('/', at + 1);
    std::string prefix = dir.substr(0, at);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
      throw StateError(prefix + ": cannot create the directory: " + std::strerror(errno));
  } while (at != std::string::npos);
}

const char *HostFromEnvironment() {
  const char *env = std::getenv("ORLOCLI_HOST");
  return env && *env ? env : nullptr;
}

} // namespace

std::string HostPathFor(const std::string &hostOption) {
  if (!hostOption.empty())
    return hostOption;
  if (const char *env = HostFromEnvironment())
    return env;
  // XDG says a relative XDG_STATE_HOME is to be ignored.
  if (const char *xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/')
    return std::string(xdg) + "/orlocli/host.json";
  return HomeDirectory() + "/.local/state/orlocli/host.json";
}

std::string ResolveHostPath(const std::string &hostOption) {
  const std::string path = HostPathFor(hostOption);
  struct stat st {};
  if (hostOption.empty() && !HostFromEnvironment() && ::stat(path.c_str(), &st) != 0 && errno == ENOENT)
    CreateHostFile(path, "default", false);
  return path;
}

void UseHostFile(const std::string &path) {
  auto store = std::make_shared<FileStore>(path);
  store->Read()->LoadAll();
  SetCurrent(std::move(store));
}

void OpenHostFile(const std::string &path) {
  auto store = std::make_shared<FileStore>(path);
  store->Read();
  SetCurrent(std::move(store));
}

void UseHostFromJson(const std::string &jsonText) {
  SetCurrent(std::make_shared<MemoryStore>(LoadState(jsonText, "<memory>")));
}

void UseHostFromProfile(const std::string &profileName) {
  SetCurrent(std::make_shared<MemoryStore>(LoadState(ProfileJson(profileName), ProfileOrigin(profileName))));
}

bool CreateHostFile(const std::string &path, const std::string &profileName, bool replace) {
  // Written in the canonical form, as any later change would write it.
  const std::string text = SaveState(*LoadState(ProfileJson(profileName), ProfileOrigin(profileName)));
  std::string::size_type slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0)
    MakeDirectories(path.substr(0, slash));
  FileStore store(path);
  std::unique_ptr<HostLock> lock = store.Lock(true);
  struct stat st {};
  if (!replace && ::lstat(path.c_str(), &st) == 0)
    return false;
  store.WriteText(text);
  return true;
}

void CheckHostFile(const std::string &path) {
  std::shared_ptr<const State> state = FileStore(path).Read();
  state->LoadAll();
  // What one family refers to in another.
  CheckVolumeDevices(*state);
}

std::string CurrentStateJson() {
  return SaveState(*Current().Read());
}

void AddFault(const Fault &fault) {
  if (fault.operation.empty())
    throw StateError("a fault needs an operation");
  if (fault.times < 0)
    throw StateError("a fault's times must not be negative");
  Current().Modify([&](State &state) {
    if (!IsFaultOperation(fault.operation))
      throw UnknownFaultOperation(UnknownOperationText(fault.operation));
    state.faults().records.push_back(fault);
  });
}

std::vector<Fault> ListFaults() {
  return Current().Read()->faults().records;
}

void ClearFaults() {
  Current().Modify([](State &state) { state.faults().records.clear(); });
}

HostLockGuard::HostLockGuard(bool exclusive) : lock_(Current().Lock(exclusive)) {}
HostLockGuard::~HostLockGuard() = default;

} // namespace OlkCtl::Sim
