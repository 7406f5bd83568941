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

// Strict JSON: a syntax error fails with "line L, column C: ..." and a member
// given twice in one object fails with its place. Errors are StateError without
// the origin; LoadState adds it.
Json ParseJson(std::string_view text);

// Parses and validates a document. `origin` (a file name or "<memory>") starts
// every error message: "<origin>: <place>: <problem>".
std::shared_ptr<State> LoadState(std::string_view text, const std::string &origin);
// The same for a text the caller gives up: it is freed once parsed, before the
// records are built, so that a large host does not hold both at once.
std::shared_ptr<State> LoadState(std::string &&text, const std::string &origin);
// Validates an already parsed document (StateError without the origin).
void StateFromTape(const Tape &document, State &state);
void StateFromJson(const Json &document, State &state);

Json StateToJson(const State &state);
// The document as it is written to a file: indented, ending in a newline.
std::string SaveState(const State &state);

} // namespace OlkCtl::Sim
