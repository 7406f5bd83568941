// Virtual-volume operations of the simulated host: containers, PEs, arrays,
// providers, the NVMe identity, maintenance and statistics.
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/storage/XvolFileSystemImpl.h>
#include <olkctl/storage/XvolStatsImpl.h>

#include <hostctl/Exception.h>

#include <algorithm>
#include <functional>
#include <utility>

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::ProtocolEndPoint;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_XVOL_FAULTS(X)                                                                                \
  X(StorageInfo_GetXvolFileSystems, "StorageInfo::GetXvolFileSystems", "")                                   \
  X(StorageInfo_GetXvolFileSystemByPath, "StorageInfo::GetXvolFileSystemByPath", "datastore path")           \
  X(StorageInfo_GetOspaProviders, "StorageInfo::GetOspaProviders", "")                                       \
  X(StorageInfo_GetOspaContext, "StorageInfo::GetOspaContext", "")                                           \
  X(ProtocolEndPoint_GetStretchedUse, "ProtocolEndPoint::GetStretchedUse", "OSPA PE id")                     \
  X(XvolFileSystem_GetStorageArrayInfo, "XvolFileSystem::GetStorageArrayInfo", "container name")             \
  X(XvolFileSystem_GetStretchedConfig, "XvolFileSystem::GetStretchedConfig", "container name")               \
  X(XvolFileSystem_GetProviderState, "XvolFileSystem::GetProviderState", "container name")                   \
  X(XvolFileSystem_UnbindAll, "XvolFileSystem::UnbindAll", "container name")                                 \
  X(XvolFileSystem_ScanAbandonedXvols, "XvolFileSystem::ScanAbandonedXvols", "container name")               \
  X(XvolFileSystem_GetXvolPath, "XvolFileSystem::GetXvolPath", "container name")                             \
  X(XvolFileSystemImpl_GetXvolStorageArrays, "XvolFileSystemImpl::GetXvolStorageArrays", "")                 \
  X(XvolFileSystemImpl_GetNvmeInfo, "XvolFileSystemImpl::GetNvmeInfo", "")                                   \
  X(XvolFileSystemImpl_RegenerateNvmeHostNqn, "XvolFileSystemImpl::RegenerateNvmeHostNqn", "")               \
  X(XvolFileSystemImpl_DiscoverNvmeSubsystem, "XvolFileSystemImpl::DiscoverNvmeSubsystem", "array id")       \
  X(XvolFileSystemImpl_ConfigXvolUnmap, "XvolFileSystemImpl::ConfigXvolUnmap", "container id")               \
  X(XvolFileSystemImpl_GetPEsForHost, "XvolFileSystemImpl::GetPEsForHost", "")                               \
  X(XvolFileSystemImpl_UnbindDevicesOnPE, "XvolFileSystemImpl::UnbindDevicesOnPE", "PE host id")             \
  X(XvolStats_EnableStats, "XvolStats::EnableStats", "")                                                     \
  X(XvolStats_DisableStats, "XvolStats::DisableStats", "")                                                   \
  X(XvolStats_ResetStats, "XvolStats::ResetStats", "namespace")                                              \
  X(XvolStats_AddStatsEntity, "XvolStats::AddStatsEntity", "namespace")                                      \
  X(XvolStats_RemoveStatsEntity, "XvolStats::RemoveStatsEntity", "namespace")                                \
  X(XvolStats_ListStats, "XvolStats::ListStats", "namespace")                                                \
  X(XvolStats_GetStats, "XvolStats::GetStats", "namespace")                                                  \
  X(XvolStatsImpl_GetXvolInfoForVm, "XvolStatsImpl::GetXvolInfoForVm", "VM name")                            \
  X(XvolStatsImpl_GetPerXvolStats, "XvolStatsImpl::GetPerXvolStats", "volume uuid")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_XVOL_FAULTS)
} // namespace

