#include <gtest/gtest.h>

#include "tessin/supports/sqlite/sql_text.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using SqlText::redact;

TEST(SqlSecrets, EveryFormOfKeyStatementLosesItsSecret) {
  const std::pair<const char*, const char*> cases[] = {
      {"PRAGMA key = 's3cret'", "PRAGMA key = '***'"},
      {"pragma KEY='s3cret';", "pragma KEY='***';"},
      {"PRAGMA main.key = \"s3cret\"", "PRAGMA main.key = '***'"},
      {"PRAGMA \"aux\".rekey('s3cret')", "PRAGMA \"aux\".rekey('***')"},
      {"PRAGMA hexkey = '736563726574'", "PRAGMA hexkey = '***'"},
      {"PRAGMA HexReKey=x'00'", "PRAGMA HexReKey='***'"},
      {"PRAGMA textkey = s3cret", "PRAGMA textkey = '***'"},
      {"PRAGMA /* c */ key /* c */ = /* c */ 'it''s'", "PRAGMA /* c */ key /* c */ = /* c */ '***'"},
      {"PRAGMA key = 'a;b'; SELECT 1", "PRAGMA key = '***'; SELECT 1"},
      {"ATTACH 'other.db' AS o KEY 's3cret'", "ATTACH 'other.db' AS o KEY '***'"},
      {"attach database 'o.db' as \"o\" key x'0102' ;", "attach database 'o.db' as \"o\" key '***' ;"},
      {"ATTACH 'file:o.db?cipher=sqlcipher&key=s3cret&legacy=3' AS o",
       "ATTACH 'file:o.db?cipher=sqlcipher&key=***&legacy=3' AS o"},
      {"VACUUM INTO 'file:copy.db?hexkey=00ff'", "VACUUM INTO 'file:copy.db?hexkey=***'"},
      {"SELECT 1; -- then\nPRAGMA rekey = 'new';", "SELECT 1; -- then\nPRAGMA rekey = '***';"},
  };
  for (const auto& [sql, shown] : cases) {
    EXPECT_EQ(redact(sql), shown) << sql;
  }
}

// Forms the engine also takes: EXPLAIN before the statement, a file name in
// any quotes (ATTACH takes a name for a file name), URI parameter names with
// %HH escapes; and a key written in a form the engine refuses is still a key.
TEST(SqlSecrets, KeysInEveryFormTheEngineTakesAreHidden) {
  const std::pair<const char*, const char*> cases[] = {
      {"EXPLAIN PRAGMA key = 's3cret'", "EXPLAIN PRAGMA key = '***'"},
      {"explain query plan ATTACH 'o.db' AS o KEY 's3cret'", "explain query plan ATTACH 'o.db' AS o KEY '***'"},
      {"ATTACH \"file:o.db?key=s3cret\" AS o", "ATTACH \"file:o.db?key=***\" AS o"},
      {"ATTACH [file:o.db?mode=ro&textkey=s3cret] AS o", "ATTACH [file:o.db?mode=ro&textkey=***] AS o"},
      {"VACUUM INTO `file:c.db?k%65y=s3cret`", "VACUUM INTO `file:c.db?k%65y=***`"},
      {"ATTACH 'file:o.db?%68%65%78%6B%65%79=00ff' AS o", "ATTACH 'file:o.db?%68%65%78%6B%65%79=***' AS o"},
      {"PRAGMA key 's3cret'", "PRAGMA key '***'"},
  };
  for (const auto& [sql, shown] : cases) {
    EXPECT_EQ(redact(sql), shown) << sql;
  }
}

TEST(SqlSecrets, TheLogShowsATextUpToItsFirstNulByte) {
  using namespace std::string_literals;
  const std::string after_nul = "SELECT 1;\0PRAGMA key='s3cret';"s;
  const std::string hidden = SqlText::redact(after_nul);
  EXPECT_EQ(hidden, "SELECT 1;") << "the engine reads no further";
  // A NUL inside an unterminated comment once made a second redaction differ
  // from the first.
  const std::string in_comment = "PRAGMA key /*'s3c\xFF\0\x12\0\0AS a KEY 'k'; key(\"abc' AS a \x01\0\0\x06'k'; e';"s;
  const std::string once = SqlText::redact(in_comment);
  EXPECT_EQ(SqlText::redact(once), once);
}

TEST(SqlSecrets, OtherStatementsStayByteForByte) {
  for (const char* sql : {"SELECT key FROM keys WHERE key = 'k'", "PRAGMA keyboard = 1", "PRAGMA cipher = 'aes'",
                          "CREATE TABLE k(key PRIMARY KEY)", "SELECT 'PRAGMA key = 1'", "-- PRAGMA key = 'x'\nSELECT 1",
                          "PRAGMA key", "INSERT INTO t VALUES ('?key=1')", ""}) {
    EXPECT_EQ(redact(sql), sql);
  }
  EXPECT_FALSE(SqlText::may_hold_secret("SELECT 1"));
  EXPECT_TRUE(SqlText::may_hold_secret("pragma KeY"));
  EXPECT_TRUE(SqlText::may_hold_secret("VACUUM INTO 'file:c.db?k%65y=1'"));
}

TEST(SqlText, FirstKeywordSkipsCommentsAndIgnoresCase) {
  EXPECT_EQ(SqlText::first_keyword("  /* a */ -- b\n insert into t"), "INSERT");
  EXPECT_EQ(SqlText::first_keyword("with x as (select 1) delete from t"), "WITH");
  EXPECT_EQ(SqlText::first_keyword("(SELECT 1)"), "");
  EXPECT_EQ(SqlText::first_keyword(""), "");
}

using SQLiteSecretLog = SQLiteTest;

TEST_F(SQLiteSecretLog, ThePrepareLinesOfAScriptCarryNoKey) {
  auto provider = open("log.db");
  ASSERT_TRUE(provider->execute_statements(
      "PRAGMA rekey = 'hunter2'; ATTACH '" + m_dir.file("other.db") + "' AS o KEY 'hunter3'; SELECT 1;", false));
  int prepared = 0;
  for (const auto& line : m_log.lines()) {
    EXPECT_EQ(line.message.find("hunter"), std::string::npos) << line.message;
    prepared += line.message.find("Prepare: ") != std::string::npos;
  }
  EXPECT_EQ(prepared, 3);
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
