#include "tessin/supports/sqlite/provider.hpp"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <thread>

#include <sqlite3.h>

#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/object_arena.hpp"
#include "tessin/core/property.hpp"
#include "tessin/core/source_log.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tessin/supports/sqlite/user_authentication.hpp"

namespace Tolvane::Providers::Supports {

using Contracts::TableModel;
using Contracts::TableModelPtr;
using Contracts::ValueObjectPtr;

namespace {

bool is_space(char c) { return g_ascii_isspace(c) != FALSE; }

// The byte length to hand to sqlite3_prepare_v2 for text whose NUL terminator
// lies `bytes` bytes ahead: with the terminator counted the engine parses in
// place instead of copying the whole remaining text first (which would make
// long scripts quadratic).
int prepare_length(std::size_t bytes) { return bytes < static_cast<std::size_t>(INT_MAX) ? static_cast<int>(bytes) + 1 : -1; }

// The end of the statement starting at the token at `cursor`: just past its
// terminating ';' by the engine's completeness rule (triggers hold ';' inside
// BEGIN ... END). Used when the engine could not prepare a statement: its
// tail then points just past the token it stopped at, and running on from
// there could execute a fragment of the broken statement ("EXPLAN DELETE FROM
// t" would delete).
const char* statement_end(const char* cursor, const char* end) {
  StatementSplitter splitter(std::string_view(cursor, static_cast<std::size_t>(end - cursor)));
  StatementSpan span;
  if (!splitter.next(span)) {
    return end;
  }
  return cursor + span.offset + span.length;
}

// The first token at or after `cursor`, past white space and comments.
const char* skip_trivia(const char* cursor, const char* end) {
  SqlLexer lexer(std::string_view(cursor, static_cast<std::size_t>(end - cursor)));
  SqlToken token;
  while (lexer.next(token)) {
    if (!is_trivia(token.kind)) {
      return cursor + token.offset;
    }
  }
  return end;
}

Core::Error no_engine() { return Core::Error{"SQLite", -1, Core::_("No database is open.")}; }
Core::Error no_statement() { return Core::Error{"SQLite", -1, Core::_("No SQL statement to execute.")}; }

// The handle's current error, copied: read it under the engine's connection
// mutex, in the same hold as the call that caused it.
Core::Error engine_error(sqlite3* engine) {
  return Core::Error{"SQLite", sqlite3_errcode(engine), sqlite3_errmsg(engine)};
}

// How often closing or reopening interrupts statements while it waits for the
// calls running on the handle to end.
constexpr std::chrono::milliseconds kInterruptRetry{10};

// A handle's busy timeout and the handle itself, for its busy handler. Lives
// as the handle's client data, so the engine frees it with the handle (also
// when the handle outlives the provider as a zombie kept by a reader).
struct BusyContext {
  sqlite3* handle;
  int timeout;
};

void log_prepare(std::string_view statement) {
  if (SqlText::may_hold_secret(statement)) {
    const std::string shown = SqlText::redact(statement);
    TOLVANE_WARNING("Prepare: %s", shown.c_str());
  } else {
    TOLVANE_WARNING("Prepare: %.*s", static_cast<int>(statement.size()), statement.data());
  }
}

}  // namespace

struct SQLiteProvider::Session {
  std::shared_lock<std::shared_timed_mutex> lock;
  sqlite3* engine = nullptr;
};

const Core::TypeInfo& SQLiteProvider::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersSupportsSQLiteProvider", &Core::Object::static_type(),
      {&Contracts::IProvider::static_type(), &ISQLiteError::static_type()}, Core::factory_of<SQLiteProvider>(),
      {Core::property("is-opened", &SQLiteProvider::get_is_opened),
       Core::property("engine", &SQLiteProvider::get_engine)});
  return info;
}

SQLiteProvider::SQLiteProvider() {
  static const int initialized = sqlite3_initialize();
  (void)initialized;
}

SQLiteProvider::~SQLiteProvider() { close(); }

std::string SQLiteProvider::key_of(const std::string& options) {
  auto parsed = SQLiteOpenOptions::parse(options);
  return parsed ? std::move(parsed->key) : std::string();
}

Core::Result<SQLiteProvider::Session> SQLiteProvider::session() const {
  Session session{std::shared_lock(m_handle_mutex), m_engine.load(std::memory_order_acquire)};
  if (session.engine == nullptr) {
    return Core::fail(no_engine());
  }
  return session;
}

