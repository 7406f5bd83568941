// storage nfs41 ...: add with several servers and flavours, the param set walk
// after the host's re-resolution, and the default credential.
#include "support/TestHost.h"

#include "sim/Store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

std::vector<std::string> Listed() {
  return Lines(RunCommand("storage nfs41 list").root,
               {"Volume Name", "Host(s)", "Olknics", "Security", "Mounted"});
}

std::string Credential() {
  return Lines(RunCommand("storage nfs41 credential get").root, {"NFS41 User", "Number of Passwords"}).at(0);
}

} // namespace

TEST(Nfs41AddTest, ServersFlavoursAndTheUndoOfAFailedMount) {
  UseProfile();
  struct Case {
    const char *options;
    std::vector<std::string> errors;
    const char *listed; // the last row afterwards
  } cases[] = {
      {"-H nas1.lab.test -I nas1.lab.test:olk0 -s /s -v x",
       {"Either hostName or olknic should be provided"},
       "nfs41-pe | nas1.lab.test |  | AUTH_SYS | true"},
      {"-s /s -v x",
       {"Either hostName or olknic should be provided"},
       "nfs41-pe | nas1.lab.test |  | AUTH_SYS | true"},
      {"-H nas1.lab.test,nas2.lab.test -s /s -v two",
       {},
       "two | nas1.lab.test,nas2.lab.test |  | AUTH_SYS | true"},
      {"-I nas1.lab.test:olk0 -I 192.0.2.12:olk1 -s /s -v bound -a SEC_KRB5I",
       {},
       "bound | nas1.lab.test:olk0,192.0.2.12:olk1 | nas1.lab.test:olk0,192.0.2.12:olk1 | SEC_KRB5I | true"},
      {"-I nas1.lab.test:olk7 -s /s -v nonic",
       {"olknic 'olk7' does not exist on this host"},
       "nfs41-pe | nas1.lab.test |  | AUTH_SYS | true"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand(std::string("storage nfs41 add ") + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
    EXPECT_EQ(Listed().back(), c.listed);
  }
  // A Kerberos flavour needs the default credential; the failed mount is undone.
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage nfs41 credential unset")));
  auto run = RunCommand("storage nfs41 add -H nas2.lab.test -s /k -v krb -a SEC_KRB5");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Kerberos mount of volume krb needs the NFS v4.1 default "
                                                 "credential, and none is set"});
  EXPECT_EQ(Listed().back(), "nfs41-pe | nas1.lab.test |  | AUTH_SYS | true");
  // A failure before the mount removes nothing it did not add.
  InjectFault("NetworkFileSystem::SetPE", "pe", "no PE support");
  run = RunCommand("storage nfs41 add -H nas2.lab.test -s /p -v pe -p");
  EXPECT_EQ(run.errors, std::vector<std::string>{"no PE support"});
  EXPECT_EQ(Listed().back(), "pe | nas2.lab.test |  | AUTH_SYS | false");
}

