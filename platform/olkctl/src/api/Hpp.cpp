// The high-performance plug-in of the simulated host: its devices and paths,
// their configuration, and the user's SSD and local marking.
#include "api/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <algorithm>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_HPP_FAULTS(X)                                                                                 \
  X(HppPsaPlugin_GetDevices, "HppPsaPlugin::GetDevices", "")                                                 \
  X(HppPsaPlugin_GetPaths, "HppPsaPlugin::GetPaths", "")                                                     \
  X(HppPsaPlugin_GetUserMarkedSsdDevices, "HppPsaPlugin::GetUserMarkedSsdDevices", "")                       \
  X(HppPsaPlugin_GetDeviceConfig, "HppPsaPlugin::GetDeviceConfig", "device name")                            \
  X(HppPsaPlugin_GetPathConfig, "HppPsaPlugin::GetPathConfig", "the path's runtime name")                    \
  X(HppDeviceConfig_Set, "HppDeviceConfig::Set", "device name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_HPP_FAULTS)
} // namespace

namespace OlkCtl::Sim {

namespace {

using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using HostCtl::Storage::Lun;
using HostCtl::Storage::ScsiPath;
using namespace HostCtl::Storage::Hpp;

constexpr const char *kHpp = "HPP";

bool ControlledByHpp(const State &state, const DeviceRecord &device) {
  return device.multipathPlugin == kHpp && state.hpp().devices.Find(device.name);
}

void AddOnce(std::vector<std::string> &list, const std::string &name) {
  if (std::find(list.begin(), list.end(), name) == list.end())
    list.push_back(name);
}

class DeviceConfigObject : public HppDeviceConfig {
public:
  DeviceConfigObject(Snapshot state, std::string device)
      : state_(std::move(state)), device_(std::move(device)) {}

  std::string GetPathSelectionScheme() const override { return Record().pss; }
  std::string GetPathSelectionSchemeConfig() const override { return Record().SchemeConfigText(); }
  bool GetUseAno() const override { return Record().useAno; }

  // HPP paths that are active carry I/O; active-unoptimized ones too with use-ANO.
  std::vector<std::string> GetWorkingPaths() const override {
    const HppDeviceRecord &config = Record();
    std::vector<std::string> working;
    for (size_t position : state_->paths().OfDevice(device_)) {
      const PathRecord &path = state_->paths().records[position];
      if (path.plugin == kHpp &&
          (path.state == "active" || (config.useAno && path.state == "active unoptimized")))
        working.push_back(path.runtimeName);
    }
    return working;
  }

  std::string GetCurrentPath() const override {
    const std::vector<std::string> working = GetWorkingPaths();
    const HppDeviceRecord &config = Record();
    if (config.pss == "FIXED" &&
        std::find(working.begin(), working.end(), config.preferredPath) != working.end())
      return config.preferredPath;
    return working.empty() ? std::string() : working.front();
  }

  void SetUpdateConfigFile(bool update) override { update_ = update; }

  void MarkSsd(bool ssd) override {
    Change([&](State &state, HppDeviceRecord &, DeviceRecord &device) {
      device.ssd = ssd;
      AddOnce(state.hpp().userMarkedSsd, device.name);
    });
  }
  void MarkLocal(bool local) override {
    Change([&](State &state, HppDeviceRecord &, DeviceRecord &device) {
      device.local = local;
      AddOnce(state.hpp().userMarkedLocal, device.name);
    });
  }
  void SetUseAno(bool useAno) override {
    Change([&](State &, HppDeviceRecord &config, DeviceRecord &) { config.useAno = useAno; });
  }
  void ResetPathSelectionScheme() override {
    Change([&](State &, HppDeviceRecord &config, DeviceRecord &) {
      config.pss = "LB-RR";
      config.iops = kHppDefaultIops;
      config.bytes = kHppDefaultBytes;
      config.preferredPath.clear();
    });
  }
  void SetPathSelectionScheme(const std::string &scheme) override {
    if (!IsHppScheme(scheme))
      throw HostCtlException(StrCat("Unknown path selection scheme ", scheme, "."));
    Change([&](State &, HppDeviceRecord &config, DeviceRecord &) {
      config.pss = scheme;
      if (scheme != "FIXED")
        config.preferredPath.clear();
    });
  }
  void SetIops(uint32_t iops) override { SetTunable("iops", iops, 1, 10000, &HppDeviceRecord::iops); }
  void SetBytes(uint32_t bytes) override {
    SetTunable("bytes", bytes, 1, 104857600, &HppDeviceRecord::bytes);
  }
  void SetLatencyEvalTime(uint32_t milliseconds) override {
    SetTunable("latency-eval-time", milliseconds, 10000, 300000, &HppDeviceRecord::latencyEvalTime);
  }
  void SetSamplingIosPerPath(uint32_t ios) override {
    SetTunable("sampling-ios-per-path", ios, 16, 160, &HppDeviceRecord::samplingIosPerPath);
  }
  void SetPreferredPath(const std::string &name) override {
    Change([&](State &state, HppDeviceRecord &config, DeviceRecord &) {
      if (name.empty()) {
        config.preferredPath.clear();
        return;
      }
      const PathRecord *path = state.paths().ByName(name);
      if (!path || path->deviceName != device_)
        throw HostCtlException(StrCat("Path ", name, " is not a path of device ", device_, "."));
      config.preferredPath = path->runtimeName;
    });
  }

private:
  const HppDeviceRecord &Record() const { return *state_->hpp().devices.Find(device_); }

