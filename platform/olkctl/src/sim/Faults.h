// The operations an injected fault can name. Each API file declares its own
// once, in a table its checks use:
//
//   #define ADAPTER_FAULTS(X) X(GetScsiInterfaces, "StorageInfo::GetScsiInterfaces", "")
//   OLKCTL_SIM_FAULT_OPERATIONS(ADAPTER_FAULTS)
//   ... CheckFault(FaultOp::GetScsiInterfaces);
//
// so a check names an entry (a misspelt one does not compile), `orlocli-host
// fault add` accepts exactly these names, and docs/fault-injection.md is
// checked against them.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace OlkCtl::Sim {

struct FaultOperation {
  std::string_view name;   // the API's own name: "StorageInfo::GetScsiInterfaces"
  std::string_view target; // what a fault's target is matched with; empty: no target
};

// Adds a file's table to the registry (at load time).
class FaultOperationTable {
public:
  FaultOperationTable(std::initializer_list<const FaultOperation *> operations);
};

// Every registered operation, sorted by name.
std::vector<const FaultOperation *> FaultOperations();
bool IsFaultOperation(std::string_view name);
// "unknown operation "X" (close names: ...)".
std::string UnknownOperationText(const std::string &operation);

} // namespace OlkCtl::Sim

#define OLKCTL_SIM_FAULT_CONSTANT(id, name, target) constexpr FaultOperation id{name, target};
#define OLKCTL_SIM_FAULT_ENTRY(id, name, target) &FaultOp::id,
#define OLKCTL_SIM_FAULT_OPERATIONS(TABLE)                                                                   \
  namespace FaultOp {                                                                                        \
  TABLE(OLKCTL_SIM_FAULT_CONSTANT)                                                                           \
  }                                                                                                          \
  const FaultOperationTable kFaultOperations{TABLE(OLKCTL_SIM_FAULT_ENTRY)};
