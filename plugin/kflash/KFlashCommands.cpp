#include "kflash/KFlashCommands.h"

#include "frame/Params.h"

#include <olkctl/kflash/KFlashInfoImpl.h>
#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/storage/VmFileSystemImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/KFlash.h>
#include <hostctl/storage/FileSystem.h>
#include <hostctl/storage/ScsiInterface.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TarvexCli::KFlashNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;

namespace Device {

namespace {

constexpr uint64_t kOneMiB = 1048576;
constexpr uint64_t kSmallestUsable = 314572799;    // usable bytes up to this: under 300 MiB
constexpr uint64_t kLargestUsable = 4398046511104; // 4 TiB
constexpr uint32_t kKFlashPartitionType = 0xfb;

struct Verdict {
  const char *text;
  bool eligible;
  bool used;
};

// One SSD against the eligibility table, first row that applies. The size
// arithmetic is unsigned on purpose: a device under 1 MiB wraps around and is
// judged too big.
Verdict Judge(const HostCtl::Storage::DiskLun &disk, const OlkCtl::Storage::DiskLunImpl *impl,
              const std::vector<HostCtl::Storage::DiskPartition> &partitions) {
  const uint64_t usable = disk.GetSize() - kOneMiB;
  if (usable <= kSmallestUsable)
    return {"No, it is too small", false, false};
  if (usable > kLargestUsable)
    return {"No, it is too big", false, false};
  if (!disk.IsLocal()) {
    if (impl && impl->IsTransportType(HostCtl::Storage::ScsiInterface::SCSI_IFACE_TYPE_SAS))
      return {"Detected as a remote SAS SSD", false, false};
    return {"Is not local SSD device", false, false};
  }
  if (partitions.size() == 1) {
    if (partitions[0].type == 0)
      return {"Yes, this is a blank disk.", true, false};
    return {"Other partitions exist", false, false};
  }
  if (partitions.size() == 2 && partitions[1].type == kKFlashPartitionType) {
    std::string fsType;
    const std::string fs =
        OlkCtl::Storage::VmFileSystemImpl::FindOlfsFileSystemGivenHeadPartition(partitions[1].name, fsType);
    if (fs.empty())
      return {"Yes, there are valid partitions for kflash ", true, false}; // verbatim: trailing blank
    if (fsType == HostCtl::Storage::VmFileSystem::KFFS_TYPE)
      return {"It has been configured for kflash", false, true};
    return {"No, there are other filesystems", false, false};
  }
  return {"Other partitions exist", false, false};
}

} // namespace

// --- device list ---

KFlashDeviceList::KFlashDeviceList() {
  SetDescription("List kflash SSD devices.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:Device", "Name,Size,Is Local,Is Used in kflash,Eligibility");
}

Frame::InputSpecPtr KFlashDeviceList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "used", "u", ParameterType::Boolean, Frame::Optional,
                  "List the used / unused SSD devices for kflash.");
  Frame::AddParam(spec, "eligible", "e", ParameterType::Boolean, Frame::Optional,
                  "List the eligible / ineligible SSD devices for kflash.");
  return spec;
}

Frame::MetaStructPtr KFlashDeviceList::GetOutputStructure() const {
  return Frame::NewTemplate("Device", {{"Name", FieldType::String},
                                       {"Size", FieldType::UInt},
                                       {"Is Local", FieldType::Bool},
                                       {"Is Used in kflash", FieldType::Bool},
                                       {"Eligibility", FieldType::StringList}});
}

void KFlashDeviceList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool byUsed = input->HasParameter("used");
  const bool wantUsed = byUsed && input->GetParameterBool("used");
  const bool byEligible = input->HasParameter("eligible");
  const bool wantEligible = byEligible && input->GetParameterBool("eligible");
  try {
    auto result = Frame::NewRowList(GetOutputStructure());
    OlkCtl::Storage::StorageInfoImpl storage;
    const auto disks = storage.GetDiskLuns();
    for (const auto &disk : disks) {
      if (!disk->IsSSD())
        continue;
      // Every SSD's partitions are read, whichever test decides.
      const auto partitions = disk->GetPartitions();
      const Verdict verdict =
          Judge(*disk, dynamic_cast<const OlkCtl::Storage::DiskLunImpl *>(disk.get()), partitions);
      if (byUsed && verdict.used != wantUsed)
        continue;
      if (byEligible && verdict.eligible != wantEligible)
        continue;
      auto row = GetOutputStructure();
      row->SetField("Name", disk->GetName());
      row->SetField("Size", Frame::MetaInt::NewUnsigned(disk->GetSize() >> 20));
      row->SetField("Is Local", disk->IsLocal());
      row->SetField("Is Used in kflash", verdict.used);
      row->SetField("Eligibility", std::vector<std::string>{verdict.text});
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting kflash device list ", e);
  }
}

} // namespace Device

