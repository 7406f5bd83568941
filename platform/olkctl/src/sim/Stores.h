// The two kinds of host store and the choice of the current one. Only the
// host-control entry points (HostControl.cpp) create stores.
#pragma once

#include "sim/Store.h"

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

// A host held in memory: no file system access at all.
class MemoryStore final : public Store {
public:
  explicit MemoryStore(std::shared_ptr<const State> state) : state_(std::move(state)) {}
  std::shared_ptr<const State> Read() override;
  void Modify(const std::function<void(State &)> &change) override;
  std::unique_ptr<HostLock> Lock(bool exclusive) override;

private:
  std::shared_ptr<const State> state_;
};

// A host in a state file, shared with other processes through a lock file
// beside it ("<file>.lock"). A symlinked state file is resolved once: the lock,
// the temporaries and the replacement live beside the link's target, so every
// name of one host shares its lock and a write keeps the link.
class FileStore final : public Store, public std::enable_shared_from_this<FileStore> {
public:
  explicit FileStore(std::string path);
  ~FileStore() override;
  FileStore(const FileStore &) = delete;
  FileStore &operator=(const FileStore &) = delete;

  std::shared_ptr<const State> Read() override;
  void Modify(const std::function<void(State &)> &change) override;
  std::unique_ptr<HostLock> Lock(bool exclusive) override;

  // Replaces the file with `text` (already validated) whatever it holds now,
  // keeping an existing file's mode (a new one gets 0600); the caller holds the
  // exclusive lock. A file or directory the user cannot write is a StateError
  // naming the file and the reason, and leaves the file as it was.
  void WriteText(const std::string &text);
  const std::string &Path() const { return path_; }

  // In a child just forked: drop the lock this process held. flock belongs to
  // the open file description, which the child shares with its parent, so
  // keeping it would keep the parent's lock alive after the parent released it.
  void ForgetLockAfterFork();

  // What a hold is for. Only a writer, or a reader keeping writers out, creates
  // the lock file, so that a read (of a mistyped name, or by validate) leaves
  // nothing behind; a writer that cannot have the lock fails.
  enum class Hold { kRead, kKeepWritersOut, kWrite };

private:
  friend class FileLock;
  void Acquire(Hold hold);
  void Release();
  // The lock file's descriptor, or -1 when a reader must read without it.
  int OpenLock(Hold hold);
  [[noreturn]] void CannotWriteIn(int error) const;
  // The state in the file, from the cache while the file is unchanged. The
  // caller holds the lock, or reads without one when it cannot be created.
  std::shared_ptr<const State> LoadLocked();
  void Cache(std::shared_ptr<const State> state, int fd, const struct stat &st);

  std::string path_;           // as given: what messages name
  std::string file_;           // the symlink's target, or path_
  std::string lockPath_;       // beside file_
  std::recursive_mutex mutex_; // threads of this process, re-entrant like the lock
  int lockFd_ = -1;
  bool heldExclusive_ = false;
  std::vector<bool> heldBefore_; // per nested hold: was the lock exclusive before it
  // Reading without a lock file (no writer has made one yet): the first state
  // read in the hold is kept for the rest of it, as a shared lock would keep it.
  bool pinned_ = false;

  // The cached state and the file it came from. The file stays open so that its
  // inode cannot be reused by a later replacement and mistaken for it.
  std::shared_ptr<const State> cached_;
  int cachedFd_ = -1;
  struct stat cachedStat_ {};
};

// Makes `store` the current host of the process.
void SetCurrent(std::shared_ptr<Store> store);

} // namespace OlkCtl::Sim
