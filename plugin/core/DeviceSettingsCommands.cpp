#include "core/DeviceSettingsCommands.h"

#include "core/DeviceData.h"
#include "frame/Params.h"

#include <hostctl/Adv.h>
#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/storage/LunImpl.h>

#include <string>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::Lun;
using OlkCtl::Storage::LunImpl;

namespace {

// A string parameter, empty when absent.
std::string Optional(const Frame::InputPtr &input, const char *name) {
  return input->HasParameter(name) ? input->GetParameter(name) : std::string();
}

} // namespace

// --- device set ---

DeviceSet::DeviceSet() {
  SetDescription("Modify the state of a storage device.");
}

Frame::InputSpecPtr DeviceSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device upon which to operate. This can be any of the UIDs that a device reports.");
  Frame::AddParam(spec, "name", "n", ParameterType::String, Frame::Optional,
                  "The new name to assign the given device.");
  Frame::AddParam(spec, "default-name", "D", ParameterType::Flag, Frame::Optional,
                  "Set the default display name for the device. If there is an existing user defined name it "
                  "will be changed.");
  Frame::AddParam(spec, "state", "", ParameterType::String, Frame::Optional,
                  "Set the storage device state for the specific device given. Valid values are: %FULLENUM%",
                  Frame::StringEnum(
                      {{"on", "Set the device's state to ON."}, {"off", "Set the device's state to OFF."}}));
  Frame::AddParam(spec, "no-persist", "N", ParameterType::Flag, Frame::Optional,
                  "Set device state non-persistently; state is lost after reboot.");
  // verbatim: no blank after "threshold,"
  Frame::AddParam(
      spec, "queue-full-threshold", "q", ParameterType::Integer, Frame::Optional,
      "Set device's queue full threshold. BUSY or QFULL threshold,upon which LUN queue depth will be "
      "throttled. Should be <= queue-full-sample-size if throttling is enabled.");
  Frame::AddParam(
      spec, "queue-full-sample-size", "s", ParameterType::Integer, Frame::Optional,
      "Set device's queue full sample size. IO samples to monitor for detecting non-transient queue "
      "full condition. Should be non zero to enable queue depth throttling.");
  Frame::AddParam(spec, "max-queue-depth", "m", ParameterType::Integer, Frame::Optional,
                  "Set device's max queue depth.");
  Frame::AddParam(spec, "sched-num-req-outstanding", "O", ParameterType::Integer, Frame::Optional,
                  "Set number of outstanding IOs with competing worlds.");
  Frame::AddParam(spec, "force", "f", ParameterType::Flag, Frame::Optional,
                  "Force the device state to be set.");
  Frame::AddParam(
      spec, "led-state", "l", ParameterType::String, Frame::Optional,
      "Set the disk LED state. Valid values are: %FULLENUM%",
      Frame::StringEnum(
          {{"locator", "Turn on locator LED."}, {"error", "Turn on error LED."}, {"off", "Turn off LED."}}));
  Frame::AddParam(
      spec, "led-duration", "L", ParameterType::Integer, Frame::Optional,
      "Set the duration of LED in seconds. If not specified, use maximum duration that hardware can "
      "support.");
  Frame::AddParam(spec, "write-cache-enabled", "w", ParameterType::Boolean, Frame::Optional,
                  "Set device's write cache state.");
  // verbatim: no blank after "enabled."
  Frame::AddParam(
      spec, "data-integrity-enabled", "I", ParameterType::Boolean, Frame::Optional,
      "Enable / Disable device data integrity 0 -> Protection disabled 1 -> Protection enabled.Please "
      "refer to Orlo release notes for more Information");
  return spec;
}

void DeviceSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string deviceArg = input->GetParameter("device");
  const bool hasName = input->HasParameter("name");
  const bool hasState = input->HasParameter("state");
  const bool hasThreshold = input->HasParameter("queue-full-threshold");
  const bool hasSampleSize = input->HasParameter("queue-full-sample-size");
  const bool hasOutstanding = input->HasParameter("sched-num-req-outstanding");
  const bool hasDataIntegrity = input->HasParameter("data-integrity-enabled");
  const bool defaultName = input->IsFlagSet("default-name");
  const bool hasLed = input->HasParameter("led-state");
  const bool hasWriteCache = input->HasParameter("write-cache-enabled");
  const bool hasMaxQueueDepth = input->HasParameter("max-queue-depth");

  if (!hasName && !hasState && !hasThreshold && !hasSampleSize && !hasOutstanding && !hasDataIntegrity &&
      !defaultName && !hasLed && !hasWriteCache && !hasMaxQueueDepth) {
    output->AddErrorMessage(
        "One of --name, --state, --queue-full-threshold, --queue-full-sample-size, "
        "--sched-num-req-outstanding, --data-integrity-enabled, --default-name, --led-state, "
        "--write-cache-enabled, --max-queue-depth must be specified.");
    return;
  }
  if (input->IsFlagSet("no-persist") && !hasState) {
    output->AddErrorMessage("--no-persist flag requires that --state be specified.");
    return;
  }
  if (hasThreshold != hasSampleSize) {
    output->AddErrorMessage("Both --queue-full-threshold and --queue-full-sample-size must be specified.");
    return;
  }
  if (hasName && defaultName) {
    output->AddErrorMessage("Both --name and --default-name cannot be set together.");
    return;
  }
  if (input->HasParameter("led-duration") && !hasLed) {
    output->AddErrorMessage("--led-duration requires that --led-state be specified.");
    return;
  }

  // Names the setting being applied in a host failure's message.
  const char *setting = "set";
  bool failed = false; // an error message was added: no write cache, no result
  std::string identifier;
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    auto device = storage->GetLun(deviceArg, false);
    if (!device) {
      output->AddErrorMessage("Unable to find device with name " + deviceArg);
      return;
    }
    identifier = device->GetName();

    if (hasName) {
      setting = "name";
      device->SetDisplayName(input->GetParameter("name"), true);
    }
    if (defaultName) {
      setting = "default name";
      device->ResetDisplayName();
    }
    if (hasState) {
      setting = "status";
      const std::string state = input->GetParameter("state");
      if (state == "off" && !input->IsFlagSet("force") && storage->IsOlfsVolumeMountedOnLun(identifier))
        throw HostCtlException("Olfs volume mounted on device with name " + deviceArg);
      device->SetState(LunImpl::LunStatusStringToLunStatus(state), !input->IsFlagSet("no-persist"));
    }
    if (hasThreshold) {
      setting = "queue-full-threshold or queue-full-sample-size";
      if (device->GetState() == Lun::STATE_OFF) {
        output->AddErrorMessage("Cannot set queue-full-threshold or queue-full-sample-size for " + deviceArg +
                                " when the device status is 'off'");
        failed = true;
      } else if (device->IsNvme()) {
        output->AddErrorMessage(
            "Cannot set queue-full-threshold or queue-full-sample-size for NVMe device: " + deviceArg);
        failed = true;
      } else {
        device->SetQueueFullThrottling(static_cast<int>(input->GetParameterInt("queue-full-threshold")),
                                       static_cast<int>(input->GetParameterInt("queue-full-sample-size")));
      }
    }
    if (hasMaxQueueDepth) {
      setting = "max-queue-depth or current-queue-depth";
      device->SetMaxQueueDepth(static_cast<int>(input->GetParameterInt("max-queue-depth")));
    }
    if (hasOutstanding) {
      setting = "sched-num-req-outstanding";
      device->SetNumReqsOutstandingCompetingWorlds(
          static_cast<int>(input->GetParameterInt("sched-num-req-outstanding")));
    }
    if (hasDataIntegrity) {
      setting = "data-integrity-enabled";
      device->SetDataIntegrity(input->GetParameterBool("data-integrity-enabled"));
    }
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, std::string("Unable to set device's ") + setting + ". Error was: ", e);
    return;
  }

  // The LED and the write cache look the device up again by its identifier;
  // an LED failure does not end the command.
  if (hasLed) {
    try {
      auto device = LunImpl::GetLun(identifier, false);
      if (!device)
        throw HostCtlException("Cannot find Lun for device " + identifier);
      const std::string led = input->GetParameter("led-state");
      const int mode = led == "locator" ? Lun::LED_LOCATOR : led == "error" ? Lun::LED_ERROR : Lun::LED_OFF;
      const int duration =
          input->HasParameter("led-duration") ? static_cast<int>(input->GetParameterInt("led-duration")) : 0;
      device->SetLed(mode, duration);
    } catch (const HostCtlException &e) {
      Frame::AddHostError(output, "Unable to set LED state for device " + identifier + ": ", e);
      failed = true;
    }
  }
  if (failed)
    return;
  if (hasWriteCache) {
    try {
      auto device = LunImpl::GetLun(identifier, false);
      if (!device)
        throw HostCtlException("Cannot find LUN for device " + identifier);
      if (input->GetParameterBool("write-cache-enabled"))
        device->EnableWriteCache();
      else
        device->DisableWriteCache();
    } catch (const HostCtlException &e) {
      Frame::AddHostError(output, "Unable to set write cache for device " + identifier + ": ", e);
      return;
    }
  }
  Frame::SetTrueResult(output);
}

