#include <gtest/gtest.h>

#include "tessin/contracts/server.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

std::string json_of(const Server& server) {
  Core::Json::ObjectRef members = Core::Json::serialize_object(server);
  return Core::Json::to_text(Core::Json::node_of(members.get()).get());
}

TEST(Server, ANewProfileWritesItsTextsButNotItsDefaultNumbers) {
  auto server = Server::create();
  EXPECT_EQ(json_of(*server),
            R"({"uuid":"","provider":"UNKNOWN","driver":"","title":"","host":"","username":"","password":"",)"
            R"("initial":"","filename":"","location":"","extensions":"","databases":[],"options":"",)"
            R"("ssh-process":"","ssh-host":"","ssh-auth-type":"password","ssh-username":"","ssh-password":"",)"
            R"("ssh-key-private-file":"","ssl-ca-file":"","ssl-cert-file":"","ssl-key-file":"",)"
            R"("ssl-mode":"require","ssl-password":""})");
  server->set_ssh_port(2222);
  server->set_ssh_using(true);
  server->set_databases({"main", "aux"});
  const std::string text = json_of(*server);
  EXPECT_NE(text.find(R"("ssh-port":2222)"), std::string::npos);
  EXPECT_NE(text.find(R"("ssh-using":true)"), std::string::npos);
  EXPECT_NE(text.find(R"("databases":["main","aux"])"), std::string::npos);
}

TEST(Server, ReadingKeepsInitialValuesOfMissingMembers) {
  auto parsed = Core::Json::parse(R"({"port":70000,"title":"T","ssh-using":"yes","databases":["a"]})");
  ASSERT_TRUE(parsed.has_value());
  auto server = Server::create();
  Core::Json::deserialize_object(*server, json_node_get_object(parsed->get()));
  EXPECT_EQ(server->get_ssh_port(), 22);
  EXPECT_EQ(server->get_port(), 70000 & 0xFFFF) << "ports are 16-bit";
  EXPECT_EQ(server->get_title(), "T");
  EXPECT_FALSE(server->get_ssh_using()) << "a member of the wrong type is ignored";
  EXPECT_EQ(server->get_databases(), std::vector<std::string>{"a"});
  const Core::PropertySpec* port = Server::static_type().find_property("ssh-port");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->kind, Core::PropertyKind::UInt32);
}

TEST(Server, ProfilesWithAProviderGetAnUpperCaseVersion4Uuid) {
  auto server = Server::with_provider("SQLite");
  EXPECT_EQ(server->get_provider(), "SQLite");
  const std::string& uuid = server->get_uuid();
  ASSERT_EQ(uuid.size(), 36u);
  EXPECT_TRUE(g_uuid_string_is_valid(uuid.c_str()));
  EXPECT_EQ(uuid[14], '4');
  EXPECT_EQ(uuid.find_first_of("abcdef"), std::string::npos);
  EXPECT_NE(Server::with_provider("SQLite")->get_uuid(), uuid);
}

TEST(Server, ClonesCopyEveryPropertyAndRenewTheUuidOnRequest) {
  auto server = Server::with_provider("SQLite");
  server->set_filename("/tmp/x.db");
  server->set_port(5432);
  server->set_ssl_using(true);
  server->set_ssh_password("p");
  server->set_databases({"main"});
  auto same = server->clone(false);
  auto renewed = server->clone(true);
  for (const Core::PropertySpec* spec : Server::static_type().properties()) {
    EXPECT_TRUE(Core::equal_values(spec->getter(*same), spec->getter(*server))) << spec->name;
    if (spec->name != "uuid") {
      EXPECT_TRUE(Core::equal_values(spec->getter(*renewed), spec->getter(*server))) << spec->name;
    }
  }
  EXPECT_NE(renewed->get_uuid(), server->get_uuid());
  EXPECT_EQ(renewed->get_uuid().size(), 36u);
}

TEST(Server, SettersNotifyOnlyOnARealChange) {
  auto server = Server::create();
  std::vector<std::string> changed;
  server->signal_notify().connect([&changed](std::string_view name) { changed.emplace_back(name); });
  server->set_ssh_key_private_file("k");
  server->set_ssh_key_private_file("k");
  server->set_ssh_port(22);
  server->set_ssh_port(23);
  server->set_property("port", Core::PropertyValue(std::uint64_t{0}));
  EXPECT_EQ(changed, (std::vector<std::string>{"ssh-key-private-file", "ssh-port"}));
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
