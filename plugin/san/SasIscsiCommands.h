// storage san sas ... and storage san iscsi ...: SAS and software iSCSI adapters.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::SanNamespace {

// storage san sas list
class SasDeviceList : public Frame::ListCommand<SasDeviceList> {
public:
  SasDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san sas stats get
class SasStatsGet : public Frame::ListCommand<SasStatsGet> {
public:
  SasStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san sas reset
class SasIssueReset : public Frame::ActionCommand<SasIssueReset> {
public:
  SasIssueReset();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage san iscsi list
class iScsiDeviceList : public Frame::ListCommand<iScsiDeviceList> {
public:
  iScsiDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage san iscsi stats get
class iScsiStatsGet : public Frame::ListCommand<iScsiStatsGet> {
public:
  iScsiStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::SanNamespace
