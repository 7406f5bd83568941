// Claim rules of the pluggable storage architecture.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/ScsiInterface.h>

#include <cstdint>
#include <string>

namespace HostCtl::Storage {

enum PSAClaimRuleClass : int {
  PSA_CLAIMRULE_CLASS_UNKNOWN = 0,
  PSA_CLAIMRULE_CLASS_MP = 1,
  PSA_CLAIMRULE_CLASS_FILTER = 2,
  PSA_CLAIMRULE_CLASS_HWAC = 3,
};

// A claim rule as the host keeps it: once in the configuration file and once
// as loaded in the kernel. The two sides may differ (a rule added or removed
// since the last load), so every property is reported per side together with
// whether the rule is present on that side.
class OLKCTL_API PsaClaimRule {
public:
  enum PathClaimType : int {
    PSA_CLAIM_TYPE_UNKNOWN = 0,
    PSA_CLAIM_TYPE_VENDOR = 1,
    PSA_CLAIM_TYPE_LOCATION = 2,
    PSA_CLAIM_TYPE_DRIVER = 3,
    PSA_CLAIM_TYPE_TRANSPORT = 4,
    PSA_CLAIM_TYPE_DEVICE = 5,
    PSA_CLAIM_TYPE_TARGET = 6,
  };

  enum Side : int {
    SIDE_RUNTIME = 0, // loaded in the kernel
    SIDE_FILE = 1,    // stored in the configuration file
  };

  // Every rule-ID parameter is bounded by MIN_RULEID..MAX_RULEID. IDs outside
  // the public range belong to the system's own rules.
  static constexpr uint32_t MIN_RULEID = 0;
  static constexpr uint32_t MAX_RULEID = 65535;
  static constexpr uint32_t MIN_PUBLIC_RULEID = 101;
  static constexpr uint32_t MAX_PUBLIC_RULEID = 65435;
  // Passed as the rule ID when the host is to pick a free public ID.
  static constexpr uint32_t AUTOASSIGN_RULEID = 0xFFFFFFFFu;
  // "Any" for channel, target, LUN and the PCI IDs.
  static constexpr uint32_t WILDCARD = 0xFFFFFFFFu;

  // What one side of a rule holds. Strings are empty when not set, except the
  // NVMe controller model, whose "*" matches any controller.
  struct Properties {
    PathClaimType type = PSA_CLAIM_TYPE_UNKNOWN;
    std::string pluginName;
    // vendor
    std::string vendor;
    std::string model;
    std::string nvmeControllerModel = "*";
    uint32_t pciVendorId = WILDCARD;
    uint32_t pciSubVendorId = WILDCARD;
    // location
    std::string adapterName;
    uint32_t channel = WILDCARD;
    uint32_t target = WILDCARD;
    uint32_t lun = WILDCARD; // also the optional LUN of a target rule
    // driver
    std::string driverName;
    // transport, and the transport of a target rule
    ScsiInterface::ScsiInterfaceType transport = ScsiInterface::SCSI_IFACE_TYPE_UNKNOWN;
    // device
    std::string deviceUid;
    // target: Fibre Channel world-wide node and port numbers, or an iSCSI name
    uint64_t wwnn = 0;
    uint64_t wwpn = 0;
    std::string iqn;
    // handed unchanged to the multipathing plug-in that claims the path
    std::string mppConfigString;
    bool force = false;
    bool forceReserved = false;
    // array integration (HWAC class)
    bool extendedXcopySupport = false;
    bool xcopyUseArrayValues = false;
    bool xcopyUseMultiSegs = false;
    uint64_t xcopyMaxTransferSize = 0;    // MB
    uint64_t xcopyMaxTransferSizeKiB = 0; // KiB
  };

  // "Vendor", "Location", "Driver", "Transport", "Device", "Target"; "Unknown"
  // for anything else.
  static std::string GetTypeString(PathClaimType type);

  virtual ~PsaClaimRule() = default;

  virtual uint32_t GetRuleId() const = 0;
  virtual PSAClaimRuleClass GetClaimRuleClass() const = 0;
  virtual bool IsPresent(Side side) const = 0;
  // The side's properties; meaningful only when the rule is present there.
  virtual const Properties &GetProperties(Side side) const = 0;

  // Gives the rule a new ID. The configuration entry moves; the loaded rule
  // follows with the next load. A rule that exists only in the kernel (a boot
  // rule) moves there.
  virtual void Move(uint32_t newRuleId) = 0;
};

} // namespace HostCtl::Storage
