#include "tessin/contracts/values.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

// What a visitor saw of one statement.
struct Seen {
  std::string text;
  std::size_t offset;
  std::size_t line;
  int code;  // -2 for a reader
  std::int64_t changes;
  bool operator==(const Seen&) const = default;
};

class SQLiteScript : public SQLiteTest {
 protected:
  std::vector<Seen> run(const std::string& script, std::size_t stop_after = 1000) {
    std::vector<Seen> seen;
    auto status = m_provider->execute_script(script, [&](const ScriptStep& step, Core::Result<SQLiteReaderPtr>& outcome) {
      EXPECT_EQ(script.substr(step.offset, step.text.size()), step.text);
      if (outcome) {
        std::int64_t changes = (*outcome)->changes();
        if ((*outcome)->has_row()) {
          changes = 0;
          do {
            ++changes;
          } while (*(*outcome)->read());
        }
        seen.push_back({std::string(step.text), step.offset, step.line, -2, changes});
      } else {
        seen.push_back({std::string(step.text), step.offset, step.line, outcome.error().code, 0});
      }
      return seen.size() < stop_after;
    });
    EXPECT_TRUE(status.has_value()) << status.error().message;
    return seen;
  }

  SQLiteProviderPtr m_provider = open("script.db");
};

TEST_F(SQLiteScript, EachStatementArrivesWithItsPlaceAndOutcome) {
  const std::string script =
      "-- a script\n"
      "CREATE TABLE t(x);\n"
      "INSERT INTO t VALUES (1), (2);  /* two */ INSERT INTO nowhere VALUES (1);\n"
      "\n"
      "CREATE TRIGGER tr AFTER DELETE ON t BEGIN\n  SELECT 1;\nEND;\n"
      "SELECT x FROM t;\n"
      "DROP TABLE t; -- trailing\n";
  EXPECT_EQ(run(script), (std::vector<Seen>{
                             {"CREATE TABLE t(x);", 12, 2, -2, 0},
                             {"INSERT INTO t VALUES (1), (2);", 31, 3, -2, 2},
                             {"INSERT INTO nowhere VALUES (1);", 73, 3, 1, 0},
                             {"CREATE TRIGGER tr AFTER DELETE ON t BEGIN\n  SELECT 1;\nEND;", 106, 5, -2, 0},
                             {"SELECT x FROM t;", 165, 8, -2, 2},
                             {"DROP TABLE t;", 182, 9, -2, 0},
                         }));
}

TEST_F(SQLiteScript, ABrokenStatementIsSkippedWholeAndTheVisitorCanStop) {
  ASSERT_TRUE(m_provider->execute_affect("CREATE TABLE t(x)", false).has_value());
  auto seen = run("INSERT INTO t VALUES (1); EXPLAN DELETE FROM t; INSERT INTO t VALUES (2);");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].text, "EXPLAN DELETE FROM t;");
  EXPECT_EQ(seen[1].code, 1);
  EXPECT_EQ((*m_provider->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "2");

  seen = run("INSERT INTO t VALUES (3); SELECT nope; INSERT INTO t VALUES (4);", 2);
  ASSERT_EQ(seen.size(), 2u) << "the visitor stopped after the failure";
  EXPECT_EQ((*m_provider->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "3");
}

TEST_F(SQLiteScript, ANulByteStopsTheScriptBeforeItRuns) {
  const std::string script("CREATE TABLE a(x);\nSELECT 1;\0DROP TABLE a;", 42);
  bool visited = false;
  auto status = m_provider->execute_script(script, [&](const ScriptStep&, Core::Result<SQLiteReaderPtr>&) {
    visited = true;
    return true;
  });
  ASSERT_FALSE(status.has_value());
  EXPECT_EQ(status.error(), (Core::Error{"SQLite", -1, "the script contains a NUL byte at offset 28"}));
  EXPECT_FALSE(visited);
  auto old_form = m_provider->execute_statements(script, false);
  ASSERT_FALSE(old_form.has_value());
  EXPECT_EQ(old_form.error().message, "the script contains a NUL byte at offset 28");
}

TEST_F(SQLiteScript, NothingButCommentsIsNoStatement) {
  EXPECT_TRUE(run("  -- nothing\n/* at all */  ").empty());
  EXPECT_TRUE(run("").empty());
  m_provider->close();
  auto closed = m_provider->execute_script("SELECT 1", [](const ScriptStep&, Core::Result<SQLiteReaderPtr>&) { return true; });
  ASSERT_FALSE(closed.has_value());
  EXPECT_EQ(closed.error().message, "No database is open.");
}

TEST_F(SQLiteScript, StatementsAfterAChangeCountOnlyTheirOwnRows) {
  auto results = m_provider->execute_statements(
      "CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3); CREATE TABLE u(y); SELECT * FROM t WHERE 0;", false);
  ASSERT_TRUE(results.has_value());
  ASSERT_EQ(results->size(), 4u);
  const char* counts[] = {"0", "3", "0", "0"};
  for (std::size_t i = 0; i < 4; ++i) {
    auto count = std::dynamic_pointer_cast<ValueUInt64>((*results)[i]);
    ASSERT_TRUE(count) << i;
    EXPECT_EQ(count->to_string(), counts[i]) << i;
  }
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
