#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Supports {

// The kinds of token SQLite's own tokenizer tells apart, grouped as callers
// need them: a formatter must leave literals, quoted names and comments alone;
// a reader of CREATE texts needs words, names and brackets.
enum class SqlTokenKind : std::uint8_t {
  Space,         // blanks, tabs, line ends, form feeds
  LineComment,   // "--" up to, not including, the line end
  BlockComment,  // "/* ... */"; an unterminated one runs to the end of the text
  Word,          // a bare identifier or keyword
  QuotedName,    // "...", `...` or [...]
  String,        // '...'
  Number,        // 12, 1.5e3, .5, 0x1F, 1_000
  Blob,          // x'0A1B'
  Variable,      // ?, ?1, :name, @name, $name
  Punct,         // operators and brackets: ( ) , . + - * / % = == < <= <> << > >= >> != || -> ->> & | ~
  Semicolon,
  Illegal,       // what SQLite would reject: an unterminated literal, a stray character
};

struct SqlToken {
  SqlTokenKind kind = SqlTokenKind::Illegal;
  std::size_t offset = 0;
  std::size_t length = 0;

  std::string_view text(std::string_view source) const { return source.substr(offset, length); }
};

// Cuts SQL text into tokens by SQLite's rules, without allocating: every byte
// of the input belongs to exactly one token, so the tokens of a text put back
// together give the text. Bytes from 0x80 up count as identifier characters, as
// the engine counts them, so UTF-8 names are single words.
class TESSIN_API SqlLexer {
 public:
  explicit SqlLexer(std::string_view text) noexcept : m_text(text) {}

  // The next token; false at the end of the text.
  bool next(SqlToken& token) noexcept;

  std::size_t position() const noexcept { return m_position; }

 private:
  std::string_view m_text;
  std::size_t m_position = 0;
};

// Every token of `text`; with `with_trivia` false, white space and comments are
// left out.
TESSIN_API std::vector<SqlToken> tokenize_sql(std::string_view text, bool with_trivia = false);

inline bool is_trivia(SqlTokenKind kind) noexcept {
  return kind == SqlTokenKind::Space || kind == SqlTokenKind::LineComment || kind == SqlTokenKind::BlockComment;
}

// The name a Word or QuotedName token stands for: quotes removed and doubled
// quotes made single ("a""b" -> a"b, [x y] -> x y, `a``b` -> a`b). A String
// token gives its text the same way; any other token is returned as it is.
TESSIN_API std::string unquote_sql(std::string_view token);

// Whether `word` (any case) is one of the engine's keywords.
TESSIN_API bool is_sql_keyword(std::string_view word);

// Whether `name` has the shape of a plain ASCII identifier: [A-Za-z_][A-Za-z0-9_]*.
TESSIN_API bool is_plain_identifier(std::string_view name);

// Whether `name` must be quoted to stand in SQL as a name: it is not a plain
// identifier, or it is a keyword ("order", "group").
TESSIN_API bool needs_sql_quotes(std::string_view name);

}  // namespace Tolvane::Providers::Supports
