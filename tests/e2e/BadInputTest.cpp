// orlocli and orlocli-host fed what a hostile or careless user types: odd words,
// extreme numbers, broken host files, unusable directories and a host file that
// another process replaces while a command runs. Every case must end with one
// clear line on standard error, the documented exit status, no signal, nothing
// on standard output, and a host file left exactly as it was when the command
// failed.
#include "support/Tools.h"

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The kernel refuses a single argument of 128 KiB or more (MAX_ARG_STRLEN,
// counting its NUL), so this is the longest word a user can pass; eight of them
// make a command line of 1 MiB.
constexpr size_t kLongestWord = 128 * 1024 - 1;

// A run that neither ends nor blocks for this long counts as hung.
constexpr std::chrono::seconds kPatience(60);

enum class Tool { kOrlocli, kHost };

using Result = TestSupport::ToolRun;
using TestSupport::ReadFile;
using TestSupport::WriteFile;

// Everything that shows whether a file was touched: identity, size, time and
// bytes (when readable).
struct FileSnapshot {
  bool exists = false;
  ino_t inode = 0;
  off_t size = 0;
  long long modified = 0;
  std::optional<std::string> bytes;
  bool operator==(const FileSnapshot &) const = default;
};

FileSnapshot Snapshot(const std::string &path) {
  FileSnapshot snapshot;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return snapshot;
  snapshot.exists = true;
  snapshot.inode = st.st_ino;
  snapshot.size = st.st_size;
  snapshot.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  if (S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0)
    snapshot.bytes = ReadFile(path);
  return snapshot;
}

// The names in `dir`, lock files aside (readers may create them).
std::set<std::string> Listing(const std::string &dir) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(dir, error)) {
    std::string name = entry.path().filename().string();
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".lock") != 0)
      names.insert(name);
  }
  return names;
}

// A private directory per case: `dir` holds the host file host.json (from the
// default profile), HOME and XDG_STATE_HOME point into it, and the tools' output
// is captured elsewhere so that it never shows in its listing.
class Sandbox {
public:
  Sandbox() : dir_(root_.File("h")), host_(dir_ + "/host.json") {
    fs::create_directory(dir_);
    OlkCtl::Sim::CreateHostFile(host_, "default", true);
  }
  ~Sandbox() { ::chmod(host_.c_str(), 0600); } // a case may have taken its permissions

  // Hands the case's directory to `user`, who then runs the tools: root reads
  // and writes regardless of file modes.
  void GiveTo(int user) {
    ::chmod(root_.Path().c_str(), 0711);
    for (const auto &entry : fs::recursive_directory_iterator(dir_))
      EXPECT_EQ(::lchown(entry.path().c_str(), user, user), 0) << entry.path();
    EXPECT_EQ(::lchown(dir_.c_str(), user, user), 0);
    user_ = user;
  }

  const std::string &Dir() const { return dir_; }
  const std::string &Host() const { return host_; }
  std::string File(const std::string &name) const { return dir_ + "/" + name; }

  // {dir}, {host}, {long} and {digits} in `text` replaced.
  std::string Expand(std::string text) const {
    const std::vector<std::pair<std::string, std::string>> words = {
        {"{dir}", dir_},
        {"{host}", host_},
        {"{long}", std::string(kLongestWord, 'a')},
        {"{digits}", std::string(kLongestWord, '7')}};
    for (const auto &[key, value] : words)
      for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
  }

  // Starts the tool; `env` entries are NAME=VALUE to set or NAME to unset.
  TestSupport::StartedTool Start(Tool tool, const std::vector<std::string> &args,
                                 const std::vector<std::string> &env) const {
    std::vector<std::string> argv{tool == Tool::kOrlocli ? "orlocli" : "orlocli-host"};
    for (const std::string &arg : args)
      argv.push_back(Expand(arg));
    auto options = TestSupport::ToolOptions().Home(dir_).Cwd(dir_).Patience(kPatience);
    options.env.push_back("HOME=" + dir_ + "/home");
    for (const std::string &entry : env)
      options.env.push_back(Expand(entry));
    if (user_ >= 0)
      options.User(user_);
    return TestSupport::StartTool(argv, options);
  }

