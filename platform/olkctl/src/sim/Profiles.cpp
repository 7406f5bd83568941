#include "sim/Profiles.h"

#include "sim/Document.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <map>

namespace OlkCtl::Sim {

namespace {
// Members in the order a document is written, so a profile reads like a saved host.
const char *const kMemberOrder[] = {"schemaVersion", "system", "faults",    "adapters",
                                    "devices",       "paths",  "claimRules"};
} // namespace

std::vector<std::string> ProfileNames() {
  std::vector<std::string> names;
  for (const ProfileFragment &f : EmbeddedProfileFragments())
    if (std::find(names.begin(), names.end(), f.profile) == names.end())
      names.emplace_back(f.profile);
  std::sort(names.begin(), names.end());
  return names;
}

std::string JoinProfileFragments(const std::string &profileName,
                                 const std::vector<std::pair<std::string, std::string>> &fragments) {
  const std::string origin = "profile \"" + profileName + "\"";
  Json joined = Json::object();
  std::map<std::string, std::string> from; // member -> fragment that brought it
  for (const auto &[file, text] : fragments) {
    Json fragment;
    try {
      fragment = ParseJson(text);
    } catch (const StateError &e) {
      throw StateError(origin + ": " + file + ": " + e.what());
    }
    if (!fragment.is_object())
      throw StateError(origin + ": " + file + ": top level: expected an object");
    for (auto it = fragment.begin(); it != fragment.end(); ++it) {
      auto [at, fresh] = from.emplace(it.key(), file);
      if (!fresh)
        throw StateError(origin + ": member \"" + it.key() + "\" is in both " + at->second + " and " + file);
      joined[it.key()] = std::move(it.value());
    }
  }
  Json ordered = Json::object();
  for (const char *member : kMemberOrder)
    if (joined.contains(member))
      ordered[member] = std::move(joined[member]);
  for (auto it = joined.begin(); it != joined.end(); ++it)
    if (!ordered.contains(it.key()))
      ordered[it.key()] = std::move(it.value());
  return ordered.dump(2) + "\n";
}

std::string ProfileJson(const std::string &profileName) {
  std::vector<std::pair<std::string, std::string>> fragments;
  for (const ProfileFragment &f : EmbeddedProfileFragments())
    if (f.profile == profileName)
      fragments.emplace_back(std::string(f.file), std::string(f.text));
  if (fragments.empty()) {
    std::string known;
    for (const std::string &name : ProfileNames())
      known += (known.empty() ? "" : ", ") + name;
    throw StateError("unknown profile \"" + profileName + "\" (built-in profiles: " + known + ")");
  }
  return JoinProfileFragments(profileName, fragments);
}

} // namespace OlkCtl::Sim
