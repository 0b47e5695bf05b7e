#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

// Why a script stopped.
struct ORVEL_API ScriptFailure {
  Core::Error error;         // as the connection reported it: the engine's domain, code and message
  std::string statement;     // the statement that failed, as written in the script
  std::size_t number = 0;    // its position among the script's statements, from 1
  std::size_t line = 0;      // the line of the script it starts on, from 1
  bool rolled_back = false;  // the transaction the script had opened was rolled back

  // "<engine message> (statement N on line L: <statement>)"; a long statement
  // is cut after its first line.
  std::string describe() const;
  // The error's domain and code with describe() as its message.
  Core::Error to_error() const;
};

// How a script ran: the number of statements run, or why it stopped.
using ScriptOutcome = std::expected<std::size_t, ScriptFailure>;

// Runs a text of several SQL statements (what the builder, the synchronizer
// and transfers generate) through a connection, one statement at a time, in
// order. The statements are cut by the engine's own completeness rule, so a
// CREATE TRIGGER runs whole and a ';' inside a literal or a comment ends
// nothing.
//
// The first failing statement stops the script; nothing after it runs. Then:
// - a transaction the script opened (BEGIN, or a SAVEPOINT outside one) and
//   has not closed is rolled back, so a script that wraps its work in BEGIN
//   ... COMMIT changes all or nothing. Statements run outside a transaction
//   stay done;
// - every setting the script changed with "PRAGMA [schema.]name = value" is
//   set back to the value it had before the script changed it, so a script
//   that switches a setting around its transaction leaves the connection as it
//   found it.
// "PRAGMA [schema.]foreign_key_check[(table)]" fails the script when it finds
// a violation (SQL error domain, CONSTRAINT), so a script can check foreign
// keys before it commits.
//
// Uses the connection synchronously on the caller's thread; one runner may
// serve any number of scripts, one after another.
class ORVEL_API ScriptRunner {
 public:
  explicit ScriptRunner(Contracts::Database::IConnection& connection) noexcept : m_connection(connection) {}

  ScriptOutcome run(std::string_view script);

 private:
  // Not owned: the runner lives for one caller's work on the connection.
  Contracts::Database::IConnection& m_connection;
};

// Runs `script` with a ScriptRunner and gives its failure as an error.
ORVEL_API Core::Status run_script(Contracts::Database::IConnection& connection, std::string_view script);

}  // namespace Tolvane::Orvel::Supports::Database
