#include "sim/family/Volumes.h"

#include "sim/family/Hwac.h"

#include "sim/Json.h"
#include "sim/State.h"

#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

const Mapping<ExtentRecord> &ExtentMapping() {
  static const Mapping<ExtentRecord> mapping = Mapping<ExtentRecord>()
                                                   .Member("kind", &ExtentRecord::kind)
                                                   .Member("device", &ExtentRecord::device)
                                                   .Member("partition", &ExtentRecord::partition)
                                                   .Member("start", &ExtentRecord::start)
                                                   .Member("end", &ExtentRecord::end);
  return mapping;
}

const Mapping<HostUserRecord> &HostUserMapping() {
  static const Mapping<HostUserRecord> mapping =
      Mapping<HostUserRecord>()
          .Member("heartbeatUuid", &HostUserRecord::heartbeatUuid)
          .Member("mac", &HostUserRecord::mac)
          .Member("driverMajor", &HostUserRecord::driverMajor)
          .Member("driverMinor", &HostUserRecord::driverMinor)
          .Member("heartbeatOffset", &HostUserRecord::heartbeatOffset)
          .Member("lockMode", &HostUserRecord::lockMode)
          .Member("live", &HostUserRecord::live)
          .Member("self", &HostUserRecord::self);
  return mapping;
}

const Mapping<UnmapRecord> &UnmapMapping() {
  static const Mapping<UnmapRecord> mapping = Mapping<UnmapRecord>()
                                                  .Member("granularity", &UnmapRecord::granularity)
                                                  .Member("priority", &UnmapRecord::priority)
                                                  .Member("method", &UnmapRecord::method)
                                                  .Member("bandwidth", &UnmapRecord::bandwidth)
                                                  .Member("maxHosts", &UnmapRecord::maxHosts);
  return mapping;
}

const Mapping<VolumeRecord> &VolumeMapping() {
  static const Mapping<VolumeRecord> mapping =
      Mapping<VolumeRecord>()
          .Member("uuid", &VolumeRecord::uuid)
          .Member("label", &VolumeRecord::label)
          .Member("type", &VolumeRecord::type)
          .Member("majorVersion", &VolumeRecord::majorVersion)
          .Member("lvmUuid", &VolumeRecord::lvmUuid)
          .Member("capacity", &VolumeRecord::capacity)
          .Member("used", &VolumeRecord::used)
          .Member("mounted", &VolumeRecord::mounted)
          .Member("explicitlyUnmounted", &VolumeRecord::explicitlyUnmounted)
          .Member("busy", &VolumeRecord::busy)
          .Member("accessible", &VolumeRecord::accessible)
          .Member("lockState", &VolumeRecord::lockState)
          .Member("capabilities", &VolumeRecord::capabilities)
          .Member("clusteredOldk", &VolumeRecord::clusteredOldk)
          .Nested("unmap", &VolumeRecord::unmap, UnmapMapping())
          .Member("lastReclaimUnit", &VolumeRecord::lastReclaimUnit);
  return mapping;
}

const Mapping<UnresolvedRecord> &UnresolvedMapping() {
  static const Mapping<UnresolvedRecord> mapping = Mapping<UnresolvedRecord>()
                                                       .Member("kind", &UnresolvedRecord::kind)
                                                       .Member("uuid", &UnresolvedRecord::uuid)
                                                       .Member("label", &UnresolvedRecord::label)
                                                       .Member("lvmUuid", &UnresolvedRecord::lvmUuid)
                                                       .Member("capacity", &UnresolvedRecord::capacity)
                                                       .Member("code", &UnresolvedRecord::code);
  return mapping;
}

