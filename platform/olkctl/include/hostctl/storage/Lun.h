// A logical device registered with the pluggable storage architecture.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/HwacAttributes.h>
#include <hostctl/storage/SmartParameters.h>

#include <hostctl/storage/ScsiStats.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace HostCtl::Storage {

// The host's RAID information record: the kind, the drive count, then
// NUL-terminated texts at fixed places.
struct LunRaidInfo {
  static constexpr uint32_t KIND_RAID_VOLUME = 1;
  uint32_t kind = 0;
  uint8_t numPhysicalDrives = 0;
  char driveType[64] = {};
  char reserved[31] = {};
  char raidLevel[32] = {};
};

// A device's PSA configuration: the filters attached to it, in order.
class OLKCTL_API PsaDeviceConfig {
public:
  virtual ~PsaDeviceConfig() = default;
  virtual std::vector<std::string> GetFilterNames() const = 0;
};

class OLKCTL_API Lun {
public:
  // Codes of GetHwacSupport() and GetThinProvisioningStatus().
  static constexpr int HWAC_SUPPORTED = 1;
  static constexpr int HWAC_UNSUPPORTED = 2;
  static constexpr int THIN_PROVISIONING_NO = 0;
  static constexpr int THIN_PROVISIONING_YES = 1;
  // Protocol codes: only SCSI devices report the emulated DIX/DIF flag.
  static constexpr uint32_t PROTOCOL_SCSI = 0;
  static constexpr uint32_t PROTOCOL_NVME = 1;

  virtual ~Lun() = default;

  virtual std::string GetName() const = 0;
  virtual std::string GetDisplayName() const = 0;
  virtual bool IsDisplayNameSettable() const = 0;
  virtual uint64_t GetSize() const = 0; // bytes
  virtual std::string GetDeviceTypeString() const = 0;
  virtual std::string GetMultipathPluginName() const = 0;
  virtual std::string GetDevfsPath() const = 0;
  virtual std::string GetVendor() const = 0;
  virtual std::string GetModel() const = 0;
  virtual std::string GetRevision() const = 0;
  virtual std::string GetNvmeControllerModel() const = 0;
  virtual uint32_t GetPciVendorId() const = 0;
  virtual uint32_t GetPciSubVendorId() const = 0;
  virtual int GetScsiLevel() const = 0;
  virtual bool IsPseudo() const = 0;
  virtual const char *GetStatusString() const = 0;
  virtual bool IsRDMCapable() const = 0;
  virtual bool IsLocal() const = 0;
  virtual bool IsRemovable() const = 0;
  virtual bool IsSSD() const = 0;
  virtual bool IsXVolPE() const = 0;
  virtual bool IsOffline() const = 0;
  virtual bool IsPerenniallyReserved() const = 0;
  virtual bool IsNotShared() const = 0;
  virtual int GetQueueFullSampleSize() const = 0;
  virtual int GetQueueFullThreshold() const = 0;
  virtual int GetMaxQueueDepth() const = 0;
  virtual int GetNumReqsOutstandingCompetingWorlds() const = 0;
  virtual bool IsProtectionEnabled() const = 0;
  virtual bool IsPIActivated() const = 0;
  virtual int GetPIType() const = 0;
  virtual bool IsDIXEnabled() const = 0;
  // Bit 0 CRC, bit 1 IP.
  virtual uint32_t GetGuardTypeMask() const = 0;
  // Bits 0..6: T1, T2, T3, T0+DIX, T1+DIX, T2+DIX, T3+DIX.
  virtual uint32_t GetProtectionMask() const = 0;
  virtual std::vector<std::string> GetAllUIDs() const = 0;
  // Supported while any of ATS, Clone, Zero and Delete is (see GetHwacAttributes).
  virtual int GetHwacSupport() const = 0;
  // --- HWAC ---
  virtual void GetHwacAttributes(HwacAttributes &attributes) const = 0;
  // Readies the device for a change of its primitives; an offline device refuses.
  virtual void PrepareHwacUpdate() = 0;
  // Switches primitives by `mask` (see HwacPrimitive); `primitives` carries the
  // same (given, value) pairs in index order.
  virtual void SetHwacPrimitives(uint8_t mask, const std::vector<std::pair<bool, bool>> &primitives) = 0;
  // --- SMART (devices without SMART refuse these) ---
  virtual void GetSmartParameters(SmartParameters &parameters) const = 0;
  virtual bool IsSmartStatsEnabled() const = 0;
  virtual void SetSmartStatsEnabled(bool enabled) = 0;
  virtual int GetThinProvisioningStatus() const = 0;
  virtual uint32_t GetProtocol() const = 0;
  virtual bool IsEmulatedDixDifEnabled() const = 0;
  virtual bool IsNvme() const = 0;

