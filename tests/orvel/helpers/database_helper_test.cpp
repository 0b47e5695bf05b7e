#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "orvel/helpers/database_helper.hpp"
#include "orvel/model/meta_table.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/contracts/values.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

using namespace Providers::Contracts;

std::string sql(DataType kind, const ValueObjectPtr& value) { return DatabaseHelper::format_sql_value(kind, value.get()); }

TEST(DatabaseHelper, WritesEachValueByItsOwnClass) {
  EXPECT_EQ(sql(DataType::String, ValueNull::create()), "NULL");
  EXPECT_EQ(sql(DataType::Int64, ValueNull::create()), "NULL");
  EXPECT_EQ(sql(DataType::String, ValueString::create("O'Brien")), "'O''Brien'");
  EXPECT_EQ(sql(DataType::Json, ValueJson::create("O'Brien")), "'O''Brien'");
  EXPECT_EQ(sql(DataType::String, ValueString::create("")), "''");
  // The column's kind is its first row's class: a NULL first row must not
  // let later texts or numbers through unescaped, or numbers become texts.
  EXPECT_EQ(sql(DataType::DbNull, ValueString::create("x'||(SELECT 1)||'")), "'x''||(SELECT 1)||'''");
  EXPECT_EQ(sql(DataType::DbNull, ValueInt64::create(5)), "5");
  EXPECT_EQ(sql(DataType::String, ValueInt64::create(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(sql(DataType::UInt64, ValueUInt64::create(UINT64_MAX)), "18446744073709551615");
  // Texts go unquoted only when they are whole numbers.
  EXPECT_EQ(sql(DataType::Int64, ValueString::create("12")), "12");
  EXPECT_EQ(sql(DataType::Int64, ValueString::create("(SELECT pw FROM users)")), "'(SELECT pw FROM users)'");
  EXPECT_EQ(sql(DataType::Int64, ValueString::create("1; DROP TABLE t")), "'1; DROP TABLE t'");
}

TEST(DatabaseHelper, WritesDoublesAndBytesExactly) {
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(1.5)), "1.500000");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(1e-7)), "1e-07");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(3.14159265358979)), "3.14159265358979");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(1e308)), "1e+308");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(-0.0)), "-0.0");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(std::numeric_limits<double>::infinity())), "9e999");
  EXPECT_EQ(sql(DataType::Double, ValueDouble::create(std::nan(""))), "NULL");
  const std::uint8_t bytes[] = {0x00, 0x41, 0x42, 0xFF};
  EXPECT_EQ(sql(DataType::Blob, ValueBlob::create(bytes, sizeof bytes)), "X'004142FF'");
  const std::uint8_t hello[] = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(sql(DataType::Blob, ValueBlob::create(hello, sizeof hello)), "X'68656C6C6F'");
  EXPECT_EQ(sql(DataType::Blob, ValueBlob::create()), "X''");
}

TEST(DatabaseHelper, JudgesTextsFromFilesByTheColumnKind) {
  const auto literal = [](DataType kind, std::string_view text) {
    return DatabaseHelper::classify_text(kind, text).literal();
  };
  EXPECT_EQ(literal(DataType::Int32, "  "), "NULL");
  EXPECT_EQ(literal(DataType::Int32, " 12 "), "12");
  EXPECT_EQ(literal(DataType::String, " a "), "' a '");
  EXPECT_EQ(literal(DataType::String, ""), "NULL");
  EXPECT_EQ(literal(DataType::Double, "-1.5e-3"), "-1.5e-3");
  EXPECT_EQ(literal(DataType::Int64, "1e"), "'1e'");
  EXPECT_EQ(literal(DataType::Int64, "0x10"), "'0x10'");
  EXPECT_EQ(literal(DataType::Int64, "nan"), "'nan'");
  EXPECT_EQ(literal(DataType::Boolean, "TRUE"), "TRUE");
  EXPECT_EQ(literal(DataType::Blob, "00ff"), "X'00FF'");
  EXPECT_EQ(literal(DataType::Blob, "abc"), "'abc'");
  EXPECT_EQ(literal(DataType::Unknown, "it's"), "'it''s'");
  EXPECT_EQ(literal(DataType::Unknown, "12"), "'12'");

  for (const char* number : {"0", "-1", "+2", "1.", ".5", "1e5", "1E-5", "123456789012345678901234567890"}) {
    EXPECT_TRUE(DatabaseHelper::is_sql_number(number)) << number;
  }
  for (const char* text : {"", "-", ".", "e5", "1e", "1 ", " 1", "1-1", "0x1", "inf", "1,5", "--1"}) {
    EXPECT_FALSE(DatabaseHelper::is_sql_number(text)) << text;
  }
}

