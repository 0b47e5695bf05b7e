// The tolvane command, run as its users run it: arguments in, text and an exit
// code out, with its own folders under a temporary home.

#include <gtest/gtest.h>

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/tools/cli_fixture.hpp"

namespace {

using Tolvane::Testing::Ran;
using Tolvane::Testing::TolvaneCli;

TEST_F(TolvaneCli, QueryPrintsAnAlignedTableAndCountsOnStandardError) {
  const std::string db = database();
  Ran run = tolvane({"query", db, "SELECT id, name, price, data FROM t ORDER BY id"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "id  name       price  data\n"
            "--  ---------  -----  -------\n"
            " 1  O'Brien      1.5  x'00FF'\n"
            " 2  NULL         0.1  NULL\n"
            " 3  tab\\there    2.0  x\n");
  EXPECT_NE(run.err.find("3 rows in "), std::string::npos) << run.err;
}

TEST_F(TolvaneCli, MachineFormatsKeepEveryValue) {
  const std::string db = database();
  Ran tsv = tolvane({"query", db, "SELECT name, price, data FROM t ORDER BY id", "--format", "tsv"});
  ASSERT_EQ(tsv.exit_code, 0) << tsv.err;
  EXPECT_EQ(tsv.out, "name\tprice\tdata\nO'Brien\t1.5\t\\\\x00FF\n\\N\t0.1\t\\N\ntab\\there\t2.0\tx\n");
  Ran json = tolvane({"query", db, "SELECT id, name, data, 1 AS id FROM t WHERE id < 3 ORDER BY id", "--format",
                      "json-lines"});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  EXPECT_EQ(json.out, "{\"id\":1,\"name\":\"O'Brien\",\"data\":\"AP8=\",\"id:2\":1}\n"
                      "{\"id\":2,\"name\":null,\"data\":null,\"id:2\":1}\n");
}

TEST_F(TolvaneCli, FailuresGiveOneLineAndTheirExitCode) {
  const std::string db = database();
  Ran missing = tolvane({"query", file("nowhere.db"), "SELECT 1"});
  EXPECT_EQ(missing.exit_code, 3);
  EXPECT_NE(missing.err.find("no database file at"), std::string::npos) << missing.err;
  EXPECT_FALSE(g_file_test(file("nowhere.db").c_str(), G_FILE_TEST_EXISTS)) << "no empty database made";

  Ran syntax = tolvane({"query", db, "SELEC 1"});
  EXPECT_EQ(syntax.exit_code, 1);
  EXPECT_NE(syntax.err.find("syntax error"), std::string::npos) << syntax.err;
  EXPECT_NE(syntax.err.find("(code 1)"), std::string::npos) << syntax.err;

  Tolvane::Testing::write_text(file("text.db"), "this is not a database, only text\n");
  Ran not_a_database = tolvane({"query", file("text.db"), "SELECT 1"});
  EXPECT_EQ(not_a_database.exit_code, 3);
  EXPECT_NE(not_a_database.err.find("(code 26)"), std::string::npos) << not_a_database.err;

  EXPECT_EQ(tolvane({"query", db}).exit_code, 2);
  EXPECT_EQ(tolvane({"nonsense"}).exit_code, 2);
}

TEST_F(TolvaneCli, EncryptedDatabasesNeedTheirKey) {
  const std::string db = file("secret.db");
  ASSERT_EQ(tolvane({"script", db, "--create", "--key", "k3y"}, "CREATE TABLE s(v); INSERT INTO s VALUES ('x');")
                .exit_code,
            0);
  EXPECT_EQ(tolvane({"query", db, "SELECT v FROM s"}).exit_code, 3);
  Ran keyed = tolvane({"query", db, "SELECT v FROM s", "--format", "tsv"}, "", {{"TOLVANE_KEY", "k3y"}});
  EXPECT_EQ(keyed.exit_code, 0) << keyed.err;
  EXPECT_EQ(keyed.out, "v\nx\n");
  EXPECT_EQ(tolvane({"query", db, "SELECT 1", "--key", "a;b"}).exit_code, 3) << "a wrong key, not a refused one";
}

TEST_F(TolvaneCli, ProfilesAreSavedPrivatelyAndNeverShowSecrets) {
  const std::string db = database();
  Ran added = tolvane({"profile", "add", "shop", db, "--key", "s3cret", "--group", "work"});
  ASSERT_EQ(added.exit_code, 0) << added.err;
  Ran shown = tolvane({"profile", "show", "shop"});
  EXPECT_EQ(shown.exit_code, 0);
  EXPECT_EQ(shown.out.find("s3cret"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("PASSWORD=(set)"), std::string::npos) << shown.out;
  EXPECT_NE(tolvane({"profile", "list"}).out.find("work/shop\t"), std::string::npos);

  GStatBuf info;
  ASSERT_EQ(g_stat(file("config/tolvane/servers.json").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600);

  EXPECT_EQ(tolvane({"profile", "add", "shop", db}).exit_code, 4) << "titles are unique";
  EXPECT_EQ(tolvane({"profile", "show", "nobody"}).exit_code, 4);
  EXPECT_EQ(tolvane({"profile", "remove", "shop"}).exit_code, 0);
  EXPECT_NE(tolvane({"profile", "list"}).out.find("no saved profiles"), std::string::npos);
}

TEST_F(TolvaneCli, ASavedProfileOpensByTitle) {
  const std::string db = database();
  ASSERT_EQ(tolvane({"profile", "add", "mine", db}).exit_code, 0);
  Ran run = tolvane({"query", "mine", "SELECT count(*) AS n FROM t", "--format", "tsv"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "n\n3\n");
}

TEST_F(TolvaneCli, FormatLaysOutAndMinifiesSql) {
  Ran pretty = tolvane({"format"}, "select a, b from t where x = 1 and y = 2\n");
  EXPECT_EQ(pretty.exit_code, 0);
  EXPECT_EQ(pretty.out, "SELECT a,\n         b\nFROM t\nWHERE x = 1\n        AND y = 2\n");
  Ran small = tolvane({"format", "--minify"}, "SELECT  a ,\n b FROM t ( x )");
  EXPECT_EQ(small.out, "SELECT a , b FROM t( x)\n");
  Tolvane::Testing::write_text(file("q.sql"), "select a from t");
  Ran from_file = tolvane({"format", file("q.sql")});
  EXPECT_EQ(from_file.exit_code, 0) << from_file.err;
  EXPECT_EQ(from_file.out, "SELECT a\nFROM t\n");
}

TEST_F(TolvaneCli, DemoBuildsItsDatabaseAndTours) {
  Ran run = tolvane({"demo", "--dir", file("demo")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(g_file_test(file("demo/demo.db").c_str(), G_FILE_TEST_EXISTS));
  EXPECT_NE(run.out.find("file is not a database (code 26)"), std::string::npos);
  EXPECT_NE(run.out.find("opened with the key: only with the key"), std::string::npos);
  Ran count = tolvane({"query", file("demo/demo.db"), "SELECT count(*) FROM orders", "--format", "tsv"});
  EXPECT_EQ(count.out, "count(*)\n2000\n");
}

}  // namespace
