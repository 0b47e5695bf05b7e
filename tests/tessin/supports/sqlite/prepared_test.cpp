#include <thread>

#include "tessin/contracts/values.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

class SQLitePrepared : public SQLiteTest {
 protected:
  void SetUp() override {
    m_provider = open("prepared.db");
    ASSERT_TRUE(m_provider->execute_statements(
        "CREATE TABLE t(id INTEGER PRIMARY KEY, v);"
        "CREATE TABLE log(n);"
        "CREATE TRIGGER t_log AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.id); INSERT INTO log VALUES (0); END;",
        false));
  }

  SQLiteReaderPtr run(const std::string& sql, const SQLiteParameters& parameters = {}) {
    auto reader = m_provider->execute_prepared(sql, parameters);
    EXPECT_TRUE(reader.has_value()) << sql << ": " << reader.error().message;
    return reader ? *reader : nullptr;
  }

  SQLiteProviderPtr m_provider;
};

TEST_F(SQLitePrepared, EachStatementTellsItsOwnOutcome) {
  auto insert = run("INSERT INTO t(v) VALUES (1), (2), (3)");
  EXPECT_FALSE(insert->is_query());
  EXPECT_FALSE(insert->is_readonly());
  EXPECT_FALSE(insert->has_row());
  EXPECT_EQ(insert->statement_kind(), "INSERT");
  EXPECT_EQ(insert->changes(), 3) << "the trigger's six rows are not the statement's";
  EXPECT_EQ(*insert->read(), false);

  // Statements that change no rows count 0, not the INSERT's 3.
  for (const char* sql : {"CREATE TABLE u(x)", "DROP TABLE u", "SELECT * FROM t WHERE 0", "UPDATE t SET v = 0 WHERE 0",
                          "PRAGMA user_version = 3", "BEGIN", "COMMIT"}) {
    auto reader = run(sql);
    EXPECT_EQ(reader->changes(), 0) << sql;
  }

  auto update = run("  /* note */ -- line\n update t SET v = v + 1 WHERE id > 1");
  EXPECT_EQ(update->statement_kind(), "UPDATE");
  EXPECT_EQ(update->changes(), 2);

  auto query = run("SELECT id FROM t ORDER BY id");
  EXPECT_TRUE(query->is_query());
  EXPECT_TRUE(query->is_readonly());
  EXPECT_EQ(query->statement_kind(), "SELECT");
  ASSERT_TRUE(query->has_row());
  EXPECT_EQ(query->changes(), -1) << "not finished yet";
  EXPECT_EQ(*query->get_int64(0), 1);
  EXPECT_EQ(*query->read(), true);
  EXPECT_EQ(*query->read(), true);
  EXPECT_EQ(*query->read(), false);
  EXPECT_EQ(query->changes(), 0);

  auto empty = run("SELECT id, v AS value FROM t WHERE 0");
  EXPECT_TRUE(empty->is_query());
  EXPECT_FALSE(empty->has_row());
  EXPECT_EQ(empty->get_field_count(), 2);
  EXPECT_EQ(*empty->get_name(1), "value");
  EXPECT_EQ(*empty->read(), false);

  // A change with rows: its count is known once its rows are read.
  auto returning = run("DELETE FROM t WHERE id < 3 RETURNING id");
  EXPECT_TRUE(returning->is_query());
  EXPECT_EQ(returning->statement_kind(), "DELETE");
  while (*returning->read()) {
  }
  EXPECT_EQ(returning->changes(), 2);
}

