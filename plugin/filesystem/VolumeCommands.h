// storage filesystem ...: every volume the host can mount.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// storage filesystem list
class VolumeList : public Frame::ListCommand<VolumeList> {
public:
  VolumeList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage filesystem rescan
class VolumeRescan : public Frame::ActionCommand<VolumeRescan> {
public:
  VolumeRescan();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage filesystem mount
class VolumeMount : public Frame::ActionCommand<VolumeMount> {
public:
  VolumeMount();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage filesystem unmount
class VolumeUnmount : public Frame::ActionCommand<VolumeUnmount> {
public:
  VolumeUnmount();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage filesystem automount
class VolumeAutomount : public Frame::ActionCommand<VolumeAutomount> {
public:
  VolumeAutomount();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
