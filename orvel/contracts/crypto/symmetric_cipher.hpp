#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Crypto {

using Bytes = std::vector<std::uint8_t>;

// A symmetric cipher with a key derived from a passphrase and a salt. Errors
// are in the domain "Crypto" with code -1. Encrypting before `initialize`
// uses an all-zero key and initialisation vector. One object holds one cipher
// context: not for two threads at once.
class ORVEL_API ISymmetricCipher {
  TOLVANE_INTERFACE(ISymmetricCipher)

  virtual ~ISymmetricCipher();

  // Derives the key and initialisation vector; replaces earlier ones.
  virtual Core::Status initialize(std::string_view key, std::string_view salt) = 0;
  virtual Core::Result<Bytes> encrypt(std::span<const std::uint8_t> data) = 0;
  virtual Core::Result<Bytes> decrypt(std::span<const std::uint8_t> data) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Crypto
