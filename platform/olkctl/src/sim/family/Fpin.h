// The FPIN family of the simulated host: the feature's two switches and the
// notifications counted per adapter and target (document member "fpin").
// Which adapters support FPIN, and their names, come from the adapters family.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

struct FpinTargetRecord {
  std::string adapter;
  std::string wwpn; // colon form; empty while the target's login is in progress
  uint64_t total = 0;
  uint64_t congestion = 0;
  uint64_t peerCongestion = 0;
  uint64_t linkIntegrity = 0;
  uint64_t delivery = 0;
  bool flaky = false; // the kernel avoids paths to a flaky target
};

struct FpinFamily {
  bool enabled = false;                  // configured, kept across reboots
  bool liveEnabled = false;              // the kernel's current switch
  std::vector<FpinTargetRecord> targets; // per adapter in host order

  void Reindex() {}
};

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, FpinFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const FpinFamily &family);

} // namespace OlkCtl::Sim
