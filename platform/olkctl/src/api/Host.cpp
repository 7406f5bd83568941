#include <hostctl/Host.h>

#include "api/AdvancedOptionsImpl.h"
#include "sim/Store.h"

#include <hostctl/storage/StorageInfo.h>
#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/system/SystemInfoImpl.h>

namespace OlkCtl {

namespace {

class HostImpl final : public HostCtl::Host {
public:
  std::unique_ptr<HostCtl::Storage::StorageInfo> GetStorageInfo() override {
    Sim::CheckFault("Host::GetStorageInfo");
    return std::make_unique<Storage::StorageInfoImpl>();
  }
  std::unique_ptr<HostCtl::Adv::AdvancedOptions> GetAdvancedOptions() override {
    Sim::CheckFault("Host::GetAdvancedOptions");
    return std::make_unique<Adv::AdvancedOptionsImpl>();
  }
  std::unique_ptr<HostCtl::System::SystemInfo> GetSystemInfo() override {
    Sim::CheckFault("Host::GetSystemInfo");
    return std::make_unique<System::SystemInfoImpl>();
  }
  std::unique_ptr<HostCtl::IOFilter::IOFilterInfo> GetIOFilterInfo() override {
    Sim::CheckFault("Host::GetIOFilterInfo");
    return std::make_unique<System::IOFilterInfoImpl>();
  }
  std::unique_ptr<HostCtl::Hardware::HardwareInfo> GetHardwareInfo() override {
    Sim::CheckFault("Host::GetHardwareInfo");
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
