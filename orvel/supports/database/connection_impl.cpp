#include "orvel/supports/database/connection_impl.hpp"

#include <thread>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/contracts/database/cachable.hpp"
#include "orvel/contracts/database/explorable.hpp"
#include "orvel/contracts/database/formattable.hpp"
#include "orvel/foundation/logging_service.hpp"
#include "orvel/supports/database/data_cache.hpp"
#include "orvel/supports/database/formatter.hpp"
#include "tessin/core/main_context.hpp"
#include "tessin/core/property.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"

namespace Tolvane::Orvel::Supports::Database {

using Contracts::Database::DBStatus;
using Foundation::LoggingService;
using Providers::Contracts::TableModel;

namespace {

constexpr const char* kAsyncDomain = "default";

// Which stored outcomes an asynchronous operation reports as failures.
enum class FailureRule { CodeAndMessage, CodeOrMessage };

// The logging service's key for a profile uuid: none without a profile.
const char* key_of(const std::string& uuid) { return uuid.empty() ? nullptr : uuid.c_str(); }

// How often a close or reopen interrupts again while it waits for work in
// flight (a statement may start just after an interrupt).
constexpr std::chrono::milliseconds kInterruptRetry{10};

// The text of a refused operation's error (code -1).
constexpr const char* kClosedMessage = "The connection is closed.";

// The "SQL: %s" line, with any encryption key in the text hidden.
void log_sql(const char* key, const std::string& sql) {
  if (Providers::Supports::SqlText::may_hold_secret(sql)) {
    LoggingService::info(key, "SQL: %s", Providers::Supports::SqlText::redact(sql).c_str());
  } else {
    LoggingService::info(key, "SQL: %s", sql.c_str());
  }
}

bool failed(FailureRule rule, int code, const std::string& message) {
  return rule == FailureRule::CodeAndMessage ? (code != 0 && !message.empty()) : (code != 0 || !message.empty());
}

// What a worker thread and the resumption on the main context share.
template <class T>
struct AsyncRecord {
  std::shared_ptr<ConnectionImpl> connection;
  int code = 0;
  std::string message;
  T result{};
  Core::GRef<GMainContext> caller;
};

// Runs `work` on a new thread of its own, then `resume` on the default main
// context with the record. The operation is in flight from here until `work`
// has returned; a close or reopen under way refuses it before it starts.
template <class T, class Work, class Resume>
void run_async(std::shared_ptr<ConnectionImpl> connection, Work work, Resume resume) {
  auto record = std::make_shared<AsyncRecord<T>>();
  record->connection = std::move(connection);
  record->caller = Core::thread_default_context();
  auto flight = std::make_unique<ConnectionImpl::Flight>(*record->connection);
  std::thread([record, flight = std::move(flight), work = std::move(work), resume = std::move(resume)]() mutable {
    Core::Result<T> outcome =
        flight->refused() ? Core::Result<T>(Core::fail(kAsyncDomain, -1, kClosedMessage)) : work(*record->connection);
    flight.reset();
    if (outcome) {
      record->result = std::move(*outcome);
    } else {
      record->code = outcome.error().code;
      record->message = std::move(outcome.error().message);
    }
    Core::invoke_idle(g_main_context_default(), G_PRIORITY_DEFAULT_IDLE,
                      [record, resume = std::move(resume)]() mutable { resume(*record); });
  }).detach();
}

// Hands the outcome to the caller's completion in the caller's context.
template <class Outcome>
void deliver(const Core::GRef<GMainContext>& caller, std::function<void(Outcome)> done, Outcome outcome) {
  if (!done) {
    return;
  }
  if (caller.get() == g_main_context_default()) {
    done(std::move(outcome));
    return;
  }
  Core::invoke_idle(caller.get(), G_PRIORITY_DEFAULT,
                    [done = std::move(done), outcome = std::move(outcome)]() mutable { done(std::move(outcome)); });
}

std::unexpected<Core::Error> async_error(int code, const std::string& message) {
  return Core::fail(kAsyncDomain, code, message);
}

void log_results(const char* key, const Contracts::Database::IConnection::Results& results) {
  for (const Core::ObjectPtr& result : results) {
    if (!result) {
      continue;
    }
    if (auto model = std::dynamic_pointer_cast<TableModel>(result)) {
      LoggingService::info(key, "affected rows: %u", static_cast<unsigned>(model->get_rows().size()));
    } else {
      LoggingService::info(key, "affected rows: %s", "true");
    }
  }
}

}  // namespace

const Core::TypeInfo& ConnectionImpl::static_type() {
  using Self = ConnectionImpl;
  static const Core::TypeInfo info(
      "TolvaneOrvelSupportsDatabaseConnectionImpl", &Core::Object::static_type(), {&IConnection::static_type()},
      nullptr,
      {Core::property("server", &Self::get_server), Core::property("provider", &Self::get_provider),
       Core::property("status", &Self::get_status, &Self::set_status), Core::property("version", &Self::get_version)});
  return info;
}

ConnectionImpl::ConnectionImpl() = default;
ConnectionImpl::~ConnectionImpl() = default;

// Work in flight

ConnectionImpl::Flight::Flight(ConnectionImpl& connection) : m_connection(connection) {
  std::lock_guard lock(m_connection.m_flight_mutex);
  ++m_connection.m_in_flight;
}

ConnectionImpl::Flight::~Flight() {
  {
    std::lock_guard lock(m_connection.m_flight_mutex);
    --m_connection.m_in_flight;
  }
  m_connection.m_flight_landed.notify_all();
}

bool ConnectionImpl::Flight::refused() const {
  std::lock_guard lock(m_connection.m_flight_mutex);
  return m_connection.m_quieting > 0;
}

void ConnectionImpl::quiesce() {
  std::unique_lock lock(m_flight_mutex);
  ++m_quieting;
  while (m_in_flight > 0) {
    // Again on every round: a statement that started after the last
    // interrupt runs on otherwise.
    interrupt();
    m_flight_landed.wait_for(lock, kInterruptRetry);
  }
}

void ConnectionImpl::end_quiet() {
  std::lock_guard lock(m_flight_mutex);
  --m_quieting;
}

void ConnectionImpl::interrupt() {
  if (m_provider) {
    m_provider->interrupt();
  }
}

std::shared_ptr<Contracts::Database::IAdaptable> ConnectionImpl::adapter() {
  std::lock_guard lock(m_collaborators_mutex);
  return m_adapter;
}

std::shared_ptr<Contracts::Database::IBuildable> ConnectionImpl::builder() {
  std::lock_guard lock(m_collaborators_mutex);
  return m_builder;
}

std::shared_ptr<Contracts::Database::IExplorable> ConnectionImpl::explorer() {
  std::lock_guard lock(m_collaborators_mutex);
  return m_explorer;
}

std::shared_ptr<Contracts::Database::IInspectable> ConnectionImpl::inspector() {
  std::lock_guard lock(m_collaborators_mutex);
  return m_inspector;
}

Contracts::Database::IStatementPtr ConnectionImpl::statement() {
  std::lock_guard lock(m_collaborators_mutex);
  return m_statement;
}

std::shared_ptr<Contracts::Database::IFormattable> ConnectionImpl::formatter() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_formatter) {
    m_formatter = Formatter::configured();
  }
  return m_formatter;
}

