// The high-performance multipathing plug-in (HPP): its devices, paths, the
// user's SSD and local marking, and the per-device and per-path configuration.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Lun.h>
#include <hostctl/storage/PsaPlugin.h>
#include <hostctl/storage/ScsiPath.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace HostCtl::Storage::Hpp {

// A device's configuration while the HPP controls it. Readers show the
// object's snapshot; each setter changes the host at once.
class OLKCTL_API HppDeviceConfig {
public:
  virtual ~HppDeviceConfig() = default;
  virtual std::string GetPathSelectionScheme() const = 0;
  // The scheme's tunables as "key=value,..." ("iops=1000,bytes=10485760").
  virtual std::string GetPathSelectionSchemeConfig() const = 0;
  // Runtime name of the path the next I/O goes to; empty when none can carry I/O.
  virtual std::string GetCurrentPath() const = 0;
  // Runtime names of the paths I/O is spread over.
  virtual std::vector<std::string> GetWorkingPaths() const = 0;
  virtual bool GetUseAno() const = 0;

  // With true, later setters keep the setting beyond a release of the device.
  virtual void SetUpdateConfigFile(bool update) = 0;
  virtual void MarkSsd(bool ssd) = 0;
  virtual void MarkLocal(bool local) = 0;
  virtual void SetUseAno(bool useAno) = 0;
  // Back to the plug-in's default scheme with its default tunables.
  virtual void ResetPathSelectionScheme() = 0;
  virtual void SetPathSelectionScheme(const std::string &scheme) = 0;
  virtual void SetIops(uint32_t iops) = 0;
  virtual void SetBytes(uint32_t bytes) = 0;
  virtual void SetLatencyEvalTime(uint32_t milliseconds) = 0;
  virtual void SetSamplingIosPerPath(uint32_t ios) = 0;
  // Must be a path of the device, or empty.
  virtual void SetPreferredPath(const std::string &path) = 0;
};

class OLKCTL_API HppPathConfig {
public:
  virtual ~HppPathConfig() = default;
  virtual std::string GetPathState() const = 0;
  virtual std::string GetPathConfig() const = 0;
};

class OLKCTL_API HppPsaPlugin : public PsaMultipathPlugin {
public:
  // The devices and paths the HPP has claimed, in host order.
  virtual std::vector<std::unique_ptr<Lun>> GetDevices() = 0;
  virtual std::vector<std::unique_ptr<ScsiPath>> GetPaths() = 0;
  // UIDs of the devices the user marked (or unmarked) as SSD, and as local.
  virtual std::vector<std::string> GetUserMarkedSsdDevices() = 0;
  virtual std::vector<std::string> GetUserMarkedLocalDevices() = 0;
  // None when the HPP does not control the device (or the path).
  virtual std::unique_ptr<HppDeviceConfig> GetDeviceConfig(const Lun &device) = 0;
  virtual std::unique_ptr<HppPathConfig> GetPathConfig(const ScsiPath &path) = 0;
};

} // namespace HostCtl::Storage::Hpp
