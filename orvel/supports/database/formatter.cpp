#include "orvel/supports/database/formatter.hpp"

#include <glib.h>

#include "orvel/supports/database/formatter_check.hpp"
#include "orvel/supports/database/formatter_layout.hpp"
#include "tessin/core/source_log.hpp"
#include "orvel/supports/database/formatter_tokens.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

static_assert(Formatter::max_depth == Layout::kMaxDepth);

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
  } else if (Layout::upper_cases(word) && is_punct(text, previous, ',') && scan.skeleton.back() == ',') {
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
    CodeToken code{token.offset, token.length, false, 1, Layout::kMaskClosed};
    const bool plain = token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::Punct ||
                       token.kind == SqlTokenKind::Semicolon;
    if (token.kind == SqlTokenKind::String) {
      code.form_length = Layout::kStringMark.size();
      code.form = Layout::kStringMark.front();
      scan.skeleton.append(Layout::kStringMark);
    } else if (plain && is_ascii(written)) {
      code.bare = true;
      code.form_length = written.size();
      add_layout_blanks(scan, text, written);
      scan.skeleton.append(written);
    } else {
      if (token.kind == SqlTokenKind::Illegal || ends_joinable(written)) {
        code.form = Layout::kMaskJoining;
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

bool line_is_empty(std::string_view out) noexcept {
  for (std::size_t i = out.size(); i > 0; --i) {
    if (out[i - 1] == '\n') {
      return true;
    }
    if (out[i - 1] != ' ') {
      return false;
    }
  }
  return true;
}

std::string indent_of_last_line(std::string_view out) {
  const std::size_t newline = out.rfind('\n');
  const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
  std::size_t end = start;
  while (end < out.size() && out[end] == ' ') {
    ++end;
  }
  return std::string(out.substr(start, end - start));
}

// Writes the gap before the next code token: the layout's white space, or the
// gap's comments with the line breaks they need. A comment that stood on a
// line of its own (or lands at a line start) gets a line of its own; one that
// followed code stays after it; a line comment is always followed by a line
// break. At the end of the text nothing follows the last comment.
void write_gap(std::string& out, std::string_view text, std::string_view white, const Comment* first,
               const Comment* last, bool at_end) {
  if (first == last) {
    out.append(white);
    return;
  }
  const std::size_t newline = white.rfind('\n');
  const std::string indent =
      newline != std::string_view::npos ? std::string(white.substr(newline + 1)) : indent_of_last_line(out);
  bool at_line_start = line_is_empty(out);
  for (const Comment* comment = first; comment != last; ++comment) {
    const bool more = comment + 1 != last || !at_end;
    if (comment->own_line || at_line_start) {
      if (!at_line_start) {
        out.push_back('\n');
        out.append(indent);
      }
    } else if (!out.empty() && out.back() != ' ' && out.back() != '\n') {
      out.push_back(' ');
    }
    const bool alone = comment->own_line || at_line_start;
    const std::string_view written = text.substr(comment->offset, comment->length);
    out.append(written);
    if (!comment->line && (written.size() < 4 || !written.ends_with("*/"))) {
      // An unclosed block comment stops only at a NUL byte, which must follow
      // it directly: anything written in between would become part of it.
      return;
    }
    at_line_start = false;
    if (more && (alone || comment->line)) {
      out.push_back('\n');
      out.append(indent);
      at_line_start = true;
    }
  }
  if (!at_line_start && !at_end) {
    if (newline != std::string_view::npos) {
      out.push_back('\n');
      out.append(indent);
    } else {
      out.push_back(' ');
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
  std::string out;
  out.reserve(text.size() + text.size() / 4);
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
      // while no white space comes right before it (see FormatterTokens).
      if (written == "\v") {
        while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) {
          out.pop_back();
        }
      }
      out.append(written);
    }
    at += token.form_length;
  }
  if (at != laid.size()) {
    return Core::fail(lost_token(text.size()));
  }
  return out;
}

// Whether `next` may be written right after `previous` without a blank and
// still be read as two tokens. Only a parameter ("$a" before "(") or an illegal
// token can take in what follows it; other tokens end where they end.
bool stays_apart(std::string_view text, const SqlToken& previous, const SqlToken& next) {
  if (previous.kind != SqlTokenKind::Variable && previous.kind != SqlTokenKind::Illegal) {
    return true;
  }
  std::string joined(previous.text(text));
  joined.append(next.text(text));
  FormatterTokens tokens(joined);
  SqlToken first;
  return tokens.next(first) && first.length == previous.length;
}

bool is_bracket(std::string_view text, const SqlToken& token) {
  return token.kind == SqlTokenKind::Punct && token.length == 1 &&
         (text[token.offset] == '(' || text[token.offset] == ')');
}

// Every run of white space becomes one blank, and none is left before a
// bracket; after a line comment the run becomes a line break, which ends it.
std::string squeeze(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  FormatterTokens tokens(text);
  SqlToken token;
  SqlToken previous;
  bool has_previous = false;
  bool pending_white = false;
  while (tokens.next(token)) {
    if (token.kind == SqlTokenKind::Space) {
      pending_white = true;
      continue;
    }
    if (pending_white) {
      if (has_previous && previous.kind == SqlTokenKind::LineComment) {
        out.push_back('\n');
      } else if (!is_bracket(text, token) || (has_previous && !stays_apart(text, previous, token))) {
        out.push_back(' ');
      }
      pending_white = false;
    }
    out.append(token.text(text));
    previous = token;
    has_previous = true;
  }
  if (pending_white) {
    out.push_back(has_previous && previous.kind == SqlTokenKind::LineComment ? '\n' : ' ');
  }
  return out;
}

// Checks what every result must hold: the tokens of the text it came from.
Core::Result<std::string> checked(std::string_view statements, std::string result, bool keyword_case) {
  if (const auto difference = compare_sql_tokens(statements, result, keyword_case)) {
    return Core::fail(Formatter::error_domain, Formatter::TokensChanged,
                      "formatting would change the SQL at " + difference->describe(statements));
  }
  return result;
}

Core::Status require_utf8(std::string_view statements) {
  if (const auto invalid = first_invalid_utf8(statements)) {
    return Core::fail(Formatter::error_domain, Formatter::NotUtf8,
                      "the text is not valid UTF-8 (byte offset " + std::to_string(*invalid) + ")");
  }
  return {};
}

}  // namespace

const Core::TypeInfo& Formatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseFormatter", &Core::Object::static_type(),
                                   {&Contracts::Database::IFormattable::static_type()}, Core::factory_of<Formatter>(),
                                   {});
  return info;
}