  Result Run(Tool tool, const std::vector<std::string> &args,
             const std::vector<std::string> &env = {}) const {
    return TestSupport::WaitTool(Start(tool, args, env));
  }

private:
  TestSupport::TempDir root_;
  std::string dir_;
  std::string host_;
  int user_ = -1;
};

// True while `pid` has not ended (it is left to be waited for).
bool Running(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// True once `pid` waits for an exclusive flock (a "->" entry of /proc/locks).
bool WaitsForExclusiveLock(pid_t pid) {
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream words(line);
    std::string number, arrow, kind, advisory, mode, owner;
    words >> number >> arrow >> kind >> advisory >> mode >> owner;
    if (arrow == "->" && kind == "FLOCK" && mode == "WRITE" && owner == std::to_string(pid))
      return true;
  }
  return false;
}

// Edits of the host file. The file is in the form the library writes, so the
// first line is "{" and the second the schema version.
void EditHost(const Sandbox &box, const std::string &from, const std::string &to) {
  std::string text = ReadFile(box.Host());
  size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  WriteFile(box.Host(), text.replace(at, from.size(), to));
}
void AddTopMember(const Sandbox &box, const std::string &member) {
  EditHost(box, "{\n", "{\n  " + member + ",\n");
}
void Truncate(const Sandbox &box) {
  std::string text = ReadFile(box.Host());
  WriteFile(box.Host(), text.substr(0, text.size() / 2));
}
void ReplaceByDirectory(const Sandbox &box) {
  fs::remove(box.Host());
  fs::create_directory(box.Host());
}
void ReplaceByFifo(const Sandbox &box) {
  fs::remove(box.Host());
  ASSERT_EQ(::mkfifo(box.Host().c_str(), 0600), 0);
}

std::vector<std::string> OnHost(std::vector<std::string> args) {
  args.insert(args.begin(), {"--host", "{host}"});
  return args;
}

// Prepares next.json: the host as another process leaves it after adding rule `id`.
void PrepareNextHost(const Sandbox &box, const std::string &id) {
  fs::copy_file(box.Host(), box.File("next.json"));
  Result made = box.Run(Tool::kOrlocli, {"--host", box.File("next.json"), "storage", "core", "claimrule",
                                         "add", "-r", id, "-t", "transport", "-R", "fc", "-P", "NMP"});
  ASSERT_EQ(made.status, 0) << made.err;
}
// What that other process does while the command waits: its atomic replacement.
void InstallNextHost(const Sandbox &box) {
  ASSERT_EQ(::rename(box.File("next.json").c_str(), box.Host().c_str()), 0);
}
void TruncateNow(const Sandbox &box) {
  std::string text = ReadFile(box.Host());
  WriteFile(box.File("next.json"), text.substr(0, text.size() / 3));
  InstallNextHost(box);
}

struct Case {
  const char *name;
  Tool tool;
  std::vector<std::string> args;
  int status;
  const char *errStart; // the one error line starts with this
  const char *errHas;   // and holds this
  std::function<void(const Sandbox &)> arrange = nullptr;
  // Runs while the command waits for the host's exclusive lock, which the test
  // holds shared: another writer's change between the command's read and write.
  std::function<void(const Sandbox &)> meanwhile = nullptr;
  std::function<void(const Sandbox &)> verify = nullptr;
  std::vector<std::string> env = {};
  const char *watched = "host.json";
  bool needsPermissions = false; // run as nobody when the tests run as root
};

void PrintTo(const Case &c, std::ostream *os) {
  *os << c.name;
}

// The file rules a claim-rule listing of `host` shows, as "id/class" words.
std::set<std::string> FileRules(const Sandbox &box) {
  Result list = box.Run(Tool::kOrlocli, {"--host", box.Host(), "--formatter", "json", "storage", "core",
                                         "claimrule", "list", "-c", "all"});
  EXPECT_EQ(list.status, 0) << list.err;
  std::set<std::string> rules;
  for (const auto &row : nlohmann::json::parse(list.out, nullptr, false))
    if (row.value("Class", "") == "file")
      rules.insert(std::to_string(row.value("Rule", -1)) + "/" + row.value("Rule Class", ""));
  return rules;
}

