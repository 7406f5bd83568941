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
#include <hostctl/storage/ScsiInterface.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::DiskLun;
using HostCtl::Storage::DiskPartition;
using HostCtl::Storage::Lun;
using HostCtl::Storage::LunRaidInfo;
using HostCtl::Storage::PsaDeviceConfig;
using HostCtl::Storage::ScsiStats;
using OlkCtl::Sim::DetachedFamily;
using OlkCtl::Sim::DeviceRecord;
using OlkCtl::Sim::Snapshot;
using OlkCtl::Sim::State;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_DEVICES_FAULTS(X)                                                                             \
  X(Lun_GetPsaDeviceConfig, "Lun::GetPsaDeviceConfig", "device name")                                        \
  X(Lun_GetRaidInfo, "Lun::GetRaidInfo", "device name")                                                      \
  X(Lun_RunFilterClaim, "Lun::RunFilterClaim", "device name")                                                \
  X(StorageInfo_GetLuns, "StorageInfo::GetLuns", "")                                                         \
  X(StorageInfo_GetLun, "StorageInfo::GetLun", "the name looked up")                                         \
  X(StorageInfo_ResolveRuntimeLunName, "StorageInfo::ResolveRuntimeLunName", "the name looked up")           \
  X(StorageInfo_GetDeviceDisplayNames, "StorageInfo::GetDeviceDisplayNames", "")                             \
  X(LunImpl_GetLun, "LunImpl::GetLun", "the name looked up")                                                 \
  X(Lun_SetDisplayName, "Lun::SetDisplayName", "device name")                                                \
  X(Lun_ResetDisplayName, "Lun::ResetDisplayName", "device name")                                            \
  X(Lun_SetState, "Lun::SetState", "device name")                                                            \
  X(Lun_SetQueueFullThrottling, "Lun::SetQueueFullThrottling", "device name")                                \
  X(Lun_SetMaxQueueDepth, "Lun::SetMaxQueueDepth", "device name")                                            \
  X(Lun_SetNumReqsOutstandingCompetingWorlds, "Lun::SetNumReqsOutstandingCompetingWorlds", "device name")    \
  X(Lun_SetDataIntegrity, "Lun::SetDataIntegrity", "device name")                                            \
  X(Lun_SetLed, "Lun::SetLed", "device name")                                                                \
  X(Lun_EnableWriteCache, "Lun::EnableWriteCache", "device name")                                            \
  X(Lun_DisableWriteCache, "Lun::DisableWriteCache", "device name")                                          \
  X(Lun_GetInquiryCacheIgnore, "Lun::GetInquiryCacheIgnore", "device name")                                  \
  X(Lun_SetInquiryCacheIgnore, "Lun::SetInquiryCacheIgnore", "device name")                                  \
  X(Lun_GetLatencySensitiveThreshold, "Lun::GetLatencySensitiveThreshold", "device name")                    \
  X(Lun_SetLatencySensitiveThreshold, "Lun::SetLatencySensitiveThreshold", "device name")                    \
  X(Lun_GetStats, "Lun::GetStats", "device name")                                                            \
  X(Lun_GetPhysicalLocations, "Lun::GetPhysicalLocations", "device name")                                    \
  X(Lun_GetOpenWorldIds, "Lun::GetOpenWorldIds", "device name")                                              \
  X(DiskLun_GetPartitions, "DiskLun::GetPartitions", "device name")                                          \
  X(DiskLun_IsTransportType, "DiskLun::IsTransportType", "device name")                                      \
  X(LunImpl_GetDetachedList, "LunImpl::GetDetachedList", "")                                                 \
  X(LunImpl_RemoveDetachedEntry, "LunImpl::RemoveDetachedEntry", "the UID asked for")                        \
  X(LunImpl_LunImpl, "LunImpl::LunImpl", "the name looked up")                                               \
  X(LunImpl_SetDetached, "LunImpl::SetDetached", "device name")                                              \
  X(LunImpl_SetPerenniallyReserved, "LunImpl::SetPerenniallyReserved", "device name")                        \
  X(LunImpl_SetNotShared, "LunImpl::SetNotShared", "device name")                                            \
  X(StorageInfo_GetDiskLuns, "StorageInfo::GetDiskLuns", "")                                                 \
  X(StorageInfo_IsOlfsVolumeMountedOnLun, "StorageInfo::IsOlfsVolumeMountedOnLun", "device name")            \
  X(StorageInfo_PurgeLunsNotSeen, "StorageInfo::PurgeLunsNotSeen", "")                                       \
  X(StorageInfo_PurgeInactiveLuns, "StorageInfo::PurgeInactiveLuns", "")

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

