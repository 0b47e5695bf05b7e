#pragma once

// Compatibility with databases made by SQLite's former user-authentication
// extension, which SQLite removed and SQLite3 Multiple Ciphers no longer ships.
// Such a database holds its users in the table "main".sqlite_user
// (uname, isAdmin, pw), each password stored as sqlite_crypt(password, NULL).
// Not exported: the provider's open is the only caller.

#include <string>

#include "tessin/core/error.hpp"

struct sqlite3;

namespace Tolvane::Providers::Supports::UserAuthentication {

// Registers the SQL function sqlite_crypt(X, Y) on `database`: the 8 salt bytes
// of Y (when Y is a blob of exactly 8 + length(X) bytes; otherwise 8 random
// bytes) followed by each byte of X exclusive-or'ed with salt byte (i mod 8).
Core::Status register_crypt(sqlite3* database);

// Applies the former extension's rule to a freshly opened handle:
// - no sqlite_user table in "main": nothing to check, success;
// - credentials given (user name and password both non-empty): they are
//   checked against sqlite_user; a mismatch is domain "SQLite", code 23
//   (SQLITE_AUTH) with the engine's text for that code;
// - as long as the database is not authenticated, an authorizer on the handle
//   denies every statement, so a profile without credentials reads nothing.
// Reading the schema can fail (wrong key, not a database): that error is
// returned as the engine reports it.
Core::Status authenticate(sqlite3* database, const std::string& username, const std::string& password);

}  // namespace Tolvane::Providers::Supports::UserAuthentication
