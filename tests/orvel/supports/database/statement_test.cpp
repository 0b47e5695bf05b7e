#include <functional>
#include <optional>
#include <set>

#include "orvel/supports/database/sqlite/sqlite_statement.hpp"
#include "orvel/supports/database/statement.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using Contracts::Database::IStatement;
using Contracts::Database::Names;
using Providers::Contracts::DataType;
using Providers::Contracts::DBObject;

// One statement text: how it is made, what it must be, and the out flag it
// must report (none for operations without one).
struct Text {
  const char* what;
  std::function<std::string(IStatement&, bool*)> make;
  std::string expected;
  std::optional<bool> flag = std::nullopt;
};

// Checks every case; flags start at the opposite of what is expected, so a flag
// that is never written is caught.
void expect_texts(IStatement& statement, const std::vector<Text>& cases) {
  for (const Text& text : cases) {
    bool flag = text.flag.has_value() ? !*text.flag : false;
    EXPECT_EQ(text.make(statement, &flag), text.expected) << text.what;
    if (text.flag.has_value()) {
      EXPECT_EQ(flag, *text.flag) << text.what << " (out flag)";
    }
  }
}

class StatementTest : public ConnectionTest {
 protected:
  // An opened connection, so the SQLite texts that read the profile have one.
  std::shared_ptr<SQLiteConnection> m_connection = open("statements.db");
  std::shared_ptr<Statement> m_generic = Statement::create(m_connection.get());
  std::shared_ptr<SQLiteStatement> m_sqlite = SQLiteStatement::create(m_connection.get());
};

TEST_F(StatementTest, NeedsAConnectionAndIsTheConnectionsOwn) {
  EXPECT_EQ(m_generic->connection(), m_connection.get());
  EXPECT_EQ(Statement::static_type().name(), "TolvaneOrvelSupportsDatabaseStatement");
  EXPECT_EQ(SQLiteStatement::static_type().name(), "TolvaneOrvelSupportsDatabaseSQLiteStatement");
  EXPECT_TRUE(SQLiteStatement::static_type().is_a(IStatement::static_type()));

  auto from_connection = std::dynamic_pointer_cast<SQLiteStatement>(m_connection->statement());
  ASSERT_TRUE(from_connection);
  EXPECT_EQ(from_connection->connection(), m_connection.get());

  EXPECT_EQ(Statement::create(nullptr), nullptr);
  EXPECT_EQ(SQLiteStatement::create(nullptr), nullptr);
  EXPECT_TRUE(m_log.has_critical("connection != NULL"));
}

