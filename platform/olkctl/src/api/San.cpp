// SAN transport operations of the simulated host: FC, FCoE, SAS and iSCSI
// adapters, each served from its adapter record and its "san" entry.
#include "api/Objects.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/FibreChannelInterfaceImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <string>
#include <utility>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_SAN_FAULTS(X)                                                                                 \
  X(StorageInfo_GetFibreChannelInterfaces, "StorageInfo::GetFibreChannelInterfaces", "")                     \
  X(StorageInfo_GetFibreChannelOverEthernetInterfaces, "StorageInfo::GetFibreChannelOverEthernetInterfaces", \
    "")                                                                                                      \
  X(StorageInfo_GetSerialAttachedScsiInterfaces, "StorageInfo::GetSerialAttachedScsiInterfaces", "")         \
  X(StorageInfo_GetiScsiInterfaces, "StorageInfo::GetiScsiInterfaces", "")                                   \
  X(FibreChannelInterface_GetStats, "FibreChannelInterface::GetStats", "adapter name")                       \
  X(FibreChannelInterface_GetAttributes, "FibreChannelInterface::GetAttributes", "adapter name")             \
  X(FibreChannelInterface_IssueLIP, "FibreChannelInterface::IssueLIP", "adapter name")                       \
  X(FibreChannelInterface_ClearEvents, "FibreChannelInterface::ClearEvents", "adapter name")                 \
  X(FibreChannelInterface_GetEvents, "FibreChannelInterface::GetEvents", "adapter name")                     \
  X(FibreChannelInterface_FormatEvent, "FibreChannelInterface::FormatEvent", "adapter name")                 \
  X(FibreChannelOverEthernetInterface_GetFcoeStats, "FibreChannelOverEthernetInterface::GetFcoeStats",       \
    "adapter name")                                                                                          \
  X(FibreChannelOverEthernetInterface_GetFcoeAttributes,                                                     \
    "FibreChannelOverEthernetInterface::GetFcoeAttributes", "adapter name")                                  \
  X(SerialAttachedScsiInterface_GetPhyStats, "SerialAttachedScsiInterface::GetPhyStats", "adapter name")     \
  X(SerialAttachedScsiInterface_GetAttributes, "SerialAttachedScsiInterface::GetAttributes", "adapter name") \
  X(SerialAttachedScsiInterface_Reset, "SerialAttachedScsiInterface::Reset", "adapter name")                 \
  X(iScsiInterface_GetInfo, "iScsiInterface::GetInfo", "adapter name")                                       \
  X(iScsiInterface_GetState, "iScsiInterface::GetState", "adapter name")                                     \
  X(iScsiInterface_GetStats, "iScsiInterface::GetStats", "adapter name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_SAN_FAULTS)
} // namespace

