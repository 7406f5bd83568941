// Loading an indexed family (family/Indexed.h): for the family mappings only.
#pragma once

#include "sim/Json.h"
#include "sim/family/Indexed.h"

#include <string>
#include <unordered_set>

namespace OlkCtl::Sim {

// What a family's records are called in its messages.
struct RecordWords {
  const char *noun;      // "adapter": "duplicate adapter name X"
  const char *needsName; // "an adapter needs a name"
};

// Fills `family` from an array of records: `before(element, record)` reads
// the members the mapping does not know, then the mapping, the name, and
// `after(element, record)` checks the record. Names must be unique.
template <class R, class Before, class After>
void LoadIndexed(const Node &node, IndexedFamily<R> &family, const Mapping<R> &mapping, RecordWords words,
                 const Before &before, const After &after) {
  if (!node.Value().is_array())
    node.Fail("expected an array");
  family.records.clear();
  family.records.reserve(node.Value().size());
  std::unordered_set<std::string> seen;
  node.Each([&](const Node &element) {
    R record;
    before(element, record);
    mapping.Load(element, record);
    if (record.name.empty())
      element.Fail(words.needsName);
    after(element, record);
    if (!seen.insert(record.name).second)
      element.Fail(std::string("duplicate ") + words.noun + " name " + record.name);
    family.records.push_back(std::move(record));
  });
}

} // namespace OlkCtl::Sim
