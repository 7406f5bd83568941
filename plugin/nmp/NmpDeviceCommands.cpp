#include "nmp/NmpDeviceCommands.h"

#include "frame/Params.h"
#include "nmp/NmpAccess.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>
#include <hostctl/storage/Nmp.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/NmpImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace TarvexCli::Nmp {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ScsiInterface;
using namespace HostCtl::Storage::Nmp;

// --- shared ---

std::unique_ptr<NmpPsaPlugin> GetNmp(HostCtl::Storage::StorageInfo &info) {
  std::unique_ptr<HostCtl::Storage::PsaMultipathPlugin> plugin = info.GetMultipathPlugin("NMP");
  auto *nmp = dynamic_cast<NmpPsaPlugin *>(plugin.get());
  if (!nmp)
    return nullptr;
  plugin.release();
  return std::unique_ptr<NmpPsaPlugin>(nmp);
}

std::unique_ptr<NmpDeviceConfig> NmpDeviceConfigOf(const std::string &deviceName) {
  auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  auto nmp = GetNmp(*info);
  return nmp ? nmp->GetDeviceConfig(deviceName) : nullptr;
}

std::unique_ptr<NmpScsiPathConfig> NmpPathConfigOf(const std::string &pathName) {
  auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  auto nmp = GetNmp(*info);
  return nmp ? nmp->GetPathConfig(pathName) : nullptr;
}

std::string NotNmpText(const std::string &device) {
  return "Device " + device + " Not controlled by the NMP plugin";
}

std::unique_ptr<NmpDeviceConfig> FindNmpDevice(const std::string &name, const Frame::OutputPtr &output) {
  auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
  if (!device) {
    output->AddErrorMessage("Unable to find device with the name " + name);
    return nullptr;
  }
  auto config = NmpDeviceConfigOf(device->GetName());
  if (!config)
    output->AddErrorMessage(NotNmpText(name));
  return config;
}

std::unique_ptr<NmpScsiPathConfig> FindNmpPath(const std::string &name, const Frame::OutputPtr &output) {
  if (!OlkCtl::Storage::ScsiPathImpl::GetPath(name)) {
    output->AddErrorMessage("Unable to find path with the name " + name);
    return nullptr;
  }
  auto config = NmpPathConfigOf(name);
  if (!config)
    output->AddErrorMessage("Path " + name + " is not claimed by NMP");
  return config;
}

namespace {

Frame::MetaListPtr StringList(const std::vector<std::string> &values) {
  auto list = Frame::MetaList::New(Frame::MetaType::String);
  for (const std::string &value : values)
    list->Add(Frame::MetaString::New(value));
  return list;
}

// "Only one of --X or --default can be used" and its missing counterpart; true
// when neither was added.
bool CheckOneOf(const Frame::OutputPtr &output, const char *option, bool given, bool useDefault) {
  if (!useDefault && !given) {
    output->AddErrorMessage(std::string("Missing required parameter. Requires one of --") + option +
                            " or --default.");
    return false;
  }
  if (useDefault && given) {
    output->AddErrorMessage(std::string("Only one of --") + option + " or --default can be used");
    return false;
  }
  return true;
}

} // namespace

// --- device list ---

DeviceList::DeviceList() {
  SetDescription("List the devices currently controlled by the Tarvex NMP Multipath Plugin and show the SATP "
                 "and PSP information associated with that device.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:NmpDevice", "%Device%");
  SetDefaultOutputParameter(
      "fields:NmpDevice", "Device Display Name,Storage Array Type,Storage Array Type Device Config,Path "
                          "Selection Policy,Path Selection Policy Device Config,Path Selection Policy Device "
                          "Custom Config,Working Paths,Is USB");
}

Frame::InputSpecPtr DeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single device.");
  return spec;
}

