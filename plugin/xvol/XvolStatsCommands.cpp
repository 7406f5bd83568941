#include "xvol/XvolStatsCommands.h"

#include "frame/Params.h"

#include <olkctl/storage/XvolStatsImpl.h>

#include <hostctl/Exception.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::XVolNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using OlkCtl::Storage::XvolStatsInfo::XvolStatsImpl;
using ErrInfo = HostCtl::Storage::XvolStatsInfo::ErrInfo;
using StatNode = HostCtl::Storage::XvolStatsInfo::StatNode;

namespace {

// The text of an optional parameter; empty when it was not given.
std::string OptionalText(const Frame::InputPtr &input, const char *name) {
  return input->HasParameter(name) ? input->GetParameter(name) : std::string();
}

// Error counters are noise while they are zero.
bool CounterShown(const std::string &name, int64_t value) {
  return !(name.rfind("errorCount", 0) == 0 && value == 0);
}

// The texts of the subtree at `node` (whose path is `path`), depth first: a
// node's counters in name order, then its children in order.
void StatTexts(const StatNode &node, const std::string &path, bool raw, std::vector<std::string> &texts) {
  // The text format names every node that has counters, even when none is shown.
  if (!raw && !node.counters.empty())
    texts.push_back(path);
  for (const auto &[name, value] : node.counters)
    if (CounterShown(name, value))
      texts.push_back((raw ? path + "/" : std::string("\t\t")) + name + "=" + std::to_string(value));
  for (const auto &child : node.children)
    if (child)
      StatTexts(*child, path + "/" + child->name, raw, texts);
}

// Runs one action on the host's statistics: true sets the result, false adds
// `prefix` directly followed by the host's text, a host failure its message alone.
template <class Call>
void RunStatsAction(const Frame::OutputPtr &output, const std::string &prefix, const Call &call) {
  try {
    XvolStatsImpl stats;
    ErrInfo error;
    if (!call(stats, error)) {
      output->AddErrorMessage(prefix + error.message);
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// The root node takes no entities: a namespace of slashes only ("^/+$")
// names it, and is refused before the host is asked.
bool RefuseRootNode(const Frame::OutputPtr &output, const std::string &ns) {
  if (ns.empty() || ns.find_first_not_of('/') != std::string::npos)
    return false;
  output->AddErrorMessage("Entities are not supported for root node");
  return true;
}

// The parameters of stats add and stats remove.
Frame::InputSpecPtr EntityInputSpec() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "namespace", "n", ParameterType::String, Frame::Required, "entity namespace");
  Frame::AddParam(spec, "entity", "e", ParameterType::String, Frame::Required, "entity Id");
  return spec;
}

} // namespace

namespace Stats {

// --- stats get ---

GetStats::GetStats() {
  SetDescription("Get stats for given stats namespace");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:XvolStatNode", "Stats");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr GetStats::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "namespace", "n", ParameterType::String, Frame::Optional,
                  "node namespace expression");
  Frame::AddParam(spec, "entity", "e", ParameterType::String, Frame::Optional, "entity Id");
  Frame::AddParam(spec, "raw", "r", ParameterType::Flag, Frame::Optional, "Enable raw format output");
  Frame::AddParam(spec, "dump", "d", ParameterType::String, Frame::Optional,
                  "Dump the stats in log file with given custom message");
  return spec;
}

Frame::MetaStructPtr GetStats::GetOutputStructure() const {
  return Frame::NewTemplate("XvolStatNode", {{"Stats", FieldType::String}});
}

void GetStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ns = OptionalText(input, "namespace");
  const std::string entity = OptionalText(input, "entity");
  const std::string dump = OptionalText(input, "dump");
  const bool raw = input->IsFlagSet("raw");
  try {
    XvolStatsImpl stats;
    ErrInfo error;
    std::shared_ptr<StatNode> root;
    if (!stats.GetStats(ns, entity, dump, root, error)) {
      output->AddErrorMessage("Error getting xvol stats:" + error.message);
      return;
    }
    std::vector<std::string> texts;
    if (root)
      StatTexts(*root, root->name, raw, texts);
    auto result = Frame::NewRowList(GetOutputStructure());
    result->Reserve(texts.size());
    for (const std::string &text : texts) {
      auto row = GetOutputStructure();
      row->SetField("Stats", text);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- stats add ---

AddStatsEntity::AddStatsEntity() {
  SetDescription("Add entity for stats tracking");
}

Frame::InputSpecPtr AddStatsEntity::GetInputSpecInternal() {
  return EntityInputSpec();
}

void AddStatsEntity::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ns = input->GetParameter("namespace");
  const std::string entity = input->GetParameter("entity");
  if (RefuseRootNode(output, ns))
    return;
  RunStatsAction(output, "Error adding xvol stats entity: ", [&](XvolStatsImpl &stats, ErrInfo &error) {
    return stats.AddStatsEntity(ns, entity, error);
  });
}

// --- stats remove ---

RemoveStatsEntity::RemoveStatsEntity() {
  SetDescription("Remove tracked entity");
}

Frame::InputSpecPtr RemoveStatsEntity::GetInputSpecInternal() {
  return EntityInputSpec();
}

void RemoveStatsEntity::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ns = input->GetParameter("namespace");
  const std::string entity = input->GetParameter("entity");
  if (RefuseRootNode(output, ns))
    return;
  // verbatim: no blank after the colon
  RunStatsAction(output, "Error removing xvol stats entity:", [&](XvolStatsImpl &stats, ErrInfo &error) {
    return stats.RemoveStatsEntity(ns, entity, error);
  });
}

// --- stats list ---

ListStats::ListStats() {
  SetDescription("List all supported stats");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:XvolStatNode", "Stat Nodes");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr ListStats::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "namespace", "n", ParameterType::String, Frame::Optional,
                  "node namespace expression");
  return spec;
}

