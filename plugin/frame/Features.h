// The host's feature switches, as commands and registration read them.
#pragma once

namespace TarvexCli::Frame {

// Whether the host's feature switch `number` is on. Numbers outside the
// host's table, and switches the host left unset, count as off.
bool FeatureOn(int number);

} // namespace TarvexCli::Frame
