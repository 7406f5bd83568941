#include "san/FcCommands.h"

#include "san/AdapterSelection.h"

#include <hostctl/storage/FibreChannelInterface.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace TarvexCli::SanNamespace {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using HostCtl::Storage::FcAttrs;
using HostCtl::Storage::FcoeAttrs;
using HostCtl::Storage::FcoeStats;
using HostCtl::Storage::FcStats;
using HostCtl::Storage::FibreChannelInterface;
using HostCtl::Storage::FibreChannelOverEthernetInterface;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

// The counters of each statistics record, in its order, with their field names.
constexpr std::array<std::pair<const char *, uint64_t FcStats::*>, 13> kFcCounters = {{
    {"Tx Frames", &FcStats::txFrames},
    {"Rx Frames", &FcStats::rxFrames},
    {"Lip Count", &FcStats::lipCount},
    {"Error Frames", &FcStats::errorFrames},
    {"Dumped Frames", &FcStats::dumpedFrames},
    {"Link Failure Count", &FcStats::linkFailureCount},
    {"Loss of Signal Count", &FcStats::lossOfSignalCount},
    {"PrimSeq Protocol Err Count", &FcStats::primSeqProtocolErrCount},
    {"Invalid Tx Word Count", &FcStats::invalidTxWordCount},
    {"Invalid CRC Count", &FcStats::invalidCrcCount},
    {"Input Requests", &FcStats::inputRequests},
    {"Output Requests", &FcStats::outputRequests},
    {"Control Requests", &FcStats::controlRequests},
}};

constexpr std::array<std::pair<const char *, uint64_t FcoeStats::*>, 13> kFcoeCounters = {{
    {"Tx Frames", &FcoeStats::txFrames},
    {"Rx Frames", &FcoeStats::rxFrames},
    {"Error Frames", &FcoeStats::errorFrames},
    {"Dumped Frames", &FcoeStats::dumpedFrames},
    {"Link Failure Count", &FcoeStats::linkFailureCount},
    {"Loss of Signal Count", &FcoeStats::lossOfSignalCount},
    {"Invalid Tx Word Count", &FcoeStats::invalidTxWordCount},
    {"Invalid CRC Count", &FcoeStats::invalidCrcCount},
    {"VLink Failure Count", &FcoeStats::vlinkFailureCount},
    {"Miss Disc Adv Count", &FcoeStats::missDiscAdvCount},
    {"Input Requests", &FcoeStats::inputRequests},
    {"Output Requests", &FcoeStats::outputRequests},
    {"Control Requests", &FcoeStats::controlRequests},
}};

// The port fields FC and FCoE adapters share.
void SetPortFields(Frame::MetaStruct &row, const std::string &adapter, const FcAttrs &attrs) {
  row.SetField("Adapter", adapter);
  row.SetField("Port ID", attrs.portId);
  row.SetField("Node Name", attrs.nodeName);
  row.SetField("Port Name", attrs.portName);
  row.SetField("Speed", attrs.speed);
  row.SetField("Port Type", attrs.portType);
  row.SetField("Port State", attrs.portState);
}

void SetVersionFields(Frame::MetaStruct &row, const FcAttrs &attrs) {
  row.SetField("Model Description", attrs.modelDescription);
  row.SetField("Hardware Version", attrs.hardwareVersion);
  row.SetField("OptionROM Version", attrs.optionRomVersion);
  row.SetField("Firmware Version", attrs.firmwareVersion);
  row.SetField("Driver Name", attrs.driverName);
  row.SetField("Driver Version", attrs.driverVersion);
}

auto FcAdapters = [](StorageInfoImpl &storage) { return storage.GetFibreChannelInterfaces(); };
auto FcoeAdapters = [](StorageInfoImpl &storage) { return storage.GetFibreChannelOverEthernetInterfaces(); };

// Loop resets and event clearing disrupt I/O on a real host: each is issued once, never retried.
constexpr int kEventsToClear = 200;

} // namespace

// --- fc list ---

