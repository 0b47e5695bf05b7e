#pragma once

#include <string>
#include <string_view>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Supports::SqlText {

// The first keyword of a statement, upper-cased, comments skipped; "" when the
// text starts with something else or holds nothing.
TESSIN_API std::string first_keyword(std::string_view sql);

// Whether `sql` may carry an encryption key: a cheap test (the letters "key"
// in any case, or a '%' that may start a URI escape of them) that lets log
// lines of ordinary statements skip `redact`.
TESSIN_API bool may_hold_secret(std::string_view sql) noexcept;

// `sql` (one statement or a script) fit for a log: the secret of every
// statement that carries a key is replaced by '***'. Covered, in any case and
// with comments and quoting anywhere:
//   PRAGMA [schema.]key|hexkey|rekey|hexrekey|textkey = <secret>  (or (<secret>))
//   ATTACH [DATABASE] <file> AS <name> KEY <secret>
//   key=, hexkey= and textkey= parameters of URI file names ('file:...' in
//   any quotes, names with %HH escapes decoded), each statement also after
//   EXPLAIN [QUERY PLAN] (ATTACH 'file:x.db?key=secret', VACUUM INTO
//   'file:...?hexkey=...').
// Everything else is kept byte for byte.
TESSIN_API std::string redact(std::string_view sql);

}  // namespace Tolvane::Providers::Supports::SqlText
