// Volume operations of the simulated host: file systems, OLFS volumes,
// unresolved snapshots, the pointer-block cache and the OLFS heap.
#include "api/Nas.h"
#include "sim/Faults.h"
#include "sim/HostScripts.h"
#include "sim/Store.h"

#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/storage/VmFileSystemImpl.h>
#include <olkctl/system/SystemInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/FileSystem.h>

#include <cstdio>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::FileSystem;
using HostCtl::Storage::VmFileSystem;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_VOLUMES_FAULTS(X)                                                                             \
  X(StorageInfo_GetFileSystems, "StorageInfo::GetFileSystems", "")                                           \
  X(StorageInfo_GetFileSystemByUuidEx, "StorageInfo::GetFileSystemByUuidEx", "uuid")                         \
  X(StorageInfo_GetFileSystemByUUID, "StorageInfo::GetFileSystemByUUID", "uuid")                             \
  X(StorageInfo_GetFileSystemByLabel, "StorageInfo::GetFileSystemByLabel", "label")                          \
  X(StorageInfo_GetFileSystemByPath, "StorageInfo::GetFileSystemByPath", "path")                             \
  X(StorageInfo_TryMount, "StorageInfo::TryMount", "uuid, or label when no uuid is given")                   \
  X(StorageInfo_RescanOlfs, "StorageInfo::RescanOlfs", "")                                                   \
  X(StorageInfo_AutoFullMountVolumes, "StorageInfo::AutoFullMountVolumes", "")                               \
  X(StorageInfo_SignalIORM, "StorageInfo::SignalIORM", "")                                                   \
  X(StorageInfo_GetOlfsFileSystems, "StorageInfo::GetOlfsFileSystems", "")                                   \
  X(StorageInfo_GetOlfsFileSystemsList, "StorageInfo::GetOlfsFileSystemsList", "")                           \
  X(StorageInfo_GetOlfsFileSystemByUuid, "StorageInfo::GetOlfsFileSystemByUuid", "uuid")                     \
  X(StorageInfo_GetOlfsFileSystemByLabel, "StorageInfo::GetOlfsFileSystemByLabel", "label")                  \
  X(StorageInfo_GetUnresolvedVolumes, "StorageInfo::GetUnresolvedVolumes", "")                               \
  X(StorageInfo_GetPBCache, "StorageInfo::GetPBCache", "")                                                   \
  X(VmFileSystemImpl_GetOLFSFileSystemByUUID, "VmFileSystemImpl::GetOLFSFileSystemByUUID", "uuid")           \
  X(VmFileSystemImpl_GetOLFSFileSystemByLabel, "VmFileSystemImpl::GetOLFSFileSystemByLabel", "label")        \
  X(FileSystem_GetCapacity, "FileSystem::GetCapacity", "volume label")                                       \
  X(FileSystem_Mount, "FileSystem::Mount", "volume label")                                                   \
  X(FileSystem_Unmount, "FileSystem::Unmount", "volume label")                                               \
  X(FileSystem_PrepareForUnmount, "FileSystem::PrepareForUnmount", "volume label")                           \
  X(VmFileSystem_GetExtents, "VmFileSystem::GetExtents", "volume label")                                     \
  X(VmFileSystem_GetLockState, "VmFileSystem::GetLockState", "volume label")                                 \
  X(VmFileSystem_SetLockState, "VmFileSystem::SetLockState", "volume label")                                 \
  X(VmFileSystem_GetHostUsers, "VmFileSystem::GetHostUsers", "volume label")                                 \
  X(VmFileSystem_GetUnmapProperty, "VmFileSystem::GetUnmapProperty", "volume label")                         \
  X(VmFileSystem_SetUnmapProperty, "VmFileSystem::SetUnmapProperty", "volume label")                         \
  X(VmFileSystem_GetClusteredOldkSupport, "VmFileSystem::GetClusteredOldkSupport", "volume label")           \
  X(VmFileSystem_SetClusteredOldkSupport, "VmFileSystem::SetClusteredOldkSupport", "volume label")           \
  X(VmFileSystem_UnmapVolume, "VmFileSystem::UnmapVolume", "volume label")                                   \
  X(VmFileSystem_ConvertToVersion5, "VmFileSystem::ConvertToVersion5", "volume label")                       \
  X(UnresolvedOlfsVolume_IsEligible, "UnresolvedOlfsVolume::IsEligible", "OLFS UUID")                        \
  X(UnresolvedOlfsVolume_Mount, "UnresolvedOlfsVolume::Mount", "OLFS UUID")                                  \
  X(UnresolvedOlfsVolume_Resignature, "UnresolvedOlfsVolume::Resignature", "OLFS UUID")                      \
  X(PBCache_GetStats, "PBCache::GetStats", "")                                                               \
  X(PBCache_ResetStats, "PBCache::ResetStats", "")                                                           \
  X(HardwareInfo_GetMemHeapStats, "HardwareInfo::GetMemHeapStats", "")                                       \
  X(Storage_GetOptionValue, "Storage::GetOptionValue", "option path")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_VOLUMES_FAULTS)
} // namespace

