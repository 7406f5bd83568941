// The xvol family: what a document may hold, and that a saved host reads back
// the same.
#include "ErrorText.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using OlkCtl::Sim::StateError;

std::string Host(const std::string &xvol) {
  return R"({"schemaVersion": 1, "xvol": )" + xvol + "}";
}

TEST(XvolState, RefusesDocumentsThatDoNotHoldTogether) {
  struct Case {
    const char *name;
    std::string xvol;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"DuplicatePe", R"({"protocolEndpoints": [{"ospaId": "p"}, {"ospaId": "p"}]})",
       "xvol.protocolEndpoints[1]: duplicate OSPA PE id p"},
      {"PeWithoutId", R"({"protocolEndpoints": [{"type": "SCSI"}]})",
       "xvol.protocolEndpoints[0]: missing OSPA PE id"},
      {"UnknownPeType", R"({"protocolEndpoints": [{"ospaId": "p", "type": "iSCSI"}]})",
       "xvol.protocolEndpoints[0]: unknown PE type \"iSCSI\" (SCSI, NFS or NFS4x)"},
      {"ContainerNamesUnknownPe",
       R"({"containers": [{"name": "c", "arrays": [{"arrayId": "A", "pes": ["q"]}]}]})",
       "xvol.containers[0]: unknown protocol endpoint q"},
      {"StretchedConfigNamesUnknownPe", R"({"containers": [{"name": "c", "stretched": true,
                                            "stretchedConfig": {"pes": ["q"]}}]})",
       "xvol.containers[0]: unknown protocol endpoint q in the stretched configuration"},
      {"ProviderStateOfPlainContainer", R"({"containers": [{"name": "c", "providerStates":
                                            [{"arrayId": "A", "provider": "v", "syncState": "InSync"}]}]})",
       "xvol.containers[0]: only a stretched container has provider states"},
      {"DuplicateArray", R"({"arrays": [{"arrayId": "A"}, {"arrayId": "A"}]})",
       "xvol.arrays[1]: duplicate array id A"},
      {"DuplicateVm", R"({"vms": [{"name": "v"}, {"name": "v"}]})", "xvol.vms[1]: duplicate VM name v"},
      {"StatNodeWithSlash", R"({"stats": {"tree": {"name": "", "children": [{"name": "a/b"}]}}})",
       "xvol.stats.tree.children[0].name: a node name cannot hold \"/\""},
      {"StatNodesTwice", R"({"stats": {"tree": {"children": [{"name": "a"}, {"name": "a"}]}}})",
       "xvol.stats.tree.children[1]: duplicate statistics node a"},
      {"UnknownMember", R"({"containers": [{"name": "c", "size": 1}]})",
       "xvol.containers[0].size: unknown member"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::UseHostFromJson(Host(c.xvol)); }),
              "<memory>: " + c.problem);
  }
}

// What the default host holds survives a save and a load unchanged.
TEST(XvolState, DefaultProfileReadsBackAsWritten) {
  OlkCtl::Sim::UseHostFromProfile("default");
  const std::string saved = OlkCtl::Sim::CurrentStateJson();
  OlkCtl::Sim::UseHostFromJson(saved);
  EXPECT_EQ(OlkCtl::Sim::CurrentStateJson(), saved);
}

} // namespace
