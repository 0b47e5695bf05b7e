#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Pretty-printing of SQL text for the editor. Works on text alone (it never
// touches a database) and never changes what the SQL means: the result holds
// the text's tokens, literals, names and comments byte for byte. A missing
// argument is a programming error and gives no result.
class ORVEL_API IFormattable {
  TOLVANE_INTERFACE(IFormattable)

  virtual ~IFormattable();

  // Stores `value` under `name`, replacing an earlier value. Options are kept
  // for callers; formatting does not consult them.
  virtual void option(std::optional<std::string_view> name, std::optional<std::string_view> value) = 0;
  // Breaks before major clauses, indents continuation keywords and sub-queries,
  // one select-list item per line.
  virtual std::optional<std::string> beautify(std::optional<std::string_view> statements) const = 0;
  // Squeezes the text onto one line.
  virtual std::optional<std::string> minify(std::optional<std::string_view> statements) const = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Database
