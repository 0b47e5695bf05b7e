// Pages opened in a real browser (headless Chromium): database content
// holding markup or script shows as text and runs nothing, and the links of a
// documentation page reach their sections. Skipped when Chromium is missing.

#include <gtest/gtest.h>

#include "orvel/supports/data/documents/html_document.hpp"
#include "orvel/supports/data/extractors/html_extractor.hpp"
#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/documents/document_fixture.hpp"
#include "tests/support/browser.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents::Testing {
namespace {

using Tolvane::Testing::TempDir;
using Tolvane::Testing::write_text;

// Marks the body once the page has loaded: "data-links" lists the in-page
// links whose target the browser cannot find. Added to a copy of the page
// only; the page itself carries no script.
constexpr const char* kLinkCheck =
    "<script>addEventListener('load', () => { const broken = [];"
    " for (const a of document.querySelectorAll(\"a[href^='#']\")) {"
    "  const id = decodeURIComponent(a.getAttribute('href').slice(1));"
    "  if (!document.getElementById(id) && document.getElementsByName(id).length === 0) broken.push(id); }"
    " document.body.setAttribute('data-links', broken.length ? broken.join(' ') : 'ok'); });</script>";

class Browser : public ::testing::Test {
 protected:
  void SetUp() override {
    m_chromium = Tolvane::Testing::find_chromium();
    if (m_chromium.empty()) {
      GTEST_SKIP() << "chromium is not installed (Debian package chromium); the browser checks are skipped";
    }
  }

  // The DOM of `page` after the browser has loaded it and run its scripts.
  std::string dom_of(const std::string& page, bool check_links = false) {
    std::string copy = page;
    if (check_links) {
      copy.insert(copy.rfind("</body>"), kLinkCheck);
    }
    const std::string file = m_dir.file("page" + std::to_string(++m_pages) + ".html");
    write_text(file, copy);
    return Tolvane::Testing::dump_dom(m_chromium, file);
  }

  TempDir m_dir;
  std::string m_chromium;
  int m_pages = 0;
};

TEST_F(Browser, RunsNoScriptFromAnExportedTable) {
  using namespace Providers::Contracts;
  auto model = TableModel::create();
  model->get_columns().push_back(ColumnModel::full("<script>document.body.setAttribute('data-pwned','0')</script>",
                                                   DataType::String));
  for (const std::string cell :
       {"<script>document.body.setAttribute('data-pwned','1')</script>",
        "<img src=x onerror=\"document.body.setAttribute('data-pwned','2')\">",
        "</td></tr></table><script>document.body.setAttribute('data-pwned','3')</script>", "a<b"}) {
    auto row = RowModel::create();
    row->get_values().push_back(ValueString::create(cell));
    model->get_rows().push_back(row);
  }
  std::string page;
  ASSERT_TRUE(Extractors::HtmlExtractor::create("html")->export_to_text(model, &page, nullptr).has_value());
  const std::string dom = dom_of(page);
  // The body carries no attribute: no script ran.
  EXPECT_NE(dom.find("<body>"), std::string::npos) << dom;
  EXPECT_NE(dom.find("<th>&lt;script&gt;document.body.setAttribute('data-pwned','0')&lt;/script&gt;</th>"),
            std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<td>&lt;script&gt;document.body.setAttribute('data-pwned','1')&lt;/script&gt;</td>"),
            std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<td>&lt;img src=x onerror=\"document.body.setAttribute('data-pwned','2')\"&gt;</td>"),
            std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<td>a&lt;b</td>"), std::string::npos) << dom;
}

TEST_F(Browser, ShowsADocumentationPageAsTextWithWorkingLinks) {
  auto database = hostile_database();
  const std::string page = HtmlDocument::create()->render(*database, {"Hostile", "", "", "", ""});
  const std::string dom = dom_of(page, true);
  EXPECT_EQ(dom.find("data-pwned=\""), std::string::npos) << dom;
  EXPECT_NE(dom.find("data-links=\"ok\""), std::string::npos) << dom;
  // Every table and view has its section.
  std::size_t sections = 0;
  for (std::size_t at = dom.find("<h3>Table: "); at != std::string::npos; at = dom.find("<h3>Table: ", at + 1)) {
    ++sections;
  }
  EXPECT_EQ(sections, Document::entries(*database).size());
  EXPECT_NE(dom.find("&lt;script&gt;document.body.setAttribute('data-pwned','1')&lt;/script&gt;"), std::string::npos);

  const std::string sample = dom_of(HtmlDocument::create()->render(*sample_database(), {"T", "", "", "", ""}), true);
  EXPECT_NE(sample.find("data-links=\"ok\""), std::string::npos) << sample;
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Documents::Testing
