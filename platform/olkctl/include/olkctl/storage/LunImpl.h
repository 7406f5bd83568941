// Static device look-up of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Lun.h>

#include <memory>
#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API LunImpl {
public:
  // Look-up by any of the device's names; none when not found.
  static std::unique_ptr<HostCtl::Storage::Lun> GetLun(const std::string &name, bool includeOffline);
};

} // namespace OlkCtl::Storage
