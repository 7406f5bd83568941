#include "core/DeviceHwacCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/PsaDeviceConfigImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/Misc.h>
#include <hostctl/storage/HwacAttributes.h>
#include <hostctl/storage/StorageInfo.h>

#include <string>
#include <utility>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrPrintf;
using HostCtl::Storage::HwacAttributes;
using HostCtl::Storage::Lun;

namespace {

constexpr const char *kDeviceFilterText = "Filter the output of this command to only show a single device.";

// A value field of an attribute list, with how its value is written.
struct ValueField {
  const char *name;
  std::string (*text)(const HwacAttributes &);
};

// Rows of the devices asked for (-d, offline ones included, or every online
// device): "Device", and the value fields when the device supports the
// primitive, "N/A" in each otherwise. A device not found ends the command
// without a list; so does a host failure, reported after `context`.
template <class Command, std::size_t N>
void ListAttributes(const Command &command, const Frame::InputPtr &input, const Frame::OutputPtr &output,
                    int HwacAttributes::*support, const std::array<ValueField, N> &fields,
                    const char *context) {
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    LunVector devices;
    if (input->HasParameter("device")) {
      const std::string name = input->GetParameter("device");
      auto device = storage->GetLun(name, true);
      if (!device) {
        output->AddErrorMessage("Unable to find device " + name);
        return;
      }
      devices.push_back(std::move(device));
    } else {
      devices = storage->GetLuns(false, false);
    }
    auto result = Frame::NewRowList(command.GetOutputStructure());
    result->Reserve(devices.size());
    for (const auto &device : devices) {
      if (!device)
        continue;
      HwacAttributes attributes;
      device->GetHwacAttributes(attributes);
      const bool supported = attributes.*support == Lun::HWAC_SUPPORTED;
      auto row = command.GetOutputStructure();
      row->SetField("Device", device->GetName());
      for (const ValueField &field : fields)
        row->SetField(field.name, supported ? field.text(attributes) : "N/A");
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, context, e);
  }
}

Frame::InputSpecPtr DeviceFilterSpec() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional, kDeviceFilterText);
  return spec;
}

} // namespace

uint8_t HwacPrimitiveMask(const std::array<HwacChoice, 4> &choices) {
  uint8_t mask = 0;
  for (unsigned i = 0; i < choices.size(); ++i) {
    if (choices[i].given)
      mask |= static_cast<uint8_t>(1u << (2 * i + 1));
    if (choices[i].value)
      mask |= static_cast<uint8_t>(1u << (2 * i));
  }
  return mask;
}

// --- hwac status get ---

DeviceHwacStatus::DeviceHwacStatus() {
  SetDescription("List HWAC properties for devices currently registered with the PSA.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiDevice", "%Device%");
  SetDefaultOutputParameter(
      "fields:ScsiDevice",
      "HWAC Plugin Name,ATS Status,Clone Status,Zero Status,Delete Status,Ex Clone Status");
}

Frame::InputSpecPtr DeviceHwacStatus::GetInputSpecInternal() {
  return DeviceFilterSpec();
}

Frame::MetaStructPtr DeviceHwacStatus::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDevice", {{"Device", FieldType::String},
                                           {"HWAC Plugin Name", FieldType::String},
                                           {"ATS Status", FieldType::String},
                                           {"Clone Status", FieldType::String},
                                           {"Zero Status", FieldType::String},
                                           {"Delete Status", FieldType::String},
                                           {"Ex Clone Status", FieldType::String}});
}

void DeviceHwacStatus::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    if (input->HasParameter("device")) {
      const std::string name = input->GetParameter("device");
      auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
      if (device)
        devices.push_back(std::move(device));
      else
        output->AddErrorMessage("Unable to find device with name " + name);
    } else {
      OlkCtl::Storage::StorageInfoImpl storage;
      devices = storage.GetLuns(false, false);
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      if (!device)
        continue;
      HwacAttributes attributes;
      device->GetHwacAttributes(attributes);
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      if (auto config = device->GetPsaDeviceConfig())
        if (auto *impl = dynamic_cast<const OlkCtl::Storage::PsaDeviceConfigImpl *>(config.get()))
          row->SetField("HWAC Plugin Name", impl->GetHwacPluginName());
      row->SetField("ATS Status", HwacSupportText(attributes.atsSupport));
      row->SetField("Clone Status", HwacSupportText(attributes.cloneSupport));
      row->SetField("Zero Status", HwacSupportText(attributes.zeroSupport));
      row->SetField("Delete Status", HwacSupportText(attributes.deleteSupport));
      row->SetField("Ex Clone Status", HwacSupportText(attributes.exCloneSupport));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list HWAC properties of PSA devices: ", e);
  }
}

