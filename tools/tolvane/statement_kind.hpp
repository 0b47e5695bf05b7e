#pragma once

#include <string_view>

namespace Tolvane::Cli {

// What a statement of a script does, as far as the command reports it: a
// change count is shown only for statements that change rows, and the
// transaction statements are followed so that a script's unfinished
// transaction is noticed.
enum class StatementKind { Change, Begin, Commit, Rollback, Other };

// By the statement's leading keywords (a WITH clause is looked through to the
// statement it leads to).
StatementKind statement_kind(std::string_view statement);

}  // namespace Tolvane::Cli
