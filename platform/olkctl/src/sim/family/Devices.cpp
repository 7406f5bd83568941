#include "sim/family/Devices.h"

#include "sim/family/IndexedLoad.h"
#include "sim/family/Stats.h"

#include <algorithm>

namespace OlkCtl::Sim {

namespace {

const Mapping<RaidRecord> &RaidMapping() {
  static const Mapping<RaidRecord> mapping = Mapping<RaidRecord>()
                                                 .Member("kind", &RaidRecord::kind)
                                                 .Member("drives", &RaidRecord::drives)
                                                 .Member("driveType", &RaidRecord::driveType)
                                                 .Member("level", &RaidRecord::level);
  return mapping;
}

const Mapping<PartitionRecord> &PartitionMapping() {
  static const Mapping<PartitionRecord> mapping = Mapping<PartitionRecord>()
                                                      .Member("number", &PartitionRecord::number)
                                                      .Member("type", &PartitionRecord::type)
                                                      .Member("startSector", &PartitionRecord::startSector)
                                                      .Member("endSector", &PartitionRecord::endSector)
                                                      .Member("guid", &PartitionRecord::guid);
  return mapping;
}

const Mapping<DetachedRecord> &DetachedMapping() {
  static const Mapping<DetachedRecord> mapping =
      Mapping<DetachedRecord>().Member("uid", &DetachedRecord::uid).Member("state", &DetachedRecord::state);
  return mapping;
}

const Mapping<DeviceRecord> &DeviceMapping() {
  static const Mapping<DeviceRecord> mapping =
      Mapping<DeviceRecord>()
          .Member("name", &DeviceRecord::name)
          .Member("displayName", &DeviceRecord::displayName)
          .Member("displayNameSettable", &DeviceRecord::displayNameSettable)
          .Member("size", &DeviceRecord::size)
          .Member("deviceType", &DeviceRecord::deviceType)
          .Member("multipathPlugin", &DeviceRecord::multipathPlugin)
          .Member("devfsPath", &DeviceRecord::devfsPath)
          .Member("vendor", &DeviceRecord::vendor)
          .Member("model", &DeviceRecord::model)
          .Member("revision", &DeviceRecord::revision)
          .Member("nvmeControllerModel", &DeviceRecord::nvmeControllerModel)
          .Member("pciVendorId", &DeviceRecord::pciVendorId)
          .Member("pciSubVendorId", &DeviceRecord::pciSubVendorId)
          .Member("scsiLevel", &DeviceRecord::scsiLevel)
          .Member("pseudo", &DeviceRecord::pseudo)
          .Member("status", &DeviceRecord::status)
          .Member("rdmCapable", &DeviceRecord::rdmCapable)
          .Member("local", &DeviceRecord::local)
          .Member("removable", &DeviceRecord::removable)
          .Member("ssd", &DeviceRecord::ssd)
          .Member("xvolPE", &DeviceRecord::xvolPE)
          .Member("offline", &DeviceRecord::offline)
          .Member("perenniallyReserved", &DeviceRecord::perenniallyReserved)
          .Member("notShared", &DeviceRecord::notShared)
          .Member("queueFullSampleSize", &DeviceRecord::queueFullSampleSize)
          .Member("queueFullThreshold", &DeviceRecord::queueFullThreshold)
          .Member("maxQueueDepth", &DeviceRecord::maxQueueDepth)
          .Member("outstandingIosCompetingWorlds", &DeviceRecord::outstandingIosCompetingWorlds)
          .Member("protectionEnabled", &DeviceRecord::protectionEnabled)
          .Member("piActivated", &DeviceRecord::piActivated)
          .Member("piType", &DeviceRecord::piType)
          .Member("dixEnabled", &DeviceRecord::dixEnabled)
          .Member("guardTypeMask", &DeviceRecord::guardTypeMask)
          .Member("protectionMask", &DeviceRecord::protectionMask)
          .Member("uids", &DeviceRecord::uids)
          .Member("thinProvisioning", &DeviceRecord::thinProvisioning)
          .Member("protocol", &DeviceRecord::protocol)
          .Member("emulatedDixDif", &DeviceRecord::emulatedDixDif)
          .Member("nvme", &DeviceRecord::nvme)
          .Member("psaConfig", &DeviceRecord::psaConfig)
          .Member("filters", &DeviceRecord::filters)
          .Nested("raid", &DeviceRecord::raid, RaidMapping())
          .Member("inUse", &DeviceRecord::inUse)
          .Member("userDisplayName", &DeviceRecord::userDisplayName)
          .Member("queueDepthLimit", &DeviceRecord::queueDepthLimit)
          .Member("ledMode", &DeviceRecord::ledMode)
          .Member("ledDuration", &DeviceRecord::ledDuration)
          .Member("writeCache", &DeviceRecord::writeCache)
          .Member("inquiryCacheIgnore", &DeviceRecord::inquiryCacheIgnore)
          .Member("latencyThreshold", &DeviceRecord::latencyThreshold)
          .Member("lastSeenDaysAgo", &DeviceRecord::lastSeenDaysAgo)
          .Member("olfsMounted", &DeviceRecord::olfsMounted)
          .Member("physicalBlockSize", &DeviceRecord::physicalBlockSize)
          .Member("logicalBlockSize", &DeviceRecord::logicalBlockSize)
          .Member("formatType", &DeviceRecord::formatType)
          .Member("partitionTable", &DeviceRecord::partitionTable)
          .List("partitions", &DeviceRecord::partitions, PartitionMapping())
          .Nested("stats", &DeviceRecord::stats, ScsiStatsMapping())
          .Member("physicalLocations", &DeviceRecord::physicalLocations)
          .Member("subNqns", &DeviceRecord::subNqns)
          .Member("nvmeSpecRevision", &DeviceRecord::nvmeSpecRevision)
          .Member("dispersed", &DeviceRecord::dispersed);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, DeviceFamily &family) {
  auto nothing = [](const Node &, const DeviceRecord &) {};
  // Host files written before HWAC support moved to the hwac family carry a
  // per-device "hwacSupport": accepted and dropped at the next write, so an
  // existing host keeps working (its devices show HWAC "unknown").
  auto legacy = [](const Node &element, DeviceRecord &) {
    if (element.Has("hwacSupport"))
      element.Field("hwacSupport");
  };
  LoadIndexed(node, family, DeviceMapping(), {"device", "a device needs a name"}, legacy, nothing);
}

nlohmann::ordered_json SaveFamily(const DeviceFamily &family) {
  return DeviceMapping().SaveList(family.records);
}

const DetachedRecord *DetachedFamily::Find(const std::string &uid) const {
  for (const DetachedRecord &record : records)
    if (record.uid == uid)
      return &record;
  return nullptr;
}

void DetachedFamily::Add(const std::string &uid) {
  if (!Find(uid))
    records.push_back({uid, "off"});
}

bool DetachedFamily::Remove(const std::string &uid) {
  const auto at =
      std::find_if(records.begin(), records.end(), [&](const DetachedRecord &r) { return r.uid == uid; });
  if (at == records.end())
    return false;
  records.erase(at);
  return true;
}

void LoadFamily(const Node &node, DetachedFamily &family) {
  family.records = DetachedMapping().LoadList(node);
}

nlohmann::ordered_json SaveFamily(const DetachedFamily &family) {
  return DetachedMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
