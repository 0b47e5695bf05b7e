#include <gtest/gtest.h>

#include <string>

#include "orvel/supports/database/formatter.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

std::string beautified(std::string_view sql) { return Formatter::create()->beautify(sql).value(); }
std::string minified(std::string_view sql) { return Formatter::create()->minify(sql).value(); }

TEST(Formatter, MinifySqueezesWhiteSpaceAndTightensParentheses) {
  EXPECT_EQ(minified("SELECT  a ,\n b FROM t ( x )"), "SELECT a , b FROM t( x)");
  EXPECT_EQ(minified(""), "");
}

TEST(Formatter, BeautifyBreaksClausesAndSpreadsTheSelectList) {
  EXPECT_EQ(beautified("select a, b from t where x = 1 and y = 2"),
            "SELECT a,\n"
            "         b\n"
            "FROM t\n"
            "WHERE x = 1\n"
            "        AND y = 2");
  // An item after a comma without a blank is indented the same, so that
  // formatting the result again changes nothing.
  EXPECT_EQ(beautified("select a,b from t"), "SELECT a,\n         b\nFROM t");
  EXPECT_EQ(beautified("select a from t where x = 1 or y = 2"), "SELECT a\nFROM t\nWHERE x = 1\n        OR y = 2");
}

TEST(Formatter, BeautifyIndentsSubQueriesByDepth) {
  EXPECT_EQ(beautified("select a from t where b in ( select c from u ) and d = 1"),
            "SELECT a\n"
            "FROM t\n"
            "WHERE b IN \n"
            "    (SELECT c\n"
            "    FROM u )\n"
            "        AND d = 1");
  EXPECT_EQ(beautified("select * from (select a from t) as s"),
            "SELECT *\nFROM \n    (SELECT a\n    FROM t) AS s");
  EXPECT_EQ(beautified("select (select count(*) from u) as n from t"),
            "SELECT \n    (SELECT count(*)\n    FROM u) AS n\nFROM t");
}

TEST(Formatter, BeautifyOrderingGroupingAndHaving) {
  // The layout writes "BY" and a blank, and keeps the blank that followed.
  EXPECT_EQ(beautified("select a from t order by a desc, b"), "SELECT a\nFROM t\nORDER BY  a desc, b");
  EXPECT_EQ(beautified("select a from t order   by b desc limit 3"), "SELECT a\nFROM t\nORDER BY  b DESC limit 3");
  EXPECT_EQ(beautified("select city, count(*) from customers group by city having count(*) > 1"),
            "SELECT city,\n"
            "         count(*)\n"
            "FROM customers\n"
            "GROUP BY  city\n"
            "HAVING count(*) > 1");
}

TEST(Formatter, BeautifyWritesTheKeywordsOfItsRulesInCapitals) {
  // Only where a rule sees the keyword between blanks: "asc," and "null" at a
  // line break stay as written.
  EXPECT_EQ(beautified("select all a as b, null as n from t where not exists (select 1 from u) and c like 'x' "
                       "order by a asc , b desc , c asc, d is null"),
            "SELECT ALL a AS b,\n"
            "         NULL AS n\n"
            "FROM t\n"
            "WHERE NOT EXISTS \n"
            "    (SELECT 1\n"
            "    FROM u)\n"
            "        AND c LIKE 'x'\n"
            "ORDER BY  a ASC , b DESC , c asc, d is null");
  EXPECT_EQ(beautified("select distinct a from t where b in (1, 2)"), "SELECT DISTINCT a\nFROM t\nWHERE b IN (1, 2)");
}

