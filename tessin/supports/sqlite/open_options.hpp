#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tessin/core/error.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Supports {

// What the options text of a profile asks of an SQLite open.
//
// The text is a list of pieces "NAME=value" separated by ',', ';' or blanks. A
// piece is split at its first '=' only, so a value may hold '='. A value that
// must hold a separator, or that starts with a double quote, is written quoted:
// "..." with every '"' inside doubled (PASSWORD="a b;c" is the key `a b;c`).
// An opening quote without a proper closing one (a quote followed by the end
// or a separator) is plain text, so every key that was written unquoted before
// reads as it always did. `piece` writes a value this way and leaves plain
// values as they are.
//
// Names the provider reads (case-sensitive):
//   PASSWORD=<key>        encryption key; empty applies none
//   BUSY_TIMEOUT=<ms>     how long a statement waits for a locked database
//                         (default 5000; 0 fails at once)
//   READONLY=true         open without write access (also "1", "yes")
//   CIPHER=<scheme>       the cipher scheme (sqlcipher, chacha20, aes256cbc,
//                         aes128cbc, rc4, ascon128, aegis ...)
// With CIPHER, every further piece whose lower-case name is a parameter of that
// scheme (LEGACY=3, KDF_ITER=64000, LEGACY_PAGE_SIZE=1024 ...) configures it;
// a piece the scheme does not know is an error then, so a misspelt parameter
// cannot open the file with settings the user did not mean. Without CIPHER
// other pieces are left to other readers of the options.
struct TESSIN_API SQLiteOpenOptions {
  static constexpr int kDefaultBusyTimeout = 5000;

  std::string key;
  int busy_timeout = kDefaultBusyTimeout;
  bool read_only = false;
  std::string cipher;
  // Lower-case parameter names of the cipher with their values, in order.
  std::vector<std::pair<std::string, int>> cipher_parameters;

  // Fails (domain "SQLite", code -1) on a value that is not a number where one
  // is needed.
  static Core::Result<SQLiteOpenOptions> parse(std::string_view options);

  // One piece of the text: its name, its value (unquoted) and the bytes
  // [begin, end) it takes in the text, so a caller can replace or drop it and
  // keep the rest of the text as the user wrote it.
  struct Piece {
    std::string name;
    std::string value;
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  static std::vector<Piece> piece_spans(std::string_view options);

  // Every piece of the text as (name, value), in order; pieces without '='
  // have an empty value.
  static std::vector<std::pair<std::string, std::string>> pieces(std::string_view options);
  // "NAME=value", quoted when the value needs it, so that `pieces` gives back
  // exactly `value`.
  static std::string piece(std::string_view name, std::string_view value);
  // The PASSWORD piece for `key`.
  static std::string key_piece(std::string_view key) { return piece("PASSWORD", key); }
};

}  // namespace Tolvane::Providers::Supports
