#include "sim/State.h"

#include "sim/Document.h"
#include "sim/Json.h"

#include <string>
#include <vector>

namespace OlkCtl::Sim {

void State::Reindex() {
#define OLKCTL_SIM_REINDEX(Type, id)                                                                         \
  if (id##_.Loaded())                                                                                        \
    id##_.Get(#id).Reindex();
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_REINDEX)
#undef OLKCTL_SIM_REINDEX
}

void State::LoadAll() const {
#define OLKCTL_SIM_LOAD(Type, id) id##_.Get(#id);
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_LOAD)
#undef OLKCTL_SIM_LOAD
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

} // namespace

Json ParseJson(std::string_view text) {
  StrictBuilder builder;
  if (!Json::sax_parse(text, &builder, Json::input_format_t::json, true))
    throw StateError(builder.error);
  return std::move(builder.root);
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

// Runs `read`; every error starts with the origin.
template <class Read> void WithOrigin(const std::string &origin, const Read &read) {
  try {
    read();
  } catch (const StateError &e) {
    throw StateError(OneLine(origin + ": " + e.what()));
  } catch (const nlohmann::json::exception &e) {
    // A family mapping that reached past Node's checks.
    throw StateError(OneLine(origin + ": " + e.what()));
  }
}

void CheckSchemaVersion(const Node &version) {
  if (version.AsInt() > kSchemaVersion)
    version.Fail("the file was written by a newer version (schema version " +
                 std::to_string(version.AsInt()) + "; this version reads up to " +
                 std::to_string(kSchemaVersion) + ")");
  if (version.AsInt() < 1)
    version.Fail("unsupported schema version " + std::to_string(version.AsInt()));
}

// The top level of a document the scanner has read: its version now, each
// family from its part of the text when first used. False when the top level
// holds anything else (a member twice, an unknown or missing one): the full
// reader then words the error as always.
bool OpenTopLevel(const std::shared_ptr<const SourceDocument> &document,
                  const std::vector<TopMember> &members, State &state) {
  const TopMember *version = nullptr;
  for (size_t i = 0; i < members.size(); ++i) {
    const TopMember &member = members[i];
    for (size_t j = 0; j < i; ++j)
      if (members[j].name == member.name)
        return false;
    if (member.name == "schemaVersion") {
      version = &member;
      continue;
    }
#define OLKCTL_SIM_SOURCE(Type, id)                                                                          \
  if (member.name == #id) {                                                                                  \
    state.id##Slot().SetSource(document, member.begin, member.end);                                          \
    continue;                                                                                                \
  }
    OLKCTL_SIM_FAMILIES(OLKCTL_SIM_SOURCE)
#undef OLKCTL_SIM_SOURCE
    return false;
  }
  if (!version)
    return false;
  const Tape tape =
      ParseTape(std::string_view(document->text).substr(version->begin, version->end - version->begin),
                "schemaVersion");
  CheckSchemaVersion(Node(tape, "schemaVersion"));
  state.schemaVersion = kSchemaVersion;
  return true;
}

std::atomic<void (*)(const StateError &)> g_onBadFamily{nullptr};

} // namespace

void OnBadHostFamily(void (*handler)(const StateError &error)) {
  g_onBadFamily.store(handler);
}

template <class F> void LazyFamily<F>::Load(const char *name) const {
  F value;
  if (source_) {
    try {
      WithOrigin(source_->origin, [&] {
        const Tape tape = ParseTape(std::string_view(source_->text).substr(begin_, end_ - begin_), name);
        LoadFamily(Node(tape, name), value);
      });
    } catch (const StateError &partError) {
      // The whole document read at once words the error as a full load does:
      // its first problem, which need not be in this family.
      StateError error = partError;
      try {
        LoadState(source_->text, source_->origin);
      } catch (const StateError &wholeError) {
        error = wholeError;
      }
      if (auto *handler = g_onBadFamily.load())
        handler(error);
      throw error;
    }
  }
  value.Reindex();
  value_ = std::move(value);
  loaded_.store(true, std::memory_order_release);
}

#define OLKCTL_SIM_INSTANTIATE(Type, id) template void LazyFamily<Type>::Load(const char *) const;
OLKCTL_SIM_FAMILIES(OLKCTL_SIM_INSTANTIATE)
#undef OLKCTL_SIM_INSTANTIATE

void StateFromTape(const Tape &document, State &state) {
  Node root(document);
  if (!root.Value().is_object())
    root.Fail("expected an object");
  CheckSchemaVersion(root.Field("schemaVersion"));

  // Absent families mean an empty one.
#define OLKCTL_SIM_EAGER(Type, id)                                                                           \
  {                                                                                                          \
    Type family;                                                                                             \
    if (root.Has(#id))                                                                                       \
      LoadFamily(root.Field(#id), family);                                                                   \
    family.Reindex();                                                                                        \
    state.id##Slot().Set(std::move(family));                                                                 \
  }
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_EAGER)
#undef OLKCTL_SIM_EAGER
  root.Done();
  state.schemaVersion = kSchemaVersion;
}

std::shared_ptr<State> LoadState(std::string_view text, const std::string &origin) {
  auto state = std::make_shared<State>();
  WithOrigin(origin, [&] { StateFromTape(ParseTape(text), *state); });
  return state;
}

std::shared_ptr<State> OpenState(std::string text, const std::string &origin) {
  auto document = std::make_shared<SourceDocument>(SourceDocument{std::move(text), origin});
  std::vector<TopMember> members;
  // What the scanner does not read, the full reader decides on, and words
  // the error as always.
  if (!ScanTopLevel(document->text, members))
    return LoadState(document->text, origin);
  auto state = std::make_shared<State>();
  bool plain = false;
  WithOrigin(origin, [&] { plain = OpenTopLevel(document, members, *state); });
  return plain ? state : LoadState(document->text, origin);
}

Json StateToJson(const State &state) {
  Json document = Json::object();
  document["schemaVersion"] = kSchemaVersion;
#define OLKCTL_SIM_SAVE(Type, id) document[#id] = SaveFamily(state.id());
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_SAVE)
#undef OLKCTL_SIM_SAVE
  return document;
}

std::string SaveState(const State &state) {
  state.LoadAll();
  // A command may have stored text that is not UTF-8 (a name typed with a
  // stray byte); it is written with U+FFFD in place rather than failing the
  // change.
  std::string text = StateToJson(state).dump(2, ' ', false, Json::error_handler_t::replace);
  text += '\n';
  return text;
}

} // namespace OlkCtl::Sim
