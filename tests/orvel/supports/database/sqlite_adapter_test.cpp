// What the adapter puts into the metadata model from real databases.

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using MetaModel::MetaCheck;
using MetaModel::MetaDatabase;
using MetaModel::MetaForeignKey;
using MetaModel::MetaIndex;
using MetaModel::MetaSchema;
using MetaModel::MetaTable;
using MetaModel::MetaTablePtr;
using MetaModel::MetaTrigger;
using MetaModel::MetaUnique;
using MetaModel::MetaView;

class SQLiteAdapterTest : public SchemaTest {
 protected:
  MetaTablePtr fill(const std::string& schema, const std::string& name, bool recursive = true) {
    auto table = MetaTable::with_names("db", schema, name);
    EXPECT_TRUE(m_connection->adapter()->fill_meta_table(table, recursive));
    return table;
  }

  template <class T>
  std::vector<std::shared_ptr<T>> constraints(const MetaTable& table) {
    std::vector<std::shared_ptr<T>> found;
    for (const auto& constraint : table.get_constraints()) {
      if (auto typed = std::dynamic_pointer_cast<T>(constraint)) {
        found.push_back(typed);
      }
    }
    return found;
  }

  std::shared_ptr<SQLiteConnection> m_connection = open("adapter.db");
};

TEST_F(SQLiteAdapterTest, DatabaseAndSchemaFillsListWhatCanBeCreatedAgain) {
  run(*m_connection,
      "CREATE TABLE b (id INTEGER PRIMARY KEY AUTOINCREMENT); CREATE TABLE a (x); CREATE VIEW v AS SELECT 1;"
      "CREATE VIRTUAL TABLE docs USING fts5(body); INSERT INTO b DEFAULT VALUES; ANALYZE;");
  auto database = MetaDatabase::with_name("db");
  auto adapter = m_connection->adapter();
  ASSERT_TRUE(adapter->fill_meta_database(database, true));
  ASSERT_TRUE(adapter->fill_meta_database(database, true));
  // The second fill found the database marked and ran no PRAGMA again.
  const std::string log = main_log();
  const std::string pragma = "SQL: PRAGMA encoding;";
  ASSERT_NE(log.find(pragma), std::string::npos);
  EXPECT_EQ(log.find(pragma, log.find(pragma) + 1), std::string::npos);
  EXPECT_EQ(database->get_attributes().at("ENCODING"), "UTF-8");
  EXPECT_EQ(database->get_attributes().at("READONLY"), "0");
  ASSERT_FALSE(database->get_schemas().empty());
  const auto& main = database->get_schemas()[0];
  EXPECT_EQ(main->get_name(), "main");
  EXPECT_EQ(main->get_attributes().at("JOURNAL_MODE"), "delete");
  std::vector<std::string> tables;
  for (const auto& table : main->get_tables()) {
    tables.push_back(table->get_name());
    EXPECT_TRUE(table->has_data("FILLED"));
  }
  // No sqlite_sequence, sqlite_stat1 or docs_content: the engine and the
  // module make those themselves.
  EXPECT_EQ(tables, (std::vector<std::string>{"a", "b", "docs"}));
  ASSERT_EQ(main->get_views().size(), 1u);
  EXPECT_TRUE(main->get_views()[0]->has_data("FILLED"));
  EXPECT_EQ(main->get_tables()[1]->get_options().at("AUTOINCREMENT"), "true");
  EXPECT_EQ(main->get_tables()[1]->get_options().at("AUTOINCREMENT_SEED"), "1");
  EXPECT_EQ(main->get_tables()[2]->get_options().at("USING"), "fts5(body)");
}