// Every path of the device leaves from a SAS adapter (and there is one).
bool AllPathsSas(const State &state, const std::string &deviceName) {
  const auto &positions = state.paths().OfDevice(deviceName);
  if (positions.empty())
    return false;
  for (size_t at : positions) {
    const auto *adapter = state.adapters().Find(state.paths().records[at].adapterName);
    if (!adapter || adapter->transport != "sas")
      return false;
  }
  return true;
}

// The device `name` inside a change; it may have gone since the object was made.
DeviceRecord &Mutable(State &state, const std::string &name) {
  DeviceRecord *record = state.devices().Find(name);
  if (!record)
    throw HostCtlException("Device " + name + " is no longer registered");
  return *record;
}

// Off is not offline: the device stays registered. A persistent off puts it on
// the detached list; on takes it off.
void ApplyState(State &state, const std::string &name, int code, bool persist) {
  DeviceRecord &record = Mutable(state, name);
  record.status = code == Lun::STATE_OFF ? "off" : "on";
  if (!persist)
    return;
  if (code == Lun::STATE_OFF)
    state.detachedDevices().Add(name);
  else
    state.detachedDevices().Remove(name);
}

template <class Base> class SimLunOf : public Base {
public:
  SimLunOf(Snapshot state, const DeviceRecord &record)
      : state_(std::move(state)), r_(&record), smartHwac_(state_, record.name) {}

  std::string GetName() const override { return r_->name; }
  std::string GetDisplayName() const override { return r_->ShownDisplayName(); }
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
    return smartHwac_.NewPsaDeviceConfig(r_->filters);
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
    OlkCtl::Sim::Current().Modify([&](State &state) {
      if (!state.devices().Find(name))
        throw HostCtlException("Device " + name + " is no longer registered");
      OlkCtl::Sim::ClaimDeviceFilters(state, [&](const DeviceRecord &device) { return device.name == name; });
    });
  }

  void Refresh() override { OlkCtl::Sim::RefreshDeviceObject(r_->name); }

  // --- SMART and HWAC (the smart and hwac families) ---

  int GetHwacSupport() const override { return smartHwac_.GetHwacSupport(); }
  void GetHwacAttributes(HostCtl::Storage::HwacAttributes &attributes) const override {
    smartHwac_.GetHwacAttributes(attributes);
  }
  void PrepareHwacUpdate() override { smartHwac_.PrepareHwacUpdate(); }
  void SetHwacPrimitives(uint8_t mask, const std::vector<std::pair<bool, bool>> &primitives) override {
    smartHwac_.SetHwacPrimitives(mask, primitives);
  }
  void GetSmartParameters(HostCtl::Storage::SmartParameters &parameters) const override {
    smartHwac_.GetSmartParameters(parameters);
  }
  bool IsSmartStatsEnabled() const override { return smartHwac_.IsSmartStatsEnabled(); }
  void SetSmartStatsEnabled(bool enabled) override { smartHwac_.SetSmartStatsEnabled(enabled); }

  // --- settings ---

  void SetDisplayName(const std::string &displayName, bool /*persist: names always persist here*/) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetDisplayName, r_->name);
    Change([&](State &, DeviceRecord &record) {
      if (!record.displayNameSettable)
        throw HostCtlException("Device " + record.name + " does not support a user-defined display name");
      record.userDisplayName = displayName;
    });
  }

  void ResetDisplayName() override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_ResetDisplayName, r_->name);
    Change([&](State &, DeviceRecord &record) {
      if (!record.displayNameSettable)
        throw HostCtlException("Device " + record.name + " does not support a user-defined display name");
      record.userDisplayName.clear();
    });
  }

  int GetState() const override { return r_->status == "off" ? Lun::STATE_OFF : Lun::STATE_ON; }

  void SetState(int code, bool persist) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetState, r_->name);
    Change([&](State &state, DeviceRecord &record) { ApplyState(state, record.name, code, persist); });
  }

  void SetQueueFullThrottling(int threshold, int sampleSize) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetQueueFullThrottling, r_->name);
    if (threshold < 0 || sampleSize < 0)
      throw HostCtlException("Queue full threshold and sample size cannot be negative");
    if (sampleSize != 0 && threshold > sampleSize)
      throw HostCtlException("Queue full threshold " + std::to_string(threshold) +
                             " exceeds the queue full sample size " + std::to_string(sampleSize));
    Change([&](State &, DeviceRecord &record) {
      record.queueFullThreshold = threshold;
      record.queueFullSampleSize = sampleSize;
    });
  }

  void SetMaxQueueDepth(int depth) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetMaxQueueDepth, r_->name);
    Change([&](State &, DeviceRecord &record) {
      if (depth < 1 || depth > record.queueDepthLimit)
        throw HostCtlException("Queue depth " + std::to_string(depth) +
                               " is outside the adapter's range 1 to " +
                               std::to_string(record.queueDepthLimit));
      record.maxQueueDepth = depth;
      // Outstanding IOs never exceed the queue depth.
      record.outstandingIosCompetingWorlds = std::min(record.outstandingIosCompetingWorlds, depth);
    });
  }

  void SetNumReqsOutstandingCompetingWorlds(int count) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetNumReqsOutstandingCompetingWorlds, r_->name);
    Change([&](State &, DeviceRecord &record) {
      if (count < 1 || count > record.maxQueueDepth)
        throw HostCtlException("Outstanding IOs " + std::to_string(count) + " is outside the range 1 to " +
                               std::to_string(record.maxQueueDepth) + " (the device's max queue depth)");
      record.outstandingIosCompetingWorlds = count;
    });
  }

  void SetDataIntegrity(bool enabled) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetDataIntegrity, r_->name);
    Change([&](State &, DeviceRecord &record) {
      if (record.protectionMask == 0)
        throw HostCtlException("Device " + record.name + " does not support data protection");
      record.protectionEnabled = enabled;
    });
  }

  void SetLed(int mode, int durationSeconds) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetLed, r_->name);
    Change([&](State &state, DeviceRecord &record) {
      if (!record.local ||
          (record.raid.kind != LunRaidInfo::KIND_RAID_VOLUME && !AllPathsSas(state, record.name)))
        throw HostCtlException("Device " + record.name +
                               " has no LED: only local SAS and RAID devices have one");
      record.ledMode = mode;
      record.ledDuration = mode == Lun::LED_OFF ? 0 : durationSeconds;
    });
  }

  bool IsWriteCacheEnabled() const override { return r_->writeCache; }

  void EnableWriteCache() override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_EnableWriteCache, r_->name);
    Change([&](State &, DeviceRecord &record) { record.writeCache = true; });
  }

  void DisableWriteCache() override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_DisableWriteCache, r_->name);
    Change([&](State &, DeviceRecord &record) { record.writeCache = false; });
  }

  bool GetInquiryCacheIgnore() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetInquiryCacheIgnore, r_->name);
    return r_->inquiryCacheIgnore;
  }

  void SetInquiryCacheIgnore(bool ignore) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetInquiryCacheIgnore, r_->name);
    Change([&](State &, DeviceRecord &record) { record.inquiryCacheIgnore = ignore; });
  }

  int GetLatencySensitiveThreshold() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetLatencySensitiveThreshold, r_->name);
    return r_->latencyThreshold;
  }

  bool SetLatencySensitiveThreshold(int milliseconds) override {
    OlkCtl::Sim::CheckFault(FaultOp::Lun_SetLatencySensitiveThreshold, r_->name);
    // Only a plug-in with a fastpath (HPP) schedules by latency.
    if (r_->multipathPlugin != "HPP")
      return false;
    Change([&](State &, DeviceRecord &record) { record.latencyThreshold = milliseconds; });
    return true;
  }

  // --- layout and usage ---

  uint32_t GetPhysicalBlockSize() const override { return r_->physicalBlockSize; }
  uint32_t GetLogicalBlockSize() const override { return r_->logicalBlockSize; }
  uint64_t GetLogicalBlockCount() const override {
    return r_->logicalBlockSize == 0 ? 0 : r_->size / r_->logicalBlockSize;
  }
  int GetFormatType() const override { return r_->formatType; }

  void GetStats(ScsiStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetStats, r_->name);
    stats = r_->stats;
  }

  std::vector<std::string> GetPhysicalLocations() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetPhysicalLocations, r_->name);
    return r_->physicalLocations;
  }

  std::vector<uint32_t> GetOpenWorldIds() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::Lun_GetOpenWorldIds, r_->name);
    return state_->worlds().OpenWorldIds(r_->name);
  }

  // --- NVMe ---

  std::vector<std::string> GetSubsystemNqns() const override { return r_->subNqns; }
  std::string GetNvmeSpecRevision() const override { return r_->nvmeSpecRevision; }
  bool IsDispersedNamespace() const override { return r_->dispersed; }

