#include <gtest/gtest.h>

#include <fstream>

#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/extractors/extractor_fixture.hpp"
#include "tests/orvel/supports/data/extractors/table_models.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {
namespace {

using namespace Providers::Contracts;
using Tolvane::Testing::read_text;
using Tolvane::Testing::write_text;


std::string exported(DsvExtractor& extractor, const TableModelPtr& model) {
  std::string buffer = "old";
  auto count = extractor.export_to_text(model, &buffer, nullptr);
  EXPECT_TRUE(count.has_value());
  return buffer;
}

TEST(DsvExport, WritesPlainValuesAsDesignedAndQuotesWhatNeedsIt) {
  auto extractor = DsvExtractor::create("csv");
  auto model = model_of({"a", "b"}, {{ValueInt64::create(1), text("x,y")}, {ValueNull::create(), text("q")}});
  EXPECT_EQ(exported(*extractor, model), "a,b\n1,\"x,y\"\n,q\n");

  auto awkward = model_of({"a,b", "say \"c\""}, {{text("x\ny"), text("say \"hi\"")}, {text("cr\r"), text("")}});
  EXPECT_EQ(exported(*extractor, awkward), "\"a,b\",\"say \"\"c\"\"\"\n\"x\ny\",\"say \"\"hi\"\"\"\n\"cr\r\",\n");

  extractor->get_options()["QUOTATION_TIME"] = "always";
  EXPECT_EQ(exported(*extractor, model_of({"a"}, {{text("say \"hi\"")}})), "\"a\"\n\"say \"\"hi\"\"\"\n");
}

TEST(DsvExport, WritesValuesSoTheyReadBackExactly) {
  auto extractor = DsvExtractor::create("csv");
  const std::uint8_t bytes[] = {0x00, 0x01, 0xFE};
  auto model = model_of({"d", "b", "i"}, {{ValueDouble::create(1e-7), ValueBlob::create(bytes, 3),
                                           ValueInt64::create(INT64_MIN)},
                                          {ValueDouble::create(2.5), ValueBlob::create(), ValueNull::create()}});
  extractor->get_options()["NULL_VALUE"] = "\\N";
  EXPECT_EQ(exported(*extractor, model), "d,b,i\n1e-07,0001FE,-9223372036854775808\n2.500000,,\\N\n");
}

TEST(DsvExport, RoundTripsAwkwardTextsInEveryDialect) {
  const std::vector<std::string> texts = {
      "", " ", "plain", "a,b", "a\tb", "\"", "\"\"", "a\"", "\"a", "x\ny", "x\r\ny", "\r", "\n", ";;", "##",
      "[x]", "\\]", "'", "名前", "\xEF\xBB\xBF" "bom", "|", "||"};
  std::vector<std::vector<ValueObjectPtr>> rows;
  for (const auto& a : texts) {
    rows.push_back({text(a), text("k" + a + "k")});
  }
  auto model = model_of({"first", "second"}, rows);
  const std::vector<Options> dialects = {
      {},
      {{"DELIMITER_COLUMN", "\t"}},
      {{"DELIMITER_COLUMN", "||"}, {"DELIMITER_ROWNEW", "##"}},
      {{"DELIMITER_ROWNEW", "\r\n"}},
      {{"DELIMITER_COLUMN", ";"}, {"QUOTATION_LIST", "[-]-\\[-\\]"}},
      {{"QUOTATION_LIST", "'-'-''-''"}, {"QUOTATION_TIME", "always"}},
  };
  for (const Options& options : dialects) {
    auto extractor = DsvExtractor::create("csv");
    extractor->get_options() = options;
    const std::string document = exported(*extractor, model);
    auto loaded = extractor->load_from_text(document);
    ASSERT_TRUE(loaded.has_value()) << loaded.error().message;
    ASSERT_EQ((*loaded)->get_rows().size(), rows.size()) << document;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (int c = 0; c < 2; ++c) {
        // A text starting with a byte-order mark is the one cell that cannot
        // come back first in a document; it is not first here.
        EXPECT_EQ((*loaded)->get_value_at(c, static_cast<int>(r))->to_string(), rows[r][c]->to_string())
            << "row " << r << " column " << c << " in\n" << document;
      }
    }
  }
}