FcDeviceList::FcDeviceList() {
  SetDescription("List attributes of all FC adapters on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  // verbatim: "DriverVersion" names no field
  SetDefaultOutputParameter(
      "fields:FcDevice", "Adapter,Port ID,Node Name,Port Name,Speed,Port Type,Port State,Model Description,"
                         "Hardware Version,OptionROM Version,Firmware Version,Driver Name,DriverVersion");
  SetDefaultOutputParameter("units:FcDevice.Speed", "Gbps");
}

Frame::InputSpecPtr FcDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "FC adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr FcDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("FcDevice", {{"Adapter", FieldType::String},
                                         {"Port ID", FieldType::String},
                                         {"Node Name", FieldType::String},
                                         {"Port Name", FieldType::String},
                                         {"Speed", FieldType::UInt},
                                         {"Port Type", FieldType::String},
                                         {"Port State", FieldType::String},
                                         {"Model Description", FieldType::String},
                                         {"Hardware Version", FieldType::String},
                                         {"OptionROM Version", FieldType::String},
                                         {"Firmware Version", FieldType::String},
                                         {"Driver Name", FieldType::String},
                                         {"Driver Version", FieldType::String}});
}

void FcDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunListing(input, output, GetOutputStructure(), "Error getting list of FC devices: ", FcAdapters,
             [&](const FibreChannelInterface &adapter, Frame::MetaList &result) {
               auto row = GetOutputStructure();
               FcAttrs attrs;
               adapter.GetAttributes(attrs);
               SetPortFields(*row, adapter.GetName(), attrs);
               SetVersionFields(*row, attrs);
               result.Add(row);
             });
}

// --- fc stats get ---

FcStatsGet::FcStatsGet() {
  SetDescription("Get statistics for a given FC adapter, or all FC adapters on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields", StatsFields("Adapter", kFcCounters));
}

Frame::InputSpecPtr FcStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "FC adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr FcStatsGet::GetOutputStructure() const {
  return StatsTemplate("FcStat", "Adapter", kFcCounters);
}

void FcStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunListing(input, output, GetOutputStructure(), "Error getting FC device stats: ", FcAdapters,
             [&](const FibreChannelInterface &adapter, Frame::MetaList &result) {
               auto row = GetOutputStructure();
               row->SetField("Adapter", adapter.GetName());
               FcStats stats;
               adapter.GetStats(stats);
               SetCounters(*row, kFcCounters, stats);
               result.Add(row);
             });
}

// --- fc events get ---

FcGetEvents::FcGetEvents() {
  SetDescription("Get Events for FC Devices");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:FcEvent", "FC Event Log");
}

Frame::InputSpecPtr FcGetEvents::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "FC adapter name (olhbaX), or none, to retrieve all.");
  return spec;
}

Frame::MetaStructPtr FcGetEvents::GetOutputStructure() const {
  return Frame::NewTemplate("FcEvent", {{"FC Event Log", FieldType::String}});
}

void FcGetEvents::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunListing(input, output, GetOutputStructure(), "Error getting list of FC devices: ", FcAdapters,
             [&](const FibreChannelInterface &adapter, Frame::MetaList &result) {
               for (const auto &event : adapter.GetEvents()) {
                 auto row = GetOutputStructure();
                 row->SetField("FC Event Log", adapter.FormatEvent(event));
                 result.Add(row);
               }
             });
}

// --- fc events clear ---

FcClearEvents::FcClearEvents() {
  SetDescription("Clear events for a given FC adapter on the system.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr FcClearEvents::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Required, "Issue Clear Event command to specified Fibre Channel HBA.");
  return spec;
}

void FcClearEvents::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunAction(input, output, "Error clearing events for FC Adapter. ", "No FC Adapters found", FcAdapters,
            [](FibreChannelInterface &adapter) { adapter.ClearEvents(kEventsToClear); });
}

// --- fc reset ---

FcIssueLIP::FcIssueLIP() {
  SetDescription("Perform LIP (Loop Initiation Primitive) Reset to a given FC adapter on the system.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr FcIssueLIP::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Required, "Issue LIP Reset command to given Fibre Channel HBA.");
  return spec;
}

void FcIssueLIP::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunAction(input, output, "Error sending LIP to FC devices: ", "No FC Adapters found", FcAdapters,
            [](FibreChannelInterface &adapter) { adapter.IssueLIP(); });
}

// --- fcoe list ---

