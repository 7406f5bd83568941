// What a device of the simulated host answers from the smart and hwac
// families rather than from its own record: SMART data and HWAC primitives.
// The devices family's Lun derives from this.
#pragma once

#include "api/Objects.h"

#include <hostctl/storage/Lun.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace OlkCtl::Sim {

class SmartHwacLun : public HostCtl::Storage::Lun {
public:
  // Reads from `state`, the snapshot the device came from.
  explicit SmartHwacLun(Snapshot state) : snapshot_(std::move(state)) {}

  // --- HWAC (Hwac.cpp) ---
  int GetHwacSupport() const override;
  void GetHwacAttributes(HostCtl::Storage::HwacAttributes &attributes) const override;
  void PrepareHwacUpdate() override;
  void SetHwacPrimitives(uint8_t mask, const std::vector<std::pair<bool, bool>> &primitives) override;

  // --- SMART (Smart.cpp) ---
  void GetSmartParameters(HostCtl::Storage::SmartParameters &parameters) const override;
  bool IsSmartStatsEnabled() const override;
  void SetSmartStatsEnabled(bool enabled) override;

protected:
  // The device's PSA configuration holding `filters`; its HWAC plug-in is
  // looked up in the claim rules only when asked for.
  std::unique_ptr<HostCtl::Storage::PsaDeviceConfig>
  NewPsaDeviceConfig(std::vector<std::string> filters) const;

private:
  Snapshot snapshot_;
};

} // namespace OlkCtl::Sim
