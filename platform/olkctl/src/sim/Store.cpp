#include "sim/Store.h"

#include "sim/Document.h"
#include "sim/Stores.h"

#include <hostctl/Exception.h>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
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

// The whole file, read straight into memory of its own: a copy through a
// buffer, or a zero-filled string, costs as much as the skim of the file.
struct FileText {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
};

FileText ReadAll(int fd, const std::string &path, off_t sizeHint) {
  FileText file;
  size_t capacity = sizeHint > 0 ? static_cast<size_t>(sizeHint) + 1 : 65536;
  file.bytes = std::make_unique_for_overwrite<char[]>(capacity);
  for (;;) {
    if (file.size == capacity) {
      auto bigger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(bigger.get(), file.bytes.get(), file.size);
      file.bytes = std::move(bigger);
      capacity *= 2;
    }
    ssize_t n = ::read(fd, file.bytes.get() + file.size, capacity - file.size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw StateError(path + ": cannot read: " + ErrnoText(errno));
    if (n == 0)
      return file;
    file.size += static_cast<size_t>(n);
  }
}

// Writes all of `text`; false with errno set when the file system refuses.
bool WriteAll(int fd, const std::string &text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
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

std::string BaseNameOf(const std::string &path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symlinks to the file it ends at (which need not exist).
std::string ResolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return path;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size())
      return path;
    target.resize(static_cast<size_t>(n));
    if (target.empty() || target[0] == '/' || path.find('/') == std::string::npos)
      path = target;
    else
      path = DirectoryOf(path) + "/" + target;
  }
  return path; // a loop: opening it reports ELOOP
}

// Temporaries are "<file>.tmp.XXXXXX", unique per writer.
constexpr size_t kTemporarySuffix = 6;

