#pragma once

// Owning and locking handles around the engine's C objects, shared by the
// provider, its reader and the user-authentication step.

#include <memory>

struct sqlite3;
struct sqlite3_mutex;
struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const noexcept;
};
// A prepared statement that is finalized when its owner lets it go.
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Holds the engine's own connection mutex (sqlite3_db_mutex) for a scope. The
// engine runs in serialized mode, so the mutex exists and is recursive: a step,
// the error code and message it left, and the change count are read as one
// unit, and no other thread's statement can overwrite them in between. Nothing
// is locked for a null handle.
class EngineLock {
 public:
  explicit EngineLock(sqlite3* database) noexcept;
  ~EngineLock();
  EngineLock(const EngineLock&) = delete;
  EngineLock& operator=(const EngineLock&) = delete;

 private:
  sqlite3_mutex* m_mutex;
};

}  // namespace Tolvane::Providers::Supports