FormatterPtr Formatter::configured() {
  FormatterPtr formatter = create();
  formatter->option("LINE_START",
                    "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER TABLE,"
                    "DELETE FROM,UNION ALL,UNION,EXCEPT,INTERSECT");
  formatter->option("LINE_BREAK",
                    "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND");
  return formatter;
}

void Formatter::option(std::optional<std::string_view> name, std::optional<std::string_view> value) {
  TOLVANE_RETURN_IF_FAIL(name.has_value(), "name != NULL");
  TOLVANE_RETURN_IF_FAIL(value.has_value(), "value != NULL");
  auto found = m_options.find(*name);
  if (found != m_options.end()) {
    found->second.assign(*value);
  } else {
    m_options.emplace(std::string(*name), std::string(*value));
  }
}

std::optional<std::string> Formatter::get_option(std::string_view name) const {
  auto found = m_options.find(name);
  if (found == m_options.end()) {
    return std::nullopt;
  }
  return found->second;
}

Core::Result<std::string> Formatter::beautify_checked(std::string_view statements) {
  if (auto valid = require_utf8(statements); !valid) {
    return Core::fail(std::move(valid.error()));
  }
  const Scan scan = scan_text(statements);
  auto laid = Layout::lay_out(scan.skeleton, scan.statement_ends);
  if (!laid) {
    return Core::fail(std::move(laid.error()));
  }
  auto restored = restore(statements, scan, *laid);
  if (!restored) {
    return restored;
  }
  return checked(statements, std::move(*restored), true);
}

Core::Result<std::string> Formatter::minify_checked(std::string_view statements) {
  if (auto valid = require_utf8(statements); !valid) {
    return Core::fail(std::move(valid.error()));
  }
  return checked(statements, squeeze(statements), false);
}

std::optional<std::string> Formatter::beautify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  auto formatted = beautify_checked(*statements);
  if (!formatted) {
    // Text that is not UTF-8 is handed back quietly, as it always was.
    if (formatted.error().code != NotUtf8) {
      TOLVANE_WARNING("Failed to beautify statements: %s", formatted.error().message.c_str());
    }
    return std::string(*statements);
  }
  return std::move(*formatted);
}

std::optional<std::string> Formatter::minify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  auto squeezed = minify_checked(*statements);
  if (!squeezed) {
    // The position prefix is part of the message callers and log readers know.
    g_warning("formatter:104: Failed to minify statements: %s", squeezed.error().message.c_str());
    return std::string(*statements);
  }
  return std::move(*squeezed);
}

}  // namespace Tolvane::Orvel::Supports::Database