namespace {

using OlkCtl::Sim::AdapterRecord;
using OlkCtl::Sim::SanEventRecord;
using OlkCtl::Sim::SanRecord;
using OlkCtl::Sim::Snapshot;
using OlkCtl::Sim::State;

bool IsTransport(const AdapterRecord &adapter, std::initializer_list<const char *> transports) {
  return std::any_of(transports.begin(), transports.end(),
                     [&](const char *word) { return adapter.transport == word; });
}

// The adapter of that name on one of the transports; a missing adapter or one
// of another transport is refused.
const AdapterRecord &TransportAdapter(const State &state, const std::string &name,
                                      std::initializer_list<const char *> transports, const char *what) {
  const AdapterRecord *adapter = state.adapters().Find(name);
  if (!adapter)
    throw HostCtlException("Adapter " + name + " is not known to the storage stack");
  if (!IsTransport(*adapter, transports))
    throw HostCtlException("Adapter " + name + " is not " + what + " adapter");
  return *adapter;
}

// The adapter's transport entry, created empty when the host has none yet.
SanRecord &SanEntryForChange(State &state, const std::string &name) {
  if (SanRecord *record = state.san().Find(name))
    return *record;
  state.san().records.push_back(SanRecord{name, {}, {}, {}, {}});
  state.san().Reindex();
  return *state.san().Find(name);
}

std::string EventText(const FcEvent &event) {
  const auto seconds = static_cast<time_t>(event.words[0]);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
  const uint64_t detail = event.words[2];
  char what[96];
  switch (event.words[1]) {
  case 1:
    std::snprintf(what, sizeof what, "LIP: loop initialization issued by host");
    break;
  case 2:
    std::snprintf(what, sizeof what, "Link Up: %" PRIu64 " Gbps", detail);
    break;
  case 3:
    std::snprintf(what, sizeof what, "Link Down: reason %" PRIu64, detail);
    break;
  case 4:
    std::snprintf(what, sizeof what, "RSCN: affected port 0x%06" PRIx64, detail);
    break;
  default:
    std::snprintf(what, sizeof what, "Event %" PRIu64 ": 0x%" PRIx64, event.words[1], detail);
    break;
  }
  return std::string(when) + " " + what;
}

uint64_t EventCode(const std::string &kind) {
  for (const OlkCtl::Sim::SanEventKind &k : OlkCtl::Sim::SanEventKinds())
    if (kind == k.word)
      return k.code;
  return 0;
}

// An FC or FCoE adapter. It reads the snapshot it came from, and the newest
// state after a change it made.
template <class Base> class SimFcPort : public Base {
public:
  SimFcPort(Snapshot state, std::string name) : state_(std::move(state)), name_(std::move(name)) {}

  std::string GetName() const override { return name_; }

  void GetStats(FcStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelInterface_GetStats, name_);
    Adapter();
    const SanRecord *san = state_->san().Find(name_);
    stats = san && san->fc ? san->fc->stats : FcStats{};
  }

  void GetAttributes(FcAttrs &attrs) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelInterface_GetAttributes, name_);
    FillFcAttrs(attrs);
  }

  void IssueLIP() override {
    OlkCtl::Sim::CheckFault(FaultOp::FibreChannelInterface_IssueLIP, name_);
    Change([&](OlkCtl::Sim::SanFcPort &port) {
      ++port.stats.lipCount;
      port.events.push_back(SanEventRecord{static_cast<uint64_t>(std::time(nullptr)), "lip", 0});
    });
  }

  void ClearEvents(int count) override {
    OlkCtl::Sim::CheckFault(FaultOp::FibreChannelInterface_ClearEvents, name_);
    Change([&](OlkCtl::Sim::SanFcPort &port) {
      const size_t drop = count > 0 ? std::min(port.events.size(), static_cast<size_t>(count)) : 0;
      port.events.erase(port.events.begin(), port.events.begin() + static_cast<std::ptrdiff_t>(drop));
    });
  }

  std::vector<FcEvent> GetEvents() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelInterface_GetEvents, name_);
    Adapter();
    std::vector<FcEvent> events;
    const SanRecord *san = state_->san().Find(name_);
    if (!san || !san->fc)
      return events;
    events.reserve(san->fc->events.size());
    for (const SanEventRecord &record : san->fc->events) {
      FcEvent event;
      event.words[0] = record.time;
      event.words[1] = EventCode(record.kind);
      event.words[2] = record.detail;
      events.push_back(event);
    }
    return events;
  }

  std::string FormatEvent(const FcEvent &event) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelInterface_FormatEvent, name_);
    return EventText(event);
  }

