// The claim-rule family of the simulated host: its document, world-wide
// numbers, the two sides of a rule under add/remove/move/load, claiming by the
// loaded rules, the module-name check and the configuration-file lock.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/PsaClaimRule.h>
#include <hostctl/storage/ScsiPath.h>
#include <olkctl/config/ConfigFile.h>
#include <olkctl/sim/HostControl.h>
#include <olkctl/storage/FibreChannelInterfaceImpl.h>
#include <olkctl/storage/ModuleImpl.h>
#include <olkctl/storage/PsaClaimRuleImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::PsaClaimRule;
using OlkCtl::Storage::FibreChannelInterfaceImpl;
using OlkCtl::Storage::PsaClaimRuleImpl;
using OlkCtl::Storage::StorageInfoImpl;

constexpr auto kMp = HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP;
constexpr auto kFilter = HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER;

// A small host: two adapters, three devices, five paths, and the MP rules
// given (on both sides).
std::string Host(const std::string &mpRules) {
  return R"({"schemaVersion": 1,
    "adapters": [{"name": "olhba2", "transport": "fc", "driver": "fcnative"},
                 {"name": "olhba64", "transport": "iscsi", "driver": "iscsi_sw"}],
    "devices": [
      {"name": "naa.1", "vendor": "EMC     ", "model": "SYMMETRIX       ", "uids": ["naa.1", "olr.1"]},
      {"name": "naa.2", "vendor": "DGC     ", "model": "VRAID           ", "uids": ["naa.2"]},
      {"name": "eui.3", "vendor": "NVMe    ", "model": "HX7", "nvme": true, "uids": ["eui.3"],
       "nvmeControllerModel": "HEXON HXP7 3.84TB  ", "pciVendorId": 7544, "pciSubVendorId": 7545}],
    "paths": [
      {"uid": "p1", "runtimeName": "olhba2:C0:T0:L1", "device": "naa.1", "adapter": "olhba2", "lun": 1,
       "targetIdentifier": "fc.50060160c6e00304:5006016046e00304", "plugin": "NMP"},
      {"uid": "p2", "runtimeName": "olhba2:C0:T1:L2", "device": "naa.2", "adapter": "olhba2", "target": 1,
       "lun": 2, "targetIdentifier": "fc.50060160c6e00304:5006016846e00304", "plugin": "NMP"},
      {"uid": "p3", "runtimeName": "olhba64:C0:T0:L2", "device": "naa.2", "adapter": "olhba64", "lun": 2,
       "targetIdentifier": "00023d000001,iqn.1992-04.org.example:array.a0,t,1", "plugin": "NMP"},
      {"uid": "p4", "runtimeName": "olhba5:C0:T0:L1", "device": "eui.3", "adapter": "olhba5", "lun": 1,
       "plugin": "HPP"},
      {"uid": "p5", "runtimeName": "olhba2:C0:T2:L5", "adapter": "olhba2", "target": 2, "lun": 5,
       "targetIdentifier": "fc.50060160c6e00304:5006016a46e00304", "plugin": "MASK_PATH"}],
    "claimRules": {"MP": {"runtime": )" +
         mpRules + R"(, "file": )" + mpRules + R"(}},
    "plugins": {"loaded": [{"name": "NMP", "class": "MP"}, {"name": "HPP", "class": "MP", "protocol": "scsi+nvme"},
      {"name": "MASK_PATH", "class": "MP"}, {"name": "HWAC_FILTER", "class": "Filter"}]}})";
}

std::map<std::string, std::string> PluginsByPath() {
  std::map<std::string, std::string> plugins;
  StorageInfoImpl info;
  for (const auto &path : info.GetScsiPaths())
    plugins[path->GetRuntimeName()] = path->GetPluginName();
  return plugins;
}

