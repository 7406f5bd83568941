// Claim-rule operations of the simulated host.
//
//
// Sides: adding writes the configuration file (a boot rule goes to the kernel
// only); removing and moving act on the configuration entry, and the kernel
// follows with the next load (clear, then copy the file). A rule that exists
// only in the kernel is removed or moved there, having no entry to change.
#include "sim/Claiming.h"
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/config/ConfigFile.h>
#include <olkctl/storage/FibreChannelInterfaceImpl.h>
#include <olkctl/storage/ModuleImpl.h>
#include <olkctl/storage/PsaClaimRuleImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <array>
#include <cctype>
#include <cstdio>

using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using HostCtl::Storage::PsaClaimRule;
using HostCtl::Storage::PSAClaimRuleClass;
using HostCtl::Storage::ScsiInterface;

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_CLAIMRULES_FAULTS(X)                                                                          \
  X(PsaClaimRule_Move, "PsaClaimRule::Move", "rule ID")                                                      \
  X(StorageInfo_GetPsaClaimRuleClasses, "StorageInfo::GetPsaClaimRuleClasses", "")                           \
  X(StorageInfo_GetPsaClaimRules, "StorageInfo::GetPsaClaimRules", "class: \"MP\", \"Filter\", \"HWAC\"")    \
  X(StorageInfo_GetPsaClaimRule, "StorageInfo::GetPsaClaimRule", "rule ID, decimal")                         \
  X(StorageInfo_AddPsaClaimRule, "StorageInfo::AddPsaClaimRule", "rule ID; 4294967295 when auto-assigned")   \
  X(StorageInfo_RemovePsaClaimRule, "StorageInfo::RemovePsaClaimRule", "rule ID")                            \
  X(StorageInfo_ClearPsaClaimRules, "StorageInfo::ClearPsaClaimRules", "class")                              \
  X(StorageInfo_LoadPsaClaimRules, "StorageInfo::LoadPsaClaimRules", "class")                                \
  X(StorageInfo_IsRegisteredPsaPluginName, "StorageInfo::IsRegisteredPsaPluginName", "plug-in name")         \
  X(StorageInfo_RunClaimRules, "StorageInfo::RunClaimRules", "class")                                        \
  X(StorageInfo_RunClaimRulesOnLocation, "StorageInfo::RunClaimRulesOnLocation", "adapter name, or \"*\"")   \
  X(StorageInfo_PostClaimRuleRun, "StorageInfo::PostClaimRuleRun", "")                                       \
  X(ConfigFile_Lock, "ConfigFile::Lock", "")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_CLAIMRULES_FAULTS)
} // namespace

