// The builder's texts for metadata made by hand: the layouts callers rely on,
// and the places where a literal layout would write broken SQL.

#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "orvel/supports/database/sqlite/sqlite_builder.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using MetaModel::MetaCheck;
using MetaModel::MetaColumn;
using MetaModel::MetaColumnPtr;
using MetaModel::MetaForeignKey;
using MetaModel::MetaIndex;
using MetaModel::MetaSchema;
using MetaModel::MetaTable;
using MetaModel::MetaTablePtr;
using MetaModel::MetaTrigger;
using MetaModel::MetaUnique;
using MetaModel::MetaView;
using Providers::Contracts::DataType;
using Providers::Contracts::DataVersion;

class SQLiteBuilderTest : public SchemaTest {
 protected:
  static MetaColumnPtr column(MetaTable& table, const std::string& name, const std::string& type,
                              std::uint16_t ordinal = 0) {
    auto made = table.new_column(name, DataType::Unknown);
    made->set_raw_type(type);
    made->set_ordinal(ordinal);
    return made;
  }

  std::shared_ptr<SQLiteConnection> m_connection = open("builder.db");
  std::shared_ptr<Contracts::Database::IBuildable> m_builder = m_connection->builder();
};

TEST_F(SQLiteBuilderTest, CreateTableKeepsItsLayout) {
  auto empty = MetaTable::with_names("", "", "t");
  EXPECT_EQ(m_builder->build_table(empty, true), "CREATE TABLE IF NOT EXISTS \"t\" (\n\n);\n\n");

  auto table = MetaTable::with_names("", "", "t");
  auto id = column(*table, "id", "INTEGER");
  id->set_is_primary_key(true);
  id->set_auto_increment(true);
  column(*table, "name", "VARCHAR")->set_length(32);
  column(*table, "code", "VARCHAR");
  column(*table, "n", "INTEGER")->set_length(10);
  auto text = column(*table, "t", "TEXT");
  text->set_collation("UTF8");
  text->set_not_null(true);
  text->set_conflict("ABORT");
  auto key = MetaForeignKey::with_names("fk", "", "p");
  key->set_local_columns("a");
  key->set_refer_columns("x");
  key->set_deferrable("INITIALLY DEFERRED");
  table->get_constraints().push_back(key);
  auto unique = MetaUnique::with_name("u");
  unique->set_columns("name, code");
  unique->set_conflict("FAIL");
  table->get_constraints().push_back(unique);
  table->get_constraints().push_back(MetaCheck::with_name("ck", "n > 0"));
  table->get_options()["WITHOUTROWID"] = "true";

  EXPECT_EQ(m_builder->build_table(table, true),
            "CREATE TABLE IF NOT EXISTS \"t\" (\n"
            "    \"id\" INTEGER PRIMARY KEY AUTOINCREMENT,\n"
            "    \"name\" VARCHAR(32),\n"
            "    \"code\" VARCHAR,\n"
            "    \"n\" INTEGER,\n"
            "    \"t\" TEXT NOT NULL ON CONFLICT ABORT,\n"
            "    CONSTRAINT \"fk\" FOREIGN KEY(a) REFERENCES \"p\"(x) DEFERRABLE INITIALLY DEFERRED,\n"
            "    CONSTRAINT \"u\" UNIQUE (name, code) ON CONFLICT FAIL,\n"
            "    CONSTRAINT \"ck\" CHECK (n > 0)\n"
            ") WITHOUT ROWID;\n\n");
  EXPECT_EQ(table->get_options().at("AUTOINCREMENT"), "true");
}

TEST_F(SQLiteBuilderTest, CompositeKeysFollowTheirKeyOrderAndTakeNoAutoincrement) {
  auto table = MetaTable::with_names("", "main", "t");
  for (const auto& [name, position] : {std::pair{"a", 2}, {"b", 1}}) {
    auto made = column(*table, name, "INTEGER");
    made->set_is_primary_key(true);
    made->set_primary_ordinal(static_cast<std::uint8_t>(position));
    made->set_auto_increment(true);
  }
  const std::string text = m_builder->build_table(table, true);
  EXPECT_NE(text.find("    PRIMARY KEY (\"b\", \"a\")\n"), std::string::npos);
  EXPECT_EQ(text.find("AUTOINCREMENT"), std::string::npos);
  EXPECT_TRUE(text.starts_with("CREATE TABLE IF NOT EXISTS \"main\".\"t\" (\n"));
  run(*m_connection, text);
}

