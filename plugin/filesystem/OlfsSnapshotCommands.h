// storage olfs extent and snapshot ...: extents of mounted OLFS volumes and unresolved snapshots.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// storage olfs extent list
class OLFSExtentList : public Frame::ListCommand<OLFSExtentList> {
public:
  OLFSExtentList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs snapshot list
class OLFSSnapshotList : public Frame::ListCommand<OLFSSnapshotList> {
public:
  OLFSSnapshotList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs snapshot extent list
class OLFSSnapshotExtentList : public Frame::ListCommand<OLFSSnapshotExtentList> {
public:
  OLFSSnapshotExtentList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs snapshot mount
class OLFSSnapshotMount : public Frame::ActionCommand<OLFSSnapshotMount> {
public:
  OLFSSnapshotMount();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage olfs snapshot resignature
class OLFSSnapshotResignature : public Frame::ActionCommand<OLFSSnapshotResignature> {
public:
  OLFSSnapshotResignature();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
