#include "core/ClaimingCommands.h"

#include "frame/Params.h"

#include <olkctl/storage/LunImpl.h>
#include <olkctl/storage/PsaPluginImpl.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>

#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::Storage {

using CliKit::CallSpec::InputSpec;
using Frame::ParameterType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::PsaClaimRule;
using HostCtl::Storage::PSAClaimRuleClass;
using HostCtl::Storage::ScsiPath;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

using PathVector = std::vector<std::unique_ptr<ScsiPath>>;

// The paths of the storage info that `keep` accepts, in host order.
template <class Keep> PathVector PathsWhere(HostCtl::Storage::StorageInfo &info, const Keep &keep) {
  PathVector kept;
  for (auto &path : info.GetScsiPaths())
    if (keep(*path))
      kept.push_back(std::move(path));
  return kept;
}

// Unclaims each path; a refusal adds `context` and the host's text, and the
// next path is tried.
void UnclaimEach(const PathVector &paths, const Frame::OutputPtr &output, const char *context) {
  for (const auto &path : paths) {
    try {
      path->Unclaim();
    } catch (const HostCtlException &e) {
      Frame::AddHostError(output, context, e);
    }
  }
}

uint32_t NumberOrWildcard(const Frame::InputPtr &input, const char *name) {
  return input->HasParameter(name) ? static_cast<uint32_t>(input->GetParameterInt(name))
                                   : PsaClaimRule::WILDCARD;
}

const char *kNotes =
    " You will need to %s it manually using the appropriate commands or wait for periodic probe to "
    "reclaim it automatically.";

std::string Notes(const char *verb) {
  std::string text = kNotes;
  text.replace(text.find("%s"), 2, verb);
  return text;
}

} // namespace

bool ClaimingUnclaim::VendorModelMatch(const std::string &requested, const std::string &deviceText) {
  if (requested.empty() || requested == "*")
    return true;
  std::string padded = requested;
  if (deviceText.size() > padded.size())
    padded.resize(deviceText.size(), ' ');
  return padded == deviceText;
}

// --- claiming unclaim ---

ClaimingUnclaim::ClaimingUnclaim() {
  SetDescription(
      // verbatim: double blanks
      "1) Unclaim a path or set of paths, disassociating them from a PSA plugin. NOTES:  It is normal for path "
      "claiming to fail especially when unclaiming by plugin or adapter. Only inactive paths with no I/O  will be "
      "able to be unclaimed. Typically the Orlo USB partition and devices with OLFS volumes on them will not be "
      "unclaimable. Also NOTE unclaiming will not persist and periodic path claiming will reclaim these paths in "
      "the near future unless claim rules are configured to mask the path. 2) Detach a (set of) filter(s) from "
      "one or more devices.");
}