namespace {

using OlkCtl::Sim::ExtentRecord;
using OlkCtl::Sim::State;
using OlkCtl::Sim::UnresolvedRecord;
using OlkCtl::Sim::VolumeFamily;
using OlkCtl::Sim::VolumeRecord;
using Snapshot = std::shared_ptr<const State>;

const VolumeRecord &RecordIn(const State &state, const std::string &uuid) {
  const VolumeRecord *record = state.volumes().ByUuid(uuid);
  if (!record)
    throw HostCtlException("Volume " + uuid + " is no longer known to the host");
  return *record;
}

// Changes the volume of that uuid inside a transaction.
template <class Change> void ModifyVolume(const std::string &uuid, const Change &change) {
  OlkCtl::Sim::Current().Modify([&](State &state) {
    VolumeRecord *record = state.volumes().MutableByUuid(uuid);
    if (!record)
      throw HostCtlException("Volume " + uuid + " is no longer known to the host");
    change(state, *record);
  });
}

// What every volume object does, OLFS or not: it reads its record by uuid
// from the snapshot it holds and re-reads the host after a change.
class VolumeCore {
public:
  VolumeCore(Snapshot state, std::string uuid) : state_(std::move(state)), uuid_(std::move(uuid)) {}

  const VolumeRecord &Record() const { return RecordIn(*state_, uuid_); }
  const State &Host() const { return *state_; }
  const std::string &Uuid() const { return uuid_; }
  void Check(const FaultOperation &operation) const {
    OlkCtl::Sim::CheckFault(*state_, operation, Record().label);
  }
  void Refresh() { state_ = OlkCtl::Sim::Current().Read(); }

  int64_t Capacity() const {
    Check(FaultOp::FileSystem_GetCapacity);
    return Record().capacity;
  }
  int64_t Used() const {
    Check(FaultOp::FileSystem_GetCapacity);
    return Record().used;
  }
  void Mount(bool nonPersistent) {
    OlkCtl::Sim::CheckFault(FaultOp::FileSystem_Mount, Record().label);
    ModifyVolume(uuid_, [&](State &, VolumeRecord &record) {
      if (record.mounted)
        throw HostCtlException("Volume " + record.label + " is already mounted");
      record.mounted = true;
      if (!nonPersistent)
        record.explicitlyUnmounted = false;
    });
    Refresh();
  }
  int Unmount(bool nonPersistent) {
    OlkCtl::Sim::CheckFault(FaultOp::FileSystem_Unmount, Record().label);
    int status = 0;
    ModifyVolume(uuid_, [&](State &, VolumeRecord &record) {
      if (record.busy) {
        status = 1;
        return;
      }
      record.mounted = false;
      if (!nonPersistent)
        record.explicitlyUnmounted = true;
    });
    Refresh();
    return status;
  }
  void PrepareForUnmount() const {
    OlkCtl::Sim::CheckFault(FaultOp::FileSystem_PrepareForUnmount, Record().label);
  }

private:
  Snapshot state_;
  std::string uuid_;
};

// A file system that is not OLFS: local partitions and network mounts.
class PlainFileSystem final : public FileSystem {
public:
  PlainFileSystem(Snapshot state, const std::string &uuid) : core_(std::move(state), uuid) {}