namespace {

using OlkCtl::Sim::ClaimRuleClassRecord;
using OlkCtl::Sim::ClaimRuleRecord;
using Properties = PsaClaimRule::Properties;

struct TypeName {
  PsaClaimRule::PathClaimType type;
  const char *word; // as in state files and on the command line
  const char *text; // as the host reports it
};

constexpr std::array<TypeName, 6> kTypeNames = {{
    {PsaClaimRule::PSA_CLAIM_TYPE_VENDOR, "vendor", "Vendor"},
    {PsaClaimRule::PSA_CLAIM_TYPE_LOCATION, "location", "Location"},
    {PsaClaimRule::PSA_CLAIM_TYPE_DRIVER, "driver", "Driver"},
    {PsaClaimRule::PSA_CLAIM_TYPE_TRANSPORT, "transport", "Transport"},
    {PsaClaimRule::PSA_CLAIM_TYPE_DEVICE, "device", "Device"},
    {PsaClaimRule::PSA_CLAIM_TYPE_TARGET, "target", "Target"},
}};

// Auto-assigned IDs start here and wrap to the bottom of the public range, so
// that they stay clear of the low IDs administrators tend to pick.
constexpr uint32_t kFirstAutoAssignedId = 5000;

const char *ClassText(PSAClaimRuleClass ruleClass) {
  switch (ruleClass) {
  case HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP:
    return "MP";
  case HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER:
    return "Filter";
  case HostCtl::Storage::PSA_CLAIMRULE_CLASS_HWAC:
    return "HWAC";
  default:
    return "Unknown";
  }
}

PSAClaimRuleClass ClassOf(const std::string &text) {
  if (text == "MP")
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP;
  if (text == "Filter")
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER;
  if (text == "HWAC")
    return HostCtl::Storage::PSA_CLAIMRULE_CLASS_HWAC;
  return HostCtl::Storage::PSA_CLAIMRULE_CLASS_UNKNOWN;
}

ClaimRuleClassRecord &ClassRecord(OlkCtl::Sim::State &state, PSAClaimRuleClass ruleClass) {
  ClaimRuleClassRecord *record = state.claimRules().Class(ClassText(ruleClass));
  if (!record)
    throw HostCtlException("Unknown claim rule class.");
  return *record;
}

const ClaimRuleClassRecord &ClassRecord(const OlkCtl::Sim::State &state, PSAClaimRuleClass ruleClass) {
  return ClassRecord(const_cast<OlkCtl::Sim::State &>(state), ruleClass);
}

std::string IdText(uint32_t id) {
  return std::to_string(id);
}

bool UsesTransport(PsaClaimRule::PathClaimType type) {
  return type == PsaClaimRule::PSA_CLAIM_TYPE_TRANSPORT || type == PsaClaimRule::PSA_CLAIM_TYPE_TARGET;
}

Properties ToProperties(const ClaimRuleRecord &r) {
  Properties p;
  for (const TypeName &name : kTypeNames)
    if (r.type == name.word)
      p.type = name.type;
  p.pluginName = r.plugin;
  p.vendor = r.vendor;
  p.model = r.model;
  p.nvmeControllerModel = r.nvmeControllerModel;
  p.pciVendorId = r.pciVendorId;
  p.pciSubVendorId = r.pciSubVendorId;
  p.adapterName = r.adapter;
  p.channel = r.channel;
  p.target = r.target;
  p.lun = r.lun;
  p.driverName = r.driver;
  if (!r.transport.empty())
    p.transport = ScsiInterface::GetValidInterfaceType(r.transport);
  p.deviceUid = r.device;
  if (!r.wwnn.empty())
    p.wwnn = OlkCtl::Storage::FibreChannelInterfaceImpl::GetWorldWideNumberFromString(r.wwnn);
  if (!r.wwpn.empty())
    p.wwpn = OlkCtl::Storage::FibreChannelInterfaceImpl::GetWorldWideNumberFromString(r.wwpn);
  p.iqn = r.iqn;
  p.mppConfigString = r.configString;
  p.force = r.force;
  p.forceReserved = r.forceReserved;
  p.extendedXcopySupport = r.extendedXcopySupport;
  p.xcopyUseArrayValues = r.xcopyUseArrayValues;
  p.xcopyUseMultiSegs = r.xcopyUseMultiSegs;
  p.xcopyMaxTransferSize = r.xcopyMaxTransferSize;
  p.xcopyMaxTransferSizeKiB = r.xcopyMaxTransferSizeKiB;
  return p;
}

ClaimRuleRecord ToRecord(uint32_t id, const Properties &p) {
  ClaimRuleRecord r;
  r.rule = id;
  for (const TypeName &name : kTypeNames)
    if (p.type == name.type)
      r.type = name.word;
  r.plugin = p.pluginName;
  r.vendor = p.vendor;
  r.model = p.model;
  r.nvmeControllerModel = p.nvmeControllerModel;
  r.pciVendorId = p.pciVendorId;
  r.pciSubVendorId = p.pciSubVendorId;
  r.adapter = p.adapterName;
  r.channel = p.channel;
  r.target = p.target;
  r.lun = p.lun;
  r.driver = p.driverName;
  if (UsesTransport(p.type))
    r.transport = ScsiInterface::GetInterfaceTypeString(p.transport);
  r.device = p.deviceUid;
  if (p.wwnn)
    r.wwnn = OlkCtl::Storage::FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(p.wwnn);
  if (p.wwpn)
    r.wwpn = OlkCtl::Storage::FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(p.wwpn);
  r.iqn = p.iqn;
  r.configString = p.mppConfigString;
  r.force = p.force;
  r.forceReserved = p.forceReserved;
  r.extendedXcopySupport = p.extendedXcopySupport;
  r.xcopyUseArrayValues = p.xcopyUseArrayValues;
  r.xcopyUseMultiSegs = p.xcopyUseMultiSegs;
  r.xcopyMaxTransferSize = p.xcopyMaxTransferSize;
  r.xcopyMaxTransferSizeKiB = p.xcopyMaxTransferSizeKiB;
  return r;
}

std::unique_ptr<PsaClaimRule> NewRule(uint32_t id, PSAClaimRuleClass ruleClass,
                                      const ClaimRuleRecord *runtime, const ClaimRuleRecord *file) {
  Properties runtimeProps = runtime ? ToProperties(*runtime) : Properties();
  Properties fileProps = file ? ToProperties(*file) : Properties();
  return std::make_unique<OlkCtl::Storage::PsaClaimRuleImpl>(id, ruleClass, runtime ? &runtimeProps : nullptr,
                                                             file ? &fileProps : nullptr);
}

bool IsPublic(uint32_t id) {
  return id >= PsaClaimRule::MIN_PUBLIC_RULEID && id <= PsaClaimRule::MAX_PUBLIC_RULEID;
}

// The first public ID free on both sides of the class.
uint32_t FreePublicId(const ClaimRuleClassRecord &c, const std::string &classText) {
  auto isFree = [&c](uint32_t id) { return !c.Find(true, id) && !c.Find(false, id); };
  for (uint32_t id = kFirstAutoAssignedId; id <= PsaClaimRule::MAX_PUBLIC_RULEID; ++id)
    if (isFree(id))
      return id;
  for (uint32_t id = PsaClaimRule::MIN_PUBLIC_RULEID; id < kFirstAutoAssignedId; ++id)
    if (isFree(id))
      return id;
  throw HostCtlException("No free rule id is left in the public range of class " + classText + ".");
}

bool IsModuleNameText(const std::string &name) {
  if (name.empty() || name.size() > 63)
    return false;
  for (unsigned char c : name)
    if (!std::isalnum(c) && c != '_' && c != '-')
      return false;
  return true;
}

} // namespace

