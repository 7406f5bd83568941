// Static device look-up of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Lun.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace OlkCtl::Storage {

class OLKCTL_API LunImpl {
public:
  // Look-up by any of the device's names; none when not found.
  static std::unique_ptr<HostCtl::Storage::Lun> GetLun(const std::string &name, bool includeOffline);

  // The persistent detached list: (device UID, state) pairs in host order.
  static std::vector<std::pair<std::string, std::string>> GetDetachedList();
  // Refuses a UID the list does not hold.
  static void RemoveDetachedEntry(const std::string &uid);
  // "on" and "off"; refuses any other text.
  static int LunStatusStringToLunStatus(const std::string &text);

  // Works on the device known under `name`; refuses an unknown name.
  LunImpl(const std::string &name, bool includeOffline);
  void SetDetached(bool detached);
  void SetPerenniallyReserved(bool reserved);
  void SetNotShared(bool notShared);
  bool IsLocal() const;

private:
  std::string name_; // canonical
  bool local_ = false;
};

// The disk form of a device: what a device converts to when it holds blocks.
class OLKCTL_API DiskLunImpl : public HostCtl::Storage::DiskLun {
public:
  ~DiskLunImpl() override;
  // Whether the device is reached over that transport alone (a
  // ScsiInterface::ScsiInterfaceType code, 6 for SAS); false without paths.
  virtual bool IsTransportType(int transport) const = 0;
};

} // namespace OlkCtl::Storage
