// What every san command shares: its --adapter parameter, the choice of the
// adapters it acts on, and the counter fields of its statistics views.
#pragma once

#include "frame/Command.h"
#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace TarvexCli::SanNamespace {

inline constexpr const char *kInvalidAdapter = "Invalid adapter specified or unable to get adapter.";

inline void AddAdapterParam(const Frame::InputSpecPtr &spec, Frame::Presence presence,
                            const char *description) {
  Frame::AddParam(spec, "adapter", "A", CliKit::CallSpec::ParameterType::String, presence, description);
}

// "Adapter" and the counter names of {name, member} pairs, comma-separated:
// the default fields of a statistics view.
template <class Counters> std::string StatsFields(const char *first, const Counters &counters) {
  std::string fields = first;
  for (const auto &counter : counters)
    fields += std::string(",") + counter.first;
  return fields;
}

// A statistics row: the adapter's name field, then one unsigned field per counter.
template <class Counters>
Frame::MetaStructPtr StatsTemplate(const char *structName, const char *nameField, const Counters &counters) {
  auto row = Frame::NewTemplate(structName, {{nameField, Frame::FieldType::String}});
  for (const auto &counter : counters)
    row->SetField(counter.first, Frame::MetaInt::NewUnsigned());
  return row;
}

template <class Counters, class Stats>
void SetCounters(Frame::MetaStruct &row, const Counters &counters, const Stats &stats) {
  for (const auto &[field, member] : counters)
    row.SetField(field, stats.*member);
}

// The --adapter value of a listing; none when it was not given (all adapters).
inline std::optional<std::string> WantedAdapter(const Frame::InputPtr &input) {
  if (!input->HasParameter("adapter"))
    return std::nullopt;
  return input->GetParameter("adapter");
}

// Walks the adapters in host order: without a wanted name calls
// addEntries(adapter) for each; with one, only for adapters of exactly that
// name, stopping at the first whose addEntries returns true (it yielded
// entries). Returns false when a non-empty name matched no adapter at all.
template <class Adapter, class AddEntries>
bool ForSelectedAdapters(const std::vector<std::unique_ptr<Adapter>> &adapters,
                         const std::optional<std::string> &wanted, const AddEntries &addEntries) {
  bool found = false;
  for (const auto &adapter : adapters) {
    if (!adapter)
      continue;
    if (!wanted) {
      addEntries(*adapter);
    } else if (adapter->GetName() == *wanted) {
      found = true;
      if (addEntries(*adapter))
        return true;
    }
  }
  return found || !wanted || wanted->empty();
}

// A listing: the list of the selected adapters' entries, or the error
// `context` + the host's message with no list (entries added so far are
// discarded with it).
template <class Fetch, class AddEntries>
void RunListing(const Frame::InputPtr &input, const Frame::OutputPtr &output,
                const Frame::MetaStructPtr &rowTemplate, const char *context, const Fetch &fetch,
                const AddEntries &addEntries) {
  const std::optional<std::string> wanted = WantedAdapter(input);
  auto result = Frame::NewRowList(rowTemplate);
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    const auto adapters = fetch(storage);
    const bool matched = ForSelectedAdapters(adapters, wanted, [&](auto &adapter) {
      addEntries(adapter, *result);
      return true;
    });
    if (!matched) {
      output->AddErrorMessage(kInvalidAdapter);
      return;
    }
    output->SetRootObject(result);
  } catch (const HostCtl::Lib::HostCtlException &e) {
    Frame::AddHostError(output, context, e);
  }
}

// An action on the first adapter named exactly --adapter: act(adapter) once,
// then true. No such adapter: `noneFound` for an empty name, else the
// invalid-adapter message. Host failures: `context` + the host's message.
template <class Fetch, class Act>
void RunAction(const Frame::InputPtr &input, const Frame::OutputPtr &output, const char *context,
               const char *noneFound, const Fetch &fetch, const Act &act) {
  const std::string name = input->GetParameter("adapter");
  try {
    OlkCtl::Storage::StorageInfoImpl storage;
    const auto adapters = fetch(storage);
    for (const auto &adapter : adapters) {
      if (adapter && adapter->GetName() == name) {
        act(*adapter);
        Frame::SetTrueResult(output);
        return;
      }
    }
    output->AddErrorMessage(name.empty() ? noneFound : kInvalidAdapter);
  } catch (const HostCtl::Lib::HostCtlException &e) {
    Frame::AddHostError(output, context, e);
  }
}

} // namespace TarvexCli::SanNamespace
