#include "FuzzSupport.h"

#include "frame/Registration.h"

#include <olkctl/sim/HostControl.h>

// The store's internals, only to notice cheaply whether an input changed the
// host: a memory host replaces its state object on every change.
#include "sim/Store.h"

#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

namespace {

// The default host's state object right after installing it.
struct Installed {
  std::shared_ptr<const OlkCtl::Sim::State> state;
  bool done = false;
};
Installed &Baseline() {
  static Installed installed;
  return installed;
}

} // namespace

void InstallDefaultHost() {
  static const bool stubbed = [] {
    CliKit::AutoCli::SetShellRunner([](const std::string &, std::string &output, const std::string &) {
      output.clear();
      return 0;
    });
    return true;
  }();
  (void)stubbed;
  OlkCtl::Sim::UseHostFromProfile("default");
  OlkCtl::Sim::FillFeatureList();
  Baseline().state = OlkCtl::Sim::Current().Read();
  Baseline().done = true;
}

bool HostChanged() {
  return !Baseline().done || OlkCtl::Sim::Current().Read() != Baseline().state;
}

void ResetDefaultHost() {
  if (HostChanged())
    InstallDefaultHost();
}

namespace {

struct Trees {
  std::shared_ptr<CliKit::AutoCli::Namespace> root;
  std::shared_ptr<CliKit::AutoCli::Namespace> internal;
};

// The host comes first: registration reads its feature switches.
const Trees &Registered() {
  static const Trees trees = [] {
    if (!Baseline().done)
      InstallDefaultHost();
    Trees built{CliKit::AutoCli::Namespace::New(), CliKit::AutoCli::Namespace::New()};
    AutoCli_RegisterNamespaces(built.root);
    ClusteredOldk_RegisterInternalNamespace(built.internal);
    return built;
  }();
  return trees;
}

} // namespace

CliKit::Cli &PluginCli() {
  static CliKit::Cli cli = [] {
    CliKit::Cli built(Registered().root, Registered().internal);
    built.SetToolInfo("orlocli", "fuzz");
    return built;
  }();
  return cli;
}

CliKit::AutoCli::NamespaceNode &PluginRoot() {
  return *Registered().root;
}

CliKit::AutoCli::NamespaceNode &PluginInternalRoot() {
  return *Registered().internal;
}

void Fail(const std::string &what, const std::string &context) {
  std::fprintf(stderr, "\n==== fuzz invariant broken: %s\n%s\n", what.c_str(), context.c_str());
  std::fflush(stderr);
  std::abort();
}

} // namespace FuzzSupport
