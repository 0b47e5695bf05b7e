#pragma once

#include "orvel/contracts/database/statement.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IConnection;
}

namespace Tolvane::Orvel::Supports::Database {

// Portable defaults of the statement texts: mostly empty, with the generic
// connection string, EXPLAIN/ANALYZE, transaction words, quoting, value packing
// and the single-row INSERT, UPDATE and DELETE.
class ORVEL_API Statement : public Core::Object, public Contracts::Database::IStatement {
  TOLVANE_OBJECT(Statement)

  // `connection` is not owned; the connection owns its statement object.
  explicit Statement(Contracts::Database::IConnection* connection) : m_connection(connection) {}
  static std::shared_ptr<Statement> create(Contracts::Database::IConnection* connection);

  Contracts::Database::IConnection* connection() const noexcept { return m_connection; }

  std::string build_connection_string(const ServerPtr& server) override;
  std::string show_databases(bool* flag) override;
  std::string show_tables(S database, S user_schema, bool* flag) override;
  std::string show_views(S database, S user_schema, bool* flag) override;
  std::string change_database(S database) override;
  std::string build_explain(S statement, S format) override;
  std::string build_analyze(S statement, S format) override;
  std::string show_table_spaces(S database, bool* flag) override;
  std::string show_table_schemas(S database, bool* flag) override;
  std::string show_checks(S database, S user_schema, bool* flag) override;
  std::string show_excludes(S database, S user_schema, bool* flag) override;
  std::string show_foreigns(S database, S user_schema, bool* flag) override;
  std::string show_rules(S database, S user_schema, bool* flag) override;
  std::string show_uniques(S database, S user_schema, bool* flag) override;
  std::string show_indexes(S database, S user_schema, bool* flag) override;
  std::string show_triggers(S database, S user_schema, bool* flag) override;
  std::string show_functions(S database, S user_schema, bool* flag) override;
  std::string show_procedures(S database, S user_schema, bool* flag) override;
  std::string call_function(S database, S user_schema, S function, S parameters) override;
  std::string call_procedure(S database, S user_schema, S procedure, S parameters) override;
  std::string show_source(DBObject type, S database, S user_schema, S name, bool* flag) override;
  std::string show_structure(S database, S user_schema, S table, bool* flag) override;
  std::string show_content(S database, S user_schema, S table, S columns, S where, S order, std::int64_t offset,
                           std::int32_t limit) override;
  std::string show_users(S database, S user_schema, bool* flag) override;
  std::string show_roles(S database, S user_schema, bool* flag) override;
  std::string show_user_detail(S database, S user_schema, S username) override;
  std::string show_role_detail(S database, S user_schema, S rolename) override;
  std::string show_user_rights(S database, S user_schema, S username) override;
  std::string show_role_rights(S database, S user_schema, S rolename) override;
  std::string grant_user_rights(S database, S user_schema, S username, S rights, S object) override;
  std::string revoke_user_rights(S database, S user_schema, S username, S rights, S object) override;
  std::string grant_role_rights(S database, S user_schema, S username, S rights, S object) override;
  std::string revoke_role_rights(S database, S user_schema, S username, S rights, S object) override;
  std::string show_privileges(bool* flag, bool* second_flag) override;
  std::string flush_privileges() override;
  std::string show_effected(S database, S user_schema, S table, S where) override;
  std::string show_relations(S database, S user_schema, S table) override;
  std::string rename_object(DBObject type, S database, S user_schema, S old_name, S new_name) override;
  std::string drop_object(DBObject type, S database, S user_schema, S object_name, S object_target) override;
  std::string empty_table(S database, S user_schema, S object_name) override;
  std::string transaction(S name) override;
  std::string rollback(S name) override;
  std::string commit(S name) override;
  std::string pack_value(DataType type, S value) override;
  std::string quote_identifier(S identifier, S schema) override;
  std::string build_sql_update(S schema, S table, const Contracts::Database::Names& columns,
                               const Contracts::Database::Names& values, const Contracts::Database::Names& keys,
                               const Contracts::Database::Names& key_values) override;
  std::string build_sql_insert(S schema, S table, const Contracts::Database::Names& columns,
                               const Contracts::Database::Names& values) override;
  std::string build_sql_delete(S schema, S table, const Contracts::Database::Names& keys,
                               const Contracts::Database::Names& key_values) override;
  std::string build_sql_view(S user_schema, S view_name, S statements) override;

 protected:
  // Sets an out flag when the caller asked for it.
  static void report(bool* flag, bool value) {
    if (flag != nullptr) {
      *flag = value;
    }
  }

 private:
  Contracts::Database::IConnection* m_connection;
};

}  // namespace Tolvane::Orvel::Supports::Database
