#include "tools/tolvane/profile_tree.hpp"

#include <algorithm>
#include <optional>

namespace Tolvane::Cli {

using Providers::Contracts::ServerPtr;
using Providers::Contracts::ServerSetting;

void for_each_profile(ServerSetting& setting, const std::function<bool(const ProfilePlace&)>& visit) {
  auto visit_list = [&visit](std::vector<ServerPtr>& list, std::string_view group, std::string_view organization) {
    for (const ServerPtr& server : list) {
      if (server && !visit(ProfilePlace{server, list, group, organization})) {
        return false;
      }
    }
    return true;
  };
  for (const auto& organization : setting.get_organizations()) {
    if (!organization) {
      continue;
    }
    for (const auto& group : organization->get_groups()) {
      if (group && !visit_list(group->get_servers(), group->get_name(), organization->get_name())) {
        return;
      }
    }
  }
  for (const auto& group : setting.get_groups()) {
    if (group && !visit_list(group->get_servers(), group->get_name(), "")) {
      return;
    }
  }
  visit_list(setting.get_servers(), "", "");
}

std::string listed_name(const ProfilePlace& place) {
  std::string name;
  if (!place.organization.empty()) {
    name.append(place.organization).push_back('/');
  }
  if (!place.group.empty()) {
    name.append(place.group).push_back('/');
  }
  return name.append(place.server->get_title());
}

namespace {

// The place of the profile `name` picks, handed to `use` while the tree holds it.
bool with_place(ServerSetting& setting, const std::string& name, const std::function<void(const ProfilePlace&)>& use) {
  bool found = false;
  auto search = [&](auto&& matches) {
    for_each_profile(setting, [&](const ProfilePlace& place) {
      if (!matches(place)) {
        return true;
      }
      use(place);
      found = true;
      return false;
    });
  };
  search([&name](const ProfilePlace& place) {
    return place.server->get_title() == name || place.server->get_uuid() == name;
  });
  if (!found && name.find('/') != std::string::npos) {
    search([&name](const ProfilePlace& place) { return listed_name(place) == name; });
  }
  return found;
}

}  // namespace

std::optional<ServerPtr> find_in_tree(ServerSetting& setting, const std::string& name) {
  std::optional<ServerPtr> result;
  with_place(setting, name, [&result](const ProfilePlace& place) { result = place.server; });
  return result;
}

bool remove_from_tree(ServerSetting& setting, const std::string& name) {
  // Removed after the walk, which must not see its list change under it.
  std::vector<ServerPtr>* list = nullptr;
  ServerPtr server;
  with_place(setting, name, [&list, &server](const ProfilePlace& place) {
    list = &place.list;
    server = place.server;
  });
  if (list == nullptr) {
    return false;
  }
  list->erase(std::find(list->begin(), list->end(), server));
  setting.signal_changed().emit();
  return true;
}

}  // namespace Tolvane::Cli
