// Reading host documents: the fast reader for the usual files and the full
// JSON parser it hands unusual ones to must agree on every value and message.
#include "olkctl/ErrorText.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

std::string Document(const std::string &hostName, const std::string &cpuCores,
                     const std::string &extra = "") {
  return R"({"schemaVersion": 1, "system": {"hostName": )" + hostName +
         R"(, "hardware": {"cpuModel": "m", "cpuCores": )" + cpuCores + "}}" + extra + "}";
}

nlohmann::json Loaded(const std::string &text) {
  OlkCtl::Sim::UseHostFromJson(text);
  return nlohmann::json::parse(OlkCtl::Sim::CurrentStateJson());
}

TEST(StateReading, ValuesAreReadAsJsonDefinesThem) {
  struct Case {
    const char *name;
    std::string text;
    std::string hostName;
    int64_t cpuCores;
  };
  const std::vector<Case> cases = {
      {"Plain", Document(R"("olhost")", "32"), "olhost", 32},
      {"ShortEscapes", Document(R"("a\"b\\c\/d\be\ff\ng\rh\ti")", "0"), "a\"b\\c/d\be\ff\ng\rh\ti", 0},
      {"UnicodeEscape", Document(R"("caf\u00e9")", "1"), "caf\xc3\xa9", 1},
      {"SurrogatePair", Document(R"("\ud83d\ude00")", "1"), "\xf0\x9f\x98\x80", 1},
      {"RawUtf8", Document("\"caf\xc3\xa9\"", "1"), "caf\xc3\xa9", 1},
      {"DeleteCharacter", Document("\"a\x7f\"", "1"), "a\x7f", 1},
      {"NineteenDigits", Document(R"("h")", "1234567890123456789"), "h", 1234567890123456789},
      {"ByteOrderMark", "\xef\xbb\xbf" + Document(R"("h")", "7"), "h", 7},
      {"NoBlanks",
       R"({"schemaVersion":1,"system":{"hostName":"h","hardware":{"cpuModel":"m","cpuCores":5}}})", "h", 5},
      {"OtherBlanks", "\r\n\t" + Document(R"( "h" )", "\t5\n") + "\r\n", "h", 5},
      {"EmptyContainers", Document(R"("h")", "1", R"(, "faults": [], "claimRules": {})"), "h", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    nlohmann::json state;
    ASSERT_NO_THROW(state = Loaded(c.text));
    EXPECT_EQ(state["system"]["hostName"], c.hostName);
    EXPECT_EQ(state["system"]["hardware"]["cpuCores"], c.cpuCores);
  }
}

// Objects of more than 64 members: every member asked for counts as read, and
// the members are found in any order.
TEST(StateReading, WideObjectsAreReadWhole) {
  std::string switches;
  for (int n = 199; n >= 0; --n)
    switches +=
        (switches.empty() ? "" : ", ") + ("\"" + std::to_string(n) + "\": " + (n % 3 ? "false" : "true"));
  nlohmann::json state;
  ASSERT_NO_THROW(state =
                      Loaded(R"({"schemaVersion": 1, "system": {"featureSwitches": {)" + switches + "}}}"));
  const nlohmann::json &read = state["system"]["featureSwitches"];
  ASSERT_EQ(read.size(), 200u);
  EXPECT_EQ(read["0"], true);
  EXPECT_EQ(read["100"], false);
  EXPECT_EQ(read["198"], true);
  EXPECT_EQ(read["199"], false);
}

TEST(StateReading, UnusualDocumentsAreRefusedWithTheirPlaceOrPosition) {
  struct Case {
    const char *name;
    std::string text;
    std::string error;
  };
  const std::string deep = std::string(300, '[') + std::string(300, ']');
  const std::vector<Case> cases = {
      {"Fraction", Document(R"("h")", "1.5"),
       "<memory>: system.hardware.cpuCores: expected an integer, found a number with a fraction"},
      {"Exponent", Document(R"("h")", "1e2"),
       "<memory>: system.hardware.cpuCores: expected an integer, found a number with a fraction"},
      {"BeyondSixtyFourBits", Document(R"("h")", "18446744073709551616"),
       "<memory>: system.hardware.cpuCores: expected an integer, found a number with a fraction"},
      {"BeyondSignedRange", Document(R"("h")", "9223372036854775808"),
       "<memory>: system.hardware.cpuCores: integer out of range"},
      {"Negative", Document(R"("h")", "-3"), "<memory>: system.hardware.cpuCores: must not be negative"},
      {"DeepNesting", Document(R"("h")", "1", ", \"deep\": " + deep), "<memory>: deep: unknown member"},
      {"DuplicateMember", Document(R"("h")", "1", R"(, "faults": [{"operation": "a", "operation": "b"}])"),
       "<memory>: faults[0]: member \"operation\" appears twice"},
      {"DuplicateInALaterRecord",
       Document(R"("h")", "1",
                R"(, "faults": [{"operation": "a", "target": "t", "message": "m"},)"
                R"( {"operation": "a", "target": "t", "operation": "b"}])"),
       "<memory>: faults[1]: member \"operation\" appears twice"},
      {"LeadingZero", Document(R"("h")", "01"),
       "<memory>: line 1, column 93: syntax error while parsing object - unexpected number literal; expected '}'"},
      {"TabInString", Document("\"a\tb\"", "1"),
       "<memory>: line 1, column 47: syntax error while parsing value - invalid string: control character U+0009 "
       "(HT) must be escaped to \\u0009 or \\t; last read: '\"a<U+0009>'"},
      {"UnknownEscape", Document(R"("a\qb")", "1"),
       "<memory>: line 1, column 48: syntax error while parsing value - invalid string: forbidden character "
       "after backslash; last read: '\"a\\q'"},
      {"BrokenUtf8", Document("\"a\xc3\"", "1"),
       "<memory>: line 1, column 48: syntax error while parsing value - invalid string: ill-formed UTF-8 byte; "
       "last read: '\"a\xc3\"'"},
      {"TrailingText", Document(R"("h")", "1") + " x",
       "<memory>: line 1, column 97: syntax error while parsing value - invalid literal; last read: '1}}} x'; "
       "expected end of input"},
      {"Truncated", Document(R"("h")", "1").substr(0, 60),
       "<memory>: line 1, column 61: syntax error while parsing value - unexpected end of input; expected '[', "
       "'{', or a literal"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorText<OlkCtl::Sim::StateError>([&] { OlkCtl::Sim::UseHostFromJson(c.text); }), c.error);
  }
}

} // namespace
