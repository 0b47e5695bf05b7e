#include "orvel/supports/data/documents/markup.hpp"

#include <glib.h>

namespace Tolvane::Orvel::Supports::Data::Documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

enum class Target { Html, Markdown };

// Whether HTML can carry the character: not NUL, no control character other
// than tab, line feed and carriage return.
bool carried(gunichar c) { return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c != 0x7F); }

template <Target target>
void append_escaped(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  std::size_t plain = 0;  // start of the run not yet copied
  std::size_t i = 0;
  const auto flush = [&](std::size_t end) { out.append(text.data() + plain, end - plain); };
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::string_view replaced;
    std::size_t length = 1;
    if (byte >= 0x80) {
      const gunichar c = g_utf8_get_char_validated(text.data() + i, static_cast<gssize>(text.size() - i));
      if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
        replaced = kReplacement;  // one byte at a time, as g_utf8_make_valid does
      } else {
        length = static_cast<std::size_t>(g_utf8_skip[byte]);
      }
    } else if (byte == '&') {
      replaced = "&amp;";
    } else if (byte == '<') {
      replaced = "&lt;";
    } else if (byte == '>') {
      replaced = "&gt;";
    } else if (target == Target::Html && byte == '"') {
      replaced = "&quot;";
    } else if (target == Target::Html && byte == '\'') {
      replaced = "&#39;";
    } else if (target == Target::Markdown && (byte == '\\' || byte == '|' || byte == '[' || byte == ']')) {
      flush(i);
      out += '\\';
      out += static_cast<char>(byte);
      plain = ++i;
      continue;
    } else if (target == Target::Markdown && (byte == '\n' || byte == '\r')) {
      replaced = "<br>";
      if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        length = 2;
      }
    } else if (!carried(byte)) {
      replaced = kReplacement;
    }
    if (replaced.empty()) {
      i += length;
      continue;
    }
    flush(i);
    out += replaced;
    i += length;
    plain = i;
  }
  flush(text.size());
}

}  // namespace

void append_html(std::string& out, std::string_view text) { append_escaped<Target::Html>(out, text); }

std::string html(std::string_view text) {
  std::string out;
  append_html(out, text);
  return out;
}

void append_markdown(std::string& out, std::string_view text) { append_escaped<Target::Markdown>(out, text); }

std::string markdown(std::string_view text) {
  std::string out;
  append_markdown(out, text);
  return out;
}

std::string fragment(std::string_view id) {
  static constexpr std::string_view kSafe = "-._~!$*+,;=:@/?";
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(id.size());
  for (char ch : id) {
    const auto byte = static_cast<unsigned char>(ch);
    if (g_ascii_isalnum(ch) || kSafe.find(ch) != std::string_view::npos) {
      out += ch;
    } else {
      out += '%';
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0x0F];
    }
  }
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Data::Documents
