// The host's feature switches: a table of pointers to one-byte switches, indexed
// by feature number, filled from the host's state before any plug-in registers.
#pragma once

#include <hostctl/Export.h>

namespace HostCtl {
constexpr int kFeatureCount = 1024;
} // namespace HostCtl

extern "C" {
OLKCTL_API extern unsigned char *FeatureList[HostCtl::kFeatureCount];
}
