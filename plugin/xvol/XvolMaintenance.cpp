#include "xvol/XvolMaintenance.h"

#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>
#include <olkctl/storage/XvolFileSystemImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/storage/StorageInfo.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::XVolNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using OlkCtl::Storage::XvolFileSystemImpl;

namespace {

// The parameter naming the PE to unbind.
constexpr const char *kPeId = "pe";

// What an unmap request reclaims per pass when the user does not say.
constexpr uint32_t kDefaultReclaimUnit = 200;

std::string OptionalText(const Frame::InputPtr &input, const char *name) {
  return input->HasParameter(name) ? input->GetParameter(name) : std::string();
}

} // namespace

// --- nvme info get ---

XvolNvmeInfoGet::XvolNvmeInfoGet() {
  SetDescription("Get xVol NVMe host information.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr XvolNvmeInfoGet::GetInputSpecInternal() {
  return InputSpec::New();
}

Frame::MetaStructPtr XvolNvmeInfoGet::GetOutputStructure() const {
  return Frame::NewTemplate("XvolNvmeInfo",
                            {{"Host NQN", FieldType::String}, {"Host ID", FieldType::String}});
}

void XvolNvmeInfoGet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  try {
    const HostCtl::Storage::XvolNvmeInfo info = XvolFileSystemImpl::GetNvmeInfo();
    auto row = GetOutputStructure();
    row->SetField("Host NQN", info.hostNqn);
    row->SetField("Host ID", info.hostId);
    output->SetRootObject(row);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to fetch xVol NVMe host information: ", e);
  }
}

// --- nvme info set ---

XvolNvmeInfoSet::XvolNvmeInfoSet() {
  SetDescription("Set xVol NVMe host information.");
}

Frame::InputSpecPtr XvolNvmeInfoSet::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "hostnqn", "", ParameterType::String, Frame::Optional,
                  "The HostNQN to set. --hostnqn=default will regenerate HostNQN with default policy.");
  Frame::AddParam(spec, "force", "f", ParameterType::Boolean, Frame::Optional,
                  "The force flag, ignores the check for existing host NQN being already in-use.");
  return spec;
}

void XvolNvmeInfoSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  if (!input->HasParameter("hostnqn") || input->GetParameter("hostnqn") != "default") {
    output->AddErrorMessage("Currently only --hostnqn=default is supported.");
    return;
  }
  const bool force = input->HasParameter("force") && input->GetParameterBool("force");
  try {
    // Regeneration disconnects the host's NVMe controllers: asked once, never retried.
    XvolFileSystemImpl::RegenerateNvmeHostNqn(true, force);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Failed to set Host NQN: ", e);
  }
}

// --- nvme discover ---

DiscoverNvmeSubsystem::DiscoverNvmeSubsystem() {
  SetDescription("Performs a rescan of xVol NVMe subsystems.");
}

Frame::InputSpecPtr DiscoverNvmeSubsystem::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "array-id", "a", ParameterType::String, Frame::Optional, "OSPA Storage array ID.");
  Frame::AddParam(spec, "adapter", "", ParameterType::String, Frame::Optional, "Adapter Name.");
  return spec;
}

void DiscoverNvmeSubsystem::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string arrayId = OptionalText(input, "array-id");
  const std::string adapter = OptionalText(input, "adapter");
  try {
    XvolFileSystemImpl::DiscoverNvmeSubsystem(arrayId, adapter);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Rescan failed: ", e);
  }
}

// --- virtualvolume unmap ---

ConfigXvolUnmap::ConfigXvolUnmap() {
  SetDescription("Reclaim the space by unmapping free blocks from OLFS config volume.");
}

Frame::InputSpecPtr ConfigXvolUnmap::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "container-id", "c", ParameterType::String, Frame::Required, "StorageContainer ID.");
  Frame::AddParam(spec, "uuid", "u", ParameterType::String, Frame::Required, "Meta xVol UUID.");
  Frame::AddParam(spec, "reclaim-unit", "n", ParameterType::Integer, Frame::Optional,
                  "Number of OLFS blocks that should be unmapped per iteration.",
                  Frame::IntRange(1, 2147483647));
  return spec;
}

