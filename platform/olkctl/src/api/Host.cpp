#include <hostctl/Host.h>

#include "api/AdvancedOptionsImpl.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <hostctl/storage/StorageInfo.h>
#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/system/SystemInfoImpl.h>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_HOST_FAULTS(X)                                                                                \
  X(Host_GetStorageInfo, "Host::GetStorageInfo", "")                                                         \
  X(Host_GetAdvancedOptions, "Host::GetAdvancedOptions", "")                                                 \
  X(Host_GetSystemInfo, "Host::GetSystemInfo", "")                                                           \
  X(Host_GetIOFilterInfo, "Host::GetIOFilterInfo", "")                                                       \
  X(Host_GetHardwareInfo, "Host::GetHardwareInfo", "")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_HOST_FAULTS)
} // namespace

namespace OlkCtl {

namespace {

class HostImpl final : public HostCtl::Host {
public:
  std::unique_ptr<HostCtl::Storage::StorageInfo> GetStorageInfo() override {
    Sim::CheckFault(FaultOp::Host_GetStorageInfo);
    return std::make_unique<Storage::StorageInfoImpl>();
  }
  std::unique_ptr<HostCtl::Adv::AdvancedOptions> GetAdvancedOptions() override {
    Sim::CheckFault(FaultOp::Host_GetAdvancedOptions);
    return std::make_unique<Adv::AdvancedOptionsImpl>();
  }
  std::unique_ptr<HostCtl::System::SystemInfo> GetSystemInfo() override {
    Sim::CheckFault(FaultOp::Host_GetSystemInfo);
    return std::make_unique<System::SystemInfoImpl>();
  }
  std::unique_ptr<HostCtl::IOFilter::IOFilterInfo> GetIOFilterInfo() override {
    Sim::CheckFault(FaultOp::Host_GetIOFilterInfo);
    return std::make_unique<System::IOFilterInfoImpl>();
  }
  std::unique_ptr<HostCtl::Hardware::HardwareInfo> GetHardwareInfo() override {
    Sim::CheckFault(FaultOp::Host_GetHardwareInfo);
    return std::make_unique<System::HardwareInfoImpl>();
  }
};

} // namespace

} // namespace OlkCtl

namespace HostCtl {

Host *HostFactory::GetHost() {
  // Bound to whichever store is current when a call is made, not when the host
  // was first asked for, so switching hosts needs no new Host object.
  static OlkCtl::HostImpl host;
  return &host;
}

} // namespace HostCtl
