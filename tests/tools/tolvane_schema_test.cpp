// tolvane tables, schema and transform, run as their users run them, with the
// sqlite3 shell and sqldiff (Debian's sqlite3 and sqlite3-tools) as oracles.

#include <gtest/gtest.h>

#include "tests/support/program.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using Ran = Tolvane::Testing::ProgramRun;

class TolvaneSchemaCommands : public ::testing::Test {
 protected:
  // Runs a program found on the path (or tolvane itself) with the folders of this test.
  Ran program(std::vector<std::string> arguments) {
    return Tolvane::Testing::run_program(std::move(arguments), {{"XDG_STATE_HOME", m_home.file("state")},
                                                                {"XDG_CONFIG_HOME", m_home.file("config")},
                                                                {"XDG_DATA_HOME", m_home.file("data")}});
  }

  Ran tolvane(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), TOLVANE_BINARY);
    return program(std::move(arguments));
  }

  // The sqlite3 shell's answer, in its list mode.
  std::string sqlite3(const std::string& database, const std::string& sql) {
    Ran ran = program({"sqlite3", database, sql});
    EXPECT_EQ(ran.exit_code, 0) << ran.err;
    return ran.out;
  }

  std::string shop() {
    const std::string path = m_home.file("shop.db");
    sqlite3(path,
            "CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE, price REAL, data BLOB,"
            " note TEXT);"
            "CREATE INDEX t_price ON t (price) WHERE price > 0;"
            "CREATE TABLE c (id INTEGER PRIMARY KEY, t_id INTEGER REFERENCES t(id));"
            "CREATE VIEW v AS SELECT t.name, c.id AS child FROM t JOIN c ON c.t_id = t.id;"
            "CREATE TRIGGER c_ins AFTER INSERT ON c BEGIN UPDATE t SET note = 'child' WHERE id = new.t_id; END;"
            "INSERT INTO t (name, price, data) VALUES ('a', 1.5, x'00ff'), ('O''Brien', NULL, NULL), ('z', 2, 'x');"
            "INSERT INTO c (t_id) VALUES (1), (2);");
    return path;
  }

  Tolvane::Testing::TempDir m_home;
};

TEST_F(TolvaneSchemaCommands, TablesListsTablesViewsAndCounts) {
  const std::string db = shop();
  Ran plain = tolvane({"tables", db});
  ASSERT_EQ(plain.exit_code, 0) << plain.err;
  EXPECT_EQ(plain.out,
            "name             type   indexes  triggers\n"
            "---------------  -----  -------  --------\n"
            "c                table        0         1\n"
            "sqlite_sequence  table        0         0\n"
            "t                table        2         0\n");
  Ran all = tolvane({"tables", db, "--views", "--counts", "--format", "tsv"});
  ASSERT_EQ(all.exit_code, 0) << all.err;
  EXPECT_EQ(all.out,
            "name\ttype\tindexes\ttriggers\trows\n"
            "c\ttable\t0\t1\t2\n"
            "sqlite_sequence\ttable\t0\t0\t1\n"
            "t\ttable\t2\t0\t3\n"
            "v\tview\t\\N\t\\N\t2\n");
  EXPECT_EQ(tolvane({"tables", m_home.file("nowhere.db")}).exit_code, 3);
}

TEST_F(TolvaneSchemaCommands, SchemaTextBuildsTheSameDatabase) {
  const std::string db = shop();
  Ran schema = tolvane({"schema", db});
  ASSERT_EQ(schema.exit_code, 0) << schema.err;
  EXPECT_EQ(schema.err, "");
  const std::string copy = m_home.file("copy.db");
  Ran built = program({"sqlite3", copy, schema.out});
  ASSERT_EQ(built.exit_code, 0) << built.err << schema.out;
  for (const char* check :
       {"SELECT name, tbl_name FROM sqlite_master ORDER BY name",
        "SELECT * FROM pragma_table_xinfo('t')", "SELECT * FROM pragma_index_list('t') ORDER BY name",
        "SELECT * FROM pragma_index_xinfo('t_price')", "SELECT * FROM pragma_foreign_key_list('c')",
        "SELECT * FROM sqlite_sequence"}) {
    EXPECT_EQ(sqlite3(copy, check), sqlite3(db, check)) << check;
  }

  Ran named = tolvane({"schema", db, "v", "t_price", "c_ins"});
  ASSERT_EQ(named.exit_code, 0) << named.err;
  EXPECT_TRUE(named.out.starts_with("CREATE VIEW `main`.`v` AS SELECT t.name")) << named.out;
  EXPECT_NE(named.out.find("CREATE INDEX `main`.`t_price` ON `t`"), std::string::npos);
  EXPECT_NE(named.out.find("CREATE TRIGGER `main`.`c_ins` AFTER INSERT ON `c`"), std::string::npos);
  Ran json = tolvane({"schema", db, "t", "--json"});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  EXPECT_TRUE(json.out.starts_with("{\"database\":")) << json.out;
  EXPECT_EQ(json.out.find('\n'), json.out.size() - 1);
  Ran unknown = tolvane({"schema", db, "nosuch"});
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_EQ(unknown.err, "tolvane: no table, view, index or trigger named \"nosuch\"\n");

  sqlite3(db, "CREATE TABLE d (k TEXT PRIMARY KEY DESC)");
  Ran warned = tolvane({"schema", db, "d"});
  EXPECT_EQ(warned.exit_code, 0);
  EXPECT_NE(warned.err.find("warning: cannot rebuild table \"d\" faithfully"), std::string::npos) << warned.err;
}

