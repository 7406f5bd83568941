#include "core/PluginCommands.h"

#include "frame/Params.h"

#include <olkctl/storage/PsaPluginImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/PsaPlugin.h>

#include <algorithm>
#include <string>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

// The claim-rule class of a loaded plug-in: the first of MP, Filter and HWAC
// whose test accepts the name; UNKNOWN for a sub-plug-in.
HostCtl::Storage::PSAClaimRuleClass ClassOfPlugin(const std::string &name) {
  if (OlkCtl::Storage::PsaMultipathPluginImpl::IsValidPluginName(name))
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP;
  if (OlkCtl::Storage::PsaFilterPluginImpl::IsValidPluginName(name))
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER;
  if (OlkCtl::Storage::PsaHwacPluginImpl::IsValidPluginName(name))
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_HWAC;
  return HostCtl::Storage::PSA_CLAIMRULE_CLASS_UNKNOWN;
}

const char *ProtocolText(int protocol) {
  if (protocol == HostCtl::Storage::PSA_PLUGIN_PROTOCOL_SCSI_NVME)
    return "SCSI/NVMe";
  if (protocol == HostCtl::Storage::PSA_PLUGIN_PROTOCOL_NVME)
    return "NVMe";
  return "SCSI";
}

} // namespace

// --- plugin list ---

PluginList::PluginList() {
  SetDescription("List loaded PSA plugins on the system.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:PsaPlugin", "Plugin name,Plugin class,Plugin type");
}

Frame::InputSpecPtr PluginList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "plugin-class", "N", ParameterType::String, Frame::Optional,
                  // verbatim: double blank
                  "Indicate the class of plugin to limit the list to.  Allowed values are: %FULLENUM%",
                  Frame::StringEnum({{"MP", "MultiPathing plugins"},
                                     {"Filter", "Filter plugins"},
                                     {"HWAC", "HWAC plugins"},
                                     {"all", "All PSA Plugins (default)"}}));
  return spec;
}

Frame::MetaStructPtr PluginList::GetOutputStructure() const {
  return Frame::NewTemplate("PsaPlugin", {{"Plugin name", FieldType::String},
                                          {"Plugin class", FieldType::String},
                                          {"Plugin type", FieldType::String}});
}

void PluginList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string wanted = input->GetParameter("plugin-class");
  try {
    StorageInfoImpl info;
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const std::string &name : info.GetPsaPluginNames()) {
      const HostCtl::Storage::PSAClaimRuleClass pluginClass = ClassOfPlugin(name);
      if (pluginClass == HostCtl::Storage::PSA_CLAIMRULE_CLASS_UNKNOWN)
        continue;
      const std::string classText = info.GetClaimRuleClassString(pluginClass);
      if (!wanted.empty() && wanted != "all" && wanted != classText)
        continue;
      auto row = GetOutputStructure();
      row->SetField("Plugin name", name);
      row->SetField("Plugin class", classText);
      row->SetField("Plugin type",
                    ProtocolText(OlkCtl::Storage::PsaPluginImpl::PsaStorGetPluginProtocol(name)));
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list plugins. ", e);
  }
}

// --- plugin registration list ---

PluginListRegistered::PluginListRegistered() {
  SetDescription("List modules currently registered with PSA.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:RegisteredModuleList",
                            "Module Name,Plugin Name,Plugin Class,Dependencies,Full Path");
}

Frame::InputSpecPtr PluginListRegistered::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "module-name", "m", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single module.");
  Frame::AddParam(
      spec, "plugin-class", "N", ParameterType::String, Frame::Optional,
      // verbatim: double blank
      "Indicate the class of plugin to list.  Allowed values are MP, HWAC or MPP defined subplugins "
      "like PSP, SATP.");
  return spec;
}

Frame::MetaStructPtr PluginListRegistered::GetOutputStructure() const {
  return Frame::NewTemplate("RegisteredModuleList", {{"Module Name", FieldType::String},
                                                     {"Plugin Name", FieldType::String},
                                                     {"Plugin Class", FieldType::String},
                                                     {"Dependencies", FieldType::String},
                                                     {"Full Path", FieldType::String}});
}

void PluginListRegistered::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string module = input->GetParameter("module-name");
  const std::string pluginClass = input->GetParameter("plugin-class");
  try {
    StorageInfoImpl info;
    const std::vector<std::string> names =
        module.empty() ? info.GetRegistered() : std::vector<std::string>{module};
    auto result = Frame::NewRowList(GetOutputStructure());
    for (const std::string &name : names) {
      const HostCtl::Storage::RegisteredModule record = info.GetRegisteredModule(name);
      if (!pluginClass.empty() && pluginClass != record.pluginClass)
        continue;
      auto row = GetOutputStructure();
      row->SetField("Module Name", record.moduleName);
      row->SetField("Plugin Name", record.pluginName);
      row->SetField("Plugin Class", record.pluginClass);
      row->SetField("Dependencies", record.dependencies);
      row->SetField("Full Path", record.fullPath);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    if (!module.empty())
      output->AddErrorMessage("Unable to find module with name " + module);
    else
      Frame::AddHostError(output, "Unable to list registered modules: ", e);
  }
}

// --- plugin registration add ---

PluginRegister::PluginRegister() {
  SetDescription("Register a plugin module with PSA.");
}

Frame::InputSpecPtr PluginRegister::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "module-name", "m", ParameterType::String, Frame::Required,
                  "Select the module name to be registered");
  Frame::AddParam(spec, "plugin-name", "P", ParameterType::String, Frame::Required,
                  "Select the plugin name to be registered");
  Frame::AddParam(spec, "plugin-class", "N", ParameterType::String, Frame::Required,
                  // verbatim: double blank
                  "Indicate the class of plugin to register.  Allowed values are MP, HWAC or MPP defined "
                  "subplugins like PSP, SATP.");
  Frame::AddParam(spec, "dependencies", "d", ParameterType::String, Frame::Optional,
                  "Add the [optional] dependencies for this module to loaded");
  Frame::AddParam(spec, "full-path", "I", ParameterType::String, Frame::Optional,
                  "Add the [optional] full path to this module");
  return spec;
}

void PluginRegister::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string module = input->GetParameter("module-name");
  const std::string context = "Unable to register module " + module + ". Error was: ";
  try {
    StorageInfoImpl info;
    const std::vector<std::string> registered = info.GetRegistered();
    if (std::find(registered.begin(), registered.end(), module) != registered.end()) {
      output->AddErrorMessage(context + "Module already registered");
      return;
    }
    info.RegisterModule(module, input->GetParameter("plugin-name"), input->GetParameter("plugin-class"),
                        input->GetParameter("dependencies"), input->GetParameter("full-path"));
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, context, e);
  }
}

// --- plugin registration remove ---

PluginUnRegister::PluginUnRegister() {
  SetDescription("UnRegister a plugin module with PSA.");
}

Frame::InputSpecPtr PluginUnRegister::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "module-name", "m", ParameterType::String, Frame::Required,
                  "Select the module name to be unregistered");
  return spec;
}

void PluginUnRegister::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string module = input->GetParameter("module-name");
  try {
    StorageInfoImpl info;
    info.UnRegisterModule(module);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to unregister module " + module + ". Error was: ", e);
  }
}

} // namespace TarvexCli::Storage
