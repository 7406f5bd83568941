// storage nmp satp ...: SATPs, their claim rules, and SATP device and path
// configuration.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Nmp {

// storage nmp satp list
class SatpList : public Frame::ListCommand<SatpList> {
public:
  SatpList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp satp set
class SatpSetDefaultPsp : public Frame::StringCommand<SatpSetDefaultPsp> {
public:
  SatpSetDefaultPsp();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp rule list
class SatpRuleList : public Frame::ListCommand<SatpRuleList> {
public:
  SatpRuleList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp satp rule add
class SatpAddRule : public Frame::ActionCommand<SatpAddRule> {
public:
  SatpAddRule();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp rule remove
class SatpDeleteRule : public Frame::ActionCommand<SatpDeleteRule> {
public:
  SatpDeleteRule();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp generic deviceconfig get
class SatpGetConfig : public Frame::StringCommand<SatpGetConfig> {
public:
  SatpGetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp generic deviceconfig set
class SatpSetConfig : public Frame::ActionCommand<SatpSetConfig> {
public:
  SatpSetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp generic pathconfig get
class SatpGetPathConfig : public Frame::StringCommand<SatpGetPathConfig> {
public:
  SatpGetPathConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp satp generic pathconfig set
class SatpSetPathConfig : public Frame::ActionCommand<SatpSetPathConfig> {
public:
  SatpSetPathConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Nmp