TEST_F(SQLiteAdapterTest, TableFillReadsColumnsKeysAndDeclaredConstraints) {
  run(*m_connection,
      "CREATE TABLE p (x INT, y TEXT, PRIMARY KEY (x, y)) WITHOUT ROWID;"
      "CREATE TABLE q (id INTEGER PRIMARY KEY);"
      "CREATE TABLE t (\n"
      "  a VARCHAR(32) COLLATE nocase, b DECIMAL(10,2) NOT NULL ON CONFLICT FAIL UNIQUE, c, d REFERENCES q,\n"
      "  CONSTRAINT ck CHECK (a > 0),\n"
      "  CHECK (length(a) < 10),\n"
      "  FOREIGN KEY (a, b) REFERENCES p (x, y) DEFERRABLE INITIALLY DEFERRED\n"
      ");");
  auto table = fill("main", "t", false);
  EXPECT_TRUE(table->has_data("FILLED"));
  EXPECT_TRUE(table->get_constraints().empty());  // only the columns without `recursive`
  ASSERT_EQ(table->get_columns().size(), 4u);
  const auto& a = *table->get_columns()[0];
  EXPECT_EQ(a.get_raw_type(), "VARCHAR");
  EXPECT_EQ(a.get_length(), 32u);
  EXPECT_EQ(a.get_data_type(), Providers::Contracts::DataType::String);
  EXPECT_EQ(a.get_collation(), "nocase");
  EXPECT_EQ(a.get_ordinal(), 1);
  const auto& b = *table->get_columns()[1];
  EXPECT_EQ(b.get_raw_type(), "DECIMAL");
  EXPECT_EQ(b.get_length(), 0u);
  EXPECT_EQ(b.get_attributes().at("DECLARED_TYPE"), "DECIMAL(10,2)");
  EXPECT_TRUE(b.get_not_null());
  EXPECT_EQ(b.get_conflict(), "FAIL");

  table = fill("main", "t");
  auto keys = constraints<MetaForeignKey>(*table);
  ASSERT_EQ(keys.size(), 2u);
  // In the order of the text, named by the engine's numbers.
  EXPECT_EQ(keys[0]->get_name(), "foreign_key_01");
  EXPECT_EQ(keys[0]->get_refer_table(), "q");
  EXPECT_EQ(keys[0]->get_refer_columns(), "");
  EXPECT_EQ(keys[1]->get_name(), "foreign_key_00");
  EXPECT_EQ(keys[1]->get_local_columns(), "a, b");
  EXPECT_EQ(keys[1]->get_refer_columns(), "x, y");
  EXPECT_EQ(keys[1]->get_deferrable(), "INITIALLY DEFERRED");
  EXPECT_EQ(keys[1]->get_update_action(), "NO ACTION");
  auto uniques = constraints<MetaUnique>(*table);
  ASSERT_EQ(uniques.size(), 1u);
  EXPECT_EQ(uniques[0]->get_columns(), "b");
  EXPECT_EQ(uniques[0]->get_attributes().at("UNNAMED"), "true");
  EXPECT_EQ(uniques[0]->get_attributes().at("COLUMN"), "b");
  auto checks = constraints<MetaCheck>(*table);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0]->get_name(), "ck");
  EXPECT_EQ(checks[0]->get_check(), "a > 0");
  EXPECT_EQ(checks[1]->get_check(), "length(a) < 10");
  EXPECT_EQ(checks[1]->get_attributes().at("UNNAMED"), "true");
  EXPECT_EQ(fill("main", "p")->get_options().at("WITHOUTROWID"), "true");
}

TEST_F(SQLiteAdapterTest, EveryQueryNamesTheTablesOwnSchema) {
  run(*m_connection, "ATTACH " + Database::quoted(m_dir.file("aux.db"), '\'') +
                         " AS \"a`ux\";"
                         "CREATE TABLE \"O'Brien\" (main_only INT);"
                         "CREATE TABLE \"a`ux\".\"O'Brien\" (id INT REFERENCES other, name TEXT UNIQUE);"
                         "CREATE INDEX \"a`ux\".ob ON \"O'Brien\" (name) WHERE id > 0;"
                         "CREATE TRIGGER \"a`ux\".ob_t AFTER DELETE ON \"O'Brien\" BEGIN SELECT 1; END;");
  auto table = fill("a`ux", "O'Brien");
  EXPECT_TRUE(table->has_data("FILLED"));
  ASSERT_EQ(table->get_columns().size(), 2u);
  EXPECT_EQ(table->get_columns()[0]->get_name(), "id");
  EXPECT_EQ(constraints<MetaForeignKey>(*table).size(), 1u);
  EXPECT_EQ(constraints<MetaUnique>(*table).size(), 1u);
  ASSERT_EQ(table->get_indexes().size(), 1u);
  EXPECT_EQ(table->get_indexes()[0]->get_where(), "id > 0");
  ASSERT_EQ(table->get_triggers().size(), 1u);
  EXPECT_EQ(table->get_triggers()[0]->get_body(), "BEGIN SELECT 1; END");
  EXPECT_EQ(fill("main", "O'Brien")->get_columns().size(), 1u);
}

