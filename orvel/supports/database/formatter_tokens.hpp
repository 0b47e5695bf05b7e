#pragma once

// Internal to liborvel: the tokens the formatter works on and checks.

#include <string_view>

#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Orvel::Supports::Database {

// SqlLexer's tokens, with white space read exactly as the engine reads it. The
// engine takes a vertical tab for white space only inside a run that starts
// with other white space; one that starts a run is an illegal character, and a
// statement holding it does not prepare. SqlLexer counts it as white space
// everywhere, so such a tab comes out of here as an illegal token of its own,
// which the formatter keeps instead of turning it into a blank (which would
// make a broken statement run).
class FormatterTokens {
 public:
  using Token = Providers::Supports::SqlToken;
  using Kind = Providers::Supports::SqlTokenKind;

  explicit FormatterTokens(std::string_view text) noexcept : m_text(text), m_lexer(text) {}

  // The next token; false at the end of the text.
  bool next(Token& token) noexcept {
    if (m_white.length == 0) {
      if (!m_lexer.next(token)) {
        return false;
      }
      if (token.kind != Kind::Space) {
        return true;
      }
      m_white = token;
    }
    if (m_text[m_white.offset] == '\v') {
      token = Token{Kind::Illegal, m_white.offset, 1};
      ++m_white.offset;
      --m_white.length;
      return true;
    }
    token = m_white;
    m_white.length = 0;
    return true;
  }

 private:
  std::string_view m_text;
  Providers::Supports::SqlLexer m_lexer;
  // The part of a run of white space not handed out yet.
  Token m_white{Kind::Space, 0, 0};
};

}  // namespace Tolvane::Orvel::Supports::Database
