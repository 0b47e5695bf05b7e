// The CREATE-text reader on the texts a keyword search gets wrong.

#include <gtest/gtest.h>

#include "orvel/supports/database/sqlite/create_text.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

using Names = std::vector<std::string>;

TEST(CreateTextTest, TableConstraintsOnOneLineStaySeparate) {
  auto table = read_create_table(
      "CREATE TABLE t(a, b, c, CONSTRAINT u1 UNIQUE (a) ON CONFLICT FAIL, CONSTRAINT u2 UNIQUE (b) ON CONFLICT FAIL, "
      "CONSTRAINT c1 CHECK (length(a) < 10), CHECK (b IN (1, 2)) UNIQUE (c))");
  ASSERT_TRUE(table) << table.error().message;
  ASSERT_EQ(table->uniques.size(), 3u);
  EXPECT_EQ(table->uniques[0].name, "u1");
  EXPECT_EQ(table->uniques[0].terms, Names{"a"});
  EXPECT_EQ(table->uniques[0].conflict, "FAIL");
  EXPECT_EQ(table->uniques[1].name, "u2");
  EXPECT_EQ(table->uniques[2].name, "");  // constraints need no comma between them
  ASSERT_EQ(table->checks.size(), 2u);
  EXPECT_EQ(table->checks[0].name, "c1");
  EXPECT_EQ(table->checks[0].expression, "length(a) < 10");
  EXPECT_EQ(table->checks[1].expression, "b IN (1, 2)");
}

TEST(CreateTextTest, ColumnDefinitionsSayWhatThePragmasDoNot) {
  auto table = read_create_table(
      "CREATE TABLE IF NOT EXISTS \"main\".\"my \"\"t\"\"\" (\n"
      "  id INTEGER PRIMARY KEY ASC AUTOINCREMENT,\n"
      "  [my col] TEXT NOT NULL ON CONFLICT ignore COLLATE NoCase CONSTRAINT \"u\" UNIQUE CHECK (\"my col\" <> ''),\n"
      "  `order` DOUBLE PRECISION DEFAULT (1 + 2) REFERENCES p ON DELETE SET NULL DEFERRABLE INITIALLY DEFERRED,\n"
      "  g INT GENERATED ALWAYS AS (id * 2) STORED, h AS (abs(g)),\n"
      "  note TEXT DEFAULT 'UNIQUE CHECK (x)' -- UNIQUE in a comment\n"
      ") WITHOUT ROWID, STRICT");
  ASSERT_TRUE(table) << table.error().message;
  EXPECT_EQ(table->schema, "main");
  EXPECT_EQ(table->name, "my \"t\"");
  ASSERT_EQ(table->columns.size(), 6u);
  EXPECT_TRUE(table->columns[0].primary_key);
  EXPECT_TRUE(table->columns[0].autoincrement);
  EXPECT_EQ(table->columns[1].name, "my col");
  EXPECT_EQ(table->columns[1].collation, "NoCase");
  EXPECT_EQ(table->columns[1].not_null_conflict, "IGNORE");
  EXPECT_EQ(table->columns[2].name, "order");
  EXPECT_EQ(table->columns[2].type, "DOUBLE PRECISION");
  EXPECT_EQ(table->columns[3].generated, "id * 2");
  EXPECT_TRUE(table->columns[3].stored);
  EXPECT_EQ(table->columns[4].generated, "abs(g)");
  EXPECT_FALSE(table->columns[4].stored);
  ASSERT_EQ(table->uniques.size(), 1u);  // the string and the comment hold none
  EXPECT_EQ(table->uniques[0].name, "u");
  EXPECT_EQ(table->uniques[0].column, "my col");
  EXPECT_EQ(table->uniques[0].terms, Names{"\"my col\""});
  ASSERT_EQ(table->checks.size(), 1u);
  EXPECT_EQ(table->checks[0].column, "my col");
  ASSERT_EQ(table->foreign_keys.size(), 1u);
  EXPECT_EQ(table->foreign_keys[0].columns, Names{"order"});
  EXPECT_EQ(table->foreign_keys[0].table, "p");
  EXPECT_TRUE(table->foreign_keys[0].refer_columns.empty());
  EXPECT_EQ(table->foreign_keys[0].deferrable, "INITIALLY DEFERRED");
  EXPECT_TRUE(table->without_rowid);
  EXPECT_TRUE(table->strict);
  EXPECT_TRUE(table->unsupported.empty());
}

TEST(CreateTextTest, WhatTheModelCannotCarryIsNamedAndBadTextIsAnError) {
  auto table = read_create_table("CREATE TABLE t(a TEXT PRIMARY KEY DESC, b, UNIQUE (b))");
  ASSERT_TRUE(table);
  ASSERT_EQ(table->unsupported.size(), 1u);
  EXPECT_NE(table->unsupported[0].find("DESC"), std::string::npos);
  table = read_create_table("CREATE TABLE t(a, b, PRIMARY KEY (a COLLATE NOCASE, b) ON CONFLICT REPLACE)");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->unsupported.size(), 2u);
  table = read_create_table("CREATE VIRTUAL TABLE docs USING fts5(title, body, tokenize = 'porter');");
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->is_virtual);
  EXPECT_EQ(table->module, "fts5(title, body, tokenize = 'porter')");

  auto broken = read_create_table("CREATE TABLE t(a INT, b TEXT CHECK (b <> '')");
  ASSERT_FALSE(broken);
  EXPECT_NE(broken.error().message.find("CREATE TABLE text: expected"), std::string::npos);
  EXPECT_FALSE(read_create_table("CREATE TABLE t(a) WITHOUT"));
}

