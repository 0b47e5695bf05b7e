#include "orvel/supports/data/extractors/row_importer.hpp"

#include <glib.h>

#include "orvel/helpers/database_helper.hpp"
#include "orvel/model/meta_table.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

namespace {

// The outer savepoint holds the whole import; the inner one exists only so
// that its disappearance tells that the engine rolled the transaction back.
constexpr const char* kOpen = "SAVEPOINT tolvane_import";
constexpr const char* kCommit = "RELEASE tolvane_import";
constexpr const char* kRollback = "ROLLBACK TO tolvane_import";
constexpr const char* kOpenProbe = "SAVEPOINT tolvane_import_probe";
constexpr const char* kReleaseProbe = "RELEASE tolvane_import_probe";

using Done = std::function<void(Core::Result<std::int64_t>)>;

}  // namespace

RowImporter::RowImporter(BaseExtractor& extractor, std::shared_ptr<Contracts::Database::IConnection> connection,
                         std::shared_ptr<MetaModel::MetaTable> table)
    : m_extractor(extractor),
      m_connection(std::move(connection)),
      m_table(std::move(table)),
      m_action(action_of(extractor.option("ACTION"))) {}

RowImporter::Action RowImporter::action_of(std::string_view option) {
  if (option == "append" || option == "replace") {
    return Action::Insert;
  }
  if (option == "update") {
    return Action::Update;
  }
  if (option == "merge") {
    return Action::Merge;
  }
  if (option == "delete") {
    return Action::Delete;
  }
  return Action::None;
}

Core::Error RowImporter::no_key_error() const {
  return Core::Error{"SQL", -1,
                     std::string(Core::_("no key column: none of the primary-key columns of the table is among "
                                         "the imported columns, so the record cannot be matched to a row of ")) +
                         "\"" + m_table->get_name() + "\""};
}

void RowImporter::import_async(const Names& names, const Names& values, const Blanks* texts, Done done) {
  auto& connection = *m_connection;
  switch (m_action) {
    case Action::None:
      // From the main context, as the statements complete, so a run of records
      // that execute nothing cannot nest completions on the stack.
      BaseExtractor::complete_later(std::move(done), 0);
      return;
    case Action::Insert:
      connection.execute_no_query_async(m_extractor.build_insert_data_sql(connection, *m_table, names, values, texts),
                                        std::move(done));
      return;
    case Action::Update:
    case Action::Delete: {
      std::string sql = m_action == Action::Update
                            ? m_extractor.build_update_data_sql(connection, *m_table, names, values, texts)
                            : m_extractor.build_delete_data_sql(connection, *m_table, names, values, texts);
      if (sql.empty()) {
        BaseExtractor::complete_later(std::move(done), Core::fail(no_key_error()));
        return;
      }
      connection.execute_no_query_async(sql, std::move(done));
      return;
    }
    case Action::Merge: {
      std::string sql = m_extractor.build_update_data_sql(connection, *m_table, names, values, texts);
      if (sql.empty()) {
        BaseExtractor::complete_later(std::move(done), Core::fail(no_key_error()));
        return;
      }
      std::string insert = m_extractor.build_insert_data_sql(connection, *m_table, names, values, texts);
      connection.execute_no_query_async(
          sql, [connection = m_connection, insert = std::move(insert), done = std::move(done)](auto updated) mutable {
            if (!updated || *updated != 0) {
              done(std::move(updated));
              return;
            }
            connection->execute_no_query_async(insert, std::move(done));
          });
      return;
    }
  }
}

// The fast mode goes to the provider directly: the connection would write two
// log lines per record, which would cost more than the record itself.
Core::Result<std::int64_t> RowImporter::run_now(const std::string& sql) {
  return m_connection->get_provider()->execute_affect(sql, true);
}

