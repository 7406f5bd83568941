#include <olkctl/system/SystemInfoImpl.h>

#include "sim/Faults.h"
#include "sim/Store.h"

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_SYSTEMINFO_FAULTS(X)                                                                          \
  X(SystemInfo_GetHostName, "SystemInfo::GetHostName", "")                                                   \
  X(SystemInfo_GetBootDeviceName, "SystemInfo::GetBootDeviceName", "")                                       \
  X(HardwareInfo_GetCpuModel, "HardwareInfo::GetCpuModel", "")                                               \
  X(HardwareInfo_GetCpuCoreCount, "HardwareInfo::GetCpuCoreCount", "")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_SYSTEMINFO_FAULTS)
} // namespace

namespace OlkCtl::System {

SystemInfoImpl::SystemInfoImpl() : state_(Sim::Current().Read()) {}
SystemInfoImpl::~SystemInfoImpl() = default;

std::string SystemInfoImpl::GetHostName() {
  Sim::CheckFault(FaultOp::SystemInfo_GetHostName);
  return state_->system().hostName;
}

std::string SystemInfoImpl::GetBootDeviceName() {
  Sim::CheckFault(FaultOp::SystemInfo_GetBootDeviceName);
  return state_->system().bootDevice;
}

HardwareInfoImpl::HardwareInfoImpl() : state_(Sim::Current().Read()) {}
HardwareInfoImpl::~HardwareInfoImpl() = default;

std::string HardwareInfoImpl::GetCpuModel() {
  Sim::CheckFault(FaultOp::HardwareInfo_GetCpuModel);
  return state_->system().cpuModel;
}

int HardwareInfoImpl::GetCpuCoreCount() {
  Sim::CheckFault(FaultOp::HardwareInfo_GetCpuCoreCount);
  return static_cast<int>(state_->system().cpuCores);
}

} // namespace OlkCtl::System
