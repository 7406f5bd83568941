#include "core/AdapterCommands.h"

#include "core/ScsiStatsFields.h"
#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ScsiInterface;
using HostCtl::Storage::ScsiStats;

namespace {

using AdapterVector = std::vector<std::unique_ptr<ScsiInterface>>;

// The capability fields, each with its mask bit.
constexpr std::array<std::pair<const char *, uint32_t>, 5> kCapabilityFields = {{
    {"Handles Second-Level-LUNs", ScsiInterface::CAP_SECOND_LEVEL_LUN},
    {"Supports Data Integrity", ScsiInterface::CAP_DATA_INTEGRITY},
    {"Provides Own Completion Worlds", ScsiInterface::CAP_OWN_COMPLETION_WORLDS},
    {"Handles Sense Data in Good and Error Conditions", ScsiInterface::CAP_SENSE_DATA_GOOD_AND_ERROR},
    {"Supports FPIN events", ScsiInterface::CAP_FPIN_EVENTS},
}};

template <std::size_t N, class T>
std::string JoinNames(const std::array<std::pair<const char *, T>, N> &fields) {
  std::string joined;
  for (const auto &field : fields) {
    if (!joined.empty())
      joined += ',';
    joined += field.first;
  }
  return joined;
}

// Builds a row for every adapter in host order (null entries skipped) and adds
// them all, or, with a name, only the first adapter of exactly that name.
// Returns whether such an adapter was found.
template <class MakeRow>
bool AddAdapterRows(const AdapterVector &adapters, const std::string &name, const Frame::MetaListPtr &result,
                    const MakeRow &makeRow) {
  for (const auto &adapter : adapters) {
    if (!adapter)
      continue;
    auto row = makeRow(*adapter);
    if (name.empty()) {
      result->Add(row);
    } else if (adapter->GetName() == name) {
      result->Add(row);
      return true;
    }
  }
  return false;
}

// The adapter of that name, or null; a failing look-up counts as not found.
std::unique_ptr<ScsiInterface> FindAdapterQuietly(HostCtl::Storage::StorageInfo &storage,
                                                  const std::string &name) {
  try {
    return storage.GetScsiInterface(name);
  } catch (const HostCtlException &) {
    return nullptr;
  }
}

} // namespace

// --- adapter list ---

AdapterList::AdapterList() {
  SetDescription("List all the Storage Host Bus Adapters on the system.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ScsiAdapter", "HBA Name,Driver,Link State,UID,Capabilities,Description");
}

Frame::InputSpecPtr AdapterList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  spec->AddExample("", "List all the Storage Host Bus Adapters on the system.");
  spec->AddExample("-a adapter1", "Show the details associated with adapter 'adapter1'.");
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Optional,
                  "Name of the adapter for which to fetch details.");
  return spec;
}

Frame::MetaStructPtr AdapterList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiAdapter", {{"HBA Name", FieldType::String},
                                            {"Link State", FieldType::String},
                                            {"Driver", FieldType::String},
                                            {"UID", FieldType::String},
                                            {"Capabilities", FieldType::StringList},
                                            {"Description", FieldType::String}});
}

void AdapterList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  auto result = Frame::NewRowList(GetOutputStructure());
  const std::string name = input->GetParameter("adapter");
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    AdapterVector adapters = storage.GetScsiInterfaces();
    result->Reserve(adapters.size());
    const bool found = AddAdapterRows(adapters, name, result, [&](const ScsiInterface &adapter) {
      auto row = GetOutputStructure();
      row->SetField("HBA Name", adapter.GetName());
      row->SetField("Link State", storage.GetLinkState(adapter));
      row->SetField("Driver", adapter.GetDriver());
      row->SetField("UID", adapter.GetUID());
      row->SetField("Capabilities", storage.GetAdapterCapabilities(adapter));
      row->SetField("Description", storage.GetDeviceDescription(adapter));
      return row;
    });
    if (!name.empty() && !found)
      output->AddErrorMessage("Unable to find adapter with name " + name);
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list Storage HBAs ", e);
  }
}

// --- adapter listdetailed ---

AdapterDetailedList::AdapterDetailedList() {
  SetDescription("Detailed listing of all HBAs registered with PSA.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiAdapter", "%Adapter%");
  // "Driver version" and "capabilities" are spelled so on purpose.
  SetDefaultOutputParameter("fields:ScsiAdapter",
                            "Description,UID,Link State,Driver,Driver version,Firmware Version,capabilities");
}

Frame::InputSpecPtr AdapterDetailedList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  spec->AddExample("", "Detailed listing of all HBAs registered with PSA.");
  // verbatim: the full stop before the name
  spec->AddExample("-a adapter1", "Show the details associated with adapter. 'adapter1'.");
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Optional,
                  "To fetch the specified adapter details.");
  return spec;
}

