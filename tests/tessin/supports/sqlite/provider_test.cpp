#include <atomic>
#include <thread>

#include "tessin/contracts/values.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

template <class T>
std::shared_ptr<T> as(const Core::ObjectPtr& object) {
  return std::dynamic_pointer_cast<T>(object);
}

using SQLiteProviderTest = SQLiteTest;

TEST_F(SQLiteProviderTest, AScriptYieldsOneElementPerStatementAndGoesOnAfterAFailure) {
  auto provider = open("script.db");
  auto results = provider->execute_statements(
      "  CREATE TABLE t(a);\n INSERT INTO t VALUES (1);\n SELECT * FROM t;\n INSERT INTO missing VALUES (1);\n"
      " SELECT 2  \n",
      false);
  ASSERT_TRUE(results.has_value()) << results.error().message;
  ASSERT_EQ(results->size(), 5u);
  ASSERT_TRUE(as<ValueUInt64>((*results)[0]));
  EXPECT_EQ(as<ValueUInt64>((*results)[0])->get_itsvalue(), 0u);
  EXPECT_EQ(as<ValueUInt64>((*results)[1])->get_itsvalue(), 1u);
  auto table = as<TableModel>((*results)[2]);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->get_rows().size(), 1u);
  auto error = as<ValueError>((*results)[3]);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->get_code(), 1);
  EXPECT_EQ(error->get_message(), "no such table: missing");
  auto constant = as<TableModel>((*results)[4]);
  ASSERT_TRUE(constant);
  ASSERT_EQ(constant->get_rows().size(), 1u);
  EXPECT_EQ(constant->get_value_at(0, 0)->type().name(), "TolvaneProvidersContractsValueInt64");
  EXPECT_EQ(constant->get_value_at(0, 0)->to_string(), "2");

  // Each statement is logged on its own, not with the rest of the script.
  std::vector<std::string> prepared;
  for (const auto& line : m_log.lines()) {
    if (line.level == G_LOG_LEVEL_WARNING && line.message.find(": Prepare: ") != std::string::npos) {
      prepared.push_back(line.message);
    }
  }
  ASSERT_EQ(prepared.size(), 5u);
  EXPECT_EQ(prepared[0].rfind("provider:", 0), 0u) << prepared[0];
  EXPECT_TRUE(prepared[0].ends_with(": Prepare: CREATE TABLE t(a);")) << prepared[0];
  EXPECT_TRUE(prepared[4].ends_with(": Prepare: SELECT 2")) << prepared[4];
}

TEST_F(SQLiteProviderTest, ScriptsOfNothingOrEndingInAComment) {
  auto provider = open("comment.db");
  auto blank = provider->execute_statements(" \n\t ", false);
  ASSERT_TRUE(blank.has_value());
  EXPECT_TRUE(blank->empty());

  auto commented = provider->execute_statements("SELECT 1; -- done", false);
  ASSERT_TRUE(commented.has_value());
  ASSERT_EQ(commented->size(), 2u);
  EXPECT_TRUE(as<TableModel>((*commented)[0]));
  auto error = as<ValueError>((*commented)[1]);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->get_code(), 0) << "the comment produced no statement";

  // A syntax error in the middle is data; the statements after it still run.
  auto broken = provider->execute_statements("SELECT 1; SELEC 2; SELECT 3", false);
  ASSERT_TRUE(broken.has_value());
  ASSERT_EQ(broken->size(), 3u);
  auto syntax = as<ValueError>((*broken)[1]);
  ASSERT_TRUE(syntax);
  EXPECT_EQ(syntax->get_code(), 1);
  auto last = as<TableModel>(broken->back());
  ASSERT_TRUE(last);
  EXPECT_EQ(last->get_value_at(0, 0)->to_string(), "3");

  // The rest of a statement that does not parse is skipped as a whole, never
  // run as a statement of its own.
  auto typo = provider->execute_statements(
      "CREATE TABLE t(x); INSERT INTO t VALUES (1); EXPLAN DELETE FROM t; SELECT count(*) FROM t;"
      "CREAT TRIGGER d AFTER INSERT ON t BEGIN DELETE FROM t; END; SELECT 'a;b' /* ; */ -- ;\n;",
      false);
  ASSERT_TRUE(typo.has_value());
  ASSERT_EQ(typo->size(), 7u);
  EXPECT_TRUE(as<ValueError>((*typo)[2]));
  EXPECT_EQ(as<TableModel>((*typo)[3])->get_value_at(0, 0)->to_string(), "1");
  EXPECT_TRUE(as<ValueError>((*typo)[4]));
  EXPECT_TRUE(as<ValueError>((*typo)[5]));
  EXPECT_EQ(as<TableModel>((*typo)[6])->get_value_at(0, 0)->to_string(), "a;b");
}