protected:
  const DeviceRecord &Record() const { return *r_; }
  const Snapshot &Snap() const { return state_; }

private:
  // Applies a change to this device's record, then shows the device as it now is.
  void Change(const std::function<void(State &, DeviceRecord &)> &change) {
    const std::string name = r_->name;
    OlkCtl::Sim::Current().Modify([&](State &state) { change(state, Mutable(state, name)); });
    Snapshot fresh = OlkCtl::Sim::Current().Read();
    if (const DeviceRecord *record = fresh->devices().Find(name)) {
      state_ = std::move(fresh);
      r_ = record;
      smartHwac_ = OlkCtl::Sim::SmartHwacLun(state_, name);
    }
  }

  Snapshot state_; // keeps *r_ alive
  const DeviceRecord *r_;
  OlkCtl::Sim::SmartHwacLun smartHwac_;
};

using SimLun = SimLunOf<Lun>;

// A direct-access device: its partitions, entry 0 the whole device.
class SimDiskLun : public SimLunOf<OlkCtl::Storage::DiskLunImpl> {
public:
  using SimLunOf::SimLunOf;

  int GetPartitionTableType() const override { return Record().partitionTable; }

  std::vector<DiskPartition> GetPartitions() const override {
    const DeviceRecord &r = Record();
    OlkCtl::Sim::CheckFault(*Snap(), FaultOp::DiskLun_GetPartitions, r.name);
    const uint64_t blockSize = r.logicalBlockSize;
    std::vector<DiskPartition> partitions;
    partitions.reserve(r.partitions.size() + 1);
    DiskPartition whole;
    whole.name = r.name;
    whole.deviceName = r.name;
    whole.size = r.size;
    whole.endSector = GetLogicalBlockCount();
    whole.path = r.devfsPath;
    partitions.push_back(std::move(whole));
    for (const auto &p : r.partitions) {
      DiskPartition entry;
      entry.name = r.name + ":" + std::to_string(p.number);
      entry.deviceName = r.name;
      entry.number = p.number;
      entry.size = (p.endSector - p.startSector + 1) * blockSize;
      entry.type = p.type;
      entry.startSector = p.startSector;
      entry.endSector = p.endSector;
      entry.path = r.devfsPath + ":" + std::to_string(p.number);
      entry.guid = p.guid;
      partitions.push_back(std::move(entry));
    }
    return partitions;
  }

