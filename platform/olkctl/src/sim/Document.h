// Reading and writing a whole host document. The file store, the memory store,
// the profiles and the tools all go through these, so a document means the same
// wherever it comes from.
#pragma once

#include "sim/Json.h"
#include "sim/State.h"

#include <memory>
#include <string>
#include <string_view>

namespace OlkCtl::Sim {

// Parses and validates a whole document. `origin` (a file name or "<memory>")
// starts every error message: "<origin>: <place>: <problem>".
std::shared_ptr<State> LoadState(std::string_view text, const std::string &origin);
// The same, except that a family is read and validated when first used: now
// only the syntax of the whole text and its top level are checked. Messages
// are those of LoadState. The state keeps the text until it is destroyed.
std::shared_ptr<State> OpenState(std::string_view text, const std::string &origin);
// The same for a text already in memory of its own (a file read whole).
std::shared_ptr<State> OpenState(std::unique_ptr<char[]> bytes, std::size_t size, const std::string &origin);
// Validates an already parsed document (StateError without the origin).
void StateFromTape(const Tape &document, State &state);

Json StateToJson(const State &state);
// The document as it is written to a file: indented, ending in a newline. Reads
// the families not read yet first, so a family that does not validate is never
// written over (StateError).
std::string SaveState(const State &state);

} // namespace OlkCtl::Sim