  std::string GetType() override { return core_.Record().type; }
  std::string GetMountPoint() override { return core_.Record().MountPoint(); }
  std::string GetVolumeName() override { return core_.Record().label; }
  std::string GetUuid() override { return core_.Uuid(); }
  int64_t GetCapacity() override { return core_.Capacity(); }
  int64_t GetUsed() override { return core_.Used(); }
  bool IsMounted() override { return core_.Record().mounted; }
  void Mount(bool nonPersistent) override { core_.Mount(nonPersistent); }
  int Unmount(bool nonPersistent) override { return core_.Unmount(nonPersistent); }
  void PrepareForUnmount() override { core_.PrepareForUnmount(); }

private:
  VolumeCore core_;
};

std::unique_ptr<FileSystem> NewFileSystem(const Snapshot &state, const VolumeRecord &record) {
  if (record.IsOlfs())
    return std::make_unique<OlkCtl::Storage::VmFileSystemImpl>(state, record.uuid);
  if (OlkCtl::Sim::IsNasType(record.type))
    return OlkCtl::Sim::NewNetworkFileSystem(state, record.uuid);
  return std::make_unique<PlainFileSystem>(state, record.uuid);
}

std::unique_ptr<FileSystem> NewFileSystemOrNone(const Snapshot &state, const VolumeRecord *record) {
  return record ? NewFileSystem(state, *record) : nullptr;
}

std::unique_ptr<VmFileSystem> NewOlfsOrNone(const Snapshot &state, const VolumeRecord *record) {
  if (!record || !record->IsOlfs())
    return nullptr;
  return std::make_unique<OlkCtl::Storage::VmFileSystemImpl>(state, record->uuid);
}

// Mounted OLFS volumes of that label, every one for an empty label.
std::vector<std::unique_ptr<VmFileSystem>> MountedOlfs(const Snapshot &state, const std::string &label) {
  std::vector<std::unique_ptr<VmFileSystem>> out;
  for (const VolumeRecord &record : state->volumes().volumes)
    if (record.IsOlfs() && record.mounted && (label.empty() || record.label == label))
      out.push_back(std::make_unique<OlkCtl::Storage::VmFileSystemImpl>(state, record.uuid));
  return out;
}

// --- unresolved volumes ---

class OlfsExtentObject final : public HostCtl::Storage::OlfsExtent {
public:
  explicit OlfsExtentObject(ExtentRecord record) : record_(std::move(record)) {}
  std::string GetDeviceName() override { return record_.device; }
  uint32_t GetPartition() override { return record_.partition; }

private:
  ExtentRecord record_;
};

class UnresolvedOlfsExtentObject final : public HostCtl::Storage::UnresolvedOlfsExtent {
public:
  explicit UnresolvedOlfsExtentObject(ExtentRecord record) : record_(std::move(record)) {}
  std::string GetDeviceName() override { return record_.device; }
  uint32_t GetPartition() override { return record_.partition; }
  int64_t GetStart() override { return record_.start; }
  int64_t GetEnd() override { return record_.end; }

private:
  ExtentRecord record_;
};

// What the scan found where an extent should be, but could not read as one.
class OtherUnresolvedExtent final : public HostCtl::Storage::UnresolvedExtent {};
class OtherUnresolvedVolume final : public HostCtl::Storage::UnresolvedVolume {};

constexpr int kExtentsMissing = 2;
constexpr int kOriginalOnline = 6;

// The reason code of the eligibility question; 0: possible.
int EligibilityCode(const State &state, const UnresolvedRecord &record, bool mountQuestion) {
  if (record.code != 0)
    return record.code;
  for (const ExtentRecord &extent : record.extents)
    if (extent.kind != "olfs")
      return kExtentsMissing;
  if (mountQuestion) {
    const VolumeRecord *original = state.volumes().ByUuid(record.uuid);
    if (original && original->mounted)
      return kOriginalOnline;
  }
  return 0;
}

std::string RefusalText(int code) {
  switch (code) {
  case kExtentsMissing:
    return "some of its extents are missing";
  case kOriginalOnline:
    return "the original volume is still mounted";
  default:
    return "the host refused it (code " + std::to_string(code) + ")";
  }
}

UnresolvedRecord *FindUnresolved(State &state, const std::string &uuid, const std::string &label) {
  for (UnresolvedRecord &record : state.volumes().unresolved)
    if (record.kind == "olfs" && record.uuid == uuid && record.label == label)
      return &record;
  throw HostCtlException("Snapshot " + uuid + " is no longer unresolved");
}

// 64-bit FNV-1a: new UUIDs that are the same on every run for the same host.
uint64_t Hash(const std::string &text) {
  uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return h;
}

std::string NewUuid(const State &state, const std::string &seed) {
  for (uint64_t attempt = 0;; ++attempt) {
    const uint64_t a = Hash(seed + "#" + std::to_string(attempt));
    const uint64_t b = Hash(std::to_string(attempt) + "#" + seed);
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%08x-%04x-%012llx", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>(a), static_cast<unsigned>(b >> 48),
                  static_cast<unsigned long long>(b & 0xffffffffffffULL));
    if (!state.volumes().ByUuid(text))
      return text;
  }
}

// Turns the unresolved record into a mounted volume of that uuid and label.
void MountUnresolved(State &state, UnresolvedRecord record, const std::string &uuid,
                     const std::string &label) {
  VolumeFamily &family = state.volumes();
  VolumeRecord volume;
  volume.uuid = uuid;
  volume.label = label;
  volume.lvmUuid = record.lvmUuid;
  volume.capacity = record.capacity;
  volume.extents = std::move(record.extents);
  volume.mounted = true;
  // The snapshot takes the place of an unmounted original of the same uuid.
  std::erase_if(family.volumes, [&](const VolumeRecord &v) { return v.uuid == uuid; });
  family.volumes.push_back(std::move(volume));
}

