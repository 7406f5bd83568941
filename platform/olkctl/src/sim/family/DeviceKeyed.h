// Families whose entries belong to devices and are keyed by the device's
// canonical name (smart, hwac).
#pragma once

#include "sim/family/Indexed.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace OlkCtl::Sim {

class State;

// A device the host has registered, or one an adapter will find on a rescan,
// known by its canonical name (not another of its UIDs).
bool IsDeviceOfHost(const State &state, const std::string &name);

// StateError for the first entry of `family` (document member `member`) whose
// device the host does not know.
template <class R>
void CheckDeviceKeys(const State &state, const IndexedFamily<R> &family, const char *member) {
  for (std::size_t i = 0; i < family.records.size(); ++i)
    if (!IsDeviceOfHost(state, family.records[i].name))
      throw StateError(std::string(member) + "[" + std::to_string(i) +
                       "].name: the host has no device named " + family.records[i].name);
}

// Drops the entries of devices that have left the host.
template <class R> void ForgetDeviceKeys(const State &state, IndexedFamily<R> &family) {
  auto &records = family.records;
  records.erase(std::remove_if(records.begin(), records.end(),
                               [&](const R &record) { return !IsDeviceOfHost(state, record.name); }),
                records.end());
  family.Reindex();
}

} // namespace OlkCtl::Sim
