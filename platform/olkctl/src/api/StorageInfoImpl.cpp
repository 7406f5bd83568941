#include <olkctl/storage/StorageInfoImpl.h>

#include "sim/Store.h"

namespace OlkCtl::Storage {

StorageInfoImpl::StorageInfoImpl() : state_(Sim::Current().Read()) {}

StorageInfoImpl::~StorageInfoImpl() = default;

void StorageInfoImpl::Refresh() {
  state_ = Sim::Current().Read();
}

} // namespace OlkCtl::Storage
