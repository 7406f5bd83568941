// Finding a host file's families without reading them: the skim must find the
// same members as the strict scanner wherever both read a document, and give
// up (so that the scanner decides) on what it does not follow.
#include "sim/Json.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using OlkCtl::Sim::ScanTopLevel;
using OlkCtl::Sim::SkimTopLevel;
using OlkCtl::Sim::TopMember;
using Members = std::vector<std::pair<std::string, std::string>>;

Members Texts(std::string_view text, const std::vector<TopMember> &members) {
  Members out;
  for (const TopMember &m : members)
    out.emplace_back(std::string(m.name), std::string(text.substr(m.begin, m.end - m.begin)));
  return out;
}

TEST(TopLevelSkim, FindsEachValueWhole) {
  const std::vector<std::pair<std::string, Members>> cases = {
      {"{}", {}},
      {" \n{ \"a\" :\t1 ,\"b\":[]}\n", {{"a", "1"}, {"b", "[]"}}},
      {R"({"a": [1, {"x": "]"}], "c": {"d": "\"}"}, "e": "s"})",
       {{"a", R"([1, {"x": "]"}])"}, {"c", R"({"d": "\"}"})"}, {"e", "\"s\""}}},
      {R"({"a": ["\\"], "b": [2]})", {{"a", R"(["\\"])"}, {"b", "[2]"}}},
      {R"({"a": ["\\\"]"], "b": -3})", {{"a", R"(["\\\"]"])"}, {"b", "-3"}}},
      {"{\"a\": [\"\xc3\xa9\x01\"], \"b\": true}", {{"a", "[\"\xc3\xa9\x01\"]"}, {"b", "true"}}},
  };
  for (const auto &[text, members] : cases) {
    std::vector<TopMember> found;
    ASSERT_TRUE(SkimTopLevel(text, found)) << text;
    EXPECT_EQ(Texts(text, found), members) << text;
  }
}

TEST(TopLevelSkim, GivesUpOnWhatItDoesNotFollow) {
  for (const std::string text :
       {"", "[1]", R"({"a": [1})", R"({"a": 1,})", R"({"a" 1})", R"({"a": "x})", R"({"a\"b": 1})",
        R"({"a": "\"x"})", R"({"a": []} x)", R"({"a": ]})", R"({"a": [], "b": {}}})", R"({"a": })"}) {
    std::vector<TopMember> found;
    EXPECT_FALSE(SkimTopLevel(text, found)) << text;
  }
}

// Escapes and strings that cross the 64-byte blocks the skim reads at once.
TEST(TopLevelSkim, AgreesWithTheScannerAcrossBlockEdges) {
  const std::vector<std::string> tails = {R"(\\)", R"(\")", R"(\\\")", R"(]\\)", R"(\"]})", R"(\\\\)"};
  for (std::size_t pad = 0; pad < 140; ++pad) {
    for (const std::string &tail : tails) {
      const std::string text = "{\"p\": [\"" + std::string(pad, 'x') + tail +
                               "\", {\"k\": \"[\"}], \"q\": [" + std::string(pad % 7, ' ') + "1]}";
      std::vector<TopMember> skimmed, scanned;
      ASSERT_TRUE(ScanTopLevel(text, scanned)) << text;
      ASSERT_TRUE(SkimTopLevel(text, skimmed)) << text;
      EXPECT_EQ(Texts(text, skimmed), Texts(text, scanned)) << text;
    }
  }
}

} // namespace
