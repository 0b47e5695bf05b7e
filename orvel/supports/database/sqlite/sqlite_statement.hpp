#pragma once

#include "orvel/supports/database/statement.hpp"

namespace Tolvane::Orvel::Supports::Database {

// The SQLite dialect of the statement texts.
class ORVEL_API SQLiteStatement final : public Statement {
  TOLVANE_OBJECT(SQLiteStatement)

  using Statement::Statement;
  static std::shared_ptr<SQLiteStatement> create(Contracts::Database::IConnection* connection);

  std::string build_connection_string(const ServerPtr& server) override;
  std::string show_databases(bool* flag) override;
  std::string show_tables(S database, S user_schema, bool* flag) override;
  std::string show_views(S database, S user_schema, bool* flag) override;
  std::string show_table_spaces(S database, bool* flag) override;
  std::string show_table_schemas(S database, bool* flag) override;
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
  std::string show_privileges(bool* flag, bool* second_flag) override;
  std::string show_effected(S database, S user_schema, S table, S where) override;
  std::string show_relations(S database, S user_schema, S table) override;
  // For a view this reads the view's SQL through the connection and gives its
  // CREATE statement under the new name.
  std::string rename_object(DBObject type, S database, S user_schema, S old_name, S new_name) override;
  std::string drop_object(DBObject type, S database, S user_schema, S object_name, S object_target) override;
  std::string empty_table(S database, S user_schema, S object_name) override;
  std::string transaction(S name) override;
  std::string rollback(S name) override;
  std::string commit(S name) override;
  std::string quote_identifier(S identifier, S schema) override;

 private:
  std::string build_sql_for_view(S user_schema, S old_name, S new_name);
};

}  // namespace Tolvane::Orvel::Supports::Database
