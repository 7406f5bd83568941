// The fifteen I/O counters that adapter and path statistics both show.
#pragma once

#include "frame/Output.h"

#include <hostctl/storage/ScsiStats.h>

#include <cstddef>

namespace TarvexCli::Storage {

// Appends the first `counters` counter fields, in the record's order, as empty
// unsigned integers (device statistics show only the first thirteen).
void AddScsiStatsFields(Frame::MetaStruct &row, std::size_t counters = 15);
// Sets the first `counters` counter fields of a row from the record.
void SetScsiStatsFields(Frame::MetaStruct &row, const HostCtl::Storage::ScsiStats &stats,
                        std::size_t counters = 15);

} // namespace TarvexCli::Storage
