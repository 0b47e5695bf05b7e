#pragma once

#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Helpers {

// The passwords of connection profiles, kept encrypted with the symmetric
// cipher of the service container (`ServiceHelper::cipher`), and random
// passwords.
//
// The cipher's passphrase is the operating-system user name and its salt the
// host name, so a profile encrypted by one user on one machine decrypts only
// there. That binds the text to the account; it is not secrecy against
// someone who knows both names (the file's owner-only mode is what keeps
// others out). An encrypted password is the standard Base64 text (with
// padding) of the AES-256-CBC cipher bytes.
//
// Calls are serialised here, since they share the container's one cipher.
class ORVEL_API PasswordHelper : public Core::Object {
  TOLVANE_OBJECT(PasswordHelper)

  // Replaces `password`, `ssh-password` (when `ssh-using`) and `ssl-password`
  // (when `ssl-using`) by their encrypted form; empty ones stay empty. All or
  // nothing: on a failure no field has changed, and it is logged as
  // "encrypt password failed: %s".
  static Core::Status encrypt_password(const Providers::Contracts::ServerPtr& server);
  // The mirror image; a field that does not decrypt to text fails the call
  // (logged as "decrypt password failed: %s") and leaves every field as it was.
  static Core::Status decrypt_password(const Providers::Contracts::ServerPtr& server);

  // The same for one text kept elsewhere (the key piece of profile options).
  static Core::Result<std::string> encrypt_text(std::string_view plain);
  // Fails, as a wrong key does, when the plain bytes are not UTF-8 text: the
  // cipher has no authentication, so about one wrong key in 256 passes its
  // padding check.
  static Core::Result<std::string> decrypt_text(std::string_view encrypted);
  // Whether `text` has the form of an encrypted password: Base64 with padding
  // of a whole number of cipher blocks. Clear-text passwords of older files
  // mostly do not.
  static bool looks_encrypted(std::string_view text);

  // A random text of `length` characters from the operating system's
  // generator (through OpenSSL): each position takes one of four classes with
  // equal chance (digits "1234567890", symbols "~!@#$%^&*<>;:,?", vowels
  // "aeiouAEIOU", consonants of both cases), then one character of the class
  // with equal chance. "" for a length of 0 or less, or when the generator
  // fails (logged).
  static std::string generate_password(int length);
};

}  // namespace Tolvane::Orvel::Helpers
