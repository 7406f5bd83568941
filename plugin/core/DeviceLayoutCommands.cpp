#include "core/DeviceLayoutCommands.h"

#include "core/DeviceData.h"
#include "core/ScsiStatsFields.h"
#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/resource/ResourceInfoImpl.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <map>
#include <string>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::DiskLun;
using HostCtl::Storage::DiskPartition;
using HostCtl::Storage::Lun;
using OlkCtl::Storage::LunImpl;

namespace {

constexpr size_t kDeviceStatsCounters = 13;

Frame::InputSpecPtr DeviceParam(Frame::Presence presence, const char *description) {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, presence, description);
  return spec;
}

// The device asked for (LunImpl look-up, offline devices not found) or every
// online device. False after adding "<notFound><name>".
bool SelectDevices(const Frame::InputPtr &input, const Frame::OutputPtr &output, const std::string &notFound,
                   LunVector &devices) {
  if (!input->HasParameter("device")) {
    devices = HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetLuns(false, false);
    return true;
  }
  const std::string name = input->GetParameter("device");
  auto device = LunImpl::GetLun(name, false);
  if (!device) {
    output->AddErrorMessage(notFound + name);
    return false;
  }
  devices.push_back(std::move(device));
  return true;
}

// The disks whose partitions the partition commands show: every disk, or the
// device asked for when it is one. False after the not-found message.
bool SelectDisks(const Frame::InputPtr &input, const Frame::OutputPtr &output,
                 std::vector<std::unique_ptr<DiskLun>> &disks) {
  if (!input->HasParameter("device")) {
    disks = OlkCtl::Storage::StorageInfoImpl().GetDiskLuns();
    return true;
  }
  const std::string name = input->GetParameter("device");
  std::unique_ptr<Lun> device = LunImpl::GetLun(name, false);
  if (auto *disk = dynamic_cast<OlkCtl::Storage::DiskLunImpl *>(device.get())) {
    device.release();
    disks.emplace_back(disk);
    return true;
  }
  output->AddErrorMessage("Unable to find device with name " + name);
  return false;
}

const char *FormatTypeText(int code) {
  switch (code) {
  case Lun::FORMAT_512N:
    return "512n";
  case Lun::FORMAT_512E:
    return "512e";
  case Lun::FORMAT_4K:
    return "4K";
  case Lun::FORMAT_4KN_SWE:
    return "4Kn SWE";
  default:
    return "Unknown";
  }
}

} // namespace

// --- device capacity list ---

DeviceCapacityList::DeviceCapacityList() {
  SetDescription("List capacity information for the known storage devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:ScsiDeviceCapacity",
      "Device,Physical Blocksize,Logical Blocksize,Logical Block Count,Size,Format Type");
  SetDefaultOutputParameter("units:ScsiDeviceCapacity.Size", "MiB");
  SetDefaultOutputParameter("printf:ScsiDeviceCapacity.Format Type", "%s");
}

Frame::InputSpecPtr DeviceCapacityList::GetInputSpecInternal() {
  return DeviceParam(Frame::Optional, "Limit the output to a specific device.");
}

Frame::MetaStructPtr DeviceCapacityList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDeviceCapacity", {{"Device", FieldType::String},
                                                   {"Physical Blocksize", FieldType::Int},
                                                   {"Logical Blocksize", FieldType::Int},
                                                   {"Logical Block Count", FieldType::UInt},
                                                   {"Size", FieldType::UInt},
                                                   {"Format Type", FieldType::String}});
}

void DeviceCapacityList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    if (!SelectDevices(input, output, "Unable to find device with name ", devices))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      row->SetField("Physical Blocksize", device->GetPhysicalBlockSize());
      row->SetField("Logical Blocksize", device->GetLogicalBlockSize());
      row->SetField("Logical Block Count", device->GetLogicalBlockCount());
      row->SetField("Size", device->GetSize() / 1048576);
      row->SetField("Format Type", FormatTypeText(device->GetFormatType()));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list capacity information on device: ", e);
  }
}

// --- device partition list ---

DeviceListPartitions::DeviceListPartitions() {
  SetDescription("For a given device list all of the partitions");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDevicePartition",
                            "Device,Partition,Start Sector,End Sector,Type,Size");
  SetDefaultOutputParameter("printf:ScsiDevicePartition.Type", "%x");
}

Frame::InputSpecPtr DeviceListPartitions::GetInputSpecInternal() {
  return DeviceParam(Frame::Optional, "Filter the output to a specific device.");
}

Frame::MetaStructPtr DeviceListPartitions::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDevicePartition", {{"Partition Name", FieldType::String},
                                                    {"Device", FieldType::String},
                                                    {"Partition", FieldType::Int},
                                                    {"Size", FieldType::UInt},
                                                    {"Type", FieldType::Int},
                                                    {"Start Sector", FieldType::UInt},
                                                    {"End Sector", FieldType::UInt},
                                                    {"Path", FieldType::String}});
}