namespace {

using OlkCtl::Sim::CheckFault;
using OlkCtl::Sim::Current;
using OlkCtl::Sim::State;
using OlkCtl::Sim::XvolContainerRecord;
using OlkCtl::Sim::XvolPeRecord;
using OlkCtl::Sim::XvolStatNodeRecord;
using Snapshot = std::shared_ptr<const State>;

int32_t PeTypeNumber(const std::string &type) {
  if (type == ProtocolEndPoint::XVOL_PETYPE_NFS_STR)
    return ProtocolEndPoint::XVOL_PETYPE_NFS;
  if (type == ProtocolEndPoint::XVOL_PETYPE_NFS4X_STR)
    return ProtocolEndPoint::XVOL_PETYPE_NFS4X;
  return ProtocolEndPoint::XVOL_PETYPE_SCSI;
}

ProtocolEndPoint MakePe(const XvolPeRecord &r) {
  ProtocolEndPoint pe;
  pe.peType = PeTypeNumber(r.type);
  pe.arrayId = r.arrayId;
  pe.arrayIds.insert(r.servedArrays.begin(), r.servedArrays.end());
  pe.ospaPeId = r.ospaId;
  pe.hostId = r.hostId;
  pe.lunId = r.lunId;
  pe.remoteHost = r.remoteHost;
  pe.remoteShare = r.remoteShare;
  pe.nfs4xTransportIps = r.transportIps;
  pe.serverScope = r.serverScope;
  pe.serverMajor = r.serverMajor;
  pe.auth = r.auth;
  pe.user = r.user;
  pe.accessible = r.accessible;
  pe.configured = r.configured;
  pe.stretchedUse = r.stretchedUse ? 1 : 0;
  return pe;
}

// Changes the container of that name in the newest state.
void ModifyContainer(const std::string &name, const std::function<void(XvolContainerRecord &)> &change) {
  Current().Modify([&](State &state) {
    for (XvolContainerRecord &c : state.xvol().containers)
      if (c.name == name)
        return change(c);
    throw HostCtlException("Storage container " + name + " no longer exists");
  });
}

class SimXvolFileSystem : public HostCtl::Storage::XvolFileSystem {
public:
  SimXvolFileSystem(Snapshot state, const XvolContainerRecord &record)
      : state_(std::move(state)), record_(&record) {}

  std::string GetName() const override { return record_->name; }
  std::string GetUuid() const override { return record_->uuid; }
  std::string GetContainerId() const override { return record_->containerId; }
  bool HasContainerId(const std::string &containerId) const override {
    return record_->containerId == containerId;
  }
  uint64_t GetCapacity() const override { return record_->capacity; }
  uint64_t GetUsed() const override { return record_->used; }
  bool IsAccessible() const override { return record_->accessible; }

  void GetStorageArrayInfo(std::vector<HostCtl::Storage::ContainerStorageArrayInfo> &arrays) const override {
    CheckFault(*state_, FaultOp::XvolFileSystem_GetStorageArrayInfo, record_->name);
    arrays.clear();
    for (const OlkCtl::Sim::XvolContainerArray &a : record_->arrays) {
      HostCtl::Storage::ContainerStorageArrayInfo info;
      info.arrayId = a.arrayId;
      for (const std::string &ospaId : a.pes)
        if (const XvolPeRecord *pe = state_->xvol().FindPe(ospaId))
          info.pes.push_back(MakePe(*pe));
      arrays.push_back(std::move(info));
    }
  }
  int32_t GetStretched() const override { return record_->stretched ? 1 : 0; }
  HostCtl::Storage::ContainerStretchedConfig GetStretchedConfig() const override {
    CheckFault(*state_, FaultOp::XvolFileSystem_GetStretchedConfig, record_->name);
    return record_->stretchedConfig;
  }
  bool GetProviderState(const std::string &arrayId, std::string &provider,
                        std::string &syncState) const override {
    CheckFault(*state_, FaultOp::XvolFileSystem_GetProviderState, record_->name);
    for (const OlkCtl::Sim::XvolProviderState &s : record_->providerStates)
      if (s.arrayId == arrayId) {
        provider = s.provider;
        syncState = s.syncState;
        return true;
      }
    return false;
  }

