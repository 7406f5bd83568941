#include "sim/Faults.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <string>

namespace OlkCtl::Sim {

namespace {

std::vector<const FaultOperation *> &Registry() {
  static std::vector<const FaultOperation *> operations;
  return operations;
}

} // namespace

FaultOperationTable::FaultOperationTable(std::initializer_list<const FaultOperation *> operations) {
  Registry().insert(Registry().end(), operations.begin(), operations.end());
}

std::vector<const FaultOperation *> FaultOperations() {
  std::vector<const FaultOperation *> operations = Registry();
  std::sort(operations.begin(), operations.end(),
            [](const FaultOperation *a, const FaultOperation *b) { return a->name < b->name; });
  return operations;
}

std::vector<std::string> FaultOperationNames() {
  std::vector<std::string> names;
  for (const FaultOperation *operation : FaultOperations())
    names.emplace_back(operation->name);
  return names;
}

} // namespace OlkCtl::Sim
