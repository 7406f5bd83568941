// Factories of the host objects each family hands out. An object keeps the
// snapshot it came from alive and reads its record from it; changes go through
// Store::Modify by the object's name.
#pragma once

#include "sim/State.h"

#include <hostctl/storage/Lun.h>
#include <hostctl/storage/PsaClaimRule.h>
#include <hostctl/storage/ScsiInterface.h>
#include <hostctl/storage/ScsiPath.h>

#include <memory>

namespace OlkCtl::Sim {

using Snapshot = std::shared_ptr<const State>;

// adapters family
std::unique_ptr<HostCtl::Storage::ScsiInterface> NewScsiInterface(const Snapshot &state, const AdapterRecord &record);
// devices family
std::unique_ptr<HostCtl::Storage::Lun> NewLun(const Snapshot &state, const DeviceRecord &record);
// paths family
std::unique_ptr<HostCtl::Storage::ScsiPath> NewScsiPath(const Snapshot &state, const PathRecord &record);

} // namespace OlkCtl::Sim