protected:
  const AdapterRecord &Adapter() const {
    return TransportAdapter(*state_, name_, {"fc", "fcoe"}, "a Fibre Channel");
  }

  void FillFcAttrs(FcAttrs &attrs) const {
    const AdapterRecord &adapter = Adapter();
    const SanRecord *san = state_->san().Find(name_);
    const OlkCtl::Sim::SanFcPort port = san && san->fc ? *san->fc : OlkCtl::Sim::SanFcPort{};
    attrs.modelDescription = port.modelDescription;
    attrs.hardwareVersion = port.hardwareVersion;
    attrs.driverVersion = adapter.driverVersion;
    attrs.optionRomVersion = port.optionRomVersion;
    attrs.firmwareVersion = adapter.firmwareVersion;
    attrs.driverName = adapter.driver;
    attrs.portId = port.portId;
    std::tie(attrs.nodeName, attrs.portName) = OlkCtl::Sim::WorldWideNamesOfUid(adapter.uid);
    attrs.speed = port.speed;
    attrs.portType = port.portType;
    attrs.portState = port.portState;
    attrs.symbolicName =
        port.modelDescription + " FW:" + adapter.firmwareVersion + " DVR:" + adapter.driverVersion;
  }

  template <class Fn> void Change(const Fn &fn) {
    OlkCtl::Sim::Current().Modify([&](State &state) {
      TransportAdapter(state, name_, {"fc", "fcoe"}, "a Fibre Channel");
      SanRecord &san = SanEntryForChange(state, name_);
      if (!san.fc)
        san.fc.emplace();
      fn(*san.fc);
    });
    state_ = OlkCtl::Sim::Current().Read();
  }

  Snapshot state_;
  std::string name_;
};

class SimFcoePort : public SimFcPort<FibreChannelOverEthernetInterface> {
public:
  using SimFcPort::SimFcPort;

  void GetFcoeStats(FcoeStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelOverEthernetInterface_GetFcoeStats, name_);
    Adapter();
    const SanRecord *san = state_->san().Find(name_);
    stats = san && san->fcoe ? san->fcoe->stats : FcoeStats{};
  }

  void GetFcoeAttributes(FcoeAttrs &attrs) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::FibreChannelOverEthernetInterface_GetFcoeAttributes, name_);
    FillFcAttrs(attrs);
    const SanRecord *san = state_->san().Find(name_);
    const OlkCtl::Sim::SanFcoeLink link = san && san->fcoe ? *san->fcoe : OlkCtl::Sim::SanFcoeLink{};
    attrs.controllerMac = link.controllerMac;
    attrs.fcfMac = link.fcfMac;
    attrs.vnPortMac = link.vnPortMac;
    attrs.vlanId = link.vlanId;
    attrs.nicName = link.nic;
  }
};

class SimSasPort : public SerialAttachedScsiInterface {
public:
  SimSasPort(Snapshot state, std::string name) : state_(std::move(state)), name_(std::move(name)) {}

  std::string GetName() const override { return name_; }

  void GetPhyStats(SasPhyStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::SerialAttachedScsiInterface_GetPhyStats, name_);
    stats = Port().phyStats;
  }

  void GetAttributes(SasAttrs &attrs) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::SerialAttachedScsiInterface_GetAttributes, name_);
    const AdapterRecord &adapter = TransportAdapter(*state_, name_, {"sas"}, "a SAS");
    const OlkCtl::Sim::SanSasPort port = Port();
    attrs.sasAddress = port.sasAddress;
    attrs.physicalId = port.physicalId;
    attrs.negotiatedLinkRate = port.negotiatedLinkRate;
    attrs.minimumLinkRate = port.minimumLinkRate;
    attrs.maximumLinkRate = port.maximumLinkRate;
    attrs.modelDescription = port.modelDescription;
    attrs.hardwareVersion = port.hardwareVersion;
    attrs.optionRomVersion = port.optionRomVersion;
    attrs.firmwareVersion = adapter.firmwareVersion;
    attrs.driverName = adapter.driver;
    attrs.driverVersion = adapter.driverVersion;
  }

  void Reset() override {
    OlkCtl::Sim::CheckFault(FaultOp::SerialAttachedScsiInterface_Reset, name_);
    OlkCtl::Sim::Current().Modify([&](State &state) {
      TransportAdapter(state, name_, {"sas"}, "a SAS");
      SanRecord &san = SanEntryForChange(state, name_);
      if (!san.sas)
        san.sas.emplace();
      san.sas->phyStats = SasPhyStats{};
    });
    state_ = OlkCtl::Sim::Current().Read();
  }

