// The NAS volume objects, for the volumes family's factory: volumes of types
// "NFS" and "NFS41" are handed out as NetworkFileSystem.
#pragma once

#include "sim/State.h"

#include <hostctl/storage/NetworkFileSystem.h>

#include <memory>
#include <string>

namespace OlkCtl::Sim {

std::unique_ptr<HostCtl::Storage::NetworkFileSystem>
NewNetworkFileSystem(const std::shared_ptr<const State> &state, const std::string &uuid);
// The volume object of a file system that is not OLFS (src/api/Volumes.cpp):
// what a NAS volume does as any file system.
std::unique_ptr<HostCtl::Storage::FileSystem> NewPlainFileSystem(const std::shared_ptr<const State> &state,
                                                                 const std::string &uuid);

} // namespace OlkCtl::Sim
