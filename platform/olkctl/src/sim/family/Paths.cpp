#include "sim/family/Paths.h"

#include "sim/Json.h"
#include "sim/family/Stats.h"

#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

const Mapping<PathRecord> &PathMapping() {
  static const Mapping<PathRecord> mapping =
      Mapping<PathRecord>()
          .Member("uid", &PathRecord::uid)
          .Member("runtimeName", &PathRecord::runtimeName)
          .Member("device", &PathRecord::deviceName)
          .Member("adapter", &PathRecord::adapterName)
          .Member("controller", &PathRecord::controller)
          .Member("anaGroupId", &PathRecord::anaGroupId)
          .Member("channel", &PathRecord::channel)
          .Member("target", &PathRecord::target)
          .Member("lun", &PathRecord::lun)
          .Member("adapterIdentifier", &PathRecord::adapterIdentifier)
          .Member("targetIdentifier", &PathRecord::targetIdentifier)
          .Member("plugin", &PathRecord::plugin)
          .Member("state", &PathRecord::state)
          .Member("adapterTransportDetails", &PathRecord::adapterTransportDetails)
          .Member("targetTransportDetails", &PathRecord::targetTransportDetails)
          .Member("maxIOSize", &PathRecord::maxIOSize)
          .Nested("stats", &PathRecord::stats, ScsiStatsMapping());
  return mapping;
}

const PathRecord *Find(const std::unordered_map<std::string, size_t> &index,
                       const std::vector<PathRecord> &records, const std::string &key) {
  auto it = index.find(key);
  return it == index.end() ? nullptr : &records[it->second];
}

} // namespace

const PathRecord *PathFamily::ByUid(const std::string &uid) const {
  return Find(byUid_, records, uid);
}

const PathRecord *PathFamily::ByRuntimeName(const std::string &runtimeName) const {
  return Find(byRuntimeName_, records, runtimeName);
}

const PathRecord *PathFamily::ByName(const std::string &name) const {
  if (const PathRecord *path = ByUid(name))
    return path;
  return ByRuntimeName(name);
}

PathRecord *PathFamily::MutableByUid(const std::string &uid) {
  auto it = byUid_.find(uid);
  return it == byUid_.end() ? nullptr : &records[it->second];
}

const std::vector<size_t> &PathFamily::OfDevice(const std::string &deviceName) const {
  static const std::vector<size_t> none;
  auto it = byDevice_.find(deviceName);
  return it == byDevice_.end() ? none : it->second;
}

void PathFamily::Reindex() {
  byUid_.clear();
  byRuntimeName_.clear();
  byDevice_.clear();
  byUid_.reserve(records.size());
  byRuntimeName_.reserve(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const PathRecord &path = records[i];
    byUid_.emplace(path.uid, i);
    byRuntimeName_.emplace(path.runtimeName, i);
    if (!path.deviceName.empty())
      byDevice_[path.deviceName].push_back(i);
  }
}

void LoadFamily(const Node &node, PathFamily &family) {
  family.records = PathMapping().LoadList(node);
  // Both names select a path on the command line, so each must be present and
  // unique.
  std::unordered_set<std::string> uids;
  std::unordered_set<std::string> runtimeNames;
  size_t i = 0;
  node.Each([&](const Node &element) {
    const PathRecord &path = family.records[i++];
    if (path.uid.empty())
      element.Field("uid").Fail("a path needs a UID");
    if (path.runtimeName.empty())
      element.Field("runtimeName").Fail("a path needs a runtime name");
    if (!uids.insert(path.uid).second)
      element.Field("uid").Fail("UID \"" + path.uid + "\" is used by another path");
    if (!runtimeNames.insert(path.runtimeName).second)
      element.Field("runtimeName").Fail("runtime name \"" + path.runtimeName + "\" is used by another path");
  });
}

nlohmann::ordered_json SaveFamily(const PathFamily &family) {
  return PathMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
