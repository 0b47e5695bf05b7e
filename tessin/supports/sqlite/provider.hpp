#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>

#include "tessin/contracts/provider.hpp"
#include "tessin/supports/sqlite/open_options.hpp"
#include "tessin/supports/sqlite/parameters.hpp"
#include "tessin/supports/sqlite/reader.hpp"
#include "tessin/supports/sqlite/sqlite_error.hpp"
#include "tessin/supports/sqlite/statement_handle.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

class SQLiteProvider;
using SQLiteProviderPtr = std::shared_ptr<SQLiteProvider>;

// Where one statement of a script stands in the script.
struct ScriptStep {
  // The statement as written, from its first token through its ';' (a view
  // into the caller's script).
  std::string_view text;
  // Byte offset of `text` in the script.
  std::size_t offset = 0;
  // 1-based line of the script on which the statement starts.
  std::size_t line = 1;
};

// Receives each statement of a script as it has run: a reader on the
// statement (standing on its first row when it has one; see SQLiteReader for
// its outcome) or the statement's error. The visitor may take the reader or
// the error out of `outcome`. Return false to stop the script.
using ScriptVisitor = std::function<bool(const ScriptStep& step, Core::Result<SQLiteReaderPtr>& outcome)>;

// The provider over SQLite3 Multiple Ciphers: one database file per instance,
// opened with the options of the profile (see SQLiteOpenOptions: the
// encryption key "PASSWORD=<key>", cipher scheme, busy timeout, read-only) and
// its user name and password. File names may be URIs ("file:x.db?mode=ro").
// Values are made by the storage class of each cell.
//
// Threads: several threads may call one provider at once. Every call that
// uses the handle holds `m_handle_mutex` shared, and the engine's own
// connection mutex (EngineLock) around each step and the reading of what the
// step left on the handle (error code, message, change count), so a call never
// reports another call's outcome. `open` and `close` take `m_handle_mutex`
// exclusively; they interrupt running statements until they get it, so
// closing never waits for a long query. `interrupt` takes no lock at all.
class TESSIN_API SQLiteProvider final : public Core::Object, public Contracts::IProvider, public ISQLiteError {
  TOLVANE_OBJECT(SQLiteProvider)

  SQLiteProvider();
  ~SQLiteProvider() override;
  static SQLiteProviderPtr create() { return std::make_shared<SQLiteProvider>(); }

  Core::Status open(const Contracts::ServerPtr& server, const std::string& connection_string) override;
  void close() override;
  Core::Result<Contracts::TableModelPtr> execute_model(const std::string& statement, bool in_worker) override;
  Core::Result<std::int64_t> execute_affect(const std::string& statement, bool in_worker) override;
  Core::Result<Contracts::ValueObjectPtr> execute_scalar(const std::string& statement, bool in_worker) override;
  // Built on execute_script. A statement that changes no rows counts 0 (not
  // the count of the last INSERT, UPDATE or DELETE before it).
  Core::Result<std::vector<Core::ObjectPtr>> execute_statements(const std::string& statements,
                                                                bool in_worker) override;
  Core::Result<std::shared_ptr<Contracts::IDataReader>> execute_reader(const std::string& statement) override;
  Core::Result<bool> transaction() override;
  Core::Status commit() override;
  Core::Status rollback() override;
  bool get_is_opened() const override { return m_is_opened.load(std::memory_order_acquire); }
  // Stops the statement running on the handle (sqlite3_interrupt); it fails
  // with "interrupted" (code 9). Safe from any thread and from a signal
  // handler: no lock, no allocation. Does nothing without a handle.
  void interrupt() noexcept override;

  // Prepares the first statement of `sql`, binds `parameters` (see
  // SQLiteParameter) and steps it once. The reader owns the statement and
  // tells its outcome: for a statement without rows it is already finished
  // (`changes`), for a query it stands on the first row, if any (`has_row`).
  // Fails with the engine's error of the prepare, binding or first step, with
  // "No SQL statement to execute." for text without a statement, and with
  // "No database is open." without a handle.
  Core::Result<SQLiteReaderPtr> execute_prepared(const std::string& sql, const SQLiteParameters& parameters = {});

  // Runs a script statement by statement and hands each outcome to `visit` as
  // soon as the statement has run (the reader is dropped when `visit`
  // returns, unless it keeps it), so memory does not grow with the script.
  // A failing statement does not stop the script; `visit` does by returning
  // false. White space and comments between statements are no statements.
  // Fails before running anything when the script holds a NUL byte ("the
  // script contains a NUL byte at offset N") or no database is open. Each
  // statement is logged as the warning "Prepare: %s", keys hidden.
  Core::Status execute_script(const std::string& script, const ScriptVisitor& visit);

  // Sets, changes or removes (empty `new_key`) the encryption key of the open
  // database with sqlite3_rekey, in the cipher scheme the database was opened
  // with. The key is never logged.
  Core::Status rekey(const std::string& new_key);

  // The database handle, or null before the first open and after close.
  sqlite3* get_engine() const noexcept { return m_engine.load(std::memory_order_acquire); }

  // The encryption key the options carry (SQLiteOpenOptions: the value of the
  // first "PASSWORD" piece, split at its first '=' only); empty when there is
  // none or the options do not parse.
  static std::string key_of(const std::string& options);

 private:
  // The handle for a call, with m_handle_mutex held shared for its duration.
  struct Session;
  // Fails with "No database is open." without a handle.
  Core::Result<Session> session() const;

  // Prepares the first statement of `text`; "No SQL statement to execute."
  // when it holds none. Under the engine's connection mutex, as is the next.
  Core::Result<StatementPtr> prepare(sqlite3* engine, const std::string& text);
  // Prepares the first statement of `text` and steps it once.
  Core::Result<StatementPtr> prepare_and_step(sqlite3* engine, const std::string& text, int& step_code);
  // A table model of every row of `statement`, already stepped once.
  Core::Result<Contracts::TableModelPtr> fill(sqlite3_stmt* statement);
  Core::Status run(sqlite3* engine, const char* sql);
  Core::Status apply_options(sqlite3* handle, const SQLiteOpenOptions& options);
  // The script loop; `report_empty` hands a piece of only comments to `visit`
  // as an error of code 0, as execute_statements always has.
  Core::Status run_script(const std::string& script, const ScriptVisitor& visit, bool report_empty);
  // Takes m_handle_mutex exclusively, interrupting statements until it has it.
  std::unique_lock<std::shared_timed_mutex> lock_exclusive();
  // Forgets and closes the handle; m_handle_mutex held exclusively.
  void close_locked();
  static int busy_wait(void* self, int count);

  mutable std::shared_timed_mutex m_handle_mutex;
  // Replaced under m_handle_mutex held exclusively; read under it shared, and
  // without any lock by `interrupt` (counted in m_interrupters, which
  // close_locked waits out before the handle is closed).
  std::atomic<sqlite3*> m_engine{nullptr};
  std::atomic<int> m_interrupters{0};
  std::atomic<bool> m_is_opened{false};
  // Guarded by m_handle_mutex (written exclusively by open, read by the busy
  // handler during statements).
  int m_busy_timeout = SQLiteOpenOptions::kDefaultBusyTimeout;
};

}  // namespace Tolvane::Providers::Supports
