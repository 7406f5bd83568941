// iSCSI adapters, software and hardware: identity, state and protocol counters.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>

namespace HostCtl::Storage {

// Adapter states.
enum iScsiState : int { ISCSI_STATE_ONLINE = 0, ISCSI_STATE_OFFLINE = 1, ISCSI_STATE_UNBOUND = 2 };

struct iScsiInfo {
  std::string description;
};

// Protocol counters, in the driver's order.
struct iScsiStats {
  uint32_t sessions = 0;
  uint32_t connections = 0;
  uint64_t dataSent = 0;     // bytes
  uint64_t dataReceived = 0; // bytes
  uint32_t commandPdus = 0;
  uint32_t readCommandPdus = 0;
  uint32_t writeCommandPdus = 0;
  uint32_t bidiCommandPdus = 0;
  uint32_t noDataCommandPdus = 0;
  uint32_t responsePdus = 0;
  uint32_t r2tPdus = 0;
  uint32_t dataInPdus = 0;
  uint32_t dataOutPdus = 0;
  uint32_t taskMgmtRequestPdus = 0;
  uint32_t taskMgmtResponsePdus = 0;
  uint32_t loginRequestPdus = 0;
  uint32_t loginResponsePdus = 0;
  uint32_t textRequestPdus = 0;
  uint32_t textResponsePdus = 0;
  uint32_t logoutRequestPdus = 0;
  uint32_t logoutResponsePdus = 0;
  uint32_t nopOutPdus = 0;
  uint32_t nopInPdus = 0;
  uint32_t asyncEventPdus = 0;
  uint32_t snackPdus = 0;
  uint32_t rejectPdus = 0;
  uint32_t digestErrors = 0;
  uint32_t timeouts = 0;
  uint32_t noTxBufCount = 0;
  uint32_t noRxDataCount = 0;
};

class OLKCTL_API iScsiInterface {
public:
  virtual ~iScsiInterface() = default;
  virtual std::string GetName() const = 0;
  virtual std::string GetUID() const = 0;
  virtual std::string GetDriver() const = 0;
  // An iScsiState, or another code the driver reports.
  virtual int GetState() const = 0;
  virtual void GetInfo(iScsiInfo &info) const = 0;
  virtual void GetStats(iScsiStats &stats) const = 0;
};

} // namespace HostCtl::Storage
