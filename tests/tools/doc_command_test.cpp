// `tolvane doc` run as a program on databases whose names and defaults hold
// markup and script: xmllint reads the page, a headless browser shows that
// nothing of it runs, and Markdown tables keep their columns.

#include <gtest/gtest.h>

#include <glib.h>

#include <sstream>

#include "tests/support/browser.hpp"
#include "tests/support/xmllint.hpp"
#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {
namespace {

// A table, a column, an index, a view and a default that would mark the
// page's body with data-pwned if the page ran them; a pipe and a foreign key
// for the Markdown tables.
constexpr const char* kHostile =
    "CREATE TABLE \"<script>document.body.setAttribute('data-pwned','1')</script>\"("
    " id INTEGER PRIMARY KEY,"
    " \"a|b\" TEXT DEFAULT '<img src=x onerror=\"document.body.setAttribute(''data-pwned'',''2'')\">',"
    " price REAL NOT NULL);"
    "CREATE INDEX \"<b>i</b>\" ON \"<script>document.body.setAttribute('data-pwned','1')</script>\"(price);"
    "CREATE VIEW \"v</a>\" AS SELECT id, '</td><script>x()</script>' AS s"
    " FROM \"<script>document.body.setAttribute('data-pwned','1')</script>\";"
    "CREATE TABLE parent(x INTEGER PRIMARY KEY);"
    "CREATE TABLE child(y INTEGER REFERENCES parent(x) ON DELETE CASCADE);"
    "CREATE TRIGGER keep AFTER DELETE ON parent BEGIN SELECT 1; END;";

// The cells of a Markdown table row: its '|' less the escaped ones, less one.
std::size_t cells_of(const std::string& line) {
  std::size_t bars = 0;
  for (std::size_t at = 0; at < line.size(); ++at) {
    bars += line[at] == '|' && (at == 0 || line[at - 1] != '\\') ? 1 : 0;
  }
  return bars - 1;
}

using TolvaneDoc = TolvaneCli;

TEST_F(TolvaneDoc, WritesAPageThatShowsDatabaseContentAsText) {
  const std::string db = make_database("hostile.db", kHostile);
  const std::string out = file("doc.html");
  Ran ran = tolvane({"doc", db, "-o", out, "--description", "<i>all</i> & more"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_EQ(ran.out, "");
  EXPECT_NE(ran.err.find("4 tables and views documented in " + out), std::string::npos) << ran.err;
  const std::string page = read_text(out);
  EXPECT_EQ(xmllint(page, true), "") << page;
  EXPECT_NE(page.find("<title>hostile.db</title>"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos) << page;
  EXPECT_EQ(page.find("<img"), std::string::npos) << page;
  EXPECT_NE(page.find("&lt;i&gt;all&lt;/i&gt; &amp; more"), std::string::npos);
  for (const char* shown : {"Indexes:", "Foreign keys:", "Triggers:", "parent(x)", "CASCADE", "keep"}) {
    EXPECT_NE(page.find(shown), std::string::npos) << shown;
  }

  const std::string chromium = find_chromium();
  if (chromium.empty()) {
    GTEST_SKIP() << "chromium is not installed (Debian package chromium); the browser check is skipped";
  }
  const std::string dom = dump_dom(chromium, out);
  EXPECT_EQ(dom.find("data-pwned=\""), std::string::npos) << dom;
  EXPECT_NE(dom.find("&lt;script&gt;document.body.setAttribute('data-pwned','1')&lt;/script&gt;"), std::string::npos)
      << dom;
}

TEST_F(TolvaneDoc, WritesMarkdownWhoseTablesKeepTheirColumns) {
  const std::string db = make_database("hostile.db", kHostile);
  Ran ran = tolvane({"doc", db, "--format", "markdown", "--title", "Shop | <b>"});
  ASSERT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_TRUE(ran.out.starts_with("# Shop \\| &lt;b&gt;\n")) << ran.out;
  // Every row of a table has as many cells as its heading.
  std::size_t tables = 0;
  std::size_t expected = 0;
  std::istringstream lines(ran.out);
  for (std::string line, previous; std::getline(lines, line); previous = line) {
    if (!line.starts_with("|")) {
      expected = 0;
      continue;
    }
    if (expected == 0) {
      expected = cells_of(line);
      ++tables;
    }
    EXPECT_EQ(cells_of(line), expected) << line;
  }
  EXPECT_GE(tables, 7U) << ran.out;
  EXPECT_NE(ran.out.find("| a\\|b |"), std::string::npos) << ran.out;

  // By the file's extension, and the same document as on standard output.
  Ran to_file = tolvane({"doc", db, "-o", file("doc.md"), "--title", "Shop | <b>"});
  ASSERT_EQ(to_file.exit_code, 0) << to_file.err;
  EXPECT_EQ(read_text(file("doc.md")), ran.out);
}

TEST_F(TolvaneDoc, FailsWithoutTouchingTheOutput) {
  const std::string db = make_database("plain.db", "CREATE TABLE t(a);");
  const std::string out = file("doc.html");
  write_text(out, "earlier\n");
  Ran missing = tolvane({"doc", file("none.db"), "-o", out});
  EXPECT_EQ(missing.exit_code, 3) << missing.err;
  EXPECT_FALSE(g_file_test(file("none.db").c_str(), G_FILE_TEST_EXISTS));
  Ran folder = tolvane({"doc", db, "-o", file("no/such/folder/doc.html")});
  EXPECT_EQ(folder.exit_code, 5) << folder.err;
  EXPECT_NE(folder.err.find("no/such/folder/doc.html"), std::string::npos) << folder.err;
  Ran usage = tolvane({"doc", db, "-o", out, "--format", "pdf"});
  EXPECT_EQ(usage.exit_code, 2) << usage.err;
  EXPECT_EQ(read_text(out), "earlier\n");

  Ran replaced = tolvane({"doc", db, "-o", out});
  ASSERT_EQ(replaced.exit_code, 0) << replaced.err;
  EXPECT_NE(read_text(out).find("<h3>Table: main.t</h3>"), std::string::npos) << read_text(out);
}

}  // namespace
}  // namespace Tolvane::Testing
