// Volumes (datastores): file systems, OLFS volumes with their extents, host
// users and settings, unresolved OLFS snapshots and the pointer-block cache.
#pragma once

#include <hostctl/Export.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace HostCtl::Network {

class OLKCTL_API MacAddress {
public:
  MacAddress() = default;
  explicit MacAddress(const std::array<uint8_t, 6> &octets) : octets_(octets) {}
  // "00:50:56:aa:bb:cc"; throws HostCtlException for any other shape.
  static MacAddress Parse(const std::string &text);
  // Lower-case hexadecimal octets joined by ":".
  std::string GetStringAddress() const;

private:
  std::array<uint8_t, 6> octets_{};
};

} // namespace HostCtl::Network

namespace HostCtl::Storage {

// A file system the host can mount.
class OLKCTL_API FileSystem {
public:
  enum MountOperationOption { MOUNT_PERSISTENT = 0, MOUNT_NON_PERSISTENT = 1 };

  virtual ~FileSystem() = default;
  virtual std::string GetType() = 0; // "OLFS", "vfat", ...
  virtual std::string GetMountPoint() = 0;
  virtual std::string GetVolumeName() = 0;
  virtual std::string GetUuid() = 0;
  // Bytes.
  virtual int64_t GetCapacity() = 0;
  virtual int64_t GetUsed() = 0;
  virtual bool IsMounted() = 0;
  // A non-persistent mount is not restored after a restart.
  virtual void Mount(bool nonPersistent) = 0;
  // 1: busy, nothing was unmounted; anything else: unmounted. A persistent
  // unmount marks the volume explicitly unmounted.
  virtual int Unmount(bool nonPersistent) = 0;
  virtual void PrepareForUnmount() = 0;
};

// An extent of a mounted OLFS volume.
class OLKCTL_API OlfsExtent {
public:
  virtual ~OlfsExtent() = default;
  virtual std::string GetDeviceName() = 0;
  virtual uint32_t GetPartition() = 0;
};

struct OlfsVolumeUnmapProperty {
  int64_t granularity = 0; // bytes
  std::string priority;
  std::string method;
  int32_t bandwidth = 0; // MB/s
  uint16_t maxHosts = 0;
};

struct OlfsUserInfo {
  std::string heartbeatUuid;
  Network::MacAddress macAddress;
  uint32_t driverVersionMajor = 0;
  uint32_t driverVersionMinor = 0;
  int64_t heartbeatOffset = 0;
  uint8_t lockMode = 0; // 4: ATS-only
};

class OLKCTL_API VmFileSystem : public FileSystem {
public:
  static constexpr const char *OLFS_TYPE = "OLFS";
  // The flash read cache's own file system.
  static constexpr const char *KFFS_TYPE = "KFFS";
  // Lock-state flags.
  static constexpr uint32_t LOCK_ATS_ONLY = 0x10;
  static constexpr uint32_t LOCK_ATS_UPGRADE_PENDING = 0x20;
  static constexpr uint32_t LOCK_ATS_DOWNGRADE_PENDING = 0x40;
  // Capability flags.
  static constexpr uint64_t CAP_UNMAP_HOST_LIMIT = 0x4000;

  virtual int GetMajorVersion() = 0;
  virtual std::string GetLvmUuid() = 0;
  // In extent order; an entry may be empty.
  virtual std::vector<std::unique_ptr<OlfsExtent>> GetExtents() = 0;
  virtual bool IsAccessible() = 0;
  virtual uint32_t GetLockState() = 0;
  virtual void SetLockState(uint32_t flags) = 0;
  // 1: the device under the volume supports ATS.
  virtual int GetDeviceAtsSupport() = 0;
  virtual uint64_t GetCapabilities() = 0;
  virtual OlfsVolumeUnmapProperty GetUnmapProperty() = 0;
  // Fields given as 0 or empty keep their value.
  virtual void SetUnmapProperty(const OlfsVolumeUnmapProperty &property) = 0;
  // With `quickLiveness`, hosts whose heartbeat is not live are left out.
  virtual std::vector<OlfsUserInfo> GetHostUsers(bool quickLiveness) = 0;
  virtual bool GetClusteredOldkSupport() = 0;
  virtual void SetClusteredOldkSupport(bool enabled) = 0;
};

// Entries of an unresolved volume's extent list.
class OLKCTL_API UnresolvedExtent {
public:
  virtual ~UnresolvedExtent() = default;
};

class OLKCTL_API UnresolvedOlfsExtent : public UnresolvedExtent {
public:
  virtual std::string GetDeviceName() = 0;
  virtual uint32_t GetPartition() = 0;
  virtual int64_t GetStart() = 0;
  virtual int64_t GetEnd() = 0;
};

// A volume the host found but did not mount.
class OLKCTL_API UnresolvedVolume {
public:
  virtual ~UnresolvedVolume() = default;
};

// A snapshot or replica of an OLFS volume.
class OLKCTL_API UnresolvedOlfsVolume : public UnresolvedVolume {
public:
  virtual std::string GetVolumeName() = 0;
  virtual std::string GetOlfsUuid() = 0;
  virtual std::string GetLvmUuid() = 0;
  virtual std::vector<std::unique_ptr<UnresolvedExtent>> GetExtents() = 0;
  // (false, true) asks whether it can be mounted, (true, false) and (false,
  // false) whether it can be resignatured; `reason` receives the code.
  virtual bool IsEligible(bool resignature, bool mount, int &reason) = 0;
  // Mounts it under its own UUID and label.
  virtual std::unique_ptr<VmFileSystem> Mount(bool force, bool persistent) = 0;
  // Gives it a new UUID and label and mounts it.
  virtual std::unique_ptr<VmFileSystem> Resignature() = 0;
};

struct PBCacheStats {
  uint64_t cacheSize = 0; // bytes
  uint64_t cacheSizeMax = 0;
  uint64_t workingSet = 0;
  uint64_t workingSetMax = 0;
  uint64_t heapOverhead = 0;
  uint32_t capacityMissRatio = 0; // percent
};

// The OLFS pointer-block cache.
class OLKCTL_API PBCache {
public:
  virtual ~PBCache() = default;
  virtual PBCacheStats GetStats() = 0;
  // Zeroes the miss ratio.
  virtual void ResetStats() = 0;
};

// The integer value of the advanced option at "/Group/Name"; throws
// HostCtlException for an unknown or string option.
OLKCTL_API int64_t GetOptionValue(const std::string &path);

} // namespace HostCtl::Storage
