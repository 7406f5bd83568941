#include <hostctl/Misc.h>

#include <cstdarg>
#include <cstdio>

namespace HostCtl::Misc {

std::string StrPrintf(const char *format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  char small[256];
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string out;
  if (length < 0) {
    va_end(again);
    return out;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    out.assign(small, static_cast<size_t>(length));
  } else {
    out.resize(static_cast<size_t>(length));
    std::vsnprintf(out.data(), out.size() + 1, format, again);
  }
  va_end(again);
  return out;
}

} // namespace HostCtl::Misc
