#include "sim/family/Nmp.h"

#include "sim/State.h"
#include "sim/family/DeviceKeyed.h"
#include "sim/family/IndexedLoad.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<RoundRobinRecord> &RoundRobinMapping() {
  static const Mapping<RoundRobinRecord> mapping =
      Mapping<RoundRobinRecord>()
          .Member("policy", &RoundRobinRecord::policy)
          .Member("iops", &RoundRobinRecord::iops)
          .Member("bytes", &RoundRobinRecord::bytes)
          .Member("useAno", &RoundRobinRecord::useAno)
          .Member("samplingCycles", &RoundRobinRecord::samplingCycles)
          .Member("latencyEvalTime", &RoundRobinRecord::latencyEvalTime);
  return mapping;
}

const Mapping<SatpRuleRecord> &RuleMapping() {
  static const Mapping<SatpRuleRecord> mapping = Mapping<SatpRuleRecord>()
                                                     .Member("device", &SatpRuleRecord::device)
                                                     .Member("vendor", &SatpRuleRecord::vendor)
                                                     .Member("model", &SatpRuleRecord::model)
                                                     .Member("driver", &SatpRuleRecord::driver)
                                                     .Member("transport", &SatpRuleRecord::transport)
                                                     .Member("options", &SatpRuleRecord::options)
                                                     .Member("claimOptions", &SatpRuleRecord::claimOptions)
                                                     .Member("psp", &SatpRuleRecord::psp)
                                                     .Member("pspOptions", &SatpRuleRecord::pspOptions)
                                                     .Member("description", &SatpRuleRecord::description)
                                                     .Member("group", &SatpRuleRecord::group)
                                                     .Member("force", &SatpRuleRecord::force);
  return mapping;
}

const Mapping<SatpRecord> &SatpMapping() {
  static const Mapping<SatpRecord> mapping = Mapping<SatpRecord>()
                                                 .Member("name", &SatpRecord::name)
                                                 .Member("description", &SatpRecord::description)
                                                 .Member("defaultPsp", &SatpRecord::defaultPsp)
                                                 .List("rules", &SatpRecord::rules, RuleMapping());
  return mapping;
}

const Mapping<PspRecord> &PspMapping() {
  static const Mapping<PspRecord> mapping =
      Mapping<PspRecord>().Member("name", &PspRecord::name).Member("description", &PspRecord::description);
  return mapping;
}

const Mapping<NmpDeviceRecord> &DeviceMapping() {
  static const Mapping<NmpDeviceRecord> mapping =
      Mapping<NmpDeviceRecord>()
          .Member("device", &NmpDeviceRecord::name)
          .Member("satp", &NmpDeviceRecord::satp)
          .Member("satpOptions", &NmpDeviceRecord::satpOptions)
          .Member("psp", &NmpDeviceRecord::psp)
          .Member("pspConfig", &NmpDeviceRecord::pspConfig)
          .Member("preferredPath", &NmpDeviceRecord::preferredPath)
          .Nested("roundRobin", &NmpDeviceRecord::roundRobin, RoundRobinMapping());
  return mapping;
}

const Mapping<NmpStoredRecord> &StoredMapping() {
  static const Mapping<NmpStoredRecord> mapping =
      Mapping<NmpStoredRecord>()
          .Member("device", &NmpStoredRecord::name)
          .Member("preferredPath", &NmpStoredRecord::preferredPath)
          .Member("hasRoundRobin", &NmpStoredRecord::hasRoundRobin)
          .Nested("roundRobin", &NmpStoredRecord::roundRobin, RoundRobinMapping())
          .Member("hasPspConfig", &NmpStoredRecord::hasPspConfig)
          .Member("pspConfig", &NmpStoredRecord::pspConfig);
  return mapping;
}

const Mapping<NmpPathRecord> &PathMapping() {
  static const Mapping<NmpPathRecord> mapping = Mapping<NmpPathRecord>()
                                                    .Member("path", &NmpPathRecord::name)
                                                    .Member("arrayPriority", &NmpPathRecord::arrayPriority)
                                                    .Member("satpConfig", &NmpPathRecord::satpConfig)
                                                    .Member("pspConfig", &NmpPathRecord::pspConfig);
  return mapping;
}

