// Output value tree: what a command leaves in its output and what formatters print.
#pragma once

#include <clikit/Export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CliKit::MetaObj {

// The numeric kinds are part of the plug-in contract: 2 for string lists, 3 for
// structure lists.
enum class MetaType : int { Bool = 0, Int = 1, String = 2, Struct = 3, List = 4 };

class CLIKIT_API MetaObject {
public:
  virtual ~MetaObject() = default;
  virtual MetaType GetType() const = 0;
};
using MetaObjectPtr = std::shared_ptr<MetaObject>;

class CLIKIT_API MetaString : public MetaObject {
public:
  static std::shared_ptr<MetaString> New();
  static std::shared_ptr<MetaString> New(std::string value);
  MetaType GetType() const override { return MetaType::String; }
  const std::string &GetValue() const { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }

private:
  std::string value_;
};

// A 64-bit integer, signed or unsigned. The kind is fixed when the value is
// made: an unsigned one (a counter, a size) prints and serialises as unsigned
// in every formatter, so 2^64-1 is never shown as -1.
class CLIKIT_API MetaInt : public MetaObject {
public:
  static std::shared_ptr<MetaInt> New();
  static std::shared_ptr<MetaInt> New(int64_t value);
  static std::shared_ptr<MetaInt> NewUnsigned(uint64_t value = 0);
  MetaType GetType() const override { return MetaType::Int; }
  bool IsUnsigned() const { return unsigned_; }
  int64_t GetValue() const { return value_; }
  uint64_t GetUnsignedValue() const { return static_cast<uint64_t>(value_); }
  // Keeps the kind: the same bits, read as the value's own kind.
  void SetValue(int64_t value) { value_ = value; }

private:
  int64_t value_ = 0;
  bool unsigned_ = false;
};

class CLIKIT_API MetaBool : public MetaObject {
public:
  // Created without a value: prints as false in tables, null in json.
  static std::shared_ptr<MetaBool> New();
  static std::shared_ptr<MetaBool> New(bool value);
  MetaType GetType() const override { return MetaType::Bool; }
  bool GetValue() const { return value_; }
  bool HasValue() const { return hasValue_; }
  void SetValue(bool value) {
    value_ = value;
    hasValue_ = true;
  }

private:
  bool value_ = false;
  bool hasValue_ = false;
};

class MetaStruct;

class CLIKIT_API MetaList : public MetaObject {
public:
  static std::shared_ptr<MetaList> New(MetaType elementType);
  static std::shared_ptr<MetaList> New(MetaType elementType, std::shared_ptr<MetaStruct> rowTemplate);
  MetaType GetType() const override { return MetaType::List; }
  MetaType GetElementType() const { return elementType_; }
  // The template names the structure and its fields even when the list is empty.
  const std::shared_ptr<MetaStruct> &GetRowTemplate() const { return rowTemplate_; }

  void Add(MetaObjectPtr element);
  void Add(const std::string &text);
  void Add(const char *text);
  void AddAll(const std::vector<std::string> &texts);
  void AddAll(const std::vector<MetaObjectPtr> &elements);
  void Reserve(size_t count) { elements_.reserve(count); }

  const std::vector<MetaObjectPtr> &GetElements() const { return elements_; }
  size_t Size() const { return elements_.size(); }

private:
  MetaType elementType_ = MetaType::String;
  std::shared_ptr<MetaStruct> rowTemplate_;
  std::vector<MetaObjectPtr> elements_;
};

class CLIKIT_API MetaStruct : public MetaObject {
public:
  static std::shared_ptr<MetaStruct> New(std::string name);
  MetaType GetType() const override { return MetaType::Struct; }
  const std::string &GetName() const { return name_; }

  // Replaces the field of that name in place (keeping its position), or appends
  // it. An integer put in a field a template declared unsigned stays unsigned,
  // whatever type the caller passed; the unsigned overloads make unsigned values.
  void SetField(const std::string &name, MetaObjectPtr value);
  void SetField(const std::string &name, const std::string &value);
  void SetField(const std::string &name, const char *value);
  void SetField(const std::string &name, bool value);
  void SetField(const std::string &name, int value);
  void SetField(const std::string &name, long value);
  void SetField(const std::string &name, long long value);
  void SetField(const std::string &name, unsigned int value);
  void SetField(const std::string &name, unsigned long value);
  void SetField(const std::string &name, unsigned long long value);
  void SetField(const std::string &name, const std::vector<std::string> &values);

  // nullptr when the structure has no field of that name.
  MetaObjectPtr GetField(const std::string &name) const;
  const std::vector<std::pair<std::string, MetaObjectPtr>> &GetFields() const { return fields_; }

private:
  std::string name_;
  std::vector<std::pair<std::string, MetaObjectPtr>> fields_;
};

} // namespace CliKit::MetaObj
