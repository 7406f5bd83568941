// The "fpin" tree: fabric performance impact notifications.
#include "frame/Registration.h"

#include "fpin/FpinCommands.h"

#include <clikit/AutoCli.h>

using TarvexCli::Frame::NewNamespace;
using namespace TarvexCli::FpinNamespace;

extern "C" {

void Fpin_RegisterNamespaces(NamespaceNodePtr storage) {
  auto fpin = NewNamespace("Operations pertaining to Fabric Performance Impact Notification (FPIN).");

  auto info = NewNamespace("General FPIN information.");
  info->RegisterNamespaceNode(FpinInfoGet::New(), "get");
  info->RegisterNamespaceNode(FpinInfoSet::New(), "set");
  fpin->RegisterNamespaceNode(info, "info");

  auto fc = NewNamespace("Manage FPIN of Fibre Channel transport.");
  auto adapter = NewNamespace("Manage FPIN FC adapters.");
  adapter->RegisterNamespaceNode(FpinFcAdaptersList::New(), "list");
  fc->RegisterNamespaceNode(adapter, "adapter");
  auto target = NewNamespace("Manage FPIN FC targets.");
  target->RegisterNamespaceNode(FpinFcAdaptersTargets::New(), "get");
  fc->RegisterNamespaceNode(target, "target");
  auto stats = NewNamespace("FPIN FC statistical information.");
  stats->RegisterNamespaceNode(FpinFcStatsInfo::New(), "get");
  fc->RegisterNamespaceNode(stats, "stats");
  auto event = NewNamespace("FPIN events of FC devices.");
  event->RegisterNamespaceNode(FpinFcStatsList::New(), "list");
  fc->RegisterNamespaceNode(event, "event");
  fc->RegisterNamespaceNode(FpinFcClear::New(), "clear");
  fpin->RegisterNamespaceNode(fc, "fc");

  storage->RegisterNamespaceNode(fpin, "fpin");
}

} // extern "C"
