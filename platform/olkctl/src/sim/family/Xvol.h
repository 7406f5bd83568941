// The virtual-volume family of the simulated host: OSPA providers, storage
// arrays, protocol endpoints, storage containers, the NVMe identity, the
// statistics tree and the VMs' volumes (document member "xvol").
#pragma once

#include <hostctl/storage/Xvol.h>
#include <hostctl/storage/XvolStats.h>

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct XvolProviderRecord {
  std::string name;
  std::string url;
  int32_t status = 1; // OspaProvider status codes
  std::string statusDetail;
  int32_t ospaVersion = 0;
  int32_t maxConcurrentOperations = 0;
  bool hasVirtualHost = false;
  HostCtl::Storage::OspaVirtualHost virtualHost;
  HostCtl::Storage::OspaBatchSizes batchSizes;
  std::vector<HostCtl::Storage::OspaProviderArray> arrays;
};

struct XvolArrayRecord {
  std::string name;
  std::string arrayId;
  std::string vendorId;
  std::string modelId;
  std::string firmwareVersion;
};

struct XvolPeRecord {
  std::string ospaId;
  std::string type = "SCSI"; // one of the ProtocolEndPoint type texts
  std::string arrayId;
  std::vector<std::string> servedArrays;
  std::string hostId; // SCSI: a device with xvolPE set
  std::string lunId;
  std::string remoteHost;
  std::string remoteShare;
  std::vector<std::string> transportIps;
  std::string serverScope;
  std::string serverMajor;
  std::string auth;
  std::string user;
  bool accessible = true;
  bool configured = true;
  bool stretchedUse = false;
  uint32_t boundVolumes = 0;
};

// The PEs through which one array backs a container, by OSPA id.
struct XvolContainerArray {
  std::string arrayId;
  std::vector<std::string> pes;
};

// Stretched containers only: who serves the container for one array.
struct XvolProviderState {
  std::string arrayId;
  std::string provider;
  std::string syncState;
};

struct XvolContainerRecord {
  std::string name;
  std::string uuid;
  std::string containerId;
  uint64_t capacity = 0; // bytes
  uint64_t used = 0;     // bytes; may exceed capacity on a thin array
  bool accessible = true;
  std::vector<XvolContainerArray> arrays;
  bool stretched = false;
  HostCtl::Storage::ContainerStretchedConfig stretchedConfig;
  std::vector<XvolProviderState> providerStates;
  std::vector<std::string> volumes; // uuids of its virtual volumes
  std::string configVolume;         // uuid of its config volume
  uint32_t boundVolumes = 0;
  uint32_t unmapReclaimUnit = 0; // 0: unmap not configured
  uint32_t abandonedScans = 0;
};

struct XvolNvmeRecord {
  std::string hostNqn;
  std::string hostId;
  bool nqnInUse = false;
  uint32_t discoveries = 0;
};

// A node of the statistics tree; tracked entities are nodes marked `entity`.
struct XvolStatNodeRecord {
  std::string name;
  bool entity = false;
  std::map<std::string, int64_t> counters;
  std::vector<XvolStatNodeRecord> children;
};

struct XvolStatsRecord {
  bool enabled = true;
  XvolStatNodeRecord root; // nameless: its path is "/"
};

struct XvolVmVolumeRecord {
  std::string uuid;
  std::string name;
  std::string containerId;
  std::string peId;
  bool config = false;
  bool hasStats = false;
  HostCtl::Storage::XvolStats stats;
};

struct XvolVmRecord {
  std::string name;
  uint32_t worldId = 0; // 0: not running
  std::vector<XvolVmVolumeRecord> volumes;
};

struct XvolFamily {
  std::vector<XvolProviderRecord> providers;
  std::vector<XvolArrayRecord> arrays;
  std::vector<XvolPeRecord> pes;
  std::vector<XvolContainerRecord> containers;
  std::string ospaContext;
  XvolNvmeRecord nvme;
  XvolStatsRecord stats;
  std::vector<XvolVmRecord> vms;

  // Null when there is none.
  const XvolPeRecord *FindPe(const std::string &ospaId) const;
  const XvolArrayRecord *FindArray(const std::string &arrayId) const;

  void Reindex();

private:
  std::unordered_map<std::string, std::size_t> peByOspaId_;
  std::unordered_map<std::string, std::size_t> arrayById_;
};

// The NQN the default policy gives a host ID: the same every time.
std::string DefaultPolicyNqn(const std::string &hostId);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, XvolFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const XvolFamily &family);

} // namespace OlkCtl::Sim
