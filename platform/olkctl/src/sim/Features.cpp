#include <hostctl/Features.h>

#include "sim/Store.h"

#include <cstring>

namespace {

unsigned char g_switches[HostCtl::kFeatureCount];

// The table points at its switches from load time on, so reading it before the
// host is chosen sees every switch off rather than a null pointer.
struct TableSetup {
  TableSetup() {
    for (int i = 0; i < HostCtl::kFeatureCount; ++i)
      FeatureList[i] = &g_switches[i];
  }
} g_tableSetup;

} // namespace

extern "C" {
unsigned char *FeatureList[HostCtl::kFeatureCount];
}

namespace OlkCtl::Sim {

void FillFeatureList() {
  std::shared_ptr<const State> state = Current().Read();
  std::memset(g_switches, 0, sizeof g_switches);
  for (const auto &[number, on] : state->system().featureSwitches)
    g_switches[number] = on ? 1 : 0;
}

} // namespace OlkCtl::Sim
