#include <gtest/gtest.h>

#include "orvel/model/constraints/meta_foreign_key.hpp"
#include "orvel/model/meta_index.hpp"
#include "orvel/model/meta_trigger.hpp"
#include "orvel/supports/data/documents/html_document.hpp"
#include "orvel/supports/data/documents/markdown_document.hpp"
#include "orvel/supports/data/documents/markup.hpp"
#include "tests/orvel/supports/data/documents/document_fixture.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/xmllint.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents::Testing {
namespace {

using Providers::Contracts::DataType;

// The text between the first `from` and the next `to` after it.
std::string between(const std::string& text, const std::string& from, const std::string& to) {
  const std::size_t start = text.find(from);
  if (start == std::string::npos) {
    return "(no " + from + ")";
  }
  const std::size_t end = text.find(to, start + from.size());
  return text.substr(start + from.size(), end == std::string::npos ? std::string::npos : end - start - from.size());
}

TEST(Markup, EscapesWhatWouldRunOrSplitAndKeepsPlainText) {
  EXPECT_EQ(html("plain text, 1.5 - ok"), "plain text, 1.5 - ok");
  EXPECT_EQ(html("<a href='x'>\"&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&quot;&amp;&quot;&lt;/a&gt;");
  EXPECT_EQ(html(std::string("n\0\x01\t\n\x7f\xff" "é", 9)), "n\xEF\xBF\xBD\xEF\xBF\xBD\t\n\xEF\xBF\xBD\xEF\xBF\xBD" "é");
  EXPECT_EQ(markdown("my_table *x*"), "my_table *x*");
  EXPECT_EQ(markdown("a|b\\c [d] <e> & f\r\ng\rh\ni"), "a\\|b\\\\c \\[d\\] &lt;e&gt; &amp; f<br>g<br>h<br>i");
  EXPECT_EQ(fragment("main.t"), "main.t");
  EXPECT_EQ(fragment("main.my table's (1)#%<é"), "main.my%20table%27s%20%281%29%23%25%3C%C3%A9");
}

TEST(Documents, NumberTablesThenViewsOfEachSchema) {
  auto database = sample_database();
  const auto entries = Document::entries(*database);
  std::vector<std::string> listed;
  for (const auto& entry : entries) {
    listed.push_back(std::to_string(entry.number) + " " + entry.id() + (entry.view != nullptr ? " view" : ""));
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"1 main.dept", "2 main.emp", "3 main.staff view", "4 aux.log"}));
  const auto& emp = *database->get_schemas()[0]->get_tables()[1];
  EXPECT_EQ(Document::column_values(*emp.get_columns()[0]),
            (std::array<std::string, 9>{"1", "id", "INTEGER", "0", "0", "No", "Yes", "", "the key"}));
  EXPECT_EQ(Document::column_values(*emp.get_columns()[2]),
            (std::array<std::string, 9>{"3", "salary", "NUMERIC", "10", "2", "Yes", "", "0", ""}));
  EXPECT_EQ(Document::fill("%d. %s and %s%", {"1", "a"}), "1. a and %s%");
}

