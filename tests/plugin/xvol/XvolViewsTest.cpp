// storage xvol ospaprovider / storagecontainer / protocolendpoint / ospacontext / storagearray views.
#include "frame/Registration.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// Four PEs whose byte order ("pe-X" before "pe-b") differs from the order the
// containers bring them in, met by a plain container, a stretched one and a
// later plain one. Every PE carries every field, so a type that shows a field
// it does not own is caught.
const char *kLinkingHost = R"({"schemaVersion": 1, "xvol": {
  "arrays": [{"name": "a", "arrayId": "A"}, {"name": "b", "arrayId": "B"}],
  "protocolEndpoints": [
    {"ospaId": "pe-b", "type": "SCSI", "arrayId": "A", "servedArrays": ["A"], "hostId": "naa.b", "lunId": "7",
     "remoteHost": "h", "remoteShare": "/s", "transportIps": ["1.1.1.1"], "serverScope": "sc", "serverMajor": "mj",
     "auth": "AUTH_SYS", "user": "u"},
    {"ospaId": "pe-s", "type": "NFS", "arrayId": "A", "servedArrays": ["A", "B"], "hostId": "nfs.s", "lunId": "7",
     "remoteHost": "h", "remoteShare": "/s", "transportIps": ["1.1.1.1"], "serverScope": "sc", "serverMajor": "mj",
     "auth": "AUTH_SYS", "user": "u", "stretchedUse": true},
    {"ospaId": "pe-X", "type": "NFS4x", "arrayId": "B", "servedArrays": ["B"], "hostId": "nfs.x", "lunId": "7",
     "remoteHost": "h", "remoteShare": "/s", "transportIps": ["1.1.1.1", "2.2.2.2"], "serverScope": "sc",
     "serverMajor": "mj", "auth": "AUTH_SYS", "user": "u"},
    {"ospaId": "pe-l", "type": "SCSI", "arrayId": "A", "servedArrays": ["A"], "hostId": "naa.l", "lunId": "9"}],
  "containers": [
    {"name": "c1", "containerId": "id1", "arrays": [{"arrayId": "A", "pes": ["pe-b", "pe-s"]}]},
    {"name": "c2", "containerId": "id2", "stretched": true,
     "arrays": [{"arrayId": "A", "pes": ["pe-s"]}, {"arrayId": "B", "pes": ["pe-X"]}],
     "stretchedConfig": {"arrays": ["A", "B"], "pes": ["pe-s", "pe-l", "pe-b"]},
     "providerStates": [{"arrayId": "B", "provider": "vp", "syncState": "InSync"}]},
    {"name": "c3", "containerId": "id3", "arrays": [{"arrayId": "A", "pes": ["pe-l", "pe-b"]}]}]}})";

TEST(XvolProtocolEndpointTest, LinksContainersByTheirKindInByteOrder) {
  UseHostJson(kLinkingHost);
  auto run = RunCommand("storage xvol protocolendpoint list");
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(Lines(run.root, {"Ospa Id", "Array Id", "Storage Containers", "IsUsedByStretchedContainer"}),
            (std::vector<std::string>{"pe-X | B |  | No", "pe-b | A | id1, id2, id3 | No",
                                      "pe-l | A | id3 | No", "pe-s | Stretched | id2 | Yes"}));
}

TEST(XvolProtocolEndpointTest, EachTypeShowsOnlyItsOwnFields) {
  UseHostJson(kLinkingHost);
  const std::vector<std::string> fields = {"Type",         "Lun Id",       "Remote Host",
                                           "Remote Share", "Server Scope", "Server Major",
                                           "Auth",         "User",         "NFS4x Transport IPs"};
  EXPECT_EQ(Lines(RunCommand("storage xvol protocolendpoint list").root, fields),
            (std::vector<std::string>{"NFS4x |  |  | /s | sc | mj | AUTH_SYS | u | 1.1.1.1, 2.2.2.2",
                                      "SCSI | 7 |  |  |  |  |  |  | ", "SCSI | 9 |  |  |  |  |  |  | ",
                                      "NFS |  | h | /s |  |  |  |  | "}));
}

TEST(XvolProtocolEndpointTest, Filters) {
  struct Case {
    std::string options;
    std::vector<std::string> ids;
  };
  const std::vector<Case> cases = {
      {"-t SCSI", {"pe-b", "pe-l"}}, {"-t NFS", {"pe-s"}}, {"--pe-type NFS4x", {"pe-X"}},
      {"-p pe-l", {"pe-l"}},         {"-p pe-L", {}},      {"-p pe-l -t NFS", {}},
      {"-p pe-b -t SCSI", {"pe-b"}},
  };
  UseHostJson(kLinkingHost);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage xvol protocolendpoint list " + c.options);
    EXPECT_EQ(run.status, CliKit::kExitOk);
    EXPECT_EQ(Column(run.root, "Ospa Id"), c.ids);
  }
  EXPECT_EQ(RunCommand("storage xvol protocolendpoint list -t nfs").status, CliKit::kExitUsage);
}