// With "\]" as the escape of "]", a quoted text that ends in a backslash would
// run on into the next field ("[x;\]" + ";[y]" reads as one field): such a
// cell fails the export instead of writing cells that read back as others.
TEST(DsvExport, RefusesCellsItsQuotesCannotCarry) {
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options() = {{"DELIMITER_COLUMN", ";"}, {"QUOTATION_LIST", "[-]-\\[-\\]"}};
  std::string buffer;
  auto cells = extractor->export_to_text(model_of({"a", "b"}, {{text("1"), text("2")}, {text("x;\\"), text("y")}}),
                                         &buffer, nullptr);
  ASSERT_FALSE(cells.has_value());
  EXPECT_NE(cells.error().message.find("row 2, column a"), std::string::npos) << cells.error().message;
  EXPECT_FALSE(extractor->export_to_text(model_of({"n;\\"}, {}), &buffer, nullptr).has_value());

  Tolvane::Testing::TempDir dir;
  const std::string path = dir.file("out.csv");
  write_text(path, "earlier\n");
  EXPECT_FALSE(extractor->export_to_file(model_of({"a"}, {{text("x;\\")}}), path, nullptr).has_value());
  EXPECT_EQ(read_text(path), "earlier\n");

  // A backslash anywhere else is text like any other.
  const std::string document = exported(*extractor, model_of({"a"}, {{text("x;\\y\\[")}}));
  auto loaded = extractor->load_from_text(document);
  ASSERT_TRUE(loaded.has_value()) << loaded.error().message;
  EXPECT_EQ((*loaded)->get_value_at(0, 0)->to_string(), "x;\\y\\[") << document;
}

TEST(DsvExport, ReplacesFilesOnlyWhenTheDocumentIsComplete) {
  Tolvane::Testing::TempDir dir;
  const std::string path = dir.file("out.csv");
  write_text(path, "earlier\n");
  auto extractor = DsvExtractor::create("csv");
  EXPECT_EQ(extractor->export_to_file(model_of({"a", "b"}, {}), path, nullptr), 0);
  EXPECT_EQ(read_text(path), "a,b\n");  // an empty model still has its header

  extractor->get_options()["QUOTATION_LIST"] = "broken";
  write_text(path, "earlier\n");
  EXPECT_FALSE(extractor->export_to_file(model_of({"a"}, {{text("1")}}), path, nullptr).has_value());
  EXPECT_EQ(read_text(path), "earlier\n");
}

TEST(DsvLoad, ReadsHeadersRowsAndLimits) {
  auto extractor = DsvExtractor::create("csv");
  auto model = extractor->load_from_text("a,b\n1,\"x,y\"\n\n2\n\"p\"\"q\",\"multi\nline\"\n");
  ASSERT_TRUE(model.has_value());
  ASSERT_EQ((*model)->get_columns().size(), 2u);
  EXPECT_EQ((*model)->get_columns()[1]->get_name(), "b");
  EXPECT_EQ((*model)->get_columns()[1]->get_data_type(), DataType::String);
  ASSERT_EQ((*model)->get_rows().size(), 2u);  // the blank line and the short row are dropped
  EXPECT_EQ((*model)->get_value_at(1, 0)->to_string(), "x,y");
  EXPECT_EQ((*model)->get_value_at(0, 1)->to_string(), "p\"q");
  EXPECT_EQ((*model)->get_value_at(1, 1)->to_string(), "multi\nline");

  extractor->get_options()["HAS_HEADER"] = "false";
  extractor->get_options()["ROW_PREFIX"] = "<";
  extractor->get_options()["ROW_SUFFIX"] = ">";
  auto bare = extractor->load_from_text("<1,2>\n<3,4>");
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ((*bare)->get_columns()[0]->get_name(), "C0");
  EXPECT_EQ((*bare)->get_columns()[1]->get_name(), "C1");
  EXPECT_EQ((*bare)->get_value_at(0, 1)->to_string(), "3");
  EXPECT_EQ((*bare)->get_value_at(1, 1)->to_string(), "4");

  Tolvane::Testing::TempDir dir;
  std::string ten = "n\n";
  for (int i = 0; i < 10; ++i) {
    ten += std::to_string(i) + "\n";
  }
  write_text(dir.file("ten.csv"), ten);
  auto file_extractor = DsvExtractor::create("csv");
  file_extractor->get_options()["FILENAME"] = dir.file("ten.csv");
  auto two = file_extractor->load_from_file(2);
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ((*two)->get_rows().size(), 2u);
  file_extractor->get_options()["FILENAME"] = dir.file("missing.csv");
  auto missing = file_extractor->load_from_file(0);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().code, G_IO_ERROR_NOT_FOUND);
}

