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
// beside it ("<file>.lock").
class FileStore final : public Store, public std::enable_shared_from_this<FileStore> {
public:
  explicit FileStore(std::string path);
  ~FileStore() override;
  FileStore(const FileStore &) = delete;
  FileStore &operator=(const FileStore &) = delete;

  std::shared_ptr<const State> Read() override;
  void Modify(const std::function<void(State &)> &change) override;
  std::unique_ptr<HostLock> Lock(bool exclusive) override;

  // Replaces the file with `text` (already validated) whatever it holds now;
  // the caller holds the exclusive lock.
  void WriteText(const std::string &text);
  const std::string &Path() const { return path_; }

  // In a child just forked: drop the lock this process held. flock belongs to
  // the open file description, which the child shares with its parent, so
  // keeping it would keep the parent's lock alive after the parent released it.
  void ForgetLockAfterFork();

private:
  friend class FileLock;
  void Acquire(bool exclusive);
  void Release();
  // The state in the file, from the cache while the file is unchanged. The
  // caller holds the lock, or reads without one when it cannot be created.
  std::shared_ptr<const State> LoadLocked();
  void Cache(std::shared_ptr<const State> state, int fd, const struct stat &st);

  std::string path_;
  std::string lockPath_;
  std::recursive_mutex mutex_; // threads of this process, re-entrant like the lock
  int lockFd_ = -1;
  bool heldExclusive_ = false;
  std::vector<bool> heldBefore_; // per nested hold: was the lock exclusive before it

  // The cached state and the file it came from. The file stays open so that its
  // inode cannot be reused by a later replacement and mistaken for it.
  std::shared_ptr<const State> cached_;
  int cachedFd_ = -1;
  struct stat cachedStat_ {};
};

// Makes `store` the current host of the process.
void SetCurrent(std::shared_ptr<Store> store);

} // namespace OlkCtl::Sim
