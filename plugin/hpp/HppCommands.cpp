#include "hpp/HppCommands.h"

#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/Misc.h>
#include <hostctl/storage/Hpp.h>
#include <hostctl/storage/StorageInfo.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace TarvexCli::Hpp {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::Hpp::HppPsaPlugin;

namespace {

// Scheme tunables set when the user gives none.
constexpr int64_t kDefaultIops = 1000;
constexpr int64_t kDefaultBytes = 10485760;
constexpr int64_t kDefaultLatencyEvalTime = 30000;
constexpr int64_t kDefaultSamplingIos = 16;

// The limits of the tunables, in the order they are checked.
struct Limit {
  const char *option;
  int64_t low;
  int64_t high;
  bool unsignedCompare; // value minus the lower bound against the span: negatives fail
};
constexpr Limit kLimits[] = {
    {"latency-eval-time", 10000, 300000, true},
    {"sampling-ios-per-path", 16, 160, true},
    {"iops", 1, 10000, false},
    {"bytes", 1, 104857600, false},
};

const char *kNoHpp = "Could not find High Performance Plugin";

// The storage info's HPP plug-in, or null when it has none.
std::unique_ptr<HppPsaPlugin> GetHpp(HostCtl::Storage::StorageInfo &info) {
  std::unique_ptr<HostCtl::Storage::PsaMultipathPlugin> plugin = info.GetMultipathPlugin("HPP");
  auto *hpp = dynamic_cast<HppPsaPlugin *>(plugin.get());
  if (!hpp)
    return nullptr;
  plugin.release();
  return std::unique_ptr<HppPsaPlugin>(hpp);
}

bool Contains(const std::vector<std::string> &list, const std::string &name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// Whether any of the device's UIDs is in a marking list.
bool AnyUidIn(const std::vector<std::string> &list, const HostCtl::Storage::Lun &device) {
  for (const std::string &uid : device.GetAllUIDs())
    if (Contains(list, uid))
      return true;
  return Contains(list, device.GetName());
}

Frame::MetaListPtr StringList(const std::vector<std::string> &values) {
  auto list = Frame::MetaList::New(Frame::MetaType::String);
  for (const std::string &value : values)
    list->Add(Frame::MetaString::New(value));
  return list;
}

} // namespace

// --- device list ---

DeviceList::DeviceList() {
  SetDescription("List the devices currently controlled by the Tarvex High Performance Plugin.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:HppDevice", "%Device%");
  SetDefaultOutputParameter("fields:HppDevice",
                            "Device Display Name,Path Selection Scheme,Path Selection Scheme "
                            "Config,Current Path,Working Path Set,Is SSD,Is Local,Paths,Use ANO");
}

Frame::InputSpecPtr DeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single device.");
  return spec;
}

Frame::MetaStructPtr DeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("HppDevice", {{"Device", FieldType::String},
                                          {"Device Display Name", FieldType::String},
                                          {"Path Selection Scheme", FieldType::String},
                                          {"Path Selection Scheme Config", FieldType::String},
                                          {"Current Path", FieldType::String},
                                          {"Working Path Set", FieldType::StringList},
                                          {"Is SSD", FieldType::Bool},
                                          {"Is Local", FieldType::Bool},
                                          {"Use ANO", FieldType::Bool},
                                          {"Paths", FieldType::StringList}});
}

void DeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string filter = input->GetParameter("device");
  auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  if (!filter.empty() && info->ResolveRuntimeLunName(filter).empty()) {
    output->AddErrorMessage("Unknown device " + filter);
    return;
  }
  std::unique_ptr<HppPsaPlugin> hpp = GetHpp(*info);
  if (!hpp) {
    output->AddErrorMessage(kNoHpp);
    return;
  }
  auto devices = hpp->GetDevices();
  auto result = Frame::NewRowList(GetOutputStructure());
  if (filter.empty())
    result->Reserve(devices.size());
  // The runtime names of every device's paths, gathered in one pass.
  std::unordered_map<std::string, std::vector<std::string>> pathsOf;
  for (const auto &path : info->GetScsiPaths())
    pathsOf[path->GetDeviceName()].push_back(path->GetRuntimeName());
  for (const auto &device : devices) {
    if (!filter.empty() && device->GetName() != filter)
      continue;
    auto config = hpp->GetDeviceConfig(*device);
    if (!config) {
      output->AddErrorMessage("Device " + device->GetDisplayName() + " is not controlled by the HPP");
      continue;
    }
    auto row = GetOutputStructure();
    row->SetField("Device", device->GetName());
    row->SetField("Device Display Name", device->GetDisplayName());
    row->SetField("Path Selection Scheme", config->GetPathSelectionScheme());
    row->SetField("Path Selection Scheme Config", config->GetPathSelectionSchemeConfig());
    row->SetField("Current Path", config->GetCurrentPath());
    row->SetField("Working Path Set", StringList(config->GetWorkingPaths()));
    row->SetField("Is SSD", device->IsSSD());
    row->SetField("Is Local", device->IsLocal());
    row->SetField("Use ANO", config->GetUseAno());
    row->SetField("Paths", StringList(pathsOf[device->GetName()]));
    result->Add(row);
  }
  output->SetRootObject(result);
}

