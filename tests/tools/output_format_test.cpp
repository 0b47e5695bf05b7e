// Every output format of the command, read back by a real reader of that
// format: json-glib for JSON, the sqlite3 shell for CSV and SQL, xmllint for
// HTML. The values sit at the edges: signed zeros, subnormals, the largest
// and smallest doubles, infinities, 64-bit integers, texts with every
// character a format must escape, blobs.

#include <gtest/gtest.h>

#include <glib.h>
#include <json-glib/json-glib.h>
#include <sys/resource.h>

#include <cmath>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {

namespace {

// Texts that each format has to escape in its own way, one row each (rowid 1 to 11).
const char* const kAwkwardRows =
    "('plain'), ('comma,inside'), ('quote\"inside'), ('line' || char(10) || 'feed'), "
    "('carriage' || char(13) || 'return'), ('tab' || char(9) || 'here'), ('back\\slash'), ('pipe|and*star_'), "
    "('<b>&amp;</b>'), (''), ('Zoë 山田')";

const char* const kEdgeNumbers =
    "SELECT 0.0 AS zero, -0.0 AS minus_zero, 4.9406564584124654e-324 AS subnormal, 1e308 AS big, 1e-300 AS small, "
    "15.86 AS noisy, 266.91 AS noisy2, 1.0 AS one, 1e999 AS inf, -1e999 AS minus_inf, "
    "9223372036854775807 AS max_int, -9223372036854775808 AS min_int, NULL AS empty, x'00ff10' AS blob";

class OutputFormats : public TolvaneCli {
 protected:
  std::string texts_database() {
    return make_database("texts.db", std::string("CREATE TABLE t(v TEXT); INSERT INTO t VALUES ") + kAwkwardRows + ";");
  }
};

}  // namespace

TEST_F(OutputFormats, RealsAlwaysReadBackAsTheSameRealAndIntegersKeepEveryDigit) {
  const std::string db = make_database("n.db", "CREATE TABLE x(a);");
  Ran tsv = tolvane({"query", db, kEdgeNumbers, "--tsv"});
  ASSERT_EQ(tsv.exit_code, 0) << tsv.err;
  EXPECT_EQ(
      tsv.out,
      "zero\tminus_zero\tsubnormal\tbig\tsmall\tnoisy\tnoisy2\tone\tinf\tminus_inf\tmax_int\tmin_int\tempty\tblob\n"
      "0.0\t-0.0\t5e-324\t1e+308\t1e-300\t15.86\t266.91\t1.0\tInf\t-Inf\t9223372036854775807\t"
      "-9223372036854775808\t\\N\t\\\\x00FF10\n");
  Ran table = tolvane({"query", db, "SELECT 266.91 AS v, 2.0 AS w"});
  EXPECT_EQ(table.out, "v       w\n------  ---\n266.91  2.0\n");
}

TEST_F(OutputFormats, JsonAndJsonLinesAreValidJsonWithExactValues) {
  const std::string db = make_database("n.db", "CREATE TABLE x(a);");
  for (const char* format : {"json", "jsonl"}) {
    SCOPED_TRACE(format);
    Ran run = tolvane({"query", db, kEdgeNumbers, "--format", format});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    std::string document = run.out;
    if (std::string(format) == "jsonl") {
      EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
      document = "[" + run.out + "]";
    }
    JsonParser* parser = json_parser_new();
    GError* error = nullptr;
    ASSERT_TRUE(json_parser_load_from_data(parser, document.c_str(), -1, &error))
        << (error != nullptr ? error->message : "") << "\n"
        << run.out;
    JsonObject* row = json_array_get_object_element(json_node_get_array(json_parser_get_root(parser)), 0);
    auto real = [row](const char* name) { return json_object_get_double_member(row, name); };
    EXPECT_TRUE(std::signbit(real("minus_zero")));
    EXPECT_EQ(real("subnormal"), 4.9406564584124654e-324);
    EXPECT_EQ(real("big"), 1e308);
    EXPECT_EQ(real("small"), 1e-300);
    EXPECT_EQ(real("noisy"), 15.86);
    EXPECT_EQ(real("inf"), HUGE_VAL);
    EXPECT_EQ(real("minus_inf"), -HUGE_VAL);
    EXPECT_EQ(json_node_get_value_type(json_object_get_member(row, "one")), G_TYPE_DOUBLE) << "1.0 stays a real";
    EXPECT_EQ(json_object_get_int_member(row, "max_int"), INT64_MAX);
    EXPECT_EQ(json_object_get_int_member(row, "min_int"), INT64_MIN);
    EXPECT_TRUE(json_object_get_null_member(row, "empty"));
    EXPECT_STREQ(json_object_get_string_member(row, "blob"), "AP8Q");
    g_object_unref(parser);
  }
}

