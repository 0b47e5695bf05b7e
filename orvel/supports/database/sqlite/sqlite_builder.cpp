#include "orvel/supports/database/sqlite/sqlite_builder.hpp"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <utility>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/contracts/database/inspectable.hpp"
#include "orvel/exceptions/sql_error.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/source_log.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Orvel::Supports::Database {

using MetaModel::MetaCheck;
using MetaModel::MetaColumn;
using MetaModel::MetaConstraint;
using MetaModel::MetaForeignKey;
using MetaModel::MetaIndex;
using MetaModel::MetaObject;
using MetaModel::MetaTable;
using MetaModel::MetaTrigger;
using MetaModel::MetaUnique;
using MetaModel::MetaView;
using Providers::Contracts::DataVersion;
using Providers::Contracts::DBObject;
using Providers::Supports::SqlTokenKind;

namespace {

// `items` ordered by `key`, items of equal keys in the order they had. Not
// std::stable_sort: GCC 12's library builds it on get_temporary_buffer, which
// it marks deprecated in C++23, and clang reports that as our error.
template <class Item, class Key>
void sort_keeping_order(std::vector<Item>& items, Key key) {
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::pair(key(items[a]), a) < std::pair(key(items[b]), b);
  });
  std::vector<Item> sorted;
  sorted.reserve(items.size());
  for (const std::size_t at : order) {
    sorted.push_back(std::move(items[at]));
  }
  items = std::move(sorted);
}

std::string dq(std::string_view name) { return quoted(name, '"'); }
std::string bq(std::string_view name) { return quoted(name, '`'); }
std::string sq(std::string_view text) { return quoted(text, '\''); }

// `name` in `quote`, after its schema when it has one.
std::string qualified(const std::string& schema, const std::string& name, char quote) {
  return schema.empty() ? quoted(name, quote) : quoted(schema, quote) + "." + quoted(name, quote);
}

bool is_deleted(const MetaObject& object) { return object.get_version() == DataVersion::Delete; }

std::string attribute(const MetaObject& object, std::string_view key) {
  auto found = object.get_attributes().find(std::string(key));
  return found == object.get_attributes().end() ? std::string() : found->second;
}

std::string option(const MetaTable& table, std::string_view key) {
  auto found = table.get_options().find(std::string(key));
  return found == table.get_options().end() ? std::string() : found->second;
}

// A pure list of names ("a, my col"), each written as a name.
std::string name_list(std::string_view list) {
  std::string text;
  for (const std::string& item : split_list(list)) {
    if (!text.empty()) {
      text += ", ";
    }
    const auto tokens = Providers::Supports::tokenize_sql(item);
    // A name already in quotes (as the adapter keeps odd names) stays as it is.
    const bool quoted_name = tokens.size() == 1 && tokens[0].kind == SqlTokenKind::QuotedName;
    text += quoted_name ? item : canonical_name(item);
  }
  return text;
}

// Whether a DEFAULT text is a single literal that may stand without parentheses.
bool is_literal(std::string_view value) {
  const auto tokens = Providers::Supports::tokenize_sql(value);
  auto is_value = [](SqlTokenKind kind) {
    return kind == SqlTokenKind::Number || kind == SqlTokenKind::String || kind == SqlTokenKind::Blob ||
           kind == SqlTokenKind::Word || kind == SqlTokenKind::QuotedName;
  };
  if (tokens.size() == 1) {
    return is_value(tokens[0].kind);
  }
  const std::string_view sign = tokens.size() == 2 ? tokens[0].text(value) : std::string_view();
  return (sign == "+" || sign == "-") && tokens[1].kind == SqlTokenKind::Number;
}

// A decimal integer, as the counter of sqlite_sequence must be.
bool is_integer(std::string_view text) {
  std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (start >= text.size()) {
    return false;
  }
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                     [](char c) { return g_ascii_isdigit(c); });
}

// The declared type the adapter kept, while raw type and length still say the
// same; else nothing.
std::string declared_type(const MetaColumn& column) {
  std::string declared = attribute(column, MetaKeys::kDeclaredType);
  if (declared.empty() ||
      !(split_declared_type(declared) == TypeParts{column.get_raw_type(), column.get_length()})) {
    return {};
  }
  return declared;
}

