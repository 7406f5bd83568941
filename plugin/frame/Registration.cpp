#include "frame/Registration.h"

#include "frame/CoreTree.h"

#include <clikit/AutoCli.h>

using CliKit::AutoCli::Namespace;

extern "C" {

void AutoCli_RegisterNamespaces(NamespaceNodePtr root) {
  auto storage = Namespace::New();
  storage->SetDescription("Tarvex storage commands.");
  auto core = Namespace::New();
  core->SetDescription("Tarvex core storage commands.");

  TarvexCli::Frame::BuildCoreTree(core);
  storage->RegisterNamespaceNode(core, "core");

  FilesystemNfs_RegisterNamespaces(storage);
  Nmp_RegisterNamespaces(storage);
  Hpp_RegisterNamespaces(storage);
  San_RegisterNamespaces(storage);
  KFlash_RegisterNamespaces(storage);
  XVol_RegisterNamespaces(storage);
  IOFilter_RegisterNamespaces(storage);
  Fpin_RegisterNamespaces(storage);

  // Attached last, so the tool's tree only ever sees a complete storage subtree.
  root->RegisterNamespaceNode(storage, "storage");
}

} // extern "C"
