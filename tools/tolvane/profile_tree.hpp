#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tessin/contracts/server_setting.hpp"

namespace Tolvane::Cli {

// A profile where the tree holds it: the list it is in, and the names of its
// group and organization ("" outside any).
struct ProfilePlace {
  const Providers::Contracts::ServerPtr& server;
  std::vector<Providers::Contracts::ServerPtr>& list;
  std::string_view group;
  std::string_view organization;
};

// Every profile of the tree in `unite_servers` order, each visited once with
// its place: one pass, however many profiles there are. `visit` returns false
// to stop.
void for_each_profile(Providers::Contracts::ServerSetting& setting,
                      const std::function<bool(const ProfilePlace&)>& visit);

// The name `profile list` shows: "organization/group/title", "group/title" or
// the title alone.
std::string listed_name(const ProfilePlace& place);

// The profile whose title, uuid or listed name is `name` (titles and uuids
// first, so a title holding '/' is still found by itself).
std::optional<Providers::Contracts::ServerPtr> find_in_tree(Providers::Contracts::ServerSetting& setting,
                                                            const std::string& name);

// Removes the profile found by `name`; false when there is none.
bool remove_from_tree(Providers::Contracts::ServerSetting& setting, const std::string& name);

}  // namespace Tolvane::Cli