// A PE that fails is reported and skipped for that container; the walk goes on.
TEST(XvolProtocolEndpointTest, OnePeFailingLeavesTheOthersListed) {
  UseHostJson(kLinkingHost);
  InjectFault("ProtocolEndPoint::GetStretchedUse", "pe-b", "PE gone");
  auto run = RunCommand("storage xvol protocolendpoint list");
  EXPECT_EQ(run.errors, (std::vector<std::string>{
                            "Error (PE gone) occured while getting data for ProtocolEndPoint: pe-b",
                            "Error (PE gone) occured while getting data for ProtocolEndPoint: pe-b"}));
  EXPECT_EQ(Lines(run.root, {"Ospa Id", "Storage Containers"}),
            (std::vector<std::string>{"pe-X | ", "pe-b | id2", "pe-l | id3", "pe-s | id2"}));
}

TEST(XvolStorageArrayTest, ContainersListThePesOfTheirKind) {
  UseHostJson(kLinkingHost);
  auto rows = Rows(RunCommand("storage xvol storagearray container list").root);
  ASSERT_EQ(rows.size(), 2u);
  // Array A: c1 (not stretched) lists its PEs but the one in stretched use;
  // c2 has no provider state for A, so the same rule applies to it.
  std::vector<std::string> got;
  for (const Row &array : rows)
    for (const Row &container : Rows(array->GetField("Containers")))
      got.push_back(Text(array, "Array ID") + " " + Text(container, "Name") + " [" +
                    Field(container, "CurrentVP") + "/" + Field(container, "SyncState") + "] " + [&] {
                      std::string ids;
                      for (const Row &pe : Rows(container->GetField("ContainerProtocolEndpoints")))
                        ids += Text(pe, "Ospa Id") + ";";
                      return ids;
                    }());
  EXPECT_EQ(got, (std::vector<std::string>{"A c1 [/] pe-b;", "A c2 [/] ", "A c3 [/] pe-l;pe-b;",
                                           "B c2 [vp/InSync] "}));
  EXPECT_EQ(Column(RunCommand("storage xvol storagearray container list -a B").root, "Name"),
            std::vector<std::string>{"b"});
  auto none = RunCommand("storage xvol storagearray container list -a nope");
  EXPECT_TRUE(none.errors.empty());
  ASSERT_TRUE(RootList(none.root));
  EXPECT_EQ(RootList(none.root)->Size(), 0u);
}

TEST(XvolStorageArrayTest, PeListGroupsByServedArray) {
  UseHostJson(kLinkingHost);
  std::vector<std::string> got;
  for (const Row &array : Rows(RunCommand("storage xvol storagearray protocolendpoint list").root))
    for (const Row &pe : Rows(array->GetField("ProtocolEndpoints")))
      got.push_back(Text(array, "Array ID") + " " + Text(pe, "Ospa Id"));
  EXPECT_EQ(got, (std::vector<std::string>{"A pe-b", "A pe-l", "A pe-s", "B pe-X", "B pe-s"}));
}

TEST(XvolStorageContainerTest, SizesArraysAndStretching) {
  UseHostJson(R"({"schemaVersion": 1, "xvol": {
    "protocolEndpoints": [{"ospaId": "p", "arrayId": "A"}],
    "containers": [
      {"name": "ten", "capacity": 10737418240, "used": 3221225472, "arrays": [{"arrayId": "A", "pes": ["p"]},
                                                                              {"arrayId": "B", "pes": []}]},
      {"name": "over", "capacity": 1048576, "used": 3145727},
      {"name": "small", "capacity": 1048575, "used": 0, "accessible": false},
      {"name": "str", "capacity": 0, "used": 0, "stretched": true}]}})");
  EXPECT_EQ(Lines(RunCommand("storage xvol storagecontainer list").root,
                  {"StorageContainer Name", "Array", "Size(MB)", "Free(MB)", "Accessible", "Stretched"}),
            (std::vector<std::string>{
                "ten | A | 10240 | 7168 | true | No", "over | Unavailable | 1 | -1 | true | No",
                "small | Unavailable | 0 | 0 | false | No", "str | Stretched | 0 | 0 | true | Yes"}));
}

