// The "kflash" tree: the flash read cache's SSDs and cache modules.
#include "frame/Registration.h"

#include "kflash/KFlashCommands.h"

#include <clikit/AutoCli.h>

using TarvexCli::Frame::NewNamespace;
using namespace TarvexCli::KFlashNamespace;

extern "C" {

// Commands first, then the namespaces hung together: "device" is attached
// before "module".
void KFlash_RegisterNamespaces(NamespaceNodePtr storage) {
  auto kflash = NewNamespace("virtual flash Management Operations on the system.");
  auto module = NewNamespace("virtual flash module Management Operations.");
  module->RegisterNamespaceNode(Module::KFlashModuleList::New(), "list");
  module->RegisterNamespaceNode(Module::KFlashModuleGet::New(), "get");
  auto stats = CliKit::AutoCli::Namespace::New(); // no description
  stats->RegisterNamespaceNode(Module::KFlashModuleStatsGet::New(), "get");
  auto device = NewNamespace("kflash SSD Device Management Operations.");
  device->RegisterNamespaceNode(Device::KFlashDeviceList::New(), "list");

  kflash->RegisterNamespaceNode(device, "device");
  kflash->RegisterNamespaceNode(module, "module");
  module->RegisterNamespaceNode(stats, "stats");
  storage->RegisterNamespaceNode(kflash, "kflash");
}

} // extern "C"