// Opening and closing

int SQLiteProvider::busy_wait(void* data, int count) {
  // The engine's own delays; the wait is cut into short sleeps so that an
  // interrupt (Ctrl-C, a closing connection) ends it at once.
  static constexpr int kDelays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  static constexpr int kTotals[] = {0, 1, 3, 8, 18, 33, 53, 78, 103, 128, 178, 228};
  constexpr int kSteps = static_cast<int>(std::size(kDelays));
  const auto* context = static_cast<const BusyContext*>(data);
  int delay = kDelays[std::min(count, kSteps - 1)];
  const long long prior = count < kSteps ? kTotals[count]
                                         : kTotals[kSteps - 1] + static_cast<long long>(delay) * (count - kSteps + 1);
  if (prior + delay > context->timeout) {
    delay = static_cast<int>(context->timeout - prior);
    if (delay <= 0) {
      return 0;
    }
  }
  for (int slept = 0; slept < delay; slept += 10) {
    if (sqlite3_is_interrupted(context->handle) != 0) {
      return 0;
    }
    g_usleep(static_cast<gulong>(std::min(delay - slept, 10)) * 1000);
  }
  return sqlite3_is_interrupted(context->handle) == 0 ? 1 : 0;
}

std::unique_lock<std::shared_timed_mutex> SQLiteProvider::lock_exclusive() {
  std::unique_lock lock(m_handle_mutex, std::defer_lock);
  // Calls running on the handle hold the mutex shared until they end; a long
  // query would hold off the close, so it is interrupted, and again while
  // calls keep coming.
  while (!lock.try_lock_for(kInterruptRetry)) {
    interrupt();
  }
  return lock;
}

void SQLiteProvider::close_locked() {
  sqlite3* engine = m_engine.exchange(nullptr, std::memory_order_acq_rel);
  m_is_opened.store(false, std::memory_order_release);
  // An interrupt that read the handle before it was taken away finishes
  // before the handle goes.
  while (m_interrupters.load(std::memory_order_acquire) != 0) {
    std::this_thread::yield();
  }
  if (engine != nullptr) {
    // A reader a caller still holds keeps its statement; the _v2 close lets the
    // handle go once that statement is finalized instead of failing and
    // leaving the file open.
    sqlite3_close_v2(engine);
  }
}

void SQLiteProvider::interrupt() noexcept {
  m_interrupters.fetch_add(1, std::memory_order_acq_rel);
  if (sqlite3* engine = m_engine.load(std::memory_order_acquire)) {
    sqlite3_interrupt(engine);
  }
  m_interrupters.fetch_sub(1, std::memory_order_acq_rel);
}

Core::Status SQLiteProvider::apply_options(sqlite3* handle, const SQLiteOpenOptions& options) {
  auto* context = new BusyContext{handle, options.busy_timeout};
  sqlite3_set_clientdata(handle, "tolvane.busy", context, [](void* data) { delete static_cast<BusyContext*>(data); });
  sqlite3_busy_handler(handle, &SQLiteProvider::busy_wait, context);
  if (!options.cipher.empty()) {
    const int index = sqlite3mc_cipher_index(options.cipher.c_str());
    if (index <= 0) {
      std::string known;
      for (int each = 1; each <= sqlite3mc_cipher_count(); ++each) {
        known += (each > 1 ? ", " : "") + std::string(sqlite3mc_cipher_name(each));
      }
      return Core::fail("SQLite", -1, "unknown cipher \"" + options.cipher + "\" (known: " + known + ")");
    }
    sqlite3mc_config(handle, "cipher", index);
    for (const auto& [name, value] : options.cipher_parameters) {
      if (sqlite3mc_config_cipher(handle, options.cipher.c_str(), name.c_str(), value) != value) {
        return Core::fail("SQLite", -1,
                          "the cipher " + options.cipher + " does not take " + name + "=" + std::to_string(value));
      }
    }
  }
  if (!options.key.empty()) {
    const int keyed = sqlite3_key(handle, options.key.data(), static_cast<int>(options.key.size()));
    if (keyed != SQLITE_OK) {
      return Core::fail(engine_error(handle));
    }
  }
  return {};
}

