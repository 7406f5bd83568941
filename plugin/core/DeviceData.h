// Derived per-device properties and the device-selection helpers that several
// device commands share.
#pragma once

#include "frame/Command.h"

#include <hostctl/storage/Lun.h>
#include <hostctl/storage/StorageInfo.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::Storage {

using LunVector = std::vector<std::unique_ptr<HostCtl::Storage::Lun>>;

struct DeviceData {
  std::vector<std::string> supportedGuardTypes;
  std::string piProtectionMask;
  std::string driveType;
  std::string raidLevel;
  std::string numPhysicalDrives;
  bool isSas = false;
  bool isUsb = false;
  // Working flags of the transport classification.
  bool stillAllSas = false;
  bool stillAllUsb = false;
};

// Fills `data` for `device`: transport class (every path through SAS adapters,
// or every path through USB adapters), guard types, protection mask text and
// RAID information (not read with `skipSlowFields`). Host exceptions pass to
// the caller.
void GetDeviceData(const std::unique_ptr<HostCtl::Storage::Lun> &device, DeviceData &data,
                   bool skipSlowFields, HostCtl::Storage::StorageInfo &storageInfo);

// "HWAC Status" and the HWAC status fields: "supported", "unsupported" or
// "unknown" for a support code (Lun::GetHwacSupport()).
const char *HwacSupportText(int code);

// The device list views: the core list, and the protocol lists that show only
// SCSI or only NVMe devices with their own field sets.
enum class DeviceListView { All, Scsi, Nvme };

// The "ScsiDevice" row template of `view`: the core list's fields, the
// protocol lists' subsets of them, and the NVMe list's namespace facts.
Frame::MetaStructPtr NewDeviceRowTemplate(DeviceListView view);

// Runs a device list: the "device", "pe-only", "exclude-offline" and
// "skip-slow-fields" parameters, one row per device from fresh copies of
// `rowTemplate`'s result, the root list or "Unable to list PSA devices: ".
void ListDevices(const Frame::InputPtr &input, const Frame::OutputPtr &output, DeviceListView view,
                 const std::function<Frame::MetaStructPtr()> &rowTemplate);

// The selection helpers return true on success, false after adding their
// message to `output`. Host exceptions pass to the caller.

// Appends the online device known under `name` (any of its names).
bool GetDevicesByName(const std::string &name, LunVector &result, const Frame::OutputPtr &output);

// Move the matching devices from `candidates` (in their order) to the end of
// `result`, leaving the moved entries of `candidates` empty. A pattern ending in
// '*' matches by prefix; "*" alone is refused. Trailing blanks of the device's
// texts are ignored. An empty model matches any model.
bool GetDevicesByVendorAndModel(const std::string &vendor, const std::string &model, LunVector &candidates,
                                const Frame::OutputPtr &output, LunVector &result);
bool GetDevicesByNvmeCtrlModel(const std::string &controllerModel, LunVector &candidates,
                               const Frame::OutputPtr &output, LunVector &result);
// Identifiers in hexadecimal without "0x"; an empty sub-vendor matches any.
bool GetDevicesByPciVendor(const std::string &pciVendorId, const std::string &pciSubVendorId,
                           LunVector &candidates, const Frame::OutputPtr &output, LunVector &result);

} // namespace TarvexCli::Storage
