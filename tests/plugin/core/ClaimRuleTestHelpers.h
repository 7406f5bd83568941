// Running claim-rule commands in tests and reading their rule listings.
#pragma once

#include "support/TestHost.h"

#include <clikit/MetaObj.h>
#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace ClaimRuleTests {

using CliKit::MetaObj::MetaBool;
using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;

// "storage core claimrule <command>" followed by its options.
inline std::vector<std::string> ClaimRule(const std::string &command,
                                          const std::vector<std::string> &options = {}) {
  std::vector<std::string> args = {"storage", "core", "claimrule", command};
  args.insert(args.end(), options.begin(), options.end());
  return args;
}

// Splits a command-line tail as a shell would for these examples: blanks
// separate words, double quotes group and are dropped.
inline std::vector<std::string> SplitCommandLine(const std::string &line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord)
        words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord)
    words.push_back(word);
  return words;
}

inline void InjectFault(const std::string &operation, const std::string &message = "injected failure",
                        const std::string &target = "") {
  OlkCtl::Sim::AddFault(OlkCtl::Sim::Fault{operation, target, message, 0});
}

// True when the execution left boolean true as its result.
inline bool Succeeded(const CliKit::Execution &execution) {
  if (!execution.output)
    return false;
  auto root = std::dynamic_pointer_cast<MetaBool>(execution.output->GetRootObject());
  return root && root->GetValue();
}

inline bool HasRoot(const CliKit::Execution &execution) {
  return execution.output && execution.output->GetRootObject() != nullptr;
}

// One row of "claimrule list", every field.
struct RuleRow {
  std::string ruleClass;
  int64_t rule = 0;
  std::string side; // "runtime" or "file"
  std::string type;
  std::string plugin;
  std::string matches;
  std::string configString;
  bool xcopyArrayValues = false;
  bool xcopyMultiSegs = false;
  int64_t xcopyMaxMB = 0;
  int64_t xcopyMaxKiB = 0;
  bool extendedXcopy = false;

  auto Key() const {
    return std::tie(ruleClass, rule, side, type, plugin, matches, configString, xcopyArrayValues,
                    xcopyMultiSegs, xcopyMaxMB, xcopyMaxKiB, extendedXcopy);
  }
  bool operator==(const RuleRow &other) const { return Key() == other.Key(); }
};

inline std::ostream &operator<<(std::ostream &out, const RuleRow &r) {
  return out << r.ruleClass << " " << r.rule << " " << r.side << " " << r.type << " " << r.plugin << " ["
             << r.matches << "] [" << r.configString << "] xcopy(" << r.xcopyArrayValues << ","
             << r.xcopyMultiSegs << "," << r.xcopyMaxMB << "," << r.xcopyMaxKiB << "," << r.extendedXcopy
             << ")";
}

inline std::string StringField(const std::shared_ptr<MetaStruct> &row, const std::string &name) {
  auto value = std::dynamic_pointer_cast<MetaString>(row->GetField(name));
  EXPECT_TRUE(value) << "no string field " << name;
  return value ? value->GetValue() : "";
}

inline int64_t IntField(const std::shared_ptr<MetaStruct> &row, const std::string &name) {
  auto value = std::dynamic_pointer_cast<MetaInt>(row->GetField(name));
  EXPECT_TRUE(value) << "no integer field " << name;
  return value ? value->GetValue() : -1;
}

inline bool BoolField(const std::shared_ptr<MetaStruct> &row, const std::string &name) {
  auto value = std::dynamic_pointer_cast<MetaBool>(row->GetField(name));
  EXPECT_TRUE(value) << "no boolean field " << name;
  return value && value->GetValue();
}

inline std::vector<RuleRow> RowsOf(const CliKit::Execution &execution) {
  std::vector<RuleRow> rows;
  if (!execution.output)
    return rows;
  auto list = std::dynamic_pointer_cast<MetaList>(execution.output->GetRootObject());
  if (!list)
    return rows;
  for (const auto &element : list->GetElements()) {
    auto row = std::dynamic_pointer_cast<MetaStruct>(element);
    RuleRow r;
    r.ruleClass = StringField(row, "Rule Class");
    r.rule = IntField(row, "Rule");
    r.side = StringField(row, "Class");
    r.type = StringField(row, "Type");
    r.plugin = StringField(row, "Plugin");
    r.matches = StringField(row, "Matches");
    r.configString = StringField(row, "Config String");
    r.xcopyArrayValues = BoolField(row, "XCOPY Use Array Reported Values");
    r.xcopyMultiSegs = BoolField(row, "XCOPY Use Multiple Segments");
    r.xcopyMaxMB = IntField(row, "XCOPY Max Transfer Size");
    r.xcopyMaxKiB = IntField(row, "XCOPY Max Transfer Size KiB");
    r.extendedXcopy = BoolField(row, "Extended XCOPY Support");
    rows.push_back(r);
  }
  return rows;
}

// "claimrule list -c <ruleClass>" (every class by default), checked to succeed.
inline std::vector<RuleRow> ListRules(const std::string &ruleClass = "all") {
  auto run = TestSupport::Run(ClaimRule("list", {"-c", ruleClass}));
  EXPECT_TRUE(TestSupport::Errors(run).empty()) << "list -c " << ruleClass << " failed";
  return RowsOf(run);
}

// The rows of `after` that `before` does not have.
inline std::vector<RuleRow> NewRows(const std::vector<RuleRow> &before, const std::vector<RuleRow> &after) {
  std::vector<RuleRow> added;
  for (const RuleRow &row : after) {
    bool known = false;
    for (const RuleRow &old : before)
      known = known || old == row;
    if (!known)
      added.push_back(row);
  }
  return added;
}

// A row of one side, plain fields only.
inline RuleRow Row(const std::string &ruleClass, int64_t rule, const std::string &side,
                   const std::string &type, const std::string &plugin, const std::string &matches,
                   const std::string &configString = "") {
  RuleRow r;
  r.ruleClass = ruleClass;
  r.rule = rule;
  r.side = side;
  r.type = type;
  r.plugin = plugin;
  r.matches = matches;
  r.configString = configString;
  return r;
}

// An HWAC row with its XCOPY fields.
inline RuleRow HwacRow(int64_t rule, const std::string &side, const std::string &plugin,
                       const std::string &matches, bool arrayValues, bool multiSegs, int64_t maxMB,
                       int64_t maxKiB, bool extended = false) {
  RuleRow r = Row("HWAC", rule, side, "vendor", plugin, matches);
  r.xcopyArrayValues = arrayValues;
  r.xcopyMultiSegs = multiSegs;
  r.xcopyMaxMB = maxMB;
  r.xcopyMaxKiB = maxKiB;
  r.extendedXcopy = extended;
  return r;
}

} // namespace ClaimRuleTests
