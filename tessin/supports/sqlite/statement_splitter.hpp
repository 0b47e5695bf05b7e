#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tessin/supports/sqlite/sql_lexer.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Supports {

// One statement of a script: its bytes from its first token through its
// terminating ';' (or through its last token when the script ends without
// one), and the 1-based line of the script on which it starts.
struct StatementSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::size_t line = 1;

  std::string_view text(std::string_view source) const { return source.substr(offset, length); }
};

// Cuts a script into statements by the engine's own completeness rule
// (`sqlite3_complete`): a ';' ends a statement only outside literals, quoted
// names and comments, and a CREATE TRIGGER runs on through the ';' of its body
// to its END. The rule is applied to the tokens the engine reads when it runs
// a statement (`SqlLexer`), so a cut never falls inside one of them, not even
// where `sqlite3_complete` reads a token differently (a ';' inside the
// parentheses of a "$name(...)" parameter does not end the statement). White space and comments between statements belong to no
// statement; a script of nothing else has none. An unfinished last statement
// (an open literal, a trigger without END) is returned as it stands, so the
// engine reports what is wrong with it.
//
// Works in one pass without copying the script, so a script of any length is
// split in time and memory proportional to it; `next` hands out one statement
// at a time for callers that run a script as they read it.
class TESSIN_API StatementSplitter {
 public:
  explicit StatementSplitter(std::string_view script) noexcept : m_script(script), m_lexer(script) {}

  // The next statement; false when the script holds no more.
  bool next(StatementSpan& statement) noexcept;

 private:
  std::string_view m_script;
  SqlLexer m_lexer;
  std::size_t m_line = 1;
};

// Every statement of `script`.
TESSIN_API std::vector<StatementSpan> split_statements(std::string_view script);

// What `sqlite3_complete` answers: whether `text` ends with a complete
// statement (a ';' that closes it), white space and comments after it allowed.
// Reads the text as that function does, which is not quite how the tokenizer
// cuts it (it sees "$v(;x)" as holding a ';', ":a::create" as holding the
// word CREATE), and, like it, stops at a NUL byte.
TESSIN_API bool is_complete_statement(std::string_view text);

// The engine's own `sqlite3_complete`, which reads up to the first NUL byte:
// the oracle the two functions above are checked against.
TESSIN_API bool engine_says_complete(const std::string& text);

}  // namespace Tolvane::Providers::Supports
