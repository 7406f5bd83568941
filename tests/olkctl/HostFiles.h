// Temporary host files and child processes for the state-layer tests: the
// shared helpers of support/Tools.h.
#pragma once

#include "support/Tools.h"

namespace HostFiles = TestSupport;
