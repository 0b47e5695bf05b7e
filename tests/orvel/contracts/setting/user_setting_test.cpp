#include <gtest/gtest.h>

#include <sys/stat.h>

#include "orvel/contracts/setting/user_setting.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Orvel::Contracts::Setting {
namespace {

using Testing::read_text;
using Testing::TempDir;
using Testing::write_text;

Core::DateTime march_first() { return Core::DateTime::adopt(g_date_time_new_utc(2024, 3, 1, 12, 0, 0)); }

unsigned mode_of(const std::string& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(UserSetting, ANewTreeWritesItsGroupsWithTheirKeysAndLayout) {
  auto settings = UserSetting::create();
  settings->get_general()->set_broadcasting(march_first());
  EXPECT_EQ(settings->to_text(),
            "{\n"
            "  \"general\" : {\n"
            "    \"broadcasting\" : \"2024-03-01T12:00:00Z\",\n"
            "    \"titlebar-background\" : \"none\"\n"
            "  },\n"
            "  \"editor\" : {\n"
            "    \"font-with-size\" : \"\",\n"
            "    \"style-scheme\" : \"Adwaita\"\n"
            "  },\n"
            "  \"datagrid\" : {\n"
            "    \"submit-mode\" : \"live\",\n"
            "    \"font-with-size\" : \"monospace 10\",\n"
            "    \"color-bg-dark\" : \"rgba(0, 0, 0, 0.05)\",\n"
            "    \"color-bg-light\" : \"rgba(255, 255, 255, 0.05)\",\n"
            "    \"color-bg-dirty\" : \"rgba(245, 108, 108, 0.3)\",\n"
            "    \"color-text\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-integer\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-float\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-datetime\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-binary\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-spatial\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-compute\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-others\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-dbnull\" : \"rgba(0, 0, 0, 1.0)\",\n"
            "    \"color-current\" : \"rgba(204, 204, 204, 0.8)\"\n"
            "  },\n"
            "  \"network\" : {\n"
            "    \"proxy-host\" : \"\",\n"
            "    \"proxy-username\" : \"\",\n"
            "    \"proxy-password\" : \"\"\n"
            "  },\n"
            "  \"logging\" : {  },\n"
            "  \"datatool\" : {\n"
            "    \"external-editor\" : \"\"\n"
            "  },\n"
            "  \"extension\" : {\n"
            "    \"loaded-plugins\" : \"\"\n"
            "  }\n"
            "}");
}

TEST(UserSetting, ValuesThatDifferFromTheDeclaredDefaultsAreWritten) {
  auto settings = UserSetting::create();
  settings->get_datagrid()->set_records_limit(500);
  settings->get_general()->set_connecton_icon_size(48.5);
  settings->get_general()->set_toolbar_main_text(false);
  settings->get_network()->set_proxy_port(3128);
  settings->get_general()->set_broadcasting({});
  std::string text = settings->to_text();
  EXPECT_NE(text.find("\"records-limit\" : 500"), std::string::npos);
  EXPECT_NE(text.find("\"connecton-icon-size\" : 48.5"), std::string::npos);
  EXPECT_NE(text.find("\"toolbar-main-text\" : false"), std::string::npos);
  EXPECT_NE(text.find("\"proxy-port\" : 3128"), std::string::npos);
  EXPECT_NE(text.find("\"broadcasting\" : \"\""), std::string::npos) << "always written";
  settings->get_datagrid()->set_records_limit(1000);
  EXPECT_EQ(settings->to_text().find("records-limit"), std::string::npos);
}

TEST(UserSetting, LoadingTakesWhatTheFileSaysAndKeepsTheRest) {
  TempDir dir;
  write_text(dir.file("a.json"), R"({"editor": {"tab-width": 8}, "general": {"broadcasting": "yesterday"},)"
                                 R"( "datagrid": 5, "unknown": {"x": 1}})");
  auto settings = UserSetting::create();
  auto datagrid = settings->get_datagrid();
  std::vector<std::string> notified;
  settings->signal_notify().connect([&notified](std::string_view name) { notified.emplace_back(name); });
  ASSERT_TRUE(settings->load(dir.file("a.json")).has_value());
  EXPECT_EQ(settings->get_editor()->get_tab_width(), 8);
  EXPECT_EQ(settings->get_editor()->get_indent_width(), 4);
  EXPECT_FALSE(settings->get_general()->get_broadcasting()) << "not ISO 8601: no date-time";
  EXPECT_EQ(settings->get_datagrid()->get_records_limit(), 1000);
  EXPECT_EQ(settings->get_network()->get_proxy_port(), 8080u);
  EXPECT_EQ(notified, (std::vector<std::string>{"general", "editor", "datagrid", "network", "logging", "datatool",
                                                "extension"}))
      << "every group is a new object from the file";

  write_text(dir.file("b.json"), R"({"general": {"broadcasting": "2024-03-01T13:00:00+01:00"}})");
  ASSERT_TRUE(settings->load(dir.file("b.json")).has_value());
  ASSERT_TRUE(settings->get_general()->get_broadcasting());
  EXPECT_TRUE(g_date_time_equal(settings->get_general()->get_broadcasting().get(), march_first().get()));
}

TEST(UserSetting, AFileThatHoldsNoSettingsFailsAndChangesNothing) {
  TempDir dir;
  write_text(dir.file("array.json"), "[{\"editor\": {}}]");
  auto settings = UserSetting::create();
  auto editor = settings->get_editor();
  auto failed = settings->load(dir.file("array.json"));
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error(), (Core::Error{"UserSetting", -2, "Load user setting file failure"}));
  EXPECT_EQ(settings->get_editor(), editor);
  EXPECT_EQ(settings->get_filename(), dir.file("array.json")) << "remembered even when loading fails";

  auto unnamed = UserSetting::create()->save();
  ASSERT_FALSE(unnamed.has_value());
  EXPECT_EQ(unnamed.error().domain, Core::Error::gio_domain());
  EXPECT_EQ(unnamed.error().code, 0);

  Testing::GLibLogCapture log;
  settings->set_general(nullptr);
  EXPECT_TRUE(log.has_critical("value != NULL"));
  EXPECT_NE(settings->get_general(), nullptr);
}

TEST(UserSetting, TheFileIsPrivateAndAnUnreadableOneIsKeptBeforeTheFirstSave) {
  TempDir dir;
  const std::string file = dir.file("settings.json");
  const std::string hand_edited = "{\"network\": {\"proxy-password\": \"s3cret\",}}\n";
  write_text(file, hand_edited);
  ::chmod(file.c_str(), 0644);
  auto settings = UserSetting::create();
  ASSERT_FALSE(settings->load(file).has_value());
  settings->get_editor()->set_tab_width(2);
  ASSERT_TRUE(settings->save().has_value());
  EXPECT_EQ(settings->get_backup_filename(), file + ".bak");
  EXPECT_EQ(read_text(file + ".bak"), hand_edited) << "the user's file, byte for byte";
  EXPECT_EQ(mode_of(file + ".bak"), 0600u);
  EXPECT_EQ(mode_of(file), 0600u) << "the file holds the proxy password";
  EXPECT_NE(read_text(file).find("\"tab-width\" : 2"), std::string::npos);

  ASSERT_TRUE(settings->save().has_value());
  EXPECT_FALSE(g_file_test((file + ".bak.1").c_str(), G_FILE_TEST_EXISTS)) << "kept once, before the first save";

  write_text(file, "{");
  ASSERT_FALSE(settings->load(file).has_value());
  ASSERT_TRUE(settings->save().has_value());
  EXPECT_EQ(read_text(file + ".bak.1"), "{") << "an earlier copy is not overwritten";
  EXPECT_EQ(read_text(file + ".bak"), hand_edited);

  auto fresh = UserSetting::create();
  ASSERT_FALSE(fresh->load(dir.file("new.json")).has_value()) << "a missing file";
  ASSERT_TRUE(fresh->save().has_value());
  EXPECT_FALSE(g_file_test(dir.file("new.json.bak").c_str(), G_FILE_TEST_EXISTS)) << "nothing to keep";
}

TEST(UserSetting, UpdatesOfTwoHoldersBothSurviveAndAnUnreadableFileIsNotReplaced) {
  TempDir dir;
  const std::string file = dir.file("settings.json");
  auto first = UserSetting::create();
  auto second = UserSetting::create();
  ASSERT_FALSE(first->load(file).has_value());
  ASSERT_FALSE(second->load(file).has_value());
  ASSERT_TRUE(first
                  ->update([](UserSetting& fresh) -> Core::Status {
                    fresh.get_editor()->set_tab_width(8);
                    return {};
                  })
                  .has_value());
  ASSERT_TRUE(second
                  ->update([](UserSetting& fresh) -> Core::Status {
                    fresh.get_datagrid()->set_records_limit(50);
                    return {};
                  })
                  .has_value());
  auto check = UserSetting::create();
  ASSERT_TRUE(check->load(file).has_value());
  EXPECT_EQ(check->get_editor()->get_tab_width(), 8);
  EXPECT_EQ(check->get_datagrid()->get_records_limit(), 50);

  write_text(file, "{\"editor\": ");
  EXPECT_FALSE(first->update({}).has_value());
  EXPECT_EQ(read_text(file), "{\"editor\": ");
  EXPECT_FALSE(g_file_test((file + ".bak").c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
}  // namespace Tolvane::Orvel::Contracts::Setting
