#include <atomic>
#include <optional>
#include <thread>

#include "tessin/contracts/values.hpp"
#include "tessin/core/main_context.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"
#include "tests/orvel/supports/database/fake_provider.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using Contracts::Database::DBStatus;
using Contracts::Database::IConnection;
using Providers::Contracts::TableModel;
using Providers::Contracts::TableModelPtr;
using Providers::Contracts::ValueError;
using Providers::Contracts::ValueObjectPtr;

// Generous bound for a completion to arrive; the tests never measure time.
constexpr unsigned kWait = 20000;

// Where a completion lands, and on which thread it ran.
template <class R>
struct Landing {
  std::optional<R> outcome;
  std::thread::id thread;

  std::function<void(R)> callback() {
    return [this](R result) {
      EXPECT_FALSE(outcome.has_value()) << "completed twice";
      thread = std::this_thread::get_id();
      outcome = std::move(result);
    };
  }
  // Runs the default main context until the completion came.
  R& wait() {
    EXPECT_TRUE(Host::run_until([this] { return outcome.has_value(); }, kWait));
    return *outcome;
  }
};

using StatusLanding = Landing<Core::Status>;
template <class T>
using ResultLanding = Landing<Core::Result<T>>;

class AsyncConnectionTest : public ConnectionTest {
 protected:
  const std::thread::id m_main = std::this_thread::get_id();
};

TEST_F(AsyncConnectionTest, EveryOperationSucceeds) {
  auto connection = SQLiteConnection::create();
  int opened = 0;
  connection->signal_opened().connect([&](IConnection&) { ++opened; });

  StatusLanding open;
  connection->open_async(profile("async.db"), nullptr, open.callback());
  ASSERT_TRUE(open.wait().has_value()) << open.outcome->error().message;
  EXPECT_EQ(open.thread, m_main);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  EXPECT_FALSE(connection->get_version().empty());
  ASSERT_TRUE(connection->execute_no_query("CREATE TABLE t(a, b)", false));

  ResultLanding<std::int64_t> inserted;
  connection->execute_no_query_async("INSERT INTO t VALUES (1, 'x'), (2, 'y')", inserted.callback());
  ASSERT_TRUE(inserted.wait().has_value());
  EXPECT_EQ(**inserted.outcome, 2);
  EXPECT_EQ(inserted.thread, m_main);

  ResultLanding<TableModelPtr> model;
  connection->execute_as_model_async("SELECT a, b FROM t ORDER BY a", model.callback());
  ASSERT_TRUE(model.wait().has_value());
  ASSERT_EQ((**model.outcome)->get_rows().size(), 2u);
  EXPECT_EQ((**model.outcome)->get_value_at(1, 1)->to_string(), "y");

  ResultLanding<ValueObjectPtr> scalar;
  connection->execute_as_scalar_async("SELECT max(a) FROM t", scalar.callback());
  ASSERT_TRUE(scalar.wait().has_value());
  EXPECT_EQ((**scalar.outcome)->to_string(), "2");

  ResultLanding<IConnection::Results> script;
  connection->execute_async("DELETE FROM t WHERE a = 1; SELECT * FROM t; SELECT * FROM nowhere;", script.callback());
  ASSERT_TRUE(script.wait().has_value());
  const auto& results = **script.outcome;
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(std::dynamic_pointer_cast<Providers::Contracts::ValueUInt64>(results[0])->get_itsvalue(), 1u);
  EXPECT_EQ(std::dynamic_pointer_cast<TableModel>(results[1])->get_rows().size(), 1u);
  EXPECT_EQ(std::dynamic_pointer_cast<Providers::Contracts::ValueError>(results[2])->get_code(), 1);

  connection->close();
  StatusLanding reopened;
  connection->reopen_async(reopened.callback());
  ASSERT_TRUE(reopened.wait().has_value());
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);

  const std::string log = main_log();
  for (const char* line : {"SQL: INSERT INTO t VALUES (1, 'x'), (2, 'y')", "affected rows: 2",
                           "SQL: SELECT max(a) FROM t", "affected rows: 1", "affected rows: true"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
}

TEST_F(AsyncConnectionTest, FailuresComeInTheDefaultDomainWithTheProvidersCodeAndMessage) {
  auto connection = SQLiteConnection::create();
  int opened = 0;
  connection->signal_opened().connect([&](IConnection&) { ++opened; });

  StatusLanding missing;
  connection->open_async(profile("no/such/folder/x.db"), nullptr, missing.callback());
  ASSERT_FALSE(missing.wait().has_value());
  EXPECT_EQ(missing.outcome->error(), (Core::Error{"default", 14, "unable to open database file"}));
  EXPECT_EQ(connection->get_status(), DBStatus::Failed);
  EXPECT_EQ(opened, 0);

  StatusLanding open;
  connection->open_async(profile("good.db"), nullptr, open.callback());
  ASSERT_TRUE(open.wait().has_value());

  const Core::Error no_table{"default", 1, "no such table: missing"};
  ResultLanding<std::int64_t> count;
  connection->execute_no_query_async("UPDATE missing SET a = 1", count.callback());
  ASSERT_FALSE(count.wait().has_value());
  EXPECT_EQ(count.outcome->error(), no_table);
  ResultLanding<TableModelPtr> model;
  connection->execute_as_model_async("SELECT * FROM missing", model.callback());
  ASSERT_FALSE(model.wait().has_value());
  EXPECT_EQ(model.outcome->error(), no_table);
  ResultLanding<ValueObjectPtr> scalar;
  connection->execute_as_scalar_async("SELECT a FROM missing", scalar.callback());
  ASSERT_FALSE(scalar.wait().has_value());
  EXPECT_EQ(scalar.outcome->error(), no_table);
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);

  connection->close();
  ResultLanding<IConnection::Results> script;
  connection->execute_async("SELECT 1;", script.callback());
  ASSERT_FALSE(script.wait().has_value());
  EXPECT_EQ(script.outcome->error(), (Core::Error{"default", -1, "No database is open."}));

  const std::string log = main_log();
  EXPECT_NE(log.find("Failed to open connection: 14 -> unable to open database file"), std::string::npos);
  EXPECT_NE(log.find("failed: 1 -> no such table: missing"), std::string::npos);
  EXPECT_NE(log.find("failed: -1 -> No database is open."), std::string::npos);
}

