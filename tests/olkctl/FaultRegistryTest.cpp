// The fault operations the API files declare against the ones
// docs/fault-injection.md documents: a name missing on either side is a fault
// users cannot find, or one that never fires.
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <string>

namespace {

std::set<std::string> DocumentedOperations() {
  std::ifstream doc(std::string(ORLOCLI_SOURCE_DIR) + "/docs/fault-injection.md");
  EXPECT_TRUE(doc) << "docs/fault-injection.md not found";
  // Table rows start with the operation: "| `StorageInfo::GetScsiInterfaces` | ...".
  const std::regex row(R"(^\| `([A-Za-z0-9]+::[A-Za-z0-9]+)` \|)");
  std::set<std::string> names;
  std::string line;
  std::smatch match;
  while (std::getline(doc, line))
    if (std::regex_search(line, match, row)) {
      EXPECT_TRUE(names.insert(match[1]).second) << match[1] << " is documented twice";
    }
  return names;
}

TEST(FaultRegistry, DocumentationListsExactlyTheDeclaredOperations) {
  const std::vector<std::string> declared = OlkCtl::Sim::FaultOperationNames();
  const std::set<std::string> documented = DocumentedOperations();
  ASSERT_FALSE(declared.empty());
  for (const std::string &name : declared)
    EXPECT_TRUE(documented.count(name)) << name << " is missing from docs/fault-injection.md";
  for (const std::string &name : documented)
    EXPECT_TRUE(std::find(declared.begin(), declared.end(), name) != declared.end())
        << name << " is documented but no host operation checks it";
  // Declared once: two API files claiming one name would make a fault fire in either.
  EXPECT_EQ(std::set<std::string>(declared.begin(), declared.end()).size(), declared.size());
}

} // namespace