// Removes the temporaries that writers killed before their rename left behind.
// Only called under the exclusive lock, when no other writer has one open.
void RemoveStaleTemporaries(const std::string &file) {
  const std::string prefix = BaseNameOf(file) + ".tmp.";
  DIR *dir = ::opendir(DirectoryOf(file).c_str());
  if (!dir)
    return;
  while (const dirent *entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name.size() == prefix.size() + kTemporarySuffix && name.compare(0, prefix.size(), prefix) == 0)
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
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
  FileLock(FileStore &store, FileStore::Hold hold)
      : keepAlive_(store.weak_from_this().lock()), store_(store), guard_(store.mutex_) {
    store_.Acquire(hold);
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

FileStore::FileStore(std::string path)
    : path_(std::move(path)), file_(ResolveLinks(path_)), lockPath_(file_ + ".lock") {
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
  pinned_ = false;
}

FileStore::~FileStore() {
  std::vector<FileStore *> &live = LiveFileStores();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (cachedFd_ >= 0)
    ::close(cachedFd_);
  if (lockFd_ >= 0)
    ::close(lockFd_);
}

int FileStore::OpenLock(Hold hold) {
  struct stat st {};
  const bool hostExists = ::stat(file_.c_str(), &st) == 0;
  int fd = -1;
  int error = ENOENT;
  if (hold == Hold::kWrite || (hold == Hold::kKeepWritersOut && hostExists)) {
    // Readable by whoever may read the host, so that they can take a shared lock.
    const mode_t mode = hostExists ? (st.st_mode & 0666) | 0600 : 0600;
    fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
    error = errno;
  }
  // A lock file someone else made: flock needs only an open descriptor.
  if (fd < 0)
    fd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && hold == Hold::kWrite) {
    if (error == EACCES || error == EPERM || error == EROFS)
      CannotWriteIn(error);
    // Something other than the directory's permissions: name the lock file.
    throw StateError(path_ + ": cannot create the lock file " + lockPath_ + ": " + ErrnoText(error));
  }
  return fd;
}

void FileStore::CannotWriteIn(int error) const {
  throw StateError(path_ + ": cannot write in directory " + DirectoryOf(file_) + ": " + ErrnoText(error));
}

void FileStore::Acquire(Hold hold) {
  const bool exclusive = hold == Hold::kWrite;
  if (heldBefore_.empty()) {
    // A fresh descriptor per outermost hold: flock belongs to the open file
    // description, which a forked child would otherwise share with its parent.
    // Without a lock file a reader reads unlocked: replacement is atomic, so it
    // still sees a whole file.
    lockFd_ = OpenLock(hold);
    if (lockFd_ >= 0) {
      try {
        FlockRetry(lockFd_, exclusive ? LOCK_EX : LOCK_SH, lockPath_);
      } catch (...) {
        ::close(lockFd_);
        lockFd_ = -1;
        throw;
      }
    }
    heldExclusive_ = exclusive;
    heldBefore_.push_back(false);
    return;
  }
  bool before = heldExclusive_;
  if (exclusive && !heldExclusive_) {
    if (lockFd_ < 0)
      lockFd_ = OpenLock(Hold::kWrite);
    FlockRetry(lockFd_, LOCK_EX, lockPath_);
    heldExclusive_ = true;
    pinned_ = false;
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
    pinned_ = false;
    return;
  }
  if (heldExclusive_ && !before && lockFd_ >= 0) {
    ::flock(lockFd_, LOCK_SH);
    heldExclusive_ = false;
  }
}

std::unique_ptr<HostLock> FileStore::Lock(bool exclusive) {
  // A deliberate shared hold keeps writers out, so it makes the lock file a
  // plain read would not.
  return std::make_unique<FileLock>(*this, exclusive ? Hold::kWrite : Hold::kKeepWritersOut);
}

void FileStore::Cache(std::shared_ptr<const State> state, int fd, const struct stat &st) {
  if (cachedFd_ >= 0)
    ::close(cachedFd_);
  cached_ = std::move(state);
  cachedFd_ = fd;
  cachedStat_ = st;
}

std::shared_ptr<const State> FileStore::LoadLocked() {
  if (pinned_ && cached_)
    return cached_;
  // O_NONBLOCK: a FIFO named as the host must be refused below, not wait for a writer.
  FdGuard fd(::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0)
    throw StateError(path_ + ": cannot open: " + ErrnoText(errno));
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0)
    throw StateError(path_ + ": cannot read: " + ErrnoText(errno));
  pinned_ = lockFd_ < 0 && !heldBefore_.empty();
  if (cached_ && SameFile(st, cachedStat_))
    return cached_;
  if (!S_ISREG(st.st_mode))
    throw StateError(path_ + ": not a regular file");
  FileText text = ReadAll(fd.Get(), path_, st.st_size);
  std::shared_ptr<const State> state = OpenState(std::move(text.bytes), text.size, path_);
  Cache(state, fd.Release(), st);
  return state;
}

std::shared_ptr<const State> FileStore::Read() {
  FileLock hold(*this, Hold::kRead);
  return LoadLocked();
}

void FileStore::Modify(const std::function<void(State &)> &change) {
  FileLock hold(*this, Hold::kWrite);
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
  auto cannotWrite = [this](int error) { throw StateError(path_ + ": cannot write: " + ErrnoText(error)); };
  // The directory would let a rename replace a file the user may not write.
  if (::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    cannotWrite(errno);
  struct stat old {};
  const bool exists = ::stat(file_.c_str(), &old) == 0;

  RemoveStaleTemporaries(file_);
  std::string temporary = file_ + ".tmp." + std::string(kTemporarySuffix, 'X');
  FdGuard fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.Get() < 0)
    CannotWriteIn(errno);
  try {
    if (exists) {
      // Keep the owner where allowed (root changing a user's host), else the
      // group; where refused, the new file is simply the writer's.
      const int kept = old.st_uid != ::geteuid()   ? ::fchown(fd.Get(), old.st_uid, old.st_gid)
                       : old.st_gid != ::getegid() ? ::fchown(fd.Get(), static_cast<uid_t>(-1), old.st_gid)
                                                   : 0;
      (void)kept;
      if (::fchmod(fd.Get(), old.st_mode & 07777) != 0)
        cannotWrite(errno);
    }
    if (!WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0)
      cannotWrite(errno);
    if (::rename(temporary.c_str(), file_.c_str()) != 0)
      cannotWrite(errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  // The rename is durable only once the directory is synced.
  FdGuard dir(::open(DirectoryOf(file_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
