// Claim rules of the pluggable storage architecture.
#pragma once

#include <cstdint>
#include <string>

namespace HostCtl::Storage {

enum PSAClaimRuleClass : int {
  PSA_CLAIMRULE_CLASS_UNKNOWN = 0,
  PSA_CLAIMRULE_CLASS_MP = 1,
  PSA_CLAIMRULE_CLASS_FILTER = 2,
  PSA_CLAIMRULE_CLASS_HWAC = 3,
};

// Owned by the claim-rule family: the rule record, its two sides (runtime and
// file) and the rule-ID constants.
class PsaClaimRule {
public:
  enum PathClaimType : int {
    PSA_CLAIM_TYPE_VENDOR = 1,
    PSA_CLAIM_TYPE_LOCATION = 2,
    PSA_CLAIM_TYPE_DRIVER = 3,
    PSA_CLAIM_TYPE_TRANSPORT = 4,
    PSA_CLAIM_TYPE_DEVICE = 5,
    PSA_CLAIM_TYPE_TARGET = 6,
  };

  virtual ~PsaClaimRule() = default;
};

} // namespace HostCtl::Storage
