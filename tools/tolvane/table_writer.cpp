// The aligned table: column names, a rule, one row per line. The widths come
// from the names and a first window of rows; the window is printed once it is
// full (or the rows end), and later rows use the same widths, a wider cell
// simply pushing the rest of its line to the right. So the first rows show
// after a moment and memory stays bounded however long the result is.

#include <glib.h>

#include <vector>

#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

constexpr std::size_t kWindowRows = 1000;
// Blobs longer than this show their first bytes and their length.
constexpr std::size_t kShownBlobBytes = 16;

// Terminal columns taken by UTF-8 text (wide characters count twice).
std::size_t display_width(std::string_view text) {
  bool ascii = true;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    return text.size();
  }
  if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return text.size();
  }
  std::size_t width = 0;
  for (const char* p = text.data(); p < text.data() + text.size(); p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char(p);
    if (!g_unichar_iszerowidth(c)) {
      width += g_unichar_iswide(c) ? 2 : 1;
    }
  }
  return width;
}

// The text of a cell as the table shows it: control characters that would
// break the layout are written as escapes.
void append_display(std::string& out, const Cell& cell, std::string_view null_text) {
  switch (cell.kind) {
    case Cell::Kind::Null:
      out += null_text;
      return;
    case Cell::Kind::Blob:
      out += "x'";
      append_hex(out, cell.bytes.substr(0, kShownBlobBytes));
      if (cell.bytes.size() > kShownBlobBytes) {
        out += "…' (";
        append_unsigned(out, cell.bytes.size());
        out += " bytes)";
      } else {
        out += '\'';
      }
      return;
    case Cell::Kind::Text:
      for (const char c : cell.bytes) {
        if (!append_break_escape(out, c)) {
          out.push_back(c);
        }
      }
      return;
    default:
      append_plain(out, cell);
  }
}

bool is_number(const Cell& cell) {
  return cell.kind == Cell::Kind::Integer || cell.kind == Cell::Kind::Unsigned || cell.kind == Cell::Kind::Real;
}

class TableWriter final : public RowWriter {
 public:
  TableWriter(const OutputOptions& options, OutputStream& out)
      : m_out(out), m_null(options.null_text.value_or("NULL")), m_headers(options.headers), m_colour(options.colour) {}

  void begin(std::span<const std::string> columns) override {
    m_names.assign(columns.begin(), columns.end());
    m_widths.assign(columns.size(), 0);
    m_right.assign(columns.size(), false);
    if (m_headers) {
      for (std::size_t c = 0; c < columns.size(); ++c) {
        m_widths[c] = display_width(columns[c]);
      }
    }
  }

  void row(Row cells) override {
    if (m_window_done) {
      for (std::size_t c = 0; c < cells.size(); ++c) {
        m_text.clear();
        append_display(m_text, cells[c], m_null);
        write_cell(c, m_text, cells[c].kind == Cell::Kind::Null);
      }
      m_out.put('\n');
      return;
    }
    for (std::size_t c = 0; c < cells.size(); ++c) {
      std::string text;
      append_display(text, cells[c], m_null);
      m_widths[c] = std::max(m_widths[c], display_width(text));
      m_right[c] = m_right[c] || is_number(cells[c]);
      m_window.push_back(std::move(text));
      m_window_nulls.push_back(cells[c].kind == Cell::Kind::Null);
    }
    if (m_window.size() >= kWindowRows * std::max<std::size_t>(cells.size(), 1)) {
      flush_window();
    }
  }

  void end() override {
    if (!m_window_done) {
      flush_window();
    }
  }

 private:
  void flush_window() {
    m_window_done = true;
    const std::size_t n = m_names.size();
    if (m_headers) {
      for (std::size_t c = 0; c < n; ++c) {
        if (c > 0) {
          m_out.write("  ");
        }
        m_out.write(m_names[c]);
        if (c + 1 < n) {
          m_out.repeat(' ', m_widths[c] - display_width(m_names[c]));
        }
      }
      m_out.put('\n');
      for (std::size_t c = 0; c < n; ++c) {
        if (c > 0) {
          m_out.write("  ");
        }
        m_out.repeat('-', m_widths[c]);
      }
      m_out.put('\n');
    }
    if (n > 0) {
      for (std::size_t i = 0; i < m_window.size(); ++i) {
        write_cell(i % n, m_window[i], m_window_nulls[i]);
        if (i % n == n - 1) {
          m_out.put('\n');
        }
      }
    }
    std::vector<std::string>().swap(m_window);
    std::vector<bool>().swap(m_window_nulls);
  }

  void write_cell(std::size_t c, std::string_view text, bool null) {
    if (c > 0) {
      m_out.write("  ");
    }
    const std::size_t width = display_width(text);
    const std::size_t gap = width < m_widths[c] ? m_widths[c] - width : 0;
    if (m_right[c]) {
      m_out.repeat(' ', gap);
    }
    if (null && m_colour) {
      m_out.write("\033[2m");
    }
    m_out.write(text);
    if (null && m_colour) {
      m_out.write("\033[0m");
    }
    if (!m_right[c] && c + 1 < m_widths.size()) {
      m_out.repeat(' ', gap);
    }
  }

  OutputStream& m_out;
  std::string m_null;
  bool m_headers;
  bool m_colour;
  std::vector<std::string> m_names;
  std::vector<std::size_t> m_widths;
  std::vector<bool> m_right;
  // The first rows, cell by cell, until the widths are chosen.
  std::vector<std::string> m_window;
  std::vector<bool> m_window_nulls;
  bool m_window_done = false;
  std::string m_text;
};

}  // namespace

std::unique_ptr<RowWriter> make_table_writer(const OutputOptions& options, OutputStream& out) {
  return std::make_unique<TableWriter>(options, out);
}

}  // namespace Tolvane::Cli
