// The HTML and Markdown extractors: pages and tables for reading.

#include <gtest/gtest.h>

#include "orvel/supports/data/extractors/html_extractor.hpp"
#include "orvel/supports/data/extractors/markdown_extractor.hpp"
#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/extractors/table_models.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/xmllint.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {
namespace {

using namespace Providers::Contracts;


struct Exported {
  std::int64_t rows = -1;
  std::string text;
  std::vector<std::string> progress;
};

Exported exported(BaseExtractor& extractor, const TableModelPtr& model) {
  Exported out;
  out.text = "old";
  auto count = extractor.export_to_text(model, &out.text, [&](std::uint32_t total, std::uint32_t row,
                                                              std::string_view line) {
    out.progress.push_back(std::to_string(total) + ":" + std::to_string(row) + ":" + std::string(line));
  });
  EXPECT_TRUE(count.has_value());
  out.rows = count.value_or(-1);
  return out;
}

// Cells that would run, break a table or break a page if written raw.
const std::vector<std::string> kHostile = {
    "<script>document.body.setAttribute('data-pwned','1')</script>",
    "<img src=x onerror=\"document.body.setAttribute('data-pwned','2')\">",
    "a<b & c>d \"q\" 'q'",
    "pipe | inside",
    "line\nbreak\r\nand\rmore",
    "back\\slash \\| [link](javascript:alert(1))",
    "&lt;already escaped&gt;",
    std::string("nul\0and bell\x07", 13),
    "bad utf-8 \xff\xfe",
};

constexpr const char* kPageHead =
    "<!DOCTYPE html>\n<html>\n\t<head>\n\t\t<meta charset=\"UTF-8\">\n"
    "\t\t<style>table { border-collapse: collapse; width: 100%; } th, td { text-align: left; padding: 8px; } "
    "tr:nth-child(even) { background-color: rgba(0, 0, 0, 0.05); } th { background-color: #7799AA; color: white; "
    "}</style>\n\t</head>\n\t<body>\n\t\t<table>\n";

TEST(HtmlExport, WritesTheWholePageWithItsHeadClosed) {
  auto extractor = HtmlExtractor::create("html");
  auto page = exported(*extractor, model_of({"id", "name"}, {{ValueInt64::create(1), text("x")},
                                                             {ValueDouble::create(0.1), ValueNull::create()}}));
  EXPECT_EQ(page.rows, 2);
  EXPECT_EQ(page.text, std::string(kPageHead) +
                           "\t\t\t<tr><th>id</th><th>name</th></tr>\n"
                           "\t\t\t<tr><td>1</td><td>x</td></tr>\n"
                           "\t\t\t<tr><td>0.100000</td><td></td></tr>\n"
                           "\t\t</table>\n\t</body>\n</html>");
  EXPECT_EQ(page.progress, (std::vector<std::string>{"2:1:<tr><td>1</td><td>x</td></tr>",
                                                     "2:2:<tr><td>0.100000</td><td></td></tr>"}));

  auto empty = exported(*extractor, model_of({"id"}, {}));
  EXPECT_EQ(empty.rows, 0);
  EXPECT_EQ(empty.text, std::string(kPageHead) + "\t\t\t<tr><th>id</th></tr>\n\t\t</table>\n\t</body>\n</html>");
  Tolvane::Testing::TempDir dir;
  EXPECT_EQ(extractor->export_to_file(model_of({"id"}, {}), dir.file("none.html"), nullptr).value_or(-1), 0);
  EXPECT_FALSE(g_file_test(dir.file("none.html").c_str(), G_FILE_TEST_EXISTS));
}

TEST(HtmlExport, ShowsHostileNamesAndCellsAsText) {
  auto extractor = HtmlExtractor::create("html");
  std::vector<std::vector<ValueObjectPtr>> rows;
  for (const auto& cell : kHostile) {
    rows.push_back({text(cell), text("<b>" + cell)});
  }
  auto page = exported(*extractor, model_of({"<i>name</i>", "x\"'&"}, rows));
  EXPECT_EQ(page.text.find("<script"), std::string::npos);
  EXPECT_EQ(page.text.find("<img"), std::string::npos);
  EXPECT_EQ(page.text.find("<b>"), std::string::npos);
  EXPECT_NE(page.text.find("<th>&lt;i&gt;name&lt;/i&gt;</th><th>x&quot;&#39;&amp;</th>"), std::string::npos);
  EXPECT_NE(page.text.find("&amp;lt;already escaped&amp;gt;"), std::string::npos);
  EXPECT_EQ(Tolvane::Testing::xmllint(page.text, true), "");
}

// The cells of a Markdown table line, split at the '|' no backslash escapes.
std::vector<std::string> cells_of(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      cell += line.substr(i, 2);
      ++i;
    } else if (line[i] == '|') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += line[i];
    }
  }
  cells.push_back(cell);
  return cells;
}

TEST(MarkdownExport, WritesAPipeTableWithARuleAsWideAsEachName) {
  auto extractor = MarkdownExtractor::create("md");
  auto table = exported(*extractor, model_of({"id", "name"}, {{ValueInt64::create(1), text("x")},
                                                              {ValueInt64::create(2), ValueNull::create()}}));
  EXPECT_EQ(table.rows, 2);
  EXPECT_EQ(table.text, "| id | name |\n|----|------|\n| 1 | x |\n| 2 | |\n");
  EXPECT_EQ(table.progress, (std::vector<std::string>{"2:1:| 1 | x |", "2:2:| 2 | |"}));
  // Three characters of three bytes each: nine bytes, eleven dashes.
  EXPECT_EQ(exported(*extractor, model_of({"名前だ"}, {{text("v")}})).text,
            "| 名前だ |\n|-----------|\n| v |\n");
}

TEST(MarkdownExport, KeepsEveryCellInItsColumn) {
  auto extractor = MarkdownExtractor::create("md");
  std::vector<std::vector<ValueObjectPtr>> rows;
  for (const auto& cell : kHostile) {
    rows.push_back({text(cell), ValueNull::create(), text(cell + "|" + cell)});
  }
  const std::string table = exported(*extractor, model_of({"a|b", "c\nd", "e"}, rows)).text;
  EXPECT_EQ(table.find("<script"), std::string::npos);
  EXPECT_EQ(table.find("<img"), std::string::npos);
  EXPECT_NE(table.find("| pipe \\| inside |"), std::string::npos) << table;
  EXPECT_NE(table.find("line<br>break<br>and<br>more"), std::string::npos) << table;
  EXPECT_NE(table.find("back\\\\slash \\\\\\| \\[link\\](javascript:alert(1))"), std::string::npos) << table;
  std::size_t lines = 0;
  for (std::size_t start = 0, end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_EQ(cells_of(table.substr(start, end - start)).size(), 5U) << table.substr(start, end - start);
    ++lines;
  }
  EXPECT_EQ(lines, kHostile.size() + 2);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
