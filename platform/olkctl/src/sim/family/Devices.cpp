// UNFINISHED SKELETON: replaced by the family's real records and mapping.
#include "sim/family/Devices.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {
void DeviceFamily::Reindex() {}
void LoadFamily(const Node &node, DeviceFamily &) {
  if (!node.Value().is_array() || !node.Value().empty())
    node.Fail("not supported yet");
}
nlohmann::ordered_json SaveFamily(const DeviceFamily &) { return nlohmann::ordered_json::array(); }
} // namespace OlkCtl::Sim