  void UnbindAll(const std::string &) override {
    CheckFault(FaultOp::XvolFileSystem_UnbindAll, record_->name);
    ModifyContainer(record_->name, [](XvolContainerRecord &c) {
      if (!c.accessible)
        throw HostCtlException("Storage container " + c.name + " is not accessible");
      c.boundVolumes = 0;
    });
  }
  void ScanAbandonedXvols() override {
    CheckFault(FaultOp::XvolFileSystem_ScanAbandonedXvols, record_->name);
    ModifyContainer(record_->name, [](XvolContainerRecord &c) {
      if (!c.accessible)
        throw HostCtlException("Storage container " + c.name + " is not accessible");
      ++c.abandonedScans;
    });
  }
  bool GetXvolPath(std::string &path, const std::string &uuid, const std::string &, int) override {
    CheckFault(*state_, FaultOp::XvolFileSystem_GetXvolPath, record_->name);
    const auto &volumes = record_->volumes;
    if (uuid != record_->configVolume && std::find(volumes.begin(), volumes.end(), uuid) == volumes.end())
      return false;
    path = "/olfs/volumes/" + record_->uuid + "/" + uuid;
    return true;
  }

private:
  Snapshot state_; // keeps *record_ alive
  const XvolContainerRecord *record_;
};

} // namespace

int32_t ProtocolEndPoint::GetStretchedUse() const {
  CheckFault(FaultOp::ProtocolEndPoint_GetStretchedUse, ospaPeId);
  return stretchedUse;
}

// --- storage info ---

