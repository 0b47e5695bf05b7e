#pragma once

#include <memory>

#include "orvel/contracts/database/explorable.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IConnection;
}

namespace Tolvane::Orvel::Supports::Database {

class SQLiteExplorer;
using SQLiteExplorerPtr = std::shared_ptr<SQLiteExplorer>;

// The object lists of an SQLite database for display, one result table per
// kind, with titled columns. Schema names are quoted (inner quotes doubled), so
// any attached name works. Uses its connection synchronously on the caller's
// thread and keeps no state.
class ORVEL_API SQLiteExplorer final : public Core::Object, public Contracts::Database::IExplorable {
  TOLVANE_OBJECT(SQLiteExplorer)

  // `conn` is not owned; the connection owns its explorer.
  explicit SQLiteExplorer(Contracts::Database::IConnection* conn) noexcept : m_connection(conn) {}
  // Null, with a critical, without a connection.
  static SQLiteExplorerPtr create(Contracts::Database::IConnection* conn);

  Contracts::Database::IConnection* get_connection() const noexcept { return m_connection; }

  Core::Result<Providers::Contracts::TableModelPtr> load_objects(std::optional<std::string_view> database,
                                                                std::optional<std::string_view> schema,
                                                                Providers::Contracts::DBObject type,
                                                                const Core::ObjectPtr& extra_data) override;

 private:
  using Result = Core::Result<Providers::Contracts::TableModelPtr>;

  Result load_database();
  Result load_schemas();
  Result load_triggers(const std::string& schema);
  // Runs `sql` and titles the result's columns.
  Result load_titled(const std::string& sql, std::initializer_list<const char*> titles);

  // Not owned: the connection creates its explorer and outlives it.
  Contracts::Database::IConnection* m_connection;
};

}  // namespace Tolvane::Orvel::Supports::Database
