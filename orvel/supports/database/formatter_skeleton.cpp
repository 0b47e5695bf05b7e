#include "orvel/supports/database/formatter_layout.hpp"

#include <glib.h>

#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/formatter_tokens.hpp"

namespace Tolvane::Orvel::Supports::Database::Layout {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

bool is_ascii(std::string_view text) noexcept {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

// Whether a token's last byte is one that a following word could run on from.
bool ends_joinable(std::string_view token) noexcept {
  const auto c = static_cast<unsigned char>(token.back());
  return g_ascii_isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

struct CodeToken {
  std::size_t offset;
  std::size_t length;
  // Held as written in the skeleton (a bare ASCII word, punctuation, ';'); the
  // layout may change its case. Otherwise the skeleton holds a stand-in.
  bool bare;
  std::size_t form_length;
  char form;  // the stand-in's first character
};

struct Comment {
  std::size_t offset;
  std::size_t length;
  bool line;      // a line comment, which needs its line end after it
  bool own_line;  // nothing but white space before it on its line
};

// A text as the layout sees it: the skeleton of its code and, for each gap
// between two code tokens, the comments that stood there.
struct Scan {
  std::string skeleton;
  std::vector<std::size_t> statement_ends;
  std::vector<CodeToken> code;
  std::vector<Comment> comments;
  // The comments of the gap before code token k end at comment_ends[k]; the
  // last entry closes the gap after the last token.
  std::vector<std::size_t> comment_ends;
};

bool is_select(std::string_view word) noexcept {
  return word.size() == 6 && g_ascii_strncasecmp(word.data(), "select", 6) == 0;
}

bool is_punct(std::string_view text, const CodeToken& token, char punct) noexcept {
  return token.bare && token.length == 1 && text[token.offset] == punct;
}

// The layout breaks lines where the text may have had no white space: before
// "(SELECT" and after the commas of a select list. Formatting its result again
// would find blanks there, and rules would apply that did not apply the first
// time. The skeleton gets those blanks at once (before the bracket, and after
// a comma that a keyword follows), so that formatting formatted text changes
// nothing.
void add_layout_blanks(Scan& scan, std::string_view text, std::string_view word) {
  if (scan.code.empty()) {
    return;
  }
  const CodeToken& previous = scan.code.back();
  const std::size_t statement_begin = scan.statement_ends.empty() ? 0 : scan.statement_ends.back();
  if (is_select(word) && is_punct(text, previous, '(')) {
    const std::size_t bracket = scan.skeleton.rfind('(');
    if (bracket > statement_begin && scan.skeleton[bracket - 1] != ' ') {
      scan.skeleton.insert(bracket, 1, ' ');
    }
  } else if (upper_cases(word) && is_punct(text, previous, ',') && scan.skeleton.back() == ',') {
    scan.skeleton.push_back(' ');
  }
}

Scan scan_text(std::string_view text) {
  Scan scan;
  scan.skeleton.reserve(text.size());
  bool separated = false;
  bool line_start = true;
  bool statement_start = true;
  FormatterTokens tokens(text);
  SqlToken token;
  while (tokens.next(token)) {
    const std::string_view written = token.text(text);
    switch (token.kind) {
      case SqlTokenKind::Space:
        separated = true;
        line_start = line_start || written.find('\n') != std::string_view::npos;
        continue;
      case SqlTokenKind::LineComment:
      case SqlTokenKind::BlockComment:
        scan.comments.push_back(
            {token.offset, token.length, token.kind == SqlTokenKind::LineComment, line_start});
        separated = true;
        line_start = false;
        continue;
      default:
        break;
    }
    // Statements are laid out apart, so no blank opens one.
    if (separated && !statement_start) {
      scan.skeleton.push_back(' ');
    }
    CodeToken code{token.offset, token.length, false, 1, kMaskClosed};
    const bool plain = token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::Punct ||
                       token.kind == SqlTokenKind::Semicolon;
    if (token.kind == SqlTokenKind::String) {
      code.form_length = kStringMark.size();
      code.form = kStringMark.front();
      scan.skeleton.append(kStringMark);
    } else if (plain && is_ascii(written)) {
      code.bare = true;
      code.form_length = written.size();
      add_layout_blanks(scan, text, written);
      scan.skeleton.append(written);
    } else {
      if (token.kind == SqlTokenKind::Illegal || ends_joinable(written)) {
        code.form = kMaskJoining;
      }
      scan.skeleton.push_back(code.form);
    }
    scan.code.push_back(code);
    scan.comment_ends.push_back(scan.comments.size());
    separated = false;
    line_start = false;
    statement_start = token.kind == SqlTokenKind::Semicolon;
    if (statement_start) {
      scan.statement_ends.push_back(scan.skeleton.size());
    }
  }
  if (!statement_start) {
    scan.statement_ends.push_back(scan.skeleton.size());
  }
  scan.comment_ends.push_back(scan.comments.size());
  return scan;
}

// The text being written, and what placing comments needs to know about its
// last line, kept up to date as it grows: a long line with many comments
// costs no more than a short one.
class Output {
 public:
  explicit Output(std::size_t expected) { m_text.reserve(expected); }

  void append(std::string_view piece) {
    const std::size_t base = m_text.size();
    m_text.append(piece);
    std::size_t from = 0;
    if (const std::size_t newline = piece.rfind('\n'); newline != std::string_view::npos) {
      m_line_start = base + newline + 1;
      m_first_solid = std::string::npos;
      from = newline + 1;
    }
    for (std::size_t i = from; m_first_solid == std::string::npos && i < piece.size(); ++i) {
      if (piece[i] != ' ') {
        m_first_solid = base + i;
      }
    }
  }
  void line_break(std::string_view indent) {
    append("\n");
    append(indent);
  }

  // Removes the white space at the end (rarely needed: see `restore`).
  void drop_trailing_white() {
    while (!m_text.empty() && (m_text.back() == ' ' || m_text.back() == '\n')) {
      m_text.pop_back();
    }
    const std::size_t newline = m_text.rfind('\n');
    m_line_start = newline == std::string::npos ? 0 : newline + 1;
    m_first_solid = m_line_start < m_text.size() ? m_text.find_first_not_of(' ', m_line_start) : std::string::npos;
  }

  // Whether the last line holds nothing but blanks.
  bool line_is_empty() const noexcept { return m_first_solid == std::string::npos; }
  // The blanks the last line starts with.
  std::string indent() const {
    const std::size_t end = line_is_empty() ? m_text.size() : m_first_solid;
    return std::string(end - m_line_start, ' ');
  }
  bool ends_in_white() const noexcept { return m_text.empty() || m_text.back() == ' ' || m_text.back() == '\n'; }

  std::string take() { return std::move(m_text); }

 private:
  std::string m_text;
  std::size_t m_line_start = 0;
  std::size_t m_first_solid = std::string::npos;
};

// Writes the gap before the next code token: the layout's white space, or the
// gap's comments with the line breaks they need. A comment that stood on a
// line of its own (or lands at a line start) gets a line of its own; one that
// followed code stays after it; a line comment is always followed by a line
// break. At the end of the text nothing follows the last comment.
void write_gap(Output& out, std::string_view text, std::string_view white, const Comment* first, const Comment* last,
               bool at_end) {
  if (first == last) {
    out.append(white);
    return;
  }
  const std::size_t newline = white.rfind('\n');
  const std::string indent = newline != std::string_view::npos ? std::string(white.substr(newline + 1)) : out.indent();
  bool at_line_start = out.line_is_empty();
  for (const Comment* comment = first; comment != last; ++comment) {
    const bool more = comment + 1 != last || !at_end;
    const bool alone = comment->own_line || at_line_start;
    if (alone && !at_line_start) {
      out.line_break(indent);
    } else if (!alone && !out.ends_in_white()) {
      out.append(" ");
    }
    const std::string_view written = text.substr(comment->offset, comment->length);
    out.append(written);
    if (!comment->line && (written.size() < 4 || !written.ends_with("*/"))) {
      // An unclosed block comment stops only at a NUL byte, which must follow
      // it directly: anything written in between would become part of it.
      return;
    }
    at_line_start = false;
    if (more && (alone || comment->line)) {
      out.line_break(indent);
      at_line_start = true;
    }
  }
  if (!at_line_start && !at_end) {
    if (newline != std::string_view::npos) {
      out.line_break(indent);
    } else {
      out.append(" ");
    }
  }
}

Core::Error lost_token(std::size_t offset) {
  return Core::Error{Formatter::error_domain, Formatter::TokensChanged,
                     "the layout lost the token at byte " + std::to_string(offset)};
}

// The text with its code tokens where the layout of its skeleton put their
// stand-ins, and its comments beside them.
Core::Result<std::string> restore(std::string_view text, const Scan& scan, std::string_view laid) {
  Output out(text.size() + text.size() / 4);
  std::size_t at = 0;
  const std::size_t count = scan.code.size();
  for (std::size_t k = 0; k <= count; ++k) {
    const std::size_t white_start = at;
    while (at < laid.size() && (laid[at] == ' ' || laid[at] == '\n')) {
      ++at;
    }
    const Comment* first = scan.comments.data() + (k == 0 ? 0 : scan.comment_ends[k - 1]);
    const Comment* last = scan.comments.data() + scan.comment_ends[k];
    write_gap(out, text, laid.substr(white_start, at - white_start), first, last, k == count);
    if (k == count) {
      break;
    }
    const CodeToken& token = scan.code[k];
    const std::string_view form = laid.substr(at, token.form_length);
    const std::string_view written = text.substr(token.offset, token.length);
    if (token.bare) {
      if (form.size() != written.size() ||
          g_ascii_strncasecmp(form.data(), written.data(), written.size()) != 0) {
        return Core::fail(lost_token(token.offset));
      }
      out.append(form);
    } else {
      if (form.size() != token.form_length || form.front() != token.form) {
        return Core::fail(lost_token(token.offset));
      }
      // A vertical tab the engine reads as an illegal character stays one only
      // while no white space comes right before it (see FormatterTokens in formatter_tokens.hpp).
      if (written == "\v") {
        out.drop_trailing_white();
      }
      out.append(written);
    }
    at += token.form_length;
  }
  if (at != laid.size()) {
    return Core::fail(lost_token(text.size()));
  }
  return out.take();
}

}  // namespace

Core::Result<std::string> lay_out_text(std::string_view statements) {
  const Scan scan = scan_text(statements);
  auto laid = lay_out(scan.skeleton, scan.statement_ends);
  if (!laid) {
    return Core::fail(std::move(laid.error()));
  }
  return restore(statements, scan, *laid);
}

}  // namespace Tolvane::Orvel::Supports::Database::Layout