TEST_F(SQLiteProviderTest, ValuesFollowTheStorageClassOfEachCell) {
  auto provider = open("types.db");
  auto setup = provider->execute_statements(
      "CREATE TABLE v(a INTEGER, b); INSERT INTO v VALUES (5, x''); INSERT INTO v VALUES ('x', NULL);"
      "INSERT INTO v VALUES (2.5, CAST(x'610062' AS TEXT));",
      false);
  ASSERT_TRUE(setup.has_value());
  auto model = provider->execute_model("SELECT a, b FROM v ORDER BY rowid", false);
  ASSERT_TRUE(model.has_value()) << model.error().message;
  const auto& columns = (*model)->get_columns();
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0]->get_name(), "a");
  EXPECT_EQ(columns[0]->get_data_type(), DataType::Int64) << "the first row's value decides";
  EXPECT_EQ(columns[1]->get_data_type(), DataType::Blob);
  EXPECT_EQ(columns[1]->get_data_size(), 0u);
  ASSERT_EQ((*model)->get_rows().size(), 3u);

  auto first = (*model)->get_value_at(0, 0);
  EXPECT_EQ(first->type().name(), "TolvaneProvidersContractsValueInt64");
  EXPECT_EQ(first->to_string(), "5");
  auto text = (*model)->get_value_at(0, 1);
  EXPECT_EQ(text->type().name(), "TolvaneProvidersContractsValueString");
  EXPECT_EQ(text->to_string(), "x");
  auto real = (*model)->get_value_at(0, 2);
  EXPECT_EQ(real->type().name(), "TolvaneProvidersContractsValueDouble");
  EXPECT_EQ(real->to_string(), "2.500000");

  auto empty_blob = std::dynamic_pointer_cast<ValueBlob>((*model)->get_value_at(1, 0));
  ASSERT_TRUE(empty_blob);
  EXPECT_EQ(empty_blob->size(), 0u);
  EXPECT_TRUE((*model)->get_value_at(1, 1)->get_is_null());
  auto with_zero = std::dynamic_pointer_cast<ValueString>((*model)->get_value_at(1, 2));
  ASSERT_TRUE(with_zero);
  EXPECT_EQ(with_zero->get_itsvalue(), std::string("a\0b", 3)) << "text holding a zero byte is kept whole";
}

TEST_F(SQLiteProviderTest, ModelsNeedResultColumns) {
  auto provider = open("model.db");
  ASSERT_TRUE(provider->execute_statements("CREATE TABLE t(a, b); INSERT INTO t VALUES (1, 2);", false));
  auto none = provider->execute_model("SELECT * FROM t WHERE 0", false);
  ASSERT_TRUE(none.has_value());
  EXPECT_EQ((*none)->get_columns().size(), 2u);
  EXPECT_EQ((*none)->get_columns()[0]->get_data_type(), DataType::DbNull);
  EXPECT_TRUE((*none)->get_rows().empty());

  auto deleted = provider->execute_model("DELETE FROM t", false);
  ASSERT_FALSE(deleted.has_value());
  EXPECT_EQ(deleted.error(), (Core::Error{"SQLite", -1, "No data returned."}));

  auto blank = provider->execute_model("  -- nothing", false);
  ASSERT_FALSE(blank.has_value());
  EXPECT_EQ(blank.error().code, -1);
}

TEST_F(SQLiteProviderTest, CountsAndScalars) {
  auto provider = open("counts.db");
  ASSERT_TRUE(provider->execute_statements("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3), (4);", false));
  EXPECT_EQ(*provider->execute_affect("SELECT x FROM t WHERE x <= 2", false), 2);
  EXPECT_EQ(*provider->execute_affect("UPDATE t SET x = x + 10 WHERE x > 2", false), 2);

  auto updated = provider->execute_scalar("UPDATE t SET x = x WHERE x > 10", false);
  ASSERT_TRUE(updated.has_value());
  auto count = std::dynamic_pointer_cast<ValueUInt64>(*updated);
  ASSERT_TRUE(count);
  EXPECT_EQ(count->get_itsvalue(), 2u);

  auto nothing = provider->execute_scalar("SELECT x FROM t WHERE x = 99", false);
  ASSERT_TRUE(nothing.has_value());
  auto last_write = std::dynamic_pointer_cast<ValueUInt64>(*nothing);
  ASSERT_TRUE(last_write) << "no row: the change count of the last write";
  EXPECT_EQ(last_write->get_itsvalue(), 2u);

  auto first = provider->execute_scalar("SELECT x, 'ignored' FROM t ORDER BY x", false);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ((*first)->to_string(), "1");
}

