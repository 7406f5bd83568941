#include "sim/family/Worlds.h"

#include "sim/Json.h"

#include <algorithm>
#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

const Mapping<WorldRecord> &WorldMapping() {
  static const Mapping<WorldRecord> mapping = Mapping<WorldRecord>()
                                                  .Member("id", &WorldRecord::id)
                                                  .Member("name", &WorldRecord::name)
                                                  .Member("script", &WorldRecord::script)
                                                  .Member("opens", &WorldRecord::opens);
  return mapping;
}

} // namespace

void WorldFamily::Reindex() {
  std::stable_sort(records.begin(), records.end(),
                   [](const WorldRecord &a, const WorldRecord &b) { return a.id < b.id; });
  byId.clear();
  byId.reserve(records.size());
  opensByDevice.clear();
  for (std::size_t i = 0; i < records.size(); ++i) {
    byId.emplace(records[i].id, i);
    for (const std::string &device : records[i].opens)
      opensByDevice[device].push_back(records[i].id);
  }
}

std::vector<uint32_t> WorldFamily::Named(const std::string &name, bool includeScripts) const {
  std::vector<uint32_t> ids;
  for (const WorldRecord &world : records)
    if (world.name == name && (includeScripts || !world.script))
      ids.push_back(world.id);
  return ids;
}

const std::vector<uint32_t> &WorldFamily::OpenWorldIds(const std::string &device) const {
  static const std::vector<uint32_t> none;
  auto it = opensByDevice.find(device);
  return it == opensByDevice.end() ? none : it->second;
}

void WorldFamily::Start(const std::string &name, bool script) {
  WorldRecord world;
  world.id = records.empty() ? 1000 : records.back().id + 1;
  world.name = name;
  world.script = script;
  records.push_back(std::move(world));
  Reindex();
}

bool WorldFamily::Stop(const std::string &name) {
  auto end =
      std::remove_if(records.begin(), records.end(), [&](const WorldRecord &w) { return w.name == name; });
  bool stopped = end != records.end();
  records.erase(end, records.end());
  Reindex();
  return stopped;
}

void LoadFamily(const Node &node, WorldFamily &family) {
  family.records = WorldMapping().LoadList(node);
  std::unordered_set<uint32_t> seen;
  std::size_t i = 0;
  node.Each([&](const Node &element) {
    const WorldRecord &world = family.records[i++];
    if (world.id == 0)
      element.Field("id").Fail("a world needs an id above 0");
    if (world.name.empty())
      element.Fail("a world needs a name");
    if (!seen.insert(world.id).second)
      element.Fail("duplicate world id " + std::to_string(world.id));
  });
}

nlohmann::ordered_json SaveFamily(const WorldFamily &family) {
  return WorldMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
