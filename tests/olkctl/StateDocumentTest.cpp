// Loading, saving and refusing host documents, in memory and in files.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Adv.h>
#include <hostctl/Host.h>
#include <olkctl/sim/HostControl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using OlkCtl::Sim::StateError;
using Json = nlohmann::ordered_json;

const char *const kSmallHost = R"({
  "schemaVersion": 1,
  "system": {
    "hostName": "olhost-t",
    "featureSwitches": [312, 5],
    "advancedOptions": {
      "Disk": {
        "MaxLUN": {"value": 900, "default": 1024, "min": 1, "max": 16384, "description": "Highest LUN"}
      },
      "Misc": {"Banner": {"value": "hi", "default": "", "description": "Greeting"}}
    }
  },
  "faults": [{"operation": "Host::GetStorageInfo", "message": "down", "times": 3}]
})";

TEST(StateDocument, EveryProfileSurvivesLoadSaveLoad) {
  for (const std::string &profile : OlkCtl::Sim::ProfileNames()) {
    SCOPED_TRACE(profile);
    OlkCtl::Sim::UseHostFromProfile(profile);
    std::string first = OlkCtl::Sim::CurrentStateJson();
    OlkCtl::Sim::UseHostFromJson(first);
    EXPECT_EQ(OlkCtl::Sim::CurrentStateJson(), first);
  }
}

TEST(StateDocument, CreatedHostFileHoldsTheProfileInSavedForm) {
  TestSupport::TempDir dir;
  const std::string path = dir.File("nested/deeper/host.json");
  ASSERT_TRUE(OlkCtl::Sim::CreateHostFile(path, "default", false));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  OlkCtl::Sim::UseHostFromProfile("default");
  EXPECT_EQ(TestSupport::ReadFile(path), OlkCtl::Sim::CurrentStateJson());

  // An existing host is left alone unless replacing is asked for.
  TestSupport::WriteFile(path, "not even JSON");
  EXPECT_FALSE(OlkCtl::Sim::CreateHostFile(path, "empty", false));
  EXPECT_EQ(TestSupport::ReadFile(path), "not even JSON");
  EXPECT_TRUE(OlkCtl::Sim::CreateHostFile(path, "empty", true));
  OlkCtl::Sim::UseHostFile(path);
  EXPECT_EQ(OlkCtl::Sim::CurrentStateJson(), TestSupport::ReadFile(path));
}

struct BadDocument {
  const char *name;
  std::string text;
  std::string problem; // the message after "<origin>: "
};

// `base` with `from` replaced by `to` (once; the case fails if `from` is absent).
std::string Edit(const std::string &from, const std::string &to) {
  std::string text = kSmallHost;
  std::string::size_type at = text.find(from);
  if (at == std::string::npos)
    return "edit did not apply: " + from;
  return text.replace(at, from.size(), to);
}

