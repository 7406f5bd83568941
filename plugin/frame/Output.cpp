#include "frame/Output.h"

#include <exception>

namespace TarvexCli::Frame {

MetaStructPtr NewTemplate(const char *structName, std::initializer_list<FieldDecl> fields) {
  return NewTemplate(structName, std::vector<FieldDecl>(fields));
}

MetaStructPtr NewTemplate(const char *structName, const std::vector<FieldDecl> &fields) {
  auto row = MetaStruct::New(structName);
  for (const FieldDecl &field : fields) {
    switch (field.type) {
    case FieldType::String:
      row->SetField(field.name, MetaString::New());
      break;
    case FieldType::Int:
      row->SetField(field.name, MetaInt::New());
      break;
    case FieldType::UInt:
      row->SetField(field.name, MetaInt::NewUnsigned());
      break;
    case FieldType::Bool:
      row->SetField(field.name, MetaBool::New(false));
      break;
    case FieldType::StringList:
      row->SetField(field.name, MetaList::New(MetaType::String));
      break;
    }
  }
  return row;
}

MetaListPtr NewRowList(const MetaStructPtr &rowTemplate) {
  return MetaList::New(MetaType::Struct, rowTemplate);
}

std::shared_ptr<CliKit::CallSpec::OutputSpec> ListOutputSpec(const MetaStructPtr &rowTemplate) {
  auto spec = CliKit::CallSpec::OutputSpec::New();
  spec->SetRootObject(NewRowList(rowTemplate));
  return spec;
}

std::shared_ptr<CliKit::CallSpec::OutputSpec> BoolOutputSpec() {
  auto spec = CliKit::CallSpec::OutputSpec::New();
  spec->SetRootObject(MetaBool::New());
  return spec;
}

void SetTrueResult(const std::shared_ptr<CliKit::CallSpec::Output> &output) {
  output->SetRootObject(MetaBool::New(true));
}

void AddHostError(const std::shared_ptr<CliKit::CallSpec::Output> &output, const std::string &context,
                  const std::exception &error) {
  output->AddErrorMessage(context + error.what());
}

} // namespace TarvexCli::Frame
