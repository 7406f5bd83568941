// Adapter operations of the simulated host.
#include "api/Objects.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

#include <array>
#include <unordered_set>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ScsiInterface;
using HostCtl::Storage::ScsiStats;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_ADAPTERS_FAULTS(X)                                                                            \
  X(ScsiInterface_GetStats, "ScsiInterface::GetStats", "adapter name")                                       \
  X(StorageInfo_GetScsiInterfaces, "StorageInfo::GetScsiInterfaces", "")                                     \
  X(StorageInfo_GetScsiInterface, "StorageInfo::GetScsiInterface", "adapter name")                           \
  X(StorageInfo_IsValidScsiInterface, "StorageInfo::IsValidScsiInterface", "adapter name")                   \
  X(StorageInfo_RescanScsiInterfaces, "StorageInfo::RescanScsiInterfaces", "adapter name, or \"*\"")         \
  X(StorageInfo_GetLinkState, "StorageInfo::GetLinkState", "adapter name")                                   \
  X(StorageInfo_GetDeviceDescription, "StorageInfo::GetDeviceDescription", "adapter name")                   \
  X(StorageInfo_GetAdapterCapabilities, "StorageInfo::GetAdapterCapabilities", "adapter name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_ADAPTERS_FAULTS)
} // namespace

namespace {

struct TransportWord {
  ScsiInterface::ScsiInterfaceType type;
  const char *word;
};

constexpr std::array<TransportWord, 14> kTransportWords = {{
    {ScsiInterface::SCSI_IFACE_TYPE_UNKNOWN, "unknown"},
    {ScsiInterface::SCSI_IFACE_TYPE_BLOCK, "block"},
    {ScsiInterface::SCSI_IFACE_TYPE_FC, "fc"},
    {ScsiInterface::SCSI_IFACE_TYPE_ISCSI, "iscsi"},
    {ScsiInterface::SCSI_IFACE_TYPE_ISCSI_VENDOR, "iscsivendor"},
    {ScsiInterface::SCSI_IFACE_TYPE_IDE, "ide"},
    {ScsiInterface::SCSI_IFACE_TYPE_SAS, "sas"},
    {ScsiInterface::SCSI_IFACE_TYPE_SATA, "sata"},
    {ScsiInterface::SCSI_IFACE_TYPE_USB, "usb"},
    {ScsiInterface::SCSI_IFACE_TYPE_PARALLEL, "parallel"},
    {ScsiInterface::SCSI_IFACE_TYPE_FCOE, "fcoe"},
    {ScsiInterface::SCSI_IFACE_TYPE_PCIE, "pcie"},
    {ScsiInterface::SCSI_IFACE_TYPE_RDMA, "rdma"},
    {ScsiInterface::SCSI_IFACE_TYPE_TCP, "tcp"},
}};

// Capability names in mask bit order.
constexpr std::array<std::pair<uint32_t, const char *>, 5> kCapabilityNames = {{
    {ScsiInterface::CAP_SECOND_LEVEL_LUN, "Second Level Lun ID"},
    {ScsiInterface::CAP_DATA_INTEGRITY, "Data Integrity"},
    {ScsiInterface::CAP_OWN_COMPLETION_WORLDS, "Own Completion Worlds"},
    {ScsiInterface::CAP_SENSE_DATA_GOOD_AND_ERROR, "Sense Data in Good and Error Conditions"},
    {ScsiInterface::CAP_FPIN_EVENTS, "FPIN Events"},
}};

class SimScsiInterface : public ScsiInterface {
public:
  SimScsiInterface(OlkCtl::Sim::Snapshot state, const OlkCtl::Sim::AdapterRecord &record)
      : state_(std::move(state)), record_(&record) {}

  std::string GetName() const override { return record_->name; }
  std::string GetUID() const override { return record_->uid; }
  std::string GetDriver() const override { return record_->driver; }
  std::string GetDriverVersion() const override { return record_->driverVersion; }
  std::string GetFirmwareVersion() const override { return record_->firmwareVersion; }
  ScsiInterfaceType GetInterfaceType() const override { return GetValidInterfaceType(record_->transport); }
  uint32_t GetCapabilityMask() const override { return record_->capabilityMask; }
  void GetStats(ScsiStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::ScsiInterface_GetStats, record_->name);
    stats = record_->stats;
  }

private:
  OlkCtl::Sim::Snapshot state_; // keeps *record_ alive
  const OlkCtl::Sim::AdapterRecord *record_;
};

