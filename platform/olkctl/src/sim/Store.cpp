#include "sim/Store.h"

#include "sim/Document.h"
#include "sim/Stores.h"

#include <hostctl/Exception.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace OlkCtl::Sim {

namespace {

std::shared_ptr<Store> &CurrentSlot() {
  static std::shared_ptr<Store> current;
  return current;
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

class FdGuard {
public:
  explicit FdGuard(int fd) : fd_(fd) {}
  ~FdGuard() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FdGuard(const FdGuard &) = delete;
  FdGuard &operator=(const FdGuard &) = delete;
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

private:
  int fd_;
};

std::string ReadAll(int fd, const std::string &path, off_t sizeHint) {
  std::string text;
  text.reserve(sizeHint > 0 ? static_cast<size_t>(sizeHint) : 0);
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw StateError(path + ": cannot read: " + ErrnoText(errno));
    if (n == 0)
      return text;
    text.append(buffer, static_cast<size_t>(n));
  }
}

void WriteAll(int fd, const std::string &text, const std::string &path) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw StateError(path + ": cannot write: " + ErrnoText(errno));
    done += static_cast<size_t>(n);
  }
}

void FlockRetry(int fd, int operation, const std::string &path) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR)
      throw StateError(path + ": cannot lock: " + ErrnoText(errno));
  }
}

std::string DirectoryOf(const std::string &path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool Matches(const Fault &fault, std::string_view operation, std::string_view target) {
  return fault.operation == operation && (fault.target.empty() || fault.target == target);
}

class NoLock final : public HostLock {};

} // namespace

// --- memory store ---

std::shared_ptr<const State> MemoryStore::Read() {
  return state_;
}

void MemoryStore::Modify(const std::function<void(State &)> &change) {
  auto next = std::make_shared<State>(*state_);
  next->Reindex();
  change(*next);
  next->Reindex();
  state_ = std::move(next);
}

std::unique_ptr<HostLock> MemoryStore::Lock(bool) {
  return std::make_unique<NoLock>();
}

// --- file store ---

class FileLock final : public HostLock {
public:
  FileLock(FileStore &store, bool exclusive)
      : keepAlive_(store.weak_from_this().lock()), store_(store), guard_(store.mutex_) {
    store_.Acquire(exclusive);
  }
  ~FileLock() override { store_.Release(); }

private:
  // A guard may outlive the host's turn as the current one.
  std::shared_ptr<FileStore> keepAlive_;
  FileStore &store_;
  std::lock_guard<std::recursive_mutex> guard_;
};

namespace {

std::vector<FileStore *> &LiveFileStores() {
  // Never destroyed: the current host, itself a static, may end after it.
  static auto *stores = new std::vector<FileStore *>;
  return *stores;
}

void ForgetLocksInChild() {
  for (FileStore *store : LiveFileStores())
    store->ForgetLockAfterFork();
}

} // namespace

FileStore::FileStore(std::string path) : path_(std::move(path)), lockPath_(path_ + ".lock") {
  static const int registered = ::pthread_atfork(nullptr, nullptr, &ForgetLocksInChild);
  (void)registered;
  LiveFileStores().push_back(this);
}

void FileStore::ForgetLockAfterFork() {
  if (lockFd_ >= 0)
    ::close(lockFd_);
  lockFd_ = -1;
  heldExclusive_ = false;
  heldBefore_.clear();
}

FileStore::~FileStore() {
  std::vector<FileStore *> &live = LiveFileStores();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (cachedFd_ >= 0)
    ::close(cachedFd_);
  if (lockFd_ >= 0)
    ::close(lockFd_);
}

void FileStore::Acquire(bool exclusive) {
  if (heldBefore_.empty()) {
    // A fresh descriptor per outermost hold: flock belongs to the open file
    // description, which a forked child would otherwise share with its parent.
    lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0 && errno != ENOENT)
      lockFd_ = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd_ < 0) {
      // Replacement is atomic, so a reader without a lock still sees a whole
      // file; a writer needs the lock.
      if (exclusive)
        throw StateError(lockPath_ + ": cannot create the lock file: " + ErrnoText(errno));
    } else {
      try {
        FlockRetry(lockFd_, exclusive ? LOCK_EX : LOCK_SH, lockPath_);
      } catch (...) {
        ::close(lockFd_);
        lockFd_ = -1;
        throw;
      }
    }
    heldExclusive_ = exclusive && lockFd_ >= 0;
    heldBefore_.push_back(false);
    return;
  }
  bool before = heldExclusive_;
  if (exclusive && !heldExclusive_) {
    if (lockFd_ < 0)
      throw StateError(lockPath_ + ": cannot create the lock file");
    FlockRetry(lockFd_, LOCK_EX, lockPath_);
    heldExclusive_ = true;
  }
  heldBefore_.push_back(before);
}

