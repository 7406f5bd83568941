#include "fpin/FpinCommands.h"

#include "frame/Params.h"

#include <olkctl/storage/FpinImpl.h>

#include <hostctl/Exception.h>

#include <string>

namespace TarvexCli::FpinNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using OlkCtl::Storage::FpinFcAdapterImpl;
using OlkCtl::Storage::StorageFpinImpl;

namespace {

// Counts are shown as plain decimal text over their whole unsigned range.
std::string Count(uint64_t value) {
  return std::to_string(value);
}

} // namespace

// --- info get ---

FpinInfoGet::FpinInfoGet() {
  SetDescription("Get general FPIN information.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("fields:FpinInfo", "FPIN Feature,Total HBAs,FPIN Supported HBAs");
}

Frame::InputSpecPtr FpinInfoGet::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr FpinInfoGet::GetOutputStructure() const {
  return Frame::NewTemplate("FpinInfo", {{"FPIN Feature", FieldType::Bool},
                                         {"Total HBAs", FieldType::String},
                                         {"FPIN Supported HBAs", FieldType::String}});
}

void FpinInfoGet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageFpinImpl fpin;
    fpin.RetrieveFpinGeneralStats();
    auto info = GetOutputStructure();
    info->SetField("FPIN Feature", fpin.IsEnabled());
    info->SetField("Total HBAs", Count(fpin.GetHbaCount()));
    info->SetField("FPIN Supported HBAs", Count(fpin.GetSupportedHbaCount()));
    output->SetRootObject(info);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get FPIN info: ", e);
  }
}

// --- info set ---

FpinInfoSet::FpinInfoSet() {
  SetDescription("Enable/Disable FPIN feature.");
}

Frame::InputSpecPtr FpinInfoSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "enabled", "e", ParameterType::Boolean, Frame::Required, "Enable or disable FPIN.");
  return spec;
}

void FpinInfoSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool enabled = input->GetParameterBool("enabled");
  try {
    FpinFcAdapterImpl fpin;
    // The configured switch first, then the kernel's live one.
    fpin.SetEnable(enabled);
    fpin.SetEnableKsish(enabled);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: the blank before the colon, also when disabling
    Frame::AddHostError(output, "Error enabling FPIN : ", e);
  }
}

// --- fc adapter list ---

FpinFcAdaptersList::FpinFcAdaptersList() {
  SetDescription("List FC adapters that support FPIN.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:FpinFcAdaptersList",
                            "Adapter,WWPN,WWNN,Firmware Version,Driver Name,Driver Version");
}

Frame::InputSpecPtr FpinFcAdaptersList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr FpinFcAdaptersList::GetOutputStructure() const {
  return Frame::NewTemplate("FpinFcAdaptersList", {{"Adapter", FieldType::String},
                                                   {"WWPN", FieldType::String},
                                                   {"WWNN", FieldType::String},
                                                   {"Firmware Version", FieldType::String},
                                                   {"Driver Name", FieldType::String},
                                                   {"Driver Version", FieldType::String}});
}

void FpinFcAdaptersList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    FpinFcAdapterImpl fpin;
    const auto adapters = fpin.GetAdapters();
    auto result = Frame::NewRowList(GetOutputStructure());
    result->Reserve(adapters.size());
    for (const auto &adapter : adapters) {
      auto row = GetOutputStructure();
      row->SetField("Adapter", adapter->name);
      row->SetField("WWPN", adapter->wwpn);
      row->SetField("WWNN", adapter->wwnn);
      row->SetField("Firmware Version", adapter->firmwareVersion);
      row->SetField("Driver Name", adapter->driverName);
      row->SetField("Driver Version", adapter->driverVersion);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Failed to list FPIN supported FC adapters: ", e);
  }
}

// --- fc target get ---

FpinFcAdaptersTargets::FpinFcAdaptersTargets() {
  SetDescription("Get FC targets connected to a FPIN supported HBA.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:FpinFcAdaptersTargets", "Target WWPN");
}

Frame::InputSpecPtr FpinFcAdaptersTargets::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Required,
                  "The name of adapter associated to the targets.");
  return spec;
}

Frame::MetaStructPtr FpinFcAdaptersTargets::GetOutputStructure() const {
  return Frame::NewTemplate("FpinFcAdaptersTargets", {{"Target WWPN", FieldType::String}});
}

// No handler: a host failure here is left to the framework.
void FpinFcAdaptersTargets::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string adapter = input->GetParameter("adapter");
  FpinFcAdapterImpl fpin;
  const auto targets = fpin.GetTargets(adapter);
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Reserve(targets.size());
  for (const auto &target : targets) {
    auto row = GetOutputStructure();
    row->SetField("Target WWPN", target->wwpn);
    result->Add(row);
  }
  output->SetRootObject(result);
}

// --- fc stats get ---

