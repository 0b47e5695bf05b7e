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

}  // namespace
}  // namespace Tolvane::Core
