#include <clikit/AutoCli.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace CliKit::AutoCli {

namespace {
// Up to this many children a node is searched by a scan.
constexpr size_t kScanLimit = 8;
} // namespace

struct NamespaceNode::ChildIndex {
  std::unordered_map<std::string, size_t> positions;
};

NamespaceNode::NamespaceNode() = default;
NamespaceNode::~NamespaceNode() = default;

void NamespaceNode::RegisterNamespaceNode(std::shared_ptr<NamespaceNode> child, const std::string &name) {
  // Registering a name again replaces the earlier node but keeps its place.
  if (index_) {
    auto [found, added] = index_->positions.try_emplace(name, children_.size());
    if (!added) {
      children_[found->second].second = std::move(child);
      return;
    }
    children_.emplace_back(name, std::move(child));
    return;
  }
  for (auto &entry : children_) {
    if (entry.first == name) {
      entry.second = std::move(child);
      return;
    }
  }
  children_.emplace_back(name, std::move(child));
  if (children_.size() > kScanLimit) {
    index_ = std::make_unique<ChildIndex>();
    index_->positions.reserve(children_.size() * 2);
    for (size_t i = 0; i < children_.size(); ++i)
      index_->positions.emplace(children_[i].first, i);
  }
}

std::shared_ptr<NamespaceNode> NamespaceNode::FindChild(const std::string &name) const {
  if (index_) {
    auto found = index_->positions.find(name);
    return found == index_->positions.end() ? nullptr : children_[found->second].second;
  }
  for (const auto &entry : children_) {
    if (entry.first == name)
      return entry.second;
  }
  return nullptr;
}

std::shared_ptr<Namespace> Namespace::New() {
  return std::make_shared<Namespace>();
}

void CommandSpec::SetDefaultOutputParameter(const std::string &key, const std::string &value) {
  for (auto &entry : outputParameters_) {
    if (entry.first == key) {
      entry.second = value;
      return;
    }
  }
  outputParameters_.emplace_back(key, value);
}

namespace {

void CloseIfOpen(int &fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

} // namespace

// Feeds the input and drains the output together so that neither side can
// block the other on a full pipe. Standard input is a socket so that writing to
// a child that stopped reading fails with EPIPE instead of raising SIGPIPE.
int RunWithShell(const std::string &command, std::string &outputText, const std::string &inputText) {
  int inPair[2] = {-1, -1};
  int outPipe[2] = {-1, -1};
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inPair) != 0)
    return -1;
  if (::pipe2(outPipe, O_CLOEXEC) != 0) {
    CloseIfOpen(inPair[0]);
    CloseIfOpen(inPair[1]);
    return -1;
  }
  // The child reads from its end only; shutting the write half lets it see EOF.
  ::shutdown(inPair[0], SHUT_WR);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPair[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  const char *argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  int spawnError = posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char *const *>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  CloseIfOpen(inPair[0]);
  CloseIfOpen(outPipe[1]);
  if (spawnError != 0) {
    CloseIfOpen(inPair[1]);
    CloseIfOpen(outPipe[0]);
    return -1;
  }

  int inFd = inPair[1];
  int outFd = outPipe[0];
  size_t written = 0;
  if (inputText.empty())
    CloseIfOpen(inFd);
  char buffer[8192];
  while (outFd >= 0) {
    pollfd fds[2];
    nfds_t count = 0;
    fds[count++] = {outFd, POLLIN, 0};
    if (inFd >= 0)
      fds[count++] = {inFd, POLLOUT, 0};
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    if (inFd >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t sent =
          ::send(inFd, inputText.data() + written, inputText.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent > 0)
        written += static_cast<size_t>(sent);
      if ((sent < 0 && errno != EAGAIN && errno != EINTR) || written == inputText.size())
        CloseIfOpen(inFd);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t got = ::read(outFd, buffer, sizeof buffer);
      if (got > 0)
        outputText.append(buffer, static_cast<size_t>(got));
      else if (got == 0 || errno != EINTR)
        CloseIfOpen(outFd);
    }
  }
  CloseIfOpen(inFd);
  CloseIfOpen(outFd);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

namespace {

std::mutex runnerMutex;
ShellRunner &CurrentRunner() {
  static ShellRunner runner;
  return runner;
}

} // namespace

ShellRunner SetShellRunner(ShellRunner runner) {
  std::lock_guard<std::mutex> lock(runnerMutex);
  ShellRunner previous = std::move(CurrentRunner());
  CurrentRunner() = std::move(runner);
  return previous;
}

} // namespace CliKit::AutoCli

int AutoCli_ShellCmd(const std::string &command, std::string &outputText, const std::string &inputText) {
  CliKit::AutoCli::ShellRunner runner;
  {
    std::lock_guard<std::mutex> lock(CliKit::AutoCli::runnerMutex);
    runner = CliKit::AutoCli::CurrentRunner();
  }
  if (runner)
    return runner(command, outputText, inputText);
  return CliKit::AutoCli::RunWithShell(command, outputText, inputText);
}
