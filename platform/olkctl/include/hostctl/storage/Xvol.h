// Virtual volumes: storage containers, protocol endpoints, storage arrays and
// the OSPA providers that manage them.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace HostCtl::Storage {

// A protocol endpoint: the SCSI LUN or NFS export through which the host
// reaches the virtual volumes behind it.
struct OLKCTL_API ProtocolEndPoint {
  static constexpr const char *XVOL_PETYPE_SCSI_STR = "SCSI";
  static constexpr const char *XVOL_PETYPE_NFS_STR = "NFS";
  static constexpr const char *XVOL_PETYPE_NFS4X_STR = "NFS4x";
  enum PeType : int32_t { XVOL_PETYPE_SCSI = 0, XVOL_PETYPE_NFS = 1, XVOL_PETYPE_NFS4X = 2 };

  int32_t peType = XVOL_PETYPE_SCSI;
  std::string arrayId;
  std::unordered_set<std::string> arrayIds; // every array the PE serves
  std::string ospaPeId;
  std::string hostId; // SCSI: the device; NFS: the mount
  std::string lunId;
  std::string remoteHost;
  std::string remoteShare;
  std::vector<std::string> nfs4xTransportIps;
  std::string serverScope;
  std::string serverMajor;
  std::string auth;
  std::string user;
  bool accessible = false;
  bool configured = false;
  int32_t stretchedUse = 0; // 1: used by a stretched container

  // Asks the host whether a stretched container uses the PE now (1: it does).
  int32_t GetStretchedUse() const;
};

// The PEs through which one array backs a container.
struct ContainerStorageArrayInfo {
  std::string arrayId;
  std::vector<ProtocolEndPoint> pes;
};

// How a container stretched over several arrays is set up.
struct ContainerStretchedConfig {
  std::vector<std::string> arrayIds;
  std::vector<std::string> peIds; // OSPA ids of the PEs the container uses
};

struct XvolStorageArray {
  std::string name;
  std::string arrayId;
  std::string vendorId;
  std::string modelId;
  std::string firmwareVersion;
  std::vector<std::string> onlineProviders; // names, in provider order
};

struct OspaProviderArray {
  std::string arrayId;
  bool active = false;
  int32_t priority = 0;
};

struct OspaVirtualHost {
  std::string ip;
  std::string sni;
  int32_t port = 0;
};

// How many objects a provider takes per call of each kind.
struct OspaBatchSizes {
  int32_t defaultSize = 0;
  int32_t snapshot = 0;
  int32_t bind = 0;
  int32_t unbind = 0;
  int32_t taskUpdate = 0;
  int32_t spaceStats = 0;
  int32_t query = 0;
  int32_t metadataUpdate = 0;
};

struct OspaProvider {
  // Status codes.
  enum : int32_t { ONLINE = 0, OFFLINE = 1, SYNC_ERROR = 2, TRANSPORT_ERROR = 3, AUTH_ERROR = 4 };

  std::string name;
  std::string url;
  int32_t status = OFFLINE;
  std::string statusDetail;
  int32_t ospaVersion = 0;
  int32_t maxConcurrentOperations = 0;
  bool hasVirtualHost = false;
  OspaVirtualHost virtualHost; // meaningful with hasVirtualHost only
  OspaBatchSizes batchSizes;
  std::vector<OspaProviderArray> arrays;
};

struct XvolNvmeInfo {
  std::string hostNqn;
  std::string hostId;
};

// One storage container (an XVol datastore).
class OLKCTL_API XvolFileSystem {
public:
  virtual ~XvolFileSystem() = default;

  virtual std::string GetName() const = 0;
  virtual std::string GetUuid() const = 0;
  // The identifier PEs and unmap requests refer to the container by.
  virtual std::string GetContainerId() const = 0;
  virtual bool HasContainerId(const std::string &containerId) const = 0;
  virtual uint64_t GetCapacity() const = 0; // bytes
  virtual uint64_t GetUsed() const = 0;     // bytes
  virtual bool IsAccessible() const = 0;
  // One entry per array that backs the container, with its PEs.
  virtual void GetStorageArrayInfo(std::vector<ContainerStorageArrayInfo> &arrays) const = 0;
  virtual int32_t GetStretched() const = 0; // 1: stretched over several arrays
  virtual ContainerStretchedConfig GetStretchedConfig() const = 0;
  // The provider serving the container for one array and its sync state;
  // false when the container has none for it.
  virtual bool GetProviderState(const std::string &arrayId, std::string &provider,
                                std::string &syncState) const = 0;

  // Unbinds every virtual volume of the container through its providers.
  virtual void UnbindAll(const std::string &reason) = 0;
  // Starts a scan for virtual volumes no VM refers to any more.
  virtual void ScanAbandonedXvols() = 0;
  // The path of the container's volume `uuid`; false when it has none of
  // that uuid. `options` and `flags` are reserved (empty, 0).
  virtual bool GetXvolPath(std::string &path, const std::string &uuid, const std::string &options,
                           int flags) = 0;
};

} // namespace HostCtl::Storage