class UnresolvedOlfsVolumeObject final : public HostCtl::Storage::UnresolvedOlfsVolume {
public:
  UnresolvedOlfsVolumeObject(Snapshot state, const UnresolvedRecord &record)
      : state_(std::move(state)), record_(&record) {}

  std::string GetVolumeName() override { return record_->label; }
  std::string GetOlfsUuid() override { return record_->uuid; }
  std::string GetLvmUuid() override { return record_->lvmUuid; }
  std::vector<std::unique_ptr<HostCtl::Storage::UnresolvedExtent>> GetExtents() override {
    std::vector<std::unique_ptr<HostCtl::Storage::UnresolvedExtent>> out;
    out.reserve(record_->extents.size());
    for (const ExtentRecord &extent : record_->extents) {
      if (extent.kind == "olfs")
        out.push_back(std::make_unique<UnresolvedOlfsExtentObject>(extent));
      else
        out.push_back(std::make_unique<OtherUnresolvedExtent>());
    }
    return out;
  }
  bool IsEligible(bool resignature, bool mount, int &reason) override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::UnresolvedOlfsVolume_IsEligible, record_->uuid);
    reason = EligibilityCode(*state_, *record_, !resignature && mount);
    return reason == 0;
  }
  std::unique_ptr<VmFileSystem> Mount(bool /*force*/, bool /*persistent*/) override {
    const std::string uuid = record_->uuid;
    const std::string label = record_->label;
    OlkCtl::Sim::CheckFault(FaultOp::UnresolvedOlfsVolume_Mount, uuid);
    OlkCtl::Sim::Current().Modify([&](State &state) {
      UnresolvedRecord *record = FindUnresolved(state, uuid, label);
      if (int code = EligibilityCode(state, *record, true))
        throw HostCtlException("Cannot mount snapshot " + uuid + ": " + RefusalText(code));
      UnresolvedRecord taken = std::move(*record);
      std::erase_if(state.volumes().unresolved, [&](const UnresolvedRecord &r) { return &r == record; });
      MountUnresolved(state, std::move(taken), uuid, label);
    });
    return std::make_unique<OlkCtl::Storage::VmFileSystemImpl>(OlkCtl::Sim::Current().Read(), uuid);
  }
  std::unique_ptr<VmFileSystem> Resignature() override {
    const std::string uuid = record_->uuid;
    const std::string label = record_->label;
    OlkCtl::Sim::CheckFault(FaultOp::UnresolvedOlfsVolume_Resignature, uuid);
    std::string newUuid;
    OlkCtl::Sim::Current().Modify([&](State &state) {
      UnresolvedRecord *record = FindUnresolved(state, uuid, label);
      if (int code = EligibilityCode(state, *record, false))
        throw HostCtlException("Cannot resignature snapshot " + uuid + ": " + RefusalText(code));
      newUuid = NewUuid(state, uuid + "/" + label);
      UnresolvedRecord taken = std::move(*record);
      std::erase_if(state.volumes().unresolved, [&](const UnresolvedRecord &r) { return &r == record; });
      MountUnresolved(state, std::move(taken), newUuid, "snap-" + newUuid.substr(0, 8) + "-" + label);
    });
    return std::make_unique<OlkCtl::Storage::VmFileSystemImpl>(OlkCtl::Sim::Current().Read(), newUuid);
  }

private:
  Snapshot state_; // keeps *record_ alive
  const UnresolvedRecord *record_;
};

class PBCacheObject final : public HostCtl::Storage::PBCache {
public:
  explicit PBCacheObject(Snapshot state) : state_(std::move(state)) {}
  HostCtl::Storage::PBCacheStats GetStats() override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::PBCache_GetStats);
    return state_->volumes().pbcache;
  }
  void ResetStats() override {
    OlkCtl::Sim::CheckFault(FaultOp::PBCache_ResetStats);
    OlkCtl::Sim::Current().Modify([](State &state) { state.volumes().pbcache.capacityMissRatio = 0; });
    state_ = OlkCtl::Sim::Current().Read();
  }

private:
  Snapshot state_;
};

} // namespace

// --- MAC addresses, advanced options ---

