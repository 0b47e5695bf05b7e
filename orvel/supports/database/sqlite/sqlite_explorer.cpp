#include "orvel/supports/database/sqlite/sqlite_explorer.hpp"

#include "orvel/contracts/database/connection.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/contracts/value_string.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Database {

using Providers::Contracts::ColumnModel;
using Providers::Contracts::DataType;
using Providers::Contracts::DBObject;
using Providers::Contracts::RowModel;
using Providers::Contracts::TableModel;
using Providers::Contracts::TableModelPtr;
using Providers::Contracts::ValueString;

namespace {

// A new table of text columns with their titles.
TableModelPtr text_table(std::initializer_list<std::pair<const char*, const char*>> columns) {
  auto table = TableModel::create();
  for (const auto& [name, title] : columns) {
    auto column = ColumnModel::full(name, DataType::String);
    column->set_title(std::string(Core::_(title)));
    table->get_columns().push_back(std::move(column));
  }
  return table;
}

void append_row(TableModel& table, std::initializer_list<std::string> texts) {
  auto row = RowModel::create();
  for (const std::string& text : texts) {
    row->get_values().push_back(ValueString::create(text));
  }
  table.get_rows().push_back(std::move(row));
}

std::string text_at(const TableModel& model, int column, std::size_t row) {
  auto value = model.get_value_at(column, static_cast<int>(row));
  return value ? value->to_string() : std::string();
}

}  // namespace

const Core::TypeInfo& SQLiteExplorer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteExplorer", &Core::Object::static_type(),
                                   {&IExplorable::static_type()}, nullptr, {});
  return info;
}

SQLiteExplorerPtr SQLiteExplorer::create(Contracts::Database::IConnection* conn) {
  TOLVANE_RETURN_VAL_IF_FAIL(conn != nullptr, "conn != NULL", nullptr);
  return std::make_shared<SQLiteExplorer>(conn);
}

Core::Result<TableModelPtr> SQLiteExplorer::load_objects(std::optional<std::string_view> database,
                                                        std::optional<std::string_view> schema, DBObject type,
                                                        const Core::ObjectPtr& extra_data) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", TableModelPtr());
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", TableModelPtr());
  TOLVANE_RETURN_VAL_IF_FAIL(extra_data != nullptr, "extra_data != NULL", TableModelPtr());
  // The listings name the schema in back quotes.
  const std::string name = quoted(schema->empty() ? std::string_view("main") : *schema, '`');
  switch (type) {
    case DBObject::Database:
      return load_database();
    case DBObject::Schema:
      return load_schemas();
    case DBObject::Table:
      // The statement's line breaks and indentation are those callers see in the log.
      return load_titled(
          "\r\nSELECT\r\n    m.name,\r\n    ifnull(i.indexes, 0) as indexes,\r\n    ifnull(t.triggers, 0) as "
          "triggers,\r\n    m.rootpage\r\nFROM\r\n    " +
              name +
              ".sqlite_master m\r\n    LEFT OUTER JOIN ( SELECT tbl_name, count(*) indexes FROM " + name +
              ".sqlite_master WHERE type = 'index' GROUP BY tbl_name ) i ON m.name = i.tbl_name\r\n    LEFT OUTER "
              "JOIN ( SELECT tbl_name, count(*) triggers FROM " +
              name +
              ".sqlite_master WHERE type = 'trigger' GROUP BY tbl_name ) t ON m.name = t.tbl_name \r\nWHERE\r\n    "
              "m.type = 'table' \r\nORDER BY\r\n    m.name ASC;",
          {"Name", "Indexes", "Triggers", "Root page"});
    case DBObject::View:
      return load_titled("SELECT name FROM " + name + ".sqlite_master WHERE type='view' ORDER BY name ASC;", {"Name"});
    case DBObject::Index:
      return load_titled(
          "SELECT name, tbl_name, rootpage FROM " + name + ".sqlite_master WHERE type='index' ORDER BY name ASC;",
          {"Name", "Table name", "Root page"});
    case DBObject::Trigger:
      return load_triggers(name);
    default:
      return TableModel::create();
  }
}

