#include "sim/Faults.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace OlkCtl::Sim {

namespace {

std::vector<const FaultOperation *> &Registry() {
  static std::vector<const FaultOperation *> operations;
  return operations;
}

} // namespace

// Edits (insert, delete, replace one character, ignoring case) from a to b.
size_t Distance(const std::string &a, const std::string &b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// What is wrong with an operation no table declares, with the names it was
// probably meant to be.
std::string UnknownOperationText(const std::string &operation) {
  const std::vector<std::string> known = FaultOperationNames();
  const std::string method =
      operation.substr(operation.rfind(':') == std::string::npos ? 0 : operation.rfind(':') + 1);
  std::vector<std::pair<size_t, std::string>> close;
  for (const std::string &name : known) {
    const size_t distance = Distance(operation, name);
    const bool sameMethod = name.size() > method.size() &&
                            name.compare(name.size() - method.size(), method.size(), method) == 0 &&
                            name[name.size() - method.size() - 1] == ':';
    // A name cut short ("Host::GetStorage") is as close as a method without its class.
    const bool part = sameMethod || (operation.size() >= 6 && name.find(operation) != std::string::npos);
    if (distance <= std::max<size_t>(3, operation.size() / 5) || part)
      close.emplace_back(part ? 0 : distance, name);
  }
  std::sort(close.begin(), close.end());
  std::string message = "unknown operation \"" + operation + "\"";
  if (close.empty())
    return message + " (docs/fault-injection.md lists them)";
  message += " (close names: ";
  for (size_t i = 0; i < close.size() && i < 5; ++i)
    message += (i ? ", " : "") + close[i].second;
  return message + ")";
}

FaultOperationTable::FaultOperationTable(std::initializer_list<const FaultOperation *> operations) {
  Registry().insert(Registry().end(), operations.begin(), operations.end());
}

std::vector<const FaultOperation *> FaultOperations() {
  std::vector<const FaultOperation *> operations = Registry();
  std::sort(operations.begin(), operations.end(),
            [](const FaultOperation *a, const FaultOperation *b) { return a->name < b->name; });
  return operations;
}

bool IsFaultOperation(std::string_view name) {
  for (const FaultOperation *operation : Registry())
    if (operation->name == name)
      return true;
  return false;
}

std::vector<std::string> FaultOperationNames() {
  std::vector<std::string> names;
  for (const FaultOperation *operation : FaultOperations())
    names.emplace_back(operation->name);
  return names;
}

} // namespace OlkCtl::Sim
