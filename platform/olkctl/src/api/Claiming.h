// Claiming operations that path and device objects hand on to the plug-in API
// file, which declares their faults, and the HPP's plug-in object.
#pragma once

#include "api/Objects.h"

#include <hostctl/storage/Hpp.h>

#include <memory>
#include <string>

namespace OlkCtl::Sim {

// ScsiPath::Unclaim of the path with that UID (runtime name: the fault target).
void UnclaimPathObject(const std::string &uid, const std::string &runtimeName);
// PsaMultipathPlugin::UnclaimAllPaths of the plug-in of that name.
void UnclaimPluginPaths(const std::string &plugin);
// Lun::Refresh of the device with that canonical name.
void RefreshDeviceObject(const std::string &name);
// hpp family
std::unique_ptr<HostCtl::Storage::Hpp::HppPsaPlugin> NewHppPlugin(const Snapshot &state);

} // namespace OlkCtl::Sim
