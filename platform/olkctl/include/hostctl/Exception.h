// The one exception type of the host-control library.
#pragma once

#include <hostctl/Export.h>

#include <exception>
#include <string>
#include <utility>

namespace HostCtl::Lib {

class OLKCTL_API HostCtlException : public std::exception {
public:
  explicit HostCtlException(std::string message) : message_(std::move(message)) {}
  const char *what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

} // namespace HostCtl::Lib
