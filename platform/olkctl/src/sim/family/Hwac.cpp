#include "sim/family/Hwac.h"

#include "sim/State.h"
#include "sim/family/DeviceKeyed.h"
#include "sim/family/IndexedLoad.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<HwacRecord> &HwacMapping() {
  static const Mapping<HwacRecord> mapping =
      Mapping<HwacRecord>()
          .Member("name", &HwacRecord::name)
          .Nested("ats", &HwacRecord::ats,
                  Mapping<HwacAtsRecord>()
                      .Member("hardware", &HwacAtsRecord::hardware)
                      .Member("enabled", &HwacAtsRecord::enabled)
                      .Member("maxCompareAndWriteLength", &HwacAtsRecord::maxCompareAndWriteLength))
          .Nested("clone", &HwacRecord::clone,
                  Mapping<HwacCloneRecord>()
                      .Member("hardware", &HwacCloneRecord::hardware)
                      .Member("enabled", &HwacCloneRecord::enabled)
                      .Member("maxSegmentLength", &HwacCloneRecord::maxSegmentLength)
                      .Member("maxSegmentDescriptorCount", &HwacCloneRecord::maxSegmentDescriptorCount)
                      .Member("optimalTransferLengthGranularity",
                              &HwacCloneRecord::optimalTransferLengthGranularity))
          .Nested("zero", &HwacRecord::zero,
                  Mapping<HwacZeroRecord>()
                      .Member("hardware", &HwacZeroRecord::hardware)
                      .Member("enabled", &HwacZeroRecord::enabled)
                      .Member("maxWriteSameLength", &HwacZeroRecord::maxWriteSameLength))
          .Nested("delete", &HwacRecord::unmap,
                  Mapping<HwacDeleteRecord>()
                      .Member("hardware", &HwacDeleteRecord::hardware)
                      .Member("enabled", &HwacDeleteRecord::enabled)
                      .Member("maxLbaCount", &HwacDeleteRecord::maxLbaCount)
                      .Member("maxBlockDescCount", &HwacDeleteRecord::maxBlockDescCount)
                      .Member("optimalGranularity", &HwacDeleteRecord::optimalGranularity)
                      .Member("granularityAlignmentValid", &HwacDeleteRecord::granularityAlignmentValid)
                      .Member("granularityAlignment", &HwacDeleteRecord::granularityAlignment))
          .Member("exClone", &HwacRecord::exClone);
  return mapping;
}

} // namespace

bool HwacAtsActive(const State &state, const std::string &deviceName) {
  const DeviceRecord *device = state.devices().Find(deviceName);
  const HwacRecord *record = device ? state.hwac().Find(device->name) : nullptr;
  return record && EffectiveHwacCode(record->ats) == 1;
}

void LoadFamily(const Node &node, HwacFamily &family) {
  auto nothing = [](const Node &, const HwacRecord &) {};
  LoadIndexed(node, family, HwacMapping(), {"HWAC entry", "an HWAC entry needs a device name"}, nothing,
              nothing);
}

nlohmann::ordered_json SaveFamily(const HwacFamily &family) {
  return HwacMapping().SaveList(family.records);
}

void CheckFamilyReferences(const State &state, const HwacFamily &family) {
  CheckDeviceKeys(state, family, "hwac");
}

void ForgetFamilyDevices(const State &state, HwacFamily &family) {
  ForgetDeviceKeys(state, family);
}

} // namespace OlkCtl::Sim
