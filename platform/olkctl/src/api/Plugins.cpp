// The plug-in register and direct claiming of the simulated host: loaded PSA
// plug-ins, registered modules, automatic claiming per class, unclaiming and
// filter detaching.
#include "api/Claiming.h"
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/NmpImpl.h>
#include <olkctl/storage/PsaPluginImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <algorithm>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_PLUGINS_FAULTS(X)                                                                             \
  X(StorageInfo_GetPsaPluginNames, "StorageInfo::GetPsaPluginNames", "")                                     \
  X(StorageInfo_GetMultipathPlugin, "StorageInfo::GetMultipathPlugin", "plug-in name")                       \
  X(StorageInfo_GetRegistered, "StorageInfo::GetRegistered", "")                                             \
  X(StorageInfo_GetRegisteredModule, "StorageInfo::GetRegisteredModule", "module name")                      \
  X(StorageInfo_RegisterModule, "StorageInfo::RegisterModule", "module name")                                \
  X(StorageInfo_UnRegisterModule, "StorageInfo::UnRegisterModule", "module name")                            \
  X(StorageInfo_SetPsaAutoClaiming, "StorageInfo::SetPsaAutoClaiming",                                       \
    "class: \"MP\", \"Filter\", \"HWAC\"")                                                                   \
  X(StorageInfo_UnclaimPaths, "StorageInfo::UnclaimPaths", "adapter name, or \"*\"")                         \
  X(ScsiPath_Unclaim, "ScsiPath::Unclaim", "the path's runtime name")                                        \
  X(Lun_Refresh, "Lun::Refresh", "device name")                                                              \
  X(PsaMultipathPlugin_UnclaimAllPaths, "PsaMultipathPlugin::UnclaimAllPaths", "plug-in name")               \
  X(PsaFilterPlugin_DetachFromDevice, "PsaFilterPlugin::DetachFromDevice", "device name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_PLUGINS_FAULTS)
} // namespace

using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using HostCtl::Storage::PsaFilterPlugin;
using HostCtl::Storage::PsaMultipathPlugin;
using HostCtl::Storage::RegisteredModule;

namespace OlkCtl::Sim {

namespace {

// Refusals of an unclaim that left some paths claimed, as one text.
void ThrowIfKept(const std::vector<std::string> &kept) {
  if (kept.empty())
    return;
  std::string text = kept.front();
  for (size_t i = 1; i < kept.size(); ++i)
    text += " " + kept[i];
  throw HostCtlException(text);
}

class MultipathPluginObject : public PsaMultipathPlugin {
public:
  explicit MultipathPluginObject(std::string name) : name_(std::move(name)) {}
  std::string GetName() const override { return name_; }
  void UnclaimAllPaths() override { UnclaimPluginPaths(name_); }

private:
  std::string name_;
};

class FilterPluginObject : public PsaFilterPlugin {
public:
  explicit FilterPluginObject(std::string name) : name_(std::move(name)) {}
  std::string GetName() const override { return name_; }
  void DetachFromDevice(const std::string &deviceName) override {
    CheckFault(FaultOp::PsaFilterPlugin_DetachFromDevice, deviceName);
    Current().Modify([&](State &state) { DetachFilters(state, deviceName, name_); });
  }

private:
  std::string name_;
};

std::unique_ptr<PsaMultipathPlugin> MultipathPlugin(const Snapshot &state, const std::string &name) {
  if (!state->plugins().IsLoaded(name, "MP"))
    return nullptr;
  if (name == "HPP")
    return NewHppPlugin(state);
  if (name == "NMP")
    return std::make_unique<Storage::Nmp::NmpPsaPluginImpl>(state);
  return std::make_unique<MultipathPluginObject>(name);
}

} // namespace

void UnclaimPathObject(const std::string &uid, const std::string &runtimeName) {
  CheckFault(FaultOp::ScsiPath_Unclaim, runtimeName);
  std::vector<std::string> kept;
  Current().Modify([&](State &state) {
    if (!state.paths().ByUid(uid))
      throw HostCtlException("Path " + runtimeName + " no longer exists.");
    kept = UnclaimPaths(state, [&](const PathRecord &path) { return path.uid == uid; });
  });
  ThrowIfKept(kept);
}

void UnclaimPluginPaths(const std::string &plugin) {
  CheckFault(FaultOp::PsaMultipathPlugin_UnclaimAllPaths, plugin);
  std::vector<std::string> kept;
  Current().Modify([&](State &state) {
    kept = UnclaimPaths(state, [&](const PathRecord &path) { return path.plugin == plugin; });
  });
  ThrowIfKept(kept);
}

void RefreshDeviceObject(const std::string &name) {
  CheckFault(FaultOp::Lun_Refresh, name);
  Current().Modify([&](State &state) {
    if (!state.devices().Find(name))
      throw HostCtlException("Device " + name + " is no longer registered");
    SettleDevice(state, name);
  });
}

} // namespace OlkCtl::Sim