namespace Module {

namespace {

constexpr const char *kDefaultModule = "kfc";

std::string ModuleName(const Frame::InputPtr &input) {
  return input->HasParameter("module-name") ? input->GetParameter("module-name") : kDefaultModule;
}

void AddModuleNameParam(const Frame::InputSpecPtr &spec) {
  Frame::AddParam(spec, "module-name", "m", ParameterType::String, Frame::Optional, "The kflash module name");
}

std::string ModeMaskText(uint32_t mask) {
  std::string text;
  if (mask & HostCtl::KFlash::KFlashModuleInfo::MODE_WRITE_THRU)
    text += "WriteThru "; // verbatim: trailing blank, also before "WriteBack"
  if (mask & HostCtl::KFlash::KFlashModuleInfo::MODE_WRITE_BACK)
    text += "WriteBack";
  return text;
}

} // namespace

// --- module list ---

KFlashModuleList::KFlashModuleList() {
  SetDescription("List kflash modules.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr KFlashModuleList::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::OutputSpecPtr KFlashModuleList::GetOutputSpecInternal() {
  auto spec = CliKit::CallSpec::OutputSpec::New();
  spec->SetRootObject(Frame::MetaList::New(Frame::MetaType::String));
  return spec;
}

void KFlashModuleList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    OlkCtl::KFlash::KFlashInfoImpl kflash;
    const auto names = kflash.GetModuleNames();
    auto result = Frame::MetaList::New(Frame::MetaType::String);
    result->Reserve(names.size());
    for (const std::string &name : names)
      result->Add(Frame::MetaString::New(name));
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting kflash module list ", e);
  }
}

// --- module get ---

KFlashModuleGet::KFlashModuleGet() {
  SetDescription("Get kflash module info.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr KFlashModuleGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddModuleNameParam(spec);
  return spec;
}

Frame::MetaStructPtr KFlashModuleGet::GetOutputStructure() const {
  return Frame::NewTemplate("ModuleInfo", {{"revision", FieldType::String},
                                           {"supportedModeMask", FieldType::String},
                                           {"supportedCacheSizeMin", FieldType::Int},
                                           {"supportedCacheSizeMax", FieldType::Int},
                                           {"supportedCacheBlockSizeMin", FieldType::Int},
                                           {"supportedCacheBlockSizeMax", FieldType::Int},
                                           {"supportedDiskSizeMax", FieldType::Int},
                                           {"minSupportedModuleVersion", FieldType::String}});
}

void KFlashModuleGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = ModuleName(input);
  try {
    OlkCtl::KFlash::KFlashInfoImpl kflash;
    auto info = GetOutputStructure();
    HostCtl::KFlash::KFlashModuleInfo module;
    if (!kflash.GetModuleInfo(name, module)) {
      // verbatim: no blank before the name
      output->AddErrorMessage("Unable to get module information for module:" + name);
      return;
    }
    info->SetField("revision", module.revision);
    info->SetField("supportedCacheSizeMin", static_cast<long long>(module.supportedCacheSizeMin));
    info->SetField("supportedCacheSizeMax", static_cast<long long>(module.supportedCacheSizeMax));
    info->SetField("supportedCacheBlockSizeMin", static_cast<long long>(module.supportedCacheBlockSizeMin));
    info->SetField("supportedCacheBlockSizeMax", static_cast<long long>(module.supportedCacheBlockSizeMax));
    info->SetField("supportedModeMask", ModeMaskText(module.supportedModeMask));
    info->SetField("supportedDiskSizeMax", static_cast<long long>(module.supportedDiskSizeMax));
    info->SetField("minSupportedModuleVersion", module.minSupportedModuleVersion);
    output->SetRootObject(info);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error getting kflash module info ", e);
  }
}

// --- module stats get ---

KFlashModuleStatsGet::KFlashModuleStatsGet() {
  SetDescription("Get kflash module statistics");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr KFlashModuleStatsGet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddModuleNameParam(spec);
  return spec;
}

Frame::MetaStructPtr KFlashModuleStatsGet::GetOutputStructure() const {
  return Frame::NewTemplate("KFlashModuleStats", {{"Num Active OLDKs", FieldType::Int}});
}

// The query's answer is not consulted: for a module the host does not know,
// the record keeps its initial count of 0, and that is what is shown.
void KFlashModuleStatsGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = ModuleName(input);
  try {
    OlkCtl::KFlash::KFlashInfoImpl kflash;
    auto stats = GetOutputStructure();
    HostCtl::KFlash::KFlashModuleStats record;
    kflash.GetModuleStats(name, record);
    stats->SetField("Num Active OLDKs", static_cast<long long>(record.numActiveOldks));
    output->SetRootObject(stats);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to get kflash module statistics.", e);
  }
}

} // namespace Module

} // namespace TarvexCli::KFlashNamespace
