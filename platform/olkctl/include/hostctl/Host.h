// Entry point of the host-control library.
#pragma once

#include <hostctl/Export.h>

#include <memory>

namespace HostCtl {
namespace Storage {
class StorageInfo;
}
namespace Adv {
class AdvancedOptions;
}
namespace System {
class SystemInfo;
}
namespace IOFilter {
class IOFilterInfo;
}
namespace Hardware {
class HardwareInfo;
}

class OLKCTL_API Host {
public:
  virtual ~Host() = default;
  // Each call returns a new object owned by the caller.
  virtual std::unique_ptr<Storage::StorageInfo> GetStorageInfo() = 0;
  virtual std::unique_ptr<Adv::AdvancedOptions> GetAdvancedOptions() = 0;
  virtual std::unique_ptr<System::SystemInfo> GetSystemInfo() = 0;
  virtual std::unique_ptr<IOFilter::IOFilterInfo> GetIOFilterInfo() = 0;
  virtual std::unique_ptr<Hardware::HardwareInfo> GetHardwareInfo() = 0;
};

class OLKCTL_API HostFactory {
public:
  // The process-wide host; not owned by the caller.
  static Host *GetHost();
};

} // namespace HostCtl