void ConfigXvolUnmap::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string containerId = input->GetParameter("container-id");
  const std::string uuid = input->GetParameter("uuid");
  const uint32_t reclaimUnit = input->HasParameter("reclaim-unit")
                                   ? static_cast<uint32_t>(input->GetParameterInt("reclaim-unit"))
                                   : kDefaultReclaimUnit;
  try {
    {
      OlkCtl::Storage::StorageInfoImpl storage;
      auto containers = storage.GetXvolFileSystems();
      for (const auto &container : containers) {
        if (!container || !container->HasContainerId(containerId))
          continue;
        // The host resolves the volume in its container first; what it finds
        // is not needed here.
        std::string path;
        container->GetXvolPath(path, uuid, "", 0);
        break;
      }
    }
    XvolFileSystemImpl::ConfigXvolUnmap(containerId, uuid, reclaimUnit);
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- daemon unbindall ---

DaemonUnbindAll::DaemonUnbindAll() {
  SetDescription("Unbind all Virtual Volumes from all OSPA Providers known to this host.");
}

Frame::InputSpecPtr DaemonUnbindAll::GetInputSpecInternal() {
  return InputSpec::New();
}

void DaemonUnbindAll::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &output) {
  std::vector<std::unique_ptr<HostCtl::Storage::XvolFileSystem>> containers;
  {
    auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
    containers = storage->GetXvolFileSystems();
  }
  // One container reaches every provider; the first that takes the request
  // is enough, and none is asked twice.
  for (const auto &container : containers) {
    if (!container)
      continue;
    try {
      container->UnbindAll("");
      Frame::SetTrueResult(output);
      return;
    } catch (const HostCtlException &e) {
      output->AddErrorMessage("Error getting data for mount '" + container->GetName() + "': " + e.what() +
                              ", skipping.");
    }
  }
  output->AddErrorMessage("Failed to find XVol StorageContainer to send DaemonUnbindAll");
  output->SetRootObject(Frame::MetaBool::New(false));
}

// --- protocolendpoint startforceunbind ---

ProtocolEndPointForceUnbind::ProtocolEndPointForceUnbind() {
  SetDescription("Unbind all Virtual Volumes on the PE with zero open handle count.");
}

Frame::InputSpecPtr ProtocolEndPointForceUnbind::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, kPeId, "p", ParameterType::String, Frame::Required,
                  "Protocol endpoint host ID to force unbind XVol devices.");
  return spec;
}

Frame::OutputSpecPtr ProtocolEndPointForceUnbind::GetOutputSpecInternal() {
  auto spec = CliKit::CallSpec::OutputSpec::New();
  spec->SetRootObject(Frame::MetaString::New());
  return spec;
}

void ProtocolEndPointForceUnbind::ExecuteInternal(const Frame::InputPtr &input,
                                                  const Frame::OutputPtr &output) {
  const std::string pe = input->GetParameter(kPeId);
  try {
    std::vector<std::string> known;
    XvolFileSystemImpl::GetPEsForHost(known);
    if (std::find(known.begin(), known.end(), pe) == known.end())
      throw HostCtlException("Could not find Protocol Endpoint: " + pe);
    XvolFileSystemImpl::UnbindDevicesOnPE(pe);
    output->SetRootObject(Frame::MetaString::New("Starting force unbind on PE: " + pe));
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Error while invoking force unbind of xvols of PE: ", e);
  }
}

// --- storagecontainer abandonedxvol scan ---

StorageContainerAbandonedXVolScan::StorageContainerAbandonedXVolScan() {
  SetDescription("Scans the specified storage container for abandoned XVols.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr StorageContainerAbandonedXVolScan::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "path", "p", ParameterType::String, Frame::Required,
                  "Path to XVol Storage Container to scan.");
  return spec;
}

// No handler of its own: a host failure leaves the command.
void StorageContainerAbandonedXVolScan::ExecuteInternal(const Frame::InputPtr &input,
                                                        const Frame::OutputPtr &output) {
  const std::string path = input->GetParameter("path");
  auto storage = HostCtl::HostFactory::GetHost()->GetStorageInfo();
  auto container = storage->GetXvolFileSystemByPath(path);
  if (!container) {
    output->AddErrorMessage("Bad datastore path");
    return;
  }
  container->ScanAbandonedXvols();
  Frame::SetTrueResult(output);
}

} // namespace TarvexCli::XVolNamespace
