// storage nmp device ..., path list and psp fixed ...: the devices and paths of
// the native multipathing plug-in and the Fixed PSP's preferred path.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Nmp {

// storage nmp device list
class DeviceList : public Frame::ListCommand<DeviceList> {
public:
  DeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp device set
class DeviceSetPolicy : public Frame::ActionCommand<DeviceSetPolicy> {
public:
  DeviceSetPolicy();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nmp path list
class PathList : public Frame::ListCommand<PathList> {
public:
  PathList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp psp fixed deviceconfig get
class FixedGetPreferred : public Frame::StructCommand<FixedGetPreferred> {
public:
  FixedGetPreferred();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nmp psp fixed deviceconfig set
class FixedSetPreferred : public Frame::ActionCommand<FixedSetPreferred> {
public:
  FixedSetPreferred();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Nmp
