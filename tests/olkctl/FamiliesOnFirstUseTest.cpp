// A host file's families are read when first used: a broken family stops only
// what uses it, always with the message a full load gives, and is never
// written over.
#include "olkctl/ErrorText.h"
#include "support/Tools.h"

#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using OlkCtl::Sim::StateError;

size_t AdapterCount() {
  return HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetScsiInterfaces().size();
}
size_t DeviceCount() {
  return HostCtl::HostFactory::GetHost()->GetStorageInfo()->GetLuns(true, false).size();
}

TEST(FamiliesOnFirstUse, ABrokenFamilyStopsOnlyWhatUsesIt) {
  const std::string adapters = R"("adapters": [{"name": "olhba0", "transport": "sas"}])";
  struct Case {
    const char *name;
    std::string text;
    std::string problem; // the whole document's first problem
  };
  const std::vector<Case> cases = {
      {"WrongType", R"({"schemaVersion": 1, )" + adapters + R"(, "devices": [{"name": "d", "size": "big"}]})",
       "devices[0].size: expected a non-negative integer, found a string"},
      {"MemberTwice", R"({"schemaVersion": 1, )" + adapters + R"(, "devices": [{"name": "d", "name": "e"}]})",
       "devices[0]: member \"name\" appears twice"},
      // Two broken families: the message is the full load's first problem
      // (families in document order), and using either fails.
      {"FirstProblemWins",
       R"({"schemaVersion": 1, )" + adapters +
           R"(, "devices": [{"name": "d", "size": -1}], "claimRules": {"MP": 1}})",
       "devices[0].size: expected a non-negative integer"},
  };
  TestSupport::TempDir dir;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(std::string(c.name) + ".json");
    const std::string message = path + ": " + c.problem;
    TestSupport::WriteFile(path, c.text);

    OlkCtl::Sim::OpenHostFile(path);
    EXPECT_EQ(AdapterCount(), 1u);
    EXPECT_EQ(ErrorText<StateError>([] { DeviceCount(); }), message);
    // Asked again, it fails again: nothing half-read is kept.
    EXPECT_EQ(ErrorText<StateError>([] { DeviceCount(); }), message);

    EXPECT_EQ(ErrorText<StateError>([] {
                OlkCtl::Sim::AddFault({"Host::GetHardwareInfo", "", "x", 0});
              }),
              message);
    EXPECT_EQ(TestSupport::ReadFile(path), c.text);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::CheckHostFile(path); }), message);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::UseHostFile(path); }), message);
  }
}

// The top level is read only as far as the families used: what lies beyond
// stops a command that goes there, and every change, with the message a full
// load gives.
TEST(FamiliesOnFirstUse, TheTopLevelIsReadAsFarAsNeeded) {
  // Every host call looks at the faults first.
  const std::string head =
      R"({"schemaVersion": 1, "faults": [], "adapters": [{"name": "olhba0", "transport": "sas"}])";
  struct Case {
    const char *name;
    std::string text;
    std::string problem; // empty: the document is good
  };
  const std::vector<Case> cases = {
      {"UnknownMemberAtTheEnd", head + R"(, "devices": [], "bogus": 1})", "bogus: unknown member"},
      {"Truncated", head + R"(, "devices": [{"name": "d")",
       "line 1, column 114: syntax error while parsing object - unexpected end of input; expected '}'"},
      {"FamilyTwice", head + R"(, "devices": [], "adapters": []})",
       "top level: member \"adapters\" appears twice"},
      // A member name the skim does not follow: the document is read whole.
      {"EscapedName",
       R"({"schemaVersion": 1, "faults": [], "adapt\u0065rs": [{"name": "olhba0", "transport": "sas"}]})",
       ""},
  };
  TestSupport::TempDir dir;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(std::string(c.name) + ".json");
    TestSupport::WriteFile(path, c.text);

    OlkCtl::Sim::OpenHostFile(path);
    EXPECT_EQ(AdapterCount(), 1u);
    const auto change = [] { OlkCtl::Sim::AddFault({"Host::GetHardwareInfo", "", "x", 0}); };
    if (c.problem.empty()) {
      EXPECT_EQ(DeviceCount(), 0u);
      change();
      OlkCtl::Sim::OpenHostFile(path);
      EXPECT_EQ(AdapterCount(), 1u);
      continue;
    }
    const std::string message = path + ": " + c.problem;
    EXPECT_EQ(ErrorText<StateError>(change), message);
    EXPECT_EQ(TestSupport::ReadFile(path), c.text);
    EXPECT_EQ(ErrorText<StateError>([&] { OlkCtl::Sim::CheckHostFile(path); }), message);
  }
}

} // namespace