namespace OlkCtl::Storage {

// --- loaded plug-ins ---

std::vector<std::string> StorageInfoImpl::GetPsaPluginNames() {
  Sim::CheckFault(FaultOp::StorageInfo_GetPsaPluginNames);
  std::vector<std::string> names;
  for (const Sim::LoadedPluginRecord &plugin : state_->plugins().loaded)
    names.push_back(plugin.name);
  return names;
}

bool StorageInfoImpl::IsValidPsaPluginName(const std::string &name) {
  return state_->plugins().FindLoaded(name) != nullptr;
}

std::unique_ptr<PsaMultipathPlugin> StorageInfoImpl::GetMultipathPlugin(const std::string &name) {
  Sim::CheckFault(FaultOp::StorageInfo_GetMultipathPlugin, name);
  return Sim::MultipathPlugin(state_, name);
}

int PsaPluginImpl::PsaStorGetPluginProtocol(const std::string &name) {
  Sim::Snapshot state = Sim::Current().Read();
  const Sim::LoadedPluginRecord *plugin = state->plugins().FindLoaded(name);
  if (!plugin)
    throw HostCtlException(StrCat("Plugin ", name, " is not loaded."));
  if (plugin->protocol == "nvme")
    return HostCtl::Storage::PSA_PLUGIN_PROTOCOL_NVME;
  if (plugin->protocol == "scsi+nvme")
    return HostCtl::Storage::PSA_PLUGIN_PROTOCOL_SCSI_NVME;
  return HostCtl::Storage::PSA_PLUGIN_PROTOCOL_SCSI;
}

bool PsaMultipathPluginImpl::IsValidPluginName(const std::string &name) {
  return Sim::Current().Read()->plugins().IsLoaded(name, "MP");
}

std::unique_ptr<PsaMultipathPlugin> PsaMultipathPluginImpl::GetPlugin(const std::string &name) {
  return Sim::MultipathPlugin(Sim::Current().Read(), name);
}

bool PsaFilterPluginImpl::IsValidPluginName(const std::string &name) {
  return Sim::Current().Read()->plugins().IsLoaded(name, "Filter");
}

std::unique_ptr<PsaFilterPlugin> PsaFilterPluginImpl::GetPlugin(const std::string &name) {
  if (name != "*" && !IsValidPluginName(name))
    throw HostCtlException(StrCat("Plugin ", name, " is not a loaded filter plugin."));
  return std::make_unique<Sim::FilterPluginObject>(name);
}

bool PsaHwacPluginImpl::IsValidPluginName(const std::string &name) {
  return Sim::Current().Read()->plugins().IsLoaded(name, "HWAC");
}

// --- the module register ---

std::vector<std::string> StorageInfoImpl::GetRegistered() {
  Sim::CheckFault(FaultOp::StorageInfo_GetRegistered);
  std::vector<std::string> names;
  for (const Sim::ModuleRecord &module : state_->plugins().modules)
    names.push_back(module.name);
  return names;
}

RegisteredModule StorageInfoImpl::GetRegisteredModule(const std::string &module) {
  Sim::CheckFault(FaultOp::StorageInfo_GetRegisteredModule, module);
  const Sim::ModuleRecord *record = state_->plugins().FindModule(module);
  if (!record)
    throw HostCtlException(StrCat("Module ", module, " is not registered."));
  return {record->name, record->plugin, record->pluginClass, record->dependencies, record->fullPath};
}

void StorageInfoImpl::RegisterModule(const std::string &module, const std::string &plugin,
                                     const std::string &pluginClass, const std::string &dependencies,
                                     const std::string &fullPath) {
  Sim::CheckFault(FaultOp::StorageInfo_RegisterModule, module);
  static const std::vector<std::string> kClasses = {"MP", "Filter", "HWAC", "SATP", "PSP"};
  if (std::find(kClasses.begin(), kClasses.end(), pluginClass) == kClasses.end())
    throw HostCtlException(StrCat("Unknown plugin class ", pluginClass, "."));
  if (module.empty() || plugin.empty())
    throw HostCtlException("A module registration needs a module and a plugin name.");
  Sim::Current().Modify([&](Sim::State &state) {
    Sim::PluginFamily &plugins = state.plugins();
    if (plugins.FindModule(module))
      throw HostCtlException("Module already registered");
    plugins.modules.push_back({module, plugin, pluginClass, dependencies, fullPath});
  });
  Refresh();
}

void StorageInfoImpl::UnRegisterModule(const std::string &module) {
  Sim::CheckFault(FaultOp::StorageInfo_UnRegisterModule, module);
  Sim::Current().Modify([&](Sim::State &state) {
    auto &modules = state.plugins().modules;
    auto it = std::find_if(modules.begin(), modules.end(),
                           [&](const Sim::ModuleRecord &record) { return record.name == module; });
    if (it == modules.end())
      throw HostCtlException(StrCat("Module ", module, " is not registered."));
    modules.erase(it);
  });
  Refresh();
}

// --- claiming ---

// Claiming in the simulated host completes before the call returns, so there
// is never anything to wait for.
void StorageInfoImpl::SetPsaAutoClaiming(bool enabled, HostCtl::Storage::PSAClaimRuleClass ruleClass, bool) {
  const std::string classText = GetClaimRuleClassString(ruleClass);
  Sim::CheckFault(FaultOp::StorageInfo_SetPsaAutoClaiming, classText);
  if (!state_->claimRules().Class(classText))
    throw HostCtlException("Unknown claim rule class.");
  Sim::Current().Modify([&](Sim::State &state) {
    auto &off = state.plugins().autoClaimOff;
    const bool wasOn = std::find(off.begin(), off.end(), classText) == off.end();
    if (!enabled) {
      if (wasOn)
        off.push_back(classText);
      return;
    }
    off.erase(std::remove(off.begin(), off.end(), classText), off.end());
    // What appeared while claiming was off is claimed now.
    if (wasOn)
      return;
    if (classText == "MP")
      Sim::ClaimPaths(state, [](const Sim::PathRecord &path) { return !path.IsClaimed(); });
    else if (classText == "Filter")
      Sim::ClaimDeviceFilters(state, [](const Sim::DeviceRecord &) { return true; });
  });
  Refresh();
}

void StorageInfoImpl::UnclaimPaths(const std::string &adapter, uint32_t channel, uint32_t target,
                                   uint32_t lun) {
  Sim::CheckFault(FaultOp::StorageInfo_UnclaimPaths, adapter);
  auto any = [](uint32_t value, uint32_t wanted) {
    return wanted == Sim::kClaimRuleWildcard || value == wanted;
  };
  std::vector<std::string> kept;
  Sim::Current().Modify([&](Sim::State &state) {
    kept = Sim::UnclaimPaths(state, [&](const Sim::PathRecord &path) {
      return (adapter == "*" || path.adapterName == adapter) && any(path.channel, channel) &&
             any(path.target, target) && any(path.lun, lun);
    });
  });
  Refresh();
  Sim::ThrowIfKept(kept);
}

} // namespace OlkCtl::Storage
