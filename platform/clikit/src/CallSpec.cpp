#include <clikit/CallSpec.h>

#include "Parser.h"

#include <stdexcept>

namespace CliKit::CallSpec {

std::shared_ptr<ParameterConstraint> ParameterConstraint::New(ParameterConstraintType kind) {
  auto constraint = std::make_shared<ParameterConstraint>();
  constraint->kind_ = kind;
  return constraint;
}

void ParameterConstraint::SetIntRange(int64_t low, int64_t high) {
  low_ = low;
  high_ = high;
}

void ParameterConstraint::AddStringEnum(const std::string &value) {
  enumValues_.push_back({value, "", false});
}

void ParameterConstraint::AddStringEnum(const std::string &value, const std::string &description) {
  enumValues_.push_back({value, description, true});
}

std::shared_ptr<ParameterSpec> ParameterSpec::New(const std::string &longName, ParameterType type) {
  auto spec = std::make_shared<ParameterSpec>();
  spec->name_ = longName;
  spec->type_ = type;
  return spec;
}

std::shared_ptr<InputSpec> InputSpec::New() {
  return std::make_shared<InputSpec>();
}

void InputSpec::AddParameter(std::shared_ptr<ParameterSpec> spec) {
  parameters_.push_back(std::move(spec));
}

void InputSpec::AddExample(const std::string &commandLineTail, const std::string &explanation) {
  examples_.push_back({commandLineTail, explanation});
}

std::shared_ptr<ParameterSpec> InputSpec::FindByLongName(const std::string &name) const {
  for (const auto &spec : parameters_) {
    if (spec->GetName() == name)
      return spec;
  }
  return nullptr;
}

std::shared_ptr<ParameterSpec> InputSpec::FindByShortName(const std::string &name) const {
  if (name.empty())
    return nullptr;
  for (const auto &spec : parameters_) {
    if (spec->GetShortName() == name)
      return spec;
  }
  return nullptr;
}

std::shared_ptr<OutputSpec> OutputSpec::New() {
  return std::make_shared<OutputSpec>();
}

std::shared_ptr<Input> Input::New(const InputSpec &declared) {
  auto input = std::make_shared<Input>();
  for (const auto &spec : declared.GetParameters())
    input->declared_.emplace(spec->GetName(), spec->GetType());
  return input;
}

namespace {

// The getter of each parameter type, by type code.
constexpr const char *kGetters[] = {"GetParameter", "GetParameterInt", "GetParameterBool", "IsFlagSet",
                                    "GetParameterList"};

} // namespace

void Input::CheckRead(const std::string &name, const ParameterType *type) const {
  const std::string read =
      std::string(type ? kGetters[static_cast<int>(*type)] : "HasParameter") + "(\"" + name + "\")";
  auto found = declared_.find(name);
  if (found == declared_.end())
    throw std::logic_error(read + ": the command declares no such parameter");
  if (type && found->second != *type)
    throw std::logic_error(read + ": the parameter is of type " + Detail::TypeName(found->second) +
                           ", read with " + kGetters[static_cast<int>(found->second)]);
}

const Input::Value *Input::Read(const std::string &name, ParameterType type) const {
  CheckRead(name, &type);
  auto found = values_.find(name);
  return found == values_.end() ? nullptr : &found->second;
}

bool Input::HasParameter(const std::string &name) const {
  CheckRead(name, nullptr);
  return values_.count(name) != 0;
}

std::string Input::GetParameter(const std::string &name) const {
  const Value *value = Read(name, ParameterType::String);
  return value && !value->texts.empty() ? value->texts.back() : std::string();
}

int64_t Input::GetParameterInt(const std::string &name) const {
  const Value *value = Read(name, ParameterType::Integer);
  return value ? value->integer : 0;
}

bool Input::GetParameterBool(const std::string &name) const {
  const Value *value = Read(name, ParameterType::Boolean);
  return value && value->boolean;
}

bool Input::IsFlagSet(const std::string &name) const {
  const Value *value = Read(name, ParameterType::Flag);
  return value && value->boolean;
}

void Input::GetParameterList(const std::string &name, std::vector<std::string> &values) const {
  if (const Value *value = Read(name, ParameterType::StringList))
    values.insert(values.end(), value->texts.begin(), value->texts.end());
}

void Input::SetString(const std::string &name, const std::string &value) {
  Value &entry = values_[name];
  entry.texts.assign(1, value);
}

void Input::AppendString(const std::string &name, const std::string &value) {
  values_[name].texts.push_back(value);
}

void Input::SetInt(const std::string &name, int64_t value) {
  Value &entry = values_[name];
  entry.integer = value;
  entry.texts.assign(1, std::to_string(value));
}

void Input::SetBool(const std::string &name, bool value) {
  Value &entry = values_[name];
  entry.boolean = value;
  entry.texts.assign(1, value ? "true" : "false");
}

void Input::SetFlag(const std::string &name) {
  Value &entry = values_[name];
  entry.boolean = true;
}

std::shared_ptr<Output> Output::New() {
  return std::make_shared<Output>();
}

} // namespace CliKit::CallSpec
