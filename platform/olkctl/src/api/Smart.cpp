// SMART operations of the simulated host: a drive's SMART record and the
// switch that has the host gather it.
#include "api/SmartHwacLun.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using OlkCtl::Sim::SmartRecord;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_SMART_FAULTS(X)                                                                               \
  X(Lun_GetSmartParameters, "Lun::GetSmartParameters", "device name")                                        \
  X(Lun_IsSmartStatsEnabled, "Lun::IsSmartStatsEnabled", "device name")                                      \
  X(Lun_SetSmartStatsEnabled, "Lun::SetSmartStatsEnabled", "device name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_SMART_FAULTS)

HostCtlException NoSmart(const std::string &name) {
  return HostCtlException("Device " + name + " does not support SMART");
}

} // namespace

namespace OlkCtl::Sim {

void SmartHwacLun::GetSmartParameters(HostCtl::Storage::SmartParameters &parameters) const {
  const std::string name = GetName();
  CheckFault(*snapshot_, FaultOp::Lun_GetSmartParameters, name);
  const SmartRecord *record = snapshot_->smart().Find(name);
  if (!record)
    throw NoSmart(name);
  if (!record->gathering)
    throw HostCtlException("SMART stats gathering is not enabled on device " + name);
  parameters = record->parameters;
}

bool SmartHwacLun::IsSmartStatsEnabled() const {
  const std::string name = GetName();
  CheckFault(*snapshot_, FaultOp::Lun_IsSmartStatsEnabled, name);
  const SmartRecord *record = snapshot_->smart().Find(name);
  if (!record)
    throw NoSmart(name);
  return record->gathering;
}

void SmartHwacLun::SetSmartStatsEnabled(bool enabled) {
  const std::string name = GetName();
  CheckFault(FaultOp::Lun_SetSmartStatsEnabled, name);
  Current().Modify([&](State &state) {
    SmartRecord *record = state.smart().Find(name);
    if (!record)
      throw NoSmart(name);
    record->gathering = enabled;
  });
}

} // namespace OlkCtl::Sim
