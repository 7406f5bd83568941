// Records kept in host order and found by name: the shape of most families.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

// R has a `name`. When R has OtherNames() (a list of strings), a record is
// also found by those, a canonical name winning over another record's other
// name; when R has Reindex(), it is called on every record (families nested in
// a record).
template <class R> struct IndexedFamily {
  std::vector<R> records; // host order
  // name -> index into records. Positions, not pointers, so a copy stays valid.
  std::unordered_map<std::string, std::size_t> byName;

  // Null when no record has that name.
  const R *Find(const std::string &name) const {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : &records[it->second];
  }
  R *Find(const std::string &name) {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : &records[it->second];
  }

  // Rebuilds the look-up indexes after loading or changing the records.
  void Reindex() {
    byName.clear();
    byName.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
      byName.emplace(records[i].name, i);
    if constexpr (requires(const R &r) { r.OtherNames(); }) {
      for (std::size_t i = 0; i < records.size(); ++i)
        for (const std::string &other : records[i].OtherNames())
          byName.emplace(other, i);
    }
    if constexpr (requires(R & r) { r.Reindex(); }) {
      for (R &record : records)
        record.Reindex();
    }
  }
};

} // namespace OlkCtl::Sim
