// Inputs the fuzzers found, replayed. The xml view wrote bytes that are not
// UTF-8 as they were, in a document that declares UTF-8, so XML readers
// refused the whole output (found by fuzz_format with a structure named
// "\x8a").
#include "clikit/FakeCommands.h"

#include "../../fuzz/XmlCheck.h"

#include <gtest/gtest.h>

namespace {

using namespace ClikitTest;

const std::string kReplacement = "\xEF\xBF\xBD"; // U+FFFD

struct XmlCase {
  const char *label;
  std::string structName;
  std::string value;
  std::string expected; // the line of the value's field, or of the structure
};

TEST(FuzzRegressionXml, TextThatIsNotUtf8IsReplacedAndTheDocumentStaysWellFormed) {
  const std::vector<XmlCase> cases = {
      {"structure name of one stray byte", "\x8a", "v", "<struct name=\"" + kReplacement + "\">"},
      {"stray byte inside a value", "Row",
       "a\xff"
       "b",
       "<string>a" + kReplacement + "b</string>"},
      {"sequence cut short at the end", "Row", "ab\xc3", "<string>ab" + kReplacement + "</string>"},
      {"surrogate half, one replacement per byte", "Row", "\xed\xa0\x80",
       "<string>" + kReplacement + kReplacement + kReplacement + "</string>"},
      {"code point past U+10FFFF", "Row", "\xf4\x90\x80\x80",
       "<string>" + kReplacement + kReplacement + kReplacement + kReplacement + "</string>"},
      {"U+FFFE is no XML character", "Row", "x\xef\xbf\xbey", "<string>x" + kReplacement + "y</string>"},
      {"valid multi-byte text is kept", "Row", "\xc3\xa9\xe6\x97\xa5\xf0\x9f\x99\x82",
       "<string>\xc3\xa9\xe6\x97\xa5\xf0\x9f\x99\x82</string>"},
      {"control characters become ?", "Row",
       std::string("a\x01"
                   "b\0c",
                   5),
       "<string>a?b?c</string>"},
      {"markup is escaped", "Row", "<a href=\"x\">&</a>",
       "<string>&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;</string>"},
  };
  for (const XmlCase &c : cases) {
    SCOPED_TRACE(c.label);
    FakeTree tree;
    auto command = tree.Add("show");
    const std::string structName = c.structName;
    const std::string value = c.value;
    command->makeShape = [structName] { return MetaStruct::New(structName); };
    command->body = [structName, value](const InputPtr &, const OutputPtr &output) {
      auto record = MetaStruct::New(structName);
      record->SetField("Value", value);
      output->SetRootObject(record);
    };
    Cli cli(tree.root);
    RunResult result = RunCli(cli, {"--formatter", "xml", "demo", "show"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find(c.expected), std::string::npos) << result.out;
    EXPECT_EQ(FuzzCheck::XmlProblem(result.out), "") << result.out;
  }
}

// The checker the fuzzer relies on must itself tell good documents from bad.
TEST(FuzzRegressionXml, CheckerTellsWellFormedDocumentsFromBrokenOnes) {
  struct CheckCase {
    const char *document;
    const char *problemStart; // empty: well-formed
  };
  const std::vector<CheckCase> cases = {
      {"<?xml version=\"1.0\"?>\n<output>\n  <string>a &amp; b</string>\n</output>\n", ""},
      {"<output><struct name=\"a &lt; b\"><null/></struct></output>", ""},
      {"<output>&#233;&#xE9;</output>", ""},
      {"<output>\xc3\xa9</output>", ""},
      {"<output><string>a</struct></output>", "end tag </struct> does not match"},
      {"<output><string>a</string>", "element <output> is not closed"},
      {"<output>a & b</output>", "unknown or unterminated entity"},
      {"<output>&nbsp;</output>", "unknown or unterminated entity"},
      {"<output><field name=a>x</field></output>", "unquoted attribute value"},
      {"<output><field name=\"<\">x</field></output>", "'<' inside an attribute value"},
      {"<output>\xff</output>", "byte 255 at offset 8 is not a valid UTF-8 encoded XML character"},
      {"<output>\x01</output>", "byte 1 at offset 8"},
      {"<output>\xef\xbf\xbf</output>", "byte 239 at offset 8"},
      {"<output>\xf8\x88\x80\x80\x80</output>", "byte 248 at offset 8"},
      {"<output/><output/>", "expected one root element, found 2"},
      {"text<output/>", "text outside the root element"},
      {"<output>< b</output>", "'<' that starts no element"},
  };
  for (const CheckCase &c : cases) {
    SCOPED_TRACE(c.document);
    std::string problem = FuzzCheck::XmlProblem(c.document);
    if (*c.problemStart == '\0')
      EXPECT_EQ(problem, "");
    else
      EXPECT_EQ(problem.rfind(c.problemStart, 0), 0u) << problem;
  }
}

} // namespace
