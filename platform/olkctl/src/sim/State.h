// The simulated host's state: one record set per family. A family's records,
// JSON mapping and indexes live in family/<Family>.{h,cpp}; its operations live
// in ../api/<Family>*.cpp; OLKCTL_SIM_FAMILIES below lists it once.
#pragma once

#include "family/Adapters.h"
#include "family/ClaimRules.h"
#include "family/Devices.h"
#include "family/Faults.h"
#include "family/Fpin.h"
#include "family/Hpp.h"
#include "family/Hwac.h"
#include "family/IOFilters.h"
#include "family/KFlash.h"
#include "family/Nas.h"
#include "family/Nmp.h"
#include "family/Paths.h"
#include "family/Plugins.h"
#include "family/San.h"
#include "family/Smart.h"
#include "family/System.h"
#include "family/Volumes.h"
#include "family/Worlds.h"
#include "family/Xvol.h"

#include <olkctl/sim/HostControl.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace OlkCtl::Sim {

// Raised whenever the document's shape changes incompatibly.
constexpr int kSchemaVersion = 1;

// Every family of a host, in the order a document is written: X(type, name).
// `name` is the document member and the State accessor. A family type has a
// Reindex() and, declared beside it, LoadFamily(const Node &, Type &) and
// SaveFamily(const Type &).
#define OLKCTL_SIM_FAMILIES(X)                                                                               \
  X(SystemFamily, system)                                                                                    \
  X(FaultFamily, faults)                                                                                     \
  X(AdapterFamily, adapters)                                                                                 \
  X(DeviceFamily, devices)                                                                                   \
  X(PathFamily, paths)                                                                                       \
  X(ClaimRuleFamily, claimRules)                                                                             \
  X(WorldFamily, worlds)                                                                                     \
  X(XvolFamily, xvol)                                                                                        \
  X(SmartFamily, smart)                                                                                      \
  X(HwacFamily, hwac)                                                                                        \
  X(PluginFamily, plugins)                                                                                   \
  X(HppFamily, hpp)                                                                                          \
  X(DetachedFamily, detachedDevices)                                                                         \
  X(SanFamily, san)                                                                                          \
  X(FpinFamily, fpin)                                                                                        \
  X(VolumeFamily, volumes)                                                                                   \
  X(NasFamily, nas)                                                                                          \
  X(NmpFamily, nmp)                                                                                          \
  X(IOFilterFamily, ioFilters)                                                                               \
  X(KFlashFamily, kflash)

class DocumentMembers; // State.cpp

// A host document's text, kept while some family of it has not been read.
struct SourceDocument {
  std::string_view text; // in `bytes`
  std::string origin;    // starts every error message
  std::unique_ptr<char[]> bytes;
  // The top-level members found so far, when families find their part of the
  // text as they are first used.
  std::shared_ptr<DocumentMembers> members;
};

// A family that is read from its part of the document when first used, so
// that a command pays only for the families it touches. Safe to use from
// several threads; a part that does not validate throws StateError at every
// use, and a state with such a family is never saved.
template <class F> class LazyFamily {
public:
  LazyFamily() = default;
  LazyFamily(const LazyFamily &other)
      : source_(other.source_), begin_(other.begin_), end_(other.end_), find_(other.find_) {
    if (other.loaded_.load(std::memory_order_acquire))
      Set(other.value_);
  }
  LazyFamily &operator=(const LazyFamily &) = delete;

  // Reads the family from text[begin, end) of `source` when first used.
  void SetSource(std::shared_ptr<const SourceDocument> source, std::size_t begin, std::size_t end) {
    source_ = std::move(source);
    begin_ = begin;
    end_ = end;
    find_ = false;
  }
  // Finds the family's part of `source` (through its members) when first used.
  void SetDocument(std::shared_ptr<const SourceDocument> source) {
    source_ = std::move(source);
    find_ = true;
  }
  void Set(F value) {
    value_ = std::move(value);
    std::call_once(once_, [] {});
    loaded_.store(true, std::memory_order_release);
  }
  const F &Get(const char *name) const {
    std::call_once(once_, [&] { Load(name); });
    return value_;
  }
  F &Get(const char *name) {
    std::as_const(*this).Get(name);
    return value_;
  }
  bool Loaded() const { return loaded_.load(std::memory_order_acquire); }
  // What the family's text came from ("<memory>", a file name); null when none.
  const std::string *Origin() const { return source_ ? &source_->origin : nullptr; }

private:
  // Defined in State.cpp for every family of the table.
  void Load(const char *name) const;

  mutable std::once_flag once_;
  mutable std::atomic<bool> loaded_{false};
  mutable F value_;
  mutable std::shared_ptr<const SourceDocument> source_; // none: the family is empty
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool find_ = false;
};

class State {
public:
  int schemaVersion = kSchemaVersion;

// A type argument cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define OLKCTL_SIM_ACCESSOR(Type, id)                                                                        \
  const Type &id() const {                                                                                   \
    return id##_.Get(#id);                                                                                   \
  }                                                                                                          \
  Type &id() {                                                                                               \
    return id##_.Get(#id);                                                                                   \
  }                                                                                                          \
  LazyFamily<Type> &id##Slot() {                                                                             \
    return id##_;                                                                                            \
  }
  // NOLINTEND(bugprone-macro-parentheses)
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_ACCESSOR)
#undef OLKCTL_SIM_ACCESSOR

  // Reads every family not read yet: the whole document is validated. Throws
  // StateError for the first one that does not validate.
  void LoadAll() const;

  // Families find their part of `document` when first used; LoadAll reads the
  // rest of its top level too.
  void FindFamiliesIn(const std::shared_ptr<const SourceDocument> &document);

  // Checks what one family says about another's records (entries keyed by a
  // device the host does not have): StateError, without the origin, for the
  // first problem. A family takes part by declaring, beside its LoadFamily,
  // CheckFamilyReferences(const State &, const Type &).
  void CheckReferences() const;

  // After devices left the host: families whose entries belong to devices
  // (declaring ForgetFamilyDevices(const State &, Type &)) drop theirs.
  // Reindexes first.
  void ForgetRemovedDevices();

  // Rebuilds the look-up indexes of the families read so far; called after
  // every change.
  void Reindex();

private:
#define OLKCTL_SIM_MEMBER(Type, id) LazyFamily<Type> id##_;
  OLKCTL_SIM_FAMILIES(OLKCTL_SIM_MEMBER)
#undef OLKCTL_SIM_MEMBER
  std::shared_ptr<const SourceDocument> document_; // with members still to find
};

} // namespace OlkCtl::Sim
