#include "orvel/supports/database/sqlite/sqlite_connection.hpp"

#include "orvel/supports/database/sqlite/sqlite_adapter.hpp"
#include "orvel/supports/database/sqlite/sqlite_builder.hpp"
#include "orvel/supports/database/sqlite/sqlite_explorer.hpp"
#include "orvel/supports/database/sqlite/sqlite_statement.hpp"
#include "orvel/supports/database/sqlite_inspector.hpp"
#include "tessin/supports/sqlite/provider.hpp"

namespace Tolvane::Orvel::Supports::Database {

const Core::TypeInfo& SQLiteConnection::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteConnection", &ConnectionImpl::static_type(), {},
                                   Core::factory_of<SQLiteConnection>(), {});
  return info;
}

SQLiteConnection::SQLiteConnection() { set_provider(Providers::Supports::SQLiteProvider::create()); }

Contracts::Database::IStatementPtr SQLiteConnection::statement() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_statement) {
    m_statement = SQLiteStatement::create(this);
  }
  return m_statement;
}

std::shared_ptr<Contracts::Database::IAdaptable> SQLiteConnection::adapter() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_adapter) {
    m_adapter = SQLiteAdapter::create(this);
  }
  return m_adapter;
}

std::shared_ptr<Contracts::Database::IBuildable> SQLiteConnection::builder() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_builder) {
    m_builder = SQLiteBuilder::create(this);
  }
  return m_builder;
}

std::shared_ptr<Contracts::Database::IExplorable> SQLiteConnection::explorer() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_explorer) {
    m_explorer = SQLiteExplorer::create(this);
  }
  return m_explorer;
}

std::shared_ptr<Contracts::Database::IInspectable> SQLiteConnection::inspector() {
  std::lock_guard lock(m_collaborators_mutex);
  if (!m_inspector) {
    m_inspector = SQLiteInspector::create(this);
  }
  return m_inspector;
}

Core::Status SQLiteConnection::update_version() {
  auto version = execute_as_scalar("SELECT sqlite_version();", false);
  if (!version) {
    return Core::fail(std::move(version.error()));
  }
  set_version(*version ? (*version)->to_string() : std::string());
  return {};
}

}  // namespace Tolvane::Orvel::Supports::Database