Frame::MetaStructPtr DeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("NmpDevice", {{"Device", FieldType::String},
                                          {"Device Display Name", FieldType::String},
                                          {"Storage Array Type", FieldType::String},
                                          {"Storage Array Type Device Config", FieldType::String},
                                          {"Path Selection Policy", FieldType::String},
                                          {"Path Selection Policy Device Config", FieldType::String},
                                          {"Path Selection Policy Device Custom Config", FieldType::String},
                                          {"Working Paths", FieldType::StringList},
                                          {"Is Local SAS Device", FieldType::Bool},
                                          {"Is USB", FieldType::Bool},
                                          {"Is Boot USB Device", FieldType::Bool}});
}

void DeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool hasDevice = input->HasParameter("device");
  const std::string filter = input->GetParameter("device");
  try {
    auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    if (hasDevice && filter.empty()) {
      output->AddErrorMessage("Missing parameter for --device");
      return;
    }
    if (!filter.empty() && info->ResolveRuntimeLunName(filter).empty()) {
      output->AddErrorMessage("Unknown device " + filter);
      return;
    }
    auto nmp = GetNmp(*info);
    if (!nmp) {
      output->AddErrorMessage(kNoNmp);
      return;
    }
    auto devices = nmp->GetDevices();
    auto result = Frame::NewRowList(GetOutputStructure());
    if (filter.empty())
      result->Reserve(devices.size());
    // Transport text per adapter, asked once per adapter.
    std::unordered_map<std::string, std::string> transportOf;
    auto transport = [&](const std::string &adapterName) -> const std::string & {
      auto it = transportOf.find(adapterName);
      if (it != transportOf.end())
        return it->second;
      auto adapter = info->GetScsiInterface(adapterName);
      return transportOf[adapterName] =
                 adapter ? ScsiInterface::GetInterfaceTypeString(adapter->GetInterfaceType()) : "";
    };
    std::string bootDevice;
    bool bootDeviceRead = false;
    for (const auto &device : devices) {
      const std::string name = device->GetName();
      if (!filter.empty() && name != filter)
        continue;
      bool isSas = false;
      bool isUsb = false;
      if (!device->IsPseudo()) {
        const std::vector<std::string> adapters = info->GetLunPathAdapters(name);
        bool allSas = !adapters.empty();
        bool allUsb = !adapters.empty();
        for (const std::string &adapter : adapters) {
          const std::string &type = transport(adapter);
          allSas = allSas && type == "sas";
          allUsb = allUsb && type == "usb";
          if (!allSas && !allUsb)
            break;
        }
        isSas = allSas;
        isUsb = allUsb;
      }
      auto config = nmp->GetDeviceConfig(name);
      if (!config)
        continue;
      auto row = GetOutputStructure();
      row->SetField("Device", name);
      row->SetField("Device Display Name", device->GetDisplayName());
      row->SetField("Working Paths", StringList(config->GetWorkingPaths()));
      if (isUsb && !bootDeviceRead) {
        bootDevice = HostCtl::HostFactory::GetHost()->GetSystemInfo()->GetBootDeviceName();
        bootDeviceRead = true;
      }
      row->SetField("Is Boot USB Device", isUsb && name == bootDevice);
      row->SetField("Is USB", isUsb);
      if (auto satp = config->GetStorageArrayType()) {
        row->SetField("Storage Array Type", satp->GetName());
        row->SetField("Storage Array Type Device Config", config->GetStorageArrayTypeOptionString(false));
        row->SetField("Is Local SAS Device", isSas && satp->GetName() == "TVX_SATP_LOCAL");
      }
      if (auto psp = config->GetPathSelectionPolicy())
        row->SetField("Path Selection Policy", psp->GetName());
      if (auto pspConfig = config->GetPathSelectionPolicyDeviceConfig()) {
        row->SetField("Path Selection Policy Device Config", pspConfig->GetConfigString());
        row->SetField("Path Selection Policy Device Custom Config", pspConfig->GetCustomConfigString());
      }
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list NMP controlled devices: ", e);
  }
}