// --- device setconfig ---

DeviceSetConfig::DeviceSetConfig() {
  SetDescription("Set device configuration");
}

Frame::InputSpecPtr DeviceSetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device upon which to operate. This can be any of the UIDs that a device reports.");
  Frame::AddParam(spec, "detached", "", ParameterType::Boolean, Frame::Optional, "Mark device as detached.");
  Frame::AddParam(spec, "shared-clusterwide", "", ParameterType::Boolean, Frame::Optional,
                  "Mark device as not shared clusterwide.");
  Frame::AddParam(spec, "perennially-reserved", "", ParameterType::Boolean, Frame::Optional,
                  "Mark device as perennially reserved.");
  spec->AddExample("-d naa.1234 --detached=true", "Mark device naa.1234 as persistently detached");
  spec->AddExample(
      "-d naa.1234 --perennially-reserved=true",
      "Mark device naa.1234 as perennially reserved. This is used in cluster environments to stop "
      "retrying IOs to quorum disks which are perennially reserved by another host, thereby speeding "
      "up boot times for Orlo hosts that share the disk");
  // verbatim: double blank
  spec->AddExample(
      "-d naa.1234 --shared-clusterwide=false",
      "Mark device naa.1234 as not shared clusterwide.  This is used in cluster environments using "
      "storage host profiles to mark devices not detected as local as \"virtually\" local");
  return spec;
}

void DeviceSetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool hasDetached = input->HasParameter("detached");
  const bool hasReserved = input->HasParameter("perennially-reserved");
  const bool hasShared = input->HasParameter("shared-clusterwide");
  if (!hasDetached && !hasReserved && !hasShared) {
    // verbatim: ends in ": "
    output->AddErrorMessage(
        "One or more of --detached or --perennially-reserved or --shared-clusterwide must be specified: ");
    return;
  }
  try {
    LunImpl device(input->GetParameter("device"), false);
    if (hasDetached)
      device.SetDetached(input->GetParameterBool("detached"));
    if (hasReserved)
      device.SetPerenniallyReserved(input->GetParameterBool("perennially-reserved"));
    if (hasShared) {
      const bool shared = input->GetParameterBool("shared-clusterwide");
      if (device.IsLocal() && shared) {
        output->AddErrorMessage("Cannot set --shared-clusterwide=true for a local device");
        return;
      }
      // A local device is never shared: false asks for what it already is.
      if (!device.IsLocal())
        device.SetNotShared(!shared);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Device configuration failed: ", e);
  }
}

// --- device purge ---

DevicePurge::DevicePurge() {
  SetDescription("Removes storage devices which have not been seen in some time interval.");
}

Frame::InputSpecPtr DevicePurge::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "interval", "i", ParameterType::Integer, Frame::Optional,
      "Timeout interval (in days) for storage device removal. If a storage device has not been seen "
      "for the specified number of days, it will be removed. If not specified, the advanced setting "
      "'/Scsi/LunCleanupInterval' will be used (see orlocli system settings advanced list and orlocli "
      "system settings advanced set).");
  Frame::AddParam(spec, "force", "f", ParameterType::Flag, Frame::Optional,
                  "Purge the LUNs that are not in active state.");
  return spec;
}

void DevicePurge::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    auto host = HostCtl::HostFactory::GetHost();
    auto storage = host->GetStorageInfo();
    if (input->IsFlagSet("force")) {
      storage->PurgeInactiveLuns();
      Frame::SetTrueResult(output);
      return;
    }
    int64_t days = 0;
    if (input->HasParameter("interval")) {
      days = input->GetParameterInt("interval");
    } else {
      auto option = host->GetAdvancedOptions()->GetOption("Scsi", "LunCleanupInterval");
      const auto *interval = dynamic_cast<const HostCtl::Adv::AdvancedIntegerOption *>(option.get());
      if (!interval)
        throw HostCtlException("Option /Scsi/LunCleanupInterval does not exist");
      days = interval->GetValue();
    }
    // Refreshes the host's device list so that "last seen" is current.
    storage->GetLuns(false, true);
    storage->PurgeLunsNotSeen(days);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to purge stale LUN entries: ", e);
  }
}

