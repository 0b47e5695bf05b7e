#include "orvel/supports/database/sqlite/sqlite_adapter.hpp"

#include <cstdio>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/contracts/database/inspectable.hpp"
#include "orvel/exceptions/sql_error.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Orvel::Supports::Database {

using MetaModel::MetaCheck;
using MetaModel::MetaColumn;
using MetaModel::MetaForeignKey;
using MetaModel::MetaIndex;
using MetaModel::MetaTable;
using MetaModel::MetaTrigger;
using MetaModel::MetaUnique;
using MetaModel::MetaView;
using Providers::Contracts::DBObject;
using Providers::Contracts::TableModel;
using Providers::Contracts::TableModelPtr;

namespace {

constexpr const char* kFilled = "FILLED";

// Names in the texts of this adapter: schemas and objects in back quotes,
// names compared as values in single quotes; inner quotes doubled.
std::string bq(std::string_view name) { return quoted(name, '`'); }
std::string sq(std::string_view name) { return quoted(name, '\''); }

// The schema an object belongs to; SQLite's own default for none.
std::string schema_of(const MetaModel::MetaObject& object) {
  return object.get_schema().empty() ? std::string("main") : object.get_schema();
}

// SQLite compares names ignoring ASCII case; maps keyed by name use this form.
std::string name_key(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    c = g_ascii_tolower(c);
  }
  return key;
}

// The engine reserves names beginning with "sqlite_" for its own tables.
bool is_internal(std::string_view name) { return name.size() >= 7 && same_name(name.substr(0, 7), "sqlite_"); }

std::string text_at(const TableModel& model, int column, std::size_t row) {
  auto value = model.get_value_at(column, static_cast<int>(row));
  return value ? value->to_string() : std::string();
}

std::int64_t integer_at(const TableModel& model, int column, std::size_t row) {
  auto value = model.get_value_at(column, static_cast<int>(row));
  return value ? Providers::Contracts::to_integer(*value) : 0;
}

bool is_null_at(const TableModel& model, int column, std::size_t row) {
  auto value = model.get_value_at(column, static_cast<int>(row));
  return !value || value->get_is_null();
}

bool is_marked(const MetaModel::MetaObject& object) {
  const bool* filled = object.get_data_as<bool>(kFilled);
  return filled != nullptr && *filled;
}

void mark(MetaModel::MetaObject& object) { object.set_data(kFilled, true); }

std::string join(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) {
      text += ", ";
    }
    text += item;
  }
  return text;
}

// "unique_00": names for the constraints the text leaves unnamed, numbered per
// kind like the foreign keys' "foreign_key_00", so comparisons can pair them.
std::string numbered(const char* prefix, int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s_%02d", prefix, number);
  return name;
}

// An object of the schema table with its CREATE text.
struct SchemaObject {
  std::string name;
  std::string sql;
};

}  // namespace

// The schema table of one schema, read once for a whole schema fill. Keys are
// names in lower case.
struct SQLiteAdapter::Catalogue {
  std::unordered_map<std::string, std::string> tables;
  std::unordered_map<std::string, std::string> views;
  std::unordered_map<std::string, std::vector<SchemaObject>> indexes;   // by table, in creation order
  std::unordered_map<std::string, std::vector<SchemaObject>> triggers;  // by table or view, in creation order
  std::unordered_map<std::string, std::string> sequences;               // sqlite_sequence counters
  std::unordered_set<std::string> shadows;                              // shadow tables of virtual tables
};

namespace {

// The CREATE text, indexes, triggers and counter of one table: from a schema
// catalogue, or read for the table alone.
struct TableSources {
  std::optional<std::string> sql;
  std::vector<SchemaObject> indexes;
  std::vector<SchemaObject> triggers;
  std::optional<std::string> sequence;
};

const std::vector<SchemaObject>& objects_of(const std::unordered_map<std::string, std::vector<SchemaObject>>& map,
                                            const std::string& key) {
  static const std::vector<SchemaObject> kNone;
  auto found = map.find(key);
  return found == map.end() ? kNone : found->second;
}

}  // namespace

const Core::TypeInfo& SQLiteAdapter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSQLiteAdapter", &Adapter::static_type(), {}, nullptr,
                                   {});
  return info;
}