namespace HostCtl::Storage {

std::string PsaClaimRule::GetTypeString(PathClaimType type) {
  for (const TypeName &name : kTypeNames)
    if (name.type == type)
      return name.text;
  return "Unknown";
}

} // namespace HostCtl::Storage

namespace OlkCtl::Storage {

// --- the rule object ---

PsaClaimRuleImpl::PsaClaimRuleImpl(uint32_t ruleId, const std::string &classText)
    : ruleId_(ruleId), class_(ClassOf(classText)) {}

PsaClaimRuleImpl::PsaClaimRuleImpl(uint32_t ruleId, PSAClaimRuleClass ruleClass, const Properties *runtime,
                                   const Properties *file)
    : ruleId_(ruleId), class_(ruleClass), inRuntime_(runtime != nullptr), inFile_(file != nullptr) {
  if (runtime)
    runtime_ = *runtime;
  if (file)
    file_ = *file;
}

void PsaClaimRuleImpl::Move(uint32_t newRuleId) {
  Sim::CheckFault(FaultOp::PsaClaimRule_Move, IdText(ruleId_));
  if (newRuleId > MAX_RULEID)
    throw HostCtlException(StrCat("Rule id ", IdText(newRuleId), " is outside the rule id range."));
  const std::string classText = ClassText(class_);
  bool movedRuntime = false;
  Sim::Current().Modify([&](Sim::State &state) {
    ClaimRuleClassRecord &c = ClassRecord(state, class_);
    // The configuration entry moves; a rule only in the kernel moves there.
    bool runtimeSide = c.Find(false, ruleId_) == nullptr;
    if (!c.Find(runtimeSide, ruleId_))
      throw HostCtlException(StrCat("Unknown rule id ", IdText(ruleId_), " in class ", classText, "."));
    if (newRuleId == ruleId_)
      return;
    if (c.Find(runtimeSide, newRuleId)) {
      if (runtimeSide)
        throw HostCtlException(StrCat("A claim rule with id ", IdText(newRuleId),
                                      " is already loaded in class ", classText, "."));
      throw HostCtlException(
          StrCat("A claim rule with id ", IdText(newRuleId), " already exists in class ", classText, "."));
    }
    ClaimRuleRecord moved = *c.Find(runtimeSide, ruleId_);
    c.Erase(runtimeSide, ruleId_);
    moved.rule = newRuleId;
    c.Insert(runtimeSide, std::move(moved));
    movedRuntime = runtimeSide;
  });
  if (newRuleId == ruleId_)
    return;
  // This object now describes the rule under its new ID, where only the moved
  // side is.
  if (movedRuntime)
    inFile_ = false;
  else
    inRuntime_ = false;
  ruleId_ = newRuleId;
}

void PsaClaimRuleImpl::SetType(PathClaimType type) {
  Edit([&](Properties &p) { p.type = type; });
}
void PsaClaimRuleImpl::SetPluginName(const std::string &plugin) {
  Edit([&](Properties &p) { p.pluginName = plugin; });
}
void PsaClaimRuleImpl::SetVendor(const std::string &vendor) {
  Edit([&](Properties &p) { p.vendor = vendor; });
}
void PsaClaimRuleImpl::SetModel(const std::string &model) {
  Edit([&](Properties &p) { p.model = model; });
}
void PsaClaimRuleImpl::SetNvmeControllerModel(const std::string &model) {
  Edit([&](Properties &p) { p.nvmeControllerModel = model; });
}
void PsaClaimRuleImpl::SetPciVendorId(uint32_t id) {
  Edit([&](Properties &p) { p.pciVendorId = id; });
}
void PsaClaimRuleImpl::SetPciSubVendorId(uint32_t id) {
  Edit([&](Properties &p) { p.pciSubVendorId = id; });
}
void PsaClaimRuleImpl::SetAdapterName(const std::string &adapter) {
  Edit([&](Properties &p) { p.adapterName = adapter; });
}
void PsaClaimRuleImpl::SetChannel(uint32_t channel) {
  Edit([&](Properties &p) { p.channel = channel; });
}
void PsaClaimRuleImpl::SetTarget(uint32_t target) {
  Edit([&](Properties &p) { p.target = target; });
}
void PsaClaimRuleImpl::SetLun(uint32_t lun) {
  Edit([&](Properties &p) { p.lun = lun; });
}
void PsaClaimRuleImpl::SetDriverName(const std::string &driver) {
  Edit([&](Properties &p) { p.driverName = driver; });
}
void PsaClaimRuleImpl::SetTransport(ScsiInterface::ScsiInterfaceType transport) {
  Edit([&](Properties &p) { p.transport = transport; });
}
void PsaClaimRuleImpl::SetDeviceUid(const std::string &uid) {
  Edit([&](Properties &p) { p.deviceUid = uid; });
}
void PsaClaimRuleImpl::SetWwnn(uint64_t wwnn) {
  Edit([&](Properties &p) { p.wwnn = wwnn; });
}
void PsaClaimRuleImpl::SetWwpn(uint64_t wwpn) {
  Edit([&](Properties &p) { p.wwpn = wwpn; });
}
void PsaClaimRuleImpl::SetIqn(const std::string &iqn) {
  Edit([&](Properties &p) { p.iqn = iqn; });
}
void PsaClaimRuleImpl::SetMppConfigString(const std::string &config) {
  Edit([&](Properties &p) { p.mppConfigString = config; });
}
void PsaClaimRuleImpl::SetForce(bool force) {
  Edit([&](Properties &p) { p.force = force; });
}
void PsaClaimRuleImpl::SetForceReserved(bool forceReserved) {
  Edit([&](Properties &p) { p.forceReserved = forceReserved; });
}
void PsaClaimRuleImpl::SetExtendedXcopySupport(bool enabled) {
  Edit([&](Properties &p) { p.extendedXcopySupport = enabled; });
}
void PsaClaimRuleImpl::SetXcopyUseArrayValues(bool enabled) {
  Edit([&](Properties &p) { p.xcopyUseArrayValues = enabled; });
}
void PsaClaimRuleImpl::SetXcopyUseMultiSegs(bool enabled) {
  Edit([&](Properties &p) { p.xcopyUseMultiSegs = enabled; });
}
void PsaClaimRuleImpl::SetXcopyMaxTransferSize(uint64_t megabytes) {
  Edit([&](Properties &p) { p.xcopyMaxTransferSize = megabytes; });
}
void PsaClaimRuleImpl::SetXcopyMaxTransferSizeKiB(uint64_t kibibytes) {
  Edit([&](Properties &p) { p.xcopyMaxTransferSizeKiB = kibibytes; });
}

// --- world-wide numbers ---

std::string FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(uint64_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x:%02x:%02x", unsigned(number >> 56 & 0xff),
                unsigned(number >> 48 & 0xff), unsigned(number >> 40 & 0xff), unsigned(number >> 32 & 0xff),
                unsigned(number >> 24 & 0xff), unsigned(number >> 16 & 0xff), unsigned(number >> 8 & 0xff),
                unsigned(number & 0xff));
  return text;
}