Core::Result<TableModelPtr> SQLiteExplorer::load_titled(const std::string& sql,
                                                       std::initializer_list<const char*> titles) {
  auto model = m_connection->execute_as_model(sql, false);
  if (!model) {
    return Core::fail(std::move(model.error()));
  }
  auto& columns = (*model)->get_columns();
  std::size_t index = 0;
  for (const char* title : titles) {
    if (index < columns.size()) {
      columns[index++]->set_title(std::string(Core::_(title)));
    }
  }
  return model;
}

Core::Result<TableModelPtr> SQLiteExplorer::load_database() {
  auto encoding = m_connection->execute_as_model("PRAGMA encoding;", false);
  if (!encoding) {
    return Core::fail(std::move(encoding.error()));
  }
  auto query_only = m_connection->execute_as_model("PRAGMA query_only;", false);
  if (!query_only) {
    return Core::fail(std::move(query_only.error()));
  }
  auto table = text_table({{"name", "Name"},
                           {"engine", "Engine"},
                           {"version", "Version"},
                           {"encoding", "Encoding"},
                           {"readonly", "Readonly"}});
  auto server = m_connection->get_server();
  append_row(*table, {server ? server->get_filename() : std::string(), "SQLite database",
                      m_connection->get_version(), text_at(**encoding, 0, 0),
                      text_at(**query_only, 0, 0) != "0" ? "YES" : "NO"});
  return table;
}

Core::Result<TableModelPtr> SQLiteExplorer::load_schemas() {
  auto list = m_connection->execute_as_model("PRAGMA database_list;", false);
  if (!list) {
    return Core::fail(std::move(list.error()));
  }
  auto table = text_table({{"name", "Name"}, {"file", "File"}, {"version", "Version"}});
  for (std::size_t row = 0; row < (*list)->get_rows().size(); ++row) {
    const std::string schema = text_at(**list, 1, row);
    auto version = m_connection->execute_as_model("PRAGMA " + quoted(schema, '`') + ".schema_version;", false);
    if (!version) {
      return Core::fail(std::move(version.error()));
    }
    append_row(*table, {schema, text_at(**list, 2, row), text_at(**version, 0, 0)});
  }
  return table;
}

Core::Result<TableModelPtr> SQLiteExplorer::load_triggers(const std::string& schema) {
  auto model = m_connection->execute_as_model(
      "\r\nSELECT\r\n    m.name AS name,\r\n    m.tbl_name AS tbl_name,\r\n    v.vname NOTNULL AS is_view\r\nFROM\r\n    " +
          schema + ".sqlite_master m\r\n    LEFT JOIN ( SELECT name AS vname FROM " + schema +
          ".sqlite_master WHERE type = 'view' ) v ON m.tbl_name = v.vname \r\nWHERE\r\n    type = 'trigger' "
          "\r\nORDER BY\r\n    name ASC;",
      false);
  if (!model) {
    return Core::fail(std::move(model.error()));
  }
  auto table = TableModel::create();
  static constexpr const char* kTitles[] = {"Name", "Hoster name", "Hoster type"};
  const auto& source = (*model)->get_columns();
  for (std::size_t index = 0; index < 3 && index < source.size(); ++index) {
    auto column = ColumnModel::full(source[index]->get_name(), source[index]->get_data_type());
    column->set_title(std::string(Core::_(kTitles[index])));
    table->get_columns().push_back(std::move(column));
  }
  for (std::size_t row = 0; row < (*model)->get_rows().size(); ++row) {
    const char* kind = text_at(**model, 2, row) != "0" ? "View" : "Table";
    append_row(*table, {text_at(**model, 0, row), text_at(**model, 1, row), Core::_(kind)});
  }
  return table;
}

}  // namespace Tolvane::Orvel::Supports::Database
