// Fabric performance impact notifications (FPIN) of the simulated host: the
// feature switches, the FC adapters that support it, their targets' counters,
// and the summaries.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Storage {

// An FC adapter that supports FPIN.
struct FpinAdapter {
  std::string name;
  std::string wwpn;
  std::string wwnn;
  std::string firmwareVersion;
  std::string driverName;
  std::string driverVersion;
};

// The notifications counted for one initiator-target port pair. The WWPN is
// empty while the target's login is in progress.
struct FpinTarget {
  std::string wwpn;
  uint64_t total = 0;
  uint64_t congestion = 0;
  uint64_t peerCongestion = 0;
  uint64_t linkIntegrity = 0;
  uint64_t delivery = 0;
};

class OLKCTL_API FpinFcAdapterImpl {
public:
  // In adapter order.
  std::vector<std::unique_ptr<FpinAdapter>> GetAdapters();
  // Throws for an adapter that does not support FPIN.
  std::vector<std::unique_ptr<FpinTarget>> GetTargets(const std::string &adapterName);
  // Marks the path between the adapter's port and the target as not flaky.
  void ClearFpin(const std::string &adapterName, const std::string &hostWwpn, const std::string &targetWwpn);
  // The configured switch, kept across reboots.
  void SetEnable(bool enable);
  // The kernel's live switch.
  void SetEnableKsish(bool enable);
};

class OLKCTL_API StorageFpinImpl {
public:
  // Fills IsEnabled, GetHbaCount and GetSupportedHbaCount.
  void RetrieveFpinGeneralStats();
  // Fills the FC counts and totals.
  void RetrieveFpinFcStats();

  bool IsEnabled() const { return enabled_; }
  uint32_t GetHbaCount() const { return hbas_; }
  uint32_t GetSupportedHbaCount() const { return supportedHbas_; }

  uint32_t GetFcHbaCount() const { return fcHbas_; }
  uint32_t GetSupportedFcHbaCount() const { return supportedFcHbas_; }
  uint32_t GetSupportedPortPairCount() const { return portPairs_; }
  uint32_t GetReportedPortPairCount() const { return reportedPortPairs_; }
  uint64_t GetTotalEvents() const { return totals_.total; }
  uint64_t GetCongestionEvents() const { return totals_.congestion; }
  uint64_t GetPeerCongestionEvents() const { return totals_.peerCongestion; }
  uint64_t GetLinkIntegrityEvents() const { return totals_.linkIntegrity; }
  uint64_t GetDeliveryEvents() const { return totals_.delivery; }

private:
  bool enabled_ = false;
  uint32_t hbas_ = 0;
  uint32_t supportedHbas_ = 0;
  uint32_t fcHbas_ = 0;
  uint32_t supportedFcHbas_ = 0;
  uint32_t portPairs_ = 0;
  uint32_t reportedPortPairs_ = 0;
  FpinTarget totals_;
};

} // namespace OlkCtl::Storage
