#include "tessin/supports/sqlite/sql_text.hpp"

#include <array>

#include <glib.h>

#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Providers::Supports::SqlText {

namespace {

constexpr std::string_view kHidden = "'***'";

bool word_is(std::string_view word, std::string_view keyword) {
  return word.size() == keyword.size() && g_ascii_strncasecmp(word.data(), keyword.data(), word.size()) == 0;
}

// The pragmas of the cipher extension whose value is a key.
bool is_key_pragma(std::string_view name) {
  for (std::string_view pragma : {"key", "hexkey", "rekey", "hexrekey", "textkey"}) {
    if (word_is(name, pragma)) {
      return true;
    }
  }
  return false;
}

// A URI parameter name as the engine reads it: %HH escapes decoded.
std::string uri_decoded(std::string_view name) {
  std::string decoded;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%' && i + 2 < name.size() && g_ascii_isxdigit(name[i + 1]) && g_ascii_isxdigit(name[i + 2])) {
      decoded.push_back(static_cast<char>(g_ascii_xdigit_value(name[i + 1]) * 16 + g_ascii_xdigit_value(name[i + 2])));
      i += 2;
    } else {
      decoded.push_back(name[i]);
    }
  }
  return decoded;
}

bool is_uri_key(std::string_view name) {
  const std::string decoded = uri_decoded(name);
  return word_is(decoded, "key") || word_is(decoded, "hexkey") || word_is(decoded, "textkey");
}

// The key parameters the cipher extension reads from a URI file name, with
// their values replaced; `literal` is a whole quoted token: a string, or a
// quoted name, which ATTACH and VACUUM INTO take for a file name as well.
void redact_uri_keys(std::string_view literal, std::string& out) {
  const std::size_t query = literal.find('?');
  if (query == std::string_view::npos || literal.size() < 6 || g_ascii_strncasecmp(literal.data() + 1, "file:", 5) != 0) {
    out.append(literal);
    return;
  }
  out.append(literal.substr(0, query + 1));
  // The closing quote is not part of the last parameter.
  const char close = literal.front() == '[' ? ']' : literal.front();
  const std::size_t closing = literal.size() > 1 && literal.back() == close ? 1 : 0;
  std::string_view parameters = literal.substr(query + 1, literal.size() - query - 1 - closing);
  bool first = true;
  while (true) {
    const std::size_t amp = parameters.find('&');
    const std::string_view parameter = parameters.substr(0, amp);
    if (!first) {
      out.push_back('&');
    }
    first = false;
    const std::size_t equals = parameter.find('=');
    const std::string_view name = parameter.substr(0, equals);
    if (equals != std::string_view::npos && is_uri_key(name)) {
      out.append(name);
      out.append("=***");
    } else {
      out.append(parameter);
    }
    if (amp == std::string_view::npos) {
      break;
    }
    parameters.remove_prefix(amp + 1);
  }
  out.append(literal.substr(literal.size() - closing));
}

// Where the statement holding the token at `index` ends: its ';', or the end.
std::size_t statement_end(const std::vector<SqlToken>& tokens, std::size_t index) {
  while (index < tokens.size() && tokens[index].kind != SqlTokenKind::Semicolon) {
    ++index;
  }
  return index;
}

}  // namespace

std::string first_keyword(std::string_view sql) {
  SqlLexer lexer(sql);
  SqlToken token;
  while (lexer.next(token)) {
    if (is_trivia(token.kind)) {
      continue;
    }
    if (token.kind != SqlTokenKind::Word) {
      return {};
    }
    std::string keyword(token.text(sql));
    for (char& c : keyword) {
      c = g_ascii_toupper(c);
    }
    return keyword;
  }
  return {};
}

