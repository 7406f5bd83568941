// The host's configuration file: where claim rules and other settings persist.
// Its lock is the lock of the host state, so a holder reads with no writer in
// between.
#pragma once

#include <hostctl/Export.h>

#include <memory>

namespace OlkCtl::Config {

class OLKCTL_API ConfigFile {
public:
  // The configuration file of the current host; owned by the caller.
  static std::unique_ptr<ConfigFile> GetFile();

  ~ConfigFile();
  ConfigFile(const ConfigFile &) = delete;
  ConfigFile &operator=(const ConfigFile &) = delete;

  // Takes the file's shared lock and holds it until Unlock or destruction.
  // Writers wait for it; other readers do not. Locking twice is harmless.
  void Lock();
  void Unlock();
  bool IsLocked() const;

private:
  ConfigFile();
  struct Held;
  std::unique_ptr<Held> held_;
};

} // namespace OlkCtl::Config
