// The host's system-family objects: advanced options, system and hardware
// facts, feature switches, and the choice of the host file.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Adv.h>
#include <hostctl/Exception.h>
#include <hostctl/Features.h>
#include <hostctl/Host.h>
#include <hostctl/Misc.h>
#include <hostctl/System.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using HostCtl::Adv::AdvancedIntegerOption;
using HostCtl::Adv::AdvancedStringOption;
using HostCtl::Lib::HostCtlException;

std::unique_ptr<HostCtl::Adv::AdvancedOption> Option(const std::string &group, const std::string &name) {
  return HostCtl::HostFactory::GetHost()->GetAdvancedOptions()->GetOption(group, name);
}

int64_t IntValue(const std::string &group, const std::string &name) {
  auto option = Option(group, name);
  return dynamic_cast<AdvancedIntegerOption &>(*option).GetValue();
}

TEST(HostObjects, AdvancedOptionLookUps) {
  OlkCtl::Sim::UseHostFromProfile("default");
  auto options = HostCtl::HostFactory::GetHost()->GetAdvancedOptions();
  EXPECT_EQ(options->GetOption("Disk", "NoSuchOption"), nullptr);
  EXPECT_EQ(options->GetOption("NoSuchGroup", "MaxLUN"), nullptr);
  EXPECT_TRUE(options->GetOptions("NoSuchGroup").empty());
  // The options of a group come in host order.
  std::vector<std::string> scsi;
  for (const auto &o : options->GetOptions("Scsi"))
    scsi.push_back(o->GetName());
  EXPECT_EQ(scsi.front(), "LunCleanupInterval");
}

TEST(HostObjects, SettingIntegerOptionsChecksTheRange) {
  struct Case {
    int64_t value;
    std::optional<std::string> error;
  };
  const std::vector<Case> cases = {
      {1, std::nullopt},
      {16384, std::nullopt},
      {0, "Invalid value 0 for option /Disk/MaxLUN: it must be between 1 and 16384"},
      {16385, "Invalid value 16385 for option /Disk/MaxLUN: it must be between 1 and 16384"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.value);
    OlkCtl::Sim::UseHostFromProfile("default");
    auto option = Option("Disk", "MaxLUN");
    auto &integer = dynamic_cast<AdvancedIntegerOption &>(*option);
    if (c.error) {
      EXPECT_EQ(ErrorText<HostCtlException>([&] { integer.SetValue(c.value); }), *c.error);
      EXPECT_EQ(IntValue("Disk", "MaxLUN"), 1024);
    } else {
      integer.SetValue(c.value);
      EXPECT_EQ(integer.GetValue(), c.value);
      EXPECT_EQ(IntValue("Disk", "MaxLUN"), c.value);
    }
  }
}

TEST(HostObjects, StringOptionChangeIsKeptInTheFile) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("host.json");
  ASSERT_TRUE(OlkCtl::Sim::CreateHostFile(path, "default", false));
  OlkCtl::Sim::UseHostFile(path);
  auto option = Option("Scsi", "ExtendedLogDevices");
  ASSERT_NE(option, nullptr);
  ASSERT_EQ(option->GetType(), HostCtl::Adv::AdvancedOption::Type::String);
  dynamic_cast<AdvancedStringOption &>(*option).SetValue("naa.1,naa.2");

  OlkCtl::Sim::UseHostFile(path);
  auto reread = Option("Scsi", "ExtendedLogDevices");
  EXPECT_EQ(dynamic_cast<AdvancedStringOption &>(*reread).GetValue(), "naa.1,naa.2");
  EXPECT_EQ(dynamic_cast<AdvancedStringOption &>(*reread).GetDefault(), "");
}

TEST(HostObjects, OptionRemovedMeanwhileCannotBeSet) {
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, "system": {"advancedOptions": {"G": {
      "N": {"value": 1, "default": 1, "min": 0, "max": 9}}}}})");
  auto option = Option("G", "N");
  OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1})");
  EXPECT_EQ(ErrorText<HostCtlException>([&] { dynamic_cast<AdvancedIntegerOption &>(*option).SetValue(2); }),
            "Option /G/N does not exist");
}