// A provider error of code 0 with a message counts as a failure only for a
// script; the other operations complete with an empty result.
TEST_F(AsyncConnectionTest, AnErrorOfCodeZeroFailsOnlyAScript) {
  auto provider = FakeProvider::create();
  auto connection = FakeConnection::create(provider);
  int opened = 0;
  connection->signal_opened().connect([&](IConnection&) { ++opened; });

  StatusLanding open;
  connection->open_async(profile("fake.db"), nullptr, open.callback());
  EXPECT_TRUE(open.wait().has_value());
  EXPECT_EQ(opened, 1);
  StatusLanding reopened;
  connection->reopen_async(reopened.callback());
  EXPECT_TRUE(reopened.wait().has_value());
  EXPECT_EQ(opened, 2);

  ResultLanding<std::int64_t> count;
  connection->execute_no_query_async("UPDATE t SET a = 1", count.callback());
  ASSERT_TRUE(count.wait().has_value());
  EXPECT_EQ(**count.outcome, 0);
  ResultLanding<TableModelPtr> model;
  connection->execute_as_model_async("SELECT 1", model.callback());
  ASSERT_TRUE(model.wait().has_value());
  EXPECT_EQ(**model.outcome, nullptr);
  ResultLanding<ValueObjectPtr> scalar;
  connection->execute_as_scalar_async("SELECT 1", scalar.callback());
  ASSERT_TRUE(scalar.wait().has_value());
  EXPECT_EQ(**scalar.outcome, nullptr);

  ResultLanding<IConnection::Results> script;
  connection->execute_async("SELECT 1;", script.callback());
  ASSERT_FALSE(script.wait().has_value());
  EXPECT_EQ(script.outcome->error(), (Core::Error{"default", 0, "the fake says no"}));
  EXPECT_EQ(provider->calls, 6);
}