namespace HostCtl::Network {

MacAddress MacAddress::Parse(const std::string &text) {
  std::array<uint8_t, 6> octets{};
  unsigned values[6];
  char tail = 0;
  if (text.size() != 17 || std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &values[0], &values[1],
                                       &values[2], &values[3], &values[4], &values[5], &tail) != 6)
    throw HostCtlException("Invalid MAC address '" + text + "'");
  for (int i = 0; i < 6; ++i)
    octets[i] = static_cast<uint8_t>(values[i]);
  return MacAddress(octets);
}

std::string MacAddress::GetStringAddress() const {
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", octets_[0], octets_[1], octets_[2],
                octets_[3], octets_[4], octets_[5]);
  return text;
}

} // namespace HostCtl::Network

namespace HostCtl::Storage {

int64_t GetOptionValue(const std::string &path) {
  OlkCtl::Sim::CheckFault(FaultOp::Storage_GetOptionValue, path);
  const std::size_t slash = path.find('/', 1);
  if (path.empty() || path[0] != '/' || slash == std::string::npos)
    throw HostCtlException("Invalid option path '" + path + "'");
  Snapshot state = OlkCtl::Sim::Current().Read();
  const OlkCtl::Sim::AdvancedOptionRecord *option =
      state->system().FindOption(path.substr(1, slash - 1), path.substr(slash + 1));
  if (!option || !option->isInteger)
    throw HostCtlException("Unknown integer option '" + path + "'");
  return option->intValue;
}

} // namespace HostCtl::Storage

// --- storage info ---

namespace OlkCtl::Storage {

std::vector<std::unique_ptr<FileSystem>> StorageInfoImpl::GetFileSystems() {
  Sim::CheckFault(FaultOp::StorageInfo_GetFileSystems);
  std::vector<std::unique_ptr<FileSystem>> out;
  out.reserve(state_->volumes().volumes.size());
  for (const Sim::VolumeRecord &record : state_->volumes().volumes)
    out.push_back(NewFileSystem(state_, record));
  return out;
}

std::unique_ptr<FileSystem> StorageInfoImpl::GetFileSystemByUuidEx(const std::string &uuid) {
  Sim::CheckFault(FaultOp::StorageInfo_GetFileSystemByUuidEx, uuid);
  return NewFileSystemOrNone(state_, state_->volumes().ByUuid(uuid));
}

std::unique_ptr<FileSystem> StorageInfoImpl::GetFileSystemByUUID(const std::string &uuid) {
  Sim::CheckFault(FaultOp::StorageInfo_GetFileSystemByUUID, uuid);
  return NewFileSystemOrNone(state_, state_->volumes().ByUuid(uuid));
}

std::unique_ptr<FileSystem> StorageInfoImpl::GetFileSystemByLabel(const std::string &label) {
  Sim::CheckFault(FaultOp::StorageInfo_GetFileSystemByLabel, label);
  return NewFileSystemOrNone(state_, state_->volumes().ByLabel(label));
}

std::unique_ptr<FileSystem> StorageInfoImpl::GetFileSystemByPath(const std::string &path) {
  Sim::CheckFault(FaultOp::StorageInfo_GetFileSystemByPath, path);
  return NewFileSystemOrNone(state_, state_->volumes().ByPath(path));
}

bool StorageInfoImpl::TryMount(FileSystem::MountOperationOption option, const std::string &uuid,
                               const std::string &label) {
  Sim::CheckFault(FaultOp::StorageInfo_TryMount, uuid.empty() ? label : uuid);
  bool mounted = false;
  Sim::Current().Modify([&](Sim::State &state) {
    const Sim::VolumeRecord *found =
        uuid.empty() ? state.volumes().ByLabel(label) : state.volumes().ByUuid(uuid);
    if (!found || found->mounted)
      return;
    Sim::VolumeRecord *record = state.volumes().MutableByUuid(found->uuid);
    record->mounted = true;
    if (option == FileSystem::MOUNT_PERSISTENT)
      record->explicitlyUnmounted = false;
    mounted = true;
  });
  Refresh();
  return mounted;
}

void StorageInfoImpl::RescanOlfs() {
  Sim::CheckFault(FaultOp::StorageInfo_RescanOlfs);
  Sim::Current().Modify([](Sim::State &state) {
    Sim::VolumeFamily &family = state.volumes();
    std::vector<Sim::VolumeRecord> still;
    for (Sim::VolumeRecord &volume : family.pending) {
      bool present = !volume.extents.empty();
      for (const Sim::ExtentRecord &extent : volume.extents)
        present = present && state.devices().Find(extent.device) != nullptr;
      if (present && !family.ByUuid(volume.uuid)) {
        volume.mounted = true;
        family.volumes.push_back(std::move(volume));
        family.Reindex();
      } else {
        still.push_back(std::move(volume));
      }
    }
    family.pending = std::move(still);
  });
  Refresh();
}

void StorageInfoImpl::AutoFullMountVolumes() {
  Sim::CheckFault(FaultOp::StorageInfo_AutoFullMountVolumes);
  Sim::Current().Modify([](Sim::State &state) {
    for (Sim::VolumeRecord &volume : state.volumes().volumes)
      if (!volume.mounted && !volume.explicitlyUnmounted)
        volume.mounted = true;
  });
  Refresh();
}

void StorageInfoImpl::SignalIORM(bool) {
  Sim::CheckFault(FaultOp::StorageInfo_SignalIORM);
}

std::vector<std::unique_ptr<VmFileSystem>> StorageInfoImpl::GetOlfsFileSystems(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_GetOlfsFileSystems);
  return MountedOlfs(state_, name);
}

