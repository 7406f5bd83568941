#include "core/DeviceSmartCommands.h"

#include "frame/Params.h"

#include <olkctl/storage/LunImpl.h>

#include <clikit/AutoCli.h>

#include <hostctl/Exception.h>
#include <hostctl/Util.h>
#include <hostctl/storage/SmartParameters.h>

#include <array>
#include <string>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::SmartEntry;
using HostCtl::Storage::SmartParameters;

namespace {

// Parameter names by SMART entry index. Entry 0 (health) has a row of its
// own; entry 7 is never shown and entry 9 only stands in for entry 8.
constexpr std::array<const char *, SmartParameters::NUM_ENTRIES> kSmartParameterNames = {
    "Health Status",
    "Media Wearout Indicator",
    "Write Error Count",
    "Read Error Count",
    "Power-on Hours",
    "Power Cycle Count",
    "Reallocated Sector Count",
    nullptr,
    "Drive Temperature",
    nullptr,
    "Write Sectors TOT Count",
    "Read Sectors TOT Count",
    "Initial Bad Block Count",
    "Program Fail Count",
    "Erase Fail Count",
    "Uncorrectable Error Count",
    "Sector Reallocation Event Count",
    "Pending Sector Reallocation Count",
    "Uncorrectable Sector Count",
};
constexpr std::size_t kTemperature = 8;
constexpr std::size_t kTemperatureStandIn = 9;

const char *HealthText(int64_t code) {
  switch (code) {
  case SmartParameters::HEALTH_OK:
    return "OK";
  case SmartParameters::HEALTH_WARNING:
    return "WARNING";
  case SmartParameters::HEALTH_IMPENDING_FAILURE:
    return "IMPENDING FAILURE";
  default:
    return "UNKNOWN";
  }
}

// A word as the row shows it: "%ld" when its flag is set, else "N/A".
std::string Word(const SmartEntry &entry, uint64_t flag, int64_t word) {
  return (entry.flags & flag) ? std::to_string(word) : "N/A";
}

} // namespace

// --- smart get ---

DeviceSmartGet::DeviceSmartGet() {
  SetDescription("List Smart device parameters.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:SmartDevice", "Parameter,Value,Threshold,Worst,Raw");
}

Frame::InputSpecPtr DeviceSmartGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device-name", "d", ParameterType::String, Frame::Required, "The Smart device name");
  return spec;
}

Frame::MetaStructPtr DeviceSmartGet::GetOutputStructure() const {
  return Frame::NewTemplate("SmartDevice", {{"Parameter", FieldType::String},
                                            {"Value", FieldType::String},
                                            {"Threshold", FieldType::String},
                                            {"Worst", FieldType::String},
                                            {"Raw", FieldType::String}});
}

void DeviceSmartGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    auto device = OlkCtl::Storage::LunImpl::GetLun(input->GetParameter("device-name"), false);
    if (!device)
      throw HostCtlException("Unable to find the device");
    SmartParameters parameters;
    device->GetSmartParameters(parameters);

    const SmartEntry &health = parameters.entries[0];
    if (health.flags & SmartEntry::VALUE_VALID) {
      auto row = GetOutputStructure();
      row->SetField("Parameter", kSmartParameterNames[0]);
      row->SetField("Value", HealthText(health.value));
      row->SetField("Threshold", "N/A");
      row->SetField("Worst", "N/A");
      row->SetField("Raw", "N/A");
      result->Add(row);
    }

    // A row needs a valid value, worst or threshold; a raw word alone is not shown.
    const uint64_t shown = SmartEntry::VALUE_VALID | SmartEntry::WORST_VALID | SmartEntry::THRESHOLD_VALID;
    for (std::size_t index = 1; index < parameters.entries.size(); ++index) {
      const SmartEntry &entry = parameters.entries[index];
      if (!kSmartParameterNames[index] || !(entry.flags & shown))
        continue;
      int64_t value = entry.value;
      if (index == kTemperature && (entry.flags & SmartEntry::VALUE_VALID) && value == 0)
        value = parameters.entries[kTemperatureStandIn].value;
      auto row = GetOutputStructure();
      row->SetField("Parameter", kSmartParameterNames[index]);
      row->SetField("Value", Word(entry, SmartEntry::VALUE_VALID, value));
      row->SetField("Threshold", Word(entry, SmartEntry::THRESHOLD_VALID, entry.threshold));
      row->SetField("Worst", Word(entry, SmartEntry::WORST_VALID, entry.worst));
      row->SetField("Raw", Word(entry, SmartEntry::RAW_VALID, entry.raw));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting Smart Parameters: ", e);
  }
}

