// Hpp_RegisterNamespaces: the "hpp" tree under "storage".
#include "frame/Registration.h"

#include "hpp/HppCommands.h"

#include <clikit/AutoCli.h>

using CliKit::AutoCli::Namespace;
using namespace TarvexCli::Hpp;

extern "C" {

// Each namespace is complete before it is attached; "hpp" is attached last.
void Hpp_RegisterNamespaces(NamespaceNodePtr storage) {
  auto usermarkedssd = Namespace::New();
  usermarkedssd->SetDescription("Operations pertaining to devices marked by users as SSDs"); // verbatim
  usermarkedssd->RegisterNamespaceNode(UserMarkedSSDList::New(), "list");

  auto device = Namespace::New();
  device->SetDescription(
      "Operations pertaining to the devices currently claimed by the Tarvex High Performance Plugin.");
  device->RegisterNamespaceNode(DeviceList::New(), "list");
  device->RegisterNamespaceNode(DeviceSet::New(), "set");
  device->RegisterNamespaceNode(usermarkedssd, "usermarkedssd");

  auto path = Namespace::New();
  path->SetDescription(
      "Operations pertaining to the paths currently claimed by the Tarvex High Performance Plugin.");
  path->RegisterNamespaceNode(PathList::New(), "list");

  auto hpp = Namespace::New();
  hpp->SetDescription("Tarvex High Performance Plugin (HPP).");
  hpp->RegisterNamespaceNode(device, "device");
  hpp->RegisterNamespaceNode(path, "path");
  storage->RegisterNamespaceNode(hpp, "hpp");
}

} // extern "C"
