// Claiming by the loaded (runtime) claim rules. Every family whose operations
// make paths appear or ask for them to be claimed again goes through here, so
// that which plug-in owns a path always follows the rules the host has loaded.
// Call these inside Store::Modify, on the state being changed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace OlkCtl::Sim {

class State;
struct PathRecord;
struct DeviceRecord;

// For each path that `select` accepts, in host order: its plug-in becomes the
// plug-in of the first runtime MP rule (lowest rule ID) that matches it, or
// empty (unclaimed) when no rule matches. A rule matches a path by the vendor,
// model, NVMe controller model and PCI IDs of the path's device, by its location
// (adapter, channel, target, LUN), by the driver or transport of its adapter,
// or by its target (WWNN/WWPN or IQN, and LUN). The devices reached by the
// selected paths then report the plug-in of their first claimed path. Returns
// the number of selected paths.
std::size_t ClaimPaths(State &state, const std::function<bool(const PathRecord &)> &select);

// For each device that `select` accepts: the Filter-class plug-ins among its
// filters become those of the runtime Filter rules that match it (by vendor and
// model, or by device UID), in rule order, each at most once, after the filters
// of other kinds it carries. Devices without a PSA configuration are passed
// over. Returns the number of devices changed that way.
std::size_t ClaimDeviceFilters(State &state, const std::function<bool(const DeviceRecord &)> &select);

// The HWAC-class plug-in the runtime HWAC rules give `device` (the first rule
// that matches it, by vendor and model or by UID), provided a plug-in of the
// Filter class, the HWAC filter, is attached to it; empty otherwise.
std::string HwacPluginOf(const State &state, const DeviceRecord &device);

} // namespace OlkCtl::Sim
