// storage core device set, setconfig, purge, inquirycache, latencythreshold and
// detached: per-device settings and the detached-device list.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core device set
class DeviceSet : public Frame::ActionCommand<DeviceSet> {
public:
  DeviceSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device setconfig
class DeviceSetConfig : public Frame::ActionCommand<DeviceSetConfig> {
public:
  DeviceSetConfig();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device purge
class DevicePurge : public Frame::ActionCommand<DevicePurge> {
public:
  DevicePurge();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device inquirycache list
class DeviceInquiryCacheList : public Frame::ListCommand<DeviceInquiryCacheList> {
public:
  DeviceInquiryCacheList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device inquirycache set
class DeviceInquiryCacheSet : public Frame::ActionCommand<DeviceInquiryCacheSet> {
public:
  DeviceInquiryCacheSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device latencythreshold list
class DeviceLatencyThresholdList : public Frame::ListCommand<DeviceLatencyThresholdList> {
public:
  DeviceLatencyThresholdList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device latencythreshold set
class DeviceLatencyThresholdSet : public Frame::ActionCommand<DeviceLatencyThresholdSet> {
public:
  DeviceLatencyThresholdSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device detached list
class DetachedDeviceList : public Frame::ListCommand<DetachedDeviceList> {
public:
  DetachedDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device detached remove
class DetachedDeviceRemove : public Frame::ActionCommand<DetachedDeviceRemove> {
public:
  DetachedDeviceRemove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
