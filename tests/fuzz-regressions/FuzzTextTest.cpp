// The fuzz harness's own text handling: a mistake here silently changes what
// the fuzzers feed the framework or hides what a report shows.
#include "../../fuzz/FuzzText.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(FuzzText, SplitArgumentsOnNulWhenPresentElseOnNewline) {
  struct Case {
    const char *label;
    std::string input;
    size_t maxArgs;
    Words expected;
  };
  const std::vector<Case> cases = {
      {"empty input", "", 8, {}},
      {"one word", "list", 8, {"list"}},
      {"newlines", "storage\ncore\nlist", 8, {"storage", "core", "list"}},
      {"final newline closes the last word", "storage\ncore\n", 8, {"storage", "core"}},
      {"a lone newline is one empty word", "\n", 8, {""}},
      {"empty word in the middle stays", "a\n\nb", 8, {"a", "", "b"}},
      {"two final newlines leave one empty word", "a\n\n", 8, {"a", ""}},
      {"NUL wins, newlines stay inside words", std::string("a\nb\0c", 5), 8, {"a\nb", "c"}},
      {"final NUL closes the last word", std::string("x\0", 2), 8, {"x"}},
      {"cap on the count", "a\nb\nc\nd", 2, {"a", "b"}},
      {"cap keeps an empty word that is not the last piece", "a\n\nc\n", 2, {"a", ""}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(FuzzSupport::SplitArguments(reinterpret_cast<const uint8_t *>(c.input.data()), c.input.size(),
                                          c.maxArgs),
              c.expected);
  }
}

TEST(FuzzText, DescribeEscapesWhatATerminalWouldHide) {
  EXPECT_EQ(FuzzSupport::Describe({"plain", "", std::string("a\nb\0\\\xff", 6)}),
            "  [plain]\n  []\n  [a\\x0ab\\x00\\x5c\\xff]\n");
}

TEST(FuzzText, SplitCommandLineHonoursQuotes) {
  struct Case {
    std::string line;
    Words expected;
  };
  const std::vector<Case> cases = {
      {"-r 914 -t vendor", {"-r", "914", "-t", "vendor"}},
      {"  spaced\t\tout  ", {"spaced", "out"}},
      {"--nvme-controller-model \"ABCD *\"", {"--nvme-controller-model", "ABCD *"}},
      {"-V 'a \"b\"'", {"-V", "a \"b\""}},
      {"--name \"\" next", {"--name", "", "next"}},
      {"glued\"quoted part\"", {"gluedquoted part"}},
      {"", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(FuzzSupport::SplitCommandLine(c.line), c.expected);
  }
}

TEST(FuzzText, BoundedWidthsCutsOnlyWidthsThatWouldAllocate) {
  struct Case {
    std::string format;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"%-12.3f MB", "%-12.3f MB"},
      {"%99999d", "%99999d"},
      {"%123456d", "%12345d"},
      {"%2147483647s", "%21474s"},
      {"%99999999999d", "%99999999999d"}, // past INT_MAX: printf refuses it
      {"%1000000.1000000f", "%10000.10000f"},
      {"no digits", "no digits"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(FuzzSupport::BoundedWidths(c.format), c.expected);
  }
}

} // namespace