SQLiteAdapterPtr SQLiteAdapter::create(Contracts::Database::IConnection* connection) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  return std::make_shared<SQLiteAdapter>(connection);
}

void SQLiteAdapter::set_declared_type(MetaColumn& column, std::string_view declared,
                                      const Contracts::Database::IInspectable* inspector) {
  TypeParts parts = split_declared_type(declared);
  column.set_data_type(inspector != nullptr ? inspector->get_data_type(parts.raw_type)
                                            : Providers::Contracts::DataType::Unknown);
  column.set_length(parts.length);
  // What the builder writes from raw type and length alone.
  std::string written = parts.raw_type;
  if ((written == "VARCHAR" || written == "TEXT") && parts.length != 0) {
    written += "(" + std::to_string(parts.length) + ")";
  }
  column.set_raw_type(std::move(parts.raw_type));
  auto& attributes = column.get_attributes();
  if (written != declared) {
    attributes[std::string(MetaKeys::kDeclaredType)] = std::string(declared);
  } else {
    attributes.erase(std::string(MetaKeys::kDeclaredType));
  }
}

Core::Status SQLiteAdapter::fill_meta_object(const MetaModel::MetaObjectPtr& meta_object, bool recursive) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_object != nullptr, "meta_object != NULL", {});
  switch (meta_object->character()) {
    case DBObject::Database:
      return fill_meta_database(std::static_pointer_cast<MetaModel::MetaDatabase>(meta_object), recursive);
    case DBObject::Schema:
      return fill_meta_schema(std::static_pointer_cast<MetaModel::MetaSchema>(meta_object), recursive);
    case DBObject::Table:
      return fill_meta_table(std::static_pointer_cast<MetaTable>(meta_object), recursive);
    case DBObject::Index:
      return fill_meta_index(std::static_pointer_cast<MetaIndex>(meta_object));
    case DBObject::Trigger:
      return fill_meta_trigger(std::static_pointer_cast<MetaTrigger>(meta_object));
    case DBObject::View:
      return fill_meta_view(std::static_pointer_cast<MetaView>(meta_object));
    default:
      return {};
  }
}

Core::Status SQLiteAdapter::fill_meta_database(const MetaModel::MetaDatabasePtr& database, bool recursive) {
  TOLVANE_RETURN_VAL_IF_FAIL(database != nullptr, "database != NULL", {});
  if (!is_marked(*database)) {
    static constexpr std::pair<const char*, const char*> kFacts[] = {{"PRAGMA encoding;", "ENCODING"},
                                                                      {"PRAGMA query_only;", "READONLY"},
                                                                      {"PRAGMA temp_store;", "TEMP_STORE"},
                                                                      {"PRAGMA busy_timeout;", "BUSY_TIMEOUT"}};
    for (const auto& [sql, key] : kFacts) {
      auto model = m_connection->execute_as_model(sql, false);
      if (!model) {
        return Core::fail(std::move(model.error()));
      }
      database->get_attributes()[key] = text_at(**model, 0, 0);
    }
    auto schemas = m_connection->execute_as_model("PRAGMA database_list;", false);
    if (!schemas) {
      return Core::fail(std::move(schemas.error()));
    }
    for (std::size_t row = 0; row < (*schemas)->get_rows().size(); ++row) {
      database->append(text_at(**schemas, 1, row));
    }
  }
  if (recursive) {
    for (const auto& schema : database->get_schemas()) {
      if (auto filled = fill_meta_schema(schema, true); !filled) {
        return filled;
      }
    }
  }
  mark(*database);
  return {};
}

