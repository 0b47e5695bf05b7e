#include "orvel/supports/data/extractors/html_extractor.hpp"

#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/data/documents/markup.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

namespace {

// The page's fixed text: readers and tests compare pages byte for byte.
constexpr std::string_view kHead =
    "<!DOCTYPE html>\n<html>\n\t<head>\n"
    "\t\t<meta charset=\"UTF-8\">\n"
    "\t\t<style>table { border-collapse: collapse; width: 100%; } th, td { text-align: left; padding: 8px; } "
    "tr:nth-child(even) { background-color: rgba(0, 0, 0, 0.05); } th { background-color: #7799AA; color: white; "
    "}</style>\n"
    "\t</head>\n\t<body>\n"
    "\t\t<table>\n";
constexpr std::string_view kRowIndent = "\t\t\t";
constexpr std::string_view kTail = "\t\t</table>\n\t</body>\n</html>";

}  // namespace

const Core::TypeInfo& HtmlExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsHtmlExtractor", &BaseExtractor::static_type(),
                                   {}, nullptr, {});
  return info;
}

std::shared_ptr<HtmlExtractor> HtmlExtractor::create(std::optional<std::string_view> file_extension) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_extension.has_value(), "file_extension != NULL", nullptr);
  return std::make_shared<HtmlExtractor>(std::string(*file_extension));
}

Core::Status HtmlExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) {
  std::string head(kHead);
  head += kRowIndent;
  head += "<tr>";
  for (const auto& column : columns) {
    head += "<th>";
    Documents::append_html(head, column.name);
    head += "</th>";
  }
  head += "</tr>\n";
  return sink.write(head);
}

void HtmlExtractor::append_row(std::string& out, const std::vector<ExportColumn>& columns,
                               const RowSource::Values& row) {
  out += kRowIndent;
  out += "<tr>";
  for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
    out += "<td>";
    if (row[i] != nullptr && !row[i]->get_is_null()) {
      Documents::append_html(out, Helpers::DatabaseHelper::exact_text_view(*row[i], m_scratch));
    }
    out += "</td>";
  }
  out += "</tr>\n";
}

std::string_view HtmlExtractor::progress_text(std::string_view row_text) const {
  // The row without its indentation and line feed.
  return row_text.substr(kRowIndent.size(), row_text.size() - kRowIndent.size() - 1);
}

Core::Status HtmlExtractor::write_tail(const std::vector<ExportColumn>&, OutputSink& sink) {
  return sink.write(kTail);
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
