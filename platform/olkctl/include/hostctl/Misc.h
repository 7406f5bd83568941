// String building helpers shared by the host library and its callers.
#pragma once

#include <hostctl/Export.h>

#include <string>
#include <string_view>

namespace HostCtl::Misc {

namespace Detail {
inline void Append(std::string &out, std::string_view piece) {
  out.append(piece);
}
inline void Append(std::string &out, char c) {
  out.push_back(c);
}
} // namespace Detail

// Concatenates its pieces with no separator.
template <typename... Pieces> std::string StrCat(const Pieces &...pieces) {
  std::string out;
  (Detail::Append(out, pieces), ...);
  return out;
}

// printf-style formatting into a string.
OLKCTL_API std::string StrPrintf(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace HostCtl::Misc
