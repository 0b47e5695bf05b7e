#include "orvel/supports/database/sqlite/sqlite_statement.hpp"

#include "orvel/contracts/database/connection.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/core/regex.hpp"

namespace Tolvane::Orvel::Supports::Database {

using Providers::Contracts::DBObject;

namespace {

// `name` between back quotes, the way the SQLite texts write schema and object names.
std::string bq(const std::string& name) { return quoted(name, '`'); }

// `name` between single quotes.
std::string sq(const std::string& name) { return quoted(name, '\''); }

}  // namespace

const Core::TypeInfo& SQLiteStatement::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteStatement", &Statement::static_type(), {},
                                   nullptr, {});
  return info;
}

std::shared_ptr<SQLiteStatement> SQLiteStatement::create(Contracts::Database::IConnection* connection) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  return std::make_shared<SQLiteStatement>(connection);
}

std::string SQLiteStatement::build_connection_string(const ServerPtr& server) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", {});
  std::string text = "DRIVER={" + server->get_driver() + "};";
  text += "DATABASE=" + server->get_filename() + ";";
  if (!server->get_password().empty()) {
    text += "PWD=" + server->get_password() + ";";
  }
  if (!server->get_extensions().empty()) {
    text += "LoadExt=" + server->get_extensions();
  }
  return text;
}

std::string SQLiteStatement::show_databases(bool* flag) {
  report(flag, false);
  auto server = connection()->get_server();
  return "SELECT " + sq(server ? server->get_initial() : std::string()) + " as database;";
}

std::string SQLiteStatement::show_tables(S, S user_schema, bool* flag) {
  report(flag, false);
  return "SELECT name, type FROM " + bq(user_schema) + ".sqlite_master WHERE type='table' ORDER BY name;";
}

std::string SQLiteStatement::show_views(S, S user_schema, bool* flag) {
  report(flag, false);
  return "SELECT name, type FROM " + bq(user_schema) + ".sqlite_master WHERE type='view' ORDER BY name;";
}

std::string SQLiteStatement::show_table_spaces(S, bool* flag) {
  report(flag, false);
  return "SELECT 'main' as name;";
}

std::string SQLiteStatement::show_table_schemas(S, bool* flag) {
  report(flag, true);
  return "PRAGMA database_list;";
}

std::string SQLiteStatement::show_indexes(S, S user_schema, bool* flag) {
  report(flag, false);
  return "SELECT name FROM " + bq(user_schema) + ".sqlite_master WHERE type = 'index';";
}

std::string SQLiteStatement::show_triggers(S, S user_schema, bool* flag) {
  report(flag, false);
  return "SELECT name FROM " + bq(user_schema) + ".sqlite_master WHERE type = 'trigger';";
}

std::string SQLiteStatement::show_functions(S, S, bool* flag) {
  report(flag, false);
  return "PRAGMA function_list;";
}

std::string SQLiteStatement::show_procedures(S, S, bool* flag) {
  report(flag, false);
  return "PRAGMA function_list;";
}

std::string SQLiteStatement::call_function(S, S user_schema, S function, S parameters) {
  return "SELECT " + user_schema + "." + function + parameters + ";";
}

std::string SQLiteStatement::call_procedure(S, S user_schema, S procedure, S parameters) {
  return "CALL " + user_schema + "." + procedure + parameters + ";";
}

std::string SQLiteStatement::show_source(DBObject type, S, S user_schema, S name, bool* flag) {
  report(flag, false);
  const char* kind = nullptr;
  switch (type) {
    case DBObject::Index:
      kind = "index";
      break;
    case DBObject::Table:
      kind = "table";
      break;
    case DBObject::Trigger:
      kind = "trigger";
      break;
    case DBObject::View:
      kind = "view";
      break;
    default:
      return {};
  }
  return "SELECT sql FROM " + bq(user_schema) + ".sqlite_master WHERE type = '" + kind + "' and name = " + sq(name) +
         ";";
}

std::string SQLiteStatement::show_structure(S, S, S table, bool* flag) {
  report(flag, true);
  return "PRAGMA table_info(" + bq(table) + ");";
}