TEST(Formatter, BeautifyEveryKindOfJoin) {
  EXPECT_EQ(beautified("select a from t join u on t.id = u.id"), "SELECT a\nFROM t\nJOIN u\n    ON t.id = u.id");
  const std::pair<const char*, const char*> kinds[] = {
      {"inner", "INNER"}, {"left", "LEFT"}, {"right", "RIGHT"}, {"cross", "CROSS"}};
  for (const auto& [kind, upper] : kinds) {
    EXPECT_EQ(beautified(std::string("select a from t ") + kind + " join u on t.id = u.id"),
              std::string("SELECT a\nFROM t\n") + upper + " JOIN u\n    ON t.id = u.id");
  }
  // Kinds of two words, and NATURAL, are left where they stand.
  EXPECT_EQ(beautified("select a from t left outer join u using (id)"),
            "SELECT a\nFROM t left outer\nJOIN u\nUSING (id)");
  EXPECT_EQ(beautified("select a from t natural join u"), "SELECT a\nFROM t natural\nJOIN u");
  EXPECT_EQ(beautified("select * from t join u using (a) where t.x between 1 and 10"),
            "SELECT *\nFROM t\nJOIN u\nUSING (a)\nWHERE t.x\n    BETWEEN 1\n        AND 10");
}

TEST(Formatter, BeautifyUnionsWithAndWindows) {
  EXPECT_EQ(beautified("select a from t\n\n union   select b from u"), "SELECT a\nFROM t\nUNION\nSELECT b\nFROM u");
  // UNION ALL is one clause, and the SELECT after it stays a word of its own.
  EXPECT_EQ(beautified("select 1 union all select 2"), "SELECT 1\nUNION ALL\nSELECT 2");
  EXPECT_EQ(beautified("select a from t union all select b from u"),
            "SELECT a\nFROM t\nUNION ALL\nSELECT b\nFROM u");
  EXPECT_EQ(beautified("create view v as with x as (select 1 as v) select v from x"),
            "create view v as\nWITH x AS \n    (SELECT 1 AS v)\n    SELECT v\nFROM x");
  EXPECT_EQ(beautified("select id, rank() over (order by amount) from events"),
            "SELECT id,\n         rank()\n    OVER (order by amount)\nFROM events");
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

TEST(Formatter, BeautifyLaysOutEveryStatementOfAScript) {
  EXPECT_EQ(beautified("select a from t; select b from u;select c from v"),
            "SELECT a\nFROM t;\nSELECT b\nFROM u;\nSELECT c\nFROM v");
  // Each statement starts afresh: an unclosed bracket does not indent the next.
  EXPECT_EQ(beautified("select (select 1 from t; select 2 from u"),
            "SELECT \n    (SELECT 1\n    FROM t;\nSELECT 2\nFROM u");
  EXPECT_EQ(minified("select 1;\n\nselect 2;\n"), "select 1; select 2; ");
}

TEST(Formatter, LiteralsQuotedNamesAndBlobsAreLeftAlone) {
  EXPECT_EQ(beautified("select 'a and b' from t"), "SELECT 'a and b'\nFROM t");
  EXPECT_EQ(beautified("select 'it''s' from t where x = 'from'"), "SELECT 'it''s'\nFROM t\nWHERE x = 'from'");
  // A literal that looks like a select list keeps its commas; the list after it
  // is spread only where the piece itself holds a SELECT.
  EXPECT_EQ(beautified("select 'SELECT x, y', z from t"), "SELECT 'SELECT x, y', z\nFROM t");
  EXPECT_EQ(beautified("select a, 'SELECT x, y' from t"), "SELECT a,\n         'SELECT x, y'\nFROM t");
  // White space inside literals and names is theirs.
  EXPECT_EQ(beautified("select 'a   b',\n'c\n\nd' from t"), "SELECT 'a   b', 'c\n\nd'\nFROM t");
  EXPECT_EQ(minified("select 'a   b' ,  \"x  y\"  from t"), "select 'a   b' , \"x  y\" from t");
  // Keywords, quotes and markers inside names stay where they are, as written.
  EXPECT_EQ(beautified("select \"order by\", [a'b], `union all`, [~::~] from t where \"a\"\"b\" = 1"),
            "SELECT \"order by\",\n         [a'b],\n         `union all`,\n         [~::~]\nFROM t\nWHERE \"a\"\"b\" = 1");
  EXPECT_EQ(beautified("select x'0A', X'ff' from t"), "SELECT x'0A',\n         X'ff'\nFROM t");
}

TEST(Formatter, NoTwoTokensAreRunTogetherAndNoneIsCut) {
  // A SELECT after a word keeps its blank: "tSELECT" would be one name.
  EXPECT_EQ(beautified("insert into t select a from u"), "insert into t SELECT a\nFROM u");
  EXPECT_EQ(beautified("select 1 except select 2"), "SELECT 1 except SELECT 2");
  EXPECT_EQ(beautified("select $a select 1"), "SELECT $a SELECT 1");
  // Only whole words are keywords.
  EXPECT_EQ(beautified("select myselect, selected from t"), "SELECT myselect,\n         selected\nFROM t");
  EXPECT_EQ(beautified("select a from t order by_x"), "SELECT a\nFROM t order by_x");
  // Minify keeps the blank before a bracket where removing it would make the
  // parameter and the bracket one token ("$a(b)").
  EXPECT_EQ(minified("select $a (b)"), "select $a (b)");
  EXPECT_EQ(minified("select f (b)"), "select f(b)");
}

TEST(Formatter, LineCommentsKeepTheirLineEnd) {
  EXPECT_EQ(beautified("SELECT id -- the key\n , title FROM books"),
            "SELECT id -- the key\n,\n         title\nFROM books");
  EXPECT_EQ(minified("select a -- note\nfrom t"), "select a -- note\nfrom t");
  EXPECT_EQ(minified("select a -- note\n  (b)"), "select a -- note\n(b)");
  EXPECT_EQ(beautified("select 1 -- last"), "SELECT 1 -- last");
}

TEST(Formatter, CommentsStayBesideTheirCode) {
  // A comment after code stays on its line; one on a line of its own keeps one.
  EXPECT_EQ(beautified("select id, -- first\n title -- second\n from books -- third\n"
                       " where year > 1900; -- done\nselect 2"),
            "SELECT id, -- first\n"
            "         title -- second\n"
            "FROM books -- third\n"
            "WHERE year > 1900; -- done\n"
            "SELECT 2");
  EXPECT_EQ(beautified("-- header\n/* block */ select a\n  -- own line\n  from t\n"
                       "  /* a block\n     over lines */\n  where a = 1 /* four */ and b = 2"),
            "-- header\n"
            "/* block */\n"
            "SELECT a\n"
            "-- own line\n"
            "FROM t\n"
            "/* a block\n     over lines */\n"
            "WHERE a = 1 /* four */\n"
            "        AND b = 2");
  // Inside a sub-query a comment line takes the sub-query's indentation.
  EXPECT_EQ(beautified("select x from t where a in (select b from u\n-- why\nwhere c = 1)"),
            "SELECT x\nFROM t\nWHERE a IN \n    (SELECT b\n    FROM u\n    -- why\n    WHERE c = 1)");
  EXPECT_EQ(beautified("select a/* glued */from t"), "SELECT a /* glued */\nFROM t");
  EXPECT_EQ(beautified("select a from t\n-- end"), "SELECT a\nFROM t\n-- end");
  EXPECT_EQ(beautified("-- only a comment"), "-- only a comment");
}

TEST(Formatter, BeautifyOfNothingIsNothing) {
  EXPECT_EQ(beautified(""), "");
  EXPECT_EQ(beautified("   \n\t "), "");
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

  auto checked = Formatter::beautify_checked(broken);
  ASSERT_FALSE(checked.has_value());
  EXPECT_EQ(checked.error().domain, Formatter::error_domain);
  EXPECT_EQ(checked.error().code, Formatter::NotUtf8);
  EXPECT_NE(checked.error().message.find("byte offset 8"), std::string::npos) << checked.error().message;
  EXPECT_EQ(Formatter::minify_checked(broken).error().code, Formatter::NotUtf8);
}

TEST(Formatter, ANulByteEndsWhatTheEngineWouldRead) {
  // The engine stops reading at a NUL byte; the formatter lays out nothing past
  // it that the engine would not see, and changes no byte of it.
  const std::string text("select 'a\0b' from t", 19);
  EXPECT_EQ(Formatter::beautify_checked(text).value(), std::string("SELECT 'a\0b' from t", 19));
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
