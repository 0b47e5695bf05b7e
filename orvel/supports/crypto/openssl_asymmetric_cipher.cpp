#include "orvel/supports/crypto/openssl_asymmetric_cipher.hpp"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "tessin/core/atomic_file.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Crypto {

using Contracts::Crypto::Bytes;
using Contracts::Crypto::PemKeyPair;

namespace {

constexpr int kBits = 2048;

template <class T, auto Free>
struct Freer {
  void operator()(T* pointer) const noexcept { Free(pointer); }
};
using BioPtr = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using BignumPtr = std::unique_ptr<BIGNUM, Freer<BIGNUM, BN_free>>;
using KeyContextPtr = std::unique_ptr<EVP_PKEY_CTX, Freer<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;

std::unexpected<Core::Error> crypto_error(int code, const char* message) {
  return Core::fail("Crypto", code, Core::_(message));
}

// Private keys are read without a pass phrase: OpenSSL's default would ask
// for one on the terminal.
int no_pass_phrase(char*, int, int, void*) { return 0; }

// The PEM text in a memory buffer, followed by one zero byte that the length
// counts. Private keys go through the secure heap and the buffer is wiped.
template <class Write>
Core::Result<Bytes> pem_of(bool secret, Write&& write, const char* failure) {
  BioPtr bio(BIO_new(secret ? BIO_s_secmem() : BIO_s_mem()));
  if (!bio) {
    return crypto_error(-1, failure);
  }
  if (int written = write(bio.get()); written <= 0) {
    return crypto_error(written, failure);
  }
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  Bytes pem(static_cast<std::size_t>(length) + 1, 0);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(data), length, pem.begin());
  return pem;
}

Core::Status write_pem(const Bytes& pem, std::string_view path, mode_t mode, const char* failure) {
  // The trailing zero byte belongs to the in-memory form only.
  const std::string_view text(reinterpret_cast<const char*>(pem.data()), pem.empty() ? 0 : pem.size() - 1);
  if (Core::Status written = Core::write_file_atomically(std::string(path), text, mode); !written) {
    return Core::fail("Crypto", -1, std::string(Core::_(failure)) + " " + written.error().message);
  }
  return {};
}

void print_pem(const std::function<int(BIO*)>& write) {
  BioPtr out(BIO_new_fp(stdout, BIO_NOCLOSE));
  if (out) {
    write(out.get());
    (void)BIO_flush(out.get());
  }
}

}  // namespace

void OpenSSLAsymmetricCipher::KeyFree::operator()(evp_pkey_st* key) const noexcept { EVP_PKEY_free(key); }

const Core::TypeInfo& OpenSSLAsymmetricCipher::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsCryptoOpenSSLAsymmetricCipher", &Core::Object::static_type(),
                                   {&Contracts::Crypto::IAsymmetricCipher::static_type()},
                                   Core::factory_of<OpenSSLAsymmetricCipher>(), {});
  return info;
}

OpenSSLAsymmetricCipher::OpenSSLAsymmetricCipher() = default;
OpenSSLAsymmetricCipher::~OpenSSLAsymmetricCipher() = default;

Core::Status OpenSSLAsymmetricCipher::initialize() {
  BignumPtr exponent(BN_new());
  if (!exponent) {
    return crypto_error(-1, "Failed to set bignum word.");
  }
  if (int set = BN_set_word(exponent.get(), RSA_F4); set != 1) {
    return crypto_error(set, "Failed to set bignum word.");
  }
  KeyContextPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
  if (!context) {
    return crypto_error(-1, "Failed to generate RSA key.");
  }
  int step = EVP_PKEY_keygen_init(context.get());
  if (step > 0) {
    step = EVP_PKEY_CTX_set_rsa_keygen_bits(context.get(), kBits);
  }
  if (step > 0) {
    step = EVP_PKEY_CTX_set1_rsa_keygen_pubexp(context.get(), exponent.get());
  }
  EVP_PKEY* key = nullptr;
  if (step > 0) {
    step = EVP_PKEY_generate(context.get(), &key);
  }
  if (step <= 0 || key == nullptr) {
    return crypto_error(step, "Failed to generate RSA key.");
  }
  m_key.reset(key);
  m_generated = true;
  return {};
}

Core::Status OpenSSLAsymmetricCipher::load_public_key(const std::string& public_key_file) {
  m_generated = false;
  BioPtr file(BIO_new_file(public_key_file.c_str(), "r"));
  m_key.reset(file ? PEM_read_bio_PUBKEY(file.get(), nullptr, nullptr, nullptr) : nullptr);
  if (!m_key) {
    return crypto_error(-1, "Failed to load public key.");
  }
  return {};
}

Core::Status OpenSSLAsymmetricCipher::load_private_key(const std::string& private_key_file) {
  m_generated = false;
  BioPtr file(BIO_new_file(private_key_file.c_str(), "r"));
  m_key.reset(file ? PEM_read_bio_PrivateKey(file.get(), nullptr, no_pass_phrase, nullptr) : nullptr);
  if (!m_key) {
    return crypto_error(-1, "Failed to load private key.");
  }
  return {};
}