  // None when the device has no PSA configuration.
  virtual std::unique_ptr<PsaDeviceConfig> GetPsaDeviceConfig() const = 0;
  // Reading the RAID record is slow on a real host.
  virtual void GetRaidInfo(LunRaidInfo &info) const = 0;
  // Runs filter-class claiming on this device.
  virtual void RunFilterClaim() = 0;
  // Re-reads the device's paths: its plug-in and that plug-in's configuration.
  virtual void Refresh() = 0;

  // --- settings ---
  // State codes of GetState() and SetState().
  static constexpr int STATE_ON = 0;
  static constexpr int STATE_OFF = 1;
  // LED modes of SetLed().
  static constexpr int LED_OFF = 0;
  static constexpr int LED_LOCATOR = 1;
  static constexpr int LED_ERROR = 2;

  // A user-defined name; refused when the display name is not settable.
  virtual void SetDisplayName(const std::string &name, bool persist) = 0;
  virtual void ResetDisplayName() = 0;
  virtual int GetState() const = 0;
  // Off is not offline: the device stays registered. Without `persist` only
  // the running state changes.
  virtual void SetState(int state, bool persist) = 0;
  virtual void SetQueueFullThrottling(int threshold, int sampleSize) = 0;
  virtual void SetMaxQueueDepth(int depth) = 0;
  virtual void SetNumReqsOutstandingCompetingWorlds(int count) = 0;
  virtual void SetDataIntegrity(bool enabled) = 0;
  // `durationSeconds` 0: as long as the hardware allows.
  virtual void SetLed(int mode, int durationSeconds) = 0;
  virtual bool IsWriteCacheEnabled() const = 0;
  virtual void EnableWriteCache() = 0;
  virtual void DisableWriteCache() = 0;
  virtual bool GetInquiryCacheIgnore() const = 0;
  virtual void SetInquiryCacheIgnore(bool ignore) = 0;
  virtual int GetLatencySensitiveThreshold() const = 0; // milliseconds
  // False when the claiming plug-in does not support fastpath.
  virtual bool SetLatencySensitiveThreshold(int milliseconds) = 0;

  // --- layout and usage ---
  // Format codes of GetFormatType().
  static constexpr int FORMAT_512N = 1;
  static constexpr int FORMAT_512E = 2;
  static constexpr int FORMAT_4K = 3;
  static constexpr int FORMAT_4KN_SWE = 4;

  virtual uint32_t GetPhysicalBlockSize() const = 0;
  virtual uint32_t GetLogicalBlockSize() const = 0;
  virtual uint64_t GetLogicalBlockCount() const = 0;
  virtual int GetFormatType() const = 0;
  virtual void GetStats(ScsiStats &stats) const = 0;
  // Where the drives behind the device sit: one for a local disk, one per drive
  // for a RAID volume, none for a SAN device.
  virtual std::vector<std::string> GetPhysicalLocations() const = 0;
  // One entry per open of the device: the id of the world holding it, ascending.
  virtual std::vector<uint32_t> GetOpenWorldIds() const = 0;

  // --- NVMe ---
  virtual std::vector<std::string> GetSubsystemNqns() const = 0;
  virtual std::string GetNvmeSpecRevision() const = 0;
  virtual bool IsDispersedNamespace() const = 0;
};

// One partition of a disk. Entry 0 of a disk's partitions is the whole device.
struct DiskPartition {
  std::string name; // "naa.1:3"
  std::string deviceName;
  uint32_t number = 0;
  uint64_t size = 0; // bytes
  uint32_t type = 0; // partition type code
  uint64_t startSector = 0;
  uint64_t endSector = 0;
  std::string path;
  std::string guid; // GPT partitions only
};

// A device that holds data blocks (a direct-access device).
class OLKCTL_API DiskLun : public Lun {
public:
  // Codes of GetPartitionTableType().
  static constexpr int TABLE_NONE = 0;
  static constexpr int TABLE_MBR = 1;
  static constexpr int TABLE_GPT = 2;

  ~DiskLun() override;
  virtual int GetPartitionTableType() const = 0;
  virtual std::vector<DiskPartition> GetPartitions() const = 0;
};

} // namespace HostCtl::Storage
