#include "orvel/supports/data/extractors/xml_extractor.hpp"

#include <gtest/gtest.h>

#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/extractors/extractor_fixture.hpp"
#include "tests/orvel/supports/data/extractors/table_models.hpp"
#include "tests/support/xmllint.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {
namespace {

using namespace Providers::Contracts;
using Tolvane::Testing::read_text;
using Tolvane::Testing::write_text;
using Tolvane::Testing::xmllint;


std::string exported(XmlExtractor& extractor, const TableModelPtr& model) {
  std::string buffer = "old";
  auto count = extractor.export_to_text(model, &buffer, nullptr);
  EXPECT_TRUE(count.has_value()) << (count ? "" : count.error().message);
  return buffer;
}

// Each loaded row as its texts joined by '|', the column names first.
std::vector<std::string> loaded(XmlExtractor& extractor, const std::string& document) {
  auto model = extractor.load_from_text(document);
  EXPECT_TRUE(model.has_value()) << (model ? "" : model.error().message);
  std::vector<std::string> out;
  if (!model || *model == nullptr) {
    return out;
  }
  std::string names;
  for (const auto& column : (*model)->get_columns()) {
    names += column->get_name() + "|";
  }
  out.push_back(names);
  for (const auto& row : (*model)->get_rows()) {
    std::string line;
    for (const auto& value : row->get_values()) {
      line += value->to_string() + "|";
    }
    out.push_back(line);
  }
  return out;
}

TEST(XmlExport, WritesRecordsAsChildElementsOrAttributes) {
  auto extractor = XmlExtractor::create("xml");
  auto model = model_of({"id", "name"}, {{ValueInt64::create(1), text("x")}, {ValueInt64::create(2), ValueNull::create()}});
  EXPECT_EQ(exported(*extractor, model),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RECORDS>\n    <RECORD>\n        <id>1</id>\n"
            "        <name>x</name>\n    </RECORD>\n    <RECORD>\n        <id>2</id>\n        <name></name>\n"
            "    </RECORD>\n</RECORDS>\n");
  extractor->get_options()["NULL_VALUE"] = "NULL";
  EXPECT_NE(exported(*extractor, model).find("<name>NULL</name>"), std::string::npos);
  extractor->get_options()["STORAGE"] = "attribute";
  EXPECT_EQ(exported(*extractor, model),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RECORDS>\n    <RECORD id=\"1\" name=\"x\"/>\n"
            "    <RECORD id=\"2\" name=\"NULL\"/>\n</RECORDS>\n");
  EXPECT_EQ(exported(*extractor, model_of({"id"}, {})), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RECORDS/>\n");
}

TEST(XmlExport, MarksNullsSoTheyReadBackApartFromEmptyTexts) {
  auto extractor = XmlExtractor::create("xml");
  extractor->get_options()["MARK_NULL"] = "true";
  const std::string document =
      exported(*extractor, model_of({"a", "b"}, {{ValueNull::create(), text("")}}));
  EXPECT_EQ(document,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<RECORDS xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n    <RECORD>\n"
            "        <a xsi:nil=\"true\"/>\n        <b></b>\n    </RECORD>\n</RECORDS>\n");
  EXPECT_EQ(xmllint(document), "");
}

TEST(XmlNames, EncodesWhatIsNoXmlNameReversibly) {
  const std::pair<std::string, std::string> cases[] = {
      {"id", "id"},
      {"naïve_名前", "naïve_名前"},
      {"count(*)", "count_x0028__x002A__x0029_"},
      {"order id", "order_x0020_id"},
      {"1st", "_x0031_st"},
      {"-x", "_x002D_x"},
      {"a:b", "a_x003A_b"},
      {"", "_x0000_"},
      {"xmlns", "_x0078_mlns"},
      {"_x0041_", "_x005F_x0041_"},
      {"_x00000041_", "_x005F_x00000041_"},
      {"_x41_", "_x41_"},
      {"emoji😀", "emoji😀"},
      {"\t", "_x0009_"},
  };
  for (const auto& [name, encoded] : cases) {
    auto written = XmlExtractor::encode_name(name);
    ASSERT_TRUE(written.has_value()) << name;
    EXPECT_EQ(*written, encoded) << name;
    EXPECT_EQ(XmlExtractor::decode_name(*written), name) << encoded;
  }
  EXPECT_EQ(XmlExtractor::decode_name("plain_x_name"), "plain_x_name");
  EXPECT_FALSE(XmlExtractor::encode_name("bad\xff").has_value());

  // Every one of them, as element and as attribute, in a well-formed document
  // that reads back to the same names.
  std::vector<std::string> names;
  std::vector<ValueObjectPtr> values;
  for (const auto& [name, encoded] : cases) {
    names.push_back(name);
    values.push_back(text("v:" + encoded));
  }
  auto model = model_of(names, {values});
  for (const char* storage : {"element", "attribute"}) {
    auto extractor = XmlExtractor::create("xml");
    extractor->get_options()["STORAGE"] = storage;
    const std::string document = exported(*extractor, model);
    EXPECT_EQ(xmllint(document), "") << document;
    auto back = extractor->load_from_text(document);
    ASSERT_TRUE(back.has_value() && *back != nullptr) << storage;
    ASSERT_EQ((*back)->get_columns().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ((*back)->get_columns()[i]->get_name(), names[i]) << storage;
    }
  }
}

TEST(XmlExport, RefusesWhatXmlCannotCarryAndKeepsTheOldFile) {
  Tolvane::Testing::TempDir dir;
  const std::string file = dir.file("out.xml");
  write_text(file, "earlier");
  auto extractor = XmlExtractor::create("xml");
  for (const std::string& bad : {std::string("bell\x07"), std::string("a\0b", 3), std::string("bad\xff"),
                                 std::string("\xEF\xBF\xBF")}) {
    auto written = extractor->export_to_file(model_of({"t"}, {{text("fine")}, {text(bad)}}), file, nullptr);
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().message.find("row 2, column t: "), std::string::npos) << written.error().message;
    EXPECT_EQ(read_text(file), "earlier");
  }
  extractor->get_options()["STORAGE"] = "attribute";
  auto twice = extractor->export_to_file(model_of({"a", "a"}, {{text("1"), text("2")}}), file, nullptr);
  ASSERT_FALSE(twice.has_value());
  EXPECT_EQ(read_text(file), "earlier");
}

TEST(XmlLoad, ReadsRecordsByDepthWhateverTheLayout) {
  auto extractor = XmlExtractor::create("xml");
  const std::vector<std::string> expected = {"id|name|", "1|x y|", "2||"};
  // What the writer produces, on one line, and laid out by another hand.
  EXPECT_EQ(loaded(*extractor,
                   "<?xml version=\"1.0\"?>\n<RECORDS>\n    <RECORD>\n        <id>1</id>\n        <name>x y</name>\n"
                   "    </RECORD>\n    <RECORD>\n        <id>2</id>\n        <name/>\n    </RECORD>\n</RECORDS>\n"),
            expected);
  EXPECT_EQ(loaded(*extractor, "<RECORDS><RECORD><id>1</id><name>x y</name></RECORD>"
                               "<RECORD><id>2</id><name></name></RECORD></RECORDS>"),
            expected);
  EXPECT_EQ(loaded(*extractor, "<root><!-- rows --><RECORDS>\r\n<RECORD>\t<id>1</id><!-- c --><name>x<![CDATA[ ]]>y"
                               "</name>\n</RECORD><other><RECORD><id>9</id></RECORD></other><RECORD><id\n>2</id>"
                               "<name>\n</name></RECORD></RECORDS></root>"),
            (std::vector<std::string>{"id|name|", "1|x y|", "2|\n|"}));
  EXPECT_EQ(loaded(*extractor, "<RECORDS><RECORD id=\"1\" name=\"x y\"/><RECORD id=\"2\" name=\"\"/></RECORDS>"),
            expected);
  // Later records by position; values beyond the first record's names left out.
  EXPECT_EQ(loaded(*extractor, "<RECORDS><RECORD><a>1</a></RECORD><RECORD><b>2</b><c>3</c></RECORD></RECORDS>"),
            (std::vector<std::string>{"a|", "1|", "2|"}));

  auto none = extractor->load_from_text("<?xml version=\"1.0\"?><ROWS><RECORD/></ROWS>");
  ASSERT_TRUE(none.has_value());
  EXPECT_EQ(*none, nullptr);
  auto broken = extractor->load_from_text("<RECORDS><RECORD><a>1</b></RECORD></RECORDS>");
  ASSERT_FALSE(broken.has_value());
  EXPECT_EQ(broken.error().domain, "XML");
  EXPECT_NE(broken.error().message.find("line 1"), std::string::npos) << broken.error().message;
}

TEST(XmlLoad, FetchesNoEntityAndReadsAtMostTheRowsAskedFor) {
  Tolvane::Testing::TempDir dir;
  write_text(dir.file("secret.txt"), "top secret");
  const std::string document = "<?xml version=\"1.0\"?>\n<!DOCTYPE RECORDS [<!ENTITY e SYSTEM \"file://" +
                               dir.file("secret.txt") + "\">]>\n<RECORDS><RECORD><a>&e;</a></RECORD>"
                               "<RECORD><a>2</a></RECORD><RECORD><a>3</a></RECORD></RECORDS>";
  write_text(dir.file("in.xml"), document);
  auto extractor = XmlExtractor::create("xml");
  extractor->get_options()["FILENAME"] = dir.file("in.xml");
  auto model = extractor->load_from_file(2);
  ASSERT_TRUE(model.has_value() && *model != nullptr) << (model ? "" : model.error().message);
  ASSERT_EQ((*model)->get_rows().size(), 2U);
  EXPECT_EQ((*model)->get_rows()[0]->get_values()[0]->to_string().find("secret"), std::string::npos);

  extractor->get_options()["FILENAME"] = dir.file("missing.xml");
  auto missing = extractor->load_from_file(0);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().message, "load xml document failed.");
}

