// UNFINISHED SKELETON: replaced by the family's real records and mapping.
#include "sim/family/Adapters.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {
void AdapterFamily::Reindex() {}
void LoadFamily(const Node &node, AdapterFamily &) {
  if (!node.Value().is_array() || !node.Value().empty())
    node.Fail("not supported yet");
}
nlohmann::ordered_json SaveFamily(const AdapterFamily &) { return nlohmann::ordered_json::array(); }
} // namespace OlkCtl::Sim
