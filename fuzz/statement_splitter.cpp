// The statement splitter: statements come in order without overlapping, only
// white space, comments and ';' lie between them, each but an unfinished last
// one is complete by the engine's own `sqlite3_complete` (read token by token,
// as the splitter reads it) and splits into just itself, and its line is the
// line it starts on. `is_complete_statement` answers as the engine does on any
// text.

#include <algorithm>
#include <string>

#include "fuzz/support/fuzz_support.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace {

using namespace Tolvane::Providers::Supports;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

// Whether `gap` holds nothing but white space, comments and semicolons.
bool only_separators(std::string_view gap) {
  for (const SqlToken& token : tokenize_sql(gap, false)) {
    if (token.kind != SqlTokenKind::Semicolon) {
      return false;
    }
  }
  return true;
}

// The statement's tokens as `sqlite3_complete` must read them: each on its
// own, words as they are, every other token as a neutral stand-in. What the
// engine then says is its completeness rule applied to the tokenizer's tokens.
std::string token_by_token(std::string_view statement) {
  std::string text;
  for (const SqlToken& token : tokenize_sql(statement, false)) {
    switch (token.kind) {
      case SqlTokenKind::Semicolon:
        text += ';';
        break;
      case SqlTokenKind::Word:
        text += token.text(statement);
        break;
      default:
        text += 'x';
        break;
    }
    text += ' ';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script = Tolvane::Fuzz::as_text(data, size);
  check(is_complete_statement(script) == engine_says_complete(std::string(script)),
        "is_complete_statement answers as sqlite3_complete", excerpt(script));

  const auto statements = split_statements(script);
  std::size_t end = 0;
  std::size_t line = 1;
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const StatementSpan& span = statements[i];
    const std::string detail = "statement " + std::to_string(i) + ": " + excerpt(span.text(script));
    check(span.offset >= end && span.length > 0 && span.offset + span.length <= script.size(),
          "statements follow each other inside the script", detail);
    const std::string_view gap = script.substr(end, span.offset - end);
    check(only_separators(gap), "only white space, comments and ';' lie between statements", excerpt(gap));
    line += static_cast<std::size_t>(std::count(gap.begin(), gap.end(), '\n'));
    check(span.line == line, "a statement's line is the line it starts on", detail);
    const std::string_view text = span.text(script);
    line += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    end = span.offset + span.length;

    const bool complete = engine_says_complete(token_by_token(text));
    if (i + 1 == statements.size()) {
      check(!complete || text.back() == ';', "a last statement that is complete ends with ';'", detail);
    } else {
      check(text.back() == ';', "a statement followed by another ends with ';'", detail);
      check(complete, "a statement followed by another is complete", detail);
      const auto again = split_statements(text);
      check(again.size() == 1 && again[0].offset == 0 && again[0].length == text.size(),
            "a complete statement splits into itself", detail);
    }
  }
  check(only_separators(script.substr(end)), "only white space, comments and ';' follow the last statement");
  return 0;
}
