// The edges of a host file and of standard output, met as a user without
// special rights meets them (the tools run as "nobody" when the test runs as
// root): a directory or file that cannot be written, a read that must leave
// nothing behind, a symlinked or shared host file, a full disk, and repeated
// options. Every refusal is one exact line and leaves the sandbox as it was.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

bool AsRoot() {
  return ::geteuid() == 0;
}

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// A scratch tree: {root}, {dir} = {root}/h holding {host}, both the
// unprivileged user's, and {root}/.out (root's) for the captured streams.
class Sandbox {
public:
  Sandbox() {
    std::string pattern = (fs::temp_directory_path() / "orlocli-edges-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      ADD_FAILURE() << "mkdtemp failed";
    root_ = pattern;
    ::chmod(root_.c_str(), 0755);
    fs::create_directory(Dir());
    fs::create_directory(root_ + "/.out");
    // The user's, so that a stray lock file beside {dir} could be made and seen.
    for (const std::string &mine : {root_, Dir()})
      if (AsRoot() && ::chown(mine.c_str(), kNobody, kNobody) != 0)
        ADD_FAILURE() << "cannot give " << mine << " to nobody";
  }
  ~Sandbox() {
    ::chmod(Dir().c_str(), 0700); // a case may have made it read-only
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Sandbox(const Sandbox &) = delete;
  Sandbox &operator=(const Sandbox &) = delete;

  std::string Root() const { return root_; }
  std::string Dir() const { return root_ + "/h"; }
  std::string Host() const { return Dir() + "/host.json"; }

  std::string Expand(std::string text) const {
    const std::vector<std::pair<std::string, std::string>> words = {
        {"{host}", Host()}, {"{dir}", Dir()}, {"{root}", root_}};
    for (const auto &[word, value] : words)
      for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + value.size()))
        text.replace(at, word.size(), value);
    return text;
  }

