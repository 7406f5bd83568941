// The "san" tree: per-transport views of the storage adapters.
#include "frame/Registration.h"

#include "san/FcCommands.h"
#include "san/SasIscsiCommands.h"

#include <clikit/AutoCli.h>

using TarvexCli::Frame::NewNamespace;
using namespace TarvexCli::SanNamespace;

extern "C" {

// Each transport attaches its "stats" namespace before its commands, so help
// lists them in that order.
void San_RegisterNamespaces(NamespaceNodePtr storage) {
  auto san = NewNamespace("IO device management operations to the SAN devices on the system.");

  auto fcoe = NewNamespace("IO Device Management operations to the FCoE adapters on the system.");
  auto fcoeStats = NewNamespace("Statistics operations pertaining to the FCoE adapters on the system.");
  fcoeStats->RegisterNamespaceNode(FcoeStatsGet::New(), "get");
  fcoe->RegisterNamespaceNode(fcoeStats, "stats");
  fcoe->RegisterNamespaceNode(FcoeDeviceList::New(), "list");
  fcoe->RegisterNamespaceNode(FcoeIssueLIP::New(), "reset");
  san->RegisterNamespaceNode(fcoe, "fcoe");

  auto iscsi = NewNamespace("IO Device Management operations to the Software iSCSI adapters on the system.");
  auto iscsiStats =
      NewNamespace("Statistics operations pertaining to the Software iSCSI adapters on the system.");
  iscsiStats->RegisterNamespaceNode(iScsiStatsGet::New(), "get");
  iscsi->RegisterNamespaceNode(iscsiStats, "stats");
  iscsi->RegisterNamespaceNode(iScsiDeviceList::New(), "list");
  san->RegisterNamespaceNode(iscsi, "iscsi");

  auto sas = NewNamespace("IO Device Management operations to the SAS adapters on the system.");
  auto sasStats = NewNamespace("Statistics operations pertaining to the SAS adapters on the system.");
  sasStats->RegisterNamespaceNode(SasStatsGet::New(), "get");
  sas->RegisterNamespaceNode(sasStats, "stats");
  sas->RegisterNamespaceNode(SasDeviceList::New(), "list");
  sas->RegisterNamespaceNode(SasIssueReset::New(), "reset");
  san->RegisterNamespaceNode(sas, "sas");

  auto fc = NewNamespace("IO Device Management operations to the FC adapters on the system.");
  auto fcStats = NewNamespace("Statistics operations pertaining to the FC adapters on the system.");
  fcStats->RegisterNamespaceNode(FcStatsGet::New(), "get");
  auto fcEvents = NewNamespace("Manage FC SCSI events");
  fcEvents->RegisterNamespaceNode(FcClearEvents::New(), "clear");
  fcEvents->RegisterNamespaceNode(FcGetEvents::New(), "get");
  fc->RegisterNamespaceNode(fcStats, "stats");
  fc->RegisterNamespaceNode(fcEvents, "events");
  fc->RegisterNamespaceNode(FcDeviceList::New(), "list");
  fc->RegisterNamespaceNode(FcIssueLIP::New(), "reset");
  san->RegisterNamespaceNode(fc, "fc");

  storage->RegisterNamespaceNode(san, "san");
}

} // extern "C"
