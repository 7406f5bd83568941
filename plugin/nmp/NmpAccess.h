// What the nmp commands share: reaching the NMP plug-in and a device's or
// path's NMP configuration, and the texts several commands use.
#pragma once

#include "frame/Command.h"

#include <hostctl/storage/Nmp.h>
#include <hostctl/storage/StorageInfo.h>

#include <memory>
#include <string>

namespace TarvexCli::Nmp {

inline constexpr const char *kNoNmp = "Could not find Native Multipathing Plugin";
inline constexpr const char *kCfgFileText =
    "Update the config file and runtime with the new setting.  In case device is claimed by another PSP, "
    "ignore any errors when applying to runtime configuration.";

// The storage info's NMP plug-in, or null when the NMP is not loaded.
std::unique_ptr<HostCtl::Storage::Nmp::NmpPsaPlugin> GetNmp(HostCtl::Storage::StorageInfo &info);

// The NMP configuration of a device found by name, or null when the NMP does
// not control it.
std::unique_ptr<HostCtl::Storage::Nmp::NmpDeviceConfig> NmpDeviceConfigOf(const std::string &deviceName);
// Likewise for a path.
std::unique_ptr<HostCtl::Storage::Nmp::NmpScsiPathConfig> NmpPathConfigOf(const std::string &pathName);

// "Device <name> Not controlled by the NMP plugin"
std::string NotNmpText(const std::string &device);

// The look-ups of the get and set commands: the NMP configuration of the
// device (or path) `name`, or null after adding "Unable to find device with
// the name ..." or the "Not controlled" text ("Unable to find path with the
// name ...", "Path ... is not claimed by NMP").
std::unique_ptr<HostCtl::Storage::Nmp::NmpDeviceConfig> FindNmpDevice(const std::string &name,
                                                                      const Frame::OutputPtr &output);
std::unique_ptr<HostCtl::Storage::Nmp::NmpScsiPathConfig> FindNmpPath(const std::string &name,
                                                                      const Frame::OutputPtr &output);

} // namespace TarvexCli::Nmp