TEST(CreateTextTest, IndexesKeepTheirTermsAndCondition) {
  auto index = read_create_index("CREATE UNIQUE INDEX i5 ON t5(a, b) WHERE a > 0");
  ASSERT_TRUE(index);
  EXPECT_TRUE(index->unique);
  EXPECT_EQ(index->terms, (Names{"a", "b"}));
  EXPECT_EQ(index->where, "a > 0");
  index = read_create_index("CREATE INDEX \"aux\".[i x] ON \"t\" (substr(b, 1, 2), \"my col\" DESC, [order], \"c\")");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->schema, "aux");
  EXPECT_EQ(index->name, "i x");
  EXPECT_EQ(index->terms, (Names{"substr(b, 1, 2)", "\"my col\" DESC", "\"order\"", "c"}));
  EXPECT_EQ(index->where, "");
}

TEST(CreateTextTest, TriggerPartsComeFromTokensNotFromWordsInNames) {
  const std::string sql =
      "CREATE TEMP TRIGGER IF NOT EXISTS main.person_audit_update AFTER UPDATE OF \"end date\", legend ON "
      "\"persons\" FOR EACH ROW WHEN new.legend <> old.legend BEGIN\n"
      "  INSERT INTO log VALUES (CASE WHEN new.end_date IS NULL THEN 'open' ELSE 'END' END);\nEND";
  auto trigger = read_create_trigger(sql);
  ASSERT_TRUE(trigger) << trigger.error().message;
  EXPECT_TRUE(trigger->temporary);
  EXPECT_EQ(trigger->name, "person_audit_update");
  EXPECT_EQ(sql.substr(trigger->name_offset, trigger->name_length), "main.person_audit_update");
  EXPECT_EQ(trigger->timing, "AFTER");
  EXPECT_EQ(trigger->event, "UPDATE");
  EXPECT_EQ(trigger->columns, (Names{"end date", "legend"}));
  EXPECT_EQ(trigger->table, "persons");
  EXPECT_TRUE(trigger->for_each_row);
  EXPECT_EQ(trigger->when, "new.legend <> old.legend");
  EXPECT_EQ(sql.substr(trigger->begin, 5), "BEGIN");
  EXPECT_EQ(sql.substr(trigger->end), "END");  // the last END, not the CASE's
  EXPECT_EQ(trigger->finish, sql.size());

  trigger = read_create_trigger("CREATE TRIGGER \"sınıf\" INSTEAD OF DELETE ON v BEGIN SELECT 1; END;");
  ASSERT_TRUE(trigger);
  EXPECT_EQ(trigger->name, "sınıf");
  EXPECT_EQ(trigger->timing, "INSTEAD OF");
  trigger = read_create_trigger("CREATE TRIGGER t1 DELETE ON t BEGIN SELECT 1; END");
  ASSERT_TRUE(trigger);
  EXPECT_EQ(trigger->timing, "");
  EXPECT_FALSE(trigger->for_each_row);
}

TEST(CreateTextTest, ViewsOfAnyNameKeepTheirColumnsAndDefinition) {
  auto view = read_create_view("CREATE VIEW \"my view\" AS SELECT 1");
  ASSERT_TRUE(view);
  EXPECT_EQ(view->name, "my view");
  EXPECT_EQ(view->definition, "SELECT 1");
  view = read_create_view("CREATE TEMP VIEW IF NOT EXISTS v3(a, \"b c\") AS\n  SELECT x, y FROM t");
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->temporary);
  EXPECT_EQ(view->columns, (Names{"a", "b c"}));
  EXPECT_EQ(view->definition, "SELECT x, y FROM t");
}

TEST(CreateTextTest, ListsAndElements) {
  EXPECT_EQ(split_list(" a , \"b,c\" , f(x, y) "), (Names{"a", "\"b,c\"", "f(x, y)"}));
  EXPECT_EQ(canonical_name("plain"), "plain");
  EXPECT_EQ(canonical_name("order"), "\"order\"");
  EXPECT_EQ(canonical_name("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(canonical_term(" [x] "), "x");
  EXPECT_EQ(canonical_term("a  COLLATE  NOCASE"), "a  COLLATE  NOCASE");
  EXPECT_EQ(sql_element_list("a, my col, order, \"x y\" DESC, lower(b), a DESC"),
            "a, \"my col\", \"order\", \"x y\" DESC, lower(b), a DESC");
  EXPECT_EQ(split_declared_type("VARCHAR(32)"), (TypeParts{"VARCHAR", 32}));
  EXPECT_EQ(split_declared_type("DECIMAL(10,2)"), (TypeParts{"DECIMAL", 0}));
  EXPECT_EQ(split_declared_type("INT"), (TypeParts{"INT", 0}));
  EXPECT_TRUE(same_name("Ab", "aB"));
  EXPECT_FALSE(same_name("ı", "I"));  // ASCII case only, as SQLite compares names
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
