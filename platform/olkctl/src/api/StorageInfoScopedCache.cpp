#include <hostctl/storage/StorageInfoScopedCache.h>

#include <olkctl/storage/StorageInfoImpl.h>

#include "sim/Store.h"

#include <memory>

namespace {
// The snapshot pinned by the outermost live guard; null when none is.
std::shared_ptr<const OlkCtl::Sim::State> &Pinned() {
  static std::shared_ptr<const OlkCtl::Sim::State> pinned;
  return pinned;
}
} // namespace

namespace HostCtl::Storage {

StorageInfoScopedCache::StorageInfoScopedCache(bool enable) {
  if (enable && !Pinned()) {
    Pinned() = OlkCtl::Sim::Current().Read();
    owner_ = true;
  }
}

StorageInfoScopedCache::~StorageInfoScopedCache() {
  if (owner_)
    Pinned().reset();
}

} // namespace HostCtl::Storage

namespace OlkCtl::Storage {

StorageInfoImpl::StorageInfoImpl() : state_(Pinned() ? Pinned() : Sim::Current().Read()) {}

StorageInfoImpl::~StorageInfoImpl() = default;

void StorageInfoImpl::Refresh() {
  state_ = Sim::Current().Read();
  if (Pinned())
    Pinned() = state_;
}

} // namespace OlkCtl::Storage
