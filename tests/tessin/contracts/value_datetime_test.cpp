#include <gtest/gtest.h>

#include "tessin/contracts/values.hpp"

// The test programs run with TZ=Europe/Berlin, so local time differs from UTC.

namespace Tolvane::Providers::Contracts {
namespace {

std::string local_epoch_text() {
  GDateTime* epoch = g_date_time_new_from_unix_local(0);
  gchar* text = g_date_time_format(epoch, "%Y-%m-%d %H:%M:%S");
  std::string result = text;
  g_free(text);
  g_date_time_unref(epoch);
  return result;
}

TEST(ValueDateTimes, Iso8601TakesUtcForTextsWithoutZone) {
  auto value = ValueDateTime::iso8601("2024-03-01T12:00:00");
  EXPECT_EQ(value->to_string(), "2024-03-01 12:00:00");
  EXPECT_EQ(g_date_time_get_utc_offset(value->get_itsvalue().get()), 0);
  EXPECT_EQ(ValueDateTime::iso8601("2024-03-01T12:00:00+02:00")->to_string(), "2024-03-01 12:00:00");
}

TEST(ValueDateTimes, UnparseableTextFallsBackToTheLocalEpoch) {
  EXPECT_EQ(ValueDateTime::iso8601("2024-02-30T10:00:00")->to_string(), local_epoch_text());
  EXPECT_EQ(ValueDateTime::iso8601("")->to_string(), local_epoch_text());
  EXPECT_EQ(ValueDate::iso8601("yesterday")->to_string(), local_epoch_text().substr(0, 10));
}

TEST(ValueDateTimes, AbsentDateTimesShowAsNull) {
  auto invalid = ValueDateTime::utc(2024, 2, 30, 0, 0, 0);
  ASSERT_NE(invalid, nullptr);
  EXPECT_FALSE(invalid->get_itsvalue());
  EXPECT_EQ(invalid->to_string(), "(NULL)");
  EXPECT_EQ(invalid->format("%Y"), "");
  EXPECT_EQ(invalid->clone()->to_string(), "(NULL)");
  EXPECT_EQ(ValueDate::dmy(2023, 2, 29)->to_string(), "(NULL)");
  EXPECT_EQ(ValueDateTime::utc(2024, 2, 29, 23, 59, 58)->to_string(), "2024-02-29 23:59:58");
}

// ISO 8601 years have four digits; with fewer the factory could not read a
// value's own text back and would give the epoch instead.
TEST(ValueDateTimes, YearsBeforeOneThousandShowWithFourDigitsAndReadBack) {
  EXPECT_EQ(ValueDateTime::utc(1, 1, 1, 0, 0, 0)->to_string(), "0001-01-01 00:00:00");
  EXPECT_EQ(ValueDate::dmy(999, 12, 31)->to_string(), "0999-12-31");
  for (DataType type : {DataType::Date, DataType::DateTime, DataType::TimeStamp}) {
    const std::string text = IValue::factory(type, "0042-06-01T08:09:10Z")->to_string();
    EXPECT_TRUE(text.starts_with("0042-06-01")) << text;
    EXPECT_EQ(IValue::factory(type, text)->to_string(), text);
  }
}

TEST(ValueDateTimes, DatesAndTimesOfDay) {
  EXPECT_EQ(ValueDate::dmy(2024, 2, 29)->to_string(), "2024-02-29");
  GDate* day = g_date_new_dmy(31, G_DATE_DECEMBER, 1999);
  EXPECT_EQ(ValueDate::date(*day)->to_string(), "1999-12-31");
  g_date_free(day);

  auto date = ValueDate::dmy(2024, 2, 29)->to_value();
  auto* gdate = static_cast<GDate*>(g_value_get_boxed(date.get()));
  EXPECT_EQ(g_date_get_day(gdate), 29);

  EXPECT_EQ(ValueTime::hms(7, 8, 9.5)->to_string(), "07:08:09");
  auto utc_noon = Core::DateTime::adopt(g_date_time_new_utc(2024, 6, 1, 12, 0, 0));
  EXPECT_EQ(ValueTime::time(utc_noon)->to_string(), "12:00:00");
}

TEST(ValueDateTimes, DateTimeConstructorConvertsToLocalAndGLibFormIsLocalWholeSeconds) {
  auto utc = Core::DateTime::adopt(g_date_time_new_utc(2024, 1, 15, 10, 0, 30.75));
  auto value = ValueDateTime::datetime(utc);
  EXPECT_EQ(value->to_string(), "2024-01-15 11:00:30");  // Berlin in winter
  auto held = value->to_value();
  auto* local = static_cast<GDateTime*>(g_value_get_boxed(held.get()));
  EXPECT_EQ(g_date_time_get_microsecond(local), 0);
  EXPECT_EQ(g_date_time_to_unix(local), g_date_time_to_unix(utc.get()));
}

TEST(ValueDateTimes, ClonesKeepInstantAndShownZone) {
  auto value = ValueDateTime::iso8601("2024-01-15T10:00:00Z");
  auto copy = value->clone();
  EXPECT_EQ(copy->type().name(), "TolvaneProvidersContractsValueDateTime");
  EXPECT_EQ(copy->to_string(), value->to_string());
  auto time = ValueTime::time(Core::DateTime::adopt(g_date_time_new_utc(2024, 1, 15, 23, 30, 0)));
  EXPECT_EQ(time->clone()->to_string(), "23:30:00");
  EXPECT_EQ(ValueDate::dmy(2020, 1, 1)->clone()->type().name(), "TolvaneProvidersContractsValueDate");
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
