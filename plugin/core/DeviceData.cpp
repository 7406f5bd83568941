#include "core/DeviceData.h"

#include <hostctl/Host.h>
#include <hostctl/storage/ScsiInterface.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace TarvexCli::Storage {

using HostCtl::Storage::Lun;
using HostCtl::Storage::LunRaidInfo;
using HostCtl::Storage::ScsiInterface;

namespace {

// Protection mask pieces in bit order; all but the first start with a blank.
constexpr std::array<const char *, 7> kProtectionPieces = {"T1",      " T2",     " T3",    " T0+DIX",
                                                           " T1+DIX", " T2+DIX", " T3+DIX"};

template <std::size_t N> std::string FixedText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

std::string TrimTrailingSpace(std::string text) {
  const auto end = text.find_last_not_of(" \t\n\r\f\v");
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

// "ABC*" matches every value that starts with "ABC"; anything else must be equal.
bool MatchesPattern(const std::string &pattern, const std::string &value) {
  if (!pattern.empty() && pattern.back() == '*') {
    const std::size_t prefix = pattern.size() - 1;
    return value.size() >= prefix && value.compare(0, prefix, pattern, 0, prefix) == 0;
  }
  return value == pattern;
}

void MoveMatching(LunVector &candidates, LunVector &result, const std::function<bool(const Lun &)> &matches) {
  for (auto &candidate : candidates)
    if (candidate && matches(*candidate))
      result.push_back(std::move(candidate));
}

uint64_t ParseHex(const std::string &text) {
  return std::strtoull(text.c_str(), nullptr, 16);
}

} // namespace

void GetDeviceData(const std::unique_ptr<Lun> &device, DeviceData &data, bool skipSlowFields,
                   HostCtl::Storage::StorageInfo &storageInfo) {
  data.isSas = false;
  data.isUsb = false;
  data.stillAllSas = true;
  data.stillAllUsb = true;

  if (!device->IsOffline()) {
    for (const std::string &adapterName : storageInfo.GetLunPathAdapters(device->GetName())) {
      auto adapter = storageInfo.GetScsiInterface(adapterName);
      const std::string type =
          adapter ? ScsiInterface::GetInterfaceTypeString(adapter->GetInterfaceType()) : "";
      if (type == "sas") {
        if (data.stillAllSas)
          data.isSas = true;
        data.isUsb = false;
        data.stillAllUsb = false;
      } else if (type == "usb") {
        if (data.stillAllUsb)
          data.isUsb = true;
        data.isSas = false;
        data.stillAllSas = false;
      } else {
        data.isSas = data.isUsb = data.stillAllSas = data.stillAllUsb = false;
        break;
      }
    }
  }

  const uint32_t guardMask = device->GetGuardTypeMask();
  if (guardMask & 0x2)
    data.supportedGuardTypes.emplace_back("IP");
  if (guardMask & 0x1)
    data.supportedGuardTypes.emplace_back("CRC");
  if (data.supportedGuardTypes.empty())
    data.supportedGuardTypes.emplace_back("NO GUARD SUPPORT");

  const uint32_t protectionMask = device->GetProtectionMask();
  for (std::size_t bit = 0; bit < kProtectionPieces.size(); ++bit)
    if (protectionMask & (1u << bit))
      data.piProtectionMask += kProtectionPieces[bit];
  if (data.piProtectionMask.empty())
    data.piProtectionMask = "NO PROTECTION";

  data.driveType = data.raidLevel = data.numPhysicalDrives = "unknown";
  if (skipSlowFields) {
    data.driveType = data.raidLevel = data.numPhysicalDrives = "<skipped>";
    return;
  }
  LunRaidInfo raid;
  device->GetRaidInfo(raid);
  data.driveType = FixedText(raid.driveType);
  if (raid.kind == LunRaidInfo::KIND_RAID_VOLUME) {
    data.raidLevel = FixedText(raid.raidLevel);
    data.numPhysicalDrives = std::to_string(raid.numPhysicalDrives);
  } else {
    data.raidLevel = "NA";
    data.numPhysicalDrives = "1";
  }
}

const char *HwacSupportText(int code) {
  switch (code) {
  case Lun::HWAC_SUPPORTED:
    return "supported";
  case Lun::HWAC_UNSUPPORTED:
    return "unsupported";
  default:
    return "unknown";
  }
}

bool GetDevicesByName(const std::string &name, LunVector &result, const Frame::OutputPtr &output) {
  auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  auto device = storage->GetLun(name, false);
  if (!device) {
    output->AddErrorMessage("Unable to find device with name " + name);
    return false;
  }
  result.push_back(std::move(device));
  return true;
}

bool GetDevicesByVendorAndModel(const std::string &vendor, const std::string &model, LunVector &candidates,
                                const Frame::OutputPtr &output, LunVector &result) {
  if (vendor == "*") {
    output->AddErrorMessage("Invalid value for --vendor");
    return false;
  }
  if (model == "*") {
    output->AddErrorMessage("Invalid value for --model");
    return false;
  }
  MoveMatching(candidates, result, [&](const Lun &device) {
    return MatchesPattern(vendor, TrimTrailingSpace(device.GetVendor())) &&
           (model.empty() || MatchesPattern(model, TrimTrailingSpace(device.GetModel())));
  });
  return true;
}

bool GetDevicesByNvmeCtrlModel(const std::string &controllerModel, LunVector &candidates,
                               const Frame::OutputPtr &output, LunVector &result) {
  if (controllerModel == "*") {
    output->AddErrorMessage("Invalid value for --nvme-controller-model");
    return false;
  }
  MoveMatching(candidates, result, [&](const Lun &device) {
    return MatchesPattern(controllerModel, TrimTrailingSpace(device.GetNvmeControllerModel()));
  });
  return true;
}

bool GetDevicesByPciVendor(const std::string &pciVendorId, const std::string &pciSubVendorId,
                           LunVector &candidates, const Frame::OutputPtr &output, LunVector &result) {
  const uint64_t vendor = ParseHex(pciVendorId);
  if (vendor == 0) {
    output->AddErrorMessage("Invalid input for --pci-vendor-id");
    return false;
  }
  const bool withSubVendor = !pciSubVendorId.empty();
  const uint64_t subVendor = withSubVendor ? ParseHex(pciSubVendorId) : 0;
  if (withSubVendor && subVendor == 0) {
    output->AddErrorMessage("Invalid input for --pci-sub-vendor-id");
    return false;
  }
  MoveMatching(candidates, result, [&](const Lun &device) {
    return device.GetPciVendorId() == vendor && (!withSubVendor || device.GetPciSubVendorId() == subVendor);
  });
  return true;
}

} // namespace TarvexCli::Storage