// Files in the encodings people have, made with GLib's converter (iconv).
TEST(DsvLoad, ConvertsFilesFromTheirEncoding) {
  struct Sample {
    const char* encoding;
    const char* bom;
    std::string text;
  };
  const std::vector<Sample> samples = {
      {"UTF-16LE", "\xFF\xFE", "name,city\nJürgen,Köln\n名前,\"東京, 日本\"\n"},
      {"UTF-16BE", "\xFE\xFF", "name,city\nJürgen,Köln\n"},
      {"ISO-8859-1", "", "name,city\nJürgen,Köln\nFrançois,Besançon\n"},
      {"SHIFT_JIS", "", "name,city\n山田,東京\n"},
      {"GB18030", "", "name,city\n张伟,北京\n"},
  };
  Tolvane::Testing::TempDir dir;
  for (const Sample& sample : samples) {
    gsize length = 0;
    GError* raw = nullptr;
    Core::GCharPtr converted(g_convert(sample.text.c_str(), -1, sample.encoding, "UTF-8", nullptr, &length, &raw));
    ASSERT_NE(converted, nullptr) << sample.encoding << ": " << (raw ? raw->message : "");
    const std::string path = dir.file(std::string(sample.encoding) + ".csv");
    write_text(path, std::string(sample.bom) + std::string(converted.get(), length));

    auto extractor = DsvExtractor::create("csv");
    extractor->get_options()["FILENAME"] = path;
    extractor->get_options()["ENCODING"] = sample.encoding;
    auto model = extractor->load_from_file(0);
    ASSERT_TRUE(model.has_value()) << sample.encoding << ": " << model.error().message;
    EXPECT_EQ((*model)->get_columns()[0]->get_name(), "name") << sample.encoding;
    auto expected = DsvExtractor::create("csv")->load_from_text(sample.text);
    ASSERT_EQ((*model)->get_rows().size(), (*expected)->get_rows().size()) << sample.encoding;
    for (std::size_t r = 0; r < (*model)->get_rows().size(); ++r) {
      for (int c = 0; c < 2; ++c) {
        EXPECT_EQ((*model)->get_value_at(c, static_cast<int>(r))->to_string(),
                  (*expected)->get_value_at(c, static_cast<int>(r))->to_string())
            << sample.encoding;
      }
    }
  }

  auto wrong = DsvExtractor::create("csv");
  wrong->get_options()["FILENAME"] = dir.file("SHIFT_JIS.csv");
  auto failed = wrong->load_from_file(0);
  ASSERT_FALSE(failed.has_value());  // Shift-JIS bytes are not UTF-8: said, not imported as garbage
  wrong->get_options()["ENCODING"] = "NO-SUCH-CHARSET";
  EXPECT_FALSE(wrong->load_from_file(0).has_value());
}

using DsvImport = ExtractorTest;

