#pragma once

#include <memory>

#include "orvel/contracts/database/adaptable.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IConnection;
}

namespace Tolvane::Orvel::Supports::Database {

class Adapter;
using AdapterPtr = std::shared_ptr<Adapter>;

// The base of the dialect adapters: every fill checks its argument and does
// nothing; `fill_data_set` fills each table of the set in order and stops at
// the first error.
class ORVEL_API Adapter : public Core::Object, public Contracts::Database::IAdaptable {
  TOLVANE_OBJECT(Adapter)

  // `connection` is not owned; the connection owns its adapter.
  explicit Adapter(Contracts::Database::IConnection* connection) noexcept : m_connection(connection) {}
  // Null, with a critical, without a connection.
  static AdapterPtr create(Contracts::Database::IConnection* connection);

  Contracts::Database::IConnection* get_connection() const noexcept { return m_connection; }

  Core::Status fill_meta_database(const MetaModel::MetaDatabasePtr& database, bool recursive) override;
  Core::Status fill_meta_schema(const MetaModel::MetaSchemaPtr& schema, bool recursive) override;
  Core::Status fill_meta_table(const MetaModel::MetaTablePtr& table, bool recursive) override;
  Core::Status fill_meta_view(const MetaModel::MetaViewPtr& view) override;
  Core::Status fill_meta_index(const MetaModel::MetaIndexPtr& index) override;
  Core::Status fill_meta_trigger(const MetaModel::MetaTriggerPtr& trigger) override;
  Core::Status fill_meta_function(const MetaModel::MetaFunctionPtr& function) override;
  Core::Status fill_meta_user(const MetaModel::MetaUserPtr& user) override;
  Core::Status fill_meta_role(const MetaModel::MetaRolePtr& role) override;
  Core::Status fill_meta_event(const MetaModel::MetaEventPtr& event) override;
  Core::Status fill_meta_object(const MetaModel::MetaObjectPtr& meta_object, bool recursive) override;
  Core::Status fill_data_table(const Providers::Contracts::TableModelPtr& table) override;
  Core::Status fill_data_set(const Providers::Contracts::DataSetModelPtr& dataset) override;

 protected:
  // Not owned: the connection creates its adapter and outlives it.
  Contracts::Database::IConnection* m_connection;
};

}  // namespace Tolvane::Orvel::Supports::Database