  // Runs a built tool as the unprivileged user. Standard output goes to
  // /dev/full when `fullStdout`; `fileLimit` bounds the size of any file the
  // tool writes, as a full disk would.
  Result Run(const std::string &tool, const std::vector<std::string> &args, bool fullStdout = false,
             rlim_t fileLimit = 0) const {
    const std::string outPath = root_ + "/.out/stdout", errPath = root_ + "/.out/stderr";
    std::vector<std::string> words;
    if (AsRoot())
      words = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    words.push_back(TestSupport::BinPath(tool));
    for (const std::string &arg : args)
      words.push_back(Expand(arg));
    std::vector<char *> argv;
    for (std::string &word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
      int out = fullStdout ? ::open("/dev/full", O_WRONLY)
                           : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
        ::_exit(125);
      if (fileLimit != 0) {
        rlimit limit{fileLimit, fileLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
      }
      // Never the user's own default host.
      ::setenv("HOME", root_.c_str(), 1);
      ::unsetenv("ORLOCLI_HOST");
      ::unsetenv("XDG_STATE_HOME");
      ::execvp(argv[0], argv.data());
      ::_exit(126);
    }
    Result result;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
      return result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = fullStdout ? std::string() : ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
  }

private:
  std::string root_;
};

// Everything under the sandbox (but the captured streams) that shows a change:
// each entry's type and mode, and a file's inode, size, time, link target and
// bytes.
std::map<std::string, std::string> Snapshot(const Sandbox &box) {
  std::map<std::string, std::string> entries;
  for (const auto &entry : fs::recursive_directory_iterator(box.Root())) {
    const std::string path = entry.path().string();
    if (path.rfind(box.Root() + "/.out", 0) == 0)
      continue;
    struct stat st {};
    ::lstat(path.c_str(), &st);
    std::ostringstream line;
    line << std::oct << st.st_mode << std::dec;
    // A directory's own time changes with a temporary made and removed; its
    // entries are what count, and they are listed themselves.
    if (!S_ISDIR(st.st_mode))
      line << " inode " << st.st_ino << " size " << st.st_size << " time " << st.st_mtim.tv_sec << "."
           << st.st_mtim.tv_nsec;
    if (S_ISLNK(st.st_mode))
      line << " -> " << fs::read_symlink(entry.path()).string();
    else if (S_ISREG(st.st_mode))
      line << " bytes " << std::hash<std::string>{}(ReadFile(path));
    entries[path] = line.str();
  }
  return entries;
}

mode_t ModeOf(const std::string &path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// The file claim rules of a host, as "rule/class" lines of the csv listing.
std::string FileRules(const Sandbox &box) {
  Result list = box.Run("orlocli", {"--host", "{host}", "--formatter", "csv", "--fields", "Rule,Class",
                                    "storage", "core", "claimrule", "list"});
  EXPECT_EQ(list.status, 0) << list.err;
  return list.out;
}

const std::vector<std::string> kAddRule = {"storage", "core",      "claimrule", "add", "-r", "500",
                                           "-t",      "transport", "-R",        "fc",  "-P", "NMP"};

std::vector<std::string> OnHost(std::vector<std::string> words, const char *host = "{host}") {
  words.insert(words.begin(), {"--host", host});
  return words;
}

void ReadOnlyDir(const Sandbox &box) {
  ::chmod(box.Dir().c_str(), 0555);
}
void NoLockFile(const Sandbox &box) {
  fs::remove(box.Host() + ".lock");
}
void ReadOnlyDirWithoutLock(const Sandbox &box) {
  NoLockFile(box);
  ReadOnlyDir(box);
}

struct Case {
  const char *name;
  const char *tool;
  std::vector<std::string> args;
  int status;
  const char *err; // the whole of standard error, expanded
  std::function<void(const Sandbox &)> arrange = nullptr;
  bool fullStdout = false;
  rlim_t fileLimit = 0;
  const char *outStart = nullptr; // standard output starts with this, when given
  // A command that changes the host: checked by `verify` instead of the
  // "nothing changed" rule.
  std::function<void(const Sandbox &)> verify = nullptr;
};

void PrintTo(const Case &c, std::ostream *os) {
  *os << c.name;
}

const char *const kDirRefused = "orlocli: {host}: cannot write in directory {dir}: Permission denied\n";
const char *const kStdoutFull = "orlocli: cannot write to standard output: No space left on device\n";

const Case kCases[] = {
    // --- a directory the user cannot write, with and without a lock file ---
    {"AddWithoutLockFile", "orlocli", OnHost(kAddRule), 4, kDirRefused, ReadOnlyDirWithoutLock},
    {"AddWithLockFile", "orlocli", OnHost(kAddRule), 4, kDirRefused, ReadOnlyDir},
    {"PathSet", "orlocli",
     OnHost({"storage", "core", "path", "set", "-p", "olhba2:C0:T0:L1", "--state", "off"}), 4, kDirRefused,
     ReadOnlyDirWithoutLock},
    {"AdapterRescan", "orlocli", OnHost({"storage", "core", "adapter", "rescan", "--all"}), 4, kDirRefused,
     ReadOnlyDir},
    {"ClaimruleLoad", "orlocli", OnHost({"storage", "core", "claimrule", "load"}), 4, kDirRefused,
     ReadOnlyDirWithoutLock},
    {"ClaimruleRun", "orlocli", OnHost({"storage", "core", "claimrule", "run"}), 4, kDirRefused, ReadOnlyDir},
    {"HostToolFaultAdd",
     "orlocli-host",
     {"--host", "{host}", "fault", "add", "A::B", "--message", "m"},
     4,
     "orlocli-host: {host}: cannot write in directory {dir}: Permission denied\n",
     ReadOnlyDirWithoutLock},
    // Reading needs no lock file and makes none.
    {"ListInReadOnlyDirectory", "orlocli", OnHost({"storage", "core", "adapter", "list"}), 0, "",
     ReadOnlyDirWithoutLock, false, 0, "HBA Name  Driver"},
    // --- a host file the user cannot write ---
    {"AddToReadOnlyFile", "orlocli", OnHost(kAddRule), 4,
     "orlocli: {host}: cannot write: Permission denied\n",
     [](const Sandbox &box) { ::chmod(box.Host().c_str(), 0444); }},
    {"InitForceOverReadOnlyFile",
     "orlocli-host",
     {"init", "--force", "{host}"},
     4,
     "orlocli-host: {host}: cannot write: Permission denied\n",
     [](const Sandbox &box) { ::chmod(box.Host().c_str(), 0444); }},
    // --- a full disk: the write fails, the host stays, no temporary is left ---
    {"AddOnFullDisk", "orlocli", OnHost(kAddRule), 4, "orlocli: {host}: cannot write: File too large\n",
     nullptr, false, 4096},
    // --- reads that fail leave no lock file ---
    {"ListAbsentHost",
     "orlocli",
     {"--host", "{dir}/r.json", "storage", "core", "adapter", "list"},
     4,
     "orlocli: {dir}/r.json: cannot open: No such file or directory\n"},
    {"DirectoryAsHost",
     "orlocli",
     {"--host", "{dir}", "storage", "core", "adapter", "list"},
     4,
     "orlocli: {dir}: not a regular file\n"},
    {"ShowAbsentHost",
     "orlocli-host",
     {"show", "{dir}/r.json"},
     4,
     "orlocli-host: {dir}/r.json: cannot open: No such file or directory\n"},
    {"ValidateMakesNoLockFile",
     "orlocli-host",
     {"validate", "{host}"},
     0,
     "",
     NoLockFile,
     false,
     0,
     "{host}: valid\n"},
    // --- standard output that cannot be written ---
    {"DeviceListToFullDisk", "orlocli", OnHost({"storage", "core", "device", "list", "--formatter", "json"}),
     1, kStdoutFull, nullptr, true},
    {"CatalogToFullDisk", "orlocli", OnHost({"--catalog"}), 1, kStdoutFull, nullptr, true},
    {"CompletionToFullDisk", "orlocli", OnHost({"--completion", "bash"}), 1, kStdoutFull, nullptr, true},
    {"HelpToFullDisk", "orlocli", OnHost({"--help"}), 1, kStdoutFull, nullptr, true},
    {"VersionToFullDisk", "orlocli", {"--version"}, 1, kStdoutFull, nullptr, true},
    {"HostShowToFullDisk",
     "orlocli-host",
     {"show", "{host}"},
     1,
     "orlocli-host: cannot write to standard output: No space left on device\n",
     nullptr,
     true},
    {"HostProfilesToFullDisk",
     "orlocli-host",
     {"profiles"},
     1,
     "orlocli-host: cannot write to standard output: No space left on device\n",
     nullptr,
     true},
    // --- the command line ---
    {"HelpWinsOverVersion", "orlocli", OnHost({"--version", "--help"}), 0, "", nullptr, false, 0,
     "Usage: orlocli "},
    {"FormatterTwice", "orlocli",
     OnHost({"--formatter", "json", "--formatter", "xml", "storage", "core", "adapter", "list"}), 2,
     "Error: option '--formatter' given more than once\n"},
    {"FieldsTwice", "orlocli",
     OnHost({"storage", "core", "adapter", "list", "--fields", "HBA Name", "--fields=Driver"}), 2,
     "Error: option '--fields' given more than once\n"},
    {"HostTwice", "orlocli", OnHost(OnHost({"storage", "core", "adapter", "list"})), 2,
     "Error: option '--host' given more than once\n"},
    {"HostToolHostTwice",
     "orlocli-host",
     {"--host", "{host}", "--host={host}", "fault", "list"},
     2,
     "orlocli-host: option --host given more than once\n"},
    {"GenerateDevicesTwice",
     "orlocli-host",
     {"generate", "--devices", "10", "--devices", "20", "{dir}/g.json"},
     2,
     "orlocli-host: option --devices of generate given more than once\n"},
    // --- changes that succeed: through a link, keeping modes ---
    {"AddThroughSymlink", "orlocli", OnHost(kAddRule, "{root}/l/link.json"), 0, "",
     [](const Sandbox &box) {
       fs::create_directory(box.Root() + "/l"); // root's: nothing may be made beside the link
       fs::create_symlink("../h/host.json", box.Root() + "/l/link.json");
     },
     false, 0, nullptr,
     [](const Sandbox &box) {
       EXPECT_TRUE(fs::is_symlink(box.Root() + "/l/link.json"));
       EXPECT_EQ(std::distance(fs::directory_iterator(box.Root() + "/l"), fs::directory_iterator()), 1);
       EXPECT_NE(FileRules(box).find("500,file\n"), std::string::npos) << "the change missed the target";
     }},
    {"SharedModeIsKept", "orlocli", OnHost(kAddRule), 0, "",
     [](const Sandbox &box) { ::chmod(box.Host().c_str(), 0640); }, false, 0, nullptr,
     [](const Sandbox &box) { EXPECT_EQ(ModeOf(box.Host()), S_IFREG | 0640); }},
    {"NewHostIsPrivate",
     "orlocli-host",
     {"init", "{dir}/new.json"},
     0,
     "",
     nullptr,
     false,
     0,
     "Created {dir}/new.json",
     [](const Sandbox &box) { EXPECT_EQ(ModeOf(box.Dir() + "/new.json"), S_IFREG | 0600); }},
};

class HostFileEdges : public testing::TestWithParam<Case> {};

TEST_P(HostFileEdges, OneExactLineAndNothingLeftBehind) {
  const Case &c = GetParam();
  Sandbox box;
  Result init = box.Run("orlocli-host", {"init", "{host}"});
  ASSERT_EQ(init.status, 0) << init.err;
  ASSERT_TRUE(fs::exists(box.Host() + ".lock"));
  if (c.arrange)
    c.arrange(box);
  const auto before = Snapshot(box);

  Result run = box.Run(c.tool, c.args, c.fullStdout, c.fileLimit);

  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.err, box.Expand(c.err));
  if (c.outStart) {
    EXPECT_EQ(run.out.rfind(box.Expand(c.outStart), 0), 0u) << run.out.substr(0, 200);
  }
  if (c.verify) {
    c.verify(box);
    for (const auto &[path, entry] : Snapshot(box))
      EXPECT_EQ(path.find(".tmp"), std::string::npos) << "left behind: " << path;
  } else {
    const auto after = Snapshot(box);
    for (const auto &[path, entry] : after)
      EXPECT_TRUE(before.count(path)) << "left behind: " << path;
    for (const auto &[path, entry] : before) {
      auto now = after.find(path);
      EXPECT_TRUE(now != after.end() && now->second == entry) << "changed: " << path;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostFileEdges, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