TEST(HostObjects, FeatureListFollowsTheCurrentHost) {
  struct Case {
    const char *switches;
    std::vector<int> on;
  };
  const std::vector<Case> cases = {
      {"[312]", {312}},
      {R"({"322": true, "127": false, "0": true, "1023": true})", {0, 322, 1023}},
      {"[]", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.switches);
    OlkCtl::Sim::UseHostFromJson(std::string(R"({"schemaVersion": 1, "system": {"featureSwitches": )") +
                                 c.switches + "}}");
    OlkCtl::Sim::FillFeatureList();
    std::vector<int> on;
    for (int i = 0; i < HostCtl::kFeatureCount; ++i)
      if (*FeatureList[i])
        on.push_back(i);
    EXPECT_EQ(on, c.on);
  }
}

TEST(HostObjects, StrPrintfFormatsShortAndLongTexts) {
  EXPECT_EQ(HostCtl::Misc::StrPrintf("%s:%04x:%lld", "dev", 0x2a, -7LL), "dev:002a:-7");
  std::string longText(1000, 'z');
  EXPECT_EQ(HostCtl::Misc::StrPrintf("<%s>", longText.c_str()), "<" + longText + ">");
  EXPECT_EQ(HostCtl::Misc::StrPrintf("%s", ""), "");
}

// Sets an environment variable for the life of the object.
class EnvVar {
public:
  EnvVar(const char *name, const std::optional<std::string> &value) : name_(name) {
    if (const char *old = std::getenv(name))
      old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

private:
  const char *name_;
  std::optional<std::string> old_;
};

TEST(HostObjects, HostFileChoice) {
  TestSupport::TempDir dir;
  struct Case {
    const char *name;
    std::string option;
    std::optional<std::string> orlocliHost, xdg, home;
    std::string expected;
    bool created; // the default profile was written there
  };
  const std::vector<Case> cases = {
      {"OptionFirst", dir.File("opt.json"), dir.File("env.json"), dir.Path() + "/xdg", dir.Path(),
       dir.File("opt.json"), false},
      {"EnvironmentNext", "", dir.File("env.json"), dir.Path() + "/xdg", dir.Path(), dir.File("env.json"),
       false},
      {"EmptyEnvironmentIsUnset", "", "", dir.Path() + "/xdg", dir.Path(),
       dir.Path() + "/xdg/orlocli/host.json", true},
      {"XdgStateHome", "", std::nullopt, dir.Path() + "/xdg2", dir.Path(),
       dir.Path() + "/xdg2/orlocli/host.json", true},
      {"RelativeXdgIsIgnored", "", std::nullopt, "relative/xdg", dir.Path() + "/home",
       dir.Path() + "/home/.local/state/orlocli/host.json", true},
      {"HomeLast", "", std::nullopt, std::nullopt, dir.Path() + "/home2",
       dir.Path() + "/home2/.local/state/orlocli/host.json", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EnvVar host("ORLOCLI_HOST", c.orlocliHost), xdg("XDG_STATE_HOME", c.xdg), home("HOME", c.home);
    EXPECT_EQ(OlkCtl::Sim::HostPathFor(c.option), c.expected);
    EXPECT_EQ(OlkCtl::Sim::ResolveHostPath(c.option), c.expected);
    struct stat st {};
    bool exists = ::stat(c.expected.c_str(), &st) == 0;
    EXPECT_EQ(exists, c.created);
    if (exists) {
      EXPECT_EQ(st.st_mode & 0777, 0600u);
      OlkCtl::Sim::UseHostFile(c.expected);
      EXPECT_EQ(HostCtl::HostFactory::GetHost()->GetSystemInfo()->GetHostName(), "olhost-01");
    }
  }
}

} // namespace
