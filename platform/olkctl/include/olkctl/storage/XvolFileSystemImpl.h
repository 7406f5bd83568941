// Host-wide virtual-volume operations of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Xvol.h>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Storage {

class OLKCTL_API XvolFileSystemImpl {
public:
  static void GetXvolStorageArrays(std::vector<HostCtl::Storage::XvolStorageArray> &arrays);

  static HostCtl::Storage::XvolNvmeInfo GetNvmeInfo();
  // Regenerates the host NQN (only by the default policy, derived from the
  // host ID). Without `force` it is refused while the NQN is in use.
  static void RegenerateNvmeHostNqn(bool useDefaultPolicy, bool force);
  // Rescans NVMe subsystems; empty texts mean every array, every adapter.
  static void DiscoverNvmeSubsystem(const std::string &arrayId, const std::string &adapter);

  // Configures space reclamation of a container's config volume.
  static void ConfigXvolUnmap(const std::string &containerId, const std::string &uuid, uint32_t reclaimUnit);

  // The host ids of the PEs known to the host.
  static void GetPEsForHost(std::vector<std::string> &peIds);
  // Unbinds the virtual volumes on a PE (by host id) that no one holds open.
  static void UnbindDevicesOnPE(const std::string &peId);
};

} // namespace OlkCtl::Storage