private:
  OlkCtl::Sim::SanSasPort Port() const {
    TransportAdapter(*state_, name_, {"sas"}, "a SAS");
    const SanRecord *san = state_->san().Find(name_);
    return san && san->sas ? *san->sas : OlkCtl::Sim::SanSasPort{};
  }

  Snapshot state_;
  std::string name_;
};

class SimIscsiPort : public iScsiInterface {
public:
  SimIscsiPort(Snapshot state, const AdapterRecord &adapter) : state_(std::move(state)), adapter_(&adapter) {}

  std::string GetName() const override { return adapter_->name; }
  std::string GetUID() const override { return adapter_->uid; }
  std::string GetDriver() const override { return adapter_->driver; }

  int GetState() const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::iScsiInterface_GetState, adapter_->name);
    return Port().state;
  }

  void GetInfo(iScsiInfo &info) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::iScsiInterface_GetInfo, adapter_->name);
    info.description = Port().description;
  }

  void GetStats(iScsiStats &stats) const override {
    OlkCtl::Sim::CheckFault(*state_, FaultOp::iScsiInterface_GetStats, adapter_->name);
    stats = Port().stats;
  }

private:
  OlkCtl::Sim::SanIscsiPort Port() const {
    const SanRecord *san = state_->san().Find(adapter_->name);
    return san && san->iscsi ? *san->iscsi : OlkCtl::Sim::SanIscsiPort{};
  }

  Snapshot state_; // keeps *adapter_ alive
  const AdapterRecord *adapter_;
};

} // namespace

namespace OlkCtl::Storage {

std::vector<std::unique_ptr<FibreChannelInterface>> StorageInfoImpl::GetFibreChannelInterfaces() {
  Sim::CheckFault(FaultOp::StorageInfo_GetFibreChannelInterfaces);
  std::vector<std::unique_ptr<FibreChannelInterface>> adapters;
  for (const Sim::AdapterRecord &record : state_->adapters().records)
    if (record.transport == "fc")
      adapters.push_back(std::make_unique<SimFcPort<FibreChannelInterface>>(state_, record.name));
  return adapters;
}

std::vector<std::unique_ptr<FibreChannelOverEthernetInterface>>
StorageInfoImpl::GetFibreChannelOverEthernetInterfaces() {
  Sim::CheckFault(FaultOp::StorageInfo_GetFibreChannelOverEthernetInterfaces);
  std::vector<std::unique_ptr<FibreChannelOverEthernetInterface>> adapters;
  for (const Sim::AdapterRecord &record : state_->adapters().records)
    if (record.transport == "fcoe")
      adapters.push_back(std::make_unique<SimFcoePort>(state_, record.name));
  return adapters;
}

std::vector<std::unique_ptr<SerialAttachedScsiInterface>> StorageInfoImpl::GetSerialAttachedScsiInterfaces() {
  Sim::CheckFault(FaultOp::StorageInfo_GetSerialAttachedScsiInterfaces);
  std::vector<std::unique_ptr<SerialAttachedScsiInterface>> adapters;
  for (const Sim::AdapterRecord &record : state_->adapters().records)
    if (record.transport == "sas")
      adapters.push_back(std::make_unique<SimSasPort>(state_, record.name));
  return adapters;
}

std::vector<std::unique_ptr<iScsiInterface>> StorageInfoImpl::GetiScsiInterfaces() {
  Sim::CheckFault(FaultOp::StorageInfo_GetiScsiInterfaces);
  std::vector<std::unique_ptr<iScsiInterface>> adapters;
  for (const Sim::AdapterRecord &record : state_->adapters().records)
    if (IsTransport(record, {"iscsi", "iscsivendor"}))
      adapters.push_back(std::make_unique<SimIscsiPort>(state_, record));
  return adapters;
}

} // namespace OlkCtl::Storage
