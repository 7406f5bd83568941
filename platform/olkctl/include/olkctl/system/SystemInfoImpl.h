// The simulated host's system, hardware and I/O filter information. Constructed
// as locals by commands, or returned by the Host's getters.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/System.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
}

namespace OlkCtl::System {

class OLKCTL_API SystemInfoImpl : public HostCtl::System::SystemInfo {
public:
  // Reads the host's current state once; the object answers from that snapshot.
  SystemInfoImpl();
  ~SystemInfoImpl() override;
  std::string GetHostName() override;
  std::string GetBootDeviceName() override;

private:
  std::shared_ptr<const Sim::State> state_;
};

class OLKCTL_API HardwareInfoImpl : public HostCtl::Hardware::HardwareInfo {
public:
  HardwareInfoImpl();
  ~HardwareInfoImpl() override;
  std::string GetCpuModel() override;
  int GetCpuCoreCount() override;
  std::vector<MemHeapStats> GetMemHeapStats() override;

private:
  std::shared_ptr<const Sim::State> state_;
};

class OLKCTL_API IOFilterInfoImpl : public HostCtl::IOFilter::IOFilterInfo {
public:
  IOFilterInfoImpl();
  ~IOFilterInfoImpl() override;
  std::vector<HostCtl::System::IOFilter> ListInstalledFilters() override;
  void EnableFilter(const std::string &name) override;
};

} // namespace OlkCtl::System
