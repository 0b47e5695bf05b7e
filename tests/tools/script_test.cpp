// tolvane script in automation: outcomes as they come, errors with their
// line, --bail, --transaction, dot-commands, and transactions a script leaves
// unfinished.

#include <gtest/gtest.h>

#include <glib.h>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {

namespace {

class Script : public TolvaneCli {
 protected:
  std::string db() { return make_database("s.db", "CREATE TABLE a(x); INSERT INTO a VALUES (1), (2), (3);"); }
  std::string count(const std::string& database) { return sqlite3(database, "SELECT count(*) FROM a;").out; }
};

}  // namespace

TEST_F(Script, ShowsRowsAndChangeCountsOnlyForStatementsThatChangeRows) {
  const std::string database = db();
  Ran run = tolvane({"script", database},
                    "CREATE TABLE b(y);\nINSERT INTO b VALUES (1), (2), (3);\nCREATE TABLE c(z);\nDROP TABLE c;\n"
                    "SELECT y FROM b WHERE y > 1;\nUPDATE b SET y = y + 1 WHERE y > 1;\n"
                    "WITH n AS (SELECT 9) INSERT INTO b SELECT * FROM n;\nSELECT y FROM b WHERE 0;\n-- the end\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "3 rows changed\ny\n-\n2\n3\n2 rows changed\n1 row changed\ny\n-\n");
  Ran json = tolvane({"script", database, "--jsonl"}, "SELECT 1 AS a; DELETE FROM b; SELECT 2 AS a;");
  EXPECT_EQ(json.out, "{\"a\":1}\n{\"a\":2}\n") << "change counts stay out of machine output";
  EXPECT_NE(json.err.find("4 rows changed"), std::string::npos) << json.err;
}

TEST_F(Script, ErrorsGoToStandardErrorWithTheLineOfTheStatement) {
  const std::string database = db();
  const std::string text = "SELECT 1 AS one;\n\n/* a comment */ INSERT INTO nope\n  VALUES (1);\nSELECT 2 AS two;\n";
  Ran run = tolvane({"script", database}, text);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "one\n---\n  1\ntwo\n---\n  2\n");
  EXPECT_NE(run.err.find("error near line 3: no such table: nope (code 1)\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("1 of 3 statements failed"), std::string::npos) << run.err;

  Ran bail = tolvane({"script", database, "--bail"}, text);
  EXPECT_EQ(bail.exit_code, 1);
  EXPECT_EQ(bail.out, "one\n---\n  1\n") << "nothing after the failing statement runs";
}

TEST_F(Script, ATransactionScriptIsAllOrNothing) {
  const std::string database = db();
  Ran failed = tolvane({"script", database, "--transaction"},
                       "INSERT INTO a VALUES (4);\nDELETE FROM a WHERE x = 1;\nINSERT INTO nope VALUES (1);\n");
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_NE(failed.err.find("error near line 3"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("the script's transaction was rolled back, undoing 2 earlier changes"), std::string::npos)
      << failed.err;
  EXPECT_EQ(count(database), "3\n");
  EXPECT_FALSE(g_file_test((database + "-journal").c_str(), G_FILE_TEST_EXISTS));

  Ran done = tolvane({"script", database, "--transaction"}, "INSERT INTO a VALUES (4);\nINSERT INTO a VALUES (5);\n");
  EXPECT_EQ(done.exit_code, 0) << done.err;
  EXPECT_EQ(count(database), "5\n");
}

TEST_F(Script, ACommitThatFailsUnderContentionSaysWhatWasUndone) {
  const std::string database = db();
  // Another connection reads inside a transaction, so the COMMIT cannot take
  // the exclusive lock it needs within the timeout.
  Ran run = run_program(
      "bash",
      {"-c", "(echo 'BEGIN; SELECT count(*) FROM a;'; sleep 4) | sqlite3 " + database + " > /dev/null & sleep 1; " +
                 TOLVANE_BINARY + " script " + database +
                 " --timeout 300 <<< $'BEGIN;\\nINSERT INTO a VALUES (7);\\nINSERT INTO a VALUES (8);\\nCOMMIT;'; "
                 "code=$?; wait; exit $code"},
      "", {}, m_home);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("error near line 4: database is locked (code 5)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("the transaction begun near line 1 was rolled back, undoing 2 earlier changes"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(count(database), "3\n");
}

TEST_F(Script, DotCommandsAreRefusedWithoutSwallowingTheNextStatement) {
  const std::string database = db();
  Ran run = tolvane({"script", database}, ".tables\nSELECT count(*) AS n FROM a;\n.mode csv\n.frobnicate\n");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "n\n-\n3\n");
  EXPECT_NE(run.err.find("error near line 1: \".tables\" is a command of the sqlite3 shell, not SQL; use "
                         "`tolvane tables DB`"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("error near line 3: \".mode csv\" is a command of the sqlite3 shell, not SQL; use the "
                         "--format option"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("error near line 4: \".frobnicate\""), std::string::npos) << run.err;
}

TEST_F(Script, ScriptInputIsCheckedAndReadFromFilesOrStandardInput) {
  const std::string database = db();
  Ran nul = tolvane({"script", database}, std::string("SELECT 1;\0DELETE FROM a;", 24));
  EXPECT_EQ(nul.exit_code, 5);
  EXPECT_NE(nul.err.find("the script contains a NUL byte at offset 9"), std::string::npos) << nul.err;
  EXPECT_EQ(count(database), "3\n");

  write_text(file("ok.sql"), "UPDATE a SET x = 4 WHERE x = 1;");
  Ran from_file = tolvane({"script", database, file("ok.sql")});
  EXPECT_EQ(from_file.exit_code, 0) << from_file.err;
  EXPECT_EQ(from_file.out, "1 row changed\n");
  Ran missing = tolvane({"script", database, file("missing.sql")});
  EXPECT_EQ(missing.exit_code, 5);
  EXPECT_NE(missing.err.find("cannot read " + file("missing.sql") + ": No such file or directory"), std::string::npos)
      << missing.err;
}

}  // namespace Tolvane::Testing
