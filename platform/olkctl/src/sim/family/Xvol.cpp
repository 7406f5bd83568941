#include "sim/family/Xvol.h"

#include "sim/Json.h"

#include <set>
#include <utility>

namespace OlkCtl::Sim {

using HostCtl::Storage::OspaBatchSizes;
using HostCtl::Storage::OspaProviderArray;
using HostCtl::Storage::OspaVirtualHost;
using HostCtl::Storage::ProtocolEndPoint;
using HostCtl::Storage::XvolStats;

namespace {

// --- mappings ---

const Mapping<OspaVirtualHost> &VirtualHostMapping() {
  static const Mapping<OspaVirtualHost> mapping = Mapping<OspaVirtualHost>()
                                                      .Member("ip", &OspaVirtualHost::ip)
                                                      .Member("sni", &OspaVirtualHost::sni)
                                                      .Member("port", &OspaVirtualHost::port);
  return mapping;
}

const Mapping<OspaBatchSizes> &BatchSizesMapping() {
  static const Mapping<OspaBatchSizes> mapping =
      Mapping<OspaBatchSizes>()
          .Member("default", &OspaBatchSizes::defaultSize)
          .Member("snapshot", &OspaBatchSizes::snapshot)
          .Member("bind", &OspaBatchSizes::bind)
          .Member("unbind", &OspaBatchSizes::unbind)
          .Member("taskUpdate", &OspaBatchSizes::taskUpdate)
          .Member("spaceStats", &OspaBatchSizes::spaceStats)
          .Member("query", &OspaBatchSizes::query)
          .Member("metadataUpdate", &OspaBatchSizes::metadataUpdate);
  return mapping;
}

const Mapping<OspaProviderArray> &ProviderArrayMapping() {
  static const Mapping<OspaProviderArray> mapping = Mapping<OspaProviderArray>()
                                                        .Member("arrayId", &OspaProviderArray::arrayId)
                                                        .Member("active", &OspaProviderArray::active)
                                                        .Member("priority", &OspaProviderArray::priority);
  return mapping;
}

const Mapping<XvolProviderRecord> &ProviderMapping() {
  static const Mapping<XvolProviderRecord> mapping =
      Mapping<XvolProviderRecord>()
          .Member("name", &XvolProviderRecord::name)
          .Member("url", &XvolProviderRecord::url)
          .Member("status", &XvolProviderRecord::status)
          .Member("statusDetail", &XvolProviderRecord::statusDetail)
          .Member("ospaVersion", &XvolProviderRecord::ospaVersion)
          .Member("maxConcurrentOperations", &XvolProviderRecord::maxConcurrentOperations)
          .Nested("batchSizes", &XvolProviderRecord::batchSizes, BatchSizesMapping());
  return mapping;
}

const Mapping<XvolArrayRecord> &ArrayMapping() {
  static const Mapping<XvolArrayRecord> mapping =
      Mapping<XvolArrayRecord>()
          .Member("name", &XvolArrayRecord::name)
          .Member("arrayId", &XvolArrayRecord::arrayId)
          .Member("vendorId", &XvolArrayRecord::vendorId)
          .Member("modelId", &XvolArrayRecord::modelId)
          .Member("firmwareVersion", &XvolArrayRecord::firmwareVersion);
  return mapping;
}

const Mapping<XvolPeRecord> &PeMapping() {
  static const Mapping<XvolPeRecord> mapping = Mapping<XvolPeRecord>()
                                                   .Member("ospaId", &XvolPeRecord::ospaId)
                                                   .Member("type", &XvolPeRecord::type)
                                                   .Member("arrayId", &XvolPeRecord::arrayId)
                                                   .Member("servedArrays", &XvolPeRecord::servedArrays)
                                                   .Member("hostId", &XvolPeRecord::hostId)
                                                   .Member("lunId", &XvolPeRecord::lunId)
                                                   .Member("remoteHost", &XvolPeRecord::remoteHost)
                                                   .Member("remoteShare", &XvolPeRecord::remoteShare)
                                                   .Member("transportIps", &XvolPeRecord::transportIps)
                                                   .Member("serverScope", &XvolPeRecord::serverScope)
                                                   .Member("serverMajor", &XvolPeRecord::serverMajor)
                                                   .Member("auth", &XvolPeRecord::auth)
                                                   .Member("user", &XvolPeRecord::user)
                                                   .Member("accessible", &XvolPeRecord::accessible)
                                                   .Member("configured", &XvolPeRecord::configured)
                                                   .Member("stretchedUse", &XvolPeRecord::stretchedUse)
                                                   .Member("boundVolumes", &XvolPeRecord::boundVolumes);
  return mapping;
}

const Mapping<XvolContainerArray> &ContainerArrayMapping() {
  static const Mapping<XvolContainerArray> mapping = Mapping<XvolContainerArray>()
                                                         .Member("arrayId", &XvolContainerArray::arrayId)
                                                         .Member("pes", &XvolContainerArray::pes);
  return mapping;
}

const Mapping<XvolProviderState> &ProviderStateMapping() {
  static const Mapping<XvolProviderState> mapping = Mapping<XvolProviderState>()
                                                        .Member("arrayId", &XvolProviderState::arrayId)
                                                        .Member("provider", &XvolProviderState::provider)
                                                        .Member("syncState", &XvolProviderState::syncState);
  return mapping;
}

const Mapping<HostCtl::Storage::ContainerStretchedConfig> &StretchedConfigMapping() {
  using HostCtl::Storage::ContainerStretchedConfig;
  static const Mapping<ContainerStretchedConfig> mapping =
      Mapping<ContainerStretchedConfig>()
          .Member("arrays", &ContainerStretchedConfig::arrayIds)
          .Member("pes", &ContainerStretchedConfig::peIds);
  return mapping;
}

const Mapping<XvolContainerRecord> &ContainerMapping() {
  static const Mapping<XvolContainerRecord> mapping =
      Mapping<XvolContainerRecord>()
          .Member("name", &XvolContainerRecord::name)
          .Member("uuid", &XvolContainerRecord::uuid)
          .Member("containerId", &XvolContainerRecord::containerId)
          .Member("capacity", &XvolContainerRecord::capacity)
          .Member("used", &XvolContainerRecord::used)
          .Member("accessible", &XvolContainerRecord::accessible)
          .Member("stretched", &XvolContainerRecord::stretched)
          .Nested("stretchedConfig", &XvolContainerRecord::stretchedConfig, StretchedConfigMapping())
          .Member("volumes", &XvolContainerRecord::volumes)
          .Member("configVolume", &XvolContainerRecord::configVolume)
          .Member("boundVolumes", &XvolContainerRecord::boundVolumes)
          .Member("unmapReclaimUnit", &XvolContainerRecord::unmapReclaimUnit)
          .Member("abandonedScans", &XvolContainerRecord::abandonedScans);
  return mapping;
}

const Mapping<XvolNvmeRecord> &NvmeMapping() {
  static const Mapping<XvolNvmeRecord> mapping = Mapping<XvolNvmeRecord>()
                                                     .Member("hostNqn", &XvolNvmeRecord::hostNqn)
                                                     .Member("hostId", &XvolNvmeRecord::hostId)
                                                     .Member("nqnInUse", &XvolNvmeRecord::nqnInUse)
                                                     .Member("discoveries", &XvolNvmeRecord::discoveries);
  return mapping;
}

const Mapping<XvolStats> &VolumeStatsMapping() {
  static const Mapping<XvolStats> mapping =
      Mapping<XvolStats>()
          .Member("commandsIssued", &XvolStats::commandsIssued)
          .Member("readsIssued", &XvolStats::readsIssued)
          .Member("writesIssued", &XvolStats::writesIssued)
          .Member("commandsDone", &XvolStats::commandsDone)
          .Member("readsDone", &XvolStats::readsDone)
          .Member("writesDone", &XvolStats::writesDone)
          .Member("commandLatencyUsecs", &XvolStats::commandLatencyUsecs)
          .Member("readLatencyUsecs", &XvolStats::readLatencyUsecs)
          .Member("writeLatencyUsecs", &XvolStats::writeLatencyUsecs)
          .Member("commandErrors", &XvolStats::commandErrors)
          .Member("readErrors", &XvolStats::readErrors)
          .Member("writeErrors", &XvolStats::writeErrors);
  return mapping;
}

const Mapping<XvolVmVolumeRecord> &VmVolumeMapping() {
  static const Mapping<XvolVmVolumeRecord> mapping =
      Mapping<XvolVmVolumeRecord>()
          .Member("uuid", &XvolVmVolumeRecord::uuid)
          .Member("name", &XvolVmVolumeRecord::name)
          .Member("containerId", &XvolVmVolumeRecord::containerId)
          .Member("peId", &XvolVmVolumeRecord::peId)
          .Member("config", &XvolVmVolumeRecord::config);
  return mapping;
}

// --- loading ---

// Loads an array of records; `extra(element, record)` reads the members the
// mapping does not know, before it (the mapping refuses unknown members).
template <class R, class Extra>
std::vector<R> LoadRecords(const Node &node, const Mapping<R> &mapping, const Extra &extra) {
  if (!node.Value().is_array())
    node.Fail("expected an array");
  std::vector<R> out;
  out.reserve(node.Value().size());
  node.Each([&](const Node &element) {
    out.emplace_back();
    extra(element, out.back());
    mapping.Load(element, out.back());
  });
  return out;
}

template <class R> std::vector<R> LoadRecords(const Node &node, const Mapping<R> &mapping) {
  return LoadRecords(node, mapping, [](const Node &, R &) {});
}

// Fails at the element that repeats a key or leaves it empty.
template <class R, class Key>
void CheckUnique(const Node &node, const std::vector<R> &records, const Key &key, const char *what) {
  std::set<std::string> seen;
  std::size_t i = 0;
  node.Each([&](const Node &element) {
    const std::string &value = key(records[i++]);
    if (value.empty())
      element.Fail(std::string("missing ") + what);
    if (!seen.insert(value).second)
      element.Fail(std::string("duplicate ") + what + " " + value);
  });
}

void LoadStatNode(const Node &node, XvolStatNodeRecord &record, bool isRoot) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  if (node.Has("name"))
    record.name = node.Field("name").AsString();
  if (!isRoot && record.name.empty())
    node.Fail("a statistics node needs a name");
  if (record.name.find('/') != std::string::npos)
    node.Field("name").Fail("a node name cannot hold \"/\"");
  if (node.Has("entity"))
    record.entity = node.Field("entity").AsBool();
  if (node.Has("counters")) {
    Node counters = node.Field("counters");
    if (!counters.Value().is_object())
      counters.Fail("expected an object");
    for (auto it = counters.Value().begin(); it != counters.Value().end(); ++it) {
      const std::string name = it.key();
      record.counters[name] = counters.Field(name.c_str()).AsInt();
    }
    counters.Done();
  }
  if (node.Has("children")) {
    Node children = node.Field("children");
    if (!children.Value().is_array())
      children.Fail("expected an array");
    std::set<std::string> names;
    children.Each([&](const Node &child) {
      record.children.emplace_back();
      LoadStatNode(child, record.children.back(), false);
      if (!names.insert(record.children.back().name).second)
        child.Fail("duplicate statistics node " + record.children.back().name);
    });
  }
  node.Done();
}

Json SaveStatNode(const XvolStatNodeRecord &record) {
  Json j = Json::object();
  j["name"] = record.name;
  if (record.entity)
    j["entity"] = true;
  Json counters = Json::object();
  for (const auto &[name, value] : record.counters)
    counters[name] = value;
  j["counters"] = std::move(counters);
  Json children = Json::array();
  for (const XvolStatNodeRecord &child : record.children)
    children.push_back(SaveStatNode(child));
  j["children"] = std::move(children);
  return j;
}

void CheckReferences(const Node &node, const XvolFamily &family) {
  const std::set<std::string> types = {ProtocolEndPoint::XVOL_PETYPE_SCSI_STR,
                                       ProtocolEndPoint::XVOL_PETYPE_NFS_STR,
                                       ProtocolEndPoint::XVOL_PETYPE_NFS4X_STR};
  std::size_t i = 0;
  if (node.Has("protocolEndpoints"))
    node.Field("protocolEndpoints").Each([&](const Node &element) {
      const XvolPeRecord &pe = family.pes[i++];
      if (!types.count(pe.type))
        element.Fail("unknown PE type \"" + pe.type + "\" (SCSI, NFS or NFS4x)");
    });
  i = 0;
  if (node.Has("containers"))
    node.Field("containers").Each([&](const Node &element) {
      const XvolContainerRecord &c = family.containers[i++];
      for (const XvolContainerArray &array : c.arrays)
        for (const std::string &pe : array.pes)
          if (!family.FindPe(pe))
            element.Fail("unknown protocol endpoint " + pe);
      for (const std::string &pe : c.stretchedConfig.peIds)
        if (!family.FindPe(pe))
          element.Fail("unknown protocol endpoint " + pe + " in the stretched configuration");
      if (!c.stretched && !c.providerStates.empty())
        element.Fail("only a stretched container has provider states");
    });
}

} // namespace

