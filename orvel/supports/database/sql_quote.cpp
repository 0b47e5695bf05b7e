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


}  // namespace

std::string quoted(std::string_view name, char quote) {
  std::string result;
  result.reserve(name.size() + 2);
  result.push_back(quote);
  append_escaped(result, name, quote);
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
