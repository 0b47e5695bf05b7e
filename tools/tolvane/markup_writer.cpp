// Markdown (a GitHub-style pipe table) and HTML (one <table> element, well
// formed as XML too).
//
// Markdown cells escape what the table syntax and inline formatting would
// take for their own ('|', '\\', '*', '_', '`', '[', ']' with a backslash;
// '&', '<', '>' as entities) and write line breaks as <br>. A pipe table has
// no table without its header line, so --no-headers leaves it in place.
// HTML cells escape '&', '<', '>', '"' and '\''; NULL cells carry class="null".
// Blobs are x'...' with their bytes in hexadecimal in both.

#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

namespace {

void append_markdown(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '|':
      case '\\':
      case '*':
      case '_':
      case '`':
      case '[':
      case ']':
        out.push_back('\\');
        out.push_back(c);
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') {
          ++i;
        }
        out += "<br>";
        break;
      case '\n':
        out += "<br>";
        break;
      default:
        if (!append_markup_entity(out, c)) {
          out.push_back(c);
        }
    }
  }
}

void append_html(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '"') {
      out += "&quot;";
    } else if (c == '\'') {
      out += "&#39;";
    } else if (!append_markup_entity(out, c)) {
      out.push_back(c);
    }
  }
}

class MarkupWriter final : public RowWriter {
 public:
  MarkupWriter(const OutputOptions& options, OutputStream& out)
      : m_out(out),
        m_html(options.format == OutputFormat::Html),
        m_headers(options.headers),
        m_null(options.null_text.value_or("")) {}

  void begin(std::span<const std::string> columns) override {
    m_line.clear();
    if (m_html) {
      m_line += "<table>\n";
      if (m_headers) {
        m_line += "<thead>\n<tr>";
        for (const std::string& name : columns) {
          m_line += "<th>";
          append_html(m_line, name);
          m_line += "</th>";
        }
        m_line += "</tr>\n</thead>\n";
      }
      m_line += "<tbody>\n";
    } else {
      m_line.push_back('|');
      for (const std::string& name : columns) {
        m_line.push_back(' ');
        append_markdown(m_line, name);
        m_line += " |";
      }
      m_line += "\n|";
      for (std::size_t c = 0; c < columns.size(); ++c) {
        m_line += " --- |";
      }
      m_line.push_back('\n');
    }
    m_out.write(m_line);
  }

  void row(Row cells) override {
    m_line.clear();
    m_line += m_html ? "<tr>" : "|";
    for (const Cell& cell : cells) {
      if (m_html) {
        m_line += cell.kind == Cell::Kind::Null ? "<td class=\"null\">" : "<td>";
      } else {
        m_line.push_back(' ');
      }
      m_text.clear();
      switch (cell.kind) {
        case Cell::Kind::Null:
          m_text = m_null;
          break;
        case Cell::Kind::Blob:
          m_text += "x'";
          append_hex(m_text, cell.bytes);
          m_text += "'";
          break;
        default:
          append_plain(m_text, cell);
      }
      if (m_html) {
        append_html(m_line, m_text);
        m_line += "</td>";
      } else {
        append_markdown(m_line, m_text);
        m_line += " |";
      }
    }
    m_line += m_html ? "</tr>\n" : "\n";
    m_out.write(m_line);
  }

  void end() override {
    if (m_html) {
      m_out.write("</tbody>\n</table>\n");
    }
  }

 private:
  OutputStream& m_out;
  bool m_html;
  bool m_headers;
  std::string m_null;
  std::string m_line;
  std::string m_text;
};

}  // namespace

std::unique_ptr<RowWriter> make_markup_writer(const OutputOptions& options, OutputStream& out) {
  return std::make_unique<MarkupWriter>(options, out);
}

}  // namespace Tolvane::Cli
