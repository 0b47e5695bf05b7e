#pragma once

// Reading the CREATE statements SQLite keeps in its schema table. The pragmas
// report columns, keys and indexes, but some of what a table declares lives
// only in its text: collations, conflict clauses, CHECK expressions, unnamed
// and column-level UNIQUE constraints, AUTOINCREMENT, generated columns,
// deferrable foreign keys, STRICT and WITHOUT ROWID. The readers here take that
// text apart with the engine's token rules (`SqlLexer`), never by searching an
// upper-cased copy, so names, string literals and comments that happen to hold
// a keyword cannot mislead them, and every piece of text they hand out is a
// slice of the original, byte for byte.
//
// All functions are pure and thread-safe. A text that does not follow the
// grammar gives an error of the SQL error domain (FEATURE_NOT_SUPPORTED) that
// says what was expected where.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

// A UNIQUE constraint, on the column it is declared with or on the table.
struct DeclaredUnique {
  std::string name;                // "" when the text gives none
  std::vector<std::string> terms;  // each key term in canonical form (see canonical_term)
  std::string conflict;            // the ON CONFLICT word, upper-case; "" when none
  std::string column;              // the column it is declared on; "" for a table constraint
};

// A CHECK constraint.
struct DeclaredCheck {
  std::string name;        // "" when the text gives none
  std::string expression;  // the text between the parentheses, as written
  std::string column;      // the column it is declared on; "" for a table constraint
};

// A foreign key, as written after REFERENCES.
struct DeclaredForeignKey {
  std::string name;
  std::vector<std::string> columns;  // the referencing columns (names)
  std::string table;                 // the referenced table (name)
  std::vector<std::string> refer_columns;
  // "NOT", "NOTHING", "INITIALLY IMMEDIATE", "INITIALLY DEFERRED" (the builder's
  // words for the DEFERRABLE clauses), or "" without a clause.
  std::string deferrable;
};

// What one column definition says beyond its name and type.
struct DeclaredColumn {
  std::string name;
  std::string type;              // the declared type as written, "" when there is none
  std::string collation;         // the COLLATE name as written
  std::string not_null_conflict; // ON CONFLICT word of NOT NULL, upper-case
  bool primary_key = false;      // declared PRIMARY KEY on the column itself
  bool autoincrement = false;
  std::string generated;         // the generation expression; "" for an ordinary column
  bool stored = false;           // a STORED generated column (else VIRTUAL)
};

// A CREATE TABLE or CREATE VIRTUAL TABLE statement.
struct TableText {
  std::string schema;  // "" when the name is not qualified
  std::string name;
  bool is_virtual = false;
  std::string module;  // for a virtual table: the text after USING, arguments included
  std::vector<DeclaredColumn> columns;
  std::vector<DeclaredUnique> uniques;           // in the order of the text
  std::vector<DeclaredCheck> checks;             // in the order of the text
  std::vector<DeclaredForeignKey> foreign_keys;  // in the order of the text
  bool without_rowid = false;
  bool strict = false;
  // Declarations the metadata model has no place for, in words ("the primary
  // key is declared DESC"); a table with any cannot be rebuilt faithfully.
  std::vector<std::string> unsupported;
};

struct IndexText {
  std::string schema;
  std::string name;
  std::string table;
  bool unique = false;
  std::vector<std::string> terms;  // canonical form, see canonical_term
  std::string where;               // the partial-index condition as written
};

struct TriggerText {
  std::string schema;
  std::string name;
  bool temporary = false;
  std::string timing;  // "BEFORE", "AFTER", "INSTEAD OF" or "" (as written, upper-case)
  std::string event;   // "INSERT", "UPDATE" or "DELETE"
  std::vector<std::string> columns;  // the names of UPDATE OF
  std::string table;
  bool for_each_row = false;
  std::string when;   // the WHEN condition as written
  // Offsets into the text: where the word BEGIN starts, where the last END
  // starts and where the statement ends (after END).
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t finish = 0;
  // The name written at these offsets, for callers that re-qualify it.
  std::size_t name_offset = 0;
  std::size_t name_length = 0;
};

struct ViewText {
  std::string schema;
  std::string name;
  bool temporary = false;
  std::vector<std::string> columns;  // the optional column list (names)
  std::string definition;            // everything after AS
};

ORVEL_API Core::Result<TableText> read_create_table(std::string_view sql);
ORVEL_API Core::Result<IndexText> read_create_index(std::string_view sql);
ORVEL_API Core::Result<TriggerText> read_create_trigger(std::string_view sql);
ORVEL_API Core::Result<ViewText> read_create_view(std::string_view sql);

// A declared column type as the metadata model keeps it: the raw type is the
// text up to its first "(" ("VARCHAR" of "VARCHAR(32)"), the length the number
// of the first "(digits)" in it, 0 without one ("DECIMAL(10,2)" has none).
struct TypeParts {
  std::string raw_type;
  std::uint64_t length = 0;

  bool operator==(const TypeParts&) const = default;
};
ORVEL_API TypeParts split_declared_type(std::string_view declared);

// Whether two names are the same to SQLite, which ignores ASCII case.
ORVEL_API bool same_name(std::string_view a, std::string_view b);

// A name as it can stand in SQL: unchanged when it is a plain identifier and
// no keyword, else in double quotes with inner quotes doubled.
ORVEL_API std::string canonical_name(std::string_view name);

// A key term as written (`a`, `"my col" DESC`, `lower(b)`), with a bare name
// put in canonical form, so that a term made of one name can be told from an
// expression by its tokens.
ORVEL_API std::string canonical_term(std::string_view term);

// Splits a list of names or terms at its top-level commas ("a, \"b,c\"" gives
// two elements), trimmed of white space.
ORVEL_API std::vector<std::string> split_list(std::string_view list);

// One element of a column list, ready for SQL: a single name token stays as it
// is, unless it is a keyword, which is quoted; a text of ordinary words only
// ("my col") is a name and quoted; anything else is a term or expression
// written as it is. A plain name gives the same text back.
ORVEL_API std::string sql_element(std::string_view element);

// `list` split by split_list and written back with sql_element, joined by ", ".
ORVEL_API std::string sql_element_list(std::string_view list);

}  // namespace Tolvane::Orvel::Supports::Database
