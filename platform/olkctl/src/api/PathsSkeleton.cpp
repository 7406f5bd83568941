// UNFINISHED SKELETON: the paths family replaces this file with its real operations.
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

#define UNFINISHED throw HostCtlException("unfinished")

namespace OlkCtl::Storage {
std::vector<std::string> StorageInfoImpl::GetLunPathAdapters(const std::string &) { UNFINISHED; }
std::vector<std::unique_ptr<ScsiPath>> StorageInfoImpl::GetScsiPaths() { UNFINISHED; }
std::unique_ptr<ScsiPath> StorageInfoImpl::GetScsiPath(const std::string &) { UNFINISHED; }
std::unique_ptr<ScsiPath> ScsiPathImpl::GetPath(const std::string &) { UNFINISHED; }
} // namespace OlkCtl::Storage
