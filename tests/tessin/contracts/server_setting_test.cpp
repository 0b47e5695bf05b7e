#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tessin/contracts/server_setting.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

using Tolvane::Testing::read_text;
using Tolvane::Testing::TempDir;
using Tolvane::Testing::write_text;

ServerPtr named(const std::string& title) {
  auto server = Server::with_provider("SQLite");
  server->set_title(title);
  return server;
}

// One organization "Org" with group "G" (two profiles), a top-level group
// "Top" (one profile) and one top-level profile.
ServerSettingPtr sample_tree() {
  auto setting = ServerSetting::create();
  auto inner = ServerGroup::with_name("G");
  inner->get_servers() = {named("a"), named("b")};
  auto organization = Organization::with_name("Org");
  organization->set_groups({inner});
  auto top = ServerGroup::with_name("Top");
  top->set_servers({named("c")});
  setting->set_organizations({organization});
  setting->set_groups({top});
  setting->set_servers({named("d")});
  return setting;
}

std::vector<std::string> titles(const std::vector<ServerPtr>& servers) {
  std::vector<std::string> result;
  for (const auto& server : servers) {
    result.push_back(server->get_title());
  }
  return result;
}

TEST(ServerSetting, UniteListsOrganizationsThenGroupsThenProfiles) {
  EXPECT_EQ(titles(sample_tree()->unite_servers()), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ServerSetting, AppendPicksThePlaceByOrganizationAndGroupName) {
  auto setting = sample_tree();
  int changes = 0;
  setting->signal_changed().connect([&changes] { ++changes; });
  auto& org_group = setting->get_organizations()[0]->get_groups()[0]->get_servers();
  auto& top_group = setting->get_groups()[0]->get_servers();
  auto& top = setting->get_servers();

  setting->append(named("in-org-group"), "G", "Org");
  EXPECT_EQ(org_group.back()->get_title(), "in-org-group");
  setting->append(named("org-no-group"), "", "Org");
  EXPECT_EQ(top.back()->get_title(), "org-no-group") << "an organization without a group name is the top level";
  setting->append(named("group-outside"), "G", "");
  EXPECT_EQ(top.back()->get_title(), "group-outside") << "G exists only inside an organization";
  setting->append(named("unknown-org"), "Top", "Nowhere");
  EXPECT_EQ(top_group.back()->get_title(), "unknown-org") << "an unknown organization falls back to the groups";
  setting->append(named("missing-group"), "Nope", "Org");
  EXPECT_EQ(top.back()->get_title(), "missing-group");
  EXPECT_EQ(changes, 5);

  auto profile = org_group.back();
  setting->remove(profile, "G", "Org");
  EXPECT_EQ(org_group.size(), 2u);
  setting->remove(profile, "G", "Org");
  EXPECT_EQ(changes, 7) << "changed is emitted even when nothing was removed";

  Tolvane::Testing::GLibLogCapture log;
  setting->append(nullptr, "", "");
  EXPECT_TRUE(log.has_critical("server != NULL"));
  EXPECT_EQ(changes, 7);
}

TEST(ServerSetting, TheTreeRoundTripsThroughItsFile) {
  TempDir dir;
  const std::string file = dir.file("servers.json");
  write_text(file, "{}");
  ::chmod(file.c_str(), 0644);
  auto setting = sample_tree();
  setting->get_servers()[0]->set_password("hunter2");
  setting->get_servers()[0]->set_ssh_port(2222);
  ASSERT_TRUE(setting->load(file).has_value());
  setting->set_organizations(sample_tree()->get_organizations());
  setting->set_groups(sample_tree()->get_groups());
  auto top = named("d");
  top->set_password("hunter2");
  top->set_ssh_port(2222);
  top->set_databases({"main"});
  setting->set_servers({top});
  ASSERT_TRUE(setting->save().has_value());

  const std::string text = read_text(file);
  EXPECT_EQ(text.rfind("{\n  \"organizations\" : [\n    {\n      \"name\" : \"Org\",\n      \"groups\" : [", 0), 0u)
      << text;
  EXPECT_NE(text.find("\"ssh-port\" : 2222"), std::string::npos);
  EXPECT_EQ(text.find("\"port\""), std::string::npos);
  struct stat info{};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file holds passwords";

  auto loaded = ServerSetting::create();
  ASSERT_TRUE(loaded->load(file).has_value());
  EXPECT_EQ(titles(loaded->unite_servers()), (std::vector<std::string>{"a", "b", "c", "d"}));
  ASSERT_EQ(loaded->get_organizations().size(), 1u);
  EXPECT_EQ(loaded->get_organizations()[0]->get_name(), "Org");
  EXPECT_EQ(loaded->get_organizations()[0]->get_groups()[0]->get_name(), "G");
  EXPECT_EQ(loaded->get_groups()[0]->get_name(), "Top");
  const auto& back = loaded->get_servers()[0];
  EXPECT_EQ(back->get_password(), "hunter2");
  EXPECT_EQ(back->get_ssh_port(), 2222);
  EXPECT_EQ(back->get_uuid(), top->get_uuid());
  EXPECT_EQ(back->get_databases(), std::vector<std::string>{"main"});
  EXPECT_EQ(loaded->to_text(), text) << "saving again writes the same document";
}

TEST(ServerSetting, FilesThatHoldNoTreeLeaveTheListsAlone) {
  TempDir dir;
  auto setting = sample_tree();
  std::vector<std::string> notified;
  setting->signal_notify().connect([&notified](std::string_view name) { notified.emplace_back(name); });

  write_text(dir.file("array.json"), "[{\"servers\": []}]");
  auto array = setting->load(dir.file("array.json"));
  ASSERT_FALSE(array.has_value());
  EXPECT_EQ(array.error(), (Core::Error{"ServerSetting", -2, "Failed to load database setting file."}));
  EXPECT_EQ(setting->get_filename(), dir.file("array.json")) << "remembered even when loading fails";

  write_text(dir.file("broken.json"), "{\"servers\": [");
  auto broken = setting->load(dir.file("broken.json"));
  ASSERT_FALSE(broken.has_value());
  EXPECT_EQ(broken.error().domain, "json-parser-error-quark");

  auto missing = setting->load(dir.file("missing.json"));
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().domain, "g-file-error-quark");
  EXPECT_EQ(titles(setting->unite_servers()), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_TRUE(notified.empty());

  // Members of the wrong JSON type are ignored, as are elements that are not objects.
  write_text(dir.file("odd.json"),
             R"({"organizations": 5, "groups": [{"name": 7, "servers": [1, {"title": "x", "port": "80"}]}],)"
             R"( "servers": [null, {"title": "y", "ssh-port": 23}]})");
  ASSERT_TRUE(setting->load(dir.file("odd.json")).has_value());
  EXPECT_TRUE(setting->get_organizations().empty()) << "not an array: the file's tree has none";
  ASSERT_EQ(setting->get_groups().size(), 1u);
  EXPECT_EQ(setting->get_groups()[0]->get_name(), "");
  EXPECT_EQ(titles(setting->get_groups()[0]->get_servers()), std::vector<std::string>{"x"});
  EXPECT_EQ(setting->get_groups()[0]->get_servers()[0]->get_port(), 0);
  EXPECT_EQ(titles(setting->get_servers()), std::vector<std::string>{"y"});
  EXPECT_EQ(notified, (std::vector<std::string>{"groups", "servers", "organizations"}));
}

TEST(ServerSetting, SavingNeedsAFileNameAndAWritableFolder) {
  TempDir dir;
  auto setting = ServerSetting::create();
  auto unnamed = setting->save();
  ASSERT_FALSE(unnamed.has_value());
  EXPECT_EQ(unnamed.error().domain, "g-file-error-quark");

  const std::string file = dir.file("no/folder/servers.json");
  ASSERT_FALSE(setting->load(file).has_value());
  auto failed = setting->save();
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().domain, Core::Error::gio_domain());
  EXPECT_NE(failed.error().message.find(file), std::string::npos) << failed.error().message;
  EXPECT_FALSE(g_file_test(dir.file("no").c_str(), G_FILE_TEST_EXISTS));
}

