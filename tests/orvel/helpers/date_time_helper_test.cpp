#include <gtest/gtest.h>

#include <regex>

#include "orvel/helpers/date_time_helper.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

bool matches(const std::string& text, const char* pattern) { return std::regex_match(text, std::regex(pattern)); }

TEST(DateTimeHelper, FormatsSpans) {
  EXPECT_EQ(DateTimeHelper::format_time_span(3723004000), "01:02:03");
  EXPECT_EQ(DateTimeHelper::format_time_span(0), "00:00:00");
  EXPECT_EQ(DateTimeHelper::format_time_span(360000000000), "100:00:00");
  EXPECT_EQ(DateTimeHelper::format_time_span_micro(3723004000), "01:02:03.004");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(3723004000), "1H 2M 3S 4ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(3600000000), "1H 0M 0S 0ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(61000000), "1M 1S 0ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(3599999999), "59M 59S 999ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(1000000), "1S 0ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(59999000), "59S 999ms");
  EXPECT_EQ(DateTimeHelper::format_time_span_unit(999999), "999ms");
}

TEST(DateTimeHelper, StampsTheCurrentLocalTime) {
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_normal(), R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_compact(), R"(\d{14})"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_iso8601(), R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_with_ms_normal(), R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_with_ms_compact(), R"(\d{14}\.\d{3})"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_with_ms_iso8601(), R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_string("%Y|%H"), R"(\d{4}\|\d\d)"));
}

TEST(DateTimeHelper, MillisecondFormatTakesOnlyIntegerConversions) {
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_string_ms("%S", "%03lli"), R"(\d\d\.\d{3})"));
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_string_ms("%S", "%5d|%-4x|%%"), R"(\d\d\. {0,4}\d{1,3}\|[0-9a-f]{1,3} *\|%)"));
  // Conversions that would read another kind of argument are written as text.
  EXPECT_TRUE(matches(DateTimeHelper::datetime_as_string_ms("%S", "%s %n %f %"), R"(\d\d\.%s %n %f %)"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
