// Static look-ups of the loaded PSA plug-ins of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/PsaPlugin.h>

#include <memory>
#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API PsaPluginImpl {
public:
  // The protocol code of a loaded plug-in (HostCtl::Storage::PSA_PLUGIN_PROTOCOL_*).
  static int PsaStorGetPluginProtocol(const std::string &name);
};

class OLKCTL_API PsaMultipathPluginImpl {
public:
  // True for a loaded plug-in of the MP class.
  static bool IsValidPluginName(const std::string &name);
  // None when no such plug-in is loaded.
  static std::unique_ptr<HostCtl::Storage::PsaMultipathPlugin> GetPlugin(const std::string &name);
};

class OLKCTL_API PsaFilterPluginImpl {
public:
  // True for a loaded plug-in of the Filter class.
  static bool IsValidPluginName(const std::string &name);
  // "*" stands for every loaded filter plug-in; throws for a name that is no
  // loaded filter plug-in.
  static std::unique_ptr<HostCtl::Storage::PsaFilterPlugin> GetPlugin(const std::string &name);
};

class OLKCTL_API PsaHwacPluginImpl {
public:
  // True for a loaded plug-in of the HWAC class.
  static bool IsValidPluginName(const std::string &name);
};

} // namespace OlkCtl::Storage
