#pragma once

#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

struct sqlite3;

namespace Tolvane::Providers::Supports {

// Turns engine return codes into errors of the domain "SQLite".
class TESSIN_API ISQLiteError {
  TOLVANE_INTERFACE(ISQLiteError)

  virtual ~ISQLiteError();

  // Success for SQLITE_OK, SQLITE_ROW and SQLITE_DONE. Any other code gives the
  // handle's current error (its code and text, not `code`): the handle knows
  // more than the bare return code.
  Core::Status raise_error(sqlite3* database, int code) const;
};

}  // namespace Tolvane::Providers::Supports
