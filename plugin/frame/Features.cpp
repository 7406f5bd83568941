#include "frame/Features.h"

#include <hostctl/Features.h>

namespace TarvexCli::Frame {

bool FeatureOn(int number) {
  if (number < 0 || number >= HostCtl::kFeatureCount)
    return false;
  const unsigned char *feature = FeatureList[number];
  return feature != nullptr && *feature != 0;
}

} // namespace TarvexCli::Frame