uint64_t FibreChannelInterfaceImpl::GetWorldWideNumberFromString(const std::string &text) {
  auto invalid = [&text]() {
    return HostCtlException(
        StrCat("Invalid world-wide number '", text,
               "'. Expected eight hexadecimal byte pairs such as 20:00:00:24:ff:3d:5a:10."));
  };
  std::string digits;
  size_t start = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 2 : 0;
  bool colons = text.find(':') != std::string::npos;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    if (colons && (i - start) % 3 == 2) {
      if (c != ':')
        throw invalid();
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      throw invalid();
    digits.push_back(c);
  }
  if (digits.size() != 16 || (colons && text.size() - start != 23))
    throw invalid();
  return std::stoull(digits, nullptr, 16);
}

// --- modules ---

bool ModuleImpl::IsValidName(const std::string &name) {
  if (!IsModuleNameText(name))
    return false;
  std::shared_ptr<const Sim::State> state = Sim::Current().Read();
  for (const Sim::AdapterRecord &adapter : state->adapters().records)
    if (adapter.driver == name)
      return true;
  return false;
}

// --- the storage info's claim-rule operations ---

std::vector<std::string> StorageInfoImpl::GetPsaClaimRuleClasses() {
  Sim::CheckFault(FaultOp::StorageInfo_GetPsaClaimRuleClasses);
  return Sim::ClaimRuleFamily::ClassNames();
}

