#pragma once

#include <optional>
#include <string>

#include "tessin/contracts/server.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Cli {

// The secrets a saved profile holds: the user's password, the SSH and TLS
// passwords (when those are in use) and the encryption key, the value of the
// options' "PASSWORD=" piece. In the profile file each is the encrypted text
// `Orvel::Helpers::PasswordHelper` makes (bound to this user on this machine);
// profile files of earlier versions hold them in clear.
enum class Secret : std::uint8_t { Key, Password, SshPassword, SslPassword };

// "key", "password", "SSH password", "TLS password".
const char* describe(Secret secret);

// Encrypts every secret of a profile made from what the user typed. All or
// nothing: on failure the profile is unchanged.
Core::Status seal_new_profile(Providers::Contracts::Server& server);
// Encrypts the secrets an older profile file kept in clear (those that do not
// have the form of an encrypted text); encrypted ones stay as they are. True
// when something changed.
Core::Result<bool> seal_clear_secrets(Providers::Contracts::Server& server);
// Whether some secret of the profile is held in clear.
bool has_clear_secrets(const Providers::Contracts::Server& server);

// What failed when a saved profile's secrets were read back.
struct UnsealFailure {
  Secret secret;
  Core::Error error;
};

// Decrypts the secrets of a saved profile, except those in `keep` (given anew
// for this run). A secret without the form of an encrypted text is taken as
// written (a profile file of an earlier version). All or nothing.
std::optional<UnsealFailure> unseal_profile(Providers::Contracts::Server& server, bool keep_key, bool keep_password);

// The key of the options' PASSWORD piece, read as the provider reads it
// (quoted values unquoted), and whether the options hold one.
std::optional<std::string> options_key(const std::string& options);
// The options with the key of the PASSWORD piece replaced (written quoted when
// it holds a separator); the rest of the text stays as it was.
std::string with_options_key(const std::string& options, const std::string& key);
// The options without the "PASSWORD=" piece and its separator.
std::string without_options_key(const std::string& options);

}  // namespace Tolvane::Cli
