// Temporary host files for the state-layer tests.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace HostFiles {

// A fresh directory removed with everything in it at the end of the test.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "olkctl-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  const std::string &Path() const { return path_; }

private:
  std::string path_;
};

inline void WriteFile(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline ino_t Inode(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Runs `body` in a child process; its exit status is 0 when it returned true.
// The child never returns into the test runner.
template <class Body> pid_t Spawn(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
      ok = false;
    }
    ::_exit(ok ? 0 : 1);
  }
  return pid;
}

// True when the child exited normally with status 0.
inline bool WaitOk(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace HostFiles