// A declared type as it must be written for the engine to report it again.
// The engine reports a type written as one quoted token without its quotes,
// so a type first written in quotes ("weird#type", "a""b", "x(y") may come
// back as text that no longer reads as a type: names, then at most
// "(number[, number])". Such a type goes back into quotes.
std::string written_type(const std::string& type) {
  using Providers::Supports::SqlToken;
  std::vector<SqlToken> tokens;
  for (const SqlToken& token : Providers::Supports::tokenize_sql(type, true)) {
    // A comment would swallow what follows the type, or (at its end) be left
    // out of the type the engine reports.
    if (token.kind == SqlTokenKind::LineComment || token.kind == SqlTokenKind::BlockComment ||
        token.kind == SqlTokenKind::Illegal) {
      return dq(type);
    }
    if (token.kind != SqlTokenKind::Space) {
      tokens.push_back(token);
    }
  }
  std::size_t at = 0;
  auto is = [&](SqlTokenKind kind, std::string_view text = {}) {
    return at < tokens.size() && tokens[at].kind == kind && (text.empty() || tokens[at].text(type) == text);
  };
  auto number = [&] {
    if (is(SqlTokenKind::Punct, "+") || is(SqlTokenKind::Punct, "-")) {
      ++at;
    }
    return is(SqlTokenKind::Number) ? (++at, true) : false;
  };
  while (is(SqlTokenKind::Word) && !Providers::Supports::is_sql_keyword(tokens[at].text(type))) {
    ++at;
  }
  bool reads = at > 0;
  if (reads && at < tokens.size()) {
    reads = is(SqlTokenKind::Punct, "(") && (++at, number()) &&
            (!is(SqlTokenKind::Punct, ",") || (++at, number())) && is(SqlTokenKind::Punct, ")") &&
            ++at == tokens.size();
  }
  // The engine trims the white space around a type it reads unquoted.
  const bool trimmed = type.empty() || (!g_ascii_isspace(type.front()) && !g_ascii_isspace(type.back()));
  return (reads || tokens.empty()) && trimmed ? type : dq(type);
}

// Columns of the new table in list order, deleted ones left out.
std::vector<const MetaColumn*> live_columns(const MetaTable& table) {
  std::vector<const MetaColumn*> columns;
  for (const auto& column : table.get_columns()) {
    if (column && !is_deleted(*column)) {
      columns.push_back(column.get());
    }
  }
  return columns;
}

std::vector<const MetaColumn*> primary_key(const MetaTable& table) {
  std::vector<const MetaColumn*> key;
  for (const MetaColumn* column : live_columns(table)) {
    if (column->get_is_primary_key()) {
      key.push_back(column);
    }
  }
  // In key order when every column knows its place in the key (as filled
  // columns do), else in list order.
  const bool ordered = std::all_of(key.begin(), key.end(), [](const MetaColumn* column) {
    return column->get_primary_ordinal() != 0;
  });
  if (ordered) {
    sort_keeping_order(key, [](const MetaColumn* column) { return column->get_primary_ordinal(); });
  }
  return key;
}

bool is_integer_type(const std::string& type) { return same_name(type, "INTEGER"); }

// The one column of a single-column INTEGER key that is declared AUTOINCREMENT.
const MetaColumn* autoincrement_column(const std::vector<const MetaColumn*>& key) {
  if (key.size() == 1 && key[0]->get_auto_increment() && is_integer_type(key[0]->get_raw_type())) {
    return key[0];
  }
  return nullptr;
}

// A constraint the adapter found on a column, while that column is still there.
const MetaColumn* inline_column(const MetaTable& table, const MetaConstraint& constraint) {
  const std::string column = attribute(constraint, MetaKeys::kColumn);
  if (column.empty()) {
    return nullptr;
  }
  // A renamed column keeps its constraints.
  for (const MetaColumn* candidate : live_columns(table)) {
    if (candidate->get_name() == column ||
        (candidate->get_version() == DataVersion::Update && candidate->get_original() == column)) {
      return candidate;
    }
  }
  return nullptr;
}

// "CONSTRAINT "name" ", or nothing for a constraint the text left unnamed.
std::string constraint_name(const MetaConstraint& constraint) {
  if (attribute(constraint, MetaKeys::kUnnamed) == "true" || constraint.get_name().empty()) {
    return {};
  }
  return "CONSTRAINT " + dq(constraint.get_name()) + " ";
}

std::string unique_clause(const MetaUnique& unique, bool on_column) {
  std::string text = constraint_name(unique) + "UNIQUE";
  if (!on_column) {
    text += " (" + sql_element_list(unique.get_columns()) + ")";
  }
  if (!unique.get_conflict().empty()) {
    text += " ON CONFLICT " + unique.get_conflict();
  }
  return text;
}

std::string check_clause(const MetaCheck& check) {
  return constraint_name(check) + "CHECK (" + check.get_check() + ")";
}

std::string deferrable_ending(const std::string& deferrable) {
  if (deferrable == "NOT") {
    return " NOT DEFERRABLE,\n";
  }
  if (deferrable == "NOTHING") {
    return " DEFERRABLE,\n";
  }
  if (deferrable == "INITIALLY IMMEDIATE") {
    return " DEFERRABLE INITIALLY IMMEDIATE,\n";
  }
  if (deferrable == "INITIALLY DEFERRED") {
    return " DEFERRABLE INITIALLY DEFERRED,\n";
  }
  return ",\n";
}