const RowImporter::Plan& RowImporter::plan(const Names& names) {
  // Formats whose records name their own fields (JSON members, XML
  // elements) may name them differently from one record to the next.
  if (!m_plan || m_plan->names != names) {
    Plan plan;
    plan.names = names;
    plan.mappings = BaseExtractor::map_sources(*m_table, names);
    plan.table = Helpers::DatabaseHelper::format_object_name(m_table->get_schema(), m_table->get_name());
    plan.insert_head = "INSERT INTO " + plan.table + "(";
    for (std::size_t i = 0; i < plan.mappings.size(); ++i) {
      plan.insert_head += (i > 0 ? ", " : "") + Helpers::DatabaseHelper::format_column_name(plan.mappings[i].column);
      plan.has_key = plan.has_key || plan.mappings[i].key;
    }
    plan.insert_head += ") VALUES";
    m_plan = std::move(plan);
  }
  return *m_plan;
}

std::string RowImporter::literal(const BaseExtractor::Mapping& mapping, const Names& values,
                                 const Blanks* texts) const {
  const std::size_t j = mapping.source;
  const std::string_view text = j < values.size() ? std::string_view(values[j]) : std::string_view();
  return BaseExtractor::cell_of(mapping.kind, text, texts != nullptr && j < texts->size() && (*texts)[j]).literal();
}

std::string RowImporter::assignments(const Names& values, const Blanks* texts, bool keys) const {
  std::string text;
  for (const auto& mapping : m_plan->mappings) {
    if (keys && !mapping.key) {
      continue;
    }
    if (!text.empty()) {
      text += keys ? " AND " : ", ";
    }
    text += Helpers::DatabaseHelper::format_column_name(mapping.column);
    text += '=';
    text += literal(mapping, values, texts);
  }
  return text;
}

Core::Result<std::int64_t> RowImporter::import_now(const Names& names, const Names& values, const Blanks* texts) {
  const Plan& plan = this->plan(names);
  if (m_action == Action::None) {
    return 0;
  }
  if (m_action != Action::Insert && !plan.has_key) {
    return Core::fail(no_key_error());
  }
  if (m_action == Action::Delete) {
    return run_now("DELETE FROM " + plan.table + " WHERE " + assignments(values, texts, true) + ";");
  }
  if (m_action == Action::Update || m_action == Action::Merge) {
    auto updated = run_now("UPDATE " + plan.table + " SET " + assignments(values, texts, false) + " WHERE " +
                           assignments(values, texts, true) + ";");
    if (m_action == Action::Update || !updated || *updated != 0) {
      return updated;
    }
  }
  return run_now(plan.insert_head + insert_tuple(names, values, texts) + ";");
}

std::string RowImporter::insert_tuple(const Names& names, const Names& values, const Blanks* texts) {
  const Plan& plan = this->plan(names);
  std::string tuple = "(";
  for (std::size_t i = 0; i < plan.mappings.size(); ++i) {
    if (i > 0) {
      tuple += ", ";
    }
    tuple += literal(plan.mappings[i], values, texts);
  }
  tuple += ')';
  return tuple;
}

Core::Result<std::int64_t> RowImporter::insert_tuples(std::span<const std::string_view> tuples) {
  std::string sql = m_plan->insert_head;
  for (std::size_t i = 0; i < tuples.size(); ++i) {
    if (i > 0) {
      sql += ", ";
    }
    sql += tuples[i];
  }
  sql += ';';
  return run_now(sql);
}

Core::Status RowImporter::begin_transaction() {
  for (const char* sql : {kOpen, kOpenProbe}) {
    if (auto done = run_now(sql); !done) {
      return Core::fail(done.error());
    }
  }
  return {};
}

Core::Status RowImporter::check_after_failure() {
  if (auto released = run_now(kReleaseProbe); !released) {
    return Core::fail("SQL", -1,
                      std::string(Core::_("the database rolled the import back after a failed record: ")) +
                          released.error().message);
  }
  if (auto reopened = run_now(kOpenProbe); !reopened) {
    return Core::fail(reopened.error());
  }
  return {};
}

Core::Status RowImporter::commit_transaction() {
  if (auto done = run_now(kCommit); !done) {
    return Core::fail(done.error());
  }
  return {};
}

void RowImporter::rollback_transaction() {
  // Either may fail when the engine already rolled back; nothing is left then.
  (void)run_now(kRollback);
  (void)run_now(kCommit);
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
