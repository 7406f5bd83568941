// storage iofilter ...: the I/O filters installed on the host.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::IOFilterNamespace {

// storage iofilter list
class FilterList : public Frame::ListCommand<FilterList> {
public:
  FilterList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage iofilter enable
class FilterEnable : public Frame::ActionCommand<FilterEnable> {
public:
  FilterEnable();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::IOFilterNamespace
