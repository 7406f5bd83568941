#include <clikit/MetaObj.h>

#include <stdexcept>

namespace CliKit::MetaObj {

std::shared_ptr<MetaString> MetaString::New() {
  return std::make_shared<MetaString>();
}
std::shared_ptr<MetaString> MetaString::New(std::string value) {
  auto object = std::make_shared<MetaString>();
  object->SetValue(std::move(value));
  return object;
}

std::shared_ptr<MetaInt> MetaInt::New() {
  return std::make_shared<MetaInt>();
}
std::shared_ptr<MetaInt> MetaInt::New(int64_t value) {
  auto object = std::make_shared<MetaInt>();
  object->SetValue(value);
  return object;
}

std::shared_ptr<MetaInt> MetaInt::NewUnsigned(uint64_t value) {
  auto object = std::make_shared<MetaInt>();
  object->SetValue(static_cast<int64_t>(value));
  object->unsigned_ = true;
  return object;
}

std::shared_ptr<MetaBool> MetaBool::New() {
  return std::make_shared<MetaBool>();
}
std::shared_ptr<MetaBool> MetaBool::New(bool value) {
  auto object = std::make_shared<MetaBool>();
  object->SetValue(value);
  return object;
}

std::shared_ptr<MetaList> MetaList::New(MetaType elementType) {
  return New(elementType, nullptr);
}

std::shared_ptr<MetaList> MetaList::New(MetaType elementType, std::shared_ptr<MetaStruct> rowTemplate) {
  auto list = std::make_shared<MetaList>();
  list->elementType_ = elementType;
  list->rowTemplate_ = std::move(rowTemplate);
  return list;
}

#ifndef NDEBUG
namespace {

// A row built from a fresh template only ever overwrites the template's fields;
// a field it adds is a misspelt name in the command (debug builds only).
void CheckRowAgainstTemplate(const MetaStruct &row, const MetaStruct &rowTemplate) {
  const auto &expected = rowTemplate.GetFields();
  const auto &fields = row.GetFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string &name = fields[i].first;
    if (i < expected.size() && expected[i].first == name)
      continue;
    bool known = false;
    for (const auto &field : expected)
      known = known || field.first == name;
    if (!known)
      throw std::logic_error("SetField(\"" + name + "\"): " + rowTemplate.GetName() + " has no such field");
  }
}

} // namespace
#endif

void MetaList::Add(MetaObjectPtr element) {
#ifndef NDEBUG
  if (rowTemplate_ && element && element->GetType() == MetaType::Struct)
    CheckRowAgainstTemplate(static_cast<const MetaStruct &>(*element), *rowTemplate_);
#endif
  elements_.push_back(std::move(element));
}
void MetaList::Add(const std::string &text) {
  elements_.push_back(MetaString::New(text));
}
void MetaList::Add(const char *text) {
  elements_.push_back(MetaString::New(text ? text : ""));
}

void MetaList::AddAll(const std::vector<std::string> &texts) {
  elements_.reserve(elements_.size() + texts.size());
  for (const std::string &text : texts)
    elements_.push_back(MetaString::New(text));
}

void MetaList::AddAll(const std::vector<MetaObjectPtr> &elements) {
  elements_.insert(elements_.end(), elements.begin(), elements.end());
}

std::shared_ptr<MetaStruct> MetaStruct::New(std::string name) {
  auto object = std::make_shared<MetaStruct>();
  object->name_ = std::move(name);
  return object;
}

namespace {

const MetaInt *AsInt(const MetaObjectPtr &value) {
  return value && value->GetType() == MetaType::Int ? static_cast<const MetaInt *>(value.get()) : nullptr;
}

} // namespace

void MetaStruct::SetField(const std::string &name, MetaObjectPtr value) {
  for (auto &field : fields_) {
    if (field.first == name) {
      // A new value, not the caller's changed: it may be shared.
      const MetaInt *declared = AsInt(field.second);
      const MetaInt *given = AsInt(value);
      if (declared && given && declared->IsUnsigned() && !given->IsUnsigned())
        value = MetaInt::NewUnsigned(given->GetUnsignedValue());
      field.second = std::move(value);
      return;
    }
  }
  fields_.emplace_back(name, std::move(value));
}

void MetaStruct::SetField(const std::string &name, const std::string &value) {
  SetField(name, MetaString::New(value));
}
void MetaStruct::SetField(const std::string &name, const char *value) {
  SetField(name, MetaString::New(value ? value : ""));
}
void MetaStruct::SetField(const std::string &name, bool value) {
  SetField(name, MetaBool::New(value));
}
void MetaStruct::SetField(const std::string &name, int value) {
  SetField(name, MetaInt::New(value));
}
void MetaStruct::SetField(const std::string &name, long value) {
  SetField(name, MetaInt::New(value));
}
void MetaStruct::SetField(const std::string &name, long long value) {
  SetField(name, MetaInt::New(static_cast<int64_t>(value)));
}
void MetaStruct::SetField(const std::string &name, unsigned int value) {
  SetField(name, MetaInt::NewUnsigned(value));
}
void MetaStruct::SetField(const std::string &name, unsigned long value) {
  SetField(name, MetaInt::NewUnsigned(value));
}
void MetaStruct::SetField(const std::string &name, unsigned long long value) {
  SetField(name, MetaInt::NewUnsigned(value));
}
void MetaStruct::SetField(const std::string &name, const std::vector<std::string> &values) {
  auto list = MetaList::New(MetaType::String);
  list->AddAll(values);
  SetField(name, list);
}

MetaObjectPtr MetaStruct::GetField(const std::string &name) const {
  for (const auto &field : fields_) {
    if (field.first == name)
      return field.second;
  }
  return nullptr;
}

} // namespace CliKit::MetaObj
