// The storage core namespace tree.
#pragma once

#include "frame/Command.h"

namespace TarvexCli::Frame {

// Builds every namespace under "storage core", bottom-up, with the commands that
// exist, and attaches it to `core` in the order users see in help.
void BuildCoreTree(const NodePtr &core);

} // namespace TarvexCli::Frame