// --- device set ---

DeviceSetPolicy::DeviceSetPolicy() {
  SetDescription("Allow setting of the Path Selection Policy (PSP) for the given device to one of the loaded "
                 "policies on the system.");
}

Frame::InputSpecPtr DeviceSetPolicy::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to set the Path Selection Policy for.");
  Frame::AddParam(spec, "psp", "P", ParameterType::String, Frame::Optional,
                  "The Path selection policy you wish to assign to the given device.");
  Frame::AddParam(
      spec, "default", "E", ParameterType::Flag, Frame::Optional,
      "The Path selection policy is set back to the default for the assigned SATP for this device.");
  return spec;
}

void DeviceSetPolicy::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const std::string psp = input->GetParameter("psp");
  const bool useDefault = input->IsFlagSet("default");
  try {
    CheckOneOf(output, "psp", !psp.empty(), useDefault);
    auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
    if (!device)
      output->AddErrorMessage("Unknown device " + name);
    if (!output->HasError()) {
      auto config = NmpDeviceConfigOf(device->GetName());
      if (!config)
        output->AddErrorMessage(NotNmpText(name));
      else if (useDefault)
        config->ResetPathSelectionPolicy();
      else
        config->SetPathSelectionPolicy(psp);
    }
    // The messages decide the outcome; the result is true either way.
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error setting Path Selection Policy: ", e);
  }
}

// --- path list ---

PathList::PathList() {
  SetDescription(
      "List the paths currently claimed by the Tarvex NMP Multipath Plugin and show the SATP and PSP "
      "information associated with that path.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPath", "%Path%");
  SetDefaultOutputParameter(
      "fields:ScsiPath", "Runtime Name,Device,Device Display Name,Group State,Array Priority,Storage Array "
                         "Type Path Config,Path Selection Policy Path Config");
}

Frame::InputSpecPtr PathList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single path.");
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show paths to a single device.");
  return spec;
}

Frame::MetaStructPtr PathList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiPath", {{"Path", FieldType::String},
                                         {"Runtime Name", FieldType::String},
                                         {"Device", FieldType::String},
                                         {"Device Display Name", FieldType::String},
                                         {"Group State", FieldType::String},
                                         {"Array Priority", FieldType::Int},
                                         {"Storage Array Type Path Config", FieldType::String},
                                         {"Path Selection Policy Path Config", FieldType::String}});
}

void PathList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string pathName = input->GetParameter("path");
  const std::string deviceFilter = input->GetParameter("device");
  try {
    auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    auto nmp = GetNmp(*info);
    if (!nmp) {
      output->AddErrorMessage(kNoNmp);
      return;
    }
    std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> paths;
    if (!pathName.empty()) {
      auto path = info->GetScsiPath(pathName);
      if (!path) {
        output->AddErrorMessage("Unknown Path " + pathName);
        return;
      }
      paths.push_back(std::move(path));
    } else {
      paths = nmp->GetPaths();
    }
    const auto displayNames = info->GetDeviceDisplayNames();
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &path : paths) {
      const std::string device = path->GetDeviceName();
      if (!deviceFilter.empty() && device != deviceFilter)
        continue;
      auto row = GetOutputStructure();
      row->SetField("Path", path->GetUID());
      row->SetField("Runtime Name", path->GetRuntimeName());
      row->SetField("Device", device);
      auto it = device.empty() ? displayNames.end() : displayNames.find(device);
      row->SetField("Device Display Name", it == displayNames.end() ? std::string() : it->second);
      auto config = nmp->GetPathConfig(path->GetUID());
      if (!config)
        continue;
      config->Refresh();
      row->SetField("Group State", config->GetPathStateString());
      row->SetField("Storage Array Type Path Config", config->GetStorageArrayTypeConfigString());
      row->SetField("Path Selection Policy Path Config", config->GetPathSelectionPolicyConfigString());
      row->SetField("Array Priority", Frame::MetaInt::New(config->GetArrayPriority()));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list NMP claimed paths: ", e);
  }
}

