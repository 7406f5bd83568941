// The simulated host's PSA configuration of a device.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Lun.h>

#include <functional>
#include <string>
#include <vector>

namespace OlkCtl::Storage {

class OLKCTL_API PsaDeviceConfigImpl : public HostCtl::Storage::PsaDeviceConfig {
public:
  // `hwacPluginName` is asked only when GetHwacPluginName() is: finding the
  // plug-in reads the claim rules.
  PsaDeviceConfigImpl(std::vector<std::string> filters, std::function<std::string()> hwacPluginName);

  std::vector<std::string> GetFilterNames() const override;
  // The HWAC-class plug-in behind the HWAC filter attached to the device;
  // empty when none is attached.
  std::string GetHwacPluginName() const;

private:
  std::vector<std::string> filters_;
  std::function<std::string()> hwacPluginName_;
};

} // namespace OlkCtl::Storage
