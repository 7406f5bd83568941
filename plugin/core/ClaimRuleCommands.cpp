#include "core/ClaimRuleCommands.h"

#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/Misc.h>
#include <hostctl/storage/StorageInfo.h>
#include <olkctl/config/ConfigFile.h>
#include <olkctl/storage/FibreChannelInterfaceImpl.h>
#include <olkctl/storage/ModuleImpl.h>
#include <olkctl/storage/PsaClaimRuleImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>

namespace TarvexCli::Storage {

using Frame::FieldType;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Misc::StrCat;
using HostCtl::Misc::StrPrintf;
using HostCtl::Storage::PsaClaimRule;
using HostCtl::Storage::PSAClaimRuleClass;
using HostCtl::Storage::ScsiInterface;
using OlkCtl::Storage::PsaClaimRuleImpl;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

constexpr PSAClaimRuleClass kMp = HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP;
constexpr PSAClaimRuleClass kFilter = HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER;
constexpr PSAClaimRuleClass kHwac = HostCtl::Storage::PSA_CLAIMRULE_CLASS_HWAC;

// XCOPY transfer sizes allowed without multiple segments.
constexpr int kMinXcopyKiB = 4;
constexpr int kMaxXcopyKiB = 30720;
constexpr int kMaxXcopyMB = 30;

// Arrays whose XCOPY behaviour may be tuned, searched in order. An empty first
// model stands for every model of the vendor; the number beside a model is the
// array's own and not used here.
struct XcopyArray {
  const char *vendor;
  std::array<std::pair<const char *, int>, 10> models;
};

const std::array<XcopyArray, 2> kXcopyArrays = {{
    {"EMC", {{{"SYMMETRIX", 240}, {"", 0}}}},
    {"DGC", {{{"", 0}}}},
}};

bool IsXcopySupportedArray(const std::string &vendor, const std::string &model) {
  for (const XcopyArray &array : kXcopyArrays) {
    if (vendor != array.vendor)
      continue;
    if (!array.models[0].first || !*array.models[0].first)
      return true;
    for (const auto &entry : array.models) {
      if (!entry.first || !*entry.first)
        break;
      if (model == entry.first)
        return true;
    }
  }
  return false;
}

// The class a command works on: MP unless "claimrule-class" names another.
PSAClaimRuleClass SelectedClass(const Frame::InputPtr &input, HostCtl::Storage::StorageInfo &info) {
  if (!input->HasParameter("claimrule-class"))
    return kMp;
  return info.GetClaimRuleClass(input->GetParameter("claimrule-class"));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Parsed as hexadecimal; an optional "0x" is accepted and parsing stops at the
// first character that is not a hex digit.
uint32_t ParsePciId(const std::string &text) {
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

// The "vendor" type of claimrule add: fills the rule, or adds a message and
// returns false.
bool FillVendorRule(const Frame::InputPtr &input, const Frame::OutputPtr &output, PsaClaimRuleImpl &rule,
                    PSAClaimRuleClass ruleClass, const std::string &plugin) {
  const std::string controllerModel = input->GetParameter("nvme-controller-model");
  const std::string pciVendor = input->GetParameter("pci-vendor-id");
  const std::string pciSubVendor = input->GetParameter("pci-sub-vendor-id");
  const bool hasController = !controllerModel.empty();
  const bool hasPciVendor = !pciVendor.empty();
  const bool hasPciSubVendor = !pciSubVendor.empty();
  const bool hasVendor = input->HasParameter("vendor");
  const bool hasModel = input->HasParameter("model");
  const bool vendorOrModel = hasVendor || hasModel;
  const bool isMp = ruleClass == kMp;

  if (!isMp && (hasController || hasPciVendor || hasPciSubVendor)) {
    output->AddErrorMessage(
        "--controller-model or --pci-vendor-id or --pci-sub-vendor-id are not applicable for the "
        "claim rule classes 'Filter' and 'HWAC'.");
    return false;
  }
  if (!vendorOrModel && (!isMp || !(hasController || hasPciVendor || hasPciSubVendor))) {
    output->AddErrorMessage(
        "Missing --vendor or --model or --nvme-controller-model or --pci-vendor-id or "
        "--pci-sub-vendor-id parameters for --type=vendor. Note: --nvme-controller-model option "
        "to be specified only in case of NVMe devices.");
    return false;
  }
  if (isMp) {
    if (!vendorOrModel && hasPciSubVendor && !hasController && !hasPciVendor) {
      output->AddErrorMessage(
          "Missing --pci-vendor-id input. --pci-sub-vendor-id should be specified in combination with "
          "--pci-vendor-id.");
      return false;
    }
    if (vendorOrModel && hasController && !hasPciVendor && !hasPciSubVendor) {
      output->AddErrorMessage("Only one of --nvme-controller-model or --vendor/--model should be specified.");
      return false;
    }
    if (hasController && (hasPciVendor || hasPciSubVendor)) {
      output->AddErrorMessage(
          "Only one of --nvme-controller-model or --pci-vendor-id/--pci-sub-vendor-id should be specified.");
      return false;
    }
    if (vendorOrModel && (hasPciVendor || hasPciSubVendor)) {
      output->AddErrorMessage(
          "Either --vendor/--model Or --pci-vendor-id/--pci-sub-vendor-id should be specified.");
      return false;
    }
  }

  rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_VENDOR);
  rule.SetPluginName(plugin);
  if (hasVendor)
    rule.SetVendor(input->GetParameter("vendor"));
  if (hasModel)
    rule.SetModel(input->GetParameter("model"));
  if (vendorOrModel && isMp)
    rule.SetNvmeControllerModel("");
  if (hasController) {
    rule.SetNvmeControllerModel(controllerModel);
    rule.SetVendor("");
    rule.SetModel("");
  }
  if (hasPciVendor) {
    uint32_t id = ParsePciId(pciVendor);
    if (id == 0) {
      output->AddErrorMessage("Invalid input for --pci-vendor-id");
      return false;
    }
    rule.SetPciVendorId(id);
  }
  if (hasPciSubVendor) {
    uint32_t id = ParsePciId(pciSubVendor);
    if (id == 0) {
      output->AddErrorMessage("Invalid input for --pci-sub-vendor-id");
      return false;
    }
    rule.SetPciSubVendorId(id);
  }

  if (ruleClass == kHwac && input->IsFlagSet("extended-xcopy-support")) {
    if (plugin != "TVX_HWACP_T10") {
      output->AddErrorMessage("Extended XCOPY cannot be enabled without array support");
      return false;
    }
    rule.SetExtendedXcopySupport(true);
  }

  const bool useArrayValues = input->IsFlagSet("xcopy-use-array-values");
  const bool multiSegs = input->IsFlagSet("xcopy-use-multi-segs");
  const bool hasMB = input->HasParameter("xcopy-max-transfer-size");
  const bool hasKiB = input->HasParameter("xcopy-max-transfer-size-kib");
  if (!useArrayValues && !multiSegs && !hasMB && !hasKiB)
    return true;
  if (ruleClass != kHwac) {
    output->AddErrorMessage("XCOPY parameters can be added only for HWAC class rules");
    return false;
  }
  if (!useArrayValues) {
    output->AddErrorMessage("XCOPY parameters cannot be added without --xcopy-use-array-values");
    return false;
  }
  if (!IsXcopySupportedArray(input->GetParameter("vendor"), input->GetParameter("model")) &&
      plugin != "TVX_HWACP_T10") {
    output->AddErrorMessage("XCOPY parameters specified for an unsupported array");
    return false;
  }
  rule.SetXcopyUseArrayValues(useArrayValues);
  if (hasMB && hasKiB) {
    output->AddErrorMessage(
        "Can not specify both xcopy-max-transfer-size and xcopy-max-transfer-size-kib. "
        "xcopy-max-transfer-size option is deprecated. Use --xcopy-max-transfer-size-kib and "
        "specify maxTransferSize in KiB.");
    return false;
  }
  if (multiSegs)
    rule.SetXcopyUseMultiSegs(true);
  if (hasKiB) {
    uint64_t kib = static_cast<uint64_t>(input->GetParameterInt("xcopy-max-transfer-size-kib"));
    if (kib < static_cast<uint64_t>(kMinXcopyKiB) ||
        (kib > static_cast<uint64_t>(kMaxXcopyKiB) && !multiSegs)) {
      output->AddErrorMessage(StrCat("Invalid data constraint for parameter ",
                                     "--xcopy-max-transfer-size-kib. ", "Expected integer in the range ",
                                     StrPrintf("%d", kMinXcopyKiB), " to ", StrPrintf("%d", kMaxXcopyKiB),
                                     " without --xcopy-use-multi-segs"));
      return false;
    }
    rule.SetXcopyMaxTransferSizeKiB(kib);
  } else if (hasMB) {
    uint64_t mb = static_cast<uint64_t>(input->GetParameterInt("xcopy-max-transfer-size"));
    if (mb > static_cast<uint64_t>(kMaxXcopyMB) && !multiSegs) {
      output->AddErrorMessage(StrCat("Invalid data constraint for parameter ", "--xcopy-max-transfer-size. ",
                                     "Expected integer in the range 1 to ", StrPrintf("%d", kMaxXcopyMB),
                                     " without --xcopy-use-multi-segs"));
      return false;
    }
    rule.SetXcopyMaxTransferSize(mb);
  }
  return true;
}

// The "location" type of an MP rule.
bool FillLocationRule(const Frame::InputPtr &input, const Frame::OutputPtr &output, PsaClaimRuleImpl &rule,
                      StorageInfoImpl &info, const std::string &plugin, bool force) {
  const std::string adapter = input->GetParameter("adapter");
  if (input->HasParameter("adapter") && !force && !info.IsValidScsiInterface(adapter))
    output->AddErrorMessage(StrCat("Invalid or unknown SCSI interface name ", adapter,
                                   ". If the driver is not loaded or this",
                                   " adapter does not exist yet you may ", " override this check with the ",
                                   " --force option to force the use", " of this adapter name."));
  if (output->HasError())
    return false;
  rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_LOCATION);
  rule.SetPluginName(plugin);
  if (input->HasParameter("adapter"))
    rule.SetAdapterName(adapter);
  if (input->HasParameter("channel"))
    rule.SetChannel(static_cast<uint32_t>(input->GetParameterInt("channel")));
  if (input->HasParameter("target"))
    rule.SetTarget(static_cast<uint32_t>(input->GetParameterInt("target")));
  if (input->HasParameter("lun")) {
    int64_t lun = input->GetParameterInt("lun");
    if (lun > ClaimRuleBase::GetMaxLunValue()) {
      output->AddErrorMessage("The value of lun is higher than the value of /Disk/MaxLUN");
      return false;
    }
    rule.SetLun(static_cast<uint32_t>(lun));
  }
  return true;
}

// The "driver" type of an MP rule.
bool FillDriverRule(const Frame::InputPtr &input, const Frame::OutputPtr &output, PsaClaimRuleImpl &rule,
                    const std::string &plugin, bool force) {
  if (!input->HasParameter("driver")) {
    output->AddErrorMessage("Missing --driver parameter.");
    return false;
  }
  const std::string driver = input->GetParameter("driver");
  if (!force && !OlkCtl::Storage::ModuleImpl::IsValidName(driver)) {
    output->AddErrorMessage(StrCat("Invalid Module name '", driver, "'",
                                   " you may override this check with the",
                                   " --force option to force the use", " of this driver name."));
    return false;
  }
  rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_DRIVER);
  rule.SetPluginName(plugin);
  rule.SetDriverName(driver);
  return true;
}

