#include "tessin/supports/sqlite/sql_lexer.hpp"

#include <climits>

#include <sqlite3.h>

namespace Tolvane::Providers::Supports {

namespace {

// The engine's character classes, for ASCII; every byte from 0x80 up is part
// of an identifier, which is how UTF-8 names stay whole.
bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }
bool is_hex(char c) noexcept { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// A vertical tab continues a run of white space but cannot start one: the
// engine's character classes call it illegal, its isspace() does not.
bool starts_space(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool is_space(char c) noexcept { return starts_space(c) || c == '\v'; }
bool is_id_start(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}
bool is_id_char(char c) noexcept { return is_id_start(c) || is_digit(c) || c == '$'; }

// Digit separators ('_', as in 1_000) are accepted where the engine accepts them.
constexpr char kDigitSeparator = '_';

}  // namespace

bool SqlLexer::next(SqlToken& token) noexcept {
  const std::size_t size = m_text.size();
  const std::size_t start = m_position;
  if (start >= size) {
    return false;
  }
  const char* z = m_text.data() + start;
  const std::size_t left = size - start;
  // The byte at `i`, or NUL past the end, as the engine sees its terminator.
  auto at = [z, left](std::size_t i) noexcept { return i < left ? z[i] : '\0'; };
  SqlTokenKind kind = SqlTokenKind::Punct;
  std::size_t i = 1;
  const char c = z[0];

  if (starts_space(c)) {
    kind = SqlTokenKind::Space;
    while (is_space(at(i))) {
      ++i;
    }
  } else if (is_digit(c) || (c == '.' && is_digit(at(1)))) {
    kind = SqlTokenKind::Number;
    auto digits = [&](auto accept) {
      while (accept(at(i)) || (at(i) == kDigitSeparator && accept(at(i + 1)))) {
        ++i;
      }
    };
    if (c == '0' && (at(1) == 'x' || at(1) == 'X') && is_hex(at(2))) {
      i = 2;
      digits(is_hex);
    } else {
      i = 0;
      digits(is_digit);
      if (at(i) == '.') {
        ++i;
        digits(is_digit);
      }
      if ((at(i) == 'e' || at(i) == 'E') &&
          (is_digit(at(i + 1)) || ((at(i + 1) == '+' || at(i + 1) == '-') && is_digit(at(i + 2))))) {
        i += 2;
        digits(is_digit);
      }
    }
    // "12abc" is one illegal token to the engine, not a number and a word.
    while (is_id_char(at(i))) {
      kind = SqlTokenKind::Illegal;
      ++i;
    }
  } else if ((c == 'x' || c == 'X') && at(1) == '\'') {
    kind = SqlTokenKind::Blob;
    for (i = 2; is_hex(at(i)); ++i) {
    }
    if (at(i) != '\'' || i % 2 != 0) {
      kind = SqlTokenKind::Illegal;
      while (i < left && at(i) != '\'' && at(i) != '\0') {
        ++i;
      }
    }
    if (i < left && at(i) == '\'') {
      ++i;
    }
  } else if (is_id_start(c)) {
    kind = SqlTokenKind::Word;
    while (is_id_char(at(i))) {
      ++i;
    }
  } else {
    switch (c) {
      case '\'':
      case '"':
      case '`': {
        kind = c == '\'' ? SqlTokenKind::String : SqlTokenKind::QuotedName;
        for (;; ++i) {
          if (i >= left || z[i] == '\0') {
            kind = SqlTokenKind::Illegal;
            break;
          }
          if (z[i] == c) {
            if (at(i + 1) == c) {
              ++i;
            } else {
              ++i;
              break;
            }
          }
        }
        break;
      }
      case '[':
        kind = SqlTokenKind::QuotedName;
        while (i < left && z[i] != ']' && z[i] != '\0') {
          ++i;
        }
        if (i < left && z[i] == ']') {
          ++i;
        } else {
          kind = SqlTokenKind::Illegal;
        }
        break;
      case '-':
        if (at(1) == '-') {
          kind = SqlTokenKind::LineComment;
          for (i = 2; i < left && z[i] != '\n' && z[i] != '\0'; ++i) {
          }
        } else if (at(1) == '>') {
          i = at(2) == '>' ? 3 : 2;
        }
        break;
      case '/':
        if (at(1) == '*' && at(2) != '\0') {
          kind = SqlTokenKind::BlockComment;
          for (i = 2; i < left && z[i] != '\0'; ++i) {
            if (z[i] == '*' && at(i + 1) == '/') {
              i += 2;
              break;
            }
          }
        }
        break;
      case ';':
        kind = SqlTokenKind::Semicolon;
        break;
      case '(':
      case ')':
      case ',':
      case '+':
      case '*':
      case '%':
      case '&':
      case '~':
      case '.':
        break;
      case '=':
        i = at(1) == '=' ? 2 : 1;
        break;
      case '<':
        i = (at(1) == '=' || at(1) == '>' || at(1) == '<') ? 2 : 1;
        break;
      case '>':
        i = (at(1) == '=' || at(1) == '>') ? 2 : 1;
        break;
      case '!':
        if (at(1) == '=') {
          i = 2;
        } else {
          kind = SqlTokenKind::Illegal;
        }
        break;
      case '|':
        i = at(1) == '|' ? 2 : 1;
        break;
      case '?':
        kind = SqlTokenKind::Variable;
        while (is_digit(at(i))) {
          ++i;
        }
        break;
      case '$':
      case '@':
      case ':':
      case '#': {
        // Named parameters, with the engine's Tcl-style "::" and "(...)" suffixes.
        kind = SqlTokenKind::Variable;
        std::size_t name_chars = 0;
        for (; i < left && z[i] != '\0'; ++i) {
          if (is_id_char(z[i])) {
            ++name_chars;
          } else if (z[i] == '(' && name_chars > 0) {
            do {
              ++i;
            } while (i < left && z[i] != '\0' && !is_space(z[i]) && z[i] != ')');
            if (at(i) == ')') {
              ++i;
            } else {
              kind = SqlTokenKind::Illegal;
            }
            break;
          } else if (z[i] == ':' && at(i + 1) == ':') {
            ++i;
          } else {
            break;
          }
        }
        if (name_chars == 0) {
          kind = SqlTokenKind::Illegal;
        }
        break;
      }
      default:
        kind = SqlTokenKind::Illegal;
        break;
    }
  }
  if (i > left) {
    i = left;
  }
  token = SqlToken{kind, start, i};
  m_position = start + i;
  return true;
}

std::vector<SqlToken> tokenize_sql(std::string_view text, bool with_trivia) {
  std::vector<SqlToken> tokens;
  SqlLexer lexer(text);
  SqlToken token;
  while (lexer.next(token)) {
    if (with_trivia || !is_trivia(token.kind)) {
      tokens.push_back(token);
    }
  }
  return tokens;
}

std::string unquote_sql(std::string_view token) {
  if (token.size() < 2) {
    return std::string(token);
  }
  const char open = token.front();
  const char close = open == '[' ? ']' : open;
  if ((open != '"' && open != '`' && open != '\'' && open != '[') || token.back() != close) {
    return std::string(token);
  }
  const std::string_view inner = token.substr(1, token.size() - 2);
  if (open == '[') {
    return std::string(inner);
  }
  std::string name;
  name.reserve(inner.size());
  for (std::size_t i = 0; i < inner.size(); ++i) {
    name.push_back(inner[i]);
    if (inner[i] == open && i + 1 < inner.size() && inner[i + 1] == open) {
      ++i;
    }
  }
  return name;
}

bool is_sql_keyword(std::string_view word) {
  if (word.empty() || word.size() > static_cast<std::size_t>(INT_MAX)) {
    return false;
  }
  return sqlite3_keyword_check(word.data(), static_cast<int>(word.size())) != 0;
}

bool is_plain_identifier(std::string_view name) {
  if (name.empty() || is_digit(name.front())) {
    return false;
  }
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_';
    if (!ok) {
      return false;
    }
  }
  return true;
}

bool needs_sql_quotes(std::string_view name) { return !is_plain_identifier(name) || is_sql_keyword(name); }

}  // namespace Tolvane::Providers::Supports
