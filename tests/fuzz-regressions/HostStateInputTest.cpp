// Inputs the fuzzers found, replayed against the simulated host.
#include "support/TestHost.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// fuzz_argv: a claim rule whose text held a byte that is not UTF-8 was added
// in memory, but the host could not be written ("invalid UTF-8 byte"), so with
// a host file the command died with an internal failure.
TEST(FuzzRegressionHostState, TextThatIsNotUtf8IsSavedWithReplacementCharacters) {
  struct Case {
    const char *label;
    std::vector<std::string> args;
    std::string saved; // what the state file holds for the text
  };
  const std::vector<std::string> add = {"storage", "core", "claimrule", "add", "-r", "914", "-P"};
  const std::vector<Case> cases = {
      {"vendor",
       {"NMP", "-t", "vendor", "-V",
        "T\xff"
        "X",
        "-M", "Virtual"},
       "\"vendor\": \"T" + kReplacement + "X\""},
      {"model", {"NMP", "-t", "vendor", "-V", "TVX", "-M", "M\xfe"}, "\"model\": \"M" + kReplacement + "\""},
      {"driver",
       {"NMP", "-t", "driver", "-D", "drv\xc3", "--force"},
       "\"driver\": \"drv" + kReplacement + "\""},
      {"NVMe controller model",
       {"HPP", "-t", "vendor", "--nvme-controller-model",
        "\x80"
        "A"},
       kReplacement + "A\""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    TestSupport::UseProfile();
    std::vector<std::string> args = add;
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto run = TestSupport::RunCommand(args);
    ASSERT_EQ(run.status, CliKit::kExitOk)
        << run.execution.usageError << run.execution.failure << testing::PrintToString(run.errors);

    std::string saved;
    ASSERT_NO_THROW(saved = OlkCtl::Sim::CurrentStateJson());
    EXPECT_NE(saved.find(c.saved), std::string::npos);
    // What was written loads again and saves the same.
    ASSERT_NO_THROW(OlkCtl::Sim::UseHostFromJson(saved));
    EXPECT_EQ(OlkCtl::Sim::CurrentStateJson(), saved);
  }
}

// fuzz_state: a StateError quoted a member name or value with a line break in
// it, so the one-line error of the tools ran over several lines.
TEST(FuzzRegressionHostState, StateErrorsStayOnOneLineWhateverTheDocumentQuotes) {
  struct Case {
    const char *label;
    std::string document;
    std::string quoted; // how the text appears in the message
  };
  const std::string wwnRule = R"({"claimRules": {"MP": {"file": [{"rule": 500, "type": "target",
      "plugin": "NMP", "transport": "fc", "wwnn": "50:06\nx", "wwpn": "50:06:01:60:3a:60:11:53"}]}}})";
  const std::vector<Case> cases = {
      {"unknown member", TestSupport::PatchedProfile(R"({"bad\nkey": 1})"), "bad\\nkey"},
      {"member given twice", "{\"a\\rb\": 1, \"a\\rb\": 2}", "a\\rb"},
      {"malformed world-wide number", TestSupport::PatchedProfile(wwnRule), "50:06\\nx"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    try {
      OlkCtl::Sim::UseHostFromJson(c.document);
      ADD_FAILURE() << "the document loaded";
    } catch (const OlkCtl::Sim::StateError &error) {
      std::string message = error.what();
      EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
      EXPECT_EQ(message.rfind("<memory>: ", 0), 0u) << message;
      EXPECT_NE(message.find(c.quoted), std::string::npos) << message;
    }
  }
}

} // namespace
