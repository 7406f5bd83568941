#include "core/DeviceData.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>
#include <hostctl/storage/ScsiInterface.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

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

// Which views show a field of the device row.
constexpr unsigned kAll = 1, kScsi = 2, kNvme = 4, kEvery = kAll | kScsi | kNvme;

struct DeviceField {
  Frame::FieldDecl decl;
  unsigned views;
};

// Every field of the device rows in template order, with the views that show it.
const std::vector<DeviceField> &DeviceFields() {
  using Frame::FieldType;
  static const std::vector<DeviceField> fields = {
      {{"Device", FieldType::String}, kEvery},
      {{"Display Name", FieldType::String}, kEvery},
      {{"Has Settable Display Name", FieldType::Bool}, kEvery},
      {{"Size", FieldType::Int}, kEvery},
      {{"Device Type", FieldType::String}, kEvery},
      {{"Multipath Plugin", FieldType::String}, kEvery},
      {{"Devfs Path", FieldType::String}, kEvery},
      {{"Vendor", FieldType::String}, kEvery},
      {{"Model", FieldType::String}, kEvery},
      {{"Sub NQNs", FieldType::StringList}, kNvme},
      {{"NVMe spec revision", FieldType::String}, kNvme},
      {{"Is dispersed namespace", FieldType::Bool}, kNvme},
      {{"Revision", FieldType::String}, kAll | kScsi},
      {{"SCSI Level", FieldType::Int}, kAll | kScsi},
      {{"Is Pseudo", FieldType::Bool}, kEvery},
      {{"Status", FieldType::String}, kEvery},
      {{"Is RDM Capable", FieldType::Bool}, kEvery},
      {{"Is Local", FieldType::Bool}, kEvery},
      {{"Is Removable", FieldType::Bool}, kEvery},
      {{"Is SSD", FieldType::Bool}, kAll | kScsi},
      {{"Is XVOL PE", FieldType::Bool}, kEvery},
      {{"Is Offline", FieldType::Bool}, kEvery},
      {{"Is Perennially Reserved", FieldType::Bool}, kEvery},
      {{"Queue Full Sample Size", FieldType::Int}, kAll | kScsi},
      {{"Queue Full Threshold", FieldType::Int}, kAll | kScsi},
      {{"Attached Filters", FieldType::StringList}, kAll | kScsi},
      {{"HWAC Status", FieldType::String}, kEvery},
      {{"Thin Provisioning Status", FieldType::String}, kEvery},
      {{"Other UIDs", FieldType::StringList}, kEvery},
      {{"Is Local SAS Device", FieldType::Bool}, kAll},
      {{"Is Shared Clusterwide", FieldType::Bool}, kEvery},
      {{"Is SAS", FieldType::Bool}, kAll | kScsi},
      {{"Is Boot USB Device", FieldType::Bool}, kAll},
      {{"Is USB", FieldType::Bool}, kEvery},
      {{"Is Boot Device", FieldType::Bool}, kEvery},
      {{"Device Max Queue Depth", FieldType::Int}, kEvery},
      {{"No of outstanding IOs with competing worlds", FieldType::Int}, kAll},
      {{"IOs with competing worlds", FieldType::Int}, kScsi | kNvme},
      {{"Drive Type", FieldType::String}, kAll | kScsi},
      {{"RAID Level", FieldType::String}, kAll | kScsi},
      {{"Number of Physical Drives", FieldType::String}, kAll | kScsi},
      {{"Protection Enabled", FieldType::Bool}, kAll | kScsi},
      {{"PI Activated", FieldType::Bool}, kAll | kScsi},
      {{"PI Type", FieldType::Int}, kAll | kScsi},
      {{"PI Protection Mask", FieldType::String}, kAll | kScsi},
      {{"Supported Guard Types", FieldType::StringList}, kAll | kScsi},
      {{"DIX Enabled", FieldType::Bool}, kAll | kScsi},
      {{"DIX Guard Type", FieldType::String}, kAll | kScsi},
      {{"Emulated DIX/DIF Enabled", FieldType::Bool}, kAll | kScsi},
  };
  return fields;
}

void MoveMatching(LunVector &candidates, LunVector &result, const std::function<bool(const Lun &)> &matches) {
  for (auto &candidate : candidates)
    if (candidate && matches(*candidate))
      result.push_back(std::move(candidate));
}

uint64_t ParseHex(const std::string &text) {
  return std::strtoull(text.c_str(), nullptr, 16);
}

const char *ThinProvisioningText(int code) {
  switch (code) {
  case Lun::THIN_PROVISIONING_YES:
    return "yes";
  case Lun::THIN_PROVISIONING_NO:
    return "no";
  default:
    return "unknown";
  }
}

// At most one: the first UID other than the name that is one of the host's own
// "olr" identifiers.
std::vector<std::string> OtherUids(const Lun &device, const std::string &name) {
  for (const std::string &uid : device.GetAllUIDs())
    if (uid != name && uid.size() > 2 && uid.compare(0, 3, "olr") == 0)
      return {uid};
  return {};
}