void WriteEmpty(const Sandbox &box) {
  WriteFile(box.Host(), "");
}
void AddUnknownMember(const Sandbox &box) {
  AddTopMember(box, R"("sizee": 1)");
}
void AddControlMember(const Sandbox &box) {
  AddTopMember(box, R"("bad\nkey\u001b[31m": 1)");
}
void AddMemberTwice(const Sandbox &box) {
  AddTopMember(box, R"("schemaVersion": 1)");
}
void MakeNewer(const Sandbox &box) {
  EditHost(box, "\"schemaVersion\": 1", "\"schemaVersion\": 2");
}
void MakeHostNameNumber(const Sandbox &box) {
  EditHost(box, "\"hostName\": \"olhost-01\"", "\"hostName\": 12");
}
void RemovePermissions(const Sandbox &box) {
  ::chmod(box.Host().c_str(), 0);
}
void MakeDirectoryReadOnly(const Sandbox &box) {
  ::chmod(box.Dir().c_str(), 0500);
}
// The lock file's name leads nowhere, as in a directory where it cannot be made.
void DangleLock(const Sandbox &box) {
  fs::remove(box.File("host.json.lock"));
  fs::create_symlink(box.File("gone/host.json.lock"), box.File("host.json.lock"));
}
// What writers killed before their rename left, and a name that only looks
// like a temporary.
void LeaveStaleTemporaries(const Sandbox &box) {
  WriteFile(box.File("host.json.tmp.Ab12cD"), "{");
  WriteFile(box.File("host.json.tmp.Ab12cDe"), "kept");
}
void StaleTemporariesGone(const Sandbox &box) {
  EXPECT_FALSE(fs::exists(box.File("host.json.tmp.Ab12cD")));
  EXPECT_TRUE(fs::exists(box.File("host.json.tmp.Ab12cDe")));
}
// $XDG_STATE_HOME leads nowhere, so the default host's directory cannot be made.
void DangleStateDirectory(const Sandbox &box) {
  fs::create_directory_symlink(box.File("gone/state"), box.File("state"));
}
void PrepareRule5000(const Sandbox &box) {
  PrepareNextHost(box, "5000");
}
void PrepareRule5001(const Sandbox &box) {
  PrepareNextHost(box, "5001");
}
void BothRulesKept(const Sandbox &box) {
  std::set<std::string> rules = FileRules(box);
  EXPECT_EQ(rules.count("5000/MP"), 1u) << "the command's own rule was lost";
  EXPECT_EQ(rules.count("5001/MP"), 1u) << "the other process's rule was lost";
}

std::vector<std::string> Words(std::vector<std::string> args) {
  return args;
}
std::vector<std::string> AddRule(std::vector<std::string> extra) {
  std::vector<std::string> args = OnHost({"storage", "core", "claimrule", "add"});
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}
std::vector<std::string> OnHostTool(std::vector<std::string> args) {
  args.insert(args.begin(), {"--host", "{host}"});
  return args;
}

// A rule the default host does not have yet.
std::vector<std::string> AddRule5000() {
  return AddRule({"-r", "5000", "-t", "transport", "-R", "fc", "-P", "NMP"});
}

const Case kCases[] = {
    // --- orlocli: the command path ---
    {"EmptyNamespaceWord", Tool::kOrlocli, OnHost({""}), 2, "Error: unknown command or namespace ''",
     "expected one of: storage"},
    {"NewlineInNamespaceWord", Tool::kOrlocli, OnHost({"storage", "co\nre"}), 2,
     "Error: unknown command or namespace 'co\\nre' in 'storage'", "expected one of: core"},
    {"LongestNamespaceWord", Tool::kOrlocli, OnHost({"storage", "{long}"}), 2,
     "Error: unknown command or namespace 'aaaa", "' in 'storage'; expected one of: core"},
    // --- orlocli: options (the parser's own tests hold every refusal) ---
    {"NewlineInUnknownOption", Tool::kOrlocli, OnHost({"storage", "core", "adapter", "list", "--bo\ngus"}), 2,
     "Error: unknown option '--bo\\ngus'", "for command"},
    {"UnknownLeadingOption", Tool::kOrlocli, OnHost({"-x", "storage"}), 2, "Error: unknown option '-x'",
     "-x"},
    {"FormatterWithoutValue", Tool::kOrlocli, OnHost({"storage", "core", "adapter", "list", "--formatter"}),
     2, "Error: option '--formatter' needs a value", "needs a value"},
    {"FormatterWithControlCharacters", Tool::kOrlocli,
     OnHost({"--formatter", "js\r\x1bon", "storage", "core", "adapter", "list"}), 2,
     "Error: unknown formatter 'js\\r\\x1bon'", "allowed: table, simple, json"},
    {"FieldsMatchingNothing", Tool::kOrlocli, OnHost({"--fields", "", "storage", "core", "adapter", "list"}),
     2, "Error: --fields names no field of ScsiAdapter", "HBA Name"},
    {"HostGivenTwice", Tool::kOrlocli,
     Words({"--host", "{host}", "--host={dir}/other.json", "storage", "core"}), 2,
     "Error: option '--host' given more than once", "more than once"},
    {"HostEmpty", Tool::kOrlocli, Words({"--host", "", "storage", "core", "claimrule", "add", "-r", "5000"}),
     2, "Error: option '--host' needs a file name", "not an empty value"},
    {"HostWithoutValue", Tool::kOrlocli, Words({"--host"}), 2, "Error: option '--host' needs a value",
     "needs a value"},
    {"HostAfterCommandPath",
     Tool::kOrlocli,
     Words({"storage", "core", "adapter", "list", "--host", "{host}"}),
     2,
     "Error: unknown option '--host'",
     "for command 'storage core adapter list'",
     nullptr,
     nullptr,
     nullptr,
     {"ORLOCLI_HOST={host}"}},
    // --- orlocli: integers ---
    {"LongestInteger", Tool::kOrlocli, AddRule({"-r", "{digits}"}), 2,
     "Error: parameter '--rule' is outside the signed 64-bit integer range", "got '7777"},
    {"OneMebibyteCommandLine", Tool::kOrlocli,
     AddRule({"-t", "vendor", "-V", "{long}", "-M", "{long}", "-P",     "{long}", "-A", "{long}",
              "-D", "{long}", "-d", "{long}", "-i", "{long}", "--wwnn", "{long}", "-r", "70000"}),
     2, "Error: parameter '--rule' must be from 0 to 65535", "got '70000'"},
    // --- orlocli: names the command reports back ---
    {"NewlineAndEscapeInDeviceName", Tool::kOrlocli,
     OnHost({"storage", "core", "device", "list", "-d", "naa.1\nnaa.2\x1b[2J"}), 1,
     "Unable to find device with name naa.1\\nnaa.2\\x1b[2J", "naa.2"},
    {"LongestDeviceName", Tool::kOrlocli, OnHost({"storage", "core", "device", "list", "-d", "{long}"}), 1,
     "Unable to find device with name aaaa", "aaaa"},
    // --- orlocli: the host file ---
    {"HostIsDirectory", Tool::kOrlocli, OnHost({"storage", "core", "adapter", "list"}), 4,
     "orlocli: ", "host.json: not a regular file", ReplaceByDirectory},
    {"HostIsFifo", Tool::kOrlocli, OnHost({"storage", "core", "adapter", "list"}), 4,
     "orlocli: ", "host.json: not a regular file", ReplaceByFifo},
    {"HostMissing",
     Tool::kOrlocli,
     Words({"--host", "{dir}/missing.json", "storage", "core", "adapter", "list"}),
     4,
     "orlocli: ",
     "missing.json: cannot open: No such file or directory",
     nullptr,
     nullptr,
     nullptr,
     {},
     "missing.json"},
    {"HostUnderRegularFile", Tool::kOrlocli,
     Words({"--host", "{host}/inner.json", "storage", "core", "adapter", "list"}), 4,
     "orlocli: ", "host.json/inner.json: cannot open: Not a directory"},
    {"HostNameTooLong", Tool::kOrlocli, Words({"--host", "{long}", "storage", "core", "adapter", "list"}), 4,
     "orlocli: aaaa", "cannot open: File name too long"},
    {"HostWithoutPermission",
     Tool::kOrlocli,
     OnHost({"storage", "core", "adapter", "list"}),
     4,
     "orlocli: ",
     "host.json: cannot open: Permission denied",
     RemovePermissions,
     nullptr,
     nullptr,
     {},
     "host.json",
     true},
    // Families are read on first use: the command that reaches a broken one
    // ends as a broken host does at start-up.
    {"BrokenFamilyOnFirstUse", Tool::kOrlocli, OnHost({"storage", "core", "device", "list"}), 4,
     "orlocli: ", "host.json: devices[0].name: ",
     [](const Sandbox &box) { EditHost(box, "\n  \"devices\": [", "\n  \"devices\": [{\"name\": 5},"); }},
    // A command reads the file only as far as the families it uses; a change
    // reads all of it first.
    {"HostTruncated", Tool::kOrlocli, AddRule5000(), 4, "orlocli: ", "host.json: line ", Truncate},
    {"HostEmptyFile", Tool::kOrlocli, AddRule({"-r", "5000"}), 4, "orlocli: ",
     "host.json: line 1, column 1: syntax error while parsing value - unexpected end of input", WriteEmpty},
    {"HostUnknownMember", Tool::kOrlocli, AddRule({"-r", "5000"}), 4,
     "orlocli: ", "host.json: sizee: unknown member", AddUnknownMember},
    {"HostMemberWithControlCharacters", Tool::kOrlocli, OnHost({"--catalog"}), 4,
     "orlocli: ", "host.json: bad\\nkey\\x1b[31m: unknown member", AddControlMember},
    {"HostNewerSchema", Tool::kOrlocli, AddRule({"-r", "5000"}), 4, "orlocli: ",
     "host.json: schemaVersion: the file was written by a newer version (schema version 2; this version "
     "reads up "
     "to 1)",
     MakeNewer},
    {"HostMemberTwice", Tool::kOrlocli, OnHost({"--help"}), 4,
     "orlocli: ", "host.json: top level: member \"schemaVersion\" appears twice", AddMemberTwice},
    {"HostFromEnvironmentIsDirectory",
     Tool::kOrlocli,
     Words({"storage", "core", "adapter", "list"}),
     4,
     "orlocli: ",
     "/h: not a regular file",
     nullptr,
     nullptr,
     nullptr,
     {"ORLOCLI_HOST={dir}"}},
    {"DefaultHostDirectoryCannotBeMade",
     Tool::kOrlocli,
     Words({"storage", "core", "adapter", "list"}),
     4,
     "orlocli: ",
     "state/orlocli: cannot create the directory: No such file or directory",
     DangleStateDirectory,
     nullptr,
     nullptr,
     {},
     "state/orlocli/host.json"},
    // --- orlocli: a changing command that cannot write ---
    {"StateDirectoryReadOnly",
     Tool::kOrlocli,
     AddRule5000(),
     4,
     "orlocli: ",
     "host.json: cannot write in directory ",
     MakeDirectoryReadOnly,
     nullptr,
     nullptr,
     {},
     "host.json",
     true},
    {"LockFileCannotBeMade", Tool::kOrlocli, AddRule5000(), 4,
     "orlocli: ", "host.json: cannot create the lock file ", DangleLock},
    {"StaleTemporariesAreRemoved", Tool::kOrlocli, AddRule5000(), 0, "", "", LeaveStaleTemporaries, nullptr,
     StaleTemporariesGone},
    // --- orlocli: another process replaces the host while the command runs ---
    {"HostTruncatedBetweenReadAndWrite", Tool::kOrlocli, AddRule5000(), 4, "orlocli: ", "host.json: line ",
     nullptr, TruncateNow},
    {"RuleAddedBetweenReadAndWrite", Tool::kOrlocli, AddRule5000(), 1, "Unable to perform add operation. ",
     "A claim rule with id 5000 already exists in class MP.", PrepareRule5000, InstallNextHost},
    {"OtherChangeBetweenReadAndWriteIsKept", Tool::kOrlocli, AddRule5000(), 0, "", "", PrepareRule5001,
     InstallNextHost, BothRulesKept},
    // --- orlocli-host: the command line ---
    {"HostToolEmptyCommand", Tool::kHost, Words({""}), 2, "orlocli-host: unknown command \"\"", "--help"},
    {"HostToolNewlineInCommand", Tool::kHost, Words({"sh\now"}), 2,
     "orlocli-host: unknown command \"sh\\now\"", "--help"},
    {"HostToolHostWithoutValue", Tool::kHost, Words({"--host"}), 2,
     "orlocli-host: option --host needs a value", "value"},
    {"HostToolHostEmpty", Tool::kHost, Words({"--host=", "fault", "clear"}), 2,
     "orlocli-host: option --host needs a file name", "not an empty value"},
    {"HostToolHostGivenTwice", Tool::kHost, OnHostTool({"--host", "{host}", "fault", "clear"}), 2,
     "orlocli-host: option --host given more than once", "more than once"},
    {"HostToolOptionAfterFile", Tool::kHost, Words({"show", "{host}", "--host", "{host}"}), 2,
     "orlocli-host: unknown option --host for show", "--help"},
    {"HostToolSecondFile", Tool::kHost, Words({"show", "{host}", "{host}"}), 2,
     "orlocli-host: unexpected argument \"", "host.json\" for show"},
    // --- orlocli-host init ---
    {"InitOverExistingFile", Tool::kHost, Words({"init", "--profile", "empty", "{host}"}), 1,
     "orlocli-host: ", "host.json already exists (use --force to replace it)"},
    {"InitFlagTwice", Tool::kHost, Words({"init", "--force", "--force", "{host}"}), 2,
     "orlocli-host: option --force of init given more than once", "more than once"},
    {"InitUnknownProfile", Tool::kHost, Words({"init", "--profile", "nosuch", "--force", "{host}"}), 2,
     "orlocli-host: unknown profile \"nosuch\"", "profiles"},
    {"InitEmptyFileName", Tool::kHost, Words({"init", ""}), 2,
     "orlocli-host: unexpected empty argument for init", "init"},
    {"InitForcedCannotWrite", Tool::kHost, Words({"init", "--force", "{host}"}), 4,
     "orlocli-host: ", "host.json: cannot create the lock file ", DangleLock},
    // --- orlocli-host fault ---
    {"FaultAddUnknownOperation", Tool::kHost,
     OnHostTool({"fault", "add", "StorageInfo::GetScsiInterfacez", "--message", "m"}), 2,
     "orlocli-host: unknown operation \"StorageInfo::GetScsiInterfacez\" (close names: "
     "StorageInfo::GetScsiInterface, StorageInfo::GetScsiInterfaces, StorageInfo::GetiScsiInterfaces, "
     "StorageInfo::RescanScsiInterfaces)",
     "close names"},
    {"FaultAddMessageWithoutValue", Tool::kHost,
     OnHostTool({"fault", "add", "Lun::GetRaidInfo", "--message"}), 2,
     "orlocli-host: option --message of fault add needs a value", "needs a value"},
    {"FaultAddMessageTwice", Tool::kHost,
     OnHostTool({"fault", "add", "Lun::GetRaidInfo", "--message", "a", "--message=b"}), 2,
     "orlocli-host: option --message of fault add given more than once", "more than once"},
    {"FaultAddLongestWords", Tool::kHost,
     OnHostTool({"fault", "add", "{long}", "--message", "{long}", "--times", "{digits}"}), 2,
     "orlocli-host: --times needs a whole number of 0 or more", "not \"7777"},
    {"FaultAddEmptyOperation", Tool::kHost, OnHostTool({"fault", "add", "", "--message", "m"}), 2,
     "orlocli-host: unexpected empty argument for fault add", "fault add"},
    {"FaultAddTwoOperations", Tool::kHost, OnHostTool({"fault", "add", "A::B", "C::D", "--message", "m"}), 2,
     "orlocli-host: unexpected argument \"C::D\" for fault add", "fault add"},
    {"FaultAddOnTruncatedHost", Tool::kHost,
     OnHostTool({"fault", "add", "Host::GetHardwareInfo", "--message", "m"}), 4,
     "orlocli-host: ", "host.json: line ", Truncate},
    {"FaultClearOnNewerHost", Tool::kHost, OnHostTool({"fault", "clear"}), 4,
     "orlocli-host: ", "schemaVersion: the file was written by a newer version", MakeNewer},
    {"FaultClearLockCannotBeMade", Tool::kHost, OnHostTool({"fault", "clear"}), 4,
     "orlocli-host: ", "host.json: cannot create the lock file ", DangleLock},
    {"FaultAddHostTruncatedMeanwhile", Tool::kHost,
     OnHostTool({"fault", "add", "Host::GetHardwareInfo", "--message", "m"}), 4,
     "orlocli-host: ", "host.json: line ", nullptr, TruncateNow},
    // --- orlocli-host validate and show of broken files ---
    {"ValidateTruncated", Tool::kHost, Words({"validate", "{host}"}), 1, "orlocli-host: ", "host.json: line ",
     Truncate},
    {"ValidateMemberWithControlCharacters", Tool::kHost, Words({"validate", "{host}"}), 1,
     "orlocli-host: ", "host.json: bad\\nkey\\x1b[31m: unknown member", AddControlMember},
    {"ValidateWrongType", Tool::kHost, Words({"validate", "{host}"}), 1,
     "orlocli-host: ", "host.json: system.hostName: expected a string, found an integer", MakeHostNameNumber},
    {"ValidateDirectory", Tool::kHost, Words({"validate", "{host}"}), 1,
     "orlocli-host: ", "host.json: not a regular file", ReplaceByDirectory},
    {"ValidateMissing",
     Tool::kHost,
     Words({"validate", "{dir}/missing.json"}),
     1,
     "orlocli-host: ",
     "missing.json: cannot open: No such file or directory",
     nullptr,
     nullptr,
     nullptr,
     {},
     "missing.json"},
    {"ValidateEmptyFileName", Tool::kHost, Words({"validate", ""}), 2,
     "orlocli-host: unexpected empty argument", "validate"},
    {"ShowTruncated", Tool::kHost, Words({"show", "{host}"}), 4, "orlocli-host: ", "host.json: line ",
     Truncate},
    {"ShowUnderRegularFile", Tool::kHost, Words({"show", "{host}/inner.json"}), 4,
     "orlocli-host: ", "inner.json: cannot open: Not a directory"},
};

class BadInput : public testing::TestWithParam<Case> {};

TEST_P(BadInput, EndsWithOneClearLineAndLeavesTheHostAlone) {
  const Case &c = GetParam();
  Sandbox box;
  if (c.needsPermissions && ::geteuid() == 0)
    box.GiveTo(65534);
  if (c.arrange)
    c.arrange(box);
  if (testing::Test::HasFatalFailure())
    return;
  const std::string watched = box.File(c.watched);
  FileSnapshot before = Snapshot(watched);
  const std::set<std::string> namesBefore = Listing(box.Dir());

  Result run;
  if (c.meanwhile) {
    // Holding the lock shared lets the command read but makes its write wait.
    int lock = ::open((box.Host() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_SH), 0);
    TestSupport::StartedTool started = box.Start(c.tool, c.args, c.env);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    bool waiting = false;
    while (!waiting && std::chrono::steady_clock::now() < deadline && Running(started.pid)) {
      waiting = WaitsForExclusiveLock(started.pid);
      if (!waiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (waiting) {
      c.meanwhile(box);
      before = Snapshot(watched);
    }
    ::close(lock);
    run = TestSupport::WaitTool(started);
    ASSERT_TRUE(waiting) << "the command never waited to write the host; stderr: " << run.err;
  } else {
    run = box.Run(c.tool, c.args, c.env);
  }

  ASSERT_FALSE(run.hung) << "no result within " << kPatience.count() << " s";
  ASSERT_EQ(run.signal, 0) << "killed by signal " << run.signal << "; stderr: " << run.err;
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out, "") << "standard output of a failed or silent command";

  if (*c.errStart || *c.errHas) {
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
    EXPECT_EQ(run.err.find_first_of("\r\x1b"), std::string::npos) << "raw control characters: " << run.err;
    EXPECT_EQ(run.err.rfind(c.errStart, 0), 0u) << run.err.substr(0, 400);
    EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err.substr(0, 400);
  } else {
    EXPECT_EQ(run.err, "");
  }

  if (run.status != 0) {
    EXPECT_TRUE(Snapshot(watched) == before) << c.watched << " changed although the command failed";
    std::set<std::string> namesAfter = Listing(box.Dir());
    for (const std::string &name : namesAfter)
      EXPECT_TRUE(namesBefore.count(name)) << "left behind: " << name;
  }
  if (c.verify)
    c.verify(box);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