// Whether a CREATE text names `name` anywhere (as a word or quoted name).
bool names_object(std::string_view sql, std::string_view name) {
  for (const auto& token : Providers::Supports::tokenize_sql(sql)) {
    if ((token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::QuotedName) &&
        same_name(Providers::Supports::unquote_sql(token.text(sql)), name)) {
      return true;
    }
  }
  return false;
}

// A trigger of a view as the database holds it, its name put under `schema`.
std::string view_trigger(const std::string& sql, const std::string& schema) {
  auto text = read_create_trigger(sql);
  if (!text) {
    return sql;
  }
  // A TEMP trigger lives in temp and may not name a schema.
  if (text->temporary || schema.empty()) {
    return sql;
  }
  return sql.substr(0, text->name_offset) + qualified(schema, text->name, '"') +
         sql.substr(text->name_offset + text->name_length);
}

}  // namespace

const Core::TypeInfo& SQLiteBuilder::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteBuilder", &SqlBuilder::static_type(), {},
                                   nullptr, {});
  return info;
}

SQLiteBuilderPtr SQLiteBuilder::create(Contracts::Database::IConnection* connection) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  return std::make_shared<SQLiteBuilder>(connection);
}

std::string SQLiteBuilder::build_create(const MetaObjectPtr& meta_object, bool use_raw_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_object != nullptr, "meta_object != NULL", {});
  switch (meta_object->character()) {
    case DBObject::Database:
      return create_database(std::static_pointer_cast<MetaModel::MetaDatabase>(meta_object), use_raw_type);
    case DBObject::Schema:
      return build_schema(std::static_pointer_cast<MetaModel::MetaSchema>(meta_object), use_raw_type);
    case DBObject::Table:
      return build_table(std::static_pointer_cast<MetaTable>(meta_object), use_raw_type);
    case DBObject::Event:
      return build_event(std::static_pointer_cast<MetaModel::MetaEvent>(meta_object));
    case DBObject::Function:
    case DBObject::Procedure:
      return build_function(std::static_pointer_cast<MetaModel::MetaFunction>(meta_object));
    case DBObject::Index:
      return build_index(std::static_pointer_cast<MetaIndex>(meta_object));
    case DBObject::Role:
      return build_role(std::static_pointer_cast<MetaModel::MetaRole>(meta_object));
    case DBObject::Trigger:
      return build_trigger(std::static_pointer_cast<MetaTrigger>(meta_object));
    case DBObject::User:
      return build_user(std::static_pointer_cast<MetaModel::MetaUser>(meta_object));
    case DBObject::View:
      return build_view(std::static_pointer_cast<MetaView>(meta_object));
    default:
      return {};
  }
}

std::string SQLiteBuilder::build_delete(const MetaObjectPtr& meta_object) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_object != nullptr, "meta_object != NULL", {});
  auto drop = [](const char* kind, const MetaObject& object) {
    return std::string("DROP ") + kind + " IF EXISTS " + qualified(object.get_schema(), object.get_name(), '`') + ";";
  };
  switch (meta_object->character()) {
    case DBObject::Index:
      return drop("INDEX", *meta_object);
    case DBObject::Table:
      return drop("TABLE", *meta_object);
    case DBObject::Trigger:
      return drop("TRIGGER", *meta_object);
    case DBObject::View:
      return drop("VIEW", *meta_object);
    case DBObject::Schema: {
      const auto& schema = static_cast<const MetaModel::MetaSchema&>(*meta_object);
      std::string text;
      for (const auto& table : schema.get_tables()) {
        text += drop("TABLE", *table);
      }
      for (const auto& view : schema.get_views()) {
        text += drop("VIEW", *view);
      }
      return text;
    }
    default:
      return {};
  }
}

std::string SQLiteBuilder::build_patch(const MetaObjectPtr& meta_object, bool use_raw_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_object != nullptr, "meta_object != NULL", {});
  const DataVersion version = meta_object->get_version();
  // insert: the CREATE text; update: `update`; delete: the DROP text.
  auto by_version = [&](auto create, auto update) -> std::string {
    switch (version) {
      case DataVersion::Insert:
        return create();
      case DataVersion::Update:
        return update();
      case DataVersion::Delete:
        return build_delete(meta_object);
      default:
        return {};
    }
  };
  switch (meta_object->character()) {
    case DBObject::Table: {
      auto table = std::static_pointer_cast<MetaTable>(meta_object);
      return by_version([&] { return build_table(table, use_raw_type); }, [&] { return patch_table(table); });
    }
    case DBObject::View: {
      auto view = std::static_pointer_cast<MetaView>(meta_object);
      auto create = [&] { return build_view(view); };
      return by_version(create, [&] { return build_delete(meta_object) + "\n" + create(); });
    }
    case DBObject::Function:
    case DBObject::Procedure: {
      auto function = std::static_pointer_cast<MetaModel::MetaFunction>(meta_object);
      auto create = [&] { return build_function(function); };
      return by_version(create, [&] { return build_delete(meta_object) + "\n" + create(); });
    }
    case DBObject::Event: {
      auto event = std::static_pointer_cast<MetaModel::MetaEvent>(meta_object);
      auto create = [&] { return build_event(event); };
      return by_version(create, [&] { return build_delete(meta_object) + "\n" + create(); });
    }
    case DBObject::Role:
      return build_role(std::static_pointer_cast<MetaModel::MetaRole>(meta_object));
    case DBObject::User:
      return build_user(std::static_pointer_cast<MetaModel::MetaUser>(meta_object));
    default:
      return {};
  }
}