TEST_F(StatementTest, GenericTexts) {
  auto server = Providers::Contracts::Server::create();
  server->set_driver("ODBC 18");
  server->set_host("db.example");
  server->set_initial("shop");
  server->set_port(5432);
  server->set_username("alice");
  server->set_password("secret");

  // Everything the generic dialect leaves to the dialects is empty, with its
  // flags false.
  const std::vector<Text> cases = {
      {"build_connection_string", [&](IStatement& s, bool*) { return s.build_connection_string(server); },
       "DRIVER={ODBC 18};SERVER=db.example;DATABASE=shop;PORT=5432;UID=alice;PWD=secret;"},
      {"build_explain", [](IStatement& s, bool*) { return s.build_explain("SELECT 1", "json"); }, "EXPLAIN SELECT 1;"},
      {"build_analyze", [](IStatement& s, bool*) { return s.build_analyze("t", ""); }, "ANALYZE t;"},
      {"transaction", [](IStatement& s, bool*) { return s.transaction("x"); }, "START TRANSACTION;"},
      {"rollback", [](IStatement& s, bool*) { return s.rollback("x"); }, "ROLLBACK;"},
      {"commit", [](IStatement& s, bool*) { return s.commit("x"); }, "COMMIT;"},
      {"build_sql_view", [](IStatement& s, bool*) { return s.build_sql_view("", "v", "SELECT 1"); },
       "CREATE VIEW `v` AS SELECT 1"},
      {"build_sql_view in a schema", [](IStatement& s, bool*) { return s.build_sql_view("aux", "v", "SELECT 1"); },
       "CREATE VIEW `aux`.`v` AS SELECT 1"},
      {"show_databases", [](IStatement& s, bool* f) { return s.show_databases(f); }, "", false},
      {"show_tables", [](IStatement& s, bool* f) { return s.show_tables("d", "main", f); }, "", false},
      {"show_views", [](IStatement& s, bool* f) { return s.show_views("d", "main", f); }, "", false},
      {"show_table_spaces", [](IStatement& s, bool* f) { return s.show_table_spaces("d", f); }, "", false},
      {"show_table_schemas", [](IStatement& s, bool* f) { return s.show_table_schemas("d", f); }, "", false},
      {"show_checks", [](IStatement& s, bool* f) { return s.show_checks("d", "main", f); }, "", false},
      {"show_excludes", [](IStatement& s, bool* f) { return s.show_excludes("d", "main", f); }, "", false},
      {"show_foreigns", [](IStatement& s, bool* f) { return s.show_foreigns("d", "main", f); }, "", false},
      {"show_rules", [](IStatement& s, bool* f) { return s.show_rules("d", "main", f); }, "", false},
      {"show_uniques", [](IStatement& s, bool* f) { return s.show_uniques("d", "main", f); }, "", false},
      {"show_indexes", [](IStatement& s, bool* f) { return s.show_indexes("d", "main", f); }, "", false},
      {"show_triggers", [](IStatement& s, bool* f) { return s.show_triggers("d", "main", f); }, "", false},
      {"show_functions", [](IStatement& s, bool* f) { return s.show_functions("d", "main", f); }, "", false},
      {"show_procedures", [](IStatement& s, bool* f) { return s.show_procedures("d", "main", f); }, "", false},
      {"show_users", [](IStatement& s, bool* f) { return s.show_users("d", "main", f); }, "", false},
      {"show_roles", [](IStatement& s, bool* f) { return s.show_roles("d", "main", f); }, "", false},
      {"show_source", [](IStatement& s, bool* f) { return s.show_source(DBObject::Table, "d", "main", "t", f); }, "",
       false},
      {"show_structure", [](IStatement& s, bool* f) { return s.show_structure("d", "main", "t", f); }, "", false},
      {"change_database", [](IStatement& s, bool*) { return s.change_database("d"); }, ""},
      {"call_function", [](IStatement& s, bool*) { return s.call_function("d", "main", "f", "(1)"); }, ""},
      {"call_procedure", [](IStatement& s, bool*) { return s.call_procedure("d", "main", "p", "(1)"); }, ""},
      {"show_content", [](IStatement& s, bool*) { return s.show_content("d", "main", "t", "*", "", "", 0, 10); }, ""},
      {"show_user_detail", [](IStatement& s, bool*) { return s.show_user_detail("d", "main", "u"); }, ""},
      {"show_role_detail", [](IStatement& s, bool*) { return s.show_role_detail("d", "main", "r"); }, ""},
      {"show_user_rights", [](IStatement& s, bool*) { return s.show_user_rights("d", "main", "u"); }, ""},
      {"show_role_rights", [](IStatement& s, bool*) { return s.show_role_rights("d", "main", "r"); }, ""},
      {"grant_user_rights", [](IStatement& s, bool*) { return s.grant_user_rights("d", "main", "u", "ALL", "t"); }, ""},
      {"revoke_user_rights", [](IStatement& s, bool*) { return s.revoke_user_rights("d", "main", "u", "ALL", "t"); },
       ""},
      {"grant_role_rights", [](IStatement& s, bool*) { return s.grant_role_rights("d", "main", "r", "ALL", "t"); }, ""},
      {"revoke_role_rights", [](IStatement& s, bool*) { return s.revoke_role_rights("d", "main", "r", "ALL", "t"); },
       ""},
      {"flush_privileges", [](IStatement& s, bool*) { return s.flush_privileges(); }, ""},
      {"show_effected", [](IStatement& s, bool*) { return s.show_effected("d", "main", "t", "a=1"); }, ""},
      {"show_relations", [](IStatement& s, bool*) { return s.show_relations("d", "main", "t"); }, ""},
      {"rename_object", [](IStatement& s, bool*) { return s.rename_object(DBObject::Table, "d", "main", "a", "b"); },
       ""},
      {"drop_object", [](IStatement& s, bool*) { return s.drop_object(DBObject::Table, "d", "main", "t", ""); }, ""},
      {"empty_table", [](IStatement& s, bool*) { return s.empty_table("d", "main", "t"); }, ""},
  };
  expect_texts(*m_generic, cases);

  bool first = true;
  bool second = true;
  EXPECT_EQ(m_generic->show_privileges(&first, &second), "");
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  // Callers that do not want the flag pass none.
  EXPECT_EQ(m_generic->show_tables("d", "main", nullptr), "");
}

