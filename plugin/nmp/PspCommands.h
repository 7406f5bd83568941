// storage nmp psp list, generic ... and roundrobin ...: PSPs, generic PSP
// device and path configuration, and round-robin settings.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Nmp {

// storage nmp psp list
class PspList : public Frame::ListCommand<PspList> {
public:
  PspList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp psp generic deviceconfig get
class PspGetConfig : public Frame::StringCommand<PspGetConfig> {
public:
  PspGetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp psp generic deviceconfig set
class PspSetConfig : public Frame::ActionCommand<PspSetConfig> {
public:
  PspSetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp psp generic pathconfig get
class PspGetPathConfig : public Frame::StringCommand<PspGetPathConfig> {
public:
  PspGetPathConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp psp generic pathconfig set
class PspSetPathConfig : public Frame::ActionCommand<PspSetPathConfig> {
public:
  PspSetPathConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp psp roundrobin deviceconfig get
class RoundRobinGetConfig : public Frame::StructCommand<RoundRobinGetConfig> {
public:
  RoundRobinGetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp psp roundrobin deviceconfig set
class RoundRobinSetConfig : public Frame::ActionCommand<RoundRobinSetConfig> {
public:
  RoundRobinSetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Nmp
