#include <olkctl/system/SystemInfoImpl.h>

#include "sim/Store.h"

namespace OlkCtl::System {

SystemInfoImpl::SystemInfoImpl() : state_(Sim::Current().Read()) {}
SystemInfoImpl::~SystemInfoImpl() = default;

std::string SystemInfoImpl::GetHostName() {
  Sim::CheckFault("SystemInfo::GetHostName");
  return state_->system().hostName;
}

std::string SystemInfoImpl::GetBootDeviceName() {
  Sim::CheckFault("SystemInfo::GetBootDeviceName");
  return state_->system().bootDevice;
}

HardwareInfoImpl::HardwareInfoImpl() : state_(Sim::Current().Read()) {}
HardwareInfoImpl::~HardwareInfoImpl() = default;

std::string HardwareInfoImpl::GetCpuModel() {
  Sim::CheckFault("HardwareInfo::GetCpuModel");
  return state_->system().cpuModel;
}

int HardwareInfoImpl::GetCpuCoreCount() {
  Sim::CheckFault("HardwareInfo::GetCpuCoreCount");
  return static_cast<int>(state_->system().cpuCores);
}

} // namespace OlkCtl::System
