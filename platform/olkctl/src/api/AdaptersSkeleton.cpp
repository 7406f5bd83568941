// UNFINISHED SKELETON: the adapters family replaces this file with its real operations.
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

#define UNFINISHED throw HostCtlException("unfinished")

namespace OlkCtl::Storage {
std::vector<std::unique_ptr<ScsiInterface>> StorageInfoImpl::GetScsiInterfaces() { UNFINISHED; }
std::unique_ptr<ScsiInterface> StorageInfoImpl::GetScsiInterface(const std::string &) { UNFINISHED; }
bool StorageInfoImpl::IsValidScsiInterface(const std::string &) { UNFINISHED; }
std::string StorageInfoImpl::RescanScsiInterfaces(const std::string &, const std::string &, bool) { UNFINISHED; }
std::string StorageInfoImpl::GetLinkState(const ScsiInterface &) { UNFINISHED; }
std::string StorageInfoImpl::GetDeviceDescription(const ScsiInterface &) { UNFINISHED; }
std::vector<std::string> StorageInfoImpl::GetAdapterCapabilities(const ScsiInterface &) { UNFINISHED; }
} // namespace OlkCtl::Storage

namespace HostCtl::Storage {
std::string ScsiInterface::GetInterfaceTypeString(ScsiInterfaceType) { UNFINISHED; }
ScsiInterface::ScsiInterfaceType ScsiInterface::GetValidInterfaceType(const std::string &) { UNFINISHED; }
} // namespace HostCtl::Storage
