#include <clikit/CallSpec.h>

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

std::shared_ptr<Input> Input::New() {
  return std::make_shared<Input>();
}

bool Input::HasParameter(const std::string &name) const {
  return values_.count(name) != 0;
}

std::string Input::GetParameter(const std::string &name) const {
  auto found = values_.find(name);
  if (found == values_.end() || found->second.texts.empty())
    return {};
  return found->second.texts.back();
}

int64_t Input::GetParameterInt(const std::string &name) const {
  auto found = values_.find(name);
  return found == values_.end() ? 0 : found->second.integer;
}

bool Input::GetParameterBool(const std::string &name) const {
  auto found = values_.find(name);
  return found != values_.end() && found->second.boolean;
}

bool Input::IsFlagSet(const std::string &name) const {
  auto found = values_.find(name);
  return found != values_.end() && found->second.boolean;
}

void Input::GetParameterList(const std::string &name, std::vector<std::string> &values) const {
  auto found = values_.find(name);
  if (found == values_.end())
    return;
  values.insert(values.end(), found->second.texts.begin(), found->second.texts.end());
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