TEST_F(SQLiteAdapterTest, AFailingStepIsLoggedAndLeavesTheTableUnmarked) {
  auto table = fill("nosuch", "t");
  EXPECT_FALSE(table->has_data("FILLED"));
  EXPECT_TRUE(m_log.has_critical("uncaught error: no such table: nosuch.sqlite_master (SQLite, 1)"));
}

TEST_F(SQLiteAdapterTest, SingleViewsIndexesAndTriggers) {
  run(*m_connection,
      "CREATE TABLE t (a, b, end_date);"
      "CREATE UNIQUE INDEX i ON t (a, b);"
      "CREATE VIEW \"my view\"(x, \"y z\") AS SELECT a, b FROM t;"
      "CREATE TRIGGER legend INSTEAD OF UPDATE OF x ON \"my view\" FOR EACH ROW WHEN new.x > 0 BEGIN "
      "UPDATE t SET end_date = CASE WHEN new.x > 1 THEN 'END' ELSE NULL END; END;"
      "CREATE TEMP VIEW tv AS SELECT 1;");
  auto adapter = m_connection->adapter();
  auto index = MetaIndex::with_names("db", "main", "t", "i");
  ASSERT_TRUE(adapter->fill_meta_index(index));
  EXPECT_EQ(index->get_kind(), "UNIQUE");
  EXPECT_EQ(index->get_columns(), (std::vector<std::string>{"a", "b"}));

  auto view = MetaView::with_names("db", "main", "my view");
  ASSERT_TRUE(adapter->fill_meta_view(view));
  EXPECT_EQ(view->get_definition(), "SELECT a, b FROM t");
  EXPECT_EQ(view->get_attributes().at("TEMPORARY"), "false");
  EXPECT_EQ(view->get_attributes().at("COLUMNS"), "x, y z");
  EXPECT_NE(view->get_attributes().at("TRIGGER:legend").find("CREATE TRIGGER legend"), std::string::npos);
  auto temporary = MetaView::with_names("db", "TEMP", "tv");
  ASSERT_TRUE(adapter->fill_meta_view(temporary));
  EXPECT_EQ(temporary->get_attributes().at("TEMPORARY"), "true");

  auto trigger = MetaTrigger::with_names("db", "main", "legend");
  ASSERT_TRUE(adapter->fill_meta_trigger(trigger));
  EXPECT_EQ(trigger->get_target(), "my view");
  EXPECT_EQ(trigger->get_kind(), "VIEW");
  EXPECT_EQ(trigger->get_timing(), "INSTEAD OF");
  EXPECT_EQ(trigger->get_event(), "UPDATE");
  EXPECT_EQ(trigger->get_columns(), "x");
  EXPECT_EQ(trigger->get_when(), "new.x > 0");
  EXPECT_EQ(trigger->get_body(), " UPDATE t SET end_date = CASE WHEN new.x > 1 THEN 'END' ELSE NULL END; ");
  // Built on its own, it is the same trigger again.
  run(*m_connection, "DROP TRIGGER legend;" + m_connection->builder()->build_trigger(trigger));
  EXPECT_EQ(scalar(*m_connection, "SELECT count(*) FROM sqlite_master WHERE name = 'legend'"), "1");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
