// `tolvane export` and `tolvane import` run as programs, with the sqlite3
// shell as the oracle for what is in the database and for the CSV it writes.

#include <gtest/gtest.h>

#include <glib.h>

#include "tests/support/program.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using Tolvane::Testing::read_text;
using Tolvane::Testing::write_text;

using Ran = Tolvane::Testing::ProgramRun;

class TolvaneData : public ::testing::Test {
 protected:
  // Runs a program with standard input from /dev/null and the home folders
  // of this test.
  Ran program(std::vector<std::string> arguments) {
    Tolvane::Testing::ProgramSetup setup;
    for (const char* variable : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      setup.environment.emplace_back(variable, m_home.file(variable));
    }
    setup.unset = {"TOLVANE_KEY"};
    return Tolvane::Testing::run_program(std::move(arguments), setup);
  }

  Ran tolvane(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), TOLVANE_BINARY);
    return program(std::move(arguments));
  }

  // What the sqlite3 shell prints for `sql` (one row a line, '|' between cells).
  std::string sqlite(const std::string& db, const std::string& sql) {
    Ran ran = program({"sqlite3", db, sql});
    EXPECT_EQ(ran.exit_code, 0) << ran.err;
    return ran.out;
  }

  std::string database() {
    const std::string db = m_home.file("data.db");
    sqlite(db,
           "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT, price REAL, data BLOB, qty INTEGER);"
           "INSERT INTO items VALUES (1, 'O''Brien, \"the\" first', 1.5, x'00ff', 3),"
           " (2, NULL, 0.1, NULL, NULL), (3, '', 1e-7, x'', -9223372036854775808),"
           " (4, 'multi' || char(10) || 'line', 1.7976931348623157e308, x'68656c6c6f', 0),"
           " (5, 'x''||(SELECT 1)||''', 3.14159265358979, randomblob(40), 7);");
    return db;
  }

  Tolvane::Testing::TempDir m_home;
};

const char* kTyped = "SELECT id, quote(name), quote(price), typeof(price), quote(data), quote(qty) FROM items ORDER BY id";

