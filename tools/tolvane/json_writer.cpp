// JSON: one array of objects (json) or one object per line (jsonl). Members
// are named by the columns (a repeated name gets ":2", ":3", ...). NULL is
// null; integers and reals are numbers, reals in their shortest exact form
// with a decimal point or exponent; infinities are ±9e999, which JSON readers
// take as the largest number they have (as SQLite's own JSON functions write
// them), and NaN is null. Texts are escaped as JSON requires, bytes that are
// not UTF-8 replaced by U+FFFD, so the output is always valid JSON; blobs are
// base64 texts.

#include <glib.h>

#include <cmath>
#include <vector>

#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

void append_escaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte >= 0x20) {
      out.push_back(c);
    } else if (append_break_escape(out, c)) {
      // \n, \r, \t
    } else if (c == '\b' || c == '\f') {
      out += c == '\b' ? "\\b" : "\\f";
    } else {
      out += "\\u00";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    }
  }
  out.push_back('"');
}

bool is_ascii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

void append_json_string(std::string& out, std::string_view text) {
  if (is_ascii(text) || g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    append_escaped(out, text);
    return;
  }
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  append_escaped(out, valid);
  g_free(valid);
}

void append_json_real(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "null";
  } else if (std::isinf(value)) {
    out += value < 0 ? "-9e999" : "9e999";
  } else {
    append_real(out, value);
  }
}

void append_base64(std::string& out, std::string_view bytes) {
  gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
  out.push_back('"');
  out += encoded;
  out.push_back('"');
  g_free(encoded);
}

class JsonWriter final : public RowWriter {
 public:
  JsonWriter(const OutputOptions& options, OutputStream& out)
      : m_out(out), m_lines(options.format == OutputFormat::JsonLines) {}

  void begin(std::span<const std::string> columns) override {
    m_keys.clear();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      std::string name = columns[c];
      int repeat = 1;
      for (std::size_t earlier = 0; earlier < c; ++earlier) {
        repeat += columns[earlier] == columns[c] ? 1 : 0;
      }
      if (repeat > 1) {
        name += ":" + std::to_string(repeat);
      }
      std::string key;
      append_json_string(key, name);
      key.push_back(':');
      m_keys.push_back(std::move(key));
    }
    if (!m_lines) {
      m_out.put('[');
    }
  }

  void row(Row cells) override {
    m_line.clear();
    if (!m_lines) {
      m_line += m_rows == 0 ? "\n" : ",\n";
    }
    m_line.push_back('{');
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) {
        m_line.push_back(',');
      }
      m_line += m_keys[c];
      const Cell& cell = cells[c];
      switch (cell.kind) {
        case Cell::Kind::Null:
          m_line += "null";
          break;
        case Cell::Kind::Real:
          append_json_real(m_line, cell.real);
          break;
        case Cell::Kind::Text:
          append_json_string(m_line, cell.bytes);
          break;
        case Cell::Kind::Blob:
          append_base64(m_line, cell.bytes);
          break;
        default:
          append_plain(m_line, cell);
      }
    }
    m_line.push_back('}');
    if (m_lines) {
      m_line.push_back('\n');
    }
    m_out.write(m_line);
    ++m_rows;
  }

  void end() override {
    if (!m_lines) {
      m_out.write(m_rows == 0 ? "]\n" : "\n]\n");
    }
  }

 private:
  OutputStream& m_out;
  bool m_lines;
  std::vector<std::string> m_keys;
  std::string m_line;
  std::size_t m_rows = 0;
};

}  // namespace

std::unique_ptr<RowWriter> make_json_writer(const OutputOptions& options, OutputStream& out) {
  return std::make_unique<JsonWriter>(options, out);
}

}  // namespace Tolvane::Cli
