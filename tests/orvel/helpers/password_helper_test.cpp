#include <gtest/gtest.h>

#include <map>

#include "orvel/helpers/password_helper.hpp"
#include "orvel/helpers/service_helper.hpp"
#include "orvel/supports/crypto/openssl_symmetric_cipher.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

using Providers::Contracts::Server;
using Providers::Contracts::ServerPtr;

class PasswordHelperTest : public ::testing::Test {
 protected:
  PasswordHelperTest() {
    Host::Options options;
    options.default_uuid = "main";
    options.log_folder = m_dir.file("log");
    m_host = std::make_unique<Host::Startup>(options);
  }

  std::string main_log() const { return Testing::read_text(m_dir.file("log/main-000.log")); }

  // The encrypted text of `plain` for this user on this machine, made by a
  // cipher of its own.
  static std::string sealed_here(std::string_view plain) {
    auto cipher = Supports::Crypto::OpenSSLSymmetricCipher::create();
    EXPECT_TRUE(cipher->initialize(g_get_user_name(), g_get_host_name()).has_value());
    auto bytes = cipher->encrypt({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()});
    return Core::take_std(g_base64_encode(bytes->data(), bytes->size()));
  }

  static ServerPtr profile() {
    auto server = Server::with_provider("SQLite");
    server->set_password("hunter2");
    server->set_ssh_password("ssh-secret");
    server->set_ssl_password("tls-secret");
    return server;
  }

  Testing::TempDir m_dir;
  std::unique_ptr<Host::Startup> m_host;
};

TEST_F(PasswordHelperTest, EncryptsThePasswordsInUseWithTheUserAndHostKey) {
  auto server = profile();
  server->set_ssh_using(true);
  ASSERT_TRUE(PasswordHelper::encrypt_password(server).has_value());
  EXPECT_EQ(server->get_password(), sealed_here("hunter2"));
  EXPECT_EQ(server->get_ssh_password(), sealed_here("ssh-secret"));
  EXPECT_EQ(server->get_ssl_password(), "tls-secret") << "TLS is off: left alone";
  EXPECT_TRUE(PasswordHelper::looks_encrypted(server->get_password()));

  ASSERT_TRUE(PasswordHelper::decrypt_password(server).has_value());
  EXPECT_EQ(server->get_password(), "hunter2");
  EXPECT_EQ(server->get_ssh_password(), "ssh-secret");

  auto empty = Server::create();
  ASSERT_TRUE(PasswordHelper::encrypt_password(empty).has_value());
  EXPECT_EQ(empty->get_password(), "") << "an empty password stays empty";
}

TEST_F(PasswordHelperTest, AFailedDecryptionChangesNoFieldAndIsLogged) {
  auto server = profile();
  server->set_ssl_using(true);
  server->set_password(sealed_here("hunter2"));
  server->set_ssl_password("AAAAAAAAAAAAAAAAAAAAAA==");  // the form, but not this machine's text
  auto failed = PasswordHelper::decrypt_password(server);
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error(), (Core::Error{"Crypto", -1, "Failed to decrypt data finally"}));
  EXPECT_EQ(server->get_password(), sealed_here("hunter2")) << "the first field was not replaced either";
  EXPECT_NE(main_log().find("decrypt password failed: Failed to decrypt data finally"), std::string::npos)
      << main_log();
}

TEST_F(PasswordHelperTest, TextThatIsNotUtf8IsAWrongKey) {
  const std::string binary("\xff\xfe\x00\x80", 4);
  auto opened = PasswordHelper::decrypt_text(sealed_here(binary));
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error().message, "Failed to decrypt data finally");
  EXPECT_EQ(PasswordHelper::decrypt_text(sealed_here("gr\xc3\xbc\xc3\x9f")).value_or(""), "gr\xc3\xbc\xc3\x9f");
}

TEST_F(PasswordHelperTest, TellsEncryptedTextsFromClearOnes) {
  EXPECT_TRUE(PasswordHelper::looks_encrypted("sBwwTTSyJcRBaC9hDEpBfQ=="));
  EXPECT_TRUE(PasswordHelper::looks_encrypted(sealed_here(std::string(40, 'x'))));
  EXPECT_FALSE(PasswordHelper::looks_encrypted(""));
  EXPECT_FALSE(PasswordHelper::looks_encrypted("hunter2"));
  EXPECT_FALSE(PasswordHelper::looks_encrypted("s3cret=="));
  EXPECT_FALSE(PasswordHelper::looks_encrypted("sBwwTTSyJcRBaC9hDEpBfQ=")) << "not Base64";
  EXPECT_FALSE(PasswordHelper::looks_encrypted("sBwwTTSyJcRBaC9hDEpB")) << "not whole blocks";
  EXPECT_FALSE(PasswordHelper::looks_encrypted("sBwwTTSyJcRBaC9hDE.BfQ=="));
}

TEST(PasswordHelper, GeneratesPasswordsFromTheFourClassesWithEqualChances) {
  EXPECT_EQ(PasswordHelper::generate_password(0), "");
  EXPECT_EQ(PasswordHelper::generate_password(-3), "");
  EXPECT_EQ(PasswordHelper::generate_password(12).size(), 12u);
  const std::map<std::string_view, std::string_view> classes{{"digits", "1234567890"},
                                                             {"symbols", "~!@#$%^&*<>;:,?"},
                                                             {"vowels", "aeiouAEIOU"},
                                                             {"consonants",
                                                              "bcdfghjklmnpqrstvwxyzBCDFGHJKLMNPQRSTVWXYZ"}};
  constexpr int kLength = 8000;
  const std::string password = PasswordHelper::generate_password(kLength);
  ASSERT_EQ(password.size(), static_cast<std::size_t>(kLength));
  std::map<std::string_view, int> counts;
  std::map<char, int> seen;
  for (char c : password) {
    ++seen[c];
    for (const auto& [name, characters] : classes) {
      if (characters.find(c) != std::string_view::npos) {
        ++counts[name];
      }
    }
  }
  int total = 0;
  for (const auto& [name, count] : counts) {
    total += count;
    // A quarter each: 2000 expected, a standard deviation of about 39.
    EXPECT_GT(count, 1750) << name;
    EXPECT_LT(count, 2250) << name;
  }
  EXPECT_EQ(total, kLength) << "every character comes from one class";
  EXPECT_EQ(seen.size(), 10u + 15u + 10u + 42u) << "every character of every class turns up";
  EXPECT_NE(PasswordHelper::generate_password(32), PasswordHelper::generate_password(32));
}

TEST_F(PasswordHelperTest, ServiceShortcutsResolveOnceEach) {
  auto cipher = ServiceHelper::cipher();
  ASSERT_NE(cipher, nullptr);
  EXPECT_EQ(ServiceHelper::cipher(), cipher);
  ASSERT_NE(ServiceHelper::pubkey(), nullptr);
  EXPECT_EQ(ServiceHelper::pubkey(), ServiceHelper::pubkey());
  ASSERT_NE(ServiceHelper::setting(), nullptr);
  EXPECT_EQ(ServiceHelper::setting(), ServiceHelper::setting());
  ASSERT_NE(ServiceHelper::servers(), nullptr);
  EXPECT_EQ(ServiceHelper::servers(), ServiceHelper::servers());
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
