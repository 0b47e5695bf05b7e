#include <gtest/gtest.h>

#include "orvel/contracts/serialization/json_serializer.hpp"
#include "tessin/contracts/data_version.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Contracts::Serialization {
namespace {

using Providers::Contracts::DataVersion;

class Leaf final : public Core::Object {
  TOLVANE_OBJECT(Leaf)
};

const Core::TypeInfo& Leaf::static_type() {
  static const Core::TypeInfo info("TolvaneTestSerializerLeaf", &Core::Object::static_type(), {},
                                   Core::factory_of<Leaf>(), {});
  return info;
}

// One property of each kind the mapping knows, a read-only one, a property
// named "class" and a referenced object.
class Sample final : public Core::Object, public IJsonSerializer {
  TOLVANE_OBJECT(Sample)

#define SAMPLE_PROPERTY(Type, name, initial)                                 \
 public:                                                                     \
  Type get_##name() const { return m_##name; }                               \
  void set_##name(Type value) { assign(m_##name, std::move(value), #name); } \
                                                                             \
 private:                                                                    \
  Type m_##name = initial;                                                   \
                                                                             \
 public:
  SAMPLE_PROPERTY(bool, flag, false)
  SAMPLE_PROPERTY(std::int8_t, tiny, 0)
  SAMPLE_PROPERTY(std::uint16_t, ssh_port, 22)
  SAMPLE_PROPERTY(std::uint64_t, big, 0)
  SAMPLE_PROPERTY(DataVersion, version, DataVersion::Initial)
  SAMPLE_PROPERTY(float, ratio, 0)
  SAMPLE_PROPERTY(std::optional<std::string>, name, std::nullopt)
  SAMPLE_PROPERTY(Core::DateTime, when, {})
  SAMPLE_PROPERTY(std::vector<std::string>, tags, {})
  SAMPLE_PROPERTY(std::string, klass, "")
  SAMPLE_PROPERTY(std::shared_ptr<Leaf>, child, nullptr)
#undef SAMPLE_PROPERTY
  int get_fixed() const { return 7; }
};

const Core::TypeInfo& Sample::static_type() {
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneTestSerializerSample", &Core::Object::static_type(), {&IJsonSerializer::static_type()},
      Core::factory_of<Sample>(),
      {property("flag", &Sample::get_flag, &Sample::set_flag),
       property("tiny", &Sample::get_tiny, &Sample::set_tiny),
       property("ssh-port", &Sample::get_ssh_port, &Sample::set_ssh_port),
       property("big", &Sample::get_big, &Sample::set_big),
       property("version", &Sample::get_version, &Sample::set_version),
       property("fixed", &Sample::get_fixed),
       property("ratio", &Sample::get_ratio, &Sample::set_ratio),
       property("name", &Sample::get_name, &Sample::set_name),
       property("when", &Sample::get_when, &Sample::set_when),
       property("tags", &Sample::get_tags, &Sample::set_tags),
       property("class", &Sample::get_klass, &Sample::set_klass),
       property("child", &Sample::get_child, &Sample::set_child)});
  return info;
}

std::string serialized(Sample& sample) {
  auto builder = Core::GRef<JsonBuilder>::adopt(json_builder_new());
  json_builder_begin_object(builder.get());
  static_cast<IJsonSerializer&>(sample).serialize(builder.get(), &sample);
  json_builder_end_object(builder.get());
  auto root = Core::Json::NodeRef::adopt(json_builder_get_root(builder.get()));
  return Core::Json::to_text(root.get());
}

void read_into(Sample& sample, const std::string& text) {
  auto parsed = Core::Json::parse(text);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().message;
  static_cast<IJsonSerializer&>(sample).deserialize(json_node_get_object(parsed->get()), &sample);
}

