// Fibre Channel and FCoE adapters as their transport sees them: port
// attributes, link counters, the event log and the loop reset.
#pragma once

#include <hostctl/Export.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace HostCtl::Storage {

// Link counters of an FC port, in the driver's order.
struct FcStats {
  uint64_t txFrames = 0;
  uint64_t rxFrames = 0;
  uint64_t lipCount = 0;
  uint64_t errorFrames = 0;
  uint64_t dumpedFrames = 0;
  uint64_t linkFailureCount = 0;
  uint64_t lossOfSignalCount = 0;
  uint64_t primSeqProtocolErrCount = 0;
  uint64_t invalidTxWordCount = 0;
  uint64_t invalidCrcCount = 0;
  uint64_t inputRequests = 0;
  uint64_t outputRequests = 0;
  uint64_t controlRequests = 0;
};

// Link counters of an FCoE port, in the driver's order.
struct FcoeStats {
  uint64_t txFrames = 0;
  uint64_t rxFrames = 0;
  uint64_t errorFrames = 0;
  uint64_t dumpedFrames = 0;
  uint64_t linkFailureCount = 0;
  uint64_t lossOfSignalCount = 0;
  uint64_t invalidTxWordCount = 0;
  uint64_t invalidCrcCount = 0;
  uint64_t vlinkFailureCount = 0;
  uint64_t missDiscAdvCount = 0;
  uint64_t inputRequests = 0;
  uint64_t outputRequests = 0;
  uint64_t controlRequests = 0;
};

// Port attributes. Port type and state are the driver's own texts.
struct FcAttrs {
  std::string modelDescription;
  std::string hardwareVersion;
  std::string driverVersion;
  std::string optionRomVersion;
  std::string firmwareVersion;
  std::string driverName;
  std::string portId;   // "0x010200"
  std::string nodeName; // world-wide node name, "20:00:00:24:ff:3d:5a:10"
  std::string portName; // world-wide port name
  uint32_t speed = 0;   // Gbps
  std::string portType;
  std::string portState;
  std::string symbolicName; // "<model> FW:<firmware> DVR:<driver version>"
};

struct FcoeAttrs : FcAttrs {
  std::string controllerMac;
  std::string fcfMac;
  std::string vnPortMac;
  uint16_t vlanId = 0;
  std::string nicName; // the physical network adapter, "olnic4"
};

// One entry of an adapter's event log: eight words that only the adapter's
// FormatEvent turns into text.
struct FcEvent {
  std::array<uint64_t, 8> words{};
};

class OLKCTL_API FibreChannelInterface {
public:
  virtual ~FibreChannelInterface() = default;
  virtual std::string GetName() const = 0;
  virtual void GetStats(FcStats &stats) const = 0;
  virtual void GetAttributes(FcAttrs &attrs) const = 0;
  // Loop initialisation: every login on the port is redone.
  virtual void IssueLIP() = 0;
  // Drops up to `count` of the oldest events.
  virtual void ClearEvents(int count) = 0;
  // Oldest first.
  virtual std::vector<FcEvent> GetEvents() const = 0;
  // One line: time, kind, detail.
  virtual std::string FormatEvent(const FcEvent &event) const = 0;
};

// An FCoE adapter answers every FC operation and these two.
class OLKCTL_API FibreChannelOverEthernetInterface : public FibreChannelInterface {
public:
  virtual void GetFcoeStats(FcoeStats &stats) const = 0;
  virtual void GetFcoeAttributes(FcoeAttrs &attrs) const = 0;
};

} // namespace HostCtl::Storage