PSAClaimRuleClass StorageInfoImpl::GetClaimRuleClass(const std::string &text) {
  return ClassOf(text);
}

std::string StorageInfoImpl::GetClaimRuleClassString(PSAClaimRuleClass ruleClass) {
  return ClassText(ruleClass);
}

std::vector<std::unique_ptr<PsaClaimRule>> StorageInfoImpl::GetPsaClaimRules(bool runtime, bool file,
                                                                             PSAClaimRuleClass ruleClass) {
  Sim::CheckFault(FaultOp::StorageInfo_GetPsaClaimRules, ClassText(ruleClass));
  const ClaimRuleClassRecord &c = ClassRecord(*state_, ruleClass);
  std::vector<std::unique_ptr<PsaClaimRule>> rules;
  // Both sides are sorted by ID: merge them, one object per ID.
  auto r = c.runtime.begin();
  auto f = c.file.begin();
  const auto rEnd = runtime ? c.runtime.end() : c.runtime.begin();
  const auto fEnd = file ? c.file.end() : c.file.begin();
  while (r != rEnd || f != fEnd) {
    const ClaimRuleRecord *onRuntime = nullptr;
    const ClaimRuleRecord *onFile = nullptr;
    if (f == fEnd || (r != rEnd && r->rule < f->rule)) {
      onRuntime = &*r++;
    } else if (r == rEnd || f->rule < r->rule) {
      onFile = &*f++;
    } else {
      onRuntime = &*r++;
      onFile = &*f++;
    }
    uint32_t id = onRuntime ? onRuntime->rule : onFile->rule;
    rules.push_back(NewRule(id, ruleClass, onRuntime, onFile));
  }
  return rules;
}

