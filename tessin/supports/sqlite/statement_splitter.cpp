#include "tessin/supports/sqlite/statement_splitter.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include <glib.h>
#include <sqlite3.h>

namespace Tolvane::Providers::Supports {

namespace {

// The engine's completeness automaton, token classes and states as
// `sqlite3_complete` has them. A CREATE [TEMP] TRIGGER moves to the TRIGGER
// state, where ';' no longer ends the statement until an END is followed by
// one.
enum Class : std::uint8_t { kSemi, kSpace, kOther, kExplain, kCreate, kTemp, kTrigger, kEnd };
enum State : std::uint8_t { kInvalid, kStart, kNormal, kExplainState, kCreateState, kTriggerState, kSemiState, kEndState };

constexpr std::array<std::array<std::uint8_t, 8>, 8> kTransitions{{
    //  SEMI  WS  OTHER  EXPLAIN  CREATE  TEMP  TRIGGER  END
    {{1, 0, 2, 3, 4, 2, 2, 2}},  // INVALID
    {{1, 1, 2, 3, 4, 2, 2, 2}},  // START
    {{1, 2, 2, 2, 2, 2, 2, 2}},  // NORMAL
    {{1, 3, 3, 2, 4, 2, 2, 2}},  // EXPLAIN
    {{1, 4, 2, 2, 2, 4, 5, 2}},  // CREATE
    {{6, 5, 5, 5, 5, 5, 5, 5}},  // TRIGGER
    {{6, 6, 5, 5, 5, 5, 5, 7}},  // SEMI
    {{1, 7, 5, 5, 5, 5, 5, 5}},  // END
}};

bool word_is(std::string_view word, std::string_view keyword) {
  return word.size() == keyword.size() && g_ascii_strncasecmp(word.data(), keyword.data(), word.size()) == 0;
}

Class classify(const SqlToken& token, std::string_view source) {
  switch (token.kind) {
    case SqlTokenKind::Semicolon:
      return kSemi;
    case SqlTokenKind::Space:
    case SqlTokenKind::LineComment:
    case SqlTokenKind::BlockComment:
      return kSpace;
    case SqlTokenKind::Word: {
      const std::string_view word = token.text(source);
      if (word_is(word, "create")) {
        return kCreate;
      }
      if (word_is(word, "trigger")) {
        return kTrigger;
      }
      if (word_is(word, "temp") || word_is(word, "temporary")) {
        return kTemp;
      }
      if (word_is(word, "end")) {
        return kEnd;
      }
      if (word_is(word, "explain")) {
        return kExplain;
      }
      return kOther;
    }
    default:
      return kOther;
  }
}

std::size_t line_ends(std::string_view text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// A literal, quoted name or block comment that the text ends inside of: the
// engine calls such a text incomplete whatever came before.
bool is_unterminated(const SqlToken& token, std::string_view source) {
  const std::string_view text = token.text(source);
  if (token.kind == SqlTokenKind::BlockComment) {
    return text.size() < 4 || text.substr(text.size() - 2) != "*/";
  }
  if (token.kind == SqlTokenKind::Illegal && !text.empty()) {
    const char first = text.front();
    return first == '\'' || first == '"' || first == '`' || first == '[';
  }
  return false;
}

}  // namespace

bool StatementSplitter::next(StatementSpan& statement) noexcept {
  std::uint8_t state = kInvalid;
  bool started = false;
  std::size_t start = 0;
  std::size_t start_line = 0;
  std::size_t last_end = 0;
  SqlToken token;
  while (m_lexer.next(token)) {
    const Class token_class = classify(token, m_script);
    if (!started) {
      if (token_class == kSemi || token_class == kSpace) {
        // White space, comments and empty statements between statements.
        m_line += line_ends(token.text(m_script));
        continue;
      }
      started = true;
      start = token.offset;
      start_line = m_line;
    }
    m_line += line_ends(token.text(m_script));
    state = kTransitions[state][token_class];
    if (token_class != kSpace) {
      last_end = token.offset + token.length;
    }
    if (token_class == kSemi && state == kStart) {
      statement = StatementSpan{start, last_end - start, start_line};
      return true;
    }
  }
  if (!started) {
    return false;
  }
  statement = StatementSpan{start, last_end - start, start_line};
  return true;
}

std::vector<StatementSpan> split_statements(std::string_view script) {
  std::vector<StatementSpan> statements;
  StatementSplitter splitter(script);
  StatementSpan statement;
  while (splitter.next(statement)) {
    statements.push_back(statement);
  }
  return statements;
}

bool is_complete_statement(std::string_view text) {
  std::uint8_t state = kInvalid;
  SqlLexer lexer(text);
  SqlToken token;
  while (lexer.next(token)) {
    if (is_unterminated(token, text)) {
      return false;
    }
    Class token_class = classify(token, text);
    // sqlite3_complete counts a vertical tab as a character of its own, even
    // inside a run of white space that the tokenizer would skip.
    if (token.kind == SqlTokenKind::Space && token.text(text).find('\v') != std::string_view::npos) {
      token_class = kOther;
    }
    state = kTransitions[state][token_class];
  }
  return state == kStart;
}

bool engine_says_complete(const std::string& text) { return sqlite3_complete(text.c_str()) != 0; }

}  // namespace Tolvane::Providers::Supports
