// What every command class of the plug-in builds on.
#pragma once

#include "frame/Output.h"

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

// The three output shapes. Each supplies GetOutputSpecInternal, so a command
// class declares only its constructor (description and default view),
// GetInputSpecInternal, ExecuteInternal and, with rows, GetOutputStructure: the
// one row template that serves both the output spec and every row it adds.

// Lists rows: the result is a list of fresh copies of Derived::GetOutputStructure().
template <class Derived> class ListCommand : public CommandClass<Derived> {
public:
  OutputSpecPtr GetOutputSpecInternal() override {
    return ListOutputSpec(static_cast<const Derived &>(*this).GetOutputStructure());
  }
};

// Shows one record: the result is Derived::GetOutputStructure() itself, filled.
template <class Derived> class StructCommand : public CommandClass<Derived> {
public:
  OutputSpecPtr GetOutputSpecInternal() override {
    auto spec = CliKit::CallSpec::OutputSpec::New();
    spec->SetRootObject(static_cast<const Derived &>(*this).GetOutputStructure());
    return spec;
  }
};

// Answers with one text: the result is a MetaString.
template <class Derived> class StringCommand : public CommandClass<Derived> {
public:
  OutputSpecPtr GetOutputSpecInternal() override {
    auto spec = CliKit::CallSpec::OutputSpec::New();
    spec->SetRootObject(MetaString::New());
    return spec;
  }
};

// Changes something: the result is true when it succeeded (SetTrueResult).
template <class Derived> class ActionCommand : public CommandClass<Derived> {
public:
  OutputSpecPtr GetOutputSpecInternal() override { return BoolOutputSpec(); }
};

} // namespace TarvexCli::Frame
