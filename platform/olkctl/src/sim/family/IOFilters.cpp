#include "sim/family/IOFilters.h"

#include "sim/Json.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<IOFilterRecord> &FilterMapping() {
  static const Mapping<IOFilterRecord> mapping = Mapping<IOFilterRecord>()
                                                     .Member("id", &IOFilterRecord::id)
                                                     .Member("name", &IOFilterRecord::name)
                                                     .Member("vendor", &IOFilterRecord::vendor)
                                                     .Member("version", &IOFilterRecord::version)
                                                     .Member("description", &IOFilterRecord::description)
                                                     .Member("releaseDate", &IOFilterRecord::releaseDate)
                                                     .Member("state", &IOFilterRecord::state)
                                                     .Member("localId", &IOFilterRecord::localId)
                                                     .Member("class", &IOFilterRecord::filterClass);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, IOFilterFamily &family) {
  family = IOFilterFamily();
  family.filters = FilterMapping().LoadList(node);
  size_t i = 0;
  node.Each([&](const Node &element) {
    if (family.filters[i++].name.empty())
      element.Fail("an I/O filter needs a name");
  });
}

nlohmann::ordered_json SaveFamily(const IOFilterFamily &family) {
  return FilterMapping().SaveList(family.filters);
}

} // namespace OlkCtl::Sim