FpinFcStatsInfo::FpinFcStatsInfo() {
  SetDescription("Get the summary of FPIN statistics of FC transport.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter(
      "fields:FpinFcStatsInfo",
      "Total FC HBAs,FPIN Supported FC HBAs,FPIN Supported Port Pairs,FPIN Reported Port Pairs,"
      "Total Events,Congestion Events,Peer Congestion Events,Link Integrity Events,"
      "Delivery Events");
}

Frame::InputSpecPtr FpinFcStatsInfo::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr FpinFcStatsInfo::GetOutputStructure() const {
  return Frame::NewTemplate("FpinFcStatsInfo", {{"Total FC HBAs", FieldType::String},
                                                {"FPIN Supported FC HBAs", FieldType::String},
                                                {"FPIN Supported Port Pairs", FieldType::String},
                                                {"FPIN Reported Port Pairs", FieldType::String},
                                                {"Total Events", FieldType::String},
                                                {"Congestion Events", FieldType::String},
                                                {"Peer Congestion Events", FieldType::String},
                                                {"Link Integrity Events", FieldType::String},
                                                {"Delivery Events", FieldType::String}});
}

void FpinFcStatsInfo::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    StorageFpinImpl fpin;
    fpin.RetrieveFpinFcStats();
    auto stats = GetOutputStructure();
    stats->SetField("Total FC HBAs", Count(fpin.GetFcHbaCount()));
    stats->SetField("FPIN Supported FC HBAs", Count(fpin.GetSupportedFcHbaCount()));
    stats->SetField("FPIN Supported Port Pairs", Count(fpin.GetSupportedPortPairCount()));
    stats->SetField("FPIN Reported Port Pairs", Count(fpin.GetReportedPortPairCount()));
    stats->SetField("Total Events", Count(fpin.GetTotalEvents()));
    stats->SetField("Congestion Events", Count(fpin.GetCongestionEvents()));
    stats->SetField("Peer Congestion Events", Count(fpin.GetPeerCongestionEvents()));
    stats->SetField("Link Integrity Events", Count(fpin.GetLinkIntegrityEvents()));
    stats->SetField("Delivery Events", Count(fpin.GetDeliveryEvents()));
    output->SetRootObject(stats);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get FPIN FC stats: ", e);
  }
}

// --- fc event list ---

FpinFcStatsList::FpinFcStatsList() {
  SetDescription("List all FPIN statistics of FC transport.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:FpinFcStatsList",
      "Adapter WWPN,Target WWPN,Total,Congestion,Peer Congestion,Link Integrity,Delivery");
}

Frame::InputSpecPtr FpinFcStatsList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr FpinFcStatsList::GetOutputStructure() const {
  return Frame::NewTemplate("FpinFcStatsList", {{"Adapter WWPN", FieldType::String},
                                                {"Target WWPN", FieldType::String},
                                                {"Total", FieldType::String},
                                                {"Congestion", FieldType::String},
                                                {"Peer Congestion", FieldType::String},
                                                {"Link Integrity", FieldType::String},
                                                {"Delivery", FieldType::String}});
}

void FpinFcStatsList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    FpinFcAdapterImpl fpin;
    const auto adapters = fpin.GetAdapters();
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &adapter : adapters) {
      for (const auto &target : fpin.GetTargets(adapter->name)) {
        // A target still logging in has no WWPN yet and no pair to show.
        if (target->wwpn.empty())
          continue;
        auto row = GetOutputStructure();
        row->SetField("Adapter WWPN", adapter->wwpn);
        row->SetField("Target WWPN", target->wwpn);
        row->SetField("Total", Count(target->total));
        row->SetField("Congestion", Count(target->congestion));
        row->SetField("Peer Congestion", Count(target->peerCongestion));
        row->SetField("Link Integrity", Count(target->linkIntegrity));
        row->SetField("Delivery", Count(target->delivery));
        result->Add(row);
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Failed to list the statistics of FC devices: ", e);
  }
}

// --- fc clear ---

FpinFcClear::FpinFcClear() {
  SetDescription("Mark the identified path as non-flaky.");
}

Frame::InputSpecPtr FpinFcClear::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "adapter", "a", ParameterType::String, Frame::Optional, "Adapter name.");
  Frame::AddParam(spec, "host-wwpn", "H", ParameterType::String, Frame::Optional,
                  "Host WWPN (World Wide Port Name).");
  Frame::AddParam(spec, "target-wwpn", "t", ParameterType::String, Frame::Optional, "Target WWPN.");
  return spec;
}

void FpinFcClear::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  // Read as given: an absent parameter passes the framework's empty text.
  const std::string adapter = input->GetParameter("adapter");
  const std::string hostWwpn = input->GetParameter("host-wwpn");
  const std::string targetWwpn = input->GetParameter("target-wwpn");
  try {
    FpinFcAdapterImpl fpin;
    // Clearing changes how the kernel routes I/O: issued once, never retried.
    fpin.ClearFpin(adapter, hostWwpn, targetWwpn);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error clearing FPIN: ", e);
  }
}

} // namespace TarvexCli::FpinNamespace