void DeviceListPartitions::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    std::vector<std::unique_ptr<DiskLun>> disks;
    if (!SelectDisks(input, output, disks))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &disk : disks)
      for (const DiskPartition &partition : disk->GetPartitions()) {
        if (partition.name.empty())
          continue;
        auto row = GetOutputStructure();
        row->SetField("Partition Name", partition.name);
        row->SetField("Device", partition.deviceName);
        row->SetField("Partition", partition.number);
        row->SetField("Size", partition.size);
        row->SetField("Type", partition.type);
        row->SetField("Start Sector", partition.startSector);
        row->SetField("End Sector", partition.endSector);
        row->SetField("Path", partition.path);
        result->Add(row);
      }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list partitions on device: ", e);
  }
}

// --- device partition showguid ---

DevicePartitionsShowGuid::DevicePartitionsShowGuid() {
  SetDescription("For a given device list the GUID for GPT partitions");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDevicePartitionShowGuid", "Device,Partition,Layout,GUID");
}

Frame::InputSpecPtr DevicePartitionsShowGuid::GetInputSpecInternal() {
  return DeviceParam(Frame::Optional, "Filter the output to a specific device.");
}

Frame::MetaStructPtr DevicePartitionsShowGuid::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDevicePartitionShowGuid", {{"Device", FieldType::String},
                                                            {"Partition", FieldType::Int},
                                                            {"Layout", FieldType::String},
                                                            {"GUID", FieldType::String}});
}

void DevicePartitionsShowGuid::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    std::vector<std::unique_ptr<DiskLun>> disks;
    if (!SelectDisks(input, output, disks))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &disk : disks) {
      const int table = disk->GetPartitionTableType();
      for (const DiskPartition &partition : disk->GetPartitions()) {
        if (partition.name.empty())
          continue;
        auto row = GetOutputStructure();
        row->SetField("Device", partition.deviceName);
        row->SetField("Partition", partition.number);
        row->SetField("GUID", "N/A");
        if (table == DiskLun::TABLE_GPT) {
          row->SetField("Layout", "GPT");
          row->SetField("GUID", partition.guid);
        } else {
          row->SetField("Layout", table == DiskLun::TABLE_MBR ? "MBR" : "Unknown");
        }
        result->Add(row);
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list partitions on device: ", e);
  }
}

// --- device physical get ---

DevicePhysicalGet::DevicePhysicalGet() {
  SetDescription("Get information about a physical storage device.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("fields:PhysicalDevice", "Physical Location");
}

Frame::InputSpecPtr DevicePhysicalGet::GetInputSpecInternal() {
  return DeviceParam(Frame::Required, "Specify a device name.");
}

// The declared output template is named "PhysicalGet"; the record the
// command returns is a "PhysicalDevice".
Frame::MetaStructPtr DevicePhysicalGet::GetOutputStructure() const {
  return Frame::NewTemplate("PhysicalGet", {{"Physical Location", FieldType::String}});
}

void DevicePhysicalGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  try {
    LunVector devices;
    if (!SelectDevices(input, output, "Unable to find device with name ", devices))
      return;
    // A device with no location, or with one per drive, is not one physical device.
    const std::vector<std::string> locations = devices.front()->GetPhysicalLocations();
    if (locations.size() != 1) {
      output->AddErrorMessage(name + " is not a physical device");
      return;
    }
    auto result = Frame::NewTemplate("PhysicalDevice", {{"Physical Location", FieldType::String}});
    result->SetField("Physical Location", locations.front());
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get location for device " + name + ": ", e);
  }
}

// --- device raid list ---

DeviceRaidList::DeviceRaidList() {
  SetDescription("List the physical devices that compose a given logical device.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("fields:PhysicalDevice", "Physical Location");
}

Frame::InputSpecPtr DeviceRaidList::GetInputSpecInternal() {
  return DeviceParam(Frame::Required, "Specify a device name.");
}

Frame::MetaStructPtr DeviceRaidList::GetOutputStructure() const {
  return Frame::NewTemplate("PhysicalDevice", {{"Physical Location", FieldType::String}});
}

void DeviceRaidList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  try {
    LunVector devices;
    if (!SelectDevices(input, output, "Unable to find device with name ", devices))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const std::string &location : devices.front()->GetPhysicalLocations()) {
      auto row = GetOutputStructure();
      row->SetField("Physical Location", location);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get location for device " + name + ": ", e);
  }
}

// --- device stats get ---

DeviceStats::DeviceStats() {
  SetDescription("List the SCSI stats for SCSI Devices in the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDeviceStats", "%Device%");
  SetDefaultOutputParameter(
      "fields:ScsiDeviceStats",
      "Device,Successful Commands,Blocks Read,Blocks Written,Read Operations,Write "
      "Operations,Reserve Operations,Reservation Conflicts,Failed Commands,Failed Blocks "
      "Read,Failed Blocks Written,Failed Read Operations,Failed Write Operations,Failed "
      "Reserve Operations");
}

