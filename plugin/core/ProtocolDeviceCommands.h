// storage core scsi device list, storage core nvme device list: the device list
// split by protocol.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core scsi device list
class ScsiDeviceList : public Frame::ListCommand<ScsiDeviceList> {
public:
  ScsiDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core nvme device list
class NvmeDeviceList : public Frame::ListCommand<NvmeDeviceList> {
public:
  NvmeDeviceList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::Storage
