// The built orlocli loads the plug-in with dlopen, and the plug-in sees the host
// library only through its exported interface (hidden visibility). A host
// exception thrown inside libolkctl must still be caught by its type in the
// plug-in, and the plug-in's dynamic_cast of the library's objects must still
// succeed; otherwise the command ends in an internal failure (exit 3) or falls
// back to built-in limits.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string output; // standard output and error together
};

Result Shell(const std::string &command) {
  Result result;
  FILE *pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe)
    return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    result.output.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(LibraryBoundary, HostErrorsCrossIntoThePlugin) {
  const fs::path dir = fs::temp_directory_path() / ("orlocli-boundary-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string host = (dir / "host.json").string();
  // /Disk/MaxLUN accepts at most 100 here, so "lun" is bounded by the host's
  // option only when the plug-in's dynamic_cast to AdvancedIntegerOption works.
  std::ofstream(host) << TestSupport::PatchedProfile(
      R"({"system": {"advancedOptions": {"Disk": {"MaxLUN": {"value": 64, "default": 64, "max": 100}}}}})");
  const std::string orlocli = TestSupport::BinPath("orlocli") + " --host " + host + " ";
  ASSERT_EQ(Shell(TestSupport::BinPath("orlocli-host") + " --host " + host +
                  " fault add StorageInfo::GetScsiInterfaces --message 'HBA driver not responding'")
                .status,
            0);

  struct Case {
    std::string args;
    int status;
    std::string output;
  } cases[] = {
      // Thrown by the fault in libolkctl, caught as HostCtlException in the plug-in.
      {"storage core adapter list", 1, "Unable to list Storage HBAs HBA driver not responding\n"},
      {"storage core claimrule add -r 500 -t location -A olhba0 -L 101 -P NMP", 2,
       "Error: parameter '--lun' must be from 0 to 100; got '101'\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.args);
    Result result = Shell(orlocli + c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.output, c.output);
  }
  fs::remove_all(dir);
}

} // namespace
