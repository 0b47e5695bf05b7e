#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "tessin/contracts/server_setting.hpp"
#include "tessin/supports/sqlite/provider.hpp"
#include "tools/tolvane/exit_codes.hpp"
#include "tools/tolvane/open_options.hpp"

namespace Tolvane::Cli {

// Where tolvane keeps its files; each can be overridden on the command line.
struct Paths {
  std::string log_dir;        // $XDG_STATE_HOME/tolvane/logs
  std::string profiles_file;  // $XDG_CONFIG_HOME/tolvane/servers.json
  std::string data_dir;       // $XDG_DATA_HOME/tolvane

  static Paths defaults();
};

// A failure of the command: the one line to print and the exit code.
struct Failure {
  int exit_code;
  std::string message;
};

template <class T>
using Outcome = std::expected<T, Failure>;

// A key or password given on the command line, else the environment variable's.
std::string secret_or_env(const std::string& given, const char* variable);

// One run of the command: meets the host obligations (services registered,
// logging initialised into the log folder, the profile file at its path, the
// default main context run while asynchronous work is in flight) and shuts
// logging down at the end.
class Session {
 public:
  Session(Paths paths, bool verbose);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const Paths& paths() const { return m_paths; }

  // The saved profiles (the registered profile tree), loaded on first use; a
  // missing file is an empty list. Secrets an older file holds in clear are
  // sealed in the file then. Secrets stay encrypted in this tree.
  Outcome<std::shared_ptr<Providers::Contracts::ServerSetting>> profiles();
  // Finds a saved profile by title, uuid or listed name ("org/group/title").
  Outcome<Providers::Contracts::ServerPtr> find_profile(const std::string& name);

  // The profile to open for a request: a clone of a saved profile with its
  // secrets decrypted, or one made for a file path.
  Outcome<Providers::Contracts::ServerPtr> profile_for(const OpenRequest& request);
  // Opens the request's database and checks that it can be read (so a wrong
  // key or a file that is not a database fails here, with a hint, rather than
  // in the middle of a command).
  Outcome<std::shared_ptr<Orvel::Supports::Database::SQLiteConnection>> open(const OpenRequest& request);

  // The SQLite provider under a connection the session opened, for what only
  // it offers (prepared statements with parameters, scripts run statement by
  // statement, rekey).
  static Providers::Supports::SQLiteProvider& provider_of(Orvel::Supports::Database::SQLiteConnection& connection);

  // Runs the default main context until `done` holds.
  void run_until(const std::function<bool()>& done);

  // Starts an asynchronous operation and runs the main loop until it completes:
  // `start` receives the completion to hand to the operation.
  template <class Outcome>
  Outcome await(const std::function<void(std::function<void(Outcome)>)>& start) {
    std::optional<Outcome> outcome;
    start([&outcome](Outcome result) { outcome = std::move(result); });
    run_until([&outcome] { return outcome.has_value(); });
    return std::move(*outcome);
  }

 private:
  struct Host;

  Paths m_paths;
  std::unique_ptr<Host> m_host;
  // The connection loggers this session opened, by uuid.
  std::vector<std::string> m_connection_logs;
  std::shared_ptr<Providers::Contracts::ServerSetting> m_profiles;
};

// "what failed: the engine's message (domain code)".
std::string describe(const Core::Error& error);

}  // namespace Tolvane::Cli