// --- device inquirycache list ---

DeviceInquiryCacheList::DeviceInquiryCacheList() {
  SetDescription("List inquiry cache information for the known storage devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDeviceInquiryCacheList", "Device,Ignore");
}

Frame::InputSpecPtr DeviceInquiryCacheList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Limit the output to a specific device.");
  return spec;
}

Frame::MetaStructPtr DeviceInquiryCacheList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDeviceInquiryCacheList",
                            {{"Device", FieldType::String}, {"Ignore", FieldType::Bool}});
}

void DeviceInquiryCacheList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    LunVector devices;
    if (!input->HasParameter("device")) {
      devices = storage->GetLuns(false, false);
    } else {
      const std::string name = input->GetParameter("device");
      auto device = storage->GetLun(name, true);
      if (!device) {
        output->AddErrorMessage("Unable to find device " + name);
        return;
      }
      devices.push_back(std::move(device));
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      row->SetField("Ignore", device->GetInquiryCacheIgnore());
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    // verbatim: "cacheinformation"
    Frame::AddHostError(output, "Unable to list device inquiry cacheinformation: ", e);
  }
}

// --- device inquirycache set ---

DeviceInquiryCacheSet::DeviceInquiryCacheSet() {
  SetDescription("Manipulate inquiry cache settings of storage devices.");
}

Frame::InputSpecPtr DeviceInquiryCacheSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "NAA ID of the device upon which to operate.");
  Frame::AddParam(spec, "ignore", "", ParameterType::Boolean, Frame::Required,
                  "Ignore device inquiry cache.");
  Frame::AddParam(spec, "apply-all", "", ParameterType::Flag, Frame::Optional,
                  "Operate on all existing devices.");
  spec->AddExample("--ignore true --device=mpx.olhba0",
                   "Ignore the inquiry cache for the device mpx.olhba0.");
  spec->AddExample("--ignore true --apply-all", "Ignore the inquiry cache for all the devices.");
  return spec;
}

void DeviceInquiryCacheSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = Optional(input, "device");
  if (name.empty() == !input->IsFlagSet("apply-all")) {
    output->AddErrorMessage("Exactly one of --device or --apply-all must be specified.");
    return;
  }
  const bool ignore = input->GetParameterBool("ignore");
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    LunVector devices;
    if (name.empty()) {
      devices = storage->GetLuns(false, false);
    } else {
      auto device = storage->GetLun(name, true);
      if (!device) {
        output->AddErrorMessage("Unable to find device " + name);
        return;
      }
      devices.push_back(std::move(device));
    }
    for (const auto &device : devices) {
      if (device->IsNvme()) {
        output->AddErrorMessage("This command is not supported by NVMe devices " + device->GetName());
        continue;
      }
      device->SetInquiryCacheIgnore(ignore);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set device inquiry cache state: ", e);
  }
}

// --- device latencythreshold list ---

DeviceLatencyThresholdList::DeviceLatencyThresholdList() {
  SetDescription("List latency sensitive threshold for the known storage devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDeviceLatencyThreshold", "Device,Latency Sensitive Threshold");
  SetDefaultOutputParameter("units:ScsiDeviceLatencyThreshold.Latency Sensitive Threshold", "milliseconds");
}

Frame::InputSpecPtr DeviceLatencyThresholdList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Limit the output to a specific device.");
  return spec;
}

Frame::MetaStructPtr DeviceLatencyThresholdList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDeviceLatencyThreshold",
                            {{"Device", FieldType::String}, {"Latency Sensitive Threshold", FieldType::Int}});
}

