#include "filesystem/NfsShared.h"

#include "filesystem/VolumeSelection.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

#include <cstdlib>

namespace TarvexCli::FileSystem {

using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::NetworkFileSystem;
using HostCtl::Storage::NfsVersion;
using OlkCtl::Storage::StorageInfoImpl;

const char *TranslateHWAC(int state) {
  switch (state) {
  case HostCtl::Storage::HWAC_SUPPORTED:
    return "Supported";
  case HostCtl::Storage::HWAC_NOT_SUPPORTED:
    return "Not Supported";
  default:
    return "Unknown";
  }
}

std::string ReResolveErrorText(unsigned code, const std::string &hostName, const char *text) {
  return HostCtl::Misc::StrPrintf(NetworkFileSystem::NFS_DNS_RERESOLVE_ERR_FMT, code, hostName.c_str(), text);
}

bool IsValidIpMask(const std::string &value) {
  using namespace HostCtl::Network;
  if (Ipv4Address::IsValidAddress(value) || Ipv6Address::IsValidAddress(value))
    return false;
  if (Ipv6Network::IsValidAddressAndNetmask(value))
    return true;
  const std::size_t slash = value.find('/');
  if (slash == std::string::npos || value.find('/', slash + 1) != std::string::npos)
    return false;
  if (!Ipv4Address::IsValidAddress(value.substr(0, slash)))
    return false;
  const std::string prefix = value.substr(slash + 1);
  if (prefix.empty() || prefix.find_first_not_of("0123456789") != std::string::npos)
    return false;
  // Base 0 as the host reads it: a leading zero makes "010" octal 8.
  return std::strtoul(prefix.c_str(), nullptr, 0) <= 32;
}

std::string SkippedMountText(const std::string &name, const std::exception &error) {
  return "Error getting data for mount '" + name + "': " + error.what() + ", skipping.";
}

Frame::MetaStructPtr FirewallConfigsTemplate() {
  return Frame::NewTemplate("NasFirewallConfigs", {{"Allowed IPMask", Frame::FieldType::String}});
}

void RunFirewallAdd(NfsVersion version, const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string ipMask = input->GetParameter("ip-mask");
  if (!IsValidIpMask(ipMask)) {
    output->AddErrorMessage("Only IP/Mask entries are allowed to be added");
    return;
  }
  try {
    StorageInfoImpl storage;
    storage.AddNasFirewallConfig(ipMask, version);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

void RunFirewallRemove(NfsVersion version, const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    storage.RemoveNasFirewallConfig(input->GetParameter("ip-mask"), version);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

void RunFirewallList(NfsVersion version, const Frame::MetaStructPtr &row, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    std::string joined;
    for (const std::string &entry : storage.GetNasFirewallConfigs(version))
      joined += (joined.empty() ? "" : ",") + entry;
    row->SetField("Allowed IPMask", joined);
    output->SetRootObject(row);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

void RunVolumeRemove(NfsVersion version, const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("volume-name");
  try {
    StorageInfoImpl storage;
    NotifyDatastore("PreUnmount", name);
    try {
      storage.RemoveNetworkFileSystem(name, version);
    } catch (const HostCtlException &) {
      NotifyDatastore("FailedUnmount", name);
      throw;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

void RunVolumeRestore(NfsVersion version, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    StorageInfoImpl::NasVector volumes;
    if (version == NfsVersion::V3)
      storage.GetV3NetworkFileSystems(volumes, OlkCtl::Storage::IsNotPE);
    else
      storage.GetV41NetworkFileSystems(volumes, OlkCtl::Storage::IsNotPE);
    for (const auto &volume : volumes) {
      const std::string name = volume->GetVolumeName();
      try {
        volume->Restore();
      } catch (const HostCtlException &e) {
        // verbatim: no blank before the quote
        output->AddErrorMessage("Failed to restore volume\"" + name + "\": " + e.what());
      }
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

Frame::MetaStructPtr NasParamsTemplate(const char *olknicField) {
  return Frame::NewTemplate("NasMountParams", {{"Volume Name", Frame::FieldType::String},
                                               {"MaxQueueDepth", Frame::FieldType::Int},
                                               {"MaxReadTransferSize", Frame::FieldType::Int},
                                               {"MaxWriteTransferSize", Frame::FieldType::Int},
                                               {olknicField, Frame::FieldType::String},
                                               {"Connections", Frame::FieldType::Int}});
}

void RunParamGet(NfsVersion version, const char *olknicField, const Frame::InputPtr &input,
                 const Frame::OutputPtr &output) {
  const std::string wanted = input->GetParameter("volume-name");
  auto result = Frame::NewRowList(NasParamsTemplate(olknicField));
  try {
    StorageInfoImpl storage;
    auto volumes = version == NfsVersion::V3 ? storage.GetV3NetworkFileSystems(OlkCtl::Storage::IsNotPE)
                                             : storage.GetV41NetworkFileSystems(OlkCtl::Storage::IsNotPE);
    for (const auto &volume : volumes) {
      const std::string name = volume->GetVolumeName();
      if (wanted != "all" && wanted != name)
        continue;
      try {
        const HostCtl::Storage::NasParams params = volume->GetParams();
        auto row = NasParamsTemplate(olknicField);
        row->SetField("Volume Name", name);
        row->SetField("MaxQueueDepth", Frame::MetaInt::New(params.maxQueueDepth));
        row->SetField("MaxReadTransferSize", Frame::MetaInt::New(params.maxReadTransferSize));
        row->SetField("MaxWriteTransferSize", Frame::MetaInt::New(params.maxWriteTransferSize));
        row->SetField(olknicField, params.olknic);
        row->SetField("Connections", Frame::MetaInt::New(params.connections));
        result->Add(row);
      } catch (const HostCtlException &e) {
        output->AddErrorMessage("Error getting params for mount '" + name + "': " + e.what() + ", skipping.");
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

bool MountOrUndo(StorageInfoImpl &storage, NetworkFileSystem &volume, int option,
                 const std::string &volumeName, const Frame::OutputPtr &output) {
  try {
    volume.MountWithOption(option);
    return true;
  } catch (const HostCtlException &e) {
    const std::string mountError = e.what();
    std::string undoError;
    try {
      storage.RemoveNetworkFileSystem(volumeName);
    } catch (const HostCtlException &undo) {
      undoError = undo.what();
    }
    output->AddErrorMessage(mountError);
    if (!undoError.empty())
      output->AddErrorMessage(undoError);
    return false;
  }
}

} // namespace TarvexCli::FileSystem
