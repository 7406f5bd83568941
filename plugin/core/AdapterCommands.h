// storage core adapter ...: the host bus adapters.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core adapter list
class AdapterList : public Frame::CommandClass<AdapterList> {
public:
  AdapterList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter listdetailed
class AdapterDetailedList : public Frame::CommandClass<AdapterDetailedList> {
public:
  AdapterDetailedList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter capabilities list
class AdapterCapabilities : public Frame::CommandClass<AdapterCapabilities> {
public:
  AdapterCapabilities();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter stats get
class AdapterStats : public Frame::CommandClass<AdapterStats> {
public:
  AdapterStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter device list
class AdapterDeviceList : public Frame::CommandClass<AdapterDeviceList> {
public:
  AdapterDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core adapter rescan
class AdapterRescan : public Frame::CommandClass<AdapterRescan> {
public:
  AdapterRescan();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
