#pragma once

// Internal to liborvel: the tokens the formatter works on and checks.

#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Orvel::Supports::Database {

// The engine's own tokens. A vertical tab that starts a run of white space is
// an illegal token of its own (the engine rejects it), which the formatter
// keeps instead of turning it into a blank that would make a broken statement
// run.
using FormatterTokens = Providers::Supports::SqlLexer;

}  // namespace Tolvane::Orvel::Supports::Database
