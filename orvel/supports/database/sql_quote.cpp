#include "orvel/supports/database/sql_quote.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

void append_escaped(std::string& out, std::string_view name, char quote) {
  for (char c : name) {
    out.push_back(c);
    if (c == quote) {
      out.push_back(c);
    }
  }
}

std::string enclosed(std::string_view name, char open, char close) {
  std::string result;
  result.reserve(name.size() + 2);
  result.push_back(open);
  append_escaped(result, name, close);
  result.push_back(close);
  return result;
}

}  // namespace

std::string escape_quoted(std::string_view name, char quote) {
  std::string result;
  result.reserve(name.size());
  append_escaped(result, name, quote);
  return result;
}

std::string quoted(std::string_view name, char quote) { return enclosed(name, quote, quote); }

std::string bracketed(std::string_view name) { return enclosed(name, '[', ']'); }

}  // namespace Tolvane::Orvel::Supports::Database