std::vector<std::unique_ptr<VmFileSystem>> StorageInfoImpl::GetOlfsFileSystemsList(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_GetOlfsFileSystemsList);
  return MountedOlfs(state_, name);
}

std::unique_ptr<VmFileSystem> StorageInfoImpl::GetOlfsFileSystemByUuid(const std::string &uuid) {
  Sim::CheckFault(FaultOp::StorageInfo_GetOlfsFileSystemByUuid, uuid);
  return NewOlfsOrNone(state_, state_->volumes().ByUuid(uuid));
}

std::unique_ptr<VmFileSystem> StorageInfoImpl::GetOlfsFileSystemByLabel(const std::string &label) {
  Sim::CheckFault(FaultOp::StorageInfo_GetOlfsFileSystemByLabel, label);
  return NewOlfsOrNone(state_, state_->volumes().ByLabel(label));
}

std::vector<std::unique_ptr<HostCtl::Storage::UnresolvedVolume>> StorageInfoImpl::GetUnresolvedVolumes() {
  Sim::CheckFault(FaultOp::StorageInfo_GetUnresolvedVolumes);
  std::vector<std::unique_ptr<HostCtl::Storage::UnresolvedVolume>> out;
  for (const Sim::UnresolvedRecord &record : state_->volumes().unresolved) {
    if (record.kind == "olfs")
      out.push_back(std::make_unique<UnresolvedOlfsVolumeObject>(state_, record));
    else
      out.push_back(std::make_unique<OtherUnresolvedVolume>());
  }
  return out;
}

std::unique_ptr<HostCtl::Storage::PBCache> StorageInfoImpl::GetPBCache() {
  Sim::CheckFault(FaultOp::StorageInfo_GetPBCache);
  return std::make_unique<PBCacheObject>(state_);
}

// --- OLFS volumes ---

VmFileSystemImpl::VmFileSystemImpl(const std::string &path) : state_(Sim::Current().Read()) {
  const Sim::VolumeRecord *record = state_->volumes().ByPath(path);
  if (!record || !record->IsOlfs())
    throw HostCtlException("No OLFS volume is known at " + path);
  uuid_ = record->uuid;
}

VmFileSystemImpl::VmFileSystemImpl(std::shared_ptr<const Sim::State> state, std::string uuid)
    : state_(std::move(state)), uuid_(std::move(uuid)) {}

VmFileSystemImpl::~VmFileSystemImpl() = default;

std::unique_ptr<VmFileSystem> VmFileSystemImpl::GetOLFSFileSystemByUUID(const std::string &uuid) {
  Sim::CheckFault(FaultOp::VmFileSystemImpl_GetOLFSFileSystemByUUID, uuid);
  Snapshot state = Sim::Current().Read();
  return NewOlfsOrNone(state, state->volumes().ByUuid(uuid));
}

std::unique_ptr<VmFileSystem> VmFileSystemImpl::GetOLFSFileSystemByLabel(const std::string &label) {
  Sim::CheckFault(FaultOp::VmFileSystemImpl_GetOLFSFileSystemByLabel, label);
  Snapshot state = Sim::Current().Read();
  return NewOlfsOrNone(state, state->volumes().ByLabel(label));
}

const Sim::VolumeRecord &VmFileSystemImpl::Record() const {
  return RecordIn(*state_, uuid_);
}

namespace {
// The volume core over an OLFS object's snapshot; changes refresh the object.
template <class Op>
auto WithCore(std::shared_ptr<const Sim::State> &state, const std::string &uuid, const Op &op) {
  VolumeCore core(state, uuid);
  if constexpr (std::is_void_v<decltype(op(core))>) {
    op(core);
    state = Sim::Current().Read();
  } else {
    auto result = op(core);
    state = Sim::Current().Read();
    return result;
  }
}

void CheckOn(const Sim::State &state, const FaultOperation &operation, const Sim::VolumeRecord &record) {
  Sim::CheckFault(state, operation, record.label);
}
} // namespace