Core::Status SQLiteAdapter::fill_meta_schema(const MetaModel::MetaSchemaPtr& schema, bool recursive) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema != nullptr, "schema != NULL", {});
  if (is_marked(*schema)) {
    return {};
  }
  const std::string name = bq(schema->get_name());
  static constexpr std::pair<const char*, const char*> kFacts[] = {
      {"journal_mode", "JOURNAL_MODE"},     {"journal_size_limit", "JOURNAL_SIZE_LIMIT"},
      {"locking_mode", "LOCKING_MODE"},     {"max_page_count", "MAX_PAGE_COUNT"},
      {"page_count", "PAGE_COUNT"},         {"page_size", "PAGE_SIZE"},
      {"schema_version", "SCHEMA_VERSION"}};
  for (const auto& [pragma, key] : kFacts) {
    auto model = m_connection->execute_as_model("PRAGMA " + name + "." + pragma + ";", false);
    if (!model) {
      return Core::fail(std::move(model.error()));
    }
    schema->get_attributes()[key] = text_at(**model, 0, 0);
  }

  Catalogue catalogue;
  auto kinds = m_connection->execute_as_model("PRAGMA " + name + ".table_list;", false);
  if (!kinds) {
    return Core::fail(std::move(kinds.error()));
  }
  for (std::size_t row = 0; row < (*kinds)->get_rows().size(); ++row) {
    if (text_at(**kinds, 2, row) == "shadow") {
      catalogue.shadows.insert(name_key(text_at(**kinds, 1, row)));
    }
  }

  auto listing = m_connection->execute_as_model(
      "SELECT name, type FROM " + name + ".sqlite_master WHERE type in ('table', 'view') ORDER BY name ASC;", false);
  if (!listing) {
    return Core::fail(std::move(listing.error()));
  }
  for (std::size_t row = 0; row < (*listing)->get_rows().size(); ++row) {
    const std::string object = text_at(**listing, 0, row);
    // The engine's tables and a module's shadow tables are made by others;
    // creating them again would fail.
    if (is_internal(object) || catalogue.shadows.contains(name_key(object))) {
      continue;
    }
    if (text_at(**listing, 1, row) == "table") {
      schema->get_tables().push_back(MetaTable::with_names(schema->get_database(), schema->get_name(), object));
    } else {
      schema->get_views().push_back(MetaView::with_names(schema->get_database(), schema->get_name(), object));
    }
  }

  if (recursive) {
    auto objects = m_connection->execute_as_model(
        "SELECT type, name, tbl_name, sql FROM " + name + ".sqlite_master ORDER BY rowid;", false);
    if (!objects) {
      return Core::fail(std::move(objects.error()));
    }
    bool has_sequence = false;
    for (std::size_t row = 0; row < (*objects)->get_rows().size(); ++row) {
      const std::string type = text_at(**objects, 0, row);
      SchemaObject object{text_at(**objects, 1, row), text_at(**objects, 3, row)};
      const std::string owner = name_key(text_at(**objects, 2, row));
      if (type == "table") {
        has_sequence = has_sequence || object.name == "sqlite_sequence";
        catalogue.tables.emplace(name_key(object.name), std::move(object.sql));
      } else if (type == "view") {
        catalogue.views.emplace(name_key(object.name), std::move(object.sql));
      } else if (type == "index" && !object.sql.empty()) {
        catalogue.indexes[owner].push_back(std::move(object));
      } else if (type == "trigger") {
        catalogue.triggers[owner].push_back(std::move(object));
      }
    }
    if (has_sequence) {
      auto sequences = m_connection->execute_as_model("SELECT name, seq FROM " + name + ".sqlite_sequence;", false);
      if (!sequences) {
        return Core::fail(std::move(sequences.error()));
      }
      for (std::size_t row = 0; row < (*sequences)->get_rows().size(); ++row) {
        catalogue.sequences.emplace(name_key(text_at(**sequences, 0, row)), text_at(**sequences, 1, row));
      }
    }
    for (const auto& table : schema->get_tables()) {
      if (auto filled = fill_table(table, true, &catalogue); !filled) {
        return filled;
      }
    }
    for (const auto& view : schema->get_views()) {
      if (auto filled = fill_view(view, &catalogue); !filled) {
        return filled;
      }
    }
  }
  mark(*schema);
  return {};
}

Core::Status SQLiteAdapter::fill_meta_table(const MetaModel::MetaTablePtr& table, bool recursive) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  return fill_table(table, recursive, nullptr);
}

namespace {

// Fills one table; a failing step is logged and noted, and the others go on.
class TableFill {
 public:
  TableFill(Contracts::Database::IConnection& connection, MetaTable& table)
      : m_connection(connection), m_table(table), m_schema(bq(schema_of(table))) {}

  // False when a step failed.
  bool run(bool recursive, const SQLiteAdapter::Catalogue* catalogue) {
    read_sources(recursive, catalogue);
    if (m_sources.sql) {
      read_text(*m_sources.sql);
    }
    fill_columns();
    if (recursive) {
      fill_indexes();
      fill_triggers();
      fill_foreign_keys();
      fill_declared_constraints();
      fill_options();
    }
    if (!m_unsupported.empty()) {
      m_table.get_attributes()[std::string(MetaKeys::kUnsupported)] = join(m_unsupported);
    }
    return !m_failed;
  }

