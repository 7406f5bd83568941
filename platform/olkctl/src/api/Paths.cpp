// Path operations of the simulated host.
#include "api/Claiming.h"
#include "api/Objects.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_PATHS_FAULTS(X)                                                                               \
  X(ScsiPath_GetDevice, "ScsiPath::GetDevice", "the path's runtime name")                                    \
  X(ScsiPath_GetScsiInterface, "ScsiPath::GetScsiInterface", "the path's runtime name")                      \
  X(ScsiPath_GetTransportDetails, "ScsiPath::GetTransportDetails", "the path's runtime name")                \
  X(ScsiPath_GetStats, "ScsiPath::GetStats", "the path's runtime name")                                      \
  X(ScsiPath_SetState, "ScsiPath::SetState", "the path's runtime name")                                      \
  X(ScsiPath_RunClaim, "ScsiPath::RunClaim", "the path's runtime name")                                      \
  X(StorageInfo_GetScsiPaths, "StorageInfo::GetScsiPaths", "")                                               \
  X(StorageInfo_GetScsiPath, "StorageInfo::GetScsiPath", "the name asked for")                               \
  X(StorageInfo_GetLunPathAdapters, "StorageInfo::GetLunPathAdapters", "the device name asked for")          \
  X(ScsiPathImpl_GetPath, "ScsiPathImpl::GetPath", "the name asked for")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_PATHS_FAULTS)
} // namespace

namespace OlkCtl::Sim {

namespace {

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::Lun;
using HostCtl::Storage::ScsiInterface;
using HostCtl::Storage::ScsiStats;

// Per-path operations run thousands of times in one listing. A store read per
// check costs a lock and a stat on a file host, so look at the object's own
// snapshot first: with no fault injected there, there is nothing to check.
// When there is one, the store decides with its newest state (and counts down).
void CheckPathFault(const Snapshot &state, const FaultOperation &operation, const std::string &runtimeName) {
  if (!state->faults().records.empty())
    CheckFault(operation, runtimeName);
}

class PathTransportDetails : public HostCtl::Storage::TransportDetails {
public:
  PathTransportDetails(Snapshot state, const PathRecord &record)
      : state_(std::move(state)), record_(&record) {}
  std::string GetAdapterTransportDetails() const override { return record_->adapterTransportDetails; }
  std::string GetTargetTransportDetails() const override { return record_->targetTransportDetails; }

private:
  Snapshot state_; // keeps record_ alive
  const PathRecord *record_;
};

// Turns a path off or on inside a transaction. Turning off the last usable path
// of a device that is in use is refused, as the kernel would refuse to cause an
// all-paths-down state under I/O. Enabling only lifts an administrative "off":
// a dead or standby path keeps the state its transport gives it.
void ApplyPathState(State &state, const std::string &uid, bool off) {
  PathRecord *path = state.paths().MutableByUid(uid);
  if (!path)
    throw HostCtlException("Path " + uid + " no longer exists.");
  if (!off) {
    if (path->state == "off")
      path->state = "active";
    return;
  }
  if (!path->IsUsable()) {
    path->state = "off";
    return;
  }
  if (!path->deviceName.empty()) {
    const DeviceRecord *device = state.devices().Find(path->deviceName);
    // A device under a mounted OLFS volume is in use whatever its own flag says.
    if ((device && device->inUse) || state.volumes().BacksMountedVolume(path->deviceName)) {
      bool otherUsable = false;
      for (size_t position : state.paths().OfDevice(path->deviceName)) {
        const PathRecord &other = state.paths().records[position];
        if (other.uid != path->uid && other.IsUsable()) {
          otherUsable = true;
          break;
        }
      }
      if (!otherUsable)
        throw HostCtlException("Cannot disable path " + path->runtimeName +
                               ": it is the last usable path of device " + path->deviceName +
                               " and the device is in use.");
    }
  }
  path->state = "off";
}

class PathObject : public HostCtl::Storage::ScsiPath {
public:
  PathObject(Snapshot state, const PathRecord &record) : state_(std::move(state)), record_(&record) {}

  std::string GetUID() const override { return record_->uid; }
  std::string GetRuntimeName() const override { return record_->runtimeName; }
  std::string GetDeviceName() const override { return record_->deviceName; }
  std::string GetAdapterName() const override { return record_->adapterName; }
  std::string GetController() const override { return record_->controller; }
  int GetAnaGroupId() const override { return record_->anaGroupId; }
  uint32_t GetChannel() const override { return record_->channel; }
  uint32_t GetTarget() const override { return record_->target; }
  uint32_t GetLun() const override { return record_->lun; }
  std::string GetAdapterIdentifier() const override { return record_->adapterIdentifier; }
  std::string GetTargetIdentifier() const override { return record_->targetIdentifier; }
  std::string GetPluginName() const override { return record_->plugin; }
  std::string GetStateString() const override { return record_->state; }
  uint64_t GetMaxIOSize() const override { return record_->maxIOSize; }

