#include <gtest/gtest.h>

#include "tessin/core/regex.hpp"

namespace Tolvane::Core {
namespace {

TEST(Regex, CheckedOperationsReportMatchErrors) {
  const Regex blanks("\\s{1,}");
  EXPECT_EQ(blanks.try_replace_literal("a  \n b", "\\1"), "a\\1b");
  EXPECT_EQ(blanks.try_matches("ab"), false);

  // Invalid UTF-8 is an error, where the unchecked forms only say "no match".
  const std::string broken = "a \xff b";
  auto replaced = blanks.try_replace_literal(broken, " ");
  ASSERT_FALSE(replaced);
  EXPECT_EQ(replaced.error().domain, g_quark_to_string(G_REGEX_ERROR));
  EXPECT_FALSE(blanks.try_matches(broken));
  EXPECT_EQ(blanks.replace_literal(broken, "_"), broken);

  const Regex invalid("(");
  ASSERT_FALSE(invalid.valid());
  EXPECT_EQ(invalid.try_replace_literal("x", "").error().code, G_REGEX_ERROR_COMPILE);
  EXPECT_EQ(invalid.try_matches("x").error().message, invalid.error());
}

// Patterns made from user text (a set of characters to trim) may be broken
// UTF-8; GLib would pass them on to PCRE, which crashes on them.
TEST(Regex, PatternsThatAreNotUtf8AreRefused) {
  const Regex broken("^[\xff\xff\u20ac9 ]+|[\xff]+$", G_REGEX_DOLLAR_ENDONLY);
  ASSERT_FALSE(broken.valid());
  EXPECT_EQ(broken.try_matches("x").error().code, G_REGEX_ERROR_COMPILE);
  EXPECT_EQ(broken.replace_literal("x\xff", ""), "x\xff");
  EXPECT_TRUE(Regex("[\xff]", G_REGEX_RAW).matches("a\xff"));
}

TEST(Regex, OptimisedExpressionsStaySafeOnInvalidText) {
  const Regex plain("a\\s{1,}b", G_REGEX_CASELESS);
  const Regex fast("a\\s{1,}b", G_REGEX_CASELESS | G_REGEX_OPTIMIZE);
  for (std::string_view text : {std::string_view("xA \u00a0b a b"), std::string_view("a b\0a  B", 8)}) {
    EXPECT_EQ(fast.try_replace_literal(text, "_"), plain.try_replace_literal(text, "_"));
  }
  // The JIT matcher would read past the bad byte; the checked copy reports it.
  const std::string broken = "a b \xc3";
  auto replaced = fast.try_replace_literal(broken, "_");
  ASSERT_FALSE(replaced);
  EXPECT_EQ(replaced.error().message, plain.try_replace_literal(broken, "_").error().message);
  EXPECT_FALSE(fast.matches(broken));
}

}  // namespace
}  // namespace Tolvane::Core
