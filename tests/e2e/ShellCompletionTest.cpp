// The generated zsh and fish completion scripts, loaded into the real shells:
// partial command lines and the candidates they give.
#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Line {
  std::vector<std::string> words; // the last one is being typed
  std::string candidates;         // "word:description" (zsh) or "word\tdescription" (fish), one a line
};

// Candidates that hold for the whole tree, not only for today's commands: the
// lines end in a prefix or in an option of one fixed command.
const std::vector<Line> &Lines() {
  static const std::vector<Line> lines = {
      // a namespace's children, filtered by the prefix typed
      {{"storage", "core", "adapter", "l"},
       {"list\tList all the Storage Host Bus Adapters on the system.\n"
        "listdetailed\tDetailed listing of all HBAs registered with PSA.\n"}},
      // an enumeration's values with their descriptions, after its option
      {{"storage", "core", "adapter", "rescan", "--type", "d"},
       {"delete\tPerform rescan and only delete DEAD devices.\n"}},
      // the tool's own options and their values are skipped on the way
      {{"--host", "h.json", "--formatter", "json", "storage", "core", "adapter", "rescan", "-A", "x", "-t",
        "u"},
       {"update\tRescan existing paths only and update path states.\n"}},
      // a command's options, then the framework's own
      {{"storage", "core", "adapter", "list", "--"},
       {"--adapter\tName of the adapter for which to fetch details.\n--fields\tfields to show\n"
        "--formatter\toutput format\n--help\tshow help\n"}},
      // formatter names
      {{"--formatter", "j"}, {"json\t\n"}},
      // booleans complete true and false
      {{"storage", "core", "device", "set", "-d", "x", "--write-cache-enabled", ""}, {"false\t\ntrue\t\n"}},
  };
  return lines;
}

std::string Quoted(const std::string &word) {
  std::string out = "'";
  for (char c : word)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

} // namespace

TEST(ShellCompletion, FishCompletesFromTheTree) {
  std::string script = "source " + Quoted(TestSupport::SourcePath("completions/orlocli.fish")) + "\n";
  for (const Line &line : Lines()) {
    std::string typed = "orlocli";
    for (const std::string &word : line.words)
      typed += " " + word;
    script += "complete -C " + Quoted(typed) + "\necho ==\n";
  }
  auto run = TestSupport::RunTool({"fish", "--no-config", "-c", script});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected;
  for (const Line &line : Lines()) {
    std::string candidates = line.candidates;
    // fish prints a candidate without description as the word alone.
    for (size_t at = candidates.find("\t\n"); at != std::string::npos; at = candidates.find("\t\n"))
      candidates.erase(at, 1);
    expected += candidates + "==\n";
  }
  EXPECT_EQ(run.out, expected);
}

TEST(ShellCompletion, ZshCompletesFromTheTree) {
  // The script's walk runs as zsh runs it from compsys; the candidates it
  // hands to _describe are printed, filtered by the typed prefix as
  // _describe filters them.
  std::string script = "autoload -U compinit && compinit -u -D\nsource " +
                       Quoted(TestSupport::SourcePath("completions/_orlocli")) +
                       "\n[[ ${_comps[orlocli]} == _orlocli ]] || print 'not registered'\n"
                       "show() {\n"
                       "  words=(orlocli \"$@\"); CURRENT=$#words\n"
                       "  _orlocli_candidates; local st=$? entry text\n"
                       "  for entry in ${(o)${(M)reply:#${words[CURRENT]}*}}; do\n"
                       "    text=; [[ $entry == *:* ]] && text=${entry#*:}\n"
                       "    print -r -- \"${entry%%:*}\"$'\\t'\"$text\"\n"
                       "  done\n"
                       "  print -r -- \"== $st\"\n"
                       "}\n";
  for (const Line &line : Lines()) {
    script += "show";
    for (const std::string &word : line.words)
      script += " " + Quoted(word);
    script += "\n";
  }
  script += "show --host ''\n";
  auto run = TestSupport::RunTool({"zsh", "-f", "-c", script});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected;
  for (const Line &line : Lines())
    expected += line.candidates + "== 0\n";
  expected += "== 2\n"; // file names after --host
  EXPECT_EQ(run.out, expected);
}