std::string SQLiteBuilder::create_database(const MetaModel::MetaDatabasePtr& database, bool use_raw_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(database != nullptr, "database != NULL", {});
  std::string text;
  for (const auto& schema : database->get_schemas()) {
    text += build_schema(schema, use_raw_type);
  }
  return text;
}

std::string SQLiteBuilder::build_schema(const MetaModel::MetaSchemaPtr& schema, bool use_raw_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema != nullptr, "schema != NULL", {});
  order_with_dependence(schema, 0);
  std::string text;
  for (const auto& table : schema->get_tables()) {
    // The engine makes its own tables (sqlite_sequence, sqlite_stat1); a
    // CREATE of one fails.
    if (table->get_name().size() >= 7 && same_name(std::string_view(table->get_name()).substr(0, 7), "sqlite_")) {
      continue;
    }
    text += build_table(table, use_raw_type);
  }
  for (const auto& view : schema->get_views()) {
    text += build_view(view);
  }
  for (const auto& function : schema->get_functions()) {
    text += build_function(function);
  }
  return text;
}

std::string SQLiteBuilder::build_table(const MetaModel::MetaTablePtr& table, bool use_raw_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  std::string text = build_table_schema(*table, use_raw_type, true);
  text += build_table_indexes(*table);
  text += build_table_triggers(*table);
  if (!text.empty()) {
    text.pop_back();
  }
  text += "\n";
  return text;
}