TEST(ClaimRulesState, WorldWideNumbersBothWays) {
  struct Case {
    std::string text;
    uint64_t number;
    std::string canonical;
  };
  const std::vector<Case> cases = {
      {"50:06:01:60:ba:60:11:53", 0x50060160ba601153ull, "50:06:01:60:ba:60:11:53"},
      {"50:06:01:60:BA:60:11:53", 0x50060160ba601153ull, "50:06:01:60:ba:60:11:53"},
      {"5006016046e00304", 0x5006016046e00304ull, "50:06:01:60:46:e0:03:04"},
      {"0x2000000000000001", 0x2000000000000001ull, "20:00:00:00:00:00:00:01"},
      {"00:00:00:00:00:00:00:00", 0, "00:00:00:00:00:00:00:00"},
      {"ff:ff:ff:ff:ff:ff:ff:ff", ~0ull, "ff:ff:ff:ff:ff:ff:ff:ff"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FibreChannelInterfaceImpl::GetWorldWideNumberFromString(c.text), c.number);
    EXPECT_EQ(FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(c.number), c.canonical);
  }
  for (const std::string bad :
       {"", "50:06:01:60:ba:60:11", "50:06:01:60:ba:60:11:53:00", "50-06-01-60-ba-60-11-53",
        "5006:0160:ba60:1153", "50:06:01:60:ba:60:11:5g", "5006016046e0030", "x"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(FibreChannelInterfaceImpl::GetWorldWideNumberFromString(bad), HostCtlException);
  }
}

TEST(ClaimRulesState, DocumentsWithBadRulesAreRefused) {
  struct Case {
    std::string rules;
    std::string problem; // expected in the message
  };
  const std::vector<Case> cases = {
      {R"([{"rule": 1, "type": "vendr", "plugin": "NMP"}])",
       "claimRules.MP.runtime[0]: unknown rule type 'vendr'"},
      {R"([{"rule": 1, "type": "transport", "transport": "scsi", "plugin": "NMP"}])",
       "unknown transport 'scsi'"},
      {R"([{"rule": 70000, "type": "driver", "plugin": "NMP"}])", "rule ID 70000 is outside 0..65535"},
      {R"([{"rule": 5, "type": "driver", "plugin": "NMP"}, {"rule": 5, "type": "driver", "plugin": "HPP"}])",
       "claimRules.MP.runtime[1]: rule ID 5 is used twice"},
      {R"([{"rule": 1, "type": "target", "transport": "fc", "wwnn": "50:06", "plugin": "NMP"}])",
       "malformed world-wide number '50:06'"},
      {R"([{"rule": 1, "type": "driver", "plugin": "NMP", "colour": "red"}])", "colour"},
      {R"([{"rule": -1, "type": "driver", "plugin": "NMP"}])", "claimRules.MP.runtime[0].rule"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.rules);
    const std::string error =
        ErrorText<OlkCtl::Sim::StateError>([&] { OlkCtl::Sim::UseHostFromJson(Host(c.rules)); });
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
  }
}

// Adding writes the file (a boot rule the kernel); removing and moving change
// the file entry, or the kernel's when the rule is only there; loading makes
// the kernel's set the file's.
TEST(ClaimRulesState, SidesUnderAddRemoveMoveLoad) {
  OlkCtl::Sim::UseHostFromJson(
      Host(R"([{"rule": 200, "type": "driver", "driver": "fcnative", "plugin": "NMP"}])"));
  auto sides = [] {
    std::string text;
    StorageInfoImpl info;
    for (const auto &rule : info.GetPsaClaimRules(true, true, kMp))
      text += std::to_string(rule->GetRuleId()) + (rule->IsPresent(PsaClaimRule::SIDE_RUNTIME) ? "r" : "") +
              (rule->IsPresent(PsaClaimRule::SIDE_FILE) ? "f" : "") + " ";
    return text;
  };
  StorageInfoImpl info;
  auto newRule = [](uint32_t id) {
    PsaClaimRuleImpl rule(id, "MP");
    rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_TRANSPORT);
    rule.SetPluginName("NMP");
    rule.SetTransport(HostCtl::Storage::ScsiInterface::SCSI_IFACE_TYPE_SAS);
    return rule;
  };
  auto fileRule = newRule(300);
  info.AddPsaClaimRule(fileRule, false);
  auto bootRule = newRule(150);
  info.AddPsaClaimRule(bootRule, true);
  EXPECT_EQ(sides(), "150r 200rf 300f ");

  info.RemovePsaClaimRule(200, kMp);
  info.RemovePsaClaimRule(150, kMp);
  EXPECT_EQ(sides(), "200r 300f ");
  EXPECT_THROW(info.RemovePsaClaimRule(999, kMp), HostCtlException);

  info.GetPsaClaimRule(300, kMp)->Move(310);
  info.GetPsaClaimRule(200, kMp)->Move(210);
  EXPECT_EQ(sides(), "210r 310f ");

  info.ClearPsaClaimRules(kMp);
  info.LoadPsaClaimRules(kMp);
  EXPECT_EQ(sides(), "310rf ");

  // Only the requested sides are reported.
  auto fileOnly = info.GetPsaClaimRules(false, true, kMp);
  ASSERT_EQ(fileOnly.size(), 1u);
  EXPECT_FALSE(fileOnly[0]->IsPresent(PsaClaimRule::SIDE_RUNTIME));
  EXPECT_TRUE(info.GetPsaClaimRules(true, false, kFilter).empty());
}

