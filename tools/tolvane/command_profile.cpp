// tolvane profile add|list|show|remove

#include <unistd.h>

#include <algorithm>

#include "tessin/contracts/server_vendors.hpp"
#include "tools/tolvane/commands.hpp"

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

// Where a profile sits in the tree, as `remove` needs it.
struct Place {
  std::string group;
  std::string organization;
};

std::optional<Place> place_of(const ServerSetting& setting, const ServerPtr& server) {
  for (const auto& organization : setting.get_organizations()) {
    for (const auto& group : organization->get_groups()) {
      for (const auto& held : group->get_servers()) {
        if (held == server) {
          return Place{group->get_name(), organization->get_name()};
        }
      }
    }
  }
  for (const auto& group : setting.get_groups()) {
    for (const auto& held : group->get_servers()) {
      if (held == server) {
        return Place{group->get_name(), ""};
      }
    }
  }
  for (const auto& held : setting.get_servers()) {
    if (held == server) {
      return Place{"", ""};
    }
  }
  return std::nullopt;
}

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

Outcome<void> save(ServerSetting& setting, const std::string& file) {
  if (Core::Status saved = setting.save(); !saved) {
    return std::unexpected(Failure{kProfileFailure, "cannot write profile file " + file + ": " + saved.error().message});
  }
  return {};
}

int add_profile(Session& session, const ProfileArguments& arguments) {
  auto setting = session.profiles();
  if (!setting) {
    return report(setting.error());
  }
  if (session.find_profile(arguments.title)) {
    return report(Failure{kProfileFailure, "a profile titled \"" + arguments.title + "\" exists already"});
  }
  ServerPtr server = Providers::Contracts::Server::with_provider("SQLite");
  server->set_title(arguments.title);
  gchar* absolute = g_canonicalize_filename(arguments.file.c_str(), nullptr);
  server->set_filename(absolute);
  g_free(absolute);
  const std::string key = secret_or_env(arguments.key, "TOLVANE_KEY");
  if (auto bad = check_key(key)) {
    return report(*bad);
  }
  if (!key.empty()) {
    server->set_options("PASSWORD=" + key);
  }
  server->set_username(arguments.user);
  server->set_password(secret_or_env(arguments.password, "TOLVANE_PASSWORD"));
  make_place(**setting, arguments.group, arguments.organization);
  (*setting)->append(server, arguments.group, arguments.organization);
  if (auto saved = save(**setting, session.paths().profiles_file); !saved) {
    return report(saved.error());
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
  auto servers = (*setting)->unite_servers();
  if (servers.empty()) {
    std::printf("no saved profiles (add one with `tolvane profile add TITLE FILE`)\n");
    return kSuccess;
  }
  for (const ServerPtr& server : servers) {
    auto place = place_of(**setting, server);
    std::string where;
    if (place && !place->organization.empty()) {
      where = place->organization + "/";
    }
    if (place && !place->group.empty()) {
      where += place->group + "/";
    }
    std::printf("%s%s\t%s\t%s\n", where.c_str(), server->get_title().c_str(), server->get_uuid().c_str(),
                server->get_filename().c_str());
  }
  return kSuccess;
}

// Secrets are shown only as being set or not.
std::string masked(const std::string& secret) { return secret.empty() ? "(none)" : "(set)"; }

std::string masked_options(const std::string& options) {
  const std::size_t at = options.find("PASSWORD=");
  if (at == std::string::npos) {
    return options;
  }
  std::size_t end = options.find_first_of(",; ", at);
  return options.substr(0, at) + "PASSWORD=(set)" + (end == std::string::npos ? "" : options.substr(end));
}

int show_profile(Session& session, const std::string& name) {
  auto server = session.find_profile(name);
  if (!server) {
    return report(server.error());
  }
  const ServerPtr& s = *server;
  std::printf("title       %s\nuuid        %s\nprovider    %s\nfile        %s\noptions     %s\n", s->get_title().c_str(),
              s->get_uuid().c_str(), s->get_provider().c_str(), s->get_filename().c_str(),
              masked_options(s->get_options()).c_str());
  std::printf("user        %s\npassword    %s\n", s->get_username().c_str(), masked(s->get_password()).c_str());
  if (s->get_ssh_using()) {
    std::printf("ssh         %s@%s -p %u via %s, password %s\n", s->get_ssh_username().c_str(), s->get_host().c_str(),
                static_cast<unsigned>(s->get_ssh_port()), s->get_ssh_process().c_str(),
                masked(s->get_ssh_password()).c_str());
  }
  return kSuccess;
}

int remove_profile(Session& session, const std::string& name) {
  auto setting = session.profiles();
  if (!setting) {
    return report(setting.error());
  }
  auto server = session.find_profile(name);
  if (!server) {
    return report(server.error());
  }
  auto place = place_of(**setting, *server);
  (*setting)->remove(*server, place ? place->group : "", place ? place->organization : "");
  if (auto saved = save(**setting, session.paths().profiles_file); !saved) {
    return report(saved.error());
  }
  std::printf("removed profile \"%s\"\n", (*server)->get_title().c_str());
  return kSuccess;
}

}  // namespace

Runner add_profile_command(CLI::App& app) {
  auto arguments = std::make_shared<ProfileArguments>();
  CLI::App* command = app.add_subcommand("profile", "Manage saved connection profiles");
  command->footer(
      "Manage the saved connection profiles (the profile file, by default\n"
      "$XDG_CONFIG_HOME/tolvane/servers.json, readable by you only). Passwords and keys are never printed.");
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

  CLI::App* list = command->add_subcommand("list", "List saved profiles: title, uuid, file");
  CLI::App* show = command->add_subcommand("show", "Show one profile");
  show->add_option("profile", arguments->name, "Title or uuid")->required();
  CLI::App* remove = command->add_subcommand("remove", "Remove one profile");
  remove->add_option("profile", arguments->name, "Title or uuid")->required();

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