std::shared_ptr<Contracts::Database::ICachable> ConnectionImpl::cache() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_cache) {
    m_cache = DataCache::create();
  }
  return m_cache;
}

ConnectionImpl::ServerPtr ConnectionImpl::get_server() const {
  std::lock_guard lock(m_state_mutex);
  return m_server;
}

std::string ConnectionImpl::get_version() const {
  std::lock_guard lock(m_state_mutex);
  return m_version;
}

void ConnectionImpl::set_version(std::string version) {
  std::lock_guard lock(m_state_mutex);
  m_version = std::move(version);
}

DBStatus ConnectionImpl::get_status() const {
  std::lock_guard lock(m_state_mutex);
  return m_status;
}

// The status changes here and nowhere else:
//   any    -> Opened  open_real: the provider opened
//   Opened -> Failed  open_real: the version read right after it failed
//   any    -> Failed  open_real: the provider did not open
//   any    -> Closed  close, when the provider is open
//   (none)            open_over_ssh, the tunnel does not start: unchanged
void ConnectionImpl::set_status(DBStatus status) {
  {
    std::lock_guard lock(m_state_mutex);
    if (m_status == status) {
      return;
    }
    m_status = status;
  }
  notify("status");
}

std::string ConnectionImpl::log_key() const {
  auto server = get_server();
  return server ? server->get_uuid() : std::string();
}