// A rescan that cannot start: its text is returned to the caller, and throwing
// it out of the change leaves the host untouched.
struct RescanRefused {
  std::string text;
};

using OlkCtl::Sim::AdapterRecord;
using OlkCtl::Sim::DeviceRecord;
using OlkCtl::Sim::PathRecord;
using OlkCtl::Sim::State;

// Paths of link-down adapters can no longer carry I/O.
void UpdatePathStates(State &state, const std::unordered_set<std::string> &adapters) {
  for (PathRecord &path : state.paths().records) {
    if (!adapters.count(path.adapterName) || path.state == "off")
      continue;
    const AdapterRecord *adapter = state.adapters().Find(path.adapterName);
    if (adapter && OlkCtl::Sim::IsLinkDown(adapter->linkState))
      path.state = "dead";
  }
}

// Moves the undiscovered paths and devices of the adapters into the host's
// lists; the new paths are claimed by the loaded rules unless `skipClaim` or
// automatic claiming is off.
void AddPendingPaths(State &state, const std::unordered_set<std::string> &adapters, bool skipClaim) {
  // With automatic MP claiming off, new paths wait unclaimed as with skipClaim.
  skipClaim = skipClaim || !OlkCtl::Sim::AutoClaims(state, "MP");
  std::unordered_set<std::string> added;
  std::unordered_set<std::string> addedDevices;
  for (AdapterRecord &adapter : state.adapters().records) {
    if (!adapters.count(adapter.name))
      continue;
    for (DeviceRecord &device : adapter.pendingDevices.records) {
      if (!state.devices().Find(device.name) && addedDevices.insert(device.name).second) {
        if (skipClaim)
          device.multipathPlugin.clear();
        state.devices().records.push_back(std::move(device));
      }
    }
    for (PathRecord &path : adapter.pendingPaths.records) {
      if (state.paths().ByUid(path.uid) || state.paths().ByRuntimeName(path.runtimeName) ||
          !added.insert(path.uid).second)
        continue;
      path.plugin.clear(); // whatever claims it is decided now
      state.paths().records.push_back(std::move(path));
    }
    adapter.pendingPaths.records.clear();
    adapter.pendingDevices.records.clear();
  }
  state.Reindex();
  if (!skipClaim && !added.empty())
    OlkCtl::Sim::ClaimPaths(state, [&](const PathRecord &path) { return added.count(path.uid) != 0; });
}

// Forgets the dead paths of the adapters, then every device that lost its last
// path that way, unless it is in use.
void DeleteDeadPaths(State &state, const std::unordered_set<std::string> &adapters) {
  std::unordered_set<std::string> touchedDevices;
  std::vector<PathRecord> kept;
  kept.reserve(state.paths().records.size());
  for (PathRecord &path : state.paths().records) {
    if (adapters.count(path.adapterName) && path.state == "dead") {
      if (!path.deviceName.empty())
        touchedDevices.insert(path.deviceName);
      continue;
    }
    kept.push_back(std::move(path));
  }
  state.paths().records = std::move(kept);
  state.paths().Reindex();
  if (touchedDevices.empty())
    return;
  std::vector<DeviceRecord> devices;
  devices.reserve(state.devices().records.size());
  for (DeviceRecord &device : state.devices().records) {
    bool orphan = touchedDevices.count(device.name) && state.paths().OfDevice(device.name).empty();
    if (!orphan || device.inUse)
      devices.push_back(std::move(device));
  }
  state.devices().records = std::move(devices);
  state.ForgetRemovedDevices();
}

} // namespace