TEST_F(StatementTest, QuoteIdentifier) {
  struct Case {
    const char* identifier;
    const char* schema;
    const char* generic;
    const char* sqlite;
  };
  const Case cases[] = {
      {"", "", "\"\"", "\"\""},
      {"", "S", "\"S\".\"\"", "\"\""},
      {"a", "", "\"a\"", "\"a\""},
      {"a", "main", "\"main\".\"a\"", "\"a\""},
      // The enclosing quote doubled inside a name; other quotes stay as they are.
      {"a\"b", "", "\"a\"\"b\"", "\"a\"\"b\""},
      {"t", "s\"x", "\"s\"\"x\".\"t\"", "\"t\""},
      {"O'Brien", "a`b", "\"a`b\".\"O'Brien\"", "\"O'Brien\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(m_generic->quote_identifier(c.identifier, c.schema), c.generic) << c.identifier << " in " << c.schema;
    EXPECT_EQ(m_sqlite->quote_identifier(c.identifier, c.schema), c.sqlite) << c.identifier << " in " << c.schema;
  }
}

TEST_F(StatementTest, PackValueByDataType) {
  const std::set<DataType> unchanged = {DataType::Boolean, DataType::Int8,   DataType::Int16,  DataType::Int32,
                                        DataType::Int64,   DataType::UInt8,  DataType::UInt16, DataType::UInt32,
                                        DataType::UInt64,  DataType::Enum,   DataType::Set,    DataType::Money,
                                        DataType::Float,   DataType::Double, DataType::Object};
  for (int number = 0; number <= static_cast<int>(DataType::Error); ++number) {
    const auto type = static_cast<DataType>(number);
    const std::string what = Providers::Contracts::to_string(type);
    if (unchanged.contains(type)) {
      EXPECT_EQ(m_generic->pack_value(type, "42"), "42") << what;
    } else if (type == DataType::Binary || type == DataType::Blob) {
      EXPECT_EQ(m_generic->pack_value(type, "00FF"), "X'00FF'") << what;
    } else {
      EXPECT_EQ(m_generic->pack_value(type, "1.5"), "'1.5'") << what;
    }
  }
  EXPECT_EQ(m_generic->pack_value(DataType::String, "O'Brien"), "'O''Brien'");
  EXPECT_EQ(m_generic->pack_value(DataType::String, "''"), "''''''");
  EXPECT_EQ(m_generic->pack_value(DataType::Date, ""), "''");
  // SQLite packs as the generic dialect does.
  EXPECT_EQ(m_sqlite->pack_value(DataType::Json, "{\"a\":'b'}"), "'{\"a\":''b''}'");
}

TEST_F(StatementTest, RowBuilders) {
  const Names columns = {"\"a\"", "\"b\""};
  const Names values = {"1", "'x'"};
  const Names keys = {"a", "b"};
  const Names key_values = {"1", "2"};
  const std::vector<Text> sqlite = {
      {"insert", [&](IStatement& s, bool*) { return s.build_sql_insert("main", "t", columns, values); },
       "INSERT INTO \"t\"(\"a\", \"b\") VALUES(1, 'x');"},
      {"insert of one column", [](IStatement& s, bool*) { return s.build_sql_insert("", "t", {"a"}, {"1"}); },
       "INSERT INTO \"t\"(a) VALUES(1);"},
      {"update with keys",
       [&](IStatement& s, bool*) { return s.build_sql_update("main", "t", columns, values, keys, key_values); },
       "UPDATE \"t\" SET \"a\"=1, \"b\"='x' WHERE a=1 AND b=2;"},
      {"update without keys", [&](IStatement& s, bool*) { return s.build_sql_update("", "t", columns, values, {}, {}); },
       "UPDATE \"t\" SET \"a\"=1, \"b\"='x';"},
      {"delete with keys", [&](IStatement& s, bool*) { return s.build_sql_delete("", "t", keys, key_values); },
       "DELETE FROM \"t\" WHERE a=1 AND b=2;"},
      {"delete with one key", [](IStatement& s, bool*) { return s.build_sql_delete("", "t", {"id"}, {"7"}); },
       "DELETE FROM \"t\" WHERE id=7;"},
      {"delete without keys", [](IStatement& s, bool*) { return s.build_sql_delete("", "t", {}, {}); },
       "DELETE FROM \"t\";"},
      {"table with a quote", [](IStatement& s, bool*) { return s.build_sql_delete("", "a\"b", {}, {}); },
       "DELETE FROM \"a\"\"b\";"},
  };
  expect_texts(*m_sqlite, sqlite);

  // The generic dialect qualifies the table with its schema.
  const std::vector<Text> generic = {
      {"insert", [&](IStatement& s, bool*) { return s.build_sql_insert("main", "t", columns, values); },
       "INSERT INTO \"main\".\"t\"(\"a\", \"b\") VALUES(1, 'x');"},
      {"update", [&](IStatement& s, bool*) { return s.build_sql_update("main", "t", {"a"}, {"1"}, {"id"}, {"3"}); },
       "UPDATE \"main\".\"t\" SET a=1 WHERE id=3;"},
      {"delete", [&](IStatement& s, bool*) { return s.build_sql_delete("main", "t", keys, key_values); },
       "DELETE FROM \"main\".\"t\" WHERE a=1 AND b=2;"},
  };
  expect_texts(*m_generic, generic);

  // What the builders write runs as it stands.
  ASSERT_TRUE(m_connection->execute_no_query("CREATE TABLE t(a, b)", false));
  for (const std::string& sql :
       {m_sqlite->build_sql_insert("", "t", columns, values), m_sqlite->build_sql_insert("", "t", columns, {"2", "'y'"}),
        m_sqlite->build_sql_update("", "t", {"b"}, {"'z'"}, {"a"}, {"2"}),
        m_sqlite->build_sql_delete("", "t", {"a"}, {"1"})}) {
    auto done = m_connection->execute_no_query(sql, false);
    ASSERT_TRUE(done.has_value()) << sql << ": " << done.error().message;
    EXPECT_EQ(*done, 1) << sql;
  }
  auto rest = m_connection->execute_as_model("SELECT a, b FROM t", false);
  ASSERT_TRUE(rest.has_value());
  ASSERT_EQ((*rest)->get_rows().size(), 1u);
  EXPECT_EQ((*rest)->get_value_at(1, 0)->to_string(), "z");
}

TEST_F(StatementTest, SQLiteConnectionString) {
  auto server = Providers::Contracts::Server::create();
  server->set_driver("SQLite3");
  server->set_filename("/data/shop.db");
  // Host, port and user belong to other engines and stay out.
  server->set_host("db.example");
  server->set_port(5432);
  server->set_username("alice");
  EXPECT_EQ(m_sqlite->build_connection_string(server), "DRIVER={SQLite3};DATABASE=/data/shop.db;");

  server->set_password("pw");
  EXPECT_EQ(m_sqlite->build_connection_string(server), "DRIVER={SQLite3};DATABASE=/data/shop.db;PWD=pw;");
  server->set_extensions("/lib/ext.so");
  EXPECT_EQ(m_sqlite->build_connection_string(server), "DRIVER={SQLite3};DATABASE=/data/shop.db;PWD=pw;LoadExt=/lib/ext.so");
  server->set_password("");
  EXPECT_EQ(m_sqlite->build_connection_string(server), "DRIVER={SQLite3};DATABASE=/data/shop.db;LoadExt=/lib/ext.so");

  EXPECT_EQ(m_sqlite->build_connection_string(nullptr), "");
  EXPECT_TRUE(m_log.has_critical("server != NULL"));
}

TEST_F(StatementTest, SQLiteListingTexts) {
  const std::vector<Text> cases = {
      {"show_databases", [](IStatement& s, bool* f) { return s.show_databases(f); }, "SELECT 'main' as database;",
       false},
      {"show_tables", [](IStatement& s, bool* f) { return s.show_tables("d", "main", f); },
       "SELECT name, type FROM `main`.sqlite_master WHERE type='table' ORDER BY name;", false},
      {"show_views", [](IStatement& s, bool* f) { return s.show_views("d", "aux", f); },
       "SELECT name, type FROM `aux`.sqlite_master WHERE type='view' ORDER BY name;", false},
      {"show_indexes", [](IStatement& s, bool* f) { return s.show_indexes("d", "main", f); },
       "SELECT name FROM `main`.sqlite_master WHERE type = 'index';", false},
      {"show_triggers", [](IStatement& s, bool* f) { return s.show_triggers("d", "main", f); },
       "SELECT name FROM `main`.sqlite_master WHERE type = 'trigger';", false},
      {"show_functions", [](IStatement& s, bool* f) { return s.show_functions("d", "main", f); },
       "PRAGMA function_list;", false},
      {"show_procedures", [](IStatement& s, bool* f) { return s.show_procedures("d", "main", f); },
       "PRAGMA function_list;", false},
      {"show_table_spaces", [](IStatement& s, bool* f) { return s.show_table_spaces("d", f); },
       "SELECT 'main' as name;", false},
      {"show_table_schemas", [](IStatement& s, bool* f) { return s.show_table_schemas("d", f); },
       "PRAGMA database_list;", true},
      {"show_structure", [](IStatement& s, bool* f) { return s.show_structure("d", "main", "t", f); },
       "PRAGMA table_info(`t`);", true},
      {"show_relations", [](IStatement& s, bool*) { return s.show_relations("d", "main", "t"); },
       "PRAGMA foreign_key_list(`t`);"},
      {"call_function", [](IStatement& s, bool*) { return s.call_function("d", "main", "f", "(1, 2)"); },
       "SELECT main.f(1, 2);"},
      {"call_procedure", [](IStatement& s, bool*) { return s.call_procedure("d", "main", "p", "()"); },
       "CALL main.p();"},
      {"show_source of an index",
       [](IStatement& s, bool* f) { return s.show_source(DBObject::Index, "d", "main", "i", f); },
       "SELECT sql FROM `main`.sqlite_master WHERE type = 'index' and name = 'i';", false},
      {"show_source of a table",
       [](IStatement& s, bool* f) { return s.show_source(DBObject::Table, "d", "main", "t", f); },
       "SELECT sql FROM `main`.sqlite_master WHERE type = 'table' and name = 't';", false},
      {"show_source of a trigger",
       [](IStatement& s, bool* f) { return s.show_source(DBObject::Trigger, "d", "main", "g", f); },
       "SELECT sql FROM `main`.sqlite_master WHERE type = 'trigger' and name = 'g';", false},
      {"show_source of a view",
       [](IStatement& s, bool* f) { return s.show_source(DBObject::View, "d", "main", "v", f); },
       "SELECT sql FROM `main`.sqlite_master WHERE type = 'view' and name = 'v';", false},
      {"show_source of a function",
       [](IStatement& s, bool* f) { return s.show_source(DBObject::Function, "d", "main", "f", f); }, "", false},
      {"show_effected", [](IStatement& s, bool*) { return s.show_effected("d", "main", "t", ""); },
       "SELECT count(*) FROM `main`.`t`;"},
      {"show_effected with a condition", [](IStatement& s, bool*) { return s.show_effected("d", "main", "t", "a > 1"); },
       "SELECT count(*) FROM `main`.`t` WHERE a > 1;"},
      // Inherited from the generic dialect.
      {"build_explain", [](IStatement& s, bool*) { return s.build_explain("SELECT 1", ""); }, "EXPLAIN SELECT 1;"},
      {"show_users", [](IStatement& s, bool* f) { return s.show_users("d", "main", f); }, "", false},
  };
  expect_texts(*m_sqlite, cases);

  bool first = true;
  bool second = true;
  EXPECT_EQ(m_sqlite->show_privileges(&first, &second), "");
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
}

TEST_F(StatementTest, SQLiteObjectTexts) {
  const std::vector<Text> cases = {
      {"empty_table", [](IStatement& s, bool*) { return s.empty_table("d", "main", "t"); },
       "DELETE FROM `t`;\nUPDATE sqlite_sequence SET seq=0 WHERE name='t';"},
      {"drop an index", [](IStatement& s, bool*) { return s.drop_object(DBObject::Index, "d", "main", "i", "t"); },
       "DROP INDEX IF EXISTS `i`;"},
      {"drop a table", [](IStatement& s, bool*) { return s.drop_object(DBObject::Table, "d", "main", "t", ""); },
       "DROP TABLE IF EXISTS `t`;"},
      {"drop a trigger", [](IStatement& s, bool*) { return s.drop_object(DBObject::Trigger, "d", "main", "g", "t"); },
       "DROP TRIGGER IF EXISTS `g`;"},
      {"drop a view", [](IStatement& s, bool*) { return s.drop_object(DBObject::View, "d", "main", "v", ""); },
       "DROP VIEW IF EXISTS `v`;"},
      {"drop a schema", [](IStatement& s, bool*) { return s.drop_object(DBObject::Schema, "d", "", "aux", ""); },
       "DETACH DATABASE `aux`;"},
      {"drop a sequence", [](IStatement& s, bool*) { return s.drop_object(DBObject::Sequence, "d", "", "q", ""); },
       ""},
      {"rename a table", [](IStatement& s, bool*) { return s.rename_object(DBObject::Table, "d", "main", "a", "b"); },
       "ALTER TABLE `a` RENAME TO `b`;"},
      {"rename an index", [](IStatement& s, bool*) { return s.rename_object(DBObject::Index, "d", "main", "a", "b"); },
       ""},
      {"transaction", [](IStatement& s, bool*) { return s.transaction(""); }, "BEGIN TRANSACTION;"},
      {"rollback", [](IStatement& s, bool*) { return s.rollback(""); }, "ROLLBACK;"},
      {"commit", [](IStatement& s, bool*) { return s.commit(""); }, "COMMIT;"},
  };
  expect_texts(*m_sqlite, cases);

  // A detach text really detaches.
  ASSERT_TRUE(m_connection->execute_no_query("ATTACH DATABASE ':memory:' AS aux", false));
  ASSERT_TRUE(m_connection->execute_no_query(m_sqlite->drop_object(DBObject::Schema, "", "", "aux", ""), false));
  auto schemas = m_connection->execute_as_model(m_sqlite->show_table_schemas("", nullptr), false);
  ASSERT_TRUE(schemas.has_value());
  EXPECT_EQ((*schemas)->get_rows().size(), 1u);
}

TEST_F(StatementTest, ShowContentPages) {
  struct Case {
    const char* where;
    const char* order;
    std::int64_t offset;
    std::int32_t limit;
    const char* expected;
  };
  const Case cases[] = {
      {"", "", 0, 0, "SELECT * FROM `main`.`t` "},
      {"", "", 200, 100, "SELECT * FROM `main`.`t` LIMIT 100 OFFSET 200;"},
      {"a > 1", "", 0, 50, "SELECT * FROM `main`.`t` WHERE a > 1 LIMIT 50 OFFSET 0;"},
      {"", "a DESC", 10, -1, "SELECT * FROM `main`.`t` ORDER BY a DESC "},
      {"a > 1", "a, b", 5000000000, 25, "SELECT * FROM `main`.`t` WHERE a > 1 ORDER BY a, b LIMIT 25 OFFSET 5000000000;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(m_sqlite->show_content("d", "main", "t", "*", c.where, c.order, c.offset, c.limit), c.expected);
  }
  EXPECT_EQ(m_sqlite->show_content("d", "main", "t", "a, \"b c\"", "", "", 0, 1),
            "SELECT a, \"b c\" FROM `main`.`t` LIMIT 1 OFFSET 0;");

  // A page text runs as it stands, also without a limit.
  ASSERT_TRUE(m_connection->execute("CREATE TABLE t(a, b); INSERT INTO t VALUES (1, 'x'), (2, 'y'), (3, 'z');", false));
  auto page = m_connection->execute_as_model(m_sqlite->show_content("", "main", "t", "a", "a > 1", "a DESC", 1, 1),
                                             false);
  ASSERT_TRUE(page.has_value()) << page.error().message;
  ASSERT_EQ((*page)->get_rows().size(), 1u);
  EXPECT_EQ((*page)->get_value_at(0, 0)->to_string(), "2");
  auto all = m_connection->execute_as_model(m_sqlite->show_content("", "main", "t", "*", "", "", 0, 0), false);
  ASSERT_TRUE(all.has_value()) << all.error().message;
  EXPECT_EQ((*all)->get_rows().size(), 3u);
}

// Every name a text embeds has its enclosing quote character doubled.
TEST_F(StatementTest, NamesWithTheEnclosingQuoteAreDoubled) {
  const std::vector<Text> cases = {
      {"show_databases", [](IStatement& s, bool*) { return s.show_databases(nullptr); },
       "SELECT 'O''Brien' as database;"},
      {"show_tables", [](IStatement& s, bool*) { return s.show_tables("d", "a`b", nullptr); },
       "SELECT name, type FROM `a``b`.sqlite_master WHERE type='table' ORDER BY name;"},
      {"show_views", [](IStatement& s, bool*) { return s.show_views("d", "a`b", nullptr); },
       "SELECT name, type FROM `a``b`.sqlite_master WHERE type='view' ORDER BY name;"},
      {"show_indexes", [](IStatement& s, bool*) { return s.show_indexes("d", "a`b", nullptr); },
       "SELECT name FROM `a``b`.sqlite_master WHERE type = 'index';"},
      {"show_triggers", [](IStatement& s, bool*) { return s.show_triggers("d", "a`b", nullptr); },
       "SELECT name FROM `a``b`.sqlite_master WHERE type = 'trigger';"},
      {"show_source", [](IStatement& s, bool*) { return s.show_source(DBObject::Table, "d", "a`b", "O'Brien", nullptr); },
       "SELECT sql FROM `a``b`.sqlite_master WHERE type = 'table' and name = 'O''Brien';"},
      {"show_structure", [](IStatement& s, bool*) { return s.show_structure("d", "main", "a`b", nullptr); },
       "PRAGMA table_info(`a``b`);"},
      {"show_relations", [](IStatement& s, bool*) { return s.show_relations("d", "main", "a`b"); },
       "PRAGMA foreign_key_list(`a``b`);"},
      {"show_effected", [](IStatement& s, bool*) { return s.show_effected("d", "s`", "`t", ""); },
       "SELECT count(*) FROM `s```.```t`;"},
      {"show_content", [](IStatement& s, bool*) { return s.show_content("d", "a`b", "O'Brien", "*", "", "", 0, 0); },
       "SELECT * FROM `a``b`.`O'Brien` "},
      {"empty_table", [](IStatement& s, bool*) { return s.empty_table("d", "main", "O'Brien`s"); },
       "DELETE FROM `O'Brien``s`;\nUPDATE sqlite_sequence SET seq=0 WHERE name='O''Brien`s';"},
      {"drop_object", [](IStatement& s, bool*) { return s.drop_object(DBObject::View, "d", "main", "a`b", ""); },
       "DROP VIEW IF EXISTS `a``b`;"},
      {"rename_object", [](IStatement& s, bool*) { return s.rename_object(DBObject::Table, "d", "main", "a`b", "c`"); },
       "ALTER TABLE `a``b` RENAME TO `c```;"},
      {"build_sql_view", [](IStatement& s, bool*) { return s.build_sql_view("a`b", "v`", "SELECT 1"); },
       "CREATE VIEW `a``b`.`v``` AS SELECT 1"},
  };
  m_connection->get_server()->set_initial("O'Brien");
  expect_texts(*m_sqlite, cases);

  // The texts run against tables with such names and reach exactly them.
  ASSERT_TRUE(m_connection->execute(
      "CREATE TABLE \"O'Brien`s\"(id INTEGER PRIMARY KEY AUTOINCREMENT, a); INSERT INTO \"O'Brien`s\"(a) VALUES (1);"
      "CREATE TABLE \"a`b\"(x REFERENCES \"O'Brien`s\"(id)); INSERT INTO \"a`b\" VALUES (1);",
      false));
  auto structure = m_connection->execute_as_model(m_sqlite->show_structure("", "main", "a`b", nullptr), false);
  ASSERT_TRUE(structure.has_value()) << structure.error().message;
  EXPECT_EQ((*structure)->get_rows().size(), 1u);
  auto relations = m_connection->execute_as_model(m_sqlite->show_relations("", "main", "a`b"), false);
  ASSERT_TRUE(relations.has_value()) << relations.error().message;
  EXPECT_EQ((*relations)->get_rows().size(), 1u);
  auto source = m_connection->execute_as_scalar(
      m_sqlite->show_source(DBObject::Table, "", "main", "O'Brien`s", nullptr), false);
  ASSERT_TRUE(source.has_value()) << source.error().message;
  EXPECT_TRUE((*source)->to_string().starts_with("CREATE TABLE \"O'Brien`s\""));
  ASSERT_TRUE(m_connection->execute(m_sqlite->empty_table("", "main", "O'Brien`s"), false));
  auto emptied = m_connection->execute_as_scalar("SELECT count(*) FROM \"O'Brien`s\"", false);
  ASSERT_TRUE(emptied.has_value());
  EXPECT_EQ((*emptied)->to_string(), "0");
  auto sequence = m_connection->execute_as_scalar("SELECT seq FROM sqlite_sequence WHERE name = 'O''Brien`s'", false);
  ASSERT_TRUE(sequence.has_value());
  EXPECT_EQ((*sequence)->to_string(), "0");
}

class ViewRenameTest : public StatementTest {
 protected:
  void SetUp() override {
    auto made = m_connection->execute(
        "CREATE TABLE t(a, b);"
        "CREATE VIEW v AS SELECT a FROM t;"
        "CREATE VIEW \"O'Brien\" as select b from t;"
        "CREATE VIEW \"my view\" AS SELECT a, b FROM t;",
        false);
    ASSERT_TRUE(made.has_value()) << made.error().message;
  }

  // Renames through the text the statement gives: drop the old view, run the
  // text; returns the names of the views afterwards.
  std::vector<std::string> rename(const std::string& old_name, const std::string& new_name) {
    const std::string text = m_sqlite->rename_object(DBObject::View, "", "main", old_name, new_name);
    EXPECT_FALSE(text.empty()) << old_name;
    auto dropped = m_connection->execute_no_query(m_sqlite->drop_object(DBObject::View, "", "main", old_name, ""), false);
    EXPECT_TRUE(dropped.has_value());
    auto created = m_connection->execute_no_query(text, false);
    EXPECT_TRUE(created.has_value()) << text << ": " << created.error().message;
    auto views = m_connection->execute_as_model("SELECT name FROM sqlite_master WHERE type = 'view' ORDER BY name",
                                                false);
    std::vector<std::string> names;
    for (int row = 0; views && row < static_cast<int>((*views)->get_rows().size()); ++row) {
      names.push_back((*views)->get_value_at(0, row)->to_string());
    }
    return names;
  }
};

TEST_F(ViewRenameTest, GivesTheCreateStatementUnderTheNewName) {
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "v", "w"), "CREATE VIEW [w] as SELECT a FROM t;");
  // The keyword is matched in any case; the replacement writes it as given.
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "O'Brien", "w"), "CREATE VIEW [w] as select b from t;");
  EXPECT_EQ(rename("v", "w"), (std::vector<std::string>{"O'Brien", "my view", "w"}));
}

