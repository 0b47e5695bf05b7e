#include <gtest/gtest.h>

#include "tessin/core/json_properties.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Core {
namespace {

std::string nested(std::size_t depth, std::string_view inside = "1") {
  std::string text;
  text.reserve(depth * 2 + inside.size());
  for (std::size_t i = 0; i < depth; ++i) {
    text += i % 2 == 0 ? '[' : '{';
    if (i % 2 == 1) {
      text += "\"k\":";
    }
  }
  text += inside;
  for (std::size_t i = depth; i > 0; --i) {
    text += (i - 1) % 2 == 0 ? ']' : '}';
  }
  return text;
}

TEST(JsonDepth, DeepTextIsRefusedBeforeParsingAndReasonableTextParses) {
  auto deep = Json::parse(nested(100000));
  ASSERT_FALSE(deep.has_value()) << "a stack overflow would have ended the test instead";
  EXPECT_EQ(deep.error().domain, "JSON");
  EXPECT_EQ(deep.error().code, -1);
  EXPECT_NE(deep.error().message.find("deeper than 512"), std::string::npos) << deep.error().message;

  EXPECT_TRUE(Json::parse(nested(500)).has_value());
  EXPECT_TRUE(Json::parse(nested(Json::kMaxDepth)).has_value());
  EXPECT_FALSE(Json::parse(nested(Json::kMaxDepth + 1)).has_value());
}

TEST(JsonDepth, BracketsInsideStringsDoNotCount) {
  const std::string brackets(5000, '[');
  EXPECT_TRUE(Json::parse("{\"a\":\"" + brackets + "\"}").has_value());
  // An escaped quote does not end the string, so what follows still is text.
  EXPECT_TRUE(Json::parse("[\"\\\"" + brackets + "\\\\\"]").has_value());
  // Closing brackets in strings do not make room for deeper nesting either.
  const std::string closers(1000, ']');
  EXPECT_FALSE(Json::parse("[\"" + closers + "\"," + nested(Json::kMaxDepth) + "]").has_value());
}

TEST(JsonDepth, FilesAreCheckedAndParseErrorsNameTheFile) {
  Testing::TempDir dir;
  Testing::write_text(dir.file("deep.json"), nested(100000));
  auto deep = Json::parse_file(dir.file("deep.json"));
  ASSERT_FALSE(deep.has_value());
  EXPECT_EQ(deep.error().domain, "JSON");

  Testing::write_text(dir.file("broken.json"), "{\"a\": 1,}");
  auto broken = Json::parse_file(dir.file("broken.json"));
  ASSERT_FALSE(broken.has_value());
  EXPECT_EQ(broken.error().message.rfind(dir.file("broken.json") + ":1:", 0), 0u) << broken.error().message;
}

}  // namespace
}  // namespace Tolvane::Core
