#include "sim/family/Fpin.h"

#include "sim/Json.h"

#include <set>
#include <utility>

namespace OlkCtl::Sim {

namespace {

const Mapping<FpinTargetRecord> &TargetMapping() {
  static const Mapping<FpinTargetRecord> mapping =
      Mapping<FpinTargetRecord>()
          .Member("adapter", &FpinTargetRecord::adapter)
          .Member("wwpn", &FpinTargetRecord::wwpn)
          .Member("total", &FpinTargetRecord::total)
          .Member("congestion", &FpinTargetRecord::congestion)
          .Member("peerCongestion", &FpinTargetRecord::peerCongestion)
          .Member("linkIntegrity", &FpinTargetRecord::linkIntegrity)
          .Member("delivery", &FpinTargetRecord::delivery)
          .Member("flaky", &FpinTargetRecord::flaky);
  return mapping;
}

const Mapping<FpinFamily> &FamilyMapping() {
  static const Mapping<FpinFamily> mapping = Mapping<FpinFamily>()
                                                 .Member("enabled", &FpinFamily::enabled)
                                                 .Member("liveEnabled", &FpinFamily::liveEnabled);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, FpinFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  family = FpinFamily();
  if (node.Has("targets")) {
    const Node targets = node.Field("targets");
    family.targets = TargetMapping().LoadList(targets);
    std::set<std::pair<std::string, std::string>> seen;
    size_t i = 0;
    targets.Each([&](const Node &element) {
      const FpinTargetRecord &target = family.targets[i++];
      if (target.adapter.empty())
        element.Fail("a target needs an adapter");
      if (!target.wwpn.empty() && !seen.emplace(target.adapter, target.wwpn).second)
        element.Fail("target " + target.wwpn + " of adapter " + target.adapter + " is listed twice");
    });
  }
  FamilyMapping().Load(node, family);
}

nlohmann::ordered_json SaveFamily(const FpinFamily &family) {
  Json out = FamilyMapping().Save(family);
  out["targets"] = TargetMapping().SaveList(family.targets);
  return out;
}

} // namespace OlkCtl::Sim
