// Shared pieces of the fuzz targets: the registered plug-in tree, a discarding
// output stream, a deterministic default host and the failure report.
#pragma once

#include "FuzzText.h"

#include <clikit/Cli.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace FuzzSupport {

// The real plug-in tree (storage and the internal tree), registered once after
// the default host was installed, as the tool does it.
CliKit::Cli &PluginCli();
CliKit::AutoCli::NamespaceNode &PluginRoot();
CliKit::AutoCli::NamespaceNode &PluginInternalRoot();

// Makes the built-in "default" profile the current in-memory host and fills
// the feature table. Shell commands are answered by a stub: a fuzzer never
// starts processes.
void InstallDefaultHost();
// True when a command changed the host since it was installed.
bool HostChanged();
// Re-installs the default host when the last input changed it, so that every
// input starts from the same state.
void ResetDefaultHost();

// A stream that accepts and drops everything and stays good.
class NullBuffer : public std::streambuf {
protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char *, std::streamsize count) override { return count; }
};
class NullStream : public std::ostream {
public:
  NullStream() : std::ostream(&buffer_) {}

private:
  NullBuffer buffer_;
};

// Reports a broken invariant with the input's context and aborts, which
// libFuzzer records as a crash.
[[noreturn]] void Fail(const std::string &what, const std::string &context);

} // namespace FuzzSupport