std::string VmFileSystemImpl::GetType() {
  return Record().type;
}
std::string VmFileSystemImpl::GetMountPoint() {
  return Record().MountPoint();
}
std::string VmFileSystemImpl::GetVolumeName() {
  return Record().label;
}
std::string VmFileSystemImpl::GetUuid() {
  return uuid_;
}
int64_t VmFileSystemImpl::GetCapacity() {
  return VolumeCore(state_, uuid_).Capacity();
}
int64_t VmFileSystemImpl::GetUsed() {
  return VolumeCore(state_, uuid_).Used();
}
bool VmFileSystemImpl::IsMounted() {
  return Record().mounted;
}
void VmFileSystemImpl::Mount(bool nonPersistent) {
  WithCore(state_, uuid_, [&](VolumeCore &core) { core.Mount(nonPersistent); });
}
int VmFileSystemImpl::Unmount(bool nonPersistent) {
  return WithCore(state_, uuid_, [&](VolumeCore &core) { return core.Unmount(nonPersistent); });
}
void VmFileSystemImpl::PrepareForUnmount() {
  VolumeCore(state_, uuid_).PrepareForUnmount();
}

int VmFileSystemImpl::GetMajorVersion() {
  return Record().majorVersion;
}
std::string VmFileSystemImpl::GetLvmUuid() {
  return Record().lvmUuid;
}

std::vector<std::unique_ptr<HostCtl::Storage::OlfsExtent>> VmFileSystemImpl::GetExtents() {
  CheckOn(*state_, FaultOp::VmFileSystem_GetExtents, Record());
  std::vector<std::unique_ptr<HostCtl::Storage::OlfsExtent>> out;
  out.reserve(Record().extents.size());
  for (const Sim::ExtentRecord &extent : Record().extents)
    out.push_back(std::make_unique<OlfsExtentObject>(extent));
  return out;
}

bool VmFileSystemImpl::IsAccessible() {
  return Record().accessible;
}

uint32_t VmFileSystemImpl::GetLockState() {
  CheckOn(*state_, FaultOp::VmFileSystem_GetLockState, Record());
  return Record().lockState;
}

void VmFileSystemImpl::SetLockState(uint32_t flags) {
  Sim::CheckFault(FaultOp::VmFileSystem_SetLockState, Record().label);
  ModifyVolume(uuid_, [&](Sim::State &state, Sim::VolumeRecord &record) {
    if ((flags & LOCK_ATS_ONLY) && !(record.lockState & LOCK_ATS_ONLY)) {
      if (record.majorVersion == 3)
        throw HostCtlException("ATS-only locking is not supported on OLFS-3 volume " + record.label);
      if (Sim::DeviceAtsSupport(state, record) != 1)
        throw HostCtlException("The device under volume " + record.label + " does not support ATS");
    }
    record.lockState = flags;
    for (Sim::HostUserRecord &user : record.users)
      if (user.self)
        user.lockMode = (flags & LOCK_ATS_ONLY) ? 4 : 0;
  });
  state_ = Sim::Current().Read();
}

int VmFileSystemImpl::GetDeviceAtsSupport() {
  return Sim::DeviceAtsSupport(*state_, Record());
}

uint64_t VmFileSystemImpl::GetCapabilities() {
  return Record().capabilities;
}

HostCtl::Storage::OlfsVolumeUnmapProperty VmFileSystemImpl::GetUnmapProperty() {
  CheckOn(*state_, FaultOp::VmFileSystem_GetUnmapProperty, Record());
  const Sim::UnmapRecord &r = Record().unmap;
  HostCtl::Storage::OlfsVolumeUnmapProperty property;
  property.granularity = r.granularity;
  property.priority = r.priority;
  property.method = r.method;
  property.bandwidth = r.bandwidth;
  property.maxHosts = static_cast<uint16_t>(r.maxHosts);
  return property;
}

void VmFileSystemImpl::SetUnmapProperty(const HostCtl::Storage::OlfsVolumeUnmapProperty &property) {
  Sim::CheckFault(FaultOp::VmFileSystem_SetUnmapProperty, Record().label);
  ModifyVolume(uuid_, [&](Sim::State &, Sim::VolumeRecord &record) {
    // Fields given as 0 or empty keep their value.
    Sim::UnmapRecord &r = record.unmap;
    if (property.granularity != 0)
      r.granularity = property.granularity;
    if (!property.priority.empty())
      r.priority = property.priority;
    if (!property.method.empty())
      r.method = property.method;
    if (property.bandwidth != 0)
      r.bandwidth = property.bandwidth;
    if (property.maxHosts != 0)
      r.maxHosts = property.maxHosts;
  });
  state_ = Sim::Current().Read();
}

