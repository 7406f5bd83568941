#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string Capture(const std::string &command) {
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe)
    return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  pclose(pipe);
  return out;
}

} // namespace

TEST(PluginExports, ExactlyTheTenRegistrationFunctions) {
  const std::string lib = TestSupport::BinPath("libcore-storage.so");
  std::istringstream lines(Capture("nm -D --defined-only '" + lib + "'"));
  std::set<std::string> names;
  std::string address, type, name;
  while (lines >> address >> type >> name)
    names.insert(name);
  const std::set<std::string> expected = {
      "AutoCli_RegisterNamespaces",       "FilesystemNfs_RegisterNamespaces", "Nmp_RegisterNamespaces",
      "Hpp_RegisterNamespaces",           "San_RegisterNamespaces",           "KFlash_RegisterNamespaces",
      "XVol_RegisterNamespaces",          "IOFilter_RegisterNamespaces",      "Fpin_RegisterNamespaces",
      "ClusteredOldk_RegisterInternalNamespace"};
  EXPECT_EQ(names, expected);
}
