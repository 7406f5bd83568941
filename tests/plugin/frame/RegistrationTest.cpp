// Registration of the plug-in tree: the host attaches the storage namespace
// once, complete, and commands hand out their owning pointer.
#include "frame/Registration.h"
#include "core/AdapterCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CliKit::AutoCli::NamespaceNode;

namespace {

// Records what the storage subtree looked like at the moment it was attached.
class RecordingRoot : public NamespaceNode {
public:
  void RegisterNamespaceNode(std::shared_ptr<NamespaceNode> child, const std::string &name) override {
    attached.push_back(name);
    auto core = child->FindChild("core");
    coreChildrenAtAttach = core ? core->GetChildren().size() : 0;
    NamespaceNode::RegisterNamespaceNode(std::move(child), name);
  }
  std::vector<std::string> attached;
  size_t coreChildrenAtAttach = 0;
};

TEST(Registration, StorageIsAttachedLastAndComplete) {
  auto root = std::make_shared<RecordingRoot>();
  AutoCli_RegisterNamespaces(root);
  EXPECT_EQ(root->attached, std::vector<std::string>{"storage"});
  EXPECT_EQ(root->coreChildrenAtAttach, 8u);
}

TEST(Registration, CommandsKnowTheirOwner) {
  // New() must hand out the owning pointer, so the framework's self-reference works.
  auto command = TarvexCli::Storage::AdapterList::New();
  EXPECT_EQ(command->GetThis().get(), command.get());
}

} // namespace