TEST_F(DsvImport, StoresRecordsAsDataNeverAsSql) {
  run("CREATE TABLE people(id INTEGER PRIMARY KEY, \"full name\" TEXT, \"we\"\"ird\" TEXT, score REAL, "
      "photo BLOB, \"order\" INTEGER)");
  auto target = table("people", {{"id", DataType::Int64, true},
                                 {"full name", DataType::String, false},
                                 {"we\"ird", DataType::Unknown, false},
                                 {"score", DataType::Double, false},
                                 {"photo", DataType::Blob, false},
                                 {"order", DataType::Int64, false}});
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options()["ACTION"] = "append";
  const std::string csv =
      "id,full name,\"we\"\"ird\",score,photo,order\n"
      "1,O'Brien,\"x'||(SELECT 1)||'\",1e-7,00FF10,(SELECT 7)\n"
      "2,,'); DROP TABLE people; --,,,\n";
  auto outcome = import_text(*extractor, csv, target);
  ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
  EXPECT_EQ(*outcome.result, 2);
  EXPECT_EQ(rows("SELECT id, \"full name\", \"we\"\"ird\", score, quote(photo), \"order\", typeof(\"order\") "
                 "FROM people ORDER BY id"),
            (std::vector<std::string>{"1|O'Brien|x'||(SELECT 1)||'|0.000000|X'00FF10'|(SELECT 7)|text",
                                      "2|∅|'); DROP TABLE people; --|∅|NULL|∅|null"}));
  EXPECT_EQ(rows("SELECT score = 1e-7 FROM people WHERE id = 1"), (std::vector<std::string>{"1"}));
}

TEST_F(DsvImport, RefusesKeylessUpdatesAndDeletes) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT); INSERT INTO t VALUES(1, 'a'), (2, 'b')");
  auto keyless = table("t", {{"v", DataType::String, false}});
  for (const char* action : {"update", "merge", "delete"}) {
    auto extractor = DsvExtractor::create("csv");
    extractor->get_options()["ACTION"] = action;
    auto outcome = import_text(*extractor, "v\nz\n", keyless);
    ASSERT_TRUE(outcome.result.has_value()) << action;
    EXPECT_EQ(*outcome.result, 0) << action;
    ASSERT_EQ(outcome.failures.size(), 1u) << action;
    EXPECT_NE(outcome.failures[0].message.find("no key column"), std::string::npos);
    EXPECT_EQ(outcome.failures[0].line, 2);
  }
  EXPECT_EQ(rows("SELECT * FROM t ORDER BY id"), (std::vector<std::string>{"1|a", "2|b"}));
}

TEST_F(DsvImport, RunsEachActionByTheKey) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT); INSERT INTO t VALUES(1, 'a'), (2, 'b'), (3, 'c')");
  auto target = table("t", {{"id", DataType::Int64, true}, {"v", DataType::String, false}});
  const auto with_action = [&](const char* action, const std::string& csv) {
    auto extractor = DsvExtractor::create("csv");
    extractor->get_options()["ACTION"] = action;
    return import_text(*extractor, csv, target);
  };
  EXPECT_EQ(with_action("update", "id,v\n1,A\n9,nowhere\n").result, 2);
  EXPECT_EQ(with_action("merge", "id,v\n2,B\n4,d\n").result, 2);
  EXPECT_EQ(with_action("delete", "id,v\n3,\n").result, 1);
  EXPECT_EQ(with_action("replace", "id,v\n5,e\n").result, 1);
  EXPECT_EQ(with_action("nothing", "id,v\n6,f\n").result, 1);  // an unknown action executes nothing
  EXPECT_EQ(rows("SELECT * FROM t ORDER BY id"), (std::vector<std::string>{"1|A", "2|B", "4|d", "5|e"}));
}

