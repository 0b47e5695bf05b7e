#include "tessin/supports/sqlite/sqlite_error.hpp"

#include <sqlite3.h>

namespace Tolvane::Providers::Supports {

const Core::TypeInfo& ISQLiteError::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersSupportsISQLiteError", {});
  return info;
}

ISQLiteError::~ISQLiteError() = default;

Core::Status ISQLiteError::raise_error(sqlite3* database, int code) const {
  TOLVANE_RETURN_VAL_IF_FAIL(database != nullptr, "database != NULL", {});
  if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) {
    return {};
  }
  return Core::fail("SQLite", sqlite3_errcode(database), sqlite3_errmsg(database));
}

}  // namespace Tolvane::Providers::Supports
