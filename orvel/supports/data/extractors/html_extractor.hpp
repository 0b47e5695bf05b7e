#pragma once

#include "orvel/supports/data/extractors/base_extractor.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// A table model as a small HTML page for reading: a style sheet, one table,
// the column names as header cells and one row per model row:
//
//   <!DOCTYPE html>
//   <html>
//   	<head>
//   		<meta charset="UTF-8">
//   		<style>table { ... }</style>
//   	</head>
//   	<body>
//   		<table>
//   			<tr><th>id</th><th>name</th></tr>
//   			<tr><td>1</td><td>x</td></tr>
//   		</table>
//   	</body>
//   </html>
//
// (tabs as indentation, no line feed after the last line). Names and cells
// are escaped as HTML text, so a cell holding markup shows as text. A cell
// shows its value's exact text (doubles at full precision, bytes in
// hexadecimal), a null cell nothing. The progress callback gets each row's
// "<tr>...</tr>". Reads no options; a model without rows writes no file.
class ORVEL_API HtmlExtractor final : public BaseExtractor {
  TOLVANE_OBJECT(HtmlExtractor)

  explicit HtmlExtractor(std::string file_extension) : BaseExtractor(std::move(file_extension)) {}
  static std::shared_ptr<HtmlExtractor> create(std::optional<std::string_view> file_extension);

 protected:
  bool has_rows_format() const override { return true; }
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row) override;
  std::string_view progress_text(std::string_view row_text) const override;
  Core::Status write_tail(const std::vector<ExportColumn>& columns, OutputSink& sink) override;

 private:
  std::string m_scratch;  // the text of a cell that has none of its own
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