Core::Status SQLiteProvider::open(const Contracts::ServerPtr& server, const std::string&) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", {});
  auto options = SQLiteOpenOptions::parse(server->get_options());
  if (!options) {
    return Core::fail(std::move(options.error()));
  }
  auto exclusive = lock_exclusive();
  // URI file names ("file:x.db?mode=ro&cipher=sqlcipher") are always taken.
  const int flags = (options->read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                    SQLITE_OPEN_URI;
  sqlite3* handle = nullptr;
  const int code = sqlite3_open_v2(server->get_filename().c_str(), &handle, flags, nullptr);
  // The new handle replaces the old one whatever the outcome; a failed open
  // keeps it (it carries the error) until the next open, close or destruction.
  close_locked();
  m_engine.store(handle, std::memory_order_release);
  if (handle == nullptr) {
    // Only when the engine could not even allocate a handle.
    return Core::fail("SQLite", code, sqlite3_errstr(code));
  }
  EngineLock lock(handle);
  if (auto status = raise_error(handle, code); !status) {
    return status;
  }
  if (auto status = apply_options(handle, *options); !status) {
    return status;
  }
  if (auto status = UserAuthentication::register_crypt(handle); !status) {
    return status;
  }
  if (auto status = UserAuthentication::authenticate(handle, server->get_username(), server->get_password());
      !status) {
    return status;
  }
  m_is_opened.store(true, std::memory_order_release);
  return {};
}

void SQLiteProvider::close() {
  auto exclusive = lock_exclusive();
  close_locked();
}

Core::Status SQLiteProvider::rekey(const std::string& new_key) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  const int code = new_key.empty() ? sqlite3_rekey(session->engine, nullptr, 0)
                                   : sqlite3_rekey(session->engine, new_key.data(), static_cast<int>(new_key.size()));
  return raise_error(session->engine, code);
}

// Single statements: each runs in one hold of the engine's connection mutex,
// from the prepare to the last value read back.

Core::Result<StatementPtr> SQLiteProvider::prepare(sqlite3* engine, const std::string& text) {
  sqlite3_stmt* raw = nullptr;
  const int prepared = sqlite3_prepare_v2(engine, text.c_str(), prepare_length(text.size()), &raw, nullptr);
  StatementPtr statement(raw);
  if (auto status = raise_error(engine, prepared); !status) {
    return Core::fail(std::move(status.error()));
  }
  if (!statement) {
    // Only white space or comments: stepping nothing would report no error.
    return Core::fail(no_statement());
  }
  return statement;
}

Core::Result<StatementPtr> SQLiteProvider::prepare_and_step(sqlite3* engine, const std::string& text,
                                                            int& step_code) {
  auto statement = prepare(engine, text);
  if (!statement) {
    return statement;
  }
  step_code = sqlite3_step(statement->get());
  if (auto status = raise_error(engine, step_code); !status) {
    return Core::fail(std::move(status.error()));
  }
  return statement;
}

Core::Result<TableModelPtr> SQLiteProvider::fill(sqlite3_stmt* statement) {
  auto reader = SQLiteReader::create(sqlite3_db_handle(statement), statement);
  const int count = reader->get_field_count();
  auto model = TableModel::create();
  auto& columns = model->get_columns();
  columns.reserve(static_cast<std::size_t>(count));
  for (int index = 0; index < count; ++index) {
    const auto col = static_cast<SQLiteReader::Column>(index);
    auto name = reader->get_name(col);
    auto type = reader->get_data_type(col);
    auto size = reader->get_size(col);
    if (!name || !type || !size) {
      return Core::fail(!name ? name.error() : !type ? type.error() : size.error());
    }
    columns.push_back(Contracts::ColumnModel::full_size(std::move(*name), *type, static_cast<std::uint32_t>(*size)));
  }
  if (sqlite3_data_count(statement) == 0) {
    reader->close();
    return model;
  }
  auto& rows = model->get_rows();
  // The cells go into blocks shared by many of them (see ObjectArena), the
  // first one sized for a row of short texts.
  Core::ObjectArena cells(static_cast<std::size_t>(count) * 72);
  Core::ObjectArena::Scope in_cells(cells);
  while (true) {
    auto row = Contracts::RowModel::create();
    auto& values = row->get_values();
    values.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
      auto value = reader->get_value(static_cast<SQLiteReader::Column>(index));
      if (!value) {
        return Core::fail(std::move(value.error()));
      }
      values.push_back(std::move(*value));
    }
    rows.push_back(std::move(row));
    auto more = reader->read();
    if (!more) {
      return Core::fail(std::move(more.error()));
    }
    if (!*more) {
      break;
    }
  }
  reader->close();
  return model;
}