Frame::InputSpecPtr ClaimingUnclaim::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "type", "t", ParameterType::String, Frame::Required,
      // verbatim: "paramter"
      "Indicate the type of unclaim you wish to perform. Valid values for this paramter are %ENUM%",
      Frame::StringEnum(
          {{"location",
            "Run the unclaim operation and limit it based on specific values of [adapter, channel, "
            "target, lun]."},
           {"path", "Unclaim a specific path by UID or runtime name."},
           {"driver", "Unclaim all paths provided by host bus adapters run with a specific driver."},
           {"device",
            "Unclaim a device's paths (multipathing plugin) or detach filter plugins from the device."},
           {"plugin",
            "Unclaim all paths currently claimed by a specific multipath plugin OR detach filter plugins "
            "from devices"},
           {"vendor",
            "Unclaim all paths currently claimed by devices with specific vendor/model info OR detach "
            "filter plugins from such devices"}}));
  Frame::AddParam(
      spec, "adapter", "A", ParameterType::String, Frame::Optional,
      // verbatim: "paramter"
      "If the --type paramter is 'location' this value indicates the name of the host bus adapter for "
      "the paths you wish to unclaim. This parameter can be omitted to indicate unclaiming should be "
      "run on paths from all adapters.");
  Frame::AddParam(
      spec, "channel", "C", ParameterType::Integer, Frame::Optional,
      "If the --type parameter is 'location' this value indicates the value of the SCSI channel number "
      "for the paths you wish to unclaim. This parameter can be omitted to indicate unclaiming should "
      "be run on paths with any channel number.",
      Frame::IntRange(0, 4096));
  Frame::AddParam(
      spec, "target", "T", ParameterType::Integer, Frame::Optional,
      // verbatim: "paramter"
      "If the --type paramter is 'location' this value indicates the value of the SCSI target number "
      "for the paths you wish to unclaim. This parameter can be omitted to indicate unclaiming should "
      "be run on paths with any target number.",
      Frame::IntRange(0, 4096));
  Frame::AddParam(
      spec, "lun", "L", ParameterType::Integer, Frame::Optional,
      "If the --type parameter is 'location' this value indicates the value of the SCSI Logical Unit "
      "Number (LUN) for the paths you wish to unclaim. This parameter can be omitted to indicate "
      "unclaiming should be run on paths with any Logical Unit Number. If passed, this value must not "
      "be higher than the value of the advanced config option /Disk/MaxLUN",
      Frame::IntRange(0, GetMaxLunLimit()));
  Frame::AddParam(
      spec, "plugin", "P", ParameterType::String, Frame::Optional,
      // verbatim: "paths on for"
      "If the --type parameter is 'plugin' attempt to unclaim all paths on for a given multipath plugin "
      "OR all devices attached to a filter plugin.");
  Frame::AddParam(
      spec, "driver", "D", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'driver' attempt to unclaim all paths provided by a specific HBA "
      "driver.");
  Frame::AddParam(
      spec, "path", "p", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'path' attempt to unclaim a specific path given its path UID or "
      "runtime name.");
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'device' attempt to unclaim all paths to a specific device (for "
      "multipathing plugins) or unclaim the device itself (for filter plugins). NOTE. For paths, if "
      "there are any active I/O operations on this device, at least 1 path will fail to unclaim.");
  Frame::AddParam(
      spec, "vendor", "v", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'vendor' attempt to unclaim all paths to devices with specific vendor "
      "info (for multipathing plugins) or unclaim the device itself (for filter plugins). NOTE. For "
      "paths, if there are any active I/O operations on this device, at least 1 path will fail to "
      "unclaim.");
  Frame::AddParam(
      spec, "model", "m", ParameterType::String, Frame::Optional,
      "If the --type parameter is 'vendor' attempt to unclaim all paths to devices with specific model "
      "info (for multipathing plugins) or unclaim the device itself (for filter plugins). NOTE. For "
      "paths, if there are any active I/O operations on this device, at least 1 path will fail to "
      "unclaim.");
  AddClaimRuleClassParam(spec, false, false);
  return spec;
}

