#include "frame/CoreTree.h"

#include "core/AdapterCommands.h"
#include "core/ClaimRuleCommands.h"
#include "core/DeviceCommands.h"
#include "core/PathCommands.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace TarvexCli::Frame {

using CliKit::AutoCli::Namespace;
using namespace TarvexCli::Storage;

namespace {

// One node of the storage core tree: its words under "storage core", and either
// a namespace's help line or a command's New().
struct TreeRow {
  const char *path;
  const char *description; // namespaces only; null for the one namespace without
  NodePtr (*make)();       // commands only
};

constexpr TreeRow Ns(const char *path, const char *description) {
  return {path, description, nullptr};
}

template <class C> constexpr TreeRow Cmd(const char *path) {
  return {path, nullptr, []() -> NodePtr { return C::New(); }};
}

// The tree in attachment order: within a namespace, its commands and
// sub-namespaces in the order users see them in help. Descriptions are the
// system's own texts, trailing and double blanks included.
constexpr TreeRow kCoreTree[] = {
    Ns("claimrule",
       "Operations pertaining to the pluggable storage architecture claiming rule system. These "
       "operations operate on the rules used to determine the PSA plugin used to claim storage paths."),
    Cmd<ClaimRuleAdd>("claimrule add"),
    Cmd<ClaimRuleDelete>("claimrule remove"),
    Cmd<ClaimRuleList>("claimrule list"),
    Cmd<ClaimRuleMove>("claimrule move"),
    Cmd<ClaimRuleRun>("claimrule run"),
    Cmd<ClaimRuleLoad>("claimrule load"),
    Cmd<ClaimRuleConvert>("claimrule convert"),
    Ns("claiming",
       "Operations pertaining to the pluggable storage direct path claiming system. These operations will allow a "
       "user to directly control the claiming and unclaiming process. These operations are considered temporary "
       "and any claiming operations that need to survive a reboot should use claimrules instead."),
    Ns("adapter", "Operations on storage Host Bus Adapters on the system."),
    Cmd<AdapterList>("adapter list"),
    Cmd<AdapterRescan>("adapter rescan"),
    Cmd<AdapterDetailedList>("adapter listdetailed"),
    Ns("adapter stats", "Stats operations on storage Host Bus Adapters on the system."),
    Cmd<AdapterStats>("adapter stats get"),
    Ns("adapter capabilities", "Capabilities on SCSI Host Bus Adapters on the system."),
    Cmd<AdapterCapabilities>("adapter capabilities list"),
    Ns("adapter device", "Operations related to SCSI devices."),
    Cmd<AdapterDeviceList>("adapter device list"),
    Ns("path",
       "Operations pertaining to the pluggable storage architectures' storage device paths on the system."),
    Cmd<PathList>("path list"),
    Cmd<PathSet>("path set"),
    // verbatim: trailing blank
    Ns("path stats",
       "Stats operations pertaining to the pluggable storage architectures' device paths on the system. "),
    Cmd<PathStats>("path stats get"),
    // verbatim: no final full stop
    Ns("device",
       "Operations pertaining to the pluggable storage architectures' logical devices on the system. The "
       "operation currently allowed is to list the available devices on the system and the filters "
       "attached to each"),
    Cmd<DeviceList>("device list"),
    Ns("device inquirycache", "Operations pertaining to the inquiry cache of known storage devices."),
    // verbatim: trailing blank
    Ns("device capacity", "Operations pertaining to the capacity of known storage devices. "),
    // verbatim: trailing blank
    Ns("device latencythreshold",
       "Operations pertaining to the latency sensitive threshold of known storage devices. "),
    Ns("device uidmap", "Functionality related to UID mapping."),
    Ns("device partition",
       "Partition operations pertaining to the pluggable storage architectures' logical devices "
       "on the system."),
    Ns("device smart", "Tarvex Smart commands."),
    Ns("device smart status", "SMART status commands."),
    Ns("device smart daemon", "smartd commands"), // verbatim
    Ns("device smart daemon status", nullptr),
    // verbatim: trailing blank
    Ns("device stats",
       "Stats operations pertaining to the pluggable storage architectures' logical devices on the "
       "system. "),
    // verbatim: trailing blank
    Ns("device world",
       "Operations on worlds pertaining to the pluggable storage architectures' logical devices on "
       "the system. "),
    Ns("device hwac", "Operations pertaining to HWAC aspects of the storage device."),
    Ns("device hwac status", "Manage a storage device's HWAC state."),
    Ns("device hwac ats", "Information on ATS (Atomic Test and Set) attributes of SCSI devices."),
    Ns("device hwac delete", "Information on Delete attributes of SCSI devices."),
    Ns("device hwac zero", "Information on Zero attributes of SCSI devices."),
    Ns("device hwac clone", "Information on Clone attributes of SCSI devices."),
    Ns("device detached",
       "Operations pertaining to the pluggable storage architectures' detached logical devices on "
       "the system."),
    Ns("device raid", "Operations pertaining to the physical devices that compose a logical device."),
    Ns("device physical", "Operations pertaining to physical devices."),
    // verbatim: no final full stop
    Ns("plugin",
       "Operations pertaining to the pluggable storage architectures' plugins. The operation currently "
       "allowed is to list the available plugins on the system with the type of those plugins"),
    // verbatim: no final full stop
    Ns("plugin registration",
       "Operations pertaining to the pluggable storage architectures' plugin registration. The operations currently "
       "allowed are to list registered plugins on the system with the type of those plugins and to register and "
       "unregister plugin modules on the system"),
    Ns("scsi", "Operations pertaining to the pluggable storage architectures for SCSI protocol."),
    Ns("scsi device",
       "Operations pertaining to the pluggable storage architectures SCSI devices on the system."),
    Ns("scsi path",
       "Operations pertaining to the pluggable storage architectures SCSI device paths on the system."),
    Cmd<ScsiPathList>("scsi path list"),
    Ns("nvme", "Operations pertaining to the pluggable storage architectures for NVMe protocol."),
    // verbatim: double blank
    Ns("nvme device",
       "Operations pertaining to the pluggable storage architectures for NVMe devices  on the system."),
    Ns("nvme path",
       "Operations pertaining to the pluggable storage architectures for NVMe device paths on the system."),
    Cmd<NvmePathList>("nvme path list"),
};

constexpr size_t kRows = sizeof kCoreTree / sizeof kCoreTree[0];

// Attaches to `node` (the namespace at `prefix`) the rows from `at` on that lie
// below it, bottom-up: each sub-namespace is complete before it is attached.
// Returns the first row outside the namespace.
size_t Build(const NodePtr &node, std::string_view prefix, size_t at) {
  while (at < kRows) {
    const TreeRow &row = kCoreTree[at];
    const std::string_view path = row.path;
    if (!prefix.empty() && (path.size() <= prefix.size() || path.substr(0, prefix.size()) != prefix ||
                            path[prefix.size()] != ' '))
      break;
    const std::string_view word = prefix.empty() ? path : path.substr(prefix.size() + 1);
    if (word.find(' ') != std::string_view::npos)
      throw std::logic_error("storage core tree: no namespace row before \"" + std::string(path) + "\"");
    ++at;
    if (row.make) {
      node->RegisterNamespaceNode(row.make(), std::string(word));
      continue;
    }
    auto child = Namespace::New();
    if (row.description)
      child->SetDescription(row.description);
    at = Build(child, path, at);
    node->RegisterNamespaceNode(child, std::string(word));
  }
  return at;
}

} // namespace

void BuildCoreTree(const NodePtr &core) {
  Build(core, "", 0);
}

} // namespace TarvexCli::Frame
