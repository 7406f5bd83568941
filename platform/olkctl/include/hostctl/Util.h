// Host utilities that are not about storage: the running process groups.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>
#include <vector>

namespace HostCtl::Util {

// A running process group (cartel) of the host.
struct Cartel {
  uint32_t id = 0;
  std::string name;
};

// The running process groups called `name`, ascending id. Groups that run one
// of the host's scripts count only with `includeScripts`.
OLKCTL_API std::vector<Cartel> FindCartels(const std::string &name, bool includeScripts);

} // namespace HostCtl::Util
