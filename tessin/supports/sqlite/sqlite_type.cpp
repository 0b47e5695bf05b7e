#include "tessin/supports/sqlite/sqlite_type.hpp"

#include <sqlite3.h>

namespace Tolvane::Providers::Supports {

const Core::TypeInfo& ISQLiteType::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersSupportsISQLiteType", {});
  return info;
}

ISQLiteType::~ISQLiteType() = default;

Contracts::DataType ISQLiteType::map_data_type(int storage_class) const noexcept {
  using Contracts::DataType;
  switch (storage_class) {
    case SQLITE_INTEGER:
      return DataType::Int64;
    case SQLITE_FLOAT:
      return DataType::Double;
    case SQLITE_BLOB:
      return DataType::Blob;
    case SQLITE_NULL:
      return DataType::DbNull;
    default:
      return DataType::String;
  }
}

std::string ISQLiteType::map_dbms_type(int storage_class) const {
  switch (storage_class) {
    case SQLITE_INTEGER:
      return "INTEGER";
    case SQLITE_FLOAT:
      return "FLOAT";
    case SQLITE_TEXT:
      return "TEXT";
    case SQLITE_BLOB:
      return "BLOB";
    case SQLITE_NULL:
      return "NULL";
    default:
      return "ANY";
  }
}

}  // namespace Tolvane::Providers::Supports