void CheckRoundRobin(const Node &element, const RoundRobinRecord &rr) {
  if (rr.policy < 0 || rr.policy > 3)
    element.Field("roundRobin").Fail("policy must be 0 (default), 1 (bytes), 2 (iops) or 3 (latency)");
  if (rr.iops == 0 || rr.bytes == 0)
    element.Field("roundRobin").Fail("the iops and bytes limits must not be 0");
}

} // namespace

bool SatpRuleRecord::SameAs(const SatpRuleRecord &o) const {
  return device == o.device && vendor == o.vendor && model == o.model && driver == o.driver &&
         transport == o.transport && options == o.options && claimOptions == o.claimOptions && psp == o.psp &&
         pspOptions == o.pspOptions && description == o.description && group == o.group;
}

std::string RoundRobinConfigText(const RoundRobinRecord &rr) {
  static const char *const kPolicies[] = {"default", "bytes", "iops", "latency"};
  std::string text = "policy=";
  text += rr.policy >= 0 && rr.policy <= 3 ? kPolicies[rr.policy] : "unknown";
  text += ",iops=" + std::to_string(rr.iops) + ",bytes=" + std::to_string(rr.bytes);
  if (rr.policy == 3)
    text += ",samplingCycles=" + std::to_string(rr.samplingCycles) +
            ",latencyEvalTime=" + std::to_string(rr.latencyEvalTime);
  text += std::string(",useANO=") + (rr.useAno ? "1" : "0");
  return text;
}

void LoadFamily(const Node &node, NmpFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object with the members satps, psps, devices, stored and paths");
  auto none = [](const Node &, const auto &) {};
  auto nothingBefore = [](const Node &, auto &) {};
  if (node.Has("satps"))
    LoadIndexed(node.Field("satps"), family.satps, SatpMapping(), {"SATP", "a SATP needs a name"},
                nothingBefore, [](const Node &element, const SatpRecord &satp) {
                  for (const SatpRuleRecord &rule : satp.rules)
                    if (rule.group != "system" && rule.group != "user")
                      element.Field("rules").Fail("a rule group is \"system\" or \"user\"");
                });
  family.satps.Reindex(); // the device entries name SATPs
  if (node.Has("psps"))
    LoadIndexed(node.Field("psps"), family.psps, PspMapping(), {"PSP", "a PSP needs a name"}, nothingBefore,
                none);
  if (node.Has("devices"))
    LoadIndexed(node.Field("devices"), family.devices, DeviceMapping(),
                {"device", "a device entry needs a device"}, nothingBefore,
                [&family](const Node &element, const NmpDeviceRecord &record) {
                  CheckRoundRobin(element, record.roundRobin);
                  if (!family.satps.records.empty() && !family.satps.Find(record.satp))
                    element.Field("satp").Fail("unknown SATP '" + record.satp + "'");
                });
  if (node.Has("stored"))
    LoadIndexed(node.Field("stored"), family.stored, StoredMapping(),
                {"stored device", "a stored entry needs a device"}, nothingBefore,
                [](const Node &element, const NmpStoredRecord &record) {
                  CheckRoundRobin(element, record.roundRobin);
                });
  if (node.Has("paths"))
    LoadIndexed(node.Field("paths"), family.paths, PathMapping(), {"path", "a path entry needs a path"},
                nothingBefore, none);
  node.Done();
}

nlohmann::ordered_json SaveFamily(const NmpFamily &family) {
  Json j = Json::object();
  j["satps"] = SatpMapping().SaveList(family.satps.records);
  j["psps"] = PspMapping().SaveList(family.psps.records);
  j["devices"] = DeviceMapping().SaveList(family.devices.records);
  j["stored"] = StoredMapping().SaveList(family.stored.records);
  j["paths"] = PathMapping().SaveList(family.paths.records);
  return j;
}

void ForgetFamilyDevices(const State &state, NmpFamily &family) {
  ForgetDeviceKeys(state, family.devices);
  ForgetDeviceKeys(state, family.stored);
  auto &paths = family.paths.records;
  paths.erase(std::remove_if(paths.begin(), paths.end(),
                             [&](const NmpPathRecord &path) { return !state.paths().ByUid(path.name); }),
              paths.end());
  family.paths.Reindex();
}

} // namespace OlkCtl::Sim
