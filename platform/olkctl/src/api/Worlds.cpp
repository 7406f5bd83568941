// The host's worlds: process groups and their names.
#include "api/Objects.h"
#include "sim/Faults.h"
#include "sim/HostScripts.h"
#include "sim/Store.h"

#include <olkctl/resource/ResourceInfoImpl.h>

#include <hostctl/Util.h>

#include <string>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_WORLDS_FAULTS(X)                                                                              \
  X(Util_FindCartels, "Util::FindCartels", "the name looked for")                                            \
  X(ResourceInfo_GetWorldName, "ResourceInfo::GetWorldName", "world id")                                     \
  X(Service_Start, "Service::Start", "service name")                                                         \
  X(Service_Stop, "Service::Stop", "service name")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_WORLDS_FAULTS)
} // namespace

namespace HostCtl::Util {

std::vector<Cartel> FindCartels(const std::string &name, bool includeScripts) {
  OlkCtl::Sim::Snapshot state = OlkCtl::Sim::Current().Read();
  OlkCtl::Sim::CheckFault(*state, FaultOp::Util_FindCartels, name);
  std::vector<Cartel> found;
  for (uint32_t id : state->worlds().Named(name, includeScripts))
    found.push_back(Cartel{id, name});
  return found;
}

} // namespace HostCtl::Util

namespace OlkCtl::Resource {

std::string ResourceInfoImpl::GetWorldName(uint32_t worldId) const {
  Sim::Snapshot state = Sim::Current().Read();
  Sim::CheckFault(*state, FaultOp::ResourceInfo_GetWorldName, std::to_string(worldId));
  const Sim::WorldRecord *world = state->worlds().Find(worldId);
  return world ? world->name : std::string();
}

} // namespace OlkCtl::Resource

namespace OlkCtl::Sim {

// /etc/init.d/smartd start|stop|status: the SMART daemon is a world called
// "smartd". Starting a running daemon or stopping a stopped one succeeds, as
// init scripts do.
int RunSmartdInitScript(const ScriptArgs &args, std::string &outputText, const std::string & /*inputText*/) {
  const std::string action = args.empty() ? std::string() : args[0];
  try {
    if (action == "start") {
      CheckFault(FaultOp::Service_Start, "smartd");
      Current().Modify([](State &state) {
        if (state.worlds().Named("smartd", false).empty())
          state.worlds().Start("smartd", false);
      });
      return 0;
    }
    if (action == "stop") {
      CheckFault(FaultOp::Service_Stop, "smartd");
      Current().Modify([](State &state) { state.worlds().Stop("smartd"); });
      return 0;
    }
    if (action == "status") {
      bool running = !HostCtl::Util::FindCartels("smartd", false).empty();
      outputText = running ? "smartd is running\n" : "smartd is not running\n";
      return running ? 0 : 3; // LSB: 3 is "not running"
    }
  } catch (const std::exception &error) {
    outputText = std::string(error.what()) + "\n";
    return 1;
  }
  outputText = "Usage: /etc/init.d/smartd {start|stop|status}\n";
  return 2;
}

} // namespace OlkCtl::Sim
