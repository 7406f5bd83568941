// UNFINISHED SKELETON: the devices family replaces this file with its real operations.
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

#define UNFINISHED throw HostCtlException("unfinished")

namespace OlkCtl::Storage {
std::vector<std::unique_ptr<Lun>> StorageInfoImpl::GetLuns(bool, bool) { UNFINISHED; }
std::unique_ptr<Lun> StorageInfoImpl::GetLun(const std::string &, bool) { UNFINISHED; }
std::string StorageInfoImpl::ResolveRuntimeLunName(const std::string &) { UNFINISHED; }
std::unordered_map<std::string, std::string> StorageInfoImpl::GetDeviceDisplayNames() { UNFINISHED; }
std::unique_ptr<Lun> LunImpl::GetLun(const std::string &, bool) { UNFINISHED; }
} // namespace OlkCtl::Storage
