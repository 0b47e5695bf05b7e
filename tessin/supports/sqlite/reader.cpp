#include "tessin/supports/sqlite/reader.hpp"

#include <sqlite3.h>

#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/object_arena.hpp"
#include "tessin/core/property.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"

namespace Tolvane::Providers::Supports {

using Contracts::DataType;
using Contracts::ValueObjectPtr;

namespace {

Core::Error allocation_failure() { return Core::Error{"SQLite", -1, Core::_("Failed to allocate memory.")}; }

}  // namespace

const Core::TypeInfo& SQLiteReader::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersSupportsSQLiteReader", &Core::Object::static_type(),
      {&Contracts::IDataReader::static_type(), &ISQLiteType::static_type(), &ISQLiteError::static_type()},
      Core::factory_of<SQLiteReader>(),
      {Core::property("field-count", &SQLiteReader::get_field_count),
       Core::property("is-closed", &SQLiteReader::get_is_closed)});
  return info;
}

SQLiteReader::SQLiteReader(sqlite3* connection, sqlite3_stmt* borrowed, StatementPtr owned) noexcept
    : m_connection(connection), m_owned(std::move(owned)), m_statement(m_owned ? m_owned.get() : borrowed) {
  if (m_statement != nullptr) {
    m_is_query = sqlite3_column_count(m_statement) > 0;
    m_is_readonly = sqlite3_stmt_readonly(m_statement) != 0;
    m_kind = SqlText::first_keyword(sqlite3_sql(m_statement));
  }
}

SQLiteReaderPtr SQLiteReader::create(sqlite3* connection, sqlite3_stmt* stmt) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(stmt != nullptr, "stmt != NULL", nullptr);
  return std::make_shared<SQLiteReader>(connection, stmt, nullptr);
}

SQLiteReaderPtr SQLiteReader::adopt(sqlite3* connection, StatementPtr stmt) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(stmt != nullptr, "stmt != NULL", nullptr);
  return std::make_shared<SQLiteReader>(connection, nullptr, std::move(stmt));
}

void SQLiteReader::started_locked(int step_code, std::int64_t total_before) noexcept {
  m_total_before = total_before;
  m_has_row = step_code == SQLITE_ROW;
  if (step_code == SQLITE_DONE) {
    m_is_closed = true;
    finished_locked();
  }
}

void SQLiteReader::finished_locked() noexcept {
  // sqlite3_changes64 keeps the count of the last INSERT, UPDATE or DELETE
  // when a statement of another kind finishes; a statement that left the
  // engine's running total where it was changed nothing itself.
  if (m_is_readonly ||
      (m_total_before >= 0 && sqlite3_total_changes64(m_connection) == m_total_before)) {
    m_changes = 0;
  } else {
    m_changes = sqlite3_changes64(m_connection);
  }
}

Core::Result<int> SQLiteReader::bulk() { return 0; }

Core::Result<bool> SQLiteReader::read() {
  // Stepping a finished statement would start it again from the first row.
  if (m_is_closed || m_statement == nullptr) {
    return false;
  }
  // The step and what it leaves on the handle (error, change count) are read
  // as one unit: another thread's statement on this handle would overwrite them.
  EngineLock lock(m_connection);
  const int code = sqlite3_step(m_statement);
  if (code == SQLITE_ROW) {
    return true;
  }
  m_has_row = false;
  if (code == SQLITE_DONE) {
    m_is_closed = true;
    finished_locked();
    return false;
  }
  auto status = raise_error(m_connection, code);
  if (!status) {
    return Core::fail(std::move(status.error()));
  }
  return false;
}

Core::Status SQLiteReader::close() {
  m_is_closed = true;
  m_has_row = false;
  m_statement = nullptr;
  m_owned.reset();
  return {};
}

Core::Result<std::string> SQLiteReader::get_name(Column col) {
  // The engine has no guard for a null statement here.
  if (m_statement == nullptr) {
    return std::string();
  }
  const char* name = sqlite3_column_name(m_statement, col);
  return std::string(name != nullptr ? name : "");
}

Core::Result<std::string> SQLiteReader::get_dbms_type(Column col) {
  return map_dbms_type(sqlite3_column_type(m_statement, col));
}

Core::Result<DataType> SQLiteReader::get_data_type(Column col) {
  return map_data_type(sqlite3_column_type(m_statement, col));
}

Core::Result<std::int64_t> SQLiteReader::get_size(Column col) {
  return static_cast<std::int64_t>(sqlite3_column_bytes(m_statement, col));
}

Core::Result<bool> SQLiteReader::is_null(Column col) {
  return sqlite3_value_type(sqlite3_column_value(m_statement, col)) == SQLITE_NULL;
}

Core::Result<bool> SQLiteReader::get_boolean(Column col) {
  return sqlite3_value_int64(sqlite3_column_value(m_statement, col)) != 0;
}

