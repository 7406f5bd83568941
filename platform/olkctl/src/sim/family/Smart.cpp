#include "sim/family/Smart.h"

#include "sim/family/DeviceKeyed.h"
#include "sim/family/IndexedLoad.h"

#include <vector>

namespace OlkCtl::Sim {

using HostCtl::Storage::SmartEntry;
using HostCtl::Storage::SmartParameters;

namespace {

// An entry as the document writes it: its index beside its five words.
struct IndexedEntry {
  uint32_t index = 0;
  int64_t value = 0;
  int64_t worst = 0;
  int64_t threshold = 0;
  int64_t raw = 0;
  uint64_t flags = 0;
};

const Mapping<IndexedEntry> &EntryMapping() {
  static const Mapping<IndexedEntry> mapping = Mapping<IndexedEntry>()
                                                   .Member("index", &IndexedEntry::index)
                                                   .Member("value", &IndexedEntry::value)
                                                   .Member("worst", &IndexedEntry::worst)
                                                   .Member("threshold", &IndexedEntry::threshold)
                                                   .Member("raw", &IndexedEntry::raw)
                                                   .Member("flags", &IndexedEntry::flags);
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
        std::vector<bool> seen(SmartParameters::NUM_ENTRIES, false);
        size_t at = 0;
        for (const IndexedEntry &e : EntryMapping().LoadList(parameters)) {
          if (e.index >= SmartParameters::NUM_ENTRIES)
            parameters.Fail("parameter " + std::to_string(at) + ": index " + std::to_string(e.index) +
                            " is not between 0 and 18");
          if (seen[e.index])
            parameters.Fail("index " + std::to_string(e.index) + " appears twice");
          seen[e.index] = true;
          record.parameters.entries[e.index] = SmartEntry{e.value, e.worst, e.threshold, e.raw, e.flags};
          ++at;
        }
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
        const SmartEntry &e = record.parameters.entries[i];
        parameters.push_back(
            EntryMapping().Save(IndexedEntry{i, e.value, e.worst, e.threshold, e.raw, e.flags}));
      }
    j["parameters"] = std::move(parameters);
    out.push_back(std::move(j));
  }
  return out;
}

void CheckFamilyReferences(const State &state, const SmartFamily &family) {
  CheckDeviceKeys(state, family, "smart");
}

} // namespace OlkCtl::Sim
