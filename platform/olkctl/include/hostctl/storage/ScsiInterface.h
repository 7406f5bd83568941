// A host bus adapter as the storage stack sees it.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/ScsiStats.h>

#include <cstdint>
#include <string>

namespace HostCtl::Storage {

class OLKCTL_API ScsiInterface {
public:
  // Transport types; the numbers are the host's (Fibre Channel 2, iSCSI 3).
  enum ScsiInterfaceType : int {
    SCSI_IFACE_TYPE_UNKNOWN = 0,
    SCSI_IFACE_TYPE_BLOCK = 1,
    SCSI_IFACE_TYPE_FC = 2,
    SCSI_IFACE_TYPE_ISCSI = 3,
    SCSI_IFACE_TYPE_ISCSI_VENDOR = 4,
    SCSI_IFACE_TYPE_IDE = 5,
    SCSI_IFACE_TYPE_SAS = 6,
    SCSI_IFACE_TYPE_SATA = 7,
    SCSI_IFACE_TYPE_USB = 8,
    SCSI_IFACE_TYPE_PARALLEL = 9,
    SCSI_IFACE_TYPE_FCOE = 10,
    SCSI_IFACE_TYPE_PCIE = 11,
    SCSI_IFACE_TYPE_RDMA = 12,
    SCSI_IFACE_TYPE_TCP = 13,
  };

  // Capability mask bits.
  static constexpr uint32_t CAP_SECOND_LEVEL_LUN = 1u << 0;
  static constexpr uint32_t CAP_DATA_INTEGRITY = 1u << 1;
  static constexpr uint32_t CAP_OWN_COMPLETION_WORLDS = 1u << 2;
  static constexpr uint32_t CAP_SENSE_DATA_GOOD_AND_ERROR = 1u << 3;
  static constexpr uint32_t CAP_FPIN_EVENTS = 1u << 4;

  // "fc", "iscsi", "sas", ... ; "unknown" for a type the host does not know.
  static std::string GetInterfaceTypeString(ScsiInterfaceType type);
  // The type of a transport word; throws HostCtlException for an unknown word.
  static ScsiInterfaceType GetValidInterfaceType(const std::string &text);

  virtual ~ScsiInterface() = default;
  virtual std::string GetName() const = 0;
  virtual std::string GetUID() const = 0;
  virtual std::string GetDriver() const = 0;
  virtual std::string GetDriverVersion() const = 0;
  virtual std::string GetFirmwareVersion() const = 0;
  virtual ScsiInterfaceType GetInterfaceType() const = 0;
  virtual uint32_t GetCapabilityMask() const = 0;
  // Fills the adapter's I/O counters.
  virtual void GetStats(ScsiStats &stats) const = 0;
};

} // namespace HostCtl::Storage