// One device row of `view`'s template. The protocol views leave out the
// combined SAS/USB flags, name the outstanding-IO field shortly, and the NVMe
// view shows its namespace facts instead of the SCSI and protection fields.
void FillDeviceRow(Frame::MetaStruct &row, const Lun &device, const DeviceData &data, bool isBootDevice,
                   DeviceListView view) {
  const std::string name = device.GetName();
  const bool nvmeView = view == DeviceListView::Nvme;
  row.SetField("Device", name);
  row.SetField("Display Name", device.GetDisplayName());
  row.SetField("Has Settable Display Name", device.IsDisplayNameSettable());
  row.SetField("Size", device.GetSize() / 1048576);
  row.SetField("Device Type", device.GetDeviceTypeString());
  row.SetField("Multipath Plugin", device.GetMultipathPluginName());
  row.SetField("Devfs Path", device.GetDevfsPath());
  row.SetField("Vendor", device.GetVendor());
  row.SetField("Model", device.GetModel());
  if (nvmeView) {
    row.SetField("Sub NQNs", device.GetSubsystemNqns());
    row.SetField("NVMe spec revision", device.GetNvmeSpecRevision());
    row.SetField("Is dispersed namespace", device.IsDispersedNamespace());
  } else {
    row.SetField("Revision", device.GetRevision());
    row.SetField("SCSI Level", device.GetScsiLevel());
  }
  row.SetField("Is Pseudo", device.IsPseudo());
  row.SetField("Status", device.GetStatusString());
  row.SetField("Is RDM Capable", device.IsRDMCapable());
  row.SetField("Is Local", device.IsLocal());
  row.SetField("Is Removable", device.IsRemovable());
  if (!nvmeView)
    row.SetField("Is SSD", device.IsSSD());
  row.SetField("Is XVOL PE", device.IsXVolPE());
  row.SetField("Is Offline", device.IsOffline());
  row.SetField("Is Perennially Reserved", device.IsPerenniallyReserved());
  if (!nvmeView) {
    row.SetField("Queue Full Sample Size", device.GetQueueFullSampleSize());
    row.SetField("Queue Full Threshold", device.GetQueueFullThreshold());
    if (auto config = device.GetPsaDeviceConfig())
      row.SetField("Attached Filters", config->GetFilterNames());
  }
  row.SetField("HWAC Status", HwacSupportText(device.GetHwacSupport()));
  row.SetField("Thin Provisioning Status", ThinProvisioningText(device.GetThinProvisioningStatus()));
  row.SetField("Other UIDs", OtherUids(device, name));
  if (view == DeviceListView::All) {
    row.SetField("Is Local SAS Device", data.isSas && device.IsLocal());
    row.SetField("Is Boot USB Device", isBootDevice && data.isUsb);
  }
  row.SetField("Is Shared Clusterwide", !device.IsLocal() && !device.IsNotShared());
  if (!nvmeView)
    row.SetField("Is SAS", data.isSas);
  row.SetField("Is USB", data.isUsb);
  row.SetField("Is Boot Device", isBootDevice);
  row.SetField("Device Max Queue Depth", device.GetMaxQueueDepth());
  row.SetField(view == DeviceListView::All ? "No of outstanding IOs with competing worlds"
                                           : "IOs with competing worlds",
               device.GetNumReqsOutstandingCompetingWorlds());
  if (nvmeView)
    return;
  row.SetField("Drive Type", data.driveType);
  row.SetField("RAID Level", data.raidLevel);
  row.SetField("Number of Physical Drives", data.numPhysicalDrives);
  row.SetField("Protection Enabled", device.IsProtectionEnabled());
  row.SetField("PI Activated", device.IsPIActivated());
  row.SetField("PI Type", device.GetPIType());
  row.SetField("PI Protection Mask", data.piProtectionMask);
  row.SetField("Supported Guard Types", data.supportedGuardTypes);
  row.SetField("DIX Enabled", device.IsDIXEnabled());
  const char *dixGuard = !device.IsDIXEnabled()              ? "NO GUARD SUPPORT"
                         : (device.GetGuardTypeMask() & 0x2) ? "IP"
                                                             : "CRC";
  row.SetField("DIX Guard Type", dixGuard);
  row.SetField("Emulated DIX/DIF Enabled",
               device.GetProtocol() == Lun::PROTOCOL_SCSI && device.IsEmulatedDixDifEnabled());
}

} // namespace

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

Frame::MetaStructPtr NewDeviceRowTemplate(DeviceListView view) {
  const unsigned bit = view == DeviceListView::All ? kAll : view == DeviceListView::Scsi ? kScsi : kNvme;
  std::vector<Frame::FieldDecl> decls;
  for (const DeviceField &field : DeviceFields())
    if (field.views & bit)
      decls.push_back(field.decl);
  return Frame::NewTemplate("ScsiDevice", decls);
}

void ListDevices(const Frame::InputPtr &input, const Frame::OutputPtr &output, DeviceListView view,
                 const std::function<Frame::MetaStructPtr()> &rowTemplate) {
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    const bool peOnly = input->IsFlagSet("pe-only");
    const bool includeOffline = !input->IsFlagSet("exclude-offline");
    const bool skipSlowFields = input->IsFlagSet("skip-slow-fields");

    LunVector devices;
    if (!input->HasParameter("device")) {
      devices = storage->GetLuns(includeOffline, false);
    } else {
      const std::string name = input->GetParameter("device");
      auto device = storage->GetLun(name, includeOffline);
      if (device)
        devices.push_back(std::move(device));
      else
        output->AddErrorMessage("Unable to find device with name " + name);
    }

    auto result = Frame::NewRowList(rowTemplate());
    if (!peOnly)
      result->Reserve(devices.size());
    const std::string bootDevice = HostCtl::HostFactory::GetHost()->GetSystemInfo()->GetBootDeviceName();

    for (const auto &device : devices) {
      if (!device)
        continue;
      // The protocol views look at nothing else of a device of the other protocol.
      if ((view == DeviceListView::Scsi && device->IsNvme()) ||
          (view == DeviceListView::Nvme && !device->IsNvme()))
        continue;
      DeviceData data;
      GetDeviceData(device, data, skipSlowFields, *storage);
      if (peOnly && !device->IsXVolPE())
        continue;
      auto row = rowTemplate();
      FillDeviceRow(*row, *device, data, device->GetName() == bootDevice, view);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtl::Lib::HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list PSA devices: ", e);
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