void FileStore::Release() {
  if (heldBefore_.empty()) // forgotten in a forked child
    return;
  bool before = heldBefore_.back();
  heldBefore_.pop_back();
  if (heldBefore_.empty()) {
    if (lockFd_ >= 0)
      ::close(lockFd_);
    lockFd_ = -1;
    heldExclusive_ = false;
    return;
  }
  if (heldExclusive_ && !before && lockFd_ >= 0) {
    ::flock(lockFd_, LOCK_SH);
    heldExclusive_ = false;
  }
}

std::unique_ptr<HostLock> FileStore::Lock(bool exclusive) {
  return std::make_unique<FileLock>(*this, exclusive);
}

void FileStore::Cache(std::shared_ptr<const State> state, int fd, const struct stat &st) {
  if (cachedFd_ >= 0)
    ::close(cachedFd_);
  cached_ = std::move(state);
  cachedFd_ = fd;
  cachedStat_ = st;
}

std::shared_ptr<const State> FileStore::LoadLocked() {
  // O_NONBLOCK: a FIFO named as the host must be refused below, not wait for a writer.
  FdGuard fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0)
    throw StateError(path_ + ": cannot open: " + ErrnoText(errno));
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0)
    throw StateError(path_ + ": cannot read: " + ErrnoText(errno));
  if (cached_ && SameFile(st, cachedStat_))
    return cached_;
  if (!S_ISREG(st.st_mode))
    throw StateError(path_ + ": not a regular file");
  std::shared_ptr<const State> state = OpenState(ReadAll(fd.Get(), path_, st.st_size), path_);
  Cache(state, fd.Release(), st);
  return state;
}

std::shared_ptr<const State> FileStore::Read() {
  FileLock hold(*this, false);
  return LoadLocked();
}

void FileStore::Modify(const std::function<void(State &)> &change) {
  FileLock hold(*this, true);
  // Re-read under the exclusive lock: another process may have changed it.
  std::shared_ptr<const State> current = LoadLocked();
  auto next = std::make_shared<State>(*current);
  next->Reindex();
  change(*next);
  next->Reindex();
  std::string text = SaveState(*next);
  WriteText(text);
  // WriteText recorded the new file; the state it holds is `next`.
  cached_ = std::move(next);
}

void FileStore::WriteText(const std::string &text) {
  // One temporary name is enough: writers hold the exclusive lock, and a file
  // left by a writer that died is simply overwritten.
  const std::string temporary = path_ + ".tmp";
  FdGuard fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (fd.Get() < 0)
    throw StateError(temporary + ": cannot create: " + ErrnoText(errno));
  try {
    if (::fchmod(fd.Get(), 0600) != 0)
      throw StateError(temporary + ": cannot set its mode: " + ErrnoText(errno));
    WriteAll(fd.Get(), text, temporary);
    if (::fsync(fd.Get()) != 0)
      throw StateError(temporary + ": cannot sync: " + ErrnoText(errno));
    if (::rename(temporary.c_str(), path_.c_str()) != 0)
      throw StateError(path_ + ": cannot replace: " + ErrnoText(errno));
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  // The rename is durable only once the directory is synced.
  FdGuard dir(::open(DirectoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0)
    ::fsync(dir.Get());
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0)
    throw StateError(path_ + ": cannot read: " + ErrnoText(errno));
  // Keep the cached state only if the caller sets it; a bare WriteText drops it.
  Cache(nullptr, fd.Release(), st);
}

// --- the current host ---

void SetCurrent(std::shared_ptr<Store> store) {
  CurrentSlot() = std::move(store);
}

Store &Current() {
  std::shared_ptr<Store> &current = CurrentSlot();
  if (!current)
    throw HostCtl::Lib::HostCtlException("No host is in use");
  return *current;
}

void CheckFault(const FaultOperation &checked, std::string_view target) {
  const std::string_view operation = checked.name;
  Store &store = Current();
  std::shared_ptr<const State> state = store.Read();
  const Fault *hit = nullptr;
  for (const Fault &fault : state->faults().records)
    if (Matches(fault, operation, target)) {
      hit = &fault;
      break;
    }
  if (!hit)
    return;
  if (hit->times == 0)
    throw HostCtl::Lib::HostCtlException(hit->message);
  // Count down in the newest state: another process may have used it up.
  std::optional<std::string> message;
  store.Modify([&](State &newest) {
    for (auto it = newest.faults().records.begin(); it != newest.faults().records.end(); ++it) {
      if (!Matches(*it, operation, target))
        continue;
      message = it->message;
      if (it->times == 1)
        newest.faults().records.erase(it);
      else if (it->times > 1)
        --it->times;
      return;
    }
  });
  if (message)
    throw HostCtl::Lib::HostCtlException(*message);
}

} // namespace OlkCtl::Sim
