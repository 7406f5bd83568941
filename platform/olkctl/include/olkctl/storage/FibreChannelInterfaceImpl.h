// Fibre Channel helpers of the simulated host.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API FibreChannelInterfaceImpl {
public:
  // 0x50060160ba601153 -> "50:06:01:60:ba:60:11:53" (eight lower-case byte pairs).
  static std::string GetWorldWideNumberStringFromInt(uint64_t number);
  // The reverse. Accepts the colon form and sixteen plain hex digits, either
  // case, with an optional "0x"; throws HostCtlException for anything else.
  static uint64_t GetWorldWideNumberFromString(const std::string &text);
};

} // namespace OlkCtl::Storage