TEST(HtmlDocuments, WriteThePageAsDesignedForPlainNames) {
  auto database = sample_database();
  Contracts::Data::Configuration cfg{"Staff", "v1", "People and places", "", ""};
  const std::string page = HtmlDocument::create()->render(*database, cfg);
  EXPECT_TRUE(page.starts_with(
      "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">\n<meta content=\"IE=edge\" "
      "http-equiv=\"X-UA-Compatible\">\n<title>Staff</title><style type='text/css'>\n"
      "        body {\n            padding-bottom: 50px\n        }\n\n"
      "        body,\n        td {\n            font-family: verdana, fantasy;\n            font-size: 12px;\n"
      "            line-height: 150%\n        }\n\n"))
      << page.substr(0, 600);
  EXPECT_NE(page.find("        a:link,\n        a:visited,\n        a:active {\n            color: #015fb6;\n"
                      "            text-decoration: none\n        }\n\n        a:hover {\n"
                      "            color: #e33e06\n        }\n    </style></head><body style='text-align:center;'>\n"
                      "<div style='width:800px; margin:20px auto; text-align:left;'><a name='index'></a>\n"
                      "<h2 style='text-align:center; line-height:50px;'>Staff</h2><div><b>Database: </b>company<br>"
                      "<b>Data version: </b>v1<br/><b>Description: </b>People and places</div>\n"
                      "<table cellspacing='1'><thead><tr><td style='width:40px;'>No</td><td>Name</td><td>Type</td>"
                      "<td>Description</td></tr></thead>"
                      "<tr><td style='text-align:center;'>1</td><td><a href='#main.dept'>main.dept</a></td>"
                      "<td>Data table</td><td>Departments</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td style='text-align:center;'>3</td><td><a href='#main.staff'>main.staff</a></td>"
                      "<td>Data view</td><td></td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>Data table</td><td></td></tr></table><br/><br/>"
                      "<div style='margin-top:30px;'><a id='main.dept'></a>"
                      "<a href='#index' style='float:right; margin-top:6px;'>Content</a>"
                      "<h3>Table: main.dept</h3></div><div>Description: Departments</div><div>Columns:</div>"
                      "<table cellspacing='1'><thead><tr><td style='width:40px;'>No</td><td>Name</td><td>Type</td>"
                      "<td> Length </td><td>Scale</td><td>Null</td><td>Primary key</td><td>Default</td>"
                      "<td>Description</td></tr></thead>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td style='text-align:center;'>3</td><td>salary</td><td>NUMERIC</td><td>10</td>"
                      "<td>2</td><td>Yes</td><td></td><td>0</td><td></td></tr><tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<h3>Table: main.staff</h3>"), std::string::npos);  // views are headed so too
  EXPECT_TRUE(page.ends_with("</table></div></body></html>")) << page.substr(page.size() - 200);
  EXPECT_EQ(page.find("<footer>"), std::string::npos);

  cfg.footer_text = "Made here";
  cfg.footer_link = "https://example.org/?a=1&b=2";
  EXPECT_TRUE(HtmlDocument::create()->render(*database, cfg).ends_with(
      "</div><footer><div><a href=\"https://example.org/?a=1&amp;b=2\">Made here</a></div></footer></body></html>"));
}

TEST(HtmlDocuments, ListIndexesKeysTriggersAndViewDefinitions) {
  auto database = sample_database();
  const std::string page = HtmlDocument::create()->render(*database, {"T", "", "", "", ""});
  const std::string emp = between(page, "<h3>Table: main.emp</h3>", "<h3>");
  EXPECT_NE(emp.find("<div>Indexes:</div><table cellspacing='1'><thead><tr><td>Name</td><td>Columns</td>"
                     "<td>Unique</td><td>Condition</td></tr></thead><tr><td style='white-space:pre-wrap;'>emp_name"
                     "</td><td style='white-space:pre-wrap;'>last, first</td><td style='white-space:pre-wrap;'>Yes"),
            std::string::npos)
      << emp;
  EXPECT_NE(emp.find("<div>Foreign keys:</div>"), std::string::npos);
  EXPECT_NE(emp.find(">dept(id)</td>"), std::string::npos);
  EXPECT_NE(emp.find("<div>Triggers:</div>"), std::string::npos);
  EXPECT_NE(emp.find(">UPDATE OF salary</td>"), std::string::npos);
  EXPECT_EQ(between(page, "<h3>Table: main.dept</h3>", "<h3>").find("Indexes:"), std::string::npos);
  EXPECT_NE(between(page, "<h3>Table: main.staff</h3>", "<h3>").find("<div>Definition:</div>"), std::string::npos);
  EXPECT_EQ(Tolvane::Testing::xmllint(page, true), "");
}

TEST(HtmlDocuments, ShowHostileNamesAndCommentsAsTextAndKeepTheirLinks) {
  auto database = hostile_database();
  const std::string page = HtmlDocument::create()->render(*database, {"<b>T</b>", "<i>", "'\"", "", ""});
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(page.find("<b>T"), std::string::npos);
  EXPECT_NE(page.find("<title>&lt;b&gt;T&lt;/b&gt;</title>"), std::string::npos);
  EXPECT_EQ(Tolvane::Testing::xmllint(page, true), "");
  // Each link of the index names, percent-encoded, the id of its section.
  for (const auto& entry : Document::entries(*database)) {
    EXPECT_NE(page.find("<a href='#" + html(fragment(entry.id())) + "'>"), std::string::npos) << entry.id();
    EXPECT_NE(page.find("<a id='" + html(entry.id()) + "'></a>"), std::string::npos) << entry.id();
  }
}

