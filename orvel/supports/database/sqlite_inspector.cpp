#include "orvel/supports/database/sqlite_inspector.hpp"

#include <glib.h>

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

using Contracts::Database::DbMetaType;
using Providers::Contracts::DataType;

namespace {

// The native types SQLite's type affinity knows by name.
enum class Native { Text, Integer, Numeric, Real, Blob, Other };

Native classify(std::string_view native_type) {
  // Declared types are short; comparing case-insensitively avoids an upper-cased copy.
  auto is = [native_type](std::string_view name) {
    return native_type.size() == name.size() &&
           g_ascii_strncasecmp(native_type.data(), name.data(), name.size()) == 0;
  };
  if (is("TEXT") || is("VARCHAR")) {
    return Native::Text;
  }
  if (is("INTEGER")) {
    return Native::Integer;
  }
  if (is("NUMERIC")) {
    return Native::Numeric;
  }
  if (is("REAL")) {
    return Native::Real;
  }
  if (is("BLOB")) {
    return Native::Blob;
  }
  return Native::Other;
}

}  // namespace

const Core::TypeInfo& SQLiteInspector::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteInspector", &Core::Object::static_type(),
                                   {&Contracts::Database::IInspectable::static_type()},
                                   Core::factory_of<SQLiteInspector>(), {});
  return info;
}

SQLiteInspectorPtr SQLiteInspector::create(Contracts::Database::IConnection* conn) {
  TOLVANE_RETURN_VAL_IF_FAIL(conn != nullptr, "conn != NULL", nullptr);
  return std::make_shared<SQLiteInspector>(conn);
}

std::vector<std::string> SQLiteInspector::support(DbMetaType type) const {
  switch (type) {
    case DbMetaType::COLLATION:
      return {"BINARY", "NOCASE", "RTRIM"};
    case DbMetaType::COLUMN_DEFAULT:
      // Spelled so on purpose: callers and stored settings compare against this text.
      return {"EMPYT STRING", "NULL"};
    case DbMetaType::COLUMN_TYPE:
      return {"INTEGER", "REAL", "TEXT", "BLOB"};
    case DbMetaType::DATASET_STATEMENT:
      return {"SELECT", "PRAGMA"};
    case DbMetaType::DEFERRED_ACTION:
      // Exactly the texts the builder turns into DEFERRABLE clauses.
      return {"NOT", "NOTHING", "INITIALLY IMMEDIATE", "INITIALLY DEFERRED"};
    case DbMetaType::EXPLORABLE:
      return {"database", "schema", "table", "view", "index", "trigger"};
    case DbMetaType::FOREIGNKEY_ACTION:
      return {"CASCADE", "SET NULL", "NO ACTION", "RESTRICT", "SET DEFAULT"};
    case DbMetaType::INDEX_TYPE:
      return {"UNIQUE"};
    case DbMetaType::ONCONFLICT:
      return {"FAIL", "ABORT", "IGNORE", "REPLACE", "ROLLBACK"};
    case DbMetaType::ORDER_NORMAL:
      return {"ASC", "DESC"};
    case DbMetaType::SYNC_TRANSFER:
      return {"AUTOINC", "CHECK",       "FOREIGN",  "INDEX",       "TRIGGER", "UNIQUE",
              "BLOB",    "INSERT",      "TRANSACTION", "CONTINUE", "DROP_OBJECT", "IDENTIFIER"};
    case DbMetaType::SYNC_DATA:
      return {"DELETE", "INSERT", "UPDATE"};
    case DbMetaType::TRIGGER_FIRE_EVENT:
      return {"INSERT", "UPDATE", "DELETE"};
    case DbMetaType::TRIGGER_FIRE_TIME:
    case DbMetaType::TRIGGER_FIRE_TIME_TABLE:
      return {"AFTER", "BEFORE"};
    case DbMetaType::TRIGGER_FIRE_TIME_VIEW:
      return {"INSTEAD OF"};
    case DbMetaType::TRIGGER_TEMPLATE:
      return {"BEGIN\n  -- Type the SQL Here.\nEND"};
    case DbMetaType::TRIGGER_TYPE:
      return {"TABLE", "VIEW"};
    case DbMetaType::VIEW_ALGORITHM:
      return {"TEMPORARY"};
    default:
      return {};
  }
}

std::optional<std::string> SQLiteInspector::get_type_default(std::optional<std::string_view> native_type) const {
  TOLVANE_RETURN_VAL_IF_FAIL(native_type.has_value(), "native_type != NULL", std::nullopt);
  switch (classify(*native_type)) {
    case Native::Integer:
      return "0";
    case Native::Numeric:
    case Native::Real:
      return "0.0";
    case Native::Blob:
      return "0x0";
    default:
      return "''";
  }
}

DataType SQLiteInspector::get_data_type(std::optional<std::string_view> native_type) const {
  TOLVANE_RETURN_VAL_IF_FAIL(native_type.has_value(), "native_type != NULL", DataType::Unknown);
  switch (classify(*native_type)) {
    case Native::Text:
      return DataType::String;
    case Native::Integer:
      return DataType::Int64;
    case Native::Numeric:
      return DataType::Money;
    case Native::Real:
      return DataType::Double;
    case Native::Blob:
      return DataType::Blob;
    default:
      return DataType::Unknown;
  }
}

std::string SQLiteInspector::get_sql_type(DataType type) const {
  switch (type) {
    case DataType::Unknown:
    case DataType::DbNull:
      return "NULL";
    case DataType::Boolean:
    case DataType::Int8:
    case DataType::Int16:
    case DataType::Int32:
    case DataType::Int64:
    case DataType::UInt8:
    case DataType::UInt16:
    case DataType::UInt32:
    case DataType::UInt64:
      return "INTEGER";
    case DataType::Money:
      return "NUMERIC";
    case DataType::Float:
    case DataType::Double:
      return "REAL";
    case DataType::Binary:
    case DataType::Blob:
    case DataType::Object:
      return "BLOB";
    default:
      return "TEXT";
  }
}

GType SQLiteInspector::get_glib_type(std::optional<std::string_view> native_type) const {
  TOLVANE_RETURN_VAL_IF_FAIL(native_type.has_value(), "native_type != NULL", G_TYPE_INVALID);
  switch (classify(*native_type)) {
    case Native::Text:
      return G_TYPE_STRING;
    case Native::Integer:
      return G_TYPE_INT64;
    case Native::Numeric:
      return G_TYPE_FLOAT;
    case Native::Real:
      return G_TYPE_DOUBLE;
    case Native::Blob:
      // The carrier the value classes use for blobs.
      return G_TYPE_BYTES;
    default:
      return G_TYPE_NONE;
  }
}

}  // namespace Tolvane::Orvel::Supports::Database
