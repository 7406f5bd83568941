// Declaring parameters in one line each.
#pragma once

#include <clikit/CallSpec.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

namespace TarvexCli::Frame {

using CliKit::CallSpec::ParameterType;
using ConstraintPtr = std::shared_ptr<CliKit::CallSpec::ParameterConstraint>;

// An allowed value of a string enum; a null description adds the value alone.
struct EnumChoice {
  const char *value;
  const char *description = nullptr;
};

// Both bounds inclusive.
ConstraintPtr IntRange(int64_t low, int64_t high);
ConstraintPtr StringEnum(std::initializer_list<EnumChoice> choices);

// Whether the user must give a parameter; a word at the call site reads better
// than a bare bool among the other arguments.
enum class Presence { Optional, Required };
inline constexpr Presence Optional = Presence::Optional;
inline constexpr Presence Required = Presence::Required;

// Adds a parameter to `spec`: long name, short name ("" for none), type,
// presence, description (kept verbatim, %ENUM% and all) and an optional constraint.
void AddParam(const std::shared_ptr<CliKit::CallSpec::InputSpec> &spec, const std::string &longName,
              const std::string &shortName, ParameterType type, Presence presence,
              const std::string &description, ConstraintPtr constraint = nullptr);

// Whether the framework may show a parameter's value (help, usage errors,
// prompts); passwords are secret.
enum class Visibility { Shown, Secret };
inline constexpr Visibility Secret = Visibility::Secret;

// AddParam for a parameter whose value is never echoed.
void AddParam(const std::shared_ptr<CliKit::CallSpec::InputSpec> &spec, const std::string &longName,
              const std::string &shortName, ParameterType type, Presence presence,
              const std::string &description, Visibility visibility);

} // namespace TarvexCli::Frame