TEST_F(ViewRenameTest, ANewNameThatBracketsCannotHoldIsDoubleQuoted) {
  // SQLite has no escape for ']' inside brackets.
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "v", "a]b"), "CREATE VIEW \"a]b\" as SELECT a FROM t;");
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "v", "[x]\""),
            "CREATE VIEW \"[x]\"\"\" as SELECT a FROM t;");
  // Other quote characters sit in brackets unchanged.
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "v", "O'B\"`"), "CREATE VIEW [O'B\"`] as SELECT a FROM t;");
}

TEST_F(ViewRenameTest, NoSuchViewGivesNothing) {
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "missing", "w"), "");
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "t", "w"), "");
  // A failed query (no such schema) is swallowed.
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "nowhere", "v", "w"), "");
}

TEST_F(ViewRenameTest, NamesWithQuoteCharacters) {
  EXPECT_EQ(rename("O'Brien", "x"), (std::vector<std::string>{"my view", "v", "x"}));
  EXPECT_EQ(rename("x", "O'Brien"), (std::vector<std::string>{"O'Brien", "my view", "v"}));
  EXPECT_EQ(rename("v", "a`b"), (std::vector<std::string>{"O'Brien", "a`b", "my view"}));
  EXPECT_EQ(rename("a`b", "a\"b"), (std::vector<std::string>{"O'Brien", "a\"b", "my view"}));
  EXPECT_EQ(rename("a\"b", "a]b"), (std::vector<std::string>{"O'Brien", "a]b", "my view"}));
  EXPECT_EQ(rename("a]b", "[v]"), (std::vector<std::string>{"O'Brien", "[v]", "my view"}));
}