std::unique_ptr<PsaClaimRule> StorageInfoImpl::GetPsaClaimRule(uint32_t id, PSAClaimRuleClass ruleClass) {
  Sim::CheckFault(FaultOp::StorageInfo_GetPsaClaimRule, IdText(id));
  const ClaimRuleClassRecord &c = ClassRecord(*state_, ruleClass);
  const ClaimRuleRecord *runtime = c.Find(true, id);
  const ClaimRuleRecord *file = c.Find(false, id);
  if (!runtime && !file)
    return nullptr;
  return NewRule(id, ruleClass, runtime, file);
}

void StorageInfoImpl::AddPsaClaimRule(PsaClaimRule &rule, bool boot) {
  Sim::CheckFault(FaultOp::StorageInfo_AddPsaClaimRule, IdText(rule.GetRuleId()));
  const Properties &p = rule.GetProperties(boot ? PsaClaimRule::SIDE_RUNTIME : PsaClaimRule::SIDE_FILE);
  const std::string classText = ClassText(rule.GetClaimRuleClass());
  if (p.type == PsaClaimRule::PSA_CLAIM_TYPE_UNKNOWN)
    throw HostCtlException("A claim rule needs a type.");
  if (p.pluginName.empty())
    throw HostCtlException("A claim rule needs a plug-in name.");
  uint32_t id = rule.GetRuleId();
  if (id != PsaClaimRule::AUTOASSIGN_RULEID) {
    if (id > PsaClaimRule::MAX_RULEID)
      throw HostCtlException(StrCat("Rule id ", IdText(id), " is outside the rule id range."));
    if (!IsPublic(id) && !p.forceReserved)
      throw HostCtlException(StrCat("Rule id ", IdText(id), " is reserved for system rules."));
  }
  Sim::Current().Modify([&](Sim::State &state) {
    ClaimRuleClassRecord &c = ClassRecord(state, rule.GetClaimRuleClass());
    uint32_t assigned = id == PsaClaimRule::AUTOASSIGN_RULEID ? FreePublicId(c, classText) : id;
    if (c.Find(boot, assigned)) {
      if (boot)
        throw HostCtlException(StrCat("A claim rule with id ", IdText(assigned),
                                      " is already loaded in class ", classText, "."));
      throw HostCtlException(
          StrCat("A claim rule with id ", IdText(assigned), " already exists in class ", classText, "."));
    }
    c.Insert(boot, ToRecord(assigned, p));
  });
  Refresh();
}

void StorageInfoImpl::RemovePsaClaimRule(uint32_t id, PSAClaimRuleClass ruleClass) {
  Sim::CheckFault(FaultOp::StorageInfo_RemovePsaClaimRule, IdText(id));
  const std::string classText = ClassText(ruleClass);
  Sim::Current().Modify([&](Sim::State &state) {
    ClaimRuleClassRecord &c = ClassRecord(state, ruleClass);
    if (!c.Erase(false, id) && !c.Erase(true, id))
      throw HostCtlException(StrCat("Unknown rule id ", IdText(id), " in class ", classText, "."));
  });
  Refresh();
}

void StorageInfoImpl::ClearPsaClaimRules(PSAClaimRuleClass ruleClass) {
  Sim::CheckFault(FaultOp::StorageInfo_ClearPsaClaimRules, ClassText(ruleClass));
  Sim::Current().Modify([&](Sim::State &state) { ClassRecord(state, ruleClass).runtime.clear(); });
  Refresh();
}

