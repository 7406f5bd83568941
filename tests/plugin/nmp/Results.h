// The result of an nmp command as one text, for the tables of the nmp tests.
#pragma once

#include "support/TestHost.h"

#include <clikit/MetaObj.h>

#include <memory>
#include <string>

namespace TestSupport {

// "true" or "false" for a boolean, the text of a string, "(none)" when no
// result was set.
inline std::string ResultText(const CommandRun &run) {
  if (auto flag = std::dynamic_pointer_cast<CliKit::MetaObj::MetaBool>(run.root))
    return flag->HasValue() && flag->GetValue() ? "true" : "false";
  return RootText(run.root);
}

// A list or record was set and no message added.
inline bool Listed(const CommandRun &run) {
  return run.root && run.errors.empty();
}

} // namespace TestSupport
