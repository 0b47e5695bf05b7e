#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "orvel/contracts/crypto/symmetric_cipher.hpp"

namespace Tolvane::Orvel::Contracts::Crypto {

// A key pair as PEM texts. Each array holds the text followed by one zero
// byte, and its length counts that byte.
struct PemKeyPair {
  Bytes public_key;
  Bytes private_key;
};

// A public-key cipher holding at most one key (a pair, or a public key alone);
// generating or loading replaces it. Errors are in the domain "Crypto": load
// failures with code -1, the others with the failing library call's return
// value. Not for two threads at once.
class ORVEL_API IAsymmetricCipher {
  TOLVANE_INTERFACE(IAsymmetricCipher)

  virtual ~IAsymmetricCipher();

  // Generates a new key pair.
  virtual Core::Status initialize() = 0;
  // Reads a PEM public key; the held key is replaced, by nothing on failure.
  virtual Core::Status load_public_key(const std::string& public_key_file) = 0;
  // Reads an unencrypted PEM private key; the held key is replaced, by nothing
  // on failure.
  virtual Core::Status load_private_key(const std::string& private_key_file) = 0;
  virtual Core::Result<PemKeyPair> save_key() = 0;
  // Writes both PEM files: the private key first, readable by its owner only;
  // each file is replaced atomically. A missing path is a programming error
  // ("public_key != NULL", "private_key != NULL").
  virtual Core::Status save_key_file(std::optional<std::string_view> public_key,
                                     std::optional<std::string_view> private_key) = 0;
  virtual Core::Result<Bytes> encrypt(std::span<const std::uint8_t> data) = 0;
  virtual Core::Result<Bytes> decrypt(std::span<const std::uint8_t> data) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Crypto