std::string SQLiteBuilder::build_table_schema(MetaTable& table, bool use_raw_type, bool with_seed) {
  const std::string name = qualified(table.get_schema(), table.get_name(), '"');
  const std::string module = option(table, MetaKeys::kUsing);
  if (!module.empty()) {
    return "CREATE VIRTUAL TABLE IF NOT EXISTS " + name + " USING " + module + ";\n\n";
  }
  std::string text = "CREATE TABLE IF NOT EXISTS " + name + " (\n";
  const std::vector<const MetaColumn*> columns = live_columns(table);
  const std::vector<const MetaColumn*> key = primary_key(table);
  const MetaColumn* autoincrement = autoincrement_column(key);
  auto inspector = use_raw_type ? nullptr : m_connection->inspector();
  for (const MetaColumn* column : columns) {
    std::string type = use_raw_type ? declared_type(*column) : std::string();
    const bool declared = !type.empty();
    if (!declared) {
      type = use_raw_type ? column->get_raw_type()
                          : (inspector ? inspector->get_sql_type(column->get_data_type()) : std::string());
    }
    text += "    " + dq(column->get_name()) + " " + (use_raw_type ? written_type(type) : type);
    if (!declared && (type == "VARCHAR" || type == "TEXT") && column->get_length() != 0) {
      text += "(" + std::to_string(column->get_length()) + ") ";
    } else {
      text += " ";
    }
    if (column->get_is_virtual() && !column->get_expression().empty()) {
      text += "GENERATED ALWAYS AS (" + column->get_expression() + ") " +
              (column->get_virtual_type() == "STORED" ? "STORED " : "VIRTUAL ");
    }
    if (column->get_not_null()) {
      text += "NOT NULL ";
      if (!column->get_conflict().empty()) {
        text += "ON CONFLICT " + column->get_conflict() + " ";
      }
    }
    if (const std::string& value = column->get_default_value(); !value.empty()) {
      // An expression default needs its parentheses: DEFAULT (datetime('now')).
      text += "DEFAULT " + (is_literal(value) ? value : "(" + value + ")") + " ";
    }
    // The built-in collations, in the case they were written (index_xinfo
    // reports that spelling); others are left out.
    const std::string& collation = column->get_collation();
    if (same_name(collation, "BINARY") || same_name(collation, "NOCASE") || same_name(collation, "RTRIM")) {
      text += "COLLATE " + collation + " ";
    }
    if (column->get_is_primary_key() && key.size() == 1) {
      text += "PRIMARY KEY ";
      // AUTOINCREMENT exists only on a single INTEGER PRIMARY KEY.
      if (column == autoincrement) {
        text += "AUTOINCREMENT ";
        table.get_options()[std::string(MetaKeys::kAutoincrement)] = "true";
      }
    }
    // Column constraints where the table declared them, which keeps the
    // engine's numbering of their indexes (sqlite_autoindex_<table>_<n>).
    for (const auto& constraint : table.get_constraints()) {
      if (!constraint || is_deleted(*constraint) || inline_column(table, *constraint) != column) {
        continue;
      }
      if (auto unique = std::dynamic_pointer_cast<MetaUnique>(constraint)) {
        text += unique_clause(*unique, true) + " ";
      } else if (auto check = std::dynamic_pointer_cast<MetaCheck>(constraint)) {
        text += check_clause(*check) + " ";
      }
    }
    text.pop_back();
    text += ",\n";
  }
  if (key.size() > 1) {
    text += "    PRIMARY KEY (";
    for (std::size_t i = 0; i < key.size(); ++i) {
      text += (i == 0 ? "" : ", ") + dq(key[i]->get_name());
    }
    text += "),\n";
  }
  for (const auto& constraint : table.get_constraints()) {
    if (!constraint || is_deleted(*constraint)) {
      continue;
    }
    if (auto foreign = std::dynamic_pointer_cast<MetaForeignKey>(constraint)) {
      text += "    CONSTRAINT " + dq(foreign->get_name()) + " FOREIGN KEY(" + name_list(foreign->get_local_columns()) +
              ")";
      text += " REFERENCES " + dq(foreign->get_refer_table());
      // Without columns the key refers to the parent's primary key.
      if (!foreign->get_refer_columns().empty()) {
        text += "(" + name_list(foreign->get_refer_columns()) + ")";
      }
      if (!foreign->get_update_action().empty()) {
        text += " ON UPDATE " + foreign->get_update_action();
      }
      if (!foreign->get_delete_action().empty()) {
        text += " ON DELETE " + foreign->get_delete_action();
      }
      text += deferrable_ending(foreign->get_deferrable());
    } else if (inline_column(table, *constraint) != nullptr) {
      continue;
    } else if (auto unique = std::dynamic_pointer_cast<MetaUnique>(constraint)) {
      text += "    " + unique_clause(*unique, false) + ",\n";
    } else if (auto check = std::dynamic_pointer_cast<MetaCheck>(constraint)) {
      text += "    " + check_clause(*check) + ",\n";
    }
  }
  if (std::count(text.begin(), text.end(), '\n') >= 2) {
    text.resize(text.size() - 2);
  }
  text += "\n) ";
  std::string options;
  if (option(table, MetaKeys::kWithoutRowid) == "true") {
    options = "WITHOUT ROWID";
  }
  if (option(table, MetaKeys::kStrict) == "true") {
    options += options.empty() ? "STRICT" : ", STRICT";
  }
  if (options.empty()) {
    text.pop_back();
  }
  text += options + ";\n\n";
  const std::string seed = option(table, MetaKeys::kAutoincrementSeed);
  if (with_seed && !seed.empty() && option(table, MetaKeys::kAutoincrement) == "true" && is_integer(seed)) {
    const std::string schema = table.get_schema().empty() ? std::string("main") : table.get_schema();
    text += "INSERT INTO " + qualified(schema, "sqlite_sequence", '"') + " (name, seq) VALUES (" +
            sq(table.get_name()) + ", " + seed + ");\n\n";
  }
  return text;
}

std::string SQLiteBuilder::build_table_indexes(const MetaTable& table) {
  std::string text;
  for (const auto& index : table.get_indexes()) {
    if (!index || is_deleted(*index)) {
      continue;
    }
    text += "CREATE " + index->get_kind() + " INDEX " + qualified(table.get_schema(), index->get_name(), '"') + "\n";
    text += "ON " + dq(table.get_name()) + " (\n";
    std::string columns;
    for (const std::string& column : index->get_columns()) {
      columns += "    " + sql_element(column) + ",\n";
    }
    if (columns.size() >= 2) {
      columns.resize(columns.size() - 2);
    }
    text += columns;
    text += index->get_where().empty() ? "\n);\n\n" : "\n) WHERE " + index->get_where() + ";\n\n";
  }
  return text;
}

std::string SQLiteBuilder::build_table_triggers(const MetaTable& table) {
  std::string text;
  for (const auto& trigger : table.get_triggers()) {
    if (!trigger || is_deleted(*trigger)) {
      continue;
    }
    text += "CREATE TRIGGER " + qualified(table.get_schema(), trigger->get_name(), '"') + "\n";
    text += trigger->get_timing() + " " + trigger->get_event();
    if (trigger->get_event() == "UPDATE" && !trigger->get_columns().empty()) {
      text += " OF " + name_list(trigger->get_columns());
    }
    text += "\nON " + dq(table.get_name()) + "\n";
    if (!trigger->get_for_each().empty()) {
      text += "FOR EACH ROW\n";
    }
    // Without its condition a trigger would fire on every row.
    if (!trigger->get_when().empty()) {
      text += "WHEN " + trigger->get_when() + "\n";
    }
    text += trigger->get_body() + ";\n\n";
  }
  return text;
}