void DeviceLatencyThresholdList::ExecuteInternal(const Frame::InputPtr &input,
                                                 const Frame::OutputPtr &output) {
  try {
    LunVector devices;
    if (input->HasParameter("device")) {
      const std::string name = input->GetParameter("device");
      auto device = LunImpl::GetLun(name, false);
      if (!device) {
        output->AddErrorMessage("Unable to find device with name " + name);
        return;
      }
      devices.push_back(std::move(device));
    } else {
      devices = HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetLuns(false, false);
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &device : devices) {
      auto row = GetOutputStructure();
      row->SetField("Device", device->GetName());
      row->SetField("Latency Sensitive Threshold", device->GetLatencySensitiveThreshold());
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list latency sensitive threshold on device: ", e);
  }
}

// --- device latencythreshold set ---

DeviceLatencyThresholdSet::DeviceLatencyThresholdSet() {
  SetDescription(
      "Set latency sensitive threshold for devices. This option is applicable only for devices claimed by MPPs "
      "that support fastpath. The device(s) can be selected based on the mutually exclusive parameters device "
      "name, vendor/model, NVMe controller model (For NVMe devices), PCIe vendor ID/PCIe sub vendor ID. See the "
      "examples for more details.");
}

Frame::InputSpecPtr DeviceLatencyThresholdSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Select the device by its device name.");
  Frame::AddParam(spec, "vendor", "v", ParameterType::String, Frame::Optional,
                  "Select the devices based on vendor. Select by vendor prefix if the value ends with '*'. "
                  "--model can be specified along with this option.");
  Frame::AddParam(
      spec, "model", "m", ParameterType::String, Frame::Optional,
      "Select the devices based on model in addition to its vendor. Select by model prefix if the "
      "value ends with '*'. Only valid with option --vendor.");
  // verbatim: double blank
  Frame::AddParam(
      spec, "nvme-controller-model", "c", ParameterType::String, Frame::Optional,
      "Select the NVMe devices based on NVMe controller model. Select by NVMe controller model prefix "
      "if the value ends with '*'. Controller model for a NVMe device can be found in 'Model' field  "
      "under 'storage core device list' output.");
  Frame::AddParam(
      spec, "pci-vendor-id", "p", ParameterType::String, Frame::Optional,
      "Select the devices based on PCI vendor ID. This is a hexadecimal number without leading '0x'. "
      "--pci-sub-vendor-id can be specified with this option");
  Frame::AddParam(spec, "pci-sub-vendor-id", "s", ParameterType::String, Frame::Optional,
                  "Select the devices based on PCI sub vendor ID in addition to its PCI vendor ID. This is a "
                  "hexadecimal number without leading '0x'.");
  Frame::AddParam(spec, "latency-sensitive-threshold", "t", ParameterType::Integer, Frame::Required,
                  "Set device's latency sensitive threshold (in milliseconds). If IO latency exceeds the "
                  "threshold, new IOs will use the default IO scheduler.",
                  Frame::IntRange(0, 300000));
  spec->AddExample("-d 'device1' -t 10", "Set latency sensitive threshold for device 'device1'.");
  spec->AddExample("-v 'vendor1' -t 10",
                   "Set latency sensitive threshold for all the devices with vendor 'vendor1'.");
  // verbatim: "sensitivethreshold"
  spec->AddExample(
      "-v 'vendor1' -m 'model1' -t 10",
      "Set latency sensitivethreshold for all the devices with vendor 'vendor1' and model 'model1'.");
  spec->AddExample(
      "-c 'controller_model1' -t 10",
      "Set latency sensitive threshold for NVMe devices with controller model 'controller_model1'.");
  // verbatim: "as'abcontrol'"
  spec->AddExample(
      "-c 'abcontrol*' -t 10",
      "Set latency sensitive threshold for NVMe devices with controller model prefix as'abcontrol'.");
  spec->AddExample("-p '8086' -t 10",
                   "Set latency sensitive threshold for devices with 0x8086 as PCIe vendor id.");
  spec->AddExample("-p '8086' -s '8086' -t 10",
                   "Set latency sensitive threshold for devices with 0x8086 as PCIe "
                   "vendor id and 0x8086 as PCIe sub vendor id.");
  return spec;
}

