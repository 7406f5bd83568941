// The hpp family of the simulated host (document member "hpp"): the
// configuration of each device the high-performance plug-in controls, the
// configuration texts of its paths, and the user's SSD and local marking.
#pragma once

#include "sim/family/Indexed.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// Scheme defaults of the plug-in.
constexpr uint32_t kHppDefaultIops = 1000;
constexpr uint32_t kHppDefaultBytes = 10485760;
constexpr uint32_t kHppDefaultLatencyEvalTime = 30000;
constexpr uint32_t kHppDefaultSamplingIos = 16;

// A device's configuration. It exists while the HPP controls the device (its
// plug-in is "HPP"); a release drops it unless it is persistent (set with the
// configuration file), in which case it applies again at the next claim.
struct HppDeviceRecord {
  std::string name; // canonical device name
  std::string pss = "LB-RR";
  uint32_t iops = kHppDefaultIops;
  uint32_t bytes = kHppDefaultBytes;
  uint32_t latencyEvalTime = kHppDefaultLatencyEvalTime; // ms
  uint32_t samplingIosPerPath = kHppDefaultSamplingIos;
  std::string preferredPath; // runtime name of a path of the device; FIXED only
  bool useAno = false;       // active-unoptimized paths carry I/O too
  bool persistent = false;

  // The tunables of the scheme in the configuration-string form.
  std::string SchemeConfigText() const;
};

struct HppPathRecord {
  std::string name; // path UID
  std::string config;
};

struct HppFamily {
  IndexedFamily<HppDeviceRecord> devices;
  IndexedFamily<HppPathRecord> paths;
  std::vector<std::string> userMarkedSsd;   // device UIDs, in marking order
  std::vector<std::string> userMarkedLocal; // device UIDs, in marking order

  void Reindex() {
    devices.Reindex();
    paths.Reindex();
  }
};

// The scheme names the plug-in knows.
bool IsHppScheme(const std::string &pss);

void LoadFamily(const Node &node, HppFamily &family);
nlohmann::ordered_json SaveFamily(const HppFamily &family);

} // namespace OlkCtl::Sim
