#include "orvel/supports/database/formatter.hpp"

#include <glib.h>

#include "orvel/supports/database/formatter_check.hpp"
#include "orvel/supports/database/formatter_layout.hpp"
#include "orvel/supports/database/formatter_tokens.hpp"
#include "tessin/core/source_log.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

static_assert(Formatter::max_depth == Layout::kMaxDepth);

// Whether `next` may be written right after `previous` without a blank and
// still be read as two tokens. Only a parameter ("$a" before "(") or an illegal
// token can take in what follows it; other tokens end where they end.
bool stays_apart(std::string_view text, const SqlToken& previous, const SqlToken& next) {
  if (previous.kind != SqlTokenKind::Variable && previous.kind != SqlTokenKind::Illegal) {
    return true;
  }
  std::string joined(previous.text(text));
  joined.append(next.text(text));
  FormatterTokens tokens(joined);
  SqlToken first;
  return tokens.next(first) && first.length == previous.length;
}

bool is_bracket(std::string_view text, const SqlToken& token) {
  return token.kind == SqlTokenKind::Punct && token.length == 1 &&
         (text[token.offset] == '(' || text[token.offset] == ')');
}

// Every run of white space becomes one blank, and none is left before a
// bracket; after a line comment the run becomes a line break, which ends it.
std::string squeeze(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  FormatterTokens tokens(text);
  SqlToken token;
  SqlToken previous;
  bool has_previous = false;
  bool pending_white = false;
  while (tokens.next(token)) {
    if (token.kind == SqlTokenKind::Space) {
      pending_white = true;
      continue;
    }
    if (pending_white) {
      if (has_previous && previous.kind == SqlTokenKind::LineComment) {
        out.push_back('\n');
      } else if (!is_bracket(text, token) || (has_previous && !stays_apart(text, previous, token))) {
        out.push_back(' ');
      }
      pending_white = false;
    }
    out.append(token.text(text));
    previous = token;
    has_previous = true;
  }
  if (pending_white) {
    out.push_back(has_previous && previous.kind == SqlTokenKind::LineComment ? '\n' : ' ');
  }
  return out;
}

// Checks what every result must hold: the tokens of the text it came from.
Core::Result<std::string> checked(std::string_view statements, std::string result, bool keyword_case) {
  if (const auto difference = compare_sql_tokens(statements, result, keyword_case)) {
    return Core::fail(Formatter::error_domain, Formatter::TokensChanged,
                      "formatting would change the SQL at " + difference->describe(statements));
  }
  return result;
}

Core::Status require_utf8(std::string_view statements) {
  if (const auto invalid = first_invalid_utf8(statements)) {
    return Core::fail(Formatter::error_domain, Formatter::NotUtf8,
                      "the text is not valid UTF-8 (byte offset " + std::to_string(*invalid) + ")");
  }
  return {};
}

}  // namespace

const Core::TypeInfo& Formatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseFormatter", &Core::Object::static_type(),
                                   {&Contracts::Database::IFormattable::static_type()}, Core::factory_of<Formatter>(),
                                   {});
  return info;
}

FormatterPtr Formatter::configured() {
  FormatterPtr formatter = create();
  formatter->option("LINE_START",
                    "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER TABLE,"
                    "DELETE FROM,UNION ALL,UNION,EXCEPT,INTERSECT");
  formatter->option("LINE_BREAK",
                    "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND");
  return formatter;
}

void Formatter::option(std::optional<std::string_view> name, std::optional<std::string_view> value) {
  TOLVANE_RETURN_IF_FAIL(name.has_value(), "name != NULL");
  TOLVANE_RETURN_IF_FAIL(value.has_value(), "value != NULL");
  auto found = m_options.find(*name);
  if (found != m_options.end()) {
    found->second.assign(*value);
  } else {
    m_options.emplace(std::string(*name), std::string(*value));
  }
}

std::optional<std::string> Formatter::get_option(std::string_view name) const {
  auto found = m_options.find(name);
  if (found == m_options.end()) {
    return std::nullopt;
  }
  return found->second;
}

Core::Result<std::string> Formatter::beautify_checked(std::string_view statements) {
  if (auto valid = require_utf8(statements); !valid) {
    return Core::fail(std::move(valid.error()));
  }
  auto laid = Layout::lay_out_text(statements);
  if (!laid) {
    return laid;
  }
  return checked(statements, std::move(*laid), true);
}

Core::Result<std::string> Formatter::minify_checked(std::string_view statements) {
  if (auto valid = require_utf8(statements); !valid) {
    return Core::fail(std::move(valid.error()));
  }
  return checked(statements, squeeze(statements), false);
}

std::optional<std::string> Formatter::beautify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  auto formatted = beautify_checked(*statements);
  if (!formatted) {
    // Text that is not UTF-8 is handed back quietly, as it always was.
    if (formatted.error().code != NotUtf8) {
      TOLVANE_WARNING("Failed to beautify statements: %s", formatted.error().message.c_str());
    }
    return std::string(*statements);
  }
  return std::move(*formatted);
}

std::optional<std::string> Formatter::minify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  auto squeezed = minify_checked(*statements);
  if (!squeezed) {
    // The position prefix is part of the message callers and log readers know.
    g_warning("formatter:104: Failed to minify statements: %s", squeezed.error().message.c_str());
    return std::string(*statements);
  }
  return std::move(*squeezed);
}

}  // namespace Tolvane::Orvel::Supports::Database
