// The file-system trees: "filesystem" and "olfs" under storage (the NFS trees
// attach between them), and the internal "clusteredoldk".
#include "frame/Registration.h"

#include "filesystem/ClusteredOldkCommands.h"
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
  // "nfs" and "nfs41" attach here, between "filesystem" and "olfs".
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