Core::Status ConnectionImpl::update_version() { return {}; }

// Opening

Core::Status ConnectionImpl::open(const ServerPtr& server, const Core::ObjectPtr& tag) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", Core::Status());
  {
    std::lock_guard lock(m_state_mutex);
    m_server = server;
  }
  m_tag = tag;
  return open_after_quiet();
}

Core::Status ConnectionImpl::reopen() { return open_after_quiet(); }

Core::Status ConnectionImpl::open_after_quiet() {
  quiesce();
  Core::Status opened = open_stored();
  end_quiet();
  if (opened) {
    m_opened.emit(*this);
  }
  return opened;
}

Core::Status ConnectionImpl::open_stored() {
  ServerPtr server = get_server();
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", Core::Status());
  return server->get_ssh_using() ? open_over_ssh(server, 505) : open_real(server);
}

Core::Status ConnectionImpl::open_real(const ServerPtr& server) {
  const std::string key = log_key();
  auto statements = statement();
  const std::string connection_string = statements ? statements->build_connection_string(server) : std::string();
  Core::Status opened = m_provider ? m_provider->open(server, connection_string)
                                   : Core::fail(kAsyncDomain, -1, "The connection has no provider.");
  if (opened) {
    set_status(DBStatus::Opened);
    opened = update_version();
    if (opened) {
      LoggingService::debug(key_of(key), "SQL: connection opened");
      return opened;
    }
  }
  set_status(DBStatus::Failed);
  LoggingService::warning(key_of(key), "SQL: Failed to open connection: %s", opened.error().message.c_str());
  return opened;
}

Core::Status ConnectionImpl::open_over_ssh(const ServerPtr& server, int log_line) {
  if (Core::Status launched = launch_ssh_tunnel(server); !launched) {
    return launched;
  }
  // The clone keeps the uuid, so its lines reach this connection's log.
  ServerPtr local = server->clone(false);
  local->set_host("127.0.0.1");
  local->set_port(static_cast<std::uint16_t>(m_tunnel->local_port()));
  LoggingService::debug(key_of(log_key()), "connection:%d: connect to server: %s:%u......", log_line,
                        local->get_host().c_str(), static_cast<unsigned>(local->get_port()));
  Core::Status opened = open_real(local);
  if (!opened) {
    m_tunnel.reset();
  }
  return opened;
}

Core::Status ConnectionImpl::launch_ssh_tunnel(const ServerPtr& server) {
  const std::string key = log_key();
  LoggingService::debug(key_of(key), "connection:559: launch ssh tunnel......");
  m_tunnel.reset();
  auto command = build_ssh_tunnel_command(*server);
  Core::Result<std::unique_ptr<SshTunnel>> tunnel =
      command ? SshTunnel::start(*command, m_tunnel_timeout) : Core::fail(command.error());
  if (!tunnel) {
    LoggingService::error(key_of(key), "Failed to lauch ssh tunnel.");
    return Core::fail(std::move(tunnel.error()));
  }
  m_tunnel = std::move(*tunnel);
  LoggingService::message(key_of(key), "Lauch ssh tunnel successfully.");
  return {};
}

void ConnectionImpl::open_async(const ServerPtr& server, const Core::ObjectPtr& tag,
                                Contracts::Database::StatusCompletion done) {
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "server != NULL");
  {
    std::lock_guard lock(m_state_mutex);
    m_server = server;
  }
  m_tag = tag;
  open_stored_async(std::move(done));
}

