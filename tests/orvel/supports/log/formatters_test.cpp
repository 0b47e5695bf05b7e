#include <gtest/gtest.h>

#include <regex>

#include "orvel/contracts/log/log_level.hpp"
#include "orvel/supports/log/formatters.hpp"
#include "tests/orvel/supports/log/log_calls.hpp"

namespace Tolvane::Orvel::Supports::Log {
namespace {

using Testing::line_of;

bool matches(const std::string& text, const char* pattern) { return std::regex_match(text, std::regex(pattern)); }

TEST(LogLevel, NamesNumbersAndColours) {
  using Contracts::Log::to_color;
  using Contracts::Log::to_number;
  using Contracts::Log::to_string;
  EXPECT_EQ(to_string(LogLevel::RISKY), "risky");
  EXPECT_EQ(to_string(LogLevel::DEBUG), "debug");
  EXPECT_EQ(to_number(LogLevel::PLAIN), "1");
  EXPECT_EQ(to_color(LogLevel::RISKY), "red");
  EXPECT_EQ(to_color(LogLevel::PLAIN), "blue");
  EXPECT_EQ(to_color(LogLevel::DEBUG), "green");
  EXPECT_EQ(to_color(static_cast<LogLevel>(7)), "black");
  EXPECT_EQ(Core::enum_info<LogLevel>().type_name(), "TolvaneOrvelContractsLogLogLevel");
}

TEST(Formatters, DefaultLineCarriesLocalTimeMillisecondsServerNameAndLevel) {
  auto formatter = DefaultFormatter::create();
  std::string line = line_of(formatter->format(LogLevel::PLAIN, "SYS", "SYS", "text %d").c_str(), 42);
  EXPECT_TRUE(matches(line, R"(\d{8} \d{2}:\d{2}:\d{2}\.\d{3} \[SYS\]\[SYS\]\[PLAIN\] text 42\n)")) << line;
  EXPECT_EQ(formatter->get_level_name(LogLevel::RISKY), "RISKY");
  EXPECT_EQ(formatter->get_level_name(LogLevel::DEBUG), "DEBUG");
}

TEST(Formatters, PercentInServerOrNameIsWrittenNotInterpreted) {
  auto formatter = DefaultFormatter::create();
  std::string line =
      line_of(formatter->format(LogLevel::RISKY, "db%s%n", "100%", "value %s").c_str(), "50% %d");
  EXPECT_TRUE(line.ends_with(" [db%s%n][100%][RISKY] value 50% %d\n")) << line;
}

TEST(Formatters, NulInServerOrNameDoesNotCutTheLine) {
  using namespace std::string_literals;
  std::string line = line_of(DefaultFormatter::create()->format(LogLevel::PLAIN, "a\0b%"s, "\0"s, "%s").c_str(), "m");
  EXPECT_TRUE(line.ends_with(" [a\\0b%][\\0][PLAIN] m\n")) << line;
  line = line_of(ColorFormatter::create()->format(LogLevel::PLAIN, "a\0b"s, "n", "%s").c_str(), "m");
  EXPECT_TRUE(line.ends_with(" [a\\0b        ][n           ][\033[1;34mPLAIN\033[00m   ] m\n")) << line;
}

TEST(Formatters, SimpleLineIsTimeAndMessage) {
  std::string line = line_of(SimpleFormatter::create()->format(LogLevel::RISKY, "s%", "n%", "%s").c_str(), "m");
  EXPECT_TRUE(matches(line, R"(\d{2}:\d{2}:\d{2}\.\d{3} m\n)")) << line;
}

TEST(Formatters, ColourLinePadsServerAndNameAndColoursTheLevel) {
  auto formatter = ColorFormatter::create();
  EXPECT_EQ(formatter->get_level_name(LogLevel::RISKY), "\033[1;31mRISKY\033[00m");
  EXPECT_EQ(formatter->get_level_name(LogLevel::PLAIN), "\033[1;34mPLAIN\033[00m");
  EXPECT_EQ(formatter->get_level_name(LogLevel::DEBUG), "\033[1;32mDEBUG\033[00m");
  EXPECT_EQ(formatter->get_level_name(static_cast<LogLevel>(5)), "\033[1;37m5\033[00m");
  std::string line = line_of(formatter->format(LogLevel::RISKY, "srv%", "a-very-long-name", "x").c_str());
  EXPECT_TRUE(line.ends_with(" [srv%        ][a-very-long-name][\033[1;31mRISKY\033[00m   ] x\n")) << line;
  EXPECT_TRUE(matches(line.substr(0, 13), R"(\d{2}:\d{2}:\d{2}\.\d{3} )")) << line;
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Log
