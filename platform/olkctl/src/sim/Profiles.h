// The built-in host profiles, compiled into the library from the fragments
// under platform/olkctl/profiles/<profile>/*.json (EmbedProfiles.cmake).
#pragma once

#include <string_view>
#include <vector>

namespace OlkCtl::Sim {

struct ProfileFragment {
  std::string_view profile; // directory name: the profile's name
  std::string_view file;    // fragment file name, for errors
  std::string_view text;
};

// Every fragment of every profile, sorted by profile and file name.
const std::vector<ProfileFragment> &EmbeddedProfileFragments();

} // namespace OlkCtl::Sim