// --- smart status get ---

DeviceSmartStatusGet::DeviceSmartStatusGet() {
  SetDescription("Get status of SMART stats on a device.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr DeviceSmartStatusGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device-name", "d", ParameterType::String, Frame::Required, "The SMART device name.");
  return spec;
}

void DeviceSmartStatusGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device-name");
  try {
    auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
    if (!device) {
      output->AddErrorMessage("Unable to find device with name " + name);
      return;
    }
    output->SetRootObject(Frame::MetaString::New(device->IsSmartStatsEnabled()
                                                     ? "SMART stats gathering enabled."
                                                     : "SMART stats gathering not enabled."));
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "", e);
  }
}

// --- smart status set ---

DeviceSmartStatusSet::DeviceSmartStatusSet() {
  SetDescription("Enable or disable SMART stats gathering on a device.");
}

Frame::InputSpecPtr DeviceSmartStatusSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device-name", "d", ParameterType::String, Frame::Required, "The SMART device name.");
  Frame::AddParam(spec, "enabled", "e", ParameterType::Boolean, Frame::Required,
                  "Enable or disable SMART stats gathering.");
  return spec;
}

void DeviceSmartStatusSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device-name");
  const bool enabled = input->GetParameterBool("enabled");
  try {
    auto device = OlkCtl::Storage::LunImpl::GetLun(name, false);
    if (!device) {
      output->AddErrorMessage("Unable to find device with name " + name);
      return;
    }
    device->SetSmartStatsEnabled(enabled);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: the blank before the colon
    Frame::AddHostError(output, "Error setting SMART status : ", e);
  }
}

// --- smart daemon start ---

SmartDaemonStart::SmartDaemonStart() {
  SetDescription("Enable smartd.");
}

Frame::InputSpecPtr SmartDaemonStart::GetInputSpecInternal() {
  return InputSpec::New();
}

void SmartDaemonStart::ExecuteInternal(const Frame::InputPtr & /*input*/, const Frame::OutputPtr &output) {
  // Only the script's status counts, not what it prints.
  std::string scriptOutput;
  if (AutoCli_ShellCmd("/etc/init.d/smartd start", scriptOutput, "") != 0) {
    output->AddErrorMessage("Could not start smartd.");
    return;
  }
  output->SetRootObject(Frame::MetaBool::New());
}

// --- smart daemon stop ---

SmartDaemonStop::SmartDaemonStop() {
  SetDescription("Disable smartd.");
}

Frame::InputSpecPtr SmartDaemonStop::GetInputSpecInternal() {
  return InputSpec::New();
}

void SmartDaemonStop::ExecuteInternal(const Frame::InputPtr & /*input*/, const Frame::OutputPtr &output) {
  std::string scriptOutput;
  if (AutoCli_ShellCmd("/etc/init.d/smartd stop", scriptOutput, "") != 0) {
    output->AddErrorMessage("Could not stop smartd.");
    return;
  }
  output->SetRootObject(Frame::MetaBool::New());
}

// --- smart daemon status get ---

SmartDaemonStatusGet::SmartDaemonStatusGet() {
  SetDescription("Get status of smartd.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr SmartDaemonStatusGet::GetInputSpecInternal() {
  return InputSpec::New();
}

void SmartDaemonStatusGet::ExecuteInternal(const Frame::InputPtr & /*input*/,
                                           const Frame::OutputPtr &output) {
  try {
    const bool running = !HostCtl::Util::FindCartels("smartd", false).empty();
    output->SetRootObject(Frame::MetaString::New(running ? "Smartd is running." : "Smartd is not running."));
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "", e);
  }
}

} // namespace TarvexCli::Storage
