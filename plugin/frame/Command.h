// What every command class of the plug-in builds on.
#pragma once

#include <clikit/AutoCli.h>

#include <memory>

namespace TarvexCli::Frame {

using InputPtr = std::shared_ptr<CliKit::CallSpec::Input>;
using OutputPtr = std::shared_ptr<CliKit::CallSpec::Output>;
using InputSpecPtr = std::shared_ptr<CliKit::CallSpec::InputSpec>;
using OutputSpecPtr = std::shared_ptr<CliKit::CallSpec::OutputSpec>;
using NodePtr = std::shared_ptr<CliKit::AutoCli::NamespaceNode>;

// Gives a command class its New(): commands are only ever created owned by a
// shared pointer, which fills the framework's self-reference.
template <class Derived> class CommandClass : public CliKit::AutoCli::Command {
public:
  static std::shared_ptr<Derived> New() { return std::make_shared<Derived>(); }
};

} // namespace TarvexCli::Frame
