// storage kflash ...: SSD eligibility at its boundaries, the two filters,
// module information and statistics, host failures.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace TestSupport;

namespace {

struct Ssd {
  std::string name;
  uint64_t size = 0;
  bool local = true;
  std::string partitions = "[]"; // JSON array of partition entries
  bool ssd = true;
};

std::string Partition(int number, int type) {
  return R"({"number": )" + std::to_string(number) + R"(, "type": )" + std::to_string(type) +
         R"(, "startSector": )" + std::to_string(2048 * number) + R"(, "endSector": )" +
         std::to_string(2048 * number + 1000) + "}";
}

// A host of the given disks, a SAS adapter "sas0" and an FC adapter "fc0",
// the given paths ("adapter device" pairs) and volumes (a JSON array).
void UseDiskHost(const std::vector<Ssd> &disks,
                 const std::vector<std::pair<std::string, std::string>> &paths = {},
                 const std::string &volumes = "[]") {
  std::string devices;
  for (const Ssd &d : disks) {
    if (!devices.empty())
      devices += ",";
    devices += R"({"name": ")" + d.name + R"(", "deviceType": "Direct-Access", "size": )" +
               std::to_string(d.size) + R"(, "local": )" + (d.local ? "true" : "false") + R"(, "ssd": )" +
               (d.ssd ? "true" : "false") + R"(, "partitionTable": 2, "partitions": )" + d.partitions + "}";
  }
  std::string pathList;
  int target = 0;
  for (const auto &[adapter, device] : paths) {
    if (!pathList.empty())
      pathList += ",";
    const std::string runtime = adapter + ":C0:T" + std::to_string(target++) + ":L0";
    pathList += R"({"uid": ")" + runtime + R"(", "runtimeName": ")" + runtime + R"(", "adapter": ")" +
                adapter + R"(", "device": ")" + device + R"(", "state": "active"})";
  }
  UseHostJson(R"({"schemaVersion": 1, "adapters": [
      {"name": "sas0", "uid": "sas.1", "transport": "sas"},
      {"name": "fc0", "uid": "fc.1:2", "transport": "fc"}],
    "devices": [)" +
              devices + R"(], "paths": [)" + pathList + R"(], "volumes": {"volumes": )" + volumes + "}}");
}

std::string Volume(const std::string &uuid, const std::string &type, const std::string &extents) {
  return R"({"uuid": ")" + uuid + R"(", "label": ")" + uuid + R"(", "type": ")" + type + R"(", "extents": )" +
         extents + "}";
}

const std::vector<std::string> kRow = {"Name", "Size", "Is Local", "Is Used in kflash", "Eligibility"};

constexpr uint64_t kMiB = 1048576;
constexpr uint64_t kTiB = 1099511627776;

} // namespace

TEST(KFlashDeviceListTest, SizeBoundaries) {
  struct Case {
    uint64_t size;
    std::string line;
  };
  const std::vector<Case> cases = {
      {301 * kMiB, "d | 301 | true | false | Yes, this is a blank disk."},
      {301 * kMiB - 1, "d | 300 | true | false | No, it is too small"},
      {kMiB, "d | 1 | true | false | No, it is too small"},   // nothing usable
      {kMiB - 1, "d | 0 | true | false | No, it is too big"}, // wraps around
      {0, "d | 0 | true | false | No, it is too big"},
      {4 * kTiB + kMiB, "d | 4194305 | true | false | Yes, this is a blank disk."},
      {4 * kTiB + kMiB + 1, "d | 4194305 | true | false | No, it is too big"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.size);
    UseDiskHost({{"d", c.size}});
    auto run = RunCommand("storage kflash device list");
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(Lines(run.root, kRow), std::vector<std::string>{c.line});
  }
}

TEST(KFlashDeviceListTest, LocalityAndTransport) {
  // Size tests come first: a remote SSD that is too small says so.
  UseDiskHost({{"sas-only", 100 * kMiB, false},
               {"sas", kTiB, false},
               {"fc", kTiB, false},
               {"mixed", kTiB, false},
               {"pathless", kTiB, false},
               {"hdd", kTiB, false, "[]", false}},
              {{"sas0", "sas-only"},
               {"sas0", "sas"},
               {"sas0", "sas"},
               {"fc0", "fc"},
               {"sas0", "mixed"},
               {"fc0", "mixed"},
               {"sas0", "hdd"}});
  EXPECT_EQ(Lines(RunCommand("storage kflash device list").root, {"Name", "Is Local", "Eligibility"}),
            (std::vector<std::string>{
                "sas-only | false | No, it is too small", "sas | false | Detected as a remote SAS SSD",
                "fc | false | Is not local SSD device", "mixed | false | Is not local SSD device",
                "pathless | false | Is not local SSD device"}));
}

