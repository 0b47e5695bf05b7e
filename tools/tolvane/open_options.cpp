#include "tools/tolvane/open_options.hpp"

#include <glib.h>

#include "tessin/core/glib_ptr.hpp"
#include "tessin/supports/sqlite/open_options.hpp"
#include "tessin/supports/sqlite/provider.hpp"

namespace Tolvane::Cli {

namespace {

std::string variable_for(const std::string& prefix, const char* name) {
  std::string upper = prefix;
  for (char& c : upper) {
    c = c == '-' ? '_' : g_ascii_toupper(c);
  }
  return "TOLVANE_" + upper + name;
}

std::optional<std::string> environment(const std::string& variable) {
  const char* value = g_getenv(variable.c_str());
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string(value);
}

}  // namespace

void add_open_options(CLI::App& command, OpenRequest& request, const std::string& prefix, const std::string& what,
                      bool allow_create) {
  request.key_variable = variable_for(prefix, "KEY");
  request.password_variable = variable_for(prefix, "PASSWORD");
  const std::string dash = "--" + prefix;
  command.add_option_function<std::string>(
      dash + "key", [&request](const std::string& key) { request.key = key; },
      "Encryption key of " + what + " (default: $" + request.key_variable + "); any characters; \"\" for none");
  command.add_flag(dash + "no-key", request.no_key, "Ignore $" + request.key_variable + ": open " + what + " unkeyed");
  command.add_option(dash + "user", request.user, "User name for " + what + " when it requires a login");
  command.add_option_function<std::string>(
      dash + "password", [&request](const std::string& password) { request.password = password; },
      "Password of that user (default: $" + request.password_variable + ")");
  if (allow_create) {
    command.add_flag(dash + "create", request.create, "Create " + what + " when the file does not exist");
  }
  command
      .add_option_function<int>(
          dash + "timeout", [&request](int milliseconds) { request.timeout_ms = milliseconds; },
          "Milliseconds to wait when " + what + " is locked by another connection (default 5000)")
      ->check(CLI::NonNegativeNumber);
  command.add_flag(dash + "readonly", request.readonly, "Open " + what + " read-only");
  command.add_option(dash + "cipher", request.cipher,
                     "Cipher scheme of " + what +
                         ": sqlcipher, chacha20, aes256cbc, aes128cbc, rc4, ascon128, aegis "
                         "(default: the engine's, chacha20)");
  command.add_option_function<int>(
      dash + "legacy",
      [&request](int version) { request.cipher_parameters.push_back("legacy=" + std::to_string(version)); },
      "Cipher compatibility version, as in --cipher sqlcipher --legacy 3 for SQLCipher 3 files");
  command
      .add_option_function<std::vector<std::string>>(
          dash + "cipher-param",
          [&request](const std::vector<std::string>& parameters) {
            request.cipher_parameters.insert(request.cipher_parameters.end(), parameters.begin(), parameters.end());
          },
          "Further cipher parameter NAME=VALUE (kdf_iter=64000, hmac_use=0, ...); repeatable")
      ->check([](const std::string& text) {
        return text.find('=') != std::string::npos && text.front() != '=' ? std::string()
                                                                          : "expected NAME=VALUE, got \"" + text + "\"";
      });
}

namespace {

// The profile's option pieces with `name` set to `value` (replacing a piece of
// that name) or, with no value, removed.
void set_piece(std::vector<std::pair<std::string, std::string>>& pieces, const std::string& name,
               const std::optional<std::string>& value) {
  std::erase_if(pieces,
                [&name](const auto& piece) { return g_ascii_strcasecmp(piece.first.c_str(), name.c_str()) == 0; });
  if (value) {
    pieces.emplace_back(name, *value);
  }
}

}  // namespace

Applied apply_open_request(Providers::Contracts::Server& server, const OpenRequest& request, bool saved_profile) {
  using Providers::Supports::SQLiteOpenOptions;
  Applied applied;
  auto pieces = SQLiteOpenOptions::pieces(server.get_options());
  std::optional<std::string> key = request.key;
  if (key) {
    applied.key_source = key->empty() ? KeySource::None : KeySource::CommandLine;
  } else if (!request.no_key && !saved_profile) {
    key = environment(request.key_variable);
    applied.key_source = key && !key->empty() ? KeySource::Environment : KeySource::None;
  } else if (request.no_key) {
    key = std::string();
  } else if (!Providers::Supports::SQLiteProvider::key_of(server.get_options()).empty()) {
    applied.key_source = KeySource::Profile;
  }
  if (key) {
    set_piece(pieces, "PASSWORD", key->empty() ? std::nullopt : key);
  }
  if (request.timeout_ms) {
    set_piece(pieces, "BUSY_TIMEOUT", std::to_string(*request.timeout_ms));
  }
  if (request.readonly) {
    set_piece(pieces, "READONLY", std::string("true"));
  }
  if (!request.cipher.empty()) {
    set_piece(pieces, "CIPHER", request.cipher);
  }
  for (const std::string& parameter : request.cipher_parameters) {
    const std::size_t equals = parameter.find('=');
    set_piece(pieces, Core::take_std(g_ascii_strup(parameter.c_str(), static_cast<gssize>(equals))),
              parameter.substr(equals + 1));
  }
  std::string options;
  for (const auto& [name, value] : pieces) {
    options += (options.empty() ? "" : ";") + SQLiteOpenOptions::piece(name, value);
  }
  server.set_options(options);
  if (!request.user.empty()) {
    server.set_username(request.user);
  }
  std::optional<std::string> password = request.password;
  // A saved profile's own password wins over the environment's.
  if (!password && !(saved_profile && !server.get_password().empty())) {
    password = environment(request.password_variable);
  }
  if (password) {
    server.set_password(*password);
  }
  return applied;
}

}  // namespace Tolvane::Cli
