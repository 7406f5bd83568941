// storage hpp ...: the devices and paths of the high-performance plug-in.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Hpp {

// storage hpp device list
class DeviceList : public Frame::ListCommand<DeviceList> {
public:
  DeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage hpp device set
class DeviceSet : public Frame::ActionCommand<DeviceSet> {
public:
  DeviceSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage hpp device usermarkedssd list
class UserMarkedSSDList : public Frame::ListCommand<UserMarkedSSDList> {
public:
  UserMarkedSSDList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage hpp path list
class PathList : public Frame::ListCommand<PathList> {
public:
  PathList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::Hpp