void ConnectionImpl::reopen_async(Contracts::Database::StatusCompletion done) { open_stored_async(std::move(done)); }

void ConnectionImpl::open_stored_async(Contracts::Database::StatusCompletion done) {
  ServerPtr server = get_server();
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "server != NULL");
  // Work still running on the old handle ends before the open starts.
  quiesce();
  end_quiet();
  const bool over_ssh = server->get_ssh_using();
  run_async<std::monostate>(
      self<ConnectionImpl>(),
      [server, over_ssh](ConnectionImpl& connection) -> Core::Result<std::monostate> {
        Core::Status opened = over_ssh ? connection.open_over_ssh(server, 524) : connection.open_real(server);
        if (!opened) {
          return Core::fail(std::move(opened.error()));
        }
        return std::monostate{};
      },
      [over_ssh, done = std::move(done)](AsyncRecord<std::monostate>& record) {
        ConnectionImpl& connection = *record.connection;
        if (failed(FailureRule::CodeAndMessage, record.code, record.message)) {
          LoggingService::error(key_of(connection.log_key()),
                                over_ssh ? "Failed to open connection over ssh: %d -> %s"
                                         : "Failed to open connection: %d -> %s",
                                record.code, record.message.c_str());
          deliver<Core::Status>(record.caller, done, async_error(record.code, record.message));
          return;
        }
        connection.m_opened.emit(connection);
        deliver<Core::Status>(record.caller, done, Core::Status());
      });
}

void ConnectionImpl::close() {
  if (!m_provider) {
    return;
  }
  quiesce();
  if (!m_provider->get_is_opened()) {
    end_quiet();
    return;
  }
  m_provider->close();
  m_tunnel.reset();
  std::shared_ptr<Contracts::Database::ICachable> created_cache;
  {
    std::lock_guard lock(m_collaborators_mutex);
    created_cache = m_cache;
  }
  if (created_cache) {
    created_cache->clear();
  }
  set_status(DBStatus::Closed);
  end_quiet();
  m_closed.emit(*this);
}

// Synchronous execution

Core::Result<std::int64_t> ConnectionImpl::execute_no_query(const std::string& sql, bool in_worker) {
  const std::string key = log_key();
  log_sql(key_of(key), sql);
  auto count = m_provider->execute_affect(sql, in_worker);
  if (count) {
    LoggingService::info(key_of(key), "affected rows: %" G_GINT64_FORMAT, *count);
  }
  return count;
}

Core::Result<ConnectionImpl::TableModelPtr> ConnectionImpl::execute_as_model(const std::string& sql, bool in_worker) {
  const std::string key = log_key();
  log_sql(key_of(key), sql);
  auto model = m_provider->execute_model(sql, in_worker);
  if (model) {
    LoggingService::info(key_of(key), "affected rows: %d", *model ? static_cast<int>((*model)->get_rows().size()) : 0);
  }
  return model;
}

Core::Result<ConnectionImpl::ValueObjectPtr> ConnectionImpl::execute_as_scalar(const std::string& sql, bool in_worker) {
  const std::string key = log_key();
  log_sql(key_of(key), sql);
  auto value = m_provider->execute_scalar(sql, in_worker);
  if (value) {
    LoggingService::info(key_of(key), "affected rows: 1");
  }
  return value;
}

Core::Result<ConnectionImpl::DataReaderPtr> ConnectionImpl::execute_reader(const std::string& sql) {
  const std::string key = log_key();
  log_sql(key_of(key), sql);
  auto reader = m_provider->execute_reader(sql);
  if (reader) {
    LoggingService::info(key_of(key), "affected rows: %d", 0);
  }
  return reader;
}

Core::Result<ConnectionImpl::Results> ConnectionImpl::execute(const std::string& statements, bool in_worker) {
  const std::string key = log_key();
  log_sql(key_of(key), statements);
  auto results = m_provider->execute_statements(statements, in_worker);
  if (results) {
    log_results(key_of(key), *results);
  }
  return results;
}