TEST(XvolProviderTest, StatusTextsAndBatchSizesByMeaning) {
  UseHostJson(R"({"schemaVersion": 1, "xvol": {"providers": [
    {"name": "p0", "status": 0}, {"name": "p1", "status": 1, "statusDetail": "x"},
    {"name": "p2", "status": 2, "statusDetail": "clock skew"}, {"name": "p3", "status": 3, "statusDetail": "timeout"},
    {"name": "p4", "status": 4, "statusDetail": ""}, {"name": "p9", "status": 9, "statusDetail": "what"},
    {"name": "vh", "status": 0, "virtualHost": {"ip": "10.0.0.1", "sni": "vp.example", "port": 443},
     "batchSizes": {"default": 1, "snapshot": 2, "bind": 3, "unbind": 4, "taskUpdate": 5, "spaceStats": 6,
                    "query": 7, "metadataUpdate": 8},
     "arrays": [{"arrayId": "A", "active": true, "priority": 2}, {"arrayId": "B", "active": false, "priority": 5}]}]}})");
  auto rows = Rows(RunCommand("storage xvol ospaprovider list").root);
  std::vector<std::string> statuses;
  for (const Row &row : rows)
    statuses.push_back(Text(row, "Status"));
  EXPECT_EQ(statuses,
            (std::vector<std::string>{"Online", "Offline", "Offline: SyncError [clock skew]",
                                      "Offline: TransportError [timeout]", "Offline: AuthenticationError []",
                                      "Offline: Unknown [what]", "Online"}));
  const Row &vh = rows.back();
  EXPECT_EQ(Lines(vh->GetField("API Batch Size"),
                  {"Default", "SnapshotVirtualVolume", "BindVirtualVolume", "UnbindVirtualVolume",
                   "GetTaskUpdateEx", "SpaceStatsVirtualVolume", "QueryVirtualVolumeInfo",
                   "UpdateVirtualVolumeMetdataEx"}),
            std::vector<std::string>{"1 | 2 | 3 | 4 | 5 | 6 | 7 | 8"});
  EXPECT_EQ(Lines(vh->GetField("VirtualHost"), {"SNI", "Port", "IP"}),
            std::vector<std::string>{"vp.example | 443 | 10.0.0.1"});
  EXPECT_EQ(Lines(vh->GetField("Arrays"), {"ArrayId", "Is Active", "Priority"}),
            (std::vector<std::string>{"A | true | 2", "B | false | 5"}));
  EXPECT_EQ(Lines(rows.front()->GetField("VirtualHost"), {"SNI", "Port", "IP"}),
            std::vector<std::string>{" | 0 | "});
}

TEST(XvolStorageArrayTest, OnlineProvidersInProviderOrder) {
  UseHostJson(R"({"schemaVersion": 1, "xvol": {
    "arrays": [{"name": "three", "arrayId": "A"}, {"name": "none", "arrayId": "B"}],
    "providers": [{"name": "z", "status": 0, "arrays": [{"arrayId": "A"}]},
                  {"name": "off", "status": 1, "arrays": [{"arrayId": "A"}, {"arrayId": "B"}]},
                  {"name": "a", "status": 0, "arrays": [{"arrayId": "A"}]},
                  {"name": "m", "status": 0, "arrays": [{"arrayId": "C"}, {"arrayId": "A"}]}]}})");
  EXPECT_EQ(Lines(RunCommand("storage xvol storagearray list").root, {"Name", "Online VP List"}),
            (std::vector<std::string>{"three | z, a, m", "none | "}));
}

TEST(XvolViewsTest, HostFailureMessages) {
  struct Case {
    std::string command;
    std::string operation;
    std::vector<std::string> errors;
    int status;
  };
  const std::vector<Case> cases = {
      {"ospaprovider list",
       "StorageInfo::GetOspaProviders",
       {"Unable to retrieve list of XVol OSPA Providers from system:  boom"},
       CliKit::kExitCommandError},
      {"ospaprovider list",
       "Host::GetStorageInfo",
       {"Unable to retrieve list of XVol OSPA Providers from system:  boom"},
       CliKit::kExitCommandError},
      {"storagearray list",
       "XvolFileSystemImpl::GetXvolStorageArrays",
       {"Unable to get OSPA Storage Arrays: boom"},
       CliKit::kExitCommandError},
      {"storagearray container list",
       "XvolFileSystemImpl::GetXvolStorageArrays",
       {"Unable to get OSPA Storage Arrays: boom"},
       CliKit::kExitCommandError},
      {"storagearray protocolendpoint list",
       "XvolFileSystemImpl::GetXvolStorageArrays",
       {"Unable to get OSPA Storage Arrays: boom"},
       CliKit::kExitCommandError},
      // No handler of their own.
      {"storagecontainer list", "StorageInfo::GetXvolFileSystems", {}, CliKit::kExitException},
      {"ospacontext get", "StorageInfo::GetOspaContext", {}, CliKit::kExitException},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command + " / " + c.operation);
    UseProfile();
    InjectFault(c.operation, "", "boom");
    auto run = RunCommand("storage xvol " + c.command);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.root, nullptr);
    if (c.status == CliKit::kExitException) {
      EXPECT_EQ(run.execution.failure, "boom");
    }
  }
}

TEST(XvolViewsTest, OspaContextIsTheHostsText) {
  UseHostJson(R"({"schemaVersion": 1})");
  auto run = RunCommand("storage xvol ospacontext get");
  auto text = std::dynamic_pointer_cast<CliKit::MetaObj::MetaString>(run.root);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->GetValue(), "");
}

// With switch 312 on the area registers nothing at all.
TEST(XvolRegistrationTest, FeatureSwitch312HidesTheTree) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on);
    UseHostJson(std::string(R"({"schemaVersion": 1, "system": {"featureSwitches": )") +
                (on ? "[312]" : "[311, 313]") + "}}");
    auto storage = CliKit::AutoCli::Namespace::New();
    XVol_RegisterNamespaces(storage);
    EXPECT_EQ(storage->GetChildren().size(), on ? 0u : 1u);
  }
  UseProfile();
}

} // namespace