TEST(Nfs41ParamTest, SetReResolvesOnceThenWalks) {
  struct Case {
    const char *options;
    bool result;
    std::vector<std::string> errors;
    const char *secureAfter; // nfs41-secure's MaxQueueDepth | Olknics | Connections
  } cases[] = {
      {"-f", false, {"Error: Option -f can only be used with -r"}, "128 |  | 1"},
      {"-I nas2.lab.test:olk1",
       false,
       {"Error: Volume name is required.Please specify using -v option."},
       "128 |  | 1"},
      {"-v nosuch -I nas2.lab.test:olk1",
       true,
       {"Error setting params for mount 'nosuch': volume not found."},
       "128 |  | 1"},
      {"-v nfs41-secure -I nas2.lab.test:olk1 -I nas2.lab.test:olk2 -c 2",
       true,
       {},
       "128 | nas2.lab.test:olk1,nas2.lab.test:olk2 | 2"},
      {"-v nfs41-secure -q 64 -I nas2.lab.test:olk9 -c 2",
       false,
       {"Error setting params for mount 'nfs41-secure': olknic 'olk9' does not exist on this host"},
       "64 |  | 1"},
      {"-r nas2.lab.test -f -v nfs41-secure -q 64", true, {}, "64 |  | 1"},
      {"-r nas2.lab.test -v nfs41-secure -q 64",
       false,
       {"Volume(s) nfs41-data,nfs41-secure are accessible; use force to re-resolve nas2.lab.test"},
       "128 |  | 1"},
      {"-r nowhere.lab.test -v nosuch", true, {}, "128 |  | 1"},
      {"", true, {"Missing arguments: Please use --help for more info on usage."}, "128 |  | 1"},
      {"-v nosuch", true, {}, "128 |  | 1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseProfile();
    auto run = RunCommand(std::string("storage nfs41 param set ") + c.options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.result);
    EXPECT_EQ(Lines(RunCommand("storage nfs41 param get -v nfs41-secure").root,
                    {"MaxQueueDepth", "Olknics", "Connections"})
                  .at(0),
              c.secureAfter);
  }
  UseProfile();
  InjectFault("StorageInfo::ReResolveNFS41NetworkFileSystem", "nas1.lab.test", "resolver down");
  auto run = RunCommand("storage nfs41 param set -r nas1.lab.test -f -v nfs41-data -c 4");
  EXPECT_EQ(run.errors, std::vector<std::string>{"resolver down"});
  EXPECT_FALSE(run.root);
}

TEST(Nfs41VolumeTest, RemoveAndRestoreKeepToTheirVersion) {
  UseProfile();
  EXPECT_EQ(RunCommand("storage nfs41 remove -v nfs-iso").errors,
            std::vector<std::string>{"Volume nfs-iso is not an NFS v4.1 volume"});
  EXPECT_EQ(RunCommand("storage nfs41 remove -v none").errors,
            std::vector<std::string>{"NAS volume 'none' does not exist"});
  EXPECT_TRUE(Succeeded(RunCommand("storage nfs41 remove -v nfs41-bound")));
  ASSERT_TRUE(Succeeded(RunCommand("storage filesystem unmount -l nfs41-data")));
  InjectFault("NetworkFileSystem::Restore", "nfs41-secure", "ticket expired");
  auto run = RunCommand("storage nfs41 restore");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Failed to restore volume\"nfs41-secure\": ticket expired"});
  EXPECT_TRUE(Succeeded(run));
  EXPECT_EQ(Column(RunCommand("storage nfs41 list").root, "Mounted"),
            (std::vector<std::string>{"true", "true", "true"}));
}

TEST(Nfs41CredentialTest, SetStoresOnlyAMatchingPairAndAFailureLeavesNone) {
  UseProfile();
  EXPECT_EQ(Credential(), "nfsuser@LAB.TEST | 2");
  auto run = RunCommand("storage nfs41 credential set -u other -p Secret-One -c Secret-Onf");
  EXPECT_EQ(run.errors, std::vector<std::string>{"Passwords dont't match."});
  EXPECT_FALSE(run.root);
  EXPECT_EQ(Credential(), "nfsuser@LAB.TEST | 2");

  ASSERT_TRUE(Succeeded(RunCommand("storage nfs41 credential set -u krbuser -p Secret-One -c Secret-One")));
  EXPECT_EQ(Credential(), "krbuser | 1");
  const auto &kept = OlkCtl::Sim::Current().Read()->nas().credential;
  ASSERT_EQ(kept.passwordHashes.size(), 1u);
  EXPECT_EQ(kept.passwordHashes[0].rfind("$argon2id$", 0), 0u);
  EXPECT_EQ(kept.current, 0);

  InjectFault("StorageInfo::SetV41NetworkFileSystemDefaultCurrentPassword", "", "KDC unreachable");
  run = RunCommand("storage nfs41 credential set -u next -p Secret-Two -c Secret-Two");
  EXPECT_EQ(run.errors, std::vector<std::string>{"KDC unreachable"});
  EXPECT_EQ(Credential(), " | 0");

  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage nfs41 credential unset")));
  EXPECT_EQ(Credential(), " | 0");
}
