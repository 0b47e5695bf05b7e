// tolvane copy, run as its users run it, with the sqlite3 shell and sqldiff
// as the oracles of what reached the target.

#include <gtest/gtest.h>

#include <glib.h>
#include <signal.h>
#include <sys/wait.h>

#include <sstream>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {
namespace {

constexpr const char* kShop =
    "CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE, price REAL, data BLOB,"
    " stamp DATETIME, n INT, \"my col\" BIGINT);"
    "CREATE INDEX t_price ON t (price) WHERE price > 0;"
    "CREATE TABLE c (id INTEGER PRIMARY KEY, t_id INTEGER REFERENCES t(id), note TEXT DEFAULT 'a;b');"
    "CREATE VIEW v AS SELECT t.name, c.id AS child FROM t JOIN c ON c.t_id = t.id;"
    "CREATE TRIGGER c_ins AFTER INSERT ON c BEGIN UPDATE t SET n = coalesce(n, 0) + 1 WHERE id = new.t_id; END;"
    "INSERT INTO t (name, price, data, stamp, n, \"my col\") VALUES ('a', 1e-7, x'0041', '2024-01-02', 5, 1),"
    " ('O''Brien', NULL, 'hello', NULL, 'abc', -9223372036854775808), ('z', 0.1, x'', 3.5, NULL, NULL);"
    "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 3000)"
    " INSERT INTO c (t_id) SELECT 1 + i % 3 FROM k;";

class CopyCommand : public TolvaneCli {
 protected:
  // The row differences sqldiff reports; schema lines (CREATE texts are laid
  // out anew) left aside.
  std::string data_diff(const std::string& first, const std::string& second) {
    Ran ran = run_program("sqldiff", {first, second}, "", {}, m_home);
    EXPECT_EQ(ran.exit_code, 0) << ran.err;
    std::string rows;
    std::istringstream text(ran.out);
    for (std::string line; std::getline(text, line);) {
      if (line.starts_with("INSERT") || line.starts_with("UPDATE") || line.starts_with("DELETE")) {
        rows += line + "\n";
      }
    }
    return rows;
  }
};

TEST_F(CopyCommand, CopiesEverythingIntoANewDatabase) {
  const std::string source = make_database("shop.db", kShop);
  Ran ran = tolvane({"copy", source, file("copy.db"), "--target-create", "--batch", "500"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_NE(ran.err.find("copied 3,003 rows"), std::string::npos) << ran.err;
  EXPECT_EQ(data_diff(source, file("copy.db")), "");
  EXPECT_EQ(sqlite3(file("copy.db"), "PRAGMA integrity_check; PRAGMA foreign_key_check;").out, "ok\n");
  // Declared types, the view and the trigger are there; the copy fired no trigger.
  EXPECT_EQ(sqlite3(file("copy.db"), "SELECT group_concat(type, ',') FROM pragma_table_info('t');").out,
            "INTEGER,TEXT,REAL,BLOB,DATETIME,INT,BIGINT\n");
  EXPECT_EQ(sqlite3(file("copy.db"), "SELECT count(*) FROM v; SELECT name FROM sqlite_master WHERE type = 'trigger';")
                .out,
            "3000\nc_ins\n");
}

TEST_F(CopyCommand, EncryptedToPlainAndBack) {
  const std::string source = make_database("shop.db", kShop);
  Ran sealed = tolvane({"copy", source, file("sealed.db"), "--target-create"}, "", {{"TOLVANE_TARGET_KEY", "k;ey'1"}});
  ASSERT_EQ(sealed.exit_code, 0) << sealed.err;
  EXPECT_NE(sqlite3(file("sealed.db"), "SELECT count(*) FROM t;").exit_code, 0) << "the target is not encrypted";
  Ran opened = tolvane({"copy", file("sealed.db"), file("plain.db"), "--target-create", "--source-key", "k;ey'1"});
  ASSERT_EQ(opened.exit_code, 0) << opened.err;
  EXPECT_EQ(data_diff(source, file("plain.db")), "");
}

TEST_F(CopyCommand, ChoosesRenamesAndFilters) {
  const std::string source = make_database("shop.db", kShop);
  Ran ran = tolvane({"copy", source, file("part.db"), "--target-create", "--table", "t", "--rename", "t=items",
                     "--fields", "t:id=key;name=label", "--where", "t:name <> 'z'", "--as-table", "v"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_EQ(sqlite3(file("part.db"), "SELECT key, label FROM items ORDER BY key;"
                                     "SELECT name, type FROM sqlite_master ORDER BY name;")
                .out,
            "1|a\n2|O'Brien\nitems|table\nsqlite_autoindex_items_1|index\nsqlite_sequence|table\nv|table\n");
}

TEST_F(CopyCommand, WrongChoicesAreUsageErrors) {
  const std::string source = make_database("shop.db", kShop);
  Ran unknown = tolvane({"copy", source, file("x.db"), "--target-create", "--table", "nope"});
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_NE(unknown.err.find("the source has no table \"nope\""), std::string::npos) << unknown.err;
  Ran batch = tolvane({"copy", source, file("x.db"), "--target-create", "--batch", "0"});
  EXPECT_EQ(batch.exit_code, 2);
  EXPECT_NE(batch.err.find("--batch takes a number of rows from 1 up"), std::string::npos) << batch.err;
  Ran itself = tolvane({"copy", source, "file:" + source});
  EXPECT_EQ(itself.exit_code, 2);
  EXPECT_NE(itself.err.find("the source and the target are the same database"), std::string::npos) << itself.err;
  EXPECT_EQ(sqlite3(source, "SELECT count(*) FROM c;").out, "3000\n");
  Ran fields = tolvane({"copy", source, file("x.db"), "--target-create", "--fields", "c:note=remark;x=y"});
  EXPECT_EQ(fields.exit_code, 2);
  EXPECT_NE(fields.err.find("--fields: \"c\" has no column \"x\""), std::string::npos) << fields.err;
}

TEST_F(CopyCommand, AFailingRowStopsTheCopyAndSaysWhy) {
  const std::string source = make_database("shop.db", kShop);
  const std::string target = make_database("strict.db", "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, "
                                                         "price REAL CHECK (price IS NOT NULL), data BLOB, stamp, n, "
                                                         "\"my col\");");
  Ran ran = tolvane({"copy", source, target, "--table", "t"});
  EXPECT_EQ(ran.exit_code, 1);
  EXPECT_NE(ran.err.find("copy stopped: CHECK constraint failed"), std::string::npos) << ran.err;
  EXPECT_NE(ran.err.find("2 steps failed"), std::string::npos) << ran.err;  // the row and its table
  // The row before the failing one is kept.
  EXPECT_EQ(sqlite3(target, "SELECT name FROM t;").out, "a\n");
}

TEST_F(CopyCommand, CtrlCStopsTheCopyAndKeepsTheCommittedRows) {
  const std::string source = make_database(
      "big.db", "CREATE TABLE t (i INTEGER, s TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                "WHERE i < 1000000) INSERT INTO t SELECT i, 'row ' || i FROM n;");
  const std::string target = file("copy.db");
  std::vector<std::string> words{TOLVANE_BINARY, "copy", source, target, "--target-create", "--batch", "1000"};
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  gchar** environment = g_get_environ();
  for (const char* variable : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    environment = g_environ_setenv(environment, variable, file(variable).c_str(), TRUE);
  }
  GPid pid = 0;
  gint error_fd = -1;
  GError* error = nullptr;
  ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv.data(), environment, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                       &pid, nullptr, nullptr, &error_fd, &error))
      << error->message;
  g_strfreev(environment);
  // Once rows are arriving in the target.
  for (int i = 0; i < 600 && sqlite3(target, "SELECT count(*) > 0 FROM t;").out != "1\n"; ++i) {
    g_usleep(100000);
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  g_spawn_close_pid(pid);
  std::string err;
  char buffer[4096];
  for (ssize_t got; (got = read(error_fd, buffer, sizeof buffer)) > 0;) {
    err.append(buffer, static_cast<std::size_t>(got));
  }
  close(error_fd);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130) << err;
  EXPECT_NE(err.find("interrupted"), std::string::npos) << err;
  // What was committed is whole: the first rows, in order, and no journal left behind.
  EXPECT_EQ(sqlite3(target, "PRAGMA integrity_check; SELECT count(*) < 1000000 AND count(*) = max(i) FROM t;").out,
            "ok\n1\n");
  EXPECT_FALSE(g_file_test((target + "-journal").c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
}  // namespace Tolvane::Testing
