#include "frame/Params.h"

namespace TarvexCli::Frame {

using CliKit::CallSpec::ParameterConstraint;
using CliKit::CallSpec::ParameterConstraintType;

ConstraintPtr IntRange(int64_t low, int64_t high) {
  auto constraint = ParameterConstraint::New(ParameterConstraintType::IntRange);
  constraint->SetIntRange(low, high);
  return constraint;
}

ConstraintPtr StringEnum(std::initializer_list<EnumChoice> choices) {
  auto constraint = ParameterConstraint::New(ParameterConstraintType::StringEnum);
  for (const EnumChoice &choice : choices) {
    if (choice.description)
      constraint->AddStringEnum(choice.value, choice.description);
    else
      constraint->AddStringEnum(choice.value);
  }
  return constraint;
}

void AddParam(const std::shared_ptr<CliKit::CallSpec::InputSpec> &spec, const std::string &longName,
              const std::string &shortName, ParameterType type, Presence presence,
              const std::string &description, ConstraintPtr constraint) {
  auto param = CliKit::CallSpec::ParameterSpec::New(longName, type);
  param->SetShortName(shortName);
  param->SetDescription(description);
  param->SetRequired(presence == Presence::Required);
  if (constraint)
    param->SetConstraint(std::move(constraint));
  spec->AddParameter(std::move(param));
}

void AddParam(const std::shared_ptr<CliKit::CallSpec::InputSpec> &spec, const std::string &longName,
              const std::string &shortName, ParameterType type, Presence presence,
              const std::string &description, Visibility visibility) {
  AddParam(spec, longName, shortName, type, presence, description);
  spec->GetParameters().back()->SetSecret(visibility == Visibility::Secret);
}

} // namespace TarvexCli::Frame
