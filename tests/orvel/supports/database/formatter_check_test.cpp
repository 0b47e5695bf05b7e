#include <gtest/gtest.h>

#include <string>

#include "orvel/supports/database/formatter_check.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

// Whether `output` holds the tokens of `input`, as the beautifier may write them.
bool keeps_tokens(std::string_view input, std::string_view output) {
  return !compare_sql_tokens(input, output, true).has_value();
}

TEST(FormatterCheck, CatchesWhatABrokenLayoutDoesToSql) {
  // A keyword glued to the next word.
  auto glued = compare_sql_tokens("select 1 union all select 2", "SELECT 1\nUNION\nallSELECT 2", true);
  ASSERT_TRUE(glued.has_value());
  EXPECT_EQ(glued->input_offset, 15u);
  EXPECT_EQ(glued->describe("select 1 union all select 2"), "line 1, column 16: 'all' became 'allSELECT'");
  // A comma that moved into a line comment.
  EXPECT_FALSE(keeps_tokens("SELECT id -- the key\n , title FROM books", "SELECT id -- the key ,\ntitle\nFROM books"));
  // Blanks inside a literal, a quoted name or a comment are part of it.
  EXPECT_FALSE(keeps_tokens("select 'a   b'", "SELECT 'a b'"));
  EXPECT_FALSE(keeps_tokens("select \"a  b\"", "SELECT \"a b\""));
  EXPECT_FALSE(keeps_tokens("select 1 /* a  b */", "SELECT 1 /* a b */"));
  EXPECT_FALSE(keeps_tokens("select 1 -- x", "SELECT 1"));
  // A token cut in two, or one lost at the end.
  EXPECT_FALSE(keeps_tokens("order by_x", "ORDER BY _x"));
  auto lost = compare_sql_tokens("select a;", "select a", false);
  ASSERT_TRUE(lost.has_value());
  EXPECT_EQ(lost->describe("select a;"), "line 1, column 9: ';' became the end of the text");
}

TEST(FormatterCheck, AllowsWhiteSpaceAndTheLayoutsCapitalsOnly) {
  EXPECT_TRUE(keeps_tokens("select a,b\n\tfrom t", "SELECT a,\n         b\nFROM t"));
  EXPECT_TRUE(keeps_tokens("", "  \n"));
  // Only keywords the layout writes in capitals, only in capitals, only whole.
  EXPECT_FALSE(keeps_tokens("select t from t", "SELECT T FROM t"));
  EXPECT_FALSE(keeps_tokens("SELECT a", "select a"));
  EXPECT_FALSE(keeps_tokens("select myselect", "SELECT mySELECT"));
  EXPECT_FALSE(keeps_tokens("pragma x", "PRAGMA x"));
  // The minifier writes no capitals at all.
  EXPECT_TRUE(compare_sql_tokens("select a", "SELECT a", false).has_value());
  // A long token is shown cut short, at a character boundary.
  auto long_literal = compare_sql_tokens("'" + std::string(39, 'x') + "\xC3\xA4 and more'", "x", false);
  ASSERT_TRUE(long_literal.has_value());
  EXPECT_EQ(long_literal->input_token, "'" + std::string(39, 'x') + "...");
}

TEST(FormatterCheck, FindsTheFirstByteThatIsNotUtf8) {
  EXPECT_EQ(first_invalid_utf8("select 'ä'"), std::nullopt);
  EXPECT_EQ(first_invalid_utf8(std::string("a\0b", 3)), std::nullopt);
  EXPECT_EQ(first_invalid_utf8(std::string("a\0b\xff", 4)), 3u);
  EXPECT_EQ(first_invalid_utf8("ab\xC3"), 2u);
  EXPECT_EQ(first_invalid_utf8("\xED\xA0\x80"), 0u);  // a UTF-16 surrogate
}

TEST(FormatterCheck, CheckFormattingReportsNothingForSoundFormatting) {
  EXPECT_TRUE(check_formatting("select a, b from t where x = 'y  z' -- c\n and y = 2; select 1").empty());
  EXPECT_TRUE(check_formatting("").empty());
  Testing::GLibLogCapture log;  // minify warns about text that is not UTF-8
  EXPECT_TRUE(check_formatting("select '\xff'").empty());
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