std::string SQLiteBuilder::build_index(const MetaModel::MetaIndexPtr& index) {
  TOLVANE_RETURN_VAL_IF_FAIL(index != nullptr, "index != NULL", {});
  std::string text = "CREATE ";
  if (!index->get_kind().empty()) {
    text += "UNIQUE ";
  }
  text += "INDEX " + qualified(index->get_schema(), index->get_name(), '`') + " ON " + bq(index->get_entity()) +
          "( \n";
  std::string columns;
  for (const std::string& column : index->get_columns()) {
    columns += "    " + sql_element(column) + ",\n";
  }
  if (columns.size() >= 2) {
    columns.resize(columns.size() - 2);
  }
  text += columns + "\n) ";
  if (!index->get_where().empty()) {
    text += "WHERE " + index->get_where() + " ";
  }
  text.pop_back();
  return text + ";";
}

std::string SQLiteBuilder::build_trigger(const MetaModel::MetaTriggerPtr& trigger) {
  TOLVANE_RETURN_VAL_IF_FAIL(trigger != nullptr, "trigger != NULL", {});
  std::string text = "CREATE TRIGGER " + qualified(trigger->get_schema(), trigger->get_name(), '`') + " ";
  text += trigger->get_timing() + " " + trigger->get_event() + " ";
  if (trigger->get_event().find("UPDATE") != std::string::npos && !trigger->get_columns().empty()) {
    text += "OF " + name_list(trigger->get_columns()) + " ";
  }
  text += "ON " + bq(trigger->get_target()) + " ";
  if (!trigger->get_when().empty()) {
    text += "WHEN " + trigger->get_when() + "\n";
  }
  std::string body = trigger->get_body();
  const auto first = body.find_first_not_of(" \t\r\n\f\v");
  body = first == std::string::npos ? std::string() : body.substr(first, body.find_last_not_of(" \t\r\n\f\v") - first + 1);
  text += "BEGIN\n " + body + (body.ends_with(";") ? "" : ";");
  return text + "\nEND;\n";
}

std::string SQLiteBuilder::build_view(const MetaModel::MetaViewPtr& view) {
  TOLVANE_RETURN_VAL_IF_FAIL(view != nullptr, "view != NULL", {});
  const bool temporary = attribute(*view, MetaKeys::kTemporary) == "true";
  std::string text = "CREATE ";
  if (temporary) {
    text += "TEMPORARY ";
  }
  // A temporary view goes to temp whatever it is called.
  text += "VIEW " + (temporary ? bq(view->get_name()) : qualified(view->get_schema(), view->get_name(), '`'));
  if (const std::string columns = attribute(*view, MetaKeys::kViewColumns); !columns.empty()) {
    text += "(" + name_list(columns) + ")";
  }
  text += " AS " + view->get_definition();
  const auto last = text.find_last_not_of(" \t\r\n\f\v");
  if (last == std::string::npos || text[last] != ';') {
    text += ";";
  }
  text += "\n\n";
  const std::string prefix(MetaKeys::kTriggerPrefix);
  for (const auto& [key, sql] : view->get_attributes()) {
    if (key.starts_with(prefix)) {
      text += view_trigger(sql, temporary ? std::string() : view->get_schema()) + ";\n\n";
    }
  }
  return text;
}

Core::Status SQLiteBuilder::check_table(const MetaModel::MetaTablePtr& table) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  const std::string name = dq(table->get_name());
  if (const std::string reason = attribute(*table, MetaKeys::kUnsupported); !reason.empty()) {
    return Core::fail(Exceptions::sql_error(Exceptions::SQLError::FEATURE_NOT_SUPPORTED,
                                            "cannot rebuild table " + name + " faithfully: " + reason));
  }
  if (!option(*table, MetaKeys::kUsing).empty()) {
    return Core::fail(Exceptions::sql_error(Exceptions::SQLError::FEATURE_NOT_SUPPORTED,
                                            "cannot rebuild table " + name + ": it is a virtual table"));
  }
  for (const auto& column : table->get_columns()) {
    if (column && !is_deleted(*column) && column->get_is_virtual() && column->get_expression().empty()) {
      return Core::fail(Exceptions::sql_error(Exceptions::SQLError::FEATURE_NOT_SUPPORTED,
                                              "cannot rebuild table " + name + ": the generated column " +
                                                  dq(column->get_name()) + " has no expression"));
    }
  }
  return {};
}

std::string SQLiteBuilder::setting(const char* name, const char* fallback) {
  auto value = m_connection->execute_as_scalar(std::string("PRAGMA ") + name + ";", false);
  if (!value || !*value) {
    if (!value) {
      TOLVANE_LOG_UNCAUGHT(value.error());
    }
    return fallback;
  }
  return Providers::Contracts::to_integer(**value) != 0 ? "ON" : "OFF";
}

