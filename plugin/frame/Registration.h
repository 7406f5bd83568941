// The plug-in's exported registration functions: its whole outward face.
#pragma once

#include <clikit/AutoCli.h>

#include <memory>

#define TARVEX_EXPORT __attribute__((visibility("default")))

using NamespaceNodePtr = std::shared_ptr<CliKit::AutoCli::NamespaceNode>;

extern "C" {
TARVEX_EXPORT void AutoCli_RegisterNamespaces(NamespaceNodePtr root);
TARVEX_EXPORT void FilesystemNfs_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void Nmp_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void Hpp_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void San_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void KFlash_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void XVol_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void IOFilter_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void Fpin_RegisterNamespaces(NamespaceNodePtr storage);
TARVEX_EXPORT void ClusteredOldk_RegisterInternalNamespace(NamespaceNodePtr parent);
}

namespace TarvexCli::Frame {

// A namespace node with its one-line help text, for the areas that build their
// trees node by node.
inline std::shared_ptr<CliKit::AutoCli::Namespace> NewNamespace(const char *description) {
  auto node = CliKit::AutoCli::Namespace::New();
  node->SetDescription(description);
  return node;
}

} // namespace TarvexCli::Frame