TEST(ServerSetting, UpdatesOfTwoHoldersOfOneFileBothSurvive) {
  TempDir dir;
  const std::string file = dir.file("servers.json");
  auto first = ServerSetting::create();
  auto second = ServerSetting::create();
  ASSERT_FALSE(first->load(file).has_value()) << "no file yet";
  ASSERT_FALSE(second->load(file).has_value());

  auto add = [](const std::string& title) {
    return [title](ServerSetting& fresh) -> Core::Status {
      fresh.append(named(title), "", "");
      return {};
    };
  };
  ASSERT_TRUE(first->update(add("one")).has_value());
  ASSERT_TRUE(second->update(add("two")).has_value()) << "re-reads what the first one wrote";
  EXPECT_EQ(titles(second->unite_servers()), (std::vector<std::string>{"one", "two"}));

  const std::string before = read_text(file);
  auto refused = first->update([](ServerSetting& fresh) -> Core::Status {
    fresh.append(named("three"), "", "");
    return Core::fail("test", 1, "refused");
  });
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().message, "refused");
  EXPECT_EQ(read_text(file), before) << "a failed change writes nothing";

  write_text(file, "{\"servers\": [");
  EXPECT_FALSE(first->update(add("four")).has_value()) << "a file it cannot read is not replaced";
  EXPECT_EQ(read_text(file), "{\"servers\": [");
}

TEST(ServerSetting, ADeeplyNestedFileIsRefusedWithAJsonError) {
  TempDir dir;
  const std::string file = dir.file("servers.json");
  write_text(file, "{\"servers\": " + std::string(200000, '[') + std::string(200000, ']') + "}");
  auto setting = ServerSetting::create();
  auto loaded = setting->load(file);
  ASSERT_FALSE(loaded.has_value());
  EXPECT_EQ(loaded.error().domain, "JSON");
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
