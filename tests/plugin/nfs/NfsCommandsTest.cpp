// storage nfs ...: the order of the add checks, the param set walk, the
// firewall validation, removal, restore, preunmount state and what the
// feature switches change.
#include "filesystem/NfsCommands.h"
#include "filesystem/NfsShared.h"
#include "frame/Registration.h"
#include "support/TestHost.h"

#include "sim/Store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

std::string WithSwitches(const std::string &switches) {
  return PatchedProfile(R"({"system": {"featureSwitches": )" + switches + "}}");
}

// "name | Host | Olknic | Mounted | Accessible" of every listed v3 volume.
std::vector<std::string> Listed() {
  return Lines(RunCommand("storage nfs list").root,
               {"Volume Name", "Host", "Olknic", "Mounted", "Accessible"});
}

std::string ParamsOf(const std::string &name) {
  return Lines(RunCommand("storage nfs param get -v " + name).root,
               {"MaxQueueDepth", "Olknic", "Connections"})
      .at(0);
}

std::vector<std::string> Notifications() {
  std::vector<std::string> out;
  for (const OlkCtl::Sim::NotificationRecord &n : OlkCtl::Sim::Current().Read()->volumes().notifications)
    out.push_back(n.type + " <" + n.names + ">");
  return out;
}

// A tree of the file-system area registered with the host's current switches.
struct NfsTree {
  NfsTree() {
    auto root = CliKit::AutoCli::Namespace::New();
    auto storage = CliKit::AutoCli::Namespace::New();
    FilesystemNfs_RegisterNamespaces(storage);
    root->RegisterNamespaceNode(storage, "storage");
    nfs = storage->FindChild("nfs");
    cli = std::make_unique<CliKit::Cli>(root);
  }
  CliKit::Execution Run(const std::string &line) { return cli->Execute(SplitWords(line)); }
  std::shared_ptr<CliKit::AutoCli::NamespaceNode> nfs;
  std::unique_ptr<CliKit::Cli> cli;
};

std::vector<std::string> ChildNames(const std::shared_ptr<CliKit::AutoCli::NamespaceNode> &node) {
  std::vector<std::string> names;
  for (const auto &child : node->GetChildren())
    names.push_back(child.first);
  return names;
}

} // namespace

