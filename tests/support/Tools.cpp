#include "support/Tools.h"

#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace TestSupport {

namespace {
std::string MakeTempDir(const char *prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "mkdtemp failed";
    return "";
  }
  return pattern;
}

void SetOrUnset(const std::string &entry) {
  size_t equals = entry.find('=');
  if (equals == std::string::npos)
    ::unsetenv(entry.c_str());
  else
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
}
} // namespace

TempDir::TempDir() : path_(MakeTempDir("orlocli-test")) {}

TempDir::~TempDir() {
  // A test may have taken permissions away.
  std::error_code ignored;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
      ::chmod(entry.path().c_str(), 0700);
  ::chmod(path_.c_str(), 0700);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

ino_t Inode(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

pid_t ForkChild() {
  return ::fork();
}

void ExitChild(int status) {
  ::_exit(status);
}

bool WaitOk(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

StartedTool StartTool(const std::vector<std::string> &argv, const ToolOptions &options) {
  StartedTool started;
  started.patience = options.patience;
  started.captures = MakeTempDir("orlocli-tool");
  std::vector<std::string> words = argv;
  if (!words.empty() && words[0].find('/') == std::string::npos &&
      ::access(BinPath(words[0]).c_str(), X_OK) == 0)
    words[0] = BinPath(words[0]);
  const std::string in = started.captures + "/in", out = started.captures + "/out",
                    err = started.captures + "/err";
  WriteFile(in, options.input);
  started.pid = ::fork();
  if (started.pid != 0)
    return started;
  int inFd = ::open(in.c_str(), O_RDONLY);
  int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (inFd < 0 || outFd < 0 || errFd < 0)
    ::_exit(126);
  ::dup2(inFd, 0);
  ::dup2(outFd, 1);
  ::dup2(errFd, 2);
  for (const char *name : {"ORLOCLI_HOST", "ORLOCLI_PLUGIN_DIR", "COLUMNS"})
    ::unsetenv(name);
  if (!options.home.empty()) {
    ::setenv("HOME", options.home.c_str(), 1);
    ::setenv("XDG_STATE_HOME", (options.home + "/state").c_str(), 1);
  }
  for (const std::string &entry : options.env)
    SetOrUnset(entry);
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0)
    ::_exit(126);
  if (options.user >= 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(options.user) != 0 || ::setuid(options.user) != 0))
    ::_exit(126);
  std::vector<char *> pointers;
  for (std::string &word : words)
    pointers.push_back(word.data());
  pointers.push_back(nullptr);
  ::execvp(pointers[0], pointers.data());
  ::_exit(127);
}

ToolRun WaitTool(const StartedTool &tool) {
  ToolRun result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + tool.patience;
  while (::waitpid(tool.pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(tool.pid, SIGKILL);
      ::waitpid(tool.pid, &status, 0);
      result.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!result.hung && WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  if (!result.hung && WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
  result.out = ReadFile(tool.captures + "/out");
  result.err = ReadFile(tool.captures + "/err");
  std::error_code ignored;
  std::filesystem::remove_all(tool.captures, ignored);
  return result;
}

ToolRun RunTool(const std::vector<std::string> &argv, const ToolOptions &options) {
  return WaitTool(StartTool(argv, options));
}

} // namespace TestSupport