TEST(ClaimRulesState, AddRefusals) {
  OlkCtl::Sim::UseHostFromJson(
      Host(R"([{"rule": 200, "type": "driver", "driver": "fcnative", "plugin": "NMP"}])"));
  struct Case {
    uint32_t id;
    bool forceReserved;
    std::string plugin;
    std::string message;
  };
  const std::vector<Case> cases = {
      {200, false, "NMP", "A claim rule with id 200 already exists in class MP."},
      {100, false, "NMP", "Rule id 100 is reserved for system rules."},
      {65436, false, "NMP", "Rule id 65436 is reserved for system rules."},
      {65536, true, "NMP", "Rule id 65536 is outside the rule id range."},
      {500, false, "", "A claim rule needs a plug-in name."},
  };
  StorageInfoImpl info;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    PsaClaimRuleImpl rule(c.id, "MP");
    rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_DRIVER);
    rule.SetPluginName(c.plugin);
    rule.SetForceReserved(c.forceReserved);
    EXPECT_EQ(ErrorText<HostCtlException>([&] { info.AddPsaClaimRule(rule, false); }), c.message);
  }
  EXPECT_EQ(info.GetPsaClaimRules(true, true, kMp).size(), 1u);
}

// Which paths one loaded rule claims, and what the others get: nothing
// matches them, so they end up unclaimed.
TEST(ClaimRulesState, RunningRulesClaimMatchingPaths) {
  struct Case {
    std::string rule; // members after "rule" and "plugin"
    std::vector<std::string> claimed;
  };
  const std::vector<Case> cases = {
      {R"("type": "vendor", "vendor": "EMC", "model": "SYMMETRIX")", {"olhba2:C0:T0:L1"}},
      {R"("type": "vendor", "vendor": "DGC", "model": "*")", {"olhba2:C0:T1:L2", "olhba64:C0:T0:L2"}},
      {R"("type": "vendor", "vendor": "DG*", "model": "VR*")", {"olhba2:C0:T1:L2", "olhba64:C0:T0:L2"}},
      {R"("type": "vendor", "vendor": "DG", "model": "*")", {}},
      {R"("type": "vendor", "vendor": "*", "model": "*")",
       {"olhba2:C0:T0:L1", "olhba2:C0:T1:L2", "olhba64:C0:T0:L2", "olhba5:C0:T0:L1"}},
      {R"("type": "vendor")", {"olhba5:C0:T0:L1"}},
      {R"("type": "vendor", "nvmeControllerModel": "HEXON HXP7*")", {"olhba5:C0:T0:L1"}},
      {R"("type": "vendor", "nvmeControllerModel": "HEXON HXP8*")", {}},
      {R"("type": "vendor", "pciVendorId": 7544)", {"olhba5:C0:T0:L1"}},
      {R"("type": "vendor", "pciVendorId": 7544, "pciSubVendorId": 7544)", {}},
      {R"("type": "location", "adapter": "olhba2")",
       {"olhba2:C0:T0:L1", "olhba2:C0:T1:L2", "olhba2:C0:T2:L5"}},
      {R"("type": "location", "adapter": "olhba2", "target": 2, "lun": 5)", {"olhba2:C0:T2:L5"}},
      {R"("type": "location", "lun": 2)", {"olhba2:C0:T1:L2", "olhba64:C0:T0:L2"}},
      {R"("type": "driver", "driver": "iscsi_sw")", {"olhba64:C0:T0:L2"}},
      {R"("type": "transport", "transport": "fc")",
       {"olhba2:C0:T0:L1", "olhba2:C0:T1:L2", "olhba2:C0:T2:L5"}},
      {R"("type": "transport", "transport": "unknown")", {"olhba5:C0:T0:L1"}},
      {R"("type": "target", "transport": "fc", "wwnn": "50:06:01:60:c6:e0:03:04", "wwpn": "50:06:01:68:46:e0:03:04")",
       {"olhba2:C0:T1:L2"}},
      {R"("type": "target", "transport": "fc", "wwnn": "50:06:01:60:c6:e0:03:04", "wwpn": "50:06:01:68:46:e0:03:04",
          "lun": 3)",
       {}},
      {R"("type": "target", "transport": "iscsi", "iqn": "iqn.1992-04.org.example:array.a0", "lun": 2)",
       {"olhba64:C0:T0:L2"}},
      {R"("type": "target", "transport": "iscsi", "iqn": "iqn.1992-04.org.example:array")", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.rule);
    OlkCtl::Sim::UseHostFromJson(Host(R"([{"rule": 1000, "plugin": "HPP", )" + c.rule + "}]"));
    StorageInfoImpl info;
    info.RunClaimRules(kMp, false);
    std::vector<std::string> claimed;
    for (const auto &[path, plugin] : PluginsByPath()) {
      if (plugin == "HPP")
        claimed.push_back(path);
      else
        EXPECT_EQ(plugin, "") << path;
    }
    std::vector<std::string> expected = c.claimed;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(claimed, expected);
  }
}

