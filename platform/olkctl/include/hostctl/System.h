// System, hardware and I/O filter information objects of the host.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>
#include <vector>

namespace HostCtl::System {

class OLKCTL_API SystemInfo {
public:
  virtual ~SystemInfo() = default;
  virtual std::string GetHostName() = 0;
  // Name of the device the host booted from; empty when unknown.
  virtual std::string GetBootDeviceName() = 0;
};

} // namespace HostCtl::System

namespace HostCtl::Hardware {

class OLKCTL_API HardwareInfo {
public:
  virtual ~HardwareInfo() = default;
  virtual std::string GetCpuModel() = 0;
  virtual int GetCpuCoreCount() = 0;

  struct MemHeapStats {
    std::string name;
    uint64_t currentSize = 0; // bytes
    uint64_t maxSize = 0;
  };
  // The kernel's memory heaps, in host order.
  virtual std::vector<MemHeapStats> GetMemHeapStats() = 0;
};

} // namespace HostCtl::Hardware

namespace HostCtl::IOFilter {

// The I/O filter family brings its operations with the commands that need them.
class OLKCTL_API IOFilterInfo {
public:
  virtual ~IOFilterInfo() = default;
};

} // namespace HostCtl::IOFilter