// --- hwac status set ---

DeviceHwacStatusSet::DeviceHwacStatusSet() {
  SetDescription(
      "Enable/Disable HWAC operations on local SCSI disks. (NOTE: A request to enable an operation "
      "will take effect only if the underlying device supports the HWAC operation.)");
}

Frame::InputSpecPtr DeviceHwacStatusSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device upon which to operate (NAA ID).");
  Frame::AddParam(spec, "clone", "C", ParameterType::Boolean, Frame::Optional,
                  "Enable or Disable CLONE operation (1/0)");
  Frame::AddParam(spec, "ats", "A", ParameterType::Boolean, Frame::Optional,
                  "Enable or Disable ATS operation (1/0)");
  Frame::AddParam(spec, "delete", "D", ParameterType::Boolean, Frame::Optional,
                  "Enable or Disable DELETE operation (1/0)");
  Frame::AddParam(spec, "zero", "Z", ParameterType::Boolean, Frame::Optional,
                  "Enable or Disable ZERO operation (1/0)");
  return spec;
}

void DeviceHwacStatusSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  if (name.empty())
    return;
  // In the order of the mask: Clone, ATS, Delete, Zero.
  std::array<HwacChoice, 4> choices;
  const std::array<const char *, 4> parameters = {"clone", "ats", "delete", "zero"};
  std::vector<std::pair<bool, bool>> pairs;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    choices[i].given = input->HasParameter(parameters[i]);
    choices[i].value = choices[i].given && input->GetParameterBool(parameters[i]);
    pairs.emplace_back(choices[i].given, choices[i].value);
  }
  const uint8_t mask = HwacPrimitiveMask(choices);
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    auto device = storage->GetLun(name, true);
    if (!device) {
      output->AddErrorMessage("Unable to find device with name " + name);
      return;
    }
    device->PrepareHwacUpdate();
    device->SetHwacPrimitives(mask, pairs);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set HWAC properties of PSA devices: ", e);
  }
}

// --- hwac ats list ---

DeviceHwacAtsList::DeviceHwacAtsList() {
  SetDescription("List the ATS HWAC attributes (as per SCSI standard) for the devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:DeviceHwacAtsListMap",
                            "Device,Maximum Compare and Write Length (in blocks)");
}

Frame::InputSpecPtr DeviceHwacAtsList::GetInputSpecInternal() {
  return DeviceFilterSpec();
}

Frame::MetaStructPtr DeviceHwacAtsList::GetOutputStructure() const {
  return Frame::NewTemplate(
      "DeviceHwacAtsListMap",
      {{"Device", FieldType::String}, {"Maximum Compare and Write Length (in blocks)", FieldType::String}});
}

void DeviceHwacAtsList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  static const std::array<ValueField, 1> fields = {{
      {"Maximum Compare and Write Length (in blocks)",
       [](const HwacAttributes &a) { return StrPrintf("%d", a.maxCompareAndWriteLength); }},
  }};
  ListAttributes(*this, input, output, &HwacAttributes::atsSupport, fields,
                 "Unable to list ATS attributes: ");
}

// --- hwac delete list ---

DeviceHwacDeleteList::DeviceHwacDeleteList() {
  SetDescription("List the Delete HWAC attributes (as per SCSI standard) for the devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:DeviceHwacDeleteListMap",
      "Device,Max LBA Count,Max Block Desc Count (in blocks),Optimal Granularity (in blocks),"
      "UGA Valid,Granularity Alignment (in blocks)");
}

Frame::InputSpecPtr DeviceHwacDeleteList::GetInputSpecInternal() {
  return DeviceFilterSpec();
}