void DeviceLatencyThresholdSet::ExecuteInternal(const Frame::InputPtr &input,
                                                const Frame::OutputPtr &output) {
  const int threshold = static_cast<int>(input->GetParameterInt("latency-sensitive-threshold"));
  const std::string device = Optional(input, "device");
  const std::string vendor = Optional(input, "vendor");
  const std::string model = Optional(input, "model");
  const std::string controllerModel = Optional(input, "nvme-controller-model");
  const std::string pciVendor = Optional(input, "pci-vendor-id");
  const std::string pciSubVendor = Optional(input, "pci-sub-vendor-id");

  const int selectors = !device.empty() + !vendor.empty() + !controllerModel.empty() + !pciVendor.empty();
  if (selectors != 1) {
    output->AddErrorMessage(
        "Exactly one of --device, --vendor, --nvme-controller-model or --pci-vendor-id must be specified.");
    return;
  }
  if (!model.empty() && vendor.empty()) {
    output->AddErrorMessage("--vendor needs to be specified with --model.");
    return;
  }
  if (!pciSubVendor.empty() && pciVendor.empty()) {
    output->AddErrorMessage("--pci-vendor-id needs to be specified with --pci-sub-vendor-id");
    return;
  }

  try {
    LunVector candidates;
    if (device.empty())
      candidates = HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetLuns(false, false);
    LunVector selected;
    bool ok = false;
    if (!device.empty())
      ok = GetDevicesByName(device, selected, output);
    else if (!vendor.empty())
      ok = GetDevicesByVendorAndModel(vendor, model, candidates, output, selected);
    else if (!controllerModel.empty())
      ok = GetDevicesByNvmeCtrlModel(controllerModel, candidates, output, selected);
    else
      ok = GetDevicesByPciVendor(pciVendor, pciSubVendor, candidates, output, selected);
    if (!ok)
      return;
    if (selected.empty()) {
      output->AddErrorMessage("No matching device(s) found.");
      return;
    }
    bool refused = false;
    for (const auto &lun : selected)
      if (!lun->SetLatencySensitiveThreshold(threshold))
        refused = true;
    if (refused)
      output->AddErrorMessage("This operation is applicable only for devices whose claiming MPP supports "
                              "fastpath. Failed to set latency sensitive threshold for some devices");
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set device's latency-sensitive-threshold. ", e);
  }
}

// --- device detached list ---

DetachedDeviceList::DetachedDeviceList() {
  SetDescription("Lists all devices that were detached manually by changing their state on the system.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiDetachedDeviceListMap", "Device UID,State");
}

Frame::InputSpecPtr DetachedDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Filter the output of the command to limit the output to a specific device.");
  return spec;
}

Frame::MetaStructPtr DetachedDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiDetachedDeviceListMap",
                            {{"Device UID", FieldType::String}, {"State", FieldType::String}});
}

void DetachedDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    auto entries = LunImpl::GetDetachedList();
    if (input->HasParameter("device")) {
      const std::string name = input->GetParameter("device");
      std::vector<std::pair<std::string, std::string>> match;
      for (const auto &entry : entries)
        if (entry.first == name) {
          match.push_back(entry);
          break;
        }
      if (match.empty()) {
        output->AddErrorMessage("Detached Device List does not contain device with the name " + name);
        return;
      }
      entries = std::move(match);
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &[uid, state] : entries) {
      auto row = GetOutputStructure();
      row->SetField("Device UID", uid);
      row->SetField("State", state);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    // verbatim: two blanks
    Frame::AddHostError(output, "Unable to list detached devices.  ", e);
  }
}

// --- device detached remove ---

DetachedDeviceRemove::DetachedDeviceRemove() {
  SetDescription("Provide control to allow a user to remove Detached devices from the persistent detached "
                 "device list.");
}

Frame::InputSpecPtr DetachedDeviceRemove::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Select the detached device to remove from the Detached Device List.");
  Frame::AddParam(spec, "all", "a", ParameterType::Flag, Frame::Optional,
                  "If set, all devices will be removed from the Detached Device List.");
  return spec;
}

void DetachedDeviceRemove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string device = Optional(input, "device");
  try {
    if (input->IsFlagSet("all")) {
      for (const auto &entry : LunImpl::GetDetachedList()) {
        try {
          LunImpl::RemoveDetachedEntry(entry.first);
        } catch (const HostCtlException &e) {
          Frame::AddHostError(output, "Unable to remove detached device " + entry.first + ": ", e);
        }
      }
      Frame::SetTrueResult(output);
    } else if (input->HasParameter("device")) {
      LunImpl::RemoveDetachedEntry(device);
      Frame::SetTrueResult(output);
    } else {
      output->AddErrorMessage("Must pass at least --device parameter or --all parameter");
    }
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to remove detached device entry " + device + " Error was: ", e);
  }
}

} // namespace TarvexCli::Storage
