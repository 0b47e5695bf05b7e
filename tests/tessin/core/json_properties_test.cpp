#include <gtest/gtest.h>

#include "tessin/contracts/data_version.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Core {
namespace {

using Providers::Contracts::DataVersion;

class Profile final : public Object {
  TOLVANE_OBJECT(Profile)
  const std::string& get_name() const { return m_name; }
  void set_name(std::string v) { assign(m_name, std::move(v), "name"); }
  std::optional<std::string> get_title() const { return m_title; }
  void set_title(std::optional<std::string> v) { assign(m_title, std::move(v), "title"); }
  std::uint16_t get_port() const { return m_port; }
  void set_port(std::uint16_t v) { assign(m_port, v, "port"); }
  bool get_using() const { return m_using; }
  void set_using(bool v) { assign(m_using, v, "ssh-using"); }
  DataVersion get_version() const { return m_version; }
  void set_version(DataVersion v) { assign(m_version, v, "version"); }
  double get_ratio() const { return m_ratio; }
  void set_ratio(double v) { assign(m_ratio, v, "ratio"); }
  const std::vector<std::string>& get_databases() const { return m_databases; }
  void set_databases(std::vector<std::string> v) { assign(m_databases, std::move(v), "databases"); }

 private:
  std::string m_name;
  std::optional<std::string> m_title;
  std::uint16_t m_port = 22;
  bool m_using = false;
  DataVersion m_version = DataVersion::Initial;
  double m_ratio = 0;
  std::vector<std::string> m_databases;
};

const TypeInfo& Profile::static_type() {
  static const TypeInfo info(
      "TolvaneTestProfile", &Object::static_type(), {}, factory_of<Profile>(),
      {property("name", &Profile::get_name, &Profile::set_name),
       property("title", &Profile::get_title, &Profile::set_title),
       property("ssh-port", &Profile::get_port, &Profile::set_port)
           .as_kind(PropertyKind::UInt32)
           .with_default(std::uint64_t{22}),
       property("ssh-using", &Profile::get_using, &Profile::set_using),
       property("version", &Profile::get_version, &Profile::set_version),
       property("ratio", &Profile::get_ratio, &Profile::set_ratio),
       property("databases", &Profile::get_databases, &Profile::set_databases)});
  return info;
}

std::string text_of(const Object& object, const Json::SerializeHook& hook = {}) {
  Json::ObjectRef members = Json::serialize_object(object, hook);
  return Json::to_text(Json::node_of(members.get()).get());
}

TEST(JsonProperties, DefaultsAreLeftOutButTextsAreWritten) {
  Profile profile;
  EXPECT_EQ(text_of(profile), R"({"name":"","databases":[]})");
  profile.set_port(2222);
  profile.set_using(true);
  profile.set_version(DataVersion::Update | DataVersion::Delete);
  profile.set_title(std::string("T"));
  profile.set_ratio(0.5);
  profile.set_databases({"main", "aux"});
  EXPECT_EQ(text_of(profile),
            R"({"name":"","title":"T","ssh-port":2222,"ssh-using":true,"version":10,"ratio":0.5,"databases":["main","aux"]})");
}

TEST(JsonProperties, HooksTakeOverMembers) {
  Profile profile;
  auto hook = [](const Object&, const PropertySpec& spec, Json::NodeRef& node) {
    if (spec.name == "databases") {
      node = {};
      return true;
    }
    return false;
  };
  EXPECT_EQ(text_of(profile, hook), R"({"name":""})");
}

TEST(JsonProperties, ReadingSetsFittingMembersAndIgnoresTheRest) {
  auto parsed = Json::parse(
      R"({"name":"n","ssh-port":70000,"ssh-using":"yes","version":"update","ratio":2,"unknown":1,"databases":["x"],"title":null})");
  ASSERT_TRUE(parsed.has_value());
  Profile profile;
  profile.set_title(std::string("old"));
  Json::deserialize_object(profile, json_node_get_object(parsed->get()));
  EXPECT_EQ(profile.get_name(), "n");
  EXPECT_EQ(profile.get_port(), 70000 & 0xFFFF);
  EXPECT_FALSE(profile.get_using()) << "a string does not fit a boolean";
  EXPECT_EQ(profile.get_version(), DataVersion::Update) << "flags by nick";
  EXPECT_DOUBLE_EQ(profile.get_ratio(), 2.0);
  EXPECT_EQ(profile.get_databases(), std::vector<std::string>{"x"});
  EXPECT_FALSE(profile.get_title().has_value());
}

TEST(JsonProperties, ParseErrorsComeFromTheParser) {
  auto parsed = Json::parse("{\"a\":");
  ASSERT_FALSE(parsed.has_value());
  EXPECT_EQ(parsed.error().domain, "json-parser-error-quark");
  auto missing = Json::parse_file("/nonexistent/file.json");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().domain, "g-file-error-quark");
}

// json-glib reads half a surrogate pair as bytes that are not UTF-8: a tree
// read from such text would be written as a file that no longer loads.
TEST(JsonProperties, LoneSurrogateEscapesAreRefused) {
  auto lone = Json::parse("[\"a\\ud800b\"]");
  ASSERT_FALSE(lone.has_value());
  EXPECT_EQ(lone.error().domain, "JSON");
  EXPECT_NE(lone.error().message.find("\\ud800 (at byte 3)"), std::string::npos) << lone.error().message;
  EXPECT_FALSE(Json::parse("{\"k\":\"\\uDBFF\\u0041\"}").has_value());
  // A low half alone, or two high halves, as well.
  EXPECT_FALSE(Json::parse("[\"a\\udd80b\"]").has_value());
  EXPECT_FALSE(Json::parse("[\"\\ud83d\\ud83d\\ude00\"]").has_value());
  // An escape short of its four digits.
  EXPECT_FALSE(Json::parse("[\"p\\udata\"]").has_value());
  EXPECT_FALSE(Json::parse("[\"\\ud80\"]").has_value());

  // A whole pair, and "ud800" after an escaped backslash, are text like any other.
  auto fine = Json::parse("[\"\\ud83d\\ude00 \\\\ud800\"]");
  ASSERT_TRUE(fine.has_value()) << fine.error().message;
  EXPECT_STREQ(json_array_get_string_element(json_node_get_array(fine->get()), 0), "\U0001F600 \\ud800");
}

TEST(JsonProperties, PrettyTextUsesTheIndent) {
  Profile profile;
  Json::ObjectRef members = Json::serialize_object(profile);
  EXPECT_EQ(Json::to_text(Json::node_of(members.get()).get(), true, 2), "{\n  \"name\" : \"\",\n  \"databases\" : []\n}");
}

}  // namespace
}  // namespace Tolvane::Core
