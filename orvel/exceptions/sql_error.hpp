#pragma once

#include <string>

#include "orvel/orvel_api.hpp"
#include "tessin/core/enum_info.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Exceptions {

// Error codes of the SQL error domain, grouped in ranges by database family.
enum class SQLError : int {
  APP_ERROR_START = 0,
  CRYPTOGRAPHY = 1,
  MYSQL_ERROR_START = 10000,
  POSTGRESQL_ERROR_START = 20000,
  SQLITE_ERROR_START = 30000,
  UNKNOWN,
  ERROR,
  INTERNAL,
  ACCESS_DENIED,
  ABORTED,
  BUSY,
  LOCKED,
  NO_MEMORY,
  READ_ONLY,
  INTERRUPTED,
  IO,
  CORRUPT,
  NOT_FOUND,
  FULL,
  CAN_NOT_OPEN,
  PROTOCOL,
  EMPTY,
  SCHEMA,
  TOO_BIG,
  CONSTRAINT,
  MISMATCH,
  MISUSE,
  NOLFS,
  AUTH,
  FORMAT,
  RANGE,
  NOTADB,
  DATA_TYPE,
  THREAD,
  TRANSACTION,
  FEATURE_NOT_SUPPORTED,
  NO_SQL,
  MISSING_PARAMETER,
};

// The error domain: "tolvane-orvel-exceptions-sql-error-quark".
ORVEL_API const char* sql_error_domain();

// An error of the SQL error domain.
ORVEL_API Core::Error sql_error(SQLError code, std::string message);

}  // namespace Tolvane::Orvel::Exceptions

template <>
struct ORVEL_API Tolvane::Core::EnumTraits<Tolvane::Orvel::Exceptions::SQLError> {
  static const EnumInfo& info();
};