Core::Result<PemKeyPair> OpenSSLAsymmetricCipher::save_key() {
  EVP_PKEY* key = m_key.get();
  auto public_pem = pem_of(
      false, [key](BIO* bio) { return key != nullptr ? PEM_write_bio_PUBKEY(bio, key) : 0; },
      "Failed to write public key.");
  if (!public_pem) {
    return std::unexpected(std::move(public_pem.error()));
  }
  auto private_pem = pem_of(
      true,
      [key](BIO* bio) {
        return key != nullptr ? PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr) : 0;
      },
      "Failed to write private key.");
  if (!private_pem) {
    return std::unexpected(std::move(private_pem.error()));
  }
  return PemKeyPair{std::move(*public_pem), std::move(*private_pem)};
}

Core::Status OpenSSLAsymmetricCipher::save_key_file(std::optional<std::string_view> public_key,
                                                    std::optional<std::string_view> private_key) {
  // A programming error, but it must not pass for a saved key pair.
  TOLVANE_RETURN_VAL_IF_FAIL(public_key.has_value(), "public_key != NULL", crypto_error(-1, "public_key != NULL"));
  TOLVANE_RETURN_VAL_IF_FAIL(private_key.has_value(), "private_key != NULL", crypto_error(-1, "private_key != NULL"));
  auto pems = save_key();
  if (!pems) {
    return std::unexpected(std::move(pems.error()));
  }
  Core::Status written = write_pem(pems->private_key, *private_key, 0600, "Failed to write private key.");
  OPENSSL_cleanse(pems->private_key.data(), pems->private_key.size());
  if (!written) {
    return written;
  }
  return write_pem(pems->public_key, *public_key, 0644, "Failed to write public key.");
}

namespace {

// One direction of OAEP: the library calls and what each failure says.
struct OaepDirection {
  int (*init)(EVP_PKEY_CTX*);
  int (*apply)(EVP_PKEY_CTX*, unsigned char*, std::size_t*, const unsigned char*, std::size_t);
  const char* no_context;
  const char* init_failed;
  const char* padding_failed;
  const char* length_failed;
  const char* failed;
};

constexpr OaepDirection kEncrypt{EVP_PKEY_encrypt_init,
                                 EVP_PKEY_encrypt,
                                 "Failed to create public key context.",
                                 "Failed to call encrypt_init method.",
                                 "Failed to set encrypt parameter: PKCS1_OAEP_PADDING.",
                                 "Failed to get cipher data length.",
                                 "Failed to encrypt data."};
constexpr OaepDirection kDecrypt{EVP_PKEY_decrypt_init,
                                 EVP_PKEY_decrypt,
                                 "Failed to create private key context.",
                                 "Failed to call decrypt_init method.",
                                 "Failed to set decrypt parameter: PKCS1_OAEP_PADDING.",
                                 "Failed to get plain data length.",
                                 "Failed to decrypt data."};

// OAEP with OpenSSL's default digests: existing cipher texts were made so.
Core::Result<Bytes> oaep(EVP_PKEY* key, std::span<const std::uint8_t> data, const OaepDirection& direction) {
  KeyContextPtr context(key != nullptr ? EVP_PKEY_CTX_new(key, nullptr) : nullptr);
  if (!context) {
    return crypto_error(-1, direction.no_context);
  }
  if (int step = direction.init(context.get()); step <= 0) {
    return crypto_error(step, direction.init_failed);
  }
  if (int step = EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_OAEP_PADDING); step <= 0) {
    return crypto_error(step, direction.padding_failed);
  }
  std::size_t length = 0;
  if (int step = direction.apply(context.get(), nullptr, &length, data.data(), data.size()); step <= 0) {
    return crypto_error(step, direction.length_failed);
  }
  Bytes out(length, 0);
  if (int step = direction.apply(context.get(), out.data(), &length, data.data(), data.size()); step <= 0) {
    return crypto_error(step, direction.failed);
  }
  out.resize(length);
  return out;
}

}  // namespace

Core::Result<Bytes> OpenSSLAsymmetricCipher::encrypt(std::span<const std::uint8_t> data) {
  return oaep(m_key.get(), data, kEncrypt);
}

Core::Result<Bytes> OpenSSLAsymmetricCipher::decrypt(std::span<const std::uint8_t> data) {
  return oaep(m_key.get(), data, kDecrypt);
}

void OpenSSLAsymmetricCipher::print_public() const {
  if (EVP_PKEY* key = m_key.get()) {
    print_pem([key](BIO* bio) { return PEM_write_bio_PUBKEY(bio, key); });
  }
}

void OpenSSLAsymmetricCipher::print_private() const {
  if (EVP_PKEY* key = m_key.get()) {
    print_pem([key](BIO* bio) { return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); });
  }
}

}  // namespace Tolvane::Orvel::Supports::Crypto
