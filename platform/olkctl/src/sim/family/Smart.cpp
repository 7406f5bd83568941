#include "sim/family/Smart.h"

#include "sim/family/DeviceKeyed.h"
#include "sim/family/IndexedLoad.h"

#include <vector>

namespace OlkCtl::Sim {

using HostCtl::Storage::SmartEntry;
using HostCtl::Storage::SmartParameters;

namespace {

// An entry's five words; the document writes its index beside them.
const Mapping<SmartEntry> &EntryMapping() {
  static const Mapping<SmartEntry> mapping = Mapping<SmartEntry>()
                                                 .Member("value", &SmartEntry::value)
                                                 .Member("worst", &SmartEntry::worst)
                                                 .Member("threshold", &SmartEntry::threshold)
                                                 .Member("raw", &SmartEntry::raw)
                                                 .Member("flags", &SmartEntry::flags);
  return mapping;
}

const Mapping<SmartRecord> &SmartMapping() {
  static const Mapping<SmartRecord> mapping =
      Mapping<SmartRecord>().Member("name", &SmartRecord::name).Member("gathering", &SmartRecord::gathering);
  return mapping;
}

bool IsZero(const SmartEntry &e) {
  return e.value == 0 && e.worst == 0 && e.threshold == 0 && e.raw == 0 && e.flags == 0;
}

} // namespace

void LoadFamily(const Node &node, SmartFamily &family) {
  LoadIndexed(
      node, family, SmartMapping(), {"SMART entry", "a SMART entry needs a device name"},
      [](const Node &element, SmartRecord &record) {
        // Read before the mapping, which refuses members it was not told about.
        if (!element.Has("parameters"))
          return;
        const Node parameters = element.Field("parameters");
        if (!parameters.Value().is_array())
          parameters.Fail("expected an array");
        std::vector<bool> seen(SmartParameters::NUM_ENTRIES, false);
        parameters.Each([&](const Node &entry) {
          if (!entry.Value().is_object())
            entry.Fail("expected an object");
          const Node index = entry.Field("index");
          const uint64_t at = index.AsUInt();
          if (at >= SmartParameters::NUM_ENTRIES)
            index.Fail("not between 0 and 18");
          if (seen[at])
            index.Fail(std::to_string(at) + " appears twice");
          seen[at] = true;
          EntryMapping().Load(entry, record.parameters.entries[at]);
        });
      },
      [](const Node &, const SmartRecord &) {});
}

nlohmann::ordered_json SaveFamily(const SmartFamily &family) {
  Json out = Json::array();
  for (const SmartRecord &record : family.records) {
    Json j = SmartMapping().Save(record);
    Json parameters = Json::array();
    for (uint32_t i = 0; i < SmartParameters::NUM_ENTRIES; ++i)
      if (!IsZero(record.parameters.entries[i])) {
        Json entry = {{"index", i}};
        entry.update(EntryMapping().Save(record.parameters.entries[i]));
        parameters.push_back(std::move(entry));
      }
    j["parameters"] = std::move(parameters);
    out.push_back(std::move(j));
  }
  return out;
}

void CheckFamilyReferences(const State &state, const SmartFamily &family) {
  CheckDeviceKeys(state, family, "smart");
}

void ForgetFamilyDevices(const State &state, SmartFamily &family) {
  ForgetDeviceKeys(state, family);
}

} // namespace OlkCtl::Sim
