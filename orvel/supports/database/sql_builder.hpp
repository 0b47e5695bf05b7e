#pragma once

#include <memory>

#include "orvel/contracts/database/buildable.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IConnection;
}

namespace Tolvane::Orvel::Supports::Database {

class SqlBuilder;
using SqlBuilderPtr = std::shared_ptr<SqlBuilder>;

// The base of the dialect builders: every text is "" (after the check of its
// object), every table can be rebuilt, and tables are ordered by their
// foreign keys.
class ORVEL_API SqlBuilder : public Core::Object, public Contracts::Database::IBuildable {
  TOLVANE_OBJECT(SqlBuilder)

  // `conn` is not owned; the connection owns its builder.
  explicit SqlBuilder(Contracts::Database::IConnection* conn) noexcept : m_connection(conn) {}
  // Null, with a critical, without a connection.
  static SqlBuilderPtr create(Contracts::Database::IConnection* conn);

  Contracts::Database::IConnection* get_connection() const noexcept { return m_connection; }

  std::string build_create(const MetaObjectPtr& meta_object, bool use_raw_type) override;
  std::string build_delete(const MetaObjectPtr& meta_object) override;
  std::string build_patch(const MetaObjectPtr& meta_object, bool use_raw_type) override;
  std::string build_normal(const MetaModel::MetaTablePtr& table, Contracts::Database::SqlAction action) override;
  std::string alter_database(const MetaModel::MetaDatabasePtr& database_old,
                             const MetaModel::MetaDatabasePtr& database_new) override;
  std::string create_database(const MetaModel::MetaDatabasePtr& database, bool use_raw_type) override;
  std::string alter_schema(const MetaModel::MetaSchemaPtr& schema_old,
                           const MetaModel::MetaSchemaPtr& schema_new) override;
  std::string build_schema(const MetaModel::MetaSchemaPtr& schema, bool use_raw_type) override;
  std::string build_table(const MetaModel::MetaTablePtr& table, bool use_raw_type) override;
  std::string build_view(const MetaModel::MetaViewPtr& view) override;
  std::string build_index(const MetaModel::MetaIndexPtr& index) override;
  std::string build_trigger(const MetaModel::MetaTriggerPtr& trigger) override;
  std::string build_function(const MetaModel::MetaFunctionPtr& function) override;
  std::string build_user(const MetaModel::MetaUserPtr& user) override;
  std::string build_role(const MetaModel::MetaRolePtr& role) override;
  std::string build_script(const Providers::Contracts::DataSetModelPtr& dataset) override;
  std::string build_caller(const MetaModel::MetaFunctionPtr& function) override;
  std::string build_event(const MetaModel::MetaEventPtr& event) override;
  std::string patch_event(const MetaModel::MetaEventPtr& event) override;
  std::string patch_function(const MetaModel::MetaFunctionPtr& func) override;
  std::string patch_script(const MetaModel::MetaDatabasePtr& database) override;
  std::string patch_table(const MetaModel::MetaTablePtr& table) override;
  std::string patch_view(const MetaModel::MetaViewPtr& view) override;
  std::string patch_data_table(const Providers::Contracts::TableModelPtr& model) override;
  Core::Status check_table(const MetaModel::MetaTablePtr& table) override;

  // Moves, in place, the tables that the foreign keys of the table at `start`
  // reference in front of it, then the tables those reference in front of
  // them, and so on; tables the first one does not reach stay where they are.
  // A cycle of references is left as it is met instead of going round forever.
  virtual void order_with_dependence(const MetaModel::MetaSchemaPtr& schema, int start);

 protected:
  // Not owned: the connection creates its builder and outlives it.
  Contracts::Database::IConnection* m_connection;
};

}  // namespace Tolvane::Orvel::Supports::Database