std::string SQLiteBuilder::backup_name(const MetaTable& table) {
  auto now = Core::GRef<GDateTime>::adopt(g_date_time_new_now_local());
  Core::GCharPtr stamp(g_date_time_format(now.get(), "%Y%m%d%H%M%S"));
  const std::string base = table.get_name() + "_old_" + (stamp ? stamp.get() : "");
  const std::string schema = bq(table.get_schema().empty() ? std::string("main") : table.get_schema());
  // Two rebuilds of one table within a second would pick the same name.
  for (int counter = 1;; ++counter) {
    std::string candidate = counter == 1 ? base : base + "_" + std::to_string(counter);
    auto taken = m_connection->execute_as_scalar(
        "SELECT count(*) FROM " + schema + ".sqlite_master WHERE name = " + sq(candidate) + " COLLATE NOCASE;", false);
    if (!taken || !*taken || Providers::Contracts::to_integer(**taken) == 0 || counter > 1000) {
      return candidate;
    }
  }
}

std::string SQLiteBuilder::dependent_checks(const MetaTable& table) {
  const std::string schema = table.get_schema().empty() ? std::string("main") : table.get_schema();
  std::vector<std::string> statements;
  auto add = [&statements](std::string statement) {
    if (std::find(statements.begin(), statements.end(), statement) == statements.end()) {
      statements.push_back(std::move(statement));
    }
  };
  // A statement whose compilation compiles the triggers of `target` for `event`.
  auto firing = [&](const std::string& target, const std::string& event, std::string column) {
    const std::string name = qualified(schema, target, '"');
    if (event == "INSERT") {
      add("EXPLAIN INSERT INTO " + name + " DEFAULT VALUES;\n");
    } else if (event == "DELETE") {
      add("EXPLAIN DELETE FROM " + name + ";\n");
    } else if (event == "UPDATE") {
      if (column.empty()) {
        auto first = m_connection->execute_as_scalar(
            "SELECT name FROM pragma_table_info(" + sq(target) + ", " + sq(schema) + ") LIMIT 1;", false);
        column = first && *first ? (*first)->to_string() : std::string();
      }
      if (!column.empty()) {
        add("EXPLAIN UPDATE " + name + " SET " + dq(column) + " = " + dq(column) + ";\n");
      }
    }
  };
  const std::vector<const MetaColumn*> columns = live_columns(table);
  for (const auto& trigger : table.get_triggers()) {
    if (trigger && !is_deleted(*trigger)) {
      const auto named = split_list(trigger->get_columns());
      firing(table.get_name(), trigger->get_event(),
             !named.empty() ? Providers::Supports::unquote_sql(named.front())
                            : (columns.empty() ? std::string() : columns.front()->get_name()));
    }
  }
  auto objects = m_connection->execute_as_model(
      "SELECT type, name, tbl_name, sql FROM " + bq(schema) +
          ".sqlite_master WHERE type IN ('view', 'trigger') ORDER BY rowid;",
      false);
  if (!objects) {
    TOLVANE_LOG_UNCAUGHT(objects.error());
  } else {
    for (std::size_t row = 0; row < (*objects)->get_rows().size(); ++row) {
      auto cell = [&](int column) {
        auto value = (*objects)->get_value_at(column, static_cast<int>(row));
        return value ? value->to_string() : std::string();
      };
      const std::string sql = cell(3);
      // The table's own triggers are made again from the metadata, above.
      if (same_name(cell(2), table.get_name()) || !names_object(sql, table.get_name())) {
        continue;
      }
      if (cell(0) == "view") {
        add("EXPLAIN SELECT * FROM " + qualified(schema, cell(1), '"') + ";\n");
      } else if (auto trigger = read_create_trigger(sql)) {
        firing(cell(2), trigger->event, trigger->columns.empty() ? std::string() : trigger->columns.front());
      }
    }
  }
  std::string text;
  for (const std::string& statement : statements) {
    text += statement;
  }
  return text;
}

std::vector<std::string> SQLiteBuilder::checked_tables(const MetaTable& table) {
  std::vector<std::string> tables{table.get_name()};
  const std::string schema = table.get_schema().empty() ? std::string("main") : table.get_schema();
  auto children = m_connection->execute_as_model(
      "SELECT DISTINCT m.name FROM " + bq(schema) + ".sqlite_master m JOIN pragma_foreign_key_list(m.name, " +
          sq(schema) + ") f WHERE m.type = 'table' AND f.\"table\" = " + sq(table.get_name()) + " COLLATE NOCASE;",
      false);
  if (!children) {
    TOLVANE_LOG_UNCAUGHT(children.error());
    return tables;
  }
  for (std::size_t row = 0; row < (*children)->get_rows().size(); ++row) {
    auto name = (*children)->get_value_at(0, static_cast<int>(row));
    if (name && !same_name(name->to_string(), table.get_name())) {
      tables.push_back(name->to_string());
    }
  }
  return tables;
}

