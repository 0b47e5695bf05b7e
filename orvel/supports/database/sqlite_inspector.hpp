#pragma once

#include <memory>

#include "orvel/contracts/database/inspectable.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IConnection;
}  // namespace Tolvane::Orvel::Contracts::Database

namespace Tolvane::Orvel::Supports::Database {

class SQLiteInspector;
using SQLiteInspectorPtr = std::shared_ptr<SQLiteInspector>;

// SQLite's answers to the dialect questions. Stateless apart from its
// connection, so one inspector may serve any number of threads.
class ORVEL_API SQLiteInspector final : public Core::Object, public Contracts::Database::IInspectable {
  TOLVANE_OBJECT(SQLiteInspector)

  explicit SQLiteInspector(Contracts::Database::IConnection* conn) noexcept : m_connection(conn) {}
  // Null, with a critical, without a connection.
  static SQLiteInspectorPtr create(Contracts::Database::IConnection* conn);

  Contracts::Database::IConnection* get_connection() const noexcept { return m_connection; }

  std::vector<std::string> support(Contracts::Database::DbMetaType type) const override;
  std::optional<std::string> get_type_default(std::optional<std::string_view> native_type) const override;
  Providers::Contracts::DataType get_data_type(std::optional<std::string_view> native_type) const override;
  std::string get_sql_type(Providers::Contracts::DataType type) const override;
  GType get_glib_type(std::optional<std::string_view> native_type) const override;

 private:
  // Not owned: the connection creates its inspector and outlives it.
  Contracts::Database::IConnection* m_connection;
};

}  // namespace Tolvane::Orvel::Supports::Database
