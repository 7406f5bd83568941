// HWAC operations of the simulated host: the primitives of a device, their
// switches and the plug-in that serves them.
#include "api/SmartHwacLun.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/PsaDeviceConfigImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <array>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::HwacAttributes;
using OlkCtl::Sim::HwacRecord;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_HWAC_FAULTS(X)                                                                                \
  X(Lun_GetHwacAttributes, "Lun::GetHwacAttributes", "device name")                                          \
  X(Lun_PrepareHwacUpdate, "Lun::PrepareHwacUpdate", "device name")                                          \
  X(Lun_SetHwacPrimitives, "Lun::SetHwacPrimitives", "device name")                                          \
  X(PsaDeviceConfigImpl_GetHwacPluginName, "PsaDeviceConfigImpl::GetHwacPluginName", "device name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_HWAC_FAULTS)
} // namespace

namespace OlkCtl::Sim {

namespace {

// The switch of each primitive by its index in a mask (HwacPrimitive order).
std::array<bool *, HostCtl::Storage::HWAC_PRIMITIVE_COUNT> Switches(HwacRecord &record) {
  std::array<bool *, HostCtl::Storage::HWAC_PRIMITIVE_COUNT> switches{};
  switches[HostCtl::Storage::HWAC_CLONE] = &record.clone.enabled;
  switches[HostCtl::Storage::HWAC_ATS] = &record.ats.enabled;
  switches[HostCtl::Storage::HWAC_DELETE] = &record.unmap.enabled;
  switches[HostCtl::Storage::HWAC_ZERO] = &record.zero.enabled;
  return switches;
}

} // namespace

int SmartHwacLun::GetHwacSupport() const {
  const HwacRecord *record = snapshot_->hwac().Find(GetName());
  if (!record)
    return 0;
  const std::array<int32_t, 4> codes = {EffectiveHwacCode(record->ats), EffectiveHwacCode(record->clone),
                                        EffectiveHwacCode(record->zero), EffectiveHwacCode(record->unmap)};
  bool allUnsupported = true;
  for (int32_t code : codes) {
    if (code == HostCtl::Storage::Lun::HWAC_SUPPORTED)
      return code;
    allUnsupported = allUnsupported && code == HostCtl::Storage::Lun::HWAC_UNSUPPORTED;
  }
  return allUnsupported ? HostCtl::Storage::Lun::HWAC_UNSUPPORTED : 0;
}

void SmartHwacLun::GetHwacAttributes(HwacAttributes &attributes) const {
  const std::string name = GetName();
  CheckFault(*snapshot_, FaultOp::Lun_GetHwacAttributes, name);
  attributes = HwacAttributes{};
  const HwacRecord *record = snapshot_->hwac().Find(name);
  if (!record)
    return;
  attributes.atsSupport = EffectiveHwacCode(record->ats);
  attributes.cloneSupport = EffectiveHwacCode(record->clone);
  attributes.zeroSupport = EffectiveHwacCode(record->zero);
  attributes.deleteSupport = EffectiveHwacCode(record->unmap);
  // Extended copy is a kind of copy: it goes with the Clone switch.
  attributes.exCloneSupport = record->exClone == 1 && attributes.cloneSupport != 1 ? 2 : record->exClone;
  attributes.maxCompareAndWriteLength = record->ats.maxCompareAndWriteLength;
  attributes.maxSegmentLength = record->clone.maxSegmentLength;
  attributes.maxSegmentDescriptorCount = record->clone.maxSegmentDescriptorCount;
  attributes.optimalTransferLengthGranularity = record->clone.optimalTransferLengthGranularity;
  attributes.maxWriteSameLength = record->zero.maxWriteSameLength;
  attributes.maxLbaCount = record->unmap.maxLbaCount;
  attributes.maxBlockDescCount = record->unmap.maxBlockDescCount;
  attributes.optimalUnmapGranularity = record->unmap.optimalGranularity;
  attributes.unmapGranularityAlignmentValid = record->unmap.granularityAlignmentValid;
  attributes.unmapGranularityAlignment = record->unmap.granularityAlignment;
}

void SmartHwacLun::PrepareHwacUpdate() {
  const std::string name = GetName();
  CheckFault(FaultOp::Lun_PrepareHwacUpdate, name);
  const DeviceRecord *device = Current().Read()->devices().Find(name);
  if (!device)
    throw HostCtlException("Device " + name + " is no longer registered");
  if (device->offline)
    throw HostCtlException("Device " + name + " is offline: its HWAC settings cannot be changed");
}

void SmartHwacLun::SetHwacPrimitives(uint8_t mask, const std::vector<std::pair<bool, bool>> &primitives) {
  const std::string name = GetName();
  CheckFault(FaultOp::Lun_SetHwacPrimitives, name);
  if (const DeviceRecord *device = snapshot_->devices().Find(name); device && device->nvme)
    throw HostCtlException("HWAC primitives cannot be switched on NVMe device " + name);
  bool consistent = primitives.size() == HostCtl::Storage::HWAC_PRIMITIVE_COUNT;
  for (unsigned i = 0; consistent && i < primitives.size(); ++i)
    consistent = primitives[i].first == ((mask >> (2 * i + 1)) & 1) &&
                 (!primitives[i].first || primitives[i].second == ((mask >> (2 * i)) & 1));
  if (!consistent)
    throw HostCtlException(HostCtl::Misc::StrPrintf("HWAC primitive list does not match mask 0x%02x", mask));
  Current().Modify([&](State &state) {
    if (!state.devices().Find(name))
      throw HostCtlException("Device " + name + " is no longer registered");
    HwacRecord *record = state.hwac().Find(name);
    if (!record) {
      // Nothing known of the hardware yet; the switches are kept for when it is.
      HwacRecord added;
      added.name = name;
      state.hwac().records.push_back(std::move(added));
      state.hwac().Reindex();
      record = &state.hwac().records.back();
    }
    const auto switches = Switches(*record);
    for (unsigned i = 0; i < switches.size(); ++i)
      if (mask & (1u << (2 * i + 1)))
        *switches[i] = (mask & (1u << (2 * i))) != 0;
  });
}

std::unique_ptr<HostCtl::Storage::PsaDeviceConfig>
SmartHwacLun::NewPsaDeviceConfig(std::vector<std::string> filters) const {
  Snapshot state = snapshot_;
  std::string name = GetName();
  return std::make_unique<Storage::PsaDeviceConfigImpl>(std::move(filters), [state, name]() -> std::string {
    CheckFault(*state, FaultOp::PsaDeviceConfigImpl_GetHwacPluginName, name);
    const DeviceRecord *device = state->devices().Find(name);
    return device ? HwacPluginOf(*state, *device) : std::string();
  });
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

PsaDeviceConfigImpl::PsaDeviceConfigImpl(std::vector<std::string> filters,
                                         std::function<std::string()> hwacPluginName)
    : filters_(std::move(filters)), hwacPluginName_(std::move(hwacPluginName)) {}

std::vector<std::string> PsaDeviceConfigImpl::GetFilterNames() const {
  return filters_;
}

std::string PsaDeviceConfigImpl::GetHwacPluginName() const {
  return hwacPluginName_ ? hwacPluginName_() : std::string();
}

} // namespace OlkCtl::Storage
