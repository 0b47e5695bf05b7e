#pragma once

#include <memory>

#include "tessin/contracts/data_reader.hpp"
#include "tessin/supports/sqlite/sqlite_error.hpp"
#include "tessin/supports/sqlite/sqlite_type.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

class SQLiteReader;
using SQLiteReaderPtr = std::shared_ptr<SQLiteReader>;

// A forward-only reader over one prepared statement, standing on the row the
// statement was last stepped to. Values are made by the storage class of each
// cell (integer, float, text, blob, null), not by the column's declared type.
// Column indexes go to the engine unchecked; the engine answers a bad index
// with a null value. Used by one thread at a time.
class TESSIN_API SQLiteReader final : public Core::Object,
                                      public Contracts::IDataReader,
                                      public ISQLiteType,
                                      public ISQLiteError {
  TOLVANE_OBJECT(SQLiteReader)

  // Whether the reader finalizes its statement when it is closed or destroyed.
  // A reader handed to a caller owns its statement; one the provider makes for
  // its own use borrows it, and the provider finalizes it afterwards.
  enum class Ownership { Borrow, Own };

  SQLiteReader(sqlite3* connection, sqlite3_stmt* stmt, Ownership ownership) noexcept;
  ~SQLiteReader() override;

  // Null (after a critical) when either pointer is null.
  static SQLiteReaderPtr create(sqlite3* connection, sqlite3_stmt* stmt, Ownership ownership = Ownership::Borrow);

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

 private:
  Core::Result<std::string> text_of(Column col) const;

  sqlite3* m_connection;
  sqlite3_stmt* m_statement;
  Ownership m_ownership;
  bool m_is_closed = false;
};

}  // namespace Tolvane::Providers::Supports
