#include "orvel/supports/database/formatter_check.hpp"

#include <algorithm>

#include <glib.h>

#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/formatter_layout.hpp"
#include "orvel/supports/database/formatter_tokens.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

// The next token that is not white space; false at the end of the text.
bool next_solid(FormatterTokens& tokens, SqlToken& token) {
  while (tokens.next(token)) {
    if (token.kind != SqlTokenKind::Space) {
      return true;
    }
  }
  return false;
}

bool same_token(std::string_view in, std::string_view out, bool keyword_case) {
  if (in == out) {
    return true;
  }
  if (!keyword_case || in.size() != out.size() || !Layout::upper_cases(in)) {
    return false;
  }
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (g_ascii_toupper(in[i]) != out[i]) {
      return false;
    }
  }
  return true;
}

// A token as a message shows it: long literals and comments cut short.
std::string shown(std::string_view token) {
  constexpr std::size_t limit = 40;
  if (token.size() <= limit) {
    return std::string(token);
  }
  // Cut at a character boundary so the message stays UTF-8.
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return std::string(token.substr(0, cut)) + "...";
}

}  // namespace

std::string TokenDifference::describe(std::string_view input) const {
  const std::string_view before = input.substr(0, std::min(input_offset, input.size()));
  const std::size_t line = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
  const std::size_t line_start = before.rfind('\n');
  const std::size_t column = before.size() - (line_start == std::string_view::npos ? 0 : line_start + 1) + 1;
  const std::string from = input_token.empty() ? "the end of the text" : "'" + input_token + "'";
  const std::string to = output_token.empty() ? "the end of the text" : "'" + output_token + "'";
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + from + " became " + to;
}

std::optional<TokenDifference> compare_sql_tokens(std::string_view input, std::string_view output,
                                                  bool keyword_case) {
  FormatterTokens in_lexer(input);
  FormatterTokens out_lexer(output);
  SqlToken in;
  SqlToken out;
  for (;;) {
    const bool has_in = next_solid(in_lexer, in);
    const bool has_out = next_solid(out_lexer, out);
    if (!has_in && !has_out) {
      return std::nullopt;
    }
    if (has_in && has_out && in.kind == out.kind && same_token(in.text(input), out.text(output), keyword_case)) {
      continue;
    }
    TokenDifference difference;
    difference.input_offset = has_in ? in.offset : input.size();
    difference.output_offset = has_out ? out.offset : output.size();
    difference.input_token = has_in ? shown(in.text(input)) : std::string();
    difference.output_token = has_out ? shown(out.text(output)) : std::string();
    return difference;
  }
}

std::optional<std::size_t> first_invalid_utf8(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const char* end = nullptr;
    if (g_utf8_validate_len(text.data() + at, text.size() - at, &end) != FALSE) {
      return std::nullopt;
    }
    at = static_cast<std::size_t>(end - text.data());
    // GLib stops at a NUL byte as if it were invalid; go on past it.
    if (text[at] != '\0') {
      return at;
    }
    ++at;
  }
  return std::nullopt;
}

std::vector<std::string> check_formatting(std::string_view text) {
  std::vector<std::string> failures;
  auto formatter = Formatter::create();
  if (const auto invalid = first_invalid_utf8(text)) {
    // Such text is handed back as it is, so that nothing is lost.
    if (formatter->beautify(text) != text) {
      failures.push_back("beautify changed text that is not valid UTF-8");
    }
    if (formatter->minify(text) != text) {
      failures.push_back("minify changed text that is not valid UTF-8");
    }
    return failures;
  }
  struct Operation {
    const char* name;
    Core::Result<std::string> (*run)(std::string_view);
  };
  for (const Operation& operation : {Operation{"beautify", &Formatter::beautify_checked},
                                     Operation{"minify", &Formatter::minify_checked}}) {
    auto once = operation.run(text);
    if (!once) {
      failures.push_back(std::string(operation.name) + ": " + once.error().message);
      continue;
    }
    auto twice = operation.run(*once);
    if (!twice) {
      failures.push_back(std::string(operation.name) + " of its own output: " + twice.error().message);
    } else if (*twice != *once) {
      failures.push_back(std::string(operation.name) + " changed its own output");
    }
  }
  return failures;
}

}  // namespace Tolvane::Orvel::Supports::Database
