// Multi-statement texts run statement by statement on a real database.

#include "orvel/exceptions/sql_error.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

class ScriptRunnerTest : public SchemaTest {
 protected:
  std::shared_ptr<SQLiteConnection> m_connection = open("script.db");
};

TEST_F(ScriptRunnerTest, RunsEveryStatementTriggerBodiesWhole) {
  auto outcome = ScriptRunner(*m_connection)
                     .run("CREATE TABLE a (x TEXT);\n"
                          "CREATE TABLE log (n INT);\n"
                          "CREATE TRIGGER a_ins AFTER INSERT ON a BEGIN INSERT INTO log VALUES (1); "
                          "INSERT INTO log VALUES (2); END;\n"
                          "-- a comment; with a semicolon\n"
                          "INSERT INTO a VALUES ('x;y');\n"
                          "SELECT * FROM a");
  ASSERT_TRUE(outcome.has_value()) << outcome.error().describe();
  EXPECT_EQ(*outcome, 5u);
  EXPECT_EQ(scalar(*m_connection, "SELECT x FROM a"), "x;y");
  EXPECT_EQ(scalar(*m_connection, "SELECT group_concat(n) FROM log"), "1,2");
}

TEST_F(ScriptRunnerTest, StopsAtTheFirstFailureAndRollsBackWhatTheScriptOpened) {
  auto outcome = ScriptRunner(*m_connection)
                     .run("CREATE TABLE a (x);\nBEGIN;\nINSERT INTO a VALUES (1);\n\n"
                          "INSERT INTO nosuch VALUES (1);\nINSERT INTO a VALUES (2);\nCOMMIT;");
  ASSERT_FALSE(outcome.has_value());
  const ScriptFailure& failure = outcome.error();
  EXPECT_EQ(failure.error.domain, "SQLite");
  EXPECT_EQ(failure.error.message, "no such table: nosuch");
  EXPECT_EQ(failure.statement, "INSERT INTO nosuch VALUES (1);");
  EXPECT_EQ(failure.number, 4u);
  EXPECT_EQ(failure.line, 5u);
  EXPECT_TRUE(failure.rolled_back);
  EXPECT_EQ(failure.describe(), "no such table: nosuch (statement 4 on line 5: INSERT INTO nosuch VALUES (1);)");
  // The table made before the transaction stays; its rows went with it.
  EXPECT_EQ(scalar(*m_connection, "SELECT count(*) FROM a"), "0");
  run(*m_connection, "BEGIN; COMMIT;");  // no transaction was left open

  // Without a transaction what ran stays done.
  outcome = ScriptRunner(*m_connection).run("INSERT INTO a VALUES (1); INSERT INTO a VALUES (; INSERT INTO a VALUES (3);");
  ASSERT_FALSE(outcome.has_value());
  EXPECT_FALSE(outcome.error().rolled_back);
  EXPECT_EQ(scalar(*m_connection, "SELECT group_concat(x) FROM a"), "1");

  auto status = run_script(*m_connection, "SAVEPOINT s; INSERT INTO a VALUES (9); SELECT nosuch;");
  ASSERT_FALSE(status.has_value());
  EXPECT_EQ(status.error().message, "no such column: nosuch (statement 3 on line 1: SELECT nosuch;)");
  EXPECT_EQ(scalar(*m_connection, "SELECT group_concat(x) FROM a"), "1");
}

TEST_F(ScriptRunnerTest, SettingsTheScriptChangedComeBackAfterAFailure) {
  run(*m_connection, "PRAGMA foreign_keys = ON;");
  const std::string script =
      "PRAGMA foreign_keys = OFF;\nPRAGMA legacy_alter_table = ON;\nPRAGMA main.cache_size = 123;\n"
      "BEGIN;\nSELECT nosuch;\nCOMMIT;\nPRAGMA foreign_keys = ON;";
  ASSERT_FALSE(ScriptRunner(*m_connection).run(script).has_value());
  EXPECT_EQ(scalar(*m_connection, "PRAGMA foreign_keys"), "1");
  EXPECT_EQ(scalar(*m_connection, "PRAGMA legacy_alter_table"), "0");
  EXPECT_NE(scalar(*m_connection, "PRAGMA main.cache_size"), "123");
  // On success the script's own settings stand.
  run(*m_connection, "PRAGMA foreign_keys = OFF;");
  EXPECT_EQ(scalar(*m_connection, "PRAGMA foreign_keys"), "0");
}

TEST_F(ScriptRunnerTest, AForeignKeyCheckThatFindsViolationsFailsTheScript) {
  run(*m_connection,
      "CREATE TABLE p (id INTEGER PRIMARY KEY); CREATE TABLE \"c\"\"1\" (p INT REFERENCES p(id));"
      "PRAGMA foreign_key_check;");
  auto outcome = ScriptRunner(*m_connection)
                     .run("BEGIN; INSERT INTO \"c\"\"1\" VALUES (7); PRAGMA main.foreign_key_check(\"c\"\"1\"); COMMIT;");
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error().error.domain, Exceptions::sql_error_domain());
  EXPECT_EQ(outcome.error().error.code, static_cast<int>(Exceptions::SQLError::CONSTRAINT));
  EXPECT_EQ(outcome.error().error.message,
            "foreign key check failed: 1 row(s) refer to missing rows: row 1 of \"c\"\"1\" in \"p\"");
  EXPECT_TRUE(outcome.error().rolled_back);
  EXPECT_EQ(scalar(*m_connection, "SELECT count(*) FROM \"c\"\"1\""), "0");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