TEST_F(SQLiteBuilderTest, WritesWhatALiteralLayoutWouldBreak) {
  // Odd names, expression defaults, an implicit parent key, a deleted key
  // column, a trigger condition: every text must run.
  run(*m_connection, "CREATE TABLE p (id INTEGER PRIMARY KEY);");
  auto table = MetaTable::with_names("", "main", "my \"t\"");
  auto a = column(*table, "order", "INTEGER", 1);
  a->set_is_primary_key(true);
  auto gone = column(*table, "gone", "INTEGER", 2);
  gone->set_is_primary_key(true);
  gone->set_version(DataVersion::Delete);
  column(*table, "my col", "TEXT", 3)->set_default_value("datetime('now')");
  column(*table, "n", "INT", 4)->set_default_value("-1");
  column(*table, "s", "TEXT", 5)->set_default_value("'it''s'");
  auto key = MetaForeignKey::with_names("fk", "main", "p");
  key->set_local_columns("order");
  table->get_constraints().push_back(key);
  auto unique = MetaUnique::with_name("u");
  unique->set_columns("my col, order");
  table->get_constraints().push_back(unique);
  auto deleted = MetaCheck::with_name("deleted", "gone > 0");
  deleted->set_version(DataVersion::Delete);
  table->get_constraints().push_back(deleted);
  auto index = MetaIndex::with_names("", "main", "my \"t\"", "i");
  index->append("my col");
  index->append("lower(s)");
  table->get_indexes().push_back(index);
  auto trigger = MetaTrigger::with_body("tr", "BEGIN SELECT 1; END");
  trigger->set_timing("AFTER");
  trigger->set_event("UPDATE");
  trigger->set_columns("my col, order");
  trigger->set_when("new.n > 0");
  table->get_triggers().push_back(trigger);

  const std::string text = m_builder->build_table(table, true);
  EXPECT_NE(text.find("    \"order\" INTEGER PRIMARY KEY,\n"), std::string::npos) << text;
  EXPECT_NE(text.find("DEFAULT (datetime('now'))"), std::string::npos);
  EXPECT_NE(text.find("DEFAULT -1"), std::string::npos);
  EXPECT_NE(text.find("DEFAULT 'it''s'"), std::string::npos);
  EXPECT_NE(text.find("FOREIGN KEY(\"order\") REFERENCES \"p\",\n"), std::string::npos);
  EXPECT_NE(text.find("UNIQUE (\"my col\", \"order\")"), std::string::npos);
  EXPECT_EQ(text.find("gone"), std::string::npos);
  EXPECT_NE(text.find("AFTER UPDATE OF \"my col\", \"order\"\nON \"my \"\"t\"\"\"\nFOR EACH ROW\nWHEN new.n > 0\n"),
            std::string::npos);
  run(*m_connection, text);
  EXPECT_EQ(scalar(*m_connection, "SELECT dflt_value FROM pragma_table_xinfo('my \"t\"') WHERE name = 'my col'"),
            "datetime('now')");
  EXPECT_EQ(rows(*m_connection, "SELECT name FROM pragma_index_xinfo('i') WHERE key"),
            (std::vector<std::string>{"my col", "NULL"}));
}

TEST_F(SQLiteBuilderTest, SequenceSeedIsALiteralOfTheTablesSchema) {
  auto table = MetaTable::with_names("", "aux", "O'Brien");
  auto id = column(*table, "id", "INTEGER");
  id->set_is_primary_key(true);
  id->set_auto_increment(true);
  table->get_options()["AUTOINCREMENT_SEED"] = "41";
  EXPECT_NE(m_builder->build_table(table, true)
                .find("INSERT INTO \"aux\".\"sqlite_sequence\" (name, seq) VALUES ('O''Brien', 41);"),
            std::string::npos);
  table->get_options()["AUTOINCREMENT_SEED"] = "41); DROP TABLE x; --";
  EXPECT_EQ(m_builder->build_table(table, true).find("INSERT"), std::string::npos);
}