TEST_F(TolvaneSchemaCommands, TransformRebuildsTheTableAndKeepsEverythingElse) {
  const std::string db = shop();
  const std::string before = m_home.file("before.db");
  sqlite3(db, ".backup '" + before + "'");
  // NUMERIC affinity stores 2.0 as 2; the values compare as numbers.
  const std::string rows = sqlite3(db, "SELECT id, name, price * 1.0, hex(data), note FROM t ORDER BY id");

  Ran dry = tolvane({"transform", db, "t", "--rename-column", "data=payload", "--add-column", "qty INTEGER",
                     "--default", "qty=1", "--type", "price=NUMERIC(10,2)", "--dry-run"});
  ASSERT_EQ(dry.exit_code, 0) << dry.err;
  EXPECT_TRUE(dry.out.starts_with("PRAGMA foreign_keys = OFF;\nPRAGMA legacy_alter_table = ON;\nBEGIN;\n"));
  EXPECT_EQ(program({"sqldiff", before, db}).out, "");

  Ran done = tolvane({"transform", db, "t", "--rename-column", "data=payload", "--add-column", "qty INTEGER",
                      "--default", "qty=1", "--type", "price=NUMERIC(10,2)"});
  ASSERT_EQ(done.exit_code, 0) << done.err;
  EXPECT_TRUE(done.err.starts_with("rebuilt \"t\" with 3 rows; the old table is kept as \"t_old_")) << done.err;
  EXPECT_EQ(sqlite3(db, "SELECT id, name, price * 1.0, hex(payload), note FROM t ORDER BY id"), rows);
  EXPECT_EQ(sqlite3(db, "SELECT \"table\" FROM pragma_foreign_key_list('c')"), "t\n");
  EXPECT_EQ(sqlite3(db, "PRAGMA foreign_key_check"), "");
  EXPECT_EQ(sqlite3(db, "PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(sqlite3(db, "SELECT name, child FROM v ORDER BY child"), "a|1\nO'Brien|2\n");
  sqlite3(db, "INSERT INTO c (t_id) VALUES (3); INSERT INTO t (name) VALUES ('new');");
  EXPECT_EQ(sqlite3(db, "SELECT note, qty FROM t WHERE id >= 3 ORDER BY id"), "child|1\n|1\n");
}

TEST_F(TolvaneSchemaCommands, TransformThatCannotCompleteChangesNothing) {
  const std::string db = shop();
  const std::string before = m_home.file("before.db");
  sqlite3(db, ".backup '" + before + "'");
  Ran failed = tolvane({"transform", db, "t", "--not-null", "data"});
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_TRUE(failed.err.starts_with("tolvane: transform of \"t\" failed and changed nothing: NOT NULL constraint "
                                     "failed: t.data (statement "))
      << failed.err;
  Ran broken = tolvane({"transform", db, "t", "--rename-column", "note=remark"});  // c_ins sets t.note
  EXPECT_EQ(broken.exit_code, 1);
  EXPECT_NE(broken.err.find("no such column: note"), std::string::npos) << broken.err;
  EXPECT_EQ(program({"sqldiff", before, db}).out, "");
  EXPECT_EQ(sqlite3(db, "SELECT group_concat(name) FROM sqlite_master"), sqlite3(before, "SELECT group_concat(name) FROM sqlite_master"));

  Ran used = tolvane({"transform", db, "t", "--drop-column", "price"});
  EXPECT_EQ(used.exit_code, 2);
  EXPECT_EQ(used.err, "tolvane: cannot drop column \"price\": the index \"t_price\" uses it\n");
  EXPECT_EQ(tolvane({"transform", db, "t"}).exit_code, 2);
  EXPECT_EQ(tolvane({"transform", db, "t", "--type", "price=REAL DEFAULT 1"}).exit_code, 2);
  Ran help = tolvane({"transform", "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("Exit codes:"), std::string::npos);
  EXPECT_NE(help.out.find("--rename-column"), std::string::npos);
}

}  // namespace