namespace OlkCtl::Storage {

std::vector<std::unique_ptr<HostCtl::Storage::XvolFileSystem>> StorageInfoImpl::GetXvolFileSystems() {
  CheckFault(FaultOp::StorageInfo_GetXvolFileSystems);
  std::vector<std::unique_ptr<HostCtl::Storage::XvolFileSystem>> out;
  out.reserve(state_->xvol().containers.size());
  for (const XvolContainerRecord &c : state_->xvol().containers)
    out.push_back(std::make_unique<SimXvolFileSystem>(state_, c));
  return out;
}

std::unique_ptr<HostCtl::Storage::XvolFileSystem>
StorageInfoImpl::GetXvolFileSystemByPath(const std::string &path) {
  CheckFault(FaultOp::StorageInfo_GetXvolFileSystemByPath, path);
  static const std::string kPrefix = "/olfs/volumes/";
  std::string key = path;
  if (key.rfind(kPrefix, 0) == 0)
    key.erase(0, kPrefix.size());
  while (!key.empty() && key.back() == '/')
    key.pop_back();
  if (key.empty())
    return nullptr;
  for (const XvolContainerRecord &c : state_->xvol().containers)
    if (c.uuid == key || c.name == key)
      return std::make_unique<SimXvolFileSystem>(state_, c);
  return nullptr;
}

void StorageInfoImpl::GetOspaProviders(const std::string &name,
                                       std::vector<HostCtl::Storage::OspaProvider> &providers) {
  CheckFault(FaultOp::StorageInfo_GetOspaProviders);
  providers.clear();
  for (const Sim::XvolProviderRecord &r : state_->xvol().providers) {
    if (!name.empty() && r.name != name)
      continue;
    HostCtl::Storage::OspaProvider p;
    p.name = r.name;
    p.url = r.url;
    p.status = r.status;
    p.statusDetail = r.statusDetail;
    p.ospaVersion = r.ospaVersion;
    p.maxConcurrentOperations = r.maxConcurrentOperations;
    p.hasVirtualHost = r.hasVirtualHost;
    p.virtualHost = r.virtualHost;
    p.batchSizes = r.batchSizes;
    p.arrays = r.arrays;
    providers.push_back(std::move(p));
  }
}

std::string StorageInfoImpl::GetOspaContext() {
  CheckFault(FaultOp::StorageInfo_GetOspaContext);
  return state_->xvol().ospaContext;
}

// --- host-wide operations ---

void XvolFileSystemImpl::GetXvolStorageArrays(std::vector<HostCtl::Storage::XvolStorageArray> &arrays) {
  CheckFault(FaultOp::XvolFileSystemImpl_GetXvolStorageArrays);
  Snapshot state = Current().Read();
  arrays.clear();
  arrays.reserve(state->xvol().arrays.size());
  for (const Sim::XvolArrayRecord &r : state->xvol().arrays) {
    HostCtl::Storage::XvolStorageArray a{r.name, r.arrayId, r.vendorId, r.modelId, r.firmwareVersion, {}};
    for (const Sim::XvolProviderRecord &p : state->xvol().providers) {
      if (p.status != HostCtl::Storage::OspaProvider::ONLINE)
        continue;
      for (const HostCtl::Storage::OspaProviderArray &served : p.arrays)
        if (served.arrayId == r.arrayId) {
          a.onlineProviders.push_back(p.name);
          break;
        }
    }
    arrays.push_back(std::move(a));
  }
}

HostCtl::Storage::XvolNvmeInfo XvolFileSystemImpl::GetNvmeInfo() {
  CheckFault(FaultOp::XvolFileSystemImpl_GetNvmeInfo);
  Snapshot state = Current().Read();
  return {state->xvol().nvme.hostNqn, state->xvol().nvme.hostId};
}

void XvolFileSystemImpl::RegenerateNvmeHostNqn(bool useDefaultPolicy, bool force) {
  CheckFault(FaultOp::XvolFileSystemImpl_RegenerateNvmeHostNqn);
  if (!useDefaultPolicy)
    throw HostCtlException("Only the default policy can generate a host NQN");
  Current().Modify([&](State &state) {
    Sim::XvolNvmeRecord &nvme = state.xvol().nvme;
    if (nvme.hostId.empty())
      throw HostCtlException("The host has no NVMe host ID");
    if (nvme.nqnInUse && !force)
      throw HostCtlException("Host NQN " + nvme.hostNqn + " is in use by connected NVMe controllers");
    nvme.hostNqn = Sim::DefaultPolicyNqn(nvme.hostId);
    nvme.nqnInUse = false;
  });
}

void XvolFileSystemImpl::DiscoverNvmeSubsystem(const std::string &arrayId, const std::string &adapter) {
  CheckFault(FaultOp::XvolFileSystemImpl_DiscoverNvmeSubsystem, arrayId);
  Current().Modify([&](State &state) {
    if (!arrayId.empty() && !state.xvol().FindArray(arrayId))
      throw HostCtlException("Unknown storage array " + arrayId);
    if (!adapter.empty() && !state.adapters().Find(adapter))
      throw HostCtlException("Unknown adapter " + adapter);
    ++state.xvol().nvme.discoveries;
  });
}

void XvolFileSystemImpl::ConfigXvolUnmap(const std::string &containerId, const std::string &uuid,
                                         uint32_t reclaimUnit) {
  CheckFault(FaultOp::XvolFileSystemImpl_ConfigXvolUnmap, containerId);
  Current().Modify([&](State &state) {
    for (XvolContainerRecord &c : state.xvol().containers) {
      if (c.containerId != containerId)
        continue;
      if (c.configVolume.empty() || c.configVolume != uuid)
        throw HostCtlException(uuid + " is not the config volume of storage container " + containerId);
      c.unmapReclaimUnit = reclaimUnit;
      return;
    }
    throw HostCtlException("Unknown storage container " + containerId);
  });
}

void XvolFileSystemImpl::GetPEsForHost(std::vector<std::string> &peIds) {
  CheckFault(FaultOp::XvolFileSystemImpl_GetPEsForHost);
  Snapshot state = Current().Read();
  peIds.clear();
  for (const XvolPeRecord &pe : state->xvol().pes)
    peIds.push_back(pe.hostId);
}

void XvolFileSystemImpl::UnbindDevicesOnPE(const std::string &peId) {
  CheckFault(FaultOp::XvolFileSystemImpl_UnbindDevicesOnPE, peId);
  Current().Modify([&](State &state) {
    for (XvolPeRecord &pe : state.xvol().pes)
      if (pe.hostId == peId) {
        pe.boundVolumes = 0;
        return;
      }
    throw HostCtlException("Unknown protocol endpoint " + peId);
  });
}

} // namespace OlkCtl::Storage

