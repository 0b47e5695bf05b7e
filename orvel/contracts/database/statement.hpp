#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_type.hpp"
#include "tessin/contracts/db_object.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Providers::Contracts {
class Server;
}

namespace Tolvane::Orvel::Contracts::Database {

using Names = std::vector<std::string>;

// The per-connection source of dialect-specific SQL text. It only builds text;
// callers run it through the connection. Listing operations also report an out
// flag (may be null) that the library itself never reads.
class ORVEL_API IStatement {
  TOLVANE_INTERFACE(IStatement)

  using ServerPtr = std::shared_ptr<Providers::Contracts::Server>;
  using DBObject = Providers::Contracts::DBObject;
  using DataType = Providers::Contracts::DataType;
  using S = const std::string&;

  virtual ~IStatement();

  virtual std::string build_connection_string(const ServerPtr& server) = 0;
  virtual std::string show_databases(bool* flag) = 0;
  virtual std::string show_tables(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_views(S database, S user_schema, bool* flag) = 0;
  virtual std::string change_database(S database) = 0;
  virtual std::string build_explain(S statement, S format) = 0;
  virtual std::string build_analyze(S statement, S format) = 0;
  virtual std::string show_table_spaces(S database, bool* flag) = 0;
  virtual std::string show_table_schemas(S database, bool* flag) = 0;
  virtual std::string show_checks(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_excludes(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_foreigns(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_rules(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_uniques(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_indexes(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_triggers(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_functions(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_procedures(S database, S user_schema, bool* flag) = 0;
  virtual std::string call_function(S database, S user_schema, S function, S parameters) = 0;
  virtual std::string call_procedure(S database, S user_schema, S procedure, S parameters) = 0;
  virtual std::string show_source(DBObject type, S database, S user_schema, S name, bool* flag) = 0;
  virtual std::string show_structure(S database, S user_schema, S table, bool* flag) = 0;
  virtual std::string show_content(S database, S user_schema, S table, S columns, S where, S order,
                                   std::int64_t offset, std::int32_t limit) = 0;
  virtual std::string show_users(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_roles(S database, S user_schema, bool* flag) = 0;
  virtual std::string show_user_detail(S database, S user_schema, S username) = 0;
  virtual std::string show_role_detail(S database, S user_schema, S rolename) = 0;
  virtual std::string show_user_rights(S database, S user_schema, S username) = 0;
  virtual std::string show_role_rights(S database, S user_schema, S rolename) = 0;
  virtual std::string grant_user_rights(S database, S user_schema, S username, S rights, S object) = 0;
  virtual std::string revoke_user_rights(S database, S user_schema, S username, S rights, S object) = 0;
  virtual std::string grant_role_rights(S database, S user_schema, S username, S rights, S object) = 0;
  virtual std::string revoke_role_rights(S database, S user_schema, S username, S rights, S object) = 0;
  virtual std::string show_privileges(bool* flag, bool* second_flag) = 0;
  virtual std::string flush_privileges() = 0;
  virtual std::string show_effected(S database, S user_schema, S table, S where) = 0;
  virtual std::string show_relations(S database, S user_schema, S table) = 0;
  virtual std::string rename_object(DBObject type, S database, S user_schema, S old_name, S new_name) = 0;
  virtual std::string drop_object(DBObject type, S database, S user_schema, S object_name, S object_target) = 0;
  virtual std::string empty_table(S database, S user_schema, S object_name) = 0;
  virtual std::string transaction(S name) = 0;
  virtual std::string rollback(S name) = 0;
  virtual std::string commit(S name) = 0;
  virtual std::string pack_value(DataType type, S value) = 0;
  virtual std::string quote_identifier(S identifier, S schema) = 0;
  virtual std::string build_sql_update(S schema, S table, const Names& columns, const Names& values,
                                       const Names& keys, const Names& key_values) = 0;
  virtual std::string build_sql_insert(S schema, S table, const Names& columns, const Names& values) = 0;
  virtual std::string build_sql_delete(S schema, S table, const Names& keys, const Names& key_values) = 0;
  virtual std::string build_sql_view(S user_schema, S view_name, S statements) = 0;
};

using IStatementPtr = std::shared_ptr<IStatement>;

}  // namespace Tolvane::Orvel::Contracts::Database