std::string SQLiteStatement::show_content(S, S user_schema, S table, S columns, S where, S order,
                                          std::int64_t offset, std::int32_t limit) {
  std::string text = "SELECT " + columns + " FROM " + bq(user_schema) + "." + bq(table) + " ";
  if (!where.empty()) {
    text += "WHERE " + where + " ";
  }
  if (!order.empty()) {
    text += "ORDER BY " + order + " ";
  }
  if (limit > 0) {
    text += "LIMIT " + std::to_string(limit) + " OFFSET " + std::to_string(offset) + ";";
  }
  return text;
}

std::string SQLiteStatement::show_privileges(bool* flag, bool* second_flag) {
  report(flag, false);
  report(second_flag, false);
  return {};
}

std::string SQLiteStatement::show_effected(S, S user_schema, S table, S where) {
  std::string text = "SELECT count(*) FROM " + bq(user_schema) + "." + bq(table);
  return where.empty() ? text + ";" : text + " WHERE " + where + ";";
}

std::string SQLiteStatement::show_relations(S, S, S table) { return "PRAGMA foreign_key_list(" + bq(table) + ");"; }

std::string SQLiteStatement::rename_object(DBObject type, S, S user_schema, S old_name, S new_name) {
  switch (type) {
    case DBObject::Table:
      return "ALTER TABLE " + bq(old_name) + " RENAME TO " + bq(new_name) + ";";
    case DBObject::View:
      return build_sql_for_view(user_schema, old_name, new_name);
    default:
      return {};
  }
}

std::string SQLiteStatement::build_sql_for_view(S user_schema, S old_name, S new_name) {
  // A quoted name may hold blanks and its own doubled quote; the last
  // alternative takes unquoted names. A column list may follow the name
  // ("CREATE VIEW v(x, "y z") AS ..."); it is kept as written.
  static const Core::Regex kCreateView(
      "CREATE VIEW\\s+(?<name>\"(?:[^\"]|\"\")*\"|`(?:[^`]|``)*`|'(?:[^']|'')*'|\\[[^\\]]*\\]|[\\w`'\"\\[\\]]+)"
      "(?:(?<columns>\\s*\\((?:[^()\"'`\\[]|\"(?:[^\"]|\"\")*\"|'(?:[^']|'')*'|`(?:[^`]|``)*`|\\[[^\\]]*\\])*\\))\\s*"
      "|\\s+)as",
      G_REGEX_CASELESS | G_REGEX_MULTILINE);
  auto model = connection()->execute_as_model("SELECT sql FROM " + sq(user_schema) +
                                                  ".sqlite_master WHERE type = 'view' and name = " + sq(old_name),
                                              false);
  // The query's failure is not the caller's: there is just nothing to rename.
  if (!model || !*model || (*model)->get_rows().empty()) {
    return {};
  }
  auto sql = (*model)->get_value_at(0, 0);
  if (!sql) {
    return {};
  }
  // The replacement is read by GRegex, for which a backslash is special.
  std::string replacement = "CREATE VIEW ";
  for (char c : bracketed(new_name)) {
    if (c == '\\') {
      replacement.push_back('\\');
    }
    replacement.push_back(c);
  }
  replacement += "\\g<columns> as";
  return kCreateView.replace(sql->to_string(), replacement.c_str()) + ";";
}

std::string SQLiteStatement::drop_object(DBObject type, S, S, S object_name, S) {
  const char* prefix = nullptr;
  switch (type) {
    case DBObject::Index:
      prefix = "DROP INDEX IF EXISTS ";
      break;
    case DBObject::Table:
      prefix = "DROP TABLE IF EXISTS ";
      break;
    case DBObject::Trigger:
      prefix = "DROP TRIGGER IF EXISTS ";
      break;
    case DBObject::View:
      prefix = "DROP VIEW IF EXISTS ";
      break;
    case DBObject::Schema:
      prefix = "DETACH DATABASE ";
      break;
    default:
      return {};
  }
  return prefix + bq(object_name) + ";";
}

std::string SQLiteStatement::empty_table(S, S, S object_name) {
  return "DELETE FROM " + bq(object_name) + ";\nUPDATE sqlite_sequence SET seq=0 WHERE name=" + sq(object_name) + ";";
}

std::string SQLiteStatement::transaction(S) { return "BEGIN TRANSACTION;"; }
std::string SQLiteStatement::rollback(S) { return "ROLLBACK;"; }
std::string SQLiteStatement::commit(S) { return "COMMIT;"; }

std::string SQLiteStatement::quote_identifier(S identifier, S) { return quoted(identifier, '"'); }

}  // namespace Tolvane::Orvel::Supports::Database
