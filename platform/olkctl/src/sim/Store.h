// Access to the current host: consistent snapshots for reading, transactions
// for changing, and the fault check every host operation makes.
#pragma once

#include "State.h"

#include <functional>
#include <memory>
#include <string_view>

namespace OlkCtl::Sim {

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
};

// The store chosen with UseHostFile / UseHostFromJson / UseHostFromProfile.
// Throws HostCtlException when no host was chosen.
Store &Current();

// Throws HostCtlException(message) when an injected fault matches the operation
// (its API name, such as "Lun::SetDisplayName") and, when given, the object's
// name; counts the fault down.
void CheckFault(std::string_view operation, std::string_view target = {});

} // namespace OlkCtl::Sim
