// UNFINISHED SKELETON: each family replaces its part with api/<Family>.cpp.
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

namespace OlkCtl::Storage {
#define UNFINISHED throw HostCtlException("unfinished")
// adapters
std::vector<std::unique_ptr<ScsiInterface>> StorageInfoImpl::GetScsiInterfaces() { UNFINISHED; }
std::unique_ptr<ScsiInterface> StorageInfoImpl::GetScsiInterface(const std::string &) { UNFINISHED; }
bool StorageInfoImpl::IsValidScsiInterface(const std::string &) { UNFINISHED; }
std::string StorageInfoImpl::RescanScsiInterfaces(const std::string &, const std::string &, bool) { UNFINISHED; }
std::string StorageInfoImpl::GetLinkState(const ScsiInterface &) { UNFINISHED; }
std::string StorageInfoImpl::GetDeviceDescription(const ScsiInterface &) { UNFINISHED; }
std::vector<std::string> StorageInfoImpl::GetAdapterCapabilities(const ScsiInterface &) { UNFINISHED; }
// devices
std::vector<std::unique_ptr<Lun>> StorageInfoImpl::GetLuns(bool, bool) { UNFINISHED; }
std::unique_ptr<Lun> StorageInfoImpl::GetLun(const std::string &, bool) { UNFINISHED; }
std::string StorageInfoImpl::ResolveRuntimeLunName(const std::string &) { UNFINISHED; }
std::unordered_map<std::string, std::string> StorageInfoImpl::GetDeviceDisplayNames() { UNFINISHED; }
std::unique_ptr<Lun> LunImpl::GetLun(const std::string &, bool) { UNFINISHED; }
// paths
std::vector<std::string> StorageInfoImpl::GetLunPathAdapters(const std::string &) { UNFINISHED; }
std::vector<std::unique_ptr<ScsiPath>> StorageInfoImpl::GetScsiPaths() { UNFINISHED; }
std::unique_ptr<ScsiPath> StorageInfoImpl::GetScsiPath(const std::string &) { UNFINISHED; }
std::unique_ptr<ScsiPath> ScsiPathImpl::GetPath(const std::string &) { UNFINISHED; }
// claim rules
std::vector<std::string> StorageInfoImpl::GetPsaClaimRuleClasses() { UNFINISHED; }
PSAClaimRuleClass StorageInfoImpl::GetClaimRuleClass(const std::string &) { UNFINISHED; }
std::string StorageInfoImpl::GetClaimRuleClassString(PSAClaimRuleClass) { UNFINISHED; }
std::vector<std::unique_ptr<PsaClaimRule>> StorageInfoImpl::GetPsaClaimRules(bool, bool, PSAClaimRuleClass) { UNFINISHED; }
std::unique_ptr<PsaClaimRule> StorageInfoImpl::GetPsaClaimRule(uint32_t, PSAClaimRuleClass) { UNFINISHED; }
void StorageInfoImpl::AddPsaClaimRule(PsaClaimRule &, bool) { UNFINISHED; }
void StorageInfoImpl::RemovePsaClaimRule(uint32_t, PSAClaimRuleClass) { UNFINISHED; }
void StorageInfoImpl::ClearPsaClaimRules(PSAClaimRuleClass) { UNFINISHED; }
void StorageInfoImpl::LoadPsaClaimRules(PSAClaimRuleClass) { UNFINISHED; }
bool StorageInfoImpl::IsRegisteredPsaPluginName(const std::string &, const std::string &) { UNFINISHED; }
void StorageInfoImpl::RunClaimRules(PSAClaimRuleClass, bool) { UNFINISHED; }
void StorageInfoImpl::RunClaimRulesOnLocation(const std::string &, uint32_t, uint32_t, uint32_t) { UNFINISHED; }
void StorageInfoImpl::PostClaimRuleRun() { UNFINISHED; }
} // namespace OlkCtl::Storage

namespace HostCtl::Storage {
std::string ScsiInterface::GetInterfaceTypeString(ScsiInterfaceType) { UNFINISHED; }
ScsiInterface::ScsiInterfaceType ScsiInterface::GetValidInterfaceType(const std::string &) { UNFINISHED; }
} // namespace HostCtl::Storage