class XmlImport : public ExtractorTest {};

TEST_F(XmlImport, RoundTripsEveryKindOfValue) {
  expect_every_value_round_trip(
      [] {
        auto extractor = XmlExtractor::create("xml");
        extractor->get_options()["MARK_NULL"] = "true";
        return extractor;
      },
      [](const std::string& document) { EXPECT_EQ(xmllint(document), ""); });
}

TEST_F(XmlImport, CountsFailedRecordsAsProcessedAndBlanksAsNullWithoutMarks) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT)");
  auto extractor = XmlExtractor::create("xml");
  extractor->get_options()["ACTION"] = "append";
  auto outcome = import_text(*extractor,
                             "<RECORDS><RECORD><id>1</id><name></name></RECORD>"
                             "<RECORD><id>1</id><name>again</name></RECORD>"
                             "<RECORD id=\"2\" name=\"x\"/></RECORDS>",
                             table("t", {{"id", DataType::Int64, true}, {"name", DataType::String, false}}));
  ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
  EXPECT_EQ(*outcome.result, 3);
  ASSERT_EQ(outcome.failures.size(), 1U);
  EXPECT_EQ(outcome.failures[0].record, 2);
  EXPECT_EQ(rows("SELECT id, name FROM t ORDER BY id"), (std::vector<std::string>{"1|∅", "2|x"}));

  extractor->set_continue_on_error(false);
  auto stopped = import_text(*extractor, "<RECORDS><RECORD><id>1</id></RECORD></RECORDS>",
                             table("t", {{"id", DataType::Int64, true}}));
  EXPECT_FALSE(stopped.result.has_value());
  auto empty = import_text(*extractor, "<ROWS/>", table("t", {{"id", DataType::Int64, true}}));
  ASSERT_TRUE(empty.result.has_value());
  EXPECT_EQ(*empty.result, 0);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