// The lowest matching ID wins; a location run touches only its paths.
TEST(ClaimRulesState, FirstMatchingRuleWinsAndLocationRunsAreLimited) {
  OlkCtl::Sim::UseHostFromJson(Host(R"([
      {"rule": 10, "type": "location", "adapter": "olhba2", "target": 2, "plugin": "MASK_PATH"},
      {"rule": 20, "type": "transport", "transport": "fc", "plugin": "HPP"},
      {"rule": 65535, "type": "vendor", "vendor": "*", "model": "*", "plugin": "NMP"}])"));
  StorageInfoImpl info;
  info.RunClaimRulesOnLocation("olhba2", PsaClaimRule::WILDCARD, 1, PsaClaimRule::WILDCARD);
  EXPECT_EQ(PluginsByPath(), (std::map<std::string, std::string>{{"olhba2:C0:T0:L1", "NMP"},
                                                                 {"olhba2:C0:T1:L2", "HPP"},
                                                                 {"olhba2:C0:T2:L5", "MASK_PATH"},
                                                                 {"olhba5:C0:T0:L1", "HPP"},
                                                                 {"olhba64:C0:T0:L2", "NMP"}}));
  info.RunClaimRules(kMp, true);
  EXPECT_EQ(PluginsByPath(), (std::map<std::string, std::string>{{"olhba2:C0:T0:L1", "HPP"},
                                                                 {"olhba2:C0:T1:L2", "HPP"},
                                                                 {"olhba2:C0:T2:L5", "MASK_PATH"},
                                                                 {"olhba5:C0:T0:L1", "NMP"},
                                                                 {"olhba64:C0:T0:L2", "NMP"}}));
  // naa.2's first path (olhba2) is HPP now.
  EXPECT_EQ(info.GetLun("naa.2", false)->GetMultipathPluginName(), "HPP");
}

TEST(ClaimRulesState, ModuleNamesAreTheLoadedDrivers) {
  OlkCtl::Sim::UseHostFromJson(Host("[]"));
  const std::vector<std::pair<std::string, bool>> cases = {
      {"fcnative", true}, {"iscsi_sw", true},   {"fcnativ", false}, {"FCNATIVE", false},
      {"", false},        {"fc native", false}, {"mptscsi", false}, {std::string(64, 'a'), false},
  };
  for (const auto &[name, valid] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OlkCtl::Storage::ModuleImpl::IsValidName(name), valid);
  }
}

// The listing's lock is the host file's: a writer in another process waits
// until the lock is released.
TEST(ClaimRulesState, ConfigFileLockHoldsOffWriters) {
  TestSupport::TempDir dir;
  const std::string file = dir.File("host.json");
  TestSupport::WriteFile(file, Host("[]"));
  OlkCtl::Sim::UseHostFile(file);

  auto config = OlkCtl::Config::ConfigFile::GetFile();
  config->Lock();
  EXPECT_TRUE(config->IsLocked());
  const auto start = std::chrono::steady_clock::now();
  pid_t writer = TestSupport::Spawn([&file] {
    OlkCtl::Sim::UseHostFile(file);
    PsaClaimRuleImpl rule(700, "MP");
    rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_DRIVER);
    rule.SetPluginName("NMP");
    StorageInfoImpl().AddPsaClaimRule(rule, false);
    return true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // Still locked: the rule cannot have been written yet.
  EXPECT_EQ(StorageInfoImpl().GetPsaClaimRule(700, kMp), nullptr);
  config->Unlock();
  EXPECT_FALSE(config->IsLocked());
  ASSERT_TRUE(TestSupport::WaitOk(writer));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_NE(StorageInfoImpl().GetPsaClaimRule(700, kMp), nullptr);
}

} // namespace