  std::unique_ptr<Lun> GetDevice() const override {
    CheckPathFault(state_, FaultOp::ScsiPath_GetDevice, record_->runtimeName);
    if (record_->deviceName.empty())
      return nullptr;
    const DeviceRecord *device = state_->devices().Find(record_->deviceName);
    return device ? NewLun(state_, *device) : nullptr;
  }

  std::unique_ptr<ScsiInterface> GetScsiInterface() const override {
    CheckPathFault(state_, FaultOp::ScsiPath_GetScsiInterface, record_->runtimeName);
    const AdapterRecord *adapter = state_->adapters().Find(record_->adapterName);
    return adapter ? NewScsiInterface(state_, *adapter) : nullptr;
  }

  std::unique_ptr<HostCtl::Storage::TransportDetails> GetTransportDetails() const override {
    CheckPathFault(state_, FaultOp::ScsiPath_GetTransportDetails, record_->runtimeName);
    if (!record_->IsClaimed())
      return nullptr;
    return std::make_unique<PathTransportDetails>(state_, *record_);
  }

  void GetStats(ScsiStats &stats) const override {
    CheckPathFault(state_, FaultOp::ScsiPath_GetStats, record_->runtimeName);
    stats = record_->stats;
  }

  void SetState(bool off) override {
    CheckFault(FaultOp::ScsiPath_SetState, record_->runtimeName);
    const std::string uid = record_->uid;
    Current().Modify([&](State &state) { ApplyPathState(state, uid, off); });
    Reload(uid);
  }

  void RunClaim() override {
    CheckFault(FaultOp::ScsiPath_RunClaim, record_->runtimeName);
    const std::string uid = record_->uid;
    Current().Modify(
        [&](State &state) { ClaimPaths(state, [&uid](const PathRecord &path) { return path.uid == uid; }); });
    Reload(uid);
  }

  void Unclaim() override {
    const std::string uid = record_->uid;
    UnclaimPathObject(uid, record_->runtimeName);
    Reload(uid);
  }

private:
  // After a change this object shows the path as it now is.
  void Reload(const std::string &uid) {
    Snapshot fresh = Current().Read();
    if (const PathRecord *record = fresh->paths().ByUid(uid)) {
      state_ = std::move(fresh);
      record_ = record;
    }
  }

  Snapshot state_; // keeps record_ alive
  const PathRecord *record_;
};

} // namespace

std::unique_ptr<HostCtl::Storage::ScsiPath> NewScsiPath(const Snapshot &state, const PathRecord &record) {
  return std::make_unique<PathObject>(state, record);
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

using HostCtl::Storage::ScsiPath;

std::vector<std::unique_ptr<ScsiPath>> StorageInfoImpl::GetScsiPaths() {
  Sim::CheckFault(FaultOp::StorageInfo_GetScsiPaths);
  std::vector<std::unique_ptr<ScsiPath>> paths;
  paths.reserve(state_->paths().records.size());
  for (const Sim::PathRecord &record : state_->paths().records)
    paths.push_back(Sim::NewScsiPath(state_, record));
  return paths;
}

std::unique_ptr<ScsiPath> StorageInfoImpl::GetScsiPath(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_GetScsiPath, name);
  const Sim::PathRecord *record = state_->paths().ByName(name);
  return record ? Sim::NewScsiPath(state_, *record) : nullptr;
}

std::vector<std::string> StorageInfoImpl::GetLunPathAdapters(const std::string &deviceName) {
  Sim::CheckFault(*state_, FaultOp::StorageInfo_GetLunPathAdapters, deviceName);
  // Paths record the device's canonical name; accept any of its names.
  const Sim::DeviceRecord *device = state_->devices().Find(deviceName);
  std::vector<std::string> adapters;
  if (!device)
    return adapters;
  for (size_t position : state_->paths().OfDevice(device->name))
    adapters.push_back(state_->paths().records[position].adapterName);
  return adapters;
}

std::unique_ptr<ScsiPath> ScsiPathImpl::GetPath(const std::string &name) {
  Sim::CheckFault(FaultOp::ScsiPathImpl_GetPath, name);
  Sim::Snapshot state = Sim::Current().Read();
  const Sim::PathRecord *record = state->paths().ByName(name);
  return record ? Sim::NewScsiPath(state, *record) : nullptr;
}

} // namespace OlkCtl::Storage
