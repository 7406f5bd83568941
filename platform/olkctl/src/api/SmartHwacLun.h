// What a device of the simulated host answers from the smart and hwac
// families rather than from its own record: SMART data and HWAC primitives.
// The devices family's Lun objects hold one and pass these calls to it.
#pragma once

#include "api/Objects.h"

#include <hostctl/storage/Lun.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace OlkCtl::Sim {

class SmartHwacLun {
public:
  // Reads from `state`, the snapshot the device `name` came from.
  SmartHwacLun(Snapshot state, std::string name) : snapshot_(std::move(state)), name_(std::move(name)) {}

  // --- HWAC (Hwac.cpp) ---
  int GetHwacSupport() const;
  void GetHwacAttributes(HostCtl::Storage::HwacAttributes &attributes) const;
  void PrepareHwacUpdate();
  void SetHwacPrimitives(uint8_t mask, const std::vector<std::pair<bool, bool>> &primitives);

  // --- SMART (Smart.cpp) ---
  void GetSmartParameters(HostCtl::Storage::SmartParameters &parameters) const;
  bool IsSmartStatsEnabled() const;
  void SetSmartStatsEnabled(bool enabled);

  // The device's PSA configuration holding `filters`; its HWAC plug-in is
  // looked up in the claim rules only when asked for.
  std::unique_ptr<HostCtl::Storage::PsaDeviceConfig>
  NewPsaDeviceConfig(std::vector<std::string> filters) const;

private:
  const std::string &GetName() const { return name_; }

  Snapshot snapshot_;
  std::string name_;
};

} // namespace OlkCtl::Sim
