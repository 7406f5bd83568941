#include "api/AdvancedOptionsImpl.h"

#include "sim/Faults.h"
#include "sim/Store.h"

#include <hostctl/Exception.h>
#include <hostctl/Misc.h>

// The operations a fault can name here, and what its target is matched with.
#define OLKCTL_ADVANCEDOPTIONS_FAULTS(X)                                                                     \
  X(AdvancedIntegerOption_SetValue, "AdvancedIntegerOption::SetValue", "option path (\"/Group/Name\")")      \
  X(AdvancedStringOption_SetValue, "AdvancedStringOption::SetValue", "option path (\"/Group/Name\")")        \
  X(AdvancedOptions_GetGroups, "AdvancedOptions::GetGroups", "")                                             \
  X(AdvancedOptions_GetOptions, "AdvancedOptions::GetOptions", "group name")                                 \
  X(AdvancedOptions_GetOption, "AdvancedOptions::GetOption", "option path (\"/Group/Name\")")

namespace {
using OlkCtl::Sim::FaultOperation;
using OlkCtl::Sim::FaultOperationTable;
OLKCTL_SIM_FAULT_OPERATIONS(OLKCTL_ADVANCEDOPTIONS_FAULTS)
} // namespace

namespace OlkCtl::Adv {

using HostCtl::Adv::AdvancedOption;
using HostCtl::Lib::HostCtlException;
using Sim::AdvancedOptionRecord;

namespace {

std::string OptionPath(const std::string &group, const std::string &name) {
  return "/" + group + "/" + name;
}

// Finds the option in the state being changed; it may have gone since the
// caller read it.
AdvancedOptionRecord &OptionToChange(Sim::State &state, const std::string &group, const std::string &name,
                                     bool integer) {
  AdvancedOptionRecord *option = state.system().FindOption(group, name);
  if (!option || option->isInteger != integer)
    throw HostCtlException("Option " + OptionPath(group, name) + " does not exist");
  return *option;
}

class IntegerOption final : public HostCtl::Adv::AdvancedIntegerOption {
public:
  IntegerOption(std::string group, AdvancedOptionRecord record)
      : group_(std::move(group)), record_(std::move(record)) {}
  std::string GetGroup() const override { return group_; }
  std::string GetName() const override { return record_.name; }
  std::string GetDescription() const override { return record_.description; }
  Type GetType() const override { return Type::Integer; }
  int64_t GetValue() const override { return record_.intValue; }
  int64_t GetDefault() const override { return record_.intDefault; }
  int64_t GetMin() const override { return record_.min; }
  int64_t GetMax() const override { return record_.max; }

  void SetValue(int64_t value) override {
    const std::string path = OptionPath(group_, record_.name);
    Sim::CheckFault(FaultOp::AdvancedIntegerOption_SetValue, path);
    Sim::Current().Modify([&](Sim::State &state) {
      AdvancedOptionRecord &option = OptionToChange(state, group_, record_.name, true);
      // The range is the host's, checked against its newest state.
      if (value < option.min || value > option.max)
        throw HostCtlException(
            HostCtl::Misc::StrPrintf("Invalid value %lld for option %s: it must be between %lld and %lld",
                                     static_cast<long long>(value), path.c_str(),
                                     static_cast<long long>(option.min), static_cast<long long>(option.max)));
      option.intValue = value;
      record_ = option;
    });
  }

private:
  std::string group_;
  AdvancedOptionRecord record_;
};

class StringOption final : public HostCtl::Adv::AdvancedStringOption {
public:
  StringOption(std::string group, AdvancedOptionRecord record)
      : group_(std::move(group)), record_(std::move(record)) {}
  std::string GetGroup() const override { return group_; }
  std::string GetName() const override { return record_.name; }
  std::string GetDescription() const override { return record_.description; }
  Type GetType() const override { return Type::String; }
  std::string GetValue() const override { return record_.stringValue; }
  std::string GetDefault() const override { return record_.stringDefault; }

  void SetValue(const std::string &value) override {
    Sim::CheckFault(FaultOp::AdvancedStringOption_SetValue, OptionPath(group_, record_.name));
    Sim::Current().Modify([&](Sim::State &state) {
      AdvancedOptionRecord &option = OptionToChange(state, group_, record_.name, false);
      option.stringValue = value;
      record_ = option;
    });
  }

private:
  std::string group_;
  AdvancedOptionRecord record_;
};

std::unique_ptr<AdvancedOption> NewOption(const std::string &group, const AdvancedOptionRecord &record) {
  if (record.isInteger)
    return std::make_unique<IntegerOption>(group, record);
  return std::make_unique<StringOption>(group, record);
}

} // namespace

std::vector<std::string> AdvancedOptionsImpl::GetGroups() {
  Sim::CheckFault(FaultOp::AdvancedOptions_GetGroups);
  std::vector<std::string> groups;
  for (const Sim::AdvancedOptionGroup &group : Sim::Current().Read()->system().advancedOptions)
    groups.push_back(group.name);
  return groups;
}

std::vector<std::unique_ptr<AdvancedOption>> AdvancedOptionsImpl::GetOptions(const std::string &group) {
  Sim::CheckFault(FaultOp::AdvancedOptions_GetOptions, group);
  std::shared_ptr<const Sim::State> state = Sim::Current().Read();
  std::vector<std::unique_ptr<AdvancedOption>> options;
  if (const Sim::AdvancedOptionGroup *g = state->system().FindGroup(group))
    for (const AdvancedOptionRecord &record : g->options)
      options.push_back(NewOption(group, record));
  return options;
}

std::unique_ptr<AdvancedOption> AdvancedOptionsImpl::GetOption(const std::string &group,
                                                               const std::string &name) {
  Sim::CheckFault(FaultOp::AdvancedOptions_GetOption, OptionPath(group, name));
  std::shared_ptr<const Sim::State> state = Sim::Current().Read();
  const AdvancedOptionRecord *record = state->system().FindOption(group, name);
  if (!record)
    return nullptr;
  return NewOption(group, *record);
}

} // namespace OlkCtl::Adv