const Mapping<HostCtl::Storage::PBCacheStats> &PBCacheMapping() {
  static const Mapping<HostCtl::Storage::PBCacheStats> mapping =
      Mapping<HostCtl::Storage::PBCacheStats>()
          .Member("cacheSize", &HostCtl::Storage::PBCacheStats::cacheSize)
          .Member("cacheSizeMax", &HostCtl::Storage::PBCacheStats::cacheSizeMax)
          .Member("workingSet", &HostCtl::Storage::PBCacheStats::workingSet)
          .Member("workingSetMax", &HostCtl::Storage::PBCacheStats::workingSetMax)
          .Member("heapOverhead", &HostCtl::Storage::PBCacheStats::heapOverhead)
          .Member("capacityMissRatio", &HostCtl::Storage::PBCacheStats::capacityMissRatio);
  return mapping;
}

const Mapping<HeapRecord> &HeapMapping() {
  static const Mapping<HeapRecord> mapping = Mapping<HeapRecord>()
                                                 .Member("name", &HeapRecord::name)
                                                 .Member("currentSize", &HeapRecord::currentSize)
                                                 .Member("maxSize", &HeapRecord::maxSize);
  return mapping;
}

const Mapping<NotificationRecord> &NotificationMapping() {
  static const Mapping<NotificationRecord> mapping = Mapping<NotificationRecord>()
                                                         .Member("type", &NotificationRecord::type)
                                                         .Member("names", &NotificationRecord::names);
  return mapping;
}

// Extents and users are lists of their own records, read before the mapping.
void LoadVolume(const Node &element, VolumeRecord &record) {
  if (element.Has("extents"))
    record.extents = ExtentMapping().LoadList(element.Field("extents"));
  if (element.Has("users"))
    record.users = HostUserMapping().LoadList(element.Field("users"));
  VolumeMapping().Load(element, record);
  if (record.uuid.empty())
    element.Fail("a volume needs a uuid");
  for (const ExtentRecord &extent : record.extents)
    if (extent.kind != "olfs")
      element.Field("extents").Fail("a volume's extents are all of kind \"olfs\"");
}

Json SaveVolume(const VolumeRecord &record) {
  Json j = VolumeMapping().Save(record);
  j["extents"] = ExtentMapping().SaveList(record.extents);
  j["users"] = HostUserMapping().SaveList(record.users);
  return j;
}

std::vector<VolumeRecord> LoadVolumes(const Node &node, std::unordered_set<std::string> &uuids) {
  std::vector<VolumeRecord> out;
  if (!node.Value().is_array())
    node.Fail("expected an array");
  out.reserve(node.Value().size());
  node.Each([&](const Node &element) {
    VolumeRecord record;
    LoadVolume(element, record);
    if (!uuids.insert(record.uuid).second)
      element.Fail("duplicate volume uuid " + record.uuid);
    out.push_back(std::move(record));
  });
  return out;
}

} // namespace

const VolumeRecord *VolumeFamily::ByUuid(const std::string &uuid) const {
  auto it = byUuid_.find(uuid);
  return it == byUuid_.end() ? nullptr : &volumes[it->second];
}

VolumeRecord *VolumeFamily::MutableByUuid(const std::string &uuid) {
  auto it = byUuid_.find(uuid);
  return it == byUuid_.end() ? nullptr : &volumes[it->second];
}

const VolumeRecord *VolumeFamily::ByLabel(const std::string &label) const {
  if (label.empty())
    return nullptr;
  auto it = byLabel_.find(label);
  return it == byLabel_.end() ? nullptr : &volumes[it->second];
}

const VolumeRecord *VolumeFamily::ByPath(const std::string &path) const {
  static const std::string kPrefix = "/olfs/volumes/";
  if (path.rfind(kPrefix, 0) != 0)
    return nullptr;
  std::string rest = path.substr(kPrefix.size());
  while (!rest.empty() && rest.back() == '/')
    rest.pop_back();
  if (const VolumeRecord *volume = ByUuid(rest))
    return volume;
  return ByLabel(rest);
}

bool VolumeFamily::BacksMountedVolume(const std::string &device) const {
  return mountedDevices_.count(device) != 0;
}

