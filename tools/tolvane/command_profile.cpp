// tolvane profile add|list|show|remove

#include <unistd.h>

#include <algorithm>

#include "tessin/contracts/server_vendors.hpp"
#include "tessin/supports/sqlite/open_options.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/profile_secrets.hpp"
#include "tools/tolvane/profile_tree.hpp"

namespace Tolvane::Cli {

namespace {

using Providers::Contracts::ServerPtr;
using Providers::Contracts::ServerSetting;

struct ProfileArguments {
  std::string title;
  std::string file;
  std::string key;
  std::string user;
  std::string password;
  std::string group;
  std::string organization;
  std::string name;
};

// The profile file keeps groups and organizations only as they hold profiles;
// a new profile's group (and its organization) are made when missing.
void make_place(ServerSetting& setting, const std::string& group, const std::string& organization) {
  using Providers::Contracts::Organization;
  using Providers::Contracts::ServerGroup;
  if (group.empty()) {
    return;
  }
  auto has_group = [&group](const std::vector<std::shared_ptr<ServerGroup>>& groups) {
    return std::any_of(groups.begin(), groups.end(), [&group](const auto& g) { return g->get_name() == group; });
  };
  if (!organization.empty()) {
    auto& organizations = setting.get_organizations();
    auto found = std::find_if(organizations.begin(), organizations.end(),
                              [&organization](const auto& o) { return o->get_name() == organization; });
    if (found == organizations.end()) {
      organizations.push_back(Organization::with_name(organization));
      found = organizations.end() - 1;
    }
    if (!has_group((*found)->get_groups())) {
      (*found)->get_groups().push_back(ServerGroup::with_name(group));
    }
    return;
  }
  if (!has_group(setting.get_groups())) {
    setting.get_groups().push_back(ServerGroup::with_name(group));
  }
}

// A refusal from inside an update, told apart from the file's own errors.
constexpr const char* kRefused = "tolvane-profile";

int report_update(const Core::Status& updated, const std::string& file) {
  if (updated.error().domain == kRefused) {
    return report(Failure{kProfileFailure, updated.error().message});
  }
  return report(Failure{kProfileFailure, "cannot update profile file " + file + ": " + updated.error().message});
}

int add_profile(Session& session, const ProfileArguments& arguments) {
  auto setting = session.profiles();
  if (!setting) {
    return report(setting.error());
  }
  ServerPtr server = Providers::Contracts::Server::with_provider("SQLite");
  server->set_title(arguments.title);
  server->set_filename(Core::take_std(g_canonicalize_filename(arguments.file.c_str(), nullptr)));
  const std::string key = secret_or_env(arguments.key, "TOLVANE_KEY");
  if (!key.empty()) {
    server->set_options(Providers::Supports::SQLiteOpenOptions::key_piece(key));
  }
  server->set_username(arguments.user);
  server->set_password(secret_or_env(arguments.password, "TOLVANE_PASSWORD"));
  if (Core::Status sealed = seal_new_profile(*server); !sealed) {
    return report(Failure{kProfileFailure, "cannot encrypt the profile's secrets: " + sealed.error().message});
  }
  // Read, change and write under the file's lock: profiles other processes
  // add meanwhile are kept, and a title is taken only once.
  Core::Status updated = (*setting)->update([&](ServerSetting& fresh) -> Core::Status {
    if (find_in_tree(fresh, arguments.title)) {
      return Core::fail(kRefused, 0, "a profile titled \"" + arguments.title + "\" exists already");
    }
    make_place(fresh, arguments.group, arguments.organization);
    fresh.append(server, arguments.group, arguments.organization);
    return {};
  });
  if (!updated) {
    return report_update(updated, session.paths().profiles_file);
  }
  std::printf("added profile \"%s\" (%s) for %s\n", server->get_title().c_str(), server->get_uuid().c_str(),
              server->get_filename().c_str());
  return kSuccess;
}

int list_profiles(Session& session) {
  auto setting = session.profiles();
  if (!setting) {
    return report(setting.error());
  }
  bool any = false;
  // One walk over the tree: each line is written as its profile is met.
  for_each_profile(**setting, [&any](const ProfilePlace& place) {
    std::printf("%s\t%s\t%s\n", listed_name(place).c_str(), place.server->get_uuid().c_str(),
                place.server->get_filename().c_str());
    any = true;
    return true;
  });
  if (!any) {
    std::printf("no saved profiles (add one with `tolvane profile add TITLE FILE`)\n");
  }
  return kSuccess;
}

// Secrets are shown only as being set or not.
const char* masked(bool set) { return set ? "(set)" : "(none)"; }

int show_profile(Session& session, const std::string& name) {
  auto server = session.find_profile(name);
  if (!server) {
    return report(server.error());
  }
  const ServerPtr& s = *server;
  const auto key = options_key(s->get_options());
  // The key is its own line; the options show what else they hold.
  std::printf("title       %s\nuuid        %s\nprovider    %s\nfile        %s\noptions     %s\nkey         %s\n",
              s->get_title().c_str(), s->get_uuid().c_str(), s->get_provider().c_str(), s->get_filename().c_str(),
              without_options_key(s->get_options()).c_str(), masked(key && !key->empty()));
  std::printf("user        %s\npassword    %s\n", s->get_username().c_str(), masked(!s->get_password().empty()));
  if (s->get_ssh_using()) {
    std::printf("ssh         %s@%s -p %u via %s, password %s\n", s->get_ssh_username().c_str(), s->get_host().c_str(),
                static_cast<unsigned>(s->get_ssh_port()), s->get_ssh_process().c_str(),
                masked(!s->get_ssh_password().empty()));
  }
  return kSuccess;
}

int remove_profile(Session& session, const std::string& name) {
  auto setting = session.profiles();
  if (!setting) {
    return report(setting.error());
  }
  std::string title;
  Core::Status updated = (*setting)->update([&](ServerSetting& fresh) -> Core::Status {
    auto found = find_in_tree(fresh, name);
    if (!found) {
      return Core::fail(kRefused, 0, "no saved profile titled \"" + name + "\" or with that uuid");
    }
    title = (*found)->get_title();
    remove_from_tree(fresh, name);
    return {};
  });
  if (!updated) {
    return report_update(updated, session.paths().profiles_file);
  }
  std::printf("removed profile \"%s\"\n", title.c_str());
  return kSuccess;
}

}  // namespace

Runner add_profile_command(CLI::App& app) {
  auto arguments = std::make_shared<ProfileArguments>();
  CLI::App* command = app.add_subcommand("profile", "Manage saved connection profiles");
  command->footer(
      "Manage the saved connection profiles (the profile file, by default\n"
      "$XDG_CONFIG_HOME/tolvane/servers.json, readable by you only). Passwords and keys are stored\n"
      "encrypted for your user on this machine and are never printed.");
  command->require_subcommand(1);

  CLI::App* add = command->add_subcommand("add", "Save a profile for a database file");
  add->add_option("title", arguments->title, "Name of the profile")->required();
  add->add_option("file", arguments->file, "Database file")->required();
  add->add_option("--key", arguments->key,
                  "Encryption key of the database, stored in the profile (default: $TOLVANE_KEY)");
  add->add_option("--user", arguments->user, "User name for databases that require a login");
  add->add_option("--password", arguments->password,
                  "Password for that user, stored in the profile (default: $TOLVANE_PASSWORD)");
  add->add_option("--group", arguments->group, "Put the profile into this server group (made when missing)");
  add->add_option("--org", arguments->organization, "Put the group inside this organization (made when missing)");

  CLI::App* list = command->add_subcommand(
      "list", "List saved profiles: name (organization/group/title), uuid, file; every command takes the name");
  CLI::App* show = command->add_subcommand("show", "Show one profile");
  show->add_option("profile", arguments->name, "Title, uuid, or the name `profile list` shows")->required();
  CLI::App* remove = command->add_subcommand("remove", "Remove one profile");
  remove->add_option("profile", arguments->name, "Title, uuid, or the name `profile list` shows")->required();

  return [=](Session& session) {
    if (add->parsed()) {
      return add_profile(session, *arguments);
    }
    if (list->parsed()) {
      return list_profiles(session);
    }
    if (show->parsed()) {
      return show_profile(session, arguments->name);
    }
    if (remove->parsed()) {
      return remove_profile(session, arguments->name);
    }
    return -1;
  };
}

}  // namespace Tolvane::Cli