TEST_F(ViewRenameTest, AColumnListAfterTheNameIsKept) {
  auto made = m_connection->execute(
      "CREATE VIEW v1(x) AS SELECT a FROM t;"
      "CREATE VIEW \"v 2\" (\"a (b)\", y)AS SELECT a, b FROM t;",
      false);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(m_sqlite->rename_object(DBObject::View, "", "main", "v1", "w\\1"), "CREATE VIEW [w\\1](x) as SELECT a FROM t;");
  EXPECT_EQ(rename("v1", "w1"), (std::vector<std::string>{"O'Brien", "my view", "v", "v 2", "w1"}));
  EXPECT_EQ(rename("v 2", "w2"), (std::vector<std::string>{"O'Brien", "my view", "v", "w1", "w2"}));
  auto columns = m_connection->execute_as_model("SELECT * FROM w2", false);
  ASSERT_TRUE(columns.has_value());
  EXPECT_EQ((*columns)->get_columns()[0]->get_name(), "a (b)");
}

TEST_F(ViewRenameTest, NamesWithBlanks) {
  EXPECT_EQ(rename("my view", "your view"), (std::vector<std::string>{"O'Brien", "v", "your view"}));
  EXPECT_EQ(rename("your view", "v2"), (std::vector<std::string>{"O'Brien", "v", "v2"}));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
