// The host's feature switches: a table of pointers to one-byte switches, indexed
// by feature number, filled from the host's state before any plug-in registers.
#pragma once

namespace HostCtl {
constexpr int kFeatureCount = 1024;
} // namespace HostCtl

extern "C" {
extern unsigned char *FeatureList[HostCtl::kFeatureCount];
}
