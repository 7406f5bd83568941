// The simulated host's flash read-cache modules, constructed as a local by
// the commands.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/KFlash.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
}

namespace OlkCtl::KFlash {

class OLKCTL_API KFlashInfoImpl {
public:
  // Reads the host's current state once; the object answers from that snapshot.
  KFlashInfoImpl();
  ~KFlashInfoImpl();

  // In host order.
  std::vector<std::string> GetModuleNames();
  // False, leaving `info` as it was, for a module the host does not have.
  bool GetModuleInfo(const std::string &name, HostCtl::KFlash::KFlashModuleInfo &info);
  // False, leaving `stats` as it was, for a module the host does not have.
  bool GetModuleStats(const std::string &name, HostCtl::KFlash::KFlashModuleStats &stats);

private:
  std::shared_ptr<const Sim::State> state_;
};

} // namespace OlkCtl::KFlash
