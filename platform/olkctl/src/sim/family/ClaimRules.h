// The claimRules family of the simulated host: records, indexes and JSON mapping
// (document member "claimRules").
//
// Per class (MP, Filter, HWAC) the host keeps two rule sets apart: "runtime",
// the rules loaded in the kernel, and "file", the rules of the configuration
// file. Adding a rule writes the file
// (a boot rule goes to the kernel only); loading copies the file into the
// kernel. Claiming always follows the runtime set (see sim/Claiming.h).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace OlkCtl::Sim {

class Node;

constexpr uint32_t kClaimRuleWildcard = 0xFFFFFFFFu;

// One rule on one side. Words rather than numbers keep state files readable:
// `type` is the --type word ("vendor", "location", "driver", "transport",
// "device", "target") and `transport` a transport word ("fc", "iscsi", ...).
struct ClaimRuleRecord {
  uint32_t rule = 0;
  std::string type;
  std::string plugin;
  std::string vendor;
  std::string model;
  std::string nvmeControllerModel = "*";
  uint32_t pciVendorId = kClaimRuleWildcard;
  uint32_t pciSubVendorId = kClaimRuleWildcard;
  std::string adapter;
  uint32_t channel = kClaimRuleWildcard;
  uint32_t target = kClaimRuleWildcard;
  uint32_t lun = kClaimRuleWildcard;
  std::string driver;
  std::string transport;
  std::string device;
  std::string wwnn; // "50:06:01:60:ba:60:11:53"; empty when not set
  std::string wwpn;
  std::string iqn;
  std::string configString;
  bool force = false;
  bool forceReserved = false;
  bool extendedXcopySupport = false;
  bool xcopyUseArrayValues = false;
  bool xcopyUseMultiSegs = false;
  uint64_t xcopyMaxTransferSize = 0;    // MB
  uint64_t xcopyMaxTransferSizeKiB = 0; // KiB
};

struct ClaimRuleClassRecord {
  std::vector<ClaimRuleRecord> runtime; // sorted by rule ID, IDs unique
  std::vector<ClaimRuleRecord> file;    // sorted by rule ID, IDs unique

  std::vector<ClaimRuleRecord> &Side(bool runtimeSide) { return runtimeSide ? runtime : file; }
  const std::vector<ClaimRuleRecord> &Side(bool runtimeSide) const { return runtimeSide ? runtime : file; }
  // The rule with that ID on one side; null when none.
  const ClaimRuleRecord *Find(bool runtimeSide, uint32_t rule) const;
  ClaimRuleRecord *Find(bool runtimeSide, uint32_t rule);
  // Inserts keeping the side sorted; the caller has checked the ID is free.
  void Insert(bool runtimeSide, ClaimRuleRecord record);
  // Removes the rule from one side; false when it was not there.
  bool Erase(bool runtimeSide, uint32_t rule);
};

struct ClaimRuleFamily {
  // The class names in host order; their records below.
  static const std::vector<std::string> &ClassNames();
  ClaimRuleClassRecord mp;
  ClaimRuleClassRecord filter;
  ClaimRuleClassRecord hwac;

  // By class name ("MP", "Filter", "HWAC"); null for any other text.
  const ClaimRuleClassRecord *Class(const std::string &name) const;
  ClaimRuleClassRecord *Class(const std::string &name);

  // Sorts every side by rule ID (the sides are kept sorted, which is their
  // index).
  void Reindex();
};

// Fills the family from the document member (StateError on bad input: unknown
// keys or words, a rule ID outside 0..65535 or used twice on one side, a
// malformed world-wide number).
void LoadFamily(const Node &node, ClaimRuleFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const ClaimRuleFamily &family);

} // namespace OlkCtl::Sim