TEST_F(SQLiteProviderTest, FailuresAreReportedAndTheProviderStaysUsable) {
  auto provider = open("faults.db");
  ASSERT_TRUE(provider->execute_statements("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3), (4);", false));

  auto syntax = provider->execute_model("SELEC 1", false);
  ASSERT_FALSE(syntax.has_value());
  EXPECT_EQ(syntax.error().domain, "SQLite");
  EXPECT_EQ(syntax.error().code, 1);
  EXPECT_NE(syntax.error().message.find("syntax error"), std::string::npos) << syntax.error().message;

  // abs() of the smallest integer overflows: the statement fails on its third row.
  const char* third_row_fails = "SELECT CASE WHEN x = 3 THEN abs(-9223372036854775807 - 1) ELSE x END FROM t";
  auto affected = provider->execute_affect(third_row_fails, false);
  ASSERT_FALSE(affected.has_value());
  EXPECT_EQ(affected.error(), (Core::Error{"SQLite", 1, "integer overflow"}));
  auto model = provider->execute_model(third_row_fails, false);
  ASSERT_FALSE(model.has_value()) << "a failure while filling drops the partial model";
  EXPECT_EQ(model.error().message, "integer overflow");
  auto script = provider->execute_statements(std::string("SELECT 1; ") + third_row_fails, false);
  ASSERT_FALSE(script.has_value()) << "a failure while reading rows aborts the script";

  // Nothing was left prepared: the table can still be dropped, which fails
  // while any statement on it is pending.
  EXPECT_EQ(*provider->execute_affect("SELECT count(*) FROM t", false), 1);
  ASSERT_TRUE(provider->execute_affect("DROP TABLE t", false).has_value());
  EXPECT_TRUE(provider->get_is_opened());
}

TEST_F(SQLiteProviderTest, ReadersOwnTheirStatement) {
  auto provider = open("reader.db");
  ASSERT_TRUE(provider->execute_statements("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2);", false));

  auto empty = provider->execute_reader("SELECT x FROM t WHERE x > 5");
  ASSERT_FALSE(empty.has_value());
  EXPECT_EQ(empty.error(), (Core::Error{"SQLite", -1, "No data return by non-select statement"}));

  auto reader = provider->execute_reader("SELECT x FROM t ORDER BY x");
  ASSERT_TRUE(reader.has_value()) << reader.error().message;
  EXPECT_EQ(*(*reader)->get_int64(0), 1);
  // The reader keeps the database alive after the provider let go of it.
  provider->close();
  EXPECT_FALSE(provider->get_is_opened());
  EXPECT_EQ(*(*reader)->read(), true);
  EXPECT_EQ(*(*reader)->get_int64(0), 2);
  EXPECT_EQ(*(*reader)->read(), false);
  EXPECT_TRUE((*reader)->get_is_closed());
  EXPECT_EQ(*(*reader)->read(), false) << "a finished reader does not start over";
}

