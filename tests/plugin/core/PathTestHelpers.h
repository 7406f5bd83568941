// Reading path-command results in tests, and a small host written inline.
#pragma once

#include "support/TestHost.h"

#include <clikit/MetaObj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace PathTests {

using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;

// A command path followed by its options.
inline std::vector<std::string> With(std::vector<std::string> command,
                                     const std::vector<std::string> &options) {
  command.insert(command.end(), options.begin(), options.end());
  return command;
}

// Runtime names of the default host's paths, in host order.
inline const std::vector<std::string> &DefaultRuntimeNames() {
  static const std::vector<std::string> names = {
      "olhba0:C0:T0:L0", "olhba1:C0:T0:L0", "olhba2:C0:T0:L1",  "olhba2:C0:T1:L1",
      "olhba3:C0:T0:L1", "olhba3:C0:T1:L1", "olhba64:C0:T0:L1", "olhba2:C0:T0:L2",
      "olhba3:C0:T0:L2", "olhba3:C0:T1:L3", "olhba5:C0:T0:L1",  "olhba6:C2:T0:L0",
      "olhba2:C0:T3:L0", "olhba4:C0:T0:L0", "olhba2:C0:T2:L5",  "olhba64:C1:T0:L0"};
  return names;
}

inline const char *kDgcLun = "naa.60060160a0b2320089abcdef01234567";
inline const char *kSymmetrixLun = "naa.60000970000197600123533030314241";

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

// Field names and values in order; integers as decimal text.
inline std::vector<std::pair<std::string, std::string>> Flatten(const std::shared_ptr<MetaStruct> &row) {
  std::vector<std::pair<std::string, std::string>> fields;
  for (const auto &[name, value] : row->GetFields()) {
    if (auto text = std::dynamic_pointer_cast<MetaString>(value))
      fields.emplace_back(name, text->GetValue());
    else if (auto number = std::dynamic_pointer_cast<MetaInt>(value))
      fields.emplace_back(name, std::to_string(number->GetValue()));
    else
      fields.emplace_back(name, "<other>");
  }
  return fields;
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

// A small host: FC adapter "olhba2", NVMe adapter "olhba5"; a SCSI device with
// a second UID and a display name, an NVMe device, and a device in use. The
// paths are `pathsJson` (a JSON array); faults are `faultsJson`.
inline std::string SmallHost(const std::string &pathsJson, const std::string &faultsJson = "[]") {
  return R"({"schemaVersion": 1,
    "adapters": [{"name": "olhba2", "transport": "fc"}, {"name": "olhba5", "transport": "pcie"}],
    "devices": [
      {"name": "naa.600a0b80001111110000000000000001", "displayName": "Array LUN 1",
       "uids": ["naa.600a0b80001111110000000000000001", "olr.0200010000600a0b8000111111"]},
      {"name": "eui.00000000000000a1", "displayName": "NVMe namespace 1", "nvme": true, "protocol": 1,
       "uids": ["eui.00000000000000a1"]},
      {"name": "naa.600a0b80001111110000000000000002", "displayName": "Busy LUN", "inUse": true,
       "uids": ["naa.600a0b80001111110000000000000002"]}],
    "paths": )" +
         pathsJson + R"(,
    "faults": )" +
         faultsJson + "}";
}

// One path record for SmallHost, claimed by `plugin` (empty: unclaimed);
// `extra` adds members (JSON text starting with a comma, or empty).
inline std::string PathJson(const std::string &runtimeName, const std::string &device,
                            const std::string &adapter, const std::string &plugin = "NMP",
                            const std::string &extra = "") {
  return R"({"uid": "uid-)" + runtimeName + R"(", "runtimeName": ")" + runtimeName + R"(", "device": ")" +
         device + R"(", "adapter": ")" + adapter + R"(", "plugin": ")" + plugin +
         R"(", "adapterTransportDetails": "adapter side", "targetTransportDetails": "target side")" + extra +
         "}";
}

} // namespace PathTests
