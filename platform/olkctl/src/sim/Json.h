// Strict reading and writing of the host's JSON state. Included only by the
// state layer and the family mappings, never by the plug-in.
#pragma once

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace OlkCtl::Sim {

using Json = nlohmann::ordered_json;

// A parsed document in compact form, as the host is read from a file: one
// 16-byte entry per value and per member key, in document order, and one buffer
// for every text (member names stored once). A nlohmann tree of a host takes
// several times the file's size and most of the time to load it.
class Tape {
public:
  enum class Kind : uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Key, Object, Array };
  struct Span {
    uint32_t offset;
    uint32_t length;
  };
  struct Entry {
    Kind kind;
    uint32_t end; // the entry after this value (for containers, after their last member)
    union {
      bool boolean;
      int64_t integer; // Integer: negative numbers
      uint64_t unsignedInteger;
      double number;
      Span text;      // String, Key
      uint32_t count; // Object: members; Array: elements
    };
  };

  std::vector<Entry> entries; // entries[0] is the document's value
  std::string texts;

  std::string_view Text(const Entry &entry) const {
    return {texts.data() + entry.text.offset, entry.text.length};
  }
};

// Strict JSON into a tape: a syntax error fails with "line L, column C: ..."
// and a member given twice in one object fails with its place (StateError).
// `place` names the text's value in a larger document ("devices"), so that
// places read as they would in the whole document.
Tape ParseTape(std::string_view text, std::string_view place = {});

// A member of a document's top-level object: its name and the byte range of
// its value in the document's text.
struct TopMember {
  std::string_view name;
  std::size_t begin;
  std::size_t end;
};

// Checks that `text` is a JSON object of the plain shape host files have
// (ASCII text and member names without escapes) without building anything, and
// lists its members in document order. Returns false when the text is not
// such an object or not valid JSON at all: ParseTape then decides, and gives
// the message. `lenient` is for a text ParseTape has accepted: any string
// then passes, and member names keep their escapes.
bool ScanTopLevel(std::string_view text, std::vector<TopMember> &members, bool lenient = false);

// Finds the top-level members of a host file without checking their values:
// only the brackets outside strings are followed, many bytes at a time. Each
// value is checked when its family is first read (ParseTape). Returns false
// for anything it does not follow (escapes in top-level names or strings,
// unbalanced brackets, a top level that is not an object); ScanTopLevel then
// decides.
bool SkimTopLevel(std::string_view text, std::vector<TopMember> &members);

// The same skim, one member at a time: it reads the text only as far as the
// member returned, so a command that needs an early family does not pay for the
// rest of the file. Unfollowed: the text is not what the skim follows (as
// SkimTopLevel's false), from that member on; End: the top level closed and
// the whole text was followed.
class TopLevelSkim {
public:
  enum class Step { Member, End, Unfollowed };

  explicit TopLevelSkim(std::string_view text) : text_(text) {}
  Step Next(TopMember &member);

private:
  struct Range {
    std::size_t begin, end;
  };
  // Follows brackets until the container value `index` has closed (all of
  // the text for SIZE_MAX); false when they do not balance.
  bool Classify(std::size_t index);
  void SkipBlanks();
  Step Fail() { return failed_ = true, Step::Unfollowed; }

  std::string_view text_;
  // Brackets: the ranges of the containers that are top-level values.
  std::vector<Range> values_;
  std::size_t block_ = 0; // the next 64-byte block to classify
  int depth_ = 0;
  std::size_t valueBegin_ = 0;
  uint64_t inString_ = 0; // all ones while a string runs on from the last block
  bool escapeCarry_ = false;
  bool classified_ = false; // all of the text
  // The top level itself, jumping over the container values.
  std::size_t at_ = 0;
  std::size_t next_ = 0; // the next container value
  bool opened_ = false;
  bool failed_ = false;
  bool ended_ = false;
};

// A value of a tape, with the part of nlohmann's interface the family
// mappings use to look at a value before reading it.
class TapeValue {
public:
  TapeValue(const Tape &tape, uint32_t index) : tape_(&tape), index_(index) {}

  Tape::Kind Kind() const { return Entry().kind; }
  bool is_null() const { return Kind() == Tape::Kind::Null; }
  bool is_object() const { return Kind() == Tape::Kind::Object; }
  bool is_array() const { return Kind() == Tape::Kind::Array; }
  bool is_string() const { return Kind() == Tape::Kind::String; }
  bool is_boolean() const { return Kind() == Tape::Kind::Boolean; }
  bool is_number_integer() const { return Kind() == Tape::Kind::Integer || Kind() == Tape::Kind::Unsigned; }
  bool is_number_unsigned() const { return Kind() == Tape::Kind::Unsigned; }
  bool is_number_float() const { return Kind() == Tape::Kind::Float; }
  // Members of an object, elements of an array, 0 for null, else 1.
  std::size_t size() const;
  // The i-th element of an array.
  TapeValue operator[](std::size_t i) const;

  // The members of an object in document order (nothing for other values).
  class iterator {
  public:
    iterator(const Tape &tape, uint32_t keyIndex) : tape_(&tape), at_(keyIndex) {}
    std::string key() const { return std::string(tape_->Text(tape_->entries[at_])); }
    TapeValue value() const { return TapeValue(*tape_, at_ + 1); }
    iterator &operator++() {
      at_ = tape_->entries[at_ + 1].end;
      return *this;
    }
    bool operator==(const iterator &other) const { return at_ == other.at_; }
    bool operator!=(const iterator &other) const { return at_ != other.at_; }

  private:
    const Tape *tape_;
    uint32_t at_;
  };
  iterator begin() const { return iterator(*tape_, is_object() ? index_ + 1 : Entry().end); }
  iterator end() const { return iterator(*tape_, Entry().end); }

