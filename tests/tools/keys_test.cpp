// Encrypted databases from the command line: keys of any characters, files
// made by the SQLCipher program, rekey, and keys kept out of the logs.

#include <gtest/gtest.h>

#include <glib.h>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {

namespace {

class Keys : public TolvaneCli {
 protected:
  // Every log file the command wrote, run together.
  std::string logs() {
    std::string all;
    const std::string folder = file("state/tolvane/logs");
    if (GDir* dir = g_dir_open(folder.c_str(), 0, nullptr)) {
      while (const char* name = g_dir_read_name(dir)) {
        all += read_text(folder + "/" + name);
      }
      g_dir_close(dir);
    }
    return all;
  }
};

}  // namespace

TEST_F(Keys, AKeyMayHoldAnyCharacter) {
  const std::string db = file("k.db");
  const std::string key = "a b;c=d,e\"f'g";
  Ran made = tolvane({"script", db, "--create", "--key", key}, "CREATE TABLE s(v); INSERT INTO s VALUES ('x');");
  ASSERT_EQ(made.exit_code, 0) << made.err;
  Ran read = tolvane({"query", db, "SELECT v FROM s", "--tsv", "--no-headers"}, "", {{"TOLVANE_KEY", key}});
  EXPECT_EQ(read.out, "x\n") << read.err;
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM s", "--key", "a b"}).exit_code, 3);
  EXPECT_EQ(logs().find(key), std::string::npos);
}

TEST_F(Keys, ASavedProfileKeepsAKeyOfAnyCharacter) {
  const std::string db = file("p.db");
  const std::string key = "a b;c=d,e\"f'g";
  ASSERT_EQ(tolvane({"script", db, "--create", "--key", key}, "CREATE TABLE s(v); INSERT INTO s VALUES ('y');").exit_code,
            0);
  Ran added = tolvane({"profile", "add", "vault", db, "--key", key});
  ASSERT_EQ(added.exit_code, 0) << added.err;
  Ran read = tolvane({"query", "vault", "SELECT v FROM s", "--tsv", "--no-headers"});
  EXPECT_EQ(read.out, "y\n") << read.err;
  EXPECT_EQ(read_text(file("config/tolvane/servers.json")).find("e\\\"f"), std::string::npos);
}

TEST_F(Keys, FilesOfTheSqlcipherProgramOpenWithTheirCipherAndTheirParameters) {
  const std::string db = file("sc.db");
  Ran made =
      run_program("sqlcipher", {db},
                  "PRAGMA key='s3cret';\nCREATE TABLE t(v);\nINSERT INTO t VALUES ('from sqlcipher');\n", {}, m_home);
  ASSERT_EQ(made.exit_code, 0) << made.err;
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM t", "--key", "s3cret"}).exit_code, 3) << "not the default scheme";
  Ran opened = tolvane({"query", db, "SELECT v FROM t", "--key", "s3cret", "--cipher", "sqlcipher", "--legacy", "3",
                        "--tsv", "--no-headers"});
  EXPECT_EQ(opened.exit_code, 0) << opened.err;
  EXPECT_EQ(opened.out, "from sqlcipher\n");
  Ran uri = tolvane({"query", "file:" + db + "?cipher=sqlcipher&legacy=3", "SELECT v FROM t", "--key", "s3cret",
                     "--tsv", "--no-headers"});
  EXPECT_EQ(uri.out, "from sqlcipher\n") << uri.err;
  Ran parameter = tolvane({"query", db, "SELECT v FROM t", "--key", "s3cret", "--cipher", "sqlcipher", "--cipher-param",
                           "legacy=3", "--tsv", "--no-headers"});
  EXPECT_EQ(parameter.out, "from sqlcipher\n") << parameter.err;
  EXPECT_NE(tolvane({"query", db, "SELECT 1", "--cipher", "sqlcipher", "--cipher-param", "nonsense=1"}).exit_code, 0);

  // A file the command makes in that scheme opens in the SQLCipher program.
  const std::string ours = file("ours.db");
  ASSERT_EQ(tolvane({"script", ours, "--create", "--key", "k", "--cipher", "sqlcipher", "--legacy", "3"},
                    "CREATE TABLE t(v); INSERT INTO t VALUES ('from tolvane');")
                .exit_code,
            0);
  Ran theirs = run_program("sqlcipher", {ours}, "PRAGMA key='k';\nSELECT v FROM t;\n", {}, m_home);
  EXPECT_EQ(theirs.out, "from tolvane\n") << theirs.err;
}

