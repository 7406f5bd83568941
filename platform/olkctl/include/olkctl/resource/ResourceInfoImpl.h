// Names of the host's worlds.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>

namespace OlkCtl::Resource {

class OLKCTL_API ResourceInfoImpl {
public:
  // The world's name; empty when no world has that id (it may have ended
  // since its id was read).
  std::string GetWorldName(uint32_t worldId) const;
};

} // namespace OlkCtl::Resource
