#include "core/ProtocolDeviceCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;

namespace {

// Both protocol lists take the same parameters.
Frame::InputSpecPtr ProtocolListInputSpec() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single device.");
  Frame::AddParam(spec, "pe-only", "p", ParameterType::Flag, Frame::Optional,
                  "If set this flag will list the mount points of PE type.");
  Frame::AddParam(spec, "exclude-offline", "o", ParameterType::Flag, Frame::Optional,
                  "If set this flag will exclude the offline devices.");
  Frame::AddParam(
      spec, "skip-slow-fields", "", ParameterType::Flag, Frame::Optional,
      "Do not show the value of some fields that need more time to fetch. The output will show the "
      "value <skipped> for such fields.");
  return spec;
}

} // namespace

// --- scsi device list ---

ScsiDeviceList::ScsiDeviceList() {
  SetDescription("List the SCSI devices currently registered with the PSA.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDevice", "%Device%");
  SetDefaultOutputParameter(
      "fields:ScsiDevice",
      "Display Name,Has Settable Display Name,Size,Device Type,Multipath Plugin,Devfs Path,Vendor,Model,"
      "Revision,SCSI Level,Is Pseudo,Status,Is RDM Capable,Is Local,Is Removable,Is SSD,Is XVOL PE,Is Offline,"
      "Is Perennially Reserved,Queue Full Sample Size,Queue Full Threshold,Thin Provisioning Status,"
      "Attached Filters,HWAC Status,Other UIDs,Is Shared Clusterwide,Is SAS,Is USB,Is Boot Device,"
      "Device Max Queue Depth,IOs with competing worlds,Drive Type,RAID Level,Number of Physical Drives,"
      "Protection Enabled,PI Activated,PI Type,PI Protection Mask,Supported Guard Types,DIX Enabled,"
      "DIX Guard Type,Emulated DIX/DIF Enabled");
}

Frame::InputSpecPtr ScsiDeviceList::GetInputSpecInternal() {
  return ProtocolListInputSpec();
}

Frame::MetaStructPtr ScsiDeviceList::GetOutputStructure() const {
  return NewDeviceRowTemplate(DeviceListView::Scsi);
}

void ScsiDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListDevices(input, output, DeviceListView::Scsi, [this] { return GetOutputStructure(); });
}

// --- nvme device list ---

NvmeDeviceList::NvmeDeviceList() {
  SetDescription("List the NVMe devices currently registered with the PSA.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDevice", "%Device%");
  // verbatim: blank before "Sub NQNs"
  SetDefaultOutputParameter(
      "fields:ScsiDevice",
      "Display Name,Has Settable Display Name,Size,Device Type,Multipath Plugin,Devfs Path,Vendor,Model,"
      " Sub NQNs,NVMe spec revision,Is dispersed namespace,Is Pseudo,Status,Is RDM Capable,Is Local,"
      "Is Removable,Is XVOL PE,Is Offline,Is Perennially Reserved,Thin Provisioning Status,HWAC Status,"
      "Other UIDs,Is Shared Clusterwide,Is USB,Is Boot Device,Device Max Queue Depth,IOs with competing worlds");
}

Frame::InputSpecPtr NvmeDeviceList::GetInputSpecInternal() {
  return ProtocolListInputSpec();
}

Frame::MetaStructPtr NvmeDeviceList::GetOutputStructure() const {
  return NewDeviceRowTemplate(DeviceListView::Nvme);
}

void NvmeDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListDevices(input, output, DeviceListView::Nvme, [this] { return GetOutputStructure(); });
}

} // namespace TarvexCli::Storage