// The "target" type of an MP rule: a Fibre Channel or iSCSI target.
bool FillTargetRule(const Frame::InputPtr &input, const Frame::OutputPtr &output, PsaClaimRuleImpl &rule,
                    const std::string &plugin) {
  using OlkCtl::Storage::FibreChannelInterfaceImpl;
  if (!input->HasParameter("transport")) {
    output->AddErrorMessage("Missing --transport parameter.");
    return false;
  }
  ScsiInterface::ScsiInterfaceType transport =
      ScsiInterface::GetValidInterfaceType(input->GetParameter("transport"));
  if (transport == ScsiInterface::SCSI_IFACE_TYPE_FC) {
    if (!input->HasParameter("wwnn")) {
      output->AddErrorMessage("Missing --wwnn parameter.");
      return false;
    }
    if (!input->HasParameter("wwpn")) {
      output->AddErrorMessage("Missing --wwpn parameter.");
      return false;
    }
    uint64_t wwnn = FibreChannelInterfaceImpl::GetWorldWideNumberFromString(input->GetParameter("wwnn"));
    uint64_t wwpn = FibreChannelInterfaceImpl::GetWorldWideNumberFromString(input->GetParameter("wwpn"));
    rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_TARGET);
    rule.SetTransport(transport);
    rule.SetWwnn(wwnn);
    rule.SetWwpn(wwpn);
  } else if (transport == ScsiInterface::SCSI_IFACE_TYPE_ISCSI) {
    if (!input->HasParameter("iqn")) {
      output->AddErrorMessage("Missing --iqn parameter.");
      return false;
    }
    rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_TARGET);
    rule.SetTransport(transport);
    rule.SetIqn(input->GetParameter("iqn"));
  } else {
    output->AddErrorMessage(
        "Invalid --transport parameter. Only 'fc' and 'iscsi' are supported for --type=target.");
    return false;
  }
  // A target rule claims for its plug-in like every other rule.
  rule.SetPluginName(plugin);
  if (input->HasParameter("lun"))
    rule.SetLun(static_cast<uint32_t>(input->GetParameterInt("lun")));
  return true;
}

} // namespace