TEST(KFlashDeviceListTest, PartitionLayoutsAndFileSystems) {
  struct Case {
    std::string what;
    std::string partitions;
    std::string volumes;
    std::string line; // used | eligibility
  };
  const std::string fb = "[" + Partition(1, 0xfb) + "]";
  const std::string head = R"([{"device": "d", "partition": 1}])";
  const std::string second = R"([{"device": "other", "partition": 1}, {"device": "d", "partition": 1}])";
  const std::string elsewhere = R"([{"device": "d", "partition": 2}])";
  const std::vector<Case> cases = {
      {"empty 0xfb", fb, "[]", "false | Yes, there are valid partitions for kflash "}, // trailing blank
      {"flash file system", fb, "[" + Volume("k", "KFFS", head) + "]",
       "true | It has been configured for kflash"},
      {"datastore", fb, "[" + Volume("o", "OLFS", head) + "]", "false | No, there are other filesystems"},
      {"type compared exactly", fb, "[" + Volume("k", "kffs", head) + "]",
       "false | No, there are other filesystems"},
      {"only a later extent", fb, "[" + Volume("o", "OLFS", second) + "]",
       "false | Yes, there are valid partitions for kflash "},
      {"another partition's", fb, "[" + Volume("o", "OLFS", elsewhere) + "]",
       "false | Yes, there are valid partitions for kflash "},
      {"one other partition", "[" + Partition(1, 7) + "]", "[]", "false | Other partitions exist"},
      {"two partitions", "[" + Partition(1, 7) + "," + Partition(2, 0xfb) + "]", "[]",
       "false | Other partitions exist"},
      {"two 0xfb partitions", "[" + Partition(1, 0xfb) + "," + Partition(2, 0xfb) + "]", "[]",
       "false | Other partitions exist"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    UseDiskHost(
        {{"other", kTiB, true, "[" + Partition(1, 0xfb) + "]", false}, {"d", kTiB, true, c.partitions}}, {},
        c.volumes);
    auto run = RunCommand("storage kflash device list");
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(Lines(run.root, {"Is Used in kflash", "Eligibility"}), std::vector<std::string>{c.line});
  }
}

// Blank: eligible and unused; configured: used and not eligible; small: neither.
TEST(KFlashDeviceListTest, UsedAndEligibleFilters) {
  struct Case {
    std::string args;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"", {"blank", "configured", "small"}},
      {"-u true", {"configured"}},
      {"-u false", {"blank", "small"}},
      {"-e true", {"blank"}},
      {"--eligible false", {"configured", "small"}},
      {"-u true -e true", {}},
      {"-u false -e true", {"blank"}},
      {"--used true -e false", {"configured"}},
      {"-u false -e false", {"small"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    UseDiskHost(
        {{"blank", kTiB}, {"configured", kTiB, true, "[" + Partition(1, 0xfb) + "]"}, {"small", kMiB}}, {},
        "[" + Volume("k", "KFFS", R"([{"device": "configured", "partition": 1}])") + "]");
    auto run = RunCommand("storage kflash device list " + c.args);
    ASSERT_NE(RootList(run.root), nullptr);
    EXPECT_EQ(Column(run.root, "Name"), c.names);
  }
}

// On the default host: the SSD with an empty 0xfb partition, and the remote SAS SSD.
TEST(KFlashDeviceListTest, HostFailures) {
  const std::string error = "Error getting kflash device list boom";
  ExpectHostFailures({
      {"storage kflash device list", "StorageInfo::GetDiskLuns", "", error},
      {"storage kflash device list", "DiskLun::GetPartitions", "naa.5000cca0b1c2e004", error},
      {"storage kflash device list", "DiskLun::GetPartitions", "naa.5000cca0b1c2e001", error}, // too small
      {"storage kflash device list -u true", "DiskLun::IsTransportType", "naa.5000cca0b1c2e003", error},
      {"storage kflash device list", "VmFileSystemImpl::FindOlfsFileSystemGivenHeadPartition",
       "naa.5000cca0b1c2e004:1", error},
  });
  // A disk that is not an SSD is skipped before anything is asked of it.
  UseProfile();
  InjectFault("DiskLun::GetPartitions", "naa.5000c500d4e5f6a7", "boom");
  EXPECT_TRUE(RunCommand("storage kflash device list").errors.empty());
}

TEST(KFlashModuleTest, ModeMaskTexts) {
  struct Case {
    int mask;
    std::string text;
  };
  const std::vector<Case> cases = {{0, ""}, {1, "WriteThru "}, {2, "WriteBack"}, {3, "WriteThru WriteBack"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.mask);
    UseHostJson(R"({"schemaVersion": 1, "kflash": [{"name": "m", "modeMask": )" + std::to_string(c.mask) +
                "}]}");
    auto rows = Rows(RunCommand("storage kflash module get -m m").root);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Text(rows[0], "supportedModeMask"), c.text);
  }
}

// Without -m the module is "kfc"; an unknown module is refused by get and
// counts 0 in stats get.
TEST(KFlashModuleTest, DefaultAndUnknownModules) {
  UseHostJson(R"({"schemaVersion": 1, "kflash": [
      {"name": "other", "revision": "9", "activeOldks": 8},
      {"name": "kfc", "revision": "1.0", "modeMask": 1, "cacheSizeMin": 4, "cacheSizeMax": 409600,
       "cacheBlockSizeMin": 4, "cacheBlockSizeMax": 1024, "diskSizeMax": 9223372036854775807,
       "minModuleVersion": "0.9", "activeOldks": 3}]})");
  EXPECT_EQ(RootList(RunCommand("storage kflash module list").root)->Size(), 2u);
  auto info = Rows(RunCommand("storage kflash module get").root);
  ASSERT_EQ(info.size(), 1u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"revision", "1.0"},
      {"supportedModeMask", "WriteThru "},
      {"supportedCacheSizeMin", "4"},
      {"supportedCacheSizeMax", "409600"},
      {"supportedCacheBlockSizeMin", "4"},
      {"supportedCacheBlockSizeMax", "1024"},
      {"supportedDiskSizeMax", "9223372036854775807"},
      {"minSupportedModuleVersion", "0.9"}};
  EXPECT_EQ(Fields(info[0]), expected);

  struct Case {
    std::string args;
    std::string count;
  };
  for (const Case &c : std::vector<Case>{{"", "3"}, {"-m other", "8"}, {"--module-name nosuch", "0"}}) {
    SCOPED_TRACE(c.args);
    auto run = RunCommand("storage kflash module stats get " + c.args);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(Lines(run.root, {"Num Active OLDKs"}), std::vector<std::string>{c.count});
  }

  auto unknown = RunCommand("storage kflash module get -m KFC");
  EXPECT_EQ(unknown.errors, std::vector<std::string>{"Unable to get module information for module:KFC"});
  EXPECT_EQ(unknown.root, nullptr);
}

TEST(KFlashModuleTest, ModuleListKeepsHostOrder) {
  UseProfile();
  auto list = RootList(RunCommand("storage kflash module list").root);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Size(), 2u);
  UseHostJson(R"({"schemaVersion": 1})");
  auto none = RunCommand("storage kflash module list");
  EXPECT_TRUE(none.errors.empty());
  ASSERT_NE(RootList(none.root), nullptr);
  EXPECT_EQ(RootList(none.root)->Size(), 0u);
}

TEST(KFlashModuleTest, HostFailures) {
  ExpectHostFailures({
      {"storage kflash module list", "KFlashInfo::GetModuleNames", "",
       "Error getting kflash module list boom"},
      {"storage kflash module get", "KFlashInfo::GetModuleInfo", "kfc",
       "Error getting kflash module info boom"},
      {"storage kflash module get -m kfwb", "KFlashInfo::GetModuleInfo", "kfwb",
       "Error getting kflash module info boom"},
      {"storage kflash module stats get", "KFlashInfo::GetModuleStats", "kfc",
       "Unable to get kflash module statistics.boom"},
  });
}