Frame::MetaStructPtr ListStats::GetOutputStructure() const {
  return Frame::NewTemplate("XvolStatNode", {{"Stat Nodes", FieldType::String}});
}

void ListStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ns = OptionalText(input, "namespace");
  try {
    XvolStatsImpl stats;
    ErrInfo error;
    std::vector<std::string> nodes;
    if (!stats.ListStats(ns, nodes, error)) {
      output->AddErrorMessage("Error listing xvol stats:" + error.message);
      return;
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    result->Reserve(nodes.size());
    for (const std::string &node : nodes) {
      auto row = GetOutputStructure();
      row->SetField("Stat Nodes", node);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- stats enable ---

EnableStats::EnableStats() {
  SetDescription("Enable stats for complete namespace");
}

Frame::InputSpecPtr EnableStats::GetInputSpecInternal() {
  return InputSpec::New();
}

void EnableStats::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunStatsAction(output, "Error enabling xvol stats:", [](XvolStatsImpl &stats, ErrInfo &error) {
    return stats.EnableStats(error);
  });
}

// --- stats disable ---

DisableStats::DisableStats() {
  SetDescription("Disable stats for complete namespace");
}

Frame::InputSpecPtr DisableStats::GetInputSpecInternal() {
  return InputSpec::New();
}

void DisableStats::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  RunStatsAction(output, "Error disabling xvol stats:", [](XvolStatsImpl &stats, ErrInfo &error) {
    return stats.DisableStats(error);
  });
}

// --- stats reset ---

ResetStats::ResetStats() {
  SetDescription("Reset stats for given namespace");
}

Frame::InputSpecPtr ResetStats::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "namespace", "n", ParameterType::String, Frame::Required, "node namespace");
  Frame::AddParam(spec, "entity", "e", ParameterType::String, Frame::Optional, "entity Id");
  return spec;
}

void ResetStats::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ns = input->GetParameter("namespace");
  const std::string entity = OptionalText(input, "entity");
  // verbatim: "reseting"
  RunStatsAction(output, "Error reseting xvol stats:", [&](XvolStatsImpl &stats, ErrInfo &error) {
    return stats.ResetStats(ns, entity, error);
  });
}

} // namespace Stats

// --- vmstats get ---

