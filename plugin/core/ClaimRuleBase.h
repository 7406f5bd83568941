// The base of the claim-rule and claiming commands: their shared parameter
// builders and the text in which a rule's match criteria are shown.
#pragma once

#include "frame/Command.h"
#include "frame/Params.h"

#include <hostctl/storage/PsaClaimRule.h>

#include <cstdint>
#include <string>

namespace TarvexCli::Storage {

class ClaimRuleBase {
public:
  virtual ~ClaimRuleBase() = default;

  // "rule": an ID within MIN_RULEID..MAX_RULEID.
  virtual void AddRuleId(const Frame::InputSpecPtr &spec, Frame::Presence presence);
  // "plugin".
  virtual void AddPlugin(const Frame::InputSpecPtr &spec);
  // The match criteria of a rule: plugin, vendor, model, adapter, channel,
  // target, lun, device, driver, transport, wwnn, wwpn, iqn.
  virtual void AddClaimParams(const Frame::InputSpecPtr &spec);
  // "claimrule-class": MP and Filter, HWAC with `withHwac`, "all" with `withAll`.
  virtual void AddClaimRuleClassParam(const Frame::InputSpecPtr &spec, bool withAll, bool withHwac);

  // The "Matches" text of one side of a rule.
  static std::string GetClaimruleMatchString(const HostCtl::Storage::PsaClaimRule::Properties &rule);
  // "adapter=A channel=C target=T lun=L", a star for each wildcard number.
  static std::string GetClaimruleLocationMatchString(const std::string &adapter, uint32_t channel,
                                                     uint32_t target, uint32_t lun);

  // The current value of the advanced option /Disk/MaxLUN, which a given LUN
  // must not exceed.
  static int64_t GetMaxLunValue();
  // The upper bound of a "lun" parameter: the largest value /Disk/MaxLUN accepts.
  static int64_t GetMaxLunLimit();
};

} // namespace TarvexCli::Storage
