#include "nmp/SatpCommands.h"

#include "frame/Params.h"
#include "nmp/NmpAccess.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/Nmp.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/NmpImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::Nmp {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage::Nmp;
using OlkCtl::Storage::Nmp::NmpPsaPluginImpl;

namespace {

constexpr const char *kBootText =
    "This is a system default rule added at boot time. Do not modify orlo.conf or "
    "add to host profile.";

// The parameters of rule add and rule remove: same names and order, their own
// descriptions.
struct RuleParam {
  const char *name;
  const char *shortName;
  const char *add;
  const char *remove;
};
constexpr RuleParam kRuleParams[] = {
    {"satp", "s", "The SATP for which a new rule will be added.",
     "The SATP for which a rule will be deleted."},
    {"device", "d",
     "Set the device when adding SATP claim rules. Device rules are mutually exclusive with vendor/model and "
     "driver rules.",
     "The device for the SATP claim rule to delete"},
    {"vendor", "V",
     "Set the vendor string when adding SATP claim rules. Vendor/Model rules are mutually exclusive with driver "
     "rules.",
     "The vendor string for the SATP claim rule to delete"},
    {"model", "M",
     "Set the model string when adding SATP a claim rule. Vendor/Model rules are mutually exclusive with driver "
     "rules.",
     "The model string for the SATP claim rule to delete."},
    {"driver", "D",
     "Set the driver string when adding a SATP claim rule. Driver rules are mutually exclusive with vendor/model "
     "rules.",
     "The driver string for the SATP claim rule to delete."},
    {"option", "o", "Set the option string when adding a SATP claim rule.",
     "The option string for the SATP claim rule to delete."},
    {"claim-option", "c", "Set the claim option string when adding a SATP claim rule.",
     "The claim option string for the SATP claim rule to delete."},
    {"psp", "P", "Set the default PSP for the SATP claim rule.",
     "The default PSP for the SATP claim rule to delete."},
    {"psp-option", "O", "Set the PSP options for the SATP claim rule.",
     "The PSP options for the SATP claim rule to delete."},
    {"transport", "R", "Set the claim transport type string when adding a SATP claim rule.",
     "The transport type for the SATP claim rule to delete."},
    // verbatim: "desription"
    {"description", "e", "Set the claim rule description when adding a SATP claim rule.",
     "The desription string for the SATP claim rule to delete."},
    {"type", "t", "Set the claim type when adding a SATP claim rule.",
     "Set the claim type when adding a SATP claim rule."},
};

Frame::InputSpecPtr RuleInputSpec(bool add) {
  auto spec = InputSpec::New();
  for (const RuleParam &p : kRuleParams)
    Frame::AddParam(spec, p.name, p.shortName, ParameterType::String,
                    std::string(p.name) == "satp" ? Frame::Required : Frame::Optional,
                    add ? p.add : p.remove);
  Frame::AddParam(spec, "boot", "b", ParameterType::Flag, Frame::Optional, kBootText);
  Frame::AddParam(spec, "force", "f", ParameterType::Flag, Frame::Optional,
                  add ? "Force claim rules to ignore validity checks and install the rule anyway."
                      : "Ignore validity checks and remove the rule anyway.");
  return spec;
}

struct RuleInput {
  std::string satp, device, vendor, model, driver, option, claimOption, psp, pspOption, transport,
      description, type;
  bool boot = false;
  bool force = false;

  explicit RuleInput(const Frame::InputPtr &input)
      : satp(input->GetParameter("satp")), device(input->GetParameter("device")),
        vendor(input->GetParameter("vendor")), model(input->GetParameter("model")),
        driver(input->GetParameter("driver")), option(input->GetParameter("option")),
        claimOption(input->GetParameter("claim-option")), psp(input->GetParameter("psp")),
        pspOption(input->GetParameter("psp-option")), transport(input->GetParameter("transport")),
        description(input->GetParameter("description")), type(input->GetParameter("type")),
        boot(input->IsFlagSet("boot")), force(input->IsFlagSet("force")) {}

