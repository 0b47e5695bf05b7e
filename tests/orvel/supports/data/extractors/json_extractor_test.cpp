#include "orvel/supports/data/extractors/json_extractor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/extractors/extractor_fixture.hpp"
#include "tests/orvel/supports/data/extractors/table_models.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {
namespace {

using namespace Providers::Contracts;
using Tolvane::Testing::read_text;
using Tolvane::Testing::write_text;


std::string exported(JsonExtractor& extractor, const TableModelPtr& model) {
  std::string buffer = "old";
  auto count = extractor.export_to_text(model, &buffer, nullptr);
  EXPECT_TRUE(count.has_value()) << (count ? "" : count.error().message);
  return buffer;
}

// The document parsed by json-glib, as an independent reader: a parse error
// fails the test.
Core::Json::NodeRef parsed(const std::string& text) {
  auto root = Core::Json::parse(text);
  EXPECT_TRUE(root.has_value()) << (root ? "" : root.error().message) << "\n" << text;
  return root ? *root : Core::Json::NodeRef();
}

TEST(JsonExport, LaysOutRecordsAsTheGeneratorDoes) {
  auto extractor = JsonExtractor::create("json");
  auto model = typed_model({{"id", DataType::Int32}, {"name", DataType::String}},
                        {{ValueInt32::create(1), ValueString::create("x")}});
  EXPECT_EQ(exported(*extractor, model),
            "{\n    \"RECORDS\" : [\n        {\n            \"id\" : 1,\n            \"name\" : \"x\"\n        }\n"
            "    ]\n}");
  EXPECT_EQ(exported(*extractor, typed_model({{"id", DataType::Int32}}, {})), "{\n    \"RECORDS\" : []\n}");

  // The same as json-glib's own generator writes for the same values.
  auto two = typed_model({{"a", DataType::String}, {"b", DataType::Boolean}},
                      {{ValueString::create("q\"\\\n\t\x01/é"), ValueBoolean::create(true)},
                       {ValueNull::create(), ValueBoolean::create(false)}});
  auto root = parsed(exported(*extractor, two));
  EXPECT_EQ(Core::Json::to_text(root.get(), true, 4), exported(*extractor, two));
}

TEST(JsonExport, WritesEachCellByItsOwnValue) {
  auto extractor = JsonExtractor::create("json");
  // A column's kind is its first row's: NULL first, then numbers and texts.
  auto model = typed_model({{"n", DataType::DbNull}, {"i", DataType::Int64}, {"d", DataType::Double}},
                        {{ValueNull::create(), ValueInt64::create(7), ValueDouble::create(0.1)},
                         {ValueInt64::create(5), ValueNull::create(), ValueNull::create()},
                         {ValueString::create("abc"), ValueString::create("-1"), ValueString::create("x")},
                         {ValueDouble::create(1e-7), ValueUInt64::create(UINT64_MAX), ValueDouble::create(5e-324)}});
  const std::string text = exported(*extractor, model);
  auto root = parsed(text);
  JsonArray* records = json_object_get_array_member(json_node_get_object(root.get()), "RECORDS");
  const auto member = [&](guint row, const char* name) {
    return Core::Json::to_text(json_object_get_member(json_array_get_object_element(records, row), name));
  };
  EXPECT_EQ(member(0, "n"), "null");
  EXPECT_EQ(member(1, "n"), "5");
  EXPECT_EQ(member(1, "i"), "null");
  EXPECT_EQ(member(1, "d"), "null");
  EXPECT_EQ(member(2, "n"), "\"abc\"");
  EXPECT_EQ(member(2, "i"), "\"-1\"");
  EXPECT_NE(text.find("\"n\" : 1e-07,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"i\" : 18446744073709551615,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"d\" : 0.1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"d\" : 5e-324\n"), std::string::npos) << text;
}

TEST(JsonExport, WritesInfinitiesAndNaNAsValidJson) {
  auto extractor = JsonExtractor::create("json");
  constexpr double kInf = std::numeric_limits<double>::infinity();
  auto model = typed_model({{"d", DataType::Double}}, {{ValueDouble::create(kInf)},
                                                     {ValueDouble::create(-kInf)},
                                                     {ValueDouble::create(std::nan(""))}});
  const std::string text = exported(*extractor, model);
  auto loaded = extractor->load_from_text(text);
  ASSERT_TRUE(loaded.has_value()) << loaded.error().message << "\n" << text;
  ASSERT_EQ((*loaded)->get_rows().size(), 3U);
  // Out of range for every double: parsers read them back as infinities.
  EXPECT_EQ((*loaded)->get_rows()[0]->get_values()[0]->to_string(), "9e999");
  EXPECT_EQ((*loaded)->get_rows()[1]->get_values()[0]->to_string(), "-9e999");
  EXPECT_EQ((*loaded)->get_rows()[2]->get_values()[0]->to_string(), "");
}

TEST(JsonExport, RefusesTextThatIsNotUtf8AndKeepsTheOldFile) {
  Tolvane::Testing::TempDir dir;
  const std::string file = dir.file("out.json");
  write_text(file, "earlier");
  auto extractor = JsonExtractor::create("json");
  auto model = typed_model({{"t", DataType::String}}, {{ValueString::create("fine")}, {ValueString::create("bad\xff")}});
  auto written = extractor->export_to_file(model, file, nullptr);
  ASSERT_FALSE(written.has_value());
  EXPECT_NE(written.error().message.find("row 2, column t"), std::string::npos) << written.error().message;
  EXPECT_EQ(read_text(file), "earlier");

  // A zero byte is a character to JSON.
  auto zero = typed_model({{"t", DataType::String}}, {{ValueString::create(std::string("a\0b", 3))}});
  EXPECT_NE(exported(*extractor, zero).find("\"a\\u0000b\""), std::string::npos);
}

TEST(JsonLoad, PlacesValuesByPositionAndDecodesEachNode) {
  auto extractor = JsonExtractor::create("json");
  auto model = extractor->load_from_text(
      R"({"RECORDS":[{"id":1,"name":"x","extra":2.50},)"
      R"({"name":"y","id":2,"more":3,"beyond":"dropped"},)"
      R"({"id":true,"name":null},)"
      R"({"id":{"a":1},"name":"{\"a\":\"x\\\"y\"}","extra":[1]}]})");
  ASSERT_TRUE(model.has_value()) << model.error().message;
  ASSERT_EQ((*model)->get_columns().size(), 3U);
  EXPECT_EQ((*model)->get_columns()[2]->get_name(), "extra");
  std::vector<std::string> rows;
  for (const auto& row : (*model)->get_rows()) {
    std::string line;
    for (const auto& value : row->get_values()) {
      line += value->to_string() + "|";
    }
    rows.push_back(line);
  }
  // A backslash before a quote inside a text survives: json-glib has undone
  // the escapes and nothing rewrites the text after it.
  EXPECT_EQ(rows, (std::vector<std::string>{"1|x|2.5|", "y|2|3|", "|||", "|{\"a\":\"x\\\"y\"}||"}));

  auto two = extractor->load_from_text(R"({"RECORDS":[{"a":1},{"a":2},{"a":3}]})");
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ((*two)->get_rows().size(), 3U);
}