Frame::MetaStructPtr AdapterDetailedList::GetOutputStructure() const {
  return Frame::NewTemplate("ScsiAdapter", {{"Description", FieldType::String},
                                            {"UID", FieldType::String},
                                            {"Link State", FieldType::String},
                                            {"Adapter", FieldType::String},
                                            {"Driver", FieldType::String},
                                            {"Driver Version", FieldType::String},
                                            {"Firmware Version", FieldType::String},
                                            {"Capabilities", FieldType::StringList}});
}

void AdapterDetailedList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  auto result = Frame::NewRowList(GetOutputStructure());
  const std::string name = input->GetParameter("adapter");
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    AdapterVector adapters = storage.GetScsiInterfaces();
    result->Reserve(adapters.size());
    const bool found = AddAdapterRows(adapters, name, result, [&](const ScsiInterface &adapter) {
      auto row = GetOutputStructure();
      row->SetField("Adapter", adapter.GetName());
      row->SetField("Description", storage.GetDeviceDescription(adapter));
      row->SetField("UID", adapter.GetUID());
      row->SetField("Link State", storage.GetLinkState(adapter));
      row->SetField("Driver", adapter.GetDriver());
      row->SetField("Driver Version", adapter.GetDriverVersion());
      row->SetField("Firmware Version", adapter.GetFirmwareVersion());
      row->SetField("Capabilities", storage.GetAdapterCapabilities(adapter));
      return row;
    });
    if (!name.empty() && !found)
      output->AddErrorMessage("Unable to find adapter with name " + name);
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    // verbatim: no blank after the colon
    Frame::AddHostError(output, "Unable to list storage HBAs:", e);
  }
}

// --- adapter capabilities list ---

AdapterCapabilities::AdapterCapabilities() {
  SetDescription("List the capabilities of the SCSI HBAs in the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiAdapterCapabilities", "%HBA Name%");
  SetDefaultOutputParameter("fields:ScsiAdapterCapabilities", JoinNames(kCapabilityFields));
}

Frame::InputSpecPtr AdapterCapabilities::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Optional,
                  "Limit the capabilities output to one adapter");
  return spec;
}

Frame::MetaStructPtr AdapterCapabilities::GetOutputStructure() const {
  auto row = Frame::NewTemplate("ScsiAdapterCapabilities", {{"HBA Name", FieldType::String}});
  for (const auto &[field, bit] : kCapabilityFields)
    row->SetField(field, Frame::MetaBool::New());
  return row;
}

void AdapterCapabilities::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    AdapterVector adapters;
    if (input->HasParameter("adapter")) {
      const std::string name = input->GetParameter("adapter");
      auto adapter = FindAdapterQuietly(*storage, name);
      if (!adapter) {
        output->AddErrorMessage("Unable to get adapter with the name " + name);
        return;
      }
      adapters.push_back(std::move(adapter));
    } else {
      adapters = storage->GetScsiInterfaces();
    }
    for (const auto &adapter : adapters) {
      if (!adapter)
        continue;
      const uint32_t mask = adapter->GetCapabilityMask();
      auto row = GetOutputStructure();
      row->SetField("HBA Name", adapter->GetName());
      for (const auto &[field, bit] : kCapabilityFields)
        row->SetField(field, (mask & bit) != 0);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list SCSI HBAs. ", e);
  }
}

// --- adapter stats get ---

AdapterStats::AdapterStats() {
  SetDescription("List the SCSI stats for the SCSI Host Bus Adapters in the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:ScsiAdapterStats", "%HBA Name%");
  SetDefaultOutputParameter("fields:ScsiAdapterStats",
                            "Successful Commands,Blocks Read,Blocks Written,Read Operations,Write Operations,"
                            "Reserve Operations,Reservation Conflicts,Failed Commands,Failed Blocks Read,"
                            "Failed Blocks Written,Failed Read Operations,Failed Write Operations,"
                            "Failed Reserve Operations,Total Splits,PAE Commands");
}

Frame::InputSpecPtr AdapterStats::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Optional,
                  "Limit the stats output to one adapter");
  return spec;
}

Frame::MetaStructPtr AdapterStats::GetOutputStructure() const {
  auto row = Frame::NewTemplate("ScsiAdapterStats", {{"HBA Name", FieldType::String}});
  AddScsiStatsFields(*row);
  return row;
}

void AdapterStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    AdapterVector adapters;
    if (!input->HasParameter("adapter")) {
      adapters = storage.GetScsiInterfaces();
    } else {
      const std::string name = input->GetParameter("adapter");
      auto adapter = FindAdapterQuietly(storage, name);
      if (adapter)
        adapters.push_back(std::move(adapter));
      else
        output->AddErrorMessage("Unable to get adapter with the name " + name);
    }
    ScsiStats stats;
    for (const auto &adapter : adapters) {
      if (!adapter)
        continue;
      adapter->GetStats(stats);
      auto row = GetOutputStructure();
      row->SetField("HBA Name", adapter->GetName());
      SetScsiStatsFields(*row, stats);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list SCSI HBAs. ", e);
  }
}

