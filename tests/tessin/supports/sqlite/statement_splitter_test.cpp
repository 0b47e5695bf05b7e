#include "tessin/supports/sqlite/statement_splitter.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace Tolvane::Providers::Supports {
namespace {

std::vector<std::string> texts_of(std::string_view script) {
  std::vector<std::string> texts;
  for (const auto& span : split_statements(script)) {
    texts.emplace_back(span.text(script));
  }
  return texts;
}

std::vector<std::string> kinds_and_texts(std::string_view sql) {
  static const char* const names[] = {"space", "line", "block", "word", "name", "string", "number",
                                      "blob",  "var",  "punct", "semi", "illegal"};
  std::vector<std::string> out;
  for (const auto& token : tokenize_sql(sql, true)) {
    out.push_back(std::string(names[static_cast<int>(token.kind)]) + ":" + std::string(token.text(sql)));
  }
  return out;
}

TEST(SqlLexer, TellsLiteralsNamesAndCommentsFromCode) {
  using V = std::vector<std::string>;
  EXPECT_EQ(kinds_and_texts("SELECT 'a''b' AS \"x\"\"y\" FROM [t 1]"),
            (V{"word:SELECT", "space: ", "string:'a''b'", "space: ", "word:AS", "space: ", "name:\"x\"\"y\"",
               "space: ", "word:FROM", "space: ", "name:[t 1]"}));
  EXPECT_EQ(kinds_and_texts("a--c;\nb/* ; */`q`"),
            (V{"word:a", "line:--c;", "space:\n", "word:b", "block:/* ; */", "name:`q`"}));
  EXPECT_EQ(kinds_and_texts("1.5e3 .5 0x1F 1_000 12abc x'0a' X'1' ?1 :n @m $a::b(c)"),
            (V{"number:1.5e3", "space: ", "number:.5", "space: ", "number:0x1F", "space: ", "number:1_000",
               "space: ", "illegal:12abc", "space: ", "blob:x'0a'", "space: ", "illegal:X'1'", "space: ",
               "var:?1", "space: ", "var::n", "space: ", "var:@m", "space: ", "var:$a::b(c)"}));
  EXPECT_EQ(kinds_and_texts("a->>'$.x'||b<>c!=d==e<=f>>g"),
            (V{"word:a", "punct:->>", "string:'$.x'", "punct:||", "word:b", "punct:<>", "word:c", "punct:!=",
               "word:d", "punct:==", "word:e", "punct:<=", "word:f", "punct:>>", "word:g"}));
  // Unterminated pieces run to the end as one token; UTF-8 names are one word.
  EXPECT_EQ(kinds_and_texts("'open"), (V{"illegal:'open"}));
  EXPECT_EQ(kinds_and_texts("/* open"), (V{"block:/* open"}));
  EXPECT_EQ(kinds_and_texts("sınıf_ü"), (V{"word:sınıf_ü"}));
  EXPECT_EQ(kinds_and_texts("a \v\vb\v"), (V{"word:a", "space: \v\v", "word:b", "illegal:\v"}));
}

TEST(SqlLexer, TokensCoverEveryByteOnce) {
  const std::string sql = "SELECT\t'x', \"y\" -- c\n/* d */ FROM t WHERE a >= 1.0e-2;\x01 [oops";
  std::string rebuilt;
  for (const auto& token : tokenize_sql(sql, true)) {
    rebuilt += token.text(sql);
  }
  EXPECT_EQ(rebuilt, sql);
}

TEST(SqlLexer, UnquotesNamesAndKnowsWhatNeedsQuotes) {
  EXPECT_EQ(unquote_sql("\"a\"\"b\""), "a\"b");
  EXPECT_EQ(unquote_sql("`a``b`"), "a`b");
  EXPECT_EQ(unquote_sql("[x y]"), "x y");
  EXPECT_EQ(unquote_sql("'O''Brien'"), "O'Brien");
  EXPECT_EQ(unquote_sql("plain"), "plain");
  EXPECT_TRUE(is_sql_keyword("order"));
  EXPECT_TRUE(is_sql_keyword("SELECT"));
  EXPECT_FALSE(is_sql_keyword("books"));
  EXPECT_FALSE(needs_sql_quotes("customer_id"));
  EXPECT_TRUE(needs_sql_quotes("order"));
  EXPECT_TRUE(needs_sql_quotes("my col"));
  EXPECT_TRUE(needs_sql_quotes("1st"));
  EXPECT_TRUE(needs_sql_quotes(""));
}

TEST(StatementSplitter, CutsAtSemicolonsOutsideLiteralsCommentsAndTriggerBodies) {
  const std::string script =
      "-- header\n"
      "CREATE TABLE t(a TEXT DEFAULT 'x;y');\n"
      "\n"
      "CREATE TRIGGER tr AFTER INSERT ON t BEGIN\n"
      "  UPDATE t SET a = 'b;' WHERE rowid = new.rowid;\n"
      "  SELECT CASE WHEN 1 THEN 2 END;\n"
      "END;\n"
      ";;  /* nothing */ ;\n"
      "SELECT \"a;b\", [c;d] FROM t /* ; */\n"
      "  WHERE a = ';'";
  const auto spans = split_statements(script);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].text(script), "CREATE TABLE t(a TEXT DEFAULT 'x;y');");
  EXPECT_EQ(spans[0].line, 2u);
  EXPECT_EQ(spans[1].text(script).substr(0, 14), "CREATE TRIGGER");
  EXPECT_EQ(spans[1].text(script).substr(spans[1].length - 4), "END;");
  EXPECT_EQ(spans[1].line, 4u);
  EXPECT_EQ(spans[2].text(script), "SELECT \"a;b\", [c;d] FROM t /* ; */\n  WHERE a = ';'");
  EXPECT_EQ(spans[2].line, 9u);
}

