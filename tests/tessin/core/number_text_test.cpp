#include "tessin/core/number_text.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cmath>
#include <limits>
#include <random>

#include <glib.h>

namespace Tolvane::Core {
namespace {

TEST(FormatDouble, GivesTheShortestTextMarkedAsAReal) {
  EXPECT_EQ(format_double(1.0), "1.0");
  EXPECT_EQ(format_double(-0.0), "-0.0");
  EXPECT_EQ(format_double(15.86), "15.86");
  EXPECT_EQ(format_double(266.91), "266.91");
  EXPECT_EQ(format_double(0.1), "0.1");
  EXPECT_EQ(format_double(1e308), "1e+308");
  EXPECT_EQ(format_double(1e-300), "1e-300");
  EXPECT_EQ(format_double(5e-324), "5e-324");
  EXPECT_EQ(format_double(100.0), "100.0");
  EXPECT_EQ(format_double(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(format_double(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(format_double(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(FormatDouble, ReadsBackBitForBitWhateverTheLocale) {
  // A comma-decimal locale must change nothing (when the machine has one).
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  std::mt19937_64 random(7);
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) {
      continue;
    }
    const std::string text = format_double(value);
    const double back = g_ascii_strtod(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    ASSERT_NE(text.find_first_of(".e"), std::string::npos) << text;
  }
  if (previous != nullptr) {
    std::setlocale(LC_NUMERIC, "C");
  }
}

}  // namespace
}  // namespace Tolvane::Core