void ClaimingUnclaim::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string type = input->GetParameter("type");
  const std::string classText =
      input->HasParameter("claimrule-class") ? input->GetParameter("claimrule-class") : std::string("MP");
  const std::string vendor = input->GetParameter("vendor");
  const std::string model = input->GetParameter("model");
  try {
    StorageInfoImpl info;
    const PSAClaimRuleClass ruleClass = info.GetClaimRuleClass(classText);
    if (ruleClass == HostCtl::Storage::PSA_CLAIMRULE_CLASS_HWAC) {
      // verbatim: "unlcaim"
      output->AddErrorMessage(
          "Unclaim only supported by MP and Filter classes. To unlcaim HWAC plugins unclaim "
          "the HWAC_FILTER for the device.");
      return;
    }
    if (ruleClass != HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP &&
        ruleClass != HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER) {
      output->AddErrorMessage("Unknown claimrule-class : " + classText);
      return;
    }
    auto missing = [&](const char *parameter) {
      output->AddErrorMessage(std::string("Missing required parameter --") + parameter +
                              " when using --type '" + parameter + "'");
    };
    auto missingVendor = [&]() {
      output->AddErrorMessage("Missing required parameters --vendor or --model when using --type 'vendor'");
    };
    auto matchingDevices = [&]() {
      std::vector<std::unique_ptr<HostCtl::Storage::Lun>> matching;
      for (auto &lun : info.GetLuns(false, false))
        if (VendorModelMatch(vendor, lun->GetVendor()) && VendorModelMatch(model, lun->GetModel()))
          matching.push_back(std::move(lun));
      return matching;
    };
    // The device named by "device", or null after its message.
    auto namedDevice = [&]() -> std::unique_ptr<HostCtl::Storage::Lun> {
      const std::string name = input->GetParameter("device");
      if (name.empty()) {
        missing("device");
        return nullptr;
      }
      auto lun = OlkCtl::Storage::LunImpl::GetLun(name, false);
      if (!lun)
        output->AddErrorMessage("Unable to find device with the name " + name + " on this host.");
      return lun;
    };
    auto pathsOf = [&](const HostCtl::Storage::Lun &lun) {
      return PathsWhere(info, [&](const ScsiPath &path) { return path.GetDeviceName() == lun.GetName(); });
    };

    if (ruleClass == HostCtl::Storage::PSA_CLAIMRULE_CLASS_FILTER) {
      const std::string plugin =
          input->HasParameter("plugin") ? input->GetParameter("plugin") : std::string("*");
      if (plugin != "*" && !info.IsValidPsaPluginName(plugin)) {
        output->AddErrorMessage("Unable to find filter plugin with the name " + plugin + " on this host.");
        return;
      }
      auto filter = OlkCtl::Storage::PsaFilterPluginImpl::GetPlugin(plugin);
      auto detach = [&](const HostCtl::Storage::Lun &lun) {
        try {
          filter->DetachFromDevice(lun.GetName());
        } catch (const HostCtlException &e) {
          Frame::AddHostError(output, "Unable to unclaim Filters from device: ", e);
        }
      };
      if (type == "vendor") {
        if (vendor.empty() && model.empty()) {
          missingVendor();
          return;
        }
        for (const auto &lun : matchingDevices())
          detach(*lun);
      } else if (type == "device") {
        auto lun = namedDevice();
        if (!lun)
          return;
        detach(*lun);
      } else {
        output->AddErrorMessage("--claimrule-class=Filter can be only used with device or vendor types.");
        return;
      }
      Frame::SetTrueResult(output);
      return;
    }

    if (type == "location") {
      const std::string adapter = input->HasParameter("adapter") ? input->GetParameter("adapter") : "*";
      // Both messages are reported and the unclaim still runs.
      if (input->HasParameter("adapter") && !info.IsValidScsiInterface(adapter))
        output->AddErrorMessage("Invalid or unknown SCSI interface name " + adapter + ".");
      if (input->HasParameter("lun") && input->GetParameterInt("lun") > GetMaxLunValue())
        output->AddErrorMessage("The value of lun is higher than the value of /Disk/MaxLUN.");
      info.UnclaimPaths(adapter, NumberOrWildcard(input, "channel"), NumberOrWildcard(input, "target"),
                        NumberOrWildcard(input, "lun"));
    } else if (type == "path") {
      const std::string name = input->GetParameter("path");
      if (name.empty()) {
        missing("path");
        return;
      }
      auto path = OlkCtl::Storage::ScsiPathImpl::GetPath(name);
      if (!path) {
        output->AddErrorMessage("Error: Path name " + name + " is not known on this host.");
        return;
      }
      PathVector one;
      one.push_back(std::move(path));
      UnclaimEach(one, output, "Unable to unclaim path: ");
    } else if (type == "driver") {
      const std::string driver = input->GetParameter("driver");
      if (driver.empty()) {
        missing("driver");
        return;
      }
      for (const auto &adapter : info.GetScsiInterfaces()) {
        if (!adapter || adapter->GetDriver() != driver)
          continue;
        const std::string name = adapter->GetName();
        UnclaimEach(PathsWhere(info, [&](const ScsiPath &path) { return path.GetAdapterName() == name; }),
                    output, "Unable to unclaim path: ");
      }
    } else if (type == "device") {
      auto lun = namedDevice();
      if (!lun)
        return;
      UnclaimEach(pathsOf(*lun), output, "Unable to unclaim device: ");
    } else if (type == "plugin") {
      const std::string name = input->GetParameter("plugin");
      if (name.empty()) {
        missing("plugin");
        return;
      }
      if (!OlkCtl::Storage::PsaMultipathPluginImpl::IsValidPluginName(name)) {
        output->AddErrorMessage("Unable to find multipath plugin with the name " + name + " on this host.");
        return;
      }
      auto plugin = OlkCtl::Storage::PsaMultipathPluginImpl::GetPlugin(name);
      if (!plugin) {
        output->AddErrorMessage("Unable to create an instance of a MP plugin with the name " + name);
        return;
      }
      plugin->UnclaimAllPaths();
    } else if (type == "vendor") {
      if (vendor.empty() && model.empty()) {
        missingVendor();
        return;
      }
      for (const auto &lun : matchingDevices())
        UnclaimEach(pathsOf(*lun), output, "Unable to unclaim device: ");
    } else {
      output->AddErrorMessage("Unknown --type : " + type);
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: blank before the colon
    Frame::AddHostError(output, "Unable to perform unclaim. Error message was : ", e);
  }
}