// --- claimrule add ---

ClaimRuleAdd::ClaimRuleAdd() {
  SetDescription("Add a claimrule to the set of claimrules on the system.");
}

Frame::InputSpecPtr ClaimRuleAdd::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "type", "t", ParameterType::String, Frame::Optional,
      "Indicate which type of matching used for claim/unclaim or claimrule. Valid values are: %ENUM%",
      Frame::StringEnum(
          {{"vendor",
            // verbatim: double blank
            "Match claimrule based on vendor information. Requires  --vendor and --model options in case of "
            "SCSI "
            "devices and --nvme-controller-model in case of NVMe devices. Options --pci-vendor-id, "
            "--pci-sub-vendor-id can be specified instead of --vendor, --model or --nvme-controller-model."},
           {"location",
            "Match claimrule based on SCSI hardware. Requires --adapter --channel --target and --lun"},
           {"driver", "Match claimrule based on HBA driver. Requires --driver."},
           {"transport", "Match claimrule based on SCSI path transport. Requires --transport."},
           {"device", "Match claimrule based on SCSI device uid. Requires --device and "
                      "--claimrule-class=Filter or HWAC"},
           {"target", "Match claimrule based on SCSI target identifier. Requires --transport fc or iscsi and "
                      "--wwnn,--wwpn for fc, or --iqn for iscsi."}}));
  AddRuleId(spec, Frame::Optional);
  Frame::AddParam(spec, "autoassign", "u", ParameterType::Flag, Frame::Optional,
                  "The system will auto assign a rule id.");
  AddClaimRuleClassParam(spec, false, true);
  AddClaimParams(spec);
  Frame::AddParam(spec, "force", "f", ParameterType::Flag, Frame::Optional,
                  "Force claim rules to ignore validity checks and install the rule anyway.");
  Frame::AddParam(spec, "force-reserved", "", ParameterType::Flag, Frame::Optional,
                  "Override protection of reserved rule id ranges.");
  Frame::AddParam(
      spec, "boot", "b", ParameterType::Flag, Frame::Optional,
      "This is a system default rule added at boot time. Do not modify Config-store or add to host "
      "profile.");
  Frame::AddParam(spec, "extended-xcopy-support", "e", ParameterType::Flag, Frame::Optional,
                  "Enable extended xcopy on array.");
  Frame::AddParam(spec, "xcopy-use-array-values", "a", ParameterType::Flag, Frame::Optional,
                  "Use array reported values for XCOPY commands.");
  Frame::AddParam(spec, "xcopy-use-multi-segs", "s", ParameterType::Flag, Frame::Optional,
                  // verbatim: "commandsThis"
                  "Use multiple segments for XCOPY commandsThis option only takes effect when "
                  "--xcopy-use-array-values is specified.");
  Frame::AddParam(
      spec, "xcopy-max-transfer-size", "m", ParameterType::Integer, Frame::Optional,
      // verbatim: double blank before "instead"
      "Maximum transfer size in MB to use for XCOPY commands if admin wants to use a transfer size "
      "different than array reported. This option only takes effect when --xcopy-use-array-values is "
      "specified. This option is deprecated. Use --xcopy-max-transfer-size-kib  instead");
  Frame::AddParam(
      spec, "xcopy-max-transfer-size-kib", "k", ParameterType::Integer, Frame::Optional,
      "Maximum transfer size in KiB to use for XCOPY commands if admin wants to use a transfer size "
      "different than array reported. This option only takes effect when --xcopy-use-array-values is "
      "specified. This option takes precedence over --xcopy-max-transfer-size option");
  Frame::AddParam(
      spec, "nvme-controller-model", "", ParameterType::String, Frame::Optional,
      "NVMe controller model for the device. This option is specific to NVMe devices. Value can be "
      "partial string as prefix ending with wildcard '*' e.g. abcd*. If this option is specified then "
      "--vendor/--model and --pci-vendor-id/--pci-sub-vendor-id should not be specified. This option is "
      "applicable for claimrule class 'MP'.");
  Frame::AddParam(
      spec, "pci-vendor-id", "", ParameterType::String, Frame::Optional,
      "PCI vendor identifier for the device. The value should be hexadecimal number. For example, if "
      "PCI vendor ID is '0x8086' then '8086' should be provided as input. --pci-sub-vendor-id can be "
      "specified along with this option. --vendor, --model or --nvme-controller-model options should "
      "not be specified with this option. This option is applicable for claimrule class 'MP'.");
  Frame::AddParam(
      spec, "pci-sub-vendor-id", "", ParameterType::String, Frame::Optional,
      "PCI sub vendor identifier for the device. The value should be hexadecimal number. For example, "
      "if PCI sub vendor ID is '0x8086' then '8086' should be provided as input. This option should be "
      "specified in combination with --pci-vendor-id and applicable in case of claimrule class 'MP'.");
  Frame::AddParam(
      spec, "config-string", "g", ParameterType::String, Frame::Optional,
      "Input parameter string for multi path plugins that can include one or more comma separated "
      "key-value pairs without spaces in between. e.g. key1=value1,key2=value2. If plugin is HPP, the "
      "path selection scheme can be configured with same options available through 'orlocli storage "
      "hpp device set' without '--' prefix. Device can be marked local, remote, SSD using options "
      "'mark-device-local=true', 'mark-device-remote=true', 'mark-device-ssd=true'.");

  spec->AddExample(
      "-r 321 -t device -P HWAC_FILTER --claimrule-class=Filter --device=mpx.olhba0",
      "Add rule #321 for the Filter plugin type that will claim the given device for the HWAC Filter "
      "plugin");
  spec->AddExample("-r 321 -t device -P TVX_HWACP_SYMM --claimrule-class=HWAC --device=naa.1234",
                   "Add rule #321 for the HWAC plugin type that will claim the given device for the "
                   "TVX_HWACP_SYMM plugin");
  spec->AddExample(
      "-r 321 -t location -A olhba0 -C 0 -T 0 -L 0 -P NMP",
      "Add rule #321 that will claim the path on adapter olhba0, channel 0, target 0, LUN 0 for the "
      "NMP plugin");
  spec->AddExample(
      "-r 429 -t driver -D mptscsi -P MASK_PATH --claimrule-class=MP",
      "Add rule #429 for the MP claim rule type that will claim all paths provided by an adapter with "
      "the mptscsi driver for the MASK_PATH plugin.");
  spec->AddExample(
      // verbatim: double blank after "Virtual"
      "-r 914 -t vendor -V TARVEX -M Virtual -P NMP",
      "Add rule #914 to claim all SCSI paths with a vendor string matching \"TARVEX\" and a model "
      "string \"Virtual\"  for the NMP plugin");
  spec->AddExample(
      "-r 1015 -t transport -R fc -P NMP",
      "Add rule #1015 to claim all paths provided by Fibre Channel type adapters for the NMP plugin.");
  spec->AddExample(
      // verbatim: the two target examples end with a blank
      "-r 429 -P NMP -t target -R fc --wwnn 50:06:01:60:ba:60:11:53 --wwpn 50:06:01:60:3a:60:11:53 ",
      "Add rule #429 to claim all paths provided by Fibre Channel Target on given WWNN and WWPN.");
  spec->AddExample("-r 429 -P NMP -t target -R iscsi --iqn iqn.2009-05.com.tarvex:storage.tgt01 --lun 5 ",
                   "Add rule #429 to claim paths to LUN 5 provided by iSCSI Target on given IQN.");
  spec->AddExample(
      "--autoassign -t transport -R fc -P NMP",
      "Add a rule with a system assigned rule id to claim all paths provided by Fibre Channel type "
      "adapters for the NMP plugin.");
  spec->AddExample(
      // verbatim: the three HWAC examples end with a blank
      "-r 65430 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -a -s -m 200 ",
      "Add a HWAC rule enabling using array reported values & multiple segments while issuing XCOPY "
      "Commands.");
  spec->AddExample(
      // verbatim: "whileissuing", here and below
      "-r 65430 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -a -k 256 ",
      "Add a HWAC rule enabling using array reported values & set maxTransferSize in KiB whileissuing "
      "XCOPY Commands.");
  spec->AddExample(
      "-r 65430 -t vendor -V EMC -M SYMMETRIX -P TVX_HWACP_SYMM -c HWAC -a -s -k 204800 ",
      "Add a HWAC rule enabling using array reported values & set maxTransferSize in KiB whileissuing "
      "XCOPY Commands.");
  spec->AddExample(
      "--rule 429 --type vendor --nvme-controller-model \"ABCD*\" --plugin HPP",
      "Add rule #429 to claim all paths to NVMe devices whose controller model starts with ABCD for "
      "the HPP plugin.");
  spec->AddExample(
      "--rule 429 --type vendor --pci-vendor-id 8086 --pci-sub-vendor-id 8086 --plugin HPP",
      "Add rule #429 to claim all paths with PCI vendor id value matching hexadecimal value 8086 and "
      "PCI sub vendor id value matching hexadecimal value 8086.");
  spec->AddExample(
      "-r 914 -t vendor -V TARVEX -M Virtual -P HPP --config-string \"pss=FIXED,mark-device-ssd=true\"",
      "Add rule #914 to claim all SCSI paths with a vendor string matching \"TARVEX\" and a model "
      "string \"Virtual\" for the HPP plugin, using the path selection scheme FIXED and marking the "
      "device as SSD.");
  spec->AddExample(
      // verbatim: ends with a blank
      "-r 914 -t vendor -V TARVEX -M Virtual -P HPP --config-string "
      "\"pss=LB-Latency,latency-eval-time=40000,mark-device-local=true\" ",
      "Add rule #914 to claim all SCSI paths with a vendor string matching \"TARVEX\" and a model "
      "string \"Virtual\" for the HPP plugin, using the path selection scheme LB-Latency with a latency "
      "evaluation time of 40000 ms and marking the device as local.");
  return spec;
}