TEST(NfsAddTest, ChecksComeInOrderAndAddNothing) {
  UseHostJson(WithSwitches(R"({"312": true})"));
  const std::vector<std::string> before = Listed();
  struct Case {
    const char *options;
    const char *error;
  } cases[] = {
      {"-H nas1.lab.test -I nas1.lab.test:olk1 -s /s -v x", "Either hostName or olknic shoud be provided"},
      {"-s /s -v x -I nas1:eth0 -p", "Invalid host-olknic input"},
      {"-s /s -v x -H nas1.lab.test -p --unsupported-queue-depth 64", "-p/--ispe flag Not Supported."},
      {"-s /s -v x -H nas1.lab.test --unsupported-queue-depth 64", "unsupported-queue-depth requires "
                                                                   "unsupported-mount-retry flag"},
      {"-s /s -v nfs-iso -H nas1.lab.test", "A volume named 'nfs-iso' already exists"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand(std::string("storage nfs add ") + c.options);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_FALSE(run.root);
    EXPECT_EQ(Listed(), before);
  }
}

TEST(NfsAddTest, HostOlknicSplitsAtTheOlknicAndAFailedMountIsUndoneOnlyWithout322) {
  UseProfile();
  auto run = RunCommand("storage nfs add -I nas2.lab.test:olk2 -s /new -v fresh -r -c 3");
  ASSERT_TRUE(Succeeded(run)) << (run.errors.empty() ? "" : run.errors[0]);
  EXPECT_EQ(Listed().back(), "fresh | nas2.lab.test | olk2 | true | true");
  EXPECT_EQ(ParamsOf("fresh"), "4294967295 | olk2 | 3");

  for (bool preunmount : {false, true}) {
    SCOPED_TRACE(preunmount);
    UseHostJson(WithSwitches(preunmount ? R"({"322": true})" : R"({"322": false})"));
    run = RunCommand("storage nfs add -H nowhere.lab.test -s /s -v lost");
    EXPECT_EQ(run.errors,
              std::vector<std::string>{"Unable to resolve hostname 'nowhere.lab.test' of volume lost"});
    EXPECT_FALSE(run.root);
    EXPECT_EQ(Listed().back() == "lost | nowhere.lab.test | None | false | false", preunmount);
  }
  // With mount retry (and 322 off) the host keeps trying: mounted, not accessible.
  UseProfile();
  ASSERT_TRUE(
      Succeeded(RunCommand("storage nfs add -H nowhere.lab.test -s /s -v later --unsupported-mount-retry "
                           "--unsupported-queue-depth 16")));
  EXPECT_EQ(Listed().back(), "later | nowhere.lab.test | None | true | false");
  EXPECT_EQ(ParamsOf("later"), "16 |  | 1");
}

TEST(NfsListTest, SubstitutesNoneAndSkipsVolumesWhoseDataFails) {
  UseProfile();
  InjectFault("NetworkFileSystem::GetHWACStatus", "nfs-vms", "array gone");
  auto run = RunCommand("storage nfs list");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Error getting data for mount 'nfs-vms': array gone, skipping."});
  EXPECT_EQ(Lines(run.root, {"Volume Name", "Olknic", "Hardware Acceleration"}),
            (std::vector<std::string>{"nfs-iso | None | Supported", "nfs-backup | None | Unknown",
                                      "nfs-pe | None | Supported", "nfs-lost | None | Unknown"}));
  EXPECT_EQ(Column(RunCommand("storage nfs list -p").root, "Volume Name"),
            std::vector<std::string>{"nfs-pe"});
}

TEST(NfsParamTest, GetListsNonPeVolumesOrTheOneNamed) {
  UseProfile();
  EXPECT_EQ(Column(RunCommand("storage nfs param get -v all").root, "Volume Name"),
            (std::vector<std::string>{"nfs-iso", "nfs-vms", "nfs-backup", "nfs-hidden", "nfs-lost"}));
  auto run = RunCommand("storage nfs param get -v nfs-pe");
  EXPECT_TRUE(Rows(run.root).empty());
  EXPECT_TRUE(run.errors.empty());
  InjectFault("NetworkFileSystem::GetParams", "nfs-iso", "busy");
  run = RunCommand("storage nfs param get -v all");
  EXPECT_EQ(run.errors,
            std::vector<std::string>{"Error getting params for mount 'nfs-iso': busy, skipping."});
  EXPECT_EQ(Rows(run.root).size(), 4u);
}

TEST(NfsParamTest, SetWalksAndStopsAtTheFirstError) {
  struct Case {
    const char *options;
    bool result;
    std::vector<std::string> errors;
    const char *isoAfter; // nfs-iso's MaxQueueDepth | Olknic | Connections
  } cases[] = {
      {"-f", false, {"Error: Option -f can only be used with -r"}, "64 |  | 1"},
      {"-q 8", false, {"Error: Volume name is required.Please specify using -v option."}, "64 |  | 1"},
      {"-v nfs-iso -q 32 -r nas2.lab.test -c 3",
       false,
       {"Error: 0x203: Failed to re-resolve hostname nas2.lab.test: Hostname specified did not match with the "
        "hostname of the volume."},
       "32 |  | 1"},
      {"-v nfs-iso -q 32 -I olk9 -c 3",
       false,
       {"Error setting params for mount 'nfs-iso': olknic 'olk9' does not exist on this host"},
       "32 |  | 1"},
      {"-v nfs-iso -q 32 -I olk0 -c 3", true, {}, "32 | olk0 | 3"},
      {"-v nfs-iso -r nas1.lab.test",
       false,
       {"Volume nfs-iso is accessible; use force to re-resolve nas1.lab.test"},
       "64 |  | 1"},
      {"-v nfs-iso -r nas1.lab.test -f -c 2", true, {}, "64 |  | 2"},
      {"-v nosuchvolume", true, {}, "64 |  | 1"},
      {"", true, {"Missing arguments: Please use --help for more info on usage."}, "64 |  | 1"},
      {"-v nosuchvolume -c 2",
       true,
       {"Error setting params for mount 'nosuchvolume': volume not found."},
       "64 |  | 1"},
      {"-r nowhere.lab.test",
       true,
       {"Error: 0x204: Failed to re-resolve hostname nowhere.lab.test: No volume(s) found."},
       "64 |  | 1"},
      {"-r nas1.lab.test",
       false,
       {"Error: 0x401: Failed to re-resolve hostname nas1.lab.test: Re-resolution failed for one or more volumes, "
        "please check hmgrd logs and olkernel logs for more info."},
       "64 |  | 1"},
      {"-r nas1.lab.test -f", true, {}, "64 |  | 1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand(std::string("storage nfs param set ") + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.result);
    EXPECT_EQ(ParamsOf("nfs-iso"), c.isoAfter);
  }
}

TEST(NfsParamTest, AFailedReResolutionDoesNotStopTheOthers) {
  UseProfile();
  // nfs-lost is not accessible, so it needs no force; nfs-iso and nfs-vms on
  // nas1 would, and nas3 is nfs-lost's alone.
  InjectFault("NetworkFileSystem::ReResolve", "nfs-iso", "lost");
  auto run = RunCommand("storage nfs param set -r nas1.lab.test -f");
  EXPECT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors.at(0).rfind("Error: 0x401: ", 0), 0u);
  EXPECT_FALSE(run.root);
  EXPECT_TRUE(Succeeded(RunCommand("storage nfs param set -r nas3.lab.test")));
  EXPECT_EQ(Listed().back(), "nfs-lost | nas3.lab.test | None | true | true");
  InjectFault("NetworkFileSystem::Resolve", "nfs-iso", "no DNS");
  run = RunCommand("storage nfs param set -r nas1.lab.test -f");
  EXPECT_EQ(run.errors, std::vector<std::string>{"no DNS"});
}

TEST(NfsFirewallTest, OnlyAddressesWithAPrefixAreAdded) {
  struct Case {
    const char *value;
    bool valid;
  } cases[] = {
      {"10.0.0.1", false},   {"fd00::1", false},         {"10.0.0.0/33", false},  {"10.0.0.0/8", true},
      {"10.0.0.0/32", true}, {"10.0.0.0/010", true},     {"10.0.0.0/041", false}, {"10.0.0.0/0x8", false},
      {"10.0.0.0/", false},  {"10.0.0.0/8/8", false},    {"10.0.0/8", false},     {"fd00::/8", true},
      {"fd00::/129", false}, {"nas1.lab.test/8", false}, {"10.0.0.0/-1", false},  {"", false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TarvexCli::FileSystem::IsValidIpMask(c.value), c.valid) << c.value;

  UseProfile();
  auto run = RunCommand("storage nfs firewall add -F 10.0.0.1");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Only IP/Mask entries are allowed to be added"});
  EXPECT_TRUE(Succeeded(RunCommand("storage nfs firewall add -F fd00::/8")));
  EXPECT_EQ(RunCommand("storage nfs firewall add -F 10.0.0.0/8").errors,
            std::vector<std::string>{"IP/Mask 10.0.0.0/8 is already in ruleset nfsClient"});
  // Removal does not validate: the host refuses what it does not have.
  EXPECT_EQ(RunCommand("storage nfs firewall remove -F 10.0.0.1").errors,
            std::vector<std::string>{"IP/Mask 10.0.0.1 is not in ruleset nfsClient"});
  EXPECT_TRUE(Succeeded(RunCommand("storage nfs firewall remove -F 10.0.0.0/8")));
  EXPECT_EQ(Field(OnlyRow(RunCommand("storage nfs firewall list").root), "Allowed IPMask"),
            "192.168.0.0/16,fd00::/8");
  EXPECT_EQ(Field(OnlyRow(RunCommand("storage nfs41 firewall list").root), "Allowed IPMask"),
            "172.16.0.0/12");
  InjectFault("StorageInfo::AddNasFirewallConfig", "10.1.0.0/16", "ruleset locked");
  EXPECT_EQ(RunCommand("storage nfs firewall add -F 10.1.0.0/16").errors,
            std::vector<std::string>{"ruleset locked"});
}

TEST(NfsVolumeTest, RemoveNotifiesTheDaemonAndRefusesTheOtherVersion) {
  UseProfile();
  auto run = RunCommand("storage nfs remove -v nfs41-data");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Volume nfs41-data is not an NFS v3 volume"});
  EXPECT_EQ(Notifications(),
            (std::vector<std::string>{"PreUnmount <nfs41-data>", "FailedUnmount <nfs41-data>"}));
  EXPECT_TRUE(Succeeded(RunCommand("storage nfs remove -v nfs-backup")));
  EXPECT_EQ(Notifications().back(), "PreUnmount <nfs-backup>");
  EXPECT_EQ(Column(RunCommand("storage nfs list").root, "Volume Name"),
            (std::vector<std::string>{"nfs-iso", "nfs-vms", "nfs-pe", "nfs-lost"}));
}

TEST(NfsVolumeTest, RestoreMountsWhatIsNotMountedAndReportsEachFailure) {
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -l nfs-iso")));
  InjectFault("NetworkFileSystem::Restore", "nfs-vms", "server busy");
  auto run = RunCommand("storage nfs restore");
  EXPECT_EQ(run.errors,
            (std::vector<std::string>{"Failed to restore volume\"nfs-vms\": server busy",
                                      "Failed to restore volume\"nfs-lost\": NFS server of volume "
                                      "nfs-lost is not reachable"}));
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(Listed().front(), "nfs-iso | nas1.lab.test | None | true | true");
}

TEST(NfsPreunmountTest, TheNamespaceExistsOnlyWithSwitch322) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on);
    UseHostJson(WithSwitches(on ? R"({"322": true})" : R"({"322": false})"));
    NfsTree tree;
    EXPECT_EQ(ChildNames(tree.nfs),
              on ? (std::vector<std::string>{"add", "restore", "remove", "list", "preunmountstate", "param",
                                             "firewall"})
                 : (std::vector<std::string>{"add", "restore", "remove", "list", "param", "firewall"}));
    if (!on)
      continue;
    EXPECT_TRUE(tree.Run("storage nfs preunmountstate enter -v nfs-iso").output->GetErrorMessages().empty());
    EXPECT_EQ(tree.Run("storage nfs preunmountstate enter -v nfs-iso").output->GetErrorMessages(),
              std::vector<std::string>{"Preunmount Enter failed for nfs-iso: Volume nfs-iso is already in "
                                       "preunmount state"});
    EXPECT_TRUE(tree.Run("storage nfs preunmountstate exit -v nfs-iso").output->GetErrorMessages().empty());
    EXPECT_EQ(
        tree.Run("storage nfs preunmountstate exit -v nfs-iso").output->GetErrorMessages(),
        std::vector<std::string>{"Preunmount Exit failed for nfs-iso: Volume nfs-iso is not in preunmount "
                                 "state"});
    EXPECT_EQ(tree.Run("storage nfs preunmountstate exit -v nope").output->GetErrorMessages(),
              std::vector<std::string>{"Preunmount Exit failed for nope: NAS volume 'nope' does not exist"});
  }
  UseProfile();
}