namespace {

Frame::MetaStructPtr VolumeStatsStructure() {
  return Frame::NewTemplate("XvolInfoStats", {{"XvolUuid", FieldType::String},
                                              {"XvolInfo", FieldType::String},
                                              {"ReadsDone", FieldType::Int},
                                              {"WritesDone", FieldType::Int},
                                              {"CommandsDone", FieldType::Int},
                                              {"ReadsIssued", FieldType::Int},
                                              {"WritesIssued", FieldType::Int},
                                              {"CommandsIssued", FieldType::Int},
                                              {"Read Latency In Usecs", FieldType::Int},
                                              {"Write Latency In Usecs", FieldType::Int},
                                              {"Command Latency In Usecs", FieldType::Int},
                                              {"CommandErrors", FieldType::Int},
                                              {"ReadErrors", FieldType::Int},
                                              {"WriteErrors", FieldType::Int}});
}

} // namespace

VmStatsGet::VmStatsGet() {
  SetDescription("Get the XVol information and statistics for a specific virtual machine.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:XvolInfoStats", "%XvolUuid%");
  // verbatim: the blank before "Write Latency In Usecs"
  SetDefaultOutputParameter(
      "fields:XvolInfoStats",
      "XvolInfo,ReadsDone,WritesDone,CommandsDone,ReadsIssued,WritesIssued,CommandsIssued,"
      "Read Latency In Usecs, Write Latency In Usecs,Command Latency In Usecs,CommandErrors,"
      "ReadErrors,WriteErrors");
}

Frame::InputSpecPtr VmStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "vm-name", "v", ParameterType::String, Frame::Required,
                  "Display name of the virtual machine.");
  Frame::AddParam(spec, "get-config-xvol", "c", ParameterType::Flag, Frame::Optional,
                  "Get config XVol stats along with data XVols.");
  return spec;
}

Frame::MetaStructPtr VmStatsGet::GetOutputStructure() const {
  auto row = Frame::NewTemplate("VmStatsGet", {{"VmWorldId", FieldType::Int}});
  row->SetField("XvolInfoStats", Frame::NewRowList(VolumeStatsStructure()));
  return row;
}

// No handler of its own: a host failure leaves the command.
void VmStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string vmName = input->GetParameter("vm-name");
  const bool getConfig = input->IsFlagSet("get-config-xvol");
  uint32_t worldId = 0;
  std::vector<HostCtl::Storage::XvolVmVolume> volumes;
  XvolStatsImpl::GetXvolInfoForVm(vmName, volumes, worldId, getConfig);

  auto entry = GetOutputStructure();
  entry->SetField("VmWorldId", static_cast<int64_t>(worldId));
  auto list = Frame::NewRowList(VolumeStatsStructure());
  list->Reserve(volumes.size());
  for (const HostCtl::Storage::XvolVmVolume &volume : volumes) {
    // A volume without statistics shows zeros: the result is not consulted.
    HostCtl::Storage::XvolStats counters;
    XvolStatsImpl::GetPerXvolStats(volume.uuid, counters);
    auto row = VolumeStatsStructure();
    row->SetField("XvolUuid", volume.uuid);
    row->SetField("XvolInfo",
                  "'" + volume.name + "'(cID: '" + volume.containerId + "' peID: '" + volume.peId + "')");
    row->SetField("ReadsDone", counters.readsDone);
    row->SetField("WritesDone", counters.writesDone);
    row->SetField("CommandsDone", counters.commandsDone);
    row->SetField("ReadsIssued", counters.readsIssued);
    row->SetField("WritesIssued", counters.writesIssued);
    row->SetField("CommandsIssued", counters.commandsIssued);
    row->SetField("Read Latency In Usecs", counters.readLatencyUsecs);
    row->SetField("Write Latency In Usecs", counters.writeLatencyUsecs);
    row->SetField("Command Latency In Usecs", counters.commandLatencyUsecs);
    row->SetField("CommandErrors", counters.commandErrors);
    row->SetField("ReadErrors", counters.readErrors);
    row->SetField("WriteErrors", counters.writeErrors);
    list->Add(row);
  }
  entry->SetField("XvolInfoStats", list);
  auto result = Frame::NewRowList(GetOutputStructure());
  result->Add(entry);
  output->SetRootObject(result);
}

} // namespace TarvexCli::XVolNamespace
