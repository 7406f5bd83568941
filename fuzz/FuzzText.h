// Text handling shared by the fuzz targets and the seed writer: how an input
// becomes arguments, how arguments are shown in reports, and how generated
// printf conversions are kept to widths worth running.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FuzzSupport {

// Splits an input into arguments: on NUL bytes when it has any (so arguments
// may hold newlines), else on newlines. A separator at the very end closes the
// last argument instead of starting an empty one. At most `maxArgs` arguments.
std::vector<std::string> SplitArguments(const uint8_t *data, size_t size, size_t maxArgs);

// Arguments one per line in brackets, bytes outside printable ASCII (and the
// backslash) as \xNN, for failure reports.
std::string Describe(const std::vector<std::string> &args);

// Splits a command line as written in a document on blanks; single or double
// quotes keep blanks inside a word ("" is an empty word).
std::vector<std::string> SplitCommandLine(const std::string &line);

// A command declares its printf conversions, so a width of a billion is the
// command's own request, which the formatter honours with that much memory.
// Runs of 6 to 10 digits are cut to 5; longer runs stay, since printf refuses
// widths past INT_MAX without allocating anything.
std::string BoundedWidths(const std::string &format);

} // namespace FuzzSupport