// --- adapter device list ---

AdapterDeviceList::AdapterDeviceList() {
  SetDescription("List the devices associated with HBAs.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:AdapterDeviceListMap", "HBA,Device UID");
}

Frame::InputSpecPtr AdapterDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  spec->AddExample("", "List the devices associated with all the HBAs.");
  spec->AddExample("-A adapter1", "Show the devices associated with adapter 'adapter1'.");
  spec->AddExample("-A adapter1 -A adapter2",
                   // verbatim: "devies"
                   "Show the devies associated with adapter 'adapter1' and adapter 'adapter2'.");
  Frame::AddParam(spec, "adapter", "A", ParameterType::StringList, Frame::Optional,
                  "Limit the output to one or more adapter(s).");
  return spec;
}

Frame::MetaStructPtr AdapterDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("AdapterDeviceListMap",
                            {{"HBA", FieldType::String}, {"Device UID", FieldType::String}});
}

void AdapterDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  std::vector<std::string> filter;
  if (input->HasParameter("adapter"))
    input->GetParameterList("adapter", filter);
  try {
    // Each named adapter must be reachable; one that merely does not exist
    // filters everything out.
    for (const std::string &name : filter) {
      try {
        auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
        storage->GetScsiInterface(name);
      } catch (const HostCtlException &) {
        output->AddErrorMessage("Unable to get adapter with the name " + name);
        return;
      }
    }
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    auto devices = storage->GetLuns(false, false);
    std::set<std::pair<std::string, std::string>> pairs;
    for (const auto &device : devices) {
      if (!device)
        continue;
      const std::string deviceName = device->GetName();
      for (const std::string &adapterName : storage->GetLunPathAdapters(deviceName))
        if (filter.empty() || std::find(filter.begin(), filter.end(), adapterName) != filter.end())
          pairs.emplace(adapterName, deviceName);
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    result->Reserve(pairs.size());
    for (const auto &[adapterName, deviceName] : pairs) {
      auto row = GetOutputStructure();
      row->SetField("HBA", adapterName);
      row->SetField("Device UID", deviceName);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- adapter rescan ---

AdapterRescan::AdapterRescan() {
  SetDescription("Rescan SCSI HBAs to search for new Devices, remove DEAD paths and update path state. This "
                 // verbatim: "an claim"
                 "operation will also run an claim operation equivalent to the claimrule run command and a "
                 "filesystem rescan.");
}

Frame::InputSpecPtr AdapterRescan::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "adapter", "A", ParameterType::String, Frame::Optional,
      "Select the adapter to use when rescanning SCSI adapters. This must be a SCSI HBA name as shown "
      "in the adapter list command. This cannot be used with the --all option");
  Frame::AddParam(
      spec, "type", "t", ParameterType::String, Frame::Optional,
      "Specify the type of rescan to perform. Available types are %FULLENUM%",
      Frame::StringEnum({{"add", "Perform rescan and only add new devices if any."},
                         {"delete", "Perform rescan and only delete DEAD devices."},
                         {"update", "Rescan existing paths only and update path states."},
                         // verbatim: "opertaions"
                         {"all", "Perform rescan and do all opertaions (this is the default action.)"}}));
  Frame::AddParam(spec, "all", "a", ParameterType::Flag, Frame::Optional,
                  "Indicate the rescan should rescan all adapters instead of a specific one.");
  Frame::AddParam(
      spec, "skip-claim", "S", ParameterType::Flag, Frame::Optional,
      "By default after an add operation a claiming session is run to find new devices and have them "
      "be claimed by the appropriate Multipath Plugin. Passing this flag will skip that claiming "
      "session.");
  Frame::AddParam(spec, "skip-fs-scan", "F", ParameterType::Flag, Frame::Optional,
                  "This option is deprecated as no filesystem scan is performed by default");
  return spec;
}

void AdapterRescan::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  std::string adapter;
  if (input->IsFlagSet("all")) {
    adapter = "*";
  } else if (input->HasParameter("adapter")) {
    adapter = input->GetParameter("adapter");
  } else {
    output->AddErrorMessage("Missing --adapter or --all option");
    return;
  }
  const std::string type = input->HasParameter("type") ? input->GetParameter("type") : "all";
  // "skip-fs-scan" is accepted for old scripts; there is no file-system scan to skip.
  try {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    const std::string error = storage->RescanScsiInterfaces(adapter, type, input->IsFlagSet("skip-claim"));
    if (!error.empty()) {
      output->AddErrorMessage(error);
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to perform rescan operation. ", e);
  }
}

} // namespace TarvexCli::Storage