// --- psp fixed deviceconfig get ---

FixedGetPreferred::FixedGetPreferred() {
  SetDescription("Allow retrieving of Fixed Path Selection Policy settings for a given device.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr FixedGetPreferred::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  // verbatim: two trailing blanks
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to get the Preferred path for.  ");
  return spec;
}

Frame::MetaStructPtr FixedGetPreferred::GetOutputStructure() const {
  return Frame::NewTemplate("FixedDeviceConfiguration", {{"Device", FieldType::String},
                                                         {"Preferred Path", FieldType::String},
                                                         {"Configured Preferred Path", FieldType::String}});
}

void FixedGetPreferred::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  auto result = GetOutputStructure();
  try {
    if (auto config = FindNmpDevice(name, output)) {
      auto pspConfig = config->GetPathSelectionPolicyDeviceConfig();
      auto *fixed = dynamic_cast<FixedPathSelectionPolicyDeviceConfig *>(pspConfig.get());
      if (!fixed) {
        output->AddErrorMessage("Device " + name + " Does not use the TVX_PSP_FIXED path selection policy.");
      } else {
        const std::string preferred = fixed->GetPreferredPath();
        const std::string configured = fixed->GetConfiguredPreferredPath();
        result->SetField("Device", name);
        result->SetField("Preferred Path", preferred);
        result->SetField("Configured Preferred Path", configured);
      }
    }
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get SATP configuration: ", e);
  }
  output->SetRootObject(result);
}

// --- psp fixed deviceconfig set ---

FixedSetPreferred::FixedSetPreferred() {
  // verbatim: "perferred"
  SetDescription(
      "Allow setting of the perferred path on a given device controlled by the Fixed Path Selection "
      "Policy.");
}

Frame::InputSpecPtr FixedSetPreferred::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Required,
      "The device you wish to set the preferred path for. This device must be controlled by the Fixed "
      "Path Selection Policy(except when -g is specified)");
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Optional,
                  "The path you wish to set as the preferred path for the given device.");
  Frame::AddParam(spec, "cfgfile", "g", ParameterType::Flag, Frame::Optional, kCfgFileText);
  Frame::AddParam(spec, "default", "E", ParameterType::Flag, Frame::Optional,
                  "Clear the preferred path selection for the given device.");
  return spec;
}

void FixedSetPreferred::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const std::string path = input->GetParameter("path");
  const bool useDefault = input->IsFlagSet("default");
  const bool cfgFile = input->IsFlagSet("cfgfile");
  try {
    CheckOneOf(output, "path", !path.empty(), useDefault);
    auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
    if (!device) {
      output->AddErrorMessage("Unknown device " + name);
      return;
    }
    std::unique_ptr<FixedPathSelectionPolicyDeviceConfig> fixed;
    auto config = NmpDeviceConfigOf(device->GetName());
    if (!config) {
      output->AddErrorMessage(NotNmpText(name));
    } else if (cfgFile) {
      fixed = OlkCtl::Storage::Nmp::FixedPathSelectionPolicyDeviceConfigImpl::New(device->GetName());
      fixed->SetUpdateConfigFile(true);
    } else {
      auto pspConfig = config->GetPathSelectionPolicyDeviceConfig();
      if (dynamic_cast<FixedPathSelectionPolicyDeviceConfig *>(pspConfig.get()))
        fixed.reset(static_cast<FixedPathSelectionPolicyDeviceConfig *>(pspConfig.release()));
      else
        output->AddErrorMessage("Device " + name + " Does not use the TVX_PSP_FIXED path selection policy.");
    }
    if (!output->HasError()) {
      if (useDefault)
        fixed->ClearPreferredPath();
      else
        fixed->SetPreferredPath(path);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set Fixed path policy preferred path : ", e);
  }
}

} // namespace TarvexCli::Nmp