void ClaimRuleAdd::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    const std::string type = input->GetParameter("type");
    const std::string plugin = input->GetParameter("plugin");
    const bool force = input->IsFlagSet("force");
    const bool forceReserved = input->IsFlagSet("force-reserved");
    const bool autoassign = input->IsFlagSet("autoassign");
    const bool boot = input->IsFlagSet("boot");
    const bool hasRule = input->HasParameter("rule");
    StorageInfoImpl info;

    uint32_t ruleId = PsaClaimRule::AUTOASSIGN_RULEID;
    if (!hasRule && !autoassign) {
      output->AddErrorMessage("Must specify one of --autoassign or --rule.");
      return;
    }
    if (hasRule) {
      if (autoassign) {
        output->AddErrorMessage("Cannot specify both --autoassign and --rule.");
        return;
      }
      const int id = static_cast<int>(input->GetParameterInt("rule"));
      if (!forceReserved && (id < static_cast<int>(PsaClaimRule::MIN_PUBLIC_RULEID) ||
                             id > static_cast<int>(PsaClaimRule::MAX_PUBLIC_RULEID))) {
        output->AddErrorMessage(StrPrintf("The rule id is outside of the public id range (%u-%u). Choose a "
                                          "different rule id or use --force-reserved to force.",
                                          PsaClaimRule::MIN_PUBLIC_RULEID, PsaClaimRule::MAX_PUBLIC_RULEID));
        return;
      }
      ruleId = static_cast<uint32_t>(id);
    }

    const PSAClaimRuleClass ruleClass = SelectedClass(input, info);
    if (plugin.empty()) {
      output->AddErrorMessage("Invalid Plugin name. Plugin cannot be empty.");
      return;
    }
    const std::string classText = info.GetClaimRuleClassString(ruleClass);
    if (!force && !info.IsRegisteredPsaPluginName(plugin, classText)) {
      output->AddErrorMessage(StrCat("Plugin '", plugin, "' is not a registered ", classText,
                                     // verbatim: double blank
                                     " plugin.  To perform this command ",
                                     "and skip the check for a registered plugin use the ",
                                     "--force option to force the use of this plugin name."));
      return;
    }

    PsaClaimRuleImpl rule(ruleId, classText);
    rule.SetForceReserved(forceReserved);
    rule.SetForce(force);
    if (input->HasParameter("config-string")) {
      if (ruleClass != kMp) {
        output->AddErrorMessage("--config-string is applicable for 'MP' class");
        return;
      }
      if (plugin == "NMP" || plugin == "MASK_PATH") {
        output->AddErrorMessage("--config-string is not applicable for 'NMP' and 'MASK_PATH' plugin");
        return;
      }
    }
    rule.SetMppConfigString(input->GetParameter("config-string"));

    bool filled = false;
    if (type == "vendor") {
      filled = FillVendorRule(input, output, rule, ruleClass, plugin);
    } else if (ruleClass != kMp) {
      if (type != "device") {
        output->AddErrorMessage("--claimrule-class=Filter|HWAC can be only used with vendor/device.");
        return;
      }
      if (!input->HasParameter("device")) {
        output->AddErrorMessage("Missing --device parameter for --type=device");
        return;
      }
      const std::string device = input->GetParameter("device");
      if (info.ResolveRuntimeLunName(device).empty()) {
        output->AddErrorMessage("Unknown device " + device);
        return;
      }
      rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_DEVICE);
      rule.SetPluginName(plugin);
      rule.SetDeviceUid(device);
      filled = true;
    } else if (type == "location") {
      filled = FillLocationRule(input, output, rule, info, plugin, force);
    } else if (type == "driver") {
      filled = FillDriverRule(input, output, rule, plugin, force);
    } else if (type == "transport") {
      if (!input->HasParameter("transport")) {
        output->AddErrorMessage("Missing --transport parameter.");
        return;
      }
      rule.SetType(PsaClaimRule::PSA_CLAIM_TYPE_TRANSPORT);
      rule.SetPluginName(plugin);
      rule.SetTransport(ScsiInterface::GetValidInterfaceType(input->GetParameter("transport")));
      filled = true;
    } else if (type == "target") {
      filled = FillTargetRule(input, output, rule, plugin);
    } else if (type == "device") {
      output->AddErrorMessage("--type=device is not supported for MPP claim rules.");
      return;
    } else {
      output->AddErrorMessage("Unsupported claimrule --type for MPP claim rules.");
      return;
    }
    if (!filled)
      return;

    info.AddPsaClaimRule(rule, boot);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to perform add operation. ", e);
  }
}