// --- claiming reclaim ---

ClaimingReclaim::ClaimingReclaim() {
  // verbatim: leading blank
  SetDescription(
      " Attempt to unclaim all paths to a device and then run the loaded claimrules on each of the paths "
      "unclaimed to attempt to reclaim them.");
}

Frame::InputSpecPtr ClaimingReclaim::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(
      spec, "device", "d", ParameterType::String, Frame::Required,
      "Reclaim requires the name of a device on which all paths will be unclaimed and then reclaimed.");
  return spec;
}

void ClaimingReclaim::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("device");
  try {
    auto info = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    // Offline devices can be reclaimed too.
    auto lun = info->GetLun(name, true);
    if (!lun) {
      output->AddErrorMessage("Unknown Device name " + name);
      return;
    }
    const std::string device = lun->GetName();
    PathVector paths =
        PathsWhere(*info, [&](const ScsiPath &path) { return path.GetDeviceName() == device; });
    for (const auto &path : paths) {
      try {
        path->Unclaim();
      } catch (const HostCtlException &) {
        output->AddErrorMessage("Unable to unclaim path " + path->GetRuntimeName() + " on device " + name +
                                Notes("unclaim"));
      }
    }
    for (const auto &path : paths) {
      try {
        path->RunClaim();
      } catch (const HostCtlException &) {
        output->AddErrorMessage("Unable to claim path " + path->GetRuntimeName() + " on device " + name +
                                Notes("claim"));
      }
    }
    lun->Refresh();
    lun->RunFilterClaim();
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: blank before the colon
    Frame::AddHostError(output, "Unable to perform reclaim. Error message was : ", e);
  }
}

// --- claiming autoclaim ---

ClaimingAutoClaim::ClaimingAutoClaim() {
  SetDescription(
      "Control the automatic PSA (path/device) claiming code allowing the disabling of the automatic "
      "claiming process or re-enabling of the claiming process if it was previously disabled. By "
      "default the automatic PSA claiming process is on and should not be disabled by users unless "
      "specifically instructed to do so.");
}

Frame::InputSpecPtr ClaimingAutoClaim::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddClaimRuleClassParam(spec, true, true);
  Frame::AddParam(
      spec, "enabled", "", ParameterType::Boolean, Frame::Required,
      // verbatim: "givenPSA"
      "Set the autoclaiming enabled state for a givenPSA plugin type in the Olkernel. Default is to "
      "have this process enabled. This should not be changed by users unless specifically instructed "
      "to do so.");
  Frame::AddParam(
      spec, "wait", "w", ParameterType::Flag, Frame::Optional,
      // verbatim: double blank
      "If the --wait flag is provided then the autoclaim enable will wait for paths to 'settle' before "
      "running the claim operation.  This means that the system is reasonably sure that all paths on "
      "the system have appeared before enabling autoclaim.");
  return spec;
}

void ClaimingAutoClaim::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool enabled = input->GetParameterBool("enabled");
  const bool wait = input->IsFlagSet("wait");
  try {
    StorageInfoImpl info;
    if (!input->HasParameter("claimrule-class")) {
      info.SetPsaAutoClaiming(enabled, HostCtl::Storage::PSA_CLAIMRULE_CLASS_MP, wait);
    } else if (input->GetParameter("claimrule-class") == "all") {
      for (const std::string &classText : info.GetPsaClaimRuleClasses())
        info.SetPsaAutoClaiming(enabled, info.GetClaimRuleClass(classText), wait);
    } else {
      info.SetPsaAutoClaiming(enabled, info.GetClaimRuleClass(input->GetParameter("claimrule-class")), wait);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    // verbatim: blank before the colon
    Frame::AddHostError(output, "Unable to change autoclaim state. Error message was : ", e);
  }
}

} // namespace TarvexCli::Storage
