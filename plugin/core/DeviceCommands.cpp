#include "core/DeviceCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;

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
  return NewDeviceRowTemplate(DeviceListView::All);
}

void DeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListDevices(input, output, DeviceListView::All, [this] { return GetOutputStructure(); });
}

} // namespace TarvexCli::Storage