namespace HostCtl::Storage {

std::string ScsiInterface::GetInterfaceTypeString(ScsiInterfaceType type) {
  for (const TransportWord &entry : kTransportWords)
    if (entry.type == type)
      return entry.word;
  return "unknown";
}

ScsiInterface::ScsiInterfaceType ScsiInterface::GetValidInterfaceType(const std::string &text) {
  for (const TransportWord &entry : kTransportWords)
    if (text == entry.word)
      return entry.type;
  throw HostCtlException(
      "Invalid transport type '" + text +
      "'. Valid types are: block, fc, iscsi, iscsivendor, ide, sas, sata, usb, parallel, fcoe, "
      "pcie, rdma, tcp, unknown");
}

} // namespace HostCtl::Storage

namespace OlkCtl::Sim {

std::unique_ptr<ScsiInterface> NewScsiInterface(const Snapshot &state, const AdapterRecord &record) {
  return std::make_unique<SimScsiInterface>(state, record);
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

namespace {

// The record behind an adapter object, read from this object's snapshot.
const Sim::AdapterRecord &RecordOf(const Sim::State &state, const ScsiInterface &adapter) {
  const Sim::AdapterRecord *record = state.adapters().Find(adapter.GetName());
  if (!record)
    throw HostCtlException("Adapter " + adapter.GetName() + " is not known to the storage stack");
  return *record;
}

} // namespace

std::vector<std::unique_ptr<ScsiInterface>> StorageInfoImpl::GetScsiInterfaces() {
  Sim::CheckFault(FaultOp::StorageInfo_GetScsiInterfaces);
  std::vector<std::unique_ptr<ScsiInterface>> adapters;
  adapters.reserve(state_->adapters().records.size());
  for (const Sim::AdapterRecord &record : state_->adapters().records)
    adapters.push_back(Sim::NewScsiInterface(state_, record));
  return adapters;
}

std::unique_ptr<ScsiInterface> StorageInfoImpl::GetScsiInterface(const std::string &name) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetScsiInterface, name);
  const Sim::AdapterRecord *record = state_->adapters().Find(name);
  return record ? Sim::NewScsiInterface(state_, *record) : nullptr;
}

bool StorageInfoImpl::IsValidScsiInterface(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_IsValidScsiInterface, name);
  return state_->adapters().Find(name) != nullptr;
}

std::string StorageInfoImpl::RescanScsiInterfaces(const std::string &adapter, const std::string &type,
                                                  bool skipClaim) {
  Sim::CheckFault(FaultOp::StorageInfo_RescanScsiInterfaces, adapter);
  const bool add = type == "add" || type == "all";
  const bool remove = type == "delete" || type == "all";
  const bool update = type == "update" || type == "all";
  if (!add && !remove && !update)
    return "Invalid rescan type '" + type + "'. Valid types are add, delete, update and all.";
  try {
    Sim::Current().Modify([&](Sim::State &state) {
      std::unordered_set<std::string> selected;
      if (adapter == "*") {
        for (const Sim::AdapterRecord &record : state.adapters().records)
          selected.insert(record.name);
      } else if (state.adapters().Find(adapter)) {
        selected.insert(adapter);
      } else {
        throw RescanRefused{"Unable to rescan adapter " + adapter + ": no such adapter on this host"};
      }
      if (update)
        UpdatePathStates(state, selected);
      if (add)
        AddPendingPaths(state, selected, skipClaim);
      if (remove)
        DeleteDeadPaths(state, selected);
    });
  } catch (const RescanRefused &refused) {
    return refused.text;
  }
  Refresh();
  return {};
}

std::string StorageInfoImpl::GetLinkState(const ScsiInterface &adapter) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetLinkState, adapter.GetName());
  return RecordOf(*state_, adapter).linkState;
}

std::string StorageInfoImpl::GetDeviceDescription(const ScsiInterface &adapter) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetDeviceDescription, adapter.GetName());
  return RecordOf(*state_, adapter).description;
}

std::vector<std::string> StorageInfoImpl::GetAdapterCapabilities(const ScsiInterface &adapter) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetAdapterCapabilities, adapter.GetName());
  const uint32_t mask = RecordOf(*state_, adapter).capabilityMask;
  std::vector<std::string> names;
  for (const auto &[bit, name] : kCapabilityNames)
    if (mask & bit)
      names.emplace_back(name);
  return names;
}

} // namespace OlkCtl::Storage
