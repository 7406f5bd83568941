// I/O filter operations of the simulated host: the installed filters and
// their enablement, kept in the "ioFilters" family.
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/system/SystemInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/System.h>

#include <string>
#include <vector>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_IOFILTERS_FAULTS(X)                                                                           \
  X(IOFilterInfo_ListInstalledFilters, "IOFilterInfo::ListInstalledFilters", "")                             \
  X(IOFilterInfo_EnableFilter, "IOFilterInfo::EnableFilter", "filter name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_IOFILTERS_FAULTS)
} // namespace

namespace OlkCtl::System {

using HostCtl::Lib::HostCtlException;

IOFilterInfoImpl::IOFilterInfoImpl() = default;
IOFilterInfoImpl::~IOFilterInfoImpl() = default;

std::vector<HostCtl::System::IOFilter> IOFilterInfoImpl::ListInstalledFilters() {
  Sim::CheckFault(FaultOp::IOFilterInfo_ListInstalledFilters);
  const auto state = Sim::Current().Read();
  return state->ioFilters().filters;
}

// Every installed filter of that name is enabled: the host enables a filter by
// name, whichever vendor or version carries it.
void IOFilterInfoImpl::EnableFilter(const std::string &name) {
  Sim::CheckFault(FaultOp::IOFilterInfo_EnableFilter, name);
  Sim::Current().Modify([&](Sim::State &state) {
    bool found = false;
    for (Sim::IOFilterRecord &record : state.ioFilters().filters)
      if (record.name == name) {
        record.state = 0;
        found = true;
      }
    if (!found)
      throw HostCtlException("IO filter " + name + " is not installed on this host");
  });
}

} // namespace OlkCtl::System
