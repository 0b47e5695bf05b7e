#pragma once

#include <string>
#include <vector>

#include "tessin/contracts/value_object.hpp"
#include "tessin/core/error.hpp"

struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

// One value for a parameter of a prepared statement.
//
// `name` picks the parameter: ":a", "@a" or "$a" as written in the statement,
// or the bare "a", which matches whichever of the three the statement uses; a
// number ("2" or "?2") is the 1-based position; "" is the next position after
// the previous positional parameter (the first is 1).
//
// How a value is bound: the null value as NULL; integers and booleans as
// 64-bit integers (an unsigned number above the signed range as its decimal
// text, so no digit is lost); other numbers as doubles; byte buffers as blobs;
// every other value as its text form.
struct SQLiteParameter {
  std::string name;
  Contracts::ValueObjectPtr value;
};
using SQLiteParameters = std::vector<SQLiteParameter>;

// Binds every parameter of `statement`. Fails (domain "SQLite", code -1) on a
// name or position the statement does not have, on a missing value, and when a
// parameter of the statement is left without a value: a forgotten parameter
// would otherwise silently read as NULL.
Core::Status bind_parameters(sqlite3_stmt* statement, const SQLiteParameters& parameters);

}  // namespace Tolvane::Providers::Supports