TEST(JsonSerializer, WritesEveryWritablePropertyDefaultsIncluded) {
  Sample sample;
  EXPECT_EQ(serialized(sample),
            R"({"flag":false,"tiny":0,"ssh-port":22,"big":0,"version":0,"ratio":0.0,"name":"","when":"",)"
            R"("tags":[],"class":"","child":"NULL"})")
      << "the read-only \"fixed\" is left out; a null text and no date-time are \"\"";

  sample.set_flag(true);
  sample.set_tiny(-5);
  sample.set_big(UINT64_MAX);
  sample.set_version(DataVersion::Update | DataVersion::Delete);
  sample.set_ratio(0.5f);
  sample.set_name(std::string("n"));
  sample.set_when(Core::DateTime::adopt(g_date_time_new_utc(2024, 3, 1, 12, 0, 0)));
  sample.set_tags({"a", "b"});
  const std::string text = serialized(sample);
  EXPECT_NE(text.find(R"("flag":true,"tiny":-5,"ssh-port":22,"big":-1,"version":10,"ratio":0.5,"name":"n",)"
                      R"("when":"2024-03-01T12:00:00Z","tags":["a","b"])"),
            std::string::npos)
      << text;

  Testing::GLibLogCapture log;  // the "child" member is not read back
  Sample back;
  read_into(back, text);
  EXPECT_EQ(back.get_big(), UINT64_MAX) << "an unsigned 64-bit number keeps its bits";
  EXPECT_EQ(back.get_version(), DataVersion::Update | DataVersion::Delete);
  EXPECT_EQ(back.get_tiny(), -5);
  EXPECT_EQ(back.get_name(), std::optional<std::string>("n"));
  ASSERT_TRUE(back.get_when());
  EXPECT_TRUE(g_date_time_equal(back.get_when().get(), sample.get_when().get()));
  EXPECT_EQ(back.get_tags(), (std::vector<std::string>{"a", "b"}));
}

TEST(JsonSerializer, ReadingFollowsTheMemberNamesAndSkipsWhatItMustNotSet) {
  Testing::GLibLogCapture log;
  Sample sample;
  sample.set_klass("kept");
  read_into(sample, R"({"class":"other","ssh_port":2222,"fixed":9,"unknown":[1,2],"tiny":300})");
  EXPECT_EQ(sample.get_klass(), "kept") << "a member \"class\" is never applied";
  EXPECT_EQ(sample.get_ssh_port(), 2222) << "'_' finds the property registered with '-'";
  EXPECT_EQ(sample.get_tiny(), 44) << "cut to the property's width";
  EXPECT_TRUE(log.lines().empty()) << "unknown and read-only members pass without a word";

  Sample null_text;
  read_into(null_text, serialized(null_text));
  EXPECT_EQ(null_text.get_name(), std::optional<std::string>("")) << "a null text comes back empty, not null";
}

TEST(JsonSerializer, MismatchedMembersGiveTheKindsEmptyValueAndObjectsAWarning) {
  Testing::GLibLogCapture log;
  Sample sample;
  sample.set_flag(true);
  sample.set_big(5);
  sample.set_name(std::string("n"));
  sample.set_tags({"kept"});
  sample.set_when(Core::DateTime::adopt(g_date_time_new_now_utc()));
  read_into(sample, R"({"flag":"yes","big":{"a":1},"name":3,"tags":"x","when":"not a date","ratio":"1.5",)"
                    R"("child":{"flag":true}})");
  EXPECT_FALSE(sample.get_flag());
  EXPECT_EQ(sample.get_big(), 0u);
  EXPECT_FALSE(sample.get_name().has_value());
  EXPECT_FLOAT_EQ(sample.get_ratio(), 0.0f);
  EXPECT_EQ(sample.get_tags(), std::vector<std::string>{"kept"}) << "a list keeps its value";
  EXPECT_FALSE(sample.get_when()) << "a text that is not ISO 8601 gives no date-time";
  EXPECT_EQ(sample.get_child(), nullptr);
  EXPECT_TRUE(log.contains(G_LOG_LEVEL_WARNING, "Type: child -> TolvaneTestSerializerLeaf")) << "objects are not read";

  read_into(sample, R"({"when":"2024-03-01T12:00:00","ratio":2})");
  ASSERT_TRUE(sample.get_when());
  EXPECT_EQ(g_date_time_get_utc_offset(sample.get_when().get()), 0) << "no zone is UTC";
  EXPECT_EQ(g_date_time_get_hour(sample.get_when().get()), 12);
  EXPECT_FLOAT_EQ(sample.get_ratio(), 2.0f);
}

TEST(JsonSerializer, MissingArgumentsAreProgrammingErrors) {
  Testing::GLibLogCapture log;
  Sample sample;
  IJsonSerializer& serializer = sample;
  serializer.serialize(nullptr, &sample);
  EXPECT_TRUE(log.has_critical("builder != NULL"));
  serializer.deserialize(nullptr, &sample);
  EXPECT_TRUE(log.has_critical("json_object != NULL"));
  auto builder = Core::GRef<JsonBuilder>::adopt(json_builder_new());
  serializer.serialize(builder.get(), nullptr);
  EXPECT_TRUE(log.has_critical("object != NULL"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Contracts::Serialization
