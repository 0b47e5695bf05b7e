#include <gtest/gtest.h>

#include "orvel/helpers/string_helper.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

using Strings = std::vector<std::string>;

TEST(StringHelper, ProperCaseUpperCasesTheFirstByteOfEachWord) {
  EXPECT_EQ(StringHelper::proper_case("hello o'neil WORLD"), "Hello O'neil World");
  EXPECT_EQ(StringHelper::proper_case("  snake_case, x2 -- ÉCOLE"), "  Snake_case, X2 -- école");
  EXPECT_EQ(StringHelper::proper_case("line one\nLINE TWO"), "Line One\nLine Two");
  EXPECT_EQ(StringHelper::proper_case(""), "");
}

TEST(StringHelper, KeyValueTextsRoundTrip) {
  StringHelper::TextMap data = StringHelper::arraify_data("a=1;b;c=x=y;;a=2", ";");
  EXPECT_EQ(data, (StringHelper::TextMap{{"a", "2"}, {"b", std::nullopt}, {"c", "x=y"}}));
  EXPECT_EQ(StringHelper::stringify_data(data, ";"), "a=2;b;c=x=y;");
  EXPECT_EQ(StringHelper::arraify_data(StringHelper::stringify_data(data, "||"), "||"), data);
  EXPECT_EQ(StringHelper::arraify_data("k=v", ""), (StringHelper::TextMap{{"k", "v"}}));
  EXPECT_TRUE(StringHelper::arraify_data("", ";").empty());
}

TEST(StringHelper, TrimCharsTakesEachCharacterLiterally) {
  EXPECT_EQ(StringHelper::trim_chars("--a-b--", "-"), "a-b");
  EXPECT_EQ(StringHelper::trim_chars("xyhixy", "yx"), "hi");
  // Each of these breaks, negates or widens the class when inserted as it is.
  EXPECT_EQ(StringHelper::trim_chars("]]a]b]]", "]"), "a]b");
  EXPECT_EQ(StringHelper::trim_chars("\\a\\\\", "\\"), "a");
  EXPECT_EQ(StringHelper::trim_chars("^^a^", "^"), "a");
  EXPECT_EQ(StringHelper::trim_chars("xa", "^"), "xa");
  EXPECT_EQ(StringHelper::trim_chars("bab", "a-c"), "bab");
  EXPECT_EQ(StringHelper::trim_chars("-a-", "a-c"), "");
  EXPECT_EQ(StringHelper::trim_chars("[:a:]", "[:"), "a:]");
  // A set that is not UTF-8 names no characters: the text stays as it is.
  EXPECT_EQ(StringHelper::trim_chars("\xff" "a\xff", "\xff\xe2\x82\xac"), "\xff" "a\xff");
  // The index-column set: CR, LF, brackets and quotes.
  EXPECT_EQ(StringHelper::trim_chars("\r\n[\"col 1\"]\n", "\r\n[]\"'"), "col 1");
  EXPECT_EQ(StringHelper::trim_chars("«a»", "«»"), "a");
  // Only the very ends count: a final line break is not an end.
  EXPECT_EQ(StringHelper::trim_chars("ab;\n", ";"), "ab;\n");
  EXPECT_EQ(StringHelper::trim_chars("text", ""), "text");
}

TEST(StringHelper, SearchesArraysWithAndWithoutCase) {
  Strings values{"name", "ID", "Größe"};
  EXPECT_EQ(StringHelper::search_array(values, "id", false), 1);
  EXPECT_EQ(StringHelper::search_array(values, "id", true), -1);
  EXPECT_EQ(StringHelper::search_array(values, "grösse", false), -1);
  EXPECT_EQ(StringHelper::search_array_prefix(values, "NA", false), 0);
  EXPECT_EQ(StringHelper::search_array_prefix(values, "NA", true), -1);
  // Unicode upper-casing: "ß" becomes "SS" (search_array itself folds ASCII only).
  EXPECT_EQ(StringHelper::search_array_suffix(values, "össe", false), 2);
  EXPECT_EQ(StringHelper::search_array_suffix(values, "x", false), -1);

  EXPECT_TRUE(StringHelper::contains_array("select * from t", Strings{"DROP", "FROM"}, false));
  EXPECT_FALSE(StringHelper::contains_array("select * from t", Strings{"DROP", "FROM"}, true));
  EXPECT_EQ(StringHelper::index_with_array("abc abc", Strings{"x", "c", "a"}, true), 2);
  EXPECT_EQ(StringHelper::index_with_array("abc", Strings{"B"}, false), 1);
  EXPECT_EQ(StringHelper::index_with_array("abc", Strings{}, false), -1);
  EXPECT_TRUE(StringHelper::prefix_with_array("sqlite_master", Strings{"SQLITE_"}, false));
  EXPECT_FALSE(StringHelper::prefix_with_array("sqlite_master", Strings{"SQLITE_"}, true));
  EXPECT_TRUE(StringHelper::suffix_with_array("data.CSV", Strings{".json", ".csv"}, false));
  EXPECT_FALSE(StringHelper::suffix_with_array("data.CSV", Strings{".json", ".csv"}, true));
}

TEST(StringHelper, ReplaceArrayAppliesPairsInOrder) {
  EXPECT_EQ(StringHelper::replace_array("a-b-c", Strings{"-", "b", "", "c"}, Strings{"+", "bb", "x", "c"}),
            "a+bb+c");
  // Later pairs see earlier results.
  EXPECT_EQ(StringHelper::replace_array("ab", Strings{"a", "b"}, Strings{"b", "c"}), "cc");
  EXPECT_EQ(StringHelper::replace_array("aaa", Strings{"a"}, Strings{"aa"}), "aaaaaa");
  Testing::GLibLogCapture log;
  EXPECT_EQ(StringHelper::replace_array("a", Strings{"a"}, Strings{}), std::nullopt);
  EXPECT_TRUE(log.has_critical("old_texts.length == new_texts.length"));
}

TEST(StringHelper, DiffArrayComparesTrimmedEntries) {
  StringHelper::Diff diff =
      StringHelper::diff_array(Strings{" id", "name ", "", "old"}, Strings{"name", "  ", "new ", "id"});
  EXPECT_EQ(diff.kept, (Strings{"name", "id"}));
  EXPECT_EQ(diff.removed, (Strings{"old"}));
  EXPECT_EQ(diff.added, (Strings{"new"}));
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
