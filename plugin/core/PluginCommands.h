// storage core plugin ...: the loaded PSA plug-ins and the module register.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::Storage {

// storage core plugin list
class PluginList : public Frame::ListCommand<PluginList> {
public:
  PluginList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core plugin registration list
class PluginListRegistered : public Frame::ListCommand<PluginListRegistered> {
public:
  PluginListRegistered();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage core plugin registration add
class PluginRegister : public Frame::ActionCommand<PluginRegister> {
public:
  PluginRegister();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage core plugin registration remove
class PluginUnRegister : public Frame::ActionCommand<PluginUnRegister> {
public:
  PluginUnRegister();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::Storage
