// Holds one snapshot of the host's storage stack while a listing runs.
#pragma once

#include <hostctl/Export.h>

namespace HostCtl::Storage {

// While an enabled guard lives, every storage-information object created reads
// the same snapshot, taken when the guard was made, instead of checking the
// host again; a change made meanwhile through a storage-information object
// refreshes it (changes made elsewhere show once the guard ends). Guards
// nest; the outermost one decides.
class OLKCTL_API StorageInfoScopedCache {
public:
  explicit StorageInfoScopedCache(bool enable = true);
  ~StorageInfoScopedCache();
  StorageInfoScopedCache(const StorageInfoScopedCache &) = delete;
  StorageInfoScopedCache &operator=(const StorageInfoScopedCache &) = delete;

private:
  bool owner_ = false;
};

} // namespace HostCtl::Storage