  SatpClaimRule Rule() const {
    return SatpClaimRule{device,
                         vendor,
                         model,
                         driver,
                         transport,
                         option,
                         claimOption,
                         psp,
                         pspOption,
                         description,
                         boot ? "system" : "user",
                         force};
  }
};

// The group and type checks rule add and remove share; false after adding
// the message.
bool CheckRuleGroups(const RuleInput &r, const Frame::OutputPtr &output, const char *noGroupText) {
  if (r.vendor.empty() && r.model.empty() && r.device.empty() && r.claimOption.empty() && r.driver.empty() &&
      r.transport.empty()) {
    output->AddErrorMessage(noGroupText);
    return false;
  }
  const int groups = int(!r.device.empty()) +
                     int(!r.vendor.empty() || !r.model.empty() || !r.claimOption.empty()) +
                     int(!r.driver.empty()) + int(!r.transport.empty());
  if (groups != 1) {
    output->AddErrorMessage(
        "--device, --vendor / --model / --claim-option, --driver and --transport options are "
        "mutually exclusive.");
    return false;
  }
  if (!r.type.empty()) {
    const bool fits = (r.type == "device" && !r.device.empty()) ||
                      (r.type == "driver" && !r.driver.empty()) ||
                      (r.type == "transport" && !r.transport.empty()) ||
                      (r.type == "vendor" && (!r.vendor.empty() || !r.model.empty()));
    if (!fits) {
      output->AddErrorMessage(
          "--type option '" + r.type +
          "' does not match --device, --vendor / --model, --driver and --transport options.");
      return false;
    }
  }
  return true;
}

} // namespace

// --- satp list ---

SatpList::SatpList() {
  SetDescription(
      "List the Storage Array Type Plugins (SATP) that are currently loaded into the NMP system and "
      "display information about those SATPs");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:StorageArrayTypePlugin", "Name,Default PSP,Description");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr SatpList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr SatpList::GetOutputStructure() const {
  return Frame::NewTemplate(
      "StorageArrayTypePlugin",
      {{"Name", FieldType::String}, {"Default PSP", FieldType::String}, {"Description", FieldType::String}});
}

void SatpList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    NmpPsaPluginImpl nmp;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &satp : nmp.GetStorageArrayTypes()) {
      auto row = GetOutputStructure();
      row->SetField("Name", satp->GetName());
      row->SetField("Description", satp->GetDescription());
      row->SetField("Default PSP", satp->GetDefaultPathSelectionPolicyName());
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list SATPs: ", e);
  }
}

// --- satp set ---

SatpSetDefaultPsp::SatpSetDefaultPsp() {
  SetDescription("Set the default Path Selection Policy for a given Storage Array Type Plugin (SATP).");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr SatpSetDefaultPsp::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "satp", "s", ParameterType::String, Frame::Required,
                  "The SATP name for the Storage Array Type Plugin on which this command will operate.");
  // verbatim: trailing blank
  Frame::AddParam(spec, "default-psp", "P", ParameterType::String, Frame::Required,
                  "The default path selection policy to set for a given --satp ");
  Frame::AddParam(spec, "boot", "b", ParameterType::Flag, Frame::Optional, kBootText);
  return spec;
}

void SatpSetDefaultPsp::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string satp = input->GetParameter("satp");
  const std::string psp = input->GetParameter("default-psp");
  const bool boot = input->IsFlagSet("boot");
  std::string result;
  try {
    OlkCtl::Storage::StorageInfoImpl info;
    if (!info.IsRegisteredPsaPluginName(psp, "PSP")) {
      // verbatim: "registered list"
      output->AddErrorMessage(
          "Plugin '" + psp +
          "' is not a registered PSP. Please select a plugin from the list in 'orlocli storage "
          "core plugin registered list -N PSP'.");
    } else if (!info.IsRegisteredPsaPluginName(satp, "SATP")) {
      output->AddErrorMessage("Plugin '" + satp + "' is not a registered SATP.");
    } else {
      OlkCtl::Storage::Nmp::StorageArrayTypeImpl(satp).SetDefaultPathSelectionPolicyName(psp, boot);
      result = "Default PSP for " + satp + " is now " + psp;
    }
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set default PSP for SATP. Error was : ", e);
  }
  output->SetRootObject(Frame::MetaString::New(result));
}

// --- satp rule list ---

SatpRuleList::SatpRuleList() {
  SetDescription("List the claiming rules for Storage Array Type Plugins (SATP)");
  SetDefaultOutputFormatter("table");
  // The default column order is not the structure's: the group comes earlier.
  SetDefaultOutputParameter(
      "fields:StorageArrayTypePluginRule",
      "Name,Device,Vendor,Model,Driver,Transport,Options,Rule Group,Claim Options,Default "
      "PSP,PSP Options,Description");
  SetDefaultOutputParameter("wrap-last", "true");
}

