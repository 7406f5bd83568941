// storage kflash ...: the flash read cache's SSD view and its cache modules.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::KFlashNamespace {

namespace Device {

// storage kflash device list
class KFlashDeviceList : public Frame::ListCommand<KFlashDeviceList> {
public:
  KFlashDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace Device

namespace Module {

// storage kflash module list
class KFlashModuleList : public Frame::CommandClass<KFlashModuleList> {
public:
  KFlashModuleList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage kflash module get
class KFlashModuleGet : public Frame::StructCommand<KFlashModuleGet> {
public:
  KFlashModuleGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage kflash module stats get
class KFlashModuleStatsGet : public Frame::StructCommand<KFlashModuleStatsGet> {
public:
  KFlashModuleStatsGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace Module

} // namespace TarvexCli::KFlashNamespace
