// The JSON mapping of the I/O counters that adapters and paths both carry.
#pragma once

#include "sim/Json.h"

#include <hostctl/storage/ScsiStats.h>

namespace OlkCtl::Sim {

const Mapping<HostCtl::Storage::ScsiStats> &ScsiStatsMapping();

} // namespace OlkCtl::Sim