TEST_F(DsvImport, ReportsFailedRecordsAndGoesOn) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT NOT NULL)");
  auto target = table("t", {{"id", DataType::Int64, true}, {"v", DataType::String, false}});
  for (bool fast : {false, true}) {
    run("DELETE FROM t");
    auto extractor = DsvExtractor::create("csv");
    extractor->get_options()["ACTION"] = "append";
    extractor->get_options()["FAST_IMPORT"] = fast ? "true" : "false";
    auto outcome = import_text(*extractor, "id,v\n1,a\n2,\n\"3\",\"multi\nline\"\n3,dup\n4\n5,e", target);
    ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
    EXPECT_EQ(*outcome.result, 3) << fast;
    ASSERT_EQ(outcome.failures.size(), 3u) << fast;
    EXPECT_EQ(outcome.failures[0].line, 3);
    EXPECT_NE(outcome.failures[0].message.find("NOT NULL"), std::string::npos) << outcome.failures[0].message;
    EXPECT_EQ(outcome.failures[1].line, 6);
    EXPECT_NE(outcome.failures[1].message.find("UNIQUE"), std::string::npos) << outcome.failures[1].message;
    EXPECT_EQ(outcome.failures[2].line, 7);  // a record shorter than the header
    EXPECT_EQ(rows("SELECT * FROM t ORDER BY id"), (std::vector<std::string>{"1|a", "3|multi\nline", "5|e"}));
  }
}

// The fast mode inserts records in batches; a batch with a failing record is
// run again record by record, and a failure that rolls the whole transaction
// back ends the import with nothing stored.
TEST_F(DsvImport, FastModeFindsFailuresInsideBatches) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY, v INTEGER CHECK (v >= 0))");
  auto target = table("t", {{"id", DataType::Int64, true}, {"v", DataType::Int64, false}});
  std::string csv = "id,v\n";
  for (int i = 1; i <= 1000; ++i) {
    csv += std::to_string(i) + "," + (i == 300 || i == 777 ? "-1" : std::to_string(i)) + "\n";
  }
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options() = {{"ACTION", "append"}, {"FAST_IMPORT", "true"}};
  auto outcome = import_text(*extractor, csv, target);
  ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
  EXPECT_EQ(*outcome.result, 998);
  ASSERT_EQ(outcome.failures.size(), 2u);
  EXPECT_EQ(outcome.failures[0].line, 301);
  EXPECT_EQ(outcome.failures[1].line, 778);
  EXPECT_EQ(rows("SELECT count(*), sum(v) FROM t"), (std::vector<std::string>{"998|499423"}));

  run("DELETE FROM t; CREATE TABLE u(id INTEGER PRIMARY KEY ON CONFLICT ROLLBACK)");
  auto rolled = import_text(*extractor, "id\n1\n2\n2\n3\n", table("u", {{"id", DataType::Int64, true}}));
  ASSERT_FALSE(rolled.result.has_value());
  EXPECT_NE(rolled.result.error().message.find("rolled the import back"), std::string::npos)
      << rolled.result.error().message;
  EXPECT_EQ(rows("SELECT count(*) FROM u"), (std::vector<std::string>{"0"}));
  EXPECT_EQ(rows("SELECT count(*) FROM t"), (std::vector<std::string>{"0"}));
}

TEST_F(DsvImport, StopsAtTheFirstFailureWhenAsked) {
  run("CREATE TABLE t(id INTEGER PRIMARY KEY)");
  auto target = table("t", {{"id", DataType::Int64, true}});
  for (bool fast : {false, true}) {
    run("DELETE FROM t");
    auto extractor = DsvExtractor::create("csv");
    extractor->set_continue_on_error(false);
    extractor->get_options()["ACTION"] = "append";
    extractor->get_options()["FAST_IMPORT"] = fast ? "true" : "false";
    auto outcome = import_text(*extractor, "id\n1\n1\n2\n", target);
    ASSERT_FALSE(outcome.result.has_value());
    EXPECT_NE(outcome.result.error().message.find("UNIQUE"), std::string::npos);
    // Row by row, what went in stays; in one transaction, nothing does.
    EXPECT_EQ(rows("SELECT count(*) FROM t"), (std::vector<std::string>{fast ? "0" : "1"}));
  }
}

