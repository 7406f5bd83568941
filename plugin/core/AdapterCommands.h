// storage core adapter ...: the host bus adapters.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core adapter list
class AdapterList : public Frame::ListCommand<AdapterList> {
public:
  AdapterList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter listdetailed
class AdapterDetailedList : public Frame::ListCommand<AdapterDetailedList> {
public:
  AdapterDetailedList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter capabilities list
class AdapterCapabilities : public Frame::ListCommand<AdapterCapabilities> {
public:
  AdapterCapabilities();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter stats get
class AdapterStats : public Frame::ListCommand<AdapterStats> {
public:
  AdapterStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter device list
class AdapterDeviceList : public Frame::ListCommand<AdapterDeviceList> {
public:
  AdapterDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter rescan
class AdapterRescan : public Frame::ActionCommand<AdapterRescan> {
public:
  AdapterRescan();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