// --- claimrule remove ---

ClaimRuleDelete::ClaimRuleDelete() {
  SetDescription("Delete a claimrule to the set of claimrules on the system.");
}

Frame::InputSpecPtr ClaimRuleDelete::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  AddRuleId(spec, Frame::Optional);
  AddPlugin(spec);
  AddClaimRuleClassParam(spec, false, true);
  return spec;
}

void ClaimRuleDelete::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl info;
    const PSAClaimRuleClass ruleClass = SelectedClass(input, info);
    const bool hasPlugin = input->HasParameter("plugin");
    if (input->HasParameter("rule")) {
      if (hasPlugin) {
        output->AddErrorMessage("Only one of --rule or --plugin allowed.");
        return;
      }
      const int id = static_cast<int>(input->GetParameterInt("rule"));
      if (!info.GetPsaClaimRule(static_cast<uint32_t>(id), ruleClass)) {
        output->AddErrorMessage(StrPrintf("Error: Unknown ruleId %d\n", id));
        return;
      }
      info.RemovePsaClaimRule(static_cast<uint32_t>(id), ruleClass);
    } else if (hasPlugin) {
      const std::string plugin = input->GetParameter("plugin");
      for (const auto &rule : info.GetPsaClaimRules(false, true, ruleClass))
        if (rule->GetProperties(PsaClaimRule::SIDE_FILE).pluginName == plugin)
          info.RemovePsaClaimRule(rule->GetRuleId(), ruleClass);
    } else {
      output->AddErrorMessage("One of --rule or --plugin must be specified.");
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to perform delete operation. ", e);
  }
}