 private:
  std::optional<TableModelPtr> query(const std::string& sql) {
    auto model = m_connection.execute_as_model(sql, false);
    if (!model) {
      TOLVANE_LOG_UNCAUGHT(model.error());
      m_failed = true;
      return std::nullopt;
    }
    return std::move(*model);
  }

  void read_sources(bool recursive, const SQLiteAdapter::Catalogue* catalogue) {
    const std::string key = name_key(m_table.get_name());
    if (catalogue != nullptr) {
      if (auto found = catalogue->tables.find(key); found != catalogue->tables.end()) {
        m_sources.sql = found->second;
      }
      m_sources.indexes = objects_of(catalogue->indexes, key);
      m_sources.triggers = objects_of(catalogue->triggers, key);
      if (auto found = catalogue->sequences.find(key); found != catalogue->sequences.end()) {
        m_sources.sequence = found->second;
      }
      return;
    }
    const std::string name = sq(m_table.get_name());
    if (auto text = query("SELECT sql FROM " + m_schema + ".sqlite_master WHERE type = 'table' AND name = " + name +
                          " COLLATE NOCASE;")) {
      if (!(*text)->get_rows().empty()) {
        m_sources.sql = text_at(**text, 0, 0);
      }
    }
    if (!recursive) {
      return;
    }
    auto objects = [&](const char* type, std::vector<SchemaObject>& into) {
      if (auto rows = query("SELECT name, tbl_name, sql FROM " + m_schema + ".sqlite_master WHERE type = '" + type +
                            "' AND tbl_name = " + name + " COLLATE NOCASE AND sql IS NOT NULL AND sql != '' " +
                            "ORDER BY rowid;")) {
        for (std::size_t row = 0; row < (*rows)->get_rows().size(); ++row) {
          into.push_back(SchemaObject{text_at(**rows, 0, row), text_at(**rows, 2, row)});
        }
      }
    };
    objects("index", m_sources.indexes);
    objects("trigger", m_sources.triggers);
    auto has_sequence = query("SELECT count(name) FROM " + m_schema +
                              ".sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence';");
    if (has_sequence && integer_at(**has_sequence, 0, 0) > 0) {
      if (auto seq = query("SELECT seq FROM " + m_schema + ".sqlite_sequence WHERE name = " + name + ";");
          seq && !(*seq)->get_rows().empty()) {
        m_sources.sequence = text_at(**seq, 0, 0);
      }
    }
  }

  void read_text(const std::string& sql) {
    auto text = read_create_table(sql);
    if (!text) {
      m_unsupported.push_back("its CREATE TABLE text could not be read (" + text.error().message + ")");
      return;
    }
    m_text = std::move(*text);
    for (std::string& reason : m_text->unsupported) {
      m_unsupported.push_back(std::move(reason));
    }
  }

  const DeclaredColumn* declared(std::string_view name) const {
    if (m_text) {
      for (const DeclaredColumn& column : m_text->columns) {
        if (same_name(column.name, name)) {
          return &column;
        }
      }
    }
    return nullptr;
  }

  void fill_columns() {
    // table_xinfo also lists generated columns, which table_info leaves out.
    auto rows = query("PRAGMA " + m_schema + ".table_xinfo(" + bq(m_table.get_name()) + ");");
    if (!rows) {
      return;
    }
    const TableModel& model = **rows;
    auto inspector = m_connection.inspector();
    for (std::size_t row = 0; row < model.get_rows().size(); ++row) {
      // 1: a hidden column of a virtual table; 2, 3: generated VIRTUAL, STORED.
      const std::int64_t hidden = integer_at(model, 6, row);
      if (hidden == 1) {
        continue;
      }
      auto column = m_table.new_column(text_at(model, 1, row), Providers::Contracts::DataType::Unknown);
      SQLiteAdapter::set_declared_type(*column, text_at(model, 2, row), inspector.get());
      column->set_not_null(text_at(model, 3, row) == "1");
      column->set_default_value(text_at(model, 4, row));
      column->set_ordinal(static_cast<std::uint16_t>(integer_at(model, 0, row) + 1));
      const std::int64_t pk = integer_at(model, 5, row);
      column->set_is_primary_key(pk > 0);
      column->set_primary_ordinal(static_cast<std::uint8_t>(pk));
      if (hidden == 2 || hidden == 3) {
        column->set_is_virtual(true);
        column->set_is_generated_always(true);
        column->set_virtual_type(hidden == 3 ? "STORED" : "VIRTUAL");
      }
      if (const DeclaredColumn* text = declared(column->get_name())) {
        column->set_collation(text->collation);
        column->set_conflict(text->not_null_conflict);
        column->set_auto_increment(text->autoincrement);
        column->set_expression(text->generated);
      } else if (column->get_is_virtual()) {
        m_unsupported.push_back("the expression of the generated column \"" + column->get_name() +
                                "\" is not known");
      }
    }
  }

