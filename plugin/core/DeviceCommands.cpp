#include "core/DeviceCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>
#include <hostctl/storage/StorageInfo.h>

#include <string>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::Lun;

namespace {

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

} // namespace

DeviceList::DeviceList() {
  SetDescription("List the devices currently registered with the PSA.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDevice", "%Device%");
  SetDefaultOutputParameter(
      "fields:ScsiDevice",
      "Display Name,Has Settable Display Name,Size,Device Type,Multipath Plugin,Devfs Path,"
      "Vendor,Model,Revision,"
      "SCSI Level,Is Pseudo,Status,Is RDM Capable,Is Local,Is Removable,Is SSD,Is XVOL PE,Is Offline,"
      "Is Perennially Reserved,Queue Full Sample Size,Queue Full Threshold,Thin Provisioning Status,"
      "Attached Filters,HWAC Status,Other UIDs,Is Shared Clusterwide,Is SAS,Is USB,Is Boot Device,"
      "Device Max Queue Depth,No of outstanding IOs with competing worlds,Drive Type,RAID Level,"
      "Number of Physical Drives,Protection Enabled,PI Activated,PI Type,PI Protection Mask,"
      "Supported Guard Types,DIX Enabled,DIX Guard Type,Emulated DIX/DIF Enabled");
}

Frame::InputSpecPtr DeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single device.");
  Frame::AddParam(spec, "pe-only", "p", ParameterType::Flag, Frame::Optional,
                  "If set this flag will list the mount points of pe type.");
  Frame::AddParam(spec, "exclude-offline", "o", ParameterType::Flag, Frame::Optional,
                  "If set this flag will exclude the offline devices");
  Frame::AddParam(
      spec, "skip-slow-fields", "", ParameterType::Flag, Frame::Optional,
      "Do not show the value of some fields that need more time to fetch. The output will show the "
      "value <skipped> for such fields.");
  return spec;
}

Frame::MetaStructPtr DeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDevice", {{"Device", FieldType::String},
                                           {"Display Name", FieldType::String},
                                           {"Has Settable Display Name", FieldType::Bool},
                                           {"Size", FieldType::Int},
                                           {"Device Type", FieldType::String},
                                           {"Multipath Plugin", FieldType::String},
                                           {"Devfs Path", FieldType::String},
                                           {"Vendor", FieldType::String},
                                           {"Model", FieldType::String},
                                           {"Revision", FieldType::String},
                                           {"SCSI Level", FieldType::Int},
                                           {"Is Pseudo", FieldType::Bool},
                                           {"Status", FieldType::String},
                                           {"Is RDM Capable", FieldType::Bool},
                                           {"Is Local", FieldType::Bool},
                                           {"Is Removable", FieldType::Bool},
                                           {"Is SSD", FieldType::Bool},
                                           {"Is XVOL PE", FieldType::Bool},
                                           {"Is Offline", FieldType::Bool},
                                           {"Is Perennially Reserved", FieldType::Bool},
                                           {"Queue Full Sample Size", FieldType::Int},
                                           {"Queue Full Threshold", FieldType::Int},
                                           {"Attached Filters", FieldType::StringList},
                                           {"HWAC Status", FieldType::String},
                                           {"Thin Provisioning Status", FieldType::String},
                                           {"Other UIDs", FieldType::StringList},
                                           {"Is Local SAS Device", FieldType::Bool},
                                           {"Is Shared Clusterwide", FieldType::Bool},
                                           {"Is SAS", FieldType::Bool},
                                           {"Is Boot USB Device", FieldType::Bool},
                                           {"Is USB", FieldType::Bool},
                                           {"Is Boot Device", FieldType::Bool},
                                           {"Device Max Queue Depth", FieldType::Int},
                                           {"No of outstanding IOs with competing worlds", FieldType::Int},
                                           {"Drive Type", FieldType::String},
                                           {"RAID Level", FieldType::String},
                                           {"Number of Physical Drives", FieldType::String},
                                           {"Protection Enabled", FieldType::Bool},
                                           {"PI Activated", FieldType::Bool},
                                           {"PI Type", FieldType::Int},
                                           {"PI Protection Mask", FieldType::String},
                                           {"Supported Guard Types", FieldType::StringList},
                                           {"DIX Enabled", FieldType::Bool},
                                           {"DIX Guard Type", FieldType::String},
                                           {"Emulated DIX/DIF Enabled", FieldType::Bool}});
}

void DeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
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

    auto result = Frame::NewRowList(GetOutputStructure());
    if (!peOnly)
      result->Reserve(devices.size());
    const std::string bootDevice = HostCtl::HostFactory::GetHost()->GetSystemInfo()->GetBootDeviceName();

    for (const auto &device : devices) {
      if (!device)
        continue;
      DeviceData data;
      GetDeviceData(device, data, skipSlowFields, *storage);
      if (peOnly && !device->IsXVolPE())
        continue;

      const std::string name = device->GetName();
      const bool isBootDevice = name == bootDevice;
      auto row = GetOutputStructure();
      row->SetField("Device", name);
      row->SetField("Display Name", device->GetDisplayName());
      row->SetField("Has Settable Display Name", device->IsDisplayNameSettable());
      row->SetField("Size", device->GetSize() / 1048576);
      row->SetField("Device Type", device->GetDeviceTypeString());
      row->SetField("Multipath Plugin", device->GetMultipathPluginName());
      row->SetField("Devfs Path", device->GetDevfsPath());
      row->SetField("Vendor", device->GetVendor());
      row->SetField("Model", device->GetModel());
      row->SetField("Revision", device->GetRevision());
      row->SetField("SCSI Level", device->GetScsiLevel());
      row->SetField("Is Pseudo", device->IsPseudo());
      row->SetField("Status", device->GetStatusString());
      row->SetField("Is RDM Capable", device->IsRDMCapable());
      row->SetField("Is Local", device->IsLocal());
      row->SetField("Is Removable", device->IsRemovable());
      row->SetField("Is SSD", device->IsSSD());
      row->SetField("Is XVOL PE", device->IsXVolPE());
      row->SetField("Is Offline", device->IsOffline());
      row->SetField("Is Perennially Reserved", device->IsPerenniallyReserved());
      row->SetField("Queue Full Sample Size", device->GetQueueFullSampleSize());
      row->SetField("Queue Full Threshold", device->GetQueueFullThreshold());
      if (auto config = device->GetPsaDeviceConfig())
        row->SetField("Attached Filters", config->GetFilterNames());
      row->SetField("HWAC Status", HwacSupportText(device->GetHwacSupport()));
      row->SetField("Thin Provisioning Status", ThinProvisioningText(device->GetThinProvisioningStatus()));
      row->SetField("Other UIDs", OtherUids(*device, name));
      row->SetField("Is Local SAS Device", data.isSas && device->IsLocal());
      row->SetField("Is Shared Clusterwide", !device->IsLocal() && !device->IsNotShared());
      row->SetField("Is SAS", data.isSas);
      row->SetField("Is Boot USB Device", isBootDevice && data.isUsb);
      row->SetField("Is USB", data.isUsb);
      row->SetField("Is Boot Device", isBootDevice);
      row->SetField("Device Max Queue Depth", device->GetMaxQueueDepth());
      row->SetField("No of outstanding IOs with competing worlds",
                    device->GetNumReqsOutstandingCompetingWorlds());
      row->SetField("Drive Type", data.driveType);
      row->SetField("RAID Level", data.raidLevel);
      row->SetField("Number of Physical Drives", data.numPhysicalDrives);
      row->SetField("Protection Enabled", device->IsProtectionEnabled());
      row->SetField("PI Activated", device->IsPIActivated());
      row->SetField("PI Type", device->GetPIType());
      row->SetField("PI Protection Mask", data.piProtectionMask);
      row->SetField("Supported Guard Types", data.supportedGuardTypes);
      row->SetField("DIX Enabled", device->IsDIXEnabled());
      const char *dixGuard = !device->IsDIXEnabled()              ? "NO GUARD SUPPORT"
                             : (device->GetGuardTypeMask() & 0x2) ? "IP"
                                                                  : "CRC";
      row->SetField("DIX Guard Type", dixGuard);
      row->SetField("Emulated DIX/DIF Enabled",
                    device->GetProtocol() == Lun::PROTOCOL_SCSI && device->IsEmulatedDixDifEnabled());
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list PSA devices: ", e);
  }
}

} // namespace TarvexCli::Storage
