#include <gtest/gtest.h>

#include "orvel/supports/data/extractors/sql_extractors.hpp"
#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/data/extractors/extractor_fixture.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {
namespace {

using namespace Providers::Contracts;
using Tolvane::Testing::read_text;
using Tolvane::Testing::write_text;

// A model whose column kinds are those of the first row, as the provider makes them.
TableModelPtr model_of(const std::vector<ColumnModelPtr>& columns, const std::vector<std::vector<ValueObjectPtr>>& rows) {
  auto model = TableModel::create();
  model->get_columns() = columns;
  for (const auto& values : rows) {
    auto row = RowModel::create();
    row->get_values() = values;
    model->get_rows().push_back(row);
  }
  return model;
}

TEST(SqlInsertExtractor, WritesOneInsertPerRow) {
  auto extractor = SqlInsertExtractor::create();
  extractor->get_options()["TABLENAME"] = "t";
  auto model = model_of({ColumnModel::full("id", DataType::Int64), ColumnModel::full("name", DataType::String)},
                        {{ValueInt64::create(1), ValueString::create("x")}});
  std::string buffer;
  EXPECT_EQ(extractor->export_to_text(model, &buffer, nullptr), 1);
  EXPECT_EQ(buffer, "INSERT INTO `t`(`id`,`name`) VALUES(1, 'x');\n");
  EXPECT_EQ(extractor->get_file_extention(), "sql");
}

TEST(SqlInsertExtractor, EncodesEveryCellByItsOwnValue) {
  auto extractor = SqlInsertExtractor::create();
  extractor->get_options()["TABLENAME"] = "we`ird";
  const std::uint8_t bytes[] = {0x00, 0x41};
  // The first row's NULLs make the columns' kind dbnull.
  auto model = model_of({ColumnModel::full("a`b", DataType::DbNull), ColumnModel::full("n", DataType::DbNull),
                         ColumnModel::full("blob", DataType::DbNull)},
                        {{ValueNull::create(), ValueNull::create(), ValueNull::create()},
                         {ValueString::create("O'Brien"), ValueDouble::create(0.1 + 0.2), ValueBlob::create(bytes, 2)}});
  std::string buffer;
  ASSERT_EQ(extractor->export_to_text(model, &buffer, nullptr), 2);
  EXPECT_EQ(buffer,
            "INSERT INTO `we``ird`(`a``b`,`n`,`blob`) VALUES(NULL, NULL, NULL);\n"
            "INSERT INTO `we``ird`(`a``b`,`n`,`blob`) VALUES('O''Brien', 0.30000000000000004, X'0041');\n");
}

TEST(SqlUpdateExtractor, KeysEachRowOnItsFirstColumn) {
  auto extractor = SqlUpdateExtractor::create();
  extractor->get_options()["TABLENAME"] = "main.t";
  auto model = model_of({ColumnModel::full("id", DataType::Int64), ColumnModel::full("na\"me", DataType::String)},
                        {{ValueInt64::create(7), ValueString::create("it's")}});
  std::string buffer;
  ASSERT_EQ(extractor->export_to_text(model, &buffer, nullptr), 1);
  EXPECT_EQ(buffer, "UPDATE main.t SET \"id\" = 7, \"na\"\"me\" = 'it''s' WHERE \"id\" = 7;\n");
}

TEST(SqlExtractors, LeaveFilesAloneWithoutRowsOrTable) {
  Tolvane::Testing::TempDir dir;
  const std::string path = dir.file("out.sql");
  write_text(path, "earlier");
  auto extractor = SqlInsertExtractor::create();
  extractor->get_options()["TABLENAME"] = "t";
  auto empty = model_of({ColumnModel::full("a", DataType::Int64)}, {});
  EXPECT_EQ(extractor->export_to_file(empty, path, nullptr), 0);
  EXPECT_EQ(read_text(path), "earlier");

  Tolvane::Testing::GLibLogCapture log;
  auto nameless = SqlUpdateExtractor::create();
  auto one = model_of({ColumnModel::full("a", DataType::Int64)}, {{ValueInt64::create(1)}});
  EXPECT_EQ(nameless->export_to_file(one, path, nullptr), 0);
  EXPECT_TRUE(log.has_critical("TABLENAME != NULL"));
  EXPECT_EQ(read_text(path), "earlier");

  std::string buffer = "kept";
  EXPECT_EQ(extractor->export_to_text(nullptr, &buffer, nullptr), 0);
  EXPECT_TRUE(log.has_critical("model != NULL"));
  EXPECT_EQ(extractor->export_to_text(one, nullptr, nullptr), 0);
  EXPECT_TRUE(log.has_critical("*buffer != NULL"));
}

TEST(BaseExtractor, HoldsOptionsAndTheContinueFlag) {
  Tolvane::Testing::GLibLogCapture log;
  EXPECT_EQ(BaseExtractor::create(std::nullopt), nullptr);
  EXPECT_TRUE(log.has_critical("file_ext != NULL"));
  auto extractor = BaseExtractor::create("txt");
  int notified = 0;
  extractor->signal_notify().connect([&](std::string_view name) { notified += name == "continue-on-error"; });
  EXPECT_TRUE(extractor->get_continue_on_error());
  extractor->set_continue_on_error(true);
  extractor->set_continue_on_error(false);
  EXPECT_EQ(notified, 1);
  std::string buffer = "x";
  auto model = TableModel::create();
  EXPECT_EQ(extractor->export_to_text(model, &buffer, nullptr), 0);
}

using SqlScripts = ExtractorTest;

// The scripts run as they are written: the engine is the oracle.
TEST_F(SqlScripts, RunBackToTheSameRows) {
  run("CREATE TABLE src(id INTEGER PRIMARY KEY, t TEXT, r REAL, b BLOB)");
  run("INSERT INTO src VALUES(1, 'x''); DROP TABLE src; --', 1e-7, x'00FF'), (2, NULL, 2.5, NULL), "
      "(3, '名前', -1e300, x'')");
  auto model = m_db->execute_as_model("SELECT * FROM src ORDER BY id", false);
  ASSERT_TRUE(model.has_value());
  auto inserts = SqlInsertExtractor::create();
  inserts->get_options()["TABLENAME"] = "dst";
  std::string script;
  ASSERT_EQ(inserts->export_to_text(*model, &script, nullptr), 3);
  run("CREATE TABLE dst(id INTEGER PRIMARY KEY, t TEXT, r REAL, b BLOB)");
  run(script);
  const std::string all = "SELECT id, quote(t), quote(r), quote(b) FROM ";
  EXPECT_EQ(rows(all + "dst ORDER BY id"), rows(all + "src ORDER BY id"));

  run("UPDATE src SET t = 'changed ''' || id");
  auto changed = m_db->execute_as_model("SELECT * FROM src ORDER BY id", false);
  auto updates = SqlUpdateExtractor::create();
  updates->get_options()["TABLENAME"] = "dst";
  ASSERT_EQ(updates->export_to_text(*changed, &script, nullptr), 3);
  run(script);
  EXPECT_EQ(rows(all + "dst ORDER BY id"), rows(all + "src ORDER BY id"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
