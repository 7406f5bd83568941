// The kflash and iofilter trees: attachment order and descriptions.
#include "frame/Registration.h"

#include <clikit/AutoCli.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ChildNames(const std::shared_ptr<CliKit::AutoCli::NamespaceNode> &node) {
  std::vector<std::string> names;
  for (const auto &[name, child] : node->GetChildren())
    names.push_back(name);
  return names;
}

TEST(KFlashRegistration, DeviceBeforeModuleAndStatsWithoutDescription) {
  auto storage = CliKit::AutoCli::Namespace::New();
  KFlash_RegisterNamespaces(storage);
  IOFilter_RegisterNamespaces(storage);
  EXPECT_EQ(ChildNames(storage), (std::vector<std::string>{"kflash", "iofilter"}));

  auto kflash = storage->FindChild("kflash");
  ASSERT_TRUE(kflash);
  EXPECT_EQ(kflash->GetDescription(), "virtual flash Management Operations on the system.");
  EXPECT_EQ(ChildNames(kflash), (std::vector<std::string>{"device", "module"}));
  auto module = kflash->FindChild("module");
  EXPECT_EQ(module->GetDescription(), "virtual flash module Management Operations.");
  EXPECT_EQ(ChildNames(module), (std::vector<std::string>{"list", "get", "stats"}));
  EXPECT_EQ(module->FindChild("stats")->GetDescription(), "");
  EXPECT_EQ(ChildNames(module->FindChild("stats")), std::vector<std::string>{"get"});
  EXPECT_EQ(kflash->FindChild("device")->GetDescription(), "kflash SSD Device Management Operations.");

  auto iofilter = storage->FindChild("iofilter");
  ASSERT_TRUE(iofilter);
  EXPECT_EQ(iofilter->GetDescription(), "IOFilter related commands.");
  EXPECT_EQ(ChildNames(iofilter), (std::vector<std::string>{"list", "enable"}));
}

} // namespace
