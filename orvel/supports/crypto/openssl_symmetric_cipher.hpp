#pragma once

#include <array>
#include <memory>

#include "orvel/contracts/crypto/symmetric_cipher.hpp"

struct evp_cipher_ctx_st;

namespace Tolvane::Orvel::Supports::Crypto {

class OpenSSLSymmetricCipher;
using OpenSSLSymmetricCipherPtr = std::shared_ptr<OpenSSLSymmetricCipher>;

// AES-256-CBC with PKCS#7 padding over OpenSSL's EVP interface. The key and
// initialisation vector come from `EVP_BytesToKey` (SHA-1, 2 rounds) over the
// passphrase and the first 8 bytes of the salt, zero-filled when the salt is
// shorter: stored profiles depend on exactly this derivation. There is no
// authentication tag, so a wrong key is noticed only by the padding check
// (and slips through it about once in 256 tries); callers that expect text
// check what comes out. Key material is wiped when the object goes.
//
// One cipher context per object: not for two threads at once.
class ORVEL_API OpenSSLSymmetricCipher final : public Core::Object, public Contracts::Crypto::ISymmetricCipher {
  TOLVANE_OBJECT(OpenSSLSymmetricCipher)

  OpenSSLSymmetricCipher();
  ~OpenSSLSymmetricCipher() override;
  static OpenSSLSymmetricCipherPtr create() { return std::make_shared<OpenSSLSymmetricCipher>(); }

  Core::Status initialize(std::string_view key, std::string_view salt) override;
  Core::Result<Contracts::Crypto::Bytes> encrypt(std::span<const std::uint8_t> data) override;
  Core::Result<Contracts::Crypto::Bytes> decrypt(std::span<const std::uint8_t> data) override;

 private:
  enum class Direction : std::uint8_t { Encrypt, Decrypt };
  Core::Result<Contracts::Crypto::Bytes> run(std::span<const std::uint8_t> data, Direction direction);

  struct ContextFree {
    void operator()(evp_cipher_ctx_st* context) const noexcept;
  };

  std::array<std::uint8_t, 32> m_key{};
  // AES-256-CBC uses the first 16 bytes.
  std::array<std::uint8_t, 32> m_iv{};
  std::unique_ptr<evp_cipher_ctx_st, ContextFree> m_context;
};

}  // namespace Tolvane::Orvel::Supports::Crypto