Frame::InputSpecPtr DeviceStats::GetInputSpecInternal() {
  return DeviceParam(Frame::Optional,
                     "Limit the stats output to one specific device. This device name can be any "
                     "of the UIDs the device reports");
}

Frame::MetaStructPtr DeviceStats::GetOutputStructure() const {
  auto row = Frame::NewTemplate("ScsiDeviceStats", {{"Device", FieldType::String}});
  AddScsiStatsFields(*row, kDeviceStatsCounters);
  return row;
}

void DeviceStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    // Not found still shows the (empty) list.
    SelectDevices(input, output, "Unable to find device with the name ", devices);
    auto result = Frame::NewRowList(GetOutputStructure());
    HostCtl::Storage::ScsiStats stats;
    for (const auto &device : devices) {
      if (!device)
        continue;
      device->GetStats(stats);
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      SetScsiStatsFields(*row, stats, kDeviceStatsCounters);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get device stats: ", e);
  }
}

// --- device uidmap list ---

DeviceUidMap::DeviceUidMap() {
  SetDescription(
      "Get a mapping between a device's primary UID and the alternative UIDs for that device on the "
      "system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDeviceUidMap", "%Device%");
  SetDefaultOutputParameter("fields:ScsiDeviceUidMap",
                            "Primary UID,Alternative Primary UIDs,Legacy UID,Alternative Legacy UIDs");
}

Frame::InputSpecPtr DeviceUidMap::GetInputSpecInternal() {
  return DeviceParam(Frame::Optional,
                     "Filter the output of the command to limit the output to a specific device. "
                     "This device name can be any of the UIDs registered for a device.");
}

Frame::MetaStructPtr DeviceUidMap::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDeviceUidMap", {{"Device", FieldType::String},
                                                 {"Primary UID", FieldType::String},
                                                 {"Alternative Primary UIDs", FieldType::StringList},
                                                 {"Legacy UID", FieldType::String},
                                                 {"Alternative Legacy UIDs", FieldType::StringList}});
}

void DeviceUidMap::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    if (!SelectDevices(input, output, "Unable to find device with the name ", devices))
      return;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      const std::vector<std::string> uids = device->GetAllUIDs();
      std::vector<std::string> alternatives;
      std::string legacy;
      std::vector<std::string> alternativeLegacy;
      // The first UID is the primary one; "olr" UIDs are legacy ones.
      for (size_t i = 1; i < uids.size(); ++i) {
        if (uids[i].size() < 3 || uids[i].compare(0, 3, "olr") != 0)
          alternatives.push_back(uids[i]);
        else if (legacy.empty())
          legacy = uids[i];
        else
          alternativeLegacy.push_back(uids[i]);
      }
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      row->SetField("Primary UID", uids.empty() ? std::string() : uids.front());
      row->SetField("Alternative Primary UIDs", alternatives);
      row->SetField("Legacy UID", legacy);
      row->SetField("Alternative Legacy UIDs", alternativeLegacy);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list UIDs. ", e);
  }
}

// --- device world list ---

DeviceWorldList::DeviceWorldList() {
  SetDescription("Get a list of the worlds that are currently using devices on the Orlo host.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDeviceWorld", "Device,World ID,Open Count,World Name");
}

Frame::InputSpecPtr DeviceWorldList::GetInputSpecInternal() {
  // verbatim: double blank
  return DeviceParam(Frame::Optional,
                     "Filter the output of the command to limit the output to a specific "
                     "device.  This device name can be any of the UIDs registered for a device.");
}

Frame::MetaStructPtr DeviceWorldList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDeviceWorld", {{"Device", FieldType::String},
                                                {"World ID", FieldType::Int},
                                                {"Open Count", FieldType::Int},
                                                {"World Name", FieldType::String}});
}

void DeviceWorldList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    if (!SelectDevices(input, output, "Unable to find device with the name ", devices))
      return;
    const OlkCtl::Resource::ResourceInfoImpl resources;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      std::map<uint32_t, int> opens; // world id -> opens, ascending id
      for (uint32_t world : device->GetOpenWorldIds())
        ++opens[world];
      const std::string name = device->GetName();
      for (const auto &[world, count] : opens) {
        auto row = GetOutputStructure();
        row->SetField("Device", name);
        row->SetField("World ID", world);
        row->SetField("Open Count", count);
        row->SetField("World Name", resources.GetWorldName(world));
        result->Add(row);
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    // verbatim: two blanks
    Frame::AddHostError(output, "Unable to list Device Worlds.  ", e);
  }
}

} // namespace TarvexCli::Storage
