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

// An installed I/O filter, its fields in the host's record order.
struct IOFilter {
  std::string id;
  std::string name;
  std::string vendor;
  std::string version;
  std::string description;
  std::string releaseDate;
  int32_t state = 1; // 0: enabled; any other value: not enabled
  std::string localId;
  std::string filterClass; // "cache", "replication", ...
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

// The I/O filter information object: installed filters and their enablement.
class OLKCTL_API IOFilterInfo {
public:
  virtual ~IOFilterInfo() = default;
  // In host order; two filters may share a name.
  virtual std::vector<System::IOFilter> ListInstalledFilters() = 0;
  // Refuses a name that is not installed; enabling an enabled filter succeeds.
  virtual void EnableFilter(const std::string &name) = 0;
};

} // namespace HostCtl::IOFilter
