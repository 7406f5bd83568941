#include "core/AdapterCommands.h"
#include "core/ClaimRuleCommands.h"
#include "core/DeviceCommands.h"
#include "core/PathCommands.h"
#include "frame/Registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CliKit::AutoCli::Namespace;
using CliKit::AutoCli::NamespaceNode;

namespace {

std::shared_ptr<NamespaceNode> Walk(std::shared_ptr<NamespaceNode> node, const std::vector<std::string> &path) {
  for (const std::string &word : path) {
    if (!node)
      return nullptr;
    node = node->FindChild(word);
  }
  return node;
}

std::vector<std::string> ChildNames(const std::shared_ptr<NamespaceNode> &node) {
  std::vector<std::string> names;
  for (const auto &[name, child] : node->GetChildren())
    names.push_back(name);
  return names;
}

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

std::shared_ptr<NamespaceNode> RegisteredRoot() {
  auto root = Namespace::New();
  AutoCli_RegisterNamespaces(root);
  return root;
}

} // namespace

TEST(Registration, StorageIsAttachedLastAndComplete) {
  auto root = std::make_shared<RecordingRoot>();
  AutoCli_RegisterNamespaces(root);
  EXPECT_EQ(root->attached, std::vector<std::string>{"storage"});
  EXPECT_EQ(root->coreChildrenAtAttach, 8u);
}

TEST(Registration, CoreNamespacesInAttachmentOrder) {
  auto root = RegisteredRoot();
  EXPECT_EQ(ChildNames(Walk(root, {"storage"})), (std::vector<std::string>{"core"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core"})),
            (std::vector<std::string>{"claimrule", "claiming", "adapter", "path", "device", "plugin", "scsi", "nvme"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core", "adapter"})),
            (std::vector<std::string>{"list", "rescan", "listdetailed", "stats", "capabilities", "device"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core", "claimrule"})),
            (std::vector<std::string>{"add", "remove", "list", "move", "run", "load", "convert"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core", "scsi"})), (std::vector<std::string>{"device", "path"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core", "nvme"})), (std::vector<std::string>{"device", "path"}));
  EXPECT_EQ(ChildNames(Walk(root, {"storage", "core", "device", "hwac"})),
            (std::vector<std::string>{"status", "ats", "delete", "zero", "clone"}));
}

TEST(Registration, NamespaceDescriptionsKeepTheirBlanks) {
  struct Case {
    std::vector<std::string> path;
    std::string description;
  };
  const std::vector<Case> cases = {
      {{"storage"}, "Tarvex storage commands."},
      {{"storage", "core"}, "Tarvex core storage commands."},
      {{"storage", "core", "path", "stats"},
       "Stats operations pertaining to the pluggable storage architectures' device paths on the system. "},
      {{"storage", "core", "device", "capacity"}, "Operations pertaining to the capacity of known storage devices. "},
      {{"storage", "core", "nvme", "device"},
       "Operations pertaining to the pluggable storage architectures for NVMe devices  on the system."},
      {{"storage", "core", "device", "smart", "daemon"}, "smartd commands"},
      {{"storage", "core", "adapter", "capabilities"}, "Capabilities on SCSI Host Bus Adapters on the system."},
  };
  auto root = RegisteredRoot();
  for (const Case &c : cases) {
    auto node = Walk(root, c.path);
    ASSERT_TRUE(node) << c.path.back();
    EXPECT_TRUE(node->HasDescription()) << c.path.back();
    EXPECT_EQ(node->GetDescription(), c.description);
  }
  auto status = Walk(root, {"storage", "core", "device", "smart", "daemon", "status"});
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->HasDescription());
}

TEST(Registration, CommandsAreTheirClasses) {
  auto root = RegisteredRoot();
  auto is = [&](const std::vector<std::string> &path, auto *typed) {
    using T = std::remove_pointer_t<decltype(typed)>;
    auto node = Walk(root, path);
    return node && node->IsCommand() && std::dynamic_pointer_cast<T>(node) != nullptr;
  };
  using namespace TarvexCli::Storage;
  EXPECT_TRUE(is({"storage", "core", "adapter", "list"}, static_cast<AdapterList *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "adapter", "stats", "get"}, static_cast<AdapterStats *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "claimrule", "remove"}, static_cast<ClaimRuleDelete *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "device", "list"}, static_cast<DeviceList *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "scsi", "path", "list"}, static_cast<ScsiPathList *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "nvme", "path", "list"}, static_cast<NvmePathList *>(nullptr)));
  EXPECT_TRUE(is({"storage", "core", "path", "stats", "get"}, static_cast<PathStats *>(nullptr)));
}

TEST(Registration, CommandsKnowTheirOwner) {
  // New() must hand out the owning pointer, so the framework's self-reference works.
  auto command = TarvexCli::Storage::AdapterList::New();
  EXPECT_EQ(command->GetThis().get(), command.get());
}
