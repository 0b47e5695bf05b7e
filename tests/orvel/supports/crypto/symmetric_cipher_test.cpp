// The stored-profile encryption is pinned by known answers: the expected texts
// were made outside the project (SHA-1 key derivation written out by hand and
// the `openssl enc -aes-256-cbc -K -iv` command), and saved profiles decrypt
// only while these hold.

#include <gtest/gtest.h>

#include "orvel/supports/crypto/openssl_symmetric_cipher.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Crypto {
namespace {

using Contracts::Crypto::Bytes;

std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string base64(const Bytes& bytes) { return Core::take_std(g_base64_encode(bytes.data(), bytes.size())); }

Bytes unbase64(const std::string& text) {
  gsize length = 0;
  Core::GPtr<guchar, g_free> raw(g_base64_decode(text.c_str(), &length));
  return Bytes(raw.get(), raw.get() + length);
}

std::string encrypted(std::string_view user, std::string_view host, std::string_view plain) {
  auto cipher = OpenSSLSymmetricCipher::create();
  EXPECT_TRUE(cipher->initialize(user, host).has_value());
  auto out = cipher->encrypt(bytes_of(plain));
  EXPECT_TRUE(out.has_value());
  return out ? base64(*out) : "";
}

TEST(OpenSSLSymmetricCipher, MatchesTheKnownAnswersOfStoredProfiles) {
  EXPECT_EQ(encrypted("tolvane", "build-host-01", "hunter2"), "sBwwTTSyJcRBaC9hDEpBfQ==");
  EXPECT_EQ(encrypted("alice", "workstation.example", "correct horse battery staple, 16+ bytes long"),
            "SbWMlecaes+BnjMziuYuJ/WX2K2i5C8p3hnXZVK0V0nRT/vB/2wfftjxN0jL7/0Y");
  // A host name shorter than the 8 salt bytes is filled with zero bytes.
  EXPECT_EQ(encrypted("tolvane", "pi", "hunter2"), "9Gdse/VzOn6tjX7U+8PARQ==");
  EXPECT_EQ(encrypted("tolvane", std::string_view("pi\0\0\0\0\0\0", 8), "hunter2"), "9Gdse/VzOn6tjX7U+8PARQ==");
  // Before `initialize`, key and initialisation vector are all zero.
  auto fresh = OpenSSLSymmetricCipher::create();
  EXPECT_EQ(base64(*fresh->encrypt(bytes_of("x"))), "NkRuRPxxNXs3/PdWlWpLKw==");
}

TEST(OpenSSLSymmetricCipher, DecryptsWhatItEncryptsWhateverTheLength) {
  auto cipher = OpenSSLSymmetricCipher::create();
  ASSERT_TRUE(cipher->initialize("tolvane", "build-host-01").has_value());
  for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    const std::string plain(length, 'p');
    auto out = cipher->encrypt(bytes_of(plain));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->size(), (length / 16 + 1) * 16) << "PKCS#7 always pads";
    auto back = cipher->decrypt(*out);
    ASSERT_TRUE(back.has_value()) << length;
    EXPECT_EQ(std::string(back->begin(), back->end()), plain);
  }
  auto known = cipher->decrypt(unbase64("sBwwTTSyJcRBaC9hDEpBfQ=="));
  ASSERT_TRUE(known.has_value());
  EXPECT_EQ(std::string(known->begin(), known->end()), "hunter2");
}

TEST(OpenSSLSymmetricCipher, AWrongKeyOrATruncatedTextFailsInTheFinalStep) {
  auto cipher = OpenSSLSymmetricCipher::create();
  ASSERT_TRUE(cipher->initialize("mallory", "build-host-01").has_value());
  auto wrong = cipher->decrypt(unbase64("sBwwTTSyJcRBaC9hDEpBfQ=="));
  ASSERT_FALSE(wrong.has_value());
  EXPECT_EQ(wrong.error(), (Core::Error{"Crypto", -1, "Failed to decrypt data finally"}));

  ASSERT_TRUE(cipher->initialize("tolvane", "build-host-01").has_value());
  Bytes cut = unbase64("SbWMlecaes+BnjMziuYuJ/WX2K2i5C8p3hnXZVK0V0nRT/vB/2wfftjxN0jL7/0Y");
  cut.resize(cut.size() - 5);
  auto truncated = cipher->decrypt(cut);
  ASSERT_FALSE(truncated.has_value());
  EXPECT_EQ(truncated.error().message, "Failed to decrypt data finally");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Crypto