Frame::InputSpecPtr SatpRuleList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "satp", "s", ParameterType::String, Frame::Optional,
                  "Filter the SATP rules to a specific SATP");
  return spec;
}

Frame::MetaStructPtr SatpRuleList::GetOutputStructure() const {
  return Frame::NewTemplate("StorageArrayTypePluginRule", {{"Name", FieldType::String},
                                                           {"Device", FieldType::String},
                                                           {"Vendor", FieldType::String},
                                                           {"Model", FieldType::String},
                                                           {"Driver", FieldType::String},
                                                           {"Transport", FieldType::String},
                                                           {"Options", FieldType::String},
                                                           {"Claim Options", FieldType::String},
                                                           {"Default PSP", FieldType::String},
                                                           {"PSP Options", FieldType::String},
                                                           {"Description", FieldType::String},
                                                           {"Rule Group", FieldType::String}});
}

void SatpRuleList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string filter = input->GetParameter("satp");
  try {
    NmpPsaPluginImpl nmp;
    std::vector<std::unique_ptr<StorageArrayType>> satps;
    if (!filter.empty()) {
      auto satp = nmp.GetStorageArrayTypeByName(filter, false);
      if (!satp) {
        output->AddErrorMessage("Unable to find a SATP with the name " + filter);
        return;
      }
      satps.push_back(std::move(satp));
    } else {
      satps = nmp.GetStorageArrayTypes();
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const auto &satp : satps) {
      const std::string name = satp->GetName();
      for (const SatpClaimRule &rule : satp->GetClaimRules(true)) {
        auto row = GetOutputStructure();
        row->SetField("Name", name);
        row->SetField("Device", rule.device);
        row->SetField("Vendor", rule.vendor);
        row->SetField("Model", rule.model);
        row->SetField("Driver", rule.driver);
        row->SetField("Transport", rule.transport);
        row->SetField("Options", rule.options);
        row->SetField("Claim Options", rule.claimOptions);
        row->SetField("Default PSP", rule.psp);
        row->SetField("PSP Options", rule.pspOptions);
        row->SetField("Description", rule.description);
        row->SetField("Rule Group", rule.ruleGroup);
        result->Add(row);
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list SATPs: ", e);
  }
}

// --- satp rule add ---

SatpAddRule::SatpAddRule() {
  SetDescription("Add a rule to the list of claim rules for the given SATP.");
}

Frame::InputSpecPtr SatpAddRule::GetInputSpecInternal() {
  return RuleInputSpec(true);
}

void SatpAddRule::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const RuleInput r(input);
  try {
    OlkCtl::Storage::StorageInfoImpl info;
    // verbatim: two blanks after the first full stop
    if (!CheckRuleGroups(
            r, output,
            "Missing required parameter.  Must specify at least one of device, vendor, model, driver, "
            "transport or claim-option."))
      return;
    if (!r.pspOption.empty() && r.psp.empty()) {
      output->AddErrorMessage("Must specify --psp with --psp-option");
      return;
    }
    if (!r.psp.empty() && !r.force && !info.IsRegisteredPsaPluginName(r.psp, "PSP")) {
      // verbatim: no closing quote after "-N PSP"
      output->AddErrorMessage(
          "Plugin '" + r.psp +
          "' is not a registered PSP. Please select a plugin from the list in 'orlocli storage "
          "core plugin registration list -N PSP or use the --force option to force the use of "
          "this PSP.");
      return;
    }
    const SatpClaimRule rule = r.Rule();
    if (!r.force) {
      if (!r.device.empty() && !OlkCtl::Storage::LunImpl::GetLun(r.device, false)) {
        output->AddErrorMessage("Unable to find device with the name " + r.device);
        return;
      }
      if (!info.IsRegisteredPsaPluginName(r.satp, "SATP")) {
        output->AddErrorMessage(
            "Plugin '" + r.satp +
            "' is not a registered SATP. Please select a plugin from the list in 'orlocli "
            "storage core plugin registration list -N SATP' or use the --force option to force "
            "the use of this SATP.");
        return;
      }
    }
    NmpPsaPluginImpl nmp;
    auto satp = nmp.GetStorageArrayTypeByName(r.satp, true);
    satp->AddClaimRule(rule);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error adding SATP " + r.satp + " rule: ", e);
  }
}

// --- satp rule remove ---

SatpDeleteRule::SatpDeleteRule() {
  SetDescription("Delete a rule from the list of claim rules for the given SATP.");
}

