#include "sim/family/Hpp.h"

#include "sim/family/IndexedLoad.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<HppDeviceRecord> &DeviceMapping() {
  static const Mapping<HppDeviceRecord> mapping =
      Mapping<HppDeviceRecord>()
          .Member("device", &HppDeviceRecord::name)
          .Member("pss", &HppDeviceRecord::pss)
          .Member("iops", &HppDeviceRecord::iops)
          .Member("bytes", &HppDeviceRecord::bytes)
          .Member("latencyEvalTime", &HppDeviceRecord::latencyEvalTime)
          .Member("samplingIosPerPath", &HppDeviceRecord::samplingIosPerPath)
          .Member("preferredPath", &HppDeviceRecord::preferredPath)
          .Member("useAno", &HppDeviceRecord::useAno)
          .Member("persistent", &HppDeviceRecord::persistent);
  return mapping;
}

const Mapping<HppPathRecord> &PathMapping() {
  static const Mapping<HppPathRecord> mapping =
      Mapping<HppPathRecord>().Member("path", &HppPathRecord::name).Member("config", &HppPathRecord::config);
  return mapping;
}

} // namespace

bool IsHppScheme(const std::string &pss) {
  return pss == "LB-RR" || pss == "FIXED" || pss == "LB-IOPS" || pss == "LB-BYTES" || pss == "LB-Latency";
}

std::string HppDeviceRecord::SchemeConfigText() const {
  if (pss == "LB-RR")
    return "iops=" + std::to_string(iops) + ",bytes=" + std::to_string(bytes);
  if (pss == "LB-IOPS")
    return "iops=" + std::to_string(iops);
  if (pss == "LB-BYTES")
    return "bytes=" + std::to_string(bytes);
  if (pss == "LB-Latency")
    return "latency-eval-time=" + std::to_string(latencyEvalTime) +
           ",sampling-ios-per-path=" + std::to_string(samplingIosPerPath);
  if (pss == "FIXED" && !preferredPath.empty())
    return "path=" + preferredPath;
  return "";
}

void LoadFamily(const Node &node, HppFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object with the members devices, paths, userMarkedSsd and userMarkedLocal");
  auto none = [](const Node &, const auto &) {};
  if (node.Has("devices"))
    LoadIndexed(
        node.Field("devices"), family.devices, DeviceMapping(), {"device", "a device entry needs a device"},
        [](const Node &, HppDeviceRecord &) {},
        [](const Node &element, const HppDeviceRecord &record) {
          if (!IsHppScheme(record.pss))
            element.Field("pss").Fail("unknown path selection scheme '" + record.pss + "'");
        });
  if (node.Has("paths"))
    LoadIndexed(
        node.Field("paths"), family.paths, PathMapping(), {"path", "a path entry needs a path"},
        [](const Node &, HppPathRecord &) {}, none);
  if (node.Has("userMarkedSsd"))
    family.userMarkedSsd = node.Field("userMarkedSsd").AsStringList();
  if (node.Has("userMarkedLocal"))
    family.userMarkedLocal = node.Field("userMarkedLocal").AsStringList();
  node.Done();
}

nlohmann::ordered_json SaveFamily(const HppFamily &family) {
  Json j = Json::object();
  j["devices"] = DeviceMapping().SaveList(family.devices.records);
  j["paths"] = PathMapping().SaveList(family.paths.records);
  j["userMarkedSsd"] = family.userMarkedSsd;
  j["userMarkedLocal"] = family.userMarkedLocal;
  return j;
}

} // namespace OlkCtl::Sim
