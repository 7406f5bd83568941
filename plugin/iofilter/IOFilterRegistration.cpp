// The "iofilter" tree: I/O filters installed on the host.
#include "frame/Registration.h"

#include "iofilter/IOFilterCommands.h"

#include <clikit/AutoCli.h>

using TarvexCli::Frame::NewNamespace;
using namespace TarvexCli::IOFilterNamespace;

extern "C" {

void IOFilter_RegisterNamespaces(NamespaceNodePtr storage) {
  auto iofilter = NewNamespace("IOFilter related commands.");
  iofilter->RegisterNamespaceNode(FilterList::New(), "list");
  iofilter->RegisterNamespaceNode(FilterEnable::New(), "enable");
  storage->RegisterNamespaceNode(iofilter, "iofilter");
}

} // extern "C"
