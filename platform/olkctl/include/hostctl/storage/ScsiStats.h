// Statistics records the host library returns by value.
#pragma once

#include <cstdint>

namespace HostCtl::Storage {

// I/O counters of an adapter or a path, in the host's order.
struct ScsiStats {
  uint64_t successfulCommands = 0;
  uint64_t blocksRead = 0;
  uint64_t blocksWritten = 0;
  uint64_t readOperations = 0;
  uint64_t writeOperations = 0;
  uint64_t reserveOperations = 0;
  uint64_t reservationConflicts = 0;
  uint64_t failedCommands = 0;
  uint64_t failedBlocksRead = 0;
  uint64_t failedBlocksWritten = 0;
  uint64_t failedReadOperations = 0;
  uint64_t failedWriteOperations = 0;
  uint64_t failedReserveOperations = 0;
  uint64_t totalSplits = 0;
  uint64_t paeCommands = 0;
};

} // namespace HostCtl::Storage