TEST_F(DsvImport, KeepsNullAndEmptyTextApartWhenAsked) {
  run("CREATE TABLE t(a TEXT, b INTEGER)");
  auto target = table("t", {{"a", DataType::String, false}, {"b", DataType::Int64, false}});
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options() = {{"ACTION", "append"}, {"QUOTE_EMPTY", "true"}};
  auto outcome = import_text(*extractor, "a,b\n\"\",1\n,2\n\" \",\n", target);
  ASSERT_TRUE(outcome.result.has_value());
  EXPECT_EQ(rows("SELECT quote(a), quote(b) FROM t ORDER BY b NULLS LAST"),
            (std::vector<std::string>{"''|1", "NULL|2", "' '|NULL"}));
}

TEST_F(DsvImport, FailsOnInputThatIsNotText) {
  run("CREATE TABLE t(a TEXT)");
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options()["ACTION"] = "append";
  auto outcome = import_text(*extractor, std::string("a\nok\n\x89PNG\0\0", 12), table("t", {{"a", DataType::String, false}}));
  ASSERT_FALSE(outcome.result.has_value());
  EXPECT_NE(outcome.result.error().message.find("line 3"), std::string::npos) << outcome.result.error().message;
}

// Every kind of value goes out through a reader and back in unchanged: the
// table's rows are compared with their storage classes.
TEST_F(DsvImport, RoundTripsEveryKindOfValue) {
  const std::string columns = "(k INTEGER PRIMARY KEY, i INTEGER, r REAL, t TEXT, b BLOB)";
  run("CREATE TABLE src" + columns + "; CREATE TABLE dst" + columns);
  run("INSERT INTO src VALUES"
      "(1, NULL, NULL, NULL, NULL),"
      "(2, 9223372036854775807, 1e-300, '', x''),"
      "(3, -9223372036854775808, 1.7976931348623157e308, 'a,b\"c''d', x'00'),"
      "(4, 0, -0.0, 'line\nbreak\r\nand tab\t', x'000102FF'),"
      "(5, 42, 0.1, '名前 ✓', x'68656C6C6F'),"
      "(6, -1, 3.14159265358979, ' padded ', x'FF00'),"
      "(7, 1, 5e-324, 'x''||(SELECT 1)||''', randomblob(64))");
  Tolvane::Testing::TempDir dir;
  auto extractor = DsvExtractor::create("csv");
  extractor->get_options()["QUOTE_EMPTY"] = "true";
  auto reader = m_db->execute_reader("SELECT * FROM src ORDER BY k");
  ASSERT_TRUE(reader.has_value());
  auto exported = extractor->export_reader_to_file(**reader, dir.file("src.csv"), nullptr);
  ASSERT_TRUE(exported.has_value()) << exported.error().message;
  ASSERT_EQ(*exported, 7);
  (*reader)->close();

  extractor->get_options()["ACTION"] = "append";
  extractor->get_options()["FILENAME"] = dir.file("src.csv");
  extractor->get_options()["FAST_IMPORT"] = "true";
  auto target = table("dst", {{"k", DataType::Int64, true}, {"i", DataType::Int64, false},
                              {"r", DataType::Double, false}, {"t", DataType::String, false},
                              {"b", DataType::Blob, false}});
  bool finished = false;
  Core::Result<std::int64_t> result = 0;
  extractor->import_from_file(m_db, target, nullptr, [&](auto outcome) {
    result = outcome;
    finished = true;
  });
  ASSERT_TRUE(Host::run_until([&] { return finished; }, 20000));
  ASSERT_TRUE(result.has_value()) << result.error().message;
  EXPECT_EQ(*result, 7);
  const std::string typed = "SELECT k, quote(i), typeof(i), quote(r), typeof(r), quote(t), quote(b) FROM ";
  EXPECT_EQ(rows(typed + "src ORDER BY k"), rows(typed + "dst ORDER BY k"));
  EXPECT_EQ(rows("SELECT count(*) FROM src JOIN dst USING(k) WHERE src.r IS NOT dst.r"),
            (std::vector<std::string>{"0"}));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
