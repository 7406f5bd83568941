#include "sim/State.h"

#include "sim/Document.h"
#include "sim/Json.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace OlkCtl::Sim {

// Reads the rest of a document's top level (StateError for what it holds
// besides its families).
void FinishDocument(const SourceDocument &document);

void State::Reindex() {
#define OLKCTL_SIM_REINDEX(Type, id)                                                                         \
  if (id##_.Loaded())                                                                                        \
    id##_.Get(#id).Reindex();
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_REINDEX)
#undef OLKCTL_SIM_REINDEX
}

namespace {

// Families without references to other families have nothing to check.
template <class F> void CheckFamily(const State &state, const F &family) {
  if constexpr (requires { CheckFamilyReferences(state, family); })
    CheckFamilyReferences(state, family);
}

template <class F> void ForgetIn(const State &state, F &family) {
  if constexpr (requires { ForgetFamilyDevices(state, family); })
    ForgetFamilyDevices(state, family);
}

} // namespace

void State::ForgetRemovedDevices() {
  Reindex();
#define OLKCTL_SIM_FORGET(Type, id) ForgetIn(*this, id());
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_FORGET)
#undef OLKCTL_SIM_FORGET
}

void State::CheckReferences() const {
#define OLKCTL_SIM_CHECK(Type, id) CheckFamily(*this, id());
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_CHECK)
#undef OLKCTL_SIM_CHECK
}

void State::LoadAll() const {
#define OLKCTL_SIM_LOAD(Type, id) id##_.Get(#id);
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_LOAD)
#undef OLKCTL_SIM_LOAD
  if (document_)
    FinishDocument(*document_);
  try {
    CheckReferences();
  } catch (const StateError &e) {
    const std::string *origin = nullptr;
#define OLKCTL_SIM_ORIGIN(Type, id)                                                                          \
  if (!origin)                                                                                               \
    origin = id##_.Origin();
    OLKCTL_SIM_FAMILIES(OLKCTL_SIM_ORIGIN)
#undef OLKCTL_SIM_ORIGIN
    throw origin ? StateError(*origin + ": " + e.what()) : e;
  }
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
      ParseTape(document->text.substr(version->begin, version->end - version->begin), "schemaVersion");
  CheckSchemaVersion(Node(tape, "schemaVersion"));
  state.schemaVersion = kSchemaVersion;
  return true;
}

} // namespace

class DocumentMembers {
public:
  explicit DocumentMembers(std::string_view text) : skim(text) {}

  std::mutex mutex;
  TopLevelSkim skim;
  std::vector<TopMember> found;
  bool ended = false;
  // The skim met what it does not follow, a member twice or an unknown one:
  // the whole document is read at once, which words the error as always.
  bool unfollowed = false;
  std::shared_ptr<const State> whole;
};

namespace {

bool IsDocumentMember(std::string_view name) {
#define OLKCTL_SIM_KNOWN(Type, id)                                                                           \
  if (name == #id)                                                                                           \
    return true;
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_KNOWN)
#undef OLKCTL_SIM_KNOWN
  return name == "schemaVersion";
}

// Where a member's value is: its range, the document read whole, or neither
// (the document has no such member).
struct Located {
  std::optional<TopMember> member;
  std::shared_ptr<const State> whole;
};

// Skims the document's top level up to `name` (to its end when empty).
Located Locate(const SourceDocument &document, std::string_view name) {
  DocumentMembers &members = *document.members;
  std::lock_guard<std::mutex> lock(members.mutex);
  const auto whole = [&] {
    members.unfollowed = true;
    if (!members.whole)
      members.whole = LoadState(document.text, document.origin);
    return Located{std::nullopt, members.whole};
  };
  if (members.unfollowed)
    return whole();
  for (const TopMember &member : members.found)
    if (member.name == name)
      return Located{member, nullptr};
  TopMember member{};
  while (!members.ended) {
    switch (members.skim.Next(member)) {
    case TopLevelSkim::Step::End:
      members.ended = true;
      break;
    case TopLevelSkim::Step::Unfollowed:
      return whole();
    case TopLevelSkim::Step::Member:
      if (!IsDocumentMember(member.name) ||
          std::any_of(members.found.begin(), members.found.end(),
                      [&](const TopMember &seen) { return seen.name == member.name; }))
        return whole();
      members.found.push_back(member);
      if (member.name == name)
        return Located{member, nullptr};
      break;
    }
  }
  return Located{};
}

// The family `name` of a document read whole.
template <class F> const F &FamilyOf(const State &state, std::string_view name) {
#define OLKCTL_SIM_PICK(Type, id)                                                                            \
  if constexpr (std::is_same_v<F, Type>)                                                                     \
    if (name == #id)                                                                                         \
      return state.id();
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_PICK)
#undef OLKCTL_SIM_PICK
  throw StateError(std::string("no family ") + std::string(name));
}

} // namespace

void FinishDocument(const SourceDocument &document) {
  Locate(document, {});
}

template <class F> void LazyFamily<F>::Load(const char *name) const {
  F value;
  std::size_t begin = begin_;
  std::size_t end = end_;
  bool present = source_ != nullptr;
  if (present && find_) {
    const Located where = Locate(*source_, name);
    if (where.whole)
      value = FamilyOf<F>(*where.whole, name);
    present = where.member.has_value();
    if (present) {
      begin = where.member->begin;
      end = where.member->end;
    }
  }
  if (present) {
    try {
      WithOrigin(source_->origin, [&] {
        const Tape tape = ParseTape(source_->text.substr(begin, end - begin), name);
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
  state.CheckReferences();
  state.schemaVersion = kSchemaVersion;
}

std::shared_ptr<State> LoadState(std::string_view text, const std::string &origin) {
  auto state = std::make_shared<State>();
  WithOrigin(origin, [&] { StateFromTape(ParseTape(text), *state); });
  return state;
}

std::shared_ptr<State> OpenState(std::string_view text, const std::string &origin) {
  auto bytes = std::make_unique_for_overwrite<char[]>(text.size());
  std::copy(text.begin(), text.end(), bytes.get());
  return OpenState(std::move(bytes), text.size(), origin);
}

void State::FindFamiliesIn(const std::shared_ptr<const SourceDocument> &document) {
  document_ = document;
#define OLKCTL_SIM_FIND(Type, id) id##_.SetDocument(document);
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_FIND)
#undef OLKCTL_SIM_FIND
}

std::shared_ptr<State> OpenState(std::unique_ptr<char[]> bytes, std::size_t size, const std::string &origin) {
  auto document = std::make_shared<SourceDocument>(
      SourceDocument{std::string_view(bytes.get(), size), origin, std::move(bytes), nullptr});
  // A document that starts with its version, as every file written here does,
  // is skimmed only as far as the families a command uses.
  auto found = std::make_shared<DocumentMembers>(document->text);
  TopMember first{};
  if (found->skim.Next(first) == TopLevelSkim::Step::Member && first.name == "schemaVersion") {
    found->found.push_back(first);
    WithOrigin(origin, [&] {
      const Tape tape =
          ParseTape(document->text.substr(first.begin, first.end - first.begin), "schemaVersion");
      CheckSchemaVersion(Node(tape, "schemaVersion"));
    });
    document->members = std::move(found);
    auto state = std::make_shared<State>();
    state->FindFamiliesIn(document);
    return state;
  }
  std::vector<TopMember> members;
  // The skim finds where the families are without reading them; what it does
  // not follow, the scanner checks, and what that does not read, the full
  // reader decides on, wording the error as always.
  if (!SkimTopLevel(document->text, members) && !ScanTopLevel(document->text, members))
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
