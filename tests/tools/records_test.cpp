// `tolvane export` to JSON, XML, HTML and Markdown and `tolvane import` from
// JSON and XML, run as programs: the sqlite3 shell says what is in the
// databases, json-glib and xmllint read what was written.

#include <gtest/gtest.h>

#include "tessin/core/json_properties.hpp"
#include "tests/support/xmllint.hpp"
#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {
namespace {

constexpr const char* kItems =
    "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT, price REAL, data BLOB, qty INTEGER, \"count(*)\" TEXT);";
constexpr const char* kTyped =
    "SELECT id, quote(name), quote(price), typeof(price), quote(data), quote(qty), quote(\"count(*)\") "
    "FROM items ORDER BY id;";

class TolvaneRecords : public TolvaneCli {
 protected:
  std::string items() {
    return make_database(
        "items.db", std::string(kItems) +
                        "INSERT INTO items VALUES (1, NULL, NULL, NULL, NULL, NULL),"
                        " (2, 'O''Brien, \"the\" <first> & last', 1.5, x'00ff00', 3, ''),"
                        " (3, '', 1e-7, x'', -9223372036854775808, '<script>alert(1)</script>'),"
                        " (4, 'multi' || char(10) || 'line' || char(13) || char(10), 1.7976931348623157e308,"
                        "  x'68656c6c6f', 9223372036854775807, 'a|b'),"
                        " (5, '{\"a\":\"x\\\"y\"}', 3.14159265358979, randomblob(40), 0, 'tab' || char(9)),"
                        " (6, '_x0041_ 名前', 5e-324, zeroblob(2), -1, ' ');");
  }
};

TEST_F(TolvaneRecords, JsonAndXmlRoundTripEveryValue) {
  const std::string db = items();
  const std::string original = sqlite3(db, kTyped).out;
  for (const char* format : {"json", "xml"}) {
    const std::string out = file(std::string("items.") + format);
    Ran exported = tolvane({"export", db, "items", "--format", format, "-o", out});
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    EXPECT_NE(exported.err.find("6 rows exported"), std::string::npos) << exported.err;
    if (std::string(format) == "xml") {
      EXPECT_EQ(xmllint(read_text(out)), "");
    } else {
      EXPECT_TRUE(Core::Json::parse(read_text(out)).has_value());
    }
    for (const char* mode : {"--fast", "--stop-on-error"}) {
      const std::string copy = make_database(std::string("copy-") + format + mode + ".db", kItems);
      Ran imported = tolvane({"import", copy, "items", out, "--format", format, mode});
      ASSERT_EQ(imported.exit_code, 0) << imported.err;
      EXPECT_NE(imported.err.find("6 rows read, 6 imported, 0 failed"), std::string::npos) << imported.err;
      EXPECT_EQ(sqlite3(copy, kTyped).out, original) << format << mode;
    }
  }
}

TEST_F(TolvaneRecords, ImportsJsonAndXmlWrittenByOthers) {
  const std::string db = make_database("d.db", "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, note TEXT);");
  write_text(file("t.json"), R"({"RECORDS": [{"name": "a", "id": 1, "extra": true}, {"id": 2}, {"id": "x"}]})");
  Ran json = tolvane({"import", db, "t", file("t.json"), "--format", "json"});
  EXPECT_EQ(json.exit_code, 1) << json.err;
  EXPECT_NE(json.err.find("ignoring the file's column \"extra\""), std::string::npos) << json.err;
  EXPECT_NE(json.err.find("record 3: "), std::string::npos) << json.err;
  EXPECT_NE(json.err.find("3 rows read, 2 imported, 1 failed"), std::string::npos) << json.err;
  write_text(file("t.xml"), "<?xml version='1.0'?><!-- one line --><RECORDS><RECORD><id>3</id><name>c &amp; d</name>"
                            "</RECORD><RECORD id='4' name='e'/></RECORDS>");
  Ran xml = tolvane({"import", db, "t", file("t.xml"), "--format", "xml"});
  EXPECT_EQ(xml.exit_code, 0) << xml.err;
  EXPECT_EQ(sqlite3(db, "SELECT id, quote(name) FROM t ORDER BY id;").out, "1|'a'\n2|NULL\n3|'c & d'\n4|'e'\n");

  Ran missing = tolvane({"import", db, "t", file("none.xml"), "--format", "xml"});
  EXPECT_EQ(missing.exit_code, 5);
  EXPECT_NE(missing.err.find("none.xml"), std::string::npos) << missing.err;
  Ran broken = tolvane({"import", db, "t", file("t.json"), "--format", "json", "--delimiter", ";"});
  EXPECT_EQ(broken.exit_code, 2) << broken.err;
}

TEST_F(TolvaneRecords, ExportsPagesAndTablesThatShowValuesAsText) {
  const std::string db = items();
  Ran html = tolvane({"export", db, "items", "--format", "html", "-o", file("items.html")});
  ASSERT_EQ(html.exit_code, 0) << html.err;
  const std::string page = read_text(file("items.html"));
  EXPECT_EQ(xmllint(page, true), "");
  EXPECT_NE(page.find("\t</head>\n"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("<td>&lt;script&gt;alert(1)&lt;/script&gt;</td>"), std::string::npos);

  Ran markdown = tolvane({"export", db, "items", "--format", "markdown"});
  ASSERT_EQ(markdown.exit_code, 0) << markdown.err;
  EXPECT_TRUE(markdown.out.starts_with("| id | name | price | data | qty | count(*) |\n"
                                       "|----|------|-------|------|-----|----------|\n"
                                       "| 1 | | | | | |\n"))
      << markdown.out;
  EXPECT_NE(markdown.out.find("| a\\|b |\n"), std::string::npos) << markdown.out;
  EXPECT_NE(markdown.out.find("| multi<br>line<br> |"), std::string::npos) << markdown.out;

  Ran none = tolvane({"export", db, "--query", "SELECT * FROM items WHERE 0", "--format", "html", "-o",
                      file("none.html")});
  EXPECT_EQ(none.exit_code, 0) << none.err;
  EXPECT_NE(none.err.find("nothing written"), std::string::npos) << none.err;
  EXPECT_FALSE(g_file_test(file("none.html").c_str(), G_FILE_TEST_EXISTS));

  Ran attributes = tolvane({"export", db, "--query", "SELECT 1 AS a, 2 AS a", "--format", "xml", "--storage",
                            "attribute"});
  EXPECT_EQ(attributes.exit_code, 1) << attributes.err;
  EXPECT_NE(attributes.err.find("two columns are named a"), std::string::npos) << attributes.err;
}

}  // namespace
}  // namespace Tolvane::Testing
