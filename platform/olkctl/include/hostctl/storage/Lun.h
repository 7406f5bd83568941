// A logical device registered with the pluggable storage architecture.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/HwacAttributes.h>
#include <hostctl/storage/SmartParameters.h>

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
};

} // namespace HostCtl::Storage