Core::Result<std::int8_t> SQLiteReader::get_int8(Column col) {
  return static_cast<std::int8_t>(sqlite3_column_int(m_statement, col));
}
Core::Result<std::uint8_t> SQLiteReader::get_uint8(Column col) {
  return static_cast<std::uint8_t>(sqlite3_column_int(m_statement, col));
}
Core::Result<std::int16_t> SQLiteReader::get_int16(Column col) {
  return static_cast<std::int16_t>(sqlite3_column_int(m_statement, col));
}
Core::Result<std::uint16_t> SQLiteReader::get_uint16(Column col) {
  return static_cast<std::uint16_t>(sqlite3_column_int(m_statement, col));
}
Core::Result<std::int32_t> SQLiteReader::get_int32(Column col) {
  return static_cast<std::int32_t>(sqlite3_column_int64(m_statement, col));
}
Core::Result<std::uint32_t> SQLiteReader::get_uint32(Column col) {
  return static_cast<std::uint32_t>(sqlite3_column_int64(m_statement, col));
}
Core::Result<std::int64_t> SQLiteReader::get_int64(Column col) {
  return static_cast<std::int64_t>(sqlite3_column_int64(m_statement, col));
}
Core::Result<std::uint64_t> SQLiteReader::get_uint64(Column col) {
  return static_cast<std::uint64_t>(sqlite3_column_int64(m_statement, col));
}
Core::Result<float> SQLiteReader::get_float(Column col) {
  return static_cast<float>(sqlite3_column_double(m_statement, col));
}
Core::Result<double> SQLiteReader::get_double(Column col) { return sqlite3_column_double(m_statement, col); }
Core::Result<double> SQLiteReader::get_decimal(Column col) { return sqlite3_column_double(m_statement, col); }
Core::Result<double> SQLiteReader::get_money(Column col) { return sqlite3_column_double(m_statement, col); }

Core::Result<std::string> SQLiteReader::text_of(Column col) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, col));
  const int bytes = sqlite3_column_bytes(m_statement, col);
  if (text == nullptr) {
    // A null cell has no text; any other cell without one ran out of memory
    // while the engine converted it.
    if (sqlite3_column_type(m_statement, col) != SQLITE_NULL) {
      EngineLock lock(m_connection);
      if (sqlite3_errcode(m_connection) == SQLITE_NOMEM) {
        return Core::fail(allocation_failure());
      }
    }
    return std::string();
  }
  // By length, so text holding a zero byte is kept whole.
  return std::string(text, static_cast<std::size_t>(bytes));
}

Core::Result<std::string> SQLiteReader::get_string(Column col) { return text_of(col); }
Core::Result<std::string> SQLiteReader::get_string16(Column col) { return text_of(col); }
Core::Result<std::string> SQLiteReader::get_guid(Column col) { return text_of(col); }

Core::Result<GDate> SQLiteReader::get_date(Column col) {
  GDate date;
  g_date_clear(&date, 1);
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, col));
  if (text != nullptr) {
    g_date_set_parse(&date, text);
  }
  return date;
}

namespace {

// ISO 8601; a text without a zone is taken as UTC. Null when it does not parse.
Core::DateTime datetime_of(sqlite3_stmt* statement, int col) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, col));
  if (text == nullptr) {
    return Core::DateTime();
  }
  static GTimeZone* const utc = g_time_zone_new_utc();
  return Core::DateTime::adopt(g_date_time_new_from_iso8601(text, utc));
}

}  // namespace

Core::Result<Core::DateTime> SQLiteReader::get_time(Column col) { return datetime_of(m_statement, col); }
Core::Result<Core::DateTime> SQLiteReader::get_datetime(Column col) { return datetime_of(m_statement, col); }
Core::Result<Core::DateTime> SQLiteReader::get_timestamp(Column col) { return datetime_of(m_statement, col); }

Core::Result<std::int64_t> SQLiteReader::get_timespan(Column col) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, col));
  if (text == nullptr) {
    return 0;
  }
  // Base 0: decimal, "0x" hexadecimal or leading-zero octal.
  return static_cast<std::int64_t>(g_ascii_strtoll(text, nullptr, 0));
}

Core::Result<Core::Bytes> SQLiteReader::get_binary(Column col) {
  const void* data = sqlite3_column_blob(m_statement, col);
  const int bytes = sqlite3_column_bytes(m_statement, col);
  if (data == nullptr && bytes > 0) {
    return Core::fail(allocation_failure());
  }
  return Core::Bytes::adopt(g_bytes_new(bytes > 0 ? data : nullptr, static_cast<gsize>(bytes)));
}

Core::Result<ValueObjectPtr> SQLiteReader::get_value(Column col) {
  // In the caller's arena when it has one open (the fill of a table model).
  using Core::ObjectArena;
  switch (sqlite3_column_type(m_statement, col)) {
    case SQLITE_NULL:
      return ObjectArena::make_current<Contracts::ValueNull>();
    case SQLITE_INTEGER:
      return ObjectArena::make_current<Contracts::ValueInt64>(
          static_cast<std::int64_t>(sqlite3_column_int64(m_statement, col)));
    case SQLITE_FLOAT:
      return ObjectArena::make_current<Contracts::ValueDouble>(sqlite3_column_double(m_statement, col));
    case SQLITE_BLOB: {
      auto bytes = get_binary(col);
      if (!bytes) {
        return Core::fail(std::move(bytes.error()));
      }
      return ObjectArena::make_current<Contracts::ValueBlob>(std::move(*bytes));
    }
    default: {
      auto text = text_of(col);
      if (!text) {
        return Core::fail(std::move(text.error()));
      }
      return ObjectArena::make_current<Contracts::ValueString>(std::move(*text));
    }
  }
}

int SQLiteReader::get_field_count() const { return sqlite3_column_count(m_statement); }

bool SQLiteReader::get_is_closed() const { return m_is_closed; }

}  // namespace Tolvane::Providers::Supports
