// One route from a host adapter to a logical device.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/ScsiStats.h>

#include <cstdint>
#include <memory>
#include <string>

namespace HostCtl::Storage {

class Lun;
class ScsiInterface;

// Transport-level details of a claimed path.
class OLKCTL_API TransportDetails {
public:
  virtual ~TransportDetails() = default;
  virtual std::string GetAdapterTransportDetails() const = 0;
  virtual std::string GetTargetTransportDetails() const = 0;
};

class OLKCTL_API ScsiPath {
public:
  virtual ~ScsiPath() = default;
  virtual std::string GetUID() const = 0;
  virtual std::string GetRuntimeName() const = 0;
  // Empty when the path leads to no device.
  virtual std::string GetDeviceName() const = 0;
  virtual std::unique_ptr<Lun> GetDevice() const = 0;
  virtual std::string GetAdapterName() const = 0;
  virtual std::string GetController() const = 0;
  virtual int GetAnaGroupId() const = 0;
  virtual uint32_t GetChannel() const = 0;
  virtual uint32_t GetTarget() const = 0;
  // The LUN, or the namespace ID of an NVMe path.
  virtual uint32_t GetLun() const = 0;
  virtual std::string GetAdapterIdentifier() const = 0;
  virtual std::string GetTargetIdentifier() const = 0;
  virtual std::string GetPluginName() const = 0;
  virtual std::string GetStateString() const = 0;
  // None when the adapter is not known to the storage stack.
  virtual std::unique_ptr<ScsiInterface> GetScsiInterface() const = 0;
  // None for an unclaimed path.
  virtual std::unique_ptr<TransportDetails> GetTransportDetails() const = 0;
  virtual uint64_t GetMaxIOSize() const = 0;
  virtual void GetStats(ScsiStats &stats) const = 0;

  // true administratively disables the path, false enables it.
  virtual void SetState(bool off) = 0;
  // Runs the claim rules on this path alone.
  virtual void RunClaim() = 0;
  // Releases the path from its plug-in. Refused for the last usable path of a
  // device in use.
  virtual void Unclaim() = 0;
};

} // namespace HostCtl::Storage