void VolumeFamily::Reindex() {
  byUuid_.clear();
  byLabel_.clear();
  mountedDevices_.clear();
  byUuid_.reserve(volumes.size());
  byLabel_.reserve(volumes.size());
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    const VolumeRecord &volume = volumes[i];
    byUuid_.emplace(volume.uuid, i);
    if (!volume.label.empty())
      byLabel_.emplace(volume.label, i);
    if (volume.mounted && volume.IsOlfs())
      for (const ExtentRecord &extent : volume.extents)
        mountedDevices_.emplace(extent.device, i);
  }
}

void CheckVolumeDevices(const State &state) {
  std::unordered_set<std::string> discoverable;
  for (const auto &adapter : state.adapters().records)
    for (const auto &device : adapter.pendingDevices.records)
      discoverable.insert(device.name);
  auto check = [&](const char *list, const std::vector<ExtentRecord> &extents, const std::string &uuid,
                   bool pending) {
    for (const ExtentRecord &extent : extents) {
      if (extent.kind != "olfs" || state.devices().Find(extent.device) ||
          (pending && discoverable.count(extent.device)))
        continue;
      throw StateError(std::string("volumes.") + list + ": volume " + uuid +
                       " has an extent on unknown device " + extent.device);
    }
  };
  const VolumeFamily &family = state.volumes();
  for (const VolumeRecord &volume : family.volumes)
    check("volumes", volume.extents, volume.uuid, false);
  for (const VolumeRecord &volume : family.pending)
    check("pending", volume.extents, volume.uuid, true);
  for (const UnresolvedRecord &volume : family.unresolved)
    check("unresolved", volume.extents, volume.uuid, false);
}

int DeviceAtsSupport(const State &state, const VolumeRecord &volume) {
  // The head extent's device decides: ATS in its hardware and switched on.
  if (volume.extents.empty())
    return 0;
  return HwacAtsActive(state, volume.extents.front().device) ? 1 : 0;
}

void LoadFamily(const Node &node, VolumeFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  std::unordered_set<std::string> uuids;
  if (node.Has("volumes"))
    family.volumes = LoadVolumes(node.Field("volumes"), uuids);
  if (node.Has("pending"))
    family.pending = LoadVolumes(node.Field("pending"), uuids);
  if (node.Has("unresolved")) {
    const Node list = node.Field("unresolved");
    if (!list.Value().is_array())
      list.Fail("expected an array");
    list.Each([&](const Node &element) {
      UnresolvedRecord record;
      if (element.Has("extents"))
        record.extents = ExtentMapping().LoadList(element.Field("extents"));
      UnresolvedMapping().Load(element, record);
      family.unresolved.push_back(std::move(record));
    });
  }
  if (node.Has("pbcache"))
    PBCacheMapping().Load(node.Field("pbcache"), family.pbcache);
  if (node.Has("heaps"))
    family.heaps = HeapMapping().LoadList(node.Field("heaps"));
  if (node.Has("notifications")) {
    family.notifications = NotificationMapping().LoadList(node.Field("notifications"));
    if (family.notifications.size() > VolumeFamily::kMaxNotifications)
      node.Field("notifications").Fail("at most 32 notifications are kept");
  }
  node.Done();
}

nlohmann::ordered_json SaveFamily(const VolumeFamily &family) {
  Json out = Json::object();
  Json volumes = Json::array();
  for (const VolumeRecord &record : family.volumes)
    volumes.push_back(SaveVolume(record));
  out["volumes"] = std::move(volumes);
  Json pending = Json::array();
  for (const VolumeRecord &record : family.pending)
    pending.push_back(SaveVolume(record));
  out["pending"] = std::move(pending);
  Json unresolved = Json::array();
  for (const UnresolvedRecord &record : family.unresolved) {
    Json j = UnresolvedMapping().Save(record);
    j["extents"] = ExtentMapping().SaveList(record.extents);
    unresolved.push_back(std::move(j));
  }
  out["unresolved"] = std::move(unresolved);
  out["pbcache"] = PBCacheMapping().Save(family.pbcache);
  out["heaps"] = HeapMapping().SaveList(family.heaps);
  out["notifications"] = NotificationMapping().SaveList(family.notifications);
  return out;
}

} // namespace OlkCtl::Sim