TEST_F(AsyncConnectionTest, AnErrorWithACodeFailsEveryOperation) {
  auto provider = FakeProvider::create();
  provider->failure = Core::Error{"Fake", 5, "database is locked"};
  auto connection = FakeConnection::create(provider);
  int opened = 0;
  connection->signal_opened().connect([&](IConnection&) { ++opened; });
  const Core::Error expected{"default", 5, "database is locked"};

  StatusLanding open;
  connection->open_async(profile("fake.db"), nullptr, open.callback());
  ASSERT_FALSE(open.wait().has_value());
  EXPECT_EQ(open.outcome->error(), expected);
  StatusLanding reopened;
  connection->reopen_async(reopened.callback());
  ASSERT_FALSE(reopened.wait().has_value());
  EXPECT_EQ(reopened.outcome->error(), expected);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(connection->get_status(), DBStatus::Failed);

  ResultLanding<std::int64_t> count;
  connection->execute_no_query_async("UPDATE t SET a = 1", count.callback());
  ResultLanding<TableModelPtr> model;
  connection->execute_as_model_async("SELECT 1", model.callback());
  ResultLanding<ValueObjectPtr> scalar;
  connection->execute_as_scalar_async("SELECT 1", scalar.callback());
  ResultLanding<IConnection::Results> script;
  connection->execute_async("SELECT 1;", script.callback());
  EXPECT_EQ(count.wait().error(), expected);
  EXPECT_EQ(model.wait().error(), expected);
  EXPECT_EQ(scalar.wait().error(), expected);
  EXPECT_EQ(script.wait().error(), expected);
  EXPECT_NE(main_log().find("Failed to open connection: 5 -> database is locked"), std::string::npos);
}

TEST_F(AsyncConnectionTest, SeveralOperationsInFlightOnOneConnection) {
  auto connection = open("busy.db");
  ASSERT_TRUE(connection->execute(
      "CREATE TABLE t(a INTEGER PRIMARY KEY, b);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
      "INSERT INTO t SELECT i, 0 FROM n;",
      false));

  // All started before any completes.
  constexpr int kEach = 6;
  std::vector<std::unique_ptr<ResultLanding<ValueObjectPtr>>> counts;
  std::vector<std::unique_ptr<ResultLanding<TableModelPtr>>> pages;
  std::vector<std::unique_ptr<ResultLanding<std::int64_t>>> updates;
  for (int i = 0; i < kEach; ++i) {
    counts.push_back(std::make_unique<ResultLanding<ValueObjectPtr>>());
    connection->execute_as_scalar_async("SELECT count(*) FROM t WHERE a > " + std::to_string(i * 100),
                                        counts.back()->callback());
    pages.push_back(std::make_unique<ResultLanding<TableModelPtr>>());
    connection->execute_as_model_async("SELECT a FROM t WHERE a <= " + std::to_string((i + 1) * 10),
                                       pages.back()->callback());
    updates.push_back(std::make_unique<ResultLanding<std::int64_t>>());
    connection->execute_no_query_async("UPDATE t SET b = b + 1 WHERE a % " + std::to_string(kEach) +
                                           " = " + std::to_string(i),
                                       updates.back()->callback());
  }
  for (int i = 0; i < kEach; ++i) {
    auto& count = counts[static_cast<std::size_t>(i)]->wait();
    ASSERT_TRUE(count.has_value()) << count.error().message;
    EXPECT_EQ((*count)->to_string(), std::to_string(1000 - i * 100));
    auto& page = pages[static_cast<std::size_t>(i)]->wait();
    ASSERT_TRUE(page.has_value()) << page.error().message;
    EXPECT_EQ((*page)->get_rows().size(), static_cast<std::size_t>((i + 1) * 10));
    auto& update = updates[static_cast<std::size_t>(i)]->wait();
    ASSERT_TRUE(update.has_value()) << update.error().message;
    EXPECT_GE(*update, 166);
  }
  // Every row was updated exactly once.
  auto total = connection->execute_as_scalar("SELECT count(*) FROM t WHERE b = 1", false);
  ASSERT_TRUE(total.has_value());
  EXPECT_EQ((*total)->to_string(), "1000");
}

