#include "sim/family/DeviceKeyed.h"

#include "sim/State.h"

namespace OlkCtl::Sim {

bool IsDeviceOfHost(const State &state, const std::string &name) {
  if (const DeviceRecord *device = state.devices().Find(name); device && device->name == name)
    return true;
  for (const AdapterRecord &adapter : state.adapters().records)
    if (const DeviceRecord *device = adapter.pendingDevices.Find(name); device && device->name == name)
      return true;
  return false;
}

} // namespace OlkCtl::Sim
