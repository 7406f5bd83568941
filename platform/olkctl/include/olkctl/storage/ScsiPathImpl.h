// Static path look-up of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/ScsiPath.h>

#include <memory>
#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API ScsiPathImpl {
public:
  // Look-up by UID or runtime name; none when not found.
  static std::unique_ptr<HostCtl::Storage::ScsiPath> GetPath(const std::string &name);
};

} // namespace OlkCtl::Storage
