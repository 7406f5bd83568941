// The devices family of the simulated host: records, indexes and JSON mapping
// (document member "devices").
#pragma once

#include "sim/family/Indexed.h"

#include <hostctl/storage/ScsiStats.h>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// What the controller reports about the physical drives behind a device.
struct RaidRecord {
  uint32_t kind = 0; // 1: a RAID volume built from several drives
  uint32_t drives = 0;
  std::string driveType;
  std::string level; // "RAID1", ...; meaningful for a RAID volume only
};

// A partition of a disk as its table records it. The whole-device entry 0 is
// not stored: the device's size gives it.
struct PartitionRecord {
  uint32_t number = 0;
  uint32_t type = 0; // partition type code: 0xfb OLFS, 0x83 Linux, ...
  uint64_t startSector = 0;
  uint64_t endSector = 0;
  std::string guid; // GPT only
};

// One logical device registered with the storage stack. Devices reach adapters
// only through path records (PathRecord::deviceName).
struct DeviceRecord {
  std::string name; // canonical UID
  std::string displayName;
  bool displayNameSettable = true;
  uint64_t size = 0; // bytes
  std::string deviceType = "Direct-Access";
  std::string multipathPlugin = "NMP";
  std::string devfsPath;
  std::string vendor; // padded as the device reports it
  std::string model;
  std::string revision;
  std::string nvmeControllerModel;
  uint32_t pciVendorId = 0;
  uint32_t pciSubVendorId = 0;
  int32_t scsiLevel = 6;
  bool pseudo = false;
  std::string status = "on";
  bool rdmCapable = false;
  bool local = false;
  bool removable = false;
  bool ssd = false;
  bool xvolPE = false;
  bool offline = false;
  bool perenniallyReserved = false;
  bool notShared = false;
  int32_t queueFullSampleSize = 0;
  int32_t queueFullThreshold = 0;
  int32_t maxQueueDepth = 32;
  int32_t outstandingIosCompetingWorlds = 32;
  bool protectionEnabled = false;
  bool piActivated = false;
  int32_t piType = 0;
  bool dixEnabled = false;
  uint32_t guardTypeMask = 0;    // bit 0 CRC, bit 1 IP
  uint32_t protectionMask = 0;   // bits 0..6: T1, T2, T3, T0+DIX .. T3+DIX
  std::vector<std::string> uids; // every UID the device answers to, the name included
  int32_t thinProvisioning = 2;  // 1 yes, 0 no, else unknown
  uint32_t protocol = 0;         // 0 SCSI, 1 NVMe
  bool emulatedDixDif = false;
  bool nvme = false;
  bool psaConfig = true; // false: the device has no PSA configuration at all
  std::vector<std::string> filters;
  RaidRecord raid;
  // The device backs a mounted volume or is otherwise busy: its last usable
  // path cannot be turned off.
  bool inUse = false;

  // Settings. `displayName` is the derived default; a user-defined name wins.
  std::string userDisplayName;
  int32_t queueDepthLimit = 1024; // the largest queue depth the adapter allows
  int32_t ledMode = 0;            // 0 off, 1 locator, 2 error
  int32_t ledDuration = 0;        // seconds; 0: as long as the hardware allows
  bool writeCache = false;
  bool inquiryCacheIgnore = false;
  int32_t latencyThreshold = 0; // milliseconds
  int32_t lastSeenDaysAgo = 0;  // offline devices: days since the device last answered
  bool olfsMounted = false;     // a mounted OLFS volume has an extent on the device

  // Layout. Size = logical block count x logical block size.
  uint32_t physicalBlockSize = 512;
  uint32_t logicalBlockSize = 512;
  int32_t formatType = 1;     // 1 512n, 2 512e, 3 4K, 4 4Kn SWE
  int32_t partitionTable = 0; // disks: 0 none, 1 MBR, 2 GPT
  std::vector<PartitionRecord> partitions;
  HostCtl::Storage::ScsiStats stats;
  std::vector<std::string> physicalLocations;

  // NVMe namespaces only.
  std::vector<std::string> subNqns;
  std::string nvmeSpecRevision;
  bool dispersed = false;

  // Direct-access devices are disks: they carry a partition table.
  bool IsDisk() const { return deviceType == "Direct-Access"; }
  const std::string &ShownDisplayName() const {
    return userDisplayName.empty() ? displayName : userDisplayName;
  }

  const std::vector<std::string> &OtherNames() const { return uids; }
};

// Found by every name and UID; the canonical name wins over another device's
// UID of the same text.
using DeviceFamily = IndexedFamily<DeviceRecord>;

// The persistent list of devices detached by hand (turned off persistently or
// marked detached), in the order they were added. Entries outlive the device.
struct DetachedRecord {
  std::string uid;
  std::string state = "off";
};

struct DetachedFamily {
  std::vector<DetachedRecord> records;
  // Null when the UID is not listed.
  const DetachedRecord *Find(const std::string &uid) const;
  void Add(const std::string &uid);
  // False when the UID was not listed.
  bool Remove(const std::string &uid);
  void Reindex() {} // short list: searched directly
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, DeviceFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const DeviceFamily &family);
void LoadFamily(const Node &node, DetachedFamily &family);
nlohmann::ordered_json SaveFamily(const DetachedFamily &family);

} // namespace OlkCtl::Sim
