#include "tools/tolvane/profile_secrets.hpp"

#include <array>
#include <vector>

#include "orvel/helpers/password_helper.hpp"
#include "tessin/supports/sqlite/open_options.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Helpers::PasswordHelper;
using Providers::Contracts::Server;

using Providers::Supports::SQLiteOpenOptions;

// The options piece that carries the key, read the way the provider reads it
// (the first piece named PASSWORD, quoted values unquoted).
std::optional<SQLiteOpenOptions::Piece> find_key_piece(std::string_view options) {
  for (auto& piece : SQLiteOpenOptions::piece_spans(options)) {
    if (piece.name == "PASSWORD") {
      return std::move(piece);
    }
  }
  return std::nullopt;
}

struct Held {
  Secret secret;
  std::string value;
};

// The secrets a profile holds, with their stored text.
std::vector<Held> secrets_of(const Server& server) {
  std::vector<Held> held;
  if (auto key = options_key(server.get_options()); key && !key->empty()) {
    held.push_back({Secret::Key, std::move(*key)});
  }
  if (!server.get_password().empty()) {
    held.push_back({Secret::Password, server.get_password()});
  }
  if (server.get_ssh_using() && !server.get_ssh_password().empty()) {
    held.push_back({Secret::SshPassword, server.get_ssh_password()});
  }
  if (server.get_ssl_using() && !server.get_ssl_password().empty()) {
    held.push_back({Secret::SslPassword, server.get_ssl_password()});
  }
  return held;
}

void store(Server& server, Secret secret, std::string value) {
  switch (secret) {
    case Secret::Key:
      server.set_options(with_options_key(server.get_options(), value));
      break;
    case Secret::Password:
      server.set_password(std::move(value));
      break;
    case Secret::SshPassword:
      server.set_ssh_password(std::move(value));
      break;
    case Secret::SslPassword:
      server.set_ssl_password(std::move(value));
      break;
  }
}

// Encrypts the held secrets that `chosen` picks; every value is made before
// any is stored, so a failure changes nothing.
template <class Choose>
Core::Result<bool> seal(Server& server, Choose&& chosen) {
  std::vector<Held> sealed;
  for (Held& held : secrets_of(server)) {
    if (!chosen(held.value)) {
      continue;
    }
    auto encrypted = PasswordHelper::encrypt_text(held.value);
    if (!encrypted) {
      return std::unexpected(std::move(encrypted.error()));
    }
    sealed.push_back({held.secret, std::move(*encrypted)});
  }
  for (Held& held : sealed) {
    store(server, held.secret, std::move(held.value));
  }
  return !sealed.empty();
}

bool is_clear(const std::string& value) { return !PasswordHelper::looks_encrypted(value); }

}  // namespace

const char* describe(Secret secret) {
  static constexpr std::array<const char*, 4> kNames{"key", "password", "SSH password", "TLS password"};
  return kNames[static_cast<std::size_t>(secret)];
}

std::optional<std::string> options_key(const std::string& options) {
  auto piece = find_key_piece(options);
  if (!piece) {
    return std::nullopt;
  }
  return std::move(piece->value);
}

std::string with_options_key(const std::string& options, const std::string& key) {
  const std::string written = SQLiteOpenOptions::key_piece(key);
  auto piece = find_key_piece(options);
  if (!piece) {
    return options.empty() ? written : options + "," + written;
  }
  return options.substr(0, piece->begin) + written + options.substr(piece->end);
}

std::string without_options_key(const std::string& options) {
  auto piece = find_key_piece(options);
  if (!piece) {
    return options;
  }
  // The piece goes with the separator after it, or before it when it is last.
  std::size_t begin = piece->begin;
  std::size_t end = piece->end;
  if (end < options.size()) {
    ++end;
  } else if (begin > 0) {
    --begin;
  }
  return options.substr(0, begin) + options.substr(end);
}

Core::Status seal_new_profile(Server& server) {
  auto sealed = seal(server, [](const std::string&) { return true; });
  if (!sealed) {
    return std::unexpected(std::move(sealed.error()));
  }
  return {};
}

Core::Result<bool> seal_clear_secrets(Server& server) { return seal(server, is_clear); }

bool has_clear_secrets(const Server& server) {
  for (const Held& held : secrets_of(server)) {
    if (is_clear(held.value)) {
      return true;
    }
  }
  return false;
}

std::optional<UnsealFailure> unseal_profile(Server& server, bool keep_key, bool keep_password) {
  std::vector<Held> opened;
  for (Held& held : secrets_of(server)) {
    if ((held.secret == Secret::Key && keep_key) || (held.secret == Secret::Password && keep_password) ||
        is_clear(held.value)) {
      continue;
    }
    auto plain = PasswordHelper::decrypt_text(held.value);
    if (!plain) {
      return UnsealFailure{held.secret, std::move(plain.error())};
    }
    opened.push_back({held.secret, std::move(*plain)});
  }
  for (Held& held : opened) {
    store(server, held.secret, std::move(held.value));
  }
  return std::nullopt;
}

}  // namespace Tolvane::Cli