  void fill_indexes() {
    for (const SchemaObject& object : m_sources.indexes) {
      auto text = read_create_index(object.sql);
      if (!text) {
        m_unsupported.push_back("its index \"" + object.name + "\" could not be read (" + text.error().message + ")");
        continue;
      }
      auto index = MetaIndex::with_names(m_table.get_database(), m_table.get_schema(), m_table.get_name(), object.name);
      if (text->unique) {
        index->set_kind("UNIQUE");
      }
      for (std::string& term : text->terms) {
        index->append(term);
      }
      index->set_where(text->where);
      m_table.get_indexes().push_back(std::move(index));
    }
  }

  void fill_triggers() {
    for (const SchemaObject& object : m_sources.triggers) {
      auto text = read_create_trigger(object.sql);
      if (!text) {
        m_unsupported.push_back("its trigger \"" + object.name + "\" could not be read (" + text.error().message +
                                ")");
        continue;
      }
      // The body runs from BEGIN to the end of the statement.
      auto trigger = MetaTrigger::with_body(object.name, object.sql.substr(text->begin, text->finish - text->begin));
      trigger->set_for_each(text->for_each_row ? "ROW" : "");
      // A table has no INSTEAD OF triggers; the table variant names the other two.
      if (text->timing != "INSTEAD OF") {
        trigger->set_timing(text->timing);
      }
      trigger->set_event(text->event);
      trigger->set_columns(join(text->columns));
      trigger->set_when(text->when);
      m_table.get_triggers().push_back(std::move(trigger));
    }
  }

  void fill_foreign_keys() {
    auto rows = query("PRAGMA " + m_schema + ".foreign_key_list(" + bq(m_table.get_name()) + ");");
    if (!rows) {
      return;
    }
    const TableModel& model = **rows;
    struct Key {
      std::int64_t id;
      std::size_t first;
      std::size_t last;
    };
    std::vector<Key> keys;
    for (std::size_t row = 0; row < model.get_rows().size(); ++row) {
      const std::int64_t id = integer_at(model, 0, row);
      if (keys.empty() || keys.back().id != id) {
        keys.push_back(Key{id, row, row});
      }
      keys.back().last = row;
    }
    // The engine numbers foreign keys from the last one written; listing them
    // in the order of the text makes a rebuild number them the same way.
    const std::vector<DeclaredForeignKey>* written = m_text ? &m_text->foreign_keys : nullptr;
    if (written != nullptr && written->size() != keys.size()) {
      m_unsupported.push_back("the foreign keys of its text do not match those the database reports");
      written = nullptr;
    }
    for (std::size_t k = keys.size(); k > 0; --k) {
      const Key& key = keys[k - 1];
      auto foreign = MetaForeignKey::with_names(numbered("foreign_key", static_cast<int>(key.id)),
                                                m_table.get_schema(), text_at(model, 2, key.first));
      foreign->set_update_action(text_at(model, 5, key.first));
      foreign->set_delete_action(text_at(model, 6, key.first));
      std::vector<std::string> local;
      std::vector<std::string> refer;
      bool implicit = true;
      for (std::size_t row = key.first; row <= key.last; ++row) {
        local.push_back(text_at(model, 3, row));
        refer.push_back(text_at(model, 4, row));
        implicit = implicit && is_null_at(model, 4, row);
      }
      foreign->set_local_columns(join(local));
      // "REFERENCES p" names no columns: the parent's primary key is meant.
      foreign->set_refer_columns(implicit ? std::string() : join(refer));
      const std::size_t position = keys.size() - k;
      if (written != nullptr && same_name((*written)[position].table, foreign->get_refer_table())) {
        foreign->set_deferrable((*written)[position].deferrable);
      } else if (written != nullptr) {
        m_unsupported.push_back("the foreign keys of its text do not match those the database reports");
        written = nullptr;
      }
      m_table.get_constraints().push_back(std::move(foreign));
    }
  }

