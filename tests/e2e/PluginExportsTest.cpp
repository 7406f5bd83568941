// The plug-in exports its registration functions and nothing else.
#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

TEST(PluginExports, ExactlyTheTenRegistrationFunctions) {
  auto nm = TestSupport::RunTool({"nm", "-D", "--defined-only", TestSupport::BinPath("libcore-storage.so")});
  ASSERT_EQ(nm.status, 0) << nm.err;
  std::istringstream lines(nm.out);
  std::set<std::string> names;
  std::string address, type, name;
  while (lines >> address >> type >> name)
    names.insert(name);
  const std::set<std::string> expected = {
      "AutoCli_RegisterNamespaces", "FilesystemNfs_RegisterNamespaces",
      "Nmp_RegisterNamespaces",     "Hpp_RegisterNamespaces",
      "San_RegisterNamespaces",     "KFlash_RegisterNamespaces",
      "XVol_RegisterNamespaces",    "IOFilter_RegisterNamespaces",
      "Fpin_RegisterNamespaces",    "ClusteredOldk_RegisterInternalNamespace"};
  EXPECT_EQ(names, expected);
}
