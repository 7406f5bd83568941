#include "sim/family/Stats.h"

namespace OlkCtl::Sim {

using HostCtl::Storage::ScsiStats;

const Mapping<ScsiStats> &ScsiStatsMapping() {
  static const Mapping<ScsiStats> mapping =
      Mapping<ScsiStats>()
          .Member("successfulCommands", &ScsiStats::successfulCommands)
          .Member("blocksRead", &ScsiStats::blocksRead)
          .Member("blocksWritten", &ScsiStats::blocksWritten)
          .Member("readOperations", &ScsiStats::readOperations)
          .Member("writeOperations", &ScsiStats::writeOperations)
          .Member("reserveOperations", &ScsiStats::reserveOperations)
          .Member("reservationConflicts", &ScsiStats::reservationConflicts)
          .Member("failedCommands", &ScsiStats::failedCommands)
          .Member("failedBlocksRead", &ScsiStats::failedBlocksRead)
          .Member("failedBlocksWritten", &ScsiStats::failedBlocksWritten)
          .Member("failedReadOperations", &ScsiStats::failedReadOperations)
          .Member("failedWriteOperations", &ScsiStats::failedWriteOperations)
          .Member("failedReserveOperations", &ScsiStats::failedReserveOperations)
          .Member("totalSplits", &ScsiStats::totalSplits)
          .Member("paeCommands", &ScsiStats::paeCommands);
  return mapping;
}

} // namespace OlkCtl::Sim
