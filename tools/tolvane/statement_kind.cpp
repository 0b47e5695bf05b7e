#include "tools/tolvane/statement_kind.hpp"

#include <glib.h>

#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Cli {

using Providers::Supports::SqlLexer;
using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

namespace {

bool word_is(std::string_view word, std::string_view keyword) {
  return word.size() == keyword.size() && g_ascii_strncasecmp(word.data(), keyword.data(), word.size()) == 0;
}

}  // namespace

StatementKind statement_kind(std::string_view statement) {
  SqlLexer lexer(statement);
  SqlToken token;
  int depth = 0;
  bool leading = true;  // at the first keyword, or after a WITH clause's closing bracket
  bool in_with = false;
  while (lexer.next(token)) {
    if (Providers::Supports::is_trivia(token.kind)) {
      continue;
    }
    const std::string_view text = token.text(statement);
    if (token.kind == SqlTokenKind::Punct) {
      depth += text == "(" ? 1 : text == ")" ? -1 : 0;
      continue;
    }
    if (token.kind != SqlTokenKind::Word || depth > 0) {
      continue;
    }
    if (word_is(text, "INSERT") || word_is(text, "UPDATE") || word_is(text, "DELETE") || word_is(text, "REPLACE")) {
      if (leading || in_with) {
        return StatementKind::Change;
      }
    } else if (leading && (word_is(text, "BEGIN") || word_is(text, "SAVEPOINT"))) {
      return word_is(text, "BEGIN") ? StatementKind::Begin : StatementKind::Other;
    } else if (leading && (word_is(text, "COMMIT") || word_is(text, "END"))) {
      return StatementKind::Commit;
    } else if (leading && word_is(text, "ROLLBACK")) {
      // ROLLBACK TO a savepoint keeps the transaction.
      SqlToken next;
      while (lexer.next(next) && Providers::Supports::is_trivia(next.kind)) {
      }
      const std::string_view after = next.text(statement);
      const bool to_savepoint = word_is(after, "TO") || (word_is(after, "TRANSACTION") && lexer.next(next) &&
                                                         lexer.next(next) && word_is(next.text(statement), "TO"));
      return to_savepoint ? StatementKind::Other : StatementKind::Rollback;
    } else if (leading && word_is(text, "WITH")) {
      in_with = true;
    } else if (in_with && word_is(text, "SELECT")) {
      return StatementKind::Other;
    } else if (leading) {
      return StatementKind::Other;
    }
    leading = false;
  }
  return StatementKind::Other;
}

}  // namespace Tolvane::Cli
