// Access to the current host: consistent snapshots for reading, transactions
// for changing, and the fault check every host operation makes.
#pragma once

#include "Faults.h"
#include "State.h"

#include <functional>
#include <memory>
#include <string_view>

namespace OlkCtl::Sim {

// A held host lock; releasing it is destroying it.
class HostLock {
public:
  virtual ~HostLock() = default;
};

class Store {
public:
  virtual ~Store() = default;
  // The current state. For a file host: shared lock, read, parse and validate,
  // cached while the file is unchanged.
  virtual std::shared_ptr<const State> Read() = 0;
  // Applies `change` to the newest state: exclusive lock, re-read if the file
  // changed, change, reindex, atomic replace. If `change` throws, nothing is
  // written and the exception propagates.
  virtual void Modify(const std::function<void(State &)> &change) = 0;
  // Holds the host's lock (for a file host, the state file's lock) while the
  // guard lives. Re-entrant within the process: Read and Modify inside it keep
  // working, and an exclusive hold makes a read-change-write sequence atomic
  // for other processes. A memory host has nothing to lock.
  virtual std::unique_ptr<HostLock> Lock(bool exclusive) = 0;
};

// The store chosen with UseHostFile / UseHostFromJson / UseHostFromProfile.
// Throws HostCtlException when no host was chosen.
Store &Current();

// Throws HostCtlException(message) when an injected fault matches the operation
// (an entry of its API file's table, see Faults.h) and, when given, the
// object's name; counts the fault down.
void CheckFault(const FaultOperation &operation, std::string_view target = {});

// The same check for the calls a listing makes per device, path or adapter:
// when the snapshot the object reads from holds no fault, there is nothing to
// check, which spares a store read (for a file host a lock and a stat) per
// call. When it holds one, the newest state decides and counts down.
inline void CheckFault(const State &snapshot, const FaultOperation &operation, std::string_view target = {}) {
  if (!snapshot.faults().records.empty())
    CheckFault(operation, target);
}

} // namespace OlkCtl::Sim
