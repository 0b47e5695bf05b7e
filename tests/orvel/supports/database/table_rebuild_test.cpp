// The table rebuild on a table that other tables reference and that views and
// triggers use, with data in every column: what it must keep, and that a
// failing step leaves the database exactly as it was.

#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/sqlite/sqlite_adapter.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using MetaModel::MetaColumn;
using MetaModel::MetaTable;
using MetaModel::MetaTablePtr;
using Providers::Contracts::DataVersion;

constexpr const char* kShop = R"sql(
CREATE TABLE t (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  price REAL CHECK (price IS NULL OR price >= 0),
  data BLOB,
  note TEXT
);
CREATE INDEX t_price ON t (price) WHERE price > 0;
CREATE TABLE c (id INTEGER PRIMARY KEY, t_id INTEGER REFERENCES t(id) ON DELETE CASCADE);
CREATE VIEW v AS SELECT t.name, c.id AS child FROM t JOIN c ON c.t_id = t.id;
CREATE TABLE log (msg TEXT);
CREATE TRIGGER t_ins AFTER INSERT ON t BEGIN INSERT INTO log VALUES ('inserted ' || new.name); END;
CREATE TRIGGER c_ins AFTER INSERT ON c BEGIN UPDATE t SET note = 'has child' WHERE id = new.t_id; END;
INSERT INTO t (name, price, data, note) VALUES ('a', 1.5, x'00ff', NULL), ('b', NULL, NULL, 'n'),
  ('c''d', 0.1, x'', 'x'), ('gone', 3, NULL, NULL);
DELETE FROM t WHERE name = 'gone';
INSERT INTO c (t_id) VALUES (1), (3);
DELETE FROM log;
)sql";

class TableRebuildTest : public SchemaTest {
 protected:
  void SetUp() override {
    m_connection = open("shop.db");
    run(*m_connection, kShop);
  }

  MetaTablePtr fill(const std::string& name) {
    auto table = MetaTable::with_names("shop", "main", name);
    EXPECT_TRUE(m_connection->adapter()->fill_meta_table(table, true));
    EXPECT_TRUE(table->has_data("FILLED"));
    return table;
  }

  // Renames data to payload, gives price another type and adds a column.
  static void edit(MetaTable& table) {
    rename(table, "data", "payload");
    MetaColumn& price = *table.get_column("price");
    SQLiteAdapter::set_declared_type(price, "NUMERIC(10,2)", nullptr);
    price.set_version(DataVersion::Update);
    auto extra = table.new_column("extra", Providers::Contracts::DataType::Int64);
    extra->set_raw_type("INT");
    extra->set_default_value("7");
    extra->set_ordinal(6);
    extra->set_version(DataVersion::Insert);
  }

  static void rename(MetaTable& table, const std::string& from, const std::string& to) {
    MetaColumn& column = *table.get_column(from);
    column.set_name(to);
    column.set_original(from);
    column.set_version(DataVersion::Update);
  }

  // Rebuilds t with the connection's foreign keys on or off and checks what
  // must hold afterwards.
  void rebuild_and_check(bool foreign_keys) {
    run(*m_connection, std::string("PRAGMA foreign_keys = ") + (foreign_keys ? "ON;" : "OFF;"));
    const auto before = rows(*m_connection, "SELECT id, name, price, hex(data), note FROM t ORDER BY id");
    auto table = fill("t");
    edit(*table);
    const std::string script = m_connection->builder()->patch_table(table);
    ASSERT_FALSE(script.empty());
    run(*m_connection, script);

    EXPECT_EQ(rows(*m_connection, "SELECT id, name, price, hex(payload), note FROM t ORDER BY id"), before);
    EXPECT_EQ(scalar(*m_connection, "SELECT group_concat(DISTINCT extra) FROM t"), "7");
    EXPECT_EQ(scalar(*m_connection, "SELECT type FROM pragma_table_xinfo('t') WHERE name = 'price'"), "NUMERIC(10,2)");
    // Other tables, views and triggers still name t, not the backup.
    EXPECT_EQ(scalar(*m_connection, "SELECT \"table\" FROM pragma_foreign_key_list('c')"), "t");
    EXPECT_EQ(rows(*m_connection, "SELECT name, child FROM v ORDER BY child"),
              (std::vector<std::string>{"a|1", "c'd|2"}));
    EXPECT_EQ(rows(*m_connection, "SELECT name FROM sqlite_master WHERE instr(sql, '_old_') > 0"),
              (std::vector<std::string>{*table->get_data_as<std::string>("BACKUP")}));
    EXPECT_TRUE(rows(*m_connection, "PRAGMA foreign_key_check").empty());
    EXPECT_EQ(scalar(*m_connection, "PRAGMA integrity_check"), "ok");
    // The copy fired no trigger; the new table's triggers and indexes work.
    EXPECT_TRUE(rows(*m_connection, "SELECT * FROM log").empty());
    EXPECT_EQ(scalar(*m_connection, "SELECT count(*) FROM pragma_index_list('t')"), "2");
    run(*m_connection, "INSERT INTO c (t_id) VALUES (2);");
    EXPECT_EQ(scalar(*m_connection, "SELECT note FROM t WHERE id = 2"), "has child");
    // The settings are back, and AUTOINCREMENT goes on after the highest key
    // ever handed out (4), not after the highest one left (3).
    EXPECT_EQ(scalar(*m_connection, "PRAGMA foreign_keys"), foreign_keys ? "1" : "0");
    EXPECT_EQ(scalar(*m_connection, "PRAGMA legacy_alter_table"), "0");
    run(*m_connection, "INSERT INTO t (name) VALUES ('new');");
    EXPECT_EQ(scalar(*m_connection, "SELECT max(id) FROM t"), "5");
    EXPECT_EQ(rows(*m_connection, "SELECT msg FROM log"), (std::vector<std::string>{"inserted new"}));
  }

