// Row templates, result values and the error idiom shared by all commands.
#pragma once

#include <clikit/CallSpec.h>
#include <clikit/MetaObj.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::Frame {

using CliKit::MetaObj::MetaBool;
using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;
using CliKit::MetaObj::MetaType;
using MetaStructPtr = std::shared_ptr<MetaStruct>;
using MetaListPtr = std::shared_ptr<MetaList>;

// The typed empty value a template field starts with.
// UInt: an unsigned 64-bit counter or size; values set in it stay unsigned.
enum class FieldType { String, Int, UInt, Bool, StringList };

struct FieldDecl {
  const char *name;
  FieldType type;
};

// A fresh row template: every field, in display order, set to its empty value.
MetaStructPtr NewTemplate(const char *structName, std::initializer_list<FieldDecl> fields);
MetaStructPtr NewTemplate(const char *structName, const std::vector<FieldDecl> &fields);

// An empty list of rows shaped by `rowTemplate`.
MetaListPtr NewRowList(const MetaStructPtr &rowTemplate);

// OutputSpecs of the usual shapes.
std::shared_ptr<CliKit::CallSpec::OutputSpec> ListOutputSpec(const MetaStructPtr &rowTemplate);
std::shared_ptr<CliKit::CallSpec::OutputSpec> BoolOutputSpec();

// The result of an action that succeeded.
void SetTrueResult(const std::shared_ptr<CliKit::CallSpec::Output> &output);

// Adds the command's context text followed directly by the host's message.
void AddHostError(const std::shared_ptr<CliKit::CallSpec::Output> &output, const std::string &context,
                  const std::exception &error);

} // namespace TarvexCli::Frame
