// storage xvol stats ... and vmstats get: the host's statistics tree and the
// per-volume counters of a virtual machine.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::XVolNamespace {

namespace Stats {

// storage xvol stats get
class GetStats : public Frame::ListCommand<GetStats> {
public:
  GetStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol stats add
class AddStatsEntity : public Frame::ActionCommand<AddStatsEntity> {
public:
  AddStatsEntity();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol stats remove
class RemoveStatsEntity : public Frame::ActionCommand<RemoveStatsEntity> {
public:
  RemoveStatsEntity();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol stats list
class ListStats : public Frame::ListCommand<ListStats> {
public:
  ListStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol stats enable
class EnableStats : public Frame::ActionCommand<EnableStats> {
public:
  EnableStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol stats disable
class DisableStats : public Frame::ActionCommand<DisableStats> {
public:
  DisableStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol stats reset
class ResetStats : public Frame::ActionCommand<ResetStats> {
public:
  ResetStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace Stats

// storage xvol vmstats get
class VmStatsGet : public Frame::ListCommand<VmStatsGet> {
public:
  VmStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::XVolNamespace
