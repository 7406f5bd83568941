// Plug-ins of the pluggable storage architecture as objects: a multipathing
// plug-in that owns paths, a filter plug-in attached to devices, and the
// register of plug-in modules the host may load.
#pragma once

#include <hostctl/Export.h>

#include <string>

namespace HostCtl::Storage {

// Protocol codes of a loaded plug-in (PsaPluginImpl::PsaStorGetPluginProtocol).
constexpr int PSA_PLUGIN_PROTOCOL_SCSI = 1;
constexpr int PSA_PLUGIN_PROTOCOL_NVME = 2;
constexpr int PSA_PLUGIN_PROTOCOL_SCSI_NVME = 3;

// One entry of the module register.
struct RegisteredModule {
  std::string moduleName;
  std::string pluginName;
  std::string pluginClass; // "MP", "Filter", "HWAC", or a sub-plug-in class such as "SATP", "PSP"
  std::string dependencies;
  std::string fullPath;
};

class OLKCTL_API PsaMultipathPlugin {
public:
  virtual ~PsaMultipathPlugin() = default;
  virtual std::string GetName() const = 0;
  // Unclaims every path the plug-in holds. A device in use keeps its last
  // usable path; such refusals are reported together after the rest is done.
  virtual void UnclaimAllPaths() = 0;
};

class OLKCTL_API PsaFilterPlugin {
public:
  virtual ~PsaFilterPlugin() = default;
  // "*" for the object that stands for every loaded filter plug-in.
  virtual std::string GetName() const = 0;
  // Detaches the plug-in (or every filter plug-in) from the device.
  virtual void DetachFromDevice(const std::string &deviceName) = 0;
};

} // namespace HostCtl::Storage