// The resumption runs on the default main context; the caller's completion
// then runs in the context that was the caller's thread-default one.
TEST_F(AsyncConnectionTest, ACompletionRunsInTheCallersContext) {
  auto connection = open("contexts.db");
  GMainContext* own = g_main_context_new();
  g_main_context_push_thread_default(own);
  ResultLanding<ValueObjectPtr> scalar;
  bool owned = false;
  connection->execute_as_scalar_async("SELECT 42", [&](Core::Result<ValueObjectPtr> result) {
    owned = g_main_context_is_owner(own) != FALSE;
    scalar.callback()(std::move(result));
  });
  g_main_context_pop_thread_default(own);

  // Once the default context has resumed the operation, the completion waits
  // in the caller's context.
  ASSERT_TRUE(Host::run_until([&] { return g_main_context_pending(own) != FALSE; }, kWait));
  EXPECT_FALSE(scalar.outcome.has_value());
  ASSERT_TRUE(Core::iterate_until([&] { return scalar.outcome.has_value(); }, kWait, own));
  EXPECT_TRUE(owned);
  ASSERT_TRUE(scalar.outcome->has_value());
  EXPECT_EQ((**scalar.outcome)->to_string(), "42");
  g_main_context_unref(own);
}

TEST_F(AsyncConnectionTest, ACompletionReachesAnotherThreadsContext) {
  auto connection = open("threads.db");
  std::atomic<bool> done{false};
  std::thread::id caller;
  std::thread::id ran_on;
  std::optional<Core::Result<TableModelPtr>> outcome;

  std::thread other([&] {
    caller = std::this_thread::get_id();
    GMainContext* own = g_main_context_new();
    g_main_context_push_thread_default(own);
    connection->execute_as_model_async("SELECT 1 UNION ALL SELECT 2", [&](Core::Result<TableModelPtr> result) {
      ran_on = std::this_thread::get_id();
      outcome = std::move(result);
      done = true;
      // The default context may be asleep in its poll by now.
      g_main_context_wakeup(g_main_context_default());
    });
    Core::iterate_until([&] { return done.load(); }, kWait, own);
    g_main_context_pop_thread_default(own);
    g_main_context_unref(own);
  });
  // This thread runs the default context, which resumes the operation.
  EXPECT_TRUE(Host::run_until([&] { return done.load(); }, kWait));
  other.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(ran_on, caller);
  ASSERT_TRUE(outcome->has_value());
  EXPECT_EQ((**outcome)->get_rows().size(), 2u);
}

// A hundred operations in flight on one connection, failing and succeeding
// mixed: each completion carries exactly its own outcome.
TEST_F(AsyncConnectionTest, AHundredOperationsInFlightReportTheirOwnOutcomes) {
  auto connection = open("load.db");
  ASSERT_TRUE(connection->execute(
      "CREATE TABLE t(a INTEGER PRIMARY KEY, b);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) INSERT INTO t SELECT i, 0 FROM n;",
      false));
  constexpr int kEach = 25;
  std::vector<std::unique_ptr<ResultLanding<std::int64_t>>> updates;
  std::vector<std::unique_ptr<ResultLanding<TableModelPtr>>> failing;
  std::vector<std::unique_ptr<ResultLanding<ValueObjectPtr>>> scalars;
  std::vector<std::unique_ptr<ResultLanding<IConnection::Results>>> scripts;
  for (int i = 0; i < kEach; ++i) {
    updates.push_back(std::make_unique<ResultLanding<std::int64_t>>());
    // Rows a % 25 == i with a <= 25 * (i + 1): exactly i + 1 of them.
    connection->execute_no_query_async("UPDATE t SET b = b + 1 WHERE a % 25 = " + std::to_string(i) +
                                           " AND a <= " + std::to_string(25 * (i + 1)),
                                       updates.back()->callback());
    failing.push_back(std::make_unique<ResultLanding<TableModelPtr>>());
    connection->execute_as_model_async("SELECT * FROM nope_" + std::to_string(i), failing.back()->callback());
    scalars.push_back(std::make_unique<ResultLanding<ValueObjectPtr>>());
    connection->execute_as_scalar_async("SELECT " + std::to_string(i) + " * 3", scalars.back()->callback());
    scripts.push_back(std::make_unique<ResultLanding<IConnection::Results>>());
    connection->execute_async("SELECT " + std::to_string(i) + "; SELECT * FROM gone_" + std::to_string(i) + ";",
                              scripts.back()->callback());
  }
  for (int i = 0; i < kEach; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const auto& update = updates[at]->wait();
    ASSERT_TRUE(update.has_value()) << update.error().message;
    EXPECT_EQ(*update, i + 1) << i;
    const auto& failure = failing[at]->wait();
    ASSERT_FALSE(failure.has_value()) << i;
    EXPECT_EQ(failure.error(), (Core::Error{"default", 1, "no such table: nope_" + std::to_string(i)}));
    const auto& scalar = scalars[at]->wait();
    ASSERT_TRUE(scalar.has_value());
    EXPECT_EQ((*scalar)->to_string(), std::to_string(i * 3));
    const auto& script = scripts[at]->wait();
    ASSERT_TRUE(script.has_value());
    ASSERT_EQ(script->size(), 2u);
    EXPECT_EQ(std::dynamic_pointer_cast<TableModel>((*script)[0])->get_value_at(0, 0)->to_string(), std::to_string(i));
    auto error = std::dynamic_pointer_cast<ValueError>((*script)[1]);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->get_message(), "no such table: gone_" + std::to_string(i));
  }
}

