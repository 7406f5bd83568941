#include "sim/State.h"

#include "sim/Document.h"
#include "sim/Json.h"

#include <string>
#include <vector>

namespace OlkCtl::Sim {

void State::Reindex() {
  system.Reindex();
  adapters.Reindex();
  devices.Reindex();
  paths.Reindex();
  claimRules.Reindex();
}

namespace {

// Builds the document tree like nlohmann's own DOM parser, but refuses a member
// that appears twice in one object instead of silently keeping the last one.
class StrictBuilder {
public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  Json root;
  std::string error;

  bool null() { return Put(Json(nullptr)); }
  bool boolean(bool v) { return Put(Json(v)); }
  bool number_integer(number_integer_t v) { return Put(Json(v)); }
  bool number_unsigned(number_unsigned_t v) { return Put(Json(v)); }
  bool number_float(number_float_t v, const string_t &) { return Put(Json(v)); }
  bool string(string_t &v) { return Put(Json(std::move(v))); }
  bool binary(binary_t &) { return Fail("binary values are not JSON"); }

  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(string_t &k) {
    Level &top = stack_.back();
    if (top.value->contains(k))
      return Fail(Place() + ": member \"" + k + "\" appears twice");
    top.key = std::move(k);
    return true;
  }

  bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &ex) {
    // nlohmann words it "[json.exception.parse_error.101] parse error at line 1,
    // column 5: syntax error ..."; keep "line 1, column 5: syntax error ...".
    std::string text = ex.what();
    std::string::size_type at = text.find(" at line ");
    error = at == std::string::npos ? text : text.substr(at + 4);
    return false;
  }

private:
  struct Level {
    Json *value;
    std::string key; // the member being read, for objects
  };

  Json *Slot() {
    if (stack_.empty())
      return &root;
    Level &top = stack_.back();
    if (top.value->is_array()) {
      top.value->push_back(nullptr);
      return &top.value->back();
    }
    return &(*top.value)[top.key];
  }
  bool Put(Json &&v) {
    *Slot() = std::move(v);
    return true;
  }
  bool Open(Json &&v) {
    Json *slot = Slot();
    *slot = std::move(v);
    stack_.push_back(Level{slot, {}});
    return true;
  }
  bool Close() {
    stack_.pop_back();
    return true;
  }
  bool Fail(std::string message) {
    error = std::move(message);
    return false;
  }
  // The place of the object being read, as "devices[3].uids".
  std::string Place() const {
    std::string place;
    for (size_t i = 1; i < stack_.size(); ++i) {
      const Level &parent = stack_[i - 1];
      if (parent.value->is_array()) {
        place += "[" + std::to_string(parent.value->size() - 1) + "]";
      } else {
        if (!place.empty())
          place += ".";
        place += parent.key;
      }
    }
    return place.empty() ? "top level" : place;
  }

  std::vector<Level> stack_;
};

Mapping<Fault> FaultMapping() {
  return Mapping<Fault>()
      .Member("operation", &Fault::operation)
      .Member("target", &Fault::target)
      .Member("message", &Fault::message)
      .Member("times", &Fault::times);
}

std::vector<Fault> LoadFaults(const Node &node) {
  std::vector<Fault> faults = FaultMapping().LoadList(node);
  size_t i = 0;
  node.Each([&](const Node &element) {
    const Fault &fault = faults[i++];
    if (fault.operation.empty())
      element.Field("operation").Fail("must not be empty");
    if (fault.times < 0)
      element.Field("times").Fail("must not be negative");
  });
  return faults;
}

} // namespace

Json ParseJson(std::string_view text) {
  StrictBuilder builder;
  if (!Json::sax_parse(text, &builder, Json::input_format_t::json, true))
    throw StateError(builder.error);
  return std::move(builder.root);
}

void StateFromTape(const Tape &document, State &state) {
  Node root(document);
  if (!root.Value().is_object())
    root.Fail("expected an object");
  Node version = root.Field("schemaVersion");
  if (version.AsInt() > kSchemaVersion)
    version.Fail("the file was written by a newer version (schema version " +
                 std::to_string(version.AsInt()) + "; this version reads up to " +
                 std::to_string(kSchemaVersion) + ")");
  if (version.AsInt() < 1)
    version.Fail("unsupported schema version " + std::to_string(version.AsInt()));

  // Absent families mean an empty one.
  if (root.Has("system"))
    LoadFamily(root.Field("system"), state.system);
  if (root.Has("faults"))
    state.faults = LoadFaults(root.Field("faults"));
  if (root.Has("adapters"))
    LoadFamily(root.Field("adapters"), state.adapters);
  if (root.Has("devices"))
    LoadFamily(root.Field("devices"), state.devices);
  if (root.Has("paths"))
    LoadFamily(root.Field("paths"), state.paths);
  if (root.Has("claimRules"))
    LoadFamily(root.Field("claimRules"), state.claimRules);
  root.Done();
  state.schemaVersion = kSchemaVersion;
  state.Reindex();
}

void StateFromJson(const Json &document, State &state) {
  StateFromTape(ParseTape(document.dump()), state);
}

namespace {
// Messages quote values and member names from the document; a line break in
// one must not break the message's single line.
std::string OneLine(const std::string &message) {
  std::string line;
  for (char c : message) {
    if (c == '\n')
      line += "\\n";
    else if (c == '\r')
      line += "\\r";
    else
      line += c;
  }
  return line;
}
} // namespace

namespace {

// Runs `read` on a fresh state; every error starts with the origin.
template <class Read> std::shared_ptr<State> LoadWith(const std::string &origin, const Read &read) {
  auto state = std::make_shared<State>();
  try {
    read(*state);
  } catch (const StateError &e) {
    throw StateError(OneLine(origin + ": " + e.what()));
  } catch (const nlohmann::json::exception &e) {
    // A family mapping that reached past Node's checks.
    throw StateError(OneLine(origin + ": " + e.what()));
  }
  return state;
}

} // namespace

std::shared_ptr<State> LoadState(std::string_view text, const std::string &origin) {
  return LoadWith(origin, [&](State &state) { StateFromTape(ParseTape(text), state); });
}

std::shared_ptr<State> LoadState(std::string &&text, const std::string &origin) {
  return LoadWith(origin, [&](State &state) {
    const Tape tape = ParseTape(text);
    // The records are built from the tape alone; the text's memory can hold them.
    std::string().swap(text);
    StateFromTape(tape, state);
  });
}

Json StateToJson(const State &state) {
  Json document = Json::object();
  document["schemaVersion"] = kSchemaVersion;
  document["system"] = SaveFamily(state.system);
  document["faults"] = FaultMapping().SaveList(state.faults);
  document["adapters"] = SaveFamily(state.adapters);
  document["devices"] = SaveFamily(state.devices);
  document["paths"] = SaveFamily(state.paths);
  document["claimRules"] = SaveFamily(state.claimRules);
  return document;
}

std::string SaveState(const State &state) {
  // A command may have stored text that is not UTF-8 (a name typed with a
  // stray byte); it is written with U+FFFD in place rather than failing the
  // change.
  std::string text = StateToJson(state).dump(2, ' ', false, Json::error_handler_t::replace);
  text += '\n';
  return text;
}

} // namespace OlkCtl::Sim
