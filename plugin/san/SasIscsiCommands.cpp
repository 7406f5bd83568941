#include "san/SasIscsiCommands.h"

#include "frame/Params.h"
#include "san/AdapterSelection.h"

#include <hostctl/storage/SerialAttachedScsiInterface.h>
#include <hostctl/storage/iScsiInterface.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace TarvexCli::SanNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::iScsiInfo;
using HostCtl::Storage::iScsiInterface;
using HostCtl::Storage::iScsiStats;
using HostCtl::Storage::SasAttrs;
using HostCtl::Storage::SasPhyStats;
using HostCtl::Storage::SerialAttachedScsiInterface;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

constexpr std::array<std::pair<const char *, uint32_t SasPhyStats::*>, 4> kSasCounters = {{
    {"Invalid DWORD Count", &SasPhyStats::invalidDwordCount},
    {"Running Disparity Error Count", &SasPhyStats::runningDisparityErrorCount},
    {"Loss of DWORD Sync Count", &SasPhyStats::lossOfDwordSyncCount},
    {"Phy Reset Problem Count", &SasPhyStats::phyResetProblemCount},
}};

// The iSCSI counters in record order; the two byte counts are 64-bit.
using IscsiCounter = std::variant<uint32_t iScsiStats::*, uint64_t iScsiStats::*>;
const std::array<std::pair<const char *, IscsiCounter>, 30> kIscsiCounters = {{
    {"Total Number of Sessions", &iScsiStats::sessions},
    {"Total Number of Connections", &iScsiStats::connections},
    {"IO Data Sent", &iScsiStats::dataSent},
    {"IO Data Received", &iScsiStats::dataReceived},
    {"Command PDUs", &iScsiStats::commandPdus},
    {"Read Command PDUs", &iScsiStats::readCommandPdus},
    {"Write Command PDUs", &iScsiStats::writeCommandPdus},
    {"Bidirectional Command PDUs", &iScsiStats::bidiCommandPdus},
    {"No-data Command PDUs", &iScsiStats::noDataCommandPdus},
    {"Response PDUs", &iScsiStats::responsePdus},
    {"R2T PDUs", &iScsiStats::r2tPdus},
    {"Data-in PDUs", &iScsiStats::dataInPdus},
    {"Data-out PDUs", &iScsiStats::dataOutPdus},
    {"Task Mgmt Request PDUs", &iScsiStats::taskMgmtRequestPdus},
    {"Task Mgmt Response PDUs", &iScsiStats::taskMgmtResponsePdus},
    {"Login Request PDUs", &iScsiStats::loginRequestPdus},
    {"Login Response PDUs", &iScsiStats::loginResponsePdus},
    {"Text Request PDUs", &iScsiStats::textRequestPdus},
    {"Text Response PDUs", &iScsiStats::textResponsePdus},
    {"Logout Request PDUs", &iScsiStats::logoutRequestPdus},
    {"Logout Response PDUs", &iScsiStats::logoutResponsePdus},
    {"NOP-Out PDUs", &iScsiStats::nopOutPdus},
    {"NOP-In PDUs", &iScsiStats::nopInPdus},
    {"Async Event PDUs", &iScsiStats::asyncEventPdus},
    {"SNACK PDUs", &iScsiStats::snackPdus},
    {"Reject PDUs", &iScsiStats::rejectPdus},
    {"Digest Errors", &iScsiStats::digestErrors},
    {"Timeouts", &iScsiStats::timeouts},
    {"No Tx Buf Count", &iScsiStats::noTxBufCount},
    {"No Rx Data Count", &iScsiStats::noRxDataCount},
}};

// Only the host's own software adapter is shown; hardware iSCSI adapters are not.
constexpr const char *kSoftwareIscsiDriver = "iscsi_olk";

auto SasAdapters = [](StorageInfoImpl &storage) { return storage.GetSerialAttachedScsiInterfaces(); };

std::string StateText(int state) {
  switch (state) {
  case HostCtl::Storage::ISCSI_STATE_ONLINE:
    return "online";
  case HostCtl::Storage::ISCSI_STATE_OFFLINE:
    return "offline";
  case HostCtl::Storage::ISCSI_STATE_UNBOUND:
    return "unbound";
  default:
    return "unknown";
  }
}