Frame::MetaStructPtr DeviceHwacDeleteList::GetOutputStructure() const {
  return Frame::NewTemplate("DeviceHwacDeleteListMap",
                            {{"Device", FieldType::String},
                             {"Max LBA Count", FieldType::String},
                             {"Max Block Desc Count (in blocks)", FieldType::String},
                             {"Optimal Granularity (in blocks)", FieldType::String},
                             {"UGA Valid", FieldType::String},
                             {"Granularity Alignment (in blocks)", FieldType::String}});
}

void DeviceHwacDeleteList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  static const std::array<ValueField, 5> fields = {{
      {"Max LBA Count", [](const HwacAttributes &a) { return StrPrintf("%lu", a.maxLbaCount); }},
      {"Max Block Desc Count (in blocks)",
       [](const HwacAttributes &a) { return StrPrintf("%u", a.maxBlockDescCount); }},
      {"Optimal Granularity (in blocks)",
       [](const HwacAttributes &a) { return StrPrintf("%u", a.optimalUnmapGranularity); }},
      {"UGA Valid",
       [](const HwacAttributes &a) {
         return std::string(a.unmapGranularityAlignmentValid ? "True" : "False");
       }},
      {"Granularity Alignment (in blocks)",
       [](const HwacAttributes &a) {
         return a.unmapGranularityAlignmentValid ? StrPrintf("%u", a.unmapGranularityAlignment)
                                                 : std::string("N/A");
       }},
  }};
  ListAttributes(*this, input, output, &HwacAttributes::deleteSupport, fields,
                 "Unable to list Delete attributes: ");
}

// --- hwac zero list ---

DeviceHwacZeroList::DeviceHwacZeroList() {
  SetDescription("List the Zero HWAC attributes (as per SCSI standard) for the devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:DeviceHwacZeroListMap", "Device,Maximum Write Same Length (in blocks)");
}

Frame::InputSpecPtr DeviceHwacZeroList::GetInputSpecInternal() {
  return DeviceFilterSpec();
}

Frame::MetaStructPtr DeviceHwacZeroList::GetOutputStructure() const {
  return Frame::NewTemplate(
      "DeviceHwacZeroListMap",
      {{"Device", FieldType::String}, {"Maximum Write Same Length (in blocks)", FieldType::String}});
}

void DeviceHwacZeroList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  static const std::array<ValueField, 1> fields = {{
      {"Maximum Write Same Length (in blocks)",
       [](const HwacAttributes &a) { return StrPrintf("%lu", a.maxWriteSameLength); }},
  }};
  ListAttributes(*this, input, output, &HwacAttributes::zeroSupport, fields,
                 "Unable to list Zero attributes: ");
}

// --- hwac clone list ---

DeviceHwacCloneList::DeviceHwacCloneList() {
  SetDescription("List the Clone HWAC attributes (as per SCSI standard) for the devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:DeviceHwacCloneListMap",
                            "Device,Maximum Segment Length (in bytes),Maximum Segment Descriptor Count,"
                            "Optimal Transfer Length Granularity (in blocks)");
}

Frame::InputSpecPtr DeviceHwacCloneList::GetInputSpecInternal() {
  return DeviceFilterSpec();
}

Frame::MetaStructPtr DeviceHwacCloneList::GetOutputStructure() const {
  return Frame::NewTemplate("DeviceHwacCloneListMap",
                            {{"Device", FieldType::String},
                             {"Maximum Segment Length (in bytes)", FieldType::String},
                             {"Maximum Segment Descriptor Count", FieldType::String},
                             {"Optimal Transfer Length Granularity (in blocks)", FieldType::String}});
}

void DeviceHwacCloneList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  static const std::array<ValueField, 3> fields = {{
      {"Maximum Segment Length (in bytes)",
       [](const HwacAttributes &a) { return StrPrintf("%u", a.maxSegmentLength); }},
      {"Maximum Segment Descriptor Count",
       [](const HwacAttributes &a) { return StrPrintf("%d", a.maxSegmentDescriptorCount); }},
      {"Optimal Transfer Length Granularity (in blocks)",
       [](const HwacAttributes &a) { return StrPrintf("%d", a.optimalTransferLengthGranularity); }},
  }};
  ListAttributes(*this, input, output, &HwacAttributes::cloneSupport, fields,
                 "Unable to list Clone attributes: ");
}

} // namespace TarvexCli::Storage