TEST(DatabaseHelper, NamesObjectsAndColumnsSafely) {
  EXPECT_EQ(DatabaseHelper::format_object_name("", "t"), "\"t\"");
  EXPECT_EQ(DatabaseHelper::format_object_name("main", "t"), "main.t");
  EXPECT_EQ(DatabaseHelper::format_object_name("main", ""), "main.\"\"");
  EXPECT_EQ(DatabaseHelper::format_object_name("", ""), "\"\"");
  EXPECT_EQ(DatabaseHelper::format_object_name("main", "my table"), "main.\"my table\"");
  EXPECT_EQ(DatabaseHelper::format_object_name("", "a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(DatabaseHelper::format_object_name("aux db", "t"), "\"aux db\".t");
  EXPECT_EQ(DatabaseHelper::format_column_name("id_2"), "id_2");
  EXPECT_EQ(DatabaseHelper::format_column_name("order"), "\"order\"");
  EXPECT_EQ(DatabaseHelper::format_column_name("2nd"), "\"2nd\"");
  EXPECT_EQ(DatabaseHelper::format_column_name("x\"y"), "\"x\"\"y\"");

  Tolvane::Testing::GLibLogCapture log;
  EXPECT_EQ(DatabaseHelper::format_object_name(std::nullopt, "t"), "");
  EXPECT_TRUE(log.has_critical("schema != NULL"));
}

TEST(DatabaseHelper, BuildsSingleRowStatements) {
  EXPECT_EQ(DatabaseHelper::build_sql_insert("main", "t", {"a", "b"}, {"1", "'x'"}),
            "INSERT INTO main.t(a, b) VALUES(1, 'x');");
  EXPECT_EQ(DatabaseHelper::build_sql_update("main", "t", {"a", "b"}, {"1", "'x'"}, {"id"}, {"7"}),
            "UPDATE main.t SET a=1, b='x' WHERE id=7;");
  EXPECT_EQ(DatabaseHelper::build_sql_delete("main", "t", {}, {}), "DELETE FROM main.t;");
  EXPECT_EQ(DatabaseHelper::build_sql_delete("main", "t", {"id", "k"}, {"1", "'a'"}),
            "DELETE FROM main.t WHERE id=1 AND k='a';");
  EXPECT_EQ(DatabaseHelper::build_sql_insert("", "t", {"my col", "select"}, {"1"}),
            "INSERT INTO \"t\"(\"my col\", \"select\") VALUES(1);");
  // Fewer values than names: the missing ones are NULL, never text past the end.
  EXPECT_EQ(DatabaseHelper::build_sql_update("", "t", {"a", "b"}, {"1"}, {}, {}), "UPDATE \"t\" SET a=1, b=NULL;");
}

TEST(DatabaseHelper, ConvertsGLibValues) {
  Core::GValueHolder flag(G_TYPE_BOOLEAN);
  EXPECT_EQ(DatabaseHelper::glib_value_to_text(flag.get(), "-"), "FALSE");
  auto parsed = DatabaseHelper::string_to_glib_value(G_TYPE_BOOLEAN, "True");
  EXPECT_FALSE(g_value_get_boolean(parsed.get()));
  Core::GValueHolder text(G_TYPE_STRING);
  EXPECT_EQ(DatabaseHelper::glib_value_to_text(text.get(), "<null>"), "<null>");
  Core::GValueHolder date(G_TYPE_DATE);
  Core::GDatePtr day(g_date_new_dmy(7, G_DATE_MARCH, 2024));
  g_value_set_boxed(date.get(), day.get());
  EXPECT_EQ(DatabaseHelper::glib_value_to_text(date.get(), ""), "2024-3-7");
  Core::GValueHolder number(G_TYPE_DOUBLE);
  g_value_set_double(number.get(), 0.1);
  EXPECT_EQ(DatabaseHelper::glib_value_to_text(number.get(), ""), "0.1");
  auto hex = DatabaseHelper::string_to_glib_value(G_TYPE_INT64, "0x10");
  EXPECT_EQ(g_value_get_int64(hex.get()), 16);
  std::int64_t wide = 0;
  Core::GValueHolder small(G_TYPE_INT);
  g_value_set_int(small.get(), -3);
  EXPECT_TRUE(DatabaseHelper::glib_value_to_int64(small.get(), &wide));
  EXPECT_EQ(wide, -3);
  double real = 0;
  EXPECT_TRUE(DatabaseHelper::glib_value_to_double(small.get(), &real));
  EXPECT_EQ(real, -3.0);
  std::uint64_t unsigned_value = 1;
  EXPECT_FALSE(DatabaseHelper::glib_value_to_uint64(small.get(), &unsigned_value));
  EXPECT_EQ(unsigned_value, 0u);
}

TEST(DatabaseHelper, FormatsSizesNamesAndSummaries) {
  EXPECT_EQ(DatabaseHelper::format_size(1000), "1000 Byte");
  EXPECT_EQ(DatabaseHelper::format_size(1001), "1 KB");
  EXPECT_EQ(DatabaseHelper::format_size(1234567), "1,234 KB");
  EXPECT_EQ(DatabaseHelper::format_size(999999999), "999,999 KB");
  EXPECT_EQ(DatabaseHelper::make_fullname_mysql("u@h"), "`u`@`h`");
  EXPECT_EQ(DatabaseHelper::make_fullname_mysql("a`b"), "`a``b`");
  EXPECT_EQ(DatabaseHelper::summary(ValueBinary::create().get(), ""), "");
  const std::uint8_t text[] = {'h', 'i', 0, 0xFF};
  EXPECT_EQ(DatabaseHelper::summary(ValueBinary::create(text, sizeof text).get(), ""), "hi");

  auto table = MetaModel::MetaTable::create();
  auto model = TableModel::create();
  model->get_columns().push_back(ColumnModel::full("a", DataType::Int64));
  model->get_columns().push_back(ColumnModel::full("b", DataType::String));
  EXPECT_TRUE(DatabaseHelper::update_schema_with_model(table.get(), model.get()));
  ASSERT_EQ(table->get_columns().size(), 2u);
  EXPECT_EQ(table->get_columns()[1]->get_data_type(), DataType::String);
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
