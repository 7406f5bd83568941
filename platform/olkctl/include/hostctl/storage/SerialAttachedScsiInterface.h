// SAS adapters as their transport sees them: link attributes, PHY error
// counters and the reset.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>

namespace HostCtl::Storage {

// PHY error counters, in the driver's order.
struct SasPhyStats {
  uint32_t invalidDwordCount = 0;
  uint32_t runningDisparityErrorCount = 0;
  uint32_t lossOfDwordSyncCount = 0;
  uint32_t phyResetProblemCount = 0;
};

struct SasAttrs {
  std::string sasAddress; // empty for a controller that hides its SAS domain
  uint8_t physicalId = 0;
  int64_t negotiatedLinkRate = 0; // Mbps
  int64_t minimumLinkRate = 0;    // Mbps
  int64_t maximumLinkRate = 0;    // Mbps
  std::string modelDescription;
  std::string hardwareVersion;
  std::string optionRomVersion;
  std::string firmwareVersion;
  std::string driverName;
  std::string driverVersion;
};

class OLKCTL_API SerialAttachedScsiInterface {
public:
  virtual ~SerialAttachedScsiInterface() = default;
  virtual std::string GetName() const = 0;
  virtual void GetPhyStats(SasPhyStats &stats) const = 0;
  virtual void GetAttributes(SasAttrs &attrs) const = 0;
  // Resets the adapter's links; the PHY error counters start again from zero.
  virtual void Reset() = 0;
};

} // namespace HostCtl::Storage