bool may_hold_secret(std::string_view sql) noexcept {
  // A URI parameter may spell its name in %HH escapes ("k%65y").
  if (sql.find('%') != std::string_view::npos) {
    return true;
  }
  for (std::size_t at = sql.find_first_of("kK"); at != std::string_view::npos && at + 2 < sql.size();
       at = sql.find_first_of("kK", at + 1)) {
    if ((sql[at + 1] == 'e' || sql[at + 1] == 'E') && (sql[at + 2] == 'y' || sql[at + 2] == 'Y')) {
      return true;
    }
  }
  return false;
}

std::string redact(std::string_view sql) {
  if (!may_hold_secret(sql)) {
    return std::string(sql);
  }
  if (const std::size_t nul = sql.find('\0'); nul != std::string_view::npos) {
    // The engine reads a text only up to a NUL byte, and the lexer ends the
    // token holding one there, so what follows a NUL reads one way beside it
    // and another once the byte is gone from a log line. The log shows what
    // the engine reads.
    return redact(sql.substr(0, nul));
  }
  const std::vector<SqlToken> tokens = tokenize_sql(sql);
  // Token ranges [first, last) whose text is replaced by '***'.
  std::vector<std::pair<std::size_t, std::size_t>> hidden;
  std::size_t start = 0;
  while (start < tokens.size()) {
    const std::size_t end = statement_end(tokens, start);
    // EXPLAIN [QUERY PLAN] compiles the statement, and shows its text as well.
    if (start < end && word_is(tokens[start].text(sql), "explain")) {
      ++start;
      if (start + 1 < end && word_is(tokens[start].text(sql), "query") && word_is(tokens[start + 1].text(sql), "plan")) {
        start += 2;
      }
    }
    const std::string_view verb =
        start < end && tokens[start].kind == SqlTokenKind::Word ? tokens[start].text(sql) : "";
    if (word_is(verb, "pragma")) {
      // PRAGMA [schema .] name ( = value | ( value ) )
      std::size_t at = start + 1;
      if (at + 2 < end && tokens[at + 1].kind == SqlTokenKind::Punct && tokens[at + 1].text(sql) == ".") {
        at += 2;
      }
      if (at + 1 < end && is_key_pragma(unquote_sql(tokens[at].text(sql)))) {
        const std::string_view opener = tokens[at + 1].text(sql);
        if (opener == "=") {
          hidden.emplace_back(at + 2, end);
        } else if (opener == "(") {
          std::size_t last = end;
          if (last > at + 2 && tokens[last - 1].text(sql) == ")") {
            --last;
          }
          hidden.emplace_back(at + 2, last);
        } else {
          // Not a form the engine takes, but the text is the user's key all the same.
          hidden.emplace_back(at + 1, end);
        }
      }
    } else if (word_is(verb, "attach")) {
      for (std::size_t at = start + 1; at < end; ++at) {
        if (tokens[at].kind == SqlTokenKind::Word && word_is(tokens[at].text(sql), "key")) {
          hidden.emplace_back(at + 1, end);
          break;
        }
      }
    }
    start = end + 1;
  }

  // Rebuilt from the original text, so comments and spacing stay as they were.
  std::string out;
  out.reserve(sql.size());
  std::size_t copied = 0;
  std::size_t range = 0;
  for (std::size_t index = 0; index < tokens.size(); ++index) {
    const SqlToken& token = tokens[index];
    if (range < hidden.size() && index == hidden[range].first && hidden[range].first < hidden[range].second) {
      const SqlToken& last = tokens[hidden[range].second - 1];
      out.append(sql.substr(copied, token.offset - copied));
      out.append(kHidden);
      copied = last.offset + last.length;
      index = hidden[range].second - 1;
      ++range;
      continue;
    }
    while (range < hidden.size() && index >= hidden[range].second) {
      ++range;
    }
    if (token.kind == SqlTokenKind::String || token.kind == SqlTokenKind::QuotedName) {
      out.append(sql.substr(copied, token.offset - copied));
      redact_uri_keys(token.text(sql), out);
      copied = token.offset + token.length;
    }
  }
  out.append(sql.substr(copied));
  return out;
}

}  // namespace Tolvane::Providers::Supports::SqlText