TEST_F(Keys, RekeySetsChangesAndRemovesTheKeyWithoutLoggingIt) {
  const std::string db = make_database("r.db", "CREATE TABLE t(v); INSERT INTO t VALUES (1);");
  Ran set = tolvane({"rekey", db}, "", {{"TOLVANE_NEW_KEY", "first key"}});
  ASSERT_EQ(set.exit_code, 0) << set.err;
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM t"}).exit_code, 3);
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM t", "--key", "first key"}).exit_code, 0);

  Ran changed = tolvane({"rekey", db, "--key", "first key"}, "", {{"TOLVANE_NEW_KEY", "second"}});
  ASSERT_EQ(changed.exit_code, 0) << changed.err;
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM t", "--key", "first key"}).exit_code, 3);
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM t", "--key", "second"}).exit_code, 0);

  Ran removed = tolvane({"rekey", db, "--key", "second", "--remove"});
  ASSERT_EQ(removed.exit_code, 0) << removed.err;
  EXPECT_EQ(sqlite3(db, "SELECT v FROM t;").out, "1\n") << "a plain file again";

  EXPECT_EQ(tolvane({"rekey", db}, "", {{"TOLVANE_NEW_KEY", ""}}).exit_code, 2);
  Ran no_terminal = tolvane({"rekey", db});
  EXPECT_EQ(no_terminal.exit_code, 2);
  EXPECT_NE(no_terminal.err.find("set TOLVANE_NEW_KEY"), std::string::npos) << no_terminal.err;

  Ran pragma = tolvane({"script", db}, "PRAGMA rekey = 'third';");
  EXPECT_EQ(pragma.exit_code, 0) << pragma.err;
  const std::string logged = logs();
  for (const char* secret : {"first key", "second", "third"}) {
    EXPECT_EQ(logged.find(secret), std::string::npos) << secret << " in the logs";
  }
}

TEST_F(Keys, ParametersBindByNameOrPositionWithTheirType) {
  const std::string db =
      make_database("p.db", "CREATE TABLE t(id INTEGER, code TEXT); INSERT INTO t VALUES (7, '007');");
  Ran named = tolvane({"query", db, "SELECT code, typeof(:id), typeof(:z), :z FROM t WHERE id = :id", "-p", "id", "7",
                       "-p", "z", "007", "--tsv", "--no-headers"});
  EXPECT_EQ(named.out, "007\tinteger\ttext\t007\n") << named.err;
  Ran positional =
      tolvane({"query", db, "SELECT ?1 + 0.5, ?2", "-p", "1", "1.5", "-p", "2", "a b", "--tsv", "--no-headers"});
  EXPECT_EQ(positional.out, "2.0\ta b\n") << positional.err;
  Ran forgotten = tolvane({"query", db, "SELECT :id"});
  EXPECT_EQ(forgotten.exit_code, 1) << "a forgotten parameter is an error, not NULL";
  EXPECT_NE(forgotten.err.find(":id"), std::string::npos) << forgotten.err;
  Ran changed = tolvane({"query", db, "UPDATE t SET code = :c", "-p", "c", "x"});
  EXPECT_EQ(changed.exit_code, 0) << changed.err;
  EXPECT_NE(changed.err.find("1 row changed"), std::string::npos) << changed.err;
}

TEST_F(Keys, UriFileNamesCarryTheirOwnOptions) {
  const std::string db = make_database("u.db", "CREATE TABLE t(v); INSERT INTO t VALUES (1);");
  Ran read = tolvane({"query", "file:" + db + "?mode=ro", "SELECT v FROM t", "--tsv", "--no-headers"});
  EXPECT_EQ(read.out, "1\n") << read.err;
  Ran write = tolvane({"script", "file:" + db + "?mode=ro"}, "INSERT INTO t VALUES (2);");
  EXPECT_EQ(write.exit_code, 1);
  EXPECT_NE(write.err.find("readonly database (code 8)"), std::string::npos) << write.err;
  EXPECT_EQ(tolvane({"query", "file:" + file("missing.db") + "?mode=ro", "SELECT 1"}).exit_code, 3);
}

}  // namespace Tolvane::Testing
