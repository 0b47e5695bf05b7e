// What reaches the logs of SQL text. A statement that carries a key, written
// in any of the forms the engine accepts (any letter case, comments between
// tokens, EXPLAIN before it, the key in a URI file name, quoted any way the
// engine takes a file name), loses the key whatever statements come before
// and after it; text that cannot hold a key is kept byte for byte, and
// redacted text redacts to itself.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace {

using namespace Tolvane::Providers::Supports;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;
using Tolvane::Orvel::Supports::Database::quoted;

// Builds one statement from words the input spells: each keyword in the
// letter case the input picks, with a comment or blanks between tokens.
class Statement {
 public:
  explicit Statement(FuzzedDataProvider& input) : m_input(input) {}

  Statement& word(std::string_view keyword) {
    gap();
    for (const char c : keyword) {
      m_text += m_input.ConsumeBool() ? static_cast<char>(g_ascii_toupper(c)) : static_cast<char>(g_ascii_tolower(c));
    }
    return *this;
  }
  Statement& raw(std::string_view text) {
    gap();
    m_text += text;
    return *this;
  }
  const std::string& text() const { return m_text; }

 private:
  void gap() {
    if (m_text.empty()) {
      return;
    }
    switch (m_input.ConsumeIntegralInRange(0, 3)) {
      case 0:
        m_text += "/* c */";
        break;
      case 1:
        m_text += "\n -- c\n";
        break;
      default:
        m_text += ' ';
        break;
    }
  }

  FuzzedDataProvider& m_input;
  std::string m_text;
};

// A key that cannot be taken for anything else in the text.
std::string make_secret(FuzzedDataProvider& input, bool uri_safe) {
  std::string secret = "Zq7" + input.ConsumeRandomLengthString(24);
  if (uri_safe) {
    std::erase_if(secret, [](char c) { return !g_ascii_isalnum(c); });
  }
  std::erase(secret, '\0');
  return secret;
}

// `name` with some of its letters as %HH escapes, as URI parameters may be.
std::string uri_name(FuzzedDataProvider& input, std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (input.ConsumeBool()) {
      char escape[4];
      g_snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}

// The forms of statement that carry a key; the last puts it in a URI.
constexpr int kUriForm = 3;

std::string keyed_statement(FuzzedDataProvider& input, int form, const std::string& secret) {
  Statement statement(input);
  const int explain = input.ConsumeIntegralInRange(0, 2);
  if (explain > 0) {
    statement.word("explain");
    if (explain == 2) {
      statement.word("query").word("plan");
    }
  }
  const std::string_view pragmas[] = {"key", "hexkey", "rekey", "hexrekey", "textkey"};
  switch (form) {
    case 0:  // PRAGMA [schema.]key = 'secret'
    case 1: {  // PRAGMA [schema.]key('secret')
      const bool call = form == 1;
      statement.word("pragma");
      if (input.ConsumeBool()) {
        statement.raw(input.ConsumeBool() ? "main." : "\"aux\" .");
      }
      std::string_view name = pragmas[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
      statement.word(input.ConsumeBool() ? name : quoted(name, '"'));
      const std::string value = input.ConsumeBool() ? quoted(secret, '\'') : quoted(secret, '"');
      if (call) {
        statement.raw("(").raw(value).raw(")");
      } else {
        statement.raw("=").raw(value);
      }
      break;
    }
    case 2:  // ATTACH [DATABASE] 'file' AS name KEY 'secret'
      statement.word("attach");
      if (input.ConsumeBool()) {
        statement.word("database");
      }
      statement.raw("'other.db'").word("as").raw("other").word("key").raw(quoted(secret, '\''));
      break;
    default: {  // the key as a parameter of a URI file name, in any quotes
      const std::string uri = "file:other.db?mode=ro&" + uri_name(input, pragmas[input.ConsumeIntegralInRange(0, 1)]) +
                              "=" + secret + (input.ConsumeBool() ? "&cache=shared" : "");
      const char quote = "'\"`["[input.ConsumeIntegralInRange(0, 3)];
      const std::string file = quote == '[' ? "[" + uri + "]" : quoted(uri, quote);
      if (input.ConsumeBool()) {
        statement.word("attach").raw(file).word("as").raw("other");
      } else {
        statement.word("vacuum").word("into").raw(file);
      }
      break;
    }
  }
  return statement.text();
}

// Statements of the input's own to put before the keyed one: only when they
// leave nothing open that could swallow what follows, so that the keyed
// statement starts a statement of its own.
std::string surrounding(FuzzedDataProvider& input) {
  const std::string text = input.ConsumeRandomLengthString(80) + ";\n";
  const auto statements = split_statements(text + "SELECT 1;");
  return !statements.empty() && statements.back().offset == text.size() ? text : ";\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  const std::string redacted = SqlText::redact(text);
  if (!SqlText::may_hold_secret(text)) {
    check(redacted == text, "text that cannot hold a key is kept as it is", excerpt(text));
  }
  check(SqlText::redact(redacted) == redacted, "redacted text redacts to itself",
        excerpt(text) + "\nonce: " + excerpt(redacted));

  FuzzedDataProvider input(data, size);
  const std::string before = surrounding(input);
  const int form = input.ConsumeIntegralInRange(0, kUriForm);
  const std::string secret = make_secret(input, form == kUriForm);
  const std::string statement = keyed_statement(input, form, secret);
  const std::string after = input.ConsumeRemainingBytesAsString();
  const std::string script = before + statement + ";\n" + after;
  if (before.find(secret) != std::string::npos || after.find(secret) != std::string::npos) {
    return 0;
  }
  const std::string shown = SqlText::redact(script);
  check(shown.find(secret) == std::string::npos, "a key never reaches the log",
        "statement: " + excerpt(statement, 400) + "\nshown: " + excerpt(shown, 600));
  return 0;
}