Core::Result<bool> ConnectionImpl::transaction() {
  TOLVANE_RETURN_VAL_IF_FAIL(m_provider && m_provider->get_is_opened(), "m_connection.is_opened", false);
  return m_provider->transaction();
}

Core::Status ConnectionImpl::rollback() {
  TOLVANE_RETURN_VAL_IF_FAIL(m_provider && m_provider->get_is_opened(), "m_connection.is_opened", Core::Status());
  return m_provider->rollback();
}

Core::Status ConnectionImpl::commit() {
  TOLVANE_RETURN_VAL_IF_FAIL(m_provider && m_provider->get_is_opened(), "m_connection.is_opened", Core::Status());
  return m_provider->commit();
}

// Asynchronous execution: the provider call on a new thread, the logging and the
// completion on the main context.

namespace {

template <class T, class Call, class LogSuccess>
void execute_on_worker(std::shared_ptr<ConnectionImpl> connection, FailureRule rule, Call call, LogSuccess log_success,
                       Contracts::Database::Completion<T> done) {
  run_async<T>(
      std::move(connection), std::move(call),
      [rule, log_success = std::move(log_success), done = std::move(done)](AsyncRecord<T>& record) {
        const auto server = record.connection->get_server();
        const std::string key = server ? server->get_uuid() : std::string();
        if (failed(rule, record.code, record.message)) {
          LoggingService::error(key_of(key), "failed: %d -> %s", record.code, record.message.c_str());
          deliver<Core::Result<T>>(record.caller, done, async_error(record.code, record.message));
          return;
        }
        log_success(key_of(key), record.result);
        deliver<Core::Result<T>>(record.caller, done, std::move(record.result));
      });
}

}  // namespace

void ConnectionImpl::execute_no_query_async(const std::string& sql, Contracts::Database::Completion<std::int64_t> done) {
  log_sql(key_of(log_key()), sql);
  execute_on_worker<std::int64_t>(
      self<ConnectionImpl>(), FailureRule::CodeAndMessage,
      [sql](ConnectionImpl& connection) { return connection.m_provider->execute_affect(sql, true); },
      [](const char* key, std::int64_t count) {
        LoggingService::info(key, "affected rows: %" G_GINT64_FORMAT, count);
      },
      std::move(done));
}

void ConnectionImpl::execute_as_model_async(const std::string& sql, Contracts::Database::Completion<TableModelPtr> done) {
  log_sql(key_of(log_key()), sql);
  execute_on_worker<TableModelPtr>(
      self<ConnectionImpl>(), FailureRule::CodeAndMessage,
      [sql](ConnectionImpl& connection) { return connection.m_provider->execute_model(sql, true); },
      [](const char* key, const TableModelPtr& model) {
        LoggingService::info(key, "affected rows: %d", model ? static_cast<int>(model->get_rows().size()) : 0);
      },
      std::move(done));
}

void ConnectionImpl::execute_as_scalar_async(const std::string& sql,
                                             Contracts::Database::Completion<ValueObjectPtr> done) {
  log_sql(key_of(log_key()), sql);
  execute_on_worker<ValueObjectPtr>(
      self<ConnectionImpl>(), FailureRule::CodeAndMessage,
      [sql](ConnectionImpl& connection) { return connection.m_provider->execute_scalar(sql, true); },
      [](const char* key, const ValueObjectPtr&) { LoggingService::info(key, "affected rows: 1"); }, std::move(done));
}

void ConnectionImpl::execute_async(const std::string& statements, Contracts::Database::Completion<Results> done) {
  log_sql(key_of(log_key()), statements);
  execute_on_worker<Results>(
      self<ConnectionImpl>(), FailureRule::CodeOrMessage,
      [statements](ConnectionImpl& connection) { return connection.m_provider->execute_statements(statements, true); },
      [](const char* key, const Results& results) { log_results(key, results); }, std::move(done));
}

}  // namespace Tolvane::Orvel::Supports::Database