  void fill_declared_constraints() {
    if (!m_text) {
      return;
    }
    int unnamed = 0;
    for (const DeclaredUnique& declared : m_text->uniques) {
      const bool has_name = !declared.name.empty();
      auto unique = MetaUnique::with_name(has_name ? declared.name : numbered("unique", unnamed++));
      unique->set_columns(join(declared.terms));
      unique->set_conflict(declared.conflict);
      describe(*unique, has_name, declared.column);
      m_table.get_constraints().push_back(std::move(unique));
    }
    unnamed = 0;
    for (const DeclaredCheck& declared : m_text->checks) {
      const bool has_name = !declared.name.empty();
      auto check = MetaCheck::with_name(has_name ? declared.name : numbered("check", unnamed++), declared.expression);
      describe(*check, has_name, declared.column);
      m_table.get_constraints().push_back(std::move(check));
    }
  }

  static void describe(MetaModel::MetaObject& constraint, bool has_name, const std::string& column) {
    if (!has_name) {
      constraint.get_attributes()[std::string(MetaKeys::kUnnamed)] = "true";
    }
    if (!column.empty()) {
      constraint.get_attributes()[std::string(MetaKeys::kColumn)] = column;
    }
  }

  void fill_options() {
    auto& options = m_table.get_options();
    if (m_text) {
      if (m_text->without_rowid) {
        options[std::string(MetaKeys::kWithoutRowid)] = "true";
      }
      if (m_text->strict) {
        options[std::string(MetaKeys::kStrict)] = "true";
      }
      if (m_text->is_virtual) {
        options[std::string(MetaKeys::kUsing)] = m_text->module;
      }
      for (const DeclaredColumn& column : m_text->columns) {
        if (column.autoincrement) {
          options[std::string(MetaKeys::kAutoincrement)] = "true";
        }
      }
    }
    if (m_sources.sequence) {
      options[std::string(MetaKeys::kAutoincrementSeed)] = *m_sources.sequence;
    }
  }

  Contracts::Database::IConnection& m_connection;
  MetaTable& m_table;
  const std::string m_schema;
  TableSources m_sources;
  std::optional<TableText> m_text;
  std::vector<std::string> m_unsupported;
  bool m_failed = false;
};

}  // namespace

Core::Status SQLiteAdapter::fill_table(const MetaModel::MetaTablePtr& table, bool recursive,
                                       const Catalogue* catalogue) {
  if (is_marked(*table)) {
    return {};
  }
  if (TableFill(*m_connection, *table).run(recursive, catalogue)) {
    mark(*table);
  }
  return {};
}

Core::Status SQLiteAdapter::fill_meta_view(const MetaModel::MetaViewPtr& view) {
  TOLVANE_RETURN_VAL_IF_FAIL(view != nullptr, "view != NULL", {});
  return fill_view(view, nullptr);
}