std::vector<HostCtl::Storage::OlfsUserInfo> VmFileSystemImpl::GetHostUsers(bool quickLiveness) {
  CheckOn(*state_, FaultOp::VmFileSystem_GetHostUsers, Record());
  std::vector<HostCtl::Storage::OlfsUserInfo> out;
  for (const Sim::HostUserRecord &user : Record().users) {
    if (quickLiveness && !user.live)
      continue;
    HostCtl::Storage::OlfsUserInfo info;
    info.heartbeatUuid = user.heartbeatUuid;
    info.macAddress = HostCtl::Network::MacAddress::Parse(user.mac);
    info.driverVersionMajor = user.driverMajor;
    info.driverVersionMinor = user.driverMinor;
    info.heartbeatOffset = user.heartbeatOffset;
    info.lockMode = static_cast<uint8_t>(user.lockMode);
    out.push_back(std::move(info));
  }
  return out;
}

bool VmFileSystemImpl::GetClusteredOldkSupport() {
  CheckOn(*state_, FaultOp::VmFileSystem_GetClusteredOldkSupport, Record());
  return Record().clusteredOldk;
}

void VmFileSystemImpl::SetClusteredOldkSupport(bool enabled) {
  Sim::CheckFault(FaultOp::VmFileSystem_SetClusteredOldkSupport, Record().label);
  ModifyVolume(uuid_, [&](Sim::State &, Sim::VolumeRecord &record) {
    if (record.majorVersion < 6)
      throw HostCtlException("Clustered OLDK support requires OLFS-6 or later; volume " + record.label +
                             " is OLFS-" + std::to_string(record.majorVersion));
    record.clusteredOldk = enabled;
  });
  state_ = Sim::Current().Read();
}

void VmFileSystemImpl::UnmapVolume(unsigned reclaimUnit, void *) {
  Sim::CheckFault(FaultOp::VmFileSystem_UnmapVolume, Record().label);
  ModifyVolume(uuid_, [&](Sim::State &, Sim::VolumeRecord &record) {
    if (!record.mounted)
      throw HostCtlException("Volume " + record.label + " is not mounted");
    record.lastReclaimUnit = reclaimUnit;
  });
  state_ = Sim::Current().Read();
}

void VmFileSystemImpl::ConvertToVersion5() {
  Sim::CheckFault(FaultOp::VmFileSystem_ConvertToVersion5, Record().label);
  ModifyVolume(uuid_, [&](Sim::State &, Sim::VolumeRecord &record) {
    if (record.majorVersion != 3)
      throw HostCtlException("Volume " + record.label + " is OLFS-" + std::to_string(record.majorVersion) +
                             "; only OLFS-3 volumes can be upgraded to OLFS-5");
    record.majorVersion = 5;
  });
  state_ = Sim::Current().Read();
}

} // namespace OlkCtl::Storage

// --- hardware ---

namespace OlkCtl::System {

std::vector<HardwareInfoImpl::MemHeapStats> HardwareInfoImpl::GetMemHeapStats() {
  Sim::CheckFault(FaultOp::HardwareInfo_GetMemHeapStats);
  std::vector<MemHeapStats> out;
  for (const Sim::HeapRecord &heap : state_->volumes().heaps)
    out.push_back({heap.name, heap.currentSize, heap.maxSize});
  return out;
}

} // namespace OlkCtl::System

// --- the management daemon's datastore notification ---

namespace OlkCtl::Sim {

// "-t TYPE -i stdin", the datastore names on standard input: the daemon keeps
// the newest notifications.
int RunNotifyDatastoreScript(const ScriptArgs &args, std::string &outputText, const std::string &inputText) {
  if (args.size() != 4 || args[0] != "-t" || args[2] != "-i" || args[3] != "stdin") {
    outputText = "usage: notifyDatastore.py -t TYPE -i stdin\n";
    return 2;
  }
  Current().Modify([&](State &state) {
    std::vector<NotificationRecord> &kept = state.volumes().notifications;
    kept.push_back(NotificationRecord{args[1], inputText});
    if (kept.size() > VolumeFamily::kMaxNotifications)
      kept.erase(kept.begin(), kept.end() - VolumeFamily::kMaxNotifications);
  });
  return 0;
}

} // namespace OlkCtl::Sim

// --- NAS volumes as file systems ---

namespace OlkCtl::Sim {

std::unique_ptr<FileSystem> NewPlainFileSystem(const Snapshot &state, const std::string &uuid) {
  return std::make_unique<PlainFileSystem>(state, uuid);
}

} // namespace OlkCtl::Sim
