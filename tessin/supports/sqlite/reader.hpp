#pragma once

#include <memory>

#include "tessin/contracts/data_reader.hpp"
#include "tessin/supports/sqlite/sqlite_error.hpp"
#include "tessin/supports/sqlite/sqlite_type.hpp"
#include "tessin/supports/sqlite/statement_handle.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

class SQLiteReader;
using SQLiteReaderPtr = std::shared_ptr<SQLiteReader>;

class SQLiteProvider;

// A forward-only reader over one prepared statement, standing on the row the
// statement was last stepped to. Values are made by the storage class of each
// cell (integer, float, text, blob, null), not by the column's declared type.
// Column indexes go to the engine unchecked; the engine answers a bad index
// with a null value.
//
// A reader handed to a caller owns its statement (`adopt`) and finalizes it
// when it is closed or destroyed; one the provider makes for its own use
// borrows it (`create`), and the provider finalizes it afterwards. After
// `close` every operation answers without touching the engine: an empty name,
// a null value, false.
//
// Besides the rows, a reader tells the statement's own outcome: whether it
// yields rows, whether it only reads, its first keyword, and the rows it
// changed. The change count is read under the engine's connection mutex right
// after the step that finished the statement, so another thread's statement on
// the same handle cannot change it.
//
// Used by one thread at a time; `read` takes the engine's connection mutex, so
// readers of one handle may live on different threads.
class TESSIN_API SQLiteReader final : public Core::Object,
                                      public Contracts::IDataReader,
                                      public ISQLiteType,
                                      public ISQLiteError {
  TOLVANE_OBJECT(SQLiteReader)

  SQLiteReader(sqlite3* connection, sqlite3_stmt* borrowed, StatementPtr owned) noexcept;

  // A reader borrowing `stmt`. Null (after a critical) when either pointer is null.
  static SQLiteReaderPtr create(sqlite3* connection, sqlite3_stmt* stmt);
  // A reader owning `stmt`. Null (after a critical) when either pointer is null.
  static SQLiteReaderPtr adopt(sqlite3* connection, StatementPtr stmt);

  Core::Result<int> bulk() override;
  Core::Result<bool> read() override;
  Core::Status close() override;
  Core::Result<std::string> get_name(Column col) override;
  Core::Result<std::string> get_dbms_type(Column col) override;
  Core::Result<Contracts::DataType> get_data_type(Column col) override;
  Core::Result<std::int64_t> get_size(Column col) override;
  Core::Result<bool> is_null(Column col) override;
  Core::Result<bool> get_boolean(Column col) override;
  Core::Result<std::int8_t> get_int8(Column col) override;
  Core::Result<std::uint8_t> get_uint8(Column col) override;
  Core::Result<std::int16_t> get_int16(Column col) override;
  Core::Result<std::uint16_t> get_uint16(Column col) override;
  Core::Result<std::int32_t> get_int32(Column col) override;
  Core::Result<std::uint32_t> get_uint32(Column col) override;
  Core::Result<std::int64_t> get_int64(Column col) override;
  Core::Result<std::uint64_t> get_uint64(Column col) override;
  Core::Result<double> get_decimal(Column col) override;
  Core::Result<double> get_money(Column col) override;
  Core::Result<float> get_float(Column col) override;
  Core::Result<double> get_double(Column col) override;
  Core::Result<GDate> get_date(Column col) override;
  Core::Result<Core::DateTime> get_time(Column col) override;
  Core::Result<Core::DateTime> get_datetime(Column col) override;
  Core::Result<std::int64_t> get_timespan(Column col) override;
  Core::Result<std::string> get_string(Column col) override;
  Core::Result<std::string> get_string16(Column col) override;
  Core::Result<std::string> get_guid(Column col) override;
  Core::Result<Core::Bytes> get_binary(Column col) override;
  Core::Result<Core::DateTime> get_timestamp(Column col) override;
  // The same values IDataReader::get_value makes from the storage-class mapping
  // (ValueNull, ValueInt64, ValueDouble, ValueString, ValueBlob), with one
  // look at the cell instead of one per step: this is the fill path of every
  // result grid.
  Core::Result<Contracts::ValueObjectPtr> get_value(Column col) override;
  int get_field_count() const override;
  bool get_is_closed() const override;

  // Whether the reader stands on a row (false for a statement that yielded
  // none, and after the last row).
  bool has_row() const noexcept { return m_has_row; }
  // Whether the statement yields result columns (a query, or a change with
  // RETURNING), even when it yields no row.
  bool is_query() const noexcept { return m_is_query; }
  // Whether the statement leaves the database as it is (sqlite3_stmt_readonly).
  bool is_readonly() const noexcept { return m_is_readonly; }
  // The statement's first keyword in upper case ("INSERT", "SELECT", "WITH",
  // "CREATE", "PRAGMA" ...), comments skipped; "" when there is none.
  const std::string& statement_kind() const noexcept { return m_kind; }
  // The rows the statement itself changed (INSERT, UPDATE, DELETE; not those
  // of triggers), once it has run to its end; 0 for a statement that changes
  // no rows (CREATE TABLE after an INSERT gives 0, not the INSERT's count),
  // and -1 while it has not finished.
  std::int64_t changes() const noexcept { return m_changes; }

 private:
  friend class SQLiteProvider;

  // Records the outcome of the first step, which the provider made under the
  // engine's connection mutex (held by the caller) with `total_before` the
  // engine's total change count before it.
  void started_locked(int step_code, std::int64_t total_before) noexcept;
  // Reads the statement's change count after its last step; under the mutex.
  void finished_locked() noexcept;
  Core::Result<std::string> text_of(Column col) const;

  sqlite3* m_connection;
  StatementPtr m_owned;
  // The statement read from, owned or borrowed; null after close.
  sqlite3_stmt* m_statement;
  bool m_is_closed = false;
  bool m_has_row = true;
  bool m_is_query = false;
  bool m_is_readonly = true;
  std::int64_t m_total_before = -1;
  std::int64_t m_changes = -1;
  std::string m_kind;
};

}  // namespace Tolvane::Providers::Supports