// --- family ---

const XvolPeRecord *XvolFamily::FindPe(const std::string &ospaId) const {
  auto it = peByOspaId_.find(ospaId);
  return it == peByOspaId_.end() ? nullptr : &pes[it->second];
}

const XvolArrayRecord *XvolFamily::FindArray(const std::string &arrayId) const {
  auto it = arrayById_.find(arrayId);
  return it == arrayById_.end() ? nullptr : &arrays[it->second];
}

void XvolFamily::Reindex() {
  peByOspaId_.clear();
  peByOspaId_.reserve(pes.size());
  for (std::size_t i = 0; i < pes.size(); ++i)
    peByOspaId_.emplace(pes[i].ospaId, i);
  arrayById_.clear();
  for (std::size_t i = 0; i < arrays.size(); ++i)
    arrayById_.emplace(arrays[i].arrayId, i);
}

std::string DefaultPolicyNqn(const std::string &hostId) {
  return "nqn.2014-08.org.nvmexpress:uuid:" + hostId;
}

void LoadFamily(const Node &node, XvolFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  if (node.Has("providers")) {
    const Node list = node.Field("providers");
    family.providers =
        LoadRecords(list, ProviderMapping(), [](const Node &element, XvolProviderRecord &record) {
          if (element.Has("virtualHost")) {
            record.hasVirtualHost = true;
            VirtualHostMapping().Load(element.Field("virtualHost"), record.virtualHost);
          }
          if (element.Has("arrays"))
            record.arrays = ProviderArrayMapping().LoadList(element.Field("arrays"));
        });
    CheckUnique(
        list, family.providers, [](const XvolProviderRecord &r) { return r.name; }, "provider name");
  }
  if (node.Has("arrays")) {
    const Node list = node.Field("arrays");
    family.arrays = LoadRecords(list, ArrayMapping());
    CheckUnique(
        list, family.arrays, [](const XvolArrayRecord &r) { return r.arrayId; }, "array id");
  }
  if (node.Has("protocolEndpoints")) {
    const Node list = node.Field("protocolEndpoints");
    family.pes = LoadRecords(list, PeMapping());
    CheckUnique(
        list, family.pes, [](const XvolPeRecord &r) { return r.ospaId; }, "OSPA PE id");
  }
  if (node.Has("containers")) {
    const Node list = node.Field("containers");
    family.containers =
        LoadRecords(list, ContainerMapping(), [](const Node &element, XvolContainerRecord &record) {
          if (element.Has("arrays"))
            record.arrays = ContainerArrayMapping().LoadList(element.Field("arrays"));
          if (element.Has("providerStates"))
            record.providerStates = ProviderStateMapping().LoadList(element.Field("providerStates"));
        });
    CheckUnique(
        list, family.containers, [](const XvolContainerRecord &r) { return r.name; }, "container name");
  }
  if (node.Has("ospaContext"))
    family.ospaContext = node.Field("ospaContext").AsString();
  if (node.Has("nvme"))
    NvmeMapping().Load(node.Field("nvme"), family.nvme);
  if (node.Has("stats")) {
    const Node stats = node.Field("stats");
    if (!stats.Value().is_object())
      stats.Fail("expected an object");
    if (stats.Has("enabled"))
      family.stats.enabled = stats.Field("enabled").AsBool();
    if (stats.Has("tree"))
      LoadStatNode(stats.Field("tree"), family.stats.root, true);
    stats.Done();
  }
  if (node.Has("vms")) {
    const Node list = node.Field("vms");
    if (!list.Value().is_array())
      list.Fail("expected an array");
    list.Each([&](const Node &element) {
      XvolVmRecord vm;
      if (element.Has("name"))
        vm.name = element.Field("name").AsString();
      if (element.Has("worldId"))
        vm.worldId = static_cast<uint32_t>(element.Field("worldId").AsUInt());
      if (element.Has("volumes"))
        vm.volumes = LoadRecords(element.Field("volumes"), VmVolumeMapping(),
                                 [](const Node &volume, XvolVmVolumeRecord &record) {
                                   if (volume.Has("stats")) {
                                     record.hasStats = true;
                                     VolumeStatsMapping().Load(volume.Field("stats"), record.stats);
                                   }
                                 });
      element.Done();
      family.vms.push_back(std::move(vm));
    });
    CheckUnique(
        list, family.vms, [](const XvolVmRecord &r) { return r.name; }, "VM name");
  }
  node.Done();
  family.Reindex();
  CheckReferences(node, family);
}

