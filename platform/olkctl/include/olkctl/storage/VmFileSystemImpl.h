// The simulated host's OLFS volumes, reached by their mount path or looked up
// by UUID or label.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/FileSystem.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
struct VolumeRecord;
} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

class OLKCTL_API VmFileSystemImpl : public HostCtl::Storage::VmFileSystem {
public:
  // The OLFS volume mounted, or last mounted, at "/olfs/volumes/<uuid or
  // label>"; throws HostCtlException when there is none.
  explicit VmFileSystemImpl(const std::string &path);
  VmFileSystemImpl(std::shared_ptr<const Sim::State> state, std::string uuid);
  ~VmFileSystemImpl() override;

  // Any OLFS volume the host knows, mounted or not; none when not found.
  static std::unique_ptr<HostCtl::Storage::VmFileSystem> GetOLFSFileSystemByUUID(const std::string &uuid);
  static std::unique_ptr<HostCtl::Storage::VmFileSystem> GetOLFSFileSystemByLabel(const std::string &label);
  // The UUID of the file system whose first extent is the partition
  // ("device:number"), and its type in `fsType`; empty when there is none.
  static std::string FindOlfsFileSystemGivenHeadPartition(const std::string &partitionName,
                                                          std::string &fsType);

  std::string GetType() override;
  std::string GetMountPoint() override;
  std::string GetVolumeName() override;
  std::string GetUuid() override;
  int64_t GetCapacity() override;
  int64_t GetUsed() override;
  bool IsMounted() override;
  void Mount(bool nonPersistent) override;
  int Unmount(bool nonPersistent) override;
  void PrepareForUnmount() override;

  int GetMajorVersion() override;
  std::string GetLvmUuid() override;
  std::vector<std::unique_ptr<HostCtl::Storage::OlfsExtent>> GetExtents() override;
  bool IsAccessible() override;
  uint32_t GetLockState() override;
  void SetLockState(uint32_t flags) override;
  int GetDeviceAtsSupport() override;
  uint64_t GetCapabilities() override;
  HostCtl::Storage::OlfsVolumeUnmapProperty GetUnmapProperty() override;
  void SetUnmapProperty(const HostCtl::Storage::OlfsVolumeUnmapProperty &property) override;
  std::vector<HostCtl::Storage::OlfsUserInfo> GetHostUsers(bool quickLiveness) override;
  bool GetClusteredOldkSupport() override;
  void SetClusteredOldkSupport(bool enabled) override;

  // Reclaims free blocks now, `reclaimUnit` blocks per iteration.
  void UnmapVolume(unsigned reclaimUnit, void *context);
  // OLFS-3 to OLFS-5 only.
  void ConvertToVersion5();

private:
  const Sim::VolumeRecord &Record() const;

  std::shared_ptr<const Sim::State> state_;
  std::string uuid_;
};

} // namespace OlkCtl::Storage
