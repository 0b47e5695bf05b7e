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

Class classify_word(std::string_view word) {
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

Class classify(const SqlToken& token, std::string_view source) {
  switch (token.kind) {
    case SqlTokenKind::Semicolon:
      return kSemi;
    case SqlTokenKind::Space:
    case SqlTokenKind::LineComment:
    case SqlTokenKind::BlockComment:
      return kSpace;
    case SqlTokenKind::Word:
      return classify_word(token.text(source));
    default:
      return kOther;
  }
}

std::size_t line_ends(std::string_view text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

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
  // The engine's own reading, which is not the tokenizer's: it knows only
  // white space, comments, quotes, brackets, identifiers and single
  // characters. Where the two differ (":a::create", "1.create", "$v(;x)", a
  // vertical tab) this answers as the engine does; the splitter above stays
  // with the tokenizer, which is how statements are read when they run.
  auto at = [text](std::size_t i) noexcept { return i < text.size() ? text[i] : '\0'; };
  auto is_id_char = [](char c) noexcept {
    const auto u = static_cast<unsigned char>(c);
    return g_ascii_isalnum(c) || c == '_' || c == '$' || u >= 0x80;
  };
  std::uint8_t state = kInvalid;
  for (std::size_t i = 0; at(i) != '\0'; ++i) {
    Class token_class = kOther;
    const char c = text[i];
    switch (c) {
      case ';':
        token_class = kSemi;
        break;
      case ' ':
      case '\r':
      case '\t':
      case '\n':
      case '\f':
        token_class = kSpace;
        break;
      case '/':
        if (at(i + 1) == '*') {
          for (i += 2; at(i) != '\0' && !(at(i) == '*' && at(i + 1) == '/'); ++i) {
          }
          if (at(i) == '\0') {
            return false;
          }
          ++i;
          token_class = kSpace;
        }
        break;
      case '-':
        if (at(i + 1) == '-') {
          for (; at(i) != '\0' && at(i) != '\n'; ++i) {
          }
          if (at(i) == '\0') {
            return state == kStart;
          }
          token_class = kSpace;
        }
        break;
      case '[':
      case '`':
      case '"':
      case '\'': {
        const char close = c == '[' ? ']' : c;
        for (++i; at(i) != '\0' && at(i) != close; ++i) {
        }
        if (at(i) == '\0') {
          return false;
        }
        break;
      }
      default:
        if (is_id_char(c)) {
          std::size_t length = 1;
          while (is_id_char(at(i + length))) {
            ++length;
          }
          token_class = classify_word(text.substr(i, length));
          i += length - 1;
        }
        break;
    }
    state = kTransitions[state][token_class];
  }
  return state == kStart;
}

bool engine_says_complete(const std::string& text) { return sqlite3_complete(text.c_str()) != 0; }

}  // namespace Tolvane::Providers::Supports