Core::Result<TableModelPtr> SQLiteProvider::execute_model(const std::string& statement, bool) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  int step = 0;
  auto prepared = prepare_and_step(session->engine, statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (sqlite3_column_count(prepared->get()) < 1) {
    return Core::fail("SQLite", -1, Core::_("No data returned."));
  }
  return fill(prepared->get());
}

Core::Result<std::int64_t> SQLiteProvider::execute_affect(const std::string& statement, bool) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  int step = 0;
  auto prepared = prepare_and_step(session->engine, statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return static_cast<std::int64_t>(sqlite3_changes64(session->engine));
  }
  std::int64_t count = 1;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(prepared->get())) == SQLITE_ROW) {
    ++count;
  }
  if (auto status = raise_error(session->engine, code); !status) {
    return Core::fail(std::move(status.error()));
  }
  return count;
}

Core::Result<ValueObjectPtr> SQLiteProvider::execute_scalar(const std::string& statement, bool) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  int step = 0;
  auto prepared = prepare_and_step(session->engine, statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return Contracts::ValueUInt64::create(static_cast<std::uint64_t>(sqlite3_changes64(session->engine)));
  }
  auto reader = SQLiteReader::create(session->engine, prepared->get());
  auto value = reader->get_value(0);
  if (auto closed = reader->close(); !closed) {
    return Core::fail(std::move(closed.error()));
  }
  return value;
}

Core::Result<std::shared_ptr<Contracts::IDataReader>> SQLiteProvider::execute_reader(const std::string& statement) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  int step = 0;
  auto prepared = prepare_and_step(session->engine, statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return Core::fail("SQLite", -1, "No data return by non-select statement");
  }
  return std::shared_ptr<Contracts::IDataReader>(SQLiteReader::adopt(session->engine, std::move(*prepared)));
}

Core::Result<SQLiteReaderPtr> SQLiteProvider::execute_prepared(const std::string& sql,
                                                               const SQLiteParameters& parameters) {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  sqlite3* engine = session->engine;
  EngineLock lock(engine);
  auto statement = prepare(engine, sql);
  if (!statement) {
    return Core::fail(std::move(statement.error()));
  }
  if (auto bound = bind_parameters(statement->get(), parameters); !bound) {
    return Core::fail(std::move(bound.error()));
  }
  const std::int64_t total_before = sqlite3_total_changes64(engine);
  const int step = sqlite3_step(statement->get());
  if (auto status = raise_error(engine, step); !status) {
    return Core::fail(std::move(status.error()));
  }
  auto reader = SQLiteReader::adopt(engine, std::move(*statement));
  reader->started_locked(step, total_before);
  return reader;
}

// Scripts

Core::Status SQLiteProvider::execute_script(const std::string& script, const ScriptVisitor& visit) {
  return run_script(script, visit, false);
}

