// storage core path set
#include "plugin/core/PathTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace PathTests;
using Args = std::vector<std::string>;

namespace {

const char *kBusy = "naa.600a0b80001111110000000000000002";

// Two paths to the busy device, one to a device nobody uses.
std::string SetStateHost(const std::string &faults = "[]") {
  return SmallHost("[" + PathJson("olhba2:C0:T0:L7", kBusy, "olhba2") + "," +
                       PathJson("olhba2:C0:T1:L7", kBusy, "olhba2") + "," +
                       PathJson("olhba2:C0:T0:L1", "naa.600a0b80001111110000000000000001", "olhba2") + "," +
                       PathJson("olhba2:C0:T3:L7", kBusy, "olhba2", "NMP", R"(, "state": "dead")") + "," +
                       PathJson("olhba2:C0:T4:L1", "naa.600a0b80001111110000000000000001", "olhba2", "NMP",
                                R"(, "state": "dead")") +
                       "]",
                   faults);
}

CliKit::Execution SetState(const std::string &path, const std::string &state) {
  return TestSupport::Run({"storage", "core", "path", "set", "-p", path, "--state", state});
}

std::string StateOf(const std::string &path) {
  auto run = TestSupport::Run({"storage", "core", "path", "list", "-p", path});
  auto rows = Rows(run);
  return rows.size() == 1 ? Text(rows[0], "State") : "<not listed>";
}

bool TrueRoot(const CliKit::Execution &run) {
  auto root = std::dynamic_pointer_cast<CliKit::MetaObj::MetaBool>(run.output->GetRootObject());
  return root && root->HasValue() && root->GetValue();
}

} // namespace

// Each step runs on the state the previous steps left: a later list must show
// every accepted change, and a refused one must change nothing.
TEST(PathSet, StateChangesPersistAndTheLastUsablePathIsKept) {
  struct Case {
    const char *path;
    const char *state;
    const char *error;
    const char *checkedPath;
    const char *shownAfter;
  };
  const std::vector<Case> cases = {
      {"olhba2:C0:T0:L7", "off", "", "olhba2:C0:T0:L7", "off"},
      {"olhba2:C0:T1:L7", "off",
       "Unable to set path state. Error was: Cannot disable path olhba2:C0:T1:L7: it is the last usable path "
       "of "
       "device naa.600a0b80001111110000000000000002 and the device is in use.",
       "olhba2:C0:T1:L7", "active"},
      // Turning off a path that is already down takes nothing away.
      {"olhba2:C0:T3:L7", "off", "", "olhba2:C0:T3:L7", "off"},
      {"uid-olhba2:C0:T0:L7", "active", "", "olhba2:C0:T0:L7", "active"},
      {"olhba2:C0:T1:L7", "off", "", "olhba2:C0:T1:L7", "off"},
      // Enabling lifts only an administrative "off"; a dead path stays dead.
      {"olhba2:C0:T4:L1", "active", "", "olhba2:C0:T4:L1", "dead"},
      // A device nobody uses may lose its only path.
      {"olhba2:C0:T0:L1", "off", "", "olhba2:C0:T0:L1", "off"},
      {"olhba2:C0:T0:L1", "active", "", "olhba2:C0:T0:L1", "active"},
      {"olhba2:C0:T0:L1", "active", "", "olhba2:C0:T0:L1", "active"},
  };
  TestSupport::UseHostJson(SetStateHost());
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.state);
    auto run = SetState(c.path, c.state);
    ASSERT_TRUE(run.output);
    if (*c.error) {
      EXPECT_EQ(TestSupport::Errors(run), std::vector<std::string>{c.error});
      EXPECT_FALSE(run.output->GetRootObject());
    } else {
      EXPECT_TRUE(TestSupport::Errors(run).empty());
      EXPECT_TRUE(TrueRoot(run));
    }
    EXPECT_EQ(StateOf(c.checkedPath), c.shownAfter);
  }
}

TEST(PathSet, RefusalsAndFailures) {
  struct Case {
    const char *faults;
    Args options;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"[]",
       {"-p", "olhba2:C0:T9:L9", "--state", "off"},
       {"Unable to find a path with the name olhba2:C0:T9:L9"}},
      {R"([{"operation": "ScsiPath::SetState", "target": "olhba2:C0:T0:L1", "message": "path is quiescing"}])",
       {"-p", "olhba2:C0:T0:L1", "--state", "off"},
       {"Unable to set path state. Error was: path is quiescing"}},
      {R"([{"operation": "ScsiPathImpl::GetPath", "message": "lookup failed"}])",
       {"-p", "olhba2:C0:T0:L1", "--state", "active"},
       {"Unable to set path state. Error was: lookup failed"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    TestSupport::UseHostJson(SetStateHost(c.faults));
    auto run = TestSupport::Run(
        {"storage", "core", "path", "set", c.options[0], c.options[1], c.options[2], c.options[3]});
    ASSERT_TRUE(run.output);
    EXPECT_EQ(TestSupport::Errors(run), c.errors);
    EXPECT_FALSE(run.output->GetRootObject());
    EXPECT_EQ(StateOf("olhba2:C0:T0:L1"), "active");
  }
}
