// Advanced options: named groups of integer and string options.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace HostCtl::Adv {

class OLKCTL_API AdvancedOption {
public:
  enum class Type { Integer, String };
  virtual ~AdvancedOption() = default;
  virtual std::string GetGroup() const = 0;
  virtual std::string GetName() const = 0;
  virtual std::string GetDescription() const = 0;
  virtual Type GetType() const = 0;
};

class OLKCTL_API AdvancedIntegerOption : public AdvancedOption {
public:
  virtual int64_t GetValue() const = 0;
  virtual int64_t GetDefault() const = 0;
  virtual int64_t GetMin() const = 0;
  virtual int64_t GetMax() const = 0;
  // Refuses values outside GetMin()..GetMax().
  virtual void SetValue(int64_t value) = 0;
};

class OLKCTL_API AdvancedStringOption : public AdvancedOption {
public:
  virtual std::string GetValue() const = 0;
  virtual std::string GetDefault() const = 0;
  virtual void SetValue(const std::string &value) = 0;
};

class OLKCTL_API AdvancedOptions {
public:
  virtual ~AdvancedOptions() = default;
  virtual std::vector<std::string> GetGroups() = 0;
  // Options of a group in their host order; empty for an unknown group.
  virtual std::vector<std::unique_ptr<AdvancedOption>> GetOptions(const std::string &group) = 0;
  // None when the option does not exist. Integer options are AdvancedIntegerOption,
  // string options AdvancedStringOption.
  virtual std::unique_ptr<AdvancedOption> GetOption(const std::string &group, const std::string &name) = 0;
};

} // namespace HostCtl::Adv