TEST(StatementSplitter, KeepsAnUnfinishedStatementWholeForTheEngineToReport) {
  EXPECT_EQ(texts_of("SELECT 1; SELECT 'open; SELECT 3;"),
            (std::vector<std::string>{"SELECT 1;", "SELECT 'open; SELECT 3;"}));
  EXPECT_EQ(texts_of("CREATE TEMP TRIGGER x BEGIN SELECT 1; SELECT 2;"),
            (std::vector<std::string>{"CREATE TEMP TRIGGER x BEGIN SELECT 1; SELECT 2;"}));
  EXPECT_TRUE(texts_of("  \n-- only a comment\n/* and this */ ;").empty());
  // EXPLAIN and a table named "trigger" do not open a trigger body.
  EXPECT_EQ(texts_of("EXPLAIN SELECT 1; CREATE TABLE \"trigger\"(a); SELECT 2"),
            (std::vector<std::string>{"EXPLAIN SELECT 1;", "CREATE TABLE \"trigger\"(a);", "SELECT 2"}));
}

TEST(StatementSplitter, AgreesWithTheEngineOnCompleteness) {
  const std::vector<std::string> pieces = {
      "SELECT", " ", "1", ";", "'a;b'", "\"c;\"", "[d;]", "`e;`", "-- x;\n", "/* ; */", "\n", "CREATE", "TEMP",
      "TRIGGER", "tr", "BEGIN", "END", "EXPLAIN", "case", "end", "x'00'", "(", ")", "'", "/*", "--", "[",
      "temporary", "trigger", "\v", "\t\v"};
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(1, 12);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = length(random);
    for (int i = 0; i < count; ++i) {
      text += pieces[pick(random)];
      if (random() % 2 == 0) {
        text += ' ';
      }
    }
    ASSERT_EQ(is_complete_statement(text), engine_says_complete(text)) << "text: " << text;
    // Each statement the splitter cuts (but an unfinished last one) is complete
    // by the engine's rule, and nothing but white space and comments is lost.
    const auto spans = split_statements(text);
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const std::string piece(spans[i].text(text));
      if (i + 1 < spans.size()) {
        ASSERT_TRUE(engine_says_complete(piece)) << "text: " << text << "\npiece: " << piece;
      }
    }
  }
}

// sqlite3_complete does not read text the way the tokenizer does: it sees a
// ';' or an open bracket inside the parentheses of a "$v(...)" parameter and
// the word CREATE inside ":a::create" or "1.create". Completeness follows the
// engine's function; the splitter follows the tokens the engine runs.
TEST(StatementSplitter, AnswersCompletenessAsTheEngineAndCutsBetweenTheTokenizersTokens) {
  for (const std::string& text : std::vector<std::string>{
           "SELECT $a(;[x);", "SELECT $a(;x);", "EXPLAIN 1.create TRIGGER x; y;", "EXPLAIN :a::create TRIGGER x;",
           "EXPLAIN @t::create TEMP TRIGGER x BEGIN; END;", std::string("SELECT 1;\0 'open", 17)}) {
    EXPECT_EQ(is_complete_statement(text), engine_says_complete(text)) << text;
  }
  const std::vector<std::string> pieces = {"$v(", ":a::", "1.", "@", "create", "temp", "trigger", "explain", "end",
                                           ";", "'", "[", "]", ")", "x", " ", "/*", "*/", "--", "\n"};
  std::mt19937 random(20261209);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int i = 0; i < 10; ++i) {
      text += pieces[pick(random)];
    }
    ASSERT_EQ(is_complete_statement(text), engine_says_complete(text)) << "text: " << text;
  }
  EXPECT_EQ(texts_of("SELECT $a(;x); SELECT 2"), (std::vector<std::string>{"SELECT $a(;x);", "SELECT 2"}));
}

TEST(StatementSplitter, CountsLinesThroughALongScript) {
  std::string script;
  for (int i = 0; i < 100000; ++i) {
    script += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'x;y');\n";
  }
  StatementSplitter splitter(script);
  StatementSpan span;
  std::size_t count = 0;
  while (splitter.next(span)) {
    ++count;
    ASSERT_EQ(span.line, count);
  }
  EXPECT_EQ(count, 100000u);
}

}  // namespace
}  // namespace Tolvane::Providers::Supports