// --- statistics ---

namespace {

using HostCtl::Storage::XvolStatsInfo;

// A refusal: the operation answers false with this text and changes nothing.
struct StatsRefused {
  std::string text;
};

std::vector<std::string> SplitPath(const std::string &ns) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : ns + "/") {
    if (c != '/') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

template <class NodeT> NodeT *FindChild(NodeT &node, const std::string &name) {
  for (auto &child : node.children)
    if (child.name == name)
      return &child;
  return nullptr;
}

// The node a namespace names; refused when there is none.
template <class NodeT> NodeT &Select(NodeT &root, const std::string &ns) {
  NodeT *node = &root;
  for (const std::string &part : SplitPath(ns)) {
    node = FindChild(*node, part);
    if (!node)
      throw StatsRefused{"Unknown stats namespace " + ns};
  }
  return *node;
}

// The tracked entity of a namespace node; refused when it is not tracked.
template <class NodeT> NodeT &SelectEntity(NodeT &node, const std::string &ns, const std::string &entity) {
  NodeT *child = FindChild(node, entity);
  if (!child || !child->entity)
    throw StatsRefused{"Entity " + entity + " is not tracked in namespace " + ns};
  return *child;
}

std::string ChildPath(const std::string &parent, const std::string &name) {
  return parent == "/" ? "/" + name : parent + "/" + name;
}

void ListPaths(const XvolStatNodeRecord &node, const std::string &path, std::vector<std::string> &out) {
  out.push_back(path);
  for (const XvolStatNodeRecord &child : node.children)
    ListPaths(child, ChildPath(path, child.name), out);
}

std::shared_ptr<XvolStatsInfo::StatNode> CopyTree(const XvolStatNodeRecord &node) {
  auto copy = std::make_shared<XvolStatsInfo::StatNode>();
  copy->name = node.name;
  copy->counters = node.counters;
  for (const XvolStatNodeRecord &child : node.children)
    copy->children.push_back(CopyTree(child));
  return copy;
}

void ZeroTree(XvolStatNodeRecord &node) {
  for (auto &counter : node.counters)
    counter.second = 0;
  for (XvolStatNodeRecord &child : node.children)
    ZeroTree(child);
}

// Runs `body`: a refusal answers false with its text.
template <class Body> bool Answer(XvolStatsInfo::ErrInfo &error, const Body &body) {
  try {
    body();
    return true;
  } catch (const StatsRefused &refused) {
    error.code = 1;
    error.message = refused.text;
    return false;
  }
}

// Runs `change` on the newest state; a refusal writes nothing.
template <class Change> bool AnswerChange(XvolStatsInfo::ErrInfo &error, const Change &change) {
  return Answer(error, [&] { Current().Modify(change); });
}

void RequireEnabled(const State &state) {
  if (!state.xvol().stats.enabled)
    throw StatsRefused{"XVol statistics are disabled"};
}

} // namespace

namespace OlkCtl::Storage::XvolStatsInfo {

bool XvolStatsImpl::EnableStats(ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_EnableStats);
  return AnswerChange(error, [](State &state) { state.xvol().stats.enabled = true; });
}

bool XvolStatsImpl::DisableStats(ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_DisableStats);
  return AnswerChange(error, [](State &state) { state.xvol().stats.enabled = false; });
}

