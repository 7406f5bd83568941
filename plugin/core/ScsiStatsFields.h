// The fifteen I/O counters that adapter and path statistics both show.
#pragma once

#include "frame/Output.h"

#include <hostctl/storage/ScsiStats.h>

namespace TarvexCli::Storage {

// Appends the counter fields, in the record's order, as empty unsigned integers.
void AddScsiStatsFields(Frame::MetaStruct &row);
// Sets the counter fields of a row from the record.
void SetScsiStatsFields(Frame::MetaStruct &row, const HostCtl::Storage::ScsiStats &stats);

} // namespace TarvexCli::Storage