// --- device set ---

DeviceSet::DeviceSet() {
  SetDescription("Configure settings for an HPP device.");
}

Frame::InputSpecPtr DeviceSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The HPP device upon which to operate. This can be any of the UIDs that a device reports.");
  Frame::AddParam(spec, "mark-device-ssd", "M", ParameterType::Boolean, Frame::Optional,
                  "Set whether or not HPP should treat the device as an SSD.");
  Frame::AddParam(spec, "mark-device-local", "L", ParameterType::Boolean, Frame::Optional,
                  "Set whether or not HPP should treat the device as local.");
  Frame::AddParam(
      spec, "pss", "P", ParameterType::String, Frame::Optional,
      "The path selection scheme you wish to assign to the given device. One of the following options can be "
      "specified as input. Default values will be chosen for unspecified options. %FULLENUM%",
      Frame::StringEnum(
          {{"LB-RR",
            "[Default] Load Balance - Round Robin scheme chooses path in round robin manner based on IOPS "
            "and bytes count. --iops and/or --bytes options can be specified as input. This is the default "
            "path selection scheme for the device."},
           {"FIXED",
            "Fixed path is chosen for the I/Os. Preferred path can be specified using --path option."},
           {"LB-IOPS",
            "Load Balance - IOPS scheme selects optimal path having least outstanding I/Os. --iops "
            "option can be specified as input."},
           {"LB-BYTES",
            "Load Balance - Bytes scheme selects optimal path having least outstanding bytes. --bytes "
            "option can be specified as input."},
           {"LB-Latency",
            "Load Balance - Latency scheme selects optimal path having least latency. "
            "--latency-eval-time and/or --sampling-ios-per-path options can be specified as input."},
           {"default", "Default scheme[LB-RR] for the device."}}));
  Frame::AddParam(spec, "latency-eval-time", "T", ParameterType::Integer, Frame::Optional,
                  "Interval at which the latency of paths is evaluated (in ms).");
  Frame::AddParam(spec, "sampling-ios-per-path", "S", ParameterType::Integer, Frame::Optional,
                  "Number of I/Os to be issued on each path to calculate the latency on the path");
  // One constraint object serves both.
  auto positive = Frame::IntRange(1, 2147483647);
  Frame::AddParam(spec, "bytes", "B", ParameterType::Integer, Frame::Optional,
                  "Maximum bytes on the path after which the path will be switched.", positive);
  Frame::AddParam(spec, "iops", "I", ParameterType::Integer, Frame::Optional,
                  "Maximum IOPS on the path after which the path will be switched.", positive);
  Frame::AddParam(
      spec, "cfg-file", "", ParameterType::Flag, Frame::Optional,
      "Update the config file and runtime with the new setting. In case device is claimed by another "
      "PSS, ignore any errors when applying to runtime configuration.");
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Optional,
                  "The path you wish to set as the preferred path for the given device.");
  Frame::AddParam(
      spec, "use-ano", "U", ParameterType::Boolean, Frame::Optional,
      "Set the option to 'true' to include non-optimized paths in the set of active paths used to issue "
      "I/Os on this device, otherwise set it to 'false'.");
  return spec;
}

void DeviceSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const bool hasSsd = input->HasParameter("mark-device-ssd");
  const bool hasLocal = input->HasParameter("mark-device-local");
  const bool hasUseAno = input->HasParameter("use-ano");
  const bool hasPss = input->HasParameter("pss");
  const std::string pss = input->GetParameter("pss");
  const bool hasIops = input->HasParameter("iops");
  const bool hasBytes = input->HasParameter("bytes");
  const bool hasPath = input->HasParameter("path");
  const bool hasLatency = input->HasParameter("latency-eval-time");
  const bool hasSampling = input->HasParameter("sampling-ios-per-path");
  try {
    auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    std::unique_ptr<HppPsaPlugin> hpp = GetHpp(*info);
    if (!hpp) {
      output->AddErrorMessage(kNoHpp);
      return;
    }
    bool invalid = false;
    auto refuse = [&](const std::string &message) {
      output->AddErrorMessage(message);
      invalid = true;
    };
    if (!hasPss) {
      if (!hasSsd && !hasUseAno && !hasLocal)
        refuse("One of the input options --pss, --mark-device-ssd, --use-ano, --mark-device-local must be "
               "specified.");
    } else {
      if (hasIops && pss != "LB-IOPS" && pss != "LB-RR")
        refuse("Invalid option --iops for pss.");
      if (hasBytes && pss != "LB-BYTES" && pss != "LB-RR")
        refuse("Invalid option --bytes for pss.");
      if (hasPath && pss != "FIXED")
        refuse("Invalid option --path for pss.");
      if ((hasLatency || hasSampling) && pss != "LB-Latency")
        refuse("Invalid options --latency-eval-time and/or --sampling-ios-per-path for pss.");
      for (const Limit &limit : kLimits) {
        if (!input->HasParameter(limit.option))
          continue;
        const int64_t value = input->GetParameterInt(limit.option);
        const bool outside = limit.unsignedCompare ? static_cast<uint64_t>(value - limit.low) >
                                                         static_cast<uint64_t>(limit.high - limit.low)
                                                   : value < limit.low || value > limit.high;
        if (outside)
          refuse(HostCtl::Misc::StrPrintf("--%s should be in the range %lld - %u", limit.option,
                                          static_cast<long long>(limit.low),
                                          static_cast<unsigned>(limit.high)));
      }
    }
    if (invalid)
      return;

    auto device = info->GetLun(name, false);
    if (!device) {
      output->AddErrorMessage("Device not found.");
      return;
    }
    auto config = hpp->GetDeviceConfig(*device);
    if (!config) {
      output->AddErrorMessage("Device " + name + " is not controlled by the HPP");
      return;
    }
    if (input->IsFlagSet("cfg-file"))
      config->SetUpdateConfigFile(true);

    if (hasSsd) {
      const bool ssd = input->GetParameterBool("mark-device-ssd");
      if (AnyUidIn(hpp->GetUserMarkedSsdDevices(), *device)) {
        config->MarkSsd(ssd);
      } else if (ssd && device->IsSSD()) {
        output->AddErrorMessage("Device " + name + " is by default SSD");
        return;
      } else if (ssd) {
        config->MarkSsd(true);
      } else if (device->IsSSD()) {
        output->AddErrorMessage("Marking SSD device " + name + " as HDD is not supported");
        return;
      } else {
        output->AddErrorMessage("Device " + name + " is by default HDD");
        return;
      }
    }
    if (hasLocal) {
      if (device->IsLocal() && !AnyUidIn(hpp->GetUserMarkedLocalDevices(), *device)) {
        output->AddErrorMessage("Device " + name + " is local by default");
        return;
      }
      config->MarkLocal(input->GetParameterBool("mark-device-local"));
    }
    if (hasUseAno)
      config->SetUseAno(input->GetParameterBool("use-ano"));

    if (hasPss) {
      auto tunable = [&](const char *option) {
        return static_cast<uint32_t>(input->GetParameterInt(option));
      };
      if (pss == "default") {
        config->ResetPathSelectionScheme();
      } else {
        config->SetPathSelectionScheme(pss);
      }
      if (pss == "LB-RR") {
        if (!hasIops && !hasBytes) {
          config->SetIops(kDefaultIops);
          config->SetBytes(kDefaultBytes);
        }
        if (hasIops)
          config->SetIops(tunable("iops"));
        if (hasBytes)
          config->SetBytes(tunable("bytes"));
      } else if (pss == "FIXED") {
        config->SetPreferredPath(hasPath ? input->GetParameter("path") : "");
      } else if (pss == "LB-IOPS") {
        config->SetIops(hasIops ? tunable("iops") : kDefaultIops);
      } else if (pss == "LB-BYTES") {
        config->SetBytes(hasBytes ? tunable("bytes") : kDefaultBytes);
      } else if (pss == "LB-Latency") {
        if (!hasLatency && !hasSampling) {
          config->SetLatencyEvalTime(kDefaultLatencyEvalTime);
          config->SetSamplingIosPerPath(kDefaultSamplingIos);
        }
        if (hasLatency)
          config->SetLatencyEvalTime(tunable("latency-eval-time"));
        if (hasSampling)
          config->SetSamplingIosPerPath(tunable("sampling-ios-per-path"));
      }
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error setting Device Config: ", e);
  }
}

