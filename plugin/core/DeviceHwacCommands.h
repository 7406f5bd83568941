// storage core device hwac ...: hardware-acceleration primitives of devices.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

#include <array>
#include <cstdint>

namespace TarvexCli::Storage {

// A primitive's parameter of hwac status set: whether it was given, and its value.
struct HwacChoice {
  bool given = false;
  bool value = false;
};

// The mask the host applies, from the choices for Clone, ATS, Delete and Zero
// in that order: bit 2i+1 when choice i was given, bit 2i its value.
uint8_t HwacPrimitiveMask(const std::array<HwacChoice, 4> &choices);

// storage core device hwac status get
class DeviceHwacStatus : public Frame::ListCommand<DeviceHwacStatus> {
public:
  DeviceHwacStatus();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device hwac status set
class DeviceHwacStatusSet : public Frame::ActionCommand<DeviceHwacStatusSet> {
public:
  DeviceHwacStatusSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core device hwac ats list
class DeviceHwacAtsList : public Frame::ListCommand<DeviceHwacAtsList> {
public:
  DeviceHwacAtsList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device hwac delete list
class DeviceHwacDeleteList : public Frame::ListCommand<DeviceHwacDeleteList> {
public:
  DeviceHwacDeleteList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device hwac zero list
class DeviceHwacZeroList : public Frame::ListCommand<DeviceHwacZeroList> {
public:
  DeviceHwacZeroList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device hwac clone list
class DeviceHwacCloneList : public Frame::ListCommand<DeviceHwacCloneList> {
public:
  DeviceHwacCloneList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::Storage
