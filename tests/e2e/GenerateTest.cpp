// orlocli-host generate, run as a user runs it: the files it writes are
// deterministic, valid, of the asked size and variety as orlocli lists them,
// and bad sizes are refused without writing anything.
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TestSupport::ReadFile;
using TestSupport::ToolRun;

class Generate : public testing::Test {
protected:
  std::string File(const std::string &name) const { return dir_.File(name); }

  ToolRun Run(const std::string &tool, std::vector<std::string> args) {
    args.insert(args.begin(), tool);
    return TestSupport::RunTool(args, TestSupport::ToolOptions().Home(dir_.Path()));
  }

  ToolRun Generated(const std::vector<std::string> &args, const std::string &file) {
    std::vector<std::string> all = {"generate"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(file);
    return Run("orlocli-host", all);
  }

  // A storage core list of a host in json.
  nlohmann::json List(const std::string &host, const std::vector<std::string> &words) {
    std::vector<std::string> args = {"--host", host, "--formatter", "json", "storage", "core"};
    args.insert(args.end(), words.begin(), words.end());
    ToolRun run = Run("orlocli", args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return nlohmann::json::parse(run.out);
  }

  TestSupport::TempDir dir_;
};

TEST_F(Generate, SameSeedGivesTheSameBytesAndAnotherSeedAnotherHost) {
  const std::vector<std::string> size = {"--devices", "40", "--paths-per-device", "3"};
  ASSERT_EQ(Generated(size, File("a.json")).status, 0);
  ASSERT_EQ(Generated(size, File("b.json")).status, 0);
  std::vector<std::string> otherSeed = size;
  otherSeed.insert(otherSeed.end(), {"--seed", "2"});
  ASSERT_EQ(Generated(otherSeed, File("c.json")).status, 0);

  const std::string a = ReadFile(File("a.json"));
  EXPECT_GT(a.size(), 10000u);
  EXPECT_EQ(a, ReadFile(File("b.json")));
  EXPECT_NE(a, ReadFile(File("c.json")));
  EXPECT_EQ(fs::status(File("a.json")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

// Sizes as orlocli sees them: every device, and every path (the devices' own
// plus one masked and one unclaimed path per 64 devices, at least one each).
TEST_F(Generate, HostsAreValidAndOfTheAskedSize) {
  struct Case {
    std::vector<std::string> args;
    size_t adapters;
    size_t devices;
    size_t paths;
    std::string summary;
  };
  const std::vector<Case> cases = {
      {{"--devices", "0", "--volumes", "3"}, 8, 0, 0, "8 adapters, 0 devices, 0 paths, 3 volumes (seed 1)"},
      {{"--adapters", "7", "--devices", "16", "--paths-per-device", "1"},
       7,
       16,
       18,
       "7 adapters, 16 devices, 18 paths, 0 volumes (seed 1)"},
      {{"--adapters=30", "--devices=130", "--paths-per-device=4", "--seed=99", "--volumes=100"},
       30,
       130,
       524,
       "30 adapters, 130 devices, 524 paths, 100 volumes (seed 99)"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.summary);
    const std::string host = File("host.json");
    ToolRun generated = Generated(c.args, host);
    ASSERT_EQ(generated.status, 0) << generated.err;
    EXPECT_EQ(generated.out, "Generated " + host + ": " + c.summary + "\n");

    ToolRun validated = Run("orlocli-host", {"validate", host});
    EXPECT_EQ(validated.status, 0) << validated.err;
    EXPECT_EQ(validated.out, host + ": valid\n");

    EXPECT_EQ(List(host, {"adapter", "list"}).size(), c.adapters);
    EXPECT_EQ(List(host, {"device", "list"}).size(), c.devices);
    EXPECT_EQ(List(host, {"path", "list"}).size(), c.paths);
  }
}

// The first 16 devices show every kind of the default host.
TEST_F(Generate, HostHasTheVarietyOfTheDefaultHost) {
  const std::string host = File("host.json");
  ASSERT_EQ(Generated({"--devices", "16", "--paths-per-device", "2"}, host).status, 0);

  std::set<std::string> adapterTransports;
  for (const auto &adapter : List(host, {"adapter", "list"}))
    adapterTransports.insert(adapter["Driver"].get<std::string>());
  EXPECT_EQ(adapterTransports, (std::set<std::string>{"sas3hba", "usbstor", "fcnative", "fcoenic",
                                                      "nvme_pcie", "raidsas", "iscsi_olk"}));

  const nlohmann::json devices = List(host, {"device", "list"});
  auto count = [&](const char *field, const nlohmann::json &value) {
    size_t n = 0;
    for (const auto &device : devices)
      n += device[field] == value;
    return n;
  };
  EXPECT_EQ(count("Is SAS", true), 2u); // a local disk and the RAID volume
  EXPECT_EQ(count("Is USB", true), 1u);
  EXPECT_EQ(count("Is Boot USB Device", true), 1u);
  EXPECT_EQ(count("Is Offline", true), 1u);
  EXPECT_EQ(count("Is XVOL PE", true), 1u);
  EXPECT_EQ(count("Multipath Plugin", "HPP"), 2u);
  EXPECT_EQ(count("PI Protection Mask", " T2 T0+DIX"), 1u);
  EXPECT_EQ(count("Drive Type", "logical"), 1u);

  // Transports per device, and the paths that lead to no device.
  std::map<std::string, std::set<std::string>> transports;
  std::set<std::string> pluginsWithoutDevice;
  for (const auto &path : List(host, {"path", "list"})) {
    if (path["Device"] == "No associated device")
      pluginsWithoutDevice.insert(path["Plugin"].get<std::string>());
    else
      transports[path["Device"].get<std::string>()].insert(path["Transport"].get<std::string>());
  }
  size_t mixed = 0;
  for (const auto &[device, kinds] : transports)
    mixed += kinds.size() > 1;
  EXPECT_EQ(mixed, 3u); // two FC with iSCSI, and the protocol endpoint on FC and FCoE
  EXPECT_EQ(pluginsWithoutDevice, (std::set<std::string>{"MASK_PATH", ""}));
  size_t nvmePaths = 0;
  for (const auto &path : List(host, {"nvme", "path", "list"}))
    nvmePaths += path["Device"] != "No associated device";
  EXPECT_EQ(nvmePaths, 4u); // two namespaces, two paths each
}

TEST_F(Generate, BadSizesAreRefusedAndNothingIsWritten) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const std::string file = File("host.json");
  const std::vector<Case> cases = {
      {{"--adapters", "6", file}, "--adapters needs a whole number from 7 to 1024, not \"6\""},
      {{"--adapters", "1025", file}, "--adapters needs a whole number from 7 to 1024, not \"1025\""},
      {{"--devices", "-1", file}, "--devices needs a whole number from 0 to 16384, not \"-1\""},
      {{"--devices", "16385", file}, "--devices needs a whole number from 0 to 16384, not \"16385\""},
      {{"--devices", "1e3", file}, "--devices needs a whole number from 0 to 16384, not \"1e3\""},
      {{"--paths-per-device", "0", file}, "--paths-per-device needs a whole number from 1 to 16, not \"0\""},
      {{"--paths-per-device", "17", file},
       "--paths-per-device needs a whole number from 1 to 16, not \"17\""},
      {{"--seed", "18446744073709551616", file},
       "--seed needs a whole number from 0 to 18446744073709551615, not \"18446744073709551616\""},
      {{"--volumes", "1048577", file}, "--volumes needs a whole number from 0 to 1048576, not \"1048577\""},
      {{"--devices"}, "option --devices of generate needs a value"},
      {{"--size", "3", file}, "unknown option --size for generate (see orlocli-host generate --help)"},
      {{"--devices", "3"}, "generate needs a FILE to write"},
      {{file, File("other.json")}, "unexpected argument \"" + File("other.json") + "\" for generate"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> args = {"generate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ToolRun run = Run("orlocli-host", args);
    EXPECT_EQ(run.status, 2) << c.error;
    EXPECT_EQ(run.err, "orlocli-host: " + c.error + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(file)) << c.error;
  }
}

// Generated adapters carry their transport data, and FPIN counts the targets
// the FC paths reach.
TEST_F(Generate, AdaptersCarryTheirTransportData) {
  const std::string host = File("host.json");
  ASSERT_EQ(Generated({"--devices", "16", "--adapters", "16"}, host).status, 0);
  auto san = [&](const std::vector<std::string> &words) {
    std::vector<std::string> args = {"--host", host, "--formatter", "json", "storage"};
    args.insert(args.end(), words.begin(), words.end());
    ToolRun run = Run("orlocli", args);
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out);
  };
  const nlohmann::json fc = san({"san", "fc", "list"});
  ASSERT_EQ(fc.size(), 4u);
  for (const auto &port : fc) {
    EXPECT_NE(port["Port Name"], "");
    EXPECT_NE(port["Speed"], 0);
  }
  EXPECT_EQ(san({"san", "fcoe", "list"}).at(0)["Olnic Name"], "olnic3");
  EXPECT_EQ(san({"san", "sas", "list"}).size(), 2u);   // the RAID controllers have no SAS address
  EXPECT_EQ(san({"san", "iscsi", "list"}).size(), 1u); // the software adapter only
  const nlohmann::json pairs = san({"fpin", "fc", "event", "list"});
  EXPECT_FALSE(pairs.empty());
  EXPECT_EQ(san({"fpin", "fc", "stats", "get"})["FPIN Supported Port Pairs"], std::to_string(pairs.size()));
}

} // namespace

// Virtual volumes: every container listed, every PE once, SCSI PEs on the
// generated PE devices, and stretched, inaccessible and plain containers.
TEST_F(Generate, XvolContainersAndPes) {
  const std::string host = File("host.json");
  ToolRun generated = Generated({"--devices", "32", "--xvol-containers", "120", "--xvol-pes", "40"}, host);
  ASSERT_EQ(generated.status, 0) << generated.err;
  EXPECT_EQ(generated.out, "Generated " + host +
                               ": 8 adapters, 32 devices, 130 paths, 0 volumes, 120 storage containers, 40 protocol "
                               "endpoints (seed 1)\n");
  auto xvol = [&](const std::vector<std::string> &words) {
    std::vector<std::string> args = {"--host", host, "--formatter", "json", "storage", "xvol"};
    args.insert(args.end(), words.begin(), words.end());
    ToolRun run = Run("orlocli", args);
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out);
  };
  std::map<std::string, int> arrays;
  for (const auto &container : xvol({"storagecontainer", "list"}))
    ++arrays[container["Array"].get<std::string>()];
  EXPECT_EQ(arrays.size(), 10u); // eight arrays, "Stretched" and "Unavailable"
  EXPECT_EQ(arrays["Stretched"], 5); // the 100th is inaccessible instead
  EXPECT_EQ(arrays["Unavailable"], 2);

  const nlohmann::json pes = xvol({"protocolendpoint", "list"});
  EXPECT_EQ(pes.size(), 40u);
  const std::set<std::string> devices = [&] {
    std::set<std::string> names;
    for (const auto &device : List(host, {"device", "list"}))
      names.insert(device["Device"].get<std::string>());
    return names;
  }();
  int scsi = 0;
  for (const auto &pe : pes) {
    if (pe["Type"] != "SCSI")
      continue;
    ++scsi;
    EXPECT_TRUE(devices.count(pe["Host Id"].get<std::string>())) << pe["Host Id"];
  }
  EXPECT_EQ(scsi, 14); // every third PE
}

// Sixteen volumes show every kind of the default host's volumes.
TEST_F(Generate, VolumesHaveTheVarietyOfTheDefaultHost) {
  const std::string host = File("host.json");
  ASSERT_EQ(Generated({"--devices", "16", "--volumes", "16"}, host).status, 0);
  ToolRun run = Run("orlocli", {"--host", host, "--formatter", "json", "storage", "filesystem", "list"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, int> types;
  int unmounted = 0;
  for (const auto &volume : nlohmann::json::parse(run.out)) {
    ++types[volume["Type"].get<std::string>()];
    unmounted += !volume["Mounted"].get<bool>();
  }
  EXPECT_EQ(types,
            (std::map<std::string, int>{
                {"OLFS-6", 8}, {"OLFS-5", 2}, {"OLFS-3", 2}, {"OLFS-unknown version", 2}, {"vfat", 2}}));
  EXPECT_EQ(unmounted, 2);
  run = Run("orlocli", {"--host", host, "--formatter", "json", "storage", "olfs", "snapshot", "list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out).size(), 2u);
  run = Run("orlocli", {"--host", host, "storage", "filesystem", "unmount", "-l", "ds-6"});
  EXPECT_EQ(run.err, "Volume 'ds-6' cannot be unmounted. Reason: Busy\n");
}
