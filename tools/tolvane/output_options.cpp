#include "tools/tolvane/output_options.hpp"

namespace Tolvane::Cli {

void OutputOptionSet::add(CLI::App& command) {
  auto* format = command.add_option("--format", m_format,
                                    "Output: table (aligned, the default), csv, tsv, json (one array), jsonl (one "
                                    "object per line), markdown, html, insert (SQL INSERT statements)");
  format->check([](const std::string& text) {
    return parse_output_format(text) ? std::string() : "unknown format \"" + text + "\"";
  });
  auto* csv = command.add_flag("--csv", m_csv, "Same as --format csv");
  auto* tsv = command.add_flag("--tsv", m_tsv, "Same as --format tsv");
  auto* json = command.add_flag("--json", m_json, "Same as --format json");
  auto* jsonl = command.add_flag("--jsonl", m_jsonl, "Same as --format jsonl");
  // "-t" and a bare "--table" pick the aligned table, as sqlite-utils users
  // type them; "--table NAME" names the table of the INSERT format (and picks
  // that format when no other is given). "-t" takes no value, so it may stand
  // anywhere, before the database too.
  command.add_flag("-t", m_table, "Same as --format table");
  auto* table = command.add_option_function<std::string>(
      "--table",
      [this](const std::string& name) {
        if (name.empty()) {
          m_table = true;
        } else {
          m_table_name = name;
        }
      },
      "Without a value: same as --format table. With a NAME: the table the insert format writes into "
      "(default \"table\")");
  table->expected(0, 1)->default_str("");
  std::vector<CLI::Option*> choices{format, csv, tsv, json, jsonl};
  for (CLI::Option* one : choices) {
    for (CLI::Option* other : choices) {
      if (one != other) {
        one->excludes(other);
      }
    }
  }
  command.add_flag("--no-headers", m_no_headers, "Leave out the line of column names");
  command.add_option("--null", m_null, "How NULL shows (default: NULL in the table, \\N in tsv, nothing elsewhere)");
}

OutputOptions OutputOptionSet::resolve(bool terminal) const {
  OutputOptions options;
  if (!m_format.empty()) {
    options.format = *parse_output_format(m_format);
  } else if (m_csv) {
    options.format = OutputFormat::Csv;
  } else if (m_tsv) {
    options.format = OutputFormat::Tsv;
  } else if (m_json) {
    options.format = OutputFormat::Json;
  } else if (m_jsonl) {
    options.format = OutputFormat::JsonLines;
  } else if (!m_table && !m_table_name.empty()) {
    options.format = OutputFormat::Insert;
  }
  if (!m_table_name.empty()) {
    options.table_name = m_table_name;
  }
  options.headers = !m_no_headers;
  options.null_text = m_null;
  options.colour = terminal && options.format == OutputFormat::Table;
  return options;
}

}  // namespace Tolvane::Cli