bool XvolStatsImpl::ResetStats(const std::string &ns, const std::string &entity, ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_ResetStats, ns);
  return AnswerChange(error, [&](State &state) {
    XvolStatNodeRecord &node = Select(state.xvol().stats.root, ns);
    ZeroTree(entity.empty() ? node : SelectEntity(node, ns, entity));
  });
}

bool XvolStatsImpl::AddStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_AddStatsEntity, ns);
  return AnswerChange(error, [&](State &state) {
    if (entity.empty() || entity.find('/') != std::string::npos)
      throw StatsRefused{"Invalid entity id \"" + entity + "\""};
    XvolStatNodeRecord &node = Select(state.xvol().stats.root, ns);
    if (FindChild(node, entity))
      throw StatsRefused{"Entity " + entity + " is already tracked in namespace " + ns};
    XvolStatNodeRecord added;
    added.name = entity;
    added.entity = true;
    added.counters = {{"errorCount", 0}, {"ioCount", 0}};
    node.children.push_back(std::move(added));
  });
}

bool XvolStatsImpl::RemoveStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_RemoveStatsEntity, ns);
  return AnswerChange(error, [&](State &state) {
    XvolStatNodeRecord &node = Select(state.xvol().stats.root, ns);
    SelectEntity(node, ns, entity);
    auto &children = node.children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](const XvolStatNodeRecord &c) { return c.name == entity; }),
                   children.end());
  });
}

bool XvolStatsImpl::ListStats(const std::string &ns, std::vector<std::string> &nodes, ErrInfo &error) {
  CheckFault(FaultOp::XvolStats_ListStats, ns);
  return Answer(error, [&] {
    const Snapshot read = Current().Read();
    RequireEnabled(*read);
    const XvolStatNodeRecord &node = Select(read->xvol().stats.root, ns);
    std::string path = "/";
    for (const std::string &part : SplitPath(ns))
      path = ChildPath(path, part);
    nodes.clear();
    ListPaths(node, path, nodes);
  });
}

bool XvolStatsImpl::GetStats(const std::string &ns, const std::string &entity, const std::string &,
                             std::shared_ptr<StatNode> &root, ErrInfo &error) {
  // The simulated host keeps no log, so a dump message has nowhere to go.
  CheckFault(FaultOp::XvolStats_GetStats, ns);
  return Answer(error, [&] {
    const Snapshot read = Current().Read();
    RequireEnabled(*read);
    const XvolStatNodeRecord &node = Select(read->xvol().stats.root, ns);
    root = CopyTree(entity.empty() ? node : SelectEntity(node, ns, entity));
  });
}

void XvolStatsImpl::GetXvolInfoForVm(const std::string &vmName,
                                     std::vector<HostCtl::Storage::XvolVmVolume> &volumes, uint32_t &worldId,
                                     bool getConfig) {
  CheckFault(FaultOp::XvolStatsImpl_GetXvolInfoForVm, vmName);
  Snapshot state = Current().Read();
  for (const Sim::XvolVmRecord &vm : state->xvol().vms) {
    if (vm.name != vmName)
      continue;
    worldId = vm.worldId;
    for (const Sim::XvolVmVolumeRecord &v : vm.volumes)
      if (getConfig || !v.config)
        volumes.push_back({v.peId, v.containerId, v.uuid, v.name});
    return;
  }
}

bool XvolStatsImpl::GetPerXvolStats(const std::string &uuid, HostCtl::Storage::XvolStats &stats) {
  CheckFault(FaultOp::XvolStatsImpl_GetPerXvolStats, uuid);
  Snapshot state = Current().Read();
  for (const Sim::XvolVmRecord &vm : state->xvol().vms)
    for (const Sim::XvolVmVolumeRecord &v : vm.volumes)
      if (v.uuid == uuid && v.hasStats) {
        stats = v.stats;
        return true;
      }
  return false;
}

} // namespace OlkCtl::Storage::XvolStatsInfo
