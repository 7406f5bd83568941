#include "sim/family/Faults.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<Fault> &FaultMapping() {
  static const Mapping<Fault> mapping = Mapping<Fault>()
                                            .Member("operation", &Fault::operation)
                                            .Member("target", &Fault::target)
                                            .Member("message", &Fault::message)
                                            .Member("times", &Fault::times);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, FaultFamily &family) {
  family.records = FaultMapping().LoadList(node);
  size_t i = 0;
  node.Each([&](const Node &element) {
    const Fault &fault = family.records[i++];
    if (fault.operation.empty())
      element.Field("operation").Fail("must not be empty");
    if (fault.times < 0)
      element.Field("times").Fail("must not be negative");
  });
}

nlohmann::ordered_json SaveFamily(const FaultFamily &family) {
  return FaultMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
