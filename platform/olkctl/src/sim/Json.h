// Strict reading and writing of the host's JSON state. Included only by the
// state layer and the family mappings, never by the plug-in.
#pragma once

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

namespace OlkCtl::Sim {

using Json = nlohmann::ordered_json;

// A JSON value at a known place ("devices[3].size"). Wrong types and, through
// Done(), unknown keys throw StateError naming the place.
class Node {
public:
  Node(const Json &value, std::string place) : value_(&value), place_(std::move(place)) {}

  const Json &Value() const { return *value_; }
  const std::string &Place() const { return place_; }
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
  const Json *value_;
  std::string place_;
  mutable std::vector<std::string> used_;
};

// One declaration of a record's JSON members serves loading, saving and
// validation. Members absent from a document keep the record's default; members
// equal to the default of a fresh record are still written, so files stay
// self-describing.
template <class R> class Mapping {
public:
  template <class T> Mapping &Member(const char *key, T R::*member) {
    entries_.push_back(Entry{key,
                             [member](const Node &n, R &r) { Read(n, r.*member); },
                             [member](const R &r, Json &j) { j = r.*member; }});
    return *this;
  }
  // A nested record with its own mapping.
  template <class S> Mapping &Nested(const char *key, S R::*member, const Mapping<S> &sub) {
    entries_.push_back(Entry{key,
                             [member, sub](const Node &n, R &r) { sub.Load(n, r.*member); },
                             [member, sub](const R &r, Json &j) { j = sub.Save(r.*member); }});
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
  template <class T> static std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>> Read(const Node &n, T &v) {
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
