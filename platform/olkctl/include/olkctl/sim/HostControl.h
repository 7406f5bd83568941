// Choosing and managing the simulated host that every HostCtl call of this
// process works on. Used by the tools and by tests; never by the plug-in.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace OlkCtl::Sim {

// A state file or document that cannot be used. The message names the file (or
// "<memory>"), the place in the document and the problem, on one line.
class OLKCTL_API StateError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The host file a tool should use: `hostOption` when non-empty, else
// $ORLOCLI_HOST, else $XDG_STATE_HOME/orlocli/host.json (~/.local/state/...),
// which is created from the built-in "default" profile when missing.
OLKCTL_API std::string ResolveHostPath(const std::string &hostOption);
// The file ResolveHostPath would choose, without creating anything.
OLKCTL_API std::string HostPathFor(const std::string &hostOption);

// Makes the file the current host after loading and validating it (StateError).
OLKCTL_API void UseHostFile(const std::string &path);
// The same, but only the file's syntax and top level are checked now; each
// family (adapters, devices, ...) is read and validated when first used, so a
// command pays for the families it touches. A family that does not validate
// throws StateError at its first use and is never written over.
OLKCTL_API void OpenHostFile(const std::string &path);
// Makes an in-memory host the current one; no file is read or written.
OLKCTL_API void UseHostFromJson(const std::string &jsonText);
OLKCTL_API void UseHostFromProfile(const std::string &profileName);

// Built-in profiles compiled into the library.
OLKCTL_API std::vector<std::string> ProfileNames();
// The profile's document; throws StateError for an unknown name.
OLKCTL_API std::string ProfileJson(const std::string &profileName);
// Joins a profile's fragments (file name, text) into one document: the union of
// their top-level members. A member in two fragments is a StateError.
OLKCTL_API std::string
JoinProfileFragments(const std::string &profileName,
                     const std::vector<std::pair<std::string, std::string>> &fragments);

// Writes a new host file from a built-in profile (mode 0600, atomically, under
// the file's lock; missing parent directories are created, mode 0700). Returns false and leaves the file
// alone when it exists and `replace` is false. StateError when the profile or the file cannot be used.
OLKCTL_API bool CreateHostFile(const std::string &path, const std::string &profileName, bool replace);
// Loads and validates a host file without making it current (StateError).
OLKCTL_API void CheckHostFile(const std::string &path);

// The current host's state as a JSON document (pretty-printed).
OLKCTL_API std::string CurrentStateJson();

// Fills the FeatureList table from the current host's switches.
OLKCTL_API void FillFeatureList();

struct Fault {
  std::string operation; // API name, such as "StorageInfo::GetScsiInterfaces"
  std::string target;    // object name; empty matches any object
  std::string message;   // what() of the thrown exception
  int64_t times = 0;     // how many more calls fail; 0 means every call
};
// A fault naming an operation no host operation checks would never fire:
// AddFault refuses it with this error, naming close names (after reading the
// host, so a host that cannot be used is reported first).
class OLKCTL_API UnknownFaultOperation : public std::invalid_argument {
public:
  using std::invalid_argument::invalid_argument;
};
OLKCTL_API void AddFault(const Fault &fault);
// The operations a fault can name (the API's own names), sorted.
OLKCTL_API std::vector<std::string> FaultOperationNames();
OLKCTL_API std::vector<Fault> ListFaults();
OLKCTL_API void ClearFaults();

class HostLock;
// Holds the current host's lock while it lives: for a file host the state
// file's lock, shared or exclusive; nothing for a memory host. Re-entrant in the
// process, so host operations inside keep working; an exclusive guard makes a
// sequence of reads and changes atomic for other processes.
class OLKCTL_API HostLockGuard {
public:
  explicit HostLockGuard(bool exclusive);
  ~HostLockGuard();
  HostLockGuard(const HostLockGuard &) = delete;
  HostLockGuard &operator=(const HostLockGuard &) = delete;

private:
  std::unique_ptr<HostLock> lock_;
};

} // namespace OlkCtl::Sim
