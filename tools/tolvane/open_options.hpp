#pragma once

#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tessin/contracts/server.hpp"

namespace Tolvane::Cli {

// What names a database and how to get in: the database argument (a file
// path, a "file:" URI, or the title or uuid of a saved profile) with the
// options given beside it. Commands fill one per database they open; a command
// with two databases gives each its own prefix ("source-", "target-").
struct OpenRequest {
  std::string database;
  // The encryption key given on the command line; "" given explicitly means
  // "no key" and overrides the environment.
  std::optional<std::string> key;
  // Ignore the key in the environment variable.
  bool no_key = false;
  std::string user;
  std::optional<std::string> password;
  bool create = false;
  // Milliseconds to wait for a lock held by another connection; the engine's
  // default (5 s) or the profile's when not given.
  std::optional<int> timeout_ms;
  bool readonly = false;
  // Cipher scheme ("sqlcipher", "chacha20", "aes256cbc", ...) and its
  // parameters as NAME=VALUE ("legacy=3", "kdf_iter=64000").
  std::string cipher;
  std::vector<std::string> cipher_parameters;
  // The environment variables the secrets come from when not given.
  std::string key_variable = "TOLVANE_KEY";
  std::string password_variable = "TOLVANE_PASSWORD";
};

// Adds the opening options to a command that opens a database: --key,
// --no-key, --user, --password, --create, --timeout, --readonly, --cipher,
// --legacy and --cipher-param. With a prefix ("source-") every option is named
// --source-key, --source-cipher, ... and the secrets come from
// TOLVANE_SOURCE_KEY and TOLVANE_SOURCE_PASSWORD; `what` names the database in
// the help ("the source database"). `create` is offered only when `allow_create`.
void add_open_options(CLI::App& command, OpenRequest& request, const std::string& prefix = "",
                      const std::string& what = "the database", bool allow_create = true);

// A request for `database` with nothing else given.
inline OpenRequest request_for(std::string database) {
  OpenRequest request;
  request.database = std::move(database);
  return request;
}

// Where the key of a request comes from, for messages.
enum class KeySource { None, CommandLine, Environment, Profile };

// Gives `server` what the request adds to it for this run: the key (the
// command line's; else, unless --no-key, the environment's, but only for a
// database named by path, since a saved profile carries its own), the user
// and password, the cipher and its parameters, the busy timeout and read-only
// opening, each replacing what a saved profile's options say. Returns where
// the key came from.
struct Applied {
  KeySource key_source = KeySource::None;
};
Applied apply_open_request(Providers::Contracts::Server& server, const OpenRequest& request, bool saved_profile);

}  // namespace Tolvane::Cli
