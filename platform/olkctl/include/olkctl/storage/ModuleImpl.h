// Kernel driver modules of the simulated host.
#pragma once

#include <hostctl/Export.h>

#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API ModuleImpl {
public:
  // True when `name` is a well-formed module name (letters, digits, '_' and
  // '-', at most 63 characters) of a driver module loaded on the host: the
  // driver of one of its adapters.
  static bool IsValidName(const std::string &name);
};

} // namespace OlkCtl::Storage
