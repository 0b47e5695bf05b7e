#include "tools/tolvane/session.hpp"

#include <algorithm>
#include <cstdlib>

#include <glib/gstdio.h>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/helpers/service_helper.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tessin/supports/sqlite/provider.hpp"
#include "tools/host/startup.hpp"
#include "tools/tolvane/glib_log_bridge.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/profile_secrets.hpp"
#include "tools/tolvane/profile_tree.hpp"

namespace Tolvane::Cli {

using Orvel::Supports::Database::SQLiteConnection;
using Providers::Supports::SQLiteProvider;
using Providers::Contracts::Server;
using Providers::Contracts::ServerPtr;
using Providers::Contracts::ServerSetting;

namespace {

Host::Options host_options(const Paths& paths) {
  Host::Options options;
  options.default_uuid = "tolvane";
  options.log_folder = paths.log_dir;
  return options;
}

}  // namespace

struct Session::Host {
  explicit Host(const Paths& paths) : startup(host_options(paths)) {}
  Tolvane::Host::Startup startup;
};

std::string secret_or_env(const std::string& given, const char* variable) {
  if (!given.empty()) {
    return given;
  }
  const char* value = g_getenv(variable);
  return value != nullptr ? value : "";
}

Paths Paths::defaults() {
  Paths paths;
  paths.log_dir = std::string(g_get_user_state_dir()) + "/tolvane/logs";
  paths.profiles_file = std::string(g_get_user_config_dir()) + "/tolvane/servers.json";
  paths.data_dir = std::string(g_get_user_data_dir()) + "/tolvane";
  return paths;
}

std::string describe(const Core::Error& error) {
  return error.message + " (code " + std::to_string(error.code) + ")";
}

Session::Session(Paths paths, bool verbose) : m_paths(std::move(paths)), m_host(std::make_unique<Host>(m_paths)) {
  bridge_glib_log(verbose);
}

// A connection's own log is a temporary file that outlives the process unless
// someone removes it; a command's lines are all in the main log as well, so the
// session removes the files of the connections it opened when it ends.
Session::~Session() {
  auto manager = Orvel::Foundation::LoggingService::get_manager();
  if (!manager) {
    return;
  }
  for (const std::string& uuid : m_connection_logs) {
    std::vector<std::string> files;
    if (auto logger = manager->open(uuid.c_str())) {
      for (const auto& handler : logger->get_handlers()) {
        if (auto file = std::dynamic_pointer_cast<Orvel::Supports::Log::TempFileLogHandler>(handler)) {
          files.push_back(file->get_file_name());
        }
      }
    }
    manager->close(uuid.c_str());
    for (const std::string& file : files) {
      if (!file.empty()) {
        g_unlink(file.c_str());
      }
    }
  }
}

namespace {

// Profile files of earlier versions hold their secrets in clear: encrypt them
// once, under the file's lock, so the next reader finds them sealed.
void seal_older_secrets(ServerSetting& setting) {
  const auto servers = setting.unite_servers();
  if (std::none_of(servers.begin(), servers.end(), [](const ServerPtr& s) { return has_clear_secrets(*s); })) {
    return;
  }
  Core::Status sealed = setting.update([](ServerSetting& fresh) -> Core::Status {
    for (const ServerPtr& server : fresh.unite_servers()) {
      if (auto done = seal_clear_secrets(*server); !done) {
        return std::unexpected(std::move(done.error()));
      }
    }
    return {};
  });
  if (!sealed) {
    Orvel::Foundation::LoggingService::warning(nullptr, "cannot encrypt the secrets of the profile file %s: %s",
                                               setting.get_filename().c_str(), sealed.error().message.c_str());
  }
}

}  // namespace

Outcome<std::shared_ptr<ServerSetting>> Session::profiles() {
  if (m_profiles) {
    return m_profiles;
  }
  // The profile tree the host registered, so library code that asks the
  // service shortcuts sees the same profiles.
  auto setting = Orvel::Helpers::ServiceHelper::servers();
  if (!setting) {
    return std::unexpected(Failure{kProfileFailure, "no profile service is registered"});
  }
  if (g_file_test(m_paths.profiles_file.c_str(), G_FILE_TEST_EXISTS)) {
    if (Core::Status loaded = setting->load(m_paths.profiles_file); !loaded) {
      return std::unexpected(
          Failure{kProfileFailure, "cannot read profile file " + m_paths.profiles_file + ": " + loaded.error().message});
    }
    seal_older_secrets(*setting);
  } else {
    // A first save goes to the usual place; its folder is made then.
    Core::GCharPtr folder(g_path_get_dirname(m_paths.profiles_file.c_str()));
    g_mkdir_with_parents(folder.get(), 0700);
    (void)setting->load(m_paths.profiles_file);
  }
  m_profiles = setting;
  return m_profiles;
}

Outcome<ServerPtr> Session::find_profile(const std::string& name) {
  auto setting = profiles();
  if (!setting) {
    return std::unexpected(setting.error());
  }
  if (auto found = find_in_tree(**setting, name)) {
    return *found;
  }
  return std::unexpected(Failure{kProfileFailure, "no saved profile titled \"" + name + "\" or with that uuid"});
}

Outcome<ServerPtr> Session::profile_for(const OpenRequest& request) {
  ServerPtr server;
  bool saved = false;
  const bool exists = g_file_test(request.database.c_str(), G_FILE_TEST_EXISTS);
  const bool uri = request.database.starts_with("file:");
  const bool looks_like_path = exists || uri || request.database.find('/') != std::string::npos;
  // A name that is no file may be a saved profile: by title, uuid, or the
  // grouped name `profile list` shows ("work/shop").
  if (!exists && !uri) {
    auto setting = profiles();
    if (!setting && !looks_like_path) {
      return std::unexpected(setting.error());  // the profile file itself cannot be read
    }
    if (auto found = setting ? find_in_tree(**setting, request.database) : std::nullopt) {
      // Options given on the command line apply to this run only.
      server = (*found)->clone(false);
      saved = true;
      // A key or password given on the command line replaces the saved one,
      // which then need not be decrypted.
      const bool key_given = request.key.has_value() || request.no_key;
      if (auto failed = unseal_profile(*server, key_given, request.password.has_value())) {
        return std::unexpected(Failure{
            kProfileFailure, std::string("cannot decrypt the saved ") + describe(failed->secret) + " of profile \"" +
                                 server->get_title() + "\" (" + failed->error.message +
                                 "): it was saved by another user or on another machine; give it on the command "
                                 "line or add the profile again"});
      }
    }
  }
  if (!server) {
    server = Server::with_provider("SQLite");
    server->set_title(request.database);
    server->set_filename(request.database);
  }
  apply_open_request(*server, request, saved);
  return server;
}

namespace {

// SQLite answers a wrong key, a missing key and a file that is no database
// alike; the message says so, and names the variable a key came from when the
// user did not type it.
std::string open_failure_text(const std::string& file, const Core::Error& error, const OpenRequest& request,
                              bool keyed) {
  std::string text = "cannot open " + file + ": " + describe(error);
  if (error.code == 26) {
    text += ": wrong or missing key, or not a database";
    if (keyed && !request.key && !request.no_key && g_getenv(request.key_variable.c_str()) != nullptr) {
      text += " (the key came from " + request.key_variable + "; --no-key ignores it)";
    }
  }
  return text;
}

// The file a database argument names: the path itself, or the path part of a
// "file:" URI (SQLite's own form, relative paths allowed), unescaped.
std::string file_of(const std::string& database) {
  if (!database.starts_with("file:")) {
    return database;
  }
  std::string_view rest = std::string_view(database).substr(5);
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.starts_with("//")) {
    // An authority, empty or "localhost", before the absolute path.
    const std::size_t slash = rest.find('/', 2);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  gchar* unescaped = g_uri_unescape_segment(rest.data(), rest.data() + rest.size(), nullptr);
  return unescaped != nullptr ? Core::take_std(unescaped) : std::string(rest);
}

}  // namespace

Outcome<std::shared_ptr<SQLiteConnection>> Session::open(const OpenRequest& request) {
  auto server = profile_for(request);
  if (!server) {
    return std::unexpected(server.error());
  }
  const std::string& name = (*server)->get_filename();
  const std::string file = file_of(name);
  if (!request.create && !g_file_test(file.c_str(), G_FILE_TEST_EXISTS)) {
    return std::unexpected(Failure{kCannotOpen, "no database file at " + file + " (use --create to make a new one)"});
  }
  if (g_file_test(file.c_str(), G_FILE_TEST_IS_DIR)) {
    return std::unexpected(Failure{kCannotOpen, file + " is a folder, not a database file"});
  }
  // The connection's own log carries the profile's title and provider.
  if (auto manager = Orvel::Foundation::LoggingService::get_manager()) {
    const std::string& uuid = (*server)->get_uuid();
    if (auto logger = manager->open(uuid.c_str())) {
      logger->initialize((*server)->get_title().c_str(), (*server)->get_provider().c_str());
      if (std::find(m_connection_logs.begin(), m_connection_logs.end(), uuid) == m_connection_logs.end()) {
        m_connection_logs.push_back(uuid);
      }
    }
  }
  const bool keyed = !SQLiteProvider::key_of((*server)->get_options()).empty();
  auto connection = SQLiteConnection::create();
  // Ctrl-C during a long wait for a lock ends the wait.
  Interrupts::Scope interruptible(
      [](void* target) { static_cast<SQLiteConnection*>(target)->interrupt(); }, connection.get());
  if (Core::Status opened = connection->open(*server, nullptr); !opened) {
    return std::unexpected(Failure{kCannotOpen, open_failure_text(name, opened.error(), request, keyed)});
  }
  // SQLite reads the file only when a statement needs it; a wrong key or a file
  // that is not a database shows here rather than in the middle of a command.
  if (auto checked = connection->execute_as_scalar("SELECT 1 FROM sqlite_master LIMIT 1", false); !checked) {
    connection->close();
    if (Interrupts::requested()) {
      return std::unexpected(Failure{kInterrupted, "interrupted"});
    }
    return std::unexpected(Failure{kCannotOpen, open_failure_text(name, checked.error(), request, keyed)});
  }
  return connection;
}

SQLiteProvider& Session::provider_of(SQLiteConnection& connection) {
  return static_cast<SQLiteProvider&>(*connection.get_provider());
}

void Session::run_until(const std::function<bool()>& done) {
  while (!done()) {
    Tolvane::Host::run_until(done, 60000);
  }
}

}  // namespace Tolvane::Cli
