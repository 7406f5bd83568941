// Claiming by the loaded (runtime) claim rules, and releasing. Every family
// whose operations make paths appear or ask for them to be claimed again goes
// through here, so that which plug-in owns a path always follows the rules the
// host has loaded, and a device follows its paths: its plug-in, and the
// configuration the HPP keeps for the devices it controls.
// Call these inside Store::Modify, on the state being changed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

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
// selected paths are then settled (SettleDevice), a device that the HPP takes
// over getting the configuration string of the rule that claimed its first
// HPP path. Returns the number of selected paths.
std::size_t ClaimPaths(State &state, const std::function<bool(const PathRecord &)> &select);

// How claim rules match a device's vendor and model: "*" matches anything,
// "ABC*" any text starting with ABC, anything else the same text; the device's
// blank padding does not count.
bool ClaimTextMatches(const std::string &pattern, const std::string &value);

// Whether paths of the class that appear are claimed without being asked to
// (automatic claiming is on unless switched off per class).
bool AutoClaims(const State &state, const std::string &ruleClass);

// A device reports the plug-in of its first claimed path (a masked path gives
// it nothing). A device the HPP controls keeps its HPP configuration, or gets
// one from `hppConfigString` (HPP's configuration-string form); any other
// device loses it, unless it was made persistent.
void SettleDevice(State &state, const std::string &deviceName, const std::string &hppConfigString = "");

// Releases each selected claimed path from its plug-in, in host order, and
// settles the devices. The last usable claimed path of a device in use is kept;
// the returned texts say which paths were kept so.
std::vector<std::string> UnclaimPaths(State &state, const std::function<bool(const PathRecord &)> &select);

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

// Detaches a filter plug-in ("*": every loaded Filter-class plug-in) from a
// device. Throws HostCtlException when the device is unknown or carries none.
void DetachFilters(State &state, const std::string &deviceName, const std::string &plugin);

} // namespace OlkCtl::Sim
