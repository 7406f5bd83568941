// storage san fc ... and storage san fcoe ...: Fibre Channel and FCoE adapters.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::SanNamespace {

// storage san fc list
class FcDeviceList : public Frame::ListCommand<FcDeviceList> {
public:
  FcDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san fc stats get
class FcStatsGet : public Frame::ListCommand<FcStatsGet> {
public:
  FcStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san fc events get
class FcGetEvents : public Frame::ListCommand<FcGetEvents> {
public:
  FcGetEvents();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san fc events clear
class FcClearEvents : public Frame::ActionCommand<FcClearEvents> {
public:
  FcClearEvents();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage san fc reset
class FcIssueLIP : public Frame::ActionCommand<FcIssueLIP> {
public:
  FcIssueLIP();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage san fcoe list
class FcoeDeviceList : public Frame::ListCommand<FcoeDeviceList> {
public:
  FcoeDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san fcoe stats get
class FcoeStatsGet : public Frame::ListCommand<FcoeStatsGet> {
public:
  FcoeStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san fcoe reset
class FcoeIssueLIP : public Frame::ActionCommand<FcoeIssueLIP> {
public:
  FcoeIssueLIP();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::SanNamespace
