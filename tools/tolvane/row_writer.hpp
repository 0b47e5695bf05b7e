#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "tools/tolvane/cell.hpp"
#include "tools/tolvane/output_stream.hpp"

namespace Tolvane::Cli {

// The output formats every command that prints rows offers.
enum class OutputFormat { Table, Csv, Tsv, Json, JsonLines, Markdown, Html, Insert };

// "table", "csv", "tsv", "json", "jsonl" (also "json-lines"), "markdown", "html", "insert".
std::optional<OutputFormat> parse_output_format(std::string_view text);
const char* to_string(OutputFormat format);

// How rows are written: chosen on the command line (see output_options.hpp).
struct OutputOptions {
  OutputFormat format = OutputFormat::Table;
  // Column names first (table, csv, tsv, html; the column list of INSERTs).
  bool headers = true;
  // How NULL shows in the text formats; each format has its own default
  // ("NULL" in the table, "" in csv, markdown and html, "\N" in tsv).
  std::optional<std::string> null_text;
  // The table INSERT statements name.
  std::string table_name = "table";
  // Dims NULL in the aligned table (on a terminal).
  bool colour = false;
};

// Writes one result set, row by row, to an output stream as the rows arrive:
// `begin` with the column names, `row` for each row, `end` after the last.
// Every writer holds at most a bounded number of rows (the aligned table
// measures its first rows to choose the widths); none keeps the result.
// A writer is used for one result set; make another for the next one.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void begin(std::span<const std::string> columns) = 0;
  virtual void row(Row cells) = 0;
  virtual void end() = 0;
};

std::unique_ptr<RowWriter> make_row_writer(const OutputOptions& options, OutputStream& out);

// Writer factories, one per family of formats.
std::unique_ptr<RowWriter> make_table_writer(const OutputOptions& options, OutputStream& out);
std::unique_ptr<RowWriter> make_delimited_writer(const OutputOptions& options, OutputStream& out);
std::unique_ptr<RowWriter> make_json_writer(const OutputOptions& options, OutputStream& out);
std::unique_ptr<RowWriter> make_markup_writer(const OutputOptions& options, OutputStream& out);
std::unique_ptr<RowWriter> make_insert_writer(const OutputOptions& options, OutputStream& out);

}  // namespace Tolvane::Cli
