// Flash read-cache operations of the simulated host: the cache modules of the
// "kflash" family.
#include "sim/Faults.h"
#include "sim/Store.h"

#include <olkctl/kflash/KFlashInfoImpl.h>

#include <string>
#include <vector>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_KFLASH_FAULTS(X)                                                                              \
  X(KFlashInfo_GetModuleNames, "KFlashInfo::GetModuleNames", "")                                             \
  X(KFlashInfo_GetModuleInfo, "KFlashInfo::GetModuleInfo", "module name")                                    \
  X(KFlashInfo_GetModuleStats, "KFlashInfo::GetModuleStats", "module name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_KFLASH_FAULTS)
} // namespace

namespace OlkCtl::KFlash {

KFlashInfoImpl::KFlashInfoImpl() : state_(Sim::Current().Read()) {}
KFlashInfoImpl::~KFlashInfoImpl() = default;

std::vector<std::string> KFlashInfoImpl::GetModuleNames() {
  Sim::CheckFault(*state_, FaultOp::KFlashInfo_GetModuleNames);
  std::vector<std::string> names;
  names.reserve(state_->kflash().records.size());
  for (const Sim::KFlashModuleRecord &record : state_->kflash().records)
    names.push_back(record.name);
  return names;
}

bool KFlashInfoImpl::GetModuleInfo(const std::string &name, HostCtl::KFlash::KFlashModuleInfo &info) {
  Sim::CheckFault(*state_, FaultOp::KFlashInfo_GetModuleInfo, name);
  const Sim::KFlashModuleRecord *record = state_->kflash().Find(name);
  if (!record)
    return false;
  info.revision = record->revision;
  info.supportedModeMask = record->modeMask;
  info.supportedCacheSizeMin = record->cacheSizeMin;
  info.supportedCacheSizeMax = record->cacheSizeMax;
  info.supportedCacheBlockSizeMin = record->cacheBlockSizeMin;
  info.supportedCacheBlockSizeMax = record->cacheBlockSizeMax;
  info.supportedDiskSizeMax = record->diskSizeMax;
  info.minSupportedModuleVersion = record->minModuleVersion;
  return true;
}

bool KFlashInfoImpl::GetModuleStats(const std::string &name, HostCtl::KFlash::KFlashModuleStats &stats) {
  Sim::CheckFault(*state_, FaultOp::KFlashInfo_GetModuleStats, name);
  const Sim::KFlashModuleRecord *record = state_->kflash().Find(name);
  if (!record)
    return false;
  stats.numActiveOldks = record->activeOldks;
  return true;
}

} // namespace OlkCtl::KFlash
