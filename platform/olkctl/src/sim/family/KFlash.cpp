#include "sim/family/KFlash.h"

#include "sim/family/IndexedLoad.h"

namespace OlkCtl::Sim {

namespace {

const Mapping<KFlashModuleRecord> &ModuleMapping() {
  static const Mapping<KFlashModuleRecord> mapping =
      Mapping<KFlashModuleRecord>()
          .Member("name", &KFlashModuleRecord::name)
          .Member("revision", &KFlashModuleRecord::revision)
          .Member("modeMask", &KFlashModuleRecord::modeMask)
          .Member("cacheSizeMin", &KFlashModuleRecord::cacheSizeMin)
          .Member("cacheSizeMax", &KFlashModuleRecord::cacheSizeMax)
          .Member("cacheBlockSizeMin", &KFlashModuleRecord::cacheBlockSizeMin)
          .Member("cacheBlockSizeMax", &KFlashModuleRecord::cacheBlockSizeMax)
          .Member("diskSizeMax", &KFlashModuleRecord::diskSizeMax)
          .Member("minModuleVersion", &KFlashModuleRecord::minModuleVersion)
          .Member("activeOldks", &KFlashModuleRecord::activeOldks);
  return mapping;
}

} // namespace

void LoadFamily(const Node &node, KFlashFamily &family) {
  LoadIndexed(
      node, family, ModuleMapping(), {"kflash module", "a kflash module needs a name"},
      [](const Node &, KFlashModuleRecord &) {},
      [](const Node &element, const KFlashModuleRecord &record) {
        if (record.activeOldks < 0)
          element.Field("activeOldks").Fail("a count of virtual disks is not negative");
      });
}

nlohmann::ordered_json SaveFamily(const KFlashFamily &family) {
  return ModuleMapping().SaveList(family.records);
}

} // namespace OlkCtl::Sim