  void SetTunable(const char *key, uint32_t value, uint32_t low, uint32_t high,
                  uint32_t HppDeviceRecord::*member) {
    if (value < low || value > high)
      throw HostCtlException(StrCat("The value ", std::to_string(value), " of ", key, " is outside ",
                                    std::to_string(low), "..", std::to_string(high), "."));
    Change([&](State &, HppDeviceRecord &config, DeviceRecord &) { config.*member = value; });
  }

  template <class Fn> void Change(const Fn &apply) {
    CheckFault(FaultOp::HppDeviceConfig_Set, device_);
    Current().Modify([&](State &state) {
      DeviceRecord *device = state.devices().Find(device_);
      HppDeviceRecord *config = state.hpp().devices.Find(device_);
      if (!device || !config || device->multipathPlugin != kHpp)
        throw HostCtlException(StrCat("Device ", device_, " is no longer controlled by HPP."));
      apply(state, *config, *device);
      if (update_)
        config->persistent = true;
    });
    state_ = Current().Read();
  }

  Snapshot state_;
  std::string device_;
  bool update_ = false;
};

class PathConfigObject : public HppPathConfig {
public:
  PathConfigObject(Snapshot state, const PathRecord &path) : state_(std::move(state)), path_(&path) {}
  std::string GetPathState() const override { return path_->state; }
  std::string GetPathConfig() const override {
    const HppPathRecord *record = state_->hpp().paths.Find(path_->uid);
    return record ? record->config : std::string();
  }

private:
  Snapshot state_; // keeps *path_ alive
  const PathRecord *path_;
};

class HppPluginObject : public HppPsaPlugin {
public:
  explicit HppPluginObject(Snapshot state) : state_(std::move(state)) {}

  std::string GetName() const override { return kHpp; }

  void UnclaimAllPaths() override {
    UnclaimPluginPaths(kHpp);
    state_ = Current().Read();
  }

  std::vector<std::unique_ptr<Lun>> GetDevices() override {
    CheckFault(FaultOp::HppPsaPlugin_GetDevices);
    std::vector<std::unique_ptr<Lun>> devices;
    for (const DeviceRecord &device : state_->devices().records)
      if (device.multipathPlugin == kHpp && !device.offline)
        devices.push_back(NewLun(state_, device));
    return devices;
  }

  std::vector<std::unique_ptr<ScsiPath>> GetPaths() override {
    CheckFault(FaultOp::HppPsaPlugin_GetPaths);
    std::vector<std::unique_ptr<ScsiPath>> paths;
    for (const PathRecord &path : state_->paths().records)
      if (path.plugin == kHpp)
        paths.push_back(NewScsiPath(state_, path));
    return paths;
  }

  std::vector<std::string> GetUserMarkedSsdDevices() override {
    CheckFault(FaultOp::HppPsaPlugin_GetUserMarkedSsdDevices);
    return state_->hpp().userMarkedSsd;
  }

  std::vector<std::string> GetUserMarkedLocalDevices() override { return state_->hpp().userMarkedLocal; }

  std::unique_ptr<HppDeviceConfig> GetDeviceConfig(const Lun &device) override {
    CheckFault(FaultOp::HppPsaPlugin_GetDeviceConfig, device.GetName());
    const DeviceRecord *record = state_->devices().Find(device.GetName());
    if (!record || !ControlledByHpp(*state_, *record))
      return nullptr;
    return std::make_unique<DeviceConfigObject>(state_, record->name);
  }

  std::unique_ptr<HppPathConfig> GetPathConfig(const ScsiPath &path) override {
    CheckFault(FaultOp::HppPsaPlugin_GetPathConfig, path.GetRuntimeName());
    const PathRecord *record = state_->paths().ByUid(path.GetUID());
    if (!record || record->plugin != kHpp)
      return nullptr;
    const DeviceRecord *device = state_->devices().Find(record->deviceName);
    if (!device || !ControlledByHpp(*state_, *device))
      return nullptr;
    return std::make_unique<PathConfigObject>(state_, *record);
  }

private:
  Snapshot state_;
};

} // namespace

std::unique_ptr<HppPsaPlugin> NewHppPlugin(const Snapshot &state) {
  return std::make_unique<HppPluginObject>(state);
}

} // namespace OlkCtl::Sim
