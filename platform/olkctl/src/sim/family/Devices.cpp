#include "sim/family/Devices.h"

#include "sim/family/IndexedLoad.h"

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
          .Member("inUse", &DeviceRecord::inUse);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, DeviceFamily &family) {
  auto nothing = [](const Node &, const DeviceRecord &) {};
  LoadIndexed(node, family, DeviceMapping(), {"device", "a device needs a name"}, nothing, nothing);
}

nlohmann::ordered_json SaveFamily(const DeviceFamily &family) {
  return DeviceMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