  const Tape::Entry &Entry() const { return tape_->entries[index_]; }
  uint32_t Index() const { return index_; }

private:
  const Tape *tape_;
  uint32_t index_;
};

// A JSON value at a known place ("devices[3].size"). Wrong types and, through
// Done(), unknown keys throw StateError naming the place. A node refers to its
// parent for its place, which is composed only for an error: a node must not
// outlive the node it came from.
class Node {
public:
  // The document's top level, or the value at `place` when the tape holds a
  // part of a larger document.
  explicit Node(const Tape &tape, std::string_view place = {}) : tape_(&tape), index_(0), rootPlace_(place) {}

  TapeValue Value() const { return TapeValue(*tape_, index_); }
  std::string Place() const;
  [[noreturn]] void Fail(const std::string &problem) const;

  bool Has(const char *key) const;
  // The member `key` of this object; a missing member fails.
  Node Field(const char *key) const;

  std::string AsString() const;
  int64_t AsInt() const;
  uint64_t AsUInt() const;
  bool AsBool() const;
  std::vector<std::string> AsStringList() const;

  // Calls fn(Node) for each element of this array.
  void Each(const std::function<void(const Node &)> &fn) const;
  // Fails when this object has a member that was never asked for (Has/Field).
  void Done() const;

private:
  Node(const Node &parent, uint32_t index, Tape::Span key, uint32_t element)
      : tape_(parent.tape_), index_(index), parent_(&parent), key_(key), element_(element) {}
  const Tape::Entry &Entry() const { return tape_->entries[index_]; }
  void RequireObject() const;
  // The key entry of member `key`, or 0 when there is none. Members are
  // usually asked for in the order they were written, so the search starts
  // after the last member found.
  uint32_t Find(std::string_view key) const;
  void MarkUsed(uint32_t member) const;
  bool IsUsed(uint32_t member) const;

  const Tape *tape_;
  uint32_t index_;
  const Node *parent_ = nullptr; // null at the top level
  std::string_view rootPlace_;   // the top level's place, when it has one
  Tape::Span key_{0, 0};         // the member name that leads here, when the parent is an object
  uint32_t element_ = 0;         // the element number that leads here, when the parent is an array
  mutable uint32_t cursorMember_ = 0;
  mutable uint32_t cursorKey_ = 0; // key entry of member cursorMember_; 0 before the first search
  mutable uint64_t used_ = 0;      // members asked for, the first 64
  mutable std::vector<bool> usedMore_;
};

// One declaration of a record's JSON members serves loading, saving and
// validation. Members absent from a document keep the record's default; members
// equal to the default of a fresh record are still written, so files stay
// self-describing.
template <class R> class Mapping {
public:
  template <class T> Mapping &Member(const char *key, T R::*member) {
    entries_.push_back(Entry{key, [member](const Node &n, R &r) { Read(n, r.*member); },
                             [member](const R &r, Json &j) { j = r.*member; }});
    return *this;
  }
  // A nested record with its own mapping.
  template <class S> Mapping &Nested(const char *key, S R::*member, const Mapping<S> &sub) {
    entries_.push_back(Entry{key, [member, sub](const Node &n, R &r) { sub.Load(n, r.*member); },
                             [member, sub](const R &r, Json &j) { j = sub.Save(r.*member); }});
    return *this;
  }

  // An array of nested records with their own mapping.
  template <class S> Mapping &List(const char *key, std::vector<S> R::*member, const Mapping<S> &sub) {
    entries_.push_back(Entry{key, [member, sub](const Node &n, R &r) { r.*member = sub.LoadList(n); },
                             [member, sub](const R &r, Json &j) { j = sub.SaveList(r.*member); }});
    return *this;
  }

  void Load(const Node &node, R &record) const {
    if (!node.Value().is_object())
      node.Fail("expected an object");
    for (const Entry &e : entries_)
      if (node.Has(e.key))
        e.load(node.Field(e.key), record);
    node.Done();
  }
  Json Save(const R &record) const {
    Json j = Json::object();
    for (const Entry &e : entries_)
      e.save(record, j[e.key]);
    return j;
  }
  // Loads every element of an array of such records.
  std::vector<R> LoadList(const Node &node) const {
    std::vector<R> out;
    if (!node.Value().is_array())
      node.Fail("expected an array");
    out.reserve(node.Value().size());
    node.Each([&](const Node &element) {
      out.emplace_back();
      Load(element, out.back());
    });
    return out;
  }
  Json SaveList(const std::vector<R> &records) const {
    Json j = Json::array();
    for (const R &r : records)
      j.push_back(Save(r));
    return j;
  }

private:
  struct Entry {
    const char *key;
    std::function<void(const Node &, R &)> load;
    std::function<void(const R &, Json &)> save;
  };

  static void Read(const Node &n, std::string &v) { v = n.AsString(); }
  static void Read(const Node &n, bool &v) { v = n.AsBool(); }
  static void Read(const Node &n, std::vector<std::string> &v) { v = n.AsStringList(); }
  template <class T>
  static std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>> Read(const Node &n, T &v) {
    if constexpr (std::is_signed_v<T>) {
      int64_t x = n.AsInt();
      if (x < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
          x > static_cast<int64_t>(std::numeric_limits<T>::max()))
        n.Fail("integer out of range");
      v = static_cast<T>(x);
    } else {
      uint64_t x = n.AsUInt();
      if (x > static_cast<uint64_t>(std::numeric_limits<T>::max()))
        n.Fail("integer out of range");
      v = static_cast<T>(x);
    }
  }

  std::vector<Entry> entries_;
};

} // namespace OlkCtl::Sim
