// Finding a file system by the partition its first extent sits on: how the
// flash read cache tells a partition that already holds a file system.
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/VmFileSystemImpl.h>

#include <string>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_VOLUMES_HEAD_FAULTS(X)                                                                        \
  X(VmFileSystemImpl_FindOlfsFileSystemGivenHeadPartition,                                                   \
    "VmFileSystemImpl::FindOlfsFileSystemGivenHeadPartition", "partition name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_VOLUMES_HEAD_FAULTS)
} // namespace

namespace OlkCtl::Storage {

// Mounted or not, any file system with extents counts: the partition is taken.
std::string VmFileSystemImpl::FindOlfsFileSystemGivenHeadPartition(const std::string &partitionName,
                                                                   std::string &fsType) {
  Sim::CheckFault(FaultOp::VmFileSystemImpl_FindOlfsFileSystemGivenHeadPartition, partitionName);
  const auto state = Sim::Current().Read();
  for (const Sim::VolumeRecord &volume : state->volumes().volumes) {
    if (volume.extents.empty())
      continue;
    const Sim::ExtentRecord &head = volume.extents.front();
    if (head.device + ":" + std::to_string(head.partition) == partitionName) {
      fsType = volume.type;
      return volume.uuid;
    }
  }
  return std::string();
}

} // namespace OlkCtl::Storage