TEST_F(TolvaneData, ExportWritesWhatTheShellWritesForPlainValues) {
  const std::string db = database();
  Ran ran = tolvane({"export", db, "--query", "SELECT id, name, qty FROM items WHERE id < 4 ORDER BY id"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  // The shell ends CSV lines with CRLF; tolvane with LF unless told otherwise.
  std::string shell = program({"sqlite3", "-csv", "-header", db,
                               "SELECT id, name, qty FROM items WHERE id < 4 ORDER BY id"}).out;
  for (std::size_t at = shell.find("\r\n"); at != std::string::npos; at = shell.find("\r\n", at)) {
    shell.erase(at, 1);
  }
  EXPECT_EQ(ran.out, shell);
  EXPECT_NE(ran.err.find("3 rows exported"), std::string::npos) << ran.err;
}

TEST_F(TolvaneData, ExportAndImportRoundTripEveryValue) {
  const std::string db = database();
  const std::string csv = m_home.file("items.csv");
  Ran exported = tolvane({"export", db, "items", "-o", csv});
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  EXPECT_EQ(exported.out, "");

  for (const char* mode : {"--fast", "--stop-on-error"}) {
    const std::string copy = m_home.file(std::string("copy") + mode + ".db");
    sqlite(copy, "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT, price REAL, data BLOB, qty INTEGER)");
    Ran imported = tolvane({"import", copy, "items", csv, mode});
    ASSERT_EQ(imported.exit_code, 0) << imported.err;
    EXPECT_NE(imported.err.find("5 rows read, 5 imported, 0 failed"), std::string::npos) << imported.err;
    EXPECT_EQ(sqlite(copy, kTyped), sqlite(db, kTyped)) << mode;
  }
}

TEST_F(TolvaneData, ExportFormatsAndOptions) {
  const std::string db = database();
  Ran tsv = tolvane({"export", db, "--query", "SELECT id, name FROM items WHERE id IN (1, 2)", "--format", "tsv",
                     "--no-header", "--null", "\\N"});
  ASSERT_EQ(tsv.exit_code, 0) << tsv.err;
  EXPECT_EQ(tsv.out, "1\t\"O'Brien, \"\"the\"\" first\"\n2\t\\N\n");
  Ran inserts = tolvane({"export", db, "items", "--format", "sql-insert"});
  ASSERT_EQ(inserts.exit_code, 0) << inserts.err;
  const std::string copy = m_home.file("copy.db");
  sqlite(copy, "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT, price REAL, data BLOB, qty INTEGER);" +
                   inserts.out);
  EXPECT_EQ(sqlite(copy, kTyped), sqlite(db, kTyped));

  Ran both = tolvane({"export", db, "items", "--query", "SELECT 1"});
  EXPECT_EQ(both.exit_code, 2);
  Ran missing = tolvane({"export", db, "nowhere"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("no such table"), std::string::npos) << missing.err;
}

TEST_F(TolvaneData, ExportLeavesTheOldFileWhenItFails) {
  const std::string db = database();
  const std::string out = m_home.file("out.csv");
  write_text(out, "earlier\n");
  // The fourth row overflows: the export fails after writing three rows.
  Ran failed = tolvane({"export", db, "--query",
                        "SELECT CASE WHEN id < 4 THEN id ELSE abs(-9223372036854775807 - 1) END FROM items ORDER BY id",
                        "-o", out});
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_NE(failed.err.find("unchanged"), std::string::npos) << failed.err;
  EXPECT_EQ(read_text(out), "earlier\n");
}

TEST_F(TolvaneData, ImportReportsFailedRecordsWithTheirLines) {
  const std::string db = m_home.file("strict.db");
  sqlite(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT NOT NULL, \"my col\" TEXT)");
  const std::string csv = m_home.file("t.csv");
  write_text(csv, "\xEF\xBB\xBFid,name,My Col,extra\r\n1,a,x,?\r\n2,,y,?\r\n3,\"c\r\nd\",z,?\r\n3,dup,w,?\r\n4\r\n5,e,v,?");
  Ran ran = tolvane({"import", db, "t", csv});
  EXPECT_EQ(ran.exit_code, 1);
  EXPECT_NE(ran.err.find("ignoring the file's column \"extra\""), std::string::npos) << ran.err;
  EXPECT_NE(ran.err.find("line 3: NOT NULL constraint failed: t.name"), std::string::npos) << ran.err;
  EXPECT_NE(ran.err.find("line 6: UNIQUE constraint failed: t.id"), std::string::npos) << ran.err;
  EXPECT_NE(ran.err.find("line 7: "), std::string::npos) << ran.err;
  EXPECT_NE(ran.err.find("6 rows read, 3 imported, 3 failed"), std::string::npos) << ran.err;
  EXPECT_EQ(sqlite(db, "SELECT id, name, \"my col\" FROM t ORDER BY id"), "1|a|x\n3|c\r\nd|z\n5|e|v\n");
}

TEST_F(TolvaneData, ImportCreatesTablesAndReadsOtherEncodings) {
  const std::string db = m_home.file("new.db");
  gsize length = 0;
  gchar* latin1 = g_convert("name,city\nJürgen,Köln\n", -1, "ISO-8859-1", "UTF-8", nullptr, &length, nullptr);
  write_text(m_home.file("latin1.csv"), std::string(latin1, length));
  g_free(latin1);
  Ran ran = tolvane({"import", db, "people", m_home.file("latin1.csv"), "--create", "--encoding", "ISO-8859-1"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_EQ(sqlite(db, "SELECT name, city FROM people"), "Jürgen|Köln\n");

  gchar* utf16 = g_convert("name,city\nJürgen,東京\n", -1, "UTF-16LE", "UTF-8", nullptr, &length, nullptr);
  write_text(m_home.file("utf16.csv"), std::string("\xFF\xFE") + std::string(utf16, length));
  g_free(utf16);
  Ran detected = tolvane({"import", db, "people", m_home.file("utf16.csv"), "--encoding", "auto"});
  ASSERT_EQ(detected.exit_code, 0) << detected.err;
  EXPECT_NE(detected.err.find("UTF-16LE"), std::string::npos) << detected.err;
  EXPECT_EQ(sqlite(db, "SELECT count(*) FROM people WHERE city = '東京'"), "1\n");

  Ran missing_table = tolvane({"import", db, "nowhere", m_home.file("latin1.csv"), "--encoding", "ISO-8859-1"});
  EXPECT_EQ(missing_table.exit_code, 1);
  EXPECT_NE(missing_table.err.find("--create"), std::string::npos) << missing_table.err;
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  write_text(m_home.file("image.csv"), std::string(reinterpret_cast<const char*>(png), sizeof png));
  Ran binary = tolvane({"import", db, "people", m_home.file("image.csv")});
  EXPECT_EQ(binary.exit_code, 5);
  EXPECT_NE(binary.err.find("not valid UTF-8"), std::string::npos) << binary.err;
}

TEST_F(TolvaneData, ImportUpdatesOnlyByKey) {
  const std::string db = database();
  write_text(m_home.file("names.csv"), "name\nreplaced\n");
  Ran keyless = tolvane({"import", db, "items", m_home.file("names.csv"), "--action", "update"});
  EXPECT_EQ(keyless.exit_code, 1);
  EXPECT_NE(keyless.err.find("no key column"), std::string::npos) << keyless.err;
  EXPECT_EQ(sqlite(db, "SELECT count(*) FROM items WHERE name = 'replaced'"), "0\n");

  write_text(m_home.file("keyed.csv"), "id,name\n2,two\n9,nine\n");
  Ran merged = tolvane({"import", db, "items", m_home.file("keyed.csv"), "--action", "merge", "--fast"});
  ASSERT_EQ(merged.exit_code, 0) << merged.err;
  EXPECT_EQ(sqlite(db, "SELECT id, name FROM items WHERE id IN (2, 9) ORDER BY id"), "2|two\n9|nine\n");
}

}  // namespace
