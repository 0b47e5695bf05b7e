#include <cmath>

#include "tessin/contracts/values.hpp"
#include "tessin/supports/sqlite/reader.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

using SQLiteReaderTest = SQLiteTest;

TEST_F(SQLiteReaderTest, TypedReadsConvertAsTheEngineDoes) {
  auto provider = open("reader.db");
  auto opened = provider->execute_reader(
      "SELECT 300 AS big, 70000, 1e40, '0x10', '010', NULL, '2024-03-01', '2024-03-01T10:30:00', "
      "'2024-03-01T10:30:00+02:00', 'not a date', x'00ff', 0, 2");
  ASSERT_TRUE(opened.has_value()) << opened.error().message;
  auto reader = std::dynamic_pointer_cast<SQLiteReader>(*opened);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->get_field_count(), 13);
  EXPECT_EQ(*reader->get_name(0), "big");
  EXPECT_EQ(*reader->get_int8(0), 44) << "cut to 8 bits";
  EXPECT_EQ(*reader->get_uint8(0), 44);
  EXPECT_EQ(*reader->get_int16(1), 4464);
  EXPECT_EQ(*reader->get_int32(1), 70000);
  EXPECT_TRUE(std::isinf(*reader->get_float(2))) << "narrowed to single precision";
  EXPECT_EQ(*reader->get_timespan(3), 16) << "hexadecimal";
  EXPECT_EQ(*reader->get_timespan(4), 8) << "octal";
  EXPECT_EQ(*reader->get_timespan(5), 0) << "null";
  EXPECT_TRUE(*reader->is_null(5));
  EXPECT_EQ(*reader->get_dbms_type(5), "NULL");
  EXPECT_EQ(*reader->get_data_type(5), DataType::DbNull);

  GDate date = *reader->get_date(6);
  ASSERT_TRUE(g_date_valid(&date));
  EXPECT_EQ(g_date_get_year(&date), 2024);
  EXPECT_EQ(g_date_get_day(&date), 1);
  Core::DateTime naive = *reader->get_datetime(7);
  ASSERT_TRUE(naive);
  EXPECT_EQ(g_date_time_get_hour(naive.get()), 10);
  EXPECT_EQ(g_date_time_get_utc_offset(naive.get()), 0) << "a time without a zone is UTC";
  Core::DateTime zoned = *reader->get_time(8);
  ASSERT_TRUE(zoned);
  EXPECT_EQ(g_date_time_to_unix(zoned.get()), g_date_time_to_unix(naive.get()) - 7200);
  EXPECT_FALSE(*reader->get_timestamp(9));
  GDate bad = *reader->get_date(9);
  EXPECT_FALSE(g_date_valid(&bad));

  Core::Bytes bytes = *reader->get_binary(10);
  ASSERT_EQ(g_bytes_get_size(bytes.get()), 2u);
  EXPECT_EQ(static_cast<const std::uint8_t*>(g_bytes_get_data(bytes.get(), nullptr))[1], 0xFF);
  EXPECT_EQ(*reader->get_dbms_type(10), "BLOB");
  EXPECT_EQ(*reader->get_size(10), 2);
  EXPECT_FALSE(*reader->get_boolean(11));
  EXPECT_TRUE(*reader->get_boolean(12));
  EXPECT_EQ(*reader->get_dbms_type(12), "INTEGER");

  EXPECT_TRUE(Core::equal_values(*reader->get_property("field-count"), Core::PropertyValue(std::int64_t{13})));
  EXPECT_EQ(*reader->read(), false);
  EXPECT_TRUE(reader->get_is_closed());
  EXPECT_TRUE(reader->close().has_value());
}

TEST_F(SQLiteReaderTest, AReaderNeedsAConnectionAndAStatement) {
  EXPECT_EQ(SQLiteReader::create(nullptr, nullptr), nullptr);
  EXPECT_TRUE(m_log.has_critical("connection != NULL"));
  auto provider = open("null.db");
  EXPECT_EQ(SQLiteReader::create(provider->get_engine(), nullptr), nullptr);
  EXPECT_TRUE(m_log.has_critical("stmt != NULL"));
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
