// FPIN operations of the simulated host. The FPIN adapters are the FC
// adapters with the FPIN capability bit; their names and versions come from
// the adapter records, the counters from the "fpin" family.
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/FibreChannelInterfaceImpl.h>
#include <olkctl/storage/FpinImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/ScsiInterface.h>

#include <string>
#include <utility>

using HostCtl::Lib::HostCtlException;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_FPIN_FAULTS(X)                                                                                \
  X(FpinFcAdapter_GetAdapters, "FpinFcAdapter::GetAdapters", "")                                             \
  X(FpinFcAdapter_GetTargets, "FpinFcAdapter::GetTargets", "adapter name")                                   \
  X(FpinFcAdapter_ClearFpin, "FpinFcAdapter::ClearFpin", "adapter name")                                     \
  X(FpinFcAdapter_SetEnable, "FpinFcAdapter::SetEnable", "")                                                 \
  X(FpinFcAdapter_SetEnableKsish, "FpinFcAdapter::SetEnableKsish", "")                                       \
  X(StorageFpin_RetrieveFpinGeneralStats, "StorageFpin::RetrieveFpinGeneralStats", "")                       \
  X(StorageFpin_RetrieveFpinFcStats, "StorageFpin::RetrieveFpinFcStats", "")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_FPIN_FAULTS)
} // namespace

namespace {

using OlkCtl::Sim::AdapterRecord;
using OlkCtl::Sim::FpinTargetRecord;
using OlkCtl::Sim::State;
using OlkCtl::Storage::FibreChannelInterfaceImpl;

bool SupportsFpin(const AdapterRecord &adapter) {
  return (adapter.capabilityMask & HostCtl::Storage::ScsiInterface::CAP_FPIN_EVENTS) != 0;
}

bool IsFpinFcAdapter(const AdapterRecord &adapter) {
  return adapter.transport == "fc" && SupportsFpin(adapter);
}

const AdapterRecord &FpinAdapterNamed(const State &state, const std::string &name) {
  const AdapterRecord *adapter = state.adapters().Find(name);
  if (!adapter || !IsFpinFcAdapter(*adapter))
    throw HostCtlException("Adapter " + name + " is not an FC adapter that supports FPIN");
  return *adapter;
}

// Whether two WWPNs name the same port, whatever their spelling; `given` must be a WWPN.
bool SamePort(const std::string &known, const std::string &given) {
  const uint64_t wanted = FibreChannelInterfaceImpl::GetWorldWideNumberFromString(given);
  try {
    return !known.empty() && FibreChannelInterfaceImpl::GetWorldWideNumberFromString(known) == wanted;
  } catch (const HostCtlException &) {
    return false;
  }
}

} // namespace

namespace OlkCtl::Storage {

std::vector<std::unique_ptr<FpinAdapter>> FpinFcAdapterImpl::GetAdapters() {
  Sim::CheckFault(FaultOp::FpinFcAdapter_GetAdapters);
  const auto state = Sim::Current().Read();
  std::vector<std::unique_ptr<FpinAdapter>> adapters;
  for (const AdapterRecord &record : state->adapters().records) {
    if (!IsFpinFcAdapter(record))
      continue;
    auto adapter = std::make_unique<FpinAdapter>();
    adapter->name = record.name;
    std::tie(adapter->wwnn, adapter->wwpn) = OlkCtl::Sim::WorldWideNamesOfUid(record.uid);
    adapter->firmwareVersion = record.firmwareVersion;
    adapter->driverName = record.driver;
    adapter->driverVersion = record.driverVersion;
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

std::vector<std::unique_ptr<FpinTarget>> FpinFcAdapterImpl::GetTargets(const std::string &adapterName) {
  Sim::CheckFault(FaultOp::FpinFcAdapter_GetTargets, adapterName);
  const auto state = Sim::Current().Read();
  FpinAdapterNamed(*state, adapterName);
  std::vector<std::unique_ptr<FpinTarget>> targets;
  for (const FpinTargetRecord &record : state->fpin().targets) {
    if (record.adapter != adapterName)
      continue;
    targets.push_back(std::make_unique<FpinTarget>(FpinTarget{record.wwpn, record.total, record.congestion,
                                                              record.peerCongestion, record.linkIntegrity,
                                                              record.delivery}));
  }
  return targets;
}

void FpinFcAdapterImpl::ClearFpin(const std::string &adapterName, const std::string &hostWwpn,
                                  const std::string &targetWwpn) {
  Sim::CheckFault(FaultOp::FpinFcAdapter_ClearFpin, adapterName);
  Sim::Current().Modify([&](State &state) {
    const AdapterRecord &adapter = FpinAdapterNamed(state, adapterName);
    if (hostWwpn.empty() || !SamePort(OlkCtl::Sim::WorldWideNamesOfUid(adapter.uid).second, hostWwpn))
      throw HostCtlException("Host WWPN " + hostWwpn + " is not the port of adapter " + adapterName);
    for (FpinTargetRecord &target : state.fpin().targets) {
      if (target.adapter == adapterName && !targetWwpn.empty() && SamePort(target.wwpn, targetWwpn)) {
        target.flaky = false; // clearing an unmarked path is allowed
        return;
      }
    }
    throw HostCtlException("Target " + targetWwpn + " is not reached by adapter " + adapterName);
  });
}

void FpinFcAdapterImpl::SetEnable(bool enable) {
  Sim::CheckFault(FaultOp::FpinFcAdapter_SetEnable);
  Sim::Current().Modify([&](State &state) { state.fpin().enabled = enable; });
}

void FpinFcAdapterImpl::SetEnableKsish(bool enable) {
  Sim::CheckFault(FaultOp::FpinFcAdapter_SetEnableKsish);
  Sim::Current().Modify([&](State &state) { state.fpin().liveEnabled = enable; });
}

void StorageFpinImpl::RetrieveFpinGeneralStats() {
  Sim::CheckFault(FaultOp::StorageFpin_RetrieveFpinGeneralStats);
  const auto state = Sim::Current().Read();
  enabled_ = state->fpin().liveEnabled;
  hbas_ = 0;
  supportedHbas_ = 0;
  for (const AdapterRecord &adapter : state->adapters().records) {
    ++hbas_;
    if (SupportsFpin(adapter))
      ++supportedHbas_;
  }
}

void StorageFpinImpl::RetrieveFpinFcStats() {
  Sim::CheckFault(FaultOp::StorageFpin_RetrieveFpinFcStats);
  const auto state = Sim::Current().Read();
  fcHbas_ = 0;
  supportedFcHbas_ = 0;
  for (const AdapterRecord &adapter : state->adapters().records) {
    if (adapter.transport != "fc")
      continue;
    ++fcHbas_;
    if (SupportsFpin(adapter))
      ++supportedFcHbas_;
  }
  portPairs_ = 0;
  reportedPortPairs_ = 0;
  totals_ = FpinTarget{};
  // The pairs an event listing shows: targets of FPIN adapters that have a WWPN.
  for (const FpinTargetRecord &target : state->fpin().targets) {
    const AdapterRecord *adapter = state->adapters().Find(target.adapter);
    if (!adapter || !IsFpinFcAdapter(*adapter) || target.wwpn.empty())
      continue;
    ++portPairs_;
    if (target.total != 0)
      ++reportedPortPairs_;
    totals_.total += target.total;
    totals_.congestion += target.congestion;
    totals_.peerCongestion += target.peerCongestion;
    totals_.linkIntegrity += target.linkIntegrity;
    totals_.delivery += target.delivery;
  }
}

} // namespace OlkCtl::Storage
