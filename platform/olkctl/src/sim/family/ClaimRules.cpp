// UNFINISHED SKELETON: replaced by the family's real records and mapping.
#include "sim/family/ClaimRules.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {
void ClaimRuleFamily::Reindex() {}
void LoadFamily(const Node &node, ClaimRuleFamily &) {
  if (!node.Value().is_array() || !node.Value().empty())
    node.Fail("not supported yet");
}
nlohmann::ordered_json SaveFamily(const ClaimRuleFamily &) { return nlohmann::ordered_json::array(); }
} // namespace OlkCtl::Sim