TEST(StateDocument, BadDocumentsAreRefusedWithTheirPlaceAndNeverOverwritten) {
  const std::vector<BadDocument> cases = {
      {"Empty", "",
       "line 1, column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or "
       "a literal"},
      {"TruncatedObject", R"({"schemaVersion": 1, "system": {"hostName": "a")",
       "line 1, column 48: syntax error while parsing object - unexpected end of input; expected '}'"},
      {"TruncatedOnLaterLine", std::string(kSmallHost).substr(0, std::string(kSmallHost).find("\"Misc\"")),
       "line 10, column 7: syntax error while parsing object key - unexpected end of input; expected string "
       "literal"},
      {"NotAnObject", "[]", "top level: expected an object"},
      {"MissingSchemaVersion", R"({"system": {}})", "schemaVersion: required member is missing"},
      {"SchemaVersionText", R"({"schemaVersion": "1"})",
       "schemaVersion: expected an integer, found a string"},
      {"NewerSchemaVersion", R"({"schemaVersion": 2})",
       "schemaVersion: the file was written by a newer version (schema version 2; this version reads up to "
       "1)"},
      {"ZeroSchemaVersion", R"({"schemaVersion": 0})", "schemaVersion: unsupported schema version 0"},
      {"HostNameNumber", Edit(R"("hostName": "olhost-t")", R"("hostName": 5)"),
       "system.hostName: expected a string, found an integer"},
      {"SecondFaultTimesText", Edit(R"("times": 3})", R"("times": 3}, {"operation": "X", "times": "2"})"),
       "faults[1].times: expected an integer, found a string"},
      {"FaultsNotAList", Edit(R"("faults": [)", R"("faults": {"a": 1}, "x": [)"),
       "faults: expected an array"},
      {"FaultWithoutOperation", Edit(R"("operation": "Host::GetStorageInfo", )", ""),
       "faults[0].operation: required member is missing"},
      {"FaultWithEmptyOperation", Edit(R"("Host::GetStorageInfo")", R"("")"),
       "faults[0].operation: must not be empty"},
      {"NegativeTimes", Edit(R"("times": 3)", R"("times": -1)"), "faults[0].times: must not be negative"},
      {"UnknownTopLevelMember", Edit(R"("schemaVersion": 1,)", R"("schemaVersion": 1, "devicez": [],)"),
       "devicez: unknown member"},
      {"UnknownOptionMember",
       Edit(R"("description": "Highest LUN")", R"("description": "Highest LUN", "unit": "")"),
       "system.advancedOptions.Disk.MaxLUN.unit: unknown member"},
      {"MemberTwice", Edit(R"("hostName": "olhost-t")", R"("hostName": "a", "hostName": "b")"),
       "system: member \"hostName\" appears twice"},
      {"MemberTwiceInListElement", Edit(R"("message": "down")", R"("message": "down", "message": "up")"),
       "faults[0]: member \"message\" appears twice"},
      {"FeatureNumberTooLarge", Edit("[312, 5]", R"({"1024": true})"),
       "system.featureSwitches.1024: \"1024\" is not a feature number (0 to 1023)"},
      {"FeatureListedTwice", Edit("[312, 5]", "[312, 312]"),
       "system.featureSwitches[1]: feature 312 is listed twice"},
      {"OptionValueOutsideRange", Edit(R"("value": 900)", R"("value": 0)"),
       "system.advancedOptions.Disk.MaxLUN.value: outside min..max"},
      {"OptionValueFraction", Edit(R"("value": 900)", R"("value": 1.5)"),
       "system.advancedOptions.Disk.MaxLUN.value: expected an integer or a string"},
      {"IntegerOptionWithoutRange", Edit(R"("min": 1, )", ""),
       "system.advancedOptions.Disk.MaxLUN.min: required member is missing"},
  };

  TestSupport::TempDir dir;
  for (const BadDocument &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::UseHostFromJson(c.text); }), "<memory>: " + c.problem);

    // A host in use whose file goes bad: the next change refuses it and leaves
    // the file exactly as it was.
    const std::string path = dir.File(std::string(c.name) + ".json");
    TestSupport::WriteFile(path, kSmallHost);
    OlkCtl::Sim::UseHostFile(path);
    TestSupport::WriteFile(path, c.text);
    EXPECT_EQ(ErrorText<StateError>([&] {
                OlkCtl::Sim::AddFault({"Host::GetHardwareInfo", "", "x", 0});
              }),
              path + ": " + c.problem);
    EXPECT_EQ(TestSupport::ReadFile(path), c.text);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::CheckHostFile(path); }), path + ": " + c.problem);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::UseHostFile(path); }), path + ": " + c.problem);
  }
}

TEST(StateDocument, ProfileFragmentsJoinOrRefuse) {
  struct Case {
    const char *name;
    std::vector<std::pair<std::string, std::string>> fragments;
    std::string expected; // the joined document, or the error
  };
  const std::vector<Case> cases = {
      {"MembersInWrittenOrder",
       {{"a.json", R"({"faults": [], "zeta": 1})"}, {"b.json", R"({"system": {}, "schemaVersion": 1})"}},
       "{\n  \"schemaVersion\": 1,\n  \"system\": {},\n  \"faults\": [],\n  \"zeta\": 1\n}\n"},
      {"MemberInTwoFragments",
       {{"a.json", R"({"schemaVersion": 1, "system": {}})"}, {"b.json", R"({"faults": [], "system": {}})"}},
       "profile \"t\": member \"system\" is in both a.json and b.json"},
      {"FragmentSyntax",
       {{"a.json", R"({"schemaVersion": 1})"}, {"b.json", "{"}},
       "profile \"t\": b.json: line 1, column 2: syntax error while parsing object key - unexpected end of "
       "input; "
       "expected string literal"},
      {"FragmentNotAnObject", {{"a.json", "[1]"}}, "profile \"t\": a.json: top level: expected an object"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string result;
    try {
      result = OlkCtl::Sim::JoinProfileFragments("t", c.fragments);
    } catch (const StateError &e) {
      result = e.what();
    }
    EXPECT_EQ(result, c.expected);
  }
  EXPECT_THAT(ErrorText<StateError>([] { OlkCtl::Sim::ProfileJson("nope"); }),
              testing::StartsWith("unknown profile \"nope\" (built-in profiles: default, empty"));
}

} // namespace