// --- claimrule list ---

ClaimRuleList::ClaimRuleList() {
  SetDescription("List all the claimrules on the system.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter(
      "fields:PSAClaimRule",
      "Rule Class,Rule,Class,Type,Plugin,Matches,XCOPY Use Array Reported Values,XCOPY Use "
      "Multiple Segments,XCOPY Max Transfer Size KiB, Config String,Extended XCOPY Support");
}

Frame::InputSpecPtr ClaimRuleList::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  AddClaimRuleClassParam(spec, true, true);
  return spec;
}

Frame::MetaStructPtr ClaimRuleList::GetOutputStructure() const {
  return Frame::NewTemplate("PSAClaimRule", {{"Rule Class", FieldType::String},
                                             {"Rule", FieldType::Int},
                                             {"Class", FieldType::String},
                                             {"Type", FieldType::String},
                                             {"Plugin", FieldType::String},
                                             {"Matches", FieldType::String},
                                             {"Config String", FieldType::String},
                                             {"XCOPY Use Array Reported Values", FieldType::Bool},
                                             {"XCOPY Use Multiple Segments", FieldType::Bool},
                                             {"XCOPY Max Transfer Size", FieldType::UInt},
                                             {"XCOPY Max Transfer Size KiB", FieldType::UInt},
                                             {"Extended XCOPY Support", FieldType::Bool}});
}

void ClaimRuleList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl info;
    // Held until the listing is complete, so that no writer changes the rules
    // between reading one class and the next.
    std::unique_ptr<OlkCtl::Config::ConfigFile> configFile = OlkCtl::Config::ConfigFile::GetFile();
    configFile->Lock();

    const std::string filter =
        input->HasParameter("claimrule-class") ? input->GetParameter("claimrule-class") : "MP";
    auto rows = Frame::NewRowList(GetOutputStructure());
    for (const std::string &classText : info.GetPsaClaimRuleClasses()) {
      if (filter != "all" && filter != classText)
        continue;
      const PSAClaimRuleClass ruleClass = info.GetClaimRuleClass(classText);
      for (const auto &rule : info.GetPsaClaimRules(true, true, ruleClass)) {
        for (PsaClaimRule::Side side : {PsaClaimRule::SIDE_RUNTIME, PsaClaimRule::SIDE_FILE}) {
          if (!rule->IsPresent(side))
            continue;
          const PsaClaimRule::Properties &p = rule->GetProperties(side);
          auto row = GetOutputStructure();
          row->SetField("Rule", static_cast<long long>(rule->GetRuleId()));
          row->SetField("Rule Class", classText);
          row->SetField("Class", side == PsaClaimRule::SIDE_RUNTIME ? "runtime" : "file");
          row->SetField("Type", Lower(PsaClaimRule::GetTypeString(p.type)));
          row->SetField("Plugin", p.pluginName);
          row->SetField("Matches", GetClaimruleMatchString(p));
          row->SetField("Config String", p.mppConfigString);
          if (ruleClass == kHwac) {
            if (p.extendedXcopySupport)
              row->SetField("Extended XCOPY Support", true);
            if (p.xcopyUseArrayValues) {
              row->SetField("XCOPY Use Array Reported Values", true);
              row->SetField("XCOPY Use Multiple Segments", p.xcopyUseMultiSegs);
              row->SetField("XCOPY Max Transfer Size",
                            static_cast<unsigned long long>(p.xcopyMaxTransferSize));
              row->SetField("XCOPY Max Transfer Size KiB",
                            static_cast<unsigned long long>(p.xcopyMaxTransferSizeKiB != 0
                                                                ? p.xcopyMaxTransferSizeKiB
                                                                : p.xcopyMaxTransferSize * 1024));
            }
          }
          rows->Add(row);
        }
      }
    }
    configFile->Unlock();
    output->SetRootObject(rows);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list claimrules. ", e);
  }
}

