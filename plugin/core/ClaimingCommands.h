// storage core claiming ...: unclaiming, reclaiming and automatic claiming.
#pragma once

#include "core/ClaimRuleBase.h"
#include "frame/Command.h"
#include "frame/Output.h"

#include <string>

namespace TarvexCli::Storage {

// storage core claiming unclaim
class ClaimingUnclaim : public Frame::ActionCommand<ClaimingUnclaim>, public virtual ClaimRuleBase {
public:
  ClaimingUnclaim();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;

  // A requested vendor or model text against a device's: empty and "*" match
  // anything; otherwise the request, padded with blanks to the device's width,
  // must equal it (case-sensitive).
  static bool VendorModelMatch(const std::string &requested, const std::string &deviceText);
};

// storage core claiming reclaim
class ClaimingReclaim : public Frame::ActionCommand<ClaimingReclaim>, public virtual ClaimRuleBase {
public:
  ClaimingReclaim();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claiming autoclaim
class ClaimingAutoClaim : public Frame::ActionCommand<ClaimingAutoClaim>, public virtual ClaimRuleBase {
public:
  ClaimingAutoClaim();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
