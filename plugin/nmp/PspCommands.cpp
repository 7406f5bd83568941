#include "nmp/PspCommands.h"

#include "frame/Params.h"
#include "nmp/NmpAccess.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/Nmp.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/NmpImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>

#include <cstdint>
#include <memory>
#include <string>

namespace TarvexCli::Nmp {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage::Nmp;

namespace {

const char *SwitchPolicyText(int policy) {
  switch (policy) {
  case RoundRobinPathSelectionPolicyDeviceConfig::SWITCH_DEFAULT:
    return "Default";
  case RoundRobinPathSelectionPolicyDeviceConfig::SWITCH_BYTES:
    return "Bytes";
  case RoundRobinPathSelectionPolicyDeviceConfig::SWITCH_IOPS:
    return "Iops";
  case RoundRobinPathSelectionPolicyDeviceConfig::SWITCH_LATENCY:
    return "Latency";
  default:
    return "Unknown";
  }
}

// Takes the round-robin configuration out of a PSP configuration; null when
// the PSP is another.
std::unique_ptr<RoundRobinPathSelectionPolicyDeviceConfig>
AsRoundRobin(std::unique_ptr<PathSelectionPolicyDeviceConfig> config) {
  if (!dynamic_cast<RoundRobinPathSelectionPolicyDeviceConfig *>(config.get()))
    return nullptr;
  return std::unique_ptr<RoundRobinPathSelectionPolicyDeviceConfig>(
      static_cast<RoundRobinPathSelectionPolicyDeviceConfig *>(config.release()));
}

} // namespace

// --- psp list ---

PspList::PspList() {
  SetDescription(
      "List the Path Selection Plugins (PSP) that are currently loaded into the NMP system and display "
      "information about those PSPs");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:PathSelectionPolicy", "Name,Description");
}

Frame::InputSpecPtr PspList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr PspList::GetOutputStructure() const {
  return Frame::NewTemplate("PathSelectionPolicy",
                            {{"Name", FieldType::String}, {"Description", FieldType::String}});
}

void PspList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    OlkCtl::Storage::Nmp::NmpPsaPluginImpl nmp;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &psp : nmp.GetPathSelectionPolicies()) {
      auto row = GetOutputStructure();
      row->SetField("Name", psp->GetName());
      row->SetField("Description", psp->GetDescription());
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list PSPs: ", e);
  }
}

// --- psp generic deviceconfig get ---

PspGetConfig::PspGetConfig() {
  SetDescription("Allow retrieving of per device PSP configuration parameters.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr PspGetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to get PSP configuration for.");
  return spec;
}

void PspGetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  std::string result;
  try {
    if (auto config = FindNmpDevice(name, output))
      if (auto pspConfig = config->GetPathSelectionPolicyDeviceConfig())
        result = pspConfig->GetConfigString();
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get PSP configuration: ", e);
  }
  output->SetRootObject(Frame::MetaString::New(result));
}

// --- psp generic deviceconfig set ---

PspSetConfig::PspSetConfig() {
  SetDescription("Allow setting of per device PSP configuration parameters.  This command will set the "
                 "configuration for the given device with whichever PSP it is currently configurated with.");
}

Frame::InputSpecPtr PspSetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to set PSP configuration for.");
  Frame::AddParam(spec, "config", "c", ParameterType::String, Frame::Required,
                  "The configuration string you wish to set.");
  Frame::AddParam(spec, "cfgfile", "g", ParameterType::Flag, Frame::Optional, kCfgFileText);
  return spec;
}

void PspSetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const std::string text = input->GetParameter("config");
  const bool cfgFile = input->IsFlagSet("cfgfile");
  try {
    std::unique_ptr<NmpDeviceConfig> config;
    if (name.empty()) {
      output->AddErrorMessage("Must specify --device.");
    } else if (!OlkCtl::Storage::LunImpl::GetLun(name, false)) {
      output->AddErrorMessage("Unable to find device with the name " + name);
    } else if (cfgFile) {
      config = OlkCtl::Storage::Nmp::NmpDeviceConfigImpl::New(name);
      config->SetUpdateConfigFile(true);
    } else if (!(config = NmpDeviceConfigOf(name))) {
      output->AddErrorMessage(NotNmpText(name));
    }
    if (config)
      if (auto pspConfig = config->GetPathSelectionPolicyDeviceConfig())
        pspConfig->SetConfigString(text);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set PSP configuration: ", e);
  }
}

// --- psp generic pathconfig get ---

PspGetPathConfig::PspGetPathConfig() {
  SetDescription("Allow retrieving of per path PSP configuration parameters.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr PspGetPathConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "The path you wish to get PSP configuration for.");
  return spec;
}

void PspGetPathConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("path");
  std::string result;
  try {
    if (auto config = FindNmpPath(name, output))
      result = config->GetPathSelectionPolicyConfigString();
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get PSP configuration: ", e);
  }
  output->SetRootObject(Frame::MetaString::New(result));
}

// --- psp generic pathconfig set ---

