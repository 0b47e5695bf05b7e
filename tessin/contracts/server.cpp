#include "tessin/contracts/server.hpp"

#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

namespace {

std::string random_upper_uuid() {
  Core::GCharPtr uuid(g_uuid_string_random());
  Core::GCharPtr upper(g_ascii_strup(uuid.get(), -1));
  return std::string(upper.get());
}

}  // namespace

const Core::TypeInfo& Server::static_type() {
  using Self = Server;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsServer", &Core::Object::static_type(), {}, Core::factory_of<Server>(),
      {property("uuid", &Self::get_uuid, &Self::set_uuid),
       property("provider", &Self::get_provider, &Self::set_provider).with_default(std::string("UNKNOWN")),
       property("driver", &Self::get_driver, &Self::set_driver),
       property("title", &Self::get_title, &Self::set_title),
       property("host", &Self::get_host, &Self::set_host),
       property("port", &Self::get_port, &Self::set_port)
           .as_kind(Core::PropertyKind::UInt32)
           .with_default(std::uint64_t{0}),
       property("username", &Self::get_username, &Self::set_username),
       property("password", &Self::get_password, &Self::set_password),
       property("initial", &Self::get_initial, &Self::set_initial),
       property("filename", &Self::get_filename, &Self::set_filename),
       property("location", &Self::get_location, &Self::set_location),
       property("extensions", &Self::get_extensions, &Self::set_extensions),
       property("databases", &Self::get_databases, &Self::set_databases),
       property("options", &Self::get_options, &Self::set_options),
       property("ssh-using", &Self::get_ssh_using, &Self::set_ssh_using),
       property("ssh-process", &Self::get_ssh_process, &Self::set_ssh_process),
       property("ssh-host", &Self::get_ssh_host, &Self::set_ssh_host),
       property("ssh-port", &Self::get_ssh_port, &Self::set_ssh_port)
           .as_kind(Core::PropertyKind::UInt32)
           .with_default(std::uint64_t{22}),
       property("ssh-auth-type", &Self::get_ssh_auth_type, &Self::set_ssh_auth_type)
           .with_default(std::string("password")),
       property("ssh-username", &Self::get_ssh_username, &Self::set_ssh_username),
       property("ssh-password", &Self::get_ssh_password, &Self::set_ssh_password),
       property("ssh-key-private-file", &Self::get_ssh_key_private_file, &Self::set_ssh_key_private_file),
       property("ssl-using", &Self::get_ssl_using, &Self::set_ssl_using),
       property("ssl-ca-file", &Self::get_ssl_ca_file, &Self::set_ssl_ca_file),
       property("ssl-cert-file", &Self::get_ssl_cert_file, &Self::set_ssl_cert_file),
       property("ssl-key-file", &Self::get_ssl_key_file, &Self::set_ssl_key_file),
       property("ssl-mode", &Self::get_ssl_mode, &Self::set_ssl_mode).with_default(std::string("require")),
       property("ssl-password", &Self::get_ssl_password, &Self::set_ssl_password)});
  return info;
}

ServerPtr Server::with_provider(std::string provider) {
  auto server = create();
  server->set_provider(std::move(provider));
  server->set_uuid(random_upper_uuid());
  return server;
}

ServerPtr Server::clone(bool renew_uuid) const {
  auto copy = create();
  // Generic, so a property added to the class is cloned without touching this.
  for (const Core::PropertySpec* spec : type().properties()) {
    if (spec->readable() && spec->writable() && spec->getter && spec->setter) {
      spec->setter(*copy, spec->getter(*this));
    }
  }
  if (renew_uuid) {
    copy->set_uuid(random_upper_uuid());
  }
  return copy;
}

#define TOLVANE_SERVER_TEXT_SETTER(name, property_name) \
  void Server::set_##name(std::string value) { assign(m_##name, std::move(value), property_name); }

TOLVANE_SERVER_TEXT_SETTER(uuid, "uuid")
TOLVANE_SERVER_TEXT_SETTER(provider, "provider")
TOLVANE_SERVER_TEXT_SETTER(driver, "driver")
TOLVANE_SERVER_TEXT_SETTER(title, "title")
TOLVANE_SERVER_TEXT_SETTER(host, "host")
TOLVANE_SERVER_TEXT_SETTER(username, "username")
TOLVANE_SERVER_TEXT_SETTER(password, "password")
TOLVANE_SERVER_TEXT_SETTER(initial, "initial")
TOLVANE_SERVER_TEXT_SETTER(filename, "filename")
TOLVANE_SERVER_TEXT_SETTER(location, "location")
TOLVANE_SERVER_TEXT_SETTER(extensions, "extensions")
TOLVANE_SERVER_TEXT_SETTER(options, "options")
TOLVANE_SERVER_TEXT_SETTER(ssh_process, "ssh-process")
TOLVANE_SERVER_TEXT_SETTER(ssh_host, "ssh-host")
TOLVANE_SERVER_TEXT_SETTER(ssh_auth_type, "ssh-auth-type")
TOLVANE_SERVER_TEXT_SETTER(ssh_username, "ssh-username")
TOLVANE_SERVER_TEXT_SETTER(ssh_password, "ssh-password")
TOLVANE_SERVER_TEXT_SETTER(ssh_key_private_file, "ssh-key-private-file")
TOLVANE_SERVER_TEXT_SETTER(ssl_ca_file, "ssl-ca-file")
TOLVANE_SERVER_TEXT_SETTER(ssl_cert_file, "ssl-cert-file")
TOLVANE_SERVER_TEXT_SETTER(ssl_key_file, "ssl-key-file")
TOLVANE_SERVER_TEXT_SETTER(ssl_mode, "ssl-mode")
TOLVANE_SERVER_TEXT_SETTER(ssl_password, "ssl-password")

#undef TOLVANE_SERVER_TEXT_SETTER

void Server::set_port(std::uint16_t value) { assign(m_port, value, "port"); }
void Server::set_ssh_port(std::uint16_t value) { assign(m_ssh_port, value, "ssh-port"); }
void Server::set_ssh_using(bool value) { assign(m_ssh_using, value, "ssh-using"); }
void Server::set_ssl_using(bool value) { assign(m_ssl_using, value, "ssl-using"); }
void Server::set_databases(std::vector<std::string> value) { assign(m_databases, std::move(value), "databases"); }

}  // namespace Tolvane::Providers::Contracts
