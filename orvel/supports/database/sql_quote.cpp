#include "orvel/supports/database/sql_quote.hpp"

namespace Tolvane::Orvel::Supports::Database {

std::string escape_quoted(std::string_view name, char quote) {
  std::string result;
  result.reserve(name.size());
  for (char c : name) {
    result.push_back(c);
    if (c == quote) {
      result.push_back(c);
    }
  }
  return result;
}

std::string quoted(std::string_view name, char quote) {
  std::string result(1, quote);
  result += escape_quoted(name, quote);
  result.push_back(quote);
  return result;
}

std::string bracketed(std::string_view name) {
  // SQLite ends a bracketed name at the first ']' and has no escape for it.
  if (name.find(']') != std::string_view::npos) {
    return quoted(name, '"');
  }
  return "[" + std::string(name) + "]";
}

}  // namespace Tolvane::Orvel::Supports::Database
