#include "sim/Profiles.h"

#include "sim/Document.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <string_view>

namespace OlkCtl::Sim {

namespace {

// Members in the order a document is written, so a profile reads like a saved host.
const std::vector<std::string_view> &MemberOrder() {
  static const std::vector<std::string_view> order = {"schemaVersion",
#define OLKCTL_SIM_NAME(Type, id) #id,
                                                      OLKCTL_SIM_FAMILIES(OLKCTL_SIM_NAME)
#undef OLKCTL_SIM_NAME
  };
  return order;
}

// The top-level members of a fragment; StateError without the profile's name.
std::vector<TopMember> FragmentMembers(std::string_view text) {
  std::vector<TopMember> members;
  if (!ScanTopLevel(text, members)) {
    // Not plain: the full reader words what is wrong, if anything is.
    const Tape tape = ParseTape(text);
    if (tape.entries[0].kind != Tape::Kind::Object)
      throw StateError("top level: expected an object");
    if (!ScanTopLevel(text, members, true))
      throw StateError("top level: nested too deeply");
  }
  for (size_t i = 0; i < members.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (members[j].name == members[i].name)
        throw StateError("top level: member \"" + std::string(members[i].name) + "\" appears twice");
  return members;
}

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
  struct Joined {
    std::string_view name;
    std::string_view value; // the member's text in its fragment
    const std::string *file;
  };
  std::vector<Joined> joined;
  for (const auto &[file, text] : fragments) {
    std::vector<TopMember> members;
    try {
      members = FragmentMembers(text);
    } catch (const StateError &e) {
      throw StateError(origin + ": " + file + ": " + e.what());
    }
    for (const TopMember &member : members) {
      for (const Joined &other : joined)
        if (other.name == member.name)
          throw StateError(origin + ": member \"" + std::string(member.name) + "\" is in both " +
                           *other.file + " and " + file);
      joined.push_back(
          {member.name, std::string_view(text).substr(member.begin, member.end - member.begin), &file});
    }
  }
  // The known members first, in their order, then the rest as they came. A
  // fragment is indented as the document is, so its text is kept as it is.
  std::vector<const Joined *> ordered;
  for (std::string_view name : MemberOrder())
    for (const Joined &member : joined)
      if (member.name == name)
        ordered.push_back(&member);
  for (const Joined &member : joined)
    if (std::find(MemberOrder().begin(), MemberOrder().end(), member.name) == MemberOrder().end())
      ordered.push_back(&member);
  if (ordered.empty())
    return "{}\n";
  std::string document = "{";
  for (const Joined *member : ordered) {
    document += document.size() == 1 ? "\n  \"" : ",\n  \"";
    document += member->name;
    document += "\": ";
    document += member->value;
  }
  document += "\n}\n";
  return document;
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