// Calls take(adapter) for each software iSCSI adapter named `name`, or for
// all of them when `name` is empty. Returns whether any was taken.
template <class Take>
bool ForSoftwareIscsiAdapters(StorageInfoImpl &storage, const std::string &name, const Take &take) {
  bool taken = false;
  for (const auto &adapter : storage.GetiScsiInterfaces()) {
    if (!adapter || adapter->GetDriver() != kSoftwareIscsiDriver)
      continue;
    if (name.empty() || adapter->GetName() == name) {
      take(*adapter);
      taken = true;
    }
  }
  return taken;
}

} // namespace

// --- sas list ---

SasDeviceList::SasDeviceList() {
  SetDescription("List all SAS IO Device Management devices.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields:SasDevice",
                            "Device Name,SAS Address,Physical ID,Minimum Link Rate,Maximum Link Rate,"
                            "Negotiated Link Rate,Model Description,Hardware Version,OptionROM Version,"
                            "Firmware Version,Driver Name,Driver Version");
  SetDefaultOutputParameter("units:SasDevice.Minimum Link Rate", "Mbps");
  SetDefaultOutputParameter("units:SasDevice.Maximum Link Rate", "Mbps");
  SetDefaultOutputParameter("units:SasDevice.Negotiated Link Rate", "Mbps");
}

Frame::InputSpecPtr SasDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "SAS adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr SasDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("SasDevice", {{"Device Name", FieldType::String},
                                          {"Minimum Link Rate", FieldType::Int},
                                          {"Maximum Link Rate", FieldType::Int},
                                          {"Negotiated Link Rate", FieldType::Int},
                                          {"Physical ID", FieldType::UInt},
                                          {"SAS Address", FieldType::String},
                                          {"Model Description", FieldType::String},
                                          {"Hardware Version", FieldType::String},
                                          {"OptionROM Version", FieldType::String},
                                          {"Firmware Version", FieldType::String},
                                          {"Driver Name", FieldType::String},
                                          {"Driver Version", FieldType::String}});
}

void SasDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::optional<std::string> wanted = WantedAdapter(input);
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    const auto adapters = storage.GetSerialAttachedScsiInterfaces();
    // An adapter without a SAS address yields no entry but still counts as found.
    const bool matched =
        ForSelectedAdapters(adapters, wanted, [&](const SerialAttachedScsiInterface &adapter) {
          SasAttrs attrs;
          adapter.GetAttributes(attrs);
          if (attrs.sasAddress.empty())
            return false;
          auto row = GetOutputStructure();
          row->SetField("Device Name", adapter.GetName());
          row->SetField("SAS Address", attrs.sasAddress);
          row->SetField("Physical ID", static_cast<unsigned>(attrs.physicalId));
          row->SetField("Minimum Link Rate", static_cast<long>(attrs.minimumLinkRate));
          row->SetField("Maximum Link Rate", static_cast<long>(attrs.maximumLinkRate));
          row->SetField("Negotiated Link Rate", static_cast<long>(attrs.negotiatedLinkRate));
          row->SetField("Model Description", attrs.modelDescription);
          row->SetField("Hardware Version", attrs.hardwareVersion);
          row->SetField("OptionROM Version", attrs.optionRomVersion);
          row->SetField("Firmware Version", attrs.firmwareVersion);
          row->SetField("Driver Name", attrs.driverName);
          row->SetField("Driver Version", attrs.driverVersion);
          result->Add(row);
          return true;
        });
    if (!matched) {
      output->AddErrorMessage(kInvalidAdapter);
      return;
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting list of SAS devices: ", e);
  }
}

// --- sas stats get ---

SasStatsGet::SasStatsGet() {
  SetDescription("List Stats for given device, or all devices.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields", StatsFields("Device Name", kSasCounters));
}

Frame::InputSpecPtr SasStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "SAS adapter name (olhbaX), or none, to list all.");
  Frame::AddParam(spec, "fail-on-error", "F", ParameterType::Flag, Frame::Optional,
                  "Do not ignore errors when fetching stats for all devices.");
  return spec;
}

Frame::MetaStructPtr SasStatsGet::GetOutputStructure() const {
  return StatsTemplate("SasStat", "Device Name", kSasCounters);
}

void SasStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool named = input->HasParameter("adapter");
  const std::string name = named ? input->GetParameter("adapter") : std::string();
  // A named adapter's failure is always reported; over all adapters only when asked.
  const bool fatal = named || input->IsFlagSet("fail-on-error");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    const auto adapters = storage.GetSerialAttachedScsiInterfaces();
    if (!named)
      result->Reserve(adapters.size());
    bool found = false;
    for (const auto &adapter : adapters) {
      if (!adapter || (named && adapter->GetName() != name))
        continue;
      found = true;
      try {
        SasPhyStats stats;
        adapter->GetPhyStats(stats);
        auto row = GetOutputStructure();
        row->SetField("Device Name", adapter->GetName());
        SetCounters(*row, kSasCounters, stats);
        result->Add(row);
      } catch (const HostCtlException &) {
        if (fatal)
          throw;
      }
      if (named)
        break;
    }
    if (named && !name.empty() && !found) {
      output->AddErrorMessage(kInvalidAdapter);
      return;
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting SAS device stats: ", e);
  }
}

// --- sas reset ---

SasIssueReset::SasIssueReset() {
  SetDescription("Perform SAS Reset");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr SasIssueReset::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Required, "Issue Reset command to given hba.");
  return spec;
}

void SasIssueReset::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  if (!input->HasParameter("adapter")) {
    output->AddErrorMessage("SAS RESET: missing adapter name");
    return;
  }
  RunAction(input, output, "Error sending reset to SAS device: ", "No SAS Adapters found", SasAdapters,
            [](SerialAttachedScsiInterface &adapter) { adapter.Reset(); });
}

// --- iscsi list ---

iScsiDeviceList::iScsiDeviceList() {
  SetDescription("List attributes of all Software iSCSI adapters on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields", "Adapter,UID,Driver,State,Description");
}

Frame::InputSpecPtr iScsiDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "iSCSI adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr iScsiDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("iScsiDevice", {{"Adapter", FieldType::String},
                                            {"UID", FieldType::String},
                                            {"Driver", FieldType::String},
                                            {"State", FieldType::String},
                                            {"Description", FieldType::String}});
}

void iScsiDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("adapter");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    const bool taken = ForSoftwareIscsiAdapters(storage, name, [&](const iScsiInterface &adapter) {
      iScsiInfo info;
      adapter.GetInfo(info);
      const int state = adapter.GetState();
      auto row = GetOutputStructure();
      row->SetField("Adapter", adapter.GetName());
      row->SetField("UID", adapter.GetUID());
      row->SetField("State", StateText(state));
      row->SetField("Driver", adapter.GetDriver());
      row->SetField("Description", info.description);
      result->Add(row);
    });
    if (!name.empty() && !taken) {
      output->AddErrorMessage(kInvalidAdapter);
      return;
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &) {
    // The host's own message is not shown here.
    output->AddErrorMessage("Unable to list adapters.");
  }
}

// --- iscsi stats get ---

iScsiStatsGet::iScsiStatsGet() {
  SetDescription("Get statistics for Software iSCSI adapter.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields", StatsFields("Adapter", kIscsiCounters));
}

Frame::InputSpecPtr iScsiStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "iSCSI device name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr iScsiStatsGet::GetOutputStructure() const {
  return StatsTemplate("iScsiStat", "Adapter", kIscsiCounters);
}

void iScsiStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("adapter");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    const bool taken = ForSoftwareIscsiAdapters(storage, name, [&](const iScsiInterface &adapter) {
      iScsiStats stats;
      adapter.GetStats(stats);
      auto row = GetOutputStructure();
      row->SetField("Adapter", adapter.GetName());
      for (const auto &[field, counter] : kIscsiCounters)
        std::visit([&, field = field](auto member) { row->SetField(field, stats.*member); }, counter);
      result->Add(row);
    });
    if (!name.empty() && !taken) {
      output->AddErrorMessage(kInvalidAdapter);
      return;
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    // verbatim: no blank before the host's message
    Frame::AddHostError(output, "Unable to get adapter statistics.", e);
  }
}

} // namespace TarvexCli::SanNamespace