Frame::InputSpecPtr SatpDeleteRule::GetInputSpecInternal() {
  return RuleInputSpec(false);
}

void SatpDeleteRule::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const RuleInput r(input);
  try {
    bool valid =
        CheckRuleGroups(r, output,
                        "Missing required --satp-rule parameters. Must specify device, vendor, model, "
                        "claim-option, driver or transport.");
    if (valid && !r.psp.empty() && !r.force &&
        !OlkCtl::Storage::Nmp::PathSelectionPolicyImpl::IsValidPsp(r.psp)) {
      output->AddErrorMessage("Unknown PSP " + r.psp);
      valid = false;
    }
    if (valid) {
      const SatpClaimRule rule = r.Rule();
      NmpPsaPluginImpl nmp;
      auto satp = nmp.GetStorageArrayTypeByName(r.satp, false);
      if (!satp && r.force) // a registered SATP that is not loaded is loaded to take the rule out
        satp = nmp.GetStorageArrayTypeByName(r.satp, true);
      if (!satp)
        output->AddErrorMessage("Unknown SATP : " + r.satp);
      else
        satp->RemoveClaimRule(rule);
    }
    // The messages decide the outcome; the result is true either way.
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error deleting SATP rule: ", e);
  }
}

// --- satp generic deviceconfig get ---

SatpGetConfig::SatpGetConfig() {
  SetDescription("Allow retrieving of per device SATP configuration parameters.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr SatpGetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Required,
                  "The device you wish to get SATP configuration for.");
  Frame::AddParam(spec, "exclude-tpg-info", "e", ParameterType::Flag, Frame::Optional,
                  "Exclude TPG info from the device's SATP configuration.");
  return spec;
}

void SatpGetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const bool excludeTpg = input->IsFlagSet("exclude-tpg-info");
  std::string result;
  try {
    if (!name.empty())
      if (auto config = FindNmpDevice(name, output))
        result = config->GetStorageArrayTypeOptionString(excludeTpg);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get SATP configuration: ", e);
  }
  output->SetRootObject(Frame::MetaString::New(result));
}

// --- satp generic deviceconfig set ---

SatpSetConfig::SatpSetConfig() {
  SetDescription("Allow setting of per device SATP configuration parameters. This command will set the "
                 "configuration for the given device with whichever SATP it is currently configurated with.");
}

Frame::InputSpecPtr SatpSetConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "The device you wish to set SATP configuration for.");
  Frame::AddParam(spec, "config", "c", ParameterType::String, Frame::Required,
                  "The configuration string you wish to set.");
  return spec;
}

void SatpSetConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  const std::string text = input->GetParameter("config");
  try {
    if (name.empty())
      output->AddErrorMessage("Must specify --device.");
    else if (auto config = FindNmpDevice(name, output))
      config->SetStorageArrayTypeOptionString(text, false);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set SATP configuration: ", e);
  }
}

// --- satp generic pathconfig get ---

SatpGetPathConfig::SatpGetPathConfig() {
  SetDescription("Allow retrieving of per path SATP configuration parameters.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr SatpGetPathConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "The path you wish to get SATP configuration for.");
  return spec;
}

void SatpGetPathConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("path");
  std::string result;
  try {
    if (name.empty())
      output->AddErrorMessage("Must specify --path.");
    else if (auto config = FindNmpPath(name, output))
      result = config->GetStorageArrayTypeConfigString();
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get SATP configuration: ", e);
  }
  output->SetRootObject(Frame::MetaString::New(result));
}

// --- satp generic pathconfig set ---

SatpSetPathConfig::SatpSetPathConfig() {
  SetDescription("Allow setting of per path SATP configuration parameters.  This command will set the "
                 "configuration for the given path with whichever SATP it is currently configurated with.");
}

Frame::InputSpecPtr SatpSetPathConfig::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "The path you wish to set SATP configuration for.");
  Frame::AddParam(spec, "config", "c", ParameterType::String, Frame::Required,
                  "The configuration string you wish to set.");
  return spec;
}

void SatpSetPathConfig::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("path");
  const std::string text = input->GetParameter("config");
  try {
    if (name.empty())
      output->AddErrorMessage("Must specify --path.");
    else if (auto config = FindNmpPath(name, output))
      config->SetStorageArrayTypeConfigString(text);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to set SATP configuration: ", e);
  }
}

} // namespace TarvexCli::Nmp
