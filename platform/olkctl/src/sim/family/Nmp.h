// The nmp family of the simulated host (document member "nmp"): the storage
// array type plug-ins (SATPs) of the native multipathing plug-in with their
// claim rules, its path selection policies (PSPs), the runtime configuration of
// each device it controls, the configuration kept for devices (applied when a
// device is claimed or takes a PSP), and per-path texts and priorities.
#pragma once

#include "sim/family/Indexed.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;
class State;
struct DeviceRecord;

constexpr const char *kNmp = "NMP";
constexpr const char *kFixedPsp = "TVX_PSP_FIXED";
constexpr const char *kRoundRobinPsp = "TVX_PSP_RR";
constexpr const char *kAluaSatp = "TVX_SATP_ALUA";
// Devices no SATP rule matches get this SATP.
constexpr const char *kFallbackSatp = "TVX_SATP_DEFAULT_AA";

// Round-robin switch policies: 0 default, 1 bytes, 2 iops, 3 latency.
constexpr uint32_t kRrDefaultIops = 1000;
constexpr uint32_t kRrDefaultBytes = 10485760;
constexpr uint32_t kRrDefaultSamplingCycles = 16;
constexpr uint32_t kRrDefaultLatencyEvalTime = 180000; // ms

struct RoundRobinRecord {
  int32_t policy = 0;
  uint32_t iops = kRrDefaultIops;
  uint32_t bytes = kRrDefaultBytes;
  bool useAno = false;
  uint32_t samplingCycles = kRrDefaultSamplingCycles;
  uint32_t latencyEvalTime = kRrDefaultLatencyEvalTime;
};

struct SatpRuleRecord {
  std::string device;
  std::string vendor;
  std::string model;
  std::string driver;
  std::string transport;
  std::string options;
  std::string claimOptions;
  std::string psp;
  std::string pspOptions;
  std::string description;
  std::string group = "user"; // "system" or "user"
  bool force = false;

  // The same rule: every field but the force flag.
  bool SameAs(const SatpRuleRecord &other) const;
};

struct SatpRecord {
  std::string name;
  std::string description;
  std::string defaultPsp;
  std::vector<SatpRuleRecord> rules; // in the order they were added
};

struct PspRecord {
  std::string name;
  std::string description;
};

// The runtime configuration of a device the NMP controls. It exists while the
// device's plug-in is "NMP"; a release drops it.
struct NmpDeviceRecord {
  std::string name; // canonical device name
  std::string satp;
  std::string satpOptions;
  std::string psp;
  std::string pspConfig;     // the text last set through the generic PSP configuration
  std::string preferredPath; // runtime name; Fixed only
  RoundRobinRecord roundRobin;
};

// Settings kept in the configuration for a device, whatever controls it now.
struct NmpStoredRecord {
  std::string name; // canonical device name
  std::string preferredPath;
  bool hasRoundRobin = false;
  RoundRobinRecord roundRobin;
  bool hasPspConfig = false;
  std::string pspConfig;
};

struct NmpPathRecord {
  std::string name; // path UID
  int32_t arrayPriority = 0;
  std::string satpConfig;
  std::string pspConfig;
};

struct NmpFamily {
  IndexedFamily<SatpRecord> satps;
  IndexedFamily<PspRecord> psps;
  IndexedFamily<NmpDeviceRecord> devices;
  IndexedFamily<NmpStoredRecord> stored;
  IndexedFamily<NmpPathRecord> paths;

  void Reindex() {
    satps.Reindex();
    psps.Reindex();
    devices.Reindex();
    stored.Reindex();
    paths.Reindex();
  }
};

void LoadFamily(const Node &node, NmpFamily &family);
nlohmann::ordered_json SaveFamily(const NmpFamily &family);
// Devices that leave the host take their runtime and stored entries along.
void ForgetFamilyDevices(const State &state, NmpFamily &family);

// Claiming settles a device: one the NMP controls (online) gets its SATP from
// the most specific SATP rule that matches it (device, then vendor/model/claim
// option, then driver, then transport) and its PSP from the rule or the SATP's
// default, then what the configuration keeps for it; one it already
// configures keeps that; any other loses its runtime configuration.
void SettleNmpDevice(State &state, const DeviceRecord &device);

// The settings of a round-robin device as "policy=...,iops=...,bytes=...".
std::string RoundRobinConfigText(const RoundRobinRecord &rr);

} // namespace OlkCtl::Sim
