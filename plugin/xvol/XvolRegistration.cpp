// The "xvol" tree under "storage", unless the host switches it off.
#include "frame/Features.h"
#include "frame/Registration.h"
#include "xvol/XvolMaintenance.h"
#include "xvol/XvolStatsCommands.h"
#include "xvol/XvolViews.h"

#include <clikit/AutoCli.h>

#include <memory>

namespace {

using CliKit::AutoCli::Namespace;
using namespace TarvexCli::XVolNamespace;

// Hides the whole tree on hosts without virtual-volume support.
constexpr int kFeatureXvolDisabled = 312;

std::shared_ptr<Namespace> NewNamespace(const char *description) {
  auto node = Namespace::New();
  node->SetDescription(description);
  return node;
}

} // namespace

extern "C" {

void XVol_RegisterNamespaces(NamespaceNodePtr storage) {
  if (TarvexCli::Frame::FeatureOn(kFeatureXvolDisabled))
    return;
  auto xvol = NewNamespace("Operations pertaining to Virtual Volumes");

  auto provider = NewNamespace("Manage XVol OSPA Provider Operations.");
  provider->RegisterNamespaceNode(VendorProviderList::New(), "list");
  xvol->RegisterNamespaceNode(provider, "ospaprovider");

  auto container = NewNamespace("Operations pertaining to XVol storage containers.");
  container->RegisterNamespaceNode(StorageContainerList::New(), "list");
  auto abandoned = NewNamespace("Operations on Abandoned Virtual Volumes.");
  abandoned->RegisterNamespaceNode(StorageContainerAbandonedXVolScan::New(), "scan");
  container->RegisterNamespaceNode(abandoned, "abandonedxvol");
  xvol->RegisterNamespaceNode(container, "storagecontainer");

  auto pe = NewNamespace("Operations on XVol Protocol EndPoints.");
  pe->RegisterNamespaceNode(ProtocolEndPointList::New(), "list");
  pe->RegisterNamespaceNode(ProtocolEndPointForceUnbind::New(), "startforceunbind");
  xvol->RegisterNamespaceNode(pe, "protocolendpoint");

  auto daemon = NewNamespace("Operations pertaining to XVol daemon.");
  daemon->RegisterNamespaceNode(DaemonUnbindAll::New(), "unbindall");
  xvol->RegisterNamespaceNode(daemon, "daemon");

  auto context = NewNamespace("Operations on the XVol OSPA context.");
  context->RegisterNamespaceNode(OspaContextGet::New(), "get");
  xvol->RegisterNamespaceNode(context, "ospacontext");

  auto vmstats = NewNamespace("Operations on the XVol VM Stats.");
  vmstats->RegisterNamespaceNode(VmStatsGet::New(), "get");
  xvol->RegisterNamespaceNode(vmstats, "vmstats");

  auto stats = NewNamespace("Operations pertaining to XVol stats.");
  stats->RegisterNamespaceNode(Stats::GetStats::New(), "get");
  stats->RegisterNamespaceNode(Stats::AddStatsEntity::New(), "add");
  stats->RegisterNamespaceNode(Stats::RemoveStatsEntity::New(), "remove");
  stats->RegisterNamespaceNode(Stats::ListStats::New(), "list");
  stats->RegisterNamespaceNode(Stats::EnableStats::New(), "enable");
  stats->RegisterNamespaceNode(Stats::DisableStats::New(), "disable");
  stats->RegisterNamespaceNode(Stats::ResetStats::New(), "reset");
  xvol->RegisterNamespaceNode(stats, "stats");

  auto nvme = NewNamespace("Operations on xVol NVMe.");
  auto nvmeInfo = NewNamespace("NVMe host information.");
  nvmeInfo->RegisterNamespaceNode(XvolNvmeInfoGet::New(), "get");
  nvmeInfo->RegisterNamespaceNode(XvolNvmeInfoSet::New(), "set");
  nvme->RegisterNamespaceNode(nvmeInfo, "info");
  nvme->RegisterNamespaceNode(DiscoverNvmeSubsystem::New(), "discover");
  xvol->RegisterNamespaceNode(nvme, "nvme");

  auto array = NewNamespace("Operations pertaining to XVol storagearray.");
  array->RegisterNamespaceNode(StorageArray::StorageArrayList::New(), "list");
  auto arrayContainer = NewNamespace("Operations pertaining to containers on storagearray");
  arrayContainer->RegisterNamespaceNode(StorageArray::StorageArrayContainerList::New(), "list");
  array->RegisterNamespaceNode(arrayContainer, "container");
  auto arrayPe = NewNamespace("Operations pertaining to protocolendpoints on storagearray");
  arrayPe->RegisterNamespaceNode(StorageArray::StorageArrayProtocolEndpointList::New(), "list");
  array->RegisterNamespaceNode(arrayPe, "protocolendpoint");
  xvol->RegisterNamespaceNode(array, "storagearray");

  auto volume = NewNamespace("Operations pertaining to one or more specific virtual volumes.");
  volume->RegisterNamespaceNode(ConfigXvolUnmap::New(), "unmap");
  xvol->RegisterNamespaceNode(volume, "virtualvolume");

  storage->RegisterNamespaceNode(xvol, "xvol");
}

} // extern "C"
