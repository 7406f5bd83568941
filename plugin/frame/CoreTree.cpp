#include "frame/CoreTree.h"

#include "core/AdapterCommands.h"
#include "core/ClaimRuleCommands.h"
#include "core/DeviceCommands.h"
#include "core/PathCommands.h"

#include <string>

namespace TarvexCli::Frame {

using CliKit::AutoCli::Namespace;
using namespace TarvexCli::Storage;

namespace {

std::shared_ptr<Namespace> NewNamespace(const std::string &description) {
  auto node = Namespace::New();
  node->SetDescription(description);
  return node;
}

void BuildClaimRule(const NodePtr &core) {
  auto claimrule = NewNamespace("Operations pertaining to the pluggable storage architecture claiming rule system. "
                                "These operations operate on the rules used to determine the PSA plugin used to "
                                "claim storage paths.");
  claimrule->RegisterNamespaceNode(ClaimRuleAdd::New(), "add");
  claimrule->RegisterNamespaceNode(ClaimRuleDelete::New(), "remove");
  claimrule->RegisterNamespaceNode(ClaimRuleList::New(), "list");
  claimrule->RegisterNamespaceNode(ClaimRuleMove::New(), "move");
  claimrule->RegisterNamespaceNode(ClaimRuleRun::New(), "run");
  claimrule->RegisterNamespaceNode(ClaimRuleLoad::New(), "load");
  claimrule->RegisterNamespaceNode(ClaimRuleConvert::New(), "convert");
  core->RegisterNamespaceNode(claimrule, "claimrule");
}

void BuildClaiming(const NodePtr &core) {
  auto claiming = NewNamespace(
      "Operations pertaining to the pluggable storage direct path claiming system. These operations will allow a "
      "user to directly control the claiming and unclaiming process. These operations are considered temporary and "
      "any claiming operations that need to survive a reboot should use claimrules instead.");
  core->RegisterNamespaceNode(claiming, "claiming");
}

void BuildAdapter(const NodePtr &core) {
  auto adapter = NewNamespace("Operations on storage Host Bus Adapters on the system.");
  adapter->RegisterNamespaceNode(AdapterList::New(), "list");
  adapter->RegisterNamespaceNode(AdapterRescan::New(), "rescan");
  adapter->RegisterNamespaceNode(AdapterDetailedList::New(), "listdetailed");

  auto stats = NewNamespace("Stats operations on storage Host Bus Adapters on the system.");
  stats->RegisterNamespaceNode(AdapterStats::New(), "get");
  adapter->RegisterNamespaceNode(stats, "stats");

  auto capabilities = NewNamespace("Capabilities on SCSI Host Bus Adapters on the system.");
  capabilities->RegisterNamespaceNode(AdapterCapabilities::New(), "list");
  adapter->RegisterNamespaceNode(capabilities, "capabilities");

  auto device = NewNamespace("Operations related to SCSI devices.");
  device->RegisterNamespaceNode(AdapterDeviceList::New(), "list");
  adapter->RegisterNamespaceNode(device, "device");

  core->RegisterNamespaceNode(adapter, "adapter");
}

void BuildPath(const NodePtr &core) {
  auto path = NewNamespace(
      "Operations pertaining to the pluggable storage architectures' storage device paths on the system.");
  path->RegisterNamespaceNode(PathList::New(), "list");
  path->RegisterNamespaceNode(PathSet::New(), "set");

  auto stats = NewNamespace(
      "Stats operations pertaining to the pluggable storage architectures' device paths on the system. ");
  stats->RegisterNamespaceNode(PathStats::New(), "get");
  path->RegisterNamespaceNode(stats, "stats");

  core->RegisterNamespaceNode(path, "path");
}

void BuildDevice(const NodePtr &core) {
  auto device = NewNamespace(
      "Operations pertaining to the pluggable storage architectures' logical devices on the system. The operation "
      "currently allowed is to list the available devices on the system and the filters attached to each");
  device->RegisterNamespaceNode(DeviceList::New(), "list");

  device->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the inquiry cache of known storage devices."), "inquirycache");
  device->RegisterNamespaceNode(NewNamespace("Operations pertaining to the capacity of known storage devices. "),
                                "capacity");
  device->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the latency sensitive threshold of known storage devices. "),
      "latencythreshold");
  device->RegisterNamespaceNode(NewNamespace("Functionality related to UID mapping."), "uidmap");
  device->RegisterNamespaceNode(NewNamespace("Partition operations pertaining to the pluggable storage "
                                             "architectures' logical devices on the system."),
                                "partition");