TEST(NfsSwitchTest, ChecksumAndPeSwitchesShapeTheCommands) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on);
    UseHostJson(WithSwitches(on ? R"({"127": true, "312": true})" : R"({"127": false, "312": false})"));
    TarvexCli::FileSystem::NFSVolumeList list;
    EXPECT_EQ(
        FieldNames(list.GetOutputStructure()),
        on ? (std::vector<std::string>{"Volume Name", "Host", "Share", "Olknic", "Connections", "Accessible",
                                       "Mounted", "Read-Only", "isPE", "Checksum Enabled",
                                       "Hardware Acceleration"})
           : (std::vector<std::string>{"Volume Name", "Host", "Share", "Olknic", "Connections", "Accessible",
                                       "Mounted", "Read-Only", "isPE", "Hardware Acceleration"}));
    ASSERT_EQ(list.GetDefaultOutputParameters().size(), 1u);
    EXPECT_EQ(
        list.GetDefaultOutputParameters()[0].second,
        on ? "Volume Name,Host,Share,Olknic,Accessible,Mounted,Connections,Read-Only,isPE,Checksum Enabled,"
             "Hardware Acceleration"
           : "Volume Name,Host,Share,Olknic,Accessible,Mounted,Connections,Read-Only,isPE,Hardware "
             "Acceleration");
    TarvexCli::FileSystem::NFSVolumeAdd add;
    const auto spec = add.GetInputSpecInternal();
    std::string ispe;
    bool checksum = false;
    for (const auto &param : spec->GetParameters()) {
      if (param->GetName() == "ispe")
        ispe = param->GetDescription();
      checksum = checksum || param->GetName() == "unsupported-checksum";
    }
    EXPECT_EQ(ispe, on ? "[Deprecated] If set this flag will set the mount point to be PE."
                       : "If set this flag will set the mount point to be PE.");
    EXPECT_EQ(checksum, on);
  }
  UseProfile();
}
