#pragma once

// Names written into SQL text inside quote characters. A name that contains the
// enclosing quote character gets it doubled, so a legal name such as O'Brien or
// a`b neither breaks the statement nor injects SQL; names without such
// characters come out unchanged.

#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Supports::Database {

// `name` enclosed in `quote` ('"', '`' or '\''), inner quotes doubled.
ORVEL_API std::string quoted(std::string_view name, char quote);

// `name` enclosed in square brackets. Brackets cannot carry a ']' (SQLite knows
// no escape inside them), so such a name is written as `quoted(name, '"')`.
ORVEL_API std::string bracketed(std::string_view name);

}  // namespace Tolvane::Orvel::Supports::Database
