#pragma once

#include <memory>

#include "orvel/contracts/crypto/asymmetric_cipher.hpp"

struct evp_pkey_st;

namespace Tolvane::Orvel::Supports::Crypto {

class OpenSSLAsymmetricCipher;
using OpenSSLAsymmetricCipherPtr = std::shared_ptr<OpenSSLAsymmetricCipher>;

// RSA-2048 (public exponent 65537) with OAEP padding over OpenSSL's EVP
// interface, OAEP with OpenSSL's default digests (SHA-1), which existing cipher
// texts need. Keys are PEM files: public keys as SubjectPublicKeyInfo
// ("BEGIN PUBLIC KEY"), private keys unencrypted PKCS#8 ("BEGIN PRIVATE KEY").
// Loading a key prints nothing; `print_public` and `print_private` write the
// held key to standard output when asked.
//
// Each operation makes its own key context, but generating or loading
// replaces the held key: not for two threads at once.
class ORVEL_API OpenSSLAsymmetricCipher final : public Core::Object, public Contracts::Crypto::IAsymmetricCipher {
  TOLVANE_OBJECT(OpenSSLAsymmetricCipher)

  OpenSSLAsymmetricCipher();
  ~OpenSSLAsymmetricCipher() override;
  static OpenSSLAsymmetricCipherPtr create() { return std::make_shared<OpenSSLAsymmetricCipher>(); }

  Core::Status initialize() override;
  Core::Status load_public_key(const std::string& public_key_file) override;
  Core::Status load_private_key(const std::string& private_key_file) override;
  Core::Result<Contracts::Crypto::PemKeyPair> save_key() override;
  Core::Status save_key_file(std::optional<std::string_view> public_key,
                             std::optional<std::string_view> private_key) override;
  Core::Result<Contracts::Crypto::Bytes> encrypt(std::span<const std::uint8_t> data) override;
  Core::Result<Contracts::Crypto::Bytes> decrypt(std::span<const std::uint8_t> data) override;

  // No signatures: always empty.
  Contracts::Crypto::Bytes sign() const { return {}; }
  // Whether the held key was generated here (rather than loaded).
  bool is_generated() const noexcept { return m_generated; }
  void print_public() const;
  void print_private() const;

 private:
  struct KeyFree {
    void operator()(evp_pkey_st* key) const noexcept;
  };

  bool m_generated = false;
  std::unique_ptr<evp_pkey_st, KeyFree> m_key;
};

}  // namespace Tolvane::Orvel::Supports::Crypto
