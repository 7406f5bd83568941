// Running the built tools (orlocli, orlocli-host) as a user does, and the
// temporary files and processes around them.
//
//   TestSupport::TempDir dir;
//   const std::string host = dir.File("host.json");
//   auto made = TestSupport::RunTool({"orlocli-host", "init", host});
//   auto run = TestSupport::RunTool({"orlocli", "--host", host, "storage", "core", "adapter", "list"});
//   EXPECT_EQ(run.status, 0);
//   EXPECT_EQ(run.err, "");
//
// A tool name without a slash is taken from the build's bin directory, else
// from $PATH (nm, bash). The tools never see the caller's ORLOCLI_HOST,
// ORLOCLI_PLUGIN_DIR or COLUMNS; ToolOptions().Home(dir) keeps them off the
// user's default host too. Commands run in-process with support/TestHost.h.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

struct ToolRun {
  int status = -1; // exit status; -1 when killed by a signal or hung
  int signal = 0;  // the signal that ended it
  bool hung = false;
  std::string out;
  std::string err;
};

// Built as ToolOptions().Home(dir.Path()).Env({"COLUMNS=80"}).Input("text\n").
struct ToolOptions {
  std::vector<std::string> env;      // NAME=VALUE to set, NAME to unset
  std::string input;                 // standard input, then end of file
  std::string home;                  // when set: HOME and XDG_STATE_HOME=<home>/state
  std::string cwd;                   // working directory; unchanged when empty
  std::chrono::seconds patience{60}; // killed and reported hung after this
  int user = -1; // when set (as root): run with this user and group ID and no other groups

  ToolOptions &Env(std::vector<std::string> entries) { return env = std::move(entries), *this; }
  ToolOptions &Input(std::string text) { return input = std::move(text), *this; }
  ToolOptions &Home(std::string dir) { return home = std::move(dir), *this; }
  ToolOptions &Cwd(std::string dir) { return cwd = std::move(dir), *this; }
  ToolOptions &Patience(std::chrono::seconds limit) { return patience = limit, *this; }
  // CI runs as root, which reads and writes regardless of modes: permission
  // cases run the tool as nobody instead of being skipped.
  ToolOptions &User(int id) { return user = id, *this; }
};

// A tool started but not yet waited for (to act while it runs).
struct StartedTool {
  pid_t pid = -1;
  std::string captures; // private directory of its output files
  std::chrono::seconds patience{60};
};

ToolRun RunTool(const std::vector<std::string> &argv, const ToolOptions &options = {});
StartedTool StartTool(const std::vector<std::string> &argv, const ToolOptions &options = {});
ToolRun WaitTool(const StartedTool &tool);

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  const std::string &Path() const { return path_; }

private:
  std::string path_;
};

std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &text);
ino_t Inode(const std::string &path); // 0 when there is no such file

pid_t ForkChild();
[[noreturn]] void ExitChild(int status); // without running the parent's exit handlers

// Runs `body` in a child process whose exit status is 0 when it returned true;
// the child never returns into the test runner.
template <class Body> pid_t Spawn(Body body) {
  pid_t pid = ForkChild();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
      ok = false;
    }
    ExitChild(ok ? 0 : 1);
  }
  return pid;
}
// True when the child exited normally with status 0.
bool WaitOk(pid_t pid);

} // namespace TestSupport
