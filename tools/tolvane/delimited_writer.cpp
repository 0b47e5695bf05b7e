// CSV and TSV.
//
// CSV follows RFC 4180: fields separated by ',', lines ended by CRLF, a field
// that holds a quote, a comma, a CR or an LF enclosed in double quotes with
// inner quotes doubled. An empty text is written as "" so it stays apart from
// NULL, which is an empty field unless --null says otherwise. Blobs are their
// bytes in upper-case hexadecimal.
//
// TSV is the text form that COPY-style readers take back: tab-separated, one
// line per row, NULL as \N, and tab, LF, CR and backslash written as \t, \n,
// \r and \\; a blob is \\x followed by its hexadecimal digits.

#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

void append_csv_field(std::string& out, std::string_view text) {
  if (text.empty()) {
    out += "\"\"";
    return;
  }
  if (text.find_first_of("\",\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') {
      out.push_back('"');
    }
    out.push_back(c);
  }
  out.push_back('"');
}

void append_tsv_field(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (!append_break_escape(out, c)) {
      out.push_back(c);
    }
  }
}

class DelimitedWriter final : public RowWriter {
 public:
  DelimitedWriter(const OutputOptions& options, OutputStream& out)
      : m_out(out),
        m_csv(options.format == OutputFormat::Csv),
        m_headers(options.headers),
        m_null(options.null_text.value_or(m_csv ? "" : "\\N")) {}

  void begin(std::span<const std::string> columns) override {
    if (!m_headers) {
      return;
    }
    m_line.clear();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) {
        m_line.push_back(separator());
      }
      append_text(columns[c]);
    }
    finish_line();
  }

  void row(Row cells) override {
    m_line.clear();
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) {
        m_line.push_back(separator());
      }
      const Cell& cell = cells[c];
      switch (cell.kind) {
        case Cell::Kind::Null:
          m_line += m_null;
          break;
        case Cell::Kind::Text:
          append_text(cell.bytes);
          break;
        case Cell::Kind::Blob:
          if (!m_csv) {
            m_line += "\\\\x";
          }
          append_hex(m_line, cell.bytes);
          break;
        default:
          append_plain(m_line, cell);
      }
    }
    finish_line();
  }

  void end() override {}

 private:
  char separator() const { return m_csv ? ',' : '\t'; }
  void append_text(std::string_view text) {
    if (m_csv) {
      append_csv_field(m_line, text);
    } else {
      append_tsv_field(m_line, text);
    }
  }
  void finish_line() {
    m_line += m_csv ? "\r\n" : "\n";
    m_out.write(m_line);
  }

  OutputStream& m_out;
  bool m_csv;
  bool m_headers;
  std::string m_null;
  std::string m_line;
};

}  // namespace

std::unique_ptr<RowWriter> make_delimited_writer(const OutputOptions& options, OutputStream& out) {
  return std::make_unique<DelimitedWriter>(options, out);
}

}  // namespace Tolvane::Cli
