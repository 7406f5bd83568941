// storage core device capacity, partition, physical, raid, stats, uidmap and
// world: how devices are laid out and used.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core device capacity list
class DeviceCapacityList : public Frame::ListCommand<DeviceCapacityList> {
public:
  DeviceCapacityList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device partition list
class DeviceListPartitions : public Frame::ListCommand<DeviceListPartitions> {
public:
  DeviceListPartitions();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device partition showguid
class DevicePartitionsShowGuid : public Frame::ListCommand<DevicePartitionsShowGuid> {
public:
  DevicePartitionsShowGuid();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device physical get
class DevicePhysicalGet : public Frame::StructCommand<DevicePhysicalGet> {
public:
  DevicePhysicalGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device raid list
class DeviceRaidList : public Frame::ListCommand<DeviceRaidList> {
public:
  DeviceRaidList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device stats get
class DeviceStats : public Frame::ListCommand<DeviceStats> {
public:
  DeviceStats();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device uidmap list
class DeviceUidMap : public Frame::ListCommand<DeviceUidMap> {
public:
  DeviceUidMap();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core device world list
class DeviceWorldList : public Frame::ListCommand<DeviceWorldList> {
public:
  DeviceWorldList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace TarvexCli::Storage