  // As the device list derives its transport: every path of the device leads
  // through an adapter of that transport.
  bool IsTransportType(int transport) const override {
    const DeviceRecord &r = Record();
    const OlkCtl::Sim::State &state = *Snap();
    OlkCtl::Sim::CheckFault(state, FaultOp::DiskLun_IsTransportType, r.name);
    const std::string word = HostCtl::Storage::ScsiInterface::GetInterfaceTypeString(
        static_cast<HostCtl::Storage::ScsiInterface::ScsiInterfaceType>(transport));
    bool any = false;
    for (size_t position : state.paths().OfDevice(r.name)) {
      const auto *adapter = state.adapters().Find(state.paths().records[position].adapterName);
      if (!adapter || adapter->transport != word)
        return false;
      any = true;
    }
    return any;
  }
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
  if (record.IsDisk())
    return std::make_unique<SimDiskLun>(state, record);
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
    names.emplace(record.name, record.ShownDisplayName());
  return names;
}

std::unique_ptr<Lun> LunImpl::GetLun(const std::string &name, bool includeOffline) {
  Sim::CheckFault(FaultOp::LunImpl_GetLun, name);
  Sim::Snapshot state = Sim::Current().Read();
  const DeviceRecord *record = Lookup(*state, name, includeOffline);
  return record ? Sim::NewLun(state, *record) : nullptr;
}

} // namespace OlkCtl::Storage

// --- disks, purge and the detached list ---

namespace HostCtl::Storage {
DiskLun::~DiskLun() = default;
} // namespace HostCtl::Storage

namespace {

// Takes the devices `gone` says so out of the host. Their dead paths go with
// them; any other path stays, now leading to no device.
void RemoveDevices(State &state, const std::function<bool(const DeviceRecord &)> &gone) {
  auto &devices = state.devices().records;
  std::vector<std::string> removed;
  for (const DeviceRecord &record : devices)
    if (gone(record))
      removed.push_back(record.name);
  if (removed.empty())
    return;
  auto isRemoved = [&](const std::string &name) {
    return std::find(removed.begin(), removed.end(), name) != removed.end();
  };
  devices.erase(std::remove_if(devices.begin(), devices.end(),
                               [&](const DeviceRecord &record) { return isRemoved(record.name); }),
                devices.end());
  auto &paths = state.paths().records;
  paths.erase(std::remove_if(paths.begin(), paths.end(),
                             [&](const OlkCtl::Sim::PathRecord &path) {
                               return isRemoved(path.deviceName) && path.state == "dead";
                             }),
              paths.end());
  for (auto &path : paths)
    if (isRemoved(path.deviceName))
      path.deviceName.clear();
  state.ForgetRemovedDevices();
}

} // namespace

