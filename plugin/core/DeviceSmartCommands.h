// storage core device smart ...: SMART data of devices and the SMART daemon.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core device smart get
class DeviceSmartGet : public Frame::ListCommand<DeviceSmartGet> {
public:
  DeviceSmartGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device smart status get
class DeviceSmartStatusGet : public Frame::StringCommand<DeviceSmartStatusGet> {
public:
  DeviceSmartStatusGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device smart status set
class DeviceSmartStatusSet : public Frame::ActionCommand<DeviceSmartStatusSet> {
public:
  DeviceSmartStatusSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device smart daemon start
class SmartDaemonStart : public Frame::ActionCommand<SmartDaemonStart> {
public:
  SmartDaemonStart();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device smart daemon stop
class SmartDaemonStop : public Frame::ActionCommand<SmartDaemonStop> {
public:
  SmartDaemonStop();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device smart daemon status get
class SmartDaemonStatusGet : public Frame::StringCommand<SmartDaemonStatusGet> {
public:
  SmartDaemonStatusGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
