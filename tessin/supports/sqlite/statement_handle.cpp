#include "tessin/supports/sqlite/statement_handle.hpp"

#include <sqlite3.h>

namespace Tolvane::Providers::Supports {

void StatementFinalizer::operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }

EngineLock::EngineLock(sqlite3* database) noexcept
    : m_mutex(database != nullptr ? sqlite3_db_mutex(database) : nullptr) {
  sqlite3_mutex_enter(m_mutex);
}

EngineLock::~EngineLock() { sqlite3_mutex_leave(m_mutex); }

}  // namespace Tolvane::Providers::Supports
