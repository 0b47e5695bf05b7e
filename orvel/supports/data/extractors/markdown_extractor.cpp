#include "orvel/supports/data/extractors/markdown_extractor.hpp"

#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/data/documents/markup.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

const Core::TypeInfo& MarkdownExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsMarkdownExtractor",
                                   &BaseExtractor::static_type(), {}, nullptr, {});
  return info;
}

std::shared_ptr<MarkdownExtractor> MarkdownExtractor::create(std::optional<std::string_view> file_extension) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_extension.has_value(), "file_extension != NULL", nullptr);
  return std::make_shared<MarkdownExtractor>(std::string(*file_extension));
}

Core::Status MarkdownExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) {
  std::string head;
  std::string rule;
  for (const auto& column : columns) {
    const std::size_t start = head.size();
    head += "| ";
    Documents::append_markdown(head, column.name);
    // The name's bytes as written, plus the two blanks around it.
    rule += '|';
    rule.append(head.size() - start, '-');
    head += ' ';
  }
  head += "|\n";
  rule += "|\n";
  head += rule;
  return sink.write(head);
}

void MarkdownExtractor::append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                   const RowSource::Values& row) {
  for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
    out += "| ";
    if (row[i] != nullptr && !row[i]->get_is_null()) {
      Documents::append_markdown(out, Helpers::DatabaseHelper::exact_text_view(*row[i], m_scratch));
      out += ' ';
    }
  }
  out += "|\n";
}

std::string_view MarkdownExtractor::progress_text(std::string_view row_text) const {
  return row_text.substr(0, row_text.size() - 1);
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
