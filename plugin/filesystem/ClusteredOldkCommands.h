// clusteredoldk ...: a volume's clustered OLDK support (internal tree).
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// clusteredoldk get
class ClusteredOldkGet : public Frame::StructCommand<ClusteredOldkGet> {
public:
  ClusteredOldkGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// clusteredoldk set
class ClusteredOldkSet : public Frame::ActionCommand<ClusteredOldkSet> {
public:
  ClusteredOldkSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