TEST(JsonLoad, ReportsDocumentsThatAreNotRecords) {
  auto extractor = JsonExtractor::create("json");
  const std::pair<const char*, const char*> cases[] = {
      {"[1, 2]", "invalid json format: root object not exist."},
      {"{\"ROWS\": []}", "invalid json format: RECORDS member not exist."},
      {"{\"RECORDS\": {}}", "invalid json format: object array not exist."},
  };
  for (const auto& [text, message] : cases) {
    auto model = extractor->load_from_text(text);
    ASSERT_FALSE(model.has_value()) << text;
    EXPECT_EQ(model.error().domain, "JSON");
    EXPECT_EQ(model.error().code, -1);
    EXPECT_EQ(model.error().message, message);
  }
  EXPECT_FALSE(extractor->load_from_text("{\"RECORDS\": [").has_value());

  // A record that is no object is a failed row: skipped, or the end of the load.
  auto skipped = extractor->load_from_text(R"({"RECORDS":[{"a":1},7,{"a":3}]})");
  ASSERT_TRUE(skipped.has_value());
  EXPECT_EQ((*skipped)->get_rows().size(), 2U);
  extractor->set_continue_on_error(false);
  auto stopped = extractor->load_from_text(R"({"RECORDS":[{"a":1},7]})");
  ASSERT_FALSE(stopped.has_value());
  EXPECT_EQ(stopped.error().message, "data model create row failed.");
}

TEST(JsonLoad, ReadsAtMostTheRowsAskedForFromAFile) {
  Tolvane::Testing::TempDir dir;
  auto extractor = JsonExtractor::create("json");
  extractor->get_options()["FILENAME"] = dir.file("rows.json");
  write_text(dir.file("rows.json"), R"({"RECORDS":[{"a":1},{"a":2},{"a":3}]})");
  auto model = extractor->load_from_file(2);
  ASSERT_TRUE(model.has_value()) << model.error().message;
  EXPECT_EQ((*model)->get_rows().size(), 2U);
  extractor->get_options()["FILENAME"] = dir.file("missing.json");
  EXPECT_FALSE(extractor->load_from_file(0).has_value());
}

class JsonImport : public ExtractorTest {};

TEST_F(JsonImport, RoundTripsEveryKindOfValue) {
  expect_every_value_round_trip([] { return JsonExtractor::create("json"); },
                                [](const std::string& document) { parsed(document); });
}

TEST_F(JsonImport, CountsAffectedRowsAndCallsTheProgressCallback) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT)");
  run("INSERT INTO t VALUES (1, 'old')");
  auto extractor = JsonExtractor::create("json");
  extractor->get_options()["ACTION"] = "merge";
  std::vector<std::string> calls;
  auto outcome = import_text(
      *extractor, R"({"RECORDS":[{"id":1,"name":"new"},{"name":"two","id":2},{"id":"x","name":"bad"},4]})",
      table("t", {{"id", DataType::Int64, true}, {"name", DataType::String, false}}),
      [&](std::uint32_t total, std::uint32_t row, std::string_view text) {
        calls.push_back(std::to_string(total) + ":" + std::to_string(row) + ":" + std::string(text));
      });
  ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
  // 'x' does not fit the integer key; the fourth record is no object.
  EXPECT_EQ(*outcome.result, 2);
  ASSERT_EQ(outcome.failures.size(), 2U);
  EXPECT_EQ(outcome.failures[1].message, "the record is not a JSON object");
  EXPECT_EQ(calls, (std::vector<std::string>{"4:1:", "4:2:", "4:2:"}));
  EXPECT_EQ(rows("SELECT * FROM t ORDER BY id"), (std::vector<std::string>{"1|new", "2|two"}));

  auto missing = import_text(*extractor, R"({"rows":[]})", table("t", {{"id", DataType::Int64, true}}));
  ASSERT_FALSE(missing.result.has_value());
  EXPECT_EQ(missing.result.error().message, "invalid json format: RECORDS member not exist.");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