Core::Status SQLiteProvider::run_script(const std::string& script, const ScriptVisitor& visit, bool report_empty) {
  // The engine reads text only up to a NUL byte: the rest of the script
  // would silently not run.
  if (const std::size_t nul = script.find('\0'); nul != std::string::npos) {
    return Core::fail("SQLite", -1, "the script contains a NUL byte at offset " + std::to_string(nul));
  }
  if (m_engine.load(std::memory_order_acquire) == nullptr) {
    return Core::fail(no_engine());
  }
  const char* const base = script.c_str();
  // The script's own NUL terminator: each prepare parses in place up to it.
  const char* const terminator = base + script.size();
  const char* end = terminator;
  while (end > base && is_space(end[-1])) {
    --end;
  }
  const char* cursor = base;
  const char* counted = base;
  std::size_t line = 1;
  while (cursor < end) {
    const char* first_token = skip_trivia(cursor, end);
    if (first_token >= end) {
      break;
    }
    cursor = first_token;
    line += static_cast<std::size_t>(std::count(counted, cursor, '\n'));
    counted = cursor;

    const char* next = nullptr;
    bool empty = false;
    Core::Result<SQLiteReaderPtr> outcome = SQLiteReaderPtr();
    {
      // Taken per statement, so that `visit` runs without it and may use the
      // provider (a rollback after a failure, for instance).
      auto session = this->session();
      if (!session) {
        return Core::fail(std::move(session.error()));
      }
      sqlite3* engine = session->engine;
      EngineLock lock(engine);
      sqlite3_stmt* raw = nullptr;
      const char* tail = nullptr;
      const int prepared = sqlite3_prepare_v2(engine, cursor,
                                              prepare_length(static_cast<std::size_t>(terminator - cursor)), &raw,
                                              &tail);
      StatementPtr statement(raw);
      // Where the statement ends; never where it started, or this would loop.
      next = prepared != SQLITE_OK || tail == nullptr || tail <= cursor || tail > terminator
                 ? statement_end(cursor, end)
                 : tail;
      if (prepared != SQLITE_OK) {
        outcome = Core::fail(engine_error(engine));
      } else if (!statement) {
        // A lone ';': nothing to run.
        empty = true;
        outcome = Core::fail(engine_error(engine));
      } else {
        const std::int64_t total_before = sqlite3_total_changes64(engine);
        const int step = sqlite3_step(statement.get());
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
          outcome = Core::fail(engine_error(engine));
        } else {
          auto reader = SQLiteReader::adopt(engine, std::move(statement));
          reader->started_locked(step, total_before);
          outcome = std::move(reader);
        }
      }
    }
    const char* shown = std::min(next, end);
    while (shown > cursor && is_space(shown[-1])) {
      --shown;
    }
    const ScriptStep step{std::string_view(cursor, static_cast<std::size_t>(shown - cursor)),
                          static_cast<std::size_t>(cursor - base), line};
    log_prepare(step.text);
    if (!empty || report_empty) {
      if (!visit(step, outcome)) {
        return {};
      }
    }
    cursor = next;
  }
  // What is left is only comments, which the engine gives no statement for.
  if (report_empty && cursor < end) {
    const ScriptStep step{std::string_view(cursor, static_cast<std::size_t>(end - cursor)),
                          static_cast<std::size_t>(cursor - base), line};
    log_prepare(step.text);
    Core::Result<SQLiteReaderPtr> nothing = Core::fail(Core::Error{"SQLite", SQLITE_OK, sqlite3_errstr(SQLITE_OK)});
    visit(step, nothing);
  }
  return {};
}

Core::Result<std::vector<Core::ObjectPtr>> SQLiteProvider::execute_statements(const std::string& statements, bool) {
  std::vector<Core::ObjectPtr> results;
  std::optional<Core::Error> aborted;
  auto ran = run_script(
      statements,
      [&](const ScriptStep&, Core::Result<SQLiteReaderPtr>& outcome) {
        if (outcome.has_value()) {
          const SQLiteReaderPtr reader = std::move(outcome.value());
          if (!reader->has_row()) {
            const std::int64_t changes = std::max<std::int64_t>(reader->changes(), 0);
            results.push_back(Contracts::ValueUInt64::create(static_cast<std::uint64_t>(changes)));
            return true;
          }
          auto model = fill(reader->m_statement);
          if (!model) {
            aborted = std::move(model.error());
            return false;
          }
          results.push_back(std::move(*model));
          return true;
        }
        results.push_back(Contracts::ValueError::create(outcome.error().code, outcome.error().message));
        return true;
      },
      true);
  if (!ran) {
    return Core::fail(std::move(ran.error()));
  }
  if (aborted) {
    return Core::fail(std::move(*aborted));
  }
  return results;
}

// Transactions

Core::Status SQLiteProvider::run(sqlite3* engine, const char* sql) {
  // The engine's own error text from sqlite3_exec is not needed: the handle
  // holds the same error.
  return raise_error(engine, sqlite3_exec(engine, sql, nullptr, nullptr, nullptr));
}

Core::Result<bool> SQLiteProvider::transaction() {
  auto session = this->session();
  if (!session) {
    return Core::fail(std::move(session.error()));
  }
  EngineLock lock(session->engine);
  if (sqlite3_get_autocommit(session->engine) == 0) {
    return true;
  }
  if (auto status = run(session->engine, "BEGIN"); !status) {
    return Core::fail(std::move(status.error()));
  }
  return true;
}

Core::Status SQLiteProvider::commit() {
  auto session = this->session();
  if (!session) {
    return {};
  }
  EngineLock lock(session->engine);
  if (sqlite3_get_autocommit(session->engine) != 0) {
    return {};
  }
  return run(session->engine, "COMMIT");
}

Core::Status SQLiteProvider::rollback() {
  auto session = this->session();
  if (!session) {
    return {};
  }
  EngineLock lock(session->engine);
  if (sqlite3_get_autocommit(session->engine) != 0) {
    return {};
  }
  return run(session->engine, "ROLLBACK");
}

}  // namespace Tolvane::Providers::Supports
