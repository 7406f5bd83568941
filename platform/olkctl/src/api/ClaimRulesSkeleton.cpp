// UNFINISHED SKELETON: the claim rules family replaces this file with its real operations.
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

using HostCtl::Lib::HostCtlException;
using namespace HostCtl::Storage;

#define UNFINISHED throw HostCtlException("unfinished")

namespace OlkCtl::Storage {
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
