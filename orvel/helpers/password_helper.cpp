#include "orvel/helpers/password_helper.hpp"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <array>
#include <mutex>
#include <optional>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/helpers/service_helper.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Helpers {

namespace {

using Contracts::Crypto::ISymmetricCipher;
using Providers::Contracts::Server;
using Providers::Contracts::ServerPtr;

constexpr std::size_t kBlock = 16;

// Guards the container's cipher from initialisation to the last use.
std::mutex& cipher_mutex() {
  static std::mutex mutex;
  return mutex;
}

// The container's cipher with this user's and this machine's key.
Core::Result<std::shared_ptr<ISymmetricCipher>> keyed_cipher() {
  auto cipher = ServiceHelper::cipher();
  if (!cipher) {
    return Core::fail("Crypto", -1, Core::_("No symmetric cipher is registered."));
  }
  if (Core::Status keyed = cipher->initialize(g_get_user_name(), g_get_host_name()); !keyed) {
    return std::unexpected(std::move(keyed.error()));
  }
  return cipher;
}

std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Core::Result<std::string> encrypt_with(ISymmetricCipher& cipher, std::string_view plain) {
  auto encrypted = cipher.encrypt(bytes_of(plain));
  if (!encrypted) {
    return std::unexpected(std::move(encrypted.error()));
  }
  return Core::take_std(g_base64_encode(encrypted->data(), encrypted->size()));
}

Core::Result<std::string> decrypt_with(ISymmetricCipher& cipher, std::string_view encrypted) {
  const std::string text(encrypted);
  gsize length = 0;
  Core::GPtr<guchar, g_free> raw(g_base64_decode(text.c_str(), &length));
  auto plain = cipher.decrypt({raw.get(), length});
  if (!plain) {
    return std::unexpected(std::move(plain.error()));
  }
  const auto* data = reinterpret_cast<const char*>(plain->data());
  std::optional<std::string> result;
  if (g_utf8_validate_len(data, plain->size(), nullptr)) {
    result.emplace(data, plain->size());
  }
  OPENSSL_cleanse(plain->data(), plain->size());
  if (!result) {
    // What a wrong key that slipped through the padding check gives.
    return Core::fail("Crypto", -1, "Failed to decrypt data finally");
  }
  return std::move(*result);
}

// One password field of a profile, and whether its feature is in use.
struct Field {
  const std::string& (Server::*get)() const noexcept;
  void (Server::*set)(std::string);
  bool in_use;
};

void log_failure(bool encrypting, const Core::Error& error) {
  if (encrypting) {
    Foundation::LoggingService::error(nullptr, "encrypt password failed: %s", error.message.c_str());
  } else {
    Foundation::LoggingService::error(nullptr, "decrypt password failed: %s", error.message.c_str());
  }
}

Core::Status transform(const ServerPtr& server, bool encrypting) {
  std::lock_guard lock(cipher_mutex());
  auto cipher = keyed_cipher();
  if (!cipher) {
    log_failure(encrypting, cipher.error());
    return std::unexpected(std::move(cipher.error()));
  }
  const std::array<Field, 3> fields{{
      {&Server::get_password, &Server::set_password, true},
      {&Server::get_ssh_password, &Server::set_ssh_password, server->get_ssh_using()},
      {&Server::get_ssl_password, &Server::set_ssl_password, server->get_ssl_using()},
  }};
  // Every new value first: a failure half-way must not leave a mix of cipher
  // and clear text that no later call can sort out.
  std::array<std::optional<std::string>, 3> replaced;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& value = ((*server).*fields[i].get)();
    if (!fields[i].in_use || value.empty()) {
      continue;
    }
    auto done = encrypting ? encrypt_with(**cipher, value) : decrypt_with(**cipher, value);
    if (!done) {
      log_failure(encrypting, done.error());
      return std::unexpected(std::move(done.error()));
    }
    replaced[i] = std::move(*done);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (replaced[i]) {
      ((*server).*fields[i].set)(std::move(*replaced[i]));
    }
  }
  return {};
}

// A number below `bound` with every value equally likely: draws that fall
// into the incomplete last range are drawn again.
std::optional<std::uint32_t> uniform_below(std::uint32_t bound) {
  const std::uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
  while (true) {
    std::uint32_t draw = 0;
    if (RAND_bytes(reinterpret_cast<unsigned char*>(&draw), sizeof draw) != 1) {
      return std::nullopt;
    }
    if (draw < limit) {
      return draw % bound;
    }
  }
}

}  // namespace

const Core::TypeInfo& PasswordHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersPasswordHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<PasswordHelper>(), {});
  return info;
}

Core::Status PasswordHelper::encrypt_password(const ServerPtr& server) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", Core::fail("Crypto", -1, "server != NULL"));
  return transform(server, true);
}

Core::Status PasswordHelper::decrypt_password(const ServerPtr& server) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", Core::fail("Crypto", -1, "server != NULL"));
  return transform(server, false);
}

Core::Result<std::string> PasswordHelper::encrypt_text(std::string_view plain) {
  std::lock_guard lock(cipher_mutex());
  auto cipher = keyed_cipher();
  if (!cipher) {
    return std::unexpected(std::move(cipher.error()));
  }
  return encrypt_with(**cipher, plain);
}

Core::Result<std::string> PasswordHelper::decrypt_text(std::string_view encrypted) {
  std::lock_guard lock(cipher_mutex());
  auto cipher = keyed_cipher();
  if (!cipher) {
    return std::unexpected(std::move(cipher.error()));
  }
  return decrypt_with(**cipher, encrypted);
}

bool PasswordHelper::looks_encrypted(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) {
    return false;
  }
  std::size_t padding = 0;
  while (padding < 2 && text[text.size() - 1 - padding] == '=') {
    ++padding;
  }
  for (std::size_t i = 0; i < text.size() - padding; ++i) {
    const char c = text[i];
    if (!g_ascii_isalnum(c) && c != '+' && c != '/') {
      return false;
    }
  }
  const std::size_t decoded = text.size() / 4 * 3 - padding;
  return decoded % kBlock == 0;
}

std::string PasswordHelper::generate_password(int length) {
  static constexpr std::array<std::string_view, 4> kClasses{
      "1234567890", "~!@#$%^&*<>;:,?", "aeiouAEIOU", "bcdfghjklmnpqrstvwxyzBCDFGHJKLMNPQRSTVWXYZ"};
  if (length <= 0) {
    return {};
  }
  std::string password;
  password.reserve(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    auto which = uniform_below(static_cast<std::uint32_t>(kClasses.size()));
    std::optional<std::uint32_t> at;
    if (which) {
      at = uniform_below(static_cast<std::uint32_t>(kClasses[*which].size()));
    }
    if (!at) {
      Foundation::LoggingService::error(nullptr, "generate password failed: the random generator failed");
      OPENSSL_cleanse(password.data(), password.size());
      return {};
    }
    password.push_back(kClasses[*which][*at]);
  }
  return password;
}

}  // namespace Tolvane::Orvel::Helpers