namespace OlkCtl::Storage {

DiskLunImpl::~DiskLunImpl() = default;

std::vector<std::unique_ptr<DiskLun>> StorageInfoImpl::GetDiskLuns() {
  Sim::CheckFault(FaultOp::StorageInfo_GetDiskLuns);
  std::vector<std::unique_ptr<DiskLun>> disks;
  for (const DeviceRecord &record : state_->devices().records)
    if (record.IsDisk() && !record.offline)
      disks.push_back(std::make_unique<SimDiskLun>(state_, record));
  return disks;
}

bool StorageInfoImpl::IsOlfsVolumeMountedOnLun(const std::string &deviceName) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_IsOlfsVolumeMountedOnLun, deviceName);
  const DeviceRecord *record = state_->devices().Find(deviceName);
  return record && record->olfsMounted;
}

void StorageInfoImpl::PurgeLunsNotSeen(int64_t days) {
  Sim::CheckFault(FaultOp::StorageInfo_PurgeLunsNotSeen);
  Sim::Current().Modify([&](Sim::State &state) {
    RemoveDevices(state, [&](const DeviceRecord &r) { return r.offline && r.lastSeenDaysAgo > days; });
  });
  Refresh();
}

void StorageInfoImpl::PurgeInactiveLuns() {
  Sim::CheckFault(FaultOp::StorageInfo_PurgeInactiveLuns);
  Sim::Current().Modify([&](Sim::State &state) {
    RemoveDevices(state, [](const DeviceRecord &r) { return r.offline || r.status != "on"; });
  });
  Refresh();
}

std::vector<std::pair<std::string, std::string>> LunImpl::GetDetachedList() {
  Sim::CheckFault(FaultOp::LunImpl_GetDetachedList);
  Sim::Snapshot state = Sim::Current().Read();
  std::vector<std::pair<std::string, std::string>> list;
  for (const auto &entry : state->detachedDevices().records)
    list.emplace_back(entry.uid, entry.state);
  return list;
}

void LunImpl::RemoveDetachedEntry(const std::string &uid) {
  Sim::CheckFault(FaultOp::LunImpl_RemoveDetachedEntry, uid);
  Sim::Current().Modify([&](Sim::State &state) {
    if (!state.detachedDevices().Remove(uid))
      throw HostCtlException("Device " + uid + " is not on the detached device list");
  });
}

int LunImpl::LunStatusStringToLunStatus(const std::string &text) {
  if (text == "on")
    return Lun::STATE_ON;
  if (text == "off")
    return Lun::STATE_OFF;
  throw HostCtlException("Invalid device state '" + text + "'");
}

LunImpl::LunImpl(const std::string &name, bool includeOffline) {
  Sim::CheckFault(FaultOp::LunImpl_LunImpl, name);
  Sim::Snapshot state = Sim::Current().Read();
  const DeviceRecord *record = Lookup(*state, name, includeOffline);
  if (!record)
    throw HostCtlException("Unable to find device " + name);
  name_ = record->name;
  local_ = record->local;
}

void LunImpl::SetDetached(bool detached) {
  Sim::CheckFault(FaultOp::LunImpl_SetDetached, name_);
  Sim::Current().Modify(
      [&](Sim::State &state) { ApplyState(state, name_, detached ? Lun::STATE_OFF : Lun::STATE_ON, true); });
}

void LunImpl::SetPerenniallyReserved(bool reserved) {
  Sim::CheckFault(FaultOp::LunImpl_SetPerenniallyReserved, name_);
  Sim::Current().Modify([&](Sim::State &state) { Mutable(state, name_).perenniallyReserved = reserved; });
}

void LunImpl::SetNotShared(bool notShared) {
  Sim::CheckFault(FaultOp::LunImpl_SetNotShared, name_);
  Sim::Current().Modify([&](Sim::State &state) { Mutable(state, name_).notShared = notShared; });
}

bool LunImpl::IsLocal() const {
  return local_;
}

} // namespace OlkCtl::Storage