TEST_F(SQLiteProviderTest, TransactionsOpenOnceAndEndOnce) {
  auto provider = open("tx.db");
  ASSERT_TRUE(provider->execute_affect("CREATE TABLE t(x)", false).has_value());
  EXPECT_TRUE(provider->commit().has_value()) << "nothing to commit is no error";
  EXPECT_EQ(*provider->transaction(), true);
  EXPECT_EQ(*provider->transaction(), true);
  ASSERT_TRUE(provider->execute_affect("INSERT INTO t VALUES (1)", false).has_value());
  ASSERT_TRUE(provider->rollback().has_value());
  EXPECT_EQ((*provider->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "0");
  EXPECT_TRUE(provider->rollback().has_value());

  ASSERT_TRUE(*provider->transaction());
  ASSERT_TRUE(provider->execute_affect("INSERT INTO t VALUES (1)", false).has_value());
  ASSERT_TRUE(provider->commit().has_value());
  EXPECT_EQ((*provider->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "1");
}

TEST_F(SQLiteProviderTest, OpeningBadPathsFailsWithTheEngineCode) {
  auto provider = SQLiteProvider::create();
  auto missing = provider->open(profile(m_dir.file("no/such/folder/x.db")), "");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().domain, "SQLite");
  EXPECT_EQ(missing.error().code, 14);
  EXPECT_FALSE(provider->get_is_opened());

  Tolvane::Testing::write_text(m_dir.file("text.db"), std::string(4096, 'x'));
  auto not_a_database = provider->open(profile(m_dir.file("text.db")), "");
  ASSERT_FALSE(not_a_database.has_value());
  EXPECT_EQ(not_a_database.error(), (Core::Error{"SQLite", 26, "file is not a database"}));
  EXPECT_FALSE(provider->get_is_opened());
  EXPECT_EQ(Tolvane::Testing::read_text(m_dir.file("text.db")), std::string(4096, 'x')) << "left untouched";

  ASSERT_TRUE(provider->open(profile(m_dir.file("good.db")), "").has_value());
  EXPECT_TRUE(provider->get_is_opened());
  EXPECT_EQ((*provider->execute_scalar("SELECT 40 + 2", false))->to_string(), "42");
}

TEST_F(SQLiteProviderTest, ClosedProvidersAndMissingArgumentsAreRejected) {
  auto provider = SQLiteProvider::create();
  auto model = provider->execute_model("SELECT 1", false);
  ASSERT_FALSE(model.has_value());
  EXPECT_EQ(model.error(), (Core::Error{"SQLite", -1, "No database is open."}));
  EXPECT_FALSE(provider->execute_statements("SELECT 1", false).has_value());
  EXPECT_FALSE(provider->transaction().has_value());
  EXPECT_TRUE(provider->commit().has_value());

  EXPECT_TRUE(provider->open(nullptr, "").has_value());
  EXPECT_TRUE(m_log.has_critical("server != NULL"));
  EXPECT_FALSE(provider->get_is_opened());
  EXPECT_EQ(provider->get_engine(), nullptr);
}

TEST_F(SQLiteProviderTest, OneHandleServesSeveralThreadsAtOnce) {
  auto provider = open("threads.db");
  ASSERT_TRUE(provider->execute_statements(
      "CREATE TABLE t(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
      "INSERT INTO t SELECT i FROM n;",
      false));
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&provider, &failures] {
      for (int i = 0; i < 50; ++i) {
        auto model = provider->execute_model("SELECT x, x * 2 FROM t", true);
        if (!model || (*model)->get_rows().size() != 200) {
          ++failures;
        }
        auto written = provider->execute_affect("INSERT INTO t SELECT -1 WHERE 0", true);
        if (!written) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failures.load(), 0);
}

TEST_F(SQLiteProviderTest, TheEngineIsBuiltWithTheFeaturesTheSystemUses) {
  auto provider = open("features.db");
  for (const char* option : {"THREADSAFE=1", "ENABLE_FTS5", "ENABLE_RTREE", "ENABLE_MATH_FUNCTIONS",
                             "ENABLE_COLUMN_METADATA", "ENABLE_DBSTAT_VTAB"}) {
    auto used = provider->execute_scalar(std::string("SELECT sqlite_compileoption_used('") + option + "')", false);
    ASSERT_TRUE(used.has_value());
    EXPECT_EQ((*used)->to_string(), "1") << option;
  }
  EXPECT_EQ((*provider->execute_scalar("SELECT sqrt(16)", false))->to_string(), "4.000000");
  EXPECT_EQ((*provider->execute_scalar("PRAGMA foreign_keys", false))->to_string(), "0");
  auto literal = provider->execute_scalar("SELECT \"not a column\"", false);
  ASSERT_TRUE(literal.has_value()) << "double-quoted string literals are accepted";
  EXPECT_EQ((*literal)->to_string(), "not a column");
  EXPECT_TRUE(provider->execute_statements(
      "CREATE VIRTUAL TABLE f USING fts5(body); CREATE VIRTUAL TABLE r USING rtree(id, x0, x1);", false));
  EXPECT_TRUE(provider->execute_model("SELECT name FROM dbstat LIMIT 1", false).has_value());
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