// Closing with long operations in flight: they are interrupted or refused,
// the close waits for them, and the handle goes only afterwards.
TEST_F(AsyncConnectionTest, ClosingWithWorkInFlightStopsItFirst) {
  auto connection = open("closing.db");
  const std::string endless =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n";
  std::vector<std::unique_ptr<ResultLanding<ValueObjectPtr>>> slots;
  for (int i = 0; i < 40; ++i) {
    slots.push_back(std::make_unique<ResultLanding<ValueObjectPtr>>());
    connection->execute_as_scalar_async(endless, slots.back()->callback());
  }
  connection->close();
  EXPECT_EQ(connection->get_status(), DBStatus::Closed);
  for (const auto& slot : slots) {
    const auto& outcome = slot->wait();
    ASSERT_FALSE(outcome.has_value());
    const Core::Error& error = outcome.error();
    EXPECT_TRUE(error == (Core::Error{"default", 9, "interrupted"}) ||
                error == (Core::Error{"default", -1, "The connection is closed."}) ||
                error == (Core::Error{"default", -1, "No database is open."}))
        << error.code << " " << error.message;
  }
}

TEST_F(AsyncConnectionTest, ReopeningWithWorkInFlightStopsItFirst) {
  auto connection = open("reopen.db");
  std::vector<std::unique_ptr<ResultLanding<ValueObjectPtr>>> slots;
  for (int i = 0; i < 20; ++i) {
    slots.push_back(std::make_unique<ResultLanding<ValueObjectPtr>>());
    connection->execute_as_scalar_async(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n",
        slots.back()->callback());
  }
  ASSERT_TRUE(connection->reopen().has_value());
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  for (const auto& slot : slots) {
    EXPECT_FALSE(slot->wait().has_value());
  }
  // The reopened handle works, and an interrupt aimed at the old work does
  // not stop new statements.
  auto value = connection->execute_as_scalar("SELECT 6 * 7", false);
  ASSERT_TRUE(value.has_value()) << value.error().message;
  EXPECT_EQ((*value)->to_string(), "42");
}

TEST_F(AsyncConnectionTest, SecretsNeverReachTheLogs) {
  auto connection = open("secret.db");
  ASSERT_TRUE(connection->execute_no_query("PRAGMA rekey = 'hunter2'", false).has_value());
  ASSERT_TRUE(connection->execute("PRAGMA rekey = 'hunter3'; SELECT 1;", false).has_value());
  ResultLanding<std::int64_t> landing;
  connection->execute_no_query_async("pragma ReKey='hunter4'", landing.callback());
  EXPECT_TRUE(landing.wait().has_value());
  connection->close();
  const std::string log = main_log();
  EXPECT_NE(log.find("SQL: PRAGMA rekey = '***'"), std::string::npos) << log;
  EXPECT_EQ(log.find("hunter"), std::string::npos) << log;
  for (const auto& line : m_log.lines()) {
    EXPECT_EQ(line.message.find("hunter"), std::string::npos) << line.message;
  }
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
