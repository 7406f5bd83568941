// The plugins and hpp families: what loading refuses.
#include "olkctl/ErrorText.h"

#include <olkctl/sim/HostControl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PluginsHppState, LoadingRefusesBadRecords) {
  struct Case {
    std::string members;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {R"("plugins": {"loaded": [{"name": "NMP", "class": "MP", "protocol": "fc"}]})",
       "unknown protocol 'fc' of plug-in NMP"},
      {R"("plugins": {"loaded": [{"name": "NMP", "class": "MP"}, {"name": "NMP", "class": "MP"}]})",
       "duplicate plug-in name NMP"},
      {R"("plugins": {"modules": [{"module": "nmp", "plugin": "NMP"}, {"module": "nmp", "plugin": "X"}]})",
       "duplicate module name nmp"},
      {R"("plugins": {"modules": [{"plugin": "NMP"}]})", "a module needs a name"},
      {R"("plugins": {"autoclaim": []})", "autoclaim"},
      {R"("hpp": {"devices": [{"device": "naa.1", "pss": "RR"}]})", "unknown path selection scheme 'RR'"},
      {R"("hpp": {"devices": [{"device": "naa.1"}, {"device": "naa.1"}]})", "duplicate device name naa.1"},
      {R"("hpp": {"paths": [{"config": "x"}]})", "a path entry needs a path"},
      {R"("hpp": {"devices": [{"device": "naa.1", "iops": -1}]})", "hpp.devices[0].iops"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.members);
    const std::string error = ErrorText<OlkCtl::Sim::StateError>(
        [&] { OlkCtl::Sim::UseHostFromJson(R"({"schemaVersion": 1, )" + c.members + "}"); });
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
  }
}

} // namespace