// --- claimrule move ---

ClaimRuleMove::ClaimRuleMove() {
  SetDescription("Move a claimrule from one rule id to another");
}

Frame::InputSpecPtr ClaimRuleMove::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  AddRuleId(spec, Frame::Required);
  AddClaimRuleClassParam(spec, false, true);
  Frame::AddParam(spec, "new-rule", "n", ParameterType::Integer, Frame::Required,
                  "Indicate the new rule id you wish to apply to the rule given by the --rule parameter.",
                  Frame::IntRange(PsaClaimRule::MIN_RULEID, PsaClaimRule::MAX_RULEID));
  Frame::AddParam(spec, "force-reserved", "", ParameterType::Flag, Frame::Optional,
                  "Override protection of reserved rule id ranges.");
  return spec;
}

void ClaimRuleMove::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    const int id = static_cast<int>(input->GetParameterInt("rule"));
    const int newId = static_cast<int>(input->GetParameterInt("new-rule"));
    const bool forceReserved = input->IsFlagSet("force-reserved");
    StorageInfoImpl info;
    const PSAClaimRuleClass ruleClass = SelectedClass(input, info);
    std::unique_ptr<PsaClaimRule> rule = info.GetPsaClaimRule(static_cast<uint32_t>(id), ruleClass);
    if (!rule) {
      output->AddErrorMessage(StrPrintf("Error: Unknown ruleId %d", id));
      return;
    }
    if (!forceReserved && (newId < static_cast<int>(PsaClaimRule::MIN_PUBLIC_RULEID) ||
                           newId > static_cast<int>(PsaClaimRule::MAX_PUBLIC_RULEID))) {
      output->AddErrorMessage(StrPrintf("The new rule id is outside of the public id range (%u-%u). Choose a "
                                        "different rule id or use --force-reserved to force.",
                                        PsaClaimRule::MIN_PUBLIC_RULEID, PsaClaimRule::MAX_PUBLIC_RULEID));
      return;
    }
    rule->Move(static_cast<uint32_t>(newId));
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error: ", e);
  }
}

// --- claimrule run ---

ClaimRuleRun::ClaimRuleRun() {
  SetDescription("Execute path claiming rules.");
}

Frame::InputSpecPtr ClaimRuleRun::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  AddClaimRuleClassParam(spec, false, false);
  Frame::AddParam(
      spec, "type", "t", ParameterType::String, Frame::Optional,
      "Indicate the type of claim run you wish to perform. By default the value of 'all' will be used "
      "indicating "
      "you wish to run claim rules without restricting the run to specific paths or SCSI addresses. Valid "
      "values "
      "for this parameter are %ENUM%",
      Frame::StringEnum({{"location", "Run claim rules, but limit the execution by any of the parameters "
                                      "[adapter, channel, target, lun]."},
                         {"path", "Claim a specific path by UID or runtime name."},
                         {"device", "Match claimrule based on SCSI device uid. Requires --device"},
                         {"all", "Run claim rules normally (default)."}}));
  Frame::AddParam(spec, "device", "d", ParameterType::String, Frame::Optional,
                  "Indicate the Device Uid to use for this operation.");
  Frame::AddParam(
      spec, "adapter", "A", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'location' this value indicates the name of the host bus adapter for "
      "the paths you wish to run claim rules on. This parameter can be omitted to indicate claim rules "
      "should be run on paths from all adapters.");
  Frame::AddParam(
      spec, "channel", "C", ParameterType::Integer, Frame::Optional,
      "If the --type parameter is 'location' this value indicates the value of the SCSI channel number "
      "for the paths you wish to run claim rules on. This parameter can be omitted to indicate claim "
      "rules should be run on paths with any channel number.",
      Frame::IntRange(0, 4096));
  Frame::AddParam(
      spec, "target", "T", ParameterType::Integer, Frame::Optional,
      "If the --type parameter is 'location' this value indicates the value of the SCSI target number "
      "for the paths you wish to run claim rules on. This parameter can be omitted to indicate claim "
      "rules should be run on paths with any target number.",
      Frame::IntRange(0, 4096));
  Frame::AddParam(
      spec, "lun", "L", ParameterType::Integer, Frame::Optional,
      "If the --type paramter is 'location' this value indicates the value of the SCSI Logical Unit "
      "Number (LUN) for the paths you wish to run claim rules on. This parameter can be omitted to "
      "indicate claim rules should be run on paths with any Logical Unit Number.",
      Frame::IntRange(0, 255));
  Frame::AddParam(
      spec, "path", "p", ParameterType::String, Frame::Optional,
      "If the --type paramter is 'path' this value indicates the unique path identifier (UID) or the "
      "runtime name of a path which you wish to run claim rules on.");
  Frame::AddParam(
      spec, "wait", "w", ParameterType::Flag, Frame::Optional,
      "If the --wait flag is provided then the claim command will wait until device registration has "
      "completed to return. This option is only valid when used with the --all option.");
  return spec;
}

