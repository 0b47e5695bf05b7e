#include <gtest/gtest.h>

#include <string>

#include "orvel/supports/database/formatter.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

std::string beautified(std::string_view sql) { return Formatter::create()->beautify(sql).value(); }

TEST(Formatter, MinifySqueezesWhiteSpaceAndTightensParentheses) {
  EXPECT_EQ(Formatter::create()->minify("SELECT  a ,\n b FROM t ( x )"), "SELECT a , b FROM t( x)");
  EXPECT_EQ(Formatter::create()->minify(""), "");
}

TEST(Formatter, BeautifyBreaksClausesAndSpreadsTheSelectList) {
  EXPECT_EQ(beautified("select a, b from t where x = 1 and y = 2"),
            "SELECT a,\n"
            "         b\n"
            "FROM t\n"
            "WHERE x = 1\n"
            "        AND y = 2");
}

TEST(Formatter, BeautifyIndentsSubQueriesByDepth) {
  EXPECT_EQ(beautified("select a from t where b in ( select c from u ) and d = 1"),
            "SELECT a\n"
            "FROM t\n"
            "WHERE b IN \n"
            "    (SELECT c\n"
            "    FROM u )\n"
            "        AND d = 1");
}

TEST(Formatter, BeautifyJoinsAndUnions) {
  // The join kind is glued back to JOIN only after JOIN itself broke the line.
  EXPECT_EQ(beautified("select a from t left join u on t.id = u.id"),
            "SELECT a\nFROM t\nLEFT JOIN u\n    ON t.id = u.id");
  EXPECT_EQ(beautified("select a from t\n\n union   select b from u"), "SELECT a\nFROM t\nUNION\nSELECT b\nFROM u");
}

TEST(Formatter, BeautifyCaseExpressions) {
  // " case " takes the blank SELECT's own rule needs, so this select keeps its case.
  EXPECT_EQ(beautified("select case when a = 1 then 2 else 3 end as x from t"),
            "select\n"
            "    CASE\n"
            "    WHEN a = 1 THEN\n"
            "    2\n"
            "    ELSE 3\n"
            "    END AS x\n"
            "FROM t");
}

TEST(Formatter, BeautifyLeavesQuotedTextAlone) {
  EXPECT_EQ(beautified("select 'a and b' from t"), "SELECT 'a and b'\nFROM t");
  EXPECT_EQ(beautified("select 'it''s' from t where x = 'from'"), "SELECT 'it''s'\nFROM t\nWHERE x = 'from'");
  // A literal that looks like a select list keeps its commas; the list after it
  // is spread only where the piece itself holds a SELECT.
  EXPECT_EQ(beautified("select 'SELECT x, y', z from t"), "SELECT 'SELECT x, y', z\nFROM t");
  EXPECT_EQ(beautified("select a, 'SELECT x, y' from t"), "SELECT a,\n         'SELECT x, y'\nFROM t");
}

TEST(Formatter, BeautifyOfNothingIsNothing) {
  EXPECT_EQ(beautified(""), "");
}

TEST(Formatter, VeryDeepSubQueriesStopIndentingAtTheLimit) {
  constexpr int nesting = Formatter::max_depth + 5;
  std::string sql = "select a from ";
  for (int i = 0; i < nesting; ++i) {
    sql += "(select a from ";
  }
  sql += "t";
  sql.append(nesting, ')');
  const std::string text = beautified(sql);

  const std::string deepest = "\n" + std::string(4 * Formatter::max_depth, ' ') + "(SELECT a\n";
  std::size_t at_limit = 0;
  for (std::size_t pos = text.find(deepest); pos != std::string::npos; pos = text.find(deepest, pos + 1)) {
    ++at_limit;
  }
  EXPECT_EQ(at_limit, 6u);  // depths 100 to 105
  EXPECT_EQ(text.find(std::string(4 * Formatter::max_depth + 1, ' ')), std::string::npos);
}

TEST(Formatter, InvalidTextComesBackUnchanged) {
  const std::string broken = "select a\xff  from t";
  Testing::GLibLogCapture log;
  EXPECT_EQ(Formatter::create()->beautify(broken), broken);
  EXPECT_TRUE(log.lines().empty());

  EXPECT_EQ(Formatter::create()->minify(broken), broken);
  EXPECT_TRUE(log.contains(G_LOG_LEVEL_WARNING, "formatter:104: Failed to minify statements: "));
}

TEST(Formatter, OptionsAreStoredAndReplaced) {
  FormatterPtr formatter = Formatter::create();
  formatter->option("A", "1");
  formatter->option("A", "2");
  EXPECT_EQ(formatter->get_option("A"), "2");
  EXPECT_EQ(formatter->get_option("B"), std::nullopt);

  FormatterPtr configured = Formatter::configured();
  EXPECT_EQ(configured->get_option("LINE_START"),
            "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER TABLE,"
            "DELETE FROM,UNION ALL,UNION,EXCEPT,INTERSECT");
  EXPECT_EQ(configured->get_option("LINE_BREAK"),
            "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND");
}

TEST(Formatter, MissingArgumentsAreProgrammingErrors) {
  FormatterPtr formatter = Formatter::create();
  Testing::GLibLogCapture log;
  formatter->option(std::nullopt, "1");
  formatter->option("A", std::nullopt);
  EXPECT_EQ(formatter->get_option("A"), std::nullopt);
  EXPECT_EQ(formatter->beautify(std::nullopt), std::nullopt);
  EXPECT_EQ(formatter->minify(std::nullopt), std::nullopt);
  EXPECT_TRUE(log.has_critical("name != NULL"));
  EXPECT_TRUE(log.has_critical("value != NULL"));
  EXPECT_TRUE(log.has_critical("statements != NULL"));
}

TEST(Formatter, IsRegisteredAsAFormattable) {
  EXPECT_EQ(Formatter::static_type().name(), "TolvaneOrvelSupportsDatabaseFormatter");
  EXPECT_TRUE(Formatter::static_type().is_a(Contracts::Database::IFormattable::static_type()));
  EXPECT_NE(std::dynamic_pointer_cast<Contracts::Database::IFormattable>(Formatter::static_type().create()), nullptr);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
