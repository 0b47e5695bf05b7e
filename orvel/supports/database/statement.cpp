#include "orvel/supports/database/statement.hpp"

#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/core/error.hpp"
#include "tessin/contracts/server.hpp"

namespace Tolvane::Orvel::Supports::Database {

using Contracts::Database::Names;
using Providers::Contracts::DataType;

const Core::TypeInfo& Statement::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseStatement", &Core::Object::static_type(),
                                   {&IStatement::static_type()}, nullptr, {});
  return info;
}

std::shared_ptr<Statement> Statement::create(Contracts::Database::IConnection* connection) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  return std::make_shared<Statement>(connection);
}

std::string Statement::build_connection_string(const ServerPtr& server) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", {});
  std::string text = "DRIVER={" + server->get_driver() + "};";
  text += "SERVER=" + server->get_host() + ";";
  text += "DATABASE=" + server->get_initial() + ";";
  text += "PORT=" + std::to_string(server->get_port()) + ";";
  text += "UID=" + server->get_username() + ";";
  text += "PWD=" + server->get_password() + ";";
  return text;
}

// The generic dialect has no listing queries.
std::string Statement::show_databases(bool* flag) {
  report(flag, false);
  return {};
}
#define TOLVANE_EMPTY_LISTING(name)                                      \
  std::string Statement::name(S, S, bool* flag) {                        \
    report(flag, false);                                                 \
    return {};                                                           \
  }
TOLVANE_EMPTY_LISTING(show_tables)
TOLVANE_EMPTY_LISTING(show_views)
TOLVANE_EMPTY_LISTING(show_checks)
TOLVANE_EMPTY_LISTING(show_excludes)
TOLVANE_EMPTY_LISTING(show_foreigns)
TOLVANE_EMPTY_LISTING(show_rules)
TOLVANE_EMPTY_LISTING(show_uniques)
TOLVANE_EMPTY_LISTING(show_indexes)
TOLVANE_EMPTY_LISTING(show_triggers)
TOLVANE_EMPTY_LISTING(show_functions)
TOLVANE_EMPTY_LISTING(show_procedures)
TOLVANE_EMPTY_LISTING(show_users)
TOLVANE_EMPTY_LISTING(show_roles)
#undef TOLVANE_EMPTY_LISTING

std::string Statement::show_table_spaces(S, bool* flag) {
  report(flag, false);
  return {};
}
std::string Statement::show_table_schemas(S, bool* flag) {
  report(flag, false);
  return {};
}
std::string Statement::show_source(DBObject, S, S, S, bool* flag) {
  report(flag, false);
  return {};
}
std::string Statement::show_structure(S, S, S, bool* flag) {
  report(flag, false);
  return {};
}
std::string Statement::show_privileges(bool* flag, bool* second_flag) {
  report(flag, false);
  report(second_flag, false);
  return {};
}

std::string Statement::change_database(S) { return {}; }
std::string Statement::build_explain(S statement, S) { return "EXPLAIN " + statement + ";"; }
std::string Statement::build_analyze(S statement, S) { return "ANALYZE " + statement + ";"; }
std::string Statement::call_function(S, S, S, S) { return {}; }
std::string Statement::call_procedure(S, S, S, S) { return {}; }
std::string Statement::show_content(S, S, S, S, S, S, std::int64_t, std::int32_t) { return {}; }
std::string Statement::show_user_detail(S, S, S) { return {}; }
std::string Statement::show_role_detail(S, S, S) { return {}; }
std::string Statement::show_user_rights(S, S, S) { return {}; }
std::string Statement::show_role_rights(S, S, S) { return {}; }
std::string Statement::grant_user_rights(S, S, S, S, S) { return {}; }
std::string Statement::revoke_user_rights(S, S, S, S, S) { return {}; }
std::string Statement::grant_role_rights(S, S, S, S, S) { return {}; }
std::string Statement::revoke_role_rights(S, S, S, S, S) { return {}; }
std::string Statement::flush_privileges() { return {}; }
std::string Statement::show_effected(S, S, S, S) { return {}; }
std::string Statement::show_relations(S, S, S) { return {}; }
std::string Statement::rename_object(DBObject, S, S, S, S) { return {}; }
std::string Statement::drop_object(DBObject, S, S, S, S) { return {}; }
std::string Statement::empty_table(S, S, S) { return {}; }
std::string Statement::transaction(S) { return "START TRANSACTION;"; }
std::string Statement::rollback(S) { return "ROLLBACK;"; }
std::string Statement::commit(S) { return "COMMIT;"; }

std::string Statement::pack_value(DataType type, S value) {
  switch (type) {
    case DataType::Boolean:
    case DataType::Int8:
    case DataType::Int16:
    case DataType::Int32:
    case DataType::Int64:
    case DataType::UInt8:
    case DataType::UInt16:
    case DataType::UInt32:
    case DataType::UInt64:
    case DataType::Enum:
    case DataType::Set:
    case DataType::Money:
    case DataType::Float:
    case DataType::Double:
    case DataType::Object:
      return value;
    case DataType::Binary:
    case DataType::Blob:
      return "X'" + value + "'";
    default:
      return quoted(value, '\'');
  }
}

std::string Statement::quote_identifier(S identifier, S schema) {
  if (schema.empty()) {
    return quoted(identifier, '"');
  }
  return quoted(schema, '"') + "." + quoted(identifier, '"');
}

namespace {

// "a=1 AND b=2" from names and values, the separator between pairs.
std::string pairs(const Names& names, const Names& values, std::string_view separator) {
  std::string text;
  const std::size_t count = std::min(names.size(), values.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) {
      text += separator;
    }
    text += names[i];
    text += '=';
    text += values[i];
  }
  return text;
}

std::string joined(const Names& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      text += ", ";
    }
    text += items[i];
  }
  return text;
}

}  // namespace

std::string Statement::build_sql_update(S schema, S table, const Names& columns, const Names& values,
                                        const Names& keys, const Names& key_values) {
  std::string text = "UPDATE " + quote_identifier(table, schema) + " SET " + pairs(columns, values, ", ");
  if (!keys.empty()) {
    text += " WHERE " + pairs(keys, key_values, " AND ");
  }
  return text + ";";
}

std::string Statement::build_sql_insert(S schema, S table, const Names& columns, const Names& values) {
  return "INSERT INTO " + quote_identifier(table, schema) + "(" + joined(columns) + ") VALUES(" + joined(values) +
         ");";
}

std::string Statement::build_sql_delete(S schema, S table, const Names& keys, const Names& key_values) {
  std::string text = "DELETE FROM " + quote_identifier(table, schema);
  if (!keys.empty()) {
    text += " WHERE " + pairs(keys, key_values, " AND ");
  }
  return text + ";";
}

std::string Statement::build_sql_view(S user_schema, S view_name, S statements) {
  if (user_schema.empty()) {
    return "CREATE VIEW " + quoted(view_name, '`') + " AS " + statements;
  }
  return "CREATE VIEW " + quoted(user_schema, '`') + "." + quoted(view_name, '`') + " AS " + statements;
}

}  // namespace Tolvane::Orvel::Supports::Database
