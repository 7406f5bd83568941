// UNFINISHED SKELETON: replaced by the family's real records and mapping.
#include "sim/family/Paths.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {
void PathFamily::Reindex() {}
void LoadFamily(const Node &node, PathFamily &) {
  if (!node.Value().is_array() || !node.Value().empty())
    node.Fail("not supported yet");
}
nlohmann::ordered_json SaveFamily(const PathFamily &) { return nlohmann::ordered_json::array(); }
} // namespace OlkCtl::Sim