  auto smart = NewNamespace("Tarvex Smart commands.");
  smart->RegisterNamespaceNode(NewNamespace("SMART status commands."), "status");
  auto daemon = NewNamespace("smartd commands");
  daemon->RegisterNamespaceNode(CliKit::AutoCli::Namespace::New(), "status");  // the one node without description
  smart->RegisterNamespaceNode(daemon, "daemon");
  device->RegisterNamespaceNode(smart, "smart");

  device->RegisterNamespaceNode(NewNamespace("Stats operations pertaining to the pluggable storage architectures' "
                                             "logical devices on the system. "),
                                "stats");
  device->RegisterNamespaceNode(NewNamespace("Operations on worlds pertaining to the pluggable storage "
                                             "architectures' logical devices on the system. "),
                                "world");

  auto hwac = NewNamespace("Operations pertaining to HWAC aspects of the storage device.");
  hwac->RegisterNamespaceNode(NewNamespace("Manage a storage device's HWAC state."), "status");
  hwac->RegisterNamespaceNode(
      NewNamespace("Information on ATS (Atomic Test and Set) attributes of SCSI devices."), "ats");
  hwac->RegisterNamespaceNode(NewNamespace("Information on Delete attributes of SCSI devices."), "delete");
  hwac->RegisterNamespaceNode(NewNamespace("Information on Zero attributes of SCSI devices."), "zero");
  hwac->RegisterNamespaceNode(NewNamespace("Information on Clone attributes of SCSI devices."), "clone");
  device->RegisterNamespaceNode(hwac, "hwac");

  device->RegisterNamespaceNode(NewNamespace("Operations pertaining to the pluggable storage architectures' "
                                             "detached logical devices on the system."),
                                "detached");
  device->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the physical devices that compose a logical device."), "raid");
  device->RegisterNamespaceNode(NewNamespace("Operations pertaining to physical devices."), "physical");

  core->RegisterNamespaceNode(device, "device");
}

void BuildPlugin(const NodePtr &core) {
  auto plugin = NewNamespace(
      "Operations pertaining to the pluggable storage architectures' plugins. The operation currently allowed is to "
      "list the available plugins on the system with the type of those plugins");
  plugin->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the pluggable storage architectures' plugin registration. The "
                   "operations currently allowed are to list registered plugins on the system with the type of "
                   "those plugins and to register and unregister plugin modules on the system"),
      "registration");
  core->RegisterNamespaceNode(plugin, "plugin");
}

void BuildScsi(const NodePtr &core) {
  auto scsi = NewNamespace("Operations pertaining to the pluggable storage architectures for SCSI protocol.");
  // The path-list command is created before the device namespace, which is still
  // attached first.
  auto pathList = ScsiPathList::New();
  scsi->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the pluggable storage architectures SCSI devices on the system."),
      "device");
  auto path = NewNamespace(
      "Operations pertaining to the pluggable storage architectures SCSI device paths on the system.");
  path->RegisterNamespaceNode(pathList, "list");
  scsi->RegisterNamespaceNode(path, "path");
  core->RegisterNamespaceNode(scsi, "scsi");
}

void BuildNvme(const NodePtr &core) {
  auto nvme = NewNamespace("Operations pertaining to the pluggable storage architectures for NVMe protocol.");
  auto pathList = NvmePathList::New();
  nvme->RegisterNamespaceNode(
      NewNamespace("Operations pertaining to the pluggable storage architectures for NVMe devices  on the system."),
      "device");
  auto path = NewNamespace(
      "Operations pertaining to the pluggable storage architectures for NVMe device paths on the system.");
  path->RegisterNamespaceNode(pathList, "list");
  nvme->RegisterNamespaceNode(path, "path");
  core->RegisterNamespaceNode(nvme, "nvme");
}

} // namespace

void BuildCoreTree(const NodePtr &core) {
  BuildClaimRule(core);
  BuildClaiming(core);
  BuildAdapter(core);
  BuildPath(core);
  BuildDevice(core);
  BuildPlugin(core);
  BuildScsi(core);
  BuildNvme(core);
}

} // namespace TarvexCli::Frame
