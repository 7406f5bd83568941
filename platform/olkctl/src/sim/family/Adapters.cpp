#include "sim/family/Adapters.h"

#include "sim/family/IndexedLoad.h"
#include "sim/family/Stats.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/ScsiInterface.h>

namespace OlkCtl::Sim {

namespace {

const Mapping<AdapterRecord> &AdapterMapping() {
  static const Mapping<AdapterRecord> mapping =
      Mapping<AdapterRecord>()
          .Member("name", &AdapterRecord::name)
          .Member("uid", &AdapterRecord::uid)
          .Member("transport", &AdapterRecord::transport)
          .Member("driver", &AdapterRecord::driver)
          .Member("driverVersion", &AdapterRecord::driverVersion)
          .Member("firmwareVersion", &AdapterRecord::firmwareVersion)
          .Member("linkState", &AdapterRecord::linkState)
          .Member("description", &AdapterRecord::description)
          .Member("capabilityMask", &AdapterRecord::capabilityMask)
          .Nested("stats", &AdapterRecord::stats, ScsiStatsMapping());
  return mapping;
}

} // namespace

bool IsLinkDown(const std::string &linkState) {
  return linkState == "link-down" || linkState == "offline";
}

void LoadFamily(const Node &node, AdapterFamily &family) {
  LoadIndexed(
      node, family, AdapterMapping(), {"adapter", "an adapter needs a name"},
      [](const Node &element, AdapterRecord &record) {
        // Read before the mapping, which refuses members it was not told about.
        if (element.Has("pendingPaths"))
          LoadFamily(element.Field("pendingPaths"), record.pendingPaths);
        if (element.Has("pendingDevices"))
          LoadFamily(element.Field("pendingDevices"), record.pendingDevices);
      },
      [](const Node &element, const AdapterRecord &record) {
        try {
          HostCtl::Storage::ScsiInterface::GetValidInterfaceType(record.transport);
        } catch (const HostCtl::Lib::HostCtlException &e) {
          element.Field("transport").Fail(e.what());
        }
        for (const PathRecord &path : record.pendingPaths.records)
          if (path.adapterName != record.name)
            element.Field("pendingPaths")
                .Fail("pending path " + path.runtimeName + " leaves from adapter " + path.adapterName +
                      ", not " + record.name);
      });
}

nlohmann::ordered_json SaveFamily(const AdapterFamily &family) {
  Json out = Json::array();
  for (const AdapterRecord &record : family.records) {
    Json j = AdapterMapping().Save(record);
    // Only adapters with undiscovered hardware carry these members.
    if (!record.pendingPaths.records.empty())
      j["pendingPaths"] = SaveFamily(record.pendingPaths);
    if (!record.pendingDevices.records.empty())
      j["pendingDevices"] = SaveFamily(record.pendingDevices);
    out.push_back(std::move(j));
  }
  return out;
}

} // namespace OlkCtl::Sim