// The cells of each line of a Markdown table (split at '|' that no backslash
// escapes), for the lines between `from` and the next blank line.
std::vector<std::size_t> cell_counts(const std::string& text, const std::string& from) {
  std::vector<std::size_t> counts;
  std::size_t start = text.find(from);
  if (start == std::string::npos) {
    return counts;
  }
  start = text.find('\n', start) + 1;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos && end > start; start = end + 1) {
    std::size_t cells = 1;
    for (std::size_t i = start; i < end; ++i) {
      if (text[i] == '\\') {
        ++i;
      } else if (text[i] == '|') {
        ++cells;
      }
    }
    counts.push_back(cells);
  }
  return counts;
}

TEST(MarkdownDocuments, WriteTheDocumentAsDesignedForPlainNames) {
  auto database = sample_database();
  const std::string text = MarkdownDocument::create()->render(*database, {"Staff", "v1", "People", "", ""});
  EXPECT_TRUE(text.starts_with(
      "# Staff\n\n**Database name:** company<br/>\n**Data version:** v1<br/>\n**Description:** People\n"
      "| No        | Table        | Type        | Description        |\n"
      "| :-----------: | :----------- | :----------- | :----------- |\n"
      "| 1 | [main.dept](#main.dept) | Data table | Departments |\n"
      "| 2 | [main.emp](#main.emp) | Data table |  |\n"
      "| 3 | [main.staff](#main.staff) | Data view |  |\n"
      "| 4 | [aux.log](#aux.log) | Data table |  |\n"
      "\n\n## **Table:** <a id='main.dept'>main.dept</a>\n**Description:** Departments<br/>\n**Columns:**<br/>\n"
      "| No | Name | Type |  Length  | Scale | Null | Primary key | Default | Description |\n"
      "| :--: | :--- | :------: | :----: | :----: | :------: | :--: | :----: | :--: |\n"
      "| 1 | id | INTEGER | 0 | 0 | No | Yes |  |  |\n"))
      << text;
  EXPECT_NE(text.find("| 3 | salary | NUMERIC | 10 | 2 | Yes |  | 0 |  |\n| 4 | first | TEXT | 0 | 0 | Yes |  |  |  |\n"
                      "\n**Indexes:**<br/>\n"
                      "| Name | Columns | Unique | Condition |\n| :--- | :--- | :--- | :--- |\n"
                      "| emp_name | last, first | Yes | last &lt;&gt; '' |\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("## **Table:** <a id='main.staff'>main.staff</a>"), std::string::npos);
}

TEST(MarkdownDocuments, KeepEveryTableItsColumnCountWithHostileTexts) {
  auto database = hostile_database();
  const std::string text = MarkdownDocument::create()->render(*database, {"T|<b>", "", "", "", ""});
  EXPECT_EQ(text.find("<script"), std::string::npos);
  EXPECT_EQ(text.find("<img"), std::string::npos);
  const auto index = cell_counts(text, "**Description:**");
  ASSERT_EQ(index.size(), 2 + Document::entries(*database).size());
  for (std::size_t cells : index) {
    EXPECT_EQ(cells, 6U);
  }
  for (std::size_t cells : cell_counts(text, "**Columns:**")) {
    EXPECT_EQ(cells, 11U);
  }
}

TEST(Documents, ProduceWritesTheFileWholeOrNotAtAll) {
  Tolvane::Testing::TempDir dir;
  auto database = sample_database();
  const Contracts::Data::Configuration cfg{"T", "", "", "", ""};
  for (const std::shared_ptr<Document>& document :
       std::vector<std::shared_ptr<Document>>{HtmlDocument::create(), MarkdownDocument::create()}) {
    const std::string file = dir.file("doc");
    ASSERT_TRUE(document->produce(database, file, cfg).has_value());
    EXPECT_EQ(Tolvane::Testing::read_text(file), document->render(*database, cfg));
    auto failed = document->produce(database, dir.file("no/such/folder/doc"), cfg);
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().domain, Core::Error::gio_domain());
  }
  Tolvane::Testing::GLibLogCapture log;
  EXPECT_FALSE(HtmlDocument::create()->produce(nullptr, dir.file("x"), cfg).has_value());
  EXPECT_TRUE(log.has_critical("meta_database != NULL"));
  EXPECT_FALSE(g_file_test(dir.file("x").c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Documents::Testing