void StorageInfoImpl::LoadPsaClaimRules(PSAClaimRuleClass ruleClass) {
  Sim::CheckFault(FaultOp::StorageInfo_LoadPsaClaimRules, ClassText(ruleClass));
  Sim::Current().Modify([&](Sim::State &state) {
    ClaimRuleClassRecord &c = ClassRecord(state, ruleClass);
    // Rules already loaded under an ID the file also uses give way to the file.
    for (const ClaimRuleRecord &r : c.file) {
      c.Erase(true, r.rule);
      c.Insert(true, r);
    }
  });
  Refresh();
}

bool StorageInfoImpl::IsRegisteredPsaPluginName(const std::string &plugin, const std::string &classText) {
  Sim::CheckFault(FaultOp::StorageInfo_IsRegisteredPsaPluginName, plugin);
  // Registered means in the module register, whether loaded or not.
  return state_->plugins().IsRegistered(plugin, classText);
}

// Claiming in the simulated host completes before the call returns, so there
// is never anything to wait for.
void StorageInfoImpl::RunClaimRules(PSAClaimRuleClass ruleClass, bool) {
  Sim::CheckFault(FaultOp::StorageInfo_RunClaimRules, ClassText(ruleClass));
  if (ruleClass == HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP)
    Sim::Current().Modify(
        [](Sim::State &state) { Sim::ClaimPaths(state, [](const Sim::PathRecord &) { return true; }); });
  else if (ruleClass == HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER)
    Sim::Current().Modify([](Sim::State &state) {
      Sim::ClaimDeviceFilters(state, [](const Sim::DeviceRecord &) { return true; });
    });
  else
    throw HostCtlException("Claim rules can be run for the MP and Filter classes only.");
  Refresh();
}

void StorageInfoImpl::RunClaimRulesOnLocation(const std::string &adapter, uint32_t channel, uint32_t target,
                                              uint32_t lun) {
  Sim::CheckFault(FaultOp::StorageInfo_RunClaimRulesOnLocation, adapter);
  auto any = [](uint32_t value, uint32_t wanted) {
    return wanted == PsaClaimRule::WILDCARD || value == wanted;
  };
  Sim::Current().Modify([&](Sim::State &state) {
    Sim::ClaimPaths(state, [&](const Sim::PathRecord &path) {
      return (adapter == "*" || path.adapterName == adapter) && any(path.channel, channel) &&
             any(path.target, target) && any(path.lun, lun);
    });
  });
  Refresh();
}

// After a run the devices that have a claimed path are registered: they get
// the filters the loaded Filter rules give them.
void StorageInfoImpl::PostClaimRuleRun() {
  Sim::CheckFault(FaultOp::StorageInfo_PostClaimRuleRun);
  Sim::Current().Modify([](Sim::State &state) {
    Sim::ClaimDeviceFilters(state, [&state](const Sim::DeviceRecord &device) {
      for (size_t position : state.paths().OfDevice(device.name))
        if (state.paths().records[position].IsClaimed())
          return true;
      return false;
    });
  });
  Refresh();
}

} // namespace OlkCtl::Storage

namespace OlkCtl::Config {

struct ConfigFile::Held {
  std::unique_ptr<Sim::HostLock> lock;
};

ConfigFile::ConfigFile() : held_(std::make_unique<Held>()) {}
ConfigFile::~ConfigFile() = default;

std::unique_ptr<ConfigFile> ConfigFile::GetFile() {
  return std::unique_ptr<ConfigFile>(new ConfigFile());
}

void ConfigFile::Lock() {
  if (held_->lock)
    return;
  Sim::CheckFault(FaultOp::ConfigFile_Lock);
  held_->lock = Sim::Current().Lock(false);
}

void ConfigFile::Unlock() {
  held_->lock.reset();
}

bool ConfigFile::IsLocked() const {
  return held_->lock != nullptr;
}

} // namespace OlkCtl::Config
