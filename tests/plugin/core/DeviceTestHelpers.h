// Reading adapter and device command results in tests.
#pragma once

#include "support/TestHost.h"

#include <clikit/MetaObj.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace DeviceTests {

using CliKit::MetaObj::MetaBool;
using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;

inline const std::vector<std::string> kAdapterList = {"storage", "core", "adapter", "list"};
inline const std::vector<std::string> kAdapterListDetailed = {"storage", "core", "adapter", "listdetailed"};
inline const std::vector<std::string> kAdapterCapabilities = {"storage", "core", "adapter", "capabilities",
                                                              "list"};
inline const std::vector<std::string> kAdapterStats = {"storage", "core", "adapter", "stats", "get"};
inline const std::vector<std::string> kAdapterDevices = {"storage", "core", "adapter", "device", "list"};
inline const std::vector<std::string> kAdapterRescan = {"storage", "core", "adapter", "rescan"};
inline const std::vector<std::string> kDeviceList = {"storage", "core", "device", "list"};

// Runs a command in-process (a free function: test bodies have a Run() of their own).
inline CliKit::Execution Exec(const std::vector<std::string> &args) {
  return TestSupport::Run(args);
}

// A command path followed by its options.
inline std::vector<std::string> With(std::vector<std::string> command,
                                     const std::vector<std::string> &options) {
  command.insert(command.end(), options.begin(), options.end());
  return command;
}

inline void InjectFault(const std::string &operation, const std::string &target = "",
                        const std::string &message = "injected failure") {
  OlkCtl::Sim::AddFault(OlkCtl::Sim::Fault{operation, target, message, 0});
}

// The root list of an execution; null when no root object was set.
inline std::shared_ptr<MetaList> RootList(const CliKit::Execution &execution) {
  if (!execution.output)
    return nullptr;
  return std::dynamic_pointer_cast<MetaList>(execution.output->GetRootObject());
}

inline std::vector<std::shared_ptr<MetaStruct>> Rows(const CliKit::Execution &execution) {
  std::vector<std::shared_ptr<MetaStruct>> rows;
  if (auto list = RootList(execution))
    for (const auto &element : list->GetElements())
      rows.push_back(std::dynamic_pointer_cast<MetaStruct>(element));
  return rows;
}

inline std::string Text(const std::shared_ptr<MetaStruct> &row, const std::string &field) {
  auto value = std::dynamic_pointer_cast<MetaString>(row->GetField(field));
  EXPECT_TRUE(value) << "no string field \"" << field << "\"";
  return value ? value->GetValue() : "<missing>";
}

inline int64_t Number(const std::shared_ptr<MetaStruct> &row, const std::string &field) {
  auto value = std::dynamic_pointer_cast<MetaInt>(row->GetField(field));
  EXPECT_TRUE(value) << "no integer field \"" << field << "\"";
  return value ? value->GetValue() : -1;
}

inline bool Flag(const std::shared_ptr<MetaStruct> &row, const std::string &field) {
  auto value = std::dynamic_pointer_cast<MetaBool>(row->GetField(field));
  EXPECT_TRUE(value) << "no boolean field \"" << field << "\"";
  return value && value->GetValue();
}

inline std::vector<std::string> Texts(const std::shared_ptr<MetaStruct> &row, const std::string &field) {
  std::vector<std::string> texts;
  auto list = std::dynamic_pointer_cast<MetaList>(row->GetField(field));
  EXPECT_TRUE(list) << "no list field \"" << field << "\"";
  if (list)
    for (const auto &element : list->GetElements())
      texts.push_back(std::dynamic_pointer_cast<MetaString>(element)->GetValue());
  return texts;
}

inline std::vector<std::string> Column(const CliKit::Execution &execution, const std::string &field) {
  std::vector<std::string> values;
  for (const auto &row : Rows(execution))
    values.push_back(Text(row, field));
  return values;
}

inline std::vector<std::string> FieldNames(const std::shared_ptr<MetaStruct> &row) {
  std::vector<std::string> names;
  for (const auto &[name, value] : row->GetFields())
    names.push_back(name);
  return names;
}

} // namespace DeviceTests