  std::shared_ptr<SQLiteConnection> m_connection;
};

TEST_F(TableRebuildTest, KeepsEveryRowAndEveryObjectPointingAtTheTableWithForeignKeysOn) {
  rebuild_and_check(true);
}

TEST_F(TableRebuildTest, KeepsEveryRowAndEveryObjectPointingAtTheTableWithForeignKeysOff) {
  rebuild_and_check(false);
}

TEST_F(TableRebuildTest, AFailingStepLeavesTheDatabaseExactlyAsItWas) {
  run(*m_connection, "PRAGMA foreign_keys = ON;");
  auto table = fill("t");
  edit(*table);
  // An old row holds NULL there: the copy must fail.
  table->get_column("payload")->set_not_null(true);
  const std::string script = m_connection->builder()->patch_table(table);
  const std::string schema = describe(*m_connection, "main");
  const std::string master = rows(*m_connection, "SELECT * FROM sqlite_master").back();
  copy_file(m_dir.file("shop.db"), m_dir.file("before.db"));

  auto outcome = ScriptRunner(*m_connection).run(script);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_TRUE(outcome.error().rolled_back);
  EXPECT_NE(outcome.error().error.message.find("NOT NULL constraint failed"), std::string::npos);
  EXPECT_TRUE(outcome.error().statement.starts_with("INSERT INTO \"main\".\"t\""));

  EXPECT_EQ(sqldiff(m_dir.file("before.db"), m_dir.file("shop.db")), "");
  EXPECT_EQ(describe(*m_connection, "main"), schema);
  EXPECT_EQ(rows(*m_connection, "SELECT * FROM sqlite_master").back(), master);
  EXPECT_EQ(scalar(*m_connection, "PRAGMA foreign_keys"), "1");
  EXPECT_EQ(scalar(*m_connection, "PRAGMA legacy_alter_table"), "0");
}

TEST_F(TableRebuildTest, AColumnThatViewsOrTriggersStillNameStopsTheRebuild) {
  // The trigger c_ins of another table sets t.note; the view v selects t.name.
  for (const char* column : {"note", "name"}) {
    auto table = fill("t");
    rename(*table, column, "renamed");
    copy_file(m_dir.file("shop.db"), m_dir.file("before.db"));
    auto outcome = ScriptRunner(*m_connection).run(m_connection->builder()->patch_table(table));
    ASSERT_FALSE(outcome.has_value()) << column;
    EXPECT_NE(outcome.error().error.message.find(std::string("no such column: ")), std::string::npos);
    EXPECT_NE(outcome.error().error.message.find(column), std::string::npos);
    EXPECT_TRUE(outcome.error().statement.starts_with("EXPLAIN ")) << outcome.error().statement;
    EXPECT_EQ(sqldiff(m_dir.file("before.db"), m_dir.file("shop.db")), "");
  }
}

TEST_F(TableRebuildTest, AChildKeyLeftWithoutItsColumnStopsTheRebuild) {
  // k refers to p(code); a rebuild that renames code breaks that key. Foreign
  // keys are off, so the check of the children must find it.
  run(*m_connection,
      "CREATE TABLE p (id INTEGER PRIMARY KEY, code TEXT UNIQUE);"
      "CREATE TABLE k (code TEXT REFERENCES p(code));");
  auto table = fill("p");
  rename(*table, "code", "key");
  copy_file(m_dir.file("shop.db"), m_dir.file("before.db"));
  auto outcome = ScriptRunner(*m_connection).run(m_connection->builder()->patch_table(table));
  ASSERT_FALSE(outcome.has_value());
  EXPECT_NE(outcome.error().error.message.find("foreign key mismatch"), std::string::npos);
  EXPECT_EQ(sqldiff(m_dir.file("before.db"), m_dir.file("shop.db")), "");
}

TEST_F(TableRebuildTest, BackupNamesNeverCollideAndDeletedObjectsStayGone) {
  auto first = fill("t");
  run(*m_connection, m_connection->builder()->patch_table(first));
  auto second = fill("t");
  second->get_indexes().front()->set_version(DataVersion::Delete);
  second->get_triggers().front()->set_version(DataVersion::Delete);
  run(*m_connection, m_connection->builder()->patch_table(second));
  const std::string one = *first->get_data_as<std::string>("BACKUP");
  const std::string two = *second->get_data_as<std::string>("BACKUP");
  EXPECT_TRUE(one.starts_with("t_old_"));
  EXPECT_NE(one, two);
  EXPECT_EQ(scalar(*m_connection, "SELECT count(*) FROM sqlite_master WHERE tbl_name = 't' AND type <> 'table'"),
            "1");  // the autoindex of UNIQUE (name); t_price and t_ins are gone
}

TEST_F(TableRebuildTest, RefusesWhatItCannotReproduce) {
  run(*m_connection, "CREATE TABLE d (k TEXT PRIMARY KEY DESC, v);");
  auto table = fill("d");
  auto refused = m_connection->builder()->check_table(table);
  ASSERT_FALSE(refused.has_value());
  EXPECT_NE(refused.error().message.find("declared DESC"), std::string::npos);
  EXPECT_EQ(m_connection->builder()->patch_table(table), "");
  EXPECT_TRUE(m_log.contains(G_LOG_LEVEL_WARNING, "cannot rebuild table \"d\""));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
