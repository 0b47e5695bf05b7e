#pragma once

// The keys under which the SQLite adapter records, and the SQLite builder
// reads, what a table, column, constraint or view declares beyond the
// metadata model's own properties. They live in the objects' `options` and
// `attributes` maps, so they travel with JSON, clones and comparisons.

#include <string_view>

namespace Tolvane::Orvel::Supports::Database::MetaKeys {

// Table options ("true" for yes).
inline constexpr std::string_view kWithoutRowid = "WITHOUTROWID";
inline constexpr std::string_view kStrict = "STRICT";
// "true" when a column is declared AUTOINCREMENT.
inline constexpr std::string_view kAutoincrement = "AUTOINCREMENT";
// The table's counter in sqlite_sequence, a decimal integer.
inline constexpr std::string_view kAutoincrementSeed = "AUTOINCREMENT_SEED";
// A virtual table's module and arguments: the text after USING.
inline constexpr std::string_view kUsing = "USING";

// Table attribute: why the table cannot be rebuilt faithfully, in words.
inline constexpr std::string_view kUnsupported = "UNSUPPORTED";

// Column attribute: the declared type as written, when the raw type and the
// length alone would not give it back ("NUMERIC(10,2)", "varchar(20)").
inline constexpr std::string_view kDeclaredType = "DECLARED_TYPE";

// Constraint attributes: "true" when the text gave the constraint no name (the
// model's name is then made up and not written), and the column a constraint
// was declared with, which is where the builder writes it again.
inline constexpr std::string_view kUnnamed = "UNNAMED";
inline constexpr std::string_view kColumn = "COLUMN";

// View attributes: "true" for a temporary view; the view's column list
// (names joined by ", "); and, under "TRIGGER:<name>", the CREATE text of each
// trigger on the view, which goes and comes with the view.
inline constexpr std::string_view kTemporary = "TEMPORARY";
inline constexpr std::string_view kViewColumns = "COLUMNS";
inline constexpr std::string_view kTriggerPrefix = "TRIGGER:";

}  // namespace Tolvane::Orvel::Supports::Database::MetaKeys