TEST_F(OutputFormats, JsonEscapesEveryTextAndNamesRepeatedColumns) {
  const std::string db = texts_database();
  Ran run = tolvane({"query", db, "SELECT v, v FROM t UNION ALL SELECT char(1) || char(0x7f), x'ff'", "--json"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  JsonParser* parser = json_parser_new();
  GError* error = nullptr;
  ASSERT_TRUE(json_parser_load_from_data(parser, run.out.c_str(), -1, &error)) << run.out;
  JsonArray* rows = json_node_get_array(json_parser_get_root(parser));
  std::vector<std::string> texts;
  for (guint i = 0; i < json_array_get_length(rows); ++i) {
    texts.emplace_back(json_object_get_string_member(json_array_get_object_element(rows, i), "v"));
    EXPECT_TRUE(json_object_has_member(json_array_get_object_element(rows, i), "v:2"));
  }
  ASSERT_EQ(texts.size(), 12u);
  EXPECT_EQ(texts[3], "line\nfeed");
  EXPECT_EQ(texts[4], "carriage\rreturn");
  EXPECT_EQ(texts[2], "quote\"inside");
  EXPECT_EQ(texts[6], "back\\slash");
  EXPECT_EQ(texts[10], "Zoë 山田");
  EXPECT_EQ(texts[11], "\x01\x7f");
  g_object_unref(parser);
  Ran empty = tolvane({"query", db, "SELECT v FROM t WHERE 0", "--json"});
  EXPECT_EQ(empty.exit_code, 0) << empty.err;
}

TEST_F(OutputFormats, CsvFollowsRfc4180AndTheSqliteShellReadsItBack) {
  const std::string db = texts_database();
  Ran run = tolvane({"query", db, "SELECT rowid AS id, v, NULL AS n FROM t ORDER BY rowid", "--csv"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("id,v,n\r\n1,plain,\r\n2,\"comma,inside\",\r\n")) << run.out;
  EXPECT_NE(run.out.find("3,\"quote\"\"inside\","), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("10,\"\",\r\n"), std::string::npos) << "an empty text is not NULL";
  write_text(file("out.csv"), run.out);
  Ran back = sqlite3(db, ".import --csv " + file("out.csv") +
                             " back\n"
                             "SELECT count(*) FROM t JOIN back ON back.id = t.rowid AND back.v = t.v;");
  EXPECT_EQ(back.out, "11\n") << back.err;
  Ran bare = tolvane({"query", db, "SELECT v FROM t WHERE rowid = 1", "--csv", "--no-headers", "--null", "-"});
  EXPECT_EQ(bare.out, "plain\r\n");
}

TEST_F(OutputFormats, TsvAndTheTableEscapeLineBreaksTabsAndBackslashes) {
  const std::string db = texts_database();
  Ran tsv = tolvane({"query", db, "SELECT v FROM t WHERE rowid IN (4, 5, 6, 7)", "--tsv", "--no-headers"});
  EXPECT_EQ(tsv.out, "line\\nfeed\ncarriage\\rreturn\ntab\\there\nback\\\\slash\n");
  Ran table = tolvane({"query", db, "SELECT v FROM t WHERE rowid IN (4, 5, 6)", "-t", "--no-headers"});
  EXPECT_EQ(table.out, "line\\nfeed\ncarriage\\rreturn\ntab\\there\n");
  Ran nulls = tolvane({"query", db, "SELECT NULL AS a, 'NULL' AS b", "--null", "(null)"});
  EXPECT_EQ(nulls.out, "a       b\n------  ----\n(null)  NULL\n");
}

TEST_F(OutputFormats, InsertStatementsRebuildTheSameValuesInSqlite) {
  const std::string db = make_database(
      "v.db", std::string("CREATE TABLE \"odd table\"(v); INSERT INTO \"odd table\" VALUES ") + kAwkwardRows +
                  ", (-0.0), (4.9406564584124654e-324), (1e308), (1e999), (9223372036854775807), (x'00ff'), (NULL);");
  Ran run = tolvane({"query", db, "SELECT v FROM \"odd table\"", "--format", "insert", "--table", "odd table"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("INSERT INTO \"odd table\"(v) VALUES('quote\"inside');"), std::string::npos) << run.out;
  Ran copy = sqlite3(file("copy.db"), "CREATE TABLE \"odd table\"(v);\n" + run.out);
  ASSERT_EQ(copy.exit_code, 0) << copy.err;
  const std::string dump = "SELECT quote(v), typeof(v) FROM \"odd table\" ORDER BY rowid;";
  EXPECT_EQ(sqlite3(file("copy.db"), dump).out, sqlite3(db, dump).out);
  Ran plain = tolvane({"query", db, "SELECT 1 AS a", "--format", "insert", "--no-headers"});
  EXPECT_EQ(plain.out, "INSERT INTO \"table\" VALUES(1);\n");
  Ran named = tolvane({"query", db, "SELECT 1 AS a", "--table", "items"});
  EXPECT_EQ(named.out, "INSERT INTO items(a) VALUES(1);\n") << "a table name picks the insert format";
  Ran flag = tolvane({"query", "-t", db, "SELECT 1 AS a"});
  EXPECT_EQ(flag.out, "a\n-\n1\n") << "-t takes no value, wherever it stands: " << flag.err;
}

TEST_F(OutputFormats, HtmlIsWellFormedAndMarkdownEscapesItsSyntax) {
  const std::string db = texts_database();
  Ran html = tolvane({"query", db, "SELECT v AS \"<v>\", NULL AS n FROM t", "--format", "html"});
  ASSERT_EQ(html.exit_code, 0) << html.err;
  write_text(file("out.html"), html.out);
  Ran lint = run_program("xmllint", {"--noout", file("out.html")}, "", {}, m_home);
  EXPECT_EQ(lint.exit_code, 0) << lint.err << html.out;
  EXPECT_NE(html.out.find("<th>&lt;v&gt;</th>"), std::string::npos) << html.out;
  EXPECT_NE(html.out.find("<td>&lt;b&gt;&amp;amp;&lt;/b&gt;</td><td class=\"null\"></td>"), std::string::npos);

  Ran markdown = tolvane({"query", db, "SELECT v FROM t WHERE rowid IN (1, 4, 8, 9)", "--format", "markdown"});
  EXPECT_EQ(
      markdown.out,
      "| v |\n| --- |\n| plain |\n| line<br>feed |\n| pipe\\|and\\*star\\_ |\n| &lt;b&gt;&amp;amp;&lt;/b&gt; |\n");
}

TEST_F(OutputFormats, RowsStreamInBoundedMemory) {
  const std::string db = make_database("n.db", "CREATE TABLE x(a);");
  auto peak_kb = [this, &db](int rows) {
    Ran run = tolvane({"query", db,
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           std::to_string(rows) + ") SELECT i, i * 0.5, 'row ' || i FROM n",
                       "--tsv"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
  };
  const long small = peak_kb(1000);
  const long large = peak_kb(400000);
  // A model of the result would take about 150 MB; the stream keeps a row.
  EXPECT_LT(large - small, 40 * 1024) << small << " KB for 1000 rows, " << large << " KB for 400000";
}

TEST_F(OutputFormats, AFailedWriteIsAnErrorButAClosedPipeEndsQuietly) {
  const std::string db = make_database("n.db", "CREATE TABLE x(a);");
  const std::string rows =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) SELECT i FROM n";
  Ran full = run_program("bash", {"-c", std::string(TOLVANE_BINARY) + " query " + db + " '" + rows + "' > /dev/full"},
                         "", {}, m_home);
  EXPECT_EQ(full.exit_code, 5);
  EXPECT_NE(full.err.find("cannot write standard output: No space left on device"), std::string::npos) << full.err;
  Ran piped = run_program(
      "bash", {"-c", std::string(TOLVANE_BINARY) + " query " + db + " '" + rows + "' | head -1; exit ${PIPESTATUS[0]}"},
      "", {}, m_home);
  EXPECT_EQ(piped.exit_code, 141);
  EXPECT_EQ(piped.out, "i\n");
  EXPECT_EQ(piped.err, "");
}

}  // namespace Tolvane::Testing
