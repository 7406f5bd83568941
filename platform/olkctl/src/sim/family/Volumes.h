// The volumes family of the simulated host: file systems (OLFS volumes, local
// partitions, and the network mounts other families add), unresolved OLFS
// snapshots, the pointer-block cache and the OLFS heap (document member "volumes").
#pragma once

#include <hostctl/storage/FileSystem.h>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

class Node;
class State;

// One extent: a partition of a device. Only unresolved volumes carry extents
// of another kind than "olfs" (placeholders for what the scan could not read).
struct ExtentRecord {
  std::string kind = "olfs";
  std::string device;
  uint32_t partition = 1;
  int64_t start = 0; // sectors
  int64_t end = 0;
};

// A host that has the volume open, as its heartbeat shows.
struct HostUserRecord {
  std::string heartbeatUuid;
  std::string mac; // "00:50:56:aa:bb:cc"
  uint32_t driverMajor = 0;
  uint32_t driverMinor = 0;
  int64_t heartbeatOffset = 0;
  uint32_t lockMode = 0; // 4: ATS-only
  bool live = true;      // false: a stale heartbeat, dropped by a quick liveness check
  bool self = false;     // this host: its lock mode follows the volume's
};

struct UnmapRecord {
  int64_t granularity = 1048576;
  std::string priority = "low";
  std::string method = "priority";
  int32_t bandwidth = 0;
  uint32_t maxHosts = 0;
};

// One file system the host knows. Sizes in bytes.
struct VolumeRecord {
  std::string uuid;
  std::string label;
  std::string type = "OLFS"; // "OLFS", "vfat", ...
  int32_t majorVersion = 6;  // OLFS only
  std::string lvmUuid;
  int64_t capacity = 0;
  int64_t used = 0;
  bool mounted = true;
  bool explicitlyUnmounted = false; // unmounted persistently: automount leaves it
  bool busy = false;                // open files: an unmount is refused
  bool accessible = true;
  std::vector<ExtentRecord> extents; // OLFS only
  uint32_t lockState = 0;            // 0x10 ATS-only, 0x20 upgrade pending, 0x40 downgrade pending
  uint64_t capabilities = 0;         // 0x4000: a limit on hosts reclaiming space
  bool clusteredOldk = false;
  UnmapRecord unmap;
  uint32_t lastReclaimUnit = 0; // what the last unmap ran with; 0: never ran
  std::vector<HostUserRecord> users;

  std::string MountPoint() const { return "/olfs/volumes/" + uuid; }
  bool IsOlfs() const { return type == "OLFS"; }
};

// A volume whose extents' signatures do not match their devices: a snapshot
// or replica. Entries of another kind than "olfs" are not OLFS volumes.
struct UnresolvedRecord {
  std::string kind = "olfs";
  std::string uuid;
  std::string label;
  std::string lvmUuid;
  int64_t capacity = 0;
  std::vector<ExtentRecord> extents;
  int32_t code = 0; // a reason the host reports whatever is asked; 0: none
};

struct HeapRecord {
  std::string name;
  uint64_t currentSize = 0; // bytes
  uint64_t maxSize = 0;
};

// A datastore notification the host management daemon received.
struct NotificationRecord {
  std::string type; // "PreUnmount", "FailedUnmount"
  std::string names;
};

struct VolumeFamily {
  std::vector<VolumeRecord> volumes; // host order
  // Volumes on devices the host has not discovered yet: a rescan that finds
  // all their devices adds them, mounted.
  std::vector<VolumeRecord> pending;
  std::vector<UnresolvedRecord> unresolved;
  HostCtl::Storage::PBCacheStats pbcache;
  std::vector<HeapRecord> heaps;
  std::vector<NotificationRecord> notifications; // the newest last, at most kMaxNotifications

  static constexpr std::size_t kMaxNotifications = 32;

  // Look-ups; null when none. The mount point "/olfs/volumes/<label>" finds a volume too.
  const VolumeRecord *ByUuid(const std::string &uuid) const;
  const VolumeRecord *ByLabel(const std::string &label) const;
  const VolumeRecord *ByPath(const std::string &path) const;
  VolumeRecord *MutableByUuid(const std::string &uuid);

  // Whether a mounted OLFS volume has an extent on the device.
  bool BacksMountedVolume(const std::string &device) const;

  void Reindex();

private:
  std::unordered_map<std::string, std::size_t> byUuid_;
  std::unordered_map<std::string, std::size_t> byLabel_; // the first volume of a label
  std::unordered_map<std::string, std::size_t> mountedDevices_;
};

// Checks that every extent sits on a device the host knows (pending volumes:
// also a device an adapter will discover). Throws StateError naming the place.
void CheckVolumeDevices(const State &state);

// ATS support of the device an OLFS volume's first extent sits on: 1 supported.
int DeviceAtsSupport(const State &state, const VolumeRecord &volume);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, VolumeFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const VolumeFamily &family);

} // namespace OlkCtl::Sim