// --- device usermarkedssd list ---

UserMarkedSSDList::UserMarkedSSDList() {
  SetDescription("List the devices that were marked/unmarked as SSD by user.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:MarkedSSDList", "Device UID");
}

Frame::InputSpecPtr UserMarkedSSDList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of the command to limit the output to a specific device.");
  return spec;
}

Frame::MetaStructPtr UserMarkedSSDList::GetOutputStructure() const {
  return Frame::NewTemplate("MarkedSSDList", {{"Device UID", FieldType::String}});
}

void UserMarkedSSDList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string filter = input->GetParameter("device");
  try {
    auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    std::unique_ptr<HppPsaPlugin> hpp = GetHpp(*info);
    if (!hpp) {
      output->AddErrorMessage(kNoHpp);
      return;
    }
    const std::vector<std::string> marked = hpp->GetUserMarkedSsdDevices();
    auto result = Frame::NewRowList(GetOutputStructure());
    auto addRow = [&](const std::string &uid) {
      auto row = GetOutputStructure();
      row->SetField("Device UID", uid);
      result->Add(row);
    };
    if (!filter.empty()) {
      if (!Contains(marked, filter)) {
        output->AddErrorMessage("User Marked/Unmarked SSD List does not contain device " + filter);
        return;
      }
      addRow(filter);
    } else {
      for (const std::string &uid : marked)
        addRow(uid);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Failed to list user marked/unmarked SSD devices: ", e);
  }
}

// --- path list ---

PathList::PathList() {
  // verbatim: no final full stop
  SetDescription("List the paths currently claimed by the Tarvex High Performance Plugin");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiPath", "%Path%");
  SetDefaultOutputParameter("fields:ScsiPath",
                            "Runtime Name,Device,Device Display Name,Path State,Path Config");
}

Frame::InputSpecPtr PathList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single path.");
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show info for a single device.");
  Frame::AddParam(spec, "type", "t", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only list protocol(scsi/nvme) specific "
                  "paths(--type=scsi or --type=nvme).",
                  // verbatim: "onlylist"
                  Frame::StringEnum({{"scsi", "Filter the output of this command to onlylist scsi paths."},
                                     {"nvme", "Filter the output of this command to onlylist nvme paths."}}));
  return spec;
}

Frame::MetaStructPtr PathList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiPath", {{"Path", FieldType::String},
                                         {"Runtime Name", FieldType::String},
                                         {"Device", FieldType::String},
                                         {"Device Display Name", FieldType::String},
                                         {"Path State", FieldType::String},
                                         {"Path Config", FieldType::String}});
}

void PathList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string pathName = input->GetParameter("path");
  const std::string deviceFilter = input->GetParameter("device");
  const std::string type = input->GetParameter("type");
  auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  std::unique_ptr<HppPsaPlugin> hpp = GetHpp(*info);
  if (!hpp) {
    output->AddErrorMessage(kNoHpp);
    return;
  }
  std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> paths;
  if (!pathName.empty()) {
    auto path = info->GetScsiPath(pathName);
    if (!path) {
      output->AddErrorMessage("Unknown path " + pathName);
      return;
    }
    paths.push_back(std::move(path));
  } else {
    paths = hpp->GetPaths();
  }
  const auto displayNames = info->GetDeviceDisplayNames();
  auto result = Frame::NewRowList(GetOutputStructure());
  for (const auto &path : paths) {
    if (!deviceFilter.empty() && path->GetDeviceName() != deviceFilter)
      continue;
    auto device = path->GetDevice();
    if (!type.empty()) {
      const bool nvme = device && device->IsNvme();
      if ((type == "scsi" && nvme) || (type == "nvme" && !nvme))
        continue;
    }
    auto row = GetOutputStructure();
    row->SetField("Path", path->GetUID());
    row->SetField("Runtime Name", path->GetRuntimeName());
    row->SetField("Device", path->GetDeviceName());
    if (!device) {
      row->SetField("Device Display Name", "Unknown Device");
    } else {
      auto it = displayNames.find(path->GetDeviceName());
      row->SetField("Device Display Name", it == displayNames.end() ? std::string() : it->second);
    }
    auto config = hpp->GetPathConfig(*path);
    if (!config)
      continue;
    row->SetField("Path State", config->GetPathState());
    row->SetField("Path Config", config->GetPathConfig());
    result->Add(row);
  }
  output->SetRootObject(result);
}

} // namespace TarvexCli::Hpp