std::string SQLiteBuilder::patch_table(const MetaModel::MetaTablePtr& table) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  if (auto checked = check_table(table); !checked) {
    TOLVANE_WARNING("%s", checked.error().message.c_str());
    return {};
  }
  auto& columns = table->get_columns();
  sort_keeping_order(columns, [](const auto& column) { return column->get_ordinal(); });
  const std::string schema = table->get_schema();
  const std::string foreign_keys = setting("foreign_keys", "ON");
  const std::string legacy = setting("legacy_alter_table", "OFF");

  // With foreign keys off and the legacy rename rule, renaming the table
  // leaves the foreign keys of other tables, views and triggers naming it;
  // the new table takes its place under them.
  std::string text = "PRAGMA foreign_keys = OFF;\n";
  text += "PRAGMA legacy_alter_table = ON;\n";
  text += "BEGIN;\n";
  for (const auto& index : table->get_indexes()) {
    if (index && index->get_version() != DataVersion::Insert) {
      text += "DROP INDEX " + qualified(schema, index->get_name(), '"') + ";\n";
    }
  }
  for (const auto& trigger : table->get_triggers()) {
    if (trigger && trigger->get_version() != DataVersion::Insert) {
      text += "DROP TRIGGER " + qualified(schema, trigger->get_name(), '"') + ";\n";
    }
  }
  const std::string backup = backup_name(*table);
  table->set_data("BACKUP", backup);
  text += "ALTER TABLE " + qualified(schema, table->get_name(), '"') + " RENAME TO " + dq(backup) + ";\n\n";
  text += build_table_schema(*table, true, false);

  const std::string target = qualified(schema, table->get_name(), '"');
  const std::string source = qualified(schema, backup, '"');
  if (autoincrement_column(primary_key(*table)) != nullptr) {
    // The rename took the counter along; the new table goes on from it, so no
    // key that was ever handed out comes back.
    text += "INSERT INTO " + qualified(schema.empty() ? std::string("main") : schema, "sqlite_sequence", '"') +
            " (name, seq) SELECT " + sq(table->get_name()) + ", seq FROM " +
            qualified(schema.empty() ? std::string("main") : schema, "sqlite_sequence", '"') +
            " WHERE name = " + sq(backup) + ";\n";
  }

  std::string targets;
  std::string sources;
  auto copy = [&](const std::string& to, const std::string& from) {
    targets += (targets.empty() ? "" : ", ") + dq(to);
    sources += (sources.empty() ? "" : ", ") + dq(from);
  };
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const MetaColumn& column = *columns[i];
    // A generated column computes its values itself.
    if (column.get_is_virtual()) {
      continue;
    }
    switch (column.get_version()) {
      case DataVersion::Initial:
      case DataVersion::Identical:
        copy(column.get_name(), column.get_name());
        break;
      case DataVersion::Update:
        copy(column.get_name(), column.get_original().empty() ? column.get_name() : column.get_original());
        break;
      case DataVersion::Insert: {
        // A column that replaces a deleted one at the same place takes over its data.
        auto replaced = [&](std::size_t j) {
          return j < columns.size() && j != i && columns[j]->get_ordinal() == column.get_ordinal() &&
                 columns[j]->get_version() == DataVersion::Delete;
        };
        if (i > 0 && replaced(i - 1)) {
          copy(column.get_name(), columns[i - 1]->get_name());
        } else if (replaced(i + 1)) {
          copy(column.get_name(), columns[i + 1]->get_name());
        }
        break;
      }
      default:
        break;
    }
  }
  if (!targets.empty()) {
    text += "INSERT INTO " + target + " (" + targets + ") SELECT " + sources + " FROM " + source + ";\n";
  }
  // Indexes and triggers come after the rows: the copy must not fire the
  // table's triggers.
  text += build_table_indexes(*table);
  text += build_table_triggers(*table);
  text += dependent_checks(*table);
  // With foreign keys on the whole schema is expected to hold; with them off
  // only what the rebuild can break is checked: the table's own keys and the
  // keys of the tables that refer to it (a key naming a column that is gone
  // is an error of the check).
  const std::string check_schema = schema.empty() ? std::string() : dq(schema) + ".";
  if (foreign_keys == "ON") {
    text += "PRAGMA " + check_schema + "foreign_key_check;\n";
  } else {
    for (const std::string& checked : checked_tables(*table)) {
      text += "PRAGMA " + check_schema + "foreign_key_check(" + dq(checked) + ");\n";
    }
  }
  text += "COMMIT;\n";
  text += "PRAGMA legacy_alter_table = " + legacy + ";\n";
  text += "PRAGMA foreign_keys = " + foreign_keys + ";";
  return text;
}

}  // namespace Tolvane::Orvel::Supports::Database
