// How a database argument becomes an opened database: keys from the command
// line, the environment or a profile, busy timeouts, read-only opening, the
// profile file and the main options, as users type them.

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {

namespace {

class Opening : public TolvaneCli {
 protected:
  std::string plain() { return make_database("plain.db", "CREATE TABLE a(x); INSERT INTO a VALUES (1);"); }
  std::string keyed(const std::string& key) {
    const std::string path = file("keyed.db");
    Ran made = tolvane({"script", path, "--create", "--key", key}, "CREATE TABLE s(v); INSERT INTO s VALUES ('x');");
    EXPECT_EQ(made.exit_code, 0) << made.err;
    return path;
  }
};

}  // namespace

TEST_F(Opening, AnExportedKeyNeverBreaksPlainDatabases) {
  const std::string db = plain();
  const Environment key{{"TOLVANE_KEY", "s3cret"}};
  Ran refused = tolvane({"query", db, "SELECT x FROM a"}, "", key);
  EXPECT_EQ(refused.exit_code, 3);
  EXPECT_NE(refused.err.find("file is not a database (code 26): wrong or missing key, or not a database (the key "
                             "came from TOLVANE_KEY; --no-key ignores it)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(tolvane({"query", db, "SELECT x FROM a", "--no-key"}, "", key).exit_code, 0);
  EXPECT_EQ(tolvane({"query", db, "SELECT x FROM a", "--key", ""}, "", key).exit_code, 0);
  ASSERT_EQ(tolvane({"profile", "add", "plain", db}).exit_code, 0);
  Ran profile = tolvane({"query", "plain", "SELECT x FROM a", "--tsv"}, "", key);
  EXPECT_EQ(profile.exit_code, 0) << "a saved profile carries its own key (none): " << profile.err;
  EXPECT_EQ(profile.out, "x\n1\n");
}

TEST_F(Opening, AMissingOrWrongKeySaysTheFileMayBeEncrypted) {
  const std::string db = keyed("right");
  for (const std::vector<std::string>& key : {std::vector<std::string>{}, {"--key", "wrong"}}) {
    std::vector<std::string> arguments{"query", db, "SELECT v FROM s"};
    arguments.insert(arguments.end(), key.begin(), key.end());
    Ran run = tolvane(arguments);
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_NE(run.err.find("cannot open " + db +
                           ": file is not a database (code 26): wrong or missing key, or not "
                           "a database\n"),
              std::string::npos)
        << run.err;
  }
  Ran right = tolvane({"query", db, "SELECT v FROM s", "--tsv", "--no-headers"}, "", {{"TOLVANE_KEY", "right"}});
  EXPECT_EQ(right.out, "x\n") << right.err;
}

TEST_F(Opening, ALockedDatabaseIsWaitedForUpToTheTimeout) {
  const std::string db = plain();
  // Another connection holds the database exclusively for a second.
  const std::string holder = "(echo 'BEGIN EXCLUSIVE;'; sleep 1.5; echo 'COMMIT;') | sqlite3 " + db + " & sleep 0.3; ";
  Ran waited = run_program(
      "bash", {"-c", holder + TOLVANE_BINARY + " query " + db + " 'SELECT x FROM a'; code=$?; wait; exit $code"}, "",
      {}, m_home);
  EXPECT_EQ(waited.exit_code, 0) << "the default timeout is 5 s: " << waited.err;
  Ran impatient = run_program(
      "bash",
      {"-c", holder + TOLVANE_BINARY + " query " + db + " 'SELECT x FROM a' --timeout 100; code=$?; wait; exit $code"},
      "", {}, m_home);
  EXPECT_NE(impatient.exit_code, 0);
  EXPECT_NE(impatient.err.find("database is locked (code 5)"), std::string::npos) << impatient.err;
}

TEST_F(Opening, ADatabaseWithUsersOpensOnlyWithAUserAndPassword) {
  const std::string db = file("users.db");
  Ran made = tolvane({"script", db, "--create"},
                     "PRAGMA writable_schema = ON;\n"
                     "CREATE TABLE sqlite_user(uname TEXT PRIMARY KEY, isAdmin BOOLEAN, pw BLOB) WITHOUT ROWID;\n"
                     "PRAGMA writable_schema = OFF;\n"
                     "INSERT INTO sqlite_user VALUES ('alice', 1, sqlite_crypt('s3cret', NULL));\n"
                     "CREATE TABLE data(x); INSERT INTO data VALUES (7);\n");
  ASSERT_EQ(made.exit_code, 0) << made.err;
  const std::vector<std::string> query{"query", db, "SELECT x FROM data", "--tsv", "--no-headers"};
  auto with = [&query](std::vector<std::string> more) {
    more.insert(more.begin(), query.begin(), query.end());
    return more;
  };
  EXPECT_NE(tolvane(query).exit_code, 0) << "no login, no rows";
  EXPECT_EQ(tolvane(with({"--user", "alice", "--password", "s3cret"})).out, "7\n");
  EXPECT_EQ(tolvane(with({"--user", "alice"}), "", {{"TOLVANE_PASSWORD", "s3cret"}}).out, "7\n");
  Ran wrong = tolvane(with({"--user", "alice", "--password", "guess"}));
  EXPECT_EQ(wrong.exit_code, 3);
  EXPECT_NE(wrong.err.find("(code 23)"), std::string::npos) << wrong.err;
  EXPECT_EQ(tolvane(with({"--user", "bob", "--password", "s3cret"})).exit_code, 3);
}

TEST_F(Opening, ReadOnlyOpeningRefusesWrites) {
  const std::string db = plain();
  Ran run = tolvane({"script", db, "--readonly"}, "SELECT x FROM a; INSERT INTO a VALUES (2);");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("readonly database (code 8)"), std::string::npos) << run.err;
  EXPECT_EQ(sqlite3(db, "SELECT count(*) FROM a;").out, "1\n");
}

TEST_F(Opening, TheMainOptionsChooseTheLogFolderTheProfileFileAndVerbosity) {
  const std::string db = plain();
  Ran logged = tolvane({"--log-dir", file("mylogs"), "query", db, "SELECT 1"});
  EXPECT_EQ(logged.exit_code, 0) << logged.err;
  GDir* folder = g_dir_open(file("mylogs").c_str(), 0, nullptr);
  ASSERT_NE(folder, nullptr);
  std::string names;
  while (const char* name = g_dir_read_name(folder)) {
    names += std::string(name) + " ";
  }
  g_dir_close(folder);
  EXPECT_NE(names.find(".log"), std::string::npos) << names;

  write_text(file("broken.json"), "{ this is not json");
  Ran broken = tolvane({"--profiles", file("broken.json"), "query", "someprofile", "SELECT 1"});
  EXPECT_EQ(broken.exit_code, 4);
  EXPECT_NE(broken.err.find("cannot read profile file " + file("broken.json")), std::string::npos) << broken.err;
  EXPECT_EQ(tolvane({"--profiles", file("broken.json"), "query", db, "SELECT 1"}).exit_code, 0)
      << "a path needs no profile file";

  ASSERT_EQ(
      tolvane({"--profiles", file("mine.json"), "profile", "add", "p", db, "--group", "g", "--org", "o"}).exit_code, 0);
  EXPECT_NE(read_text(file("mine.json")).find("\"o\""), std::string::npos);
  EXPECT_EQ(tolvane({"--profiles", file("mine.json"), "query", "p", "SELECT 1"}).exit_code, 0);

  Ran quiet = tolvane({"script", db}, "SELECT 1;");
  EXPECT_EQ(quiet.err.find("Prepare: SELECT 1;"), std::string::npos) << quiet.err;
  Ran verbose = tolvane({"-v", "script", db}, "SELECT 1;");
  EXPECT_NE(verbose.err.find("Prepare: SELECT 1;"), std::string::npos) << verbose.err;
}

TEST_F(Opening, ACommandLeavesNoConnectionLogBehind) {
  const std::string db = plain();
  g_mkdir_with_parents(file("tmp").c_str(), 0700);
  Ran ran = tolvane({"query", db, "SELECT 1"}, "", {{"TMPDIR", file("tmp")}});
  EXPECT_EQ(ran.exit_code, 0) << ran.err;
  Ran script = tolvane({"script", db}, "SELECT 1; SELECT 2;", {{"TMPDIR", file("tmp")}});
  EXPECT_EQ(script.exit_code, 0) << script.err;
  GDir* folder = g_dir_open(file("tmp").c_str(), 0, nullptr);
  ASSERT_NE(folder, nullptr);
  std::string left;
  while (const char* name = g_dir_read_name(folder)) {
    left += std::string(name) + " ";
  }
  g_dir_close(folder);
  EXPECT_EQ(left, "");
}

TEST_F(Opening, TheCommandLineIsExplainedAndTyposAreCaught) {
  Ran help = tolvane({"help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("query"), std::string::npos);
  Ran query_help = tolvane({"help", "query"});
  EXPECT_EQ(query_help.exit_code, 0) << query_help.err;
  EXPECT_NE(query_help.out.find("--param"), std::string::npos) << query_help.out;
  Ran typo = tolvane({"qurey", "x.db", "SELECT 1"});
  EXPECT_EQ(typo.exit_code, 2);
  EXPECT_NE(typo.err.find("unknown command \"qurey\"; did you mean \"query\"?"), std::string::npos) << typo.err;
  Ran prefix = tolvane({"--log-dir", file("l"), "scr", "x.db"});
  EXPECT_NE(prefix.err.find("did you mean \"script\"?"), std::string::npos) << prefix.err;
  EXPECT_EQ(tolvane({"help", "nothing"}).exit_code, 2);
  Ran version = tolvane({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_TRUE(version.out.starts_with("tolvane ")) << version.out;
  Ran options = tolvane({"script", "--help"});
  EXPECT_EQ(options.exit_code, 0);
  EXPECT_NE(options.out.find("--transaction"), std::string::npos) << options.out;
  Ran none = tolvane({});
  EXPECT_EQ(none.exit_code, 2);
  EXPECT_NE(none.err.find("a command is required"), std::string::npos);
}

TEST_F(Opening, QueryRunsExactlyOneStatementFromTheArgumentOrStandardInput) {
  const std::string db = plain();
  Ran two = tolvane({"query", db, "SELECT 1;\n DELETE FROM a"});
  EXPECT_EQ(two.exit_code, 2);
  EXPECT_NE(two.err.find("the text holds 2 statements (the second starts on line 2); query runs one: use `tolvane "
                         "script` for several"),
            std::string::npos)
      << two.err;
  EXPECT_EQ(sqlite3(db, "SELECT count(*) FROM a;").out, "1\n") << "nothing ran";
  Ran piped = tolvane({"query", db, "--csv"}, "SELECT x FROM a;\n");
  EXPECT_EQ(piped.out, "x\r\n1\r\n") << piped.err;
  EXPECT_EQ(tolvane({"query", db}, "-- nothing\n").exit_code, 2);
}

TEST_F(Opening, TheDemoKeepsFilesItDidNotMake) {
  const std::string folder = file("demo");
  g_mkdir_with_parents(folder.c_str(), 0700);
  write_text(folder + "/demo.db", "my own notes");
  Ran refused = tolvane({"demo", "--dir", folder});
  EXPECT_EQ(refused.exit_code, 5);
  EXPECT_NE(refused.err.find("demo.db exists and was not made by the demo; use --force"), std::string::npos)
      << refused.err;
  EXPECT_EQ(read_text(folder + "/demo.db"), "my own notes");
  EXPECT_EQ(tolvane({"demo", "--dir", folder, "--force"}).exit_code, 0);
  EXPECT_EQ(tolvane({"demo", "--dir", folder}).exit_code, 0) << "its own files it replaces";

  write_text(file("afile"), "");
  EXPECT_EQ(tolvane({"demo", "--dir", file("afile") + "/sub"}).exit_code, 5) << "a folder that cannot be made";
}

}  // namespace Tolvane::Testing