TEST_F(SQLiteBuilderTest, SingleObjectsAndDrops) {
  auto index = MetaIndex::with_names("", "aux", "t`1", "i");
  index->set_kind("UNIQUE");
  index->append("a");
  index->append("b");
  index->set_where("a > 0");
  EXPECT_EQ(m_builder->build_index(index), "CREATE UNIQUE INDEX `aux`.`i` ON `t``1`( \n    a,\n    b\n) WHERE a > 0;");

  auto trigger = MetaTrigger::with_body("tr", "  SELECT 1 ");
  trigger->set_timing("INSTEAD OF");
  trigger->set_event("INSERT");
  trigger->set_target("v");
  EXPECT_EQ(m_builder->build_trigger(trigger), "CREATE TRIGGER `tr` INSTEAD OF INSERT ON `v` BEGIN\n SELECT 1;\nEND;\n");

  auto view = MetaView::with_names("", "", "v");
  view->set_definition("SELECT 1;");
  EXPECT_EQ(m_builder->build_view(view), "CREATE VIEW `v` AS SELECT 1;\n\n");
  view->get_attributes()["TEMPORARY"] = "true";
  view->get_attributes()["COLUMNS"] = "a";
  view->set_definition("SELECT 1");
  EXPECT_EQ(m_builder->build_view(view), "CREATE TEMPORARY VIEW `v`(a) AS SELECT 1;\n\n");

  auto table = MetaTable::with_names("", "main", "t");
  EXPECT_EQ(m_builder->build_delete(table), "DROP TABLE IF EXISTS `main`.`t`;");
  table->set_version(DataVersion::Identical);
  EXPECT_EQ(m_builder->build_patch(table, true), "");
  view->set_version(DataVersion::Update);
  EXPECT_EQ(m_builder->build_patch(view, true), "DROP VIEW IF EXISTS `v`;\n" + m_builder->build_view(view));
}

TEST_F(SQLiteBuilderTest, PatchCopiesRenamedAndReplacedColumnsAndLeavesDeletedOnes) {
  run(*m_connection, "CREATE TABLE t (a, b, c);");
  auto table = MetaTable::with_names("", "main", "t");
  auto b = column(*table, "b2", "", 2);
  b->set_original("b");
  b->set_version(DataVersion::Update);
  column(*table, "a", "", 1);  // filled columns carry "initial"
  auto replacement = column(*table, "c2", "", 3);
  replacement->set_version(DataVersion::Insert);
  column(*table, "c", "", 3)->set_version(DataVersion::Delete);
  const std::string script = m_builder->patch_table(table);
  EXPECT_NE(script.find("INSERT INTO \"main\".\"t\" (\"a\", \"b2\", \"c2\") SELECT \"a\", \"b\", \"c\" FROM \"main\".\"t_old_"),
            std::string::npos)
      << script;
  EXPECT_TRUE(script.starts_with("PRAGMA foreign_keys = OFF;\nPRAGMA legacy_alter_table = ON;\nBEGIN;\n"));
  EXPECT_TRUE(script.ends_with("COMMIT;\nPRAGMA legacy_alter_table = OFF;\nPRAGMA foreign_keys = OFF;"));

  // Nothing left to copy: no INSERT at all.
  auto bare = MetaTable::with_names("", "main", "t");
  column(*bare, "new", "", 1)->set_version(DataVersion::Insert);
  EXPECT_EQ(m_builder->patch_table(bare).find("INSERT"), std::string::npos);
}

TEST_F(SQLiteBuilderTest, OrderWithDependenceEndsOnCyclesAndKeepsTheAcyclicOrder) {
  auto schema = MetaSchema::with_names("", "main");
  auto add = [&](const std::string& name, std::vector<std::string> references) {
    auto table = MetaTable::with_names("", "main", name);
    for (const std::string& target : references) {
      table->get_constraints().push_back(MetaForeignKey::with_names("fk", "main", target));
    }
    schema->get_tables().push_back(table);
  };
  auto names = [&] {
    std::string text;
    for (const auto& table : schema->get_tables()) {
      text += table->get_name();
    }
    return text;
  };
  add("A", {"B", "C"});
  add("B", {"C"});
  add("C", {});
  auto builder = std::static_pointer_cast<SQLiteBuilder>(m_builder);
  builder->order_with_dependence(schema, 0);
  EXPECT_EQ(names(), "CBA");

  schema->get_tables().clear();
  add("dept", {"emp"});
  add("emp", {"dept"});
  add("x", {"y", "x"});
  add("y", {"z"});
  add("z", {"x"});
  builder->order_with_dependence(schema, 0);
  EXPECT_EQ(names(), "empdeptxyz");
  builder->order_with_dependence(schema, 2);
  EXPECT_EQ(names(), "deptempzyx");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
