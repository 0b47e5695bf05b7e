#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

struct FormatName {
  OutputFormat format;
  std::string_view name;
};

constexpr FormatName kFormats[] = {
    {OutputFormat::Table, "table"}, {OutputFormat::Csv, "csv"},         {OutputFormat::Tsv, "tsv"},
    {OutputFormat::Json, "json"},   {OutputFormat::JsonLines, "jsonl"}, {OutputFormat::Markdown, "markdown"},
    {OutputFormat::Html, "html"},   {OutputFormat::Insert, "insert"},
};

}  // namespace

std::optional<OutputFormat> parse_output_format(std::string_view text) {
  // The earlier name of the JSON-lines format stays accepted for scripts written against it.
  if (text == "json-lines") {
    return OutputFormat::JsonLines;
  }
  for (const FormatName& entry : kFormats) {
    if (entry.name == text) {
      return entry.format;
    }
  }
  return std::nullopt;
}

const char* to_string(OutputFormat format) {
  for (const FormatName& entry : kFormats) {
    if (entry.format == format) {
      return entry.name.data();
    }
  }
  return "table";
}

std::unique_ptr<RowWriter> make_row_writer(const OutputOptions& options, OutputStream& out) {
  switch (options.format) {
    case OutputFormat::Table:
      return make_table_writer(options, out);
    case OutputFormat::Csv:
    case OutputFormat::Tsv:
      return make_delimited_writer(options, out);
    case OutputFormat::Json:
    case OutputFormat::JsonLines:
      return make_json_writer(options, out);
    case OutputFormat::Markdown:
    case OutputFormat::Html:
      return make_markup_writer(options, out);
    case OutputFormat::Insert:
      return make_insert_writer(options, out);
  }
  return make_table_writer(options, out);
}

}  // namespace Tolvane::Cli