FcoeDeviceList::FcoeDeviceList() {
  SetDescription("List attributes of all FCoE adapters on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  // verbatim: "DriverVersion" names no field
  SetDefaultOutputParameter(
      "fields:FcoeDevice",
      "Adapter,Port ID,Node Name,Port Name,Speed,Port Type,Port State,Controller MAC,FCF MAC,"
      "VN Port MAC,VLAN ID,Olnic Name,Model Description,Hardware Version,OptionROM Version,"
      "Firmware Version,Driver Name,DriverVersion");
  SetDefaultOutputParameter("units:FcoeDevice.Speed", "Gbps");
}

Frame::InputSpecPtr FcoeDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "FCoE adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr FcoeDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("FcoeDevice", {{"Adapter", FieldType::String},
                                           {"Port ID", FieldType::String},
                                           {"Node Name", FieldType::String},
                                           {"Port Name", FieldType::String},
                                           {"Speed", FieldType::UInt},
                                           {"Port Type", FieldType::String},
                                           {"Port State", FieldType::String},
                                           {"Controller MAC", FieldType::String},
                                           {"FCF MAC", FieldType::String},
                                           {"VN Port MAC", FieldType::String},
                                           {"VLAN ID", FieldType::UInt},
                                           {"Olnic Name", FieldType::String},
                                           {"Model Description", FieldType::String},
                                           {"Hardware Version", FieldType::String},
                                           {"OptionROM Version", FieldType::String},
                                           {"Firmware Version", FieldType::String},
                                           {"Driver Name", FieldType::String},
                                           {"Driver Version", FieldType::String}});
}

void FcoeDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunListing(input, output, GetOutputStructure(), "Error getting list of FCoE devices: ", FcoeAdapters,
             [&](const FibreChannelOverEthernetInterface &adapter, Frame::MetaList &result) {
               auto row = GetOutputStructure();
               FcoeAttrs attrs;
               adapter.GetFcoeAttributes(attrs);
               SetPortFields(*row, adapter.GetName(), attrs);
               row->SetField("Controller MAC", attrs.controllerMac);
               row->SetField("FCF MAC", attrs.fcfMac);
               row->SetField("VN Port MAC", attrs.vnPortMac);
               row->SetField("VLAN ID", static_cast<unsigned>(attrs.vlanId));
               row->SetField("Olnic Name", attrs.nicName);
               SetVersionFields(*row, attrs);
               result.Add(row);
             });
}

// --- fcoe stats get ---

FcoeStatsGet::FcoeStatsGet() {
  SetDescription("Get statistics for a given FCoE adapter, or all FCoE adapters on the system.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:Adapter", "%Adapter%");
  SetDefaultOutputParameter("fields", StatsFields("Adapter", kFcoeCounters));
}

Frame::InputSpecPtr FcoeStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Optional, "FCoE adapter name (olhbaX), or none, to list all.");
  return spec;
}

Frame::MetaStructPtr FcoeStatsGet::GetOutputStructure() const {
  return StatsTemplate("FcoeStat", "Adapter", kFcoeCounters);
}

void FcoeStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunListing(input, output, GetOutputStructure(), "Error getting FCoE device stats: ", FcoeAdapters,
             [&](const FibreChannelOverEthernetInterface &adapter, Frame::MetaList &result) {
               auto row = GetOutputStructure();
               row->SetField("Adapter", adapter.GetName());
               FcoeStats stats;
               adapter.GetFcoeStats(stats);
               SetCounters(*row, kFcoeCounters, stats);
               result.Add(row);
             });
}

// --- fcoe reset ---

FcoeIssueLIP::FcoeIssueLIP() {
  SetDescription("Perform LIP (Loop Initiation Primitive) Reset to a given FCoE adapter on the system.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr FcoeIssueLIP::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddAdapterParam(spec, Frame::Required, "Issue LIP Reset command to given hba.");
  return spec;
}

void FcoeIssueLIP::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  RunAction(input, output, "Error sending LIP to FCoE devices: ", "No FCoE Adapters found", FcoeAdapters,
            [](FibreChannelOverEthernetInterface &adapter) { adapter.IssueLIP(); });
}

} // namespace TarvexCli::SanNamespace