PspSetPathConfig::PspSetPathConfig() {
  SetDescription("Allow setting of per path PSP configuration parameters.  This command will set the "
                 "configuration for the given path with whichever PSP it is currently configurated with.");
}

Frame::InputSpecPtr PspSetPathConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "The path you wish to set PSP configuration for.");
  Frame::AddParam(spec, "config", "c", ParameterType::String, Frame::Required,
                  "The configuration string you wish to set.");
  Frame::AddParam(spec, "cfgfile", "g", ParameterType::Flag, Frame::Optional, kCfgFileText);
  return spec;
}

void PspSetPathConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("path");
  const std::string text = input->GetParameter("config");
  const bool cfgFile = input->IsFlagSet("cfgfile");
  try {
    std::unique_ptr<NmpScsiPathConfig> config;
    if (name.empty()) {
      output->AddErrorMessage("Must specify --path.");
    } else if (!OlkCtl::Storage::ScsiPathImpl::GetPath(name)) {
      output->AddErrorMessage("Unable to find path with the name " + name);
    } else if (cfgFile) {
      config = OlkCtl::Storage::Nmp::NmpScsiPathConfigImpl::New(name);
      config->SetUpdateConfigFile(true);
    } else if (!(config = NmpPathConfigOf(name))) {
      output->AddErrorMessage("Path " + name + " is not claimed by NMP");
    }
    if (config)
      config->SetPathSelectionPolicyConfigString(text);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set PSP configuration: ", e);
  }
}

// --- psp roundrobin deviceconfig get ---

RoundRobinGetConfig::RoundRobinGetConfig() {
  SetDescription("Allow retrieving of Round Robin Path Selection Policy settings for a given device.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("units:RoundRobinDeviceConfiguration.Latency Evaluation Interval",
                            "milliseconds");
}

Frame::InputSpecPtr RoundRobinGetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to get the Round Robin properties for.");
  return spec;
}

Frame::MetaStructPtr RoundRobinGetConfig::GetOutputStructure() const {
  return Frame::NewTemplate("RoundRobinDeviceConfiguration",
                            {{"Device", FieldType::String},
                             {"Limit Type", FieldType::String},
                             {"I/O Operation Limit", FieldType::Int},
                             {"Byte Limit", FieldType::Int},
                             {"Use Active Unoptimized Paths", FieldType::Bool},
                             {"Number Of Sampling IOs Per Path", FieldType::Int},
                             {"Latency Evaluation Interval", FieldType::Int}});
}

void RoundRobinGetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  auto result = GetOutputStructure();
  try {
    std::unique_ptr<RoundRobinPathSelectionPolicyDeviceConfig> rr;
    auto config = FindNmpDevice(name, output);
    if (!config) {
      // the look-up said why
    } else if (!(rr = AsRoundRobin(config->GetPathSelectionPolicyDeviceConfig()))) {
      output->AddErrorMessage("Device " + name + " Does not use the Round Robin path selection policy.");
    } else {
      const int policy = rr->GetPathSwitchPolicy();
      const bool latency = policy == RoundRobinPathSelectionPolicyDeviceConfig::SWITCH_LATENCY;
      result->SetField("Device", name);
      result->SetField("Limit Type", SwitchPolicyText(policy));
      result->SetField("I/O Operation Limit", Frame::MetaInt::New(int64_t{rr->GetPathSwitchIOsLimit()}));
      result->SetField("Byte Limit", Frame::MetaInt::New(int64_t{rr->GetPathSwitchByteLimit()}));
      result->SetField("Use Active Unoptimized Paths", rr->GetUseANOPaths());
      result->SetField("Number Of Sampling IOs Per Path",
                       Frame::MetaInt::New(latency ? int64_t{rr->GetPathNumSamplingCycles()} : 0));
      result->SetField("Latency Evaluation Interval",
                       Frame::MetaInt::New(latency ? int64_t{rr->GetPathLatencyEvalTime()} : 0));
    }
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get Round Robin configuration: ", e);
  }
  output->SetRootObject(result);
}

// --- psp roundrobin deviceconfig set ---

RoundRobinSetConfig::RoundRobinSetConfig() {
  SetDescription(
      "Allow setting of the Round Robin path options on a given device controlled by the Round Robin "
      "Selection Policy.");
}

