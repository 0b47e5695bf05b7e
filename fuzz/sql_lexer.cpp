// The SQL lexer: its tokens cover every byte of any text exactly once, each
// has the shape of its kind, and lexing from any token's start gives the same
// tokens again. The quoting helpers beside it: a name put in quotes or
// brackets lexes back as one name that unquotes to the same text, and a name
// said to need no quotes is one bare word.

#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace {

using namespace Tolvane::Providers::Supports;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

bool is_space_byte(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '\v'; }

std::string describe(const SqlToken& token, std::string_view text) {
  return "token at " + std::to_string(token.offset) + " of kind " + std::to_string(static_cast<int>(token.kind)) +
         ": " + excerpt(token.text(text));
}

// What each kind of token must look like, whatever the text around it.
void check_shape(const SqlToken& token, std::string_view text) {
  const std::string_view t = token.text(text);
  const std::string where = describe(token, text);
  switch (token.kind) {
    case SqlTokenKind::Space:
      check(t.front() != '\v', "white space does not start with a vertical tab", where);
      for (const char c : t) {
        check(is_space_byte(c), "white space holds only blanks", where);
      }
      break;
    case SqlTokenKind::LineComment:
      check(t.starts_with("--") && t.find('\n') == std::string_view::npos, "a line comment ends before its line end",
            where);
      break;
    case SqlTokenKind::BlockComment:
      check(t.starts_with("/*") && t.size() >= 3, "a block comment starts with /*", where);
      break;
    case SqlTokenKind::String:
      check(t.size() >= 2 && Tolvane::Orvel::Supports::Database::quoted(unquote_sql(t), '\'') == t,
            "a string literal is its text quoted", where);
      break;
    case SqlTokenKind::QuotedName:
      if (t.front() == '[') {
        check(t.size() >= 2 && t.back() == ']' && t.substr(1, t.size() - 2).find(']') == std::string_view::npos,
              "a bracketed name holds no ]", where);
      } else {
        check(t.size() >= 2 && Tolvane::Orvel::Supports::Database::quoted(unquote_sql(t), t.front()) == t,
              "a quoted name is its name quoted", where);
      }
      break;
    case SqlTokenKind::Word:
      check(!(t.front() >= '0' && t.front() <= '9') && t.front() != '$', "a word starts with a letter", where);
      break;
    case SqlTokenKind::Number:
      check((t.front() >= '0' && t.front() <= '9') || t.front() == '.', "a number starts with a digit or a point",
            where);
      break;
    case SqlTokenKind::Blob:
      check(t.size() >= 3 && t.size() % 2 == 1 && (t.front() == 'x' || t.front() == 'X') && t[1] == '\'' &&
                t.back() == '\'',
            "a blob literal is x'' around an even number of digits", where);
      break;
    case SqlTokenKind::Semicolon:
      check(t == ";", "a semicolon token is one ;", where);
      break;
    default:
      break;
  }
}

void check_tokens(std::string_view text) {
  std::vector<SqlToken> tokens;
  SqlLexer lexer(text);
  SqlToken token;
  std::size_t end = 0;
  while (lexer.next(token)) {
    check(token.offset == end && token.length > 0 && token.offset + token.length <= text.size(),
          "tokens follow each other without gaps or overlaps", describe(token, text));
    check(lexer.position() == token.offset + token.length, "the lexer stands after the token it gave");
    check_shape(token, text);
    end = token.offset + token.length;
    tokens.push_back(token);
  }
  check(end == text.size(), "the tokens cover the whole text");

  // A token ends where the next one starts whatever came before it, so lexing
  // may start at any token (the statement splitter and the formatter rely on
  // it). Checked from a token near the middle.
  if (tokens.size() > 1) {
    const std::size_t from = tokens.size() / 2;
    const std::size_t base = tokens[from].offset;
    SqlLexer rest(text.substr(base));
    for (std::size_t i = from; i < tokens.size(); ++i) {
      check(rest.next(token) && token.kind == tokens[i].kind && token.offset + base == tokens[i].offset &&
                token.length == tokens[i].length,
            "lexing from a token's start gives the same tokens", describe(tokens[i], text));
    }
    check(!rest.next(token), "lexing from a token's start gives no extra token");
  }

  std::size_t significant = 0;
  for (const SqlToken& each : tokens) {
    significant += is_trivia(each.kind) ? 0 : 1;
  }
  check(tokenize_sql(text, false).size() == significant, "tokenize_sql leaves out exactly white space and comments");
}

// A lone token of `kind` covering all of `text`, or nothing.
bool lexes_as_one(std::string_view text, SqlTokenKind kind) {
  SqlLexer lexer(text);
  SqlToken token;
  return lexer.next(token) && token.kind == kind && token.length == text.size() && !lexer.next(token);
}

void check_quoting(std::string_view name) {
  using Tolvane::Orvel::Supports::Database::bracketed;
  using Tolvane::Orvel::Supports::Database::quoted;
  // The engine reads a text only up to a NUL byte, so a name with one cannot
  // stand in SQL at all.
  if (name.find('\0') != std::string_view::npos) {
    return;
  }
  for (const char quote : {'"', '`', '\''}) {
    const std::string text = quoted(name, quote);
    check(lexes_as_one(text, quote == '\'' ? SqlTokenKind::String : SqlTokenKind::QuotedName),
          "a quoted name is one token", excerpt(text));
    check(unquote_sql(text) == name, "a quoted name unquotes to itself", excerpt(text));
  }
  const std::string text = bracketed(name);
  check(lexes_as_one(text, SqlTokenKind::QuotedName), "a bracketed name is one token", excerpt(text));
  check(unquote_sql(text) == name, "a bracketed name unquotes to itself", excerpt(text));
  if (!needs_sql_quotes(name)) {
    check(lexes_as_one(name, SqlTokenKind::Word) && !is_sql_keyword(name), "a name that needs no quotes is a word",
          excerpt(name));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  check_tokens(text);
  check_quoting(text);
  return 0;
}
