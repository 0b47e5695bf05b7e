#include "orvel/supports/crypto/openssl_symmetric_cipher.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <climits>

namespace Tolvane::Orvel::Supports::Crypto {

using Contracts::Crypto::Bytes;

namespace {

constexpr int kRounds = 2;
constexpr std::size_t kSaltLength = 8;
constexpr std::size_t kBlock = 16;

std::unexpected<Core::Error> crypto_error(const char* message) { return Core::fail("Crypto", -1, message); }

}  // namespace

void OpenSSLSymmetricCipher::ContextFree::operator()(evp_cipher_ctx_st* context) const noexcept {
  EVP_CIPHER_CTX_free(context);
}

const Core::TypeInfo& OpenSSLSymmetricCipher::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsCryptoOpenSSLSymmetricCipher", &Core::Object::static_type(),
                                   {&Contracts::Crypto::ISymmetricCipher::static_type()},
                                   Core::factory_of<OpenSSLSymmetricCipher>(), {});
  return info;
}

OpenSSLSymmetricCipher::OpenSSLSymmetricCipher() : m_context(EVP_CIPHER_CTX_new()) {}

OpenSSLSymmetricCipher::~OpenSSLSymmetricCipher() {
  OPENSSL_cleanse(m_key.data(), m_key.size());
  OPENSSL_cleanse(m_iv.data(), m_iv.size());
}

Core::Status OpenSSLSymmetricCipher::initialize(std::string_view key, std::string_view salt) {
  // EVP_BytesToKey reads exactly 8 salt bytes. A shorter salt (host names
  // such as "pi" or "nas") is zero-filled, which is what a C string of that
  // length gives for its first byte after the text.
  std::array<unsigned char, kSaltLength> salt_bytes{};
  std::copy_n(salt.begin(), std::min(salt.size(), kSaltLength), salt_bytes.begin());
  if (key.size() > INT_MAX ||
      EVP_BytesToKey(EVP_aes_256_cbc(), EVP_sha1(), salt_bytes.data(),
                     reinterpret_cast<const unsigned char*>(key.data()), static_cast<int>(key.size()), kRounds,
                     m_key.data(), m_iv.data()) <= 0) {
    return crypto_error("Failed to generate Cipher key and iv");
  }
  return {};
}

Core::Result<Bytes> OpenSSLSymmetricCipher::encrypt(std::span<const std::uint8_t> data) {
  return run(data, Direction::Encrypt);
}

Core::Result<Bytes> OpenSSLSymmetricCipher::decrypt(std::span<const std::uint8_t> data) {
  return run(data, Direction::Decrypt);
}

Core::Result<Bytes> OpenSSLSymmetricCipher::run(std::span<const std::uint8_t> data, Direction direction) {
  const bool encrypting = direction == Direction::Encrypt;
  if (!m_context || EVP_CIPHER_CTX_reset(m_context.get()) != 1 ||
      EVP_CipherInit_ex(m_context.get(), EVP_aes_256_cbc(), nullptr, m_key.data(), m_iv.data(), encrypting ? 1 : 0) !=
          1) {
    return crypto_error(encrypting ? "Failed to initialize encrypt function" : "Failed to initialize decrypt function");
  }
  const char* failed = encrypting ? "Failed to encrypt data" : "Failed to decrypt data";
  if (data.size() > INT_MAX - kBlock) {
    return crypto_error(failed);
  }
  // Encryption pads by up to one block; decryption may write up to one block
  // more than it is given in one update.
  Bytes out(data.size() + kBlock, 0);
  int length = 0;
  int final_length = 0;
  const bool done =
      EVP_CipherUpdate(m_context.get(), out.data(), &length, data.data(), static_cast<int>(data.size())) == 1;
  if (!done || EVP_CipherFinal_ex(m_context.get(), out.data() + length, &final_length) != 1) {
    OPENSSL_cleanse(out.data(), out.size());
    if (!done) {
      return crypto_error(failed);
    }
    return crypto_error(encrypting ? "Failed to encrypt data finally" : "Failed to decrypt data finally");
  }
  out.resize(static_cast<std::size_t>(length + final_length));
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Crypto
