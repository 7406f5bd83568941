// Parameter and output specs (InputSpec, OutputSpec), and the per-execution input and output.
#pragma once

#include <clikit/Export.h>
#include <clikit/MetaObj.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CliKit::CallSpec {

// The numeric codes are part of the plug-in contract.
enum class ParameterType : int { String = 0, Integer = 1, Boolean = 2, Flag = 3, StringList = 4 };
enum class ParameterConstraintType : int { IntRange = 1, StringEnum = 3 };

class CLIKIT_API ParameterConstraint {
public:
  struct EnumValue {
    std::string value;
    std::string description;
    bool hasDescription = false;
  };

  static std::shared_ptr<ParameterConstraint> New(ParameterConstraintType kind);
  void SetIntRange(int64_t low, int64_t high);
  void AddStringEnum(const std::string &value);
  void AddStringEnum(const std::string &value, const std::string &description);

  ParameterConstraintType GetKind() const { return kind_; }
  int64_t GetLow() const { return low_; }
  int64_t GetHigh() const { return high_; }
  const std::vector<EnumValue> &GetEnumValues() const { return enumValues_; }

private:
  ParameterConstraintType kind_ = ParameterConstraintType::StringEnum;
  int64_t low_ = 0;
  int64_t high_ = 0;
  std::vector<EnumValue> enumValues_;
};

class CLIKIT_API ParameterSpec {
public:
  static std::shared_ptr<ParameterSpec> New(const std::string &longName, ParameterType type);
  void SetShortName(const std::string &shortName) { shortName_ = shortName; }
  void SetDescription(const std::string &description) { description_ = description; }
  void SetRequired(bool required) { required_ = required; }
  void SetConstraint(std::shared_ptr<ParameterConstraint> constraint) { constraint_ = std::move(constraint); }
  void SetSecret(bool secret) { secret_ = secret; }

  const std::string &GetName() const { return name_; }
  const std::string &GetShortName() const { return shortName_; }
  ParameterType GetType() const { return type_; }
  const std::string &GetDescription() const { return description_; }
  bool IsRequired() const { return required_; }
  bool IsSecret() const { return secret_; }
  const std::shared_ptr<ParameterConstraint> &GetConstraint() const { return constraint_; }

private:
  std::string name_;
  std::string shortName_;
  ParameterType type_ = ParameterType::String;
  std::string description_;
  bool required_ = false;
  bool secret_ = false;
  std::shared_ptr<ParameterConstraint> constraint_;
};

struct Example {
  std::string commandLineTail;
  std::string explanation;
};

class CLIKIT_API InputSpec {
public:
  static std::shared_ptr<InputSpec> New();
  void AddParameter(std::shared_ptr<ParameterSpec> spec);
  void AddExample(const std::string &commandLineTail, const std::string &explanation);

  const std::vector<std::shared_ptr<ParameterSpec>> &GetParameters() const { return parameters_; }
  const std::vector<Example> &GetExamples() const { return examples_; }
  std::shared_ptr<ParameterSpec> FindByLongName(const std::string &name) const;
  std::shared_ptr<ParameterSpec> FindByShortName(const std::string &name) const;

private:
  std::vector<std::shared_ptr<ParameterSpec>> parameters_;
  std::vector<Example> examples_;
};

class CLIKIT_API OutputSpec {
public:
  static std::shared_ptr<OutputSpec> New();
  void SetRootObject(MetaObj::MetaObjectPtr root) { root_ = std::move(root); }
  const MetaObj::MetaObjectPtr &GetRootObject() const { return root_; }

private:
  MetaObj::MetaObjectPtr root_;
};

// The parsed command line of one execution. The parser fills it; commands read it.
// Only the parameters the command declared may be read, each with the getter of
// its type; any other read is a fault in the command and throws
// std::logic_error, which the framework reports as an internal failure.
class CLIKIT_API Input {
public:
  static std::shared_ptr<Input> New(const InputSpec &declared);

  bool HasParameter(const std::string &name) const;
  // Empty when absent.
  std::string GetParameter(const std::string &name) const;
  // 0 when absent.
  int64_t GetParameterInt(const std::string &name) const;
  // false when absent.
  bool GetParameterBool(const std::string &name) const;
  bool IsFlagSet(const std::string &name) const;
  // Appends every value given, in command-line order.
  void GetParameterList(const std::string &name, std::vector<std::string> &values) const;

  void SetString(const std::string &name, const std::string &value);
  void AppendString(const std::string &name, const std::string &value);
  void SetInt(const std::string &name, int64_t value);
  void SetBool(const std::string &name, bool value);
  void SetFlag(const std::string &name);

private:
  struct Value {
    std::vector<std::string> texts;
    int64_t integer = 0;
    bool boolean = false;
  };
  // Throws unless `name` was declared (with `type`, when one is given).
  void CheckRead(const std::string &name, const ParameterType *type) const;
  // The value given for a parameter declared with `type`, or null when absent.
  const Value *Read(const std::string &name, ParameterType type) const;

  std::map<std::string, ParameterType> declared_;
  std::map<std::string, Value> values_;
};

class CLIKIT_API Output {
public:
  static std::shared_ptr<Output> New();
  void SetRootObject(MetaObj::MetaObjectPtr root) { root_ = std::move(root); }
  const MetaObj::MetaObjectPtr &GetRootObject() const { return root_; }
  void AddErrorMessage(const std::string &text) { errors_.push_back(text); }
  void AddErrorMessage(const char *text) { errors_.emplace_back(text); }
  bool HasError() const { return !errors_.empty(); }
  const std::vector<std::string> &GetErrorMessages() const { return errors_; }

private:
  MetaObj::MetaObjectPtr root_;
  std::vector<std::string> errors_;
};

} // namespace CliKit::CallSpec
