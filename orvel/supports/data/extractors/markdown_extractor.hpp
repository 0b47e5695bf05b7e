#pragma once

#include "orvel/supports/data/extractors/base_extractor.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// A table model as a Markdown pipe table:
//
//   | id | name |
//   |----|------|
//   | 1 | x |
//   | 2 | |
//
// A separator of as many dashes as the name's (escaped) bytes plus two; a
// null cell is "| " alone. Names and cells are escaped so that a "|" or a line
// break stays inside its cell and markup shows as text. The progress callback
// gets each line without its line feed. Reads no options; a model without
// rows writes no file.
class ORVEL_API MarkdownExtractor final : public BaseExtractor {
  TOLVANE_OBJECT(MarkdownExtractor)

  explicit MarkdownExtractor(std::string file_extension) : BaseExtractor(std::move(file_extension)) {}
  static std::shared_ptr<MarkdownExtractor> create(std::optional<std::string_view> file_extension);

 protected:
  bool has_rows_format() const override { return true; }
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row) override;
  std::string_view progress_text(std::string_view row_text) const override;

 private:
  std::string m_scratch;  // the text of a cell that has none of its own
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