Frame::InputSpecPtr RoundRobinSetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Required,
      "The device you wish to set the Round Robin settings for. This device must be controlled by the "
      "Round Robin Path Selection Policy(except when -g is specified)");
  // One constraint object serves both limits.
  auto limit = Frame::IntRange(1, 2147483647);
  // verbatim: two blanks before "value"
  Frame::AddParam(
      spec, "bytes", "B", ParameterType::Integer, Frame::Optional,
      "When the --type option is set to 'bytes' this is the  value that will be assigned to the byte "
      "limit value for this device.",
      limit);
  Frame::AddParam(
      spec, "iops", "I", ParameterType::Integer, Frame::Optional,
      "When the --type option is set to 'iops' this is the  value that will be assigned to the I/O "
      "operation limit value for this device.",
      limit);
  Frame::AddParam(
      spec, "num-sampling-cycles", "S", ParameterType::Integer, Frame::Optional,
      "When the --type option is set to 'latency' this value will control how many sample IOs should "
      "be issued on each path to calculate latency of the path.",
      Frame::IntRange(16, 2147483647));
  Frame::AddParam(
      spec, "latency-eval-time", "T", ParameterType::Integer, Frame::Optional,
      "When the --type option is set to 'latency' this value can control at what interval (in ms) the "
      "latency of paths should be evaluated.",
      Frame::IntRange(30000, 2147483647));
  Frame::AddParam(
      spec, "type", "t", ParameterType::String, Frame::Optional,
      "Set the type of the Round Robin path switching that should be enabled for this device. Valid values for "
      "type are: %FULLENUM%",
      Frame::StringEnum(
          {{"bytes", "Set the trigger for path switching based on the number of bytes sent down a path."},
           {"iops", "Set the trigger for path switching based on the number of I/O operations on a path."},
           {"default", "Set the trigger for path switching back to default values."},
           {"latency", "Set the trigger for path switching based on latency and pending IOs on path."}}));
  // verbatim: missing blanks after the commas and in "non-optimizedpaths"
  Frame::AddParam(
      spec, "useano", "U", ParameterType::Boolean, Frame::Optional,
      "Set useano to true,to also include non-optimizedpaths in the set of active paths used to issue "
      "I/Os on this device,otherwise set it to false");
  Frame::AddParam(spec, "cfgfile", "g", ParameterType::Flag, Frame::Optional, kCfgFileText);
  return spec;
}

void RoundRobinSetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const bool hasType = input->HasParameter("type");
  const std::string type = input->GetParameter("type");
  const bool hasBytes = input->HasParameter("bytes");
  const bool hasIops = input->HasParameter("iops");
  const bool hasUseAno = input->HasParameter("useano");
  const bool hasEvalTime = input->HasParameter("latency-eval-time");
  const bool hasSampling = input->HasParameter("num-sampling-cycles");
  const bool cfgFile = input->IsFlagSet("cfgfile");

  if (!hasType && !hasUseAno)
    output->AddErrorMessage("Either --type and/or --useano must be specified");
  if (hasType) {
    if (type == "bytes" && hasIops && !hasBytes)
      output->AddErrorMessage("Invalid option for --type bytes.");
    if (type == "iops" && hasBytes && !hasIops)
      output->AddErrorMessage("Invalid option for --type iops.");
    if (type == "default" && (hasIops || hasBytes))
      output->AddErrorMessage("Invalid option for --type default.");
    if (type != "bytes" && type != "iops" && type != "default" && type != "latency")
      output->AddErrorMessage("Unknown --type value : " + type);
    if (type != "latency" && (hasEvalTime || hasSampling))
      output->AddErrorMessage(
          "Cannot set --latency-eval-time or --num-sampling-cycles without --type=latency");
    if (type == "latency" && (hasIops || hasBytes))
      output->AddErrorMessage("Invalid option for --type latency.");
  }
  if (output->HasError())
    return;

  try {
    if (!OlkCtl::Storage::LunImpl::GetLun(name, false)) {
      output->AddErrorMessage("Unknown device " + name);
      return;
    }
    std::unique_ptr<RoundRobinPathSelectionPolicyDeviceConfig> rr;
    auto config = NmpDeviceConfigOf(name);
    if (!config) {
      output->AddErrorMessage(NotNmpText(name));
    } else if (cfgFile) {
      rr = OlkCtl::Storage::Nmp::RoundRobinPathSelectionPolicyDeviceConfigImpl::New(name);
      rr->SetUpdateConfigFile(true);
    } else if (!(rr = AsRoundRobin(config->GetPathSelectionPolicyDeviceConfig()))) {
      output->AddErrorMessage("Device " + name + " does not use the Round Robin Path Selection Policy.");
    }
    if (!output->HasError()) {
      // An absent limit reaches the host as the framework's absent value.
      if (type == "bytes")
        rr->SetPathSwitchByteLimit(static_cast<uint32_t>(input->GetParameterInt("bytes")));
      else if (type == "iops")
        rr->SetPathSwitchIOsLimit(static_cast<uint32_t>(input->GetParameterInt("iops")));
      else if (type == "default")
        rr->SetDefaultValues();
      else if (type == "latency") {
        rr->SetPathSwitchLatencyBasedPolicy();
        if (hasEvalTime)
          rr->SetPathLatencyEvalTime(static_cast<uint32_t>(input->GetParameterInt("latency-eval-time")));
        if (hasSampling)
          rr->SetPathNumSamplingCycles(static_cast<uint32_t>(input->GetParameterInt("num-sampling-cycles")));
      }
      if (hasUseAno)
        rr->SetUseANOPaths(input->GetParameterBool("useano"));
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set Round Robin path policy parameters: ", e);
  }
}

} // namespace TarvexCli::Nmp
