// Nmp_RegisterNamespaces: the "nmp" tree under "storage".
#include "frame/Registration.h"

#include "nmp/NmpDeviceCommands.h"
#include "nmp/PspCommands.h"
#include "nmp/SatpCommands.h"

#include <clikit/AutoCli.h>

#include <memory>

using CliKit::AutoCli::Namespace;
using namespace TarvexCli::Nmp;

namespace {

// A "deviceconfig" or "pathconfig" namespace with its get and set commands.
template <class Get, class Set> std::shared_ptr<Namespace> GetSetNamespace(const char *description) {
  auto ns = Namespace::New();
  ns->SetDescription(description);
  ns->RegisterNamespaceNode(Get::New(), "get");
  ns->RegisterNamespaceNode(Set::New(), "set");
  return ns;
}

} // namespace

extern "C" {

// Each namespace is complete before it is attached; "nmp" is attached last.
void Nmp_RegisterNamespaces(NamespaceNodePtr storage) {
  auto rule = Namespace::New();
  rule->SetDescription("Operations pertaining to claimrules for Storage Array Type Plug-ins.");
  rule->RegisterNamespaceNode(SatpRuleList::New(), "list");
  rule->RegisterNamespaceNode(SatpAddRule::New(), "add");
  rule->RegisterNamespaceNode(SatpDeleteRule::New(), "remove");

  auto satpGeneric = Namespace::New();
  satpGeneric->SetDescription("Operations pertaining to a generic Storage Array Type Plug-in.");
  satpGeneric->RegisterNamespaceNode(
      GetSetNamespace<SatpGetConfig, SatpSetConfig>("SATP device configuration operations"), "deviceconfig");
  satpGeneric->RegisterNamespaceNode(
      GetSetNamespace<SatpGetPathConfig, SatpSetPathConfig>("SATP path configuration operations"),
      "pathconfig");

  auto satp = Namespace::New();
  satp->SetDescription(
      "Operations pertaining to the Storage Array Type Plugins for the Tarvex Native Multipath Plugin.");
  satp->RegisterNamespaceNode(SatpList::New(), "list");
  satp->RegisterNamespaceNode(SatpSetDefaultPsp::New(), "set");
  satp->RegisterNamespaceNode(rule, "rule");
  satp->RegisterNamespaceNode(satpGeneric, "generic");

  auto device = Namespace::New();
  device->SetDescription(
      "Operations pertaining to the devices currently claimed by the Tarvex Native Multipath Plugin.");
  device->RegisterNamespaceNode(DeviceList::New(), "list");
  device->RegisterNamespaceNode(DeviceSetPolicy::New(), "set");

  auto path = Namespace::New();
  path->SetDescription(
      "Operations pertaining to the paths currently claimed by the Tarvex Native Multipath Plugin.");
  path->RegisterNamespaceNode(PathList::New(), "list");

  auto pspGeneric = Namespace::New();
  pspGeneric->SetDescription("Operations pertaining to a generic Path Selection Policy (PSP) Plugin.");
  pspGeneric->RegisterNamespaceNode(
      GetSetNamespace<PspGetConfig, PspSetConfig>("PSP device configuration operations"), "deviceconfig");
  pspGeneric->RegisterNamespaceNode(
      GetSetNamespace<PspGetPathConfig, PspSetPathConfig>("PSP path configuration operations"), "pathconfig");

  auto fixed = Namespace::New();
  fixed->SetDescription("Operations pertaining to the Fixed Path Selection Policy (PSP) Plugin.");
  fixed->RegisterNamespaceNode(GetSetNamespace<FixedGetPreferred, FixedSetPreferred>(
                                   "Fixed PSP preferred path configuration operations"),
                               "deviceconfig");

  auto roundrobin = Namespace::New();
  roundrobin->SetDescription("Operations pertaining to the Round Robin Path Selection Policy (PSP) Plugin.");
  roundrobin->RegisterNamespaceNode(GetSetNamespace<RoundRobinGetConfig, RoundRobinSetConfig>(
                                        "Round robin PSP device configuration operations"),
                                    "deviceconfig");

  auto psp = Namespace::New();
  psp->SetDescription(
      "Operations pertaining to the Path Selection Policy Plugins for the Tarvex Native Multipath Plugin.");
  psp->RegisterNamespaceNode(PspList::New(), "list");
  psp->RegisterNamespaceNode(pspGeneric, "generic");
  psp->RegisterNamespaceNode(fixed, "fixed");
  psp->RegisterNamespaceNode(roundrobin, "roundrobin");

  auto nmp = Namespace::New();
  nmp->SetDescription(
      "Tarvex Native Multipath Plugin (NMP). This is the Tarvex default implementation of the "
      "Pluggable Storage Architecture.");
  nmp->RegisterNamespaceNode(satp, "satp");
  nmp->RegisterNamespaceNode(device, "device");
  nmp->RegisterNamespaceNode(path, "path");
  nmp->RegisterNamespaceNode(psp, "psp");
  storage->RegisterNamespaceNode(nmp, "nmp");
}

} // extern "C"