Core::Status SQLiteAdapter::fill_view(const MetaModel::MetaViewPtr& view, const Catalogue* catalogue) {
  if (is_marked(*view)) {
    return {};
  }
  auto& attributes = view->get_attributes();
  attributes[std::string(MetaKeys::kTemporary)] = same_name(view->get_schema(), "temp") ? "true" : "false";
  const std::string schema = bq(schema_of(*view));
  const std::string key = name_key(view->get_name());
  std::optional<std::string> sql;
  std::vector<SchemaObject> triggers;
  if (catalogue != nullptr) {
    if (auto found = catalogue->views.find(key); found != catalogue->views.end()) {
      sql = found->second;
    }
    triggers = objects_of(catalogue->triggers, key);
  } else {
    auto rows = m_connection->execute_as_model(
        "SELECT sql FROM " + schema + ".sqlite_master WHERE type = 'view' and name = " + sq(view->get_name()), false);
    if (!rows) {
      return Core::fail(std::move(rows.error()));
    }
    if (!(*rows)->get_rows().empty()) {
      sql = text_at(**rows, 0, 0);
    }
    auto on_view = m_connection->execute_as_model("SELECT name, sql FROM " + schema +
                                                      ".sqlite_master WHERE type = 'trigger' AND tbl_name = " +
                                                      sq(view->get_name()) + " COLLATE NOCASE ORDER BY rowid;",
                                                  false);
    if (!on_view) {
      return Core::fail(std::move(on_view.error()));
    }
    for (std::size_t row = 0; row < (*on_view)->get_rows().size(); ++row) {
      triggers.push_back(SchemaObject{text_at(**on_view, 0, row), text_at(**on_view, 1, row)});
    }
  }
  if (sql) {
    auto text = read_create_view(*sql);
    if (text) {
      view->set_definition(std::move(text->definition));
      if (!text->columns.empty()) {
        attributes[std::string(MetaKeys::kViewColumns)] = join(text->columns);
      }
    } else {
      attributes[std::string(MetaKeys::kUnsupported)] =
          "its CREATE VIEW text could not be read (" + text.error().message + ")";
    }
  }
  // A view's triggers go with it: dropping the view drops them.
  for (SchemaObject& trigger : triggers) {
    attributes[std::string(MetaKeys::kTriggerPrefix) + trigger.name] = std::move(trigger.sql);
  }
  mark(*view);
  return {};
}

Core::Status SQLiteAdapter::fill_meta_index(const MetaModel::MetaIndexPtr& index) {
  TOLVANE_RETURN_VAL_IF_FAIL(index != nullptr, "index != NULL", {});
  if (is_marked(*index)) {
    return {};
  }
  auto rows = m_connection->execute_as_model("SELECT tbl_name, sql FROM " + bq(schema_of(*index)) +
                                                 ".sqlite_master WHERE type = 'index' AND name = " +
                                                 sq(index->get_name()) + " AND sql IS NOT NULL AND sql != '';",
                                             false);
  if (!rows) {
    return Core::fail(std::move(rows.error()));
  }
  if (!(*rows)->get_rows().empty()) {
    auto text = read_create_index(text_at(**rows, 1, 0));
    if (!text) {
      return Core::fail(std::move(text.error()));
    }
    if (text->unique) {
      index->set_kind("UNIQUE");
    }
    for (std::string& term : text->terms) {
      index->append(term);
    }
    index->set_where(text->where);
  }
  mark(*index);
  return {};
}

Core::Status SQLiteAdapter::fill_meta_trigger(const MetaModel::MetaTriggerPtr& trigger) {
  TOLVANE_RETURN_VAL_IF_FAIL(trigger != nullptr, "trigger != NULL", {});
  if (is_marked(*trigger)) {
    return {};
  }
  const std::string schema = bq(schema_of(*trigger));
  auto rows = m_connection->execute_as_model(
      "SELECT m.name as name, m.tbl_name as tbl_name, v.vname NOTNULL as is_view, m.sql as sql FROM " + schema +
          ".sqlite_master m LEFT JOIN (SELECT name vname FROM " + schema +
          ".sqlite_master WHERE type = 'view') v ON m.tbl_name = v.vname WHERE type= 'trigger' AND m.name = " +
          sq(trigger->get_name()) + " ORDER BY name, tbl_name ASC",
      false);
  if (!rows) {
    return Core::fail(std::move(rows.error()));
  }
  TOLVANE_RETURN_VAL_IF_FAIL(!(*rows)->get_rows().empty(), "model.get_n_items () > 0", {});
  const TableModel& model = **rows;
  const std::string sql = text_at(model, 3, 0);
  auto text = read_create_trigger(sql);
  if (!text) {
    return Core::fail(std::move(text.error()));
  }
  trigger->set_target(text_at(model, 1, 0));
  trigger->set_kind(text_at(model, 2, 0) != "0" ? "VIEW" : "TABLE");
  // Here the body is what lies between BEGIN and the last END.
  const std::size_t body = text->begin + 5;
  trigger->set_body(sql.substr(body, text->end - body));
  trigger->set_for_each(text->for_each_row ? "ROW" : "");
  trigger->set_timing(text->timing);
  trigger->set_event(text->event);
  trigger->set_columns(join(text->columns));
  trigger->set_when(text->when);
  mark(*trigger);
  return {};
}

}  // namespace Tolvane::Orvel::Supports::Database
