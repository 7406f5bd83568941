// storage core claimrule ...: the claim-rule commands.
#pragma once

#include "core/ClaimRuleBase.h"
#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core claimrule add
class ClaimRuleAdd : public Frame::ActionCommand<ClaimRuleAdd>, public virtual ClaimRuleBase {
public:
  ClaimRuleAdd();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claimrule remove
class ClaimRuleDelete : public Frame::ActionCommand<ClaimRuleDelete>, public virtual ClaimRuleBase {
public:
  ClaimRuleDelete();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claimrule list
class ClaimRuleList : public Frame::ListCommand<ClaimRuleList>, public virtual ClaimRuleBase {
public:
  ClaimRuleList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core claimrule move
class ClaimRuleMove : public Frame::ActionCommand<ClaimRuleMove>, public virtual ClaimRuleBase {
public:
  ClaimRuleMove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claimrule run
class ClaimRuleRun : public Frame::ActionCommand<ClaimRuleRun>, public virtual ClaimRuleBase {
public:
  ClaimRuleRun();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claimrule load
class ClaimRuleLoad : public Frame::ActionCommand<ClaimRuleLoad>, public virtual ClaimRuleBase {
public:
  ClaimRuleLoad();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core claimrule convert
class ClaimRuleConvert : public Frame::ListCommand<ClaimRuleConvert>, public virtual ClaimRuleBase {
public:
  ClaimRuleConvert();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::Storage
