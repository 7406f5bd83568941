// storage xvol nvme ..., virtualvolume unmap, daemon unbindall,
// protocolendpoint startforceunbind and storagecontainer abandonedxvol scan.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

nlohmann::json Xvol() {
  return nlohmann::json::parse(OlkCtl::Sim::CurrentStateJson())["xvol"];
}

std::string NvmeNqn() {
  return Text(OnlyRow(RunCommand("storage xvol nvme info get").root), "Host NQN");
}

const char *kInUseNqn = "nqn.2014-08.com.olhost:nvme:olhost-01";
const char *kDefaultNqn = "nqn.2014-08.org.nvmexpress:uuid:8a3c5e7f-1b2d-4e6f-8a9b-0c1d2e3f4a5b";

TEST(XvolNvmeTest, InfoSet) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    std::string nqnAfter;
  };
  const std::vector<Case> cases = {
      {"", {"Currently only --hostnqn=default is supported."}, kInUseNqn},
      {"--hostnqn Default -f true", {"Currently only --hostnqn=default is supported."}, kInUseNqn},
      {"--hostnqn=nqn.x", {"Currently only --hostnqn=default is supported."}, kInUseNqn},
      {"--hostnqn=default",
       {std::string("Failed to set Host NQN: Host NQN ") + kInUseNqn +
        " is in use by connected NVMe controllers"},
       kInUseNqn},
      {"--hostnqn=default -f false",
       {std::string("Failed to set Host NQN: Host NQN ") + kInUseNqn +
        " is in use by connected NVMe controllers"},
       kInUseNqn},
      {"--hostnqn=default --force yes", {}, kDefaultNqn},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage xvol nvme info set " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(NvmeNqn(), c.nqnAfter);
  }
}

TEST(XvolNvmeTest, RegeneratingTwiceGivesTheSameNqn) {
  UseHostJson(PatchedProfile(R"({"xvol": {"nvme": {"nqnInUse": false}}})"));
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol nvme info set --hostnqn=default")));
  EXPECT_EQ(NvmeNqn(), kDefaultNqn);
  EXPECT_TRUE(Succeeded(RunCommand("storage xvol nvme info set --hostnqn=default")));
  EXPECT_EQ(NvmeNqn(), kDefaultNqn);
}

TEST(XvolNvmeTest, Discover) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"-a com.quorra:san02-77c1 --adapter olhba5", {}},
      {"-a com.quorra:nope", {"Rescan failed: Unknown storage array com.quorra:nope"}},
      {"--adapter olhba99", {"Rescan failed: Unknown adapter olhba99"}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage xvol nvme discover " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
  }
  EXPECT_EQ(Xvol()["nvme"]["discoveries"], 2);
}

const char *kGoldId = "xvol:6a1f2e3d4c5b6a79-8899aabbccddeeff";
const char *kGoldConfig = "rfc4122.a1b2c3d4-0000-4e5f-8a9b-0c1d2e3f4a00";

TEST(XvolUnmapTest, ReclaimUnitAndRefusals) {
  struct Case {
    std::string options;
    std::vector<std::string> errors;
    int unitAfter;
  };
  const std::string gold = std::string("-c ") + kGoldId + " -u " + kGoldConfig;
  const std::vector<Case> cases = {
      {gold, {}, 200},
      {gold + " -n 1", {}, 1},
      {gold + " --reclaim-unit 2147483647", {}, 2147483647},
      {std::string("-c ") + kGoldId + " -u rfc4122.a1b2c3d4-0001-4e5f-8a9b-0c1d2e3f4a01",
       {std::string(
            "rfc4122.a1b2c3d4-0001-4e5f-8a9b-0c1d2e3f4a01 is not the config volume of storage container ") +
        kGoldId},
       0},
      // No container has the id: the host still gets the request, and refuses it.
      {std::string("-c xvol:nope -u ") + kGoldConfig, {"Unknown storage container xvol:nope"}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand("storage xvol virtualvolume unmap " + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(Xvol()["containers"][0]["unmapReclaimUnit"], c.unitAfter);
  }
  EXPECT_EQ(RunCommand("storage xvol virtualvolume unmap " + gold + " -n 0").status, CliKit::kExitUsage);
}

TEST(XvolUnmapTest, EitherStepFailingGivesTheMessageAlone) {
  const std::string gold =
      std::string("storage xvol virtualvolume unmap -c ") + kGoldId + " -u " + kGoldConfig;
  for (const char *operation : {"XvolFileSystem::GetXvolPath", "XvolFileSystemImpl::ConfigXvolUnmap"}) {
    SCOPED_TRACE(operation);
    UseProfile();
    InjectFault(operation, "", "volume busy");
    auto run = RunCommand(gold);
    EXPECT_EQ(run.errors, std::vector<std::string>{"volume busy"});
    EXPECT_EQ(run.root, nullptr);
    EXPECT_EQ(Xvol()["containers"][0]["unmapReclaimUnit"], 0);
  }
}

TEST(XvolDaemonTest, UnbindAllStopsAtTheFirstContainerThatTakesIt) {
  struct Case {
    std::string patch;
    std::string fault; // container failing UnbindAll
    std::vector<std::string> errors;
    bool result;
    std::vector<int> boundAfter;
  };
  const std::vector<Case> cases = {
      {"{}", "", {}, true, {0, 1, 0, 0}},
      {"{}",
       "sc-gold",
       {"Error getting data for mount 'sc-gold': provider busy, skipping."},
       true,
       {3, 0, 0, 0}},
      {R"({"xvol": {"containers": [{"name": "off", "accessible": false, "boundVolumes": 4},
                                   {"name": "on", "boundVolumes": 2}]}})",
       "",
       {"Error getting data for mount 'off': Storage container off is not accessible, skipping."},
       true,
       {4, 0}},
      {R"({"xvol": {"containers": []}})",
       "",
       {"Failed to find XVol StorageContainer to send DaemonUnbindAll"},
       false,
       {}},
      {R"({"xvol": {"containers": [{"name": "off", "accessible": false}]}})",
       "",
       {"Error getting data for mount 'off': Storage container off is not accessible, skipping.",
        "Failed to find XVol StorageContainer to send DaemonUnbindAll"},
       false,
       {0}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.patch + " " + c.fault);
    UseHostJson(PatchedProfile(c.patch));
    if (!c.fault.empty())
      InjectFault("XvolFileSystem::UnbindAll", c.fault, "provider busy");
    auto run = RunCommand("storage xvol daemon unbindall");
    EXPECT_EQ(run.errors, c.errors);
    auto root = std::dynamic_pointer_cast<CliKit::MetaObj::MetaBool>(run.root);
    ASSERT_TRUE(root && root->HasValue());
    EXPECT_EQ(root->GetValue(), c.result);
    std::vector<int> bound;
    const nlohmann::json xvol = Xvol();
    for (const auto &container : xvol["containers"])
      bound.push_back(container["boundVolumes"]);
    EXPECT_EQ(bound, c.boundAfter);
  }
}