// A host failure leaves the command: the framework reports it.
void ClaimRuleRun::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  std::unique_ptr<HostCtl::Storage::StorageInfo> info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  const PSAClaimRuleClass ruleClass = SelectedClass(input, *info);
  const std::string type = input->HasParameter("type") ? input->GetParameter("type") : "all";

  auto number = [&input](const char *name) {
    return input->HasParameter(name) ? static_cast<uint32_t>(input->GetParameterInt(name))
                                     : PsaClaimRule::WILDCARD;
  };

  if (type == "all") {
    info->RunClaimRules(ruleClass, input->IsFlagSet("wait"));
  } else if (ruleClass == kFilter) {
    if (type != "device") {
      output->AddErrorMessage("--claimrule-class=Filter can be only used with device.");
      return;
    }
    if (!input->HasParameter("device")) {
      output->AddErrorMessage("Missing --device parameter for --type=device");
      return;
    }
    const std::string device = input->GetParameter("device");
    std::unique_ptr<HostCtl::Storage::Lun> lun = info->GetLun(device, false);
    if (!lun) {
      output->AddErrorMessage("Unknown Device name " + device);
      return;
    }
    lun->RunFilterClaim();
  } else if (type == "location") {
    std::string adapter = "*";
    if (input->HasParameter("adapter")) {
      adapter = input->GetParameter("adapter");
      if (!info->IsValidScsiInterface(adapter))
        output->AddErrorMessage("Invalid or unknown SCSI interface name " + adapter);
    }
    info->RunClaimRulesOnLocation(adapter, number("channel"), number("target"), number("lun"));
  } else if (type == "path") {
    if (!input->HasParameter("path")) {
      output->AddErrorMessage("Missing parameter: --path is required when using the 'path' --type.");
      return;
    }
    const std::string name = input->GetParameter("path");
    std::unique_ptr<HostCtl::Storage::ScsiPath> path = info->GetScsiPath(name);
    if (!path) {
      output->AddErrorMessage("Error unknown path. A path with the name " + name +
                              " was not found on this system.");
      return;
    }
    path->RunClaim();
  } else {
    output->AddErrorMessage("Unknown --type: " + type);
    return;
  }
  info->PostClaimRuleRun();
  Frame::SetTrueResult(output);
}

// --- claimrule load ---

ClaimRuleLoad::ClaimRuleLoad() {
  SetDescription("Load path claiming rules from config file into the Olkernel.");
}

Frame::InputSpecPtr ClaimRuleLoad::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  AddClaimRuleClassParam(spec, true, true);
  return spec;
}

void ClaimRuleLoad::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl info;
    if (input->GetParameter("claimrule-class") == "all") {
      for (const std::string &classText : info.GetPsaClaimRuleClasses()) {
        const PSAClaimRuleClass ruleClass = info.GetClaimRuleClass(classText);
        info.ClearPsaClaimRules(ruleClass);
        info.LoadPsaClaimRules(ruleClass);
      }
    } else {
      const PSAClaimRuleClass ruleClass = SelectedClass(input, info);
      info.ClearPsaClaimRules(ruleClass);
      info.LoadPsaClaimRules(ruleClass);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: double blank
    Frame::AddHostError(output, "Unable to perform add operation.  ", e);
  }
}

// --- claimrule convert ---

ClaimRuleConvert::ClaimRuleConvert() {
  SetDescription(
      "Convert Orlo 3.x style /adv/Disk/MaskLUNs LUN masks to Claim Rule format. WARNING: This "
      "conversion will not work for all input MaskLUNs variations! Please inspect the list of generated "
      // verbatim: "carefuly"
      "claim rules carefuly, then if the suggested LUN mask claim rules are correct use the --commit "
      "parameter to write the list to the config file.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:ConvertedClaimRule", "Rule,Plugin,HbaName,Controller,Target,LUN");
}

Frame::InputSpecPtr ClaimRuleConvert::GetInputSpecInternal() {
  auto spec = CliKit::CallSpec::InputSpec::New();
  Frame::AddParam(
      spec, "commit", "C", ParameterType::Flag, Frame::Optional,
      "Force LUN mask config changes to be saved. If this parameter is omitted, config file changes "
      "will not be saved.");
  return spec;
}

Frame::MetaStructPtr ClaimRuleConvert::GetOutputStructure() const {
  return Frame::NewTemplate("ConvertedClaimRule", {{"Rule", FieldType::Int},
                                                   {"Plugin", FieldType::String},
                                                   {"HbaName", FieldType::String},
                                                   {"Controller", FieldType::Int},
                                                   {"Target", FieldType::Int},
                                                   {"LUN", FieldType::Int}});
}

// The host keeps no /adv/Disk/MaskLUNs entry any more, so there is never
// anything to convert and "commit" has nothing to save. The storage info is
// still opened, as by every claim-rule command, so an unusable host fails here.
void ClaimRuleConvert::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  StorageInfoImpl info;
  output->AddErrorMessage("No /adv/Disk/MaskLUNs config entry to convert!");
}

} // namespace TarvexCli::Storage
