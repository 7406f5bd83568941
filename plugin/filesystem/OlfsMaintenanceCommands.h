// storage olfs ...: maintenance of mounted OLFS volumes.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// storage olfs unmap
class OLFSVolumeUnmap : public Frame::ActionCommand<OLFSVolumeUnmap> {
public:
  OLFSVolumeUnmap();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage olfs upgrade
class OLFSVolumeUpgrade : public Frame::ActionCommand<OLFSVolumeUpgrade> {
public:
  OLFSVolumeUpgrade();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage olfs lockmode list
class OLFSVolumeLockModeList : public Frame::ListCommand<OLFSVolumeLockModeList> {
public:
  OLFSVolumeLockModeList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs lockmode set
class OLFSVolumeLockModeSet : public Frame::ActionCommand<OLFSVolumeLockModeSet> {
public:
  OLFSVolumeLockModeSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage olfs host list
class OLFSVolumeHostList : public Frame::ListCommand<OLFSVolumeHostList> {
public:
  OLFSVolumeHostList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs reclaim config get
class OLFSReclaimConfigGet : public Frame::StructCommand<OLFSReclaimConfigGet> {
public:
  OLFSReclaimConfigGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs reclaim config set
class OLFSReclaimConfigSet : public Frame::ActionCommand<OLFSReclaimConfigSet> {
public:
  OLFSReclaimConfigSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage olfs pbcache get
class OLFSPBCacheGet : public Frame::StructCommand<OLFSPBCacheGet> {
public:
  OLFSPBCacheGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage olfs pbcache reset
class OLFSPBCacheReset : public Frame::ActionCommand<OLFSPBCacheReset> {
public:
  OLFSPBCacheReset();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
