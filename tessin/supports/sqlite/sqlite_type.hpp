#pragma once

#include <string>

#include "tessin/contracts/data_type.hpp"
#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Supports {

// Names and classifies SQLite storage classes (the result of
// sqlite3_column_type): 1 integer, 2 float, 3 text, 4 blob, 5 null.
class TESSIN_API ISQLiteType {
  TOLVANE_INTERFACE(ISQLiteType)

  virtual ~ISQLiteType();

  // Int64, Double, String, Blob, DbNull; String for anything else.
  Contracts::DataType map_data_type(int storage_class) const noexcept;
  // "INTEGER", "FLOAT", "TEXT", "BLOB", "NULL"; "ANY" for anything else.
  std::string map_dbms_type(int storage_class) const;
};

}  // namespace Tolvane::Providers::Supports