TEST(XvolForceUnbindTest, OnlyPesTheHostKnowsByHostId) {
  struct Case {
    std::string pe;
    std::string fault;
    std::string result;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"xvolpe-nfs-va01", "", "Starting force unbind on PE: xvolpe-nfs-va01", {}},
      {"naa.6006016048503200c0e4d3a2b1f0e9d8",
       "",
       "Starting force unbind on PE: naa.6006016048503200c0e4d3a2b1f0e9d8",
       {}},
      {"rfc4122.2c7d4a91-0e3b-4f6a-8b5c-1d9e7f3a2b64",
       "",
       "",
       {"Error while invoking force unbind of xvols of PE: Could not find Protocol Endpoint: "
        "rfc4122.2c7d4a91-0e3b-4f6a-8b5c-1d9e7f3a2b64"}},
      {"xvolpe-nfs-va01",
       "XvolFileSystemImpl::UnbindDevicesOnPE",
       "",
       {"Error while invoking force unbind of xvols of PE: handles open"}},
      {"xvolpe-nfs-va01",
       "XvolFileSystemImpl::GetPEsForHost",
       "",
       {"Error while invoking force unbind of xvols of PE: handles open"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.pe + " " + c.fault);
    UseProfile();
    if (!c.fault.empty())
      InjectFault(c.fault, "", "handles open");
    auto run = RunCommand("storage xvol protocolendpoint startforceunbind -p " + c.pe);
    EXPECT_EQ(run.errors, c.errors);
    auto text = std::dynamic_pointer_cast<CliKit::MetaObj::MetaString>(run.root);
    EXPECT_EQ(text ? text->GetValue() : "", c.result);
  }
  UseProfile();
  RunCommand("storage xvol protocolendpoint startforceunbind -p xvolpe-nfs-va01");
  EXPECT_EQ(Xvol()["protocolEndpoints"][1]["boundVolumes"], 0);
  EXPECT_EQ(Xvol()["protocolEndpoints"][0]["boundVolumes"], 5);
}

TEST(XvolAbandonedScanTest, LooksTheContainerUpByPath) {
  struct Case {
    std::string path;
    int status;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"/olfs/volumes/7b2e3f4a-5d6c7b8a-99aa-bbccddeeff00", CliKit::kExitOk, {}},
      {"/olfs/volumes/sc-silver/", CliKit::kExitOk, {}},
      {"sc-silver", CliKit::kExitOk, {}},
      {"/olfs/volumes/sc-bronze", CliKit::kExitCommandError, {"Bad datastore path"}},
      {"/olfs/volumes/", CliKit::kExitCommandError, {"Bad datastore path"}},
      // The host refuses an inaccessible container; the command has no handler.
      {"sc-archive", CliKit::kExitException, {}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path);
    auto run = RunCommand("storage xvol storagecontainer abandonedxvol scan -p " + c.path);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.errors, c.errors);
  }
  EXPECT_EQ(Xvol()["containers"][1]["abandonedScans"], 3);
}

TEST(XvolMaintenanceTest, HostFailureMessages) {
  struct Case {
    std::string command;
    std::string operation;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"nvme info get", "XvolFileSystemImpl::GetNvmeInfo",
       "Unable to fetch xVol NVMe host information: boom"},
      {"nvme info set --hostnqn=default -f true", "XvolFileSystemImpl::RegenerateNvmeHostNqn",
       "Failed to set Host NQN: boom"},
      {"nvme discover", "XvolFileSystemImpl::DiscoverNvmeSubsystem", "Rescan failed: boom"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    UseProfile();
    InjectFault(c.operation, "", "boom");
    auto run = RunCommand("storage xvol " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_EQ(run.root, nullptr);
  }
}

} // namespace