TEST_F(SQLitePrepared, ParametersBindByNameOrPosition) {
  const auto values = [](std::initializer_list<std::pair<const char*, ValueObjectPtr>> list) {
    SQLiteParameters parameters;
    for (const auto& [name, value] : list) {
      parameters.push_back({name, value});
    }
    return parameters;
  };
  const std::uint8_t bytes[] = {0, 1, 255};
  auto reader = run("SELECT :a, @b, $c, ?4, typeof(?5), ?6, hex(?7), typeof(?8), ?9",
                    values({{"a", ValueInt64::create(-7)},
                            {"@b", ValueString::create("tëxt")},
                            {"$c", ValueDouble::create(2.5)},
                            {"4", ValueUInt64::create(18446744073709551615ull)},
                            {"", ValueNull::create()},
                            {"?6", ValueBoolean::create(true)},
                            {"", ValueBlob::create(bytes, 3)},
                            {"", ValueBlob::create()},
                            {"", ValueString::create(std::string("a\0b", 3))}}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(*reader->get_int64(0), -7);
  EXPECT_EQ(*reader->get_string(1), "tëxt");
  EXPECT_EQ(*reader->get_double(2), 2.5);
  EXPECT_EQ(*reader->get_string(3), "18446744073709551615") << "no digit lost";
  EXPECT_EQ(*reader->get_string(4), "null");
  EXPECT_EQ(*reader->get_int64(5), 1);
  EXPECT_EQ(*reader->get_string(6), "0001FF");
  EXPECT_EQ(*reader->get_string(7), "blob") << "an empty blob is not NULL";
  EXPECT_EQ(*reader->get_string(8), std::string("a\0b", 3));

  // A name used twice is one parameter.
  auto twice = run("SELECT :x + :x", values({{":x", ValueInt64::create(21)}}));
  EXPECT_EQ(*twice->get_int64(0), 42);
  auto positional = run("INSERT INTO t(id, v) VALUES (?, ?)", {{"", ValueInt64::create(10)}, {"", ValueString::create("ten")}});
  EXPECT_EQ(positional->changes(), 1);
}

TEST_F(SQLitePrepared, MistakesInParametersAreErrorsNotNulls) {
  const std::pair<std::string, SQLiteParameters> cases[] = {
      {"SELECT :id", {}},
      {"SELECT :id", {{"other", ValueInt64::create(1)}}},
      {"SELECT ?", {{"", ValueInt64::create(1)}, {"", ValueInt64::create(2)}}},
      {"SELECT ?1", {{"2", ValueInt64::create(1)}}},
      {"SELECT :id", {{"id", nullptr}}},
  };
  const char* messages[] = {"no value given for parameter :id", "the statement has no parameter other",
                            "the statement has 1 parameters, but more values are given",
                            "the statement has no parameter 2", "no value given for parameter :id"};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    auto reader = m_provider->execute_prepared(cases[i].first, cases[i].second);
    ASSERT_FALSE(reader.has_value()) << i;
    EXPECT_EQ(reader.error(), (Core::Error{"SQLite", -1, messages[i]})) << i;
  }
}

TEST_F(SQLitePrepared, FailuresComeFromTheStatementItself) {
  auto syntax = m_provider->execute_prepared("SELEC 1");
  ASSERT_FALSE(syntax.has_value());
  EXPECT_EQ(syntax.error().code, 1);
  EXPECT_EQ(syntax.error().message, "near \"SELEC\": syntax error");
  auto constraint = m_provider->execute_prepared("INSERT INTO t(id) VALUES (1), (1)");
  ASSERT_FALSE(constraint.has_value());
  EXPECT_EQ(constraint.error().code, 19);
  auto nothing = m_provider->execute_prepared(" -- only a comment");
  ASSERT_FALSE(nothing.has_value());
  EXPECT_EQ(nothing.error().message, "No SQL statement to execute.");
  m_provider->close();
  EXPECT_EQ(m_provider->execute_prepared("SELECT 1").error().message, "No database is open.");
}

TEST_F(SQLitePrepared, AClosedReaderAnswersEverythingSafely) {
  auto reader = run("SELECT 1 AS one, x'00' AS two");
  ASSERT_TRUE(reader->close().has_value());
  EXPECT_TRUE(reader->get_is_closed());
  EXPECT_FALSE(reader->has_row());
  EXPECT_EQ(*reader->get_name(0), "");
  EXPECT_EQ(*reader->read(), false);
  EXPECT_EQ(reader->get_field_count(), 0);
  EXPECT_EQ(*reader->get_int64(0), 0);
  EXPECT_EQ(*reader->get_string(1), "");
  EXPECT_EQ(g_bytes_get_size(reader->get_binary(1)->get()), 0u);
  EXPECT_TRUE(*reader->is_null(0));
  EXPECT_EQ((*reader->get_value(0))->type().name(), "TolvaneProvidersContractsValueNull");
  EXPECT_TRUE(reader->close().has_value()) << "closing twice is harmless";
  // What the statement was stays known.
  EXPECT_EQ(reader->statement_kind(), "SELECT");
  EXPECT_TRUE(reader->is_query());
}

TEST_F(SQLitePrepared, ALongQueryIsInterruptedFromAnotherThread) {
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m_provider->interrupt();
  });
  auto endless = m_provider->execute_prepared(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n");
  stopper.join();
  ASSERT_FALSE(endless.has_value());
  EXPECT_EQ(endless.error(), (Core::Error{"SQLite", 9, "interrupted"}));
  // The provider goes on working.
  EXPECT_EQ(*run("SELECT 5")->get_int64(0), 5);
  SQLiteProvider::create()->interrupt();  // without a handle: nothing
}

TEST_F(SQLitePrepared, RekeySetsChangesAndRemovesTheKey) {
  const std::string file = m_dir.file("prepared.db");
  ASSERT_TRUE(m_provider->rekey("first").has_value());
  EXPECT_FALSE(SQLiteProvider::create()->open(profile(file), "").has_value());
  {
    auto keyed = SQLiteProvider::create();
    ASSERT_TRUE(keyed->open(profile(file, "PASSWORD=first"), "").has_value());
    ASSERT_TRUE(keyed->rekey("sec ond").has_value());
  }
  EXPECT_FALSE(SQLiteProvider::create()->open(profile(file, "PASSWORD=first"), "").has_value());
  auto rekeyed = SQLiteProvider::create();
  ASSERT_TRUE(rekeyed->open(profile(file, SQLiteOpenOptions::key_piece("sec ond")), "").has_value());
  ASSERT_TRUE(rekeyed->rekey("").has_value());
  rekeyed->close();
  EXPECT_TRUE(SQLiteProvider::create()->open(profile(file), "").has_value()) << "no key any more";
  EXPECT_EQ(rekeyed->rekey("x").error().message, "No database is open.");
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
