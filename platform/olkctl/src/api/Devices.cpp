// Device operations of the simulated host.
#include "api/Claiming.h"
#include "api/Objects.h"
#include "api/SmartHwacLun.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

#include <algorithm>
#include <cstring>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::Lun;
using HostCtl::Storage::LunRaidInfo;
using HostCtl::Storage::PsaDeviceConfig;
using OlkCtl::Sim::DeviceRecord;
using OlkCtl::Sim::Snapshot;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_DEVICES_FAULTS(X)                                                                             \
  X(Lun_GetPsaDeviceConfig, "Lun::GetPsaDeviceConfig", "device name")                                        \
  X(Lun_GetRaidInfo, "Lun::GetRaidInfo", "device name")                                                      \
  X(Lun_RunFilterClaim, "Lun::RunFilterClaim", "device name")                                                \
  X(StorageInfo_GetLuns, "StorageInfo::GetLuns", "")                                                         \
  X(StorageInfo_GetLun, "StorageInfo::GetLun", "the name looked up")                                         \
  X(StorageInfo_ResolveRuntimeLunName, "StorageInfo::ResolveRuntimeLunName", "the name looked up")           \
  X(StorageInfo_GetDeviceDisplayNames, "StorageInfo::GetDeviceDisplayNames", "")                             \
  X(LunImpl_GetLun, "LunImpl::GetLun", "the name looked up")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_DEVICES_FAULTS)
} // namespace

namespace {

// Copies a text into a fixed field of the RAID record, always NUL-terminated.
template <std::size_t N> void CopyText(char (&field)[N], const std::string &text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

class SimLun : public OlkCtl::Sim::SmartHwacLun {
public:
  SimLun(Snapshot state, const DeviceRecord &record)
      : SmartHwacLun(state), state_(std::move(state)), r_(&record) {}

  std::string GetName() const override { return r_->name; }
  std::string GetDisplayName() const override { return r_->displayName; }
  bool IsDisplayNameSettable() const override { return r_->displayNameSettable; }
  uint64_t GetSize() const override { return r_->size; }
  std::string GetDeviceTypeString() const override { return r_->deviceType; }
  std::string GetMultipathPluginName() const override { return r_->multipathPlugin; }
  std::string GetDevfsPath() const override { return r_->devfsPath; }
  std::string GetVendor() const override { return r_->vendor; }
  std::string GetModel() const override { return r_->model; }
  std::string GetRevision() const override { return r_->revision; }
  std::string GetNvmeControllerModel() const override { return r_->nvmeControllerModel; }
  uint32_t GetPciVendorId() const override { return r_->pciVendorId; }
  uint32_t GetPciSubVendorId() const override { return r_->pciSubVendorId; }
  int GetScsiLevel() const override { return r_->scsiLevel; }
  bool IsPseudo() const override { return r_->pseudo; }
  const char *GetStatusString() const override { return r_->status.c_str(); }
  bool IsRDMCapable() const override { return r_->rdmCapable; }
  bool IsLocal() const override { return r_->local; }
  bool IsRemovable() const override { return r_->removable; }
  bool IsSSD() const override { return r_->ssd; }
  bool IsXVolPE() const override { return r_->xvolPE; }
  bool IsOffline() const override { return r_->offline; }
  bool IsPerenniallyReserved() const override { return r_->perenniallyReserved; }
  bool IsNotShared() const override { return r_->notShared; }
  int GetQueueFullSampleSize() const override { return r_->queueFullSampleSize; }
  int GetQueueFullThreshold() const override { return r_->queueFullThreshold; }
  int GetMaxQueueDepth() const override { return r_->maxQueueDepth; }
  int GetNumReqsOutstandingCompetingWorlds() const override { return r_->outstandingIosCompetingWorlds; }
  bool IsProtectionEnabled() const override { return r_->protectionEnabled; }
  bool IsPIActivated() const override { return r_->piActivated; }
  int GetPIType() const override { return r_->piType; }
  bool IsDIXEnabled() const override { return r_->dixEnabled; }
  uint32_t GetGuardTypeMask() const override { return r_->guardTypeMask; }
  uint32_t GetProtectionMask() const override { return r_->protectionMask; }
  std::vector<std::string> GetAllUIDs() const override { return r_->uids; }
  int GetThinProvisioningStatus() const override { return r_->thinProvisioning; }
  uint32_t GetProtocol() const override { return r_->protocol; }
  bool IsEmulatedDixDifEnabled() const override { return r_->emulatedDixDif; }
  bool IsNvme() const override { return r_->nvme; }

  std::unique_ptr<PsaDeviceConfig> GetPsaDeviceConfig() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetPsaDeviceConfig, r_->name);
    if (!r_->psaConfig)
      return nullptr;
    return NewPsaDeviceConfig(r_->filters);
  }

