#include "core/ScsiStatsFields.h"

#include <array>
#include <cstdint>
#include <utility>

namespace TarvexCli::Storage {

using HostCtl::Storage::ScsiStats;

namespace {

// The counters of the statistics record, in its order, with their field names.
constexpr std::array<std::pair<const char *, uint64_t ScsiStats::*>, 15> kStatsCounters = {{
    {"Successful Commands", &ScsiStats::successfulCommands},
    {"Blocks Read", &ScsiStats::blocksRead},
    {"Blocks Written", &ScsiStats::blocksWritten},
    {"Read Operations", &ScsiStats::readOperations},
    {"Write Operations", &ScsiStats::writeOperations},
    {"Reserve Operations", &ScsiStats::reserveOperations},
    {"Reservation Conflicts", &ScsiStats::reservationConflicts},
    {"Failed Commands", &ScsiStats::failedCommands},
    {"Failed Blocks Read", &ScsiStats::failedBlocksRead},
    {"Failed Blocks Written", &ScsiStats::failedBlocksWritten},
    {"Failed Read Operations", &ScsiStats::failedReadOperations},
    {"Failed Write Operations", &ScsiStats::failedWriteOperations},
    {"Failed Reserve Operations", &ScsiStats::failedReserveOperations},
    {"Total Splits", &ScsiStats::totalSplits},
    {"PAE Commands", &ScsiStats::paeCommands},
}};

} // namespace

void AddScsiStatsFields(Frame::MetaStruct &row, std::size_t counters) {
  for (std::size_t i = 0; i < counters && i < kStatsCounters.size(); ++i)
    row.SetField(kStatsCounters[i].first, Frame::MetaInt::NewUnsigned());
}

void SetScsiStatsFields(Frame::MetaStruct &row, const ScsiStats &stats, std::size_t counters) {
  for (std::size_t i = 0; i < counters && i < kStatsCounters.size(); ++i)
    row.SetField(kStatsCounters[i].first, stats.*kStatsCounters[i].second);
}

} // namespace TarvexCli::Storage