nlohmann::ordered_json SaveFamily(const XvolFamily &family) {
  Json j = Json::object();
  Json providers = Json::array();
  for (const XvolProviderRecord &p : family.providers) {
    Json jp = ProviderMapping().Save(p);
    if (p.hasVirtualHost)
      jp["virtualHost"] = VirtualHostMapping().Save(p.virtualHost);
    jp["arrays"] = ProviderArrayMapping().SaveList(p.arrays);
    providers.push_back(std::move(jp));
  }
  j["providers"] = std::move(providers);
  j["arrays"] = ArrayMapping().SaveList(family.arrays);
  j["protocolEndpoints"] = PeMapping().SaveList(family.pes);
  Json containers = Json::array();
  for (const XvolContainerRecord &c : family.containers) {
    Json jc = ContainerMapping().Save(c);
    jc["arrays"] = ContainerArrayMapping().SaveList(c.arrays);
    if (!c.providerStates.empty())
      jc["providerStates"] = ProviderStateMapping().SaveList(c.providerStates);
    containers.push_back(std::move(jc));
  }
  j["containers"] = std::move(containers);
  j["ospaContext"] = family.ospaContext;
  j["nvme"] = NvmeMapping().Save(family.nvme);
  j["stats"] = Json{{"enabled", family.stats.enabled}, {"tree", SaveStatNode(family.stats.root)}};
  Json vms = Json::array();
  for (const XvolVmRecord &vm : family.vms) {
    Json volumes = Json::array();
    for (const XvolVmVolumeRecord &v : vm.volumes) {
      Json jv = VmVolumeMapping().Save(v);
      if (v.hasStats)
        jv["stats"] = VolumeStatsMapping().Save(v.stats);
      volumes.push_back(std::move(jv));
    }
    vms.push_back(Json{{"name", vm.name}, {"worldId", vm.worldId}, {"volumes", std::move(volumes)}});
  }
  j["vms"] = std::move(vms);
  return j;
}

} // namespace OlkCtl::Sim
