#include "support/TestHost.h"

#include "frame/Registration.h"

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

namespace TestSupport {

void UseHostJson(const std::string &jsonText) {
  OlkCtl::Sim::UseHostFromJson(jsonText);
  OlkCtl::Sim::FillFeatureList();
}

void UseProfile(const std::string &profileName) {
  OlkCtl::Sim::UseHostFromProfile(profileName);
  OlkCtl::Sim::FillFeatureList();
}

std::string PatchedProfile(const std::string &patch, const std::string &profileName) {
  auto doc = nlohmann::ordered_json::parse(OlkCtl::Sim::ProfileJson(profileName));
  doc.merge_patch(nlohmann::ordered_json::parse(patch));
  return doc.dump();
}

namespace {
CliKit::Cli &PluginCli() {
  static CliKit::Cli cli = [] {
    auto root = CliKit::AutoCli::Namespace::New();
    AutoCli_RegisterNamespaces(root);
    auto internal = CliKit::AutoCli::Namespace::New();
    ClusteredOldk_RegisterInternalNamespace(internal);
    return CliKit::Cli(root, internal);
  }();
  return cli;
}
} // namespace

CliKit::Execution Run(const std::vector<std::string> &args) { return PluginCli().Execute(args); }

std::vector<std::string> Errors(const CliKit::Execution &execution) {
  if (!execution.output)
    return {};
  return execution.output->GetErrorMessages();
}

std::string BinPath(const std::string &tool) { return std::string(ORLOCLI_BIN_DIR) + "/" + tool; }
std::string SourcePath(const std::string &relative) { return std::string(ORLOCLI_SOURCE_DIR) + "/" + relative; }

} // namespace TestSupport
