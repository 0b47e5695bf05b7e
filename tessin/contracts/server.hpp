#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

class Server;
using ServerPtr = std::shared_ptr<Server>;

// The description of one database connection: engine, file or host,
// credentials, options, SSH tunnel and TLS settings. Texts are never absent.
// Every setter notifies only on a real change. The password fields hold
// whatever was last set; the profile encrypts nothing itself.
class TESSIN_API Server final : public Core::Object {
  TOLVANE_OBJECT(Server)

  Server() = default;
  static ServerPtr create() { return std::make_shared<Server>(); }
  // A profile for `provider` with a fresh upper-case version-4 UUID.
  static ServerPtr with_provider(std::string provider);

  // A copy of every writable property; with `renew_uuid` the copy then gets a
  // fresh UUID.
  ServerPtr clone(bool renew_uuid) const;

#define TOLVANE_SERVER_TEXT(name)                                                     \
  const std::string& get_##name() const noexcept { return m_##name; }                 \
  void set_##name(std::string value);

  TOLVANE_SERVER_TEXT(uuid)
  TOLVANE_SERVER_TEXT(provider)
  TOLVANE_SERVER_TEXT(driver)
  TOLVANE_SERVER_TEXT(title)
  TOLVANE_SERVER_TEXT(host)
  TOLVANE_SERVER_TEXT(username)
  TOLVANE_SERVER_TEXT(password)
  TOLVANE_SERVER_TEXT(initial)
  TOLVANE_SERVER_TEXT(filename)
  TOLVANE_SERVER_TEXT(location)
  TOLVANE_SERVER_TEXT(extensions)
  TOLVANE_SERVER_TEXT(options)
  TOLVANE_SERVER_TEXT(ssh_process)
  TOLVANE_SERVER_TEXT(ssh_host)
  TOLVANE_SERVER_TEXT(ssh_auth_type)
  TOLVANE_SERVER_TEXT(ssh_username)
  TOLVANE_SERVER_TEXT(ssh_password)
  TOLVANE_SERVER_TEXT(ssh_key_private_file)
  TOLVANE_SERVER_TEXT(ssl_ca_file)
  TOLVANE_SERVER_TEXT(ssl_cert_file)
  TOLVANE_SERVER_TEXT(ssl_key_file)
  TOLVANE_SERVER_TEXT(ssl_mode)
  TOLVANE_SERVER_TEXT(ssl_password)
#undef TOLVANE_SERVER_TEXT

  // Ports are 16-bit; generic code that writes a wider number keeps its low
  // 16 bits.
  std::uint16_t get_port() const noexcept { return m_port; }
  void set_port(std::uint16_t value);
  std::uint16_t get_ssh_port() const noexcept { return m_ssh_port; }
  void set_ssh_port(std::uint16_t value);
  bool get_ssh_using() const noexcept { return m_ssh_using; }
  void set_ssh_using(bool value);
  bool get_ssl_using() const noexcept { return m_ssl_using; }
  void set_ssl_using(bool value);
  const std::vector<std::string>& get_databases() const noexcept { return m_databases; }
  void set_databases(std::vector<std::string> value);

 private:
  std::string m_uuid;
  std::string m_provider = "UNKNOWN";
  std::string m_driver;
  std::string m_title;
  std::string m_host;
  std::uint16_t m_port = 0;
  std::string m_username;
  std::string m_password;
  std::string m_initial;
  std::string m_filename;
  std::string m_location;
  std::string m_extensions;
  std::vector<std::string> m_databases;
  std::string m_options;
  bool m_ssh_using = false;
  std::string m_ssh_process;
  std::string m_ssh_host;
  std::uint16_t m_ssh_port = 22;
  std::string m_ssh_auth_type = "password";
  std::string m_ssh_username;
  std::string m_ssh_password;
  std::string m_ssh_key_private_file;
  bool m_ssl_using = false;
  std::string m_ssl_ca_file;
  std::string m_ssl_cert_file;
  std::string m_ssl_key_file;
  std::string m_ssl_mode = "require";
  std::string m_ssl_password;
};

}  // namespace Tolvane::Providers::Contracts