  void GetRaidInfo(LunRaidInfo &info) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetRaidInfo, r_->name);
    info = LunRaidInfo{};
    info.kind = r_->raid.kind;
    info.numPhysicalDrives = static_cast<uint8_t>(std::min<uint32_t>(r_->raid.drives, 255));
    CopyText(info.driveType, r_->raid.driveType);
    CopyText(info.raidLevel, r_->raid.level);
  }

  void RunFilterClaim() override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_RunFilterClaim, r_->name);
    const std::string name = r_->name;
    OlkCtl::Sim::Current().Modify([&](OlkCtl::Sim::State &state) {
      if (!state.devices().Find(name))
        throw HostCtlException("Device " + name + " is no longer registered");
      OlkCtl::Sim::ClaimDeviceFilters(state, [&](const DeviceRecord &device) { return device.name == name; });
    });
  }

  void Refresh() override { OlkCtl::Sim::RefreshDeviceObject(r_->name); }

private:
  Snapshot state_; // keeps *r_ alive
  const DeviceRecord *r_;
};

// The device known under `name`, hidden when offline unless asked for.
const DeviceRecord *Lookup(const OlkCtl::Sim::State &state, const std::string &name, bool includeOffline) {
  const DeviceRecord *record = state.devices().Find(name);
  if (!record || (record->offline && !includeOffline))
    return nullptr;
  return record;
}

} // namespace

namespace OlkCtl::Sim {

std::unique_ptr<Lun> NewLun(const Snapshot &state, const DeviceRecord &record) {
  return std::make_unique<SimLun>(state, record);
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

std::vector<std::unique_ptr<Lun>> StorageInfoImpl::GetLuns(bool includeOffline, bool refresh) {
  Sim::CheckFault(FaultOp::StorageInfo_GetLuns);
  if (refresh)
    Refresh();
  std::vector<std::unique_ptr<Lun>> luns;
  luns.reserve(state_->devices().records.size());
  for (const DeviceRecord &record : state_->devices().records)
    if (includeOffline || !record.offline)
      luns.push_back(Sim::NewLun(state_, record));
  return luns;
}

std::unique_ptr<Lun> StorageInfoImpl::GetLun(const std::string &name, bool includeOffline) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetLun, name);
  const DeviceRecord *record = Lookup(*state_, name, includeOffline);
  return record ? Sim::NewLun(state_, *record) : nullptr;
}

std::string StorageInfoImpl::ResolveRuntimeLunName(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_ResolveRuntimeLunName, name);
  const DeviceRecord *record = state_->devices().Find(name);
  return record ? record->name : std::string();
}

std::unordered_map<std::string, std::string> StorageInfoImpl::GetDeviceDisplayNames() {
  Sim::CheckFault(FaultOp::StorageInfo_GetDeviceDisplayNames);
  std::unordered_map<std::string, std::string> names;
  names.reserve(state_->devices().records.size());
  for (const DeviceRecord &record : state_->devices().records)
    names.emplace(record.name, record.displayName);
  return names;
}

std::unique_ptr<Lun> LunImpl::GetLun(const std::string &name, bool includeOffline) {
  Sim::CheckFault(FaultOp::LunImpl_GetLun, name);
  Sim::Snapshot state = Sim::Current().Read();
  const DeviceRecord *record = Lookup(*state, name, includeOffline);
  return record ? Sim::NewLun(state, *record) : nullptr;
}

} // namespace OlkCtl::Storage
