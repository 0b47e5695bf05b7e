// The SQL the data-interchange code writes from cells and names. A cell's text
// judged against any kind of column becomes exactly one literal (NULL, a
// number, true or false, a blob, or a string that unquotes to the text), so no
// cell can become SQL; a name becomes one name token that unquotes to it; a
// single-row statement built from them is one statement; and a double's exact
// text reads back to the same double.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/helpers/database_helper.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;
using Tolvane::Orvel::Helpers::DatabaseHelper;
using Tolvane::Orvel::Helpers::SqlCell;
using Tolvane::Providers::Supports::SqlToken;
using Tolvane::Providers::Supports::SqlTokenKind;
using Tolvane::Providers::Supports::tokenize_sql;
using Tolvane::Providers::Supports::unquote_sql;

constexpr int kLastType = static_cast<int>(DataType::Error);

bool is_number_literal(std::string_view literal) {
  const auto tokens = tokenize_sql(literal, true);
  std::size_t at = 0;
  if (tokens.size() == 2 && tokens[0].kind == SqlTokenKind::Punct &&
      (tokens[0].text(literal) == "-" || tokens[0].text(literal) == "+")) {
    at = 1;
  }
  return tokens.size() == at + 1 && tokens[at].kind == SqlTokenKind::Number;
}

// `literal` is one token of `kind`, and nothing else.
bool is_one(std::string_view literal, SqlTokenKind kind) {
  const auto tokens = tokenize_sql(literal, true);
  return tokens.size() == 1 && tokens[0].kind == kind && tokens[0].length == literal.size();
}

void check_literal(std::string_view literal, std::string_view text, std::string_view what) {
  const std::string where = std::string(what) + " of " + excerpt(text) + ": " + excerpt(literal);
  if (literal == "NULL" || is_number_literal(literal) || is_one(literal, SqlTokenKind::Blob)) {
    return;
  }
  if (is_one(literal, SqlTokenKind::Word)) {
    check(g_ascii_strcasecmp(std::string(literal).c_str(), "true") == 0 ||
              g_ascii_strcasecmp(std::string(literal).c_str(), "false") == 0,
          "the only bare words written are true and false", where);
    return;
  }
  check(is_one(literal, SqlTokenKind::String), "a text becomes one literal", where);
}

void check_cell(DataType kind, std::string_view text) {
  const SqlCell cell = DatabaseHelper::classify_text(kind, text);
  const std::string literal = cell.literal();
  check_literal(literal, text, "the cell literal");
  if (cell.kind == SqlCell::Kind::Text) {
    check(unquote_sql(literal) == cell.text, "a text literal unquotes to its text", excerpt(literal));
  }
  const auto value = ValueString::create(std::string(text));
  const std::string formatted = DatabaseHelper::format_sql_value(kind, value.get());
  check_literal(formatted, text, "the value literal");
  if (is_one(formatted, SqlTokenKind::String)) {
    check(unquote_sql(formatted) == text, "a text value's literal unquotes to the text", excerpt(formatted));
  }
}

void check_name(std::string_view name) {
  const std::string written = DatabaseHelper::format_column_name(name);
  const bool one = is_one(written, SqlTokenKind::Word) || is_one(written, SqlTokenKind::QuotedName);
  check(one && unquote_sql(written) == name, "a column name is one name that unquotes to it",
        excerpt(name) + " -> " + excerpt(written));
}

void check_statement(const std::string& schema, const std::string& table, const std::vector<std::string>& columns,
                     const std::vector<std::string>& literals) {
  for (const std::string& sql : {DatabaseHelper::build_sql_insert(schema, table, columns, literals),
                                 DatabaseHelper::build_sql_update(schema, table, columns, literals, columns, literals),
                                 DatabaseHelper::build_sql_delete(schema, table, columns, literals)}) {
    const auto statements = Tolvane::Providers::Supports::split_statements(sql);
    check(statements.size() == 1 && statements[0].length == sql.size(), "a single-row statement is one statement",
          excerpt(sql, 400));
  }
}

void check_double(double value) {
  if (std::isnan(value) || std::isinf(value)) {
    return;
  }
  const std::string text = DatabaseHelper::exact_text(*ValueDouble::create(value));
  const double back = g_ascii_strtod(text.c_str(), nullptr);
  check(std::memcmp(&back, &value, sizeof value) == 0, "a double's exact text reads back to it", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    check_double(value);
  }
  FuzzedDataProvider input(data, size);
  std::vector<std::string> texts;
  for (int i = input.ConsumeIntegralInRange(1, 4); i > 0; --i) {
    std::string text = input.ConsumeRandomLengthString(40);
    // The engine reads SQL up to a NUL byte: no text with one reaches it (the
    // readers of files refuse them).
    std::erase(text, '\0');
    texts.push_back(std::move(text));
  }
  std::vector<std::string> columns;
  std::vector<std::string> literals;
  for (const std::string& text : texts) {
    for (int kind = 0; kind <= kLastType; ++kind) {
      check_cell(static_cast<DataType>(kind), text);
    }
    check_name(text);
    columns.push_back(text);
    literals.push_back(DatabaseHelper::classify_text(DataType::String, text).literal());
  }
  check_statement(texts.front(), texts.back(), columns, literals);
  return 0;
}
