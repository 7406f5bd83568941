// `orlocli-host generate ...`: writes large synthetic hosts for benchmarks.
#pragma once

#include <string>
#include <vector>

// Runs the subcommand with the words after "generate"; returns the exit status.
int RunGenerate(const std::vector<std::string> &args);
