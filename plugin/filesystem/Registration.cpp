// The file-system trees: "filesystem", "nfs", "nfs41" and "olfs" under
// storage, and the internal "clusteredoldk".
#include "frame/Registration.h"

#include "frame/Features.h"

#include "filesystem/ClusteredOldkCommands.h"
#include "filesystem/Nfs41Commands.h"
#include "filesystem/NfsCommands.h"
#include "filesystem/OlfsMaintenanceCommands.h"
#include "filesystem/OlfsSnapshotCommands.h"
#include "filesystem/VolumeCommands.h"

#include <clikit/AutoCli.h>

#include <initializer_list>
#include <utility>

namespace {

using namespace TarvexCli::FileSystem;
using TarvexCli::Frame::NodePtr;

struct Child {
  const char *name;
  NodePtr node;
};

// A complete namespace: its children (commands are created as the list is
// built, in order) attached in the order given. It is attached to its parent
// only once whole.
NodePtr Ns(const char *description, std::initializer_list<Child> children) {
  auto node = CliKit::AutoCli::Namespace::New();
  if (description)
    node->SetDescription(description);
  for (const Child &child : children)
    node->RegisterNamespaceNode(child.node, child.name);
  return node;
}

// "nfs"; its "preunmountstate" exists only with the host's preunmount support
// (feature switch 322).
NodePtr NfsTree() {
  auto nfs = Ns("Operations to create, manage, and remove Network Attached Storage filesystems.",
                {{"add", NFSVolumeAdd::New()},
                 {"restore", NFSVolumeRestore::New()},
                 {"remove", NFSVolumeRemove::New()},
                 {"list", NFSVolumeList::New()}});
  if (TarvexCli::Frame::FeatureOn(322))
    nfs->RegisterNamespaceNode(
        Ns("Enter or exit preunmount state.",
           {{"enter", NFSVolumePreunmountEnter::New()}, {"exit", NFSVolumePreunmountExit::New()}}),
        "preunmountstate");
  nfs->RegisterNamespaceNode(Ns("Operations on volume parameters of NAS filesystems.",
                                {{"get", NFSVolumeParamGet::New()}, {"set", NFSVolumeParamSet::New()}}),
                             "param");
  nfs->RegisterNamespaceNode(
      Ns("Operations on IP/Mask of nfsClient firewall ruleset", {{"add", NFSFirewallAdd::New()},
                                                                 {"remove", NFSFirewallRemove::New()},
                                                                 {"list", NFSFirewallList::New()}}),
      "firewall");
  return nfs;
}

} // namespace

extern "C" {

void FilesystemNfs_RegisterNamespaces(NamespaceNodePtr storage) {
  storage->RegisterNamespaceNode(
      Ns("Operations pertaining to filesystems, also known as datastores, on the Orlo host.",
         {{"list", VolumeList::New()},
          {"rescan", VolumeRescan::New()},
          {"mount", VolumeMount::New()},
          {"unmount", VolumeUnmount::New()},
          {"automount", VolumeAutomount::New()}}),
      "filesystem");
  storage->RegisterNamespaceNode(NfsTree(), "nfs");
  storage->RegisterNamespaceNode(
      Ns("Operations to create, manage, and remove NFS v4.1 filesystems.",
         {{"add", NFS41VolumeAdd::New()},
          {"restore", NFS41VolumeRestore::New()},
          {"remove", NFS41VolumeRemove::New()},
          {"list", NFS41VolumeList::New()},
          {"param", Ns("Operations on volume parameters of NFS v4.1 filesystems.",
                       {{"get", NFS41VolumeParamGet::New()}, {"set", NFS41VolumeParamSet::New()}})},
          {"firewall", Ns("Operations on IP/Mask of nfs41Client firewall ruleset",
                          {{"add", NFS41FirewallAdd::New()},
                           {"remove", NFS41FirewallRemove::New()},
                           {"list", NFS41FirewallList::New()}})},
          {"credential",
           Ns("Manage NFSv4.1 default kerberos user credentials.", {{"set", NFS41CredentialSet::New()},
                                                                    {"unset", NFS41CredentialUnset::New()},
                                                                    {"get", NFS41CredentialGet::New()}})}}),
      "nfs41");
  storage->RegisterNamespaceNode(
      Ns("OLFS operations.",
         {{"upgrade", OLFSVolumeUpgrade::New()},
          {"unmap", OLFSVolumeUnmap::New()},
          {"extent", Ns("Manage OLFS extents.", {{"list", OLFSExtentList::New()}})},
          {"snapshot",
           Ns("Manage OLFS snapshots.",
              {{"list", OLFSSnapshotList::New()},
               {"mount", OLFSSnapshotMount::New()},
               {"resignature", OLFSSnapshotResignature::New()},
               {"extent", Ns("Manage OLFS snapshot extents.", {{"list", OLFSSnapshotExtentList::New()}})}})},
          {"lockmode", Ns("Manage OLFS array locking mode.",
                          {{"list", OLFSVolumeLockModeList::New()}, {"set", OLFSVolumeLockModeSet::New()}})},
          {"host", Ns("Manage hosts accessing a OLFS volume.", {{"list", OLFSVolumeHostList::New()}})},
          {"pbcache", Ns("OLFS Pointer Block Cache statistics.",
                         {{"get", OLFSPBCacheGet::New()}, {"reset", OLFSPBCacheReset::New()}})},
          {"reclaim",
           Ns("Manage OLFS Space Reclamation", {{"config", Ns("OLFS Space Reclamation Configuration Settings",
                                                              {{"get", OLFSReclaimConfigGet::New()},
                                                               {"set", OLFSReclaimConfigSet::New()}})}})}}),
      "olfs");
}

void ClusteredOldk_RegisterInternalNamespace(NamespaceNodePtr parent) {
  parent->RegisterNamespaceNode(Ns("Manage clustered OLDK support.",
                                   {{"get", ClusteredOldkGet::New()}, {"set", ClusteredOldkSet::New()}}),
                                "clusteredoldk");
}

} // extern "C"
