#include "core/DeviceCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;

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
  ListDevices(input, output, DeviceListView::All, [this] { return GetOutputStructure(); });
}

} // namespace TarvexCli::Storage
