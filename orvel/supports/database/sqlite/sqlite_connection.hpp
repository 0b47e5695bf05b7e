#pragma once

#include "orvel/supports/database/connection_impl.hpp"

namespace Tolvane::Orvel::Supports::Database {

// A connection to an SQLite database through the SQLite provider.
class ORVEL_API SQLiteConnection final : public ConnectionImpl {
  TOLVANE_OBJECT(SQLiteConnection)

  SQLiteConnection();
  static std::shared_ptr<SQLiteConnection> create() { return std::make_shared<SQLiteConnection>(); }

  std::shared_ptr<Contracts::Database::IAdaptable> adapter() override;
  std::shared_ptr<Contracts::Database::IBuildable> builder() override;
  std::shared_ptr<Contracts::Database::IExplorable> explorer() override;
  std::shared_ptr<Contracts::Database::IInspectable> inspector() override;
  Contracts::Database::IStatementPtr statement() override;

  // Reads "SELECT sqlite_version();" into `version`.
  Core::Status update_version() override;
};

}  // namespace Tolvane::Orvel::Supports::Database
