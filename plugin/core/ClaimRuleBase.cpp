#include "core/ClaimRuleBase.h"

#include "frame/Params.h"

#include <hostctl/Adv.h>
#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/Misc.h>
#include <olkctl/storage/FibreChannelInterfaceImpl.h>

#include <memory>

namespace TarvexCli::Storage {

using Frame::ParameterType;
using HostCtl::Storage::PsaClaimRule;
using HostCtl::Storage::ScsiInterface;

namespace {

// Used for the "lun" bound when the host cannot tell its own limit; the option
// itself refuses anything larger.
constexpr int64_t kUsualMaxLunLimit = 16384;

std::unique_ptr<HostCtl::Adv::AdvancedIntegerOption> MaxLunOption() {
  auto options = HostCtl::HostFactory::GetHost()->GetAdvancedOptions();
  std::unique_ptr<HostCtl::Adv::AdvancedOption> option = options->GetOption("Disk", "MaxLUN");
  auto *integer = dynamic_cast<HostCtl::Adv::AdvancedIntegerOption *>(option.get());
  if (!integer)
    throw HostCtl::Lib::HostCtlException("The advanced option /Disk/MaxLUN is not available.");
  option.release();
  return std::unique_ptr<HostCtl::Adv::AdvancedIntegerOption>(integer);
}

// The upper bound of "lun": the largest value /Disk/MaxLUN accepts.
int64_t MaxLunLimit() {
  try {
    return MaxLunOption()->GetMax();
  } catch (const HostCtl::Lib::HostCtlException &) {
    return kUsualMaxLunLimit;
  }
}

std::string Number(uint32_t value) {
  return HostCtl::Misc::StrPrintf("%u", value);
}

std::string NumberOrStar(uint32_t value) {
  return value == PsaClaimRule::WILDCARD ? "*" : Number(value);
}

std::string PciId(uint32_t value) {
  return value == PsaClaimRule::WILDCARD ? "*" : HostCtl::Misc::StrPrintf("0x%x", value);
}

std::string VendorMatchString(const PsaClaimRule::Properties &rule) {
  const std::string &v = rule.vendor;
  const std::string &m = rule.model;
  const std::string &n = rule.nvmeControllerModel;
  bool pciAny = rule.pciVendorId == PsaClaimRule::WILDCARD && rule.pciSubVendorId == PsaClaimRule::WILDCARD;
  std::string text;
  if (n == "*" && pciAny && (!v.empty() || !m.empty()))
    return "vendor=" + v + " model=" + m;
  if (v.empty() && m.empty())
    text = "nvme_controller_model=" + n;
  else if (!n.empty())
    text = "vendor=" + v + " model=" + m + " nvme_controller_model=" + n;
  else
    text = "vendor=" + v + " model=" + m;
  return text + " pci_vendor_id=" + PciId(rule.pciVendorId) +
         " pci_sub_vendor_id=" + PciId(rule.pciSubVendorId);
}

} // namespace

void ClaimRuleBase::AddRuleId(const Frame::InputSpecPtr &spec, Frame::Presence presence) {
  Frame::AddParam(spec, "rule", "r", ParameterType::Integer, presence,
                  "Indicate the rule ID to use for this operation.",
                  Frame::IntRange(PsaClaimRule::MIN_RULEID, PsaClaimRule::MAX_RULEID));
}

void ClaimRuleBase::AddPlugin(const Frame::InputSpecPtr &spec) {
  Frame::AddParam(spec, "plugin", "P", ParameterType::String, Frame::Optional,
                  "Indicate the plugin to use for this operation.");
}

void ClaimRuleBase::AddClaimParams(const Frame::InputSpecPtr &spec) {
  Frame::AddParam(spec, "plugin", "P", ParameterType::String, Frame::Optional,
                  "Indicate which PSA plugin to use for this operation.");
  Frame::AddParam(
      spec, "vendor", "V", ParameterType::String, Frame::Optional,
      "Indicate the vendor of the SCSI paths to use in this operation. If this option is specified then "
      "--nvme-controller-model and --pci-vendor-id/--pci-sub-vendor-id should not be specified.");
  Frame::AddParam(spec, "model", "M", ParameterType::String, Frame::Optional,
                  "Indicate the model of the SCSI paths to use in this operation.");
  Frame::AddParam(spec, "adapter", "A", ParameterType::String, Frame::Optional,
                  "Indicate the adapter of the paths to use in this operation.");
  Frame::AddParam(spec, "channel", "C", ParameterType::Integer, Frame::Optional,
                  "Indicate the channel of the paths to use in this operation.", Frame::IntRange(0, 4096));
  Frame::AddParam(spec, "target", "T", ParameterType::Integer, Frame::Optional,
                  "Indicate the target of the paths to use in this operation.", Frame::IntRange(0, 4096));
  Frame::AddParam(
      spec, "lun", "L", ParameterType::Integer, Frame::Optional,
      "Indicate the LUN of the paths to use in this operation. It must not be higher than the value of "
      "the advanced config option /Disk/MaxLUN",
      Frame::IntRange(0, MaxLunLimit()));
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Indicate the Device Uid to use for this operation.");
  Frame::AddParam(spec, "driver", "D", ParameterType::String, Frame::Optional,
                  "Indicate the driver of the paths to use in this operation.");
  Frame::AddParam(spec, "transport", "R", ParameterType::String, Frame::Optional,
                  // verbatim: double blank
                  "Indicate the transport of the paths to use in this operation.  Valid Values are: %ENUM%",
                  Frame::StringEnum({{"block", "Raid block devices (example: cciss)"},
                                     {"fc", "Fibre Channel"},
                                     // verbatim: "Defaullt"
                                     {"iscsi", "Defaullt iSCSI"},
                                     {"iscsivendor", "iSCSI with Vendor supplies IMA"},
                                     {"ide", "IDE"},
                                     {"sas", "Serial Attached SCSI"},
                                     {"sata", "Serial ATA"},
                                     {"usb", "USB Storage Devices"},
                                     {"parallel", "Parallel SCSI devices"},
                                     {"fcoe", "FCOE devices"},
                                     {"pcie", "PCIe"},
                                     {"rdma", "RDMA"},
                                     {"tcp", "TCP"},
                                     {"unknown", "Unknown storage device types"}}));
  Frame::AddParam(spec, "wwnn", "", ParameterType::String, Frame::Optional,
                  "Indicate the World-Wide Node Number for the target to use in this operation.");
  Frame::AddParam(spec, "wwpn", "", ParameterType::String, Frame::Optional,
                  "Indicate the World-Wide Port Number for the target to use in this operation.");
  Frame::AddParam(spec, "iqn", "i", ParameterType::String, Frame::Optional,
                  "Indicate the iSCSI Qualified Name for the target to use in this operation.");
}

void ClaimRuleBase::AddClaimRuleClassParam(const Frame::InputSpecPtr &spec, bool withAll, bool withHwac) {
  auto classes = Frame::StringEnum({{"MP", "MultiPathing plugin (default)"}, {"Filter", "Filter plugin"}});
  if (withHwac)
    classes->AddStringEnum("HWAC", "HWAC plugin");
  if (withAll)
    classes->AddStringEnum("all", "Run against all claim rule classes.");
  Frame::AddParam(
      spec, "claimrule-class", "c", ParameterType::String, Frame::Optional,
      "Indicate the claim rule class to use in this operation %ENUM%. NVMe devices will not be claimed by "
      "Filter/HWAC plugins.",
      classes);
}

std::string ClaimRuleBase::GetClaimruleLocationMatchString(const std::string &adapter, uint32_t channel,
                                                           uint32_t target, uint32_t lun) {
  return "adapter=" + adapter + " channel=" + NumberOrStar(channel) + " target=" + NumberOrStar(target) +
         " lun=" + NumberOrStar(lun);
}

std::string ClaimRuleBase::GetClaimruleMatchString(const PsaClaimRule::Properties &rule) {
  using OlkCtl::Storage::FibreChannelInterfaceImpl;
  switch (rule.type) {
  case PsaClaimRule::PSA_CLAIM_TYPE_VENDOR:
    return VendorMatchString(rule);
  case PsaClaimRule::PSA_CLAIM_TYPE_LOCATION:
    return GetClaimruleLocationMatchString(rule.adapterName, rule.channel, rule.target, rule.lun);
  case PsaClaimRule::PSA_CLAIM_TYPE_DRIVER:
    return "driver=" + rule.driverName;
  case PsaClaimRule::PSA_CLAIM_TYPE_TRANSPORT:
    return "transport=" + ScsiInterface::GetInterfaceTypeString(rule.transport);
  case PsaClaimRule::PSA_CLAIM_TYPE_DEVICE:
    return "device=" + rule.deviceUid;
  case PsaClaimRule::PSA_CLAIM_TYPE_TARGET: {
    std::string text = "transport=" + ScsiInterface::GetInterfaceTypeString(rule.transport);
    if (rule.transport == ScsiInterface::SCSI_IFACE_TYPE_FC)
      text += " wwnn=" + FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(rule.wwnn) +
              " wwpn=" + FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(rule.wwpn);
    else if (rule.transport == ScsiInterface::SCSI_IFACE_TYPE_ISCSI)
      text += " iqn=" + rule.iqn;
    return text + " lun=" + NumberOrStar(rule.lun);
  }
  default:
    return "";
  }
}

int64_t ClaimRuleBase::GetMaxLunLimit() {
  return MaxLunLimit();
}

int64_t ClaimRuleBase::GetMaxLunValue() {
  return MaxLunOption()->GetValue();
}

} // namespace TarvexCli::Storage
