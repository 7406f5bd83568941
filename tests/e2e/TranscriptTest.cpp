// Runs the transcripts under tests/transcripts: each is a sequence of
//   $ <command line>
//   <exact expected standard output and standard error, merged>
//   [exit <status>]
// blocks, run in order against a fresh copy of the default host. Lines between
// blocks that start with '#' are comments. ORLOCLI_UPDATE_TRANSCRIPTS=1 rewrites
// the expected parts from what the tools print now (review the diff!).
#include "support/TestHost.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Block {
  std::vector<std::string> leading; // comment lines before the command
  std::string command;
  std::string expected;
  int status = 0;
};

struct Transcript {
  std::vector<Block> blocks;
  std::vector<std::string> trailing;
};

Transcript Parse(const std::string &text, std::string &error) {
  Transcript t;
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> pending;
  Block *open = nullptr;
  while (std::getline(in, line)) {
    if (open) {
      if (line.rfind("[exit ", 0) == 0 && line.back() == ']') {
        open->status = std::atoi(line.c_str() + 6);
        open = nullptr;
      } else {
        open->expected += line + "\n";
      }
    } else if (line.rfind("$ ", 0) == 0) {
      t.blocks.push_back(Block{pending, line.substr(2), "", 0});
      pending.clear();
      open = &t.blocks.back();
    } else {
      pending.push_back(line);
    }
  }
  if (open)
    error = "the last block has no [exit N] line";
  t.trailing = pending;
  return t;
}

std::string Render(const Transcript &t) {
  std::string out;
  for (const Block &b : t.blocks) {
    for (const std::string &l : b.leading)
      out += l + "\n";
    out += "$ " + b.command + "\n" + b.expected + "[exit " + std::to_string(b.status) + "]\n";
  }
  for (const std::string &l : t.trailing)
    out += l + "\n";
  return out;
}

// Runs a shell command line with standard error merged into standard output.
int RunShell(const std::string &command, const std::vector<std::string> &env, std::string &output) {
  TestSupport::ToolRun run =
      TestSupport::RunTool({"sh", "-c", "exec 2>&1; " + command}, TestSupport::ToolOptions().Env(env));
  output = run.out;
  return run.signal ? 128 + run.signal : run.status;
}

std::vector<std::string> TranscriptFiles() {
  std::vector<std::string> files;
  fs::path dir = TestSupport::SourcePath("tests/transcripts");
  if (fs::exists(dir))
    for (const auto &entry : fs::directory_iterator(dir))
      if (entry.path().extension() == ".txt")
        files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  return files;
}

class TranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TranscriptTest, MatchesWhatTheToolsPrint) {
  const fs::path file = fs::path(TestSupport::SourcePath("tests/transcripts")) / GetParam();
  std::ifstream in(file);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string error;
  Transcript transcript = Parse(buffer.str(), error);
  ASSERT_TRUE(error.empty()) << file << ": " << error;
  ASSERT_FALSE(transcript.blocks.empty()) << file << ": no commands";

  // A fresh default host per transcript, and nothing taken from the user's
  // environment.
  TestSupport::TempDir dir;
  const std::string host = dir.File("host.json");
  const std::vector<std::string> env = {"XDG_STATE_HOME=" + dir.Path(), "ORLOCLI_HOST=" + host,
                                        "PATH=" + std::string(ORLOCLI_BIN_DIR) + ":/usr/bin:/bin"};
  std::string initOutput;
  ASSERT_EQ(RunShell("orlocli-host init --profile default '" + host + "'", env, initOutput), 0) << initOutput;

  const bool update = std::getenv("ORLOCLI_UPDATE_TRANSCRIPTS") != nullptr;
  for (Block &block : transcript.blocks) {
    std::string output;
    int status = RunShell(block.command, env, output);
    if (update) {
      block.expected = output;
      block.status = status;
      continue;
    }
    EXPECT_EQ(output, block.expected) << GetParam() << ": $ " << block.command;
    EXPECT_EQ(status, block.status) << GetParam() << ": $ " << block.command;
  }
  if (update)
    std::ofstream(file) << Render(transcript);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, TranscriptTest, ::testing::ValuesIn(TranscriptFiles()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                           std::string name = fs::path(info.param).stem().string();
                           for (char &c : name)
                             if (!isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TranscriptTest);

} // namespace
