#include "sim/family/ClaimRules.h"

#include "sim/Json.h"

#include <hostctl/Exception.h>
#include <hostctl/storage/ScsiInterface.h>
#include <olkctl/storage/FibreChannelInterfaceImpl.h>

#include <algorithm>
#include <set>

namespace OlkCtl::Sim {

namespace {

const Mapping<ClaimRuleRecord> &RuleMapping() {
  static const Mapping<ClaimRuleRecord> mapping =
      Mapping<ClaimRuleRecord>()
          .Member("rule", &ClaimRuleRecord::rule)
          .Member("type", &ClaimRuleRecord::type)
          .Member("plugin", &ClaimRuleRecord::plugin)
          .Member("vendor", &ClaimRuleRecord::vendor)
          .Member("model", &ClaimRuleRecord::model)
          .Member("nvmeControllerModel", &ClaimRuleRecord::nvmeControllerModel)
          .Member("pciVendorId", &ClaimRuleRecord::pciVendorId)
          .Member("pciSubVendorId", &ClaimRuleRecord::pciSubVendorId)
          .Member("adapter", &ClaimRuleRecord::adapter)
          .Member("channel", &ClaimRuleRecord::channel)
          .Member("target", &ClaimRuleRecord::target)
          .Member("lun", &ClaimRuleRecord::lun)
          .Member("driver", &ClaimRuleRecord::driver)
          .Member("transport", &ClaimRuleRecord::transport)
          .Member("device", &ClaimRuleRecord::device)
          .Member("wwnn", &ClaimRuleRecord::wwnn)
          .Member("wwpn", &ClaimRuleRecord::wwpn)
          .Member("iqn", &ClaimRuleRecord::iqn)
          .Member("configString", &ClaimRuleRecord::configString)
          .Member("force", &ClaimRuleRecord::force)
          .Member("forceReserved", &ClaimRuleRecord::forceReserved)
          .Member("extendedXcopySupport", &ClaimRuleRecord::extendedXcopySupport)
          .Member("xcopyUseArrayValues", &ClaimRuleRecord::xcopyUseArrayValues)
          .Member("xcopyUseMultiSegs", &ClaimRuleRecord::xcopyUseMultiSegs)
          .Member("xcopyMaxTransferSize", &ClaimRuleRecord::xcopyMaxTransferSize)
          .Member("xcopyMaxTransferSizeKiB", &ClaimRuleRecord::xcopyMaxTransferSizeKiB);
  return mapping;
}

const std::set<std::string> &TypeWords() {
  static const std::set<std::string> words = {"vendor",    "location", "driver",
                                              "transport", "device",   "target"};
  return words;
}

bool ById(const ClaimRuleRecord &a, const ClaimRuleRecord &b) {
  return a.rule < b.rule;
}

void CheckRule(const Node &node, const ClaimRuleRecord &r) {
  if (r.rule > 65535)
    node.Fail("rule ID " + std::to_string(r.rule) + " is outside 0..65535");
  if (!TypeWords().count(r.type))
    node.Fail("unknown rule type '" + r.type + "'");
  if (!r.transport.empty()) {
    try {
      HostCtl::Storage::ScsiInterface::GetValidInterfaceType(r.transport);
    } catch (const HostCtl::Lib::HostCtlException &) {
      node.Fail("unknown transport '" + r.transport + "'");
    }
  }
  for (const std::string *wwn : {&r.wwnn, &r.wwpn}) {
    if (wwn->empty())
      continue;
    try {
      Storage::FibreChannelInterfaceImpl::GetWorldWideNumberFromString(*wwn);
    } catch (const HostCtl::Lib::HostCtlException &) {
      node.Fail("malformed world-wide number '" + *wwn + "'");
    }
  }
}

std::vector<ClaimRuleRecord> LoadSide(const Node &node) {
  if (!node.Value().is_array())
    node.Fail("expected an array");
  std::vector<ClaimRuleRecord> rules;
  std::set<uint32_t> seen;
  node.Each([&](const Node &element) {
    ClaimRuleRecord r;
    RuleMapping().Load(element, r);
    CheckRule(element, r);
    if (!seen.insert(r.rule).second)
      element.Fail("rule ID " + std::to_string(r.rule) + " is used twice");
    rules.push_back(std::move(r));
  });
  std::stable_sort(rules.begin(), rules.end(), ById);
  return rules;
}

void LoadClass(const Node &node, ClaimRuleClassRecord &c) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  if (node.Has("runtime"))
    c.runtime = LoadSide(node.Field("runtime"));
  if (node.Has("file"))
    c.file = LoadSide(node.Field("file"));
  node.Done();
}

Json SaveClass(const ClaimRuleClassRecord &c) {
  Json j = Json::object();
  j["runtime"] = RuleMapping().SaveList(c.runtime);
  j["file"] = RuleMapping().SaveList(c.file);
  return j;
}

} // namespace

const ClaimRuleRecord *ClaimRuleClassRecord::Find(bool runtimeSide, uint32_t rule) const {
  const auto &side = Side(runtimeSide);
  ClaimRuleRecord key;
  key.rule = rule;
  auto it = std::lower_bound(side.begin(), side.end(), key, ById);
  return it != side.end() && it->rule == rule ? &*it : nullptr;
}

ClaimRuleRecord *ClaimRuleClassRecord::Find(bool runtimeSide, uint32_t rule) {
  return const_cast<ClaimRuleRecord *>(std::as_const(*this).Find(runtimeSide, rule));
}

void ClaimRuleClassRecord::Insert(bool runtimeSide, ClaimRuleRecord record) {
  auto &side = Side(runtimeSide);
  side.insert(std::upper_bound(side.begin(), side.end(), record, ById), std::move(record));
}

bool ClaimRuleClassRecord::Erase(bool runtimeSide, uint32_t rule) {
  auto &side = Side(runtimeSide);
  auto it =
      std::find_if(side.begin(), side.end(), [rule](const ClaimRuleRecord &r) { return r.rule == rule; });
  if (it == side.end())
    return false;
  side.erase(it);
  return true;
}

const std::vector<std::string> &ClaimRuleFamily::ClassNames() {
  static const std::vector<std::string> names = {"MP", "Filter", "HWAC"};
  return names;
}

const ClaimRuleClassRecord *ClaimRuleFamily::Class(const std::string &name) const {
  if (name == "MP")
    return &mp;
  if (name == "Filter")
    return &filter;
  if (name == "HWAC")
    return &hwac;
  return nullptr;
}

ClaimRuleClassRecord *ClaimRuleFamily::Class(const std::string &name) {
  return const_cast<ClaimRuleClassRecord *>(std::as_const(*this).Class(name));
}

void ClaimRuleFamily::Reindex() {
  for (ClaimRuleClassRecord *c : {&mp, &filter, &hwac}) {
    std::stable_sort(c->runtime.begin(), c->runtime.end(), ById);
    std::stable_sort(c->file.begin(), c->file.end(), ById);
  }
}

void LoadFamily(const Node &node, ClaimRuleFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object with the members MP, Filter and HWAC");
  for (const std::string &name : ClaimRuleFamily::ClassNames())
    if (node.Has(name.c_str()))
      LoadClass(node.Field(name.c_str()), *family.Class(name));
  node.Done();
}

nlohmann::ordered_json SaveFamily(const ClaimRuleFamily &family) {
  Json j = Json::object();
  for (const std::string &name : ClaimRuleFamily::ClassNames())
    j[name] = SaveClass(*family.Class(name));
  return j;
}

} // namespace OlkCtl::Sim
