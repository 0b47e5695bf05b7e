// SQL INSERT statements, one per row, that SQLite reads back to the same
// values: texts as '...' with inner quotes doubled, blobs as X'...', reals in
// their shortest exact form with a decimal point or exponent, infinities as
// ±1e999 (which SQLite reads as infinity) and NaN as NULL. With headers the
// statements name their columns.

#include <cmath>

#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"
#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Supports::Database::quoted;

// A name in double quotes when it is not a plain identifier or is a keyword
// ("table", "order").
std::string identifier(std::string_view name) {
  return Providers::Supports::needs_sql_quotes(name) ? quoted(name, '"') : std::string(name);
}

class InsertWriter final : public RowWriter {
 public:
  InsertWriter(const OutputOptions& options, OutputStream& out)
      : m_out(out), m_headers(options.headers), m_prefix("INSERT INTO " + identifier(options.table_name)) {}

  void begin(std::span<const std::string> columns) override {
    if (m_headers) {
      m_prefix.push_back('(');
      for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) {
          m_prefix.push_back(',');
        }
        m_prefix += identifier(columns[c]);
      }
      m_prefix.push_back(')');
    }
    m_prefix += " VALUES(";
  }

  void row(Row cells) override {
    m_line = m_prefix;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) {
        m_line.push_back(',');
      }
      const Cell& cell = cells[c];
      switch (cell.kind) {
        case Cell::Kind::Null:
          m_line += "NULL";
          break;
        case Cell::Kind::Text:
          m_line += quoted(cell.bytes, '\'');
          break;
        case Cell::Kind::Blob:
          m_line += "X'";
          append_hex(m_line, cell.bytes);
          m_line.push_back('\'');
          break;
        case Cell::Kind::Real:
          if (std::isnan(cell.real)) {
            m_line += "NULL";
          } else if (std::isinf(cell.real)) {
            m_line += cell.real < 0 ? "-1e999" : "1e999";
          } else {
            append_real(m_line, cell.real);
          }
          break;
        default:
          append_plain(m_line, cell);
      }
    }
    m_line += ");\n";
    m_out.write(m_line);
  }

  void end() override {}

 private:
  OutputStream& m_out;
  bool m_headers;
  std::string m_prefix;
  std::string m_line;
};

}  // namespace

std::unique_ptr<RowWriter> make_insert_writer(const OutputOptions& options, OutputStream& out) {
  return std::make_unique<InsertWriter>(options, out);
}

}  // namespace Tolvane::Cli
