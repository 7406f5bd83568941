// storage xvol ...: the commands that change the host or start work on it:
// NVMe identity and discovery, config-volume unmap, unbinding and the scan for
// abandoned virtual volumes.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::XVolNamespace {

// storage xvol nvme info get
class XvolNvmeInfoGet : public Frame::StructCommand<XvolNvmeInfoGet> {
public:
  XvolNvmeInfoGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol nvme info set
class XvolNvmeInfoSet : public Frame::ActionCommand<XvolNvmeInfoSet> {
public:
  XvolNvmeInfoSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol nvme discover
class DiscoverNvmeSubsystem : public Frame::ActionCommand<DiscoverNvmeSubsystem> {
public:
  DiscoverNvmeSubsystem();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol virtualvolume unmap
class ConfigXvolUnmap : public Frame::ActionCommand<ConfigXvolUnmap> {
public:
  ConfigXvolUnmap();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol daemon unbindall
class DaemonUnbindAll : public Frame::ActionCommand<DaemonUnbindAll> {
public:
  DaemonUnbindAll();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol protocolendpoint startforceunbind
class ProtocolEndPointForceUnbind : public Frame::CommandClass<ProtocolEndPointForceUnbind> {
public:
  ProtocolEndPointForceUnbind();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage xvol storagecontainer abandonedxvol scan
class StorageContainerAbandonedXVolScan : public Frame::ActionCommand<StorageContainerAbandonedXVolScan> {
public:
  StorageContainerAbandonedXVolScan();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::XVolNamespace
